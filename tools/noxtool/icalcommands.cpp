// noxtool ical import and export: iCalendar files in and out.
#include "noxtool.h"

#include <QFile>

#include "alarm/alarmfilesink.h"
#include "cli.h"
#include "core/folders.h"
#include "core/textfile.h"
#include "ical/icalimport.h"
#include "ical/icalreader.h"
#include "ical/icaluidmap.h"
#include "ical/icalwriter.h"
#include "store/categories.h"
#include "store/schedulebook.h"

namespace nox::tool
{

bool NoxTool::rejectIcalOptions(bool import)
{
    if (!rejectRepeatOptions()) {
        return false;
    }
    for (const auto& [name, value] :
         {std::pair{"--target", &m_opt.target}, std::pair{"--image", &m_opt.image},
          std::pair{"--layout", &m_opt.layout}, std::pair{"--memo", &m_opt.memo},
          std::pair{"--alarm", &m_opt.alarm}}) {
        if (value->has_value()) {
            usage(QStringLiteral("%1 does not belong to the \"ical\" commands").arg(QLatin1String(name)));
            return false;
        }
    }
    if (import && (m_opt.from || m_opt.to || m_opt.output)) {
        usage(QStringLiteral("--from, --to and -o belong to \"ical export\""));
        return false;
    }
    if (!import && (m_opt.dryRun || m_opt.skipBad)) {
        usage(QStringLiteral("--dry-run and --skip-bad belong to \"ical import\""));
        return false;
    }
    return true;
}

int NoxTool::ical()
{
    const QString sub = m_opt.positional.value(1);
    if (sub == u"import") {
        return icalImport();
    }
    if (sub == u"export") {
        return icalExport();
    }
    return usage(sub.isEmpty() ? QStringLiteral("\"ical\" needs import or export")
                               : QStringLiteral("unknown ical command \"%1\"").arg(sub));
}

int NoxTool::icalImport()
{
    if (!rejectIcalOptions(true) || !expectArgs(2, 1, 1)) {
        return exitUsage;
    }
    const QString category = m_opt.category.value_or(QString());
    if (category.contains(u'\t') || category.contains(u'\n') || category.contains(u'\r')) {
        return usage(QStringLiteral("a category cannot hold tabs or line breaks"));
    }
    const QString source = m_opt.positional.at(2);
    QByteArray bytes;
    if (source == u"-") {
        if (!m_in || !m_in->isReadable()) {
            return fail(exitNotFound, QStringLiteral("standard input cannot be read"));
        }
        bytes = m_in->readAll();
    } else {
        const int err = readFileBytes(QFile::encodeName(source).constData(), &bytes);
        if (err != 0) {
            return fail(exitNotFound, readErrorMessage(source, err));
        }
    }
    if (!openDataFolder(!m_opt.dryRun) || (!m_opt.dryRun && !mayWrite())) {
        return exitNotFound;
    }
    const ical::IcalPlan plan = ical::readIcal(bytes, {QDate::currentDate(), category});
    ical::UidMap map;
    if (const Status loaded = map.load(m_folder); !loaded.ok()) {
        return fail(exitNotFound, loaded.message());
    }
    QStringList categories;
    if (const ListFileResult listed = loadCategories(categories, m_folder, folders::defaultFolder());
        !listed.ok()) {
        return fail(exitNotFound, listed.message());
    }
    for (const QString& line : ical::describePreview(ical::previewImport(plan, map, categories))) {
        m_out << line << '\n';
    }
    const bool bad = !plan.problems.isEmpty();
    if (bad && !m_opt.skipBad) {
        return fail(exitNotFound, QStringLiteral("nothing was imported: %1 event(s) cannot be taken "
                                                 "(--skip-bad imports the others)")
                                      .arg(plan.problems.size()));
    }
    if (m_opt.dryRun) {
        return exitOk;
    }
    AlarmFileSink sink(m_folder);
    ScheduleBook book(m_folder, &sink);
    const ical::ImportOutcome outcome = ical::applyImport(book, plan, &map, folders::defaultFolder());
    m_out << QStringLiteral("追加 %1 件、更新 %2 件、変更なし %3 件、削除 %4 件")
                 .arg(outcome.added)
                 .arg(outcome.updated)
                 .arg(outcome.unchanged)
                 .arg(outcome.removed)
          << '\n';
    if (!outcome.result.ok()) {
        return fail(exitNotFound, QStringLiteral("the import stopped: %1").arg(outcome.result.message()));
    }
    return exitOk;
}

int NoxTool::icalExport()
{
    if (!rejectIcalOptions(false) || !expectArgs(2, 0, 0)) {
        return exitUsage;
    }
    ical::ExportOptions options;
    for (const auto& [text, date] :
         {std::pair{&m_opt.from, &options.from}, std::pair{&m_opt.to, &options.to}}) {
        if (text->has_value()) {
            const std::optional<QDate> parsed = parseDate(**text);
            if (!parsed) {
                return usage(QStringLiteral("--from and --to take dates yyyy-mm-dd"));
            }
            *date = *parsed;
        }
    }
    if (options.from.isValid() && options.to.isValid() && options.to < options.from) {
        return usage(QStringLiteral("--to is before --from"));
    }
    options.category = m_opt.category.value_or(QString());
    if (!openDataFolder(false)) {
        return exitNotFound;
    }
    ical::UidMap map;
    if (const Status loaded = map.load(m_folder); !loaded.ok()) {
        return fail(exitNotFound, loaded.message());
    }
    ScheduleBook book(m_folder, nullptr);
    const ical::ExportResult result = ical::exportIcal(book, &map, options);
    if (!result.result.ok()) {
        return fail(exitNotFound, result.result.message());
    }
    if (m_opt.output) {
        if (const Status written = writeFileAtomic(*m_opt.output, result.bytes); !written.ok()) {
            return fail(exitNotFound, written.message());
        }
        m_err << result.events << " event(s) written to " << *m_opt.output << '\n';
        return exitOk;
    }
    m_out << QString::fromUtf8(result.bytes);
    m_out.flush();
    return exitOk;
}

} // namespace nox::tool
