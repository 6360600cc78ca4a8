// Program entry: refuses to start without a window system, sets up the
// Japanese environment, hands over to a running instance or shows the main
// window and runs the event loop.
#include <QApplication>
#include <QDirIterator>
#include <QIcon>
#include <cstdio>

#include "app/appenvironment.h"
#include "app/firstpaintgate.h"
#include "app/mainform.h"
#include "app/mainsettingshost.h"
#include "app/searchlink.h"
#include "app/singleinstance.h"
#include "app/startupprobe.h"
#include "core/folders.h"

namespace
{

// The pictures built into the program (the icon theme's "nox" of an
// installation holds the same). A window needs the small ones only; each is
// decoded when the window system first asks for it.
QIcon applicationIcon()
{
    constexpr int kLargestWindowIcon = 64;
    QIcon icon;
    QDirIterator it(QStringLiteral(":/icons/hicolor"), {QStringLiteral("nox.png")}, QDir::Files,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        // ":/icons/hicolor/<size>x<size>/apps/nox.png"
        const int size = path.section(QLatin1Char('/'), 3, 3).section(QLatin1Char('x'), 0, 0).toInt();
        if (size > 0 && size <= kLargestWindowIcon) {
            icon.addFile(path, QSize(size, size));
        }
    }
    return icon;
}

} // namespace

int main(int argc, char* argv[])
{
    if (!nox::hasDisplay()) {
        std::fputs(nox::noDisplayMessage().toLocal8Bit().constData(), stderr);
        return 1;
    }
    QApplication app(argc, argv);
    // The application name is also the window class the desktop entry names
    // (StartupWMClass). No display name: Qt would append it to every title.
    QApplication::setApplicationName(QStringLiteral("Nox"));
    QApplication::setApplicationVersion(nox::productVersion());
    QGuiApplication::setDesktopFileName(QStringLiteral(NOX_APP_ID));
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
    nox::InstallSettingsDialog(form);
    nox::installSearch(form);
    guard.OnActivateRequest = [&form](QObject*) { form.ShowFromTray(); };
    // Open popups must not keep the program alive once the window has closed.
    QApplication::setQuitOnLastWindowClosed(false);
    form.OnClose = [](QObject*) { QCoreApplication::quit(); };
    if (nox::StartupProbe::requested()) {
        auto* probe = new nox::StartupProbe(&form, true);
        form.OnStarted = [probe, next = form.OnStarted](QObject* sender) {
            if (next) {
                next(sender);
            }
            probe->markStarted();
        };
    }
    // The icon after the first paint: looking it up in the icon theme and
    // decoding its pictures takes longer than building the window.
    new nox::FirstPaintGate(&form, [] { QApplication::setWindowIcon(applicationIcon()); });
    form.show();
    return app.exec();
}
