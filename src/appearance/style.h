#pragma once
// Styles: three named sets of appearance values ("Style1".."Style3") kept in
// "style.ini" in the data folder, with a factory copy in the default folder.
// An exported style is a text file of the same form with one section "Style".
//
// TStyle holds every key of a style section; the file functions read and
// write it without touching any widget. Values are stored verbatim: booleans
// "1"/"0", integers in decimal, colours in name form ("clBlack" or
// "$00BBGGRR"; read back also from a plain number), "ColWidth" as the rate
// text of the month view ("2,3,3,3,3,3,2").
//
// Applying a style to the live views (the main window's job). Hold the day
// view and the month view's items in update mode throughout, so each
// repaints once at the end, and go in this order:
//   1. Day view: Color, FontColor, FontSize, FontName, ViewFocusStyleColor,
//      ViewFocusStyleFontColor, ViewLineColor, ViewLineWidth,
//      ViewLeftBarColor, ViewLeftBarFontColor, ViewLeftBarLineColor,
//      ViewHighlightColor (View.LeftBar.HighlightColor), ViewTopBarColor,
//      ViewTopBarFontColor.
//   2. The nine day-kind colours (TStyle::DayKind) into the main window's own
//      record.
//   3. Derived day-view sizes from the first day column's font:
//      View.LeftBar width := LeftBarWidthFor(font),
//      header height      := HeaderHeightFor(font).
//   4. Month view taken over from the day view: View.WeekDayBKColor := Color;
//      font size and name := FontSize, FontName; View.FocusColor :=
//      ViewFocusStyleColor; View.FocusFont colour := ViewFocusStyleFontColor;
//      View.Sunday/Saturday/HolidayBKColor and ...FGColor := DayKind's.
//   5. Month view keys: WeekDayFGColor, TodayColor, MVLineColor, MVLineWidth,
//      MVTopBarColor, MVTopBarFontColor, MVOtherColor (OtherMonthBKColor),
//      MVOtherFontColor (OtherMonthFGColor), SkedFrameColor (ItemFrameColor),
//      MVMarkColor, LineSizing (both ColSizing and RowSizing), ColWidth
//      (ColRate).
//   6. Date header: HeaderVisible, HeaderBKColor; its font name := FontName
//      (always, whatever the file says); HeaderFGColor, HeaderFontSize1 (its
//      font size), HeaderFontSize2 (the second size, for today's date).
// Writing a style goes the other way: fill a TStyle from the controls (the
// month view's ColSizing gives LineSizing, its ColRate gives ColWidth) and
// call WriteStyle or ExportStyle.
#include <QFont>
#include <QString>
#include <QStringList>

#include "core/color.h"

namespace nox
{

class IniFile;

// The nine colours the main window keeps for the kinds of day; the initial
// values are those before any style has been read.
struct TDayKindColors {
    TColor SundayBKColor = 0x00DDDDFF;
    TColor SaturdayBKColor = 0x00FFE1E1;
    TColor HolidayBKColor = 0x00B0FFFF;
    TColor SundayFGColor = 0x000000FF;
    TColor SaturdayFGColor = 0x00FF0000;
    TColor HolidayFGColor = 0x000000FF;
    TColor MemoMarkColor = 0x000000FF;
    TColor DayMemoMarkColor = 0x00FF0000;
    TColor SkedBKColor = clInfoBk;
    bool operator==(const TDayKindColors&) const = default;
};

// The font face the program uses where a style names none (the desktop's
// icon font in styles written on Windows); the application substitutes it with
// an installed Japanese sans-serif.
inline constexpr const char* kStyleFallbackFontName = "ＭＳ Ｐゴシック";
inline constexpr int kStyleFallbackFontSize = 9;

struct TStyle {
    // Date header
    bool HeaderVisible = true;
    TColor HeaderBKColor = clBtnFace;
    TColor HeaderFGColor = clWindowText;
    int HeaderFontSize1 = 14;
    int HeaderFontSize2 = 9;
    // Day view
    TColor Color = clWindow;
    TColor FontColor = clWindowText;
    int FontSize = kStyleFallbackFontSize;
    QString FontName = QString::fromUtf8(kStyleFallbackFontName);
    TColor ViewFocusStyleColor = clHighlight;
    TColor ViewFocusStyleFontColor = clHighlightText;
    TColor ViewLineColor = clSilver;
    int ViewLineWidth = 1;
    TColor ViewLeftBarColor = clBtnFace;
    TColor ViewLeftBarFontColor = clBtnText;
    TColor ViewLeftBarLineColor = clBtnShadow;
    TColor ViewHighlightColor = clYellow;
    TColor ViewTopBarColor = clBtnFace;
    TColor ViewTopBarFontColor = clBtnText;
    // Kinds of day
    TDayKindColors DayKind;
    // Month view
    TColor WeekDayFGColor = clWindowText;
    TColor TodayColor = clRed;
    TColor MVLineColor = clSilver;
    int MVLineWidth = 1;
    TColor MVTopBarColor = clBtnFace;
    TColor MVTopBarFontColor = clBtnText;
    TColor MVOtherColor = clBtnFace;
    TColor MVOtherFontColor = clGrayText;
    TColor SkedFrameColor = clGray;
    TColor MVMarkColor = clNavy;
    bool LineSizing = true;
    QString ColWidth = QStringLiteral("1,1,1,1,1,1,1");

    bool operator==(const TStyle&) const = default;
};

// Key names of a style section in the order they are written.
QStringList StyleKeys();

// "Style1".."Style3" for index 0..2 (clamped).
QString StyleSectionName(int index);
// "style.ini" of the data folder, or of the default folder when `factory`.
QString StyleFilePath(bool factory);

struct TStyleReadResult {
    bool fileFound = false;
    bool sectionFound = false; // the file holds the section asked for
    // Keys whose text was no valid value; they kept their current value.
    QStringList badKeys;
};

// Reads one section into `style`. A missing key keeps the current value,
// except FontSize and FontName, which fall back to kStyleFallbackFont*.
TStyleReadResult ReadStyleSection(const IniFile& ini, const QString& section, TStyle& style);
// Writes every key in table order. Returns false if a write failed.
bool WriteStyleSection(IniFile& ini, const QString& section, const TStyle& style);

// Section "Style" + (index + 1) of the data folder's "style.ini", or of the
// factory copy when `fromFactory`.
TStyleReadResult ReadStyle(TStyle& style, int index, bool fromFactory = false);
bool WriteStyle(const TStyle& style, int index);
// Section "Style" of any file.
bool ExportStyle(const QString& fileName, const TStyle& style);
TStyleReadResult ImportStyle(const QString& fileName, TStyle& style);

// The day view's font as the style sets it (name and point size).
QFont StyleFont(const TStyle& style);
// Derived sizes: the time ruler is as wide as "88:88" in the first day
// column's font plus 12 pixels; the day header is as high as "H" plus 2.
int LeftBarWidthFor(const QFont& font);
int HeaderHeightFor(const QFont& font);

} // namespace nox
