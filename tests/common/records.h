#pragma once
// Schedules and day-file lines for tests, built in one place: a test says
// what matters to it (the day, the slot, the ID, the text) and leaves the
// rest as a new schedule has it.
#include <QByteArray>
#include <QDate>
#include <QString>

#include "store/skedrec.h"

namespace nox::testing
{

// A schedule on `date` from slot `start` to `end` (one slot when end < 0).
inline TSkedRec skedRecord(const QDate& date, int start, qint32 id, const QString& text = {},
                           const QString& category = {}, int end = -1)
{
    TSkedRec r;
    r.setDate(date);
    r.StartTime = start;
    r.EndTime = end < 0 ? start + 1 : end;
    r.ID = id;
    r.Text = text;
    r.Category = category;
    return r;
}

// The same schedule with an alarm `minutes` before it starts.
inline TSkedRec withAlarm(TSkedRec r, int minutes)
{
    r.AlarmMinutes = minutes;
    return r;
}

// The same schedule with related information, opened with it when `open`.
inline TSkedRec withRelated(TSkedRec r, const QString& related, bool open)
{
    r.RelatedInfo = related;
    r.OpenRelatedInfo = open;
    return r;
}

// One schedule line of a day file as files written on Windows hold it
// (colours by name, no style, no image), without its line break.
inline QString dayFileLine(int start, int end, qint32 id, const QString& text, const QString& category = {},
                           int alarm = -1, const QString& memo = {}, const QString& related = {},
                           bool openRelated = false)
{
    return QStringLiteral("%1\t%2\tclWindowText\tclWindowText\t0\t-1\t%3\t%4\t%5\t%6\t%7\t%8\t%9")
        .arg(start)
        .arg(end)
        .arg(id)
        .arg(memo, text, category)
        .arg(alarm)
        .arg(related, openRelated ? QStringLiteral("1") : QStringLiteral("0"));
}

// The same line as the bytes of a file: UTF-8, ended by CR LF.
inline QByteArray dayFileBytes(int start, int end, qint32 id, const QString& text, const QString& category = {},
                               int alarm = -1, const QString& memo = {})
{
    return (dayFileLine(start, end, id, text, category, alarm, memo) + QStringLiteral("\r\n")).toUtf8();
}

} // namespace nox::testing
