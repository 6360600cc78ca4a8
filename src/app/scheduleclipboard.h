#pragma once
// The main window's private schedule clipboard (the system clipboard is not
// used) and the arithmetic of placing a schedule on another line or day.
#include <QDate>
#include <functional>
#include <optional>

#include "store/skedrec.h"

namespace nox
{

// The start and end slot a schedule of span `start`..`end` gets when it is
// put on `line`: the length is kept, the end lowered to the last slot 47 when
// it would pass it.
struct TSlotSpan {
    int start = 0;
    int end = 0;
};
TSlotSpan placedSpan(int start, int end, int line);

// A cut schedule is pasted once and keeps its ID; a copied one any number of
// times, each time under a fresh ID.
class TScheduleClipboard
{
public:
    bool hasSchedule() const { return m_record.has_value(); }
    bool isCut() const { return m_cut; }
    // The date a cut schedule was cut from.
    QDate cutFrom() const { return m_cutFrom; }
    const std::optional<TSkedRec>& record() const { return m_record; }

    void copy(const TSkedRec& rec);
    // Call once the schedule is gone from its day file.
    void cut(const TSkedRec& rec);
    void clear();

    // The record a paste on `date` stores, nothing when empty: a fresh ID
    // from `newId` after a copy; the times are kept (the caller places them).
    std::optional<TSkedRec> pasteRecord(const QDate& date, const std::function<qint32()>& newId) const;
    // Call once the pasted record is stored: a cut schedule leaves the clipboard.
    void pasted();

private:
    std::optional<TSkedRec> m_record;
    bool m_cut = false;
    QDate m_cutFrom;
};

} // namespace nox
