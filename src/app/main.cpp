// Program entry: refuses to start without a window system, sets up the
// Japanese environment, hands over to a running instance or shows the main
// window and runs the event loop.
#include <QApplication>
#include <cstdio>

#include "app/appenvironment.h"
#include "app/mainform.h"
#include "app/singleinstance.h"
#include "app/toolglyphs.h"
#include "core/folders.h"

int main(int argc, char* argv[])
{
    if (!nox::hasDisplay()) {
        std::fputs(nox::noDisplayMessage().toLocal8Bit().constData(), stderr);
        return 1;
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Nox"));
    QApplication::setApplicationDisplayName(QStringLiteral("Nox"));
    QApplication::setApplicationVersion(nox::productVersion());
    QApplication::setWindowIcon(nox::appIcon());
    nox::setUpJapaneseEnvironment(app);

    // One instance per data folder: a later start asks the first to show its
    // window (also out of the tray) and ends.
    nox::folders::ensureDataFolder();
    const QString dataFolder = nox::folders::dataFolder();
    nox::SingleInstance guard(nox::SingleInstance::lockFilePath(dataFolder),
                              nox::SingleInstance::serverNameFor(dataFolder));
    switch (guard.start()) {
    case nox::SingleInstance::Role::Secondary:
        guard.activatePrimary();
        return 0;
    case nox::SingleInstance::Role::Failed:
        std::fprintf(stderr, "nox: %s\n", guard.errorString().toLocal8Bit().constData());
        break; // run all the same: a missing lock must not keep the user out
    case nox::SingleInstance::Role::Primary:
        break;
    }

    nox::TNoxMainForm form;
    guard.OnActivateRequest = [&form](QObject*) { form.ShowFromTray(); };
    form.show();
    return app.exec();
}
