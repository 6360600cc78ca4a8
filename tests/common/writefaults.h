#pragma once
// The faults of the writer's test seam (core/textfile.h), each with the
// errno a test gives it, for the tests that run every kind of file through
// every fault.
#include <QList>
#include <QTest>

#include <cerrno>

#include "core/textfile.h"

namespace nox::test
{

struct WriteFault {
    WriteStep step;
    int err;
    const char* name;
};

inline const QList<WriteFault>& writeFaults()
{
    static const QList<WriteFault> faults{{WriteStep::Open, EACCES, "open"},
                                          {WriteStep::Write, ENOSPC, "short write"},
                                          {WriteStep::Flush, ENOSPC, "full disk at flush"},
                                          {WriteStep::Sync, EIO, "fsync"},
                                          {WriteStep::Rename, EXDEV, "rename"}};
    return faults;
}

// The columns "step" and "err" (ints) and one row per fault.
inline void addWriteFaultRows()
{
    QTest::addColumn<int>("step");
    QTest::addColumn<int>("err");
    for (const WriteFault& f : writeFaults()) {
        QTest::newRow(f.name) << int(f.step) << f.err;
    }
}

} // namespace nox::test
