#pragma once
// The schedule record and its one-line form in a day file: 13 fields joined
// by tabs, the date being the day file's own.
//
//   index  field            written as                 read as
//   0      StartTime        decimal slot 0..47         required
//   1      EndTime          decimal slot 0..47         required, not below StartTime
//   2      TextColor        colour name form           name, "$" hex or number, required
//   3      LineColor        colour name form           as field 2
//   4      FontStyle        decimal bit set            required
//   5      ImageIndex       decimal, -1 = none         required
//   6      ID               decimal                    required
//   7      Memo             escaped text               verbatim (may be empty)
//   8      Text             escaped text               verbatim (may be empty)
//   9      Category         text                       verbatim (may be empty)
//   10     AlarmMinutes     decimal, -1 = no alarm     -1 when missing or not a number
//   11     RelatedInfo      escaped text               empty when missing
//   12     OpenRelatedInfo  "1" / "0"                  true only for exactly "1"
//
// Fields beyond the 13th (written by a later version) are kept verbatim and
// written back after the 13th.
#include <QDate>
#include <QDateTime>
#include <QString>
#include <QStringList>

#include "core/color.h"
#include "core/status.h"
#include "core/datetime.h"

namespace nox
{

constexpr int kSkedFieldCount = 13;
constexpr int kSkedRequiredFields = 10;
constexpr int kSkedFieldTextColor = 2;
constexpr int kSkedFieldLineColor = 3;
constexpr int kSkedFieldFontStyle = 4;
constexpr int kSkedFieldImage = 5;
constexpr int kSkedFieldId = 6;
constexpr int kSkedFieldMemo = 7;
constexpr int kSkedFieldText = 8;
constexpr int kSkedFieldCategory = 9;
constexpr int kSkedFieldRelatedInfo = 11;
constexpr int kSlotCount = 48;
// A line break inside Text, Memo and RelatedInfo as the line stores it.
inline constexpr char kSkedLineBreak[] = "#13#10";

// Text and Memo (and RelatedInfo) hold the escaped form; the views show the
// unescaped form.
struct TSkedRec {
    TDateTime Date = 0;   // day of the schedule; the fraction is ignored
    qint32 StartTime = 0; // half-hour slot 0..47
    qint32 EndTime = 0;   // half-hour slot StartTime..47
    TColor TextColor = clWindowText;
    TColor LineColor = clWindowText;
    qint32 FontStyle = 0; // fsBold | fsItalic | fsUnderline | fsStrikeOut
    qint32 ImageIndex = -1;
    qint32 ID = 0;
    QString Memo;
    QString Text;
    QString Category;
    qint32 AlarmMinutes = -1;
    QString RelatedInfo;
    bool OpenRelatedInfo = false;
    QString ExtraFields; // fields past the 13th, tab-joined, kept for rewriting
    // An occurrence of a repeat rule (store/repeatrule.h) stands in no day
    // file: RuleID is its rule's ID (ID holds it too) and RuleDate the date
    // the rule gave, before a holiday rule moved it. 0 for a day-file line.
    qint32 RuleID = 0;
    TDateTime RuleDate = 0;

    bool isOccurrence() const { return RuleID != 0; }
    QDate ruleDate() const { return dateFromDayNumber(qint32(RuleDate)); }

    QDate date() const { return dateFromDayNumber(qint32(Date)); }
    void setDate(const QDate& d) { Date = dayNumber(d); }

    friend bool operator==(const TSkedRec&, const TSkedRec&) = default;
};

// Line breaks (CR LF, and lone CR or LF) become "#13#10", tabs become one space.
QString escapeSkedText(const QString& text);
// "#13#10" becomes CR LF; everything else stays.
QString unescapeSkedText(const QString& text);
// The first line of an escaped text (up to its first "#13#10").
QString skedFirstLine(const QString& escaped);
// The escaped text with its first line replaced by `firstLine` (given
// unescaped); the following lines stay.
QString replaceSkedFirstLine(const QString& escaped, const QString& firstLine);

// The 13 fields of the record as one line (no line end). Memo, Text and
// RelatedInfo are written escaped even when handed over raw; tabs and line
// breaks in Category become spaces.
QString formatSkedLine(const TSkedRec& rec);

// Fails with why the line was refused (Japanese, for the user; no file).
using TSkedParseResult = Status;

// Parses one line of the day file of `date` into *rec. On failure *rec is left
// unchanged and the result tells why: fewer than 10 fields, a non-number in
// fields 0, 1, 4, 5 or 6, an unreadable colour in fields 2 or 3, or a slot
// outside 0..47 (or an end before the start).
TSkedParseResult parseSkedLine(const QString& line, const QDate& date, TSkedRec* rec);

// Field `index` of a line (split at tabs), empty when the line has fewer fields.
QString skedLineField(const QString& line, int index);

// Copies every field of `src` into the existing record `dst`.
void copySkedRec(const TSkedRec& src, TSkedRec* dst);

// "8:30", "0:00", "23:30".
QString skedTimeText(int slot);
// The record's date joined with the time of its StartTime slot.
QDateTime skedStartDateTime(const TSkedRec& rec);
// "yyyy/MM/dd " + the start time padded to five characters: "2003/03/05 08:30".
QString skedSortableStart(const TSkedRec& rec);

} // namespace nox
