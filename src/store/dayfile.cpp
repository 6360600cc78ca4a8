#include "store/dayfile.h"

#include "core/textfile.h"

#include <QDir>
#include <QFile>

#include <algorithm>
#include <iterator>

namespace nox
{

namespace
{

bool isBlank(const QString& line)
{
    return line.trimmed().isEmpty();
}

bool isParseable(const QString& line, const QDate& date)
{
    TSkedRec scratch;
    return parseSkedLine(line, date, &scratch).ok;
}

// Writes the lines sorted, or deletes the file when none is left.
TDayWriteResult writeDayLines(const QString& path, QStringList lines, bool sort)
{
    TDayWriteResult r;
    if (lines.isEmpty()) {
        QFile file(path);
        if (file.exists() && !file.remove()) {
            r.ok = false;
            r.error = QStringLiteral("ファイル「%1」を削除できません: %2").arg(path, file.errorString());
        }
        return r;
    }
    if (sort) {
        std::stable_sort(lines.begin(), lines.end(), [](const QString& a, const QString& b) {
            return a.compare(b, Qt::CaseInsensitive) < 0;
        });
    }
    r.ok = writeTextLines(path, lines, &r.error);
    return r;
}

// The day's existing lines without blanks; fails when the file exists but
// cannot be read (writing then would lose what it holds).
bool readDayLines(const QString& path, QStringList* lines, QString* error)
{
    const TextReadResult read = readTextLines(path);
    if (!read.ok) {
        *error = read.error;
        return false;
    }
    lines->clear();
    for (const QString& line : read.lines) {
        if (!isBlank(line)) {
            lines->append(line);
        }
    }
    return true;
}

TDayWriteResult saveDayLines(const QString& folder, const QDate& date, const QStringList& recordLines,
                             const QString& categoryFilter)
{
    const QString path = dayFilePath(folder, date);
    QStringList existing;
    TDayWriteResult r;
    if (!readDayLines(path, &existing, &r.error)) {
        r.ok = false;
        return r;
    }
    QStringList lines;
    for (const QString& line : existing) {
        if (!isParseable(line, date) || isOtherCategoryLine(line, categoryFilter)) {
            lines.append(line);
        }
    }
    lines += recordLines;
    return writeDayLines(path, lines, true);
}

} // namespace

QString dayFileName(const QDate& date)
{
    // Written digit by digit: a search builds thousands of these.
    int year = 0, month = 0, day = 0;
    date.getDate(&year, &month, &day);
    if (year < 0 || year > 9999) {
        return date.toString(QStringLiteral("yyyyMMdd")) + QStringLiteral(".dat");
    }
    const char16_t name[] = {char16_t(u'0' + year / 1000),     char16_t(u'0' + year / 100 % 10),
                             char16_t(u'0' + year / 10 % 10),  char16_t(u'0' + year % 10),
                             char16_t(u'0' + month / 10),      char16_t(u'0' + month % 10),
                             char16_t(u'0' + day / 10),        char16_t(u'0' + day % 10),
                             u'.', u'd', u'a', u't'};
    return QString(reinterpret_cast<const QChar*>(name), std::size(name));
}

QString dayFilePath(const QString& folder, const QDate& date)
{
    return folder + QLatin1Char('/') + dayFileName(date);
}

QDate dayFileDate(const QString& fileName)
{
    // "yyyyMMdd.dat", the extension in any letter case.
    if (fileName.size() != 12 || !fileName.endsWith(QLatin1String(".dat"), Qt::CaseInsensitive)) {
        return QDate();
    }
    int digits[8];
    for (int i = 0; i < 8; ++i) {
        const char16_t c = fileName.at(i).unicode();
        if (c < u'0' || c > u'9') {
            return QDate();
        }
        digits[i] = c - u'0';
    }
    const int year = digits[0] * 1000 + digits[1] * 100 + digits[2] * 10 + digits[3];
    return QDate(year, digits[4] * 10 + digits[5], digits[6] * 10 + digits[7]);
}

QList<QDate> listDayFiles(const QString& folder)
{
    QList<QDate> dates;
    const QStringList names = QDir(folder).entryList({QStringLiteral("*.dat")}, QDir::Files);
    for (const QString& name : names) {
        const QDate d = dayFileDate(name);
        if (d.isValid()) {
            dates.append(d);
        }
    }
    std::sort(dates.begin(), dates.end());
    return dates;
}

bool isOtherCategoryLine(const QString& line, const QString& categoryFilter)
{
    if (categoryFilter.isEmpty()) {
        return false;
    }
    const QString category = skedLineField(line, kSkedFieldCategory);
    return !category.isEmpty() && category != categoryFilter;
}

TDayLoadResult loadDay(const QString& folder, const QDate& date, const QString& categoryFilter)
{
    TDayLoadResult result;
    const QString path = dayFilePath(folder, date);
    const TextReadResult read = readTextLines(path);
    if (!read.ok) {
        result.ok = false;
        result.error = read.error;
        return result;
    }
    for (qsizetype i = 0; i < read.lines.size(); ++i) {
        const QString& line = read.lines[i];
        if (isBlank(line) || isOtherCategoryLine(line, categoryFilter)) {
            continue;
        }
        TSkedRec rec;
        const TSkedParseResult parsed = parseSkedLine(line, date, &rec);
        if (parsed.ok) {
            result.records.append(rec);
        } else {
            result.problems.append(TDayProblem{path, int(i + 1), parsed.reason, line});
        }
    }
    return result;
}

TDayWriteResult saveDay(const QString& folder, const QDate& date, const QList<TSkedRec>& records,
                        const QString& categoryFilter)
{
    QStringList lines;
    for (const TSkedRec& rec : records) {
        lines.append(formatSkedLine(rec));
    }
    return saveDayLines(folder, date, lines, categoryFilter);
}

TDayWriteResult saveDay(const QString& folder, const QDate& date, const QList<TSkedRec*>& records,
                        const QString& categoryFilter)
{
    QStringList lines;
    for (const TSkedRec* rec : records) {
        if (rec) {
            lines.append(formatSkedLine(*rec));
        }
    }
    return saveDayLines(folder, date, lines, categoryFilter);
}

TDayWriteResult appendSkedRec(const QString& folder, const TSkedRec& rec)
{
    const QString path = dayFilePath(folder, rec.date());
    QStringList lines;
    TDayWriteResult r;
    if (!readDayLines(path, &lines, &r.error)) {
        r.ok = false;
        return r;
    }
    lines.append(formatSkedLine(rec));
    return writeDayLines(path, lines, false);
}

TDayWriteResult deleteSkedById(const QString& folder, const QDate& date, qint32 id,
                               const std::function<void(qint32 id)>& withdrawAlarms)
{
    const QString path = dayFilePath(folder, date);
    QStringList lines;
    TDayWriteResult r;
    if (!readDayLines(path, &lines, &r.error)) {
        r.ok = false;
        return r;
    }
    const QString idText = QString::number(id);
    int removed = 0;
    for (qsizetype i = lines.size() - 1; i >= 0; --i) {
        if (skedLineField(lines[i], kSkedFieldId) == idText) {
            lines.removeAt(i);
            ++removed;
        }
    }
    if (removed == 0) {
        return r;
    }
    r = writeDayLines(path, lines, false);
    r.removed = r.ok;
    // Alarms go only once the schedule is really gone from the file.
    if (r.ok && withdrawAlarms) {
        for (int i = 0; i < removed; ++i) {
            withdrawAlarms(id);
        }
    }
    return r;
}

std::optional<TSkedRec> findSkedById(const QString& folder, const QDate& date, qint32 id)
{
    const TDayLoadResult day = loadDay(folder, date);
    for (const TSkedRec& rec : day.records) {
        if (rec.ID == id) {
            return rec;
        }
    }
    return std::nullopt;
}

} // namespace nox
