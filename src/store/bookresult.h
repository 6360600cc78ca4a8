#pragma once
// The outcome of a call of the schedule book: whether it worked and, when it
// did not, which file failed and a message for the user that names the file
// and the system's reason.
#include <QString>
#include <optional>

#include "store/skedrec.h"

namespace nox
{

enum class BookStatus {
    Ok,
    NotFound,      // no day file, or no line with the ID: nothing was changed
    Failed,        // a file could not be read or written
    ChangedOnDisk, // the day file had changed on disk since the book handed it out: both sides'
                   // changes were merged and written; the caller reads the day again
};

struct [[nodiscard]] BookResult {
    BookStatus status = BookStatus::Ok;
    QString file;    // the file that failed or was looked in; empty when ok
    QString message; // for the user; empty when ok
    int count = 0;   // lines removed (remove, replace, move); 0 elsewhere
    // add, replace, move, copy: the schedule as it now stands in its day file
    // (set also when only a later step, such as the alarms, failed).
    std::optional<TSkedRec> record;

    bool ok() const { return status == BookStatus::Ok; }

    static BookResult failed(const QString& file, const QString& message)
    {
        return BookResult{BookStatus::Failed, file, message, 0, std::nullopt};
    }
    static BookResult notFound(const QString& file, const QString& message)
    {
        return BookResult{BookStatus::NotFound, file, message, 0, std::nullopt};
    }
};

} // namespace nox
