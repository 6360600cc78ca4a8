#pragma once
// Text files of the data folder. Reading decides the encoding line by line:
// a line that is valid UTF-8 is UTF-8, any other line is CP932 (Shift-JIS,
// as files written on Windows are), so one stray byte never garbles the
// lines around it. Every line read keeps its bytes, and a rewrite puts back
// the bytes of every line the program did not change, whatever they are,
// together with a leading byte-order mark. Lines the program makes or changes
// are written UTF-8. Every line ends with CR LF; every file is replaced
// atomically through writeFileAtomic.
#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <functional>

#include "core/filestamp.h"
#include "core/status.h"

namespace nox
{

// One line of a text file: its text and, for a line read and not changed
// since, the bytes it had in the file (without its line break).
class TextLine
{
public:
    TextLine() = default;
    // A line the program made: no bytes of its own.
    explicit TextLine(QString text) : m_text(std::move(text)) {}
    // A line as read (without its break); the text is decoded from the bytes.
    static TextLine fromBytes(QByteArray bytes);

    const QString& text() const { return m_text; }
    // True for a line read and not changed since: it is written as bytes().
    bool isOriginal() const { return m_original; }
    const QByteArray& bytes() const { return m_bytes; }
    // Changing the text drops the original bytes; setting the same text keeps them.
    void setText(const QString& text);

private:
    QString m_text;
    QByteArray m_bytes;
    bool m_original = false;
};

// Decodes one line (no line break in it): UTF-8 when valid, else CP932.
QString decodeLine(QByteArrayView bytes);
// Decodes text of several lines, each line on its own (see decodeLine); line
// breaks are kept as they are; a leading UTF-8 byte-order mark is dropped.
QString decodeText(const QByteArray& bytes);
// Encodes for writing: UTF-8, no BOM.
QByteArray encodeText(const QString& text);

// Splits at CR LF, lone LF or lone CR; a final line break adds no empty line.
QStringList splitLines(const QString& text);
// The same on the bytes of a file, before decoding: CP932 never uses the bytes
// of CR and LF inside a character, so each line can be decoded by itself.
QList<QByteArray> splitRawLines(const QByteArray& bytes);

// What readTextLines found; its status fails when the file exists but could
// not be read (the message says why; the lines are then empty).
struct TextContents {
    bool exists = false; // false: the file is missing (reads as empty)
    QStringList lines;   // the decoded lines, the texts of textLines
    QList<TextLine> textLines;
    bool bom = false; // the file started with a UTF-8 byte-order mark
};
using TextReadResult = Result<TextContents>;
TextReadResult readTextLines(const QString& path);
// The same, with the stamp of the file that was read (taken from the open
// file once read; no file: exists = false).
TextReadResult readTextLines(const QString& path, FileStamp* stamp);

// Reads the whole file at `path` (in the system's encoding of names) into
// `bytes`, reusing its memory. 0, or the errno of the failure (the bytes are
// then empty); see isMissingFileError.
int readFileBytes(const char* path, QByteArray* bytes);
// The same for `path` relative to the open folder `folder` (openat). With
// `shortReadEnds`, a read that gives less than asked for is taken for the
// end of the file, which saves a call per file; only for a folder on a file
// system known to read regular files so (localFileSystem). A link in the
// folder is then read to its end all the same.
int readFileBytesAt(int folder, const char* path, QByteArray* bytes, bool shortReadEnds);
// The same, with the stamp of the file that was read (taken from the open
// file once read; left as it was when the read failed).
int readFileBytesAt(int folder, const char* path, QByteArray* bytes, bool shortReadEnds, FileStamp* stamp);
// True when the open file or folder `fd` lies on a local disk file system
// whose reads of a regular file give less than asked for only at its end.
bool localFileSystem(int fd);
// True for the errors of a file that is not there (it reads as empty).
bool isMissingFileError(int err);
// The message of a failed read of `path` (as readTextLines words it).
QString readErrorMessage(const QString& path, int err);
// The texts readTextLines gives for a file of these bytes: a leading
// byte-order mark dropped, split as splitRawLines does, each line decoded
// by decodeLine.
QStringList decodeTextLines(QByteArrayView bytes);

// Writes new lines, each ended by CR LF, through writeFileAtomic.
Status writeTextLines(const QString& path, const QStringList& lines);
// Writes the lines, each followed by CR LF: an original line as its bytes,
// any other line UTF-8; a BOM first when `bom` is set.
Status writeTextFile(const QString& path, const QList<TextLine>& lines, bool bom);
// The bytes writeTextFile would write.
QByteArray textFileBytes(const QList<TextLine>& lines, bool bom);

// The lines of a rewrite of a file that held `old`: each text of `texts` is
// matched with an unused old line that stands for the same thing (equal
// `canonical` forms; equal texts when no function is given) and then takes
// that line's bytes, so a line whose meaning did not change keeps its exact
// bytes even when the program would format it differently. Old lines are
// matched in their order; texts without a match are new lines.
QList<TextLine> keepOriginalLines(const QList<TextLine>& old, const QStringList& texts,
                                  const std::function<QString(const QString&)>& canonical = {});

// Replaces the file at `path` by `lines`: a line equal to a line the file
// holds now keeps that line's bytes (keepOriginalLines) and a leading
// byte-order mark stays; other lines are UTF-8. An existing file that cannot
// be read is not replaced (what it holds is unknown); that is reported like
// a failed write.
Status rewriteTextLines(const QString& path, const QStringList& lines);

// The one writer of every file the program stores. The bytes go to a new
// temporary file beside `path`; every write() is checked for a short or
// failed write, the file is fsync'ed and closed with checks, and only then
// renamed over `path` (the folder is synced afterwards). On any failure the
// temporary file is removed, `path` keeps its previous contents, false is
// returned status names the file and the system's reason.
// An existing file's permission bits are kept, a new file is made 0600; an
// existing file that may not be written is not replaced.
Status writeFileAtomic(const QString& path, const QByteArray& bytes);

// As writeFileAtomic, but never replaces a file: fails with EEXIST when
// `path` exists (also when it appeared while the bytes were written).
Status createFileAtomic(const QString& path, const QByteArray& bytes);

// Makes a change of the folder holding `path` (a new, renamed or removed
// file) durable.
void syncParentFolder(const QString& path);

// Copies `from` to `to` (createFileAtomic) unless `to` exists already.
// A missing `from` copies nothing and is no failure.
Status copyFileIfMissing(const QString& from, const QString& to);

// Deletes a file; a missing file is no failure. A failure is reported like a
// failed write.
Status removeFile(const QString& path);

// Message of a failed write of `path` with the system's reason for `err`.
QString writeErrorMessage(const QString& path, int err);

// Every failed write or removal is also handed to this observer (the program
// shows them to the user; noxtool reports the errors it is returned). Writers
// that do not go through writeFileAtomic call reportWriteFailure themselves.
using WriteFailureObserver = std::function<void(const QString& path, const QString& message)>;
void setWriteFailureObserver(WriteFailureObserver observer);
void reportWriteFailure(const QString& path, const QString& message);
// While one lives, failures are not handed to the observer: for a writer
// that tells the user itself and must not be told twice.
class [[nodiscard]] WriteFailuresToldByCaller
{
public:
    WriteFailuresToldByCaller();
    ~WriteFailuresToldByCaller();
    WriteFailuresToldByCaller(const WriteFailuresToldByCaller&) = delete;
    WriteFailuresToldByCaller& operator=(const WriteFailuresToldByCaller&) = delete;
};

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
// errno of an injected fault at `step` of writing `path`, 0 when none. For
// writers that keep files outside writeFileAtomic (the memo file's journal).
int injectedWriteFault(const QString& path, WriteStep step);

} // namespace nox
