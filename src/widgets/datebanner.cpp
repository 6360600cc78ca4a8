#include "widgets/datebanner.h"

#include <QContextMenuEvent>
#include <QFontMetrics>
#include <QPainter>

#include "core/datetime.h"
#include "core/sunkenframe.h"
#include "core/textline.h"

namespace nox
{

namespace
{
constexpr int kTextLeft = 32;
constexpr int kTodayGap = 16;
} // namespace

TDateBanner::TDateBanner(QWidget* parent) : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFixedHeight(preferredHeight());
}

void TDateBanner::setColor(TColor color)
{
    if (m_color != color) {
        m_color = color;
        update();
    }
}

void TDateBanner::setTextColor(TColor color)
{
    if (m_textColor != color) {
        m_textColor = color;
        update();
    }
}

void TDateBanner::setSecondFontSize(int points)
{
    m_secondSize = qMax(1, points);
    update();
}

void TDateBanner::setPeriodText(const QString& text)
{
    if (m_period != text) {
        m_period = text;
        update();
    }
}

void TDateBanner::setToday(const QDate& today)
{
    if (m_today != today) {
        m_today = today;
        update();
    }
}

QString TDateBanner::todayText() const
{
    return m_today.isValid()
               ? formatDateTime(QStringLiteral("\"今日 : \"yyyy\"年\"m\"月\"d日(aaaa)"), m_today)
               : QString();
}

void TDateBanner::setStarted(bool started)
{
    m_started = started;
    update();
}

int TDateBanner::preferredHeight() const
{
    return QFontMetrics(font()).height() + 5;
}

QSize TDateBanner::sizeHint() const
{
    return {200, preferredHeight()};
}

void TDateBanner::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::FontChange) {
        setFixedHeight(preferredHeight());
    }
    QWidget::changeEvent(event);
}

void TDateBanner::contextMenuEvent(QContextMenuEvent* event)
{
    if (OnContextMenu) {
        OnContextMenu(this, event->globalPos());
        event->accept();
    }
}

void TDateBanner::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.fillRect(rect(), toQColor(m_color, palette()));
    if (!m_started) {
        return;
    }
    const QRect r = rect();
    drawSunkenFrame(p, r, palette().color(QPalette::Dark), palette().color(QPalette::Light));

    p.setPen(toQColor(m_textColor, palette()));
    const QFontMetrics fm(font());
    const int baseline = r.bottom() - 2 - fm.descent();
    const int room = r.width() - kTextLeft - 4;
    const QString period = elidedLine(m_period, font(), qMax(0, room));
    const int x = kTextLeft + lineWidth(period, font()) + kTodayGap;
    // Both texts lie on the banner's colour inside its edges (lines that
    // reach half a pixel further in at twice the density), each on its side
    // of the middle of the gap between them.
    const QColor ground = toQColor(m_color, palette());
    const QRect inside = r.adjusted(2, 2, -2, -2);
    const int middle = x - kTodayGap / 2;
    const TextGround periodGround{ground, inside & QRect(QPoint(inside.left(), inside.top()), QPoint(middle - 1, inside.bottom()))};
    const TextGround todayGround{ground, inside & QRect(QPoint(middle, inside.top()), inside.bottomRight())};
    drawTextLine(p, QPoint(kTextLeft, baseline), period, &periodGround);

    QFont small = font();
    small.setPointSize(m_secondSize);
    p.setFont(small);
    const QString today = elidedLine(todayText(), small, qMax(0, r.width() - x - 4));
    drawTextLine(p, QPoint(x, baseline), today, &todayGround);
    const int after = x + lineWidth(today, small) + kTodayGap;
    if (!m_calendar.isEmpty() && after < r.width() - 4) {
        drawTextLine(p, QPoint(after, baseline), elidedLine(m_calendar, small, r.width() - after - 4),
                     &todayGround);
    }
}

void TDateBanner::setCalendarText(const QString& text)
{
    if (text != m_calendar) {
        m_calendar = text;
        update();
    }
}

} // namespace nox
