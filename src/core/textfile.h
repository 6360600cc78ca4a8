#pragma once
// Text files of the data folder: written as UTF-8 with CR LF line ends and
// replaced atomically; read as UTF-8, falling back to CP932 (Shift-JIS) for
// bytes that are not valid UTF-8, so files written on Windows in Shift-JIS open.
#include <QByteArray>
#include <QString>
#include <QStringList>
#include <functional>

namespace nox
{

// Decodes file bytes: UTF-8 (a leading BOM is dropped) when valid, else CP932.
QString decodeText(const QByteArray& bytes);
// Encodes for writing: UTF-8, no BOM.
QByteArray encodeText(const QString& text);

// Splits at CR LF, lone LF or lone CR; a final line break adds no empty line.
QStringList splitLines(const QString& text);
// The same on the bytes of a file, before decoding: CP932 never uses the bytes
// of CR and LF inside a character, so each line can be decoded by itself.
QList<QByteArray> splitRawLines(const QByteArray& bytes);

struct TextReadResult {
    bool exists = false; // false: the file is missing (reads as empty)
    bool ok = false;     // false: it exists but could not be read (error says why)
    QStringList lines;
    QString error;
};
TextReadResult readTextLines(const QString& path);

// Writes the lines, each ended by CR LF, through writeFileAtomic.
bool writeTextLines(const QString& path, const QStringList& lines, QString* error = nullptr);

// The one writer of every file the program stores. The bytes go to a new
// temporary file beside `path`; every write() is checked for a short or
// failed write, the file is fsync'ed and closed with checks, and only then
// renamed over `path` (the folder is synced afterwards). On any failure the
// temporary file is removed, `path` keeps its previous contents, false is
// returned and *error (when given) names the file and the system's reason.
// An existing file's permission bits are kept.
bool writeFileAtomic(const QString& path, const QByteArray& bytes, QString* error = nullptr);

// Test seam of writeFileAtomic: the steps at which a write can fail.
enum class WriteStep {
    Open,   // creating the temporary file
    Write,  // a write() call (the fault makes it a short write)
    Flush,  // the end of writing (the fault reports ENOSPC, as a full disk does)
    Sync,   // fsync of the temporary file
    Rename, // replacing `path`
};
// When set, the hook is asked before each step; returning an errno value
// other than 0 makes that step fail with it. Tests only; not thread-safe.
using WriteFaultHook = std::function<int(const QString& path, WriteStep step)>;
void setWriteFaultHook(WriteFaultHook hook);

} // namespace nox
