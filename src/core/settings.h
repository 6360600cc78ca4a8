#pragma once
// Every key of "Nox.ini" in one typed table, and accessors that read or write
// one key per call. A write opens, changes and closes the file through
// IniFile, unless a SettingsBatch (core/settingsbatch.h) is open on it. A
// read takes the key from the process's last reading of the file, which is
// read again whenever its stamp shows a change (core/filestamp.h): reading
// the eighty keys of a start-up costs one read of the file.
//
//   nox::Settings s(nox::folders::dataFile("Nox.ini"));
//   int count = s.readInt(nox::Key::SkedCount);          // table default 5
//   s.writeInt(nox::Key::SkedCount, 7);
//   int left = s.readInt(nox::Key::SearchLeft, mainLeft + 8);   // caller's default
//
// Keys whose default depends on the running program (hasRuntimeDefault) are
// read with the overloads that take a default.
#include <QDate>
#include <climits>
#include <QList>
#include <QString>

#include "core/color.h"
#include "core/inifile.h"

namespace nox
{

enum class SettingType { String, Int, Bool, Color, Float, Date };

enum class Key {
    NoxVersion,
    // "window1"
    Window1Left,
    Window1Top,
    Window1Width,
    Window1Height,
    Window1WindowState,
    Window1ToolbarHeight,
    Window1Memo,
    Window1MemoHeight,
    Window1ViewMode,
    Window1DateFormat,
    Window1StatusBar,
    Window1TaskBar,
    // "sked"
    SkedStyle,
    SkedHalfFormat,
    SkedCount,
    SkedTopIndex,
    SkedLeftDate,
    // "monthview"
    MonthViewTimeViewStyle,
    MonthViewDefaultTime,
    // "category"
    CategorySelect,
    // "search": print and result settings, then the search window's own
    SearchDateFormat,
    SearchEndClose,
    SearchSearchColor,
    SearchSearchColorValue,
    SearchLayout,
    SearchDuplicateDate,
    SearchNoneSkedDate,
    SearchLeft,
    SearchTop,
    SearchWidth,
    SearchHeight,
    SearchWindowState,
    SearchLeftWidth,
    SearchToolbarHeight,
    SearchSCheck,
    SearchECheck,
    SearchSDate,
    SearchEDate,
    SearchColumn0,
    SearchColumn1,
    SearchColumn2,
    SearchColumn3,
    SearchColumn4,
    SearchColumn5,
    // "clock"
    ClockLeft,
    ClockTop,
    ClockVisible,
    ClockFormat,
    ClockBkColor,
    ClockFgColor,
    ClockFontName,
    ClockFontSize,
    ClockFontStyle,
    ClockFixedPos,
    ClockFixedPosIndex,
    ClockXMargin,
    ClockYMargin,
    // "alarm"
    AlarmEnable,
    AlarmSound,
    // "bell"
    BellEnable,
    BellSound,
    BellBell1,
    BellBell2,
    BellBell3,
    BellTime1,
    BellTime2,
    BellTime3,
    BellBell60,
    BellBell30,
    BellMsg60,
    BellMsg30,
    BellMsg1,
    BellMsg2,
    BellMsg3,
    // "popupwindow"
    PopupBkColor,
    PopupFgColor,
    PopupFontName,
    PopupFontSize,
    PopupFontStyle,
    PopupWidth,
    PopupHeight,
    PopupFormat,
    PopupPos,
    // "tempmemo"
    TempMemoLeft,
    TempMemoTop,
    TempMemoWidth,
    TempMemoHeight,
    TempMemoWindowState,
    TempMemoStayOnTop,
    TempMemoVisible,
    // "folders": where each kind of file was last saved
    FoldersResults,
    FoldersStyles,
    // "koyomi": the calendar marks of the views
    KoyomiRokuyo,
    KoyomiLunar,
    KoyomiSeasonal,
    Count
};

struct SettingDef {
    Key id;
    const char* section;
    const char* key;
    SettingType type;
    // The default as the file would hold it: "630", "1", "clBlack", "$00FFE9D7",
    // a UTF-8 text; empty for a date (meaning today).
    const char* defaultText;
    bool hasRuntimeDefault; // the real default is supplied by the caller
    // An integer outside low..high reads as the default (a damaged or
    // hand-edited file must not place a window nowhere or a day in no year).
    int low = INT_MIN;
    int high = INT_MAX;
};

const SettingDef& settingDef(Key key);
const QList<SettingDef>& allSettings();

// The table defaults, typed.
QString defaultString(Key key);
int defaultInt(Key key);
bool defaultBool(Key key);
TColor defaultColor(Key key);

// Dates of the settings file ("sdate", "edate") are written "yyyy/MM/dd".
QString dateSettingText(const QDate& date);
QDate dateFromSettingText(const QString& text);
// The years a date of the settings may lie in; readDate gives the default for
// any other.
inline constexpr int kFirstSettingYear = 1900;
inline constexpr int kLastSettingYear = 9999;
bool isSettingDateInRange(const QDate& date);

class Settings
{
public:
    explicit Settings(QString iniPath) : m_ini(std::move(iniPath)) {}
    const QString& path() const { return m_ini.path(); }

    QString readString(Key key) const { return readString(key, defaultString(key)); }
    QString readString(Key key, const QString& def) const;
    int readInt(Key key) const { return readInt(key, defaultInt(key)); }
    // The default also for a number outside the key's range (SettingDef).
    int readInt(Key key, int def) const;
    bool readBool(Key key) const { return readBool(key, defaultBool(key)); }
    bool readBool(Key key, bool def) const;
    TColor readColor(Key key) const { return readColor(key, defaultColor(key)); }
    TColor readColor(Key key, TColor def) const;
    double readFloat(Key key, double def) const;
    // An empty or unreadable date, or one outside the years above, gives `def`.
    QDate readDate(Key key, const QDate& def) const;

    // Each returns false when the file could not be written.
    bool writeString(Key key, const QString& value);
    bool writeInt(Key key, int value);
    bool writeBool(Key key, bool value);
    bool writeColor(Key key, TColor value);
    bool writeFloat(Key key, double value);
    bool writeDate(Key key, const QDate& value);

    // Drops "search"/"keyword1" .. "keyword20", the search history of old versions.
    bool deleteOldSearchKeywords();

private:
    mutable IniFile m_ini;
};

} // namespace nox
