#include "store/categories.h"

#include "core/folders.h"
#include "core/textfile.h"

namespace nox
{

ListFileResult loadCategories(QStringList& categories, const QString& dataFolder,
                              const QString& defaultFolder)
{
    categories.clear();
    ListFileResult result = ListFileResult::success({});
    for (const QString& line : readListFile(kCategoryFileName, dataFolder, defaultFolder, result)) {
        if (line.isEmpty()) {
            ++result->ignoredLines;
        } else {
            categories << line;
        }
    }
    return result;
}

ListFileResult saveCategories(const QStringList& categories, const QString& dataFolder)
{
    return saveListFile(kCategoryFileName, dataFolder, categories);
}

ListFileResult loadCategories(QStringList& categories)
{
    return loadCategories(categories, folders::dataFolder(), folders::defaultFolder());
}

ListFileResult saveCategories(const QStringList& categories)
{
    return saveCategories(categories, folders::dataFolder());
}

QString CategoryRefusal(const QStringList& categories, const QString& name)
{
    if (name.isEmpty()) {
        return QStringLiteral("名称を入力してください。");
    }
    if (categories.contains(name, Qt::CaseInsensitive)) {
        return QStringLiteral("登録済みの分類です。");
    }
    if (name == QStringLiteral("分類 指定なし")) {
        return QStringLiteral("この分類名称は登録できません。");
    }
    return QString();
}

} // namespace nox
