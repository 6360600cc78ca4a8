#include "search/skedsearch.h"

#include "core/textfile.h"
#include "store/skedrec.h"

#include <QStringMatcher>

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
        : m_query(query), m_words(searchTerms(query.text)), m_terms(rawTerms(m_words, query.category))
    {
    }

    void searchDay(const QDate& date, const DayLines& day, SearchOutcome& out) const
    {
        // Most days hold no term at all: look at the lines only when the
        // whole text holds every one.
        if (!m_terms.matchesAll(day.text)) {
            return;
        }
        ParsedDay scratch;
        ParsedDay& parsed = day.parsed ? *day.parsed : scratch;
        if (!parsed.split) {
            for (const QString& line : splitLines(day.text)) {
                parsed.lines.append(ParsedDay::Line{line, ParsedDay::State::Unparsed, {}, {}});
            }
            parsed.split = true;
        }
        for (qsizetype i = 0; i < parsed.lines.size(); ++i) {
            ParsedDay::Line& line = parsed.lines[i];
            if (!m_terms.matchesAll(line.text) || line.text.trimmed().isEmpty()) {
                continue;
            }
            if (line.state == ParsedDay::State::Unparsed) {
                const TSkedParseResult result = parseSkedLine(line.text, date, &line.rec);
                line.state = result.ok ? ParsedDay::State::Schedule : ParsedDay::State::Damaged;
                line.reason = result.reason;
            }
            if (line.state == ParsedDay::State::Schedule) {
                const TSkedRec& rec = line.rec;
                if (passesFieldTests(m_query, m_words, rec.Text, rec.Memo, rec.Category, rec.ImageIndex)) {
                    out.results.append(makeSearchRec(rec, date));
                }
            } else if (passesFieldTests(m_query, m_words, skedLineField(line.text, kSkedFieldText),
                                        skedLineField(line.text, kSkedFieldMemo),
                                        skedLineField(line.text, kSkedFieldCategory),
                                        imageIndexOf(skedLineField(line.text, kSkedFieldImage)))) {
                out.skipped.append(TDayProblem{day.path, int(i + 1), line.reason, line.text});
            }
        }
    }

private:
    const SearchQuery& m_query;
    QStringList m_words;
    TermMatcher m_terms;
};

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
    for (int n = 0; n < total; ++n) {
        const DayLines day = source.dayLines(dates.at(n));
        if (!day.ok) {
            out.errors.append(day.error);
        } else {
            search.searchDay(dates.at(n), day, out);
        }
        ++out.filesSearched;
        if (progress && !progress(n + 1, total)) {
            out.cancelled = true;
            break;
        }
    }
    markDateGroups(out.results);
    return out;
}

} // namespace nox
