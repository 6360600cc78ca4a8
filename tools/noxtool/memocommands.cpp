// The day-memo and holiday commands of noxtool.
#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

#include "core/folders.h"
#include "core/textfile.h"
#include "noxtool.h"
#include "store/holidays.h"
#include "store/memostore.h"

namespace nox::tool
{

namespace
{

QString memoPath(const QString& folder)
{
    return QDir(folder).filePath(QLatin1String(MemoStore::kFileName));
}

// Memo text from the command line or standard input, with "\n" line breaks.
// Input from a pipe loses one final line break, as shell substitution does.
QString normalisedMemo(QString text, bool fromInput)
{
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(u'\r', u'\n');
    if (fromInput && text.endsWith(u'\n')) {
        text.chop(1);
    }
    return text;
}

} // namespace

int NoxTool::memo()
{
    const QString sub = m_opt.positional.value(1);
    if (sub == u"get") {
        return memoGet();
    }
    if (sub == u"set") {
        return memoSet();
    }
    if (sub == u"check") {
        return memoCheck();
    }
    return usage(sub.isEmpty() ? QStringLiteral("\"memo\" needs get, set or check")
                               : QStringLiteral("unknown memo command \"%1\"").arg(sub));
}

int NoxTool::memoGet()
{
    if (!expectArgs(2, 1, 1)) {
        return exitUsage;
    }
    const std::optional<QDate> date = dateArg(2);
    if (!date) {
        return exitUsage;
    }
    if (!openDataFolder(false)) {
        return exitNotFound;
    }
    const QString noMemo = QStringLiteral("no memo on %1").arg(date->toString(Qt::ISODate));
    if (!QFileInfo::exists(memoPath(m_folder))) {
        return fail(exitNotFound, noMemo);
    }
    MemoStore store;
    if (!store.open(m_folder).ok()) {
        return fail(exitNotFound, QStringLiteral("cannot open %1: %2").arg(store.path(), store.lastError()));
    }
    const QString text = store.read(*date);
    if (store.lastRead().code() == StatusCode::Failed) {
        return fail(exitNotFound, QStringLiteral("%1 is damaged: %2").arg(store.path(), store.lastError()));
    }
    if (text.isEmpty()) {
        return fail(exitNotFound, noMemo);
    }
    m_out << text << '\n';
    return exitOk;
}

int NoxTool::memoSet()
{
    if (!expectArgs(2, 2, 2)) {
        return exitUsage;
    }
    const std::optional<QDate> date = dateArg(2);
    if (!date) {
        return exitUsage;
    }
    const bool fromInput = m_opt.positional.at(3) == u"-";
    if (!openDataFolder(true) || !mayWrite()) {
        return exitNotFound;
    }
    QString text = m_opt.positional.at(3);
    if (fromInput) {
        if (!m_in || !m_in->isReadable()) {
            return fail(exitNotFound, QStringLiteral("cannot read standard input"));
        }
        text = decodeText(m_in->readAll());
    }
    MemoStore store;
    if (!store.open(m_folder).ok()) {
        return fail(exitNotFound, QStringLiteral("cannot open %1: %2").arg(store.path(), store.lastError()));
    }
    if (!store.write(*date, normalisedMemo(text, fromInput)).ok()) {
        return fail(exitNotFound, QStringLiteral("cannot write %1: %2").arg(store.path(), store.lastError()));
    }
    store.close();
    return exitOk;
}

int NoxTool::memoCheck()
{
    if (!expectArgs(2, 0, 0)) {
        return exitUsage;
    }
    if (!openDataFolder(false)) {
        return exitNotFound;
    }
    const QString path = memoPath(m_folder);
    if (!QFileInfo::exists(path)) {
        return fail(exitNotFound, QStringLiteral("%1 does not exist").arg(QDir::toNativeSeparators(path)));
    }
    const RecordFileCheck check = RecordFile::checkFile(path);
    if (!check.ok) {
        return fail(exitNotFound,
                    QStringLiteral("%1 is damaged: %2").arg(QDir::toNativeSeparators(path), check.error));
    }
    m_out << QDir::toNativeSeparators(path) << ": ok, " << check.records << " records, "
          << check.index.liveNodes << " nodes in " << check.index.depth + 1 << " levels, "
          << check.index.freeNodes << " free nodes\n";
    return exitOk;
}

int NoxTool::holidays()
{
    if (!expectArgs(1, 0, 1)) {
        return exitUsage;
    }
    QString prefix;
    if (m_opt.positional.size() > 1) {
        static const QRegularExpression yearPattern(QStringLiteral("^\\d{4}$"));
        const QString year = m_opt.positional.at(1);
        if (!yearPattern.match(year).hasMatch() || year.toInt() < 1) {
            return usage(QStringLiteral("\"%1\" is not a year of four digits").arg(year));
        }
        prefix = year + u'/';
    }
    if (!openDataFolder(false)) {
        return exitNotFound;
    }
    HolidayList list;
    const ListFileResult loaded = list.load(m_folder, folders::defaultFolder());
    if (!loaded.ok()) {
        return fail(exitNotFound, loaded.message());
    }
    // One year after the list's last gets the holidays of the law, as Nox
    // shows them; the whole list is the file's.
    if (!prefix.isEmpty()) {
        list.extendByLaw();
    }
    int shown = 0;
    for (const auto& [key, holiday] : list.items()) {
        if (!key.startsWith(prefix)) {
            continue;
        }
        const QDate date = QDate::fromString(key, QStringLiteral("yyyy/MM/dd"));
        m_out << (date.isValid() ? date.toString(Qt::ISODate) : key) << '\t' << holiday.Name << '\n';
        ++shown;
    }
    if (shown == 0) {
        return fail(exitNotFound,
                    prefix.isEmpty()
                        ? QStringLiteral("no holidays are listed")
                        : QStringLiteral("no holidays are listed for %1").arg(prefix.chopped(1)));
    }
    return exitOk;
}

} // namespace nox::tool
