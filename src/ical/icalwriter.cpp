#include "icalwriter.h"

#include <QDateTime>
#include <QHash>
#include <QSet>
#include <QTimeZone>

#include "icalmapping.h"
#include "icaluidmap.h"
#include "store/repeatexpand.h"
#include "store/schedulebook.h"

namespace nox::ical
{

QString escapeText(const QString& text)
{
    QString out;
    out.reserve(text.size() + 8);
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c == u'\\' || c == u';' || c == u',') {
            out += u'\\';
            out += c;
        } else if (c == u'\r') {
            out += QStringLiteral("\\n");
            if (i + 1 < text.size() && text.at(i + 1) == u'\n') {
                ++i;
            }
        } else if (c == u'\n') {
            out += QStringLiteral("\\n");
        } else {
            out += c;
        }
    }
    return out;
}

QByteArray foldedLine(const QByteArray& line)
{
    QByteArray out;
    out.reserve(line.size() + line.size() / 70 * 3 + 2);
    qsizetype pos = 0;
    int room = kFoldOctets;
    while (line.size() - pos > room) {
        qsizetype cut = pos + room;
        while (cut > pos && (uchar(line.at(cut)) & 0xC0) == 0x80) {
            --cut; // never inside a UTF-8 character
        }
        out.append(line.constData() + pos, cut - pos);
        out.append("\r\n ");
        pos = cut;
        room = kFoldOctets - 1;
    }
    out.append(line.constData() + pos, line.size() - pos);
    out.append("\r\n");
    return out;
}

namespace
{

class Writer
{
public:
    Writer(const ScheduleBook& book, UidMap* map, const ExportOptions& options)
        : m_book(book), m_map(map), m_opt(options)
    {
        m_stamp = QDateTime::currentDateTimeUtc().toString(QStringLiteral("yyyyMMdd'T'hhmmss'Z'")).toLatin1();
    }

    ExportResult run();

private:
    void line(const QByteArray& name, const QString& value)
    {
        m_out += foldedLine(name + ':' + value.toUtf8());
    }
    void line(const QByteArray& text) { m_out += foldedLine(text); }
    void timeZone(const QDate& first, const QDate& last);
    QByteArray timeProp(const char* name, const QDate& date, int slot) const;
    void fields(const TSkedRec& rec);
    void alarm(const TSkedRec& rec);
    void rule(const RepeatRule& rule, const QSet<QDate>& overridden);
    void schedule(const TSkedRec& rec, const QString& uid, const RepeatRule* of, const QDate& ruleDate);
    bool wantedRule(const RepeatRule& rule) const;

    const ScheduleBook& m_book;
    UidMap* m_map;
    ExportOptions m_opt;
    QByteArray m_out;
    QByteArray m_tzid; // empty: times in UTC
    QByteArray m_stamp;
    int m_events = 0;
};

QByteArray offsetText(int seconds)
{
    const char sign = seconds < 0 ? '-' : '+';
    seconds = std::abs(seconds);
    return sign + QByteArray::number(seconds / 3600).rightJustified(2, '0') +
           QByteArray::number(seconds / 60 % 60).rightJustified(2, '0');
}

// The local zone as a VTIMEZONE: its offset at `first` and every change up
// to `last`, each as a part of its own (no rules that other programs could
// read differently).
void Writer::timeZone(const QDate& first, const QDate& last)
{
    const QTimeZone zone = QTimeZone::systemTimeZone();
    const QByteArray id = QTimeZone::systemTimeZoneId();
    if (!zone.isValid() || id.isEmpty() || id == "UTC" || id.contains(':') || id.contains(';')) {
        return; // times in UTC
    }
    m_tzid = id;
    line("BEGIN:VTIMEZONE");
    line("TZID:" + id);
    const QDateTime from(first, QTime(0, 0), Qt::UTC);
    const QDateTime to(last, QTime(0, 0), Qt::UTC);
    int offset = zone.offsetFromUtc(from);
    const auto part = [&](bool daylight, const QDateTime& wall, int before, int after, const QString& name) {
        const QByteArray kind = daylight ? "DAYLIGHT" : "STANDARD";
        line("BEGIN:" + kind);
        line("DTSTART:" + wall.toString(QStringLiteral("yyyyMMdd'T'hhmmss")).toLatin1());
        line("TZOFFSETFROM:" + offsetText(before));
        line("TZOFFSETTO:" + offsetText(after));
        if (!name.isEmpty()) {
            line("TZNAME", escapeText(name));
        }
        line("END:" + kind);
    };
    part(zone.isDaylightTime(from), QDateTime(first, QTime(0, 0), Qt::UTC), offset, offset,
         zone.abbreviation(from));
    for (const QTimeZone::OffsetData& t : zone.transitions(from, to)) {
        const QDateTime wall = t.atUtc.addSecs(offset).toUTC();
        part(t.daylightTimeOffset != 0, QDateTime(wall.date(), wall.time(), Qt::UTC), offset, t.offsetFromUtc,
             t.abbreviation);
        offset = t.offsetFromUtc;
    }
    line("END:VTIMEZONE");
}

QByteArray Writer::timeProp(const char* name, const QDate& date, int slot) const
{
    const QTime time(slot / 2, slot % 2 * 30);
    if (m_tzid.isEmpty()) {
        const QDateTime utc = QDateTime(date, time).toUTC();
        return QByteArray(name) + ':' + utc.toString(QStringLiteral("yyyyMMdd'T'hhmmss'Z'")).toLatin1();
    }
    return QByteArray(name) + ";TZID=" + m_tzid + ':' +
           QDateTime(date, time).toString(QStringLiteral("yyyyMMdd'T'hhmmss")).toLatin1();
}

void Writer::fields(const TSkedRec& rec)
{
    line(timeProp("DTSTART", rec.date(), rec.StartTime));
    line(timeProp("DTEND", rec.date(), rec.EndTime));
    line("SUMMARY", escapeText(unescapeSkedText(rec.Text)));
    if (!rec.Memo.isEmpty()) {
        line("DESCRIPTION", escapeText(unescapeSkedText(rec.Memo)));
    }
    if (!rec.Category.isEmpty()) {
        line("CATEGORIES", escapeText(rec.Category));
    }
    if (!rec.RelatedInfo.isEmpty()) {
        line("URL", rec.RelatedInfo);
    }
    line(kXNoxId, QString::number(rec.ID));
    line(kXNoxTextColor, colorToString(rec.TextColor));
    line(kXNoxLineColor, colorToString(rec.LineColor));
    line(kXNoxFontStyle, QString::number(rec.FontStyle));
    line(kXNoxImage, QString::number(rec.ImageIndex));
    line(kXNoxAlarm, QString::number(rec.AlarmMinutes));
    line(kXNoxOpenRelated, rec.OpenRelatedInfo ? QStringLiteral("1") : QStringLiteral("0"));
    if (!rec.ExtraFields.isEmpty()) {
        line(kXNoxExtra, QString::fromLatin1(rec.ExtraFields.toUtf8().toPercentEncoding()));
    }
}

void Writer::schedule(const TSkedRec& rec, const QString& uid, const RepeatRule* of, const QDate& ruleDate)
{
    line("BEGIN:VEVENT");
    line("UID", uid);
    line("DTSTAMP:" + m_stamp);
    if (of) {
        line(timeProp("RECURRENCE-ID", ruleDate, of->sked.StartTime));
    }
    fields(rec);
    alarm(rec);
    line("END:VEVENT");
    ++m_events;
}

// The schedule's alarm, when it has one, as a VALARM inside its event.
void Writer::alarm(const TSkedRec& rec)
{
    if (rec.AlarmMinutes < 0) {
        return;
    }
    line("BEGIN:VALARM");
    line("ACTION:DISPLAY");
    line("DESCRIPTION", escapeText(unescapeSkedText(skedFirstLine(rec.Text))));
    line("TRIGGER:-PT" + QByteArray::number(rec.AlarmMinutes) + 'M');
    line("END:VALARM");
}

void Writer::rule(const RepeatRule& r, const QSet<QDate>& overridden)
{
    const QString uid = m_map->uidOfRule(r.id).isEmpty() ? m_map->madeUid({}, r.id) : m_map->uidOfRule(r.id);
    line("BEGIN:VEVENT");
    line("UID", uid);
    line("DTSTAMP:" + m_stamp);
    QString rrule = r.rrule.trimmed();
    if (rrule.startsWith(QLatin1String("RRULE:"), Qt::CaseInsensitive)) {
        rrule = rrule.mid(6);
    }
    line("RRULE", rrule);
    line(kXNoxRRule, rrule);
    for (const QDate& d : r.excepted) {
        if (!overridden.contains(d)) {
            line(timeProp("EXDATE", d, r.sked.StartTime));
        }
    }
    if (r.holiday != HolidayRule::None) {
        line(kXNoxHoliday, holidayRuleName(r.holiday));
    }
    TSkedRec rec = r.sked;
    rec.setDate(r.first);
    fields(rec);
    alarm(rec);
    line("END:VEVENT");
    ++m_events;
}

bool Writer::wantedRule(const RepeatRule& r) const
{
    if (!m_opt.category.isEmpty() && r.sked.Category != m_opt.category) {
        return false;
    }
    if (!m_opt.from.isValid() && !m_opt.to.isValid()) {
        return true;
    }
    const QDate from = m_opt.from.isValid() ? m_opt.from : r.first;
    const QDate to = m_opt.to.isValid() ? m_opt.to : from.addYears(100);
    return !expandRRule(r.rrule, r.first, std::max(from, r.first), to).dates.isEmpty();
}

ExportResult Writer::run()
{
    ExportResult result;
    QList<RepeatRule> rules;
    result.result = m_book.rules(&rules).status();
    if (!result.result.ok()) {
        return result;
    }
    QHash<qint32, RepeatRule> exported;
    QList<qint32> order;
    for (const RepeatRule& r : std::as_const(rules)) {
        if (wantedRule(r)) {
            exported.insert(r.id, r);
            order.append(r.id);
        }
    }
    // The schedules first (an exported rule leaves out EXDATEs of its changed occurrences).
    struct Entry {
        TSkedRec rec;
        std::optional<RuleRef> ref;
    };
    QList<Entry> entries;
    QHash<qint32, QSet<QDate>> overridden;
    for (const QDate& date : m_book.dates(m_opt.from, m_opt.to)) {
        const BookDay day = m_book.day(date);
        if (!day.result.ok()) {
            result.result = day.result.status();
            return result;
        }
        for (const TSkedRec& rec : day.records) {
            if (rec.isOccurrence() || (!m_opt.category.isEmpty() && rec.Category != m_opt.category)) {
                continue;
            }
            std::optional<RuleRef> ref = ruleRefOf(rec);
            if (ref && !exported.contains(ref->ruleId)) {
                ref.reset();
            }
            if (ref) {
                overridden[ref->ruleId].insert(ref->date);
            }
            entries.append({rec, ref});
        }
    }
    m_out = "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//Nox//Nox//JA\r\nCALSCALE:GREGORIAN\r\n";
    QDate first = QDate::currentDate();
    QDate last = first.addYears(20);
    for (const Entry& e : std::as_const(entries)) {
        first = std::min(first, e.rec.date());
        last = std::max(last, e.rec.date().addYears(2));
    }
    for (qint32 id : std::as_const(order)) {
        first = std::min(first, exported.value(id).first);
    }
    timeZone(first.addDays(-1), last);
    for (qint32 id : std::as_const(order)) {
        rule(exported.value(id), overridden.value(id));
    }
    for (const Entry& e : std::as_const(entries)) {
        if (e.ref) {
            const RepeatRule& of = exported.find(e.ref->ruleId).value();
            const QString uid =
                m_map->uidOfRule(of.id).isEmpty() ? m_map->madeUid({}, of.id) : m_map->uidOfRule(of.id);
            schedule(e.rec, uid, &of, e.ref->date);
        } else {
            const QString mapped = m_map->uidOfSchedule(e.rec.date(), e.rec.ID);
            schedule(e.rec, mapped.isEmpty() ? m_map->madeUid(e.rec.date(), e.rec.ID) : mapped, nullptr, {});
        }
    }
    m_out += "END:VCALENDAR\r\n";
    result.bytes = m_out;
    result.events = m_events;
    return result;
}

} // namespace

ExportResult exportIcal(const ScheduleBook& book, UidMap* map, const ExportOptions& options)
{
    const bool hadIdentity = !map->identity().isEmpty();
    ExportResult result = Writer(book, map, options).run();
    if (result.result.ok() && !hadIdentity) {
        result.result = map->save(); // the identity the UIDs were made from
    }
    return result;
}

} // namespace nox::ical
