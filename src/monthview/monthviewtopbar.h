#pragma once
// The weekday header of the month view.
#include "core/color.h"
#include "widgets/viewlook.h"

#include <functional>

namespace nox::monthview
{

class TMonthViewTopBar
{
public:
    TMonthViewTopBar();
    TMonthViewTopBar(const TMonthViewTopBar&) = delete;
    TMonthViewTopBar& operator=(const TMonthViewTopBar&) = delete;

    bool Visible() const { return m_visible; }
    void SetVisible(bool visible);
    TColor Color() const { return m_color; }
    void SetColor(TColor color);
    // Colour and style of the weekday names; its changes notify like the others.
    TViewFont& Font() { return m_font; }
    const TViewFont& Font() const { return m_font; }
    TAlignment Alignment() const { return m_alignment; }
    void SetAlignment(TAlignment alignment);
    TTextLayout Layout() const { return m_layout; }
    void SetLayout(TTextLayout layout);
    int Height() const { return m_height; }
    void SetHeight(int height);

    // Copies all six properties (visibility included).
    void Assign(const TMonthViewTopBar& source);

    // Fires after any property (or the font) changed to a new value.
    std::function<void()> OnChange;

private:
    template <class T> void store(T& field, const T& value)
    {
        if (field != value) {
            field = value;
            changed();
        }
    }
    void changed();

    bool m_visible = true;
    TColor m_color = clBtnFace;
    TViewFont m_font;
    TAlignment m_alignment = taCenter;
    TTextLayout m_layout = tlCenter;
    int m_height = 16;
};

} // namespace nox::monthview
