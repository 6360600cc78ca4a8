#pragma once
// ScheduleBook: the one way into the schedules of a data folder. Every part
// of the program that reads or changes schedules (the main window, the
// schedule editor, the search and its bulk change, noxtool, the conversions)
// goes through one book, so that a change always writes its day file first
// and then brings the alarm list up to date, and so that the book alone
// decides how day files are read (a later cache of parsed days and the
// detection of files changed on disk live here, behind the same calls).
//
// Records are handed out and taken in by value. Every change returns a
// BookResult that the caller must look at. The day-file format itself is in
// store/dayfile.h and store/skedrec.h.
//
// The book keeps the days it has read, parsed (store/daycache.h): a day is
// read from its file again only when the file changed since, so every part
// of the program that reads through one book shares them. It also remembers
// which state of each day file day() last handed out: saveDay(), which
// replaces a day by the records a view holds, merges those records with the
// file's when the file changed on disk since then (store/daymerge.h) and
// says so with ChangedOnDisk (the caller reads the day again), so a copy
// read before another program's change never overwrites it.
#include <QByteArrayView>
#include <QDate>
#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <optional>

#include "store/alarmsink.h"
#include "store/bookresult.h"
#include "store/dayfile.h"
#include "store/repeatrule.h"
#include "store/skedrec.h"

namespace nox
{

struct CachedDay;
struct FileStamp;
class DayFileReader;

// Which occurrences of a repeat rule a change or a removal of one of them
// takes in.
enum class OccurrenceScope {
    This,      // this one only: its date is excepted from the rule, and a
               // changed one becomes a day-file schedule that remembers it
    Following, // this one and the later ones: the rule ends the day before,
               // a changed one begins a new rule on its date
    All,       // every occurrence: the rule itself changes or goes
};

// One day as the views show it.
struct BookDay {
    QList<TSkedRec> records;     // visible under the category filter, in file order, Date set
    QList<TDayProblem> problems; // lines that are no schedule (never lost by a change)
    BookResult result = BookResult::success({}); // Failed: the file exists but could not be read
};

// The decoded text lines of a day file, blank ones included.
struct BookLines {
    QStringList lines;
    BookResult result = BookResult::success({}); // Failed: the file exists but could not be read
};

// A day as a pass over many days (the search) is handed it.
struct BookPassDay {
    BookResult result = BookResult::success({}); // Failed: the file exists but could not be read
    // The day's decoded lines and parsed schedules as the book keeps them
    // (store/daycache.h); null for a missing file and for a day the pass's
    // test of its bytes ruled out.
    std::shared_ptr<const CachedDay> day;
};
// A pass's test of a day file's bytes before they are decoded: false when no
// line of the day can be of interest. `validUtf8`: the bytes are well-formed
// UTF-8 throughout (core/utf8check.h).
using DayBytesTest = std::function<bool(QByteArrayView bytes, bool validUtf8)>;

class ScheduleBook
{
public:
    using Clock = std::function<QDateTime()>;

    // `alarms` (not owned, may be nullptr: then no alarms change) must
    // outlive the book.
    ScheduleBook(QString dataFolder, ScheduleAlarmSink* alarms);

    const QString& dataFolder() const { return m_folder; }
    // The local time for newId(); QDateTime::currentDateTime when unset.
    void setClock(Clock clock) { m_clock = std::move(clock); }
    // Path of the day file of `date` (for messages).
    QString dayFile(const QDate& date) const;

    // --- reading -------------------------------------------------------------
    // The day's schedules, hidden ones skipped when a category filter is
    // given (a line with another, non-empty category). A missing file is a
    // day without schedules.
    BookDay day(const QDate& date, const QString& categoryFilter = {}) const;
    // The same day for a look that is no view's copy of it (the alarm
    // checks): unlike day(), a later saveDay() does not take it for what a
    // view was shown.
    BookDay look(const QDate& date, const QString& categoryFilter = {}) const;
    // The first schedule of the day with this ID, whatever its category:
    // Ok with result->record, NotFound, or Failed when the day file exists
    // but cannot be read (the message names it).
    BookResult lookUp(const QDate& date, qint32 id) const;
    // lookUp's record; none also when the file cannot be read.
    std::optional<TSkedRec> find(const QDate& date, qint32 id) const;
    // Dates of every day file, ascending; with valid bounds only those in
    // from..to (both included).
    QList<QDate> dates(const QDate& from = {}, const QDate& to = {}) const;
    // The same dates handed to `each` as the folder is read, in no order.
    void eachDate(const QDate& from, const QDate& to, const std::function<void(const QDate&)>& each) const;
    BookLines lines(const QDate& date) const;
    // Reads `dates` into the book's memory on a thread of its own (in this
    // order), for the days a view is likely to show next: a later day() of
    // one of them then reads no file. Replaces what is left of the last
    // request; returns at once. What was read ahead is checked against its
    // file at its use like every other day the book keeps.
    void readAhead(QList<QDate> dates) const;
    // readAhead of the `days` days after `last`, then of the `days` before
    // `first`, the nearest first: what a step either way from the days
    // first..last would show.
    void readAround(const QDate& first, const QDate& last, int days) const;
    // Until the read ahead is done (tests and benchmarks).
    void waitForReadAhead() const;
    // The bytes of the day file as stored (none for a missing file), read
    // straight from the file past the book's memory of parsed days, into
    // `bytes` (its memory is reused). For looking through many files of which
    // nearly all are passed over undecoded (the search; DayFileReader below
    // for a pass over many); decodeTextLines (core/textfile.h) gives the
    // lines that lines() would. Thread-safe.
    BookResult readDayBytes(const QDate& date, QByteArray* bytes) const;

    // --- passes over many days (the search) --------------------------------
    // The book keeps a list of the folder's day files with their stamps,
    // kept up to date from the folder's change notifications
    // (store/daylisting.h), so that a pass over days it has in memory looks
    // at no file. Brings that list up to date and returns its dates from..to
    // (an invalid date leaves that side open), ascending.
    QList<QDate> passDates(const QDate& from, const QDate& to) const;
    // The day for a pass: from the book's memory while its file is as
    // listed, else read through `reader` (opened by the pass) and kept. A day
    // not decoded yet is first offered to `test` (may be empty: every day
    // passes); one it rules out is handed out without lines and kept as its
    // bytes. Thread-safe.
    BookPassDay passDay(const QDate& date, const DayBytesTest& test, const DayFileReader& reader) const;

    // --- changing ------------------------------------------------------------
    // Each call writes the day file(s) atomically and only then applies its
    // alarm updates; when a write fails no alarm changes. A failing alarm
    // sink makes the result Failed (its file and message), the day file
    // being written all the same.

    // Replaces the day's schedules by `records` (their Date is not read):
    // lines of other categories (filter given) and lines that are no
    // schedule are kept; all lines are sorted as text without regard to
    // case; no line left deletes the file. Then applies `alarms`.
    // When the day file changed since day() last handed the day out (the
    // book's own changes do not count), writes the merge of both sides'
    // changes instead and returns ChangedOnDisk.
    BookResult saveDay(const QDate& date, const QList<TSkedRec>& records, const QString& categoryFilter = {},
                       const QList<TAlarmUpdate>& alarms = {});
    // Appends the record's line to the file of its Date.
    BookResult add(const TSkedRec& rec, TAlarmUpdateMode mode = amNew);
    // Appends the lines of `recs`, all of `date`, in their order with one
    // write of the day file (an import of many schedules), then their alarms;
    // result.record is the last one once the day is written.
    BookResult addAll(const QDate& date, const QList<TSkedRec>& recs, TAlarmUpdateMode mode = amNew);
    // Removes the lines of `oldId` from the file of `oldDate` and appends
    // `rec` to the file of its Date: one write when the dates are equal.
    // Across two days the new day is written first and the old lines are
    // removed after, so that a failure can leave the schedule twice but
    // never lose it; the alarms then follow the new record all the same.
    // result->count = lines removed.
    BookResult replace(const QDate& oldDate, qint32 oldId, const TSkedRec& rec,
                       TAlarmUpdateMode mode = amEdited);
    // Removes every line of the day with this ID and withdraws its alarms
    // once per removed line. NotFound when no line has it.
    BookResult remove(const QDate& date, qint32 id);
    // The schedule `id` of `from` now stands as `moved` (date and times may
    // differ): replace with mode 0. When a day it wrote had changed on disk
    // since day() handed it out, returns ChangedOnDisk (both sides' changes
    // are in the file; record and count set): the caller reads it again.
    BookResult move(const QDate& from, qint32 id, const TSkedRec& moved);
    // Stores a copy of `rec` under a fresh ID at rec's Date (mode 0);
    // result->record is the copy. ChangedOnDisk as with move.
    BookResult copy(const TSkedRec& rec);
    // Lets `edit` change the fields of the FIRST line with this ID (split at
    // tabs, padded with empty fields to at least 10) and writes the day back;
    // every other line stays as it was. The alarms are not touched. NotFound
    // when the file or the line is missing.
    BookResult rewriteFields(const QDate& date, qint32 id,
                             const std::function<void(QStringList& fields)>& edit);
    // Lets `edit` change the day's text lines (blank ones included); when it
    // returns true they are written back (no line left deletes the file).
    // For passes over whole files such as the update of older data.
    BookResult rewriteLines(const QDate& date, const std::function<bool(QStringList& lines)>& edit);

    // --- repeat rules (store/repeatrule.h) -----------------------------------
    // day() and look() hand out, after the day file's schedules, the
    // occurrences of the repeat rules on that date (TSkedRec::isOccurrence);
    // lookUp() and find() find them by their rule's ID. saveDay() takes an
    // occurrence it handed out and that is missing from, or changed in, the
    // records given as a change of that one occurrence (OccurrenceScope::
    // This); replace(), move() and remove() of an occurrence's ID do the
    // same. Every change of a rule renews the alarms of the occurrences
    // (ScheduleAlarmSink::RenewRuleAlarms).

    // The rules of "repeat.nox" (file order) and its lines that are none.
    BookResult rules(QList<RepeatRule>* rules, QList<RepeatProblem>* problems = nullptr) const;
    BookResult rule(qint32 id, RepeatRule* rule) const;
    // The occurrences of from..to (both included) in date order, rule order
    // within a day (category filter as for day()).
    QList<TSkedRec> occurrences(const QDate& from, const QDate& to, const QString& categoryFilter = {}) const;
    // What was read of "repeat.nox" and not told yet (lines that are no
    // rule, an unreadable file, an expansion cut short): each once.
    QStringList takeRuleNotices() const;
    // Adds a rule (checked with checkRRule) under its own ID when that is a
    // rule ID no rule has, else under a fresh ID; rule->id is set.
    BookResult addRule(RepeatRule* rule);
    // Lets `edit` change rule `id` (see RepeatStore::change for `shown`).
    BookResult changeRule(qint32 id, const std::function<void(RepeatRule&)>& edit, const RepeatRule* shown = nullptr);
    BookResult removeRule(qint32 id);
    // Excepts the rule's date `ruleDate` (an EXDATE).
    BookResult exceptRule(qint32 id, const QDate& ruleDate);
    // The occurrence (as day() handed it out) now stands as `changed` (date,
    // times and every field may differ), for the occurrences of `scope`.
    // This: the date is excepted and `changed` is stored as a day-file
    // schedule under a fresh ID that remembers the rule and date (written
    // first, so that a failure later leaves it twice, never lost); Following:
    // the rule ends the day before and a new rule with `changed`'s fields
    // begins on changed's date (COUNT shared out between the two); All: the
    // rule takes `changed`'s fields, its first date moved by as many days as
    // the occurrence was. result->record is the schedule or the new or
    // changed rule's schedule.
    BookResult changeOccurrence(OccurrenceScope scope, const TSkedRec& occurrence, const TSkedRec& changed);
    // This: the date is excepted; Following: the rule ends the day before
    // (goes when nothing is left of it); All: the rule goes.
    BookResult removeOccurrence(OccurrenceScope scope, const TSkedRec& occurrence);
    // Every schedule and occurrence of from..to as day() hands them out, in
    // date order (a day's schedules in file order, then its occurrences);
    // lines that are no schedule in result.problems, and Failed for the
    // first day file that could not be read (the others are still read).
    BookDay span(const QDate& from, const QDate& to, const QString& categoryFilter = {}) const;

    // A fresh schedule ID: the time "hhnnss" followed by its milliseconds.
    // Never the same value twice in one process: when the clock gives a
    // value not above the last one handed out on the same day, the last
    // one + 1.
    qint32 newId();

    // What the book keeps in memory (tests and benchmarks).
    struct CacheStats {
        int days = 0;      // days kept
        qint64 bytes = 0;  // their estimated size
        int fileReads = 0; // day files read so far
        int aheadReads = 0; // of them, read ahead
    };
    CacheStats cacheStats() const;

private:
    friend class DayFileReader;
    struct Memory;
    struct RepeatMemory; // store/schedulebook_repeat.cpp
    static std::shared_ptr<RepeatMemory> makeRepeatMemory(const QString& folder);
    // The read ahead's preparation of a day's occurrences.
    static std::function<void(const QDate&)> repeatAhead(std::shared_ptr<RepeatMemory> repeat);
    BookDay readDay(const QDate& date, const QString& categoryFilter, bool shown, bool withOccurrences = true) const;
    // readDayBytes' result for the errno of a read (0: read; a missing file
    // reads as empty).
    BookResult readResult(const QDate& date, int err) const;
    bool unchangedSinceShown(const QDate& date) const;
    void afterWrite(const QDate& date, bool wasInSync);
    BookResult mergeChangedDay(const QDate& date, const QList<TSkedRec>& records, const QString& categoryFilter,
                               const QList<TAlarmUpdate>& alarms);
    BookResult changedOnDisk(const QDate& date) const;
    BookResult toldChangedOnDisk(const BookResult& written, const QDate& date) const;
    BookResult applyAlarms(BookResult result, const QList<TAlarmUpdate>& updates);
    BookResult replaceInDay(const QDate& date, qint32 oldId, const TSkedRec& rec);
    BookResult writeLines(const QDate& date, const QStringList& lines);
    void appendOccurrences(const QDate& date, const QString& categoryFilter, bool shown, BookDay* day) const;
    BookResult saveOccurrenceChanges(const QDate& date, const QList<TSkedRec>& records, QList<TSkedRec>* dayRecords);
    std::optional<TSkedRec> occurrenceOn(const QDate& date, qint32 ruleId) const;
    BookResult afterRuleChange(BookResult result);

    QString m_folder;
    QByteArray m_encodedFolder; // m_folder as the system names it
    ScheduleAlarmSink* m_alarms;
    Clock m_clock;
    std::shared_ptr<Memory> m_memory; // shared by copies of the book
    std::shared_ptr<RepeatMemory> m_repeat;
};

// ScheduleBook::readDayBytes for a pass over many day files: the folder is
// opened once, and each file is opened by its name in it rather than by its
// whole path. Made for one pass (a folder replaced later is not followed).
// Reads may run on several threads at once.
class DayFileReader
{
public:
    // The book must outlive the reader.
    explicit DayFileReader(const ScheduleBook& book);
    ~DayFileReader();
    DayFileReader(const DayFileReader&) = delete;
    DayFileReader& operator=(const DayFileReader&) = delete;

    BookResult read(const QDate& date, QByteArray* bytes) const;
    // The same with the stamp of the file read (left as it was when there
    // is no file or it could not be read).
    BookResult read(const QDate& date, QByteArray* bytes, FileStamp* stamp) const;

private:
    const ScheduleBook& m_book;
    int m_folder = -1; // -1: read by the whole path
    bool m_shortReadEnds = false;
};

} // namespace nox
