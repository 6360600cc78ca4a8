#include "app/clockpanel.h"

#include <QEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>

#include "core/datetime.h"
#include "core/screenfont.h"
#include "core/sunkenframe.h"

namespace nox
{

namespace
{

bool isLeftCorner(int corner)
{
    return corner == ccTopLeft || corner == ccBottomLeft;
}

bool isTopCorner(int corner)
{
    return corner == ccTopLeft || corner == ccTopRight;
}

// The y of the clock's bottom edge resting on the status bar.
int lowestTop(const TClockArea& area, QSize clock)
{
    return area.client.height() - clock.height() - area.statusBarHeight;
}

int lowestLeft(const TClockArea& area, QSize clock)
{
    return area.client.width() - clock.width();
}

} // namespace

TClockPlacement placeClock(const TClockArea& area, QSize clock, bool fixedPos, int corner, int xMargin,
                           int yMargin, QPoint current)
{
    QPoint pos = current;
    if (fixedPos) {
        pos.setX(isLeftCorner(corner) ? xMargin : lowestLeft(area, clock) - xMargin);
        pos.setY(isTopCorner(corner) ? yMargin : lowestTop(area, clock) - yMargin);
    }
    pos.setX(qMax(0, pos.x()));
    pos.setY(qMax(0, pos.y()));
    if (pos.x() + clock.width() > area.client.width()) {
        pos.setX(lowestLeft(area, clock));
    }
    if (pos.y() + clock.height() > area.client.height() - area.statusBarHeight) {
        pos.setY(lowestTop(area, clock));
    }
    TClockPlacement placement{pos, xMargin, yMargin};
    if (fixedPos) {
        const QPoint margins = clockMargins(area, clock, corner, pos);
        placement.xMargin = margins.x();
        placement.yMargin = margins.y();
    }
    return placement;
}

QPoint clockMargins(const TClockArea& area, QSize clock, int corner, QPoint pos)
{
    const int x = isLeftCorner(corner) ? pos.x() : lowestLeft(area, clock) - pos.x();
    const int y = isTopCorner(corner) ? pos.y() : lowestTop(area, clock) - pos.y();
    return {x, y};
}

QPoint clampDraggedClock(const TClockArea& area, QSize clock, QPoint pos)
{
    const int x = qMax(0, qMin(pos.x(), lowestLeft(area, clock)));
    const int y = qMax(0, qMin(pos.y(), lowestTop(area, clock)));
    return {x, y};
}

TClockPanel::TClockPanel(QWidget* parent) : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    buildMenu();
}

void TClockPanel::buildMenu()
{
    m_menu = new QMenu(this);
    QAction* hideAction = m_menu->addAction(QStringLiteral("隠す"));
    QAction* settingsAction = m_menu->addAction(QStringLiteral("設定..."));
    connect(hideAction, &QAction::triggered, this, [this] {
        hide();
        if (OnHideClick) {
            OnHideClick(this);
        }
    });
    connect(settingsAction, &QAction::triggered, this, [this] {
        if (OnSettingsClick) {
            OnSettingsClick(this);
        }
    });
}

void TClockPanel::setFormat(const QString& format)
{
    m_format = format;
}

void TClockPanel::setColors(TColor background, TColor text)
{
    m_background = background;
    m_textColor = text;
    update();
}

void TClockPanel::setDragColors(TColor background, TColor text)
{
    m_dragBackground = background;
    m_dragText = text;
    update();
}

void TClockPanel::setClockFont(const QString& family, int pointSize, int styles)
{
    QFont f(screenFamily(family));
    f.setPointSize(qMax(1, pointSize));
    applyFontStyles(f, styles & (fsBold | fsItalic | fsUnderline));
    setFont(f);
    update();
}

void TClockPanel::setFixedPos(bool fixed)
{
    m_fixedPos = fixed;
}

void TClockPanel::setCorner(int corner)
{
    m_corner = qBound(int(ccTopLeft), corner, int(ccBottomRight));
}

void TClockPanel::setMargins(int xMargin, int yMargin)
{
    m_xMargin = xMargin;
    m_yMargin = yMargin;
}

void TClockPanel::setStatusBarHeight(int height)
{
    m_statusBarHeight = qMax(0, height);
}

void TClockPanel::setAutoPlace(bool enabled)
{
    if (enabled == m_autoPlace || !parentWidget()) {
        return;
    }
    m_autoPlace = enabled;
    if (enabled) {
        parentWidget()->installEventFilter(this);
    } else {
        parentWidget()->removeEventFilter(this);
    }
}

void TClockPanel::tick(const QDateTime& now)
{
    if (isHidden()) {
        return;
    }
    const QString text = formatDateTime(m_format, now);
    if (text != m_text) {
        m_text = text;
        update();
    }
}

void TClockPanel::sizeToFormat()
{
    const QString widest = formatDateTime(m_format, fromDateTime(0.9999));
    const QFontMetrics metrics(font());
    resize(metrics.horizontalAdvance(widest) + 8, metrics.height() + 8);
    place();
}

TClockArea TClockPanel::area() const
{
    return {parentWidget() ? parentWidget()->size() : QSize(), m_statusBarHeight};
}

void TClockPanel::place()
{
    if (!parentWidget()) {
        return;
    }
    const TClockPlacement placement =
        placeClock(area(), size(), m_fixedPos, m_corner, m_xMargin, m_yMargin, pos());
    move(placement.pos);
    m_xMargin = placement.xMargin;
    m_yMargin = placement.yMargin;
}

void TClockPanel::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    const QRect r = rect();
    p.fillRect(r, toQColor(m_dragging ? m_dragBackground : m_background, palette()));
    // Lowered bevel: shadow above and left, highlight below and right.
    drawSunkenFrame(p, r, palette().color(QPalette::Dark), palette().color(QPalette::Light));
    p.setPen(toQColor(m_dragging ? m_dragText : m_textColor, palette()));
    p.setFont(font());
    p.drawText(r.adjusted(1, 1, -1, -1), Qt::AlignCenter | Qt::TextSingleLine, m_text);
}

void TClockPanel::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::RightButton) {
        m_menu->popup(event->globalPosition().toPoint());
        return;
    }
    if (event->button() == Qt::LeftButton || event->button() == Qt::MiddleButton) {
        m_dragging = true;
        m_pressPoint = event->position().toPoint();
        update();
    }
}

void TClockPanel::mouseMoveEvent(QMouseEvent* event)
{
    if (!m_dragging) {
        return;
    }
    const QPoint shifted = pos() + event->position().toPoint() - m_pressPoint;
    move(clampDraggedClock(area(), size(), shifted));
}

void TClockPanel::mouseReleaseEvent(QMouseEvent* event)
{
    if (m_dragging && (event->button() == Qt::LeftButton || event->button() == Qt::MiddleButton)) {
        endDrag();
    }
}

void TClockPanel::endDrag()
{
    m_dragging = false;
    if (m_fixedPos) {
        const QPoint margins = clockMargins(area(), size(), m_corner, pos());
        m_xMargin = margins.x();
        m_yMargin = margins.y();
    }
    update();
}

bool TClockPanel::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == parentWidget() && event->type() == QEvent::Resize && m_autoPlace) {
        place();
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace nox
