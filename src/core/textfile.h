#pragma once
// Text files of the data folder: written as UTF-8 with CR LF line ends and
// replaced atomically; read as UTF-8, falling back to CP932 (Shift-JIS) for
// bytes that are not valid UTF-8, so files from the original platform open.
#include <QByteArray>
#include <QString>
#include <QStringList>

namespace nox
{

// Decodes file bytes: UTF-8 (a leading BOM is dropped) when valid, else CP932.
QString decodeText(const QByteArray& bytes);
// Encodes for writing: UTF-8, no BOM.
QByteArray encodeText(const QString& text);

// Splits at CR LF, lone LF or lone CR; a final line break adds no empty line.
QStringList splitLines(const QString& text);

struct TextReadResult {
    bool exists = false; // false: the file is missing (reads as empty)
    bool ok = false;     // false: it exists but could not be read (error says why)
    QStringList lines;
    QString error;
};
TextReadResult readTextLines(const QString& path);

// Writes the lines, each ended by CR LF, through a temporary file that
// replaces `path` only when every byte was written. Returns false and fills
// *error (when given) on failure; the previous file is then untouched.
bool writeTextLines(const QString& path, const QStringList& lines, QString* error = nullptr);
// The same for raw bytes.
bool writeFileAtomic(const QString& path, const QByteArray& bytes, QString* error = nullptr);

} // namespace nox
