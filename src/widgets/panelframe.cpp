#include "widgets/panelframe.h"

#include <QFrame>
#include <QPaintEvent>
#include <QPainter>
#include <QRegion>

#include "core/sunkenframe.h"

namespace nox
{

bool drawWinPanelFrame(const QFrame& frame, QPainter& p)
{
    if (frame.frameShape() != QFrame::WinPanel || frame.frameShadow() == QFrame::Plain) {
        return false;
    }
    // The panel's two rings are a device pixel each: above a pixel ratio of
    // 1 they leave the rest of the frame's width to the ground, which a
    // widget that paints all of itself (an opaque one) must lay down, or it
    // keeps whatever was there before. The ground is the one Qt paints
    // under other widgets: the window's colour of the parent.
    const QRect outer = frame.frameRect();
    const QRegion ring = QRegion(outer) - QRegion(frame.contentsRect() & outer);
    const QWidget* ground = frame.parentWidget() ? frame.parentWidget() : &frame;
    const QColor groundColor = ground->palette().color(QPalette::Window);
    for (const QRect& r : ring) {
        p.fillRect(r, groundColor);
    }
    drawWinPanel(p, outer, frame.palette(), frame.frameShadow() == QFrame::Sunken);
    return true;
}

bool paintWinPanelFrame(QFrame& frame, QEvent* e)
{
    if (e->type() != QEvent::Paint || frame.frameShape() != QFrame::WinPanel ||
        frame.frameShadow() == QFrame::Plain) {
        return false;
    }
    QPainter p(&frame);
    drawWinPanelFrame(frame, p);
    e->accept();
    return true;
}

} // namespace nox
