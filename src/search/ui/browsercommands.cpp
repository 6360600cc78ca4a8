#include "search/ui/browsercommands.h"

#include <QCoreApplication>
#include <QDir>
#include <QLibrary>

namespace nox
{

namespace
{

QStringList moduleCandidates()
{
    QStringList paths{QDir(QCoreApplication::applicationDirPath()).filePath(QLatin1String(kBrowserModuleName))};
#ifdef NOX_MODULE_DIR
    paths << QDir(QStringLiteral(NOX_MODULE_DIR)).filePath(QLatin1String(kBrowserModuleName));
#endif
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
