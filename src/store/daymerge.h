#pragma once
// Merging two changes of one day's schedules: the program's (a view that
// replaces the day by the records it holds) and another program's (noxtool,
// a sync tool or an editor that changed the day file meanwhile). Nothing
// either side wrote is lost.
#include <QList>
#include <functional>

#include "store/skedrec.h"

namespace nox
{

// Three-way merge by ID. `base`: the day as the view was given it; `mine`:
// as the view holds it now; `theirs`: as the file holds it now. A schedule
// changed on one side only takes that side's change; one changed on both
// sides to different records is kept twice (theirs, and mine under
// `freshId()`); one deleted on one side stays deleted unless the other side
// changed it. New schedules of both sides are kept (a new one of mine whose
// ID the file already uses gets `freshId()`). Order: theirs in file order,
// then mine.
QList<TSkedRec> mergeDayRecords(const QList<TSkedRec>& base, const QList<TSkedRec>& mine,
                                const QList<TSkedRec>& theirs, const std::function<qint32()>& freshId);

} // namespace nox
