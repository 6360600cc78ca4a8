#include "store/memostore.h"

#include "core/datetime.h"
#include "core/textfile.h"

#include <QDir>
#include <QFileInfo>

namespace nox
{

using namespace btr;

qint32 memoKey(const QDate& date)
{
    return dayNumber(date);
}

QByteArray encodeMemoText(const QString& text)
{
    QString s = text;
    s.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    s.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    s.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
    return s.toUtf8();
}

QString decodeMemoText(const QByteArray& bytes)
{
    QString s = decodeText(bytes);
    s.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    s.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return s;
}

Status MemoStore::statusOf(int code) const
{
    if (code == kOk) {
        return Status::success();
    }
    if (code == kNotFound) {
        return Status::notFound(m_path, {});
    }
    return Status::failed(m_path, lastError()); // the reason alone; may be empty
}

Status MemoStore::lastRead() const
{
    return statusOf(m_lastReadResult);
}

Status MemoStore::open(const QString& dataFolder)
{
    close();
    m_path = QDir(dataFolder).filePath(QString::fromLatin1(kFileName));
    m_createError.clear();
    if (!QFileInfo::exists(m_path)) {
        bool exists = false;
        // Another process may create it at the same moment: theirs is kept.
        if (const Status created = RecordFile::create(m_path, &exists); !created) {
            m_createError = created.message();
            if (!exists) {
                return Status::failed(m_path, m_createError);
            }
            m_createError.clear();
        }
    }
    const int opened = m_file.open(m_path);
    noteStamp();
    return statusOf(opened);
}

void MemoStore::noteStamp()
{
    m_stamp = FileStamp::of(m_path);
}

void MemoStore::reopenIfChanged(bool beforeWrite)
{
    const FileStamp now = FileStamp::of(m_path);
    if (now == m_stamp && (!beforeWrite || m_stamp.isSettled())) {
        return;
    }
    m_file.close();
    m_file.open(m_path);
    m_stamp = now;
}

void MemoStore::close()
{
    m_file.close();
}

QString MemoStore::read(const QDate& date)
{
    if (!m_file.isOpen() || !date.isValid()) {
        m_lastReadResult = kOpenFailed;
        return {};
    }
    reopenIfChanged(false);
    QByteArray bytes;
    m_lastReadResult = m_file.read(memoKey(date), bytes);
    return m_lastReadResult == kOk ? decodeMemoText(bytes) : QString();
}

void MemoStore::readRecords(const QDate& first, int count,
                            const std::function<void(int day, const QByteArray& bytes)>& each)
{
    if (!m_file.isOpen() || !first.isValid() || count <= 0) {
        m_lastReadResult = kOpenFailed;
        return;
    }
    reopenIfChanged(false);
    QList<qint32> keys;
    keys.reserve(count);
    for (int i = 0; i < count; ++i) {
        keys << memoKey(first.addDays(i));
    }
    int day = 0;
    m_lastReadResult = m_file.readEach(keys, [&](qint32, int result, const QByteArray& bytes) {
        if (result == kOk) {
            each(day, bytes);
        }
        ++day;
    });
}

// A stored memo is non-empty exactly when its bytes are: every byte decodes
// to at least one character.
QList<bool> MemoStore::hasMemos(const QDate& first, int count)
{
    QList<bool> has(qMax(0, count), false);
    readRecords(first, count, [&](int day, const QByteArray& bytes) { has[day] = !bytes.isEmpty(); });
    return has;
}

QStringList MemoStore::readDays(const QDate& first, int count)
{
    QStringList texts(qMax(0, count));
    readRecords(first, count, [&](int day, const QByteArray& bytes) { texts[day] = decodeMemoText(bytes); });
    return texts;
}

Status MemoStore::write(const QDate& date, const QString& text)
{
    if (!m_file.isOpen() || !date.isValid()) {
        return statusOf(kOpenFailed);
    }
    reopenIfChanged(true);
    const int written = m_file.write(memoKey(date), encodeMemoText(text));
    noteStamp();
    return statusOf(written);
}

void MemoStore::loadPane(MemoPaneState& pane, const QDate& date)
{
    pane.text = read(date);
    pane.modified = false;
}

Status MemoStore::savePane(const QString& text, bool& modified, const QDate& date)
{
    if (!modified) {
        return Status::success();
    }
    Status r = write(date, text);
    if (r.ok()) {
        modified = false;
    }
    return r;
}

Status MemoStore::savePane(MemoPaneState& pane, const QDate& date)
{
    return savePane(pane.text, pane.modified, date);
}

Status MemoStore::saveRow(QList<MemoPaneState>& panes, const QDate& baseDate)
{
    return saveRow(int(panes.size()), baseDate, [&](int i) { return &panes[i]; });
}

Status MemoStore::saveRow(int paneCount, const QDate& baseDate, const std::function<MemoPaneState*(int)>& paneAt)
{
    Status first = Status::success();
    for (int i = 0; i < paneCount; ++i) {
        MemoPaneState* pane = paneAt(i);
        if (!pane) {
            continue;
        }
        Status r = savePane(*pane, baseDate.addDays(i));
        if (first.ok()) {
            first = std::move(r);
        }
    }
    return first;
}

} // namespace nox
