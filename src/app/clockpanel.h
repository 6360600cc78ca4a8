#pragma once
// The clock: a small panel with a lowered bevel floating over the main
// window's client area, showing the current date-time in a user format. It is
// either kept at a fixed corner with margins or left where the user dragged
// it. The panel reads and writes no settings itself: the window gives it the
// values of the "clock" keys and stores position and visibility.
#include <QDateTime>
#include <QFont>
#include <QPoint>
#include <QSize>
#include <QWidget>
#include <functional>

#include "core/color.h"

class QMenu;

namespace nox
{

// Corners of the fixed position ("clock"/"fixedposindex").
enum TClockCorner : int { ccTopLeft = 0, ccBottomLeft = 1, ccTopRight = 2, ccBottomRight = 3 };

// What placing the clock needs to know about its window. The bottom edges are
// measured from the top of the status bar.
struct TClockArea {
    QSize client;            // the window's client area
    int statusBarHeight = 0; // reserved at the bottom
};

struct TClockPlacement {
    QPoint pos;
    int xMargin = 0;
    int yMargin = 0;
};

// The position of a clock of size `clock` in `area`: at the corner with the
// margins when `fixedPos`, else `current`; then a negative left or top becomes
// 0 and a clock reaching past the right edge or below the top of the status
// bar is moved back. With `fixedPos` the margins are computed back from the
// final position (so clamping changes them); otherwise they are returned as
// given.
TClockPlacement placeClock(const TClockArea& area, QSize clock, bool fixedPos, int corner, int xMargin,
                           int yMargin, QPoint current);

// The margins of a clock at `pos` measured from the two edges of `corner`.
QPoint clockMargins(const TClockArea& area, QSize clock, int corner, QPoint pos);

// A dragged position kept inside the area above the status bar, left and
// top never below 0.
QPoint clampDraggedClock(const TClockArea& area, QSize clock, QPoint pos);

class TClockPanel : public QWidget
{
    Q_OBJECT
public:
    // The parent is the window whose client area the clock floats over.
    explicit TClockPanel(QWidget* parent);

    // Date-time pattern of the text ("clock"/"format", e.g. "hh:nn ampm").
    void setFormat(const QString& format);
    QString format() const { return m_format; }
    QString text() const { return m_text; }

    // Background and text colours ("clock"/"bkcolor", "fgcolor").
    void setColors(TColor background, TColor text);
    TColor backgroundColor() const { return m_background; }
    TColor textColor() const { return m_textColor; }
    // Colours shown while the clock is dragged (the day view's focus colours).
    void setDragColors(TColor background, TColor text);

    // The clock font ("fontname", "fontsize", "fontstyle"): family, points and
    // the style bits fsBold | fsItalic | fsUnderline.
    void setClockFont(const QString& family, int pointSize, int styles);

    // Fixed corner and margins ("fixedpos", "fixedposindex", "xmargin", "ymargin").
    void setFixedPos(bool fixed);
    bool fixedPos() const { return m_fixedPos; }
    void setCorner(int corner); // 0..3, other values are clamped
    int corner() const { return m_corner; }
    void setMargins(int xMargin, int yMargin);
    int xMargin() const { return m_xMargin; }
    int yMargin() const { return m_yMargin; }

    // Height reserved for the status bar at the bottom of the parent.
    void setStatusBarHeight(int height);

    // Once enabled (after the window's start-up), the clock is placed again
    // whenever its parent is resized.
    void setAutoPlace(bool enabled);

    // Sets the text from `now` in the format, when the clock is shown.
    void tick(const QDateTime& now);
    // Sizes the clock for the widest text of its format (the time 23:59:51)
    // in its font, plus 8 pixels each way, then places it.
    void sizeToFormat();
    // Places the clock as placeClock() says, in the parent's client area.
    void place();

    QMenu* contextMenu() const { return m_menu; }

    // "隠す" of the menu: the clock is already hidden when this is raised.
    std::function<void(QObject* Sender)> OnHideClick;
    // "設定..." of the menu.
    std::function<void(QObject* Sender)> OnSettingsClick;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    TClockArea area() const;
    void buildMenu();
    void endDrag();

    QString m_format = QStringLiteral("hh:nn ampm");
    QString m_text;
    TColor m_background = clBlack;
    TColor m_textColor = clYellow;
    TColor m_dragBackground = clHighlight;
    TColor m_dragText = clHighlightText;
    bool m_fixedPos = true;
    int m_corner = ccBottomRight;
    int m_xMargin = 2;
    int m_yMargin = 2;
    int m_statusBarHeight = 0;
    bool m_autoPlace = false;
    bool m_dragging = false;
    QPoint m_pressPoint;
    QMenu* m_menu = nullptr;
};

} // namespace nox
