// Program entry: refuses to start without a window system, sets up the
// Japanese environment, hands over to a running instance or shows the main
// window and runs the event loop.
#include <QApplication>
#include <QDirIterator>
#include <QIcon>
#include <QImageReader>
#include <QMessageBox>
#include <QSessionManager>
#include <QTimer>
#include <cstdio>
#include <cstdlib>
#include <fontconfig/fontconfig.h>
#include <thread>

#include "app/appenvironment.h"
#include "app/firstpaintgate.h"
#include "app/mainform.h"
#include "app/mainsettingshost.h"
#include "app/searchlink.h"
#include "app/shutdownsignals.h"
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
        if (size <= 0 || size > kLargestWindowIcon) {
            continue;
        }
        // Read as PNG without asking the image plugins, which loads them all.
        QImageReader reader(path, "png");
        reader.setAutoDetectImageFormat(false);
        const QImage image = reader.read();
        if (!image.isNull()) {
            icon.addPixmap(QPixmap::fromImage(image));
        }
    }
    return icon;
}

void showStartError(const QString& text)
{
    std::fprintf(stderr, "nox: %s\n", text.toLocal8Bit().constData());
    QMessageBox box(QMessageBox::Critical, QStringLiteral("Nox"), text, QMessageBox::Ok);
    box.exec();
}

// Existing data that cannot be written is never replaced by an empty planner
// elsewhere: the start stops and names the folder. False when it cannot go on.
bool dataFolderUsable(const QString& folder)
{
    nox::folders::ensureDataFolder();
    QString reason;
    if (nox::folders::canWriteFolder(folder, &reason)) {
        return true;
    }
    showStartError(
        QStringLiteral("データフォルダー「%1」に書き込めないため、Nox を起動できません。\n"
                       "理由: %2\n\n"
                       "フォルダーの書き込み権限や空き容量を確認してから、もう一度起動してください。")
            .arg(folder, reason));
    return false;
}

// The single-instance guard: true when this process goes on as the one
// instance; *exitCode is set when it ends here.
bool takeInstanceRole(nox::SingleInstance& guard, int* exitCode)
{
    using Role = nox::SingleInstance::Role;
    Role role = guard.start();
    if (role == Role::Secondary) {
        if (guard.activatePrimary()) {
            *exitCode = 0;
            return false;
        }
        role = guard.start(); // the first instance may have ended meanwhile
    }
    switch (role) {
    case Role::Primary:
        return true;
    case Role::Secondary:
        showStartError(QStringLiteral("Nox はすでに起動していますが (プロセス %1)、応答がありません。\n"
                                      "そのプロセスを終了してから、もう一度起動してください。")
                           .arg(guard.primaryPid()));
        *exitCode = 1;
        return false;
    case Role::Failed:
        // Run all the same: a lock that cannot be made must not keep the user out.
        showStartError(
            guard.errorString() +
            QStringLiteral(
                "\n\n二重起動の確認ができないまま起動します。Nox を同時に二つ開かないでください。"));
        return true;
    }
    return true;
}

// A lock taken over from a run that ended without closing is told once the
// window is up, in a box that does not hold up the start.
void tellTakenOverLock(const QString& notice, QWidget* window)
{
    if (notice.isEmpty()) {
        return;
    }
    std::fprintf(stderr, "nox: %s\n", notice.toLocal8Bit().constData());
    auto* box =
        new QMessageBox(QMessageBox::Information, QStringLiteral("Nox"), notice, QMessageBox::Ok, window);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setModal(false);
    box->show();
}

// When the display goes away the window system library says so in a
// warning and ends the process with exit() from inside the event loop: no
// destructor of main() runs. The window saves when the warning comes, while
// everything still lives; the exit handler does it should the warning ever
// read differently (by then the library's own statics may be gone). The
// window is reached through this pointer while it lives.
nox::TNoxMainForm* g_liveForm = nullptr;
nox::SingleInstance* g_guard = nullptr;
QtMessageHandler g_nextMessageHandler = nullptr;

void saveOnExit()
{
    if (g_liveForm) {
        std::fputs("nox: the display went away; saving\n", stderr);
        g_liveForm->SaveOnLostDisplay();
        g_liveForm = nullptr;
    }
    if (g_guard) {
        g_guard->releaseLock();
        g_guard = nullptr;
        // What is left of the exit (the window system's statics) would talk
        // to the display that is gone: end here, with the library's code.
        std::_Exit(1);
    }
}

void watchForLostDisplay(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    if (g_nextMessageHandler) {
        g_nextMessageHandler(type, context, message);
    }
    if (type == QtWarningMsg && message.startsWith(QLatin1String("The X11 connection broke"))) {
        saveOnExit();
    }
}

// Failures of a shutdown the system asked for: on stderr, and in a box that
// closes by itself so that it cannot hold up the end of the session.
void tellSessionEndFailures(nox::TNoxMainForm& form)
{
    constexpr int kShownMs = 20000;
    QTimer::singleShot(kShownMs, qApp, [] {
        if (QWidget* box = QApplication::activeModalWidget()) {
            box->close();
        }
    });
    form.ShowPendingFailures();
}

} // namespace

int main(int argc, char* argv[])
{
    QStringList args;
    for (int i = 1; i < argc; ++i) {
        args << QString::fromLocal8Bit(argv[i]);
    }
    if (const std::optional<QString> answer = nox::commandLineAnswer(args)) {
        std::fputs(answer->toLocal8Bit().constData(), stdout);
        return 0;
    }
    if (!nox::hasDisplay()) {
        std::fputs(nox::noDisplayMessage().toLocal8Bit().constData(), stderr);
        return 1;
    }
    // Reading the system's font configuration takes several milliseconds; it
    // runs beside the connection to the window system, which needs no fonts.
    std::thread fontConfiguration([] { FcInit(); });
    QApplication app(argc, argv);
    fontConfiguration.join();
    // The application name is also the window class the desktop entry names
    // (StartupWMClass). No display name: Qt would append it to every title.
    QApplication::setApplicationName(QStringLiteral("Nox"));
    QApplication::setApplicationVersion(nox::productVersion());
    QGuiApplication::setDesktopFileName(QStringLiteral(NOX_APP_ID));
    nox::setUpJapaneseEnvironment(app);

    const QString dataFolder = nox::folders::dataFolder();
    if (!dataFolderUsable(dataFolder)) {
        return 1;
    }
    // One instance per data folder: a later start asks the first to show its
    // window (also out of the tray) and ends.
    nox::SingleInstance guard(nox::SingleInstance::lockFilePath(dataFolder),
                              nox::SingleInstance::serverNameFor(dataFolder));
    int exitCode = 0;
    if (!takeInstanceRole(guard, &exitCode)) {
        return exitCode;
    }

    // Until the window exists a signal ends the program at once: nothing is
    // open to be saved.
    nox::TNoxMainForm form;
    nox::ShutdownSignals shutdownSignals;
    QObject::connect(&shutdownSignals, &nox::ShutdownSignals::requested, &form, [&form](int signalNumber) {
        std::fprintf(stderr, "nox: ending on signal %d\n", signalNumber);
        form.EndSession();
    });
    QObject::connect(&app, &QGuiApplication::commitDataRequest, &form,
                     [&form](QSessionManager&) { form.SaveForSession(); });
    g_liveForm = &form;
    g_guard = &guard;
    std::atexit(saveOnExit);
    g_nextMessageHandler = qInstallMessageHandler(watchForLostDisplay);
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
    // The icon after the first paint, before the deferred start-up (the tray
    // icon takes it): decoding its pictures takes longer than building the
    // window. Through the event loop, so that the paint has gone out first.
    new nox::FirstPaintGate(
        &form, [] { QTimer::singleShot(0, qApp, [] { QApplication::setWindowIcon(applicationIcon()); }); });
    form.show();
    tellTakenOverLock(guard.staleLockNotice(), &form);
    const int code = app.exec();
    g_liveForm = nullptr;
    g_guard = nullptr;
    // What the shutdown could not write.
    if (form.isEndingSession()) {
        tellSessionEndFailures(form);
    } else {
        form.ShowPendingFailures();
    }
    return code;
}
