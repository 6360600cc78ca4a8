#pragma once
// Helpers shared by the fuzz targets that go through real files.
#include <QByteArray>
#include <QDir>
#include <QFileInfo>
#include <QList>
#include <QTemporaryDir>

#include <cstdlib>
#include <vector>

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
// (lines compared as bytes): the longest common subsequence, found by the
// greedy shortest-edit search over insertions and deletions, which stops at
// the most edits that allows. A greedy match of each line in turn is not
// enough: a changed line that also stands further down (a section written
// twice) would be matched there and take every line between with it.
inline bool keptInOrder(const QList<QByteArray>& before, const QList<QByteArray>& after, int skips)
{
    const qsizetype n = before.size();
    const qsizetype m = after.size();
    // Edits = n + m - 2 * common, and common >= n - skips.
    const qsizetype most = m - n + 2 * qsizetype(skips);
    if (most < 0) {
        return false;
    }
    const qsizetype offset = most + 1;
    std::vector<qsizetype> reach(size_t(2 * most + 3), 0);
    for (qsizetype d = 0; d <= most; ++d) {
        for (qsizetype k = -d; k <= d; k += 2) {
            qsizetype x = (k == -d || (k != d && reach[size_t(k - 1 + offset)] < reach[size_t(k + 1 + offset)]))
                              ? reach[size_t(k + 1 + offset)]
                              : reach[size_t(k - 1 + offset)] + 1;
            qsizetype y = x - k;
            while (x < n && y < m && before[x] == after[y]) {
                ++x;
                ++y;
            }
            reach[size_t(k + offset)] = x;
            if (x >= n && y >= m) {
                return true;
            }
        }
    }
    return false;
}

} // namespace nox::fuzz
