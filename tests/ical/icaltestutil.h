#pragma once
// Helpers of the iCalendar tests: a calendar around event lines, and the
// schedules of a plan or a folder in one comparable line each.
#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QStringList>

#include "ical/icalreader.h"
#include "store/schedulebook.h"

namespace nox::test
{

// "yyyyMMdd start-end text | memo" of a schedule (memo unescaped, lines joined by "/").
inline QString describe(const TSkedRec& rec)
{
    QString memo = unescapeSkedText(rec.Memo);
    memo.replace(QStringLiteral("\r\n"), QStringLiteral("/"));
    QString line = rec.date().toString(QStringLiteral("yyyyMMdd")) + u' ' + skedTimeText(rec.StartTime) +
                   u'-' + skedTimeText(rec.EndTime) + u' ' + unescapeSkedText(rec.Text);
    if (!memo.isEmpty()) {
        line += QStringLiteral(" | ") + memo;
    }
    return line;
}

inline QStringList describe(const ical::IcalPlan& plan)
{
    QStringList out;
    for (const ical::IcalItem& item : plan.items) {
        if (item.kind == ical::ItemKind::Rule) {
            QStringList ex;
            for (const QDate& d : item.rule.excepted) {
                ex.append(d.toString(QStringLiteral("yyyyMMdd")));
            }
            out.append(QStringLiteral("rule %1 %2 ex[%3]: ")
                           .arg(item.rule.first.toString(QStringLiteral("yyyyMMdd")), item.rule.rrule,
                                ex.join(u',')) +
                       describe(item.rule.sked));
        }
        for (const TSkedRec& rec : item.schedules) {
            out.append((item.kind == ical::ItemKind::Override ? QStringLiteral("override ") : QString()) +
                       describe(rec));
        }
    }
    return out;
}

inline QByteArray calendar(const QByteArray& body)
{
    QByteArray text = "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//test//test//EN\r\n" + body;
    if (!text.endsWith("\r\n")) {
        text += "\r\n";
    }
    return text + "END:VCALENDAR\r\n";
}

inline QByteArray vevent(const QByteArray& lines)
{
    QByteArray body = "BEGIN:VEVENT\r\nUID:u1\r\nDTSTAMP:20260101T000000Z\r\n" + lines;
    if (!body.endsWith("\r\n")) {
        body += "\r\n";
    }
    return body + "END:VEVENT\r\n";
}

// Every file of a folder by name with its bytes.
inline QMap<QString, QByteArray> folderFiles(const QString& path, const QStringList& skip = {})
{
    QMap<QString, QByteArray> files;
    for (const QString& name : QDir(path).entryList(QDir::Files)) {
        if (skip.contains(name)) {
            continue;
        }
        QFile f(QDir(path).filePath(name));
        if (f.open(QIODevice::ReadOnly)) {
            files.insert(name, f.readAll());
        }
    }
    return files;
}

} // namespace nox::test
