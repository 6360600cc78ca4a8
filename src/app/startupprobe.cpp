#include "app/startupprobe.h"

#include <QCoreApplication>
#include <QFile>
#include <QGuiApplication>
#include <QtGui/qguiapplication_platform.h>
#include <QTimer>
#include <QWindow>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <dlfcn.h>

namespace nox
{

namespace
{

// Long enough for the paints and posted events that follow the start-up to
// settle before the memory is read.
constexpr int kSettleMs = 200;

qint64 monotonicNs()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// Under X11 a round trip to the server: when it returns, the server has
// processed every request sent before, the image of the paint included. The
// library is already loaded by Qt's X11 plugin; it is looked up at run time
// so that the program does not link it for the probe's sake.
void waitForWindowSystem()
{
#if QT_CONFIG(xcb)
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    if (!x11 || !x11->display()) {
        return;
    }
    using XSyncFn = int (*)(Display*, int);
    if (auto sync = reinterpret_cast<XSyncFn>(dlsym(RTLD_DEFAULT, "XSync"))) {
        sync(x11->display(), 0);
    }
#endif
}

// CPU time of the process so far (all threads), which a busy machine does
// not stretch as it stretches the wall clock.
qint64 cpuNs()
{
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return qint64(t.tv_sec) * 1000000000 + t.tv_nsec;
}

// "VmRSS" or "VmHWM" of /proc/self/status in kB; -1 when unknown.
qint64 statusKb(const QByteArray& key)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly)) {
        return -1;
    }
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith(key + ':')) {
            return line.mid(key.size() + 1).trimmed().split(' ').value(0).toLongLong();
        }
    }
    return -1;
}

} // namespace

StartupProbe::StartupProbe(QWidget* window, bool waitForStarted)
    : QObject(window), m_window(window), m_waitForStarted(waitForStarted)
{
    // The paints of every widget of the window pass the application.
    qApp->installEventFilter(this);
}

bool StartupProbe::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::Paint || m_paintSeen || !m_window) {
        return false;
    }
    auto* widget = qobject_cast<QWidget*>(watched);
    const QWindow* handle = m_window->windowHandle();
    if (widget && widget->window() == m_window && handle && handle->isExposed()) {
        m_paintSeen = true;
        // Queued: runs once the whole window has been painted and flushed.
        QMetaObject::invokeMethod(this, &StartupProbe::paintReachedScreen, Qt::QueuedConnection);
    }
    return false;
}

void StartupProbe::paintReachedScreen()
{
    waitForWindowSystem();
    m_firstPaint = monotonicNs();
    m_firstPaintCpu = cpuNs();
    finishIfDone();
}

void StartupProbe::markStarted()
{
    m_started = monotonicNs();
    m_startedCpu = cpuNs();
    finishIfDone();
}

void StartupProbe::finishIfDone()
{
    if (m_reported || m_firstPaint < 0 || (m_waitForStarted && m_started < 0)) {
        return;
    }
    m_reported = true;
    QTimer::singleShot(kSettleMs, this, &StartupProbe::report);
}

void StartupProbe::report()
{
    std::printf("first-paint-ns %lld\nfirst-paint-cpu-ns %lld\n", m_firstPaint, m_firstPaintCpu);
    if (m_waitForStarted) {
        std::printf("started-ns %lld\nstarted-cpu-ns %lld\n", m_started, m_startedCpu);
    }
    std::printf("rss-kb %lld\nhwm-kb %lld\n", statusKb("VmRSS"), statusKb("VmHWM"));
    std::fflush(stdout);
    QCoreApplication::quit();
}

} // namespace nox
