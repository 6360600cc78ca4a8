#include "core/settings.h"

#include "core/inidocument.h"
#include "core/settingsmemory_p.h"

namespace nox
{

namespace
{

using T = SettingType;

// Sane limits of what the file may say: a window's place and size in pixels
// (a value further out is no screen's), a font's size in points.
constexpr int kMaxPlace = 32767;
constexpr int kMaxSize = 32767;
constexpr int kMaxFontSize = 200;
// Font styles are bits (bold 1, italic 2, underline 4, strike-out 8); other
// bits of a byte mean nothing and do no harm.
constexpr int kMaxFontStyle = 255;

// clang-format off
const QList<SettingDef> kSettings = {
    {Key::NoxVersion, "nox", "version", T::String, "", false},

    {Key::Window1Left, "window1", "left", T::Int, "0", false, -kMaxPlace, kMaxPlace},
    {Key::Window1Top, "window1", "top", T::Int, "0", false, -kMaxPlace, kMaxPlace},
    {Key::Window1Width, "window1", "width", T::Int, "630", false, 1, kMaxSize},
    {Key::Window1Height, "window1", "height", T::Int, "460", false, 1, kMaxSize},
    {Key::Window1WindowState, "window1", "windowstate", T::Int, "0", false, 0, 2},
    {Key::Window1ToolbarHeight, "window1", "toolbarheight", T::Int, "30", false, 0, 512},
    {Key::Window1Memo, "window1", "memo", T::Bool, "1", false},
    {Key::Window1MemoHeight, "window1", "memoheight", T::Int, "64", false, 0, kMaxSize},
    {Key::Window1ViewMode, "window1", "viewmode", T::Int, "1", false, 1, 2},
    {Key::Window1DateFormat, "window1", "dateformat", T::String, "yyyy/m/dd(aaa)", false},
    {Key::Window1StatusBar, "window1", "statusbar", T::Bool, "0", false},
    {Key::Window1TaskBar, "window1", "taskbar", T::Bool, "0", false},

    {Key::SkedStyle, "sked", "style", T::Int, "0", false, 0, 2},
    {Key::SkedHalfFormat, "sked", "halfformat", T::Bool, "1", false},
    {Key::SkedCount, "sked", "count", T::Int, "5", false, 1, 7},
    {Key::SkedTopIndex, "sked", "topindex", T::Int, "16", false, 0, 47},
    {Key::SkedLeftDate, "sked", "leftdate", T::Int, "0", false, -365, 365},

    {Key::MonthViewTimeViewStyle, "monthview", "timeviewstyle", T::Int, "1", false, 0, 2},
    {Key::MonthViewDefaultTime, "monthview", "MVDefaultTime", T::Int, "18", false, 0, 47},

    {Key::CategorySelect, "category", "select", T::String, "", false},

    {Key::SearchDateFormat, "search", "dateformat", T::String, "yyyy/m/dd(aaa)", false},
    {Key::SearchEndClose, "search", "endclose", T::Bool, "1", false},
    {Key::SearchSearchColor, "search", "searchcolor", T::Bool, "1", false},
    {Key::SearchSearchColorValue, "search", "searchcolorvalue", T::Color, "$00FFE9D7", false},
    {Key::SearchLayout, "search", "layout", T::String, "サンプル", false},
    {Key::SearchDuplicateDate, "search", "duplicatedate", T::Bool, "0", false},
    {Key::SearchNoneSkedDate, "search", "noneskeddate", T::Int, "1", false, 0, 2},
    {Key::SearchLeft, "search", "left", T::Int, "8", true, -kMaxPlace, kMaxPlace},   // main window's left + 8
    {Key::SearchTop, "search", "top", T::Int, "8", true, -kMaxPlace, kMaxPlace},     // main window's top + 8
    {Key::SearchWidth, "search", "width", T::Int, "600", false, 1, kMaxSize},
    {Key::SearchHeight, "search", "height", T::Int, "447", false, 1, kMaxSize},
    {Key::SearchWindowState, "search", "windowstate", T::Int, "0", false, 0, 2},
    {Key::SearchLeftWidth, "search", "leftwidth", T::Int, "177", false, 0, kMaxSize},
    {Key::SearchToolbarHeight, "search", "toolbarheight", T::Int, "30", false, 0, 512},
    {Key::SearchSCheck, "search", "scheck", T::Bool, "0", false},
    {Key::SearchECheck, "search", "echeck", T::Bool, "0", false},
    {Key::SearchSDate, "search", "sdate", T::Date, "", true},  // today
    {Key::SearchEDate, "search", "edate", T::Date, "", true},  // today
    {Key::SearchColumn0, "search", "Column0", T::Int, "20", false, 0, kMaxSize},
    {Key::SearchColumn1, "search", "Column1", T::Int, "90", false, 0, kMaxSize},
    {Key::SearchColumn2, "search", "Column2", T::Int, "60", false, 0, kMaxSize},
    {Key::SearchColumn3, "search", "Column3", T::Int, "194", false, 0, kMaxSize},
    {Key::SearchColumn4, "search", "Column4", T::Int, "60", false, 0, kMaxSize},
    {Key::SearchColumn5, "search", "Column5", T::Int, "60", false, 0, kMaxSize},

    {Key::ClockLeft, "clock", "left", T::Int, "560", false, -kMaxPlace, kMaxPlace},
    {Key::ClockTop, "clock", "top", T::Int, "397", false, -kMaxPlace, kMaxPlace},
    {Key::ClockVisible, "clock", "visible", T::Bool, "1", false},
    {Key::ClockFormat, "clock", "format", T::String, "hh:nn ampm", false},
    {Key::ClockBkColor, "clock", "bkcolor", T::Color, "clBlack", false},
    {Key::ClockFgColor, "clock", "fgcolor", T::Color, "clYellow", false},
    {Key::ClockFontName, "clock", "fontname", T::String, "ＭＳ Ｐゴシック", true}, // the day view's font
    {Key::ClockFontSize, "clock", "fontsize", T::Int, "9", false, 1, kMaxFontSize},
    {Key::ClockFontStyle, "clock", "fontstyle", T::Int, "1", false, 0, kMaxFontStyle},
    {Key::ClockFixedPos, "clock", "fixedpos", T::Bool, "1", false},
    {Key::ClockFixedPosIndex, "clock", "fixedposindex", T::Int, "3", false, 0, 3},
    {Key::ClockXMargin, "clock", "xmargin", T::Int, "2", false, 0, 999},
    {Key::ClockYMargin, "clock", "ymargin", T::Int, "2", false, 0, 999},

    {Key::AlarmEnable, "alarm", "enable", T::Bool, "1", false},
    {Key::AlarmSound, "alarm", "sound", T::String, "", false},

    {Key::BellEnable, "bell", "enable", T::Bool, "0", false},
    {Key::BellSound, "bell", "sound", T::String, "", false},
    {Key::BellBell1, "bell", "bell1", T::Bool, "0", false},
    {Key::BellBell2, "bell", "bell2", T::Bool, "0", false},
    {Key::BellBell3, "bell", "bell3", T::Bool, "0", false},
    {Key::BellTime1, "bell", "time1", T::String, "10:30", false},
    {Key::BellTime2, "bell", "time2", T::String, "15:00", false},
    {Key::BellTime3, "bell", "time3", T::String, "17:00", false},
    {Key::BellBell60, "bell", "bell60", T::Bool, "0", false},
    {Key::BellBell30, "bell", "bell30", T::Bool, "0", false},
    {Key::BellMsg60, "bell", "msg60", T::String, "時報", false},
    {Key::BellMsg30, "bell", "msg30", T::String, "時報", false},
    {Key::BellMsg1, "bell", "msg1", T::String, "", false},
    {Key::BellMsg2, "bell", "msg2", T::String, "", false},
    {Key::BellMsg3, "bell", "msg3", T::String, "", false},

    {Key::PopupBkColor, "popupwindow", "bkcolor", T::Color, "$009DFFFF", false},
    {Key::PopupFgColor, "popupwindow", "fgcolor", T::Color, "clBlack", false},
    {Key::PopupFontName, "popupwindow", "fontname", T::String, "ＭＳ Ｐゴシック", false},
    {Key::PopupFontSize, "popupwindow", "fontsize", T::Int, "10", false, 1, kMaxFontSize},
    {Key::PopupFontStyle, "popupwindow", "fontstyle", T::Int, "1", false, 0, kMaxFontStyle},
    {Key::PopupWidth, "popupwindow", "width", T::Int, "160", false, 1, kMaxSize},
    {Key::PopupHeight, "popupwindow", "height", T::Int, "120", false, 1, kMaxSize},
    {Key::PopupFormat, "popupwindow", "format", T::String, "h\"時\"nn\"分\"", false},
    {Key::PopupPos, "popupwindow", "pos", T::Int, "3", false, 0, 3},

    {Key::TempMemoLeft, "tempmemo", "left", T::Int, "0", false, -kMaxPlace, kMaxPlace},
    {Key::TempMemoTop, "tempmemo", "top", T::Int, "0", false, -kMaxPlace, kMaxPlace},
    {Key::TempMemoWidth, "tempmemo", "width", T::Int, "300", false, 1, kMaxSize},
    {Key::TempMemoHeight, "tempmemo", "height", T::Int, "200", false, 1, kMaxSize},
    {Key::TempMemoWindowState, "tempmemo", "windowstate", T::Int, "0", false, 0, 2},
    {Key::TempMemoStayOnTop, "tempmemo", "stayontop", T::Bool, "0", false},
    {Key::TempMemoVisible, "tempmemo", "visible", T::Bool, "0", false},
    {Key::FoldersResults, "folders", "results", T::String, "", false},
    {Key::FoldersStyles, "folders", "styles", T::String, "", false},

    {Key::KoyomiRokuyo, "koyomi", "rokuyo", T::Bool, "0", false},
    {Key::KoyomiLunar, "koyomi", "kyureki", T::Bool, "0", false},
    {Key::KoyomiSeasonal, "koyomi", "sekki", T::Bool, "0", false},
};
// clang-format on

QString sectionOf(Key key)
{
    return QString::fromLatin1(settingDef(key).section);
}

QString nameOf(Key key)
{
    return QString::fromLatin1(settingDef(key).key);
}

} // namespace

const SettingDef& settingDef(Key key)
{
    Q_ASSERT(int(key) >= 0 && int(key) < kSettings.size());
    Q_ASSERT(kSettings[int(key)].id == key); // rows follow the enum's order
    return kSettings[int(key)];
}

const QList<SettingDef>& allSettings()
{
    return kSettings;
}

QString defaultString(Key key)
{
    return QString::fromUtf8(settingDef(key).defaultText);
}

int defaultInt(Key key)
{
    return defaultString(key).toInt();
}

bool defaultBool(Key key)
{
    return defaultInt(key) != 0;
}

TColor defaultColor(Key key)
{
    TColor c = clBlack;
    stringToColor(defaultString(key), &c);
    return c;
}

QString dateSettingText(const QDate& date)
{
    return date.toString(QStringLiteral("yyyy/MM/dd"));
}

bool isSettingDateInRange(const QDate& date)
{
    return date.isValid() && date.year() >= kFirstSettingYear && date.year() <= kLastSettingYear;
}

QDate dateFromSettingText(const QString& text)
{
    const QStringList parts = text.trimmed().split(u'/');
    if (parts.size() != 3) {
        return QDate();
    }
    bool okY = false, okM = false, okD = false;
    const QDate d(parts[0].toInt(&okY), parts[1].toInt(&okM), parts[2].toInt(&okD));
    return okY && okM && okD ? d : QDate();
}

QString Settings::readString(Key key, const QString& def) const
{
    return settingsmemory::value(path(), sectionOf(key), nameOf(key), def);
}

int Settings::readInt(Key key, int def) const
{
    int v = 0;
    if (!IniDocument::parseInteger(readString(key, QString()), &v)) {
        return def;
    }
    const SettingDef& d = settingDef(key);
    return v >= d.low && v <= d.high ? v : def;
}

bool Settings::readBool(Key key, bool def) const
{
    return readInt(key, def ? 1 : 0) != 0;
}

TColor Settings::readColor(Key key, TColor def) const
{
    TColor c = def;
    return stringToColor(readString(key, QString()), &c) ? c : def;
}

double Settings::readFloat(Key key, double def) const
{
    double v = 0;
    return IniDocument::parseFloat(readString(key, QString()), &v) ? v : def;
}

QDate Settings::readDate(Key key, const QDate& def) const
{
    const QDate d = dateFromSettingText(readString(key, QString()));
    return isSettingDateInRange(d) ? d : def;
}

// Into the open batch of the file, else one write of the file.
bool Settings::writeString(Key key, const QString& value)
{
    bool ok = false;
    if (settingsmemory::writeToBatch(path(), sectionOf(key), nameOf(key), value, &ok)) {
        return ok;
    }
    ok = m_ini.writeString(sectionOf(key), nameOf(key), value);
    settingsmemory::forget(path());
    return ok;
}

bool Settings::writeInt(Key key, int value)
{
    return writeString(key, QString::number(value));
}

bool Settings::writeBool(Key key, bool value)
{
    return writeString(key, value ? QStringLiteral("1") : QStringLiteral("0"));
}

bool Settings::writeColor(Key key, TColor value)
{
    return writeString(key, colorToString(value));
}

bool Settings::writeFloat(Key key, double value)
{
    return writeString(key, QString::number(value, 'g', 15));
}

bool Settings::writeDate(Key key, const QDate& value)
{
    return writeString(key, dateSettingText(value));
}

bool Settings::deleteOldSearchKeywords()
{
    bool ok = true;
    for (int i = 1; i <= 20; ++i) {
        const QString key = QStringLiteral("keyword%1").arg(i);
        bool removed = false;
        if (!settingsmemory::removeFromBatch(path(), QStringLiteral("search"), key, &removed)) {
            removed = m_ini.deleteKey(QStringLiteral("search"), key);
            settingsmemory::forget(path());
        }
        ok = removed && ok;
    }
    return ok;
}

} // namespace nox
