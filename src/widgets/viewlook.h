#pragma once
// What the day view and the month view share in their look: the colour and
// style of a kind of text, and the values of their border, drag, alignment
// and text-layout properties.
#include "core/color.h"

#include <functional>

namespace nox
{

enum TAlignment { taLeftJustify, taRightJustify, taCenter };
enum TTextLayout { tlTop, tlCenter, tlBottom };
// bsSingle: a 2-pixel sunken edge.
enum TBorderStyle { bsNone, bsSingle };
// dmAutomatic: dragging the selected entry past the drag distance starts a
// drag of it.
enum TDragMode { dmManual, dmAutomatic };

// Colour and style of one kind of text. The typeface and size always come
// from the owning control's font.
class TViewFont
{
public:
    TViewFont() = default;
    TViewFont(TColor color, TFontStyles style) : m_color(color), m_style(style) {}
    TViewFont(const TViewFont&) = delete;
    TViewFont& operator=(const TViewFont&) = delete;

    TColor Color() const { return m_color; }
    void setColor(TColor value);
    // Bits of nox::FontStyleBit (fsBold, fsItalic, fsUnderline, fsStrikeOut).
    TFontStyles Style() const { return m_style; }
    void setStyle(TFontStyles value);

    // Copies the colour, then the style, through the setters (OnChange
    // fires per change).
    void Assign(const TViewFont& source);

    // Fires after the colour or the style changed to a new value.
    std::function<void()> OnChange;

private:
    void changed();

    TColor m_color = clBlack;
    TFontStyles m_style = 0;
};

} // namespace nox
