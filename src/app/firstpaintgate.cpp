#include "app/firstpaintgate.h"

#include <QEvent>
#include <QWidget>
#include <QWindow>

namespace nox
{

FirstPaintGate::FirstPaintGate(QWidget* window, std::function<void()> onPainted)
    : QObject(window), m_window(window), m_onPainted(std::move(onPainted))
{
    window->installEventFilter(this);
    watchPlatformWindow();
}

// The platform window exists once the widget has been created (at the
// latest when it is first shown).
void FirstPaintGate::watchPlatformWindow()
{
    QWindow* handle = m_window->windowHandle();
    if (handle && handle != m_watched) {
        handle->installEventFilter(this);
        m_watched = handle;
    }
}

bool FirstPaintGate::eventFilter(QObject* watched, QEvent* event)
{
    if (m_fired) {
        return false;
    }
    if (watched == m_window && event->type() == QEvent::Show) {
        watchPlatformWindow();
    }
    const bool exposed = m_watched && m_watched->isExposed();
    // The filter runs before the event is handled, that is before the paint.
    if (exposed && ((watched == m_watched && event->type() == QEvent::Expose) ||
                    (watched == m_window && event->type() == QEvent::UpdateRequest))) {
        paintUnderWay();
    }
    return false;
}

void FirstPaintGate::paintUnderWay()
{
    m_fired = true;
    // Queued: runs once the event that paints has been handled.
    QMetaObject::invokeMethod(
        this,
        [this] {
            if (m_onPainted) {
                m_onPainted();
            }
        },
        Qt::QueuedConnection);
}

} // namespace nox
