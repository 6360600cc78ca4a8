#pragma once
// A temporary folder in memory (/dev/shm) where the machine has one: the
// record file syncs every write to disk, which makes tests of thousands of
// writes slow on a real disk.
#include <QDir>
#include <QFileInfo>
#include <QString>

inline QString memoryBackedTemplate()
{
    const QString shm = QStringLiteral("/dev/shm");
    return (QFileInfo(shm).isDir() && QFileInfo(shm).isWritable() ? shm : QDir::tempPath()) +
           QStringLiteral("/nox-test-XXXXXX");
}
