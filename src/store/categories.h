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
// Writes the list to "<dataFolder>/category.nox" (UTF-8, CR LF, atomic).
ListFileResult saveCategories(const QStringList& categories, const QString& dataFolder);
// Why `name` cannot be added to `categories`: "名称を入力してください。" for an
// empty name, "登録済みの分類です。" for a name already listed (compared
// without regard to letter case), "この分類名称は登録できません。" for the
// caption of "no filter" ("分類 指定なし"; with a trailing blank it is a
// different name). Empty when the name may be added.
QString CategoryRefusal(const QStringList& categories, const QString& name);

// Both with the program's folders (nox::folders).
ListFileResult loadCategories(QStringList& categories);
ListFileResult saveCategories(const QStringList& categories);

} // namespace nox
