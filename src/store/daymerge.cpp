#include "store/daymerge.h"

#include <QHash>
#include <QSet>

namespace nox
{

namespace
{

// The first record of each ID.
QHash<qint32, TSkedRec> byId(const QList<TSkedRec>& records)
{
    QHash<qint32, TSkedRec> map;
    for (const TSkedRec& rec : records) {
        if (!map.contains(rec.ID)) {
            map.insert(rec.ID, rec);
        }
    }
    return map;
}

// One schedule the file holds and the base knew; `mine` null when deleted here.
void mergeKnown(const TSkedRec& theirs, const TSkedRec& base, const TSkedRec* mine, QList<TSkedRec>& out,
                const std::function<qint32()>& freshId)
{
    if (!mine) {
        if (theirs != base) {
            out << theirs; // changed there: the deletion here gives way
        }
        return;
    }
    if (*mine == base || *mine == theirs) {
        out << theirs;
    } else if (theirs == base) {
        out << *mine;
    } else {
        out << theirs;
        TSkedRec copy = *mine;
        copy.ID = freshId();
        out << copy;
    }
}

} // namespace

QList<TSkedRec> mergeDayRecords(const QList<TSkedRec>& base, const QList<TSkedRec>& mine,
                                const QList<TSkedRec>& theirs, const std::function<qint32()>& freshId)
{
    const QHash<qint32, TSkedRec> baseById = byId(base);
    const QHash<qint32, TSkedRec> mineById = byId(mine);
    QSet<qint32> theirIds;
    QSet<qint32> settled; // IDs whose record of mine has been merged
    QList<TSkedRec> out;
    for (const TSkedRec& rec : theirs) {
        theirIds << rec.ID;
        const auto b = baseById.constFind(rec.ID);
        if (b == baseById.cend() || settled.contains(rec.ID)) {
            out << rec; // new there, or a second line with the ID
            continue;
        }
        settled << rec.ID;
        const auto m = mineById.constFind(rec.ID);
        mergeKnown(rec, *b, m == mineById.cend() ? nullptr : &*m, out, freshId);
    }
    QSet<qint32> seenMine;
    for (const TSkedRec& rec : mine) {
        const bool first = !seenMine.contains(rec.ID);
        seenMine << rec.ID;
        if (first && settled.contains(rec.ID)) {
            continue;
        }
        const auto b = baseById.constFind(rec.ID);
        if (first && b != baseById.cend()) {
            if (rec != *b) {
                out << rec; // deleted there, changed here: kept
            }
            continue;
        }
        if (out.contains(rec)) {
            continue;
        }
        TSkedRec added = rec;
        if (theirIds.contains(rec.ID)) {
            added.ID = freshId();
        }
        out << added;
    }
    return out;
}

} // namespace nox
