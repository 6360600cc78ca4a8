#include "noxtool.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <algorithm>

#include "alarm/alarmfile.h"
#include "alarm/alarmfilesink.h"
#include "alarm/alarmlist.h"
#include "core/datetime.h"
#include "core/folders.h"
#include "core/instancelock.h"
#include "store/schedulebook.h"

namespace nox::tool
{

namespace
{

const char kUsage[] = R"(Usage: noxtool [--data DIR] [--force] COMMAND ...
       noxtool --help | --version
  day DATE                      list the schedules of a day
  add DATE START END TEXT       add a schedule; prints its ID
      [--memo M] [--category C] [--alarm MIN]
                                MIN: 0 1 5 10 15 20 30 60 120 180 240 300 360
  memo get DATE                 print the day memo
  memo set DATE (TEXT|-)        store the day memo ("-" reads standard input)
  memo check                    check the structure of memo.nox
  holidays [YEAR]               list the holidays (of one year; a year after
                                the list's last gets those of the law)
  search [WORDS...]             find schedules; prints yyyyMMdd, ID, start-end
                                and text, tab-separated, one per line
      [--target both|text|memo] [--from DATE] [--to DATE] [--category C]
      [--image K]               K: 0 any image, K > 0 image K-1 of the strip
  export [--layout NAME] OUTPUT [WORDS...]
                                write the schedules found through a print
                                layout (the template's extension is added to
                                an OUTPUT without one; the layout's other
                                files go into OUTPUT's folder NAME_files,
                                where --force lets them replace other files);
                                the search options as for search
  repeat add DATE START END TEXT --rrule RULE
      [--holiday none|skip|before|after] [--category C] [--alarm MIN]
                                add a repeat rule beginning on DATE (RULE: an
                                RFC 5545 RRULE value such as
                                FREQ=MONTHLY;BYDAY=2TU); prints its ID
  repeat list                   ID, first date, rule, holiday rule and text
                                of each repeat rule, tab-separated
  repeat rm ID                  remove a repeat rule
  repeat except ID DATE         leave out the rule's occurrence of DATE
  agenda --from DATE --to DATE [--category C]
                                every schedule and occurrence of the days
                                (at most 100 years): yyyyMMdd, ID (R and the
                                rule's ID for an occurrence), start-end and
                                text, tab-separated, in date and start order
  koyomi --from DATE --to DATE  the calendar of each day (1900 .. 2100): date,
                                old date (M/D, 閏M/D in a leap month), 六曜,
                                solar terms and seasonal days or -, holiday
                                or -, tab-separated
  ical import (FILE|-) [--dry-run] [--category C] [--skip-bad]
                                read an iCalendar file ("-": standard input)
                                into schedules and repeat rules; prints the
                                summary; fails when an event cannot be taken,
                                unless --skip-bad; --dry-run changes nothing;
                                importing the same events again updates them
  ical export [--from DATE] [--to DATE] [--category C] [-o FILE]
                                write the schedules and repeat rules as an
                                iCalendar file (standard output without -o)
DATE is yyyy-mm-dd, START and END are h:mm on the half-hour grid (0:00 .. 23:30).
--data DIR selects the data folder (default: Nox's own); --force writes even
while Nox is running for that folder (Nox notices the change before its next
write of the memo file).
Exit codes: 0 done, 1 not found, damaged or failed, 2 usage.
)";

// Continuation lines of a multi-line value are indented by a tab.
QString indented(const QString& text)
{
    QString t = text;
    t.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return t.replace(u'\n', QStringLiteral("\n\t"));
}

void printSchedule(QTextStream& out, const TSkedRec& rec)
{
    out << skedTimeText(rec.StartTime) << '-' << skedTimeText(rec.EndTime) << '\t'
        << indented(unescapeSkedText(rec.Text)) << '\n';
    if (!rec.Memo.isEmpty()) {
        out << "\tmemo: " << indented(unescapeSkedText(rec.Memo)) << '\n';
    }
    if (!rec.Category.isEmpty()) {
        out << "\tcategory: " << rec.Category << '\n';
    }
    if (rec.AlarmMinutes >= 0) {
        out << "\talarm: " << rec.AlarmMinutes << '\n';
    }
    if (!rec.RelatedInfo.isEmpty()) {
        out << "\trelated: " << unescapeSkedText(rec.RelatedInfo) << '\n';
    }
    out << "\tid: " << rec.ID << '\n';
}

bool dayHasId(const ScheduleBook& book, const QDate& date, qint32 id)
{
    const QStringList lines = book.lines(date).lines;
    return std::any_of(lines.cbegin(), lines.cend(), [id](const QString& line) {
        return skedLineField(line, kSkedFieldId) == QString::number(id);
    });
}

bool alarmsHaveId(const AlarmList& list, qint32 id)
{
    return std::any_of(list.entries().cbegin(), list.entries().cend(),
                       [id](const AlarmList::Entry& e) { return e.rec.ID == id; });
}

} // namespace

NoxTool::NoxTool(QTextStream& out, QTextStream& err, QIODevice* in) : m_out(out), m_err(err), m_in(in) {}

int NoxTool::run(const QStringList& args)
{
    QString error;
    if (!parseOptions(args, &m_opt, &error)) {
        return usage(error);
    }
    if (m_opt.help || m_opt.positional.value(0) == u"help") {
        m_out << kUsage;
        return exitOk;
    }
    if (m_opt.version) {
        m_out << "noxtool " << NOX_VERSION << '\n';
        return exitOk;
    }
    if (m_opt.positional.isEmpty()) {
        return usage(QStringLiteral("no command given"));
    }
    return dispatch();
}

int NoxTool::dispatch()
{
    const QString command = m_opt.positional.first();
    if (command == u"search") {
        return search();
    }
    if (command == u"export") {
        return exportResults();
    }
    if (command == u"koyomi") {
        return koyomi();
    }
    if (command == u"repeat") {
        return repeat();
    }
    if (command == u"agenda") {
        return agenda();
    }
    if (command == u"ical") {
        return ical();
    }
    if (m_opt.dryRun || m_opt.skipBad || m_opt.output) {
        return usage(QStringLiteral("--dry-run, --skip-bad and -o belong to the \"ical\" commands"));
    }
    if (!rejectRepeatOptions()) {
        return exitUsage;
    }
    if (!rejectSearchOptions()) {
        return exitUsage;
    }
    if (command != u"add" && !rejectAddOptions()) {
        return exitUsage;
    }
    if (command == u"day") {
        return day();
    }
    if (command == u"add") {
        return add();
    }
    if (command == u"memo") {
        return memo();
    }
    if (command == u"holidays") {
        return holidays();
    }
    return usage(QStringLiteral("unknown command \"%1\"").arg(command));
}

int NoxTool::usage(const QString& message)
{
    m_err << "noxtool: " << message << "\n"
          << "Try \"noxtool --help\".\n";
    return exitUsage;
}

int NoxTool::fail(int code, const QString& message)
{
    m_err << "noxtool: " << message << '\n';
    return code;
}

bool NoxTool::expectArgs(int words, int minArgs, int maxArgs)
{
    const qsizetype n = m_opt.positional.size() - words;
    if (n >= minArgs && n <= maxArgs) {
        return true;
    }
    const QString command = m_opt.positional.mid(0, words).join(u' ');
    usage(n < minArgs ? QStringLiteral("\"%1\" needs more arguments").arg(command)
                      : QStringLiteral("too many arguments for \"%1\"").arg(command));
    return false;
}

bool NoxTool::rejectAddOptions()
{
    for (const auto& [name, value] :
         {std::pair{"--memo", &m_opt.memo}, std::pair{"--category", &m_opt.category},
          std::pair{"--alarm", &m_opt.alarm}}) {
        if (value->has_value()) {
            usage(QStringLiteral("%1 belongs to the \"add\" command").arg(QLatin1String(name)));
            return false;
        }
    }
    return true;
}

std::optional<QDate> NoxTool::dateArg(int index)
{
    const QString text = m_opt.positional.value(index);
    std::optional<QDate> date = parseDate(text);
    if (!date) {
        usage(QStringLiteral("\"%1\" is not a date of the form yyyy-mm-dd").arg(text));
    }
    return date;
}

bool NoxTool::openDataFolder(bool forWriting)
{
    if (!m_opt.dataDir.isEmpty()) {
        m_folder = QDir::cleanPath(QDir(m_opt.dataDir).absolutePath());
        if (!QFileInfo(m_folder).isDir()) {
            fail(exitNotFound, QStringLiteral("no data folder %1").arg(QDir::toNativeSeparators(m_folder)));
            return false;
        }
    } else {
        // A first use before Nox ever ran sets the folder up as Nox's first
        // start would.
        m_folder = folders::dataFolder();
        if (!QFileInfo(m_folder).isDir()) {
            if (const Status prepared = folders::prepareDataFolder(); !prepared) {
                fail(exitNotFound, QStringLiteral("cannot set up Nox's data folder %1: %2")
                                       .arg(QDir::toNativeSeparators(m_folder), prepared.message()));
                return false;
            }
        }
    }
    QString reason;
    if (forWriting && !folders::canWriteFolder(m_folder, &reason)) {
        fail(exitNotFound, QStringLiteral("cannot write in the data folder %1: %2")
                               .arg(QDir::toNativeSeparators(m_folder), reason));
        return false;
    }
    return true;
}

bool NoxTool::mayWrite()
{
    qint64 pid = 0;
    if (!InstanceLock::isHeldFor(m_folder, &pid)) {
        return true;
    }
    const QString who = QStringLiteral("Nox (process %1) is running for %2")
                            .arg(pid > 0 ? QString::number(pid) : QStringLiteral("unknown"))
                            .arg(QDir::toNativeSeparators(m_folder));
    if (m_opt.force) {
        m_err << "noxtool: warning: " << who << "; writing anyway (--force)\n";
        return true;
    }
    fail(exitNotFound, who + QStringLiteral("; not writing (close Nox, or use --force)"));
    return false;
}

int NoxTool::day()
{
    if (!expectArgs(1, 1, 1)) {
        return exitUsage;
    }
    const std::optional<QDate> date = dateArg(1);
    if (!date) {
        return exitUsage;
    }
    if (!openDataFolder(false)) {
        return exitNotFound;
    }
    const BookDay loaded = ScheduleBook(m_folder, nullptr).day(*date);
    if (!loaded.result.ok()) {
        return fail(exitNotFound, loaded.result.message());
    }
    QList<TSkedRec> records = loaded.records;
    std::stable_sort(records.begin(), records.end(),
                     [](const TSkedRec& a, const TSkedRec& b) { return a.StartTime < b.StartTime; });
    for (const TSkedRec& rec : records) {
        printSchedule(m_out, rec);
    }
    for (const TDayProblem& p : loaded.problems) {
        m_err << "noxtool: " << QDir::toNativeSeparators(p.file) << ':' << p.lineNumber << ": " << p.reason
              << ": " << p.line << '\n';
    }
    if (!loaded.problems.isEmpty()) {
        return exitNotFound;
    }
    if (records.isEmpty()) {
        return fail(exitNotFound, QStringLiteral("no schedules on %1").arg(date->toString(Qt::ISODate)));
    }
    return exitOk;
}

// The --alarm and --category options of the commands that add schedules;
// false (after the usage message) when either is not acceptable.
bool NoxTool::alarmAndCategory(int* alarm, QString* category)
{
    *alarm = -1;
    if (m_opt.alarm) {
        bool ok = false;
        *alarm = m_opt.alarm->toInt(&ok);
        if (!ok || !alarmChoices().contains(*alarm)) {
            usage(QStringLiteral("--alarm takes one of 0 1 5 10 15 20 30 60 120 180 240 300 360 (minutes)"));
            return false;
        }
    }
    *category = m_opt.category.value_or(QString());
    if (category->contains(u'\t') || category->contains(u'\n') || category->contains(u'\r')) {
        usage(QStringLiteral("a category cannot hold tabs or line breaks"));
        return false;
    }
    return true;
}

int NoxTool::add()
{
    if (!expectArgs(1, 4, 4)) {
        return exitUsage;
    }
    const std::optional<QDate> date = dateArg(1);
    if (!date) {
        return exitUsage;
    }
    const std::optional<int> start = parseSlot(m_opt.positional.at(2));
    const std::optional<int> end = parseSlot(m_opt.positional.at(3));
    for (int i : {2, 3}) {
        if (!(i == 2 ? start : end)) {
            return usage(QStringLiteral("\"%1\" is not a time h:mm on the half-hour grid (0:00 .. 23:30)")
                             .arg(m_opt.positional.at(i)));
        }
    }
    if (*end < *start) {
        return usage(QStringLiteral("the end %1 lies before the start %2")
                         .arg(m_opt.positional.at(3), m_opt.positional.at(2)));
    }
    int alarm = -1;
    QString category;
    if (!alarmAndCategory(&alarm, &category)) {
        return exitUsage;
    }
    if (!openDataFolder(true) || !mayWrite()) {
        return exitNotFound;
    }

    TSkedRec rec;
    rec.setDate(*date);
    rec.StartTime = *start;
    rec.EndTime = *end;
    rec.Text = escapeSkedText(m_opt.positional.at(4));
    rec.Memo = escapeSkedText(m_opt.memo.value_or(QString()));
    rec.Category = category;
    rec.AlarmMinutes = alarm;

    AlarmList alarms;
    if (alarm >= 0) {
        const AlarmLoadResult loaded = LoadAlarmList(alarms, m_folder);
        if (!loaded.ok()) {
            return fail(exitNotFound,
                        QStringLiteral("cannot read %1: %2").arg(alarmFilePath(m_folder), loaded.message()));
        }
        for (const QString& problem : *loaded) {
            m_err << "noxtool: warning: " << problem << " (kept as it is)\n";
        }
    }
    AlarmFileSink sink(m_folder);
    ScheduleBook book(m_folder, &sink);
    // IDs are creation times; step past one that is taken already so that
    // deleting or editing one schedule never touches another.
    rec.ID = book.newId();
    while (dayHasId(book, *date, rec.ID) || alarmsHaveId(alarms, rec.ID)) {
        ++rec.ID;
    }

    const BookResult written = book.add(rec);
    if (!written.ok() && written->record) {
        return fail(exitNotFound,
                    QStringLiteral("the schedule was added, but its alarm was not saved: %1").arg(written.message()));
    }
    if (!written.ok()) {
        return fail(exitNotFound, written.message());
    }
    m_out << rec.ID << '\n';
    return exitOk;
}

} // namespace nox::tool
