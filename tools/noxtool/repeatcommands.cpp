// noxtool repeat and agenda: repeat rules, and every schedule of a period.
#include "noxtool.h"

#include <QDir>
#include <algorithm>

#include "alarm/alarmfilesink.h"
#include "cli.h"
#include "store/repeatstore.h"
#include "store/schedulebook.h"

namespace nox::tool
{

namespace
{

constexpr int kAgendaYears = 100;

QString oneLine(const QString& escapedText)
{
    QString text = unescapeSkedText(escapedText);
    text.replace(QStringLiteral("\r\n"), QStringLiteral(" "));
    return text;
}

} // namespace

bool NoxTool::rejectRepeatOptions()
{
    for (const auto& [name, value] :
         {std::pair{"--rrule", &m_opt.rrule}, std::pair{"--holiday", &m_opt.holiday}}) {
        if (value->has_value()) {
            usage(QStringLiteral("%1 belongs to the \"repeat add\" command").arg(QLatin1String(name)));
            return false;
        }
    }
    return true;
}

std::optional<qint32> NoxTool::ruleIdArg(int index)
{
    const QString text = m_opt.positional.value(index);
    bool ok = false;
    const qint32 id = text.toInt(&ok);
    if (!ok || !isRuleId(id)) {
        usage(QStringLiteral("\"%1\" is not the ID of a repeat rule").arg(text));
        return std::nullopt;
    }
    return id;
}

int NoxTool::repeat()
{
    if (!rejectSearchOptions() || m_opt.memo) {
        return m_opt.memo ? usage(QStringLiteral("--memo belongs to the \"add\" command")) : exitUsage;
    }
    const QString sub = m_opt.positional.value(1);
    if (sub == u"add") {
        return repeatAdd();
    }
    if (!rejectRepeatOptions() || !rejectAddOptions()) {
        return exitUsage;
    }
    if (sub == u"list") {
        return repeatList();
    }
    if (sub == u"rm" || sub == u"except") {
        return repeatRemove(sub == u"except");
    }
    return usage(sub.isEmpty() ? QStringLiteral("\"repeat\" needs add, list, rm or except")
                               : QStringLiteral("unknown repeat command \"%1\"").arg(sub));
}

int NoxTool::repeatAdd()
{
    if (!expectArgs(2, 4, 4)) {
        return exitUsage;
    }
    const std::optional<QDate> date = dateArg(2);
    if (!date) {
        return exitUsage;
    }
    const std::optional<int> start = parseSlot(m_opt.positional.at(3));
    const std::optional<int> end = parseSlot(m_opt.positional.at(4));
    if (!start || !end || *end < *start) {
        return usage(QStringLiteral(
            "START and END are h:mm on the half-hour grid (0:00 .. 23:30), END not before START"));
    }
    if (!m_opt.rrule) {
        return usage(QStringLiteral("\"repeat add\" needs --rrule RULE"));
    }
    const std::optional<HolidayRule> holiday = holidayRuleOf(m_opt.holiday.value_or(QStringLiteral("none")));
    if (!holiday) {
        return usage(QStringLiteral("--holiday takes none, skip, before or after"));
    }
    int alarm = -1;
    QString category;
    if (!alarmAndCategory(&alarm, &category)) {
        return exitUsage;
    }
    const RRuleCheck check = checkRRule(*m_opt.rrule, *date);
    if (!check.ok) {
        return usage(check.message);
    }
    if (!openDataFolder(true) || !mayWrite()) {
        return exitNotFound;
    }
    RepeatRule rule;
    rule.first = *date;
    rule.rrule = m_opt.rrule->trimmed();
    rule.holiday = *holiday;
    rule.sked.setDate(*date);
    rule.sked.StartTime = *start;
    rule.sked.EndTime = *end;
    rule.sked.Text = escapeSkedText(m_opt.positional.at(5));
    rule.sked.Category = category;
    rule.sked.AlarmMinutes = alarm;
    AlarmFileSink sink(m_folder);
    ScheduleBook book(m_folder, &sink);
    const BookResult added = book.addRule(&rule);
    if (!added.ok()) {
        if (added->record) {
            m_out << rule.id << '\n';
            return fail(
                exitNotFound,
                QStringLiteral("the rule was added, but the alarms were not saved: %1").arg(added.message()));
        }
        return fail(exitNotFound, added.message());
    }
    m_out << rule.id << '\n';
    return exitOk;
}

int NoxTool::repeatList()
{
    if (!expectArgs(2, 0, 0)) {
        return exitUsage;
    }
    if (!openDataFolder(false)) {
        return exitNotFound;
    }
    ScheduleBook book(m_folder, nullptr);
    QList<RepeatRule> rules;
    QList<RepeatProblem> problems;
    const BookResult read = book.rules(&rules, &problems);
    if (!read.ok()) {
        return fail(exitNotFound, read.message());
    }
    for (const RepeatRule& rule : rules) {
        m_out << rule.id << '\t' << rule.first.toString(QStringLiteral("yyyy-MM-dd")) << '\t' << rule.rrule
              << '\t' << holidayRuleName(rule.holiday) << '\t' << oneLine(rule.sked.Text) << '\n';
    }
    for (const RepeatProblem& p : problems) {
        m_err << "noxtool: "
              << QDir::toNativeSeparators(QDir(m_folder).filePath(QString::fromLatin1(kRepeatFileName)))
              << ':' << p.lineNumber << ": " << p.reason << " (kept as it is)\n";
    }
    return problems.isEmpty() ? exitOk : exitNotFound;
}

int NoxTool::repeatRemove(bool except)
{
    if (!expectArgs(2, except ? 2 : 1, except ? 2 : 1)) {
        return exitUsage;
    }
    const std::optional<qint32> id = ruleIdArg(2);
    if (!id) {
        return exitUsage;
    }
    std::optional<QDate> date;
    if (except && !(date = dateArg(3))) {
        return exitUsage;
    }
    if (!openDataFolder(true) || !mayWrite()) {
        return exitNotFound;
    }
    AlarmFileSink sink(m_folder);
    ScheduleBook book(m_folder, &sink);
    const BookResult done = except ? book.exceptRule(*id, *date) : book.removeRule(*id);
    if (!done.ok()) {
        return fail(exitNotFound, done.message());
    }
    return exitOk;
}

int NoxTool::agenda()
{
    if (!rejectRepeatOptions() || !expectArgs(1, 0, 0)) {
        return exitUsage;
    }
    for (const auto& [name, value] :
         {std::pair{"--target", &m_opt.target}, std::pair{"--image", &m_opt.image},
          std::pair{"--layout", &m_opt.layout}, std::pair{"--memo", &m_opt.memo},
          std::pair{"--alarm", &m_opt.alarm}}) {
        if (value->has_value()) {
            return usage(
                QStringLiteral("%1 does not belong to the \"agenda\" command").arg(QLatin1String(name)));
        }
    }
    if (!m_opt.from || !m_opt.to) {
        return usage(QStringLiteral("agenda needs --from DATE and --to DATE"));
    }
    const std::optional<QDate> from = parseDate(*m_opt.from);
    const std::optional<QDate> to = parseDate(*m_opt.to);
    if (!from || !to || *to < *from) {
        return usage(QStringLiteral("--from and --to take dates yyyy-mm-dd, --to not before --from"));
    }
    if (from->addYears(kAgendaYears) <= *to) {
        return usage(QStringLiteral("the period is longer than %1 years").arg(kAgendaYears));
    }
    if (!openDataFolder(false)) {
        return exitNotFound;
    }
    ScheduleBook book(m_folder, nullptr);
    BookDay span = book.span(*from, *to, m_opt.category.value_or(QString()));
    std::stable_sort(span.records.begin(), span.records.end(), [](const TSkedRec& a, const TSkedRec& b) {
        return a.Date != b.Date ? a.Date < b.Date : a.StartTime < b.StartTime;
    });
    for (const TSkedRec& rec : span.records) {
        m_out << rec.date().toString(QStringLiteral("yyyyMMdd")) << '\t'
              << (rec.isOccurrence() ? QStringLiteral("R%1").arg(rec.RuleID) : QString::number(rec.ID))
              << '\t' << skedTimeText(rec.StartTime) << '-' << skedTimeText(rec.EndTime) << '\t'
              << oneLine(rec.Text) << '\n';
    }
    int code = exitOk;
    for (const QString& notice : book.takeRuleNotices()) {
        m_err << "noxtool: " << notice << '\n';
        code = exitNotFound;
    }
    for (const TDayProblem& p : span.problems) {
        m_err << "noxtool: " << QDir::toNativeSeparators(p.file) << ':' << p.lineNumber << ": " << p.reason
              << '\n';
        code = exitNotFound;
    }
    if (!span.result.ok()) {
        m_err << "noxtool: " << span.result.message() << '\n';
        code = exitNotFound;
    }
    return code;
}

} // namespace nox::tool
