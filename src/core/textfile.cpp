#include "core/textfile.h"

#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QStringDecoder>
#include <QStringEncoder>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/vfs.h>
#include <unistd.h>

namespace nox
{

namespace
{

const QByteArray kBom = QByteArrayLiteral("\xEF\xBB\xBF");

} // namespace

TextLine TextLine::fromBytes(QByteArray bytes)
{
    TextLine line(decodeLine(bytes));
    line.m_bytes = std::move(bytes);
    line.m_original = true;
    return line;
}

void TextLine::setText(const QString& text)
{
    if (text != m_text) {
        m_text = text;
        m_bytes.clear();
        m_original = false;
    }
}

QString decodeLine(QByteArrayView bytes)
{
    // The plain conversion is the fastest; it marks every invalid sequence
    // with a replacement character, so only a line holding one needs the
    // checking decoder (the character may also stand in valid UTF-8).
    // Both UTF-8 decoders drop a byte-order mark at the start; in a line (the
    // file's own mark is taken off before) it is part of the text, so that a
    // line of nothing else is no empty line.
    QString text = QString::fromUtf8(bytes);
    if (!text.contains(QChar::ReplacementCharacter)) {
        if (bytes.startsWith(kBom)) {
            text.prepend(QChar(QChar::ByteOrderMark));
        }
        return text;
    }
    // Opening a converter is far dearer than decoding a line: keep one.
    thread_local QStringDecoder utf8(QStringConverter::Utf8,
                                     QStringConverter::Flag::Stateless | QStringConverter::Flag::ConvertInitialBom);
    utf8.resetState();
    text = utf8.decode(bytes);
    if (!utf8.hasError()) {
        return text;
    }
    thread_local QStringDecoder cp932("CP932", QStringConverter::Flag::Stateless);
    if (cp932.isValid()) {
        cp932.resetState();
        // The decoder drops a lead byte at the very end without a trace; with
        // a line break after it, the byte shows as a substitute character, so
        // that no line reads as less than it holds (or as empty).
        QString decoded = cp932.decode(bytes.toByteArray() + '\n');
        decoded.chop(1);
        return decoded;
    }
    return text; // no CP932 table: keep the UTF-8 reading with replacement characters
}

QString decodeText(const QByteArray& bytes)
{
    QByteArrayView view(bytes);
    if (view.startsWith(kBom)) {
        view = view.sliced(3);
    }
    QString text;
    text.reserve(view.size());
    qsizetype start = 0;
    for (qsizetype i = 0; i <= view.size(); ++i) {
        if (i < view.size() && view[i] != '\r' && view[i] != '\n') {
            continue;
        }
        text += decodeLine(view.sliced(start, i - start));
        if (i < view.size()) {
            text += QLatin1Char(view[i]);
        }
        start = i + 1;
    }
    return text;
}

QByteArray encodeText(const QString& text)
{
    return text.toUtf8();
}

namespace
{

template <typename Text> QList<Text> splitAtLineBreaks(const Text& text)
{
    QList<Text> lines;
    qsizetype start = 0;
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const auto c = text.at(i);
        if (c != u'\r' && c != u'\n') {
            continue;
        }
        lines.append(text.mid(start, i - start));
        if (c == u'\r' && i + 1 < n && text.at(i + 1) == u'\n') {
            ++i;
        }
        start = i + 1;
    }
    if (start < n) {
        lines.append(text.mid(start));
    }
    return lines;
}

} // namespace

QStringList splitLines(const QString& text)
{
    return splitAtLineBreaks(text);
}

QList<QByteArray> splitRawLines(const QByteArray& bytes)
{
    return splitAtLineBreaks(bytes);
}

namespace
{

// readFileBytesAt; with `opened`, also the status of the file read, taken
// once it has been read.
int readBytes(int folder, const char* path, QByteArray* bytes, bool shortReadEnds, struct stat* opened)
{
    // A short read ends only a file of the folder's own file system: a link
    // may lead anywhere, so one is read to its end the long way. Reading
    // leaves the file's access time alone where the system lets the reader
    // (the owner) ask for that: a search reads thousands of files, and the
    // update of their access times costs more than it tells anyone.
    int flags = O_RDONLY | O_CLOEXEC | O_NOATIME | (shortReadEnds ? O_NOFOLLOW : 0);
    int fd = ::openat(folder, path, flags);
    if (fd < 0 && errno == EPERM) {
        flags &= ~O_NOATIME;
        fd = ::openat(folder, path, flags);
    }
    if (fd < 0 && shortReadEnds && errno == ELOOP) {
        shortReadEnds = false;
        fd = ::openat(folder, path, flags & ~O_NOFOLLOW);
    }
    if (fd < 0) {
        bytes->resize(0);
        return errno;
    }
    // Read up to the end without asking for the size first: for the small
    // files read by the thousand the call at the end costs less than a stat.
    // The buffer keeps its room from file to file.
    qsizetype filled = 0;
    bytes->resize(std::max<qsizetype>(bytes->capacity(), 4096));
    int err = 0;
    for (;;) {
        if (filled == bytes->size()) {
            bytes->resize(filled * 2);
        }
        const ssize_t n = ::read(fd, bytes->data() + filled, size_t(bytes->size() - filled));
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            err = n < 0 ? errno : 0;
            break;
        }
        filled += n;
        if (shortReadEnds && filled < bytes->size()) {
            break;
        }
    }
    if (err == 0 && opened && ::fstat(fd, opened) != 0) {
        err = errno;
    }
    ::close(fd);
    bytes->resize(err == 0 ? filled : 0);
    return err;
}

} // namespace

int readFileBytesAt(int folder, const char* path, QByteArray* bytes, bool shortReadEnds)
{
    return readBytes(folder, path, bytes, shortReadEnds, nullptr);
}

int readFileBytesAt(int folder, const char* path, QByteArray* bytes, bool shortReadEnds, FileStamp* stamp)
{
    struct stat opened {
    };
    const int err = readBytes(folder, path, bytes, shortReadEnds, &opened);
    if (err == 0) {
        *stamp = FileStamp::of(opened);
    }
    return err;
}

int readFileBytes(const char* path, QByteArray* bytes)
{
    return readFileBytesAt(AT_FDCWD, path, bytes, false);
}

bool localFileSystem(int fd)
{
    struct statfs fs {
    };
    if (::fstatfs(fd, &fs) != 0) {
        return false;
    }
    switch (static_cast<unsigned long>(fs.f_type)) {
    case 0xEF53:     // ext2, ext3, ext4
    case 0x58465342: // xfs
    case 0x9123683E: // btrfs
    case 0xF2F52010: // f2fs
    case 0x01021994: // tmpfs
        return true;
    default:
        return false;
    }
}

bool isMissingFileError(int err)
{
    return err == ENOENT || err == ENOTDIR;
}

QString readErrorMessage(const QString& path, int err)
{
    return QStringLiteral("ファイル「%1」を読めません: %2")
        .arg(path, QString::fromLocal8Bit(std::strerror(err)));
}

QStringList decodeTextLines(QByteArrayView bytes)
{
    if (bytes.startsWith(kBom)) {
        bytes = bytes.sliced(kBom.size());
    }
    // The breaks as splitRawLines finds them, without a copy of each line.
    QStringList lines;
    qsizetype start = 0;
    const qsizetype n = bytes.size();
    for (qsizetype i = 0; i < n; ++i) {
        const char c = bytes[i];
        if (c != '\r' && c != '\n') {
            continue;
        }
        lines.append(decodeLine(bytes.sliced(start, i - start)));
        if (c == '\r' && i + 1 < n && bytes[i + 1] == '\n') {
            ++i;
        }
        start = i + 1;
    }
    if (start < n) {
        lines.append(decodeLine(bytes.sliced(start)));
    }
    return lines;
}

// Reads with plain system calls: day files are small and many (a search
// reads thousands), and QFile's extra checks cost more than the reading.
TextReadResult readTextLines(const QString& path)
{
    return readTextLines(path, nullptr);
}

TextReadResult readTextLines(const QString& path, FileStamp* stamp)
{
    TextContents c;
    QByteArray bytes;
    struct stat opened {
    };
    const int err =
        readBytes(AT_FDCWD, QFile::encodeName(path).constData(), &bytes, false, stamp ? &opened : nullptr);
    if (stamp) {
        *stamp = err == 0 ? FileStamp::of(opened) : FileStamp();
    }
    if (isMissingFileError(err)) {
        return TextReadResult::success(std::move(c)); // missing: reads as empty
    }
    c.exists = true;
    if (err != 0) {
        return TextReadResult(Status::failed(path, readErrorMessage(path, err)), std::move(c));
    }
    QByteArrayView view(bytes);
    c.bom = view.startsWith(kBom);
    if (c.bom) {
        view = view.sliced(kBom.size());
    }
    for (QByteArray& line : splitRawLines(view.toByteArray())) {
        c.textLines.append(TextLine::fromBytes(std::move(line)));
        c.lines.append(c.textLines.last().text());
    }
    return TextReadResult::success(std::move(c));
}

Status writeTextLines(const QString& path, const QStringList& lines)
{
    QList<TextLine> textLines;
    textLines.reserve(lines.size());
    for (const QString& line : lines) {
        textLines.append(TextLine(line));
    }
    return writeTextFile(path, textLines, false);
}

QByteArray textFileBytes(const QList<TextLine>& lines, bool bom)
{
    QByteArray out;
    for (const TextLine& line : lines) {
        out += line.isOriginal() ? line.bytes() : encodeText(line.text());
        out += "\r\n";
    }
    // A first line that begins with the bytes of a byte-order mark (one that
    // stood in the middle of the file before, as files joined together have)
    // would lose them to the reader as the file's own mark: the file gets one.
    if (bom || out.startsWith(kBom)) {
        out.prepend(kBom);
    }
    return out;
}

Status writeTextFile(const QString& path, const QList<TextLine>& lines, bool bom)
{
    return writeFileAtomic(path, textFileBytes(lines, bom));
}

Status rewriteTextLines(const QString& path, const QStringList& lines)
{
    const TextReadResult old = readTextLines(path);
    if (!old.ok()) {
        reportWriteFailure(path, old.message());
        return old.status();
    }
    return writeTextFile(path, keepOriginalLines(old->textLines, lines), old->bom);
}

QList<TextLine> keepOriginalLines(const QList<TextLine>& old, const QStringList& texts,
                                  const std::function<QString(const QString&)>& canonical)
{
    const auto formOf = [&](const QString& text) { return canonical ? canonical(text) : text; };
    QHash<QString, QList<qsizetype>> unused; // canonical form -> old lines, in file order
    for (qsizetype i = 0; i < old.size(); ++i) {
        if (old[i].isOriginal()) {
            unused[formOf(old[i].text())].append(i);
        }
    }
    QList<TextLine> lines;
    lines.reserve(texts.size());
    for (const QString& text : texts) {
        const auto it = unused.find(formOf(text));
        if (it == unused.end() || it->isEmpty()) {
            lines.append(TextLine(text));
            continue;
        }
        lines.append(old[it->takeFirst()]);
    }
    return lines;
}

namespace
{

WriteFaultHook& faultHook()
{
    static WriteFaultHook hook;
    return hook;
}

WriteFailureObserver& failureObserver()
{
    static WriteFailureObserver observer;
    return observer;
}

QString systemReason(int err)
{
    return QString::fromLocal8Bit(std::strerror(err));
}

// Writes all of `bytes` to `fd`, retrying after EINTR and partial writes.
// Returns 0 or the errno of the failure (ENOSPC for a write that wrote nothing).
int writeAll(int fd, const QString& path, const QByteArray& bytes)
{
    const char* p = bytes.constData();
    qsizetype left = bytes.size();
    while (left > 0) {
        if (const int fault = injectedWriteFault(path, WriteStep::Write)) {
            // A short write: part of the chunk lands, then the error.
            if (::write(fd, p, size_t(qMin<qsizetype>(left, 1))) < 0) {
                return errno;
            }
            return fault;
        }
        const ssize_t n = ::write(fd, p, size_t(qMin<qsizetype>(left, 1 << 20)));
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            return errno;
        }
        if (n == 0) {
            return ENOSPC;
        }
        p += n;
        left -= n;
    }
    return injectedWriteFault(path, WriteStep::Flush);
}

int syncAndClose(int fd, const QString& path)
{
    int err = injectedWriteFault(path, WriteStep::Sync);
    if (err == 0 && ::fsync(fd) != 0) {
        err = errno;
    }
    if (::close(fd) != 0 && err == 0) {
        err = errno;
    }
    return err;
}

// Makes the rename itself durable; a folder that cannot be synced (some file
// systems refuse) does not undo a write that has already replaced the file.
void syncFolder(const QByteArray& folder)
{
    const int fd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

// The file a write of `path` replaces: the target of a symbolic link, so
// that a linked settings file stays linked.
QString replacedFile(const QString& path)
{
    const QFileInfo info(path);
    if (!info.isSymLink()) {
        return path;
    }
    const QString target = info.symLinkTarget();
    return target.isEmpty() ? path : target;
}

// Sets the new file's permission bits: those of the file it replaces, else
// read and write for the owner alone (schedules and memos are private; the
// umask may take more away, never add).
void takePermissions(int fd, const QByteArray& target)
{
    struct stat old {
    };
    if (::stat(target.constData(), &old) == 0) {
        ::fchmod(fd, old.st_mode & 07777);
        return;
    }
    const mode_t mask = ::umask(0);
    ::umask(mask);
    ::fchmod(fd, 0600 & ~mask);
}

// 0 when `target` is missing or may be written, else the reason it may not.
int refusalToReplace(const QByteArray& target)
{
    if (::access(target.constData(), F_OK) != 0) {
        return 0;
    }
    return ::access(target.constData(), W_OK) == 0 ? 0 : errno;
}

} // namespace

void setWriteFaultHook(WriteFaultHook hook)
{
    faultHook() = std::move(hook);
}

int injectedWriteFault(const QString& path, WriteStep step)
{
    const WriteFaultHook& hook = faultHook();
    return hook ? hook(path, step) : 0;
}

void setWriteFailureObserver(WriteFailureObserver observer)
{
    failureObserver() = std::move(observer);
}

namespace
{
int g_failuresToldByCaller = 0;
} // namespace

WriteFailuresToldByCaller::WriteFailuresToldByCaller()
{
    ++g_failuresToldByCaller;
}

WriteFailuresToldByCaller::~WriteFailuresToldByCaller()
{
    --g_failuresToldByCaller;
}

void reportWriteFailure(const QString& path, const QString& message)
{
    if (g_failuresToldByCaller > 0) {
        return;
    }
    if (const WriteFailureObserver& observer = failureObserver()) {
        observer(path, message);
    }
}

QString writeErrorMessage(const QString& path, int err)
{
    return QStringLiteral("ファイル「%1」に書き込めません: %2").arg(path, systemReason(err));
}

void syncParentFolder(const QString& path)
{
    syncFolder(QFile::encodeName(QFileInfo(path).absolutePath()));
}

namespace
{

// Puts the finished temporary file in place: over `target`, or only where
// nothing is yet. 0 or the errno.
int putInPlace(const QByteArray& temp, const QByteArray& target, bool replace)
{
    if (replace) {
        return ::rename(temp.constData(), target.constData()) == 0 ? 0 : errno;
    }
    // A hard link never replaces; the temporary name goes afterwards.
    if (::link(temp.constData(), target.constData()) != 0) {
        return errno;
    }
    ::unlink(temp.constData());
    return 0;
}

Status writeFile(const QString& path, const QByteArray& bytes, bool replace)
{
    const QFileInfo info(replacedFile(path));
    const QByteArray target = QFile::encodeName(info.absoluteFilePath());
    const QByteArray folder = QFile::encodeName(info.absolutePath());
    QByteArray temp = QFile::encodeName(info.absolutePath() + QStringLiteral("/.") + info.fileName() +
                                        QStringLiteral(".XXXXXX"));
    auto fail = [&](int err) {
        const QString message = writeErrorMessage(path, err);
        if (replace || err != EEXIST) { // a file that is there already is what a creator wanted
            reportWriteFailure(path, message);
        }
        return Status::failed(path, message);
    };

    int err = replace ? refusalToReplace(target) : 0;
    if (err == 0) {
        err = injectedWriteFault(path, WriteStep::Open);
    }
    const int fd = err ? -1 : ::mkstemp(temp.data());
    if (fd < 0) {
        return fail(err ? err : errno);
    }
    takePermissions(fd, target);
    err = writeAll(fd, path, bytes);
    if (err != 0) {
        ::close(fd);
    } else {
        err = syncAndClose(fd, path);
    }
    if (err == 0) {
        err = injectedWriteFault(path, WriteStep::Rename);
        if (err == 0) {
            err = putInPlace(temp, target, replace);
        }
    }
    if (err != 0) {
        ::unlink(temp.constData());
        return fail(err);
    }
    syncFolder(folder);
    return Status::success();
}

} // namespace

Status writeFileAtomic(const QString& path, const QByteArray& bytes)
{
    return writeFile(path, bytes, true);
}

Status createFileAtomic(const QString& path, const QByteArray& bytes)
{
    return writeFile(path, bytes, false);
}

Status copyFileIfMissing(const QString& from, const QString& to)
{
    if (QFileInfo::exists(to) || !QFileInfo::exists(from)) {
        return Status::success();
    }
    QFile source(from);
    if (!source.open(QIODevice::ReadOnly)) {
        return Status::failed(from, QStringLiteral("ファイル「%1」を読めません: %2").arg(from, source.errorString()));
    }
    const QByteArray bytes = source.readAll();
    if (source.error() != QFileDevice::NoError) {
        return Status::failed(from, QStringLiteral("ファイル「%1」を読めません: %2").arg(from, source.errorString()));
    }
    return createFileAtomic(to, bytes);
}

Status removeFile(const QString& path)
{
    if (::unlink(QFile::encodeName(path).constData()) == 0) {
        return Status::success();
    }
    const int err = errno;
    if (err == ENOENT) {
        return Status::success();
    }
    const QString message = QStringLiteral("ファイル「%1」を削除できません: %2").arg(path, systemReason(err));
    reportWriteFailure(path, message);
    return Status::failed(path, message);
}

} // namespace nox
