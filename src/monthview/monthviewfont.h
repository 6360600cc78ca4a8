#pragma once
// Colour and style of one kind of text in the month view (the typeface and
// size are always the control's own font).
#include "core/color.h"

#include <functional>

namespace nox::monthview
{

class TMonthViewFont
{
public:
    TMonthViewFont() = default;
    TMonthViewFont(TColor color, TFontStyles style) : m_color(color), m_style(style) {}
    TMonthViewFont(const TMonthViewFont&) = delete;
    TMonthViewFont& operator=(const TMonthViewFont&) = delete;

    TColor Color() const { return m_color; }
    void SetColor(TColor color);
    // Bits of nox::FontStyleBit (fsBold, fsItalic, fsUnderline, fsStrikeOut).
    TFontStyles Style() const { return m_style; }
    void SetStyle(TFontStyles style);

    // Copies colour and style through the setters (OnChange fires per change).
    void Assign(const TMonthViewFont& source);

    // Fires after the colour or the style changed to a new value.
    std::function<void()> OnChange;

private:
    void changed();

    TColor m_color = clBlack;
    TFontStyles m_style = 0;
};

} // namespace nox::monthview
