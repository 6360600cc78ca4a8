#include "alarm/ui/soundplayer.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QPluginLoader>

#include "alarm/ui/soundbackend.h"

namespace nox
{

namespace
{

struct SoundSupport {
    bool tried = false;
    SoundBackend* backend = nullptr; // owned by the plugin loader, kept loaded
    QString error;
};

// Beside the program, then the library folder of its installation prefix
// (also when the tree was moved or staged elsewhere), then the one it was
// configured for.
QStringList pluginPlaces()
{
    const QString programs = QCoreApplication::applicationDirPath();
    return {programs, programs + QStringLiteral("/../" NOX_LIBDIR "/nox"), QStringLiteral(NOX_PLUGIN_DIR)};
}

SoundSupport& support()
{
    static SoundSupport s;
    return s;
}

SoundBackend* loadBackend()
{
    SoundSupport& s = support();
    if (s.tried) {
        return s.backend;
    }
    s.tried = true;
    QStringList errors;
    for (const QString& place : pluginPlaces()) {
        auto* loader = new QPluginLoader(place + QStringLiteral("/noxsound"), qApp);
        if (auto* backend = qobject_cast<SoundBackend*>(loader->instance())) {
            s.backend = backend;
            return backend;
        }
        errors << loader->errorString();
        delete loader;
    }
    s.error = QStringLiteral("音を鳴らすプラグイン noxsound を読み込めません: ") + errors.join(QStringLiteral("; "));
    return nullptr;
}

} // namespace

bool playWaveFile(const QString& path, QObject* owner)
{
    SoundBackend* backend = loadBackend();
    if (!backend) {
        return false;
    }
    backend->play(QFileInfo(path).absoluteFilePath(), owner);
    return true;
}

QString soundSupportError()
{
    return support().error;
}

bool isSoundSupportLoaded()
{
    return support().backend != nullptr;
}

} // namespace nox
