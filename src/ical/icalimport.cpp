#include "icalimport.h"

#include <QHash>
#include <QMap>
#include <QSet>

#include "icaluidmap.h"
#include "store/categories.h"
#include "store/schedulebook.h"

namespace nox::ical
{

ImportPreview previewImport(const IcalPlan& plan, const UidMap& map, const QStringList& categories)
{
    ImportPreview p;
    p.events = plan.events;
    p.repeating = plan.repeating;
    p.expanded = plan.expanded;
    p.skipped = plan.cancelled + plan.todos + plan.journals;
    p.problems = plan.problems;
    QSet<QString> counted;
    for (const IcalItem& item : plan.items) {
        if (item.kind == ItemKind::Rule) {
            ++p.rules;
        } else {
            p.schedules += int(item.schedules.size());
        }
        if (item.expanded) {
            p.expandedNames.append(QStringLiteral("%1 行目: %2").arg(item.line).arg(item.summary));
        }
        if (!item.uid.isEmpty() && (map.has(item.uid) || map.ownEntry(item.uid)) &&
            !counted.contains(item.uid)) {
            counted.insert(item.uid);
            ++p.toUpdate;
        }
    }
    for (const QString& c : plan.categories) {
        if (!CategoryRefusal(categories, c).isEmpty()) {
            continue; // listed already (or a name the list cannot take)
        }
        p.newCategories.append(c);
    }
    return p;
}

QStringList describePreview(const ImportPreview& p)
{
    QStringList out;
    out.append(QStringLiteral(
                   "予定 %1 件 (繰り返し %2 件、うち日ごとに書き出す %3 件)、前回の読み込みから更新 %4 件")
                   .arg(p.events)
                   .arg(p.repeating)
                   .arg(p.expanded)
                   .arg(p.toUpdate));
    out.append(QStringLiteral("書き込む予定 %1 件、繰り返し規則 %2 件").arg(p.schedules).arg(p.rules));
    if (p.skipped > 0) {
        out.append(QStringLiteral("読み飛ばし (取り消し・ToDo・日誌) %1 件").arg(p.skipped));
    }
    if (!p.newCategories.isEmpty()) {
        out.append(QStringLiteral("新しい分類: %1").arg(p.newCategories.join(QStringLiteral("、"))));
    }
    for (const QString& name : p.expandedNames) {
        out.append(QStringLiteral("日ごとに書き出す繰り返し: %1").arg(name));
    }
    if (!p.problems.isEmpty()) {
        out.append(QStringLiteral("読み込めない予定 %1 件:").arg(p.problems.size()));
        for (const IcalProblem& pr : p.problems) {
            const QString where =
                pr.line > 0 ? QStringLiteral("%1 行目").arg(pr.line) : QStringLiteral("ファイル");
            out.append(QStringLiteral("  %1: %2%3")
                           .arg(where,
                                pr.summary.isEmpty() ? QString() : QStringLiteral("「%1」 ").arg(pr.summary),
                                pr.reason));
        }
    }
    return out;
}

namespace
{

class Importer
{
public:
    Importer(ScheduleBook& book, const IcalPlan& plan, UidMap* map) : m_book(book), m_plan(plan), m_map(map)
    {
        for (const IcalItem& item : plan.items) {
            if (!m_old.contains(item.uid)) {
                QList<UidEntry> old = map->entries(item.uid);
                if (old.isEmpty()) {
                    if (const std::optional<UidEntry> own = map->ownEntry(item.uid)) {
                        old.append(*own); // exported from this folder: the schedule itself
                    }
                }
                m_old.insert(item.uid, old);
            }
        }
    }

    bool rule(const IcalItem& item);
    bool schedules(const IcalItem& item);
    bool flushAdds();
    bool removeLeftovers();
    Status saveMap();

    ImportOutcome outcome;

private:
    std::optional<UidEntry> takeOld(const QString& uid, bool rule);
    std::optional<UidEntry> overrideInDay(const TSkedRec& rec) const;
    bool failed(const BookResult& r)
    {
        outcome.result = r.status();
        return false;
    }

    ScheduleBook& m_book;
    const IcalPlan& m_plan;
    UidMap* m_map;
    QHash<QString, QList<UidEntry>> m_old;
    QHash<QString, QList<UidEntry>> m_new;
    QHash<QString, qint32> m_ruleOfUid;
    // New schedules by day, each day written once (in item order within it).
    QMap<QDate, QList<std::pair<QString, TSkedRec>>> m_adds;
    QSet<std::pair<qint64, qint32>> m_pendingIds;
};

std::optional<UidEntry> Importer::takeOld(const QString& uid, bool rule)
{
    QList<UidEntry>& old = m_old[uid];
    for (qsizetype i = 0; i < old.size(); ++i) {
        if (old.at(i).rule == rule) {
            return old.takeAt(i);
        }
    }
    return std::nullopt;
}

// The day-file schedule that already stands for the same changed occurrence
// (a file exported from this folder and imported back).
std::optional<UidEntry> Importer::overrideInDay(const TSkedRec& rec) const
{
    const std::optional<RuleRef> ref = ruleRefOf(rec);
    if (!ref) {
        return std::nullopt;
    }
    for (const TSkedRec& r : m_book.day(rec.date()).records) {
        const std::optional<RuleRef> other = r.isOccurrence() ? std::nullopt : ruleRefOf(r);
        if (other && other->ruleId == ref->ruleId && other->date == ref->date) {
            return UidEntry{false, r.date(), r.ID};
        }
    }
    return std::nullopt;
}

bool Importer::rule(const IcalItem& item)
{
    RepeatRule wanted = item.rule;
    const std::optional<UidEntry> old = takeOld(item.uid, true);
    RepeatRule existing;
    if (old && m_book.rule(old->id, &existing).ok()) {
        const auto take = [&](RepeatRule& rr) {
            const qint32 id = rr.id;
            const QString later = rr.laterFields;
            rr = wanted;
            rr.id = id;
            rr.laterFields = later;
            rr.sked.ID = id;
            rr.sked.setDate(rr.first);
        };
        RepeatRule changed = existing;
        take(changed);
        if (changed == existing) {
            ++outcome.unchanged;
        } else {
            const BookResult r = m_book.changeRule(old->id, take);
            if (!r.ok()) {
                return failed(r);
            }
            ++outcome.updated;
        }
        wanted.id = old->id;
    } else {
        if (!isRuleId(wanted.id)) {
            wanted.id = 0;
        }
        const BookResult r = m_book.addRule(&wanted);
        if (!r.ok()) {
            return failed(r);
        }
        ++outcome.added;
    }
    m_ruleOfUid.insert(item.uid, wanted.id);
    m_new[item.uid].append(UidEntry{true, {}, wanted.id});
    return true;
}

bool Importer::schedules(const IcalItem& item)
{
    for (TSkedRec rec : item.schedules) {
        if (item.kind == ItemKind::Override && m_ruleOfUid.contains(item.uid)) {
            setRuleRef(&rec, RuleRef{m_ruleOfUid.value(item.uid), item.ruleDate});
        }
        std::optional<UidEntry> old = takeOld(item.uid, false);
        if (!old && item.kind == ItemKind::Override) {
            old = overrideInDay(rec);
        }
        const std::optional<TSkedRec> existing = old ? m_book.find(old->date, old->id) : std::nullopt;
        if (existing) {
            rec.ID = old->id;
            if (formatSkedLine(*existing) == formatSkedLine(rec) && existing->date() == rec.date()) {
                ++outcome.unchanged; // its line stays where it is
            } else {
                const BookResult r = m_book.replace(old->date, old->id, rec);
                ++outcome.updated;
                if (!r.ok() && r.code() != BookStatus::ChangedOnDisk) {
                    return failed(r);
                }
            }
        } else {
            const auto key = [](const TSkedRec& r) { return std::pair{qint64(r.Date), r.ID}; };
            const bool ownId = rec.ID > 0 && !isRuleId(rec.ID) && !m_pendingIds.contains(key(rec)) &&
                               !m_book.find(rec.date(), rec.ID);
            rec.ID = ownId ? rec.ID : m_book.newId();
            m_pendingIds.insert(key(rec));
            m_adds[rec.date()].append({item.uid, rec});
            continue;
        }
        m_new[item.uid].append(UidEntry{false, rec.date(), rec.ID});
    }
    return true;
}

bool Importer::flushAdds()
{
    for (auto it = m_adds.cbegin(); it != m_adds.cend(); ++it) {
        QList<TSkedRec> recs;
        for (const auto& [uid, rec] : it.value()) {
            recs.append(rec);
        }
        const BookResult r = m_book.addAll(it.key(), recs);
        if (!r.ok() && !r->record) { // the day was not written
            return failed(r);
        }
        for (const auto& [uid, rec] : it.value()) {
            m_new[uid].append(UidEntry{false, rec.date(), rec.ID});
        }
        outcome.added += int(recs.size());
        if (!r.ok() && r.code() != BookStatus::ChangedOnDisk) {
            return failed(r);
        }
    }
    return true;
}

bool Importer::removeLeftovers()
{
    for (auto it = m_old.begin(); it != m_old.end(); ++it) {
        while (!it.value().isEmpty()) {
            const UidEntry e = it.value().first();
            const BookResult r = e.rule ? m_book.removeRule(e.id) : m_book.remove(e.date, e.id);
            if (!r.ok() && r.code() != BookStatus::NotFound) {
                return failed(r);
            }
            it.value().removeFirst();
            outcome.removed += r.ok() ? 1 : 0;
        }
    }
    return true;
}

// What stands now: the new entries of each UID and the old ones not dealt
// with yet (an import stopped halfway keeps both).
Status Importer::saveMap()
{
    for (auto it = m_old.cbegin(); it != m_old.cend(); ++it) {
        m_map->setEntries(it.key(), m_new.value(it.key()) + it.value());
    }
    return m_map->save();
}

} // namespace

ImportOutcome applyImport(ScheduleBook& book, const IcalPlan& plan, UidMap* map, const QString& defaultFolder)
{
    Importer importer(book, plan, map);
    ImportOutcome& outcome = importer.outcome;
    QStringList categories;
    const ListFileResult loaded = loadCategories(categories, book.dataFolder(), defaultFolder);
    if (!loaded.ok()) {
        outcome.result = loaded.status();
        return outcome;
    }
    for (const QString& c : plan.categories) {
        if (CategoryRefusal(categories, c).isEmpty()) {
            categories.append(c);
            outcome.categoriesAdded.append(c);
        }
    }
    if (!outcome.categoriesAdded.isEmpty()) {
        const ListFileResult saved = saveCategories(categories, book.dataFolder());
        if (!saved.ok()) {
            outcome.result = saved.status();
            outcome.categoriesAdded.clear();
            return outcome;
        }
    }
    bool ok = true;
    for (const IcalItem& item : plan.items) {
        if (ok && item.kind == ItemKind::Rule) {
            ok = importer.rule(item);
        }
    }
    for (const IcalItem& item : plan.items) {
        if (ok && item.kind != ItemKind::Rule) {
            ok = importer.schedules(item);
        }
    }
    if (ok) {
        ok = importer.flushAdds();
    }
    if (ok) {
        importer.removeLeftovers();
    }
    Status saved = importer.saveMap();
    if (outcome.result.ok() && !saved.ok()) {
        outcome.result = saved;
    }
    return outcome;
}

} // namespace nox::ical
