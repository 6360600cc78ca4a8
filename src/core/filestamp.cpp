#include "core/filestamp.h"

#include <QDateTime>
#include <QFile>
#include <sys/stat.h>

namespace nox
{

namespace
{
// Far above any file system's clock tick.
constexpr qint64 kSettledNs = 2'000'000'000;
} // namespace

FileStamp FileStamp::of(const QString& path)
{
    struct stat st {};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0) {
        return FileStamp();
    }
    return of(st);
}

FileStamp FileStamp::of(const struct stat& st)
{
    FileStamp stamp;
    stamp.exists = true;
    stamp.size = qint64(st.st_size);
    stamp.mtimeNs = qint64(st.st_mtim.tv_sec) * 1'000'000'000 + st.st_mtim.tv_nsec;
    stamp.inode = quint64(st.st_ino);
    stamp.device = quint64(st.st_dev);
    return stamp;
}

bool FileStamp::isSettled() const
{
    const qint64 nowNs = QDateTime::currentMSecsSinceEpoch() * 1'000'000;
    return !exists || mtimeNs <= nowNs - kSettledNs;
}

} // namespace nox
