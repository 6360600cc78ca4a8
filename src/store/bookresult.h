#pragma once
// The outcome of a call of the schedule book: a Result whose status says
// whether it worked and, when it did not, which file failed and a message for
// the user that names the file and the system's reason.
#include <optional>

#include "core/status.h"
#include "store/skedrec.h"

namespace nox
{

// Ok; NotFound (no day file, or no line with the ID: nothing was changed);
// Failed (a file could not be read or written); ChangedOnDisk (the day file
// had changed on disk since the book handed it out: both sides' changes were
// merged and written; the caller reads the day again).
using BookStatus = StatusCode;

// What a command of the book changed.
struct BookChange {
    int count = 0; // lines removed (remove, replace, move); 0 elsewhere
    // add, replace, move, copy: the schedule as it now stands in its day file
    // (set also when only a later step, such as the alarms, failed).
    std::optional<TSkedRec> record;
};

using BookResult = Result<BookChange>;

} // namespace nox
