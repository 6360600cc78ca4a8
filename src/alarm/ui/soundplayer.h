#pragma once
// Wave files for alarms and time signals. The sound support is the plugin
// "noxsound", loaded with the first sound that plays: a start of the program
// does not load Qt Multimedia and the sound libraries below it, which only a
// sounding alarm needs. The plugin is looked for beside the program (a build
// tree, a portable copy), then in the installed library folder.
#include <QObject>
#include <QString>

namespace nox
{

// Starts playing the wave file `path` without waiting for it; the sound stops
// when `owner` is destroyed. Returns false when the sound support cannot be
// loaded: soundSupportError() then says why.
bool playWaveFile(const QString& path, QObject* owner);
QString soundSupportError();

// Whether the sound support has been loaded (by the first sound).
bool isSoundSupportLoaded();

} // namespace nox
