#include "store/categories.h"

#include "core/folders.h"
#include "core/textfile.h"

#include <QDir>

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
    ListFileResult result;
    result.source = QDir(dataFolder).filePath(QString::fromLatin1(kCategoryFileName));
    result.ok = writeTextLines(result.source, categories, &result.error);
    return result;
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
