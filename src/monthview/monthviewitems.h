#pragma once
// The entries of a month view, kept in the item order: StartDateTime, then
// EndDateTime, then Sequence, ascending.
#include "monthview/monthviewitem.h"

#include <QList>
#include <functional>

namespace nox::monthview
{

class TMonthViewItems
{
public:
    TMonthViewItems() = default;
    ~TMonthViewItems(); // frees the items, never their Data
    TMonthViewItems(const TMonthViewItems&) = delete;
    TMonthViewItems& operator=(const TMonthViewItems&) = delete;

    // A new item (start and end = now, no image) appended to the list; the
    // list is re-sorted on the notification that follows.
    TMonthViewItem* Add();
    // The same with the item's times given (no look at the clock).
    TMonthViewItem* Add(const QDateTime& start, const QDateTime& end);
    // Frees the item at index; out-of-range indices do nothing.
    void Delete(int index);
    // Frees every item.
    void Clear();
    int Count() const { return int(m_items.size()); }
    // nullptr when index is out of range.
    TMonthViewItem* Item(int index) const;
    TMonthViewItem* operator[](int index) const { return Item(index); }
    // -1 when item is not in the list.
    int IndexOf(const TMonthViewItem* item) const;

    // Nesting counter; notifications wait while it is above 0 and the
    // EndUpdate that brings it to 0 notifies once.
    void BeginUpdate() { ++m_updateCount; }
    void EndUpdate();
    bool IsUpdating() const { return m_updateCount > 0; }

    // Puts the items into the item order (stable for equal keys).
    void Sort();

    // For the owning control: a change of the list or of any item (after
    // updates end), and an item about to be freed (before removal).
    std::function<void()> OnChange;
    std::function<void(TMonthViewItem*)> OnDeleting;

private:
    friend class TMonthViewItem;
    void changed();

    QList<TMonthViewItem*> m_items;
    int m_nextSequence = 0;
    int m_updateCount = 0;
    bool m_pending = false;
};

} // namespace nox::monthview
