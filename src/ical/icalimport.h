#pragma once
// Applying an import plan (icalreader.h) to a data folder: first a preview
// (what would be added, what updated, which categories are new), then the
// import itself, every write through the schedule book. An import stopped
// by a failed write leaves every file whole (each write is atomic) and the
// UID map saved for what was done, so that importing again completes it
// without adding anything twice.
#include <QList>
#include <QString>
#include <QStringList>

#include "core/status.h"
#include "icalreader.h"

namespace nox
{
class ScheduleBook;
}

namespace nox::ical
{

class UidMap;

struct ImportPreview {
    int events = 0;    // events to take
    int repeating = 0; // of them repeating
    int expanded = 0;  // of those written out as occurrences
    int toUpdate = 0;  // items whose UID was imported before
    int schedules = 0; // day-file schedules to write
    int rules = 0;     // repeat rules to write
    int skipped = 0;   // cancelled events, to-dos and journal entries
    QStringList newCategories;
    QStringList expandedNames; // "line: summary" of each expanded event
    QList<IcalProblem> problems;
};

// `categories`: the category list as the program shows it.
ImportPreview previewImport(const IcalPlan& plan, const UidMap& map, const QStringList& categories);

struct ImportOutcome {
    Status result = Status::success(); // the first failure; the import stopped there
    int added = 0;                     // schedules and rules added
    int updated = 0;                   // schedules and rules of an earlier import changed
    int unchanged = 0;                 // schedules and rules of an earlier import that stay as they are
    int removed = 0;                   // schedules and rules of an earlier import that are gone
    QStringList categoriesAdded;
};

// Imports the plan: new categories appended to the category list (read
// from `dataFolder`, else `defaultFolder`, written to `dataFolder`), the
// rules, then the schedules in file order, then the UID map.
ImportOutcome applyImport(ScheduleBook& book, const IcalPlan& plan, UidMap* map,
                          const QString& defaultFolder);

// The summary noxtool prints and the preview shows (Japanese, lines).
QStringList describePreview(const ImportPreview& preview);

} // namespace nox::ical
