#pragma once
// How a new memo of the free memo notebook is numbered and titled, and what a
// title may hold.
#include <QList>
#include <QString>
#include <QStringList>

namespace nox::freememo
{

// The smallest number above 0 that `used` does not hold (1 for none).
int nextMemoNumber(const QList<int>& used);

// "新規メモ" followed by the smallest n from 1 up for which no title in
// `titles` is that text.
QString nextMemoTitle(const QStringList& titles);

// A title as the index can hold it: tabs and line breaks become blanks.
QString cleanMemoTitle(const QString& title);

} // namespace nox::freememo
