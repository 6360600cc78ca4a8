// "holiday.txt" and "category.nox" bytes: loading and saving again keeps
// every line that is not empty with its exact bytes (holidays in key order,
// the lines that are no holiday after them; categories in their order).
#include "../fuzzsupport.h"
#include "store/categories.h"
#include "store/holidays.h"

using namespace nox;
using namespace nox::fuzz;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size > 16384) {
        return 0;
    }
    const QString folder = scratch().path();
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const QList<QByteArray> lines = nonEmpty(byteLines(bytes));

    const QString holidays = QDir(folder).filePath(QString::fromLatin1(HolidayList::kFileName));
    check(writeFileAtomic(holidays, bytes).ok());
    HolidayList list;
    check(list.load(folder, QString()).ok());
    check(list.save(folder).ok());
    check(sorted(nonEmpty(byteLines(readBytes(holidays)))) == sorted(lines));

    const QString categories = QDir(folder).filePath(QString::fromLatin1(kCategoryFileName));
    check(writeFileAtomic(categories, bytes).ok());
    QStringList names;
    check(loadCategories(names, folder, QString()).ok());
    check(saveCategories(names, folder).ok());
    check(nonEmpty(byteLines(readBytes(categories))) == lines);
    return 0;
}
