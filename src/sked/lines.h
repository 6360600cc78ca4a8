#pragma once
// The time lines of a column ("0:00" ... "23:30").
#include "sked/skedtypes.h"

#include <QList>
#include <QString>

namespace nox::sked
{

class TLines;

class TLineItem
{
public:
    TLineItem(const TLineItem&) = delete;
    TLineItem& operator=(const TLineItem&) = delete;

    // Text shown in the ruler for the line.
    QString Caption() const { return m_caption; }
    void setCaption(const QString& value);
    // Caption, or "TLineItem" when the caption is empty.
    QString DisplayName() const;
    int Index() const;
    TLines* Collection() const { return m_owner; }
    void Assign(const TLineItem& source) { setCaption(source.m_caption); }

    // Layout results, rebuilt by every layout of the owning column:
    // keys of the items covering this line (item order) and the first row of
    // every block shown for this line (row order).
    QList<int> ItemKeys;
    QList<int> RowStarts;

private:
    friend class TLines;
    explicit TLineItem(TLines* owner) : m_owner(owner) {}

    TLines* m_owner;
    QString m_caption;
};

// Ordered, owning collection of lines. Any update raises one OnChange
// (none while inside BeginUpdate/EndUpdate; one at the final EndUpdate).
class TLines
{
public:
    TLines() = default;
    ~TLines();
    TLines(const TLines&) = delete;
    TLines& operator=(const TLines&) = delete;

    // Appends a line and returns it (owned by the collection).
    TLineItem* Add();
    TLineItem* Add(const QString& caption);
    // nullptr outside 0..Count()-1.
    TLineItem* Items(int index) const;
    int Count() const { return int(m_items.size()); }
    void Delete(int index);
    void Clear();
    // Replaces the lines by copies of the source's lines.
    void Assign(const TLines& source);
    int IndexOf(const TLineItem* item) const { return int(m_items.indexOf(const_cast<TLineItem*>(item))); }

    void BeginUpdate() { ++m_updateCount; }
    void EndUpdate();
    int UpdateCount() const { return m_updateCount; }

    TChangeNotify OnChange;

private:
    friend class TLineItem;
    void changed();

    QList<TLineItem*> m_items;
    int m_updateCount = 0;
};

} // namespace nox::sked
