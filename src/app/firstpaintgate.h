#pragma once
// FirstPaintGate: tells when a top-level widget has been painted on screen for
// the first time, on every platform plugin. A window may be shown, laid out
// and asked to update long before the window system exposes it (under X11
// with a window manager the first update request comes before the window is
// mapped); only a paint while the platform window is exposed puts pixels on
// the screen. Qt paints a widget window synchronously while it handles the
// expose event or an update request of an exposed window, so the gate calls
// back from the event loop right after that event has been handled.
#include <QObject>
#include <QPointer>
#include <functional>

class QWidget;
class QWindow;

namespace nox
{

class FirstPaintGate : public QObject
{
public:
    // Watches `window` (a top-level widget; also the parent of the gate).
    // `onPainted` is called once, after the first paint while exposed.
    FirstPaintGate(QWidget* window, std::function<void()> onPainted);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void watchPlatformWindow();
    void paintUnderWay();

    QWidget* m_window;
    QPointer<QWindow> m_watched;
    std::function<void()> m_onPainted;
    bool m_fired = false;
};

} // namespace nox
