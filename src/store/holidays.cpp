#include "store/holidays.h"

#include "koyomi/holidaylaw.h"

#include "core/folders.h"
#include "core/textfile.h"

#include <QDir>
#include <QFileInfo>

namespace nox
{

QString HolidayList::keyOf(const QDate& date)
{
    return date.toString(QStringLiteral("yyyy/MM/dd"));
}

// Digit by digit: the program reads every key of a long list at start-up.
QDate HolidayList::dateOfKey(QStringView key)
{
    if (key.size() != 10 || key[4] != u'/' || key[7] != u'/') {
        return QDate();
    }
    const auto number = [&](qsizetype from, qsizetype count) {
        int n = 0;
        for (qsizetype i = from; i < from + count; ++i) {
            if (!key[i].isDigit() || key[i].unicode() > '9') {
                return -1;
            }
            n = n * 10 + (key[i].unicode() - '0');
        }
        return n;
    };
    const int year = number(0, 4), month = number(5, 2), day = number(8, 2);
    return year < 0 || month < 0 || day < 0 ? QDate() : QDate(year, month, day);
}

int HolidayList::parseLines(const QStringList& lines)
{
    clear();
    m_kept.clear();
    int ignored = 0;
    for (const QString& line : lines) {
        const qsizetype tab = line.indexOf(QLatin1Char('\t'));
        if (tab < 0) {
            if (!line.isEmpty()) {
                ++ignored;
                m_kept << line;
            }
            continue;
        }
        if (!add(line.left(tab), line.mid(tab + 1))) {
            m_kept << line;
        }
    }
    return ignored;
}

QStringList HolidayList::toLines() const
{
    QStringList lines;
    lines.reserve(count());
    for (const auto& [key, holiday] : m_items) {
        if (!holiday.Generated) {
            lines << key + QLatin1Char('\t') + holiday.Name;
        }
    }
    return lines;
}

QStringList readListFile(const char* fileName, const QString& dataFolder, const QString& defaultFolder,
                         ListFileResult& result)
{
    for (const QString& folder : {dataFolder, defaultFolder}) {
        if (folder.isEmpty()) {
            continue;
        }
        const QString path = QDir(folder).filePath(QString::fromLatin1(fileName));
        const TextReadResult read = readTextLines(path);
        if (!read->exists) {
            continue;
        }
        result->source = path;
        if (!read.ok()) {
            result.setStatus(read.status());
            return {};
        }
        return read->lines;
    }
    return {};
}

ListFileResult HolidayList::load(const QString& dataFolder, const QString& defaultFolder)
{
    clear();
    ListFileResult result = ListFileResult::success({});
    const QStringList lines = readListFile(kFileName, dataFolder, defaultFolder, result);
    result->ignoredLines = parseLines(lines);
    return result;
}

ListFileResult HolidayList::save(const QString& dataFolder) const
{
    return saveListFile(kFileName, dataFolder, toLines() + m_kept);
}

ListFileResult saveListFile(const char* fileName, const QString& dataFolder, const QStringList& lines)
{
    const QString path = QDir(dataFolder).filePath(QString::fromLatin1(fileName));
    return ListFileResult(rewriteTextLines(path, lines), ListFile{path, 0});
}

ListFileResult HolidayList::load()
{
    return load(folders::dataFolder(), folders::defaultFolder());
}

ListFileResult HolidayList::save() const
{
    return save(folders::dataFolder());
}

// A list file holds its days in order: each one goes in after the last
// without a search from the root.
bool HolidayList::add(const QString& key, const QString& name)
{
    const auto before = m_items.size();
    m_items.emplace_hint(m_items.end(), key, THolidayStr{name});
    return m_items.size() != before;
}

void HolidayList::set(const QString& key, const QString& name)
{
    m_items[key] = THolidayStr{name, false};
}

void HolidayList::setGenerated(const QString& key, const QString& name)
{
    m_items[key] = THolidayStr{name, true};
}

void HolidayList::extendByLaw()
{
    int lastYear = 0;
    for (auto it = m_items.rbegin(); it != m_items.rend(); ++it) {
        if (!it->second.Generated && it->first.mid(4) == QLatin1String("/01/01")) {
            lastYear = it->first.left(4).toInt();
            break;
        }
    }
    if (lastYear == 0) {
        return;
    }
    for (int year = std::max(lastYear + 1, koyomi::kFirstLawYear); year <= koyomi::kLastLawYear; ++year) {
        for (const koyomi::LawHoliday& h : koyomi::holidaysByLaw(year)) {
            m_items.try_emplace(keyOf(h.date), THolidayStr{h.name, true});
        }
    }
}

bool HolidayList::remove(const QString& key)
{
    return m_items.erase(key) != 0;
}

QString HolidayList::name(const QString& key) const
{
    const auto it = m_items.find(key);
    return it == m_items.end() ? QString() : it->second.Name;
}

QStringList HolidayList::keys() const
{
    QStringList k;
    k.reserve(count());
    for (const auto& item : m_items) {
        k << item.first;
    }
    return k;
}

} // namespace nox
