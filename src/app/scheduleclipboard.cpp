#include "app/scheduleclipboard.h"

namespace nox
{

TSlotSpan placedSpan(int start, int end, int line)
{
    const int first = qBound(0, line, kSlotCount - 1);
    return TSlotSpan{first, qMin(kSlotCount - 1, first + qMax(0, end - start))};
}

void TScheduleClipboard::copy(const TSkedRec& rec)
{
    m_record = rec;
    m_cut = false;
    m_cutFrom = QDate();
}

void TScheduleClipboard::cut(const TSkedRec& rec)
{
    m_record = rec;
    m_cut = true;
    m_cutFrom = rec.date();
}

void TScheduleClipboard::clear()
{
    m_record.reset();
    m_cut = false;
    m_cutFrom = QDate();
}

std::optional<TSkedRec> TScheduleClipboard::pasteRecord(const QDate& date,
                                                        const std::function<qint32()>& newId) const
{
    if (!m_record) {
        return std::nullopt;
    }
    TSkedRec rec = *m_record;
    if (!m_cut) {
        rec.ID = newId();
    }
    rec.setDate(date);
    return rec;
}

void TScheduleClipboard::pasted()
{
    if (m_cut) {
        clear();
    }
}

} // namespace nox
