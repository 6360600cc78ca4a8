#pragma once
// The rows of the settings dialog's holiday page, and the holiday import
// from a text file (one holiday per line: "yyyy/MM/dd", a tab, the name).
//
// A row holds the date as the main date format shows it, the name, and the
// date key "yyyy/MM/dd". Rows are told apart by their shown date: adding or
// importing a date whose shown text is already listed is refused or skipped.
#include <QList>
#include <QString>
#include <QStringList>

#include "store/holidays.h"

namespace nox
{

struct THolidayRow {
    QString shown; // the date in the main date display format
    QString name;
    QString key; // "yyyy/MM/dd"
    bool generated = false; // made by the holiday law, not in "holiday.txt"
    bool operator==(const THolidayRow&) const = default;
};

// One row per holiday of the list, in key order.
QList<THolidayRow> HolidayRows(const HolidayList& holidays, const QString& dateFormat);
// The holiday list the rows stand for (a later row of the same key wins).
HolidayList HolidayListOf(const QList<THolidayRow>& rows);
THolidayRow MakeHolidayRow(const QDate& date, const QString& name, const QString& dateFormat);
// Index of the row whose shown date is `shown`, -1 when none.
int FindHolidayRow(const QList<THolidayRow>& rows, const QString& shown);

struct THolidayImportCheck {
    bool ok = true;
    QString message; // the refusal, when !ok
};

// Checks every non-empty line (numbered from 1). A line without a tab, or
// whose date field is not exactly "dddd/dd/dd" naming a real date, stops the
// import with its message; nothing may be imported then.
THolidayImportCheck CheckHolidayImport(const QStringList& lines);
// Appends the rows of checked lines in order, skipping a date already shown;
// returns the number of rows added.
int MergeHolidayImport(QList<THolidayRow>& rows, const QStringList& lines, const QString& dateFormat);

} // namespace nox
