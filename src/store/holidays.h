#pragma once
// The holiday list: "holiday.txt" lines "yyyy/MM/dd<TAB>name", kept sorted by
// their date key. Loaded from the data folder, else from the default folder.
#include <QDate>
#include <QString>
#include <QStringList>

#include <map>

#include "core/status.h"

namespace nox
{

// The holiday object carried by each key of the list.
struct THolidayStr {
    QString Name;
    // Made by the holiday law for a year after the list's last one; never
    // written to "holiday.txt".
    bool Generated = false;
};

// What a list file read or write did; the status fails when a file exists
// but could not be read or written.
struct ListFile {
    QString source;       // the file read (empty when none existed)
    int ignoredLines = 0; // lines skipped while reading (no tab)
};
using ListFileResult = Result<ListFile>;

// Reads `fileName` from the data folder, else from the default folder (empty
// folders are passed over). Fills result->source and, when the file found
// cannot be read, the status of `result`. Returns the lines of the file read; none
// when neither file exists or the one found is unreadable.
QStringList readListFile(const char* fileName, const QString& dataFolder, const QString& defaultFolder,
                         ListFileResult& result);

// Writes `lines` to "<dataFolder>/<fileName>" (CR LF, atomic). A line equal
// to a line of the file there keeps that line's bytes (and a leading
// byte-order mark stays); other lines are UTF-8. An existing file that
// cannot be read is not replaced.
ListFileResult saveListFile(const char* fileName, const QString& dataFolder, const QStringList& lines);

class HolidayList
{
public:
    static constexpr const char* kFileName = "holiday.txt";

    // Key of a date: "yyyy/MM/dd".
    static QString keyOf(const QDate& date);
    // The date of a key; invalid for any text that is not "yyyy/MM/dd".
    static QDate dateOfKey(QStringView key);

    // Clears the list, then reads "<dataFolder>/holiday.txt", else
    // "<defaultFolder>/holiday.txt"; neither existing leaves it empty. Empty
    // lines and lines without a tab are ignored; the key is the text before
    // the first tab, the name everything after it. A repeated key keeps its
    // first name; those lines and the lines without a tab are kept and
    // written back after the entries by save().
    ListFileResult load(const QString& dataFolder, const QString& defaultFolder);
    // Adds the holidays of the law (generated entries) for every year after
    // the last year the list covers — the last year whose 1 January it holds
    // — up to 2150. A date already listed keeps its entry. An empty list, or
    // one that holds no 1 January, gets none.
    void extendByLaw();
    // Writes every entry but the generated ones (sorted by key) as key, tab, name to
    // "<dataFolder>/holiday.txt", then the kept lines (saveListFile).
    ListFileResult save(const QString& dataFolder) const;
    // Both with the program's folders (nox::folders).
    ListFileResult load();
    ListFileResult save() const;

    // Adds or renames; returns false when the key already exists (nothing changes).
    bool add(const QString& key, const QString& name);
    // Adds or renames; the entry is the user's (not generated) afterwards.
    void set(const QString& key, const QString& name);
    void setGenerated(const QString& key, const QString& name);
    bool remove(const QString& key);
    void clear() { m_items.clear(); }

    bool contains(const QString& key) const { return m_items.count(key) != 0; }
    // The name of the key, empty when it is not a holiday.
    QString name(const QString& key) const;
    QString name(const QDate& date) const { return name(keyOf(date)); }
    bool isHoliday(const QDate& date) const { return contains(keyOf(date)); }
    int count() const { return int(m_items.size()); }
    bool isEmpty() const { return m_items.empty(); }
    QStringList keys() const;
    const std::map<QString, THolidayStr>& items() const { return m_items; }

    // Parses "holiday.txt" lines into the list (after clearing it). Returns
    // the number of lines ignored.
    int parseLines(const QStringList& lines);
    // The entries as "holiday.txt" lines (the kept lines and the generated
    // entries not included).
    QStringList toLines() const;
    // Lines of the file that are no entry (no tab, or a repeated key).
    const QStringList& keptLines() const { return m_kept; }

private:
    std::map<QString, THolidayStr> m_items;
    QStringList m_kept;
};

} // namespace nox
