#include "widgets/multirowtabbar.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QStyleOptionTab>
#include <QStylePainter>

namespace nox
{

namespace
{
constexpr int kPadding = 16;
} // namespace

TMultiRowTabBar::TMultiRowTabBar(QWidget* parent) : QWidget(parent)
{
    setFocusPolicy(Qt::TabFocus);
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
}

int TMultiRowTabBar::addTab(const QString& caption)
{
    m_tabs.append({caption, true, {}});
    if (m_current < 0) {
        m_current = 0;
    }
    relayout();
    return count() - 1;
}

QString TMultiRowTabBar::tabText(int index) const
{
    return index >= 0 && index < count() ? m_tabs.at(index).caption : QString();
}

void TMultiRowTabBar::setTabVisible(int index, bool visible)
{
    if (index < 0 || index >= count()) {
        return;
    }
    m_tabs[index].visible = visible;
    if (!visible && index == m_current) {
        for (int i = 0; i < count(); ++i) {
            if (m_tabs.at(i).visible) {
                m_current = i;
                break;
            }
        }
    }
    relayout();
}

bool TMultiRowTabBar::isTabVisible(int index) const
{
    return index >= 0 && index < count() && m_tabs.at(index).visible;
}

void TMultiRowTabBar::setCurrentIndex(int index)
{
    if (!isTabVisible(index) || index == m_current) {
        return;
    }
    m_current = index;
    relayout();
    if (OnChange) {
        OnChange(this, index);
    }
}

QRect TMultiRowTabBar::tabRect(int index) const
{
    return isTabVisible(index) ? m_tabs.at(index).rect : QRect();
}

int TMultiRowTabBar::rowCount() const
{
    return m_rows;
}

int TMultiRowTabBar::tabWidth(int index) const
{
    return fontMetrics().horizontalAdvance(m_tabs.at(index).caption) + kPadding;
}

int TMultiRowTabBar::tabHeight() const
{
    return fontMetrics().height() + 8;
}

QList<QList<int>> TMultiRowTabBar::rowsFor(int width) const
{
    QList<QList<int>> rows{{}};
    int x = 0;
    for (int i = 0; i < count(); ++i) {
        if (!m_tabs.at(i).visible) {
            continue;
        }
        const int w = tabWidth(i);
        if (x > 0 && x + w > width) {
            rows.append(QList<int>());
            x = 0;
        }
        rows.last().append(i);
        x += w;
    }
    return rows;
}

// Each row is stretched to the full width; the current tab's row goes last.
void TMultiRowTabBar::relayout()
{
    QList<QList<int>> rows = rowsFor(qMax(1, width()));
    for (int r = 0; r < rows.size(); ++r) {
        if (rows.at(r).contains(m_current)) {
            rows.append(rows.takeAt(r));
            break;
        }
    }
    const int h = tabHeight();
    for (int r = 0; r < rows.size(); ++r) {
        const QList<int>& row = rows.at(r);
        int natural = 0;
        for (int i : row) {
            natural += tabWidth(i);
        }
        const bool stretch = rows.size() > 1;
        int x = 0;
        for (int k = 0; k < row.size(); ++k) {
            int w = tabWidth(row.at(k));
            if (stretch && natural > 0) {
                w = k == row.size() - 1 ? width() - x : w * width() / natural;
            }
            m_tabs[row.at(k)].rect = QRect(x, r * h, w, h);
            x += w;
        }
    }
    if (int(rows.size()) != m_rows) {
        m_rows = int(rows.size());
        updateGeometry();
    }
    update();
}

QSize TMultiRowTabBar::sizeHint() const
{
    return {200, heightForWidth(width() > 0 ? width() : 200)};
}

QSize TMultiRowTabBar::minimumSizeHint() const
{
    return sizeHint();
}

int TMultiRowTabBar::heightForWidth(int w) const
{
    return int(rowsFor(qMax(1, w)).size()) * tabHeight() + 2;
}

void TMultiRowTabBar::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    relayout();
    setFixedHeight(heightForWidth(width()));
}

void TMultiRowTabBar::paintEvent(QPaintEvent*)
{
    QStylePainter p(this);
    for (int i = 0; i < count(); ++i) {
        const Tab& tab = m_tabs.at(i);
        if (!tab.visible || i == m_current) {
            continue;
        }
        QStyleOptionTab opt;
        opt.initFrom(this);
        opt.rect = tab.rect;
        opt.text = tab.caption;
        opt.shape = QTabBar::RoundedNorth;
        opt.state &= ~(QStyle::State_Selected | QStyle::State_HasFocus);
        p.drawControl(QStyle::CE_TabBarTab, opt);
    }
    if (isTabVisible(m_current)) {
        QStyleOptionTab opt;
        opt.initFrom(this);
        opt.rect = m_tabs.at(m_current).rect;
        opt.text = m_tabs.at(m_current).caption;
        opt.shape = QTabBar::RoundedNorth;
        opt.state |= QStyle::State_Selected;
        if (!hasFocus()) {
            opt.state &= ~QStyle::State_HasFocus;
        }
        p.drawControl(QStyle::CE_TabBarTab, opt);
    }
}

void TMultiRowTabBar::mousePressEvent(QMouseEvent* event)
{
    for (int i = 0; i < count(); ++i) {
        if (isTabVisible(i) && m_tabs.at(i).rect.contains(event->position().toPoint())) {
            setCurrentIndex(i);
            return;
        }
    }
    QWidget::mousePressEvent(event);
}

void TMultiRowTabBar::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Left || event->key() == Qt::Key_Right) {
        step(event->key() == Qt::Key_Left ? -1 : 1);
        return;
    }
    QWidget::keyPressEvent(event);
}

// Next or previous visible tab in tab order, wrapping around.
void TMultiRowTabBar::step(int delta)
{
    if (count() == 0) {
        return;
    }
    int i = m_current;
    for (int n = 0; n < count(); ++n) {
        i = (i + delta + count()) % count();
        if (isTabVisible(i)) {
            setCurrentIndex(i);
            return;
        }
    }
}

} // namespace nox
