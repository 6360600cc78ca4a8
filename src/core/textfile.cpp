#include "core/textfile.h"

#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>
#include <QStringEncoder>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace nox
{

QString decodeText(const QByteArray& bytes)
{
    QByteArrayView view(bytes);
    if (view.startsWith("\xEF\xBB\xBF")) {
        view = view.sliced(3);
    }
    // The plain conversion is the fastest; it marks every invalid sequence
    // with a replacement character, so only a text holding one needs the
    // checking decoder (the character may also stand in valid UTF-8).
    QString text = QString::fromUtf8(view);
    if (!text.contains(QChar::ReplacementCharacter)) {
        return text;
    }
    // Opening a converter costs more than decoding a small file: keep one.
    thread_local QStringDecoder utf8(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
    utf8.resetState();
    text = utf8.decode(view);
    if (!utf8.hasError()) {
        return text;
    }
    thread_local QStringDecoder cp932("CP932", QStringConverter::Flag::Stateless);
    if (cp932.isValid()) {
        cp932.resetState();
        return cp932.decode(view);
    }
    return text; // no CP932 table: keep the UTF-8 reading with replacement characters
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

// Reads the whole file; 0 or the errno of the failure (EISDIR for a folder).
// A regular file is read up to the size it had when opened (files are
// replaced, never rewritten in place, so that is all of it); anything else
// up to its end.
int readAllFrom(int fd, QByteArray* bytes)
{
    struct stat st{};
    const qint64 size = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_size > 0 ? qint64(st.st_size) : -1;
    qsizetype filled = 0;
    bytes->resize(size > 0 ? qsizetype(size) : 16384);
    while (size < 0 || filled < size) {
        if (filled == bytes->size()) {
            bytes->resize(filled * 2);
        }
        const ssize_t n = ::read(fd, bytes->data() + filled, size_t(bytes->size() - filled));
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            return errno;
        }
        if (n == 0) {
            break;
        }
        filled += n;
    }
    bytes->truncate(filled);
    return 0;
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

// Reads with plain system calls: day files are small and many (a search
// reads thousands), and QFile's extra checks cost more than the reading.
TextReadResult readTextLines(const QString& path)
{
    TextReadResult r;
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0 && (errno == ENOENT || errno == ENOTDIR)) {
        r.ok = true; // missing: reads as empty
        return r;
    }
    r.exists = true;
    QByteArray bytes;
    const int err = fd < 0 ? errno : readAllFrom(fd, &bytes);
    if (fd >= 0) {
        ::close(fd);
    }
    if (err != 0) {
        r.error = QStringLiteral("ファイル「%1」を読めません: %2").arg(path, QString::fromLocal8Bit(std::strerror(err)));
        return r;
    }
    r.lines = splitLines(decodeText(bytes));
    r.ok = true;
    return r;
}

bool writeTextLines(const QString& path, const QStringList& lines, QString* error)
{
    QString text;
    for (const QString& line : lines) {
        text += line;
        text += QStringLiteral("\r\n");
    }
    return writeFileAtomic(path, encodeText(text), error);
}

namespace
{

WriteFaultHook& faultHook()
{
    static WriteFaultHook hook;
    return hook;
}

// errno of an injected fault at `step`, 0 when none.
int injectedFault(const QString& path, WriteStep step)
{
    const WriteFaultHook& hook = faultHook();
    return hook ? hook(path, step) : 0;
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
        if (const int fault = injectedFault(path, WriteStep::Write)) {
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
    return injectedFault(path, WriteStep::Flush);
}

int syncAndClose(int fd, const QString& path)
{
    int err = injectedFault(path, WriteStep::Sync);
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

} // namespace

void setWriteFaultHook(WriteFaultHook hook)
{
    faultHook() = std::move(hook);
}

bool writeFileAtomic(const QString& path, const QByteArray& bytes, QString* error)
{
    const QByteArray target = QFile::encodeName(path);
    const QFileInfo info(path);
    const QByteArray folder = QFile::encodeName(info.absolutePath());
    QByteArray temp = QFile::encodeName(info.absolutePath() + QStringLiteral("/.") + info.fileName() +
                                        QStringLiteral(".XXXXXX"));
    auto fail = [&](int err) {
        if (error) {
            *error = QStringLiteral("ファイル「%1」に書き込めません: %2").arg(path, systemReason(err));
        }
        return false;
    };

    int err = injectedFault(path, WriteStep::Open);
    const int fd = err ? -1 : ::mkstemp(temp.data());
    if (fd < 0) {
        return fail(err ? err : errno);
    }
    struct stat old {
    };
    if (::stat(target.constData(), &old) == 0) {
        ::fchmod(fd, old.st_mode & 07777);
    } else {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        ::fchmod(fd, 0666 & ~mask);
    }
    err = writeAll(fd, path, bytes);
    if (err != 0) {
        ::close(fd);
    } else {
        err = syncAndClose(fd, path);
    }
    if (err == 0) {
        err = injectedFault(path, WriteStep::Rename);
        if (err == 0 && ::rename(temp.constData(), target.constData()) != 0) {
            err = errno;
        }
    }
    if (err != 0) {
        ::unlink(temp.constData());
        return fail(err);
    }
    syncFolder(folder);
    return true;
}

} // namespace nox
