#pragma once
// StartupProbe: the program's side of the start-up benchmark (bench/startup),
// switched on by NOX_STARTUP_PROBE=1. The bare comparison window of the
// benchmark uses the same class, so both are measured by the same rule.
//
// It prints, on standard output, moments of the system's monotonic clock
// (std::chrono::steady_clock, CLOCK_MONOTONIC on Linux) in nanoseconds, so
// that the parent that started the process can subtract the moment it forked:
//
//   first-paint-ns N   the window's first paint while it was exposed has
//                      finished and, under X11, the X server has processed it
//   started-ns N       the deferred start-up has finished (when waited for)
//   ...-cpu-ns N       the CPU time the process had used by then
//   rss-kb N           resident memory a moment after both
//   hwm-kb N           peak resident memory until then
//
// and then quits the application.
#include <QObject>
#include <QPointer>
#include <QWidget>

namespace nox
{

class StartupProbe : public QObject
{
public:
    // Watches the paints of `window` (a top-level widget). With
    // `waitForStarted` the report waits for markStarted() as well.
    StartupProbe(QWidget* window, bool waitForStarted);

    // The deferred start-up has finished.
    void markStarted();

    static bool requested() { return qEnvironmentVariableIsSet("NOX_STARTUP_PROBE"); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void paintReachedScreen();
    void finishIfDone();
    void report();

    QPointer<QWidget> m_window;
    bool m_waitForStarted;
    bool m_paintSeen = false;
    bool m_reported = false;
    qint64 m_firstPaint = -1;
    qint64 m_firstPaintCpu = -1;
    qint64 m_started = -1;
    qint64 m_startedCpu = -1;
};

} // namespace nox
