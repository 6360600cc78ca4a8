#include "core/color.h"


#include <cctype>

namespace nox
{

namespace
{

struct ColorName {
    TColor value;
    const char* name;
};

// Constants with a name; colorToString writes the name, stringToColor reads it.
constexpr ColorName kColorNames[] = {
    {clBlack, "clBlack"},
    {clMaroon, "clMaroon"},
    {clGreen, "clGreen"},
    {clOlive, "clOlive"},
    {clNavy, "clNavy"},
    {clPurple, "clPurple"},
    {clTeal, "clTeal"},
    {clGray, "clGray"},
    {clSilver, "clSilver"},
    {clRed, "clRed"},
    {clLime, "clLime"},
    {clYellow, "clYellow"},
    {clBlue, "clBlue"},
    {clFuchsia, "clFuchsia"},
    {clAqua, "clAqua"},
    {clWhite, "clWhite"},
    {clMoneyGreen, "clMoneyGreen"},
    {clSkyBlue, "clSkyBlue"},
    {clCream, "clCream"},
    {clMedGray, "clMedGray"},
    {clNone, "clNone"},
    {clDefault, "clDefault"},
    {clScrollBar, "clScrollBar"},
    {clBackground, "clBackground"},
    {clActiveCaption, "clActiveCaption"},
    {clInactiveCaption, "clInactiveCaption"},
    {clMenu, "clMenu"},
    {clWindow, "clWindow"},
    {clWindowFrame, "clWindowFrame"},
    {clMenuText, "clMenuText"},
    {clWindowText, "clWindowText"},
    {clCaptionText, "clCaptionText"},
    {clActiveBorder, "clActiveBorder"},
    {clInactiveBorder, "clInactiveBorder"},
    {clAppWorkSpace, "clAppWorkSpace"},
    {clHighlight, "clHighlight"},
    {clHighlightText, "clHighlightText"},
    {clBtnFace, "clBtnFace"},
    {clBtnShadow, "clBtnShadow"},
    {clGrayText, "clGrayText"},
    {clBtnText, "clBtnText"},
    {clInactiveCaptionText, "clInactiveCaptionText"},
    {clBtnHighlight, "clBtnHighlight"},
    {cl3DDkShadow, "cl3DDkShadow"},
    {cl3DLight, "cl3DLight"},
    {clInfoText, "clInfoText"},
    {clInfoBk, "clInfoBk"},
    {clHotLight, "clHotLight"},
    {clGradientActiveCaption, "clGradientActiveCaption"},
    {clGradientInactiveCaption, "clGradientInactiveCaption"},
    {clMenuHighlight, "clMenuHighlight"},
    {clMenuBar, "clMenuBar"},
};

const ColorName* findByValue(TColor color)
{
    for (const ColorName& n : kColorNames) {
        if (n.value == color) {
            return &n;
        }
    }
    return nullptr;
}

const ColorName* findByName(const QString& name)
{
    for (const ColorName& n : kColorNames) {
        const QLatin1String candidate(n.name);
        if (name.size() == candidate.size() && name.compare(candidate, Qt::CaseInsensitive) == 0) {
            return &n;
        }
    }
    return nullptr;
}

bool isHexDigits(const QString& s)
{
    for (QChar c : s) {
        if (!isxdigit(c.unicode() < 128 ? c.toLatin1() : 'x')) {
            return false;
        }
    }
    return true;
}

} // namespace

QString colorToString(TColor color)
{
    if (const ColorName* n = findByValue(color)) {
        return QString::fromLatin1(n->name);
    }
    return QStringLiteral("$%1").arg(color, 8, 16, QLatin1Char('0')).toUpper();
}

bool stringToColor(const QString& text, TColor* color)
{
    const QString t = text.trimmed();
    if (t.isEmpty()) {
        return false;
    }
    if (const ColorName* n = findByName(t)) {
        *color = n->value;
        return true;
    }
    bool ok = false;
    if (t.startsWith(QLatin1Char('$'))) {
        const QString hex = t.mid(1);
        if (hex.isEmpty() || hex.size() > 8 || !isHexDigits(hex)) {
            return false;
        }
        const uint v = hex.toUInt(&ok, 16);
        if (ok) {
            *color = v;
        }
        return ok;
    }
    const qlonglong v = t.toLongLong(&ok, 10);
    if (!ok || v < -2147483648LL || v > 4294967295LL) {
        return false;
    }
    *color = TColor(quint32(v));
    return true;
}

} // namespace nox
