// The colour and font helpers that need Qt GUI. Kept apart from the names and
// parsing in color.cpp so that command-line programs, which use only those,
// do not load the GUI libraries.
#include "core/color.h"

#include <QHash>

#include <cmath>

#include <QFont>
#include <QGuiApplication>
#include <QPalette>

#include <array>

namespace nox
{

namespace
{

struct SystemRole {
    QPalette::ColorGroup group;
    QPalette::ColorRole role;
};

// The one mapping from system colour index to the desktop palette.
constexpr std::array<SystemRole, 31> kSystemRoles = {{
    {QPalette::Active, QPalette::Button},          // 0 clScrollBar
    {QPalette::Active, QPalette::Window},          // 1 clBackground
    {QPalette::Active, QPalette::Highlight},       // 2 clActiveCaption
    {QPalette::Inactive, QPalette::Mid},           // 3 clInactiveCaption
    {QPalette::Active, QPalette::Window},          // 4 clMenu
    {QPalette::Active, QPalette::Base},            // 5 clWindow
    {QPalette::Active, QPalette::Shadow},          // 6 clWindowFrame
    {QPalette::Active, QPalette::WindowText},      // 7 clMenuText
    {QPalette::Active, QPalette::Text},            // 8 clWindowText
    {QPalette::Active, QPalette::HighlightedText}, // 9 clCaptionText
    {QPalette::Active, QPalette::Window},          // 10 clActiveBorder
    {QPalette::Inactive, QPalette::Window},        // 11 clInactiveBorder
    {QPalette::Active, QPalette::Dark},            // 12 clAppWorkSpace
    {QPalette::Active, QPalette::Highlight},       // 13 clHighlight
    {QPalette::Active, QPalette::HighlightedText}, // 14 clHighlightText
    {QPalette::Active, QPalette::Button},          // 15 clBtnFace
    {QPalette::Active, QPalette::Dark},            // 16 clBtnShadow
    {QPalette::Disabled, QPalette::Text},          // 17 clGrayText
    {QPalette::Active, QPalette::ButtonText},      // 18 clBtnText
    {QPalette::Inactive, QPalette::WindowText},    // 19 clInactiveCaptionText
    {QPalette::Active, QPalette::Light},           // 20 clBtnHighlight
    {QPalette::Active, QPalette::Shadow},          // 21 cl3DDkShadow
    {QPalette::Active, QPalette::Midlight},        // 22 cl3DLight
    {QPalette::Active, QPalette::ToolTipText},     // 23 clInfoText
    {QPalette::Active, QPalette::ToolTipBase},     // 24 clInfoBk
    {QPalette::Active, QPalette::Window},          // 25 (no name)
    {QPalette::Active, QPalette::Link},            // 26 clHotLight
    {QPalette::Active, QPalette::Highlight},       // 27 clGradientActiveCaption
    {QPalette::Inactive, QPalette::Midlight},      // 28 clGradientInactiveCaption
    {QPalette::Active, QPalette::Highlight},       // 29 clMenuHighlight
    {QPalette::Active, QPalette::Window},          // 30 clMenuBar
}};

QPalette currentPalette()
{
    if (qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
        return QGuiApplication::palette();
    }
    return QPalette();
}

} // namespace

QColor toQColor(TColor color)
{
    return toQColor(color, currentPalette());
}

QColor toQColor(TColor color, const QPalette& palette)
{
    if (color == clNone || color == clDefault) {
        return QColor();
    }
    if (color & clSystemColor) {
        const quint32 index = color & 0xFF;
        if (index >= kSystemRoles.size()) {
            return QColor();
        }
        const SystemRole& r = kSystemRoles[index];
        return palette.color(r.group, r.role);
    }
    return QColor(int(color & 0xFF), int((color >> 8) & 0xFF), int((color >> 16) & 0xFF));
}

TColor fromQColor(const QColor& color)
{
    const QColor rgb = color.toRgb();
    return TColor(rgb.red()) | (TColor(rgb.green()) << 8) | (TColor(rgb.blue()) << 16);
}

void applyFontStyles(QFont& font, TFontStyles styles)
{
    font.setBold(styles & fsBold);
    font.setItalic(styles & fsItalic);
    font.setUnderline(styles & fsUnderline);
    font.setStrikeOut(styles & fsStrikeOut);
}

TFontStyles fontStylesOf(const QFont& font)
{
    TFontStyles s = 0;
    if (font.bold()) {
        s |= fsBold;
    }
    if (font.italic()) {
        s |= fsItalic;
    }
    if (font.underline()) {
        s |= fsUnderline;
    }
    if (font.strikeOut()) {
        s |= fsStrikeOut;
    }
    return s;
}

namespace
{
constexpr double kLegibleContrast = 3.0;
constexpr double kTargetContrast = 4.5;

double linearChannel(double c)
{
    return c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

// `color` with its HSL lightness set to `lightness` (0..1), hue and
// saturation kept.
QColor withLightness(const QColor& color, double lightness)
{
    const QColor hsl = color.toHsl();
    return QColor::fromHslF(hsl.hslHueF(), hsl.hslSaturationF(), float(lightness), hsl.alphaF()).toRgb();
}
} // namespace

double relativeLuminance(const QColor& color)
{
    const QColor c = color.toRgb();
    return 0.2126 * linearChannel(c.redF()) + 0.7152 * linearChannel(c.greenF()) +
           0.0722 * linearChannel(c.blueF());
}

double contrastRatio(const QColor& a, const QColor& b)
{
    const double la = relativeLuminance(a);
    const double lb = relativeLuminance(b);
    return (qMax(la, lb) + 0.05) / (qMin(la, lb) + 0.05);
}

namespace
{

QColor computeReadableOn(const QColor& color, const QColor& background);

} // namespace

// Views ask for the same few pairs on every paint: the answers are kept.
QColor readableOn(const QColor& color, const QColor& background)
{
    if (!color.isValid() || !background.isValid()) {
        return color;
    }
    struct Answer {
        bool same = true; // the colour itself
        QColor readable;  // else this one, at its full precision
    };
    thread_local QHash<quint64, Answer> answers;
    const quint64 key = (quint64(color.rgba()) << 32) | background.rgba();
    auto it = answers.constFind(key);
    if (it == answers.cend()) {
        if (answers.size() >= 1024) {
            answers.clear();
        }
        const QColor readable = computeReadableOn(color, background);
        it = answers.insert(key, Answer{readable == color, readable});
    }
    return it->same ? color : it->readable;
}

namespace
{

QColor computeReadableOn(const QColor& color, const QColor& background)
{
    if (contrastRatio(color, background) >= kLegibleContrast) {
        return color;
    }
    const bool lighter = contrastRatio(Qt::white, background) >= contrastRatio(Qt::black, background);
    // Bisect the lightness between the colour's own and the far end; the
    // contrast grows monotonically towards that end.
    double nearL = color.toHsl().lightnessF();
    double farL = lighter ? 1.0 : 0.0;
    if (contrastRatio(withLightness(color, farL), background) < kTargetContrast) {
        return withLightness(color, farL);
    }
    for (int i = 0; i < 20; ++i) {
        const double mid = (nearL + farL) / 2;
        if (contrastRatio(withLightness(color, mid), background) >= kTargetContrast) {
            farL = mid;
        } else {
            nearL = mid;
        }
    }
    return withLightness(color, farL);
}

} // namespace

} // namespace nox
