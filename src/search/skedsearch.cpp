#include "search/skedsearch.h"

#include "store/skedrec.h"

#include <QStringMatcher>

#include <algorithm>
#include <atomic>
#include <system_error>
#include <thread>
#include <vector>

namespace nox
{

namespace
{

bool containsAll(const QString& haystack, const QStringList& terms)
{
    for (const QString& term : terms) {
        if (!haystack.contains(term)) {
            return false;
        }
    }
    return true;
}

// The raw terms, each prepared once for the thousands of texts a search
// looks through.
class TermMatcher
{
public:
    explicit TermMatcher(const QStringList& terms)
    {
        for (const QString& term : terms) {
            m_matchers.emplace_back(term);
        }
    }
    bool matchesAll(const QString& text) const
    {
        for (const QStringMatcher& m : m_matchers) {
            if (m.indexIn(text) < 0) {
                return false;
            }
        }
        return true;
    }

private:
    std::vector<QStringMatcher> m_matchers;
};

int imageIndexOf(const QString& field)
{
    bool ok = false;
    const int v = field.toInt(&ok);
    return ok ? v : -1;
}

// The field tests on a line's text, memo, category and image fields.
bool passesFieldTests(const SearchQuery& query, const QStringList& words, const QString& text,
                      const QString& memo, const QString& category, int imageIndex)
{
    if (query.target == SearchTarget::Text && !containsAll(text, words)) {
        return false;
    }
    if (query.target == SearchTarget::Memo && !containsAll(memo, words)) {
        return false;
    }
    if (!query.category.isEmpty() && !category.contains(query.category)) {
        return false;
    }
    return query.imageEntry <= 0 || imageIndex == query.imageEntry - 1;
}

QStringList rawTerms(const QStringList& words, const QString& category)
{
    return category.isEmpty() ? words : words + QStringList{category};
}

class DaySearch
{
public:
    DaySearch(const SearchQuery& query)
        : m_query(query), m_words(searchTerms(query.text)), m_terms(rawTerms(m_words, query.category)),
          m_filter(rawTerms(m_words, query.category))
    {
    }

    // The days dates[begin, end) into `out`.
    void searchDays(DayLineSource& source, const QList<QDate>& dates, int begin, int end,
                    SearchOutcome& out) const
    {
        for (int n = begin; n < end; ++n) {
            searchFile(source, dates.at(n), out);
        }
    }

    void searchFile(DayLineSource& source, const QDate& date, SearchOutcome& out) const
    {
        const DayLines day = source.candidateLines(date, m_filter);
        if (!day.ok) {
            out.errors.append(day.error);
        } else {
            searchDay(date, day, out);
        }
        ++out.filesSearched;
    }

    void searchDay(const QDate& date, const DayLines& day, SearchOutcome& out) const
    {
        ParsedDay scratch;
        ParsedDay& parsed = day.parsed ? *day.parsed : scratch;
        for (qsizetype i = 0; i < day.lines.size(); ++i) {
            const QString& line = day.lines.at(i);
            if (!m_terms.matchesAll(line) || line.trimmed().isEmpty()) {
                continue;
            }
            if (parsed.lines.size() != day.lines.size()) {
                parsed.lines.resize(day.lines.size());
            }
            ParsedDay::Line& p = parsed.lines[i];
            if (p.state == ParsedDay::State::Unparsed) {
                const TSkedParseResult result = parseSkedLine(line, date, &p.rec);
                p.state = result.ok ? ParsedDay::State::Schedule : ParsedDay::State::Damaged;
                p.reason = result.reason;
            }
            if (p.state == ParsedDay::State::Schedule) {
                if (passesFieldTests(m_query, m_words, p.rec.Text, p.rec.Memo, p.rec.Category, p.rec.ImageIndex)) {
                    out.results.append(makeSearchRec(p.rec, date));
                }
            } else if (passesFieldTests(m_query, m_words, skedLineField(line, kSkedFieldText),
                                        skedLineField(line, kSkedFieldMemo), skedLineField(line, kSkedFieldCategory),
                                        imageIndexOf(skedLineField(line, kSkedFieldImage)))) {
                out.skipped.append(TDayProblem{day.path, int(i + 1), p.reason, line});
            }
        }
    }

private:
    const SearchQuery& m_query;
    QStringList m_words;
    TermMatcher m_terms;
    RawTermFilter m_filter;
};

// Below this many files more threads cost more than they save.
constexpr int kFilesForThreads = 256;
// The days are handed out to the threads in runs of this many.
constexpr int kFilesPerRun = 64;
// At most this many threads read at once.
constexpr int kMostThreads = 8;

// The reading of thousands of small files is mostly system calls. Several
// threads take runs of days in turn until none is left (so a thread that
// gets no processor for a while holds up nothing), and the runs' findings are
// joined in file order. Twice as many threads as processors: measured on 20
// years of day files, the opens leave a processor idle part of the time, and
// two threads per processor read the folder 10-15 % faster than one.
void searchOnThreads(const DaySearch& search, DayLineSource& source, const QList<QDate>& dates,
                     SearchOutcome& out)
{
    const int total = int(dates.size());
    const int runs = (total + kFilesPerRun - 1) / kFilesPerRun;
    std::vector<SearchOutcome> found(size_t(runs), SearchOutcome{});
    std::atomic<int> next{0};
    const auto work = [&] {
        for (int run = next++; run < runs; run = next++) {
            search.searchDays(source, dates, run * kFilesPerRun, std::min(total, (run + 1) * kFilesPerRun),
                              found[size_t(run)]);
        }
    };
    const int helpers = std::clamp(int(2 * std::thread::hardware_concurrency()), 2, kMostThreads) - 1;
    std::vector<std::thread> workers;
    try {
        for (int i = 0; i < helpers; ++i) {
            workers.emplace_back(work);
        }
    } catch (const std::system_error&) {
        // Fewer threads than wished: the ones there are (and this one) do it all.
    }
    work();
    for (std::thread& worker : workers) {
        worker.join();
    }
    for (const SearchOutcome& part : found) {
        out.results += part.results;
        out.skipped += part.skipped;
        out.errors += part.errors;
        out.filesSearched += part.filesSearched;
    }
}

} // namespace

QStringList searchTerms(const QString& text)
{
    return text.split(u' ', Qt::SkipEmptyParts);
}

SearchOutcome searchSchedules(DayLineSource& source, const SearchQuery& query, const SearchProgress& progress)
{
    SearchOutcome out;
    const DaySearch search(query);
    const QList<QDate> dates = source.dayFileDates(query.from, query.to);
    const int total = int(dates.size());
    // Progress is told file by file in order, so a search that reports it
    // (and may be cancelled) stays on one thread.
    const bool threads = !progress && source.concurrentReads() && total >= kFilesForThreads &&
                         std::thread::hardware_concurrency() > 1;
    if (threads) {
        searchOnThreads(search, source, dates, out);
    } else {
        for (int n = 0; n < total; ++n) {
            search.searchFile(source, dates.at(n), out);
            if (progress && !progress(n + 1, total)) {
                out.cancelled = true;
                break;
            }
        }
    }
    markDateGroups(out.results);
    return out;
}

} // namespace nox
