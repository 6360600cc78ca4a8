#pragma once
// Appearance of a day column: header band, time ruler, focus marking and the
// item gutter. The parts only store values and tell their owner what changed;
// the owner repaints or copies the change on.
#include "sked/skedtypes.h"
#include "widgets/viewlook.h"

#include <QRect>
#include <QSize>
#include <QString>

namespace nox::sked
{

// How the focus row and the selection are shown.
class TFocusStyle
{
public:
    TFocusStyle();
    TFocusStyle(const TFocusStyle&) = delete;
    TFocusStyle& operator=(const TFocusStyle&) = delete;

    // Brush of the selected ruler cell, of a solid focus frame and of the
    // handle and drop marks.
    TColor Color() const { return m_color; }
    void setColor(TColor value);
    // Text colour and style of the selected ruler cell.
    TViewFont& Font() { return m_font; }
    const TViewFont& Font() const { return m_font; }
    TFocusRectStyle RectStyle() const { return m_rectStyle; }
    void setRectStyle(TFocusRectStyle value);
    // Frame width for sfrLine, at least 1 when drawn.
    int RectLineWidth() const { return m_rectLineWidth; }
    void setRectLineWidth(int value);

    // Copies Color, RectStyle, RectLineWidth without notifying, then assigns
    // the font (which notifies when it changes).
    void Assign(const TFocusStyle& source);

    TChangeNotify OnChange;

private:
    void changed();

    TColor m_color = clHighlight;
    TViewFont m_font;
    TFocusRectStyle m_rectStyle = sfrDotLine;
    int m_rectLineWidth = 1;
};

// Header band of a column.
class TTopBar
{
public:
    TTopBar();
    TTopBar(const TTopBar&) = delete;
    TTopBar& operator=(const TTopBar&) = delete;

    // The column's heading; never copied by Assign.
    QString Caption() const { return m_caption; }
    void setCaption(const QString& value);
    bool Visible() const { return m_visible; }
    void setVisible(bool value);
    TColor Color() const { return m_color; }
    void setColor(TColor value);
    TViewFont& Font() { return m_font; }
    const TViewFont& Font() const { return m_font; }
    TAlignment Alignment() const { return m_alignment; }
    void setAlignment(TAlignment value);
    TTextLayout Layout() const { return m_layout; }
    void setLayout(TTextLayout value);
    int Height() const { return m_height; }
    void setHeight(int value);
    TEdgeStyle EdgeStyle() const { return m_edgeStyle; }
    void setEdgeStyle(TEdgeStyle value);
    TColor LineColor() const { return m_lineColor; }
    void setLineColor(TColor value);

    // Copies Visible, Color, Alignment, Layout, Height, EdgeStyle, LineColor,
    // Font through the setters. Caption stays.
    void Assign(const TTopBar& source);

    TChangeNotify OnSizeChange;       // Height, Visible
    TChangeNotify OnAppearanceChange; // everything else, font included

private:
    void sizeChanged();
    void appearanceChanged();

    QString m_caption;
    bool m_visible = true;
    TColor m_color = clWhite;
    TViewFont m_font;
    TAlignment m_alignment = taLeftJustify;
    TTextLayout m_layout = tlCenter;
    int m_height = 16;
    TEdgeStyle m_edgeStyle = sesLine;
    TColor m_lineColor = clBlack;
};

// Time ruler at the left of a column.
class TLeftBar
{
public:
    TLeftBar();
    TLeftBar(const TLeftBar&) = delete;
    TLeftBar& operator=(const TLeftBar&) = delete;

    bool Visible() const { return m_visible; }
    void setVisible(bool value);
    TColor Color() const { return m_color; }
    void setColor(TColor value);
    TViewFont& Font() { return m_font; }
    const TViewFont& Font() const { return m_font; }
    TAlignment Alignment() const { return m_alignment; }
    void setAlignment(TAlignment value);
    int Width() const { return m_width; }
    void setWidth(int value);
    TEdgeStyle EdgeStyle() const { return m_edgeStyle; }
    void setEdgeStyle(TEdgeStyle value);
    TColor LineColor() const { return m_lineColor; }
    void setLineColor(TColor value);
    int LeftMargin() const { return m_leftMargin; }
    void setLeftMargin(int value);
    int RightMargin() const { return m_rightMargin; }
    void setRightMargin(int value);
    TColor HighlightColor() const { return m_highlightColor; }
    void setHighlightColor(TColor value);
    int HighlightHeight() const { return m_highlightHeight; }
    void setHighlightHeight(int value);
    // Line drawn bold with a highlight strip (the current half-hour on the
    // column showing today); -1 none. Not copied by Assign.
    int HighlightLine() const { return m_highlightLine; }
    void setHighlightLine(int value);

    // Copies Visible, Color, Alignment, Width, EdgeStyle, LineColor,
    // LeftMargin, RightMargin, HighlightColor, HighlightHeight, Font.
    void Assign(const TLeftBar& source);

    TChangeNotify OnSizeChange;       // Width, Visible
    TChangeNotify OnAppearanceChange; // everything else, font included

private:
    void sizeChanged();
    void appearanceChanged();

    bool m_visible = true;
    TColor m_color = clWhite;
    TViewFont m_font;
    TAlignment m_alignment = taLeftJustify;
    int m_width = 36;
    TEdgeStyle m_edgeStyle = sesLine;
    TColor m_lineColor = clBtnFace;
    int m_leftMargin = 2;
    int m_rightMargin = 2;
    TColor m_highlightColor = clRed;
    int m_highlightHeight = 2;
    int m_highlightLine = -1;
};

// The whole appearance of a column. Invariant: LineWidth <= IndentSize.
class TView
{
public:
    TView();
    TView(const TView&) = delete;
    TView& operator=(const TView&) = delete;

    TTopBar& TopBar() { return m_topBar; }
    const TTopBar& TopBar() const { return m_topBar; }
    TLeftBar& LeftBar() { return m_leftBar; }
    const TLeftBar& LeftBar() const { return m_leftBar; }
    TFocusStyle& FocusStyle() { return m_focusStyle; }
    const TFocusStyle& FocusStyle() const { return m_focusStyle; }

    // Width of an item's time bar and thickness of its handles and of the
    // drop mark; stored as min(value, IndentSize).
    int LineWidth() const { return m_lineWidth; }
    void setLineWidth(int value);
    // Stored and copied; the column draws each bar in its item's colour.
    TColor LineColor() const { return m_lineColor; }
    void setLineColor(TColor value);
    // Width of the bar gutter and of one indent level; lowers LineWidth when
    // set below it.
    int IndentSize() const { return m_indentSize; }
    void setIndentSize(int value);

    // LineWidth, LineColor, IndentSize through the setters (in this order),
    // then TopBar, LeftBar, FocusStyle through their own Assign.
    void Assign(const TView& source);

    // Geometry for a picture of the given size.
    QRect viewRect(QSize picture) const;
    QRect topBarRect(QSize picture) const;
    QRect leftBarRect(QSize picture) const;
    // Height of the visible header band, 0 when hidden.
    int topBarHeight() const { return m_topBar.Visible() ? m_topBar.Height() : 0; }

    TChangeNotify OnContentChange; // LineWidth, LineColor, IndentSize, FocusStyle
    TChangeNotify OnSizeChange;    // from both bars
    TChangeNotify OnTopBarChange;  // top bar appearance
    TChangeNotify OnLeftBarChange; // left bar appearance

private:
    void contentChanged();

    TTopBar m_topBar;
    TLeftBar m_leftBar;
    TFocusStyle m_focusStyle;
    int m_lineWidth = 2;
    TColor m_lineColor = clBlack;
    int m_indentSize = 8;
};

} // namespace nox::sked
