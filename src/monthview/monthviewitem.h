#pragma once
// One entry of the month view: a one-line bar in the cell of its day.
#include "core/color.h"
#include "widgets/viewlook.h"
#include "store/skedrec.h"

#include <QDateTime>
#include <QRect>
#include <QString>

namespace nox::monthview
{

class TMonthViewItems;

// Created and owned by TMonthViewItems (Add). Setting a field to a different
// value, or changing Font, notifies the list, which makes the control sort
// its items and repaint.
class TMonthViewItem
{
public:
    TMonthViewItem(const TMonthViewItem&) = delete;
    TMonthViewItem& operator=(const TMonthViewItem&) = delete;

    // Creation number from the list's counter; orders items of equal times.
    int Sequence() const { return m_sequence; }

    QDateTime StartDateTime() const { return m_start; }
    void SetStartDateTime(const QDateTime& value) { store(m_start, value); }
    QDateTime EndDateTime() const { return m_end; }
    void SetEndDateTime(const QDateTime& value) { store(m_end, value); }
    // The day whose cell shows the bar.
    QDate Day() const { return m_start.date(); }
    QString Text() const { return m_text; }
    void SetText(const QString& value) { store(m_text, value); }
    // Not drawn; kept for the owner.
    QString Memo() const { return m_memo; }
    void SetMemo(const QString& value) { store(m_memo, value); }
    TViewFont& Font() { return m_font; }
    const TViewFont& Font() const { return m_font; }
    // Index into the control's Images, -1 none.
    int ImageIndex() const { return m_imageIndex; }
    void SetImageIndex(int value) { store(m_imageIndex, value); }
    // The schedule the entry shows, as its owner stored it; never read by
    // the view, it goes with the item.
    const TSkedRec& Record() const { return m_record; }
    TSkedRec& Record() { return m_record; }
    int Tag() const { return m_tag; }
    void SetTag(int value) { store(m_tag, value); }
    int ID() const { return m_id; }
    void SetID(int value) { store(m_id, value); }
    QString Category() const { return m_category; }
    void SetCategory(const QString& value) { store(m_category, value); }
    // Bar background; the system info-background colour by default.
    TColor Color() const { return m_color; }
    void SetColor(TColor value) { store(m_color, value); }
    bool MemoMark() const { return m_memoMark; }
    void SetMemoMark(bool value) { store(m_memoMark, value); }
    // Where the bar was last laid out, in the control's client coordinates
    // (the bar grown by one pixel above and below); empty until then and
    // when the bar did not fit.
    QRect ItemRect() const { return m_itemRect; }

    TMonthViewItems* Owner() const { return m_owner; }

private:
    friend class TMonthViewItems;
    friend class TCustomMonthView;
    TMonthViewItem(TMonthViewItems* owner, int sequence, const QDateTime& start, const QDateTime& end);

    template <class T> void store(T& field, const T& value)
    {
        if (field != value) {
            field = value;
            changed();
        }
    }
    void changed();

    TMonthViewItems* m_owner;
    int m_sequence;
    QDateTime m_start;
    QDateTime m_end;
    QString m_text;
    QString m_memo;
    TViewFont m_font;
    int m_imageIndex = -1;
    TSkedRec m_record;
    int m_tag = 0;
    int m_id = 0;
    QString m_category;
    TColor m_color = clInfoBk;
    bool m_memoMark = false;
    QRect m_itemRect;
};

} // namespace nox::monthview
