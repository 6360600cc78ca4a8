#pragma once
// Helpers for the tests that put stray bytes around valid lines of a text
// file and check that a rewrite keeps every line it did not change.
#include <QByteArray>
#include <QFile>
#include <QList>
#include <QRandomGenerator>

#include "core/textfile.h"

namespace nox::test
{

// Bytes of one line (no line break) that are mostly neither UTF-8 nor CP932;
// never blank, as blank lines are not kept.
inline QByteArray strayLine(QRandomGenerator& rng)
{
    QByteArray line("~");
    const int n = int(rng.bounded(1, 40));
    while (line.size() < n) {
        const char c = char(rng.bounded(256));
        if (c != '\r' && c != '\n') {
            line += c;
        }
    }
    return line;
}

// `lines` with a stray line before each, joined by CR LF.
inline QByteArray withStrayLines(const QList<QByteArray>& lines, quint32 seed)
{
    QRandomGenerator rng(seed);
    QList<QByteArray> out;
    for (const QByteArray& line : lines) {
        out << strayLine(rng) << line;
    }
    return out.join("\r\n") + "\r\n";
}

// Lines as bytes, without their breaks.
inline QList<QByteArray> byteLinesOf(const QByteArray& bytes)
{
    return splitRawLines(bytes);
}

inline QList<QByteArray> fileByteLines(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? byteLinesOf(f.readAll()) : QList<QByteArray>();
}

// Removes every line of `expected` from `actual` (each once); false and the
// first missing line in *missing when one is not there.
inline bool takeAll(const QList<QByteArray>& expected, QList<QByteArray>& actual, QByteArray* missing)
{
    for (const QByteArray& line : expected) {
        if (!actual.removeOne(line)) {
            *missing = line;
            return false;
        }
    }
    return true;
}

} // namespace nox::test
