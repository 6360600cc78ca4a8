#include "store/recordfile.h"

#include "core/datetime.h"
#include "core/textfile.h"

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

int RecordFile::create(const QString& path)
{
    const QByteArray bytes = freshFileBytes();
    if (bytes.size() != kFreshMemoFileSize || !writeFileAtomic(path, bytes)) {
        return kCreateFailed;
    }
    return kOk;
}

int RecordFile::open(const QString& path)
{
    close();
    auto file = std::make_unique<QFile>(path);
    // Unbuffered: every operation ends with its bytes handed to the system.
    // ExistingOnly: opening never leaves an empty file behind where none was
    // (a later open would find it and not create a proper one).
    bool ok = file->open(QIODevice::ReadWrite | QIODevice::Unbuffered | QIODevice::ExistingOnly);
    if (!ok && QFileInfo::exists(path)) {
        ok = file->open(QIODevice::ReadOnly | QIODevice::Unbuffered);
    }
    if (!ok) {
        m_lastError = file->errorString();
        return kOpenFailed;
    }
    const int r = openDevice(std::move(file));
    m_path = path;
    return r;
}

int RecordFile::openDevice(std::unique_ptr<QIODevice> device)
{
    close();
    m_lastError.clear();
    if (!device || !device->isOpen()) {
        return fail(kOpenFailed, QStringLiteral("the file is not open"));
    }
    // The 16-byte file header is read back but not checked.
    QByteArray header(kFileHeaderSize + kIndexHeaderSize, '\0');
    if (!device->seek(0) || device->read(header.data(), header.size()) != header.size()) {
        return fail(kOpenFailed, QStringLiteral("the file is shorter than its header"));
    }
    m_writable = device->isWritable();
    m_damaged = false;
    m_device = std::move(device);
    m_index = std::make_unique<TBtrKey>(m_device.get(), kMemoKeySize, kMemoIndexHeaderPos);
    if (m_index->openResult() != kOk) {
        const QString why = m_index->lastError();
        m_index.reset();
        m_device.reset();
        return fail(kIoError, QStringLiteral("damaged index: ") + why);
    }
    return kOk;
}

void RecordFile::close()
{
    m_index.reset(); // flushes
    m_device.reset();
    m_path.clear();
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
    if (const int r = refuseIfReadOnly(); r != kOk) {
        return r;
    }
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
    if (const int r = refuseIfReadOnly(); r != kOk) {
        return r;
    }
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
    if (const int r = refuseIfReadOnly(); r != kOk) {
        return r;
    }
    m_index->setKey(key);
    const qint64 pos = m_index->Find();
    if (pos == kNotFound) {
        return append(key, text);
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
        m_index->setKey(key);
        if (m_index->Delete() != kOk) {
            return fail(kIoError, m_index->lastError());
        }
        return append(key, text);
    }
    const QByteArray bytes = int32Bytes(qint32(text.size() + 4)) + int32Bytes(key) + text;
    if (!m_device->seek(pos) || m_device->write(bytes) != bytes.size()) {
        return fail(kIoError, QStringLiteral("cannot write the record: ") + m_device->errorString());
    }
    return kOk;
}

RecordFileCheck RecordFile::check()
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
    auto file = std::make_unique<QFile>(path);
    if (!file->open(QIODevice::ReadOnly)) {
        result.error = QStringLiteral("cannot open %1: %2").arg(path, file->errorString());
        return result;
    }
    RecordFile records;
    if (records.openDevice(std::move(file)) != kOk) {
        result.error = records.lastError();
        return result;
    }
    return records.check();
}

} // namespace nox
