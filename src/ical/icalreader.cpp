#include "icalreader.h"

#include <libical/ical.h>

#include <QDateTime>
#include <QHash>
#include <QTimeZone>
#include <algorithm>
#include <memory>

#include "core/color.h"
#include "core/textfile.h"
#include "core/utf8check.h"
#include "icalmapping.h"
#include "store/repeatexpand.h"
#include "windowszones.h"

namespace nox::ical
{

namespace
{

struct ComponentFree {
    void operator()(icalcomponent* c) const { icalcomponent_free(c); }
};
using ComponentPtr = std::unique_ptr<icalcomponent, ComponentFree>;

QString text(const char* value)
{
    return value ? decodeLine(QByteArrayView(value)) : QString();
}

QByteArray normalizedLineEnds(const QByteArray& bytes)
{
    QByteArray out = bytes;
    out.replace("\r\n", "\n");
    out.replace('\r', '\n');
    return out;
}

// The text libical is given: folded lines joined, and every line that is
// not UTF-8 turned from CP932 into UTF-8 first, since libical takes escapes
// apart byte by byte and a CP932 character may hold the byte of a backslash.
QByteArray utf8Lines(const QByteArray& normalized)
{
    if (isWellFormedUtf8(normalized)) {
        return normalized;
    }
    QByteArray unfolded = normalized;
    unfolded.replace("\n ", "");
    unfolded.replace("\n\t", "");
    QByteArray out;
    out.reserve(unfolded.size() + unfolded.size() / 2);
    for (const QByteArray& line : unfolded.split('\n')) {
        out += decodeLine(line).toUtf8();
        out += '\n';
    }
    return out;
}

// Line numbers of the BEGIN:VEVENT lines, in order.
QList<int> eventLines(const QByteArray& normalized)
{
    QList<int> lines;
    int number = 0;
    qsizetype pos = 0;
    while (pos <= normalized.size()) {
        qsizetype end = normalized.indexOf('\n', pos);
        if (end < 0) {
            end = normalized.size();
        }
        ++number;
        const QByteArray line = normalized.mid(pos, end - pos).trimmed().toUpper();
        if (line == "BEGIN:VEVENT") {
            lines.append(number);
        }
        pos = end + 1;
    }
    return lines;
}

// A time of the file with its zone resolved.
struct FileTime {
    icaltimetype t = icaltime_null_time();
    icaltimezone* zone = nullptr; // null: floating (or a date)
    bool isDate() const { return t.is_date != 0; }
};

class ZoneLookup
{
public:
    explicit ZoneLookup(icalcomponent* calendar) : m_calendar(calendar) {}

    // False with *why set when the TZID is known nowhere.
    bool resolve(icalproperty* prop, icaltimetype t, FileTime* out, QString* why) const
    {
        out->t = t;
        out->zone = nullptr;
        if (t.is_date) {
            return true;
        }
        if (icaltime_is_utc(t)) {
            out->zone = icaltimezone_get_utc_timezone();
            return true;
        }
        icalparameter* param = icalproperty_get_first_parameter(prop, ICAL_TZID_PARAMETER);
        const char* tzid = param ? icalparameter_get_tzid(param) : nullptr;
        if (!tzid || !*tzid) {
            return true;
        }
        out->zone = zone(tzid);
        if (!out->zone) {
            *why = QStringLiteral("タイムゾーン「%1」が分かりません").arg(text(tzid));
            return false;
        }
        return true;
    }

private:
    icaltimezone* zone(const char* tzid) const
    {
        if (icaltimezone* z = icalcomponent_get_timezone(m_calendar, tzid)) {
            return z;
        }
        if (icaltimezone* z = icaltimezone_get_builtin_timezone(tzid)) {
            return z;
        }
        const QByteArray iana = ianaForWindowsZone(text(tzid));
        if (!iana.isEmpty()) {
            if (iana == "Etc/UTC") {
                return icaltimezone_get_utc_timezone();
            }
            if (icaltimezone* z = icaltimezone_get_builtin_timezone(iana.constData())) {
                return z;
            }
        }
        return icaltimezone_get_builtin_timezone_from_tzid(tzid);
    }

    icalcomponent* m_calendar;
};

QDateTime localOf(const FileTime& ft)
{
    const icaltimetype& t = ft.t;
    if (ft.zone) {
        return QDateTime::fromSecsSinceEpoch(icaltime_as_timet_with_zone(t, ft.zone));
    }
    return QDateTime(QDate(t.year, t.month, t.day), QTime(t.hour, t.minute, t.second));
}

QDate dateOf(const FileTime& ft)
{
    return ft.isDate() ? QDate(ft.t.year, ft.t.month, ft.t.day) : localOf(ft).date();
}

// The X-NOX- properties of an event by name.
QHash<QString, QString> noxProperties(icalcomponent* event)
{
    QHash<QString, QString> found;
    for (icalproperty* p = icalcomponent_get_first_property(event, ICAL_X_PROPERTY); p;
         p = icalcomponent_get_next_property(event, ICAL_X_PROPERTY)) {
        const QString name = text(icalproperty_get_x_name(p)).toUpper();
        if (name.startsWith(u"X-NOX-") && !found.contains(name)) {
            found.insert(name, text(icalproperty_get_x(p)));
        }
    }
    return found;
}

QString firstText(icalcomponent* event, icalproperty_kind kind)
{
    icalproperty* p = icalcomponent_get_first_property(event, kind);
    if (!p) {
        return {};
    }
    const char* value = nullptr;
    switch (kind) {
    case ICAL_SUMMARY_PROPERTY:
        value = icalproperty_get_summary(p);
        break;
    case ICAL_DESCRIPTION_PROPERTY:
        value = icalproperty_get_description(p);
        break;
    case ICAL_LOCATION_PROPERTY:
        value = icalproperty_get_location(p);
        break;
    case ICAL_CATEGORIES_PROPERTY:
        value = icalproperty_get_categories(p);
        break;
    case ICAL_URL_PROPERTY:
        value = icalproperty_get_url(p);
        break;
    case ICAL_UID_PROPERTY:
        value = icalproperty_get_uid(p);
        break;
    default:
        break;
    }
    return text(value);
}

// Minutes before the start of the first DISPLAY or AUDIO alarm that rings
// at or before the start; -1 for none.
int alarmMinutes(icalcomponent* event, const QDateTime& start)
{
    for (icalcomponent* a = icalcomponent_get_first_component(event, ICAL_VALARM_COMPONENT); a;
         a = icalcomponent_get_next_component(event, ICAL_VALARM_COMPONENT)) {
        icalproperty* action = icalcomponent_get_first_property(a, ICAL_ACTION_PROPERTY);
        icalproperty* trigger = icalcomponent_get_first_property(a, ICAL_TRIGGER_PROPERTY);
        if (!action || !trigger) {
            continue;
        }
        const icalproperty_action kind = icalproperty_get_action(action);
        if (kind != ICAL_ACTION_DISPLAY && kind != ICAL_ACTION_AUDIO) {
            continue;
        }
        const icaltriggertype tr = icalproperty_get_trigger(trigger);
        qint64 before = -1;
        if (!icaltime_is_null_time(tr.time)) {
            const QDateTime at = QDateTime::fromSecsSinceEpoch(
                icaltime_as_timet_with_zone(tr.time, icaltimezone_get_utc_timezone()));
            before = at.secsTo(start);
        } else {
            icalparameter* related = icalproperty_get_first_parameter(trigger, ICAL_RELATED_PARAMETER);
            if (related && icalparameter_get_related(related) == ICAL_RELATED_END) {
                continue;
            }
            before = -qint64(icaldurationtype_as_int(tr.duration));
        }
        if (before >= 0) {
            return int(before / 60);
        }
    }
    return -1;
}

// What every day-file schedule of an event shares.
struct EventBase {
    TSkedRec rec; // Memo holds the event's own lines (location, description), unescaped
    bool fromNox = false;
    QString summary;
};

int minutesOf(const QTime& t)
{
    return t.hour() * 60 + t.minute();
}

QString exactTimes(const QDateTime& start, const QDateTime& end)
{
    const QString hm = QStringLiteral("H:mm");
    if (start.date() == end.date()) {
        return start.toString(hm) + u'-' + end.toString(hm);
    }
    const QString dhm = QStringLiteral("M/d H:mm");
    return start.toString(dhm) + u'-' + end.toString(dhm);
}

TSkedRec withMemo(const EventBase& base, const QString& firstLine)
{
    TSkedRec rec = base.rec;
    QStringList lines;
    if (!firstLine.isEmpty()) {
        lines.append(firstLine);
    }
    if (!base.rec.Memo.isEmpty()) {
        lines.append(base.rec.Memo);
    }
    rec.Memo = escapeSkedText(lines.join(u'\n'));
    return rec;
}

// The day-file schedules of one occurrence (icalmapping.h, the grid).
QList<TSkedRec> occurrenceSchedules(const EventBase& base, const QDateTime& start, QDateTime end, bool allDay,
                                    const QDate& allDayEnd)
{
    QList<TSkedRec> out;
    if (allDay) {
        const QDate last = std::max(start.date(), allDayEnd.addDays(-1));
        for (QDate d = start.date(); d <= last; d = d.addDays(1)) {
            TSkedRec rec = withMemo(base, {});
            rec.setDate(d);
            rec.StartTime = 0;
            rec.EndTime = 0;
            out.append(rec);
        }
        return out;
    }
    end = std::max(end, start);
    const QDate first = start.date();
    const QDate last =
        (end.date() > first && end.time() == QTime(0, 0)) ? end.date().addDays(-1) : end.date();
    const bool oneDay = first == last;
    const bool onGrid = oneDay && start.time().second() == 0 && end.time().second() == 0 &&
                        minutesOf(start.time()) % 30 == 0 && minutesOf(end.time()) % 30 == 0 &&
                        end.date() == first;
    if (base.fromNox && onGrid) {
        TSkedRec rec = withMemo(base, {});
        rec.setDate(first);
        rec.StartTime = minutesOf(start.time()) / 30;
        rec.EndTime = std::min(minutesOf(end.time()) / 30, kSlotCount - 1);
        return {rec};
    }
    for (QDate d = first; d <= last; d = d.addDays(1)) {
        const int from = d == first ? minutesOf(start.time()) : 0;
        const bool cutAtEnd = d == end.date();
        const int to = cutAtEnd ? minutesOf(end.time()) + (end.time().second() > 0 ? 1 : 0) : 24 * 60;
        TSkedRec rec;
        const int startSlot = std::min(from / 30, kSlotCount - 1);
        int endSlot = (to + 29) / 30;
        endSlot = std::min(std::max(endSlot, startSlot + 1), kSlotCount - 1);
        const bool exact = oneDay && startSlot * 30 == from &&
                           startSlot * 30 + 0 == minutesOf(start.time()) && start.time().second() == 0 &&
                           endSlot * 30 == to && end.time().second() == 0;
        rec = withMemo(base, exact ? QString() : exactTimes(start, end));
        rec.setDate(d);
        rec.StartTime = startSlot;
        rec.EndTime = endSlot;
        out.append(rec);
    }
    return out;
}

struct RawEvent {
    icalcomponent* c = nullptr;
    icalcomponent* calendar = nullptr;
    int line = 0;
    QString uid;
    bool isOverride = false;
};

class Reader
{
public:
    Reader(const IcalReadOptions& options, IcalPlan* plan) : m_opt(options), m_plan(plan)
    {
        m_horizon = options.today.addYears(kExpandYears);
    }

    void readMaster(const RawEvent& ev, const QList<const RawEvent*>& overrides);
    void readOrphan(const RawEvent& ev);

private:
    struct Times {
        FileTime start;
        QDateTime localStart;
        qint64 lengthSecs = 0; // timed events
        int lengthDays = 1;    // all-day events
        bool allDay = false;
    };
    bool readTimes(const RawEvent& ev, Times* times, QString* why) const;
    bool readBase(const RawEvent& ev, const Times& times, EventBase* base) const;
    bool startItem(const RawEvent& ev, Times* times, EventBase* base, IcalItem* item);
    QList<TSkedRec> schedulesAt(const EventBase& base, const Times& times, const QDateTime& localStart) const;
    void problem(const RawEvent& ev, const QString& reason);
    void addCategory(const QString& name);
    bool tryRule(const RawEvent& ev, const Times& times, const EventBase& base,
                 const QList<QDateTime>& starts, const QList<QDate>& exDates, bool cutShort,
                 IcalItem* item) const;
    QList<QDateTime> expand(const RawEvent& ev, const Times& times, const ZoneLookup& zones, bool* cutShort,
                            QList<QDate>* exDates, bool* hasRdate, QString* why) const;

    IcalReadOptions m_opt;
    IcalPlan* m_plan;
    QDate m_horizon;
};

void Reader::problem(const RawEvent& ev, const QString& reason)
{
    m_plan->problems.append({ev.line, firstText(ev.c, ICAL_SUMMARY_PROPERTY), reason});
}

void Reader::addCategory(const QString& name)
{
    if (!name.isEmpty() && !m_plan->categories.contains(name)) {
        m_plan->categories.append(name);
    }
}

bool Reader::readTimes(const RawEvent& ev, Times* times, QString* why) const
{
    const ZoneLookup zones(ev.calendar);
    icalproperty* dtstart = icalcomponent_get_first_property(ev.c, ICAL_DTSTART_PROPERTY);
    if (!dtstart) {
        *why = QStringLiteral("DTSTART がありません");
        return false;
    }
    const icaltimetype st = icalproperty_get_dtstart(dtstart);
    if (icaltime_is_null_time(st) || !icaltime_is_valid_time(st)) {
        *why = QStringLiteral("DTSTART の日時が読めません");
        return false;
    }
    if (!zones.resolve(dtstart, st, &times->start, why)) {
        return false;
    }
    times->allDay = times->start.isDate();
    times->localStart = times->allDay ? QDateTime(dateOf(times->start), QTime(0, 0)) : localOf(times->start);
    if (!times->localStart.isValid()) {
        *why = QStringLiteral("DTSTART の日時が読めません");
        return false;
    }
    icalproperty* dtend = icalcomponent_get_first_property(ev.c, ICAL_DTEND_PROPERTY);
    icalproperty* duration = icalcomponent_get_first_property(ev.c, ICAL_DURATION_PROPERTY);
    if (dtend) {
        FileTime end;
        if (!zones.resolve(dtend, icalproperty_get_dtend(dtend), &end, why)) {
            return false;
        }
        if (times->allDay) {
            times->lengthDays = int(dateOf(times->start).daysTo(dateOf(end)));
        } else {
            times->lengthSecs =
                times->localStart.secsTo(end.isDate() ? QDateTime(dateOf(end), QTime(0, 0)) : localOf(end));
        }
    } else if (duration) {
        const int secs = icaldurationtype_as_int(icalproperty_get_duration(duration));
        times->lengthDays = secs / 86400;
        times->lengthSecs = secs;
    }
    if (times->lengthSecs < 0 || (times->allDay && times->lengthDays < 0)) {
        *why = QStringLiteral("終わりが始まりより前です");
        return false;
    }
    times->lengthDays = std::max(times->lengthDays, 1);
    return true;
}

bool Reader::readBase(const RawEvent& ev, const Times& times, EventBase* base) const
{
    const QHash<QString, QString> nox = noxProperties(ev.c);
    TSkedRec& rec = base->rec;
    base->summary = firstText(ev.c, ICAL_SUMMARY_PROPERTY);
    rec.Text = escapeSkedText(base->summary);
    base->fromNox = nox.contains(QLatin1String(kXNoxId));
    const QString description = firstText(ev.c, ICAL_DESCRIPTION_PROPERTY);
    const QString location = base->fromNox ? QString() : firstText(ev.c, ICAL_LOCATION_PROPERTY);
    QStringList memo;
    if (!location.isEmpty()) {
        memo.append(location);
    }
    if (!description.isEmpty() || base->fromNox) {
        memo.append(description);
    }
    rec.Memo = memo.join(u'\n');
    // Nox writes one category, its commas escaped; other programs list several.
    const QString categories = firstText(ev.c, ICAL_CATEGORIES_PROPERTY);
    rec.Category = !m_opt.category.isEmpty() ? m_opt.category
                   : base->fromNox           ? categories
                                             : categories.section(u',', 0, 0).trimmed();
    rec.Category.replace(u'\t', u' ');
    rec.RelatedInfo = escapeSkedText(firstText(ev.c, ICAL_URL_PROPERTY));
    rec.AlarmMinutes = alarmMinutes(ev.c, times.localStart);
    if (base->fromNox) {
        bool ok = false;
        rec.ID = nox.value(QLatin1String(kXNoxId)).toInt(&ok);
        rec.ID = ok ? rec.ID : 0;
        const auto color = [&](const char* name, TColor fallback) {
            TColor c = fallback;
            return stringToColor(nox.value(QLatin1String(name)), &c) ? c : fallback;
        };
        rec.TextColor = color(kXNoxTextColor, rec.TextColor);
        rec.LineColor = color(kXNoxLineColor, rec.LineColor);
        rec.FontStyle = nox.value(QLatin1String(kXNoxFontStyle), QStringLiteral("0")).toInt();
        rec.ImageIndex = nox.value(QLatin1String(kXNoxImage), QStringLiteral("-1")).toInt();
        if (nox.contains(QLatin1String(kXNoxAlarm))) {
            rec.AlarmMinutes = nox.value(QLatin1String(kXNoxAlarm)).toInt();
        }
        rec.OpenRelatedInfo = nox.value(QLatin1String(kXNoxOpenRelated)) == u"1";
        rec.ExtraFields = QString::fromUtf8(
            QByteArray::fromPercentEncoding(nox.value(QLatin1String(kXNoxExtra)).toLatin1()));
    }
    return true;
}

QList<TSkedRec> Reader::schedulesAt(const EventBase& base, const Times& times,
                                    const QDateTime& localStart) const
{
    if (times.allDay) {
        return occurrenceSchedules(base, localStart, localStart, true,
                                   localStart.date().addDays(times.lengthDays));
    }
    return occurrenceSchedules(base, localStart, localStart.addSecs(times.lengthSecs), false, {});
}

// Two times of one event are the same occurrence. A floating time against a
// zoned one (files that give EXDATEs in UTC for a floating DTSTART) compares
// as written, as the file's author meant.
bool sameInstant(const FileTime& a, const FileTime& b)
{
    if (a.isDate() || b.isDate()) {
        return dateOf(a) == dateOf(b);
    }
    if (!a.zone || !b.zone) {
        return a.t.year == b.t.year && a.t.month == b.t.month && a.t.day == b.t.day && a.t.hour == b.t.hour &&
               a.t.minute == b.t.minute && a.t.second == b.t.second;
    }
    return localOf(a) == localOf(b);
}

QList<QDateTime> Reader::expand(const RawEvent& ev, const Times& times, const ZoneLookup& zones,
                                bool* cutShort, QList<QDate>* exDates, bool* hasRdate, QString* why) const
{
    QList<FileTime> found;
    const QDateTime horizon(m_horizon, QTime(23, 59, 59));
    icalproperty* rrule = icalcomponent_get_first_property(ev.c, ICAL_RRULE_PROPERTY);
    if (rrule) {
        const icalrecurrencetype recur = icalproperty_get_rrule(rrule);
        // With its zone, so that an UNTIL in UTC is compared as the same instant.
        icaltimetype start = times.start.t;
        if (times.start.zone) {
            start = icaltime_set_timezone(&start, times.start.zone);
        }
        icalrecur_iterator* it = icalrecur_iterator_new(recur, start);
        if (!it) {
            *why = QStringLiteral("RRULE が読めません");
            return {};
        }
        int steps = 0;
        for (icaltimetype t = icalrecur_iterator_next(it); !icaltime_is_null_time(t);
             t = icalrecur_iterator_next(it)) {
            FileTime ft{t, times.start.zone};
            if ((times.allDay ? QDateTime(dateOf(ft), QTime(0, 0)) : localOf(ft)) > horizon) {
                break;
            }
            if (++steps > kExpandStepLimit) {
                *cutShort = true;
                break;
            }
            found.append(ft);
        }
        icalrecur_iterator_free(it);
    } else {
        found.append(times.start);
    }
    for (icalproperty* p = icalcomponent_get_first_property(ev.c, ICAL_RDATE_PROPERTY); p;
         p = icalcomponent_get_next_property(ev.c, ICAL_RDATE_PROPERTY)) {
        *hasRdate = true;
        const icaldatetimeperiodtype rd = icalproperty_get_rdate(p);
        FileTime ft;
        const icaltimetype t = icaltime_is_null_time(rd.time) ? rd.period.start : rd.time;
        if (!zones.resolve(p, t, &ft, why)) {
            return {};
        }
        if (ft.isDate() && !times.allDay) {
            // A date in RDATE of a timed event: the event's time on that day.
            ft.t.is_date = 0;
            ft.t.hour = times.start.t.hour;
            ft.t.minute = times.start.t.minute;
            ft.t.second = times.start.t.second;
            ft.zone = times.start.zone;
        }
        if (!std::any_of(found.cbegin(), found.cend(),
                         [&](const FileTime& f) { return sameInstant(f, ft); })) {
            found.append(ft);
        }
    }
    QList<FileTime> excluded;
    for (icalproperty* p = icalcomponent_get_first_property(ev.c, ICAL_EXDATE_PROPERTY); p;
         p = icalcomponent_get_next_property(ev.c, ICAL_EXDATE_PROPERTY)) {
        FileTime ft;
        if (!zones.resolve(p, icalproperty_get_exdate(p), &ft, why)) {
            return {};
        }
        excluded.append(ft);
        const bool asWritten = !times.start.zone && !ft.isDate();
        exDates->append(asWritten ? QDate(ft.t.year, ft.t.month, ft.t.day) : dateOf(ft));
    }
    QList<QDateTime> starts;
    for (const FileTime& ft : std::as_const(found)) {
        const bool gone = std::any_of(excluded.cbegin(), excluded.cend(), [&](const FileTime& x) {
            return x.isDate() ? dateOf(x) == dateOf(ft) : sameInstant(x, ft);
        });
        if (!gone) {
            starts.append(times.allDay ? QDateTime(dateOf(ft), QTime(0, 0)) : localOf(ft));
        }
    }
    std::sort(starts.begin(), starts.end());
    return starts;
}

// A repeat rule for the event when Nox's rules say exactly what libical gives.
bool Reader::tryRule(const RawEvent& ev, const Times& times, const EventBase& base,
                     const QList<QDateTime>& starts, const QList<QDate>& exDates, bool cutShort,
                     IcalItem* item) const
{
    icalproperty* rrule = icalcomponent_get_first_property(ev.c, ICAL_RRULE_PROPERTY);
    if (!rrule || starts.isEmpty()) {
        return false;
    }
    const QList<TSkedRec> first = schedulesAt(base, times, times.localStart);
    if (first.size() != 1) {
        return false;
    }
    QString value = text(icalproperty_get_value_as_string(rrule));
    const QHash<QString, QString> nox = noxProperties(ev.c);
    const QString kept = nox.value(QLatin1String(kXNoxRRule));
    if (!kept.isEmpty()) {
        const icalrecurrencetype parsed = icalrecurrencetype_from_string(kept.toUtf8().constData());
        char* again = icalrecurrencetype_as_string_r(const_cast<icalrecurrencetype*>(&parsed));
        if (again && value == QString::fromUtf8(again)) {
            value = kept;
        }
        icalmemory_free_buffer(again);
    }
    const QDate firstDate = times.localStart.date();
    if (!checkRRule(value, firstDate).ok) {
        return false;
    }
    QList<QDate> excepted;
    for (const QDate& d : exDates) {
        if (!excepted.contains(d)) {
            excepted.append(d);
        }
    }
    std::sort(excepted.begin(), excepted.end());
    const QDate last = cutShort ? starts.last().date() : m_horizon;
    const RuleDates ruleDates = expandRRule(value, firstDate, firstDate, last);
    QList<QDate> noxDates;
    for (const QDate& d : ruleDates.dates) {
        if (!excepted.contains(d)) {
            noxDates.append(d);
        }
    }
    QList<QDate> icalDates;
    for (const QDateTime& s : starts) {
        if (s.time() != times.localStart.time()) {
            return false;
        }
        icalDates.append(s.date());
    }
    if (noxDates != icalDates) {
        return false;
    }
    item->kind = ItemKind::Rule;
    item->rule.first = firstDate;
    item->rule.rrule = value;
    item->rule.excepted = excepted;
    item->rule.sked = first.first();
    item->rule.id = base.fromNox ? base.rec.ID : 0;
    if (const auto holiday = holidayRuleOf(nox.value(QLatin1String(kXNoxHoliday)))) {
        item->rule.holiday = *holiday;
    }
    return true;
}

// The times and fields every event starts from, and its item; false (the
// problem told) when its times cannot be read.
bool Reader::startItem(const RawEvent& ev, Times* times, EventBase* base, IcalItem* item)
{
    QString why;
    if (!readTimes(ev, times, &why)) {
        problem(ev, why);
        return false;
    }
    readBase(ev, *times, base);
    item->uid = ev.uid;
    item->line = ev.line;
    item->summary = base->summary;
    item->fromNox = base->fromNox;
    return true;
}

void Reader::readMaster(const RawEvent& ev, const QList<const RawEvent*>& overrides)
{
    Times times;
    EventBase base;
    IcalItem item;
    if (!startItem(ev, &times, &base, &item)) {
        return;
    }
    QString why;
    const bool repeating = icalcomponent_get_first_property(ev.c, ICAL_RRULE_PROPERTY) ||
                           icalcomponent_get_first_property(ev.c, ICAL_RDATE_PROPERTY);
    if (!repeating) {
        item.schedules = schedulesAt(base, times, times.localStart);
        ++m_plan->events;
        addCategory(base.rec.Category);
        m_plan->items.append(item);
        for (const RawEvent* o : overrides) {
            readOrphan(*o);
        }
        return;
    }
    const ZoneLookup zones(ev.calendar);
    bool cutShort = false;
    bool hasRdate = false;
    QList<QDate> exDates;
    QList<QDateTime> starts = expand(ev, times, zones, &cutShort, &exDates, &hasRdate, &why);
    if (!why.isEmpty()) {
        problem(ev, why);
        return;
    }
    ++m_plan->events;
    ++m_plan->repeating;
    addCategory(base.rec.Category);
    item.cutShort = cutShort;
    QList<IcalItem> changed;
    QList<QDate> overrideDates;
    QList<QDateTime> overrideStarts;
    for (const RawEvent* o : overrides) {
        icalproperty* rid = icalcomponent_get_first_property(o->c, ICAL_RECURRENCEID_PROPERTY);
        FileTime ridTime;
        QString owhy;
        Times otimes;
        if (!zones.resolve(rid, icalproperty_get_recurrenceid(rid), &ridTime, &owhy) ||
            !readTimes(*o, &otimes, &owhy)) {
            problem(*o, owhy);
            continue;
        }
        EventBase obase;
        readBase(*o, otimes, &obase);
        const bool cancelled = icalcomponent_get_status(o->c) == ICAL_STATUS_CANCELLED;
        IcalItem oi;
        oi.kind = ItemKind::Override;
        oi.uid = o->uid;
        oi.line = o->line;
        oi.summary = obase.summary;
        oi.fromNox = obase.fromNox;
        oi.ruleDate = dateOf(ridTime);
        if (!cancelled) {
            oi.schedules = schedulesAt(obase, otimes, otimes.localStart);
            ++m_plan->events;
            addCategory(obase.rec.Category);
        } else {
            ++m_plan->cancelled;
        }
        overrideDates.append(oi.ruleDate);
        overrideStarts.append(times.allDay ? QDateTime(oi.ruleDate, QTime(0, 0)) : localOf(ridTime));
        if (!cancelled) {
            changed.append(oi);
        }
    }
    starts.removeIf([&](const QDateTime& s) { return overrideStarts.contains(s); });
    if (!hasRdate && tryRule(ev, times, base, starts, exDates + overrideDates, cutShort, &item)) {
        // Overrides stand for excepted dates of the rule.
        item.rule.excepted.append(overrideDates);
        std::sort(item.rule.excepted.begin(), item.rule.excepted.end());
        item.rule.excepted.erase(std::unique(item.rule.excepted.begin(), item.rule.excepted.end()),
                                 item.rule.excepted.end());
        m_plan->items.append(item);
        m_plan->items.append(changed);
        return;
    }
    item.kind = ItemKind::Schedules;
    item.expanded = true;
    ++m_plan->expanded;
    for (const QDateTime& s : std::as_const(starts)) {
        item.schedules.append(schedulesAt(base, times, s));
    }
    m_plan->items.append(item);
    for (IcalItem& oi : changed) {
        oi.kind = ItemKind::Schedules;
        m_plan->items.append(oi);
    }
}

// An event with a RECURRENCE-ID whose master is not in the file: one event.
void Reader::readOrphan(const RawEvent& ev)
{
    Times times;
    EventBase base;
    IcalItem item;
    if (!startItem(ev, &times, &base, &item)) {
        return;
    }
    item.schedules = schedulesAt(base, times, times.localStart);
    ++m_plan->events;
    addCategory(base.rec.Category);
    m_plan->items.append(item);
}

void collectCalendars(icalcomponent* root, QList<icalcomponent*>* calendars)
{
    if (icalcomponent_isa(root) == ICAL_VCALENDAR_COMPONENT) {
        calendars->append(root);
        return;
    }
    for (icalcomponent* c = icalcomponent_get_first_component(root, ICAL_ANY_COMPONENT); c;
         c = icalcomponent_get_next_component(root, ICAL_ANY_COMPONENT)) {
        collectCalendars(c, calendars);
    }
}

} // namespace

IcalPlan readIcal(const QByteArray& bytes, const IcalReadOptions& options)
{
    IcalPlan plan;
    const QByteArray normalized = normalizedLineEnds(bytes);
    const QList<int> lines = eventLines(normalized);
    ComponentPtr root(icalparser_parse_string(utf8Lines(normalized).constData()));
    QList<icalcomponent*> calendars;
    if (root) {
        collectCalendars(root.get(), &calendars);
    }
    if (calendars.isEmpty()) {
        plan.problems.append(
            {0, {}, QStringLiteral("iCalendar のファイルではありません (VCALENDAR がありません)")});
        return plan;
    }
    QList<RawEvent> events;
    for (icalcomponent* cal : std::as_const(calendars)) {
        for (icalcomponent* c = icalcomponent_get_first_component(cal, ICAL_ANY_COMPONENT); c;
             c = icalcomponent_get_next_component(cal, ICAL_ANY_COMPONENT)) {
            switch (icalcomponent_isa(c)) {
            case ICAL_VTODO_COMPONENT:
                ++plan.todos;
                break;
            case ICAL_VJOURNAL_COMPONENT:
                ++plan.journals;
                break;
            case ICAL_VEVENT_COMPONENT: {
                RawEvent ev;
                ev.c = c;
                ev.calendar = cal;
                ev.line = lines.value(events.size());
                ev.uid = firstText(c, ICAL_UID_PROPERTY);
                ev.isOverride = icalcomponent_get_first_property(c, ICAL_RECURRENCEID_PROPERTY) != nullptr;
                events.append(ev);
                break;
            }
            default:
                break;
            }
        }
    }
    Reader reader(options, &plan);
    QHash<QString, QList<const RawEvent*>> overridesOf;
    QHash<QString, int> masters;
    for (const RawEvent& ev : std::as_const(events)) {
        if (!ev.isOverride && !ev.uid.isEmpty()) {
            masters.insert(ev.uid, masters.value(ev.uid) + 1);
        }
    }
    for (const RawEvent& ev : std::as_const(events)) {
        if (ev.isOverride && masters.value(ev.uid) == 1) {
            overridesOf[ev.uid].append(&ev);
        }
    }
    for (const RawEvent& ev : std::as_const(events)) {
        const bool cancelled = icalcomponent_get_status(ev.c) == ICAL_STATUS_CANCELLED;
        if (ev.isOverride && masters.value(ev.uid) == 1) {
            continue; // read with its master
        }
        if (cancelled) {
            ++plan.cancelled;
            continue;
        }
        if (ev.isOverride) {
            reader.readOrphan(ev);
        } else {
            reader.readMaster(ev, overridesOf.value(ev.uid));
        }
    }
    // Overrides stand where the file has them (a day's schedules keep the
    // order of the file).
    std::stable_sort(plan.items.begin(), plan.items.end(),
                     [](const IcalItem& a, const IcalItem& b) { return a.line < b.line; });
    return plan;
}

} // namespace nox::ical
