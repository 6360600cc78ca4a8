// INI text: reading every key of every section, then writing one key. After
// the write that key reads back as written and every other key of the first
// occurrence of its section is unchanged.
#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

#include <cstdlib>

#include "core/inifile.h"
#include "core/textfile.h"

using namespace nox;

namespace
{

// Memory-backed when possible: every write is synced to disk.
QString scratchTemplate()
{
    const QString shm = QStringLiteral("/dev/shm");
    return (QFileInfo(shm).isWritable() ? shm : QDir::tempPath()) + QStringLiteral("/nox-fuzz-XXXXXX");
}

void check(bool ok)
{
    if (!ok) {
        abort();
    }
}

QStringList sectionNames(const QStringList& lines)
{
    QStringList names;
    for (const QString& l : lines) {
        const QString t = l.trimmed();
        const qsizetype close = t.indexOf(u']');
        if (t.startsWith(u'[') && close > 0) {
            names << t.mid(1, close - 1).trimmed();
        }
    }
    return names;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size > 8192) {
        return 0;
    }
    static QTemporaryDir dir(scratchTemplate());
    check(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("fuzz.ini"));
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    check(writeFileAtomic(path, bytes).ok());
    IniFile ini(path);

    const QStringList sections = sectionNames(splitLines(decodeText(bytes)));
    const QString section = sections.isEmpty() ? QStringLiteral("s") : sections.first();
    const QStringList keys = ini.readSection(section);
    QStringList before;
    for (const QString& k : keys) {
        before << ini.readString(section, k, QStringLiteral("\x01"));
        (void)ini.readInteger(section, k, 0);
        (void)ini.readColor(section, k, 0);
    }
    const QString key = keys.isEmpty() ? QStringLiteral("k") : keys.last();
    const QString value = QStringLiteral("v=1;x");
    check(ini.writeString(section, key, value));
    check(ini.readString(section, key, QString()) == value);
    for (qsizetype i = 0; i < keys.size(); ++i) {
        if (keys[i].compare(key, Qt::CaseInsensitive) != 0) {
            check(ini.readString(section, keys[i], QStringLiteral("\x01")) == before[i]);
        }
    }
    return 0;
}
