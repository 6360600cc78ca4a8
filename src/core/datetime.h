#pragma once
// Date values as the data files store them: days since 30 December 1899, the
// fraction being the time of day; the whole part is the day number.
#include <QDate>
#include <QDateTime>
#include <QString>
#include <QTime>

namespace nox
{

using TDateTime = double;

// Day number of a date (5 March 2003 -> 37685) and back.
qint32 dayNumber(const QDate& date);
QDate dateFromDayNumber(qint32 day);

TDateTime toDateTime(const QDateTime& dt);
QDateTime fromDateTime(TDateTime value);

// Half-hour slots 0..47: "0:00", "8:30", "23:30".
QString slotTimeText(int slot);
// Slot of a time of day (minutes / 30).
int slotOfTime(const QTime& time);
QTime timeOfSlot(int slot);

// A fresh schedule identity: "hhnnss" + milliseconds in three digits, read as
// a number (14:30:05.123 -> 143005123).
qint32 newScheduleId(const QTime& now);

// Formats with the date-time pattern language of the settings file
// (Japanese locale): d dd ddd dddd, m mm mmm mmmm (minutes right after an hour
// part), yy yyyy, h hh, n nn, s ss, z zzz, ampm, am/pm, a/p, aaa, aaaa, g gg,
// e ee, quoted literals.
QString formatDateTime(const QString& pattern, const QDateTime& dt);
QString formatDateTime(const QString& pattern, const QDate& date);

// Picker pattern of a display format: "m" -> "M", "a" -> "d" (any case), double
// quotes removed; "yyyy/m/dd(aaa)" -> "yyyy/M/dd(ddd)".
QString datePickerPattern(const QString& displayFormat);

} // namespace nox
