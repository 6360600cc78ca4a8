#include "store/recordfile.h"

#include "core/datetime.h"
#include "core/textfile.h"
#include "store/journalfile.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QtEndian>

#include <algorithm>
#include <vector>

namespace nox
{

using namespace btr;

namespace
{

QByteArray int32Bytes(qint32 v)
{
    QByteArray b(4, '\0');
    qToLittleEndian<qint32>(v, b.data());
    return b;
}

QByteArray freshFileBytes()
{
    QBuffer buffer;
    buffer.open(QIODevice::ReadWrite);
    QByteArray header(kFileHeaderSize, '\0');
    qToLittleEndian<qint32>(kFormatMark, header.data() + kFileMarkOffset);
    qToLittleEndian<qint32>(0, header.data() + kFileZeroOffset);
    const double now = toDateTime(QDateTime::currentDateTime());
    qToLittleEndian<double>(now, header.data() + kFileDateOffset);
    buffer.write(header);
    {
        TBtrKey index(&buffer, kMemoKeySize, -1);
        if (index.openResult() != kOk) {
            return {};
        }
    }
    return buffer.data();
}

} // namespace

RecordFile::RecordFile() = default;

RecordFile::~RecordFile()
{
    close();
}

Status RecordFile::create(const QString& path, bool* exists)
{
    if (exists) {
        *exists = false;
    }
    const QByteArray bytes = freshFileBytes();
    if (bytes.size() != kFreshMemoFileSize) {
        return Status::failed(path, QStringLiteral("cannot build a new record file"));
    }
    Status created = createFileAtomic(path, bytes);
    if (!created && exists) {
        *exists = QFileInfo::exists(path);
    }
    return created;
}

int RecordFile::open(const QString& path)
{
    close();
    m_lastError.clear();
    auto file = std::make_unique<JournalledFile>(path);
    bool ok = file->open(QIODevice::ReadWrite);
    if (!ok && QFileInfo::exists(path)) {
        ok = file->open(QIODevice::ReadOnly);
    }
    if (!ok) {
        return fail(kOpenFailed, QStringLiteral("cannot open %1: %2").arg(path, file->errorString()));
    }
    m_journal = file.get();
    m_device = std::move(file);
    m_path = path;
    m_damaged = false;
    int r = beginAccess();
    if (r == kOk) {
        r = loadIndex();
        endAccess();
    } else {
        r = kOpenFailed;
    }
    if (r != kOk) {
        const QString why = m_lastError;
        close();
        m_lastError = why;
    }
    return r;
}

int RecordFile::openDevice(std::unique_ptr<QIODevice> device)
{
    close();
    m_lastError.clear();
    if (!device || !device->isOpen()) {
        return fail(kOpenFailed, QStringLiteral("the file is not open"));
    }
    m_device = std::move(device);
    m_damaged = false;
    const int r = loadIndex();
    if (r != kOk) {
        m_device.reset();
    }
    return r;
}

// Reads the header and sets up the index on m_device (freshly: cached nodes
// of an earlier index are dropped).
int RecordFile::loadIndex()
{
    m_index.reset();
    // The 16-byte file header is read back but not checked.
    QByteArray header(kFileHeaderSize + kIndexHeaderSize, '\0');
    if (!m_device->seek(0) || m_device->read(header.data(), header.size()) != header.size()) {
        return fail(kOpenFailed, QStringLiteral("the file is shorter than its header"));
    }
    m_writable = m_device->isWritable();
    auto index = std::make_unique<TBtrKey>(m_device.get(), kMemoKeySize, kMemoIndexHeaderPos);
    if (index->openResult() != kOk) {
        return fail(kIoError, QStringLiteral("damaged index: ") + index->lastError());
    }
    m_index = std::move(index);
    return kOk;
}

void RecordFile::close()
{
    m_index.reset(); // flushes
    m_device.reset();
    m_journal = nullptr;
    m_path.clear();
}

int RecordFile::beginAccess()
{
    if (!m_journal) {
        return kOk;
    }
    bool changed = false;
    if (const Status locked = m_journal->beginAccess(&changed); !locked) {
        return fail(kIoError, locked.message());
    }
    if (changed && m_index) {
        // Another process wrote it (or an unfinished write was rolled back):
        // the cached nodes may be stale, and damage seen before may be gone.
        m_damaged = false;
        if (const int r = loadIndex(); r != kOk) {
            endAccess();
            return r;
        }
    }
    return kOk;
}

void RecordFile::endAccess()
{
    if (m_journal) {
        m_journal->endAccess();
    }
}

int RecordFile::change(const std::function<int()>& op, int alsoCommit)
{
    if (const int r = beginAccess(); r != kOk) {
        return r;
    }
    int r = refuseIfReadOnly();
    if (r != kOk) {
        endAccess();
        return r;
    }
    if (!m_journal) {
        return op();
    }
    m_journal->beginTransaction();
    r = op();
    const bool done = r == kOk || r == alsoCommit;
    if (done) {
        if (const Status committed = m_journal->commit(); !committed) {
            r = fail(kIoError, committed.message());
        }
    }
    if (r != kOk && r != alsoCommit) {
        // Nothing of it reached the file: forget the nodes it changed.
        m_journal->rollback();
        const QString error = m_lastError;
        loadIndex();
        m_lastError = error;
        // A change that failed by itself met damage: no more writes. One
        // that failed to be stored (a full disk) may be tried again.
        m_damaged = m_damaged || !done;
    }
    endAccess();
    return r;
}

bool RecordFile::isReadOnly() const
{
    return !m_writable || m_damaged || (m_index && m_index->isReadOnly());
}

int RecordFile::fail(int code, const QString& why)
{
    m_lastError = why;
    return code;
}

int RecordFile::damaged(const QString& why)
{
    m_damaged = true;
    return fail(kIoError, why);
}

int RecordFile::refuseIfReadOnly()
{
    if (!m_index) {
        return fail(kIoError, QStringLiteral("the file is not open"));
    }
    if (!m_writable) {
        return fail(kIoError, QStringLiteral("the file is read-only"));
    }
    if (m_damaged) {
        return fail(kIoError, QStringLiteral("the file is damaged and left unchanged"));
    }
    if (m_index->isReadOnly()) {
        return fail(kIoError,
                    QStringLiteral("the file is damaged and left unchanged: ") + m_index->lastError());
    }
    return kOk;
}

bool RecordFile::readRecordHeader(qint64 pos, RecordHeader& header, QString& why)
{
    const qint64 size = m_device->size();
    if (pos < m_index->headerPos() + kIndexHeaderSize || pos + kRecordHeaderSize > size) {
        why = QStringLiteral("record position %1 out of range").arg(pos);
        return false;
    }
    uchar h[kRecordHeaderSize];
    if (!m_device->seek(pos) ||
        m_device->read(reinterpret_cast<char*>(h), kRecordHeaderSize) != kRecordHeaderSize) {
        why = QStringLiteral("record at %1 cannot be read").arg(pos);
        return false;
    }
    header.length = qFromLittleEndian<qint32>(h + kRecordLengthOffset);
    header.key = qFromLittleEndian<qint32>(h + kRecordKeyOffset);
    if (header.length < 4 || pos + kRecordKeyOffset + qint64(header.length) > size) {
        why = QStringLiteral("record at %1 has an impossible length %2").arg(pos).arg(header.length);
        return false;
    }
    return true;
}

int RecordFile::append(qint32 key, const QByteArray& text)
{
    return change([&] { return appendRecord(key, text); });
}

int RecordFile::appendRecord(qint32 key, const QByteArray& text)
{
    const qint64 pos = m_device->size();
    const qint64 length = 4 + qint64(text.size());
    if (pos + kRecordKeyOffset + length + m_index->nodeSize() * 3 > kMaxFilePos) {
        return fail(kIoError, QStringLiteral("the file is full"));
    }
    const QByteArray bytes = int32Bytes(qint32(length)) + int32Bytes(key) + text;
    if (!m_device->seek(pos) || m_device->write(bytes) != bytes.size()) {
        return fail(kIoError, QStringLiteral("cannot write the record: ") + m_device->errorString());
    }
    m_index->setKey(key);
    if (m_index->Insert(pos) != kOk) {
        return fail(kIoError, m_index->lastError());
    }
    return kOk;
}

int RecordFile::read(qint32 key, QByteArray& text)
{
    text.clear();
    if (const int r = beginAccess(); r != kOk) {
        return r;
    }
    const int r = readRecord(key, text);
    endAccess();
    return r;
}

int RecordFile::readEach(const QList<qint32>& keys,
                         const std::function<void(qint32 key, int result, const QByteArray& text)>& each)
{
    if (const int r = beginAccess(); r != kOk) {
        return r;
    }
    QByteArray text;
    for (const qint32 key : keys) {
        text.clear();
        const int r = readRecord(key, text);
        each(key, r, text);
    }
    endAccess();
    return kOk;
}

int RecordFile::readRecord(qint32 key, QByteArray& text)
{
    if (!m_index) {
        return fail(kIoError, QStringLiteral("the file is not open"));
    }
    m_index->setKey(key);
    const qint64 pos = m_index->Find();
    if (pos == kNotFound) {
        return kNotFound;
    }
    if (pos < 0) {
        return fail(kIoError, m_index->lastError());
    }
    RecordHeader header;
    QString why;
    if (!readRecordHeader(pos, header, why)) {
        return damaged(why);
    }
    if (header.key != key) {
        return damaged(QStringLiteral("record at %1 holds key %2, not %3").arg(pos).arg(header.key).arg(key));
    }
    text.resize(header.length - 4);
    if (m_device->read(text.data(), text.size()) != text.size()) {
        text.clear();
        return fail(kIoError, QStringLiteral("record at %1 cannot be read").arg(pos));
    }
    return kOk;
}

int RecordFile::remove(qint32 key)
{
    return change([&] { return removeRecord(key); }, kNotFound);
}

int RecordFile::removeRecord(qint32 key)
{
    m_index->setKey(key);
    const qint64 pos = m_index->Find();
    if (pos == kNotFound) {
        return kNotFound;
    }
    if (pos < 0 || m_index->Delete() != kOk) {
        return fail(kIoError, m_index->lastError());
    }
    return kOk;
}

int RecordFile::write(qint32 key, const QByteArray& text)
{
    return change([&] { return writeRecord(key, text); });
}

int RecordFile::writeRecord(qint32 key, const QByteArray& text)
{
    m_index->setKey(key);
    const qint64 pos = m_index->Find();
    if (pos == kNotFound) {
        return appendRecord(key, text);
    }
    if (pos < 0) {
        return fail(kIoError, m_index->lastError());
    }
    RecordHeader header;
    QString why;
    if (!readRecordHeader(pos, header, why)) {
        return damaged(why);
    }
    if (header.key != key) {
        // Writing here would overwrite somebody else's bytes.
        return damaged(QStringLiteral("record at %1 holds key %2, not %3").arg(pos).arg(header.key).arg(key));
    }
    if (qint64(header.length) < qint64(text.size()) + 4) {
        // Both steps are one transaction: if the new record cannot be
        // stored, the key keeps its old one.
        m_index->setKey(key);
        if (m_index->Delete() != kOk) {
            return fail(kIoError, m_index->lastError());
        }
        return appendRecord(key, text);
    }
    const QByteArray bytes = int32Bytes(qint32(text.size() + 4)) + int32Bytes(key) + text;
    if (!m_device->seek(pos) || m_device->write(bytes) != bytes.size()) {
        return fail(kIoError, QStringLiteral("cannot write the record: ") + m_device->errorString());
    }
    return kOk;
}

RecordFileCheck RecordFile::check()
{
    if (beginAccess() != kOk) {
        RecordFileCheck failed;
        failed.error = m_lastError;
        return failed;
    }
    RecordFileCheck result = checkRecords();
    endAccess();
    return result;
}

RecordFileCheck RecordFile::checkRecords()
{
    RecordFileCheck result;
    if (!m_index) {
        result.error = QStringLiteral("the file is not open");
        return result;
    }
    struct Span {
        qint64 begin;
        qint64 end;
    };
    std::vector<Span> records;
    result.index = m_index->Check([&](const QByteArray& keyBytes, qint64 pos, QString& why) {
        RecordHeader header;
        if (!readRecordHeader(pos, header, why)) {
            return false;
        }
        const qint32 key = qFromLittleEndian<qint32>(keyBytes.constData());
        if (header.key != key) {
            why = QStringLiteral("record at %1 holds key %2, the index says %3")
                      .arg(pos)
                      .arg(header.key)
                      .arg(key);
            return false;
        }
        records.push_back({pos, pos + kRecordKeyOffset + header.length});
        return true;
    });
    result.records = int(records.size());
    if (!result.index.ok) {
        result.error = result.index.error;
        return result;
    }
    // Nodes and live records each own their bytes.
    for (qint64 pos : result.index.nodePositions) {
        records.push_back({pos, pos + m_index->nodeSize()});
    }
    std::sort(records.begin(), records.end(), [](const Span& a, const Span& b) { return a.begin < b.begin; });
    for (size_t i = 1; i < records.size(); ++i) {
        if (records[i].begin < records[i - 1].end) {
            result.error = QStringLiteral("the nodes or records at %1 and %2 overlap")
                               .arg(records[i - 1].begin)
                               .arg(records[i].begin);
            return result;
        }
    }
    result.ok = true;
    return result;
}

RecordFileCheck RecordFile::checkFile(const QString& path)
{
    RecordFileCheck result;
    RecordFile records;
    if (records.open(path) != kOk) {
        result.error = records.lastError();
        return result;
    }
    return records.check();
}

} // namespace nox
