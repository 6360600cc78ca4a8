#pragma once
// How an iCalendar file (RFC 5545) maps onto Nox's schedules and repeat
// rules, both ways. This comment is the one place the mapping is written
// down; the reader (icalreader.h), the import (icalimport.h) and the writer
// (icalwriter.h) follow it.
//
// Reading
//   The file is parsed by libical. Line ends may be CR LF, LF or a lone CR;
//   folded lines are joined. A value that is not UTF-8 is read as CP932
//   (files written on Windows). Every VEVENT is an event; VTODO and VJOURNAL
//   are skipped and counted, so is a VEVENT with STATUS:CANCELLED. An event
//   that cannot be taken is a problem with the line of its BEGIN:VEVENT and
//   the reason, and nothing of it is imported.
//
// Times -> the local zone
//   - a UTC time ("...Z") and a time with a TZID are converted to the local
//     zone; a TZID is looked up in the file's VTIMEZONE blocks, then as an
//     IANA name, then as a Windows zone name (windowszones.h, the CLDR
//     table); a TZID none of these knows makes the event a problem (taking
//     it as local could put it hours off);
//   - a floating time (no zone) is a local time as it stands.
//   DTEND may be missing: DURATION gives the end, else the event lasts one
//   day (a date) or no time (a date-time).
//
// The half-hour grid
//   A timed event covers the slots from its start rounded down to the half
//   hour to its end rounded up (EndTime is the slot of the end time, as the
//   editor shows "9:00-10:00" as StartTime 18, EndTime 20), at least one
//   slot (EndTime = StartTime + 1, or 47 for a start at 23:30). An end past
//   23:30 stays at 23:30. When the slots do not give the exact times, the
//   exact times ("10:10-10:50", with the dates when it spans days) are the
//   first line of the memo.
//   A timed event over midnight or several days is one schedule on every
//   day it touches: from its start to 23:30 on the first, 0:00-23:30 on the
//   days between, 0:00 to its end on the last (an end at exactly 0:00 does
//   not touch that day).
//   An all-day event (DTSTART;VALUE=DATE, DTEND exclusive) is a schedule at
//   0:00 (StartTime = EndTime = 0) on each of its days: it stands first in
//   the day and the month views without a bar over the whole day that would
//   hide the day's timed schedules.
//
// Fields
//   SUMMARY -> Text; DESCRIPTION -> Memo, after the exact times (when
//   rounded) and LOCATION (when given), each a line of its own; CATEGORIES
//   -> Category (the first one; the command line's category wins; a new one
//   is added to the category list on import); URL -> RelatedInfo; the first
//   DISPLAY or AUDIO VALARM whose trigger is at or before the start ->
//   AlarmMinutes. Line breaks become "#13#10" as everywhere in day files.
//
// Repeating events
//   RRULE (with EXDATE) becomes a repeat rule (store/repeatrule.h) when the
//   rule is one Nox's rules can say, the event has no RDATE, lies within
//   one day, and the rule gives the same local dates and times as libical's
//   expansion of the event over the next two years (a zone whose offset or
//   date differs from the local one is thereby expanded). Otherwise the
//   occurrences from DTSTART up to two years after today become schedules,
//   and the preview names the event. The recurrence iterator is capped at
//   kExpandStepLimit steps: a rule that never ends within the cap is cut and
//   said so. RECURRENCE-ID overrides: of a rule, the date is excepted and
//   the override is a day-file schedule that remembers the rule (RuleRef);
//   of an expanded event, the override replaces that occurrence;
//   RANGE=THISANDFUTURE is taken as that one occurrence.
//
// UIDs
//   "icaluid.nox" in the data folder (icaluidmap.h) maps each imported UID
//   to what it became, so that importing the same file again changes those
//   schedules and rules instead of adding them twice.
//
// Writing
//   One VEVENT per schedule and per repeat rule (RRULE, EXDATE, X-NOX-HOLIDAY
//   for its holiday rule); a schedule that stands for one changed
//   occurrence is a VEVENT with the rule's UID and a RECURRENCE-ID. UID: the
//   one imported, else made from the folder's identity and the schedule's
//   date and ID (the rule's ID). DTSTART/DTEND carry the local zone's TZID
//   and its VTIMEZONE (UTC "Z" when the local zone has none). Nox's own
//   fields go into X-NOX- properties (kXNox... below); an event that
//   carries X-NOX-ID is read back with them, its slots as they are (no
//   minimum length), so that export and import give the same day files
//   byte for byte. Text is escaped, lines folded at 75 octets, CR LF, UTF-8.
#include <QDate>

namespace nox::ical
{

constexpr int kExpandYears = 2;         // occurrences written out up to this after today
constexpr int kExpandStepLimit = 20000; // iterator steps per event at most
constexpr int kFoldOctets = 75;

inline constexpr char kXNoxId[] = "X-NOX-ID";
inline constexpr char kXNoxTextColor[] = "X-NOX-TEXT-COLOR";
inline constexpr char kXNoxLineColor[] = "X-NOX-LINE-COLOR";
inline constexpr char kXNoxFontStyle[] = "X-NOX-FONT-STYLE";
inline constexpr char kXNoxImage[] = "X-NOX-IMAGE";
inline constexpr char kXNoxAlarm[] = "X-NOX-ALARM";
inline constexpr char kXNoxOpenRelated[] = "X-NOX-OPEN-RELATED";
inline constexpr char kXNoxExtra[] = "X-NOX-EXTRA";
inline constexpr char kXNoxHoliday[] = "X-NOX-HOLIDAY";
// The rule as repeat.nox holds it (libical writes its parts in an order of
// its own); read back only while it still says what RRULE says.
inline constexpr char kXNoxRRule[] = "X-NOX-RRULE";

} // namespace nox::ical
