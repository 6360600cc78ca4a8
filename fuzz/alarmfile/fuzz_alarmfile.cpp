// "alarm.nox" bytes: loading, then saving with no entry in the past. Every
// line that is not empty comes back with its exact bytes (entries in key
// order, the lines that are no entry after them, kept as they were).
#include "../fuzzsupport.h"
#include "alarm/alarmfile.h"

using namespace nox;
using namespace nox::fuzz;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size > 16384) {
        return 0;
    }
    const QString folder = scratch().path();
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    check(writeFileAtomic(alarmFilePath(folder), bytes).ok());
    AlarmList list;
    check(LoadAlarmList(list, folder).ok());
    const QDateTime longAgo(QDate(1, 1, 1), QTime(0, 0));
    check(SaveAlarmList(list, folder, longAgo).ok());
    const QByteArray after = readBytes(alarmFilePath(folder));
    check(sorted(nonEmpty(byteLines(after))) == sorted(nonEmpty(byteLines(bytes))));
    // A byte-order mark is kept; one is added only when the first line
    // written begins with those bytes (so that they stay the line's own).
    const QByteArray bom("\xEF\xBB\xBF");
    if (after.startsWith(bom)) {
        check(bytes.startsWith(bom) || after.mid(3).startsWith(bom));
    } else {
        check(!bytes.startsWith(bom) || after.isEmpty());
    }
    static_cast<void>(removeFile(alarmFilePath(folder)));
    return 0;
}
