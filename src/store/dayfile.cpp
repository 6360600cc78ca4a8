#include "store/dayfile.h"

#include "core/textfile.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>

#include <algorithm>
#include <cstring>
#include <dirent.h>
#include <iterator>
#include <sys/stat.h>
#include <vector>

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
    return parseSkedLine(line, date, &scratch).ok();
}

// What a line stands for: the schedule it holds in its written form, so that
// a line written differently (fewer fields, another colour notation) still
// matches its unchanged record; the line itself when it is no schedule.
QString canonicalLine(const QString& line, const QDate& date)
{
    TSkedRec rec;
    if (parseSkedLine(line, date, &rec).ok()) {
        return formatSkedLine(rec);
    }
    return QLatin1Char('\x01') + line;
}

// A schedule line of an older version lacks the last fields; a save brings
// it up to all of them by adding them after its bytes, which stay as they are.
TextLine withAllFields(const TextLine& line, const QDate& date)
{
    const qsizetype fields = line.text().count(u'\t') + 1;
    TSkedRec rec;
    if (!line.isOriginal() || fields >= kSkedFieldCount || !parseSkedLine(line.text(), date, &rec).ok()) {
        return line;
    }
    const QStringList missing = formatSkedLine(rec).split(u'\t').mid(fields, kSkedFieldCount - fields);
    return TextLine::fromBytes(line.bytes() + (u'\t' + missing.join(u'\t')).toUtf8());
}

// The lines of a day file as read: without blank lines, with their bytes.
struct DayLines {
    QList<TextLine> lines;
    bool bom = false;
};

// Writes the lines sorted, or deletes the file when none is left.
TDayWriteResult writeDayLines(const QString& path, DayLines day, bool sort)
{
    if (day.lines.isEmpty()) {
        return TDayWriteResult(removeFile(path));
    }
    if (sort) {
        std::stable_sort(day.lines.begin(), day.lines.end(), [](const TextLine& a, const TextLine& b) {
            return a.text().compare(b.text(), Qt::CaseInsensitive) < 0;
        });
    }
    return TDayWriteResult(writeTextFile(path, day.lines, day.bom));
}

// The day's existing lines without blanks; fails when the file exists but
// cannot be read (writing then would lose what it holds). The refused write
// is reported like a failed one.
Status readDayLines(const QString& path, DayLines* day)
{
    TextReadResult read = readTextLines(path);
    if (!read.ok()) {
        reportWriteFailure(path, read.message());
        return read.status();
    }
    day->lines.clear();
    day->bom = read->bom;
    for (TextLine& line : read->textLines) {
        if (!isBlank(line.text())) {
            day->lines.append(std::move(line));
        }
    }
    return Status::success();
}

// Fails with the message when the date has no day file of its own (a year
// outside 1..9999): nothing is written under a name that means another day.
Status hasDayFile(const QDate& date)
{
    char name[kDayFileNameSize + 1];
    if (dayFileNameBytes(date, name)) {
        return Status::success();
    }
    return Status::failed(
        {}, QStringLiteral("日付 %1 のスケジュールは保存できません（1～9999 年の日付だけが保存できます）")
                .arg(date.toString(Qt::ISODate)));
}

TDayWriteResult saveDayLines(const QString& folder, const QDate& date, const QStringList& recordLines,
                             const QString& categoryFilter)
{
    const QString path = dayFilePath(folder, date);
    DayLines existing;
    if (Status s = hasDayFile(date); !s.ok()) {
        return TDayWriteResult(std::move(s));
    }
    if (Status s = readDayLines(path, &existing); !s.ok()) {
        return TDayWriteResult(std::move(s));
    }
    DayLines day;
    day.bom = existing.bom;
    QList<TextLine> replaced; // the lines the records stand in for
    for (TextLine& line : existing.lines) {
        if (!isParseable(line.text(), date) || isOtherCategoryLine(line.text(), categoryFilter)) {
            day.lines.append(std::move(line));
        } else {
            replaced.append(std::move(line));
        }
    }
    // A record that did not change keeps the bytes of its line.
    for (const TextLine& line : keepOriginalLines(
             replaced, recordLines, [&date](const QString& line) { return canonicalLine(line, date); })) {
        day.lines.append(withAllFields(line, date));
    }
    return writeDayLines(path, std::move(day), true);
}

} // namespace

bool dayFileNameBytes(const QDate& date, char (&name)[kDayFileNameSize + 1])
{
    if (!date.isValid()) {
        return false;
    }
    // The Gregorian date of the day number, by the civil-from-days steps
    // (eras of 400 years from 1 March 0000): QDate's own way through its
    // calendar costs more than the reading of a small file.
    const qint64 z = date.toJulianDay() - 2440588 + 719468; // days from 0000-03-01
    const qint64 era = (z >= 0 ? z : z - 146096) / 146097;
    const qint64 dayOfEra = z - era * 146097;
    const qint64 yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const qint64 dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const qint64 m5 = (5 * dayOfYear + 2) / 153; // months from March
    const int day = int(dayOfYear - (153 * m5 + 2) / 5 + 1);
    const int month = int(m5 < 10 ? m5 + 3 : m5 - 9);
    const qint64 year = yearOfEra + era * 400 + (month <= 2 ? 1 : 0);
    if (year < 1 || year > 9999) {
        return false;
    }
    const int digits[] = {int(year / 1000),
                          int(year / 100 % 10),
                          int(year / 10 % 10),
                          int(year % 10),
                          month / 10,
                          month % 10,
                          day / 10,
                          day % 10};
    for (int i = 0; i < 8; ++i) {
        name[i] = char('0' + digits[i]);
    }
    std::memcpy(name + 8, ".dat", 5);
    return true;
}

QString dayFileName(const QDate& date)
{
    char name[kDayFileNameSize + 1];
    if (!dayFileNameBytes(date, name)) {
        return date.toString(QStringLiteral("yyyyMMdd")) + QStringLiteral(".dat");
    }
    return QString::fromLatin1(name, kDayFileNameSize);
}

QString dayFilePath(const QString& folder, const QDate& date)
{
    // In one piece of memory: every look at a day builds its path.
    char name[kDayFileNameSize + 1];
    if (!dayFileNameBytes(date, name)) {
        return folder + QLatin1Char('/') + dayFileName(date);
    }
    QString path(folder.size() + 1 + kDayFileNameSize, Qt::Uninitialized);
    QChar* out = std::copy(folder.cbegin(), folder.cend(), path.data());
    *out++ = u'/';
    for (int i = 0; i < kDayFileNameSize; ++i) {
        *out++ = QLatin1Char(name[i]);
    }
    return path;
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

namespace
{

// The date of a day file's name as the system gives it (see dayFileDate).
QDate dayFileDate(const char* name)
{
    if (std::strlen(name) != 12 || name[8] != '.' || (name[9] | 0x20) != 'd' || (name[10] | 0x20) != 'a' ||
        (name[11] | 0x20) != 't') {
        return QDate();
    }
    int digits[8];
    for (int i = 0; i < 8; ++i) {
        if (name[i] < '0' || name[i] > '9') {
            return QDate();
        }
        digits[i] = name[i] - '0';
    }
    const int year = digits[0] * 1000 + digits[1] * 100 + digits[2] * 10 + digits[3];
    return QDate(year, digits[4] * 10 + digits[5], digits[6] * 10 + digits[7]);
}

} // namespace

void forEachDayFile(const QString& folder, const QDate& from, const QDate& to,
                    const std::function<void(const QDate&)>& each)
{
    // One pass over the folder: the kind of each entry comes with its name,
    // so only a link (or a file system that does not tell) costs a stat, and
    // only for a name of the period. A name whose extension is not spelled
    // ".dat" waits for the end of the pass, when it is known whether its day
    // was already handed out under another spelling.
    DIR* dir = ::opendir(QFile::encodeName(folder).constData());
    if (!dir) {
        return;
    }
    std::vector<qint64> given;
    std::vector<qint64> otherSpelling;
    while (const dirent* entry = ::readdir(dir)) {
        const QDate d = dayFileDate(entry->d_name);
        if (!d.isValid() || (from.isValid() && d < from) || (to.isValid() && d > to)) {
            continue;
        }
        bool file = entry->d_type == DT_REG;
        if (entry->d_type == DT_LNK || entry->d_type == DT_UNKNOWN) {
            struct stat st {
            };
            file = ::fstatat(::dirfd(dir), entry->d_name, &st, 0) == 0 && S_ISREG(st.st_mode);
        }
        if (!file) {
            continue;
        }
        if (std::strcmp(entry->d_name + 8, ".dat") != 0) {
            otherSpelling.push_back(d.toJulianDay());
            continue;
        }
        given.push_back(d.toJulianDay());
        each(d);
    }
    ::closedir(dir);
    if (otherSpelling.empty()) {
        return;
    }
    std::sort(given.begin(), given.end());
    std::sort(otherSpelling.begin(), otherSpelling.end());
    otherSpelling.erase(std::unique(otherSpelling.begin(), otherSpelling.end()), otherSpelling.end());
    for (const qint64 day : otherSpelling) {
        if (!std::binary_search(given.begin(), given.end(), day)) {
            each(QDate::fromJulianDay(day));
        }
    }
}

QList<QDate> listDayFiles(const QString& folder, const QDate& from, const QDate& to)
{
    QList<QDate> dates;
    forEachDayFile(folder, from, to, [&dates](const QDate& d) { dates.append(d); });
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
    TDayContents result;
    const QString path = dayFilePath(folder, date);
    const TextReadResult read = readTextLines(path);
    if (!read.ok()) {
        return TDayLoadResult(read.status());
    }
    for (qsizetype i = 0; i < read->lines.size(); ++i) {
        const QString& line = read->lines[i];
        if (isBlank(line) || isOtherCategoryLine(line, categoryFilter)) {
            continue;
        }
        TSkedRec rec;
        const TSkedParseResult parsed = parseSkedLine(line, date, &rec);
        if (parsed.ok()) {
            result.records.append(rec);
        } else {
            result.problems.append(TDayProblem{path, int(i + 1), parsed.message(), line});
        }
    }
    return TDayLoadResult::success(std::move(result));
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
    DayLines day;
    if (Status s = hasDayFile(rec.date()); !s.ok()) {
        return TDayWriteResult(std::move(s));
    }
    if (Status s = readDayLines(path, &day); !s.ok()) {
        return TDayWriteResult(std::move(s));
    }
    day.lines.append(TextLine(formatSkedLine(rec)));
    return writeDayLines(path, std::move(day), false);
}

TDayWriteResult appendSkedRecs(const QString& folder, const QDate& date, const QList<TSkedRec>& recs)
{
    const QString path = dayFilePath(folder, date);
    DayLines day;
    if (Status s = hasDayFile(date); !s.ok()) {
        return TDayWriteResult(std::move(s));
    }
    if (Status s = readDayLines(path, &day); !s.ok()) {
        return TDayWriteResult(std::move(s));
    }
    for (const TSkedRec& rec : recs) {
        day.lines.append(TextLine(formatSkedLine(rec)));
    }
    return writeDayLines(path, std::move(day), false);
}

TDayWriteResult deleteSkedById(const QString& folder, const QDate& date, qint32 id,
                               const std::function<void(qint32 id)>& withdrawAlarms)
{
    const QString path = dayFilePath(folder, date);
    DayLines day;
    if (Status s = readDayLines(path, &day); !s.ok()) {
        return TDayWriteResult(std::move(s));
    }
    const QString idText = QString::number(id);
    int removed = 0;
    for (qsizetype i = day.lines.size() - 1; i >= 0; --i) {
        if (skedLineField(day.lines[i].text(), kSkedFieldId) == idText) {
            day.lines.removeAt(i);
            ++removed;
        }
    }
    if (removed == 0) {
        return TDayWriteResult::success({});
    }
    TDayWriteResult r = writeDayLines(path, std::move(day), false);
    r->removed = r.ok();
    // Alarms go only once the schedule is really gone from the file.
    if (r.ok() && withdrawAlarms) {
        for (int i = 0; i < removed; ++i) {
            withdrawAlarms(id);
        }
    }
    return r;
}

std::optional<TSkedRec> findSkedById(const QString& folder, const QDate& date, qint32 id)
{
    const TDayLoadResult day = loadDay(folder, date);
    for (const TSkedRec& rec : day->records) {
        if (rec.ID == id) {
            return rec;
        }
    }
    return std::nullopt;
}

} // namespace nox
