#pragma once
// The pending alarms of the whole process: a list of (alarm key, TAlarmRec)
// pairs kept in ascending key order. Several entries may share one key; a
// new entry goes after the entries with an equal key, so equal keys stand
// together in the order they were entered.
#include <QDate>
#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>
#include <QTime>

#include "core/textfile.h"
#include "store/alarmsink.h"
#include "store/skedrec.h"

namespace nox
{

// Kinds of alarm entries. Other values read from "alarm.nox" are kept as they
// are (reduced to 8 bits); they fire like any other entry.
constexpr quint8 akStart = 1;    // at the schedule's start time
constexpr quint8 akReminder = 2; // advance reminder before the start

struct TAlarmRec {
    qint32 ID = 0;
    quint8 Kind = akStart;
    friend bool operator==(const TAlarmRec&, const TAlarmRec&) = default;
};

// Alarm key of a local date and time to the minute: "yyyy/MM/dd hh:nn"
// (2008/03/05 09:30). Seconds are dropped. Keys of this fixed width sort in
// time order.
QString AlarmKey(const QDate& date, int hour, int minute);
QString AlarmKey(const QDateTime& dt);

// True iff `key` has exactly the form "yyyy/MM/dd hh:nn" and names a real
// date and time of day.
bool isValidAlarmKey(const QString& key);
// Date and time of a valid key; an invalid QDateTime for any other text.
QDateTime alarmKeyDateTime(const QString& key);

// Key of a moment `minutes` before the start of half-hour `slot` of `date`,
// computed on the wall clock (no time-zone shifts); it may fall on an
// earlier day.
QString alarmKeyBefore(const QDate& date, int slot, int minutes);

class AlarmList
{
public:
    struct Entry {
        QString key;
        TAlarmRec rec;
        friend bool operator==(const Entry&, const Entry&) = default;
    };

    int count() const { return int(m_entries.size()); }
    bool isEmpty() const { return m_entries.isEmpty(); }
    const Entry& at(int index) const { return m_entries.at(index); }
    const QList<Entry>& entries() const { return m_entries; }

    // Enters an entry after every entry whose key is not greater; never
    // replaces or drops an entry. Returns its position.
    int add(const QString& key, const TAlarmRec& rec);
    // Position of the first / last entry with exactly this key, -1 if none
    // (binary search).
    int indexOf(const QString& key) const;
    int lastIndexOf(const QString& key) const;
    // Removes every entry of schedule `id`, whatever its key; returns how many.
    int removeId(qint32 id);
    // Removes and returns the entries at positions 0 .. count-1.
    QList<Entry> takeFirst(int count);
    void clear();

    // Lines of "alarm.nox" that could not be read. They are no alarms, but
    // they are written back unchanged so that no line of the file is lost.
    const QStringList& keptLines() const { return m_keptLines; }
    void setKeptLines(const QStringList& lines) { m_keptLines = lines; }

    // The lines of "alarm.nox" as loaded, with their bytes: an entry that is
    // written back unchanged keeps the bytes of its line.
    const QList<TextLine>& loadedLines() const { return m_loadedLines; }
    bool loadedBom() const { return m_loadedBom; }
    void setLoadedLines(const QList<TextLine>& lines, bool bom)
    {
        m_loadedLines = lines;
        m_loadedBom = bom;
    }

    // Set when "alarm.nox" existed but could not be read: the file is then
    // not overwritten at saving (its alarms would be lost).
    bool loadFailed() const { return m_loadFailed; }
    void setLoadFailed(bool failed) { m_loadFailed = failed; }

private:
    int upperBound(const QString& key) const;
    int lowerBound(const QString& key) const;

    QList<Entry> m_entries;
    QStringList m_keptLines;
    QList<TextLine> m_loadedLines;
    bool m_loadedBom = false;
    bool m_loadFailed = false;
};

// Brings the entries of schedule `rec` up to date (`mode`: TAlarmUpdateMode
// of store/alarmsink.h). Withdrawing removes every
// entry of rec.ID whatever its key. Entering (only when AlarmMinutes >= 0)
// adds the start moment with Kind 1 and, when AlarmMinutes > 0, the moment
// that many minutes before it with Kind 2 (possibly on an earlier day).
// Entries in the past are entered too. Returns false (and changes nothing)
// for a mode outside 0..3.
bool UpdateScheduleAlarms(AlarmList& list, const TSkedRec& rec, int mode);

} // namespace nox
