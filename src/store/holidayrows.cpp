#include "store/holidayrows.h"

#include "core/datetime.h"

namespace nox
{

namespace
{
const QString kKeyFormat = QStringLiteral("yyyy/MM/dd");

bool isDigits(QStringView text)
{
    for (const QChar c : text) {
        if (c < u'0' || c > u'9') {
            return false;
        }
    }
    return !text.isEmpty();
}

// "dddd/dd/dd" and a date that exists: a bad one would only give an invalid
// date further on.
bool isDateKey(const QString& text)
{
    if (text.size() != 10 || text.at(4) != u'/' || text.at(7) != u'/') {
        return false;
    }
    const QStringView t(text);
    if (!isDigits(t.mid(0, 4)) || !isDigits(t.mid(5, 2)) || !isDigits(t.mid(8, 2))) {
        return false;
    }
    return QDate::fromString(text, kKeyFormat).isValid();
}
} // namespace

THolidayRow MakeHolidayRow(const QDate& date, const QString& name, const QString& dateFormat)
{
    return {formatDateTime(dateFormat, date), name, date.toString(kKeyFormat)};
}

QList<THolidayRow> HolidayRows(const HolidayList& holidays, const QString& dateFormat)
{
    QList<THolidayRow> rows;
    for (const auto& [key, holiday] : holidays.items()) {
        const QDate date = QDate::fromString(key, kKeyFormat);
        rows << THolidayRow{date.isValid() ? formatDateTime(dateFormat, date) : key, holiday.Name, key,
                            holiday.Generated};
    }
    return rows;
}

HolidayList HolidayListOf(const QList<THolidayRow>& rows)
{
    HolidayList list;
    for (const THolidayRow& row : rows) {
        if (row.generated) {
            list.setGenerated(row.key, row.name);
        } else {
            list.set(row.key, row.name);
        }
    }
    return list;
}

int FindHolidayRow(const QList<THolidayRow>& rows, const QString& shown)
{
    for (int i = 0; i < rows.size(); ++i) {
        if (rows.at(i).shown == shown) {
            return i;
        }
    }
    return -1;
}

THolidayImportCheck CheckHolidayImport(const QStringList& lines)
{
    const QString stop = QStringLiteral("\r\n読み込みを中止します。");
    for (int i = 0; i < lines.size(); ++i) {
        const QString& line = lines.at(i);
        if (line.isEmpty()) {
            continue;
        }
        const int tab = int(line.indexOf(u'\t'));
        if (tab < 0) {
            return {false, QString::number(i + 1) + QStringLiteral("行目のデータの日付もしくは名称がありません！") + stop};
        }
        if (!isDateKey(line.left(tab))) {
            return {false, QString::number(i + 1) + QStringLiteral("行目のデータの日付書式がただしくありません！") + stop};
        }
    }
    return {};
}

int MergeHolidayImport(QList<THolidayRow>& rows, const QStringList& lines, const QString& dateFormat)
{
    int added = 0;
    for (const QString& line : lines) {
        const int tab = int(line.indexOf(u'\t'));
        if (line.isEmpty() || tab < 0) {
            continue;
        }
        const QDate date = QDate::fromString(line.left(tab), kKeyFormat);
        const THolidayRow row = MakeHolidayRow(date, line.mid(tab + 1), dateFormat);
        if (FindHolidayRow(rows, row.shown) < 0) {
            rows << row;
            ++added;
        }
    }
    return added;
}

} // namespace nox
