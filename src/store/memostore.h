#pragma once
// Day memos: one free text per date in the keyed record file "memo.nox" of
// the data folder, keyed by the date's day number (5 March 2003 -> 37685).
//
// Texts cross this interface with "\n" line breaks (as editors hold them);
// records store them UTF-8 with CR LF. Reading accepts UTF-8 and falls back
// to CP932 for records written on Windows in Shift-JIS. An emptied memo is
// stored as an empty record; day memos are never deleted.
//
// The memo panes are widgets of the main window; their save-only-when-
// modified logic lives here on plain values (MemoPaneState).
#include "core/filestamp.h"
#include "core/status.h"
#include "store/recordfile.h"

#include <QDate>
#include <QList>
#include <QString>

#include <functional>

namespace nox
{

// Key of a date in "memo.nox": its day number as a signed 32-bit integer.
qint32 memoKey(const QDate& date);

// What a memo pane holds: its text and whether the user typed since the last
// load or save.
struct MemoPaneState {
    QString text;
    bool modified = false;
};

class MemoStore
{
public:
    static constexpr const char* kFileName = "memo.nox";

    MemoStore() = default;
    ~MemoStore() { close(); }

    // Opens "<dataFolder>/memo.nox", creating it first when it does not exist
    // (an existing file is never replaced), and rolls back a write that a
    // killed process left unfinished. Fails when the file cannot be made or
    // opened, or is damaged (the message says which). While not open every
    // read is empty and every save does nothing.
    Status open(const QString& dataFolder);
    void close();
    bool isOpen() const { return m_file.isOpen(); }
    QString lastError() const { return m_createError.isEmpty() ? m_file.lastError() : m_createError; }
    QString path() const { return m_path; }

    // The memo of the date; empty when there is none (or on any error).
    QString read(const QDate& date);
    // The outcome of the last read: ok, NotFound (the day has no record), or
    // Failed (the file cannot be read, or the store is closed).
    Status lastRead() const;
    bool hasMemo(const QDate& date) { return !read(date).isEmpty(); }
    // hasMemo of `count` days from `first` on, in one reading of the file.
    QList<bool> hasMemos(const QDate& first, int count);
    // read() of `count` days from `first` on, in one reading of the file.
    QStringList readDays(const QDate& first, int count);
    // Stores the text (replacing in place or appending). Fails also when
    // the store is not open.
    Status write(const QDate& date, const QString& text);

    // Loads a pane: its text becomes the date's memo, modified cleared.
    void loadPane(MemoPaneState& pane, const QDate& date);
    // Saves a pane only when it is modified; clears the flag when stored.
    // A failed write keeps the flag so a later save tries again.
    // Succeeds when nothing had to be saved or it was stored.
    Status savePane(MemoPaneState& pane, const QDate& date);
    // The same for a pane the caller keeps elsewhere (a widget).
    Status savePane(const QString& text, bool& modified, const QDate& date);
    // Saves pane i for baseDate + i, i = 0, 1, ... Returns the first failure, else success.
    Status saveRow(QList<MemoPaneState>& panes, const QDate& baseDate);
    Status saveRow(int paneCount, const QDate& baseDate, const std::function<MemoPaneState*(int index)>& paneAt);

    RecordFile& recordFile() { return m_file; }

private:
    // Another program (noxtool) may have written the file since this store
    // last did: its index nodes held in memory are then stale and are read
    // again (the file is reopened). Before a write also when the stamp is too
    // recent to tell a change.
    void reopenIfChanged(bool beforeWrite);
    // The stored records of `count` days from `first` on, in one access:
    // `each` gets the day's offset and its bytes for every day that has one.
    void readRecords(const QDate& first, int count,
                     const std::function<void(int day, const QByteArray& bytes)>& each);
    void noteStamp();
    // The record file's code as a status that names the file.
    Status statusOf(int code) const;

    RecordFile m_file;
    QString m_path;
    QString m_createError;
    FileStamp m_stamp; // of the file after this store's last open or write
    int m_lastReadResult = btr::kOpenFailed;
};

// Record bytes of a memo text: line breaks become CR LF, UTF-8.
QByteArray encodeMemoText(const QString& text);
// Memo text of record bytes: UTF-8 else CP932, line breaks become "\n".
QString decodeMemoText(const QByteArray& bytes);

} // namespace nox
