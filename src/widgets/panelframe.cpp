#include "widgets/panelframe.h"

#include <QFrame>
#include <QPaintEvent>
#include <QPainter>
#include <QRegion>

#include "core/sunkenframe.h"

namespace nox
{

namespace
{

// The colour Qt paints under `widget`: that of the nearest ancestor that
// fills its background (the window at the latest).
QColor groundColor(const QWidget& widget)
{
    const QWidget* w = widget.parentWidget() ? widget.parentWidget() : &widget;
    while (!w->isWindow() && !w->autoFillBackground() && w->parentWidget()) {
        w = w->parentWidget();
    }
    return w->palette().color(w->backgroundRole());
}

} // namespace

bool drawWinPanelFrame(const QFrame& frame, QPainter& p)
{
    if (frame.frameShape() != QFrame::WinPanel || frame.frameShadow() == QFrame::Plain) {
        return false;
    }
    // The panel's two rings are a device pixel each: above a pixel ratio of
    // 1 they leave the rest of the frame's width to the ground. Qt paints it
    // under other widgets; one that paints all of itself (an opaque one)
    // lays it down itself, or keeps whatever was there before.
    const QRect outer = frame.frameRect();
    if (frame.testAttribute(Qt::WA_OpaquePaintEvent)) {
        const QColor ground = groundColor(frame);
        for (const QRect& r : QRegion(outer) - QRegion(frame.contentsRect() & outer)) {
            p.fillRect(r, ground);
        }
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
