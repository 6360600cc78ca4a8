#include "freememo/freememofiles.h"

#include <QFile>
#include <QSet>

#include "core/textfile.h"

namespace nox::freememo
{

namespace
{

const QByteArray kLineEnd("\r\n");

struct RawFile {
    bool exists = false;
    bool ok = true;
    QByteArray bytes;
    QString error;
};

RawFile readRaw(const QString& path)
{
    RawFile r;
    QFile file(path);
    if (!file.exists()) {
        return r;
    }
    r.exists = true;
    if (file.open(QIODevice::ReadOnly)) {
        r.bytes = file.readAll();
    }
    if (!file.isOpen() || file.error() != QFileDevice::NoError) {
        r.ok = false;
        r.error = QStringLiteral("ファイル「%1」を読めません: %2").arg(path, file.errorString());
    }
    return r;
}

// Removes `path` if it exists; fails naming it when it stays.
Status removeIfExists(const QString& path)
{
    QFile file(path);
    if (!file.exists() || file.remove()) {
        return Status::success();
    }
    return Status::failed(path, QStringLiteral("ファイル「%1」を削除できません: %2").arg(path, file.errorString()));
}

// Field 1 of an index line as a number; 0 when missing or not a number.
int indexNumber(const QString& line)
{
    const QStringList fields = line.split(u'\t');
    return fields.size() > 1 ? fields.at(1).toInt() : 0;
}

} // namespace

QStringList decodeLines(const QByteArray& bytes, LegacyLines* legacy)
{
    QStringList lines;
    for (const QByteArray& raw : splitRawLines(bytes)) {
        const QString line = decodeText(raw);
        if (legacy && encodeText(line) != raw && !legacy->contains(line)) {
            legacy->insert(line, raw);
        }
        lines.append(line);
    }
    return lines;
}

QByteArray encodeLines(const QStringList& lines, const LegacyLines& legacy)
{
    QByteArray bytes;
    for (const QString& line : lines) {
        const auto it = legacy.constFind(line);
        bytes += it != legacy.cend() ? it.value() : encodeText(line);
        bytes += kLineEnd;
    }
    return bytes;
}

QStringList memoTextLines(const QString& text)
{
    return text.split(u'\n');
}

QString memoTextFromLines(const QStringList& lines)
{
    return lines.join(u'\n');
}

FreeMemoFiles::FreeMemoFiles(QString dataFolder) : m_folder(std::move(dataFolder)) {}

QString FreeMemoFiles::indexPath() const
{
    return m_folder + u'/' + QLatin1String(kIndexFileName);
}

QString FreeMemoFiles::memoPath(int number) const
{
    return m_folder + QStringLiteral("/memo") + QString::number(number) + QStringLiteral(".txt");
}

LoadResult FreeMemoFiles::load()
{
    LoadResult result;
    m_memoLegacy.clear();
    m_indexLegacy.clear();
    m_keptIndexLines.clear();
    m_indexOnDisk.clear();

    const RawFile index = readRaw(indexPath());
    if (!index.ok) {
        result.errors << index.error;
        return result;
    }
    m_indexOnDisk = index.bytes;
    const QList<QByteArray> raw = splitRawLines(index.bytes);
    const QStringList lines = decodeLines(index.bytes, &m_indexLegacy);
    QSet<int> used;
    for (int i = 0; i < lines.size(); ++i) {
        const int number = indexNumber(lines.at(i));
        if (number <= 0 || used.contains(number)) {
            m_keptIndexLines << raw.at(i);
            ++result.skippedIndexLines;
            continue;
        }
        used.insert(number);
        LoadedMemo memo;
        memo.title = lines.at(i).section(u'\t', 0, 0);
        memo.number = number;
        const RawFile file = readRaw(memoPath(number));
        if (file.ok) {
            memo.text = memoTextFromLines(decodeLines(file.bytes, &m_memoLegacy[number]));
        } else {
            memo.readable = false;
            result.errors << file.error;
        }
        result.memos << memo;
    }
    return result;
}

Status FreeMemoFiles::writeMemo(int number, const QString& text)
{
    if (text.isEmpty()) {
        return removeMemo(number);
    }
    return writeFileAtomic(memoPath(number), encodeLines(memoTextLines(text), m_memoLegacy.value(number)));
}

Status FreeMemoFiles::removeMemo(int number)
{
    if (Status removed = removeIfExists(memoPath(number)); !removed) {
        return removed;
    }
    m_memoLegacy.remove(number);
    return Status::success();
}

Status FreeMemoFiles::writeIndex(const QList<IndexEntry>& entries)
{
    QStringList lines;
    for (const IndexEntry& e : entries) {
        lines << e.title + u'\t' + QString::number(e.number);
    }
    QByteArray bytes = encodeLines(lines, m_indexLegacy);
    for (const QByteArray& kept : m_keptIndexLines) {
        bytes += kept + kLineEnd;
    }
    if (bytes.isEmpty()) {
        if (Status removed = removeIfExists(indexPath()); !removed) {
            return removed;
        }
        m_indexOnDisk.clear();
        return Status::success();
    }
    if (bytes == m_indexOnDisk && QFile::exists(indexPath())) {
        return Status::success();
    }
    if (Status written = writeFileAtomic(indexPath(), bytes); !written) {
        return written;
    }
    m_indexOnDisk = bytes;
    return Status::success();
}

} // namespace nox::freememo
