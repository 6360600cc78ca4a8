#include "store/journalfile.h"

#include "core/textfile.h"

#include <QFile>
#include <QFileInfo>
#include <QtEndian>

#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace nox
{

namespace
{

constexpr char kJournalMark[8] = {'N', 'o', 'x', 'J', 'r', 'n', 'l', '1'};

quint64 fnv1a(QByteArrayView bytes)
{
    quint64 h = 0xcbf29ce484222325ULL;
    for (const char c : bytes) {
        h ^= quint8(c);
        h *= 0x100000001b3ULL;
    }
    return h;
}

qint64 nanoseconds(const timespec& t)
{
    return qint64(t.tv_sec) * 1000000000LL + t.tv_nsec;
}

// Writes all of it at `pos`, retrying after EINTR; 0 or the errno.
int writeAllAt(int fd, const char* data, qint64 size, qint64 pos)
{
    while (size > 0) {
        const ssize_t n = ::pwrite(fd, data, size_t(size), off_t(pos));
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return n < 0 ? errno : ENOSPC;
        }
        data += n;
        size -= n;
        pos += n;
    }
    return 0;
}

QString reasonOf(int err)
{
    return QString::fromLocal8Bit(std::strerror(err));
}

// The part of each page that `count` bytes from `start` cover: calls
// step(page, offset in the page, bytes done before it, bytes in this page) until
// it returns false. Returns the bytes done.
template <typename Step> qint64 forEachPagePart(qint64 start, qint64 count, Step step)
{
    qint64 done = 0;
    while (done < count) {
        const qint64 at = start + done;
        const qint64 offset = at % kJournalPageSize;
        const qint64 part = qMin(count - done, kJournalPageSize - offset);
        if (!step(at / kJournalPageSize, offset, done, part)) {
            break;
        }
        done += part;
    }
    return done;
}

} // namespace

QByteArray journalBytes(qint64 size, const std::map<qint64, QByteArray>& originals)
{
    QByteArray out(kJournalHeaderSize, '\0');
    std::memcpy(out.data(), kJournalMark, sizeof kJournalMark);
    qToLittleEndian<qint64>(size, out.data() + 8);
    qToLittleEndian<qint32>(kJournalPageSize, out.data() + 16);
    qToLittleEndian<qint32>(qint32(originals.size()), out.data() + 20);
    for (const auto& [page, bytes] : originals) {
        char head[kJournalImageHeaderSize];
        qToLittleEndian<qint64>(page, head);
        qToLittleEndian<qint32>(qint32(bytes.size()), head + 8);
        out.append(head, kJournalImageHeaderSize);
        out.append(bytes);
    }
    char hash[kJournalHashSize];
    qToLittleEndian<quint64>(fnv1a(out), hash);
    out.append(hash, kJournalHashSize);
    return out;
}

bool parseJournal(const QByteArray& bytes, qint64* size, std::map<qint64, QByteArray>* originals)
{
    if (bytes.size() < kJournalHeaderSize + kJournalHashSize ||
        std::memcmp(bytes.constData(), kJournalMark, sizeof kJournalMark) != 0) {
        return false;
    }
    const qsizetype body = bytes.size() - kJournalHashSize;
    if (fnv1a(QByteArrayView(bytes).first(body)) != qFromLittleEndian<quint64>(bytes.constData() + body)) {
        return false;
    }
    *size = qFromLittleEndian<qint64>(bytes.constData() + 8);
    const qint32 pageSize = qFromLittleEndian<qint32>(bytes.constData() + 16);
    const qint32 count = qFromLittleEndian<qint32>(bytes.constData() + 20);
    if (*size < 0 || pageSize != kJournalPageSize || count < 0) {
        return false;
    }
    originals->clear();
    qsizetype at = kJournalHeaderSize;
    for (qint32 i = 0; i < count; ++i) {
        if (body - at < kJournalImageHeaderSize) {
            return false;
        }
        const qint64 page = qFromLittleEndian<qint64>(bytes.constData() + at);
        const qint32 length = qFromLittleEndian<qint32>(bytes.constData() + at + 8);
        at += kJournalImageHeaderSize;
        if (page < 0 || length < 0 || length > kJournalPageSize || body - at < length ||
            page * kJournalPageSize + length > *size) {
            return false;
        }
        (*originals)[page] = bytes.mid(at, length);
        at += length;
    }
    return at == body;
}

JournalledFile::JournalledFile(QString path, QObject* parent) : QIODevice(parent), m_path(std::move(path)) {}

JournalledFile::~JournalledFile()
{
    close();
}

QString JournalledFile::journalPathOf(const QString& path)
{
    return path + QStringLiteral("-journal");
}

bool JournalledFile::openDescriptor()
{
    const QByteArray name = QFile::encodeName(m_path);
    do {
        m_fd = ::open(name.constData(), (m_writable ? O_RDWR : O_RDONLY) | O_CLOEXEC);
    } while (m_fd < 0 && errno == EINTR);
    return m_fd >= 0;
}

bool JournalledFile::open(OpenMode mode)
{
    close();
    m_writable = mode.testFlag(QIODevice::WriteOnly);
    if (!openDescriptor()) {
        setErrorString(reasonOf(errno));
        return false;
    }
    struct stat st {
    };
    ::fstat(m_fd, &st);
    m_fileSize = m_size = st.st_size;
    m_seen = DiskState();
    m_broken = false;
    m_swept = false;
    return QIODevice::open(mode | QIODevice::Unbuffered);
}

void JournalledFile::close()
{
    if (m_fd >= 0) {
        rollback();
        if (m_locked) {
            unlockDescriptor();
            m_locked = false;
        }
        ::close(m_fd);
        m_fd = -1;
    }
    if (isOpen()) {
        QIODevice::close();
    }
}

qint64 JournalledFile::size() const
{
    return m_fd >= 0 ? m_size : 0;
}

QString JournalledFile::failure(const QString& what, int err)
{
    return QStringLiteral("%1「%2」: %3").arg(what, m_path, reasonOf(err));
}

// An exclusive lock on the open file. A file system without locks (some
// network shares) is used unlocked: one process at a time is then up to the
// user, as it was before.
Status JournalledFile::lockDescriptor()
{
    while (::flock(m_fd, LOCK_EX) != 0) {
        if (errno == ENOLCK || errno == EOPNOTSUPP || errno == EINVAL) {
            return Status::success();
        }
        if (errno != EINTR) {
            return Status::failed(m_path, failure(QStringLiteral("ファイルをロックできません"), errno));
        }
    }
    return Status::success();
}

void JournalledFile::unlockDescriptor()
{
    ::flock(m_fd, LOCK_UN);
}

// Locks the file that `m_path` names now: when it was replaced (renamed
// over, restored from a backup) since it was opened, the new one is opened.
Status JournalledFile::lockCurrentFile()
{
    const QByteArray name = QFile::encodeName(m_path);
    for (int attempt = 0; attempt < 8; ++attempt) {
        if (Status locked = lockDescriptor(); !locked.ok()) {
            return locked;
        }
        struct stat named {
        };
        struct stat held {
        };
        if (::stat(name.constData(), &named) != 0) {
            unlockDescriptor();
            return Status::failed(m_path, failure(QStringLiteral("ファイルが見つかりません"), errno));
        }
        ::fstat(m_fd, &held);
        if (named.st_ino == held.st_ino && named.st_dev == held.st_dev) {
            m_locked = true;
            return Status::success();
        }
        unlockDescriptor();
        ::close(m_fd);
        if (!openDescriptor()) {
            return Status::failed(m_path, failure(QStringLiteral("ファイルを開けません"), errno));
        }
    }
    return Status::failed(m_path, QStringLiteral("ファイル「%1」が置き換えられ続けています").arg(m_path));
}

JournalledFile::DiskState JournalledFile::diskState() const
{
    DiskState s;
    struct stat st {
    };
    if (::fstat(m_fd, &st) != 0) {
        return s;
    }
    s.valid = true;
    s.inode = st.st_ino;
    s.size = st.st_size;
    s.mtimeNs = nanoseconds(st.st_mtim);
    s.ctimeNs = nanoseconds(st.st_ctim);
    s.head = QByteArray(int(qMin<qint64>(kWatchedHeadSize, st.st_size)), '\0');
    if (readAt(s.head.data(), s.head.size(), 0) != 0) {
        s.head.clear();
    }
    return s;
}

Status JournalledFile::beginAccess(bool* changed)
{
    *changed = false;
    if (m_fd < 0) {
        return Status::failed(m_path, QStringLiteral("ファイル「%1」が開かれていません").arg(m_path));
    }
    if (Status locked = lockCurrentFile(); !locked.ok()) {
        return locked;
    }
    if (QFileInfo::exists(journalPath())) {
        if (Status recovered = recoverJournal(); !recovered.ok()) {
            endAccess();
            return recovered;
        }
        *changed = true;
    }
    const DiskState now = diskState();
    if (m_seen.valid &&
        (now.inode != m_seen.inode || now.size != m_seen.size || now.mtimeNs != m_seen.mtimeNs ||
         now.ctimeNs != m_seen.ctimeNs || now.head != m_seen.head)) {
        *changed = true;
    }
    m_fileSize = m_size = now.size;
    return Status::success();
}

void JournalledFile::endAccess()
{
    rollback();
    if (!m_locked) {
        return;
    }
    m_seen = diskState();
    unlockDescriptor();
    m_locked = false;
}

// A journal left by an interrupted transaction: put the original pages back.
// Runs with the lock held, so no other process is writing the journal now.
Status JournalledFile::recoverJournal()
{
    if (!m_writable) {
        return Status::failed(m_path, QStringLiteral("「%1」には中断された書き込みが残っていますが、"
                                "読み取り専用で開いているため元に戻せません")
                     .arg(m_path));
    }
    QFile journal(journalPath());
    if (!journal.open(QIODevice::ReadOnly)) {
        return Status::failed(m_path, QStringLiteral("ジャーナル「%1」を読めません: %2").arg(journalPath(), journal.errorString()));
    }
    qint64 size = 0;
    Pages originals;
    if (!parseJournal(journal.readAll(), &size, &originals)) {
        return Status::failed(m_path, QStringLiteral("ジャーナル「%1」が壊れているため、「%2」を元に戻せません")
                     .arg(journalPath(), m_path));
    }
    if (const int err = restore(originals, size)) {
        return Status::failed(m_path, failure(QStringLiteral("中断された書き込みを元に戻せません"), err));
    }
    return removeFile(journalPath());
}

// Temporary journals of writers killed while they wrote them (the file was
// not touched yet then). Runs with the lock held, so none is being written.
// The temporary files of journal writes that never got renamed: named
// ".<journal>.<suffix>" beside it. The folder also holds thousands of day
// files, so it is read once by name only; nothing else is looked at.
void JournalledFile::removeUnfinishedJournals()
{
    const QFileInfo info(journalPath());
    const QByteArray prefix = QFile::encodeName(QLatin1Char('.') + info.fileName() + QLatin1Char('.'));
    DIR* dir = ::opendir(QFile::encodeName(info.absolutePath()).constData());
    if (!dir) {
        return;
    }
    while (const dirent* entry = ::readdir(dir)) {
        if (std::strncmp(entry->d_name, prefix.constData(), size_t(prefix.size())) != 0) {
            continue;
        }
        struct stat st {
        };
        if (::fstatat(::dirfd(dir), entry->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(st.st_mode)) {
            ::unlinkat(::dirfd(dir), entry->d_name, 0);
        }
    }
    ::closedir(dir);
}

int JournalledFile::restore(const Pages& originals, qint64 size)
{
    for (const auto& [page, bytes] : originals) {
        if (const int err = writeAllAt(m_fd, bytes.constData(), bytes.size(), page * kJournalPageSize)) {
            return err;
        }
    }
    if (::ftruncate(m_fd, off_t(size)) != 0 || ::fsync(m_fd) != 0) {
        return errno;
    }
    m_fileSize = m_size = size;
    return 0;
}

int JournalledFile::readAt(char* data, qint64 size, qint64 pos) const
{
    while (size > 0) {
        const ssize_t n = ::pread(m_fd, data, size_t(size), off_t(pos));
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0) {
            return errno;
        }
        if (n == 0) {
            std::memset(data, 0, size_t(size)); // past the end of the file
            return 0;
        }
        data += n;
        size -= n;
        pos += n;
    }
    return 0;
}

qint64 JournalledFile::readData(char* data, qint64 maxSize)
{
    const qint64 start = pos();
    bool failed = false;
    const qint64 done =
        forEachPagePart(start, qMax<qint64>(0, qMin(maxSize, m_size - start)),
                        [&](qint64 page, qint64 offset, qint64 from, qint64 part) {
                            const auto it = m_dirty.find(page);
                            if (it != m_dirty.end()) {
                                std::memcpy(data + from, it->second.constData() + offset, size_t(part));
                            } else if (const int err = readAt(data + from, part, start + from)) {
                                setErrorString(reasonOf(err));
                                failed = true;
                            }
                            return !failed;
                        });
    return failed && done == 0 ? -1 : done;
}

QByteArray& JournalledFile::pageForWrite(qint64 page)
{
    auto it = m_dirty.find(page);
    if (it == m_dirty.end()) {
        QByteArray bytes(kJournalPageSize, '\0');
        const qint64 start = page * kJournalPageSize;
        const qint64 stored = qBound(qint64(0), m_fileSize - start, qint64(kJournalPageSize));
        if (readAt(bytes.data(), stored, start) != 0) {
            bytes.clear(); // the caller refuses the write
        }
        it = m_dirty.emplace(page, std::move(bytes)).first;
    }
    return it->second;
}

qint64 JournalledFile::writeData(const char* data, qint64 maxSize)
{
    if (!m_inTransaction || !m_writable || m_broken) {
        setErrorString(QStringLiteral("書き込みはトランザクションの中でのみ行えます"));
        return -1;
    }
    const qint64 start = pos();
    const qint64 done =
        forEachPagePart(start, maxSize, [&](qint64 page, qint64 offset, qint64 from, qint64 part) {
            QByteArray& bytes = pageForWrite(page);
            if (bytes.isEmpty()) {
                m_dirty.erase(page);
                setErrorString(QStringLiteral("ファイル「%1」を読めません").arg(m_path));
                return false;
            }
            std::memcpy(bytes.data() + offset, data + from, size_t(part));
            return true;
        });
    if (done < maxSize) {
        return -1;
    }
    m_size = qMax(m_size, start + maxSize);
    return maxSize;
}

void JournalledFile::beginTransaction()
{
    rollback();
    m_inTransaction = true;
}

void JournalledFile::rollback()
{
    m_dirty.clear();
    m_size = m_fileSize;
    m_inTransaction = false;
}

JournalledFile::Pages JournalledFile::originalImages() const
{
    Pages originals;
    for (const auto& entry : m_dirty) {
        const qint64 start = entry.first * kJournalPageSize;
        const qint64 stored = qMin<qint64>(kJournalPageSize, m_fileSize - start);
        if (stored <= 0) {
            continue; // the page lies past the old end: cutting the file undoes it
        }
        QByteArray bytes(int(stored), '\0');
        readAt(bytes.data(), stored, start);
        originals.emplace(entry.first, std::move(bytes));
    }
    return originals;
}

int JournalledFile::applyPages()
{
    for (const auto& [page, bytes] : m_dirty) {
        const qint64 start = page * kJournalPageSize;
        const qint64 length = qMin<qint64>(kJournalPageSize, m_size - start);
        if (const int fault = injectedWriteFault(m_path, WriteStep::Write)) {
            writeAllAt(m_fd, bytes.constData(), length / 2, start); // a short write
            return fault;
        }
        if (const int err = writeAllAt(m_fd, bytes.constData(), length, start)) {
            return err;
        }
    }
    if (const int fault = injectedWriteFault(m_path, WriteStep::Flush)) {
        return fault;
    }
    if (const int fault = injectedWriteFault(m_path, WriteStep::Sync)) {
        return fault;
    }
    return ::fsync(m_fd) == 0 ? 0 : errno;
}

Status JournalledFile::commit()
{
    if (!m_inTransaction) {
        return Status::success();
    }
    m_inTransaction = false;
    if (m_dirty.empty()) {
        return Status::success();
    }
    auto fail = [&](const QString& message) {
        rollback();
        reportWriteFailure(m_path, message);
        return Status::failed(m_path, message);
    };
    if (m_broken) {
        return fail(QStringLiteral("ファイル「%1」は前の書き込みに失敗したため書き込めません").arg(m_path));
    }
    if (!m_swept) {
        // Before the first journal of this opening, not at start-up: finding
        // them means reading the whole folder.
        removeUnfinishedJournals();
        m_swept = true;
    }
    const Pages originals = originalImages();
    if (const Status written = writeFileAtomic(journalPath(), journalBytes(m_fileSize, originals)); !written) {
        return fail(written.message()); // the file itself was not touched
    }
    int err = applyPages();
    if (err == 0 && !removeFile(journalPath())) {
        err = EIO; // the journal would undo this write at the next access: undo it now
    }
    if (err != 0) {
        const qint64 oldSize = m_fileSize;
        if (restore(originals, oldSize) == 0) {
            // A journal that cannot go is rolled back at the next access,
            // which puts back these same pages.
            static_cast<void>(removeFile(journalPath()));
        } else {
            m_broken = true; // the journal stays; the next open rolls it back
        }
        return fail(writeErrorMessage(m_path, err));
    }
    syncParentFolder(m_path);
    m_fileSize = m_size;
    m_dirty.clear();
    return Status::success();
}

} // namespace nox
