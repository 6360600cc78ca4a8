#pragma once
// One line of the search result list: a schedule found in a day file, with
// the texts the list shows and its place in the date groups.
#include <QDate>
#include <QList>
#include <QString>

#include "store/skedrec.h"

namespace nox
{

struct TSkedSearchRec {
    qint32 ID = 0;
    QDate Date;        // the date of the day file the line came from
    QString StartText; // "9:00"
    QString EndText;   // "10:30"
    QString Text;      // as stored ("#13#10" for line breaks)
    QString TextShown; // Text up to its first line break, then "..."
    QString Memo;      // as stored
    QString MemoShown; // Memo shortened the same way
    QString Category;
    int ImageIndex = -1;
    bool Band = false;     // colour band of the date group: flips at each new date, first true
    bool SameDate = false; // same day file as the line before (the date is shown once)

    // "9:00-10:30", as the list's time column shows it.
    QString timeSpan() const { return StartText + QLatin1Char('-') + EndText; }
};

// The stored text up to its first "#13#10", followed by "..." when there was
// one; else the whole text.
QString shownText(const QString& stored);

// The result line of a schedule read from the day file of `date`.
TSkedSearchRec makeSearchRec(const TSkedRec& rec, const QDate& date);

// Sets Band and SameDate of every line from the dates in list order.
void markDateGroups(QList<TSkedSearchRec>& results);

} // namespace nox
