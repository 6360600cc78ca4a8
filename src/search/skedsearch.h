#pragma once
// The schedule search: words, target, period, category and image over the
// lines of the day files.
//
// 1. Terms: the search text cut at half-width spaces (a full-width space
//    belongs to its term); a non-empty category is one more term.
// 2. Files: the day files of the period (both ends inclusive), by date.
// 3. Raw test: every term occurs in the line as stored (all fields, tabs
//    and "#13#10" escapes included), case-sensitively. No terms: every line.
// 4. Field tests: target スケジュール / メモ wants every word (not the
//    category) in Text / Memo; the category must occur in the Category
//    field; an image entry k > 0 wants ImageIndex k - 1.
// 5. Results in file order, then line order.
// 6. The occurrences of repeat rules in the period (without an end, up to
//    kOccurrenceSearchYears after today), each tested as its rule's line,
//    join the results of their dates after the day file's.
//
// Before a day is decoded, its file's bytes are looked at: a day that cannot
// hold every raw term is passed over (search/rawterms.h).
//
// A line the store cannot read as a schedule is never a result (it has no
// time or identity to show, open or change); when it passes the tests on its
// raw fields it is reported in `skipped`, so the user learns of it.
#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>
#include <functional>

#include "search/daysource.h"
#include "search/searchresult.h"
#include "store/dayfile.h"

namespace nox
{

enum class SearchTarget {
    Both, // "スケジュール & メモ"
    Text, // "スケジュール"
    Memo, // "メモ"
};

struct SearchQuery {
    QString text; // the search box
    SearchTarget target = SearchTarget::Both;
    QDate from; // invalid: no start
    QDate to;   // invalid: no end
    QString category;
    int imageEntry = 0; // entry of the image list: 0 any, k > 0 image k - 1
};

// Without an end of the period the occurrences of repeat rules are looked
// for up to this many years after today (the rules need not end).
constexpr int kOccurrenceSearchYears = 1;

struct SearchOutcome {
    QList<TSkedSearchRec> results; // Band and SameDate set
    QList<TDayProblem> skipped;    // matching lines that are not schedules
    QStringList errors;            // day files that could not be read (messages name them)
    int filesSearched = 0;
    bool cancelled = false; // results then hold what was found so far
    // Set when there are repeat rules and the period has no end: their
    // occurrences were looked for up to this date only (the result line says so).
    QDate occurrencesUntil;
};

// Called after each day file with the number done and the total; returning
// false cancels the search.
using SearchProgress = std::function<bool(int done, int total)>;

// The search words of a search text: cut at every " ", empty pieces dropped.
QStringList searchTerms(const QString& text);

// Runs the search on the calling thread (which may be a worker thread: the
// source is then used from it alone until the search returns). Without
// `progress`, a source that allows concurrent reads is searched while it
// lists the days, by more threads when there are many; the results are the
// same.
// `today`: where an open end of the period is counted from for the
// occurrences of repeat rules (invalid: the system's date).
SearchOutcome searchSchedules(DayLineSource& source, const SearchQuery& query,
                              const SearchProgress& progress = {}, const QDate& today = {});

} // namespace nox
