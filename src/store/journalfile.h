#pragma once
// A file changed only in transactions that survive a crash: the device under
// the keyed record file ("memo.nox"). Writes of a transaction are held in
// memory; commit() first writes a rollback journal beside the file
// ("memo.nox-journal": the original bytes of every page the transaction
// changes and the file's old size), synced and atomically in place, then
// writes the pages, syncs the file and deletes the journal. Deleting the
// journal is the moment the transaction is done. A journal found later (the
// process was killed or the machine stopped) is rolled back: the original
// pages go back and the file is cut to its old size, which gives exactly the
// file before the interrupted transaction. The file's format is unchanged.
//
// Journal layout (integers little-endian):
//   offset  size  content
//   0       8     mark "NoxJrnl1"
//   8       8     size of the file before the transaction
//   16      4     page size (kJournalPageSize)
//   20      4     number n of page images
//   24      ...   n page images: 8 page number, 4 length L, L original bytes
//   end-8   8     FNV-1a 64-bit hash of every byte before it
//
// Several processes (the program and noxtool) may hold the file open: every
// access happens between beginAccess() and endAccess(), which hold an
// exclusive lock on the file (flock), roll back a journal left behind, and
// tell whether another process changed the file since this one last saw it
// (size, times, inode and the first bytes of the file), so that cached parts
// of it can be dropped.
#include <QByteArray>
#include <QIODevice>
#include <QString>

#include <map>

#include "core/status.h"

namespace nox
{

constexpr int kJournalPageSize = 4096;
constexpr int kJournalHeaderSize = 24;
constexpr int kJournalHashSize = 8;
constexpr int kJournalImageHeaderSize = 12;
// First bytes compared to notice a change by another process: the file and
// index headers of the record file.
constexpr int kWatchedHeadSize = 28;

class JournalledFile : public QIODevice
{
    Q_OBJECT
public:
    explicit JournalledFile(QString path, QObject* parent = nullptr);
    ~JournalledFile() override;

    // "<path>-journal".
    static QString journalPathOf(const QString& path);
    QString path() const { return m_path; }
    QString journalPath() const { return journalPathOf(m_path); }

    // Opens an existing file (ReadWrite or ReadOnly); never creates one.
    bool open(OpenMode mode) override;
    void close() override;
    bool isSequential() const override { return false; }
    // The size including the writes of the open transaction.
    qint64 size() const override;

    // Takes the file's lock and rolls back a journal left behind (the file
    // must then be writable). *changed tells whether the file differs from
    // what this object saw at its last endAccess() (a rollback counts).
    // Fails when the lock or the rollback failed; the
    // lock is then not held.
    Status beginAccess(bool* changed);
    // Remembers the file's state and releases the lock.
    void endAccess();
    bool isLocked() const { return m_locked; }

    // Writes are accepted only inside a transaction (within an access).
    void beginTransaction();
    bool inTransaction() const { return m_inTransaction; }
    // Makes the transaction's writes durable as described above. On failure
    // the file is as it was before the transaction (or, when even restoring
    // it failed, its journal is left for the next access to roll back and
    // this object refuses further writes); the status names the file and reason.
    Status commit();
    // Drops the transaction's writes.
    void rollback();

protected:
    qint64 readData(char* data, qint64 maxSize) override;
    qint64 writeData(const char* data, qint64 maxSize) override;

private:
    struct DiskState {
        bool valid = false;
        quint64 inode = 0;
        qint64 size = 0;
        qint64 mtimeNs = 0;
        qint64 ctimeNs = 0;
        QByteArray head;
    };
    using Pages = std::map<qint64, QByteArray>; // page number -> bytes

    bool openDescriptor();
    Status lockDescriptor();
    void unlockDescriptor();
    Status lockCurrentFile();
    DiskState diskState() const;
    Status recoverJournal();
    void removeUnfinishedJournals();
    int restore(const Pages& originals, qint64 size);
    Pages originalImages() const;
    int applyPages();
    int readAt(char* data, qint64 size, qint64 pos) const;
    QByteArray& pageForWrite(qint64 page);
    QString failure(const QString& what, int err);

    QString m_path;
    int m_fd = -1;
    bool m_writable = false;
    bool m_locked = false;
    bool m_inTransaction = false;
    bool m_broken = false; // a failed commit could not be undone in place
    bool m_swept = false;  // the leftovers of killed journal writers are gone
    qint64 m_fileSize = 0; // the file's size on disk
    qint64 m_size = 0;     // with the transaction's writes
    Pages m_dirty;
    DiskState m_seen;
};

// The bytes of a journal for a file of `size` bytes with these original pages.
QByteArray journalBytes(qint64 size, const std::map<qint64, QByteArray>& originals);
// Parses a journal; false when it is not a whole, intact journal.
bool parseJournal(const QByteArray& bytes, qint64* size, std::map<qint64, QByteArray>* originals);

} // namespace nox
