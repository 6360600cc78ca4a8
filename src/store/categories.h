#pragma once
// The category list: names in the user's order, one per line of
// "category.nox". Loaded from the data folder, else from the default folder.
#include "store/holidays.h" // ListFileResult

#include <QString>
#include <QStringList>

namespace nox
{

constexpr const char* kCategoryFileName = "category.nox";

// Replaces `categories` by the lines of "<dataFolder>/category.nox", else of
// "<defaultFolder>/category.nox"; neither existing leaves it empty. Empty
// lines are skipped (counted in ignoredLines).
ListFileResult loadCategories(QStringList& categories, const QString& dataFolder,
                              const QString& defaultFolder);
// Writes the list to "<dataFolder>/category.nox" (saveListFile: unchanged
// lines keep their bytes).
ListFileResult saveCategories(const QStringList& categories, const QString& dataFolder);
// Both with the program's folders (nox::folders).
ListFileResult loadCategories(QStringList& categories);
ListFileResult saveCategories(const QStringList& categories);

} // namespace nox
