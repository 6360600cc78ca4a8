#pragma once
// The main window's status bar with its three panels:
//   0  the category filter ("分類 指定なし" when none), at least 128 wide
//   1  the day's name and number of schedules, at least 100 wide
//   2  the selected schedule's time span and memo, the rest of the width
// Plain panels show their text in the bar's own font and colours. Owner-drawn
// panels ("window1"/"statusbar") use the day view's font and colours: panel 0
// in the focus colours and bold while a filter is active, panel 1 coloured by
// the kind of day, panel 2 in the selected schedule's colour and style.
// Below the class: the tray behaviour, kept free of the window.
#include <QFont>
#include <QStatusBar>
#include <functional>

#include "core/color.h"

class QWidget;

namespace nox
{

// The colours the panels borrow from the day view and the active style.
struct TStatusColors {
    TColor viewColor = clWindow;         // day view Color
    TColor viewFontColor = clWindowText; // day view font colour
    TColor focusColor = clHighlight;     // View.FocusStyle.Color
    TColor focusFontColor = clHighlightText;
    TColor rulerFontColor = clWindowText; // View.LeftBar.Font.Color
    TColor saturdayColor = 0x00FFE1E1;    // "SaturdayBKColor"
    TColor sundayColor = 0x00DDDDFF;      // "SundayBKColor"
    TColor holidayColor = 0x00B0FFFF;     // "HolidayBKColor"
};

// How one panel is drawn in the owner-drawn form.
struct TStatusPanelLook {
    TColor background = clWindow;
    TColor textColor = clWindowText;
    int fontStyles = 0; // fsBold | fsItalic | fsUnderline | fsStrikeOut
};

class TStatusPanels : public QStatusBar
{
    Q_OBJECT
public:
    static constexpr int kPanelCount = 3;
    static constexpr int kMinWidth0 = 128;
    static constexpr int kMinWidth1 = 100;

    explicit TStatusPanels(QWidget* parent = nullptr);

    // Owner-drawn panels; the bar's height becomes the height of the day
    // view's font + 4 (plain: the bar font's height + 6).
    void setOwnerDraw(bool on);
    bool ownerDraw() const { return m_ownerDraw; }
    // Family and size of the day view's font, used by the owner-drawn form.
    void setViewFont(const QFont& font);
    void setColors(const TStatusColors& colors);
    const TStatusColors& colors() const { return m_colors; }

    // Panel 0: `filter`, or "分類 指定なし" when it is empty; width = text width
    // (bold when a filter is active and the panels are owner-drawn) + 8, at least 128.
    void setCategoryFilter(const QString& filter);
    // Panel 1 in the day view: the background follows `dayKind` (0 weekday,
    // 1 Saturday, 2 Sunday, 3 holiday, which is also bold); width = text width
    // + 8, at least 100.
    void setDayPanel(const QString& text, int dayKind);
    // Panel 1 in the month view: as above with the month view's background.
    void setDayPanel(const QString& text, int dayKind, TColor background);
    // Panel 2: the text in the selected schedule's colour and style bits.
    void setSchedulePanel(const QString& text, TColor textColor = clWindowText, int fontStyles = 0);

    QString panelText(int index) const;
    int panelWidth(int index) const;
    TStatusPanelLook panelLook(int index) const;
    QRect panelRect(int index) const;
    // The panel whose double-click zone holds `pos`: from 2 pixels inside its
    // left edge to 2 pixels inside its right edge; -1 between the zones.
    int panelAt(const QPoint& pos) const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

    // Double-click in a panel's zone (panel 0: the category menu, panel 1:
    // the holiday settings; panel 2 is reported too).
    std::function<void(QObject* Sender, int panel, const QPoint& globalPos)> OnPanelDblClick;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    struct Panel {
        QString text;
        int width = 0;
        TStatusPanelLook look;
    };
    QFont panelFont(int fontStyles) const;
    int fittedWidth(const QString& text, int fontStyles, int minimum) const;
    void restyle();
    void updateHeight();
    void paintPlain(QPainter& p, int index) const;
    void paintOwnerDrawn(QPainter& p, int index) const;

    Panel m_panels[kPanelCount];
    bool m_ownerDraw = false;
    QFont m_viewFont;
    TStatusColors m_colors;
    // Inputs kept so that a change of colours or mode can restyle the panels.
    QString m_filter;
    int m_dayKind = 0;
    bool m_dayBackgroundGiven = false;
    TColor m_dayBackground = clWindow;
};

// Panel 2's text for a schedule: start time, "-", end time ("8:00-9:30") and,
// when the memo is not empty, " / " and the memo with its line breaks (CR LF,
// CR or LF, escaped or not) shown as spaces.
QString scheduleSpanText(int startSlot, int endSlot, const QString& memo);

// The tray icon's behaviour, apart from the icon and its menu.
namespace tray
{

enum class LeftClick { Restore, Show, Hide };

// What a left button press on the icon does to the main window.
LeftClick leftClickAction(bool minimized, bool visible);
// Applies leftClickAction to the window.
void applyLeftClick(QWidget* window);

// "Nox を開く(&O)" is enabled only while the window is hidden.
bool openItemEnabled(bool windowVisible);

// Whether closing the window only hides it: in tray mode, with the window
// visible and no exit asked for through the tray menu. Without a usable tray
// icon the window is closed instead, so it never hides out of reach.
bool closeHidesWindow(bool trayMode, bool trayIconShown, bool windowVisible, bool exitRequested);

// "Nox - ver " + version, cut to the 63 characters of a tip.
QString toolTip(const QString& version);

// Shows, restores and raises the window (a second start asks for this).
void showAndRaise(QWidget* window);

} // namespace tray

} // namespace nox
