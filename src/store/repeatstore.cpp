#include "store/repeatstore.h"

#include <QDir>
#include <QTime>
#include <algorithm>

#include "core/datetime.h"
#include "store/repeatexpand.h"

namespace nox
{

namespace
{

// More months than any use keeps at hand; past it the memory starts afresh.
constexpr int kMonthsKept = 600;
// How often a file changed too recently for its stamp is read again.
constexpr qint64 kRecheckMs = 100;
// Longer ranges are not kept by month.
constexpr int kLongRangeDays = 62;

int monthKey(const QDate& d)
{
    return d.year() * 12 + d.month() - 1;
}

QDate monthStart(int key)
{
    return QDate(key / 12, key % 12 + 1, 1);
}

bool isBlank(const TextLine& line)
{
    return line.text().trimmed().isEmpty();
}

int indexOfRule(const QList<RepeatRule>& rules, qint32 id)
{
    for (int i = 0; i < rules.size(); ++i) {
        if (rules.at(i).id == id) {
            return i;
        }
    }
    return -1;
}

TSkedRec occurrenceRecord(const RepeatRule& rule, const Occurrence& occurrence)
{
    TSkedRec rec = rule.sked;
    rec.ID = rule.id;
    rec.setDate(occurrence.date);
    rec.RuleID = rule.id;
    rec.RuleDate = dayNumber(occurrence.ruleDate);
    return rec;
}

} // namespace

RepeatStore::RepeatStore(QString dataFolder, QString defaultFolder)
    : m_folder(std::move(dataFolder)), m_defaultFolder(std::move(defaultFolder)),
      m_path(QDir(m_folder).filePath(QString::fromLatin1(kRepeatFileName)))
{
}

BookResult RepeatStore::readFile(Loaded* into) const
{
    TextReadResult read = readTextLines(m_path, &into->stamp);
    if (read->exists && !read.ok()) {
        return Status::failed(m_path, read.message());
    }
    into->exists = read->exists;
    into->bom = read->bom;
    into->lines = read->textLines;
    for (int i = 0; i < into->lines.size(); ++i) {
        const TextLine& line = into->lines.at(i);
        if (isBlank(line)) {
            continue;
        }
        RepeatRule rule;
        RepeatLineResult parsed = parseRepeatLine(line.text(), &rule);
        if (parsed.ok && indexOfRule(into->rules, rule.id) >= 0) {
            parsed.ok = false;
            parsed.reason = QStringLiteral("ID %1 の繰り返しが二度あります").arg(rule.id);
        }
        if (!parsed.ok) {
            into->problems.append(RepeatProblem{i + 1, parsed.reason, line.text()});
            continue;
        }
        into->rules.append(rule);
        into->ruleLine.append(i);
    }
    return BookResult::success({});
}

void RepeatStore::tell(const QString& notice)
{
    if (!m_told.contains(notice) && !m_notices.contains(notice)) {
        m_notices.append(notice);
    }
}

BookResult RepeatStore::refresh()
{
    refreshHolidays();
    const FileStamp now = FileStamp::of(m_path);
    // A stamp too recent to tell the next change is looked behind again, but
    // not at every day a view asks for.
    const bool settled =
        m_loaded.stamp.isSettled() || (m_checked.isValid() && m_checked.elapsed() < kRecheckMs);
    if (m_loadedOnce && now == m_loaded.stamp && settled) {
        return m_readResult;
    }
    m_checked.start();
    Loaded fresh;
    m_readResult = readFile(&fresh);
    m_loadedOnce = true;
    if (!m_readResult.ok()) {
        tell(m_readResult.message());
        m_loaded.stamp = now;
        return m_readResult;
    }
    for (const RepeatProblem& problem : fresh.problems) {
        tell(QStringLiteral("%1 の %2 行目は繰り返しとして読めないため使わずに残します（%3）")
                 .arg(m_path)
                 .arg(problem.lineNumber)
                 .arg(problem.reason));
    }
    if (fresh.rules != m_loaded.rules) {
        forgetOccurrences();
    }
    m_loaded = std::move(fresh);
    return m_readResult;
}

void RepeatStore::refreshHolidays()
{
    const FileStamp stamp =
        FileStamp::of(QDir(m_folder).filePath(QString::fromLatin1(HolidayList::kFileName)));
    if (m_holidaysRead && stamp == m_holidayStamp && stamp.isSettled()) {
        return;
    }
    HolidayList fresh;
    const ListFileResult read = fresh.load(m_folder, m_defaultFolder);
    if (!read.ok()) {
        tell(read.message());
    }
    fresh.extendByLaw();
    m_holidayStamp = stamp;
    m_holidaysRead = true;
    const auto sameDay = [](const auto& a, const auto& b) {
        return a.first == b.first && a.second.Name == b.second.Name;
    };
    if (!std::equal(fresh.items().begin(), fresh.items().end(), m_holidays.items().begin(),
                    m_holidays.items().end(), sameDay)) {
        m_holidays = fresh;
        forgetOccurrences();
    }
}

bool RepeatStore::isOffDay(const QDate& date) const
{
    return date.dayOfWeek() >= 6 || m_holidays.isHoliday(date);
}

void RepeatStore::forgetOccurrences()
{
    m_months.clear();
    m_byDay.clear();
    m_countedDates.clear();
}

// A rule with COUNT is walked from its first date once (its dates are
// bounded by the count) and kept; any other jumps to the range.
QList<Occurrence> RepeatStore::occurrencesOf(const RepeatRule& rule, const QDate& from, const QDate& to)
{
    const OffDayTest offDay = [this](const QDate& d) { return isOffDay(d); };
    if (!rule.rrule.contains(QLatin1String("COUNT"), Qt::CaseInsensitive)) {
        QString notice;
        QList<Occurrence> found = ruleOccurrences(rule, from, to, offDay, &notice);
        if (!notice.isEmpty()) {
            tell(notice);
        }
        return found;
    }
    auto counted = m_countedDates.find(rule.id);
    if (counted == m_countedDates.end()) {
        const RuleDates all = expandRRule(rule.rrule, rule.first, rule.first, QDate(9999, 12, 31));
        if (!all.notice.isEmpty()) {
            tell(all.notice);
        }
        counted = m_countedDates.insert(rule.id, all.dates);
    }
    return nox::occurrencesOf(rule, *counted, from, to, offDay);
}

void RepeatStore::expandMonth(int key)
{
    if (m_months.size() >= kMonthsKept) {
        m_months.clear();
        m_byDay.clear();
    }
    m_months.insert(key, true);
    const QDate from = monthStart(key);
    const QDate to = from.addMonths(1).addDays(-1);
    for (const RepeatRule& rule : std::as_const(m_loaded.rules)) {
        if (rule.first > expansionEnd(rule, to)) {
            continue;
        }
        for (const Occurrence& occurrence : occurrencesOf(rule, from, to)) {
            m_byDay[dayNumber(occurrence.date)].append(occurrenceRecord(rule, occurrence));
        }
    }
}

QList<TSkedRec> RepeatStore::occurrencesOn(const QDate& date)
{
    QMutexLocker locker(&m_lock);
    static_cast<void>(refresh()); // a failure is told through takeNotices
    const int key = monthKey(date);
    if (!m_months.contains(key)) {
        expandMonth(key);
    }
    return m_byDay.value(dayNumber(date));
}

QList<TSkedRec> RepeatStore::occurrences(const QDate& from, const QDate& to)
{
    QMutexLocker locker(&m_lock);
    static_cast<void>(refresh()); // a failure is told through takeNotices
    QList<TSkedRec> result;
    if (!from.isValid() || !to.isValid() || to < from) {
        return result;
    }
    // A range of more than a view's months is expanded rule by rule in one
    // walk, not month by month.
    if (from.daysTo(to) > kLongRangeDays) {
        for (const RepeatRule& rule : std::as_const(m_loaded.rules)) {
            if (rule.first > expansionEnd(rule, to)) {
                continue;
            }
            for (const Occurrence& occurrence : occurrencesOf(rule, from, to)) {
                result.append(occurrenceRecord(rule, occurrence));
            }
        }
        std::stable_sort(result.begin(), result.end(),
                         [](const TSkedRec& a, const TSkedRec& b) { return a.Date < b.Date; });
        return result;
    }
    for (QDate d = from; d <= to; d = d.addDays(1)) {
        if (!m_months.contains(monthKey(d))) {
            expandMonth(monthKey(d));
        }
        result.append(m_byDay.value(dayNumber(d)));
    }
    return result;
}

QStringList RepeatStore::takeNotices()
{
    QMutexLocker locker(&m_lock);
    static_cast<void>(refresh()); // a failure is told through takeNotices
    m_told.append(m_notices);
    return std::exchange(m_notices, {});
}

BookResult RepeatStore::rules(QList<RepeatRule>* rules, QList<RepeatProblem>* problems)
{
    QMutexLocker locker(&m_lock);
    const BookResult result = refresh();
    *rules = m_loaded.rules;
    if (problems) {
        *problems = m_loaded.problems;
    }
    return result;
}

BookResult RepeatStore::rule(qint32 id, RepeatRule* rule)
{
    QList<RepeatRule> all;
    const BookResult result = rules(&all);
    if (!result.ok()) {
        return result;
    }
    const int index = indexOfRule(all, id);
    if (index < 0) {
        return Status::notFound(m_path, QStringLiteral("ID %1 の繰り返しはありません").arg(id));
    }
    *rule = all.at(index);
    return BookResult::success({});
}

qint32 RepeatStore::freshId(const QList<RepeatRule>& rules) const
{
    qint32 id = kRuleIdFirst + newScheduleId(QTime::currentTime());
    while (indexOfRule(rules, id) >= 0) {
        ++id;
    }
    return id;
}

BookResult RepeatStore::write(Loaded& fresh, const QList<RepeatRule>& rules, const QList<RepeatRule>& added)
{
    QList<TextLine> lines;
    for (int i = 0; i < fresh.lines.size(); ++i) {
        const int ruleIndex = fresh.ruleLine.indexOf(i);
        if (ruleIndex < 0) {
            lines.append(fresh.lines.at(i));
            continue;
        }
        const RepeatRule& old = fresh.rules.at(ruleIndex);
        const int now = indexOfRule(rules, old.id);
        if (now < 0) {
            continue;
        }
        lines.append(rules.at(now) == old ? fresh.lines.at(i) : TextLine(formatRepeatLine(rules.at(now))));
    }
    for (const RepeatRule& rule : added) {
        lines.append(TextLine(formatRepeatLine(rule)));
    }
    m_loadedOnce = false; // read again at the next use, whatever happened
    if (const Status written = writeTextFile(m_path, lines, fresh.bom); !written) {
        return Status::failed(m_path, written.message());
    }
    return BookResult::success({});
}

BookResult RepeatStore::add(RepeatRule* rule)
{
    QMutexLocker locker(&m_lock);
    Loaded fresh;
    const BookResult read = readFile(&fresh);
    if (!read.ok()) {
        return read;
    }
    if (!isRuleId(rule->id) || indexOfRule(fresh.rules, rule->id) >= 0) {
        rule->id = freshId(fresh.rules);
    }
    rule->sked.ID = rule->id;
    rule->sked.setDate(rule->first);
    rule->sked.RuleID = 0;
    rule->sked.RuleDate = 0;
    return write(fresh, fresh.rules, {*rule});
}

BookResult RepeatStore::change(qint32 id, const std::function<void(RepeatRule&)>& edit,
                               const RepeatRule* shown)
{
    QMutexLocker locker(&m_lock);
    Loaded fresh;
    const BookResult read = readFile(&fresh);
    if (!read.ok()) {
        return read;
    }
    QList<RepeatRule> rules = fresh.rules;
    const int index = indexOfRule(rules, id);
    if (index < 0) {
        return Status::notFound(m_path, QStringLiteral("ID %1 の繰り返しはありません").arg(id));
    }
    if (shown && !(*shown == rules.at(index))) {
        RepeatRule mine = *shown;
        edit(mine);
        mine.id = freshId(rules);
        mine.sked.ID = mine.id;
        BookResult result = write(fresh, rules, {mine});
        if (result.ok()) {
            result.setStatus(Status::changedOnDisk(
                m_path,
                QStringLiteral(
                    "%1 がほかのプログラムで変更されていたため、変更を別の繰り返し (ID %2) として加えました")
                    .arg(m_path)
                    .arg(mine.id)));
            result->count = mine.id;
        }
        return result;
    }
    edit(rules[index]);
    rules[index].id = id;
    rules[index].sked.ID = id;
    rules[index].sked.setDate(rules[index].first);
    return write(fresh, rules, {});
}

BookResult RepeatStore::remove(qint32 id)
{
    QMutexLocker locker(&m_lock);
    Loaded fresh;
    const BookResult read = readFile(&fresh);
    if (!read.ok()) {
        return read;
    }
    QList<RepeatRule> rules = fresh.rules;
    const int index = indexOfRule(rules, id);
    if (index < 0) {
        return Status::notFound(m_path, QStringLiteral("ID %1 の繰り返しはありません").arg(id));
    }
    rules.removeAt(index);
    return write(fresh, rules, {});
}

void RepeatStore::forget()
{
    QMutexLocker locker(&m_lock);
    m_loadedOnce = false;
    m_holidaysRead = false;
    m_loaded = Loaded{};
    forgetOccurrences();
}

} // namespace nox
