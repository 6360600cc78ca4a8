// noxtool koyomi: the Japanese calendar of a range of days.
#include "noxtool.h"

#include "cli.h"
#include "core/folders.h"
#include "koyomi/koyomi.h"
#include "store/holidays.h"

#include <QDir>
#include <QFileInfo>

namespace nox::tool
{

namespace
{

QString orDash(const QString& text)
{
    return text.isEmpty() ? QStringLiteral("-") : text;
}

} // namespace

int NoxTool::koyomi()
{
    for (const auto& [name, value] :
         {std::pair{"--target", &m_opt.target}, std::pair{"--image", &m_opt.image},
          std::pair{"--layout", &m_opt.layout}}) {
        if (value->has_value()) {
            return usage(QStringLiteral("%1 belongs to the \"search\" and \"export\" commands")
                             .arg(QLatin1String(name)));
        }
    }
    if (!rejectAddOptions() || !expectArgs(1, 0, 0)) {
        return exitUsage;
    }
    if (!m_opt.from || !m_opt.to) {
        return usage(QStringLiteral("koyomi needs --from DATE and --to DATE"));
    }
    const std::optional<QDate> from = parseDate(*m_opt.from);
    const std::optional<QDate> to = parseDate(*m_opt.to);
    for (const auto& [text, date] : {std::pair{*m_opt.from, from}, std::pair{*m_opt.to, to}}) {
        if (!date) {
            return usage(QStringLiteral("\"%1\" is not a date of the form yyyy-mm-dd").arg(text));
        }
    }
    for (const QDate& date : {*from, *to}) {
        if (!koyomi::isSupported(date)) {
            return fail(exitNotFound,
                        QStringLiteral("%1 is outside the calendar's range (%2-01-01 .. %3-12-31)")
                            .arg(date.toString(Qt::ISODate))
                            .arg(koyomi::kFirstYear)
                            .arg(koyomi::kLastYear));
        }
    }
    if (*from > *to) {
        return usage(QStringLiteral("--from %1 is after --to %2").arg(*m_opt.from, *m_opt.to));
    }
    // The holidays of the data folder's list (else the factory list) and of
    // the law after it. Without a data folder the factory list is used.
    QString dataFolder;
    if (!m_opt.dataDir.isEmpty()) {
        if (!openDataFolder(false)) {
            return exitNotFound;
        }
        dataFolder = m_folder;
    } else if (QFileInfo(folders::dataFolder()).isDir()) {
        dataFolder = folders::dataFolder();
    }
    HolidayList holidays;
    const ListFileResult loaded = holidays.load(dataFolder, folders::defaultFolder());
    if (!loaded.ok()) {
        return fail(exitNotFound, loaded.message());
    }
    holidays.extendByLaw();
    for (QDate d = *from; d <= *to; d = d.addDays(1)) {
        const koyomi::DayInfo info = koyomi::dayInfo(d);
        m_out << d.toString(Qt::ISODate) << '\t' << info.lunar.text() << '\t'
              << koyomi::rokuyoName(info.rokuyo) << '\t' << orDash(info.seasonal.join(QStringLiteral("・")))
              << '\t' << orDash(holidays.name(d)) << '\n';
    }
    return exitOk;
}

} // namespace nox::tool
