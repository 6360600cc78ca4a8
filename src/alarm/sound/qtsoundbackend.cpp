// The sound plugin: wave files played through Qt Multimedia.
#include <QObject>
#include <QSoundEffect>
#include <QUrl>

#include "alarm/ui/soundbackend.h"

namespace nox
{

class QtSoundBackend : public QObject, public SoundBackend
{
    Q_OBJECT
    Q_PLUGIN_METADATA(IID NoxSoundBackend_iid)
    Q_INTERFACES(nox::SoundBackend)
public:
    // Never waits for the sound: without a sound server the effect may never
    // report its end.
    void play(const QString& path, QObject* owner) override
    {
        auto* effect = new QSoundEffect(owner);
        effect->setSource(QUrl::fromLocalFile(path));
        effect->play();
    }
};

} // namespace nox

#include "qtsoundbackend.moc"
