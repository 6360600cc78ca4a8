#include "store/categories.h"

#include "core/folders.h"
#include "core/textfile.h"

namespace nox
{

ListFileResult loadCategories(QStringList& categories, const QString& dataFolder,
                              const QString& defaultFolder)
{
    categories.clear();
    ListFileResult result;
    for (const QString& line : readListFile(kCategoryFileName, dataFolder, defaultFolder, result)) {
        if (line.isEmpty()) {
            ++result.ignoredLines;
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

} // namespace nox
