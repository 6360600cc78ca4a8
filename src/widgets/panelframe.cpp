#include "widgets/panelframe.h"

#include <QFrame>
#include <QPaintEvent>
#include <QPainter>

#include "core/sunkenframe.h"

namespace nox
{

bool drawWinPanelFrame(const QFrame& frame, QPainter& p)
{
    if (frame.frameShape() != QFrame::WinPanel || frame.frameShadow() == QFrame::Plain) {
        return false;
    }
    drawWinPanel(p, frame.frameRect(), frame.palette(), frame.frameShadow() == QFrame::Sunken);
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
