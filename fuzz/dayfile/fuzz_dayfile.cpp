// A day file round trip: load the day and save what was loaded, with and
// without a category filter. Every line that is not blank comes back with
// its exact bytes; a schedule line of an older version (fewer than 13
// fields) only gains the missing fields after them.
#include <algorithm>

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

// True when `out` is `line` brought up to all fields: its bytes, a tab and
// the missing fields.
bool isExtended(const QByteArray& line, const QByteArray& out)
{
    return out.size() > line.size() && out.startsWith(line) && out.at(line.size()) == '\t' &&
           out.count('\t') == kSkedFieldCount - 1;
}

// Removes from `after` the line each of `lines` became; false when one has
// none. Lines kept as they were are matched first: a line that merely
// starts like an old short one (and has all fields) is no extension of it.
// Then the longest lines first: the extension of a line is also one of every
// shorter line it starts with, never the other way round.
bool takeLines(const QList<QByteArray>& lines, QList<QByteArray>& after)
{
    QList<QByteArray> rest;
    for (const QByteArray& line : lines) {
        if (!after.removeOne(line)) {
            rest << line;
        }
    }
    std::stable_sort(rest.begin(), rest.end(),
                     [](const QByteArray& a, const QByteArray& b) { return a.size() > b.size(); });
    for (const QByteArray& line : rest) {
        const auto found = std::find_if(after.begin(), after.end(),
                                        [&](const QByteArray& out) { return isExtended(line, out); });
        if (found == after.end()) {
            return false;
        }
        after.erase(found);
    }
    return true;
}

void roundTrip(const QByteArray& bytes, const QString& filter)
{
    const QString folder = scratch().path();
    const QString path = dayFilePath(folder, kDay);
    check(writeFileAtomic(path, bytes).ok());
    const TDayLoadResult day = loadDay(folder, kDay, filter);
    check(day.ok());
    check(saveDay(folder, kDay, day->records, filter).ok());
    QList<QByteArray> after = byteLines(readBytes(path));
    QList<QByteArray> kept;
    for (const QByteArray& line : byteLines(bytes)) {
        if (!isBlank(line)) {
            kept << line;
        }
    }
    check(takeLines(kept, after));
    check(after.isEmpty());
    check(!kept.isEmpty() || !QFile::exists(path));
    static_cast<void>(removeFile(path));
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
