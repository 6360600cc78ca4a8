// Day file bytes: decoding, line parsing and a save of the day. Checks that a
// parsed line formats back to a line that parses to the same record, and that
// saving the loaded day loses none of the lines that could not be read.
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <cstdlib>

#include "core/textfile.h"
#include "store/dayfile.h"

using namespace nox;

namespace
{

// Memory-backed when possible: every write is synced to disk.
QString scratchTemplate()
{
    const QString shm = QStringLiteral("/dev/shm");
    return (QFileInfo(shm).isWritable() ? shm : QDir::tempPath()) + QStringLiteral("/nox-fuzz-XXXXXX");
}

const QDate kDay(2003, 3, 5);

void check(bool ok)
{
    if (!ok) {
        abort();
    }
}

void checkLine(const QString& line)
{
    TSkedRec rec;
    if (!parseSkedLine(line, kDay, &rec).ok()) {
        return;
    }
    TSkedRec again;
    check(parseSkedLine(formatSkedLine(rec), kDay, &again).ok());
    check(again == rec);
    check(unescapeSkedText(escapeSkedText(rec.Text)).count(u'\t') == 0);
}

void checkDay(const QByteArray& bytes)
{
    static QTemporaryDir dir(scratchTemplate());
    check(dir.isValid());
    const QString path = dayFilePath(dir.path(), kDay);
    check(writeFileAtomic(path, bytes).ok());
    const TDayLoadResult day = loadDay(dir.path(), kDay, QStringLiteral("A"));
    check(day.ok());
    check(saveDay(dir.path(), kDay, day->records, QStringLiteral("A")).ok());
    const QStringList after = readTextLines(path)->lines;
    for (const TDayProblem& p : day->problems) {
        check(after.contains(p.line));
    }
    QFile::remove(path);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const QStringList lines = splitLines(decodeText(bytes));
    for (const QString& line : lines) {
        checkLine(line);
        (void)skedLineField(line, kSkedFieldId);
    }
    if (size < 4096) {
        checkDay(bytes);
    }
    return 0;
}
