// A day file round trip: load the day and save what was loaded, with and
// without a category filter. Every line that is not blank comes back with
// its exact bytes; a schedule line of an older version (fewer than 13
// fields) only gains the missing fields after them.
#include "../fuzzsupport.h"
#include "store/dayfile.h"

using namespace nox;
using namespace nox::fuzz;

namespace
{

const QDate kDay(2003, 3, 5);

bool isBlank(const QByteArray& line)
{
    return decodeLine(line).trimmed().isEmpty();
}

// Removes from `after` the line that `line` became; false when there is none.
bool takeLine(const QByteArray& line, QList<QByteArray>& after)
{
    for (qsizetype i = 0; i < after.size(); ++i) {
        const QByteArray& out = after[i];
        if (out == line ||
            (out.startsWith(line) && out.at(line.size()) == '\t' && out.count('\t') == kSkedFieldCount - 1)) {
            after.removeAt(i);
            return true;
        }
    }
    return false;
}

void roundTrip(const QByteArray& bytes, const QString& filter)
{
    const QString folder = scratch().path();
    const QString path = dayFilePath(folder, kDay);
    check(writeFileAtomic(path, bytes));
    const TDayLoadResult day = loadDay(folder, kDay, filter);
    check(day.ok);
    check(saveDay(folder, kDay, day.records, filter).ok);
    QList<QByteArray> after = byteLines(readBytes(path));
    qsizetype kept = 0;
    for (const QByteArray& line : byteLines(bytes)) {
        if (!isBlank(line)) {
            check(takeLine(line, after));
            ++kept;
        }
    }
    check(after.isEmpty());
    check(kept > 0 || !QFile::exists(path));
    removeFile(path);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size > 8192) {
        return 0;
    }
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    roundTrip(bytes, QString());
    roundTrip(bytes, QStringLiteral("A"));
    return 0;
}
