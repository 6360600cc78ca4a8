#pragma once
// Writing schedules and repeat rules of a data folder as an iCalendar file
// (icalmapping.h, "Writing").
#include <QByteArray>
#include <QDate>
#include <QString>

#include "core/status.h"

namespace nox
{
class ScheduleBook;
}

namespace nox::ical
{

class UidMap;

struct ExportOptions {
    QDate from; // invalid: open on that side
    QDate to;
    QString category; // non-empty: only schedules and rules of exactly this category
};

struct ExportResult {
    Status result = Status::success(); // Failed: a file could not be read (nothing is to be written then)
    QByteArray bytes;
    int events = 0;
};

// `map` gives imported UIDs; a schedule never imported gets a UID made from
// the folder's identity (made and saved with the map when it has none).
ExportResult exportIcal(const ScheduleBook& book, UidMap* map, const ExportOptions& options);

// TEXT value escaping (backslash, semicolon, comma, line breaks).
QString escapeText(const QString& text);
// A content line folded at 75 octets (never inside a UTF-8 character),
// every physical line ended by CR LF.
QByteArray foldedLine(const QByteArray& line);

} // namespace nox::ical
