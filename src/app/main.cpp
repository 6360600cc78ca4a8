// Program entry: refuses to start without a window system, sets up the
// Japanese environment, hands over to a running instance or shows the main
// window and runs the event loop.
#include <QApplication>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QEvent>
#include <QIcon>
#include <QTimer>
#include <cstdio>
#include <memory>

#include "app/appenvironment.h"
#include "app/mainform.h"
#include "app/mainsettingshost.h"
#include "app/searchlink.h"
#include "app/singleinstance.h"
#include "core/folders.h"

namespace
{

// NOX_STARTUP_PROBE=1: print the milliseconds from entry to the first paint of
// the window and to the end of the deferred start-up, then quit (benchmarks).
class StartupProbe : public QObject
{
public:
    StartupProbe(nox::TNoxMainForm& form, const QElapsedTimer& clock) : m_clock(clock)
    {
        form.installEventFilter(this);
        form.OnStarted = [this](QObject*) {
            m_started = m_clock.nsecsElapsed() / 1e6;
            QTimer::singleShot(0, this, [this] { finish(); });
        };
    }
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Paint && m_painted < 0) {
            m_painted = m_clock.nsecsElapsed() / 1e6;
        }
        return false;
    }

private:
    void finish()
    {
        std::printf("first-paint-ms %.3f\nstarted-ms %.3f\n", m_painted, m_started);
        std::fflush(stdout);
        QCoreApplication::quit();
    }
    const QElapsedTimer& m_clock;
    double m_painted = -1;
    double m_started = -1;
};

// The icon theme's "nox", installed with the program; where the theme has none
// (a build tree, a portable copy) the same pictures built into the program.
QIcon applicationIcon()
{
    QIcon bundled;
    QDirIterator it(QStringLiteral(":/icons/hicolor"), {QStringLiteral("nox.png")}, QDir::Files,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        bundled.addFile(it.next());
    }
    return QIcon::fromTheme(QStringLiteral("nox"), bundled);
}

} // namespace

int main(int argc, char* argv[])
{
    QElapsedTimer sinceEntry;
    sinceEntry.start();
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
    QApplication::setWindowIcon(applicationIcon());
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
    std::unique_ptr<StartupProbe> probe;
    if (qEnvironmentVariableIsSet("NOX_STARTUP_PROBE")) {
        probe = std::make_unique<StartupProbe>(form, sinceEntry);
    }
    form.show();
    return app.exec();
}
