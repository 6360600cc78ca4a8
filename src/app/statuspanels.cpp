#include "app/statuspanels.h"

#include <QEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QWidget>

#include "core/datetime.h"
#include "core/sunkenframe.h"
#include "core/textline.h"
#include "store/skedrec.h"

namespace nox
{

namespace
{

const QString kNoFilterText = QStringLiteral("分類 指定なし");
constexpr int kTextIndent = 2; // owner-drawn text from the panel's left edge
constexpr int kZoneInset = 2;  // double-click zones stop short of the edges
constexpr int kHolidayKind = 3;

} // namespace

TStatusPanels::TStatusPanels(QWidget* parent) : QStatusBar(parent)
{
    setSizeGripEnabled(false);
    m_viewFont = font();
    m_panels[0].width = kMinWidth0;
    m_panels[1].width = kMinWidth1;
    m_panels[2].width = 50;
    setCategoryFilter(QString());
    updateHeight();
}

void TStatusPanels::setOwnerDraw(bool on)
{
    if (on == m_ownerDraw) {
        return;
    }
    m_ownerDraw = on;
    restyle();
    updateHeight();
}

void TStatusPanels::setViewFont(const QFont& font)
{
    m_viewFont = QFont(font.family());
    if (font.pointSizeF() > 0) {
        m_viewFont.setPointSizeF(font.pointSizeF());
    } else {
        m_viewFont.setPixelSize(font.pixelSize());
    }
    restyle();
    updateHeight();
}

void TStatusPanels::setColors(const TStatusColors& colors)
{
    m_colors = colors;
    restyle();
}

void TStatusPanels::setCategoryFilter(const QString& filter)
{
    m_filter = filter;
    m_panels[0].text = filter.isEmpty() ? kNoFilterText : filter;
    restyle();
}

void TStatusPanels::setDayPanel(const QString& text, int dayKind)
{
    m_panels[1].text = text;
    m_dayKind = dayKind;
    m_dayBackgroundGiven = false;
    restyle();
}

void TStatusPanels::setDayPanel(const QString& text, int dayKind, TColor background)
{
    m_panels[1].text = text;
    m_dayKind = dayKind;
    m_dayBackgroundGiven = true;
    m_dayBackground = background;
    restyle();
}

void TStatusPanels::setSchedulePanel(const QString& text, TColor textColor, int fontStyles)
{
    m_panels[2].text = text;
    m_panels[2].look = {m_colors.viewColor, textColor, fontStyles};
    update();
}

// Works the looks and widths of panels 0 and 1 out from their inputs.
void TStatusPanels::restyle()
{
    const bool filtered = !m_filter.isEmpty();
    m_panels[0].look = filtered ? TStatusPanelLook{m_colors.focusColor, m_colors.focusFontColor, fsBold}
                                : TStatusPanelLook{m_colors.viewColor, m_colors.viewFontColor, 0};

    TColor dayBackground = m_colors.viewColor;
    switch (m_dayKind) {
    case 1:
        dayBackground = m_colors.saturdayColor;
        break;
    case 2:
        dayBackground = m_colors.sundayColor;
        break;
    case kHolidayKind:
        dayBackground = m_colors.holidayColor;
        break;
    default:
        break;
    }
    if (m_dayBackgroundGiven) {
        dayBackground = m_dayBackground;
    }
    m_panels[1].look = {dayBackground, m_colors.rulerFontColor, m_dayKind == kHolidayKind ? fsBold : 0};
    m_panels[2].look.background = m_colors.viewColor;

    m_panels[0].width = fittedWidth(m_panels[0].text, m_panels[0].look.fontStyles, kMinWidth0);
    m_panels[1].width = fittedWidth(m_panels[1].text, m_panels[1].look.fontStyles, kMinWidth1);
    update();
}

QFont TStatusPanels::panelFont(int fontStyles) const
{
    if (!m_ownerDraw) {
        return font();
    }
    QFont f = m_viewFont;
    applyFontStyles(f, fontStyles);
    return f;
}

int TStatusPanels::fittedWidth(const QString& text, int fontStyles, int minimum) const
{
    return qMax(minimum, lineWidth(text, panelFont(fontStyles)) + 8);
}

void TStatusPanels::updateHeight()
{
    const int height =
        m_ownerDraw ? QFontMetrics(m_viewFont).height() + 4 : QFontMetrics(font()).height() + 6;
    setFixedHeight(height);
    updateGeometry();
}

QSize TStatusPanels::sizeHint() const
{
    return {m_panels[0].width + m_panels[1].width + m_panels[2].width, height()};
}

QSize TStatusPanels::minimumSizeHint() const
{
    return {0, height()};
}

QString TStatusPanels::panelText(int index) const
{
    return index >= 0 && index < kPanelCount ? m_panels[index].text : QString();
}

int TStatusPanels::panelWidth(int index) const
{
    return panelRect(index).width();
}

TStatusPanelLook TStatusPanels::panelLook(int index) const
{
    return index >= 0 && index < kPanelCount ? m_panels[index].look : TStatusPanelLook{};
}

QRect TStatusPanels::panelRect(int index) const
{
    if (index < 0 || index >= kPanelCount) {
        return {};
    }
    int left = 0;
    for (int i = 0; i < index; ++i) {
        left += m_panels[i].width;
    }
    // The last panel takes the rest of the bar.
    const int width = index == kPanelCount - 1 ? qMax(0, this->width() - left) : m_panels[index].width;
    return {left, 0, width, height()};
}

int TStatusPanels::panelAt(const QPoint& pos) const
{
    for (int i = 0; i < kPanelCount; ++i) {
        const QRect r = panelRect(i);
        if (pos.x() >= r.left() + kZoneInset && pos.x() <= r.left() + r.width() - kZoneInset) {
            return i;
        }
    }
    return -1;
}

void TStatusPanels::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.fillRect(rect(), palette().color(QPalette::Window));
    for (int i = 0; i < kPanelCount; ++i) {
        if (m_ownerDraw) {
            paintOwnerDrawn(p, i);
        } else {
            paintPlain(p, i);
        }
    }
}

void TStatusPanels::paintPlain(QPainter& p, int index) const
{
    const QRect r = panelRect(index).adjusted(1, 1, -2, -2);
    // A sunken frame like the panels of a native status bar.
    drawSunkenFrame(p, r, palette().color(QPalette::Dark), palette().color(QPalette::Light));
    p.setFont(font());
    p.setPen(palette().color(QPalette::WindowText));
    const QRect textRect = r.adjusted(kTextIndent + 1, 0, -2, 0);
    const QString text = elidedLine(m_panels[index].text, p.font(), textRect.width());
    // Inside the frame's lines, which reach half a pixel further in at twice
    // the density.
    const TextGround ground{palette().color(QPalette::Window), textRect & r.adjusted(2, 2, -2, -2)};
    drawTextLine(p, textRect, Qt::AlignLeft | Qt::AlignVCenter, text, &ground);
}

void TStatusPanels::paintOwnerDrawn(QPainter& p, int index) const
{
    const Panel& panel = m_panels[index];
    const QRect r = panelRect(index).adjusted(0, 0, -1, 0);
    p.fillRect(r, toQColor(panel.look.background, palette()));
    p.setFont(panelFont(panel.look.fontStyles));
    p.setPen(toQColor(panel.look.textColor, palette()));
    const QRect textRect = r.adjusted(kTextIndent, 0, 0, 0);
    const TextGround ground{toQColor(panel.look.background, palette()), textRect & r};
    drawTextLine(p, textRect, Qt::AlignLeft | Qt::AlignVCenter, panel.text, &ground);
}

void TStatusPanels::mouseDoubleClickEvent(QMouseEvent* event)
{
    const int panel = panelAt(event->position().toPoint());
    if (panel >= 0 && OnPanelDblClick) {
        OnPanelDblClick(this, panel, event->globalPosition().toPoint());
    }
}

void TStatusPanels::changeEvent(QEvent* event)
{
    QStatusBar::changeEvent(event);
    if (event->type() == QEvent::FontChange) {
        restyle();
        updateHeight();
    }
}

QString scheduleSpanText(int startSlot, int endSlot, const QString& memo)
{
    QString text = slotTimeText(startSlot) + QLatin1Char('-') + slotTimeText(endSlot);
    if (memo.isEmpty()) {
        return text;
    }
    // A panel shows one line: a long memo is cut before it is measured and drawn.
    constexpr qsizetype kMaxMemoChars = 512;
    QString flat = unescapeSkedText(memo.left(kMaxMemoChars + 6)).left(kMaxMemoChars);
    flat.replace(QLatin1String("\r\n"), QLatin1String(" "));
    flat.replace(QLatin1Char('\r'), QLatin1Char(' '));
    flat.replace(QLatin1Char('\n'), QLatin1Char(' '));
    return text + QLatin1String(" / ") + flat;
}

namespace tray
{

LeftClick leftClickAction(bool minimized, bool visible)
{
    if (minimized) {
        return LeftClick::Restore;
    }
    return visible ? LeftClick::Hide : LeftClick::Show;
}

void applyLeftClick(QWidget* window)
{
    const bool minimized = window->isMinimized() && window->isVisible();
    switch (leftClickAction(minimized, window->isVisible())) {
    case LeftClick::Restore:
    case LeftClick::Show:
        showAndRaise(window);
        break;
    case LeftClick::Hide:
        window->hide();
        break;
    }
}

bool openItemEnabled(bool windowVisible)
{
    return !windowVisible;
}

bool closeHidesWindow(bool trayMode, bool trayIconShown, bool windowVisible, bool exitRequested)
{
    return trayMode && trayIconShown && windowVisible && !exitRequested;
}

QString toolTip(const QString& version)
{
    return (QStringLiteral("Nox - ver ") + version).left(63);
}

void showAndRaise(QWidget* window)
{
    if (window->isMinimized()) {
        window->setWindowState(window->windowState() & ~Qt::WindowMinimized);
    }
    window->show();
    window->raise();
    window->activateWindow();
}

} // namespace tray

} // namespace nox
