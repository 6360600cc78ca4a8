#pragma once
// The files of the free memo notebook, all directly in the data folder:
//
//   "memoindex.txt"   one line per tab in tab order: title, TAB, number
//                     (decimal, > 0). It exists only while there is a tab.
//   "memo<n>.txt"     the text of memo number n ("memo3.txt"). A memo with
//                     an empty text has no file.
//
// Both are this program's text files: written UTF-8 with CR LF after every
// line, atomically; read line by line as UTF-8, a line that is not UTF-8 as
// CP932 (files written on Windows). Such a line keeps its bytes when it is
// written back unchanged.
//
// Damage policy of the index: a line without a number above 0, or with a
// number an earlier line already uses, names no tab; it is counted, and kept
// as it was (after the tabs' lines) whenever the index is written again.
#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

#include "core/status.h"

namespace nox::freememo
{

inline constexpr char kIndexFileName[] = "memoindex.txt";

// Lines of a file as decoded, and the bytes of each line that was not UTF-8.
using LegacyLines = QHash<QString, QByteArray>;

// Splits `bytes` at CR LF, LF or CR (a final line break adds no empty line)
// and decodes every line by itself; lines that were not written as UTF-8 are
// entered into *legacy with their bytes.
QStringList decodeLines(const QByteArray& bytes, LegacyLines* legacy);
// Every line followed by CR LF: the recorded bytes for a line found in
// `legacy`, UTF-8 for every other line.
QByteArray encodeLines(const QStringList& lines, const LegacyLines& legacy);

// A memo text (lines joined by "\n") as lines, and back.
QStringList memoTextLines(const QString& text);
QString memoTextFromLines(const QStringList& lines);

struct IndexEntry {
    QString title;
    int number = 0;
    bool operator==(const IndexEntry&) const = default;
};

// One tab as loaded.
struct LoadedMemo {
    QString title;
    int number = 0;
    QString text;
    // false: the memo file exists but could not be read; its text is empty
    // here and the file must not be overwritten.
    bool readable = true;
};

struct LoadResult {
    QList<LoadedMemo> memos;
    int skippedIndexLines = 0;
    QStringList errors; // one message per file that could not be read, naming it
};

// The notebook's files in one data folder. Between a load and the writes that
// follow it remembers the bytes of lines that were not UTF-8, the index lines
// that name no tab, and what the index file holds, so that an unchanged index
// is not written again.
class FreeMemoFiles
{
public:
    explicit FreeMemoFiles(QString dataFolder);

    QString indexPath() const;
    QString memoPath(int number) const;

    // Reads the index and the memo file of each of its tabs. A missing index
    // or memo file reads as empty and is not an error.
    LoadResult load();

    // Writes the text of memo `number`; an empty text removes its file
    // instead. Fails naming the file when that fails; the file then keeps
    // what it held.
    Status writeMemo(int number, const QString& text);
    // Removes the memo's file if it exists; fails when it stays.
    Status removeMemo(int number);
    // Writes the index for `entries` (tab order), followed by the kept lines.
    // With neither, the index file is removed. Nothing is written when the
    // file already holds exactly these bytes.
    Status writeIndex(const QList<IndexEntry>& entries);

private:
    QString m_folder;
    QHash<int, LegacyLines> m_memoLegacy;
    LegacyLines m_indexLegacy;
    QList<QByteArray> m_keptIndexLines;
    QByteArray m_indexOnDisk; // the bytes the index holds; empty: no file
};

} // namespace nox::freememo
