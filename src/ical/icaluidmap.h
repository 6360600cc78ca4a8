#pragma once
// "icaluid.nox" in the data folder: what each imported iCalendar UID became,
// so that a second import of the same file changes those schedules and
// rules instead of adding them again, and an export gives them their UID.
//
// Text, one entry per line, CR LF, fields joined by tabs (core/textfile.h:
// lines the program does not change are written back as their bytes):
//
//   "I"  identity                 the folder's identity (made at the first
//                                 save), part of the UIDs of schedules that
//                                 were never imported
//   "S"  UID  yyyyMMdd  ID        a day-file schedule
//   "R"  UID  ""        rule ID   a repeat rule
//
// Any other line is kept as it is. A UID holding a tab or a line break is
// not kept (such a UID is imported afresh every time).
#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

#include "core/status.h"

namespace nox::ical
{

inline constexpr char kUidMapFileName[] = "icaluid.nox";

struct UidEntry {
    bool rule = false;
    QDate date; // schedules only
    qint32 id = 0;
    friend bool operator==(const UidEntry&, const UidEntry&) = default;
};

class UidMap
{
public:
    // Reads the map of `dataFolder` (a missing file is an empty map).
    Status load(const QString& dataFolder);
    // Writes it back atomically (only when changed); makes the identity.
    Status save();

    QString identity() const { return m_identity; }
    bool has(const QString& uid) const;
    QList<UidEntry> entries(const QString& uid) const;
    void setEntries(const QString& uid, const QList<UidEntry>& entries);
    // The UID kept for a schedule or a rule; empty when none.
    QString uidOfSchedule(const QDate& date, qint32 id) const;
    QString uidOfRule(qint32 id) const;
    // The UID an export gives a schedule or rule never imported.
    QString madeUid(const QDate& date, qint32 id);
    // The schedule or rule a UID made by madeUid() of this folder stands
    // for (a file exported from this folder and imported back); none for
    // any other UID.
    std::optional<UidEntry> ownEntry(const QString& uid) const;

private:
    struct Line {
        QString text;
        QString uid; // empty: not an entry
        UidEntry entry;
    };
    void ensureIdentity();
    QString m_path;
    QString m_identity;
    QList<Line> m_lines;
    bool m_changed = false;
};

} // namespace nox::ical
