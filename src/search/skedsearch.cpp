#include "search/skedsearch.h"

#include "store/skedrec.h"

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

class DaySearch
{
public:
    DaySearch(const SearchQuery& query) : m_query(query), m_words(searchTerms(query.text)), m_terms(m_words)
    {
        if (!query.category.isEmpty()) {
            m_terms.append(query.category);
        }
    }

    void searchDay(const QDate& date, const DayLines& day, SearchOutcome& out) const
    {
        // Most days hold no term at all: look at the lines only when the
        // whole text holds every one.
        if (!containsAll(day.text, m_terms)) {
            return;
        }
        const QStringList lines = day.lines();
        for (qsizetype i = 0; i < lines.size(); ++i) {
            const QString& line = lines.at(i);
            if (!containsAll(line, m_terms) || line.trimmed().isEmpty()) {
                continue;
            }
            TSkedRec rec;
            const TSkedParseResult parsed = parseSkedLine(line, date, &rec);
            if (parsed.ok) {
                if (passesFieldTests(m_query, m_words, rec.Text, rec.Memo, rec.Category, rec.ImageIndex)) {
                    out.results.append(makeSearchRec(rec, date));
                }
            } else if (passesFieldTests(m_query, m_words, skedLineField(line, kSkedFieldText),
                                        skedLineField(line, kSkedFieldMemo), skedLineField(line, kSkedFieldCategory),
                                        imageIndexOf(skedLineField(line, kSkedFieldImage)))) {
                out.skipped.append(TDayProblem{day.path, int(i + 1), parsed.reason, line});
            }
        }
    }

private:
    const SearchQuery& m_query;
    QStringList m_words;
    QStringList m_terms;
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
