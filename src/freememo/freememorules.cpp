#include "freememo/freememorules.h"

#include <QSet>

namespace nox::freememo
{

int nextMemoNumber(const QList<int>& used)
{
    const QSet<int> taken(used.begin(), used.end());
    int number = 1;
    while (taken.contains(number)) {
        ++number;
    }
    return number;
}

QString nextMemoTitle(const QStringList& titles)
{
    const QSet<QString> taken(titles.begin(), titles.end());
    for (int n = 1;; ++n) {
        const QString title = QStringLiteral("新規メモ") + QString::number(n);
        if (!taken.contains(title)) {
            return title;
        }
    }
}

QString cleanMemoTitle(const QString& title)
{
    QString clean = title;
    for (QChar& c : clean) {
        if (c == u'\t' || c == u'\r' || c == u'\n') {
            c = u' ';
        }
    }
    return clean;
}

} // namespace nox::freememo
