// The search and export commands of noxtool: the search engine and the
// layout renderer of the search window, on the command line.
#include <QDir>
#include <QFileInfo>

#include "core/folders.h"
#include "core/settings.h"
#include "noxtool.h"
#include "search/daysource.h"
#include "search/rendertemplate.h"
#include "search/skedsearch.h"
#include "store/holidays.h"
#include "store/schedulebook.h"

namespace nox::tool
{

namespace
{

std::optional<SearchTarget> targetOf(const QString& text)
{
    if (text == u"both") {
        return SearchTarget::Both;
    }
    if (text == u"text") {
        return SearchTarget::Text;
    }
    if (text == u"memo") {
        return SearchTarget::Memo;
    }
    return std::nullopt;
}

} // namespace

bool NoxTool::rejectSearchOptions()
{
    for (const auto& [name, value] :
         {std::pair{"--target", &m_opt.target}, std::pair{"--from", &m_opt.from}, std::pair{"--to", &m_opt.to},
          std::pair{"--image", &m_opt.image}, std::pair{"--layout", &m_opt.layout}}) {
        if (value->has_value()) {
            usage(QStringLiteral("%1 belongs to the \"search\" and \"export\" commands").arg(QLatin1String(name)));
            return false;
        }
    }
    return true;
}

// The query of the options and of the words after the first `words`
// positional words.
bool NoxTool::searchQuery(int words, SearchQuery* query)
{
    if (m_opt.memo || m_opt.alarm) {
        usage(QStringLiteral("%1 belongs to the \"add\" command").arg(QLatin1String(m_opt.memo ? "--memo" : "--alarm")));
        return false;
    }
    const std::optional<SearchTarget> target = targetOf(m_opt.target.value_or(QStringLiteral("both")));
    if (!target) {
        usage(QStringLiteral("--target takes both, text or memo"));
        return false;
    }
    query->target = *target;
    for (const auto& [option, text, date] : {std::tuple{"--from", &m_opt.from, &query->from},
                                             std::tuple{"--to", &m_opt.to, &query->to}}) {
        if (!text->has_value()) {
            continue;
        }
        const std::optional<QDate> parsed = parseDate(**text);
        if (!parsed) {
            usage(QStringLiteral("%1 takes a date of the form yyyy-mm-dd, not \"%2\"").arg(QLatin1String(option), **text));
            return false;
        }
        *date = *parsed;
    }
    if (query->from.isValid() && query->to.isValid() && query->from > query->to) {
        usage(QStringLiteral("the period ends (--to) before it starts (--from)"));
        return false;
    }
    bool ok = true;
    query->imageEntry = m_opt.image ? m_opt.image->toInt(&ok) : 0;
    if (!ok || query->imageEntry < 0) {
        usage(QStringLiteral("--image takes 0 (any image) or K > 0 (image K-1 of the strip)"));
        return false;
    }
    query->category = m_opt.category.value_or(QString());
    query->text = m_opt.positional.mid(words).join(u' ');
    return true;
}

bool NoxTool::reportSearchProblems(const SearchOutcome& outcome)
{
    for (const QString& error : outcome.errors) {
        m_err << "noxtool: " << error << '\n';
    }
    for (const TDayProblem& p : outcome.skipped) {
        m_err << "noxtool: " << QDir::toNativeSeparators(p.file) << ':' << p.lineNumber << ": " << p.reason
              << " (not listed): " << p.line << '\n';
    }
    return outcome.errors.isEmpty() && outcome.skipped.isEmpty();
}

int NoxTool::search()
{
    SearchQuery query;
    if (!searchQuery(1, &query)) {
        return exitUsage;
    }
    if (!openDataFolder(false)) {
        return exitNotFound;
    }
    const ScheduleBook book(m_folder, nullptr);
    BookDaySource source(book);
    const SearchOutcome outcome = searchSchedules(source, query);
    for (const TSkedSearchRec& r : outcome.results) {
        m_out << r.Date.toString(QStringLiteral("yyyyMMdd")) << '\t' << r.ID << '\t' << r.timeSpan() << '\t'
              << r.TextShown << '\n';
    }
    return reportSearchProblems(outcome) ? exitOk : exitNotFound;
}

int NoxTool::exportResults()
{
    if (m_opt.positional.size() < 2) {
        return usage(QStringLiteral("\"export\" needs an OUTPUT file"));
    }
    SearchQuery query;
    if (!searchQuery(2, &query)) {
        return exitUsage;
    }
    if (!openDataFolder(false)) {
        return exitNotFound;
    }
    const Settings ini(QDir(m_folder).filePath(QStringLiteral("Nox.ini")));
    const QString layout = m_opt.layout.value_or(ini.readString(Key::SearchLayout));
    const QString layoutFolder = QDir(folders::printFolder()).filePath(layout);
    if (layout.isEmpty() || !QFileInfo(layoutFolder).isDir()) {
        return fail(exitNotFound, QStringLiteral("no print layout \"%1\" in %2 (layouts: %3)")
                                      .arg(layout, QDir::toNativeSeparators(folders::printFolder()),
                                           printLayouts(folders::printFolder()).join(QStringLiteral(", "))));
    }
    const ScheduleBook book(m_folder, nullptr);
    BookDaySource source(book);
    const SearchOutcome outcome = searchSchedules(source, query);
    const bool clean = reportSearchProblems(outcome);
    if (outcome.results.isEmpty()) {
        return fail(exitNotFound, QStringLiteral("no schedules found; nothing written"));
    }
    HolidayList holidays;
    const ListFileResult loaded = holidays.load(m_folder, folders::defaultFolder());
    if (!loaded.ok()) {
        return fail(exitNotFound, loaded.message());
    }
    holidays.extendByLaw();
    RenderInput input;
    input.results = outcome.results;
    input.settings = readPrintSettings(ini);
    input.criteria = printCriteria(query, input.settings.dateFormat);
    input.holidays = &holidays;
    const QString output = QDir::current().absoluteFilePath(m_opt.positional.at(1));
    // The layout's files go into a folder named after the output; files there
    // that differ are replaced only with --force.
    const RenderResult written =
        RenderTemplate(layoutFolder, output, input, false,
                       m_opt.force ? CompanionPlace::PageFolderReplacing : CompanionPlace::PageFolder);
    if (written.status == RenderResult::WouldReplace) {
        QStringList shown;
        for (const QString& file : written.replaced) {
            shown << QDir::toNativeSeparators(file);
        }
        return fail(exitNotFound, QStringLiteral("not written: the layout's files would replace other files (%1); "
                                                 "use --force to replace them")
                                      .arg(shown.join(QStringLiteral(", "))));
    }
    if (!written.ok()) {
        return fail(exitNotFound, written.status == RenderResult::NoTemplate
                                      ? written.message + QStringLiteral(" (%1)").arg(layoutFolder)
                                      : written.message);
    }
    m_out << QDir::toNativeSeparators(written.path) << '\n';
    return clean ? exitOk : exitNotFound;
}

} // namespace nox::tool
