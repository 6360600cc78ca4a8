#pragma once
// The keyed record file: text records under 32-bit keys with the B-tree
// index of btrkeys.h in the same file (layout in btrformat.h). Records are
// only appended; a record that no longer fits its place is abandoned and
// written again at the end.
//
// Result codes (btrformat.h): kOk 0, kCreateFailed 231, kOpenFailed 244,
// kNotFound -4, kIoError -999 (input/output error or damaged file). After
// damage has been seen the file is treated as read-only until reopened:
// nothing is ever written over a damaged file.
//
// A file on disk is kept through a JournalledFile: every append, write and
// remove is one transaction that either lands whole or leaves the file as it
// was, also when the process is killed or the disk is full (the old record of
// a key stays readable until the new one is stored). Every operation locks
// the file against other processes, rolls back a write that one of them left
// unfinished, and drops the cached index nodes when another process changed
// the file since this one last looked at it.
#include "store/btrkeys.h"

#include <QByteArray>
#include <QString>

#include <functional>
#include <memory>

class QIODevice;

#include "core/status.h"

namespace nox
{

class JournalledFile;

// Structural check of a whole record file (index, free list, records).
struct RecordFileCheck {
    bool ok = false;
    QString error; // first problem, empty when ok
    BtrCheckReport index;
    int records = 0;
};

class RecordFile
{
public:
    RecordFile();
    ~RecordFile(); // closes
    RecordFile(const RecordFile&) = delete;
    RecordFile& operator=(const RecordFile&) = delete;

    // Writes a new file (16-byte header with mark 100 and the current time,
    // then an empty index): 1232 bytes, put in place atomically. An existing
    // file is never replaced. A failure says why; *exists tells whether it
    // was an existing file.
    static Status create(const QString& path, bool* exists = nullptr);

    // Opens for reading and writing (read-only when the file is not
    // writable), rolling back a write left unfinished. Returns kOk,
    // kOpenFailed when it cannot be opened, its header cannot be read or an
    // unfinished write cannot be rolled back, kIoError when its index root is
    // damaged.
    int open(const QString& path);
    // The same on an already open device (tests and fuzzing use a QBuffer);
    // no journal, no locking.
    int openDevice(std::unique_ptr<QIODevice> device);
    // Flushes the index and closes. Safe to call when closed.
    void close();
    bool isOpen() const { return m_index != nullptr; }
    bool isReadOnly() const;
    QString lastError() const { return m_lastError; }
    QString path() const { return m_path; }

    // Appends the record at the end of the file and indexes it. kOk or kIoError.
    int append(qint32 key, const QByteArray& text);
    // kOk and the text, kNotFound and an empty text, or kIoError.
    int read(qint32 key, QByteArray& text);
    // read() of many keys under one access of the file: `each` is called for
    // every key in order with its result and text. Returns kOk, or the error
    // that kept the file from being read at all (then `each` is not called).
    int readEach(const QList<qint32>& keys,
                 const std::function<void(qint32 key, int result, const QByteArray& text)>& each);
    // Removes the key from the index; the record bytes stay, unreachable.
    // kOk, kNotFound or kIoError.
    int remove(qint32 key);
    // Stores the text under the key: in place when the stored record is long
    // enough, else appended anew. kOk or kIoError.
    int write(qint32 key, const QByteArray& text);

    // Walks everything: node counts and order, positions, cycles, the free
    // list, and every record's header and key.
    RecordFileCheck check();

    // Checks a file on disk. Changes it only to roll back a write that a
    // killed process left unfinished.
    static RecordFileCheck checkFile(const QString& path);

    // Index access for tests and diagnostics; null when closed.
    TBtrKey* index() { return m_index.get(); }

private:
    struct RecordHeader {
        qint32 length = 0;
        qint32 key = 0;
    };
    bool readRecordHeader(qint64 pos, RecordHeader& header, QString& why);
    int fail(int code, const QString& why);
    int damaged(const QString& why);
    int refuseIfReadOnly();
    int loadIndex();
    int beginAccess();
    void endAccess();
    // Runs a change as one transaction within an access: committed when it
    // returns kOk (or `alsoCommit`), else dropped with the cached index.
    int change(const std::function<int()>& op, int alsoCommit = btr::kOk);
    int appendRecord(qint32 key, const QByteArray& text);
    int writeRecord(qint32 key, const QByteArray& text);
    int readRecord(qint32 key, QByteArray& text);
    int removeRecord(qint32 key);
    RecordFileCheck checkRecords();

    std::unique_ptr<QIODevice> m_device;
    JournalledFile* m_journal = nullptr; // m_device, when it is a file on disk
    std::unique_ptr<TBtrKey> m_index;
    QString m_path;
    QString m_lastError;
    bool m_writable = false;
    bool m_damaged = false; // a record was found damaged: no more writes
};

} // namespace nox
