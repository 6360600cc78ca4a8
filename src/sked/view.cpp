#include "sked/view.h"

namespace nox::sked
{

namespace
{

// Stores a real change; returns true iff the value changed.
template <class T> bool storeChange(T& field, const T& value)
{
    if (field == value) {
        return false;
    }
    field = value;
    return true;
}

void raise(const TChangeNotify& notify)
{
    if (notify) {
        notify();
    }
}

} // namespace

// --- TFocusStyle ---

TFocusStyle::TFocusStyle()
{
    m_font.setColor(clHighlightText);
    m_font.OnChange = [this] { changed(); };
}

void TFocusStyle::setColor(TColor value)
{
    if (storeChange(m_color, value)) {
        changed();
    }
}

void TFocusStyle::setRectStyle(TFocusRectStyle value)
{
    if (storeChange(m_rectStyle, value)) {
        changed();
    }
}

void TFocusStyle::setRectLineWidth(int value)
{
    if (storeChange(m_rectLineWidth, value)) {
        changed();
    }
}

void TFocusStyle::Assign(const TFocusStyle& source)
{
    m_color = source.m_color;
    m_rectStyle = source.m_rectStyle;
    m_rectLineWidth = source.m_rectLineWidth;
    m_font.Assign(source.m_font);
}

void TFocusStyle::changed()
{
    raise(OnChange);
}

// --- TTopBar ---

TTopBar::TTopBar()
{
    m_font.OnChange = [this] { appearanceChanged(); };
}

void TTopBar::setCaption(const QString& value)
{
    if (storeChange(m_caption, value)) {
        appearanceChanged();
    }
}

void TTopBar::setVisible(bool value)
{
    if (storeChange(m_visible, value)) {
        sizeChanged();
    }
}

void TTopBar::setColor(TColor value)
{
    if (storeChange(m_color, value)) {
        appearanceChanged();
    }
}

void TTopBar::setAlignment(TAlignment value)
{
    if (storeChange(m_alignment, value)) {
        appearanceChanged();
    }
}

void TTopBar::setLayout(TTextLayout value)
{
    if (storeChange(m_layout, value)) {
        appearanceChanged();
    }
}

void TTopBar::setHeight(int value)
{
    if (storeChange(m_height, qMax(0, value))) {
        sizeChanged();
    }
}

void TTopBar::setEdgeStyle(TEdgeStyle value)
{
    if (storeChange(m_edgeStyle, value)) {
        appearanceChanged();
    }
}

void TTopBar::setLineColor(TColor value)
{
    if (storeChange(m_lineColor, value)) {
        appearanceChanged();
    }
}

void TTopBar::Assign(const TTopBar& source)
{
    setVisible(source.m_visible);
    setColor(source.m_color);
    setAlignment(source.m_alignment);
    setLayout(source.m_layout);
    setHeight(source.m_height);
    setEdgeStyle(source.m_edgeStyle);
    setLineColor(source.m_lineColor);
    m_font.Assign(source.m_font);
}

void TTopBar::sizeChanged()
{
    raise(OnSizeChange);
}

void TTopBar::appearanceChanged()
{
    raise(OnAppearanceChange);
}

// --- TLeftBar ---

TLeftBar::TLeftBar()
{
    m_font.OnChange = [this] { appearanceChanged(); };
}

void TLeftBar::setVisible(bool value)
{
    if (storeChange(m_visible, value)) {
        sizeChanged();
    }
}

void TLeftBar::setColor(TColor value)
{
    if (storeChange(m_color, value)) {
        appearanceChanged();
    }
}

void TLeftBar::setAlignment(TAlignment value)
{
    if (storeChange(m_alignment, value)) {
        appearanceChanged();
    }
}

void TLeftBar::setWidth(int value)
{
    if (storeChange(m_width, qMax(0, value))) {
        sizeChanged();
    }
}

void TLeftBar::setEdgeStyle(TEdgeStyle value)
{
    if (storeChange(m_edgeStyle, value)) {
        appearanceChanged();
    }
}

void TLeftBar::setLineColor(TColor value)
{
    if (storeChange(m_lineColor, value)) {
        appearanceChanged();
    }
}

void TLeftBar::setLeftMargin(int value)
{
    if (storeChange(m_leftMargin, value)) {
        appearanceChanged();
    }
}

void TLeftBar::setRightMargin(int value)
{
    if (storeChange(m_rightMargin, value)) {
        appearanceChanged();
    }
}

void TLeftBar::setHighlightColor(TColor value)
{
    if (storeChange(m_highlightColor, value)) {
        appearanceChanged();
    }
}

void TLeftBar::setHighlightHeight(int value)
{
    if (storeChange(m_highlightHeight, value)) {
        appearanceChanged();
    }
}

void TLeftBar::setHighlightLine(int value)
{
    if (storeChange(m_highlightLine, value)) {
        appearanceChanged();
    }
}

void TLeftBar::Assign(const TLeftBar& source)
{
    setVisible(source.m_visible);
    setColor(source.m_color);
    setAlignment(source.m_alignment);
    setWidth(source.m_width);
    setEdgeStyle(source.m_edgeStyle);
    setLineColor(source.m_lineColor);
    setLeftMargin(source.m_leftMargin);
    setRightMargin(source.m_rightMargin);
    setHighlightColor(source.m_highlightColor);
    setHighlightHeight(source.m_highlightHeight);
    m_font.Assign(source.m_font);
}

void TLeftBar::sizeChanged()
{
    raise(OnSizeChange);
}

void TLeftBar::appearanceChanged()
{
    raise(OnAppearanceChange);
}

// --- TView ---

TView::TView()
{
    m_topBar.OnSizeChange = [this] { raise(OnSizeChange); };
    m_topBar.OnAppearanceChange = [this] { raise(OnTopBarChange); };
    m_leftBar.OnSizeChange = [this] { raise(OnSizeChange); };
    m_leftBar.OnAppearanceChange = [this] { raise(OnLeftBarChange); };
    m_focusStyle.OnChange = [this] { contentChanged(); };
}

void TView::setLineWidth(int value)
{
    if (storeChange(m_lineWidth, qMax(0, qMin(value, m_indentSize)))) {
        contentChanged();
    }
}

void TView::setLineColor(TColor value)
{
    if (storeChange(m_lineColor, value)) {
        contentChanged();
    }
}

void TView::setIndentSize(int value)
{
    value = qMax(0, value);
    if (!storeChange(m_indentSize, value)) {
        return;
    }
    if (m_lineWidth > m_indentSize) {
        m_lineWidth = m_indentSize;
    }
    contentChanged();
}

void TView::Assign(const TView& source)
{
    setLineWidth(source.m_lineWidth);
    setLineColor(source.m_lineColor);
    setIndentSize(source.m_indentSize);
    m_topBar.Assign(source.m_topBar);
    m_leftBar.Assign(source.m_leftBar);
    m_focusStyle.Assign(source.m_focusStyle);
}

QRect TView::viewRect(QSize picture) const
{
    const int left = m_leftBar.Visible() ? m_leftBar.Width() : 0;
    const int top = topBarHeight();
    return QRect(QPoint(left, top), QPoint(picture.width() - 1, picture.height() - 1));
}

QRect TView::topBarRect(QSize picture) const
{
    if (!m_topBar.Visible()) {
        return QRect();
    }
    return QRect(0, 0, picture.width(), m_topBar.Height());
}

QRect TView::leftBarRect(QSize picture) const
{
    if (!m_leftBar.Visible()) {
        return QRect();
    }
    const int top = topBarHeight();
    return QRect(QPoint(0, top), QPoint(m_leftBar.Width() - 1, picture.height() - 1));
}

void TView::contentChanged()
{
    raise(OnContentChange);
}

} // namespace nox::sked
