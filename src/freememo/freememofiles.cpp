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
    if (!file.open(QIODevice::ReadOnly)) {
        r.ok = false;
        r.error = QStringLiteral("ファイル「%1」を読めません: %2").arg(path, file.errorString());
        return r;
    }
    r.bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        r.ok = false;
        r.error = QStringLiteral("ファイル「%1」を読めません: %2").arg(path, file.errorString());
    }
    return r;
}

// The raw lines of `bytes`, split at CR LF, LF or CR; a final break adds none.
QList<QByteArray> splitRawLines(const QByteArray& bytes)
{
    QList<QByteArray> lines;
    qsizetype start = 0;
    const qsizetype n = bytes.size();
    for (qsizetype i = 0; i < n; ++i) {
        const char c = bytes.at(i);
        if (c != '\r' && c != '\n') {
            continue;
        }
        lines.append(bytes.mid(start, i - start));
        if (c == '\r' && i + 1 < n && bytes.at(i + 1) == '\n') {
            ++i;
        }
        start = i + 1;
    }
    if (start < n) {
        lines.append(bytes.mid(start));
    }
    return lines;
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
    // CP932 never uses the bytes of CR and LF inside a character, so the raw
    // split is right for both encodings.
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

bool FreeMemoFiles::writeMemo(int number, const QString& text, QString* error)
{
    if (text.isEmpty()) {
        return removeMemo(number, error);
    }
    return writeFileAtomic(memoPath(number), encodeLines(memoTextLines(text), m_memoLegacy.value(number)),
                           error);
}

bool FreeMemoFiles::removeMemo(int number, QString* error)
{
    QFile file(memoPath(number));
    if (file.exists() && !file.remove()) {
        if (error) {
            *error =
                QStringLiteral("ファイル「%1」を削除できません: %2").arg(file.fileName(), file.errorString());
        }
        return false;
    }
    m_memoLegacy.remove(number);
    return true;
}

bool FreeMemoFiles::writeIndex(const QList<IndexEntry>& entries, QString* error)
{
    QStringList lines;
    for (const IndexEntry& e : entries) {
        lines << e.title + u'\t' + QString::number(e.number);
    }
    QByteArray bytes = encodeLines(lines, m_indexLegacy);
    for (const QByteArray& kept : m_keptIndexLines) {
        bytes += kept + kLineEnd;
    }
    QFile file(indexPath());
    if (bytes.isEmpty()) {
        if (file.exists() && !file.remove()) {
            if (error) {
                *error = QStringLiteral("ファイル「%1」を削除できません: %2")
                             .arg(file.fileName(), file.errorString());
            }
            return false;
        }
        m_indexOnDisk.clear();
        return true;
    }
    if (bytes == m_indexOnDisk && file.exists()) {
        return true;
    }
    if (!writeFileAtomic(indexPath(), bytes, error)) {
        return false;
    }
    m_indexOnDisk = bytes;
    return true;
}

} // namespace nox::freememo
