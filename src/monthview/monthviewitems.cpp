#include "monthview/monthviewitems.h"

#include <algorithm>

namespace nox::monthview
{

TMonthViewItem::TMonthViewItem(TMonthViewItems* owner, int sequence, const QDateTime& start, const QDateTime& end)
    : m_owner(owner), m_sequence(sequence), m_start(start), m_end(end)
{
    m_font.OnChange = [this] { changed(); };
}

void TMonthViewItem::changed()
{
    if (m_owner) {
        m_owner->changed();
    }
}

TMonthViewItems::~TMonthViewItems()
{
    OnChange = nullptr;
    OnDeleting = nullptr;
    qDeleteAll(m_items);
}

TMonthViewItem* TMonthViewItems::Add()
{
    const QDateTime now = QDateTime::currentDateTime();
    return Add(now, now);
}

TMonthViewItem* TMonthViewItems::Add(const QDateTime& start, const QDateTime& end)
{
    auto* item = new TMonthViewItem(this, m_nextSequence++, start, end);
    m_items.append(item);
    changed();
    return item;
}

void TMonthViewItems::Delete(int index)
{
    TMonthViewItem* item = Item(index);
    if (!item) {
        return;
    }
    if (OnDeleting) {
        OnDeleting(item);
    }
    m_items.removeAt(index);
    delete item;
    changed();
}

void TMonthViewItems::Clear()
{
    if (OnDeleting) {
        for (TMonthViewItem* item : std::as_const(m_items)) {
            OnDeleting(item);
        }
    }
    qDeleteAll(m_items);
    m_items.clear();
    changed();
}

TMonthViewItem* TMonthViewItems::Item(int index) const
{
    return index >= 0 && index < m_items.size() ? m_items.at(index) : nullptr;
}

int TMonthViewItems::IndexOf(const TMonthViewItem* item) const
{
    return item ? int(m_items.indexOf(const_cast<TMonthViewItem*>(item))) : -1;
}

void TMonthViewItems::EndUpdate()
{
    if (m_updateCount == 0) {
        return;
    }
    if (--m_updateCount == 0) {
        m_pending = false;
        if (OnChange) {
            OnChange();
        }
    }
}

void TMonthViewItems::Sort()
{
    std::stable_sort(m_items.begin(), m_items.end(), [](const TMonthViewItem* a, const TMonthViewItem* b) {
        if (a->m_start != b->m_start) {
            return a->m_start < b->m_start;
        }
        if (a->m_end != b->m_end) {
            return a->m_end < b->m_end;
        }
        return a->m_sequence < b->m_sequence;
    });
}

void TMonthViewItems::changed()
{
    if (m_updateCount > 0) {
        m_pending = true;
        return;
    }
    if (OnChange) {
        OnChange();
    }
}

} // namespace nox::monthview
