#pragma once
// What the search reads of the day files: the dates that have a day file in a
// period, and the decoded text lines of one day, both from the schedule book.
// A search hands its raw terms along (search/rawterms.h) so that a day whose
// bytes rule out a match is passed over without being decoded.
#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>

#include "search/rawterms.h"
#include "store/skedrec.h"

namespace nox
{

struct CachedDay;
class DayFileReader;
class ScheduleBook;

struct DayLines {
    bool ok = true;    // false: the file exists but could not be read
    QString path;      // the day file (may be empty when there are no lines)
    QString error;     // why, when !ok (names the file)
    QStringList lines; // decoded, in file order (a missing file has none)
    // The day as the schedule book keeps it, its lines parsed (the same
    // lines); null from a source that hands out lines only.
    std::shared_ptr<const CachedDay> day;
};

class DayLineSource
{
public:
    virtual ~DayLineSource() = default;
    // Dates of every day file from `from` to `to`, both inclusive; an invalid
    // date leaves that side open. Ascending.
    virtual QList<QDate> dayFileDates(const QDate& from, const QDate& to) = 0;
    // The same dates handed to `each`, each once, in any order; a source may
    // hand them out while it is still listing them. By default dayFileDates'.
    virtual void eachDayFile(const QDate& from, const QDate& to, const std::function<void(const QDate&)>& each)
    {
        for (const QDate& d : dayFileDates(from, to)) {
            each(d);
        }
    }
    virtual DayLines dayLines(const QDate& date) = 0;
    // The day's lines, or none at all (ok) when the filter rules out every
    // line of the day from the file's bytes. By default all lines.
    virtual DayLines candidateLines(const QDate& date, const RawTermFilter& filter)
    {
        Q_UNUSED(filter);
        return dayLines(date);
    }
    // True when dayLines and candidateLines may run on several threads at once.
    virtual bool concurrentReads() const { return false; }
    // The occurrences of repeat rules in from..to (store/repeatrule.h), and
    // whether there are rules at all. None by default.
    virtual QList<TSkedRec> occurrences(const QDate& from, const QDate& to)
    {
        Q_UNUSED(from);
        Q_UNUSED(to);
        return {};
    }
    virtual bool hasRepeatRules() { return false; }
};

// Every call goes to the book's day files; nothing is kept (a pass of its
// own, such as one noxtool command). Thread-safe.
class BookDaySource : public DayLineSource
{
public:
    // The book must outlive the source.
    explicit BookDaySource(const ScheduleBook& book);
    ~BookDaySource() override;
    // Also opens the folder for the reads of the days listed.
    QList<QDate> dayFileDates(const QDate& from, const QDate& to) override;
    // Hands each date out as soon as the folder's listing has it.
    void eachDayFile(const QDate& from, const QDate& to, const std::function<void(const QDate&)>& each) override;
    DayLines dayLines(const QDate& date) override;
    DayLines candidateLines(const QDate& date, const RawTermFilter& filter) override;
    bool concurrentReads() const override { return true; }
    QList<TSkedRec> occurrences(const QDate& from, const QDate& to) override;
    bool hasRepeatRules() override;

private:
    const ScheduleBook& m_book;
    std::unique_ptr<DayFileReader> m_reader; // of the last listing
};

// Reads through the schedule book's memory of the days and its list of the
// day files (ScheduleBook::passDates, passDay): a repeated search looks at the
// days in memory and at no file that has not changed since; a day whose
// bytes rule out a match stays in the book's memory undecoded. Thread-safe
// once dayFileDates has been called for the search.
class KeptDaySource : public DayLineSource
{
public:
    // The book must outlive the source.
    explicit KeptDaySource(const ScheduleBook& book);
    ~KeptDaySource() override;
    KeptDaySource(const KeptDaySource&) = delete;
    KeptDaySource& operator=(const KeptDaySource&) = delete;

    // Also opens the folder for the reads of the days listed.
    QList<QDate> dayFileDates(const QDate& from, const QDate& to) override;
    DayLines dayLines(const QDate& date) override;
    DayLines candidateLines(const QDate& date, const RawTermFilter& filter) override;
    bool concurrentReads() const override { return true; }
    QList<TSkedRec> occurrences(const QDate& from, const QDate& to) override;
    bool hasRepeatRules() override;

private:
    const ScheduleBook& m_book;
    std::unique_ptr<DayFileReader> m_reader; // of the last listing
};

} // namespace nox
