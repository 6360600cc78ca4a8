#include "search/ui/browsercommands.h"

#include "core/textfile.h"

#include <QCoreApplication>
#include <QDir>
#include <QLibrary>

namespace nox
{

namespace
{

// Beside the program (a build tree), in <prefix>/<libdir>/nox seen from
// <prefix>/bin (an installed copy wherever it was installed), and in the
// folder the build was configured for.
QStringList moduleCandidates()
{
    const QDir exe(QCoreApplication::applicationDirPath());
    const QString name = QLatin1String(kBrowserModuleName);
    QStringList paths{exe.filePath(name)};
#ifdef NOX_MODULE_SUBDIR
    paths << QDir::cleanPath(exe.filePath(QStringLiteral("../" NOX_MODULE_SUBDIR "/")) + u'/' + name);
#endif
#ifdef NOX_MODULE_DIR
    paths << QDir(QStringLiteral(NOX_MODULE_DIR)).filePath(name);
#endif
    paths.removeDuplicates();
    return paths;
}

} // namespace

std::unique_ptr<TBrowserCommands> createBrowserCommands(QWidget* owner, QString* error)
{
    using Create = TBrowserCommands* (*)(QWidget*);
    QStringList reasons;
    for (const QString& path : moduleCandidates()) {
        // Kept loaded once loaded: the engine cannot be unloaded safely.
        QLibrary module(path);
        module.setLoadHints(QLibrary::PreventUnloadHint);
        if (auto create = reinterpret_cast<Create>(module.resolve(kBrowserModuleEntry))) {
            if (TBrowserCommands* commands = create(owner)) {
                // The module tells the user of a failure itself, once.
                commands->setFileWriter([](const QString& file, const QByteArray& bytes, QString* reason) {
                    const WriteFailuresToldByCaller toldHere;
                    const Status written = writeFileAtomic(file, bytes);
                    if (!written && reason) {
                        *reason = written.message();
                    }
                    return written.ok();
                });
                return std::unique_ptr<TBrowserCommands>(commands);
            }
            if (error) {
                *error = QStringLiteral("印刷用のエンジンを起動できません。\nOpenGL を使えない環境です。");
            }
            return nullptr;
        }
        reasons << module.errorString();
    }
    if (error) {
        *error = QStringLiteral("印刷用のモジュールを読み込めません。\n%1").arg(reasons.join(u'\n'));
    }
    return nullptr;
}

} // namespace nox
