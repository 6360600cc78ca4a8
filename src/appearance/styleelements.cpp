#include "appearance/styleelements.h"

#include <QList>

namespace nox
{

namespace
{
using A = TStyleColorAccess;

struct Entry {
    const char* caption;
    A access;
    unsigned controls;
    TColor* (*color)(TStyle&);
};

#define NOX_FIELD(expr) [](TStyle & s) -> TColor* { return &s.expr; }

const Entry kEntries[] = {
    {"--------共通", A::None, secNone, nullptr},
    {"背景色", A::Button, secNone, NOX_FIELD(Color)},
    {"文字", A::Button, secFontName | secFontSize, NOX_FIELD(FontColor)},
    {"選択背景色", A::Button, secNone, NOX_FIELD(ViewFocusStyleColor)},
    {"選択文字", A::Button, secNone, NOX_FIELD(ViewFocusStyleFontColor)},
    {"日曜日 背景色", A::Button, secNone, NOX_FIELD(DayKind.SundayBKColor)},
    {"日曜日 文字色", A::Button, secNone, NOX_FIELD(DayKind.SundayFGColor)},
    {"土曜日 背景色", A::Button, secNone, NOX_FIELD(DayKind.SaturdayBKColor)},
    {"土曜日 文字色", A::Button, secNone, NOX_FIELD(DayKind.SaturdayFGColor)},
    {"祝祭日 背景色", A::Button, secNone, NOX_FIELD(DayKind.HolidayBKColor)},
    {"祝祭日 文字色", A::Button, secNone, NOX_FIELD(DayKind.HolidayFGColor)},
    {"--------ヘッダー", A::None, secNone, nullptr},
    {"表示", A::None, secHeaderVisible, nullptr},
    {"背景色 ", A::Button, secNone, NOX_FIELD(HeaderBKColor)},
    {"文字 ", A::Button, secFontName | secHeaderFontSize | secSecondSize, NOX_FIELD(HeaderFGColor)},
    {"--------WeeklyView", A::None, secNone, nullptr},
    {"スケジュールライン", A::None, secDayLineWidth, nullptr},
    {"レフトバー 背景色", A::Button, secNone, NOX_FIELD(ViewLeftBarColor)},
    {"レフトバー 文字(時間帯)", A::Button, secHalfFormat, NOX_FIELD(ViewLeftBarFontColor)},
    {"レフトバー 縁", A::Button, secNone, NOX_FIELD(ViewLeftBarLineColor)},
    {"ヘッダー 背景色", A::Button, secNone, NOX_FIELD(ViewTopBarColor)},
    {"ヘッダー 文字", A::Button, secNone, NOX_FIELD(ViewTopBarFontColor)},
    {"メモマーク", A::Button, secNone, NOX_FIELD(DayKind.MemoMarkColor)},
    {"現在時刻表示", A::DoubleClickOnly, secNone, NOX_FIELD(ViewHighlightColor)},
    {"--------MonthlyView", A::None, secNone, nullptr},
    {"今日", A::Button, secNone, NOX_FIELD(TodayColor)},
    {"罫線", A::Button, secMonthLineWidth | secSizing, NOX_FIELD(MVLineColor)},
    {"平日 文字色", A::Button, secNone, NOX_FIELD(WeekDayFGColor)},
    {"ヘッダー 背景色 ", A::Button, secNone, NOX_FIELD(MVTopBarColor)},
    {"ヘッダー 文字 ", A::Button, secNone, NOX_FIELD(MVTopBarFontColor)},
    {"非対象月 背景色", A::Button, secNone, NOX_FIELD(MVOtherColor)},
    {"非対象月 文字色", A::Button, secNone, NOX_FIELD(MVOtherFontColor)},
    {"スケジュール 背景色", A::Button, secNone, NOX_FIELD(DayKind.SkedBKColor)},
    {"スケジュール 枠色", A::Button, secNone, NOX_FIELD(SkedFrameColor)},
    {"スケジュール メモマーク", A::Button, secNone, NOX_FIELD(MVMarkColor)},
    {"日付別メモマーク", A::Button, secNone, NOX_FIELD(DayKind.DayMemoMarkColor)},
};

#undef NOX_FIELD

constexpr int kCount = int(sizeof(kEntries) / sizeof(kEntries[0]));

const QList<TStyleElement>& elements()
{
    static const QList<TStyleElement> list = [] {
        QList<TStyleElement> l;
        for (const Entry& e : kEntries) {
            const QString caption = QString::fromUtf8(e.caption);
            l.append({caption, caption.startsWith(QStringLiteral("--")), e.access, e.controls});
        }
        return l;
    }();
    return list;
}
} // namespace

int StyleElementCount()
{
    return kCount;
}

const TStyleElement& StyleElement(int index)
{
    return elements().at(qBound(0, index, kCount - 1));
}

int StyleElementIndex(const QString& caption)
{
    for (int i = 0; i < kCount; ++i) {
        if (elements().at(i).caption == caption) {
            return i;
        }
    }
    return -1;
}

TColor* StyleElementColor(TStyle& style, int index)
{
    if (index < 0 || index >= kCount || !kEntries[index].color) {
        return nullptr;
    }
    return kEntries[index].color(style);
}

TColor StyleElementColorValue(const TStyle& style, int index)
{
    TStyle copy = style;
    const TColor* color = StyleElementColor(copy, index);
    return color ? *color : clNone;
}

} // namespace nox
