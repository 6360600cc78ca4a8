#pragma once
// Items drawn over the lines of a day column.
#include "sked/skedtypes.h"
#include "widgets/viewlook.h"
#include "store/skedrec.h"

#include <QList>
#include <QRect>
#include <QString>

namespace nox::sked
{

class TCustomSked;
class TSkedItems;

// One schedule entry of a column. Create it for a list, set its fields, then
// hand it to the list's Add (which takes ownership).
class TSkedItem
{
public:
    explicit TSkedItem(TSkedItems* owner);
    ~TSkedItem();
    TSkedItem(const TSkedItem&) = delete;
    TSkedItem& operator=(const TSkedItem&) = delete;

    // Unique within the list, increasing in creation order, never reused.
    int Key() const { return m_key; }

    // Lines StartLine..EndLine inclusive. Changing either re-lays out the
    // column at once, then notifies.
    int StartLine() const { return m_startLine; }
    void setStartLine(int value);
    int EndLine() const { return m_endLine; }
    void setEndLine(int value);

    // Displayed text; may hold line breaks, is word-wrapped.
    QString Text() const { return m_text; }
    void setText(const QString& value);
    TViewFont& Font() { return m_font; }
    const TViewFont& Font() const { return m_font; }
    int ImageIndex() const { return m_imageIndex; }
    void setImageIndex(int value);
    // Colour of the time bar and handles.
    TColor LineColor() const { return m_lineColor; }
    void setLineColor(TColor value);

    // true: selects the item's first row in its column (raises OnSelectItem);
    // false: only clears the flag.
    bool Selected() const { return m_selected; }
    void setSelected(bool value);

    // Payloads, never read by the view. Record is the schedule the item
    // shows, as its owner stored it; it goes with the item.
    int ID = 0;
    QString Memo;
    QString Category;
    TSkedRec Record;

    // Layout results (read-only for users of the column).
    int TextHeight() const { return m_textHeight; }
    QRect BlockRect() const { return m_blockRect; }
    int FirstRow() const { return m_firstRow; }
    QRect TopGrip() const { return m_topGrip; }
    QRect BottomGrip() const { return m_bottomGrip; }

    int Index() const;
    TSkedItems* Owner() const { return m_owner; }
    TCustomSked* Sked() const;
    // true iff ImageIndex names an image of the image list in effect.
    bool HasImage() const;
    // Indent level from the line key lists of the last layout.
    int Level() const;
    // Opens the in-place editor on the item; false when not allowed.
    bool EditText();
    // Raises the list's change notification unless it is inside an update.
    void Changed();

private:
    friend class TSkedItems;
    friend class TCustomSked;
    int levelBounded(int depth) const;

    TSkedItems* m_owner;
    int m_key = 0;
    int m_startLine = 0;
    int m_endLine = 0;
    QString m_text;
    TViewFont m_font;
    int m_textHeight = 0;
    bool m_selected = false;
    int m_imageIndex = -1;
    TColor m_lineColor = clBlack;
    QRect m_blockRect{0, 0, 0, 0};
    int m_firstRow = -1;
    QRect m_topGrip;
    QRect m_bottomGrip;
};

// Ordered, owning list of a column's items.
class TSkedItems
{
public:
    explicit TSkedItems(TCustomSked* sked);
    ~TSkedItems();
    TSkedItems(const TSkedItems&) = delete;
    TSkedItems& operator=(const TSkedItems&) = delete;

    // nullptr for any index outside 0..Count()-1.
    TSkedItem* Items(int index) const;
    int Count() const { return int(m_items.size()); }
    // Takes ownership of an item created for this list and appends it.
    // Returns false (and changes nothing) for nullptr, an item of another
    // list or an item already in the list.
    bool Add(TSkedItem* item);
    // Frees item i; adjusts the column's SelectedRow and FocusRow.
    void Delete(int index);
    // Deletes every item; resets the column's selection and focus row.
    void Clear();
    int IndexOfKey(int key) const;
    int IndexOf(const TSkedItem* item) const { return int(m_items.indexOf(const_cast<TSkedItem*>(item))); }

    void BeginUpdate() { ++m_updateCount; }
    void EndUpdate();
    int UpdateCount() const { return m_updateCount; }

    TCustomSked* Sked() const { return m_sked; }
    int NextKey() const { return m_nextKey; }

    // Sorts by StartLine, EndLine, Key.
    void Sort();

    // Set by the column to its ItemsChanged.
    TChangeNotify OnItemsChange;

private:
    friend class TSkedItem;
    void changed();
    void removeAt(int index);

    TCustomSked* m_sked;
    QList<TSkedItem*> m_items;
    int m_nextKey = 0;
    int m_updateCount = 0;
    bool m_clearing = false;
};

} // namespace nox::sked
