#pragma once
// Colours as the data files store them: 32-bit 0x00BBGGRR. A value with the
// high bit set (0x80000000 + index) names a system colour that is resolved to
// the desktop palette only when drawn.
#include <QColor>
#include <QString>
#include <QtGlobal>

class QFont;
class QPalette;

namespace nox
{

using TColor = quint32;

constexpr TColor clBlack = 0x000000, clMaroon = 0x000080, clGreen = 0x008000, clOlive = 0x008080,
                 clNavy = 0x800000, clPurple = 0x800080, clTeal = 0x808000, clGray = 0x808080,
                 clSilver = 0xC0C0C0, clRed = 0x0000FF, clLime = 0x00FF00, clYellow = 0x00FFFF,
                 clBlue = 0xFF0000, clFuchsia = 0xFF00FF, clAqua = 0xFFFF00, clWhite = 0xFFFFFF,
                 clMoneyGreen = 0xC0DCC0, clSkyBlue = 0xF0CAA6, clCream = 0xF0FBFF, clMedGray = 0xA4A0A0,
                 clNone = 0x1FFFFFFF, clDefault = 0x20000000;

constexpr TColor clSystemColor = 0x80000000;
constexpr TColor clScrollBar = clSystemColor + 0, clBackground = clSystemColor + 1,
                 clActiveCaption = clSystemColor + 2, clInactiveCaption = clSystemColor + 3,
                 clMenu = clSystemColor + 4, clWindow = clSystemColor + 5, clWindowFrame = clSystemColor + 6,
                 clMenuText = clSystemColor + 7, clWindowText = clSystemColor + 8,
                 clCaptionText = clSystemColor + 9, clActiveBorder = clSystemColor + 10,
                 clInactiveBorder = clSystemColor + 11, clAppWorkSpace = clSystemColor + 12,
                 clHighlight = clSystemColor + 13, clHighlightText = clSystemColor + 14,
                 clBtnFace = clSystemColor + 15, clBtnShadow = clSystemColor + 16,
                 clGrayText = clSystemColor + 17, clBtnText = clSystemColor + 18,
                 clInactiveCaptionText = clSystemColor + 19, clBtnHighlight = clSystemColor + 20,
                 cl3DDkShadow = clSystemColor + 21, cl3DLight = clSystemColor + 22,
                 clInfoText = clSystemColor + 23, clInfoBk = clSystemColor + 24,
                 clHotLight = clSystemColor + 26, clGradientActiveCaption = clSystemColor + 27,
                 clGradientInactiveCaption = clSystemColor + 28, clMenuHighlight = clSystemColor + 29,
                 clMenuBar = clSystemColor + 30;

// Font style bits as records and INI files store them.
enum FontStyleBit : int { fsBold = 1, fsItalic = 2, fsUnderline = 4, fsStrikeOut = 8 };
using TFontStyles = int;

// The name form: a constant name where the value has one ("clWindowText"),
// else "$" and eight upper-case hex digits ("$00FF8000").
QString colorToString(TColor color);

// Reads a name (any case), "$" hex or a plain decimal number (negative numbers
// are taken as their 32-bit pattern). Returns false and leaves *color alone
// when the text is none of these.
bool stringToColor(const QString& text, TColor* color);

// The colour to draw with: system colours come from the palette (the
// application's when none is given), clNone/clDefault give an invalid QColor.
QColor toQColor(TColor color);
QColor toQColor(TColor color, const QPalette& palette);

// Inverse for plain colours (the colour dialog): 0x00BBGGRR of an RGB colour.
TColor fromQColor(const QColor& color);

// Contrast as the web accessibility guidelines measure it: the relative
// luminance of a colour (0 black .. 1 white) and the ratio of two colours'
// luminances (1 .. 21, the lighter one over the darker, each plus 0.05).
double relativeLuminance(const QColor& color);
double contrastRatio(const QColor& a, const QColor& b);

// The colour to draw `color` with on `background`: itself when the two
// contrast by at least 3:1; otherwise a shade of the same hue, lighter or
// darker (towards the side the background leaves more room on), changed just
// enough to reach 4.5:1 (as far as black or white allows). The stored colour
// stays what the user chose; only the drawing is adjusted. An invalid colour
// comes back unchanged.
QColor readableOn(const QColor& color, const QColor& background);

// Applies the style bits to a font.
void applyFontStyles(QFont& font, TFontStyles styles);
TFontStyles fontStylesOf(const QFont& font);

} // namespace nox
