#include "alarm/alarmlist.h"

#include <algorithm>

namespace nox
{

namespace
{

// Keys are fixed-width digit strings, so a plain case-insensitive
// comparison orders them in time.
bool keyLess(const QString& a, const QString& b)
{
    return QString::compare(a, b, Qt::CaseInsensitive) < 0;
}

bool isDigits(const QString& text, int from, int count)
{
    for (int i = from; i < from + count; ++i) {
        if (text.at(i) < u'0' || text.at(i) > u'9') {
            return false;
        }
    }
    return true;
}

} // namespace

QString AlarmKey(const QDate& date, int hour, int minute)
{
    return QString::asprintf("%04d/%02d/%02d %02d:%02d", date.year(), date.month(), date.day(), hour, minute);
}

QString AlarmKey(const QDateTime& dt)
{
    return AlarmKey(dt.date(), dt.time().hour(), dt.time().minute());
}

QDateTime alarmKeyDateTime(const QString& key)
{
    // yyyy/MM/dd hh:nn
    // 0123456789012345
    if (key.size() != 16 || key.at(4) != u'/' || key.at(7) != u'/' || key.at(10) != u' ' ||
        key.at(13) != u':') {
        return {};
    }
    if (!isDigits(key, 0, 4) || !isDigits(key, 5, 2) || !isDigits(key, 8, 2) || !isDigits(key, 11, 2) ||
        !isDigits(key, 14, 2)) {
        return {};
    }
    const QDate date(key.mid(0, 4).toInt(), key.mid(5, 2).toInt(), key.mid(8, 2).toInt());
    const QTime time(key.mid(11, 2).toInt(), key.mid(14, 2).toInt());
    if (!date.isValid() || !time.isValid()) {
        return {};
    }
    return QDateTime(date, time);
}

bool isValidAlarmKey(const QString& key)
{
    return alarmKeyDateTime(key).isValid();
}

QString alarmKeyBefore(const QDate& date, int slot, int minutes)
{
    // Whole minutes from the start of `date`, stepped back on the wall clock.
    const qint64 minuteOfDay = qint64(slot / 2) * 60 + (slot % 2) * 30 - minutes;
    qint64 days = minuteOfDay / 1440;
    qint64 rest = minuteOfDay % 1440;
    if (rest < 0) {
        rest += 1440;
        --days;
    }
    return AlarmKey(date.addDays(days), int(rest / 60), int(rest % 60));
}

int AlarmList::lowerBound(const QString& key) const
{
    const auto it = std::lower_bound(m_entries.cbegin(), m_entries.cend(), key,
                                     [](const Entry& e, const QString& k) { return keyLess(e.key, k); });
    return int(it - m_entries.cbegin());
}

int AlarmList::upperBound(const QString& key) const
{
    const auto it = std::upper_bound(m_entries.cbegin(), m_entries.cend(), key,
                                     [](const QString& k, const Entry& e) { return keyLess(k, e.key); });
    return int(it - m_entries.cbegin());
}

int AlarmList::add(const QString& key, const TAlarmRec& rec)
{
    const int pos = upperBound(key);
    m_entries.insert(pos, Entry{key, rec});
    return pos;
}

int AlarmList::indexOf(const QString& key) const
{
    const int pos = lowerBound(key);
    if (pos < count() && !keyLess(key, m_entries.at(pos).key)) {
        return pos;
    }
    return -1;
}

int AlarmList::lastIndexOf(const QString& key) const
{
    const int pos = upperBound(key) - 1;
    if (pos >= 0 && !keyLess(m_entries.at(pos).key, key)) {
        return pos;
    }
    return -1;
}

int AlarmList::removeId(qint32 id)
{
    return int(m_entries.removeIf([id](const Entry& e) { return e.rec.ID == id; }));
}

QList<AlarmList::Entry> AlarmList::takeFirst(int n)
{
    n = std::clamp(n, 0, count());
    QList<Entry> taken(m_entries.cbegin(), m_entries.cbegin() + n);
    m_entries.remove(0, n);
    return taken;
}

void AlarmList::clear()
{
    m_entries.clear();
}

bool UpdateScheduleAlarms(AlarmList& list, const TSkedRec& rec, int mode)
{
    if (mode < amStoredAgain || mode > amRemoved) {
        return false;
    }
    if (mode != amNew) {
        list.removeId(rec.ID);
    }
    if (mode == amRemoved || rec.AlarmMinutes < 0) {
        return true;
    }
    const QDate date = rec.date();
    list.add(alarmKeyBefore(date, rec.StartTime, 0), TAlarmRec{rec.ID, akStart});
    if (rec.AlarmMinutes > 0) {
        list.add(alarmKeyBefore(date, rec.StartTime, rec.AlarmMinutes), TAlarmRec{rec.ID, akReminder});
    }
    return true;
}

} // namespace nox
