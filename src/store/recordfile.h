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
#include "store/btrkeys.h"

#include <QByteArray>
#include <QString>

#include <memory>

class QIODevice;

namespace nox
{

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
    // then an empty index): 1232 bytes. Replaces `path` atomically.
    // Returns kOk or kCreateFailed.
    static int create(const QString& path);

    // Opens for reading and writing (read-only when the file is not
    // writable). Returns kOk, kOpenFailed when it cannot be opened or its
    // header cannot be read, kIoError when its index root is damaged.
    int open(const QString& path);
    // The same on an already open device (tests and fuzzing use a QBuffer).
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
    // Removes the key from the index; the record bytes stay, unreachable.
    // kOk, kNotFound or kIoError.
    int remove(qint32 key);
    // Stores the text under the key: in place when the stored record is long
    // enough, else appended anew. kOk or kIoError.
    int write(qint32 key, const QByteArray& text);

    // Walks everything: node counts and order, positions, cycles, the free
    // list, and every record's header and key.
    RecordFileCheck check();

    // Checks a file on disk without changing it.
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

    std::unique_ptr<QIODevice> m_device;
    std::unique_ptr<TBtrKey> m_index;
    QString m_path;
    QString m_lastError;
    bool m_writable = false;
    bool m_damaged = false; // a record was found damaged: no more writes
};

} // namespace nox
