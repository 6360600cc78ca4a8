// The schedule book's repeat rules: occurrences among the schedules of each
// day, and the changes of one, the following or all occurrences.
#include <QHash>
#include <QMap>
#include <QMutex>

#include "core/datetime.h"
#include "core/folders.h"
#include "store/repeatexpand.h"
#include "store/repeatstore.h"
#include "store/schedulebook.h"

namespace nox
{

namespace
{

// As many days' handed-out occurrences as the book remembers of day files.
constexpr int kShownOccurrenceDays = 256;

bool hiddenByCategory(const TSkedRec& rec, const QString& categoryFilter)
{
    return !categoryFilter.isEmpty() && !rec.Category.isEmpty() && rec.Category != categoryFilter;
}

// The fields of a schedule a rule keeps (not its date, ID or rule marks).
TSkedRec ruleSked(const TSkedRec& changed, qint32 ruleId, const QDate& first)
{
    TSkedRec sked = changed;
    sked.ID = ruleId;
    sked.setDate(first);
    sked.RuleID = 0;
    sked.RuleDate = 0;
    sked.ExtraFields.clear();
    return sked;
}

bool sameFields(const TSkedRec& a, const TSkedRec& b)
{
    return a == b;
}

QString withoutEnd(const QString& rrule)
{
    QStringList parts;
    for (const QString& part : rrule.split(u';', Qt::SkipEmptyParts)) {
        const QString name = part.section(u'=', 0, 0).trimmed().toUpper();
        if (name != u"UNTIL" && name != u"COUNT") {
            parts.append(part);
        }
    }
    return parts.join(u';');
}

QString withUntil(const QString& rrule, const QDate& until)
{
    return withoutEnd(rrule) + QStringLiteral(";UNTIL=") + until.toString(QStringLiteral("yyyyMMdd"));
}

QString withCount(const QString& rrule, int count)
{
    return withoutEnd(rrule) + QStringLiteral(";COUNT=%1").arg(count);
}

} // namespace

struct ScheduleBook::RepeatMemory {
    explicit RepeatMemory(const QString& folder) : store(folder, folders::defaultFolder()) {}

    RepeatStore store;
    QMutex lock;                         // guards shown and shownOrder
    QHash<QDate, QList<TSkedRec>> shown; // occurrences day() handed out
    QList<QDate> shownOrder;

    void noteShown(const QDate& date, const QList<TSkedRec>& occurrences)
    {
        QMutexLocker locker(&lock);
        if (shown.contains(date)) {
            shownOrder.removeOne(date);
        } else if (shownOrder.size() >= kShownOccurrenceDays) {
            shown.remove(shownOrder.takeFirst());
        }
        shown.insert(date, occurrences);
        shownOrder.append(date);
    }
    QList<TSkedRec> shownOn(const QDate& date)
    {
        QMutexLocker locker(&lock);
        return shown.value(date);
    }
};

std::shared_ptr<ScheduleBook::RepeatMemory> ScheduleBook::makeRepeatMemory(const QString& folder)
{
    return std::make_shared<RepeatMemory>(folder);
}

std::function<void(const QDate&)> ScheduleBook::repeatAhead(std::shared_ptr<RepeatMemory> repeat)
{
    // The occurrences of a whole month are made at once and kept: a day of
    // a month already made costs nothing.
    return [repeat = std::move(repeat)](const QDate& date) {
        static_cast<void>(repeat->store.occurrencesOn(date));
    };
}

// The occurrences of the day join its day-file schedules; one that a
// day-file schedule stands for (changed by itself, store/repeatrule.h
// RuleRef) is left out.
void ScheduleBook::appendOccurrences(const QDate& date, const QString& categoryFilter, bool shown,
                                     BookDay* day) const
{
    QList<TSkedRec> handed;
    for (const TSkedRec& occurrence : m_repeat->store.occurrencesOn(date)) {
        const bool replaced =
            std::any_of(day->records.cbegin(), day->records.cend(), [&](const TSkedRec& rec) {
                const std::optional<RuleRef> ref = ruleRefOf(rec);
                return ref && ref->ruleId == occurrence.RuleID && ref->date == occurrence.ruleDate();
            });
        if (!replaced && !hiddenByCategory(occurrence, categoryFilter)) {
            handed.append(occurrence);
        }
    }
    if (shown) {
        m_repeat->noteShown(date, handed);
    }
    day->records.append(handed);
}

std::optional<TSkedRec> ScheduleBook::occurrenceOn(const QDate& date, qint32 ruleId) const
{
    if (!isRuleId(ruleId)) {
        return std::nullopt;
    }
    const BookDay found = look(date);
    for (const TSkedRec& rec : found.records) {
        if (rec.ID == ruleId && !rec.isOccurrence()) {
            return std::nullopt; // a day-file line of that ID (written by another program)
        }
    }
    for (const TSkedRec& rec : found.records) {
        if (rec.RuleID == ruleId) {
            return rec;
        }
    }
    return std::nullopt;
}

// The occurrences day() handed out for `date` that are missing from
// `records` were removed, those that differ were changed, each by itself;
// *dayRecords gets the records that go into the day file.
BookResult ScheduleBook::saveOccurrenceChanges(const QDate& date, const QList<TSkedRec>& records,
                                               QList<TSkedRec>* dayRecords)
{
    QList<TSkedRec> occurrences;
    for (const TSkedRec& rec : records) {
        (rec.isOccurrence() ? occurrences : *dayRecords).append(rec);
    }
    for (const TSkedRec& was : m_repeat->shownOn(date)) {
        const auto now = std::find_if(occurrences.cbegin(), occurrences.cend(), [&](const TSkedRec& rec) {
            return rec.RuleID == was.RuleID && rec.RuleDate == was.RuleDate;
        });
        if (now == occurrences.cend()) {
            const BookResult removed = exceptRule(was.RuleID, was.ruleDate());
            if (!removed.ok() && removed.code() != BookStatus::NotFound) {
                return removed;
            }
            continue;
        }
        if (sameFields(*now, was)) {
            continue;
        }
        // Changed in place: a schedule of the day file that remembers its rule.
        TSkedRec changed = *now;
        changed.ID = newId();
        changed.RuleID = 0;
        changed.RuleDate = 0;
        setRuleRef(&changed, RuleRef{was.RuleID, was.ruleDate()});
        dayRecords->append(changed);
        const BookResult excepted = exceptRule(was.RuleID, was.ruleDate());
        if (!excepted.ok() && excepted.code() != BookStatus::NotFound) {
            return excepted;
        }
    }
    return BookResult::success({});
}

BookResult ScheduleBook::rules(QList<RepeatRule>* rules, QList<RepeatProblem>* problems) const
{
    return m_repeat->store.rules(rules, problems);
}

BookResult ScheduleBook::rule(qint32 id, RepeatRule* rule) const
{
    return m_repeat->store.rule(id, rule);
}

QList<TSkedRec> ScheduleBook::occurrences(const QDate& from, const QDate& to,
                                          const QString& categoryFilter) const
{
    QList<TSkedRec> result = m_repeat->store.occurrences(from, to);
    result.removeIf([&](const TSkedRec& rec) { return hiddenByCategory(rec, categoryFilter); });
    return result;
}

QStringList ScheduleBook::takeRuleNotices() const
{
    return m_repeat->store.takeNotices();
}

BookResult ScheduleBook::afterRuleChange(BookResult result)
{
    if (result.code() != BookStatus::Ok && result.code() != BookStatus::ChangedOnDisk) {
        return result;
    }
    if (!m_alarms) {
        return result;
    }
    const BookResult alarms = m_alarms->RenewRuleAlarms(*this);
    return alarms.ok() ? result : alarms;
}

BookResult ScheduleBook::addRule(RepeatRule* rule)
{
    const RRuleCheck check = checkRRule(rule->rrule, rule->first);
    if (!check.ok) {
        return Status::failed(m_repeat->store.path(), check.message);
    }
    BookResult result = m_repeat->store.add(rule);
    if (result.ok()) {
        result->record = rule->sked;
    }
    return afterRuleChange(result);
}

BookResult ScheduleBook::changeRule(qint32 id, const std::function<void(RepeatRule&)>& edit,
                                    const RepeatRule* shown)
{
    QString refused;
    const auto checkedEdit = [&](RepeatRule& rule) {
        RepeatRule edited = rule;
        edit(edited);
        const RRuleCheck check = checkRRule(edited.rrule, edited.first);
        if (check.ok) {
            rule = edited;
        } else {
            refused = check.message;
        }
    };
    const BookResult result = m_repeat->store.change(id, checkedEdit, shown);
    if (!refused.isEmpty()) {
        return Status::failed(m_repeat->store.path(), refused);
    }
    return afterRuleChange(result);
}

BookResult ScheduleBook::removeRule(qint32 id)
{
    return afterRuleChange(m_repeat->store.remove(id));
}

BookResult ScheduleBook::exceptRule(qint32 id, const QDate& ruleDate)
{
    return changeRule(id, [&](RepeatRule& rule) {
        if (!rule.excepted.contains(ruleDate)) {
            rule.excepted.append(ruleDate);
            std::sort(rule.excepted.begin(), rule.excepted.end());
        }
    });
}

BookResult ScheduleBook::changeOccurrence(OccurrenceScope scope, const TSkedRec& occurrence,
                                          const TSkedRec& changed)
{
    RepeatRule rule;
    const BookResult found = m_repeat->store.rule(occurrence.RuleID, &rule);
    if (!found.ok()) {
        return found;
    }
    const QDate ruleDate = occurrence.ruleDate();
    const qint64 shift = occurrence.date().daysTo(changed.date());
    if (scope == OccurrenceScope::This) {
        TSkedRec single = changed;
        single.ID = newId();
        single.RuleID = 0;
        single.RuleDate = 0;
        setRuleRef(&single, RuleRef{rule.id, ruleDate});
        BookResult result = add(single, amNew);
        if (!result.ok()) {
            return result;
        }
        const BookResult excepted = exceptRule(rule.id, ruleDate);
        return excepted.ok() ? result : excepted;
    }
    const bool firstOne =
        expandRRule(rule.rrule, rule.first, rule.first, ruleDate.addDays(-1)).dates.isEmpty();
    if (scope == OccurrenceScope::All || firstOne) {
        BookResult result = changeRule(rule.id, [&](RepeatRule& r) {
            r.first = r.first.addDays(shift);
            r.sked = ruleSked(changed, r.id, r.first);
        });
        if (result.ok()) {
            RepeatRule now;
            if (m_repeat->store.rule(rule.id, &now).ok()) {
                result->record = now.sked;
            }
        }
        return result;
    }
    // This and the following: a new rule from the changed date, then the old
    // one ends the day before (in this order, so that a failure leaves both).
    const RRuleCheck check = checkRRule(rule.rrule, rule.first);
    RepeatRule following = rule;
    following.first = changed.date();
    following.sked = ruleSked(changed, 0, following.first);
    following.excepted.removeIf([&](const QDate& d) { return d < ruleDate; });
    QString oldRule = withUntil(rule.rrule, ruleDate.addDays(-1));
    if (check.rule.count > 0) {
        const int before =
            int(expandRRule(rule.rrule, rule.first, rule.first, ruleDate.addDays(-1)).dates.size());
        following.rrule = withCount(rule.rrule, std::max(1, check.rule.count - before));
        oldRule = withCount(rule.rrule, std::max(1, before));
    }
    BookResult added = addRule(&following);
    if (!added.ok()) {
        return added;
    }
    const BookResult ended = changeRule(rule.id, [&](RepeatRule& r) {
        r.rrule = oldRule;
        r.excepted.removeIf([&](const QDate& d) { return d >= ruleDate; });
    });
    return ended.ok() ? added : ended;
}

BookResult ScheduleBook::removeOccurrence(OccurrenceScope scope, const TSkedRec& occurrence)
{
    RepeatRule rule;
    const BookResult found = m_repeat->store.rule(occurrence.RuleID, &rule);
    if (!found.ok()) {
        return found;
    }
    const QDate ruleDate = occurrence.ruleDate();
    if (scope == OccurrenceScope::This) {
        return exceptRule(rule.id, ruleDate);
    }
    const bool firstOne =
        expandRRule(rule.rrule, rule.first, rule.first, ruleDate.addDays(-1)).dates.isEmpty();
    if (scope == OccurrenceScope::All || firstOne) {
        return removeRule(rule.id);
    }
    const RRuleCheck check = checkRRule(rule.rrule, rule.first);
    return changeRule(rule.id, [&](RepeatRule& r) {
        if (check.rule.count > 0) {
            r.rrule = withCount(
                r.rrule, int(expandRRule(r.rrule, r.first, r.first, ruleDate.addDays(-1)).dates.size()));
        } else {
            r.rrule = withUntil(r.rrule, ruleDate.addDays(-1));
        }
        r.excepted.removeIf([&](const QDate& d) { return d >= ruleDate; });
    });
}

BookDay ScheduleBook::span(const QDate& from, const QDate& to, const QString& categoryFilter) const
{
    BookDay result;
    QMap<QDate, QList<TSkedRec>> byDate;
    for (const TSkedRec& rec : occurrences(from, to, categoryFilter)) {
        byDate[rec.date()].append(rec);
    }
    for (const QDate& date : dates(from, to)) {
        byDate[date];
    }
    for (auto it = byDate.cbegin(); it != byDate.cend(); ++it) {
        BookDay day = readDay(it.key(), categoryFilter, false, false);
        if (!day.result.ok() && result.result.ok()) {
            result.result = day.result;
        }
        result.problems.append(day.problems);
        QList<RuleRef> replaced;
        for (const TSkedRec& rec : std::as_const(day.records)) {
            if (const std::optional<RuleRef> ref = ruleRefOf(rec)) {
                replaced.append(*ref);
            }
        }
        for (const TSkedRec& occurrence : it.value()) {
            const bool isReplaced = std::any_of(replaced.cbegin(), replaced.cend(), [&](const RuleRef& ref) {
                return ref.ruleId == occurrence.RuleID && ref.date == occurrence.ruleDate();
            });
            if (!isReplaced) {
                day.records.append(occurrence);
            }
        }
        result.records.append(day.records);
    }
    return result;
}

} // namespace nox
