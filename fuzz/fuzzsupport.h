#pragma once
// Helpers shared by the fuzz targets that go through real files.
#include <QByteArray>
#include <QDir>
#include <QFileInfo>
#include <QList>
#include <QTemporaryDir>

#include <cstdlib>

#include "core/textfile.h"

namespace nox::fuzz
{

inline void check(bool ok)
{
    if (!ok) {
        abort();
    }
}

// A folder for the target's files, memory-backed when possible (every write
// is synced to disk).
inline const QTemporaryDir& scratch()
{
    static const QString shm = QStringLiteral("/dev/shm");
    static QTemporaryDir dir((QFileInfo(shm).isWritable() ? shm : QDir::tempPath()) +
                             QStringLiteral("/nox-fuzz-XXXXXX"));
    check(dir.isValid());
    return dir;
}

inline QByteArray readBytes(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// The lines of file bytes without their breaks (a leading BOM dropped).
inline QList<QByteArray> byteLines(QByteArray bytes)
{
    if (bytes.startsWith("\xEF\xBB\xBF")) {
        bytes.remove(0, 3);
    }
    return splitRawLines(bytes);
}

inline QList<QByteArray> nonEmpty(const QList<QByteArray>& lines)
{
    QList<QByteArray> out;
    for (const QByteArray& l : lines) {
        if (!l.isEmpty()) {
            out << l;
        }
    }
    return out;
}

inline QList<QByteArray> sorted(QList<QByteArray> lines)
{
    std::sort(lines.begin(), lines.end());
    return lines;
}

// True when `before` minus at most `skips` lines is a subsequence of `after`
// (lines compared as bytes).
inline bool keptInOrder(const QList<QByteArray>& before, const QList<QByteArray>& after, int skips)
{
    qsizetype j = 0;
    for (const QByteArray& line : before) {
        qsizetype k = j;
        while (k < after.size() && after[k] != line) {
            ++k;
        }
        if (k == after.size()) {
            if (--skips < 0) {
                return false;
            }
            continue;
        }
        j = k + 1;
    }
    return true;
}

} // namespace nox::fuzz
