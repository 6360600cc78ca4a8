#pragma once
// The interface of the sound plugin "noxsound" (src/alarm/sound): the one
// part of the program that links Qt Multimedia and, below it, the system's
// sound libraries. soundplayer.h loads it with the first sound.
#include <QObject>
#include <QString>
#include <QtPlugin>

namespace nox
{

class SoundBackend
{
public:
    virtual ~SoundBackend() = default;
    // Starts playing the wave file `path` (absolute) without waiting for it.
    // The sound belongs to `owner`: it stops when the owner is destroyed.
    virtual void play(const QString& path, QObject* owner) = 0;
};

} // namespace nox

#define NoxSoundBackend_iid "localhost.nox.nox.SoundBackend/1"
Q_DECLARE_INTERFACE(nox::SoundBackend, NoxSoundBackend_iid)
