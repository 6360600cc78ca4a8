#include "search/daysource.h"

#include "core/textfile.h"
#include "store/daycache.h"
#include "store/schedulebook.h"

namespace nox
{

namespace
{

DayLines unreadable(const BookResult& read)
{
    DayLines day;
    day.ok = false;
    day.path = read.file();
    day.error = read.message();
    return day;
}

// The decoded lines of a day's bytes, or none when the filter can tell
// that no line can match.
DayLines candidateDay(const ScheduleBook& book, const QDate& date, const QByteArray& bytes,
                      const RawTermFilter& filter)
{
    DayLines day;
    if (filter.mayMatch(bytes)) {
        day.path = book.dayFile(date);
        day.lines = decodeTextLines(bytes);
    }
    return day;
}

} // namespace

BookDaySource::BookDaySource(const ScheduleBook& book) : m_book(book) {}

BookDaySource::~BookDaySource() = default;

QList<QDate> BookDaySource::dayFileDates(const QDate& from, const QDate& to)
{
    m_reader = std::make_unique<DayFileReader>(m_book);
    return m_book.dates(from, to);
}

void BookDaySource::eachDayFile(const QDate& from, const QDate& to, const std::function<void(const QDate&)>& each)
{
    m_reader = std::make_unique<DayFileReader>(m_book);
    m_book.eachDate(from, to, each);
}

QList<TSkedRec> BookDaySource::occurrences(const QDate& from, const QDate& to)
{
    return m_book.occurrences(from, to);
}

bool BookDaySource::hasRepeatRules()
{
    QList<RepeatRule> rules;
    return m_book.rules(&rules).ok() && !rules.isEmpty();
}

DayLines BookDaySource::dayLines(const QDate& date)
{
    return candidateLines(date, RawTermFilter());
}

DayLines BookDaySource::candidateLines(const QDate& date, const RawTermFilter& filter)
{
    // One buffer per thread for all the files of a search.
    thread_local QByteArray bytes;
    const BookResult read = m_reader ? m_reader->read(date, &bytes) : m_book.readDayBytes(date, &bytes);
    if (!read.ok()) {
        return unreadable(read);
    }
    return candidateDay(m_book, date, bytes, filter);
}

KeptDaySource::KeptDaySource(const ScheduleBook& book) : m_book(book) {}

KeptDaySource::~KeptDaySource() = default;

QList<QDate> KeptDaySource::dayFileDates(const QDate& from, const QDate& to)
{
    m_reader = std::make_unique<DayFileReader>(m_book);
    return m_book.passDates(from, to);
}

DayLines KeptDaySource::dayLines(const QDate& date)
{
    return candidateLines(date, RawTermFilter());
}

DayLines KeptDaySource::candidateLines(const QDate& date, const RawTermFilter& filter)
{
    if (!m_reader) {
        m_reader = std::make_unique<DayFileReader>(m_book);
    }
    const BookPassDay pass = m_book.passDay(
        date, [&filter](QByteArrayView bytes, bool validUtf8) { return filter.mayMatch(bytes, validUtf8); },
        *m_reader);
    if (!pass.result.ok()) {
        return unreadable(pass.result);
    }
    DayLines day;
    if (pass.day) {
        day.path = m_book.dayFile(date);
        day.lines = pass.day->lines;
        day.day = pass.day;
    }
    return day;
}

} // namespace nox

namespace nox
{

QList<TSkedRec> KeptDaySource::occurrences(const QDate& from, const QDate& to)
{
    return m_book.occurrences(from, to);
}

bool KeptDaySource::hasRepeatRules()
{
    QList<RepeatRule> rules;
    return m_book.rules(&rules).ok() && !rules.isEmpty();
}

} // namespace nox
