#include "search/searchresult.h"

namespace nox
{

QString shownText(const QString& stored)
{
    const qsizetype lineBreak = stored.indexOf(QLatin1String(kSkedLineBreak));
    if (lineBreak < 0) {
        return stored;
    }
    return stored.left(lineBreak) + QStringLiteral("...");
}

TSkedSearchRec makeSearchRec(const TSkedRec& rec, const QDate& date)
{
    TSkedSearchRec r;
    r.ID = rec.ID;
    r.Date = date;
    r.StartText = skedTimeText(rec.StartTime);
    r.EndText = skedTimeText(rec.EndTime);
    r.Text = rec.Text;
    r.TextShown = shownText(rec.Text);
    r.Memo = rec.Memo;
    r.MemoShown = shownText(rec.Memo);
    r.Category = rec.Category;
    r.ImageIndex = rec.ImageIndex;
    return r;
}

void markDateGroups(QList<TSkedSearchRec>& results)
{
    bool band = false;
    QDate previous;
    for (TSkedSearchRec& r : results) {
        r.SameDate = previous.isValid() && r.Date == previous;
        if (!r.SameDate) {
            band = !band;
        }
        r.Band = band;
        previous = r.Date;
    }
}

} // namespace nox
