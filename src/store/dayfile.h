#pragma once
// Day files: the schedules of one date as the lines of "<folder>/yyyyMMdd.dat".
// A day without schedules has no file. Lines that do not parse are never shown
// and never lost: loading reports them, and every save, append or delete of
// that day writes them back unchanged. Lines are decoded one by one (UTF-8,
// else CP932), and every line whose schedule a save did not change is written
// back as the bytes it had. Every write replaces the file atomically; a
// failing write leaves the old file and is reported.
#include <QDate>
#include <QList>
#include <QString>
#include <functional>
#include <optional>

#include "core/status.h"
#include "store/skedrec.h"

namespace nox
{

// "20030305.dat" for 5 March 2003.
QString dayFileName(const QDate& date);
QString dayFilePath(const QString& folder, const QDate& date);
constexpr int kDayFileNameSize = 12; // "yyyyMMdd.dat"
// dayFileName in bytes, 0-terminated; false for a date outside the years
// 1-9999 (whose name the callers then make with dayFileName).
bool dayFileNameBytes(const QDate& date, char (&name)[kDayFileNameSize + 1]);
// The date of a day file name ("20030305.dat"); invalid for any other name.
QDate dayFileDate(const QString& fileName);
// Dates of every day file in the folder (a regular file, or a link to one),
// ascending, each once; with valid bounds only those of from..to (both
// included).
QList<QDate> listDayFiles(const QString& folder, const QDate& from = {}, const QDate& to = {});
// The same dates handed to `each` while the folder is read, in the folder's
// own order (for a pass that needs none and would rather not wait for the
// whole listing). Each date once: "x.dat" and "x.DAT" are one day.
void forEachDayFile(const QString& folder, const QDate& from, const QDate& to,
                    const std::function<void(const QDate&)>& each);

// A line of a day file that could not be read as a schedule.
struct TDayProblem {
    QString file;   // path of the day file
    int lineNumber; // 1-based
    QString reason; // why (for the user)
    QString line;   // the line as it stands in the file
};

// What loadDay read; its status fails when the file exists but could not be read.
struct TDayContents {
    QList<TSkedRec> records; // in file order, Date set to the day
    QList<TDayProblem> problems;
};
using TDayLoadResult = Result<TDayContents>;

struct TDayWrite {
    bool removed = false; // deleteSkedById: a line was removed
};
using TDayWriteResult = Result<TDayWrite>;

// True when a category filter is active and the line's category is neither
// empty nor the filter: such lines are hidden from the view and kept on save.
bool isOtherCategoryLine(const QString& line, const QString& categoryFilter);

// Reads the day: every parseable line not hidden by the category filter
// (empty = all) becomes a record. A missing file is a day without schedules.
// Empty lines are ignored.
TDayLoadResult loadDay(const QString& folder, const QDate& date, const QString& categoryFilter = {});

// Replaces the day's schedules by `records` (their Date is not consulted):
// the lines of other categories (filter active) and the unparseable lines of
// the existing file are kept, the records' lines added, and all of them sorted
// as whole text lines without regard to case. No line left: the file is
// deleted. When the existing file cannot be read nothing is written.
TDayWriteResult saveDay(const QString& folder, const QDate& date, const QList<TSkedRec>& records,
                        const QString& categoryFilter = {});
TDayWriteResult saveDay(const QString& folder, const QDate& date, const QList<TSkedRec*>& records,
                        const QString& categoryFilter = {});

// Adds the record's line at the end of the file of its Date (no sorting).
TDayWriteResult appendSkedRec(const QString& folder, const TSkedRec& rec);
// Adds the lines of `recs` (all of the day `date`) at the end of its file, in
// their order, in one write.
TDayWriteResult appendSkedRecs(const QString& folder, const QDate& date, const QList<TSkedRec>& recs);

// Removes every line of the day whose ID field is `id` in decimal (walking
// from the last line to the first). After the file was written (or deleted
// because no line is left) `withdrawAlarms(id)` is called once per removed
// line, when given. result->removed tells whether a line was removed.
TDayWriteResult deleteSkedById(const QString& folder, const QDate& date, qint32 id,
                               const std::function<void(qint32 id)>& withdrawAlarms = {});

// The first parseable schedule of the day with this ID (any category).
std::optional<TSkedRec> findSkedById(const QString& folder, const QDate& date, qint32 id);

} // namespace nox
