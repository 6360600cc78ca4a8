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

QStyleOptionTab TMultiRowTabBar::tabOption(int index) const
{
    QStyleOptionTab opt;
    opt.initFrom(this);
    opt.text = m_tabs.at(index).caption;
    opt.shape = QTabBar::RoundedNorth;
    opt.rect = m_tabs.at(index).rect;
    if (index == m_current) {
        opt.state |= QStyle::State_Selected;
    } else {
        opt.state &= ~QStyle::State_Selected;
    }
    if (index != m_current || !hasFocus()) {
        opt.state &= ~QStyle::State_HasFocus;
    }
    return opt;
}

// The style's own size for the caption, as a tab bar asks for it: the style
// draws the text inside its margins, which a width of our own would cut off
// (a lone tab is not stretched).
int TMultiRowTabBar::tabWidth(int index) const
{
    const QStyleOptionTab opt = tabOption(index);
    const int text = fontMetrics().size(Qt::TextShowMnemonic, opt.text).width();
    const QSize contents(text + style()->pixelMetric(QStyle::PM_TabBarTabHSpace, &opt, this),
                         fontMetrics().height() + style()->pixelMetric(QStyle::PM_TabBarTabVSpace, &opt, this));
    const QSize size = style()->sizeFromContents(QStyle::CT_TabBarTab, &opt, contents, this);
    return qMax(size.width(), text + kPadding);
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
        p.drawControl(QStyle::CE_TabBarTab, tabOption(i));
    }
    if (isTabVisible(m_current)) {
        p.drawControl(QStyle::CE_TabBarTab, tabOption(m_current));
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
