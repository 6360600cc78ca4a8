#pragma once
// Several day columns side by side in equal widths, with one shared vertical
// scroll position, master copies of the appearance, lines, frame options and
// images, an active column, and the columns' events re-raised with the column.
// Items are filled into each column's Items by the program.
#include "sked/sked.h"

#include <QAbstractScrollArea>
#include <QList>

namespace nox::sked
{

class TCustomSkedControl : public QAbstractScrollArea
{
    Q_OBJECT
public:
    explicit TCustomSkedControl(QWidget* parent = nullptr);
    ~TCustomSkedControl() override;

    // Master copies handed to every column.
    TView& View() { return m_view; }
    TLines& Lines() { return m_lines; }
    TSkedOptions& SkedOptions() { return m_options; }

    TBorderStyle BorderStyle() const { return m_borderStyle; }
    void setBorderStyle(TBorderStyle value);
    // Number of columns; columns are added and removed at the end. A new
    // column starts at the shared TopRow.
    int SkedCount() const { return int(m_skeds.size()); }
    void setSkedCount(int value);
    // Image list for all columns (not owned). Call ImagesChanged() after
    // changing it and setImages(nullptr) before destroying it.
    const QList<QPixmap>* Images() const { return m_images; }
    void setImages(const QList<QPixmap>* images);
    void ImagesChanged();
    // Given to the active column only; inactive columns always hide.
    bool HideSelection() const { return m_hideSelection; }
    void setHideSelection(bool value);
    bool ReadOnly() const { return m_readOnly; }
    void setReadOnly(bool value);
    bool ScrollBar() const { return m_scrollBar; }
    void setScrollBar(bool value);
    TDragMode DragMode() const { return m_dragMode; }
    void setDragMode(TDragMode value);
    TColor Color() const { return m_color; }
    void setColor(TColor value);
    // Shown for a column's context menu request that neither OnSkedContextPopup
    // nor the column's own PopupMenu handled (not owned).
    QMenu* PopupMenu() const { return m_popupMenu; }
    void setPopupMenu(QMenu* menu) { m_popupMenu = menu; }

    // Column by index; nullptr outside 0..SkedCount()-1.
    TSked* Skeds(int index) const;
    TSked* ActiveSked() const { return m_activeSked; }
    // Activates a column (it takes the focus when the control has it).
    void setActiveSked(TSked* sked);
    int ActiveIndex() const;
    void setActiveIndex(int index);
    // Shared scroll position, clamped to 0..MaxRowCount().
    int TopRow() const { return m_topRow; }
    void setTopRow(int value);
    // Bulk updates: every column's Items are held; the last EndUpdate
    // re-renders each column once, sets the scroll bar once and brings every
    // column to the shared TopRow (a column refilled with more rows than it
    // had scrolls on to where the others are).
    void BeginUpdate();
    void EndUpdate();
    int UpdateCount() const { return m_updateCount; }
    int MaxRowCount() const;
    int PageRows() const;
    // true iff the control or one of its columns (or an editor) has the focus.
    bool isFocusInside() const;
    void UpdateScrollBar(bool reset);

    // --- events (Sender: the control) ---
    TNotifyEvent OnChange;
    TSkedControlEvent OnSkedClick;
    TSkedControlEvent OnSkedDblClick;
    TSkedControlEvent OnSkedEnter;
    TSkedControlEvent OnSkedExit;
    TSkedControlContextPopupEvent OnSkedContextPopup;
    TSkedControlMouseEvent OnSkedMouseDown;
    TSkedControlMouseEvent OnSkedMouseUp;
    TSkedControlMouseMoveEvent OnSkedMouseMove;
    TSkedControlKeyEvent OnSkedKeyDown;
    TSkedControlKeyEvent OnSkedKeyUp;
    TSkedControlKeyPressEvent OnSkedKeyPress;
    TSkedControlDragDropEvent OnSkedDragDrop;
    TSkedControlDragOverEvent OnSkedDragOver;
    TSkedControlEndDragEvent OnSkedEndDrag;
    TSkedControlStartDragEvent OnSkedStartDrag;
    TSkedControlSelectItemEvent OnSkedSelectItem;
    TSkedControlEditedEvent OnSkedEdited;
    TSkedControlEditingEvent OnSkedEditing;
    TSkedControlDrawItemEvent OnSkedDrawItem;
    TSkedControlLineDropEvent OnSkedLineDrop;
    // Wheel over the control or over a column that did not handle it itself;
    // Sender is the control, MousePos in its viewport. Unhandled wheels go on
    // to the parent.
    TSkedControlMouseWheelEvent OnMouseWheel;

protected:
    bool event(QEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void focusInEvent(QFocusEvent* e) override;
    void changeEvent(QEvent* e) override;
    void scrollContentsBy(int dx, int dy) override;
    void wheelEvent(QWheelEvent* e) override;

private:
    friend class TCustomSked;
    void addColumn();
    void removeColumn();
    void connectColumn(TSked* sked);
    void ArrangeColumns();
    void viewChanged();
    void linesChanged();
    void optionsChanged();
    void columnActivated(TSked* sked);
    void makeActive(TSked* sked);
    void selectInStep(TSked* sked);
    void columnKeyDown(TSked* sked, int& key, Qt::KeyboardModifiers shift);
    void moveActive(int step);
    void columnItemsChanged();
    // A wheel over a column that the column left unhandled: raises
    // OnMouseWheel (MousePos in the control's viewport) and, when that does
    // not handle it, passes it on to the control's parents like any wheel
    // nobody took. Returns true iff some handler took it.
    bool columnWheel(const TCustomSked* sked, const QWheelEvent* e);
    bool passWheelToParents(const QWheelEvent* e, QPointF posInViewport);
    // Brings every column to the shared TopRow (each clamps to its rows).
    void columnsFollowTopRow();

    TView m_view;
    TLines m_lines;
    TSkedOptions m_options;
    QList<TSked*> m_skeds;
    TSked* m_activeSked = nullptr;
    const QList<QPixmap>* m_images = nullptr;
    QMenu* m_popupMenu = nullptr;
    TBorderStyle m_borderStyle = bsNone;
    bool m_hideSelection = true;
    bool m_readOnly = true;
    bool m_scrollBar = true;
    TDragMode m_dragMode = dmManual;
    TColor m_color = clWhite;
    int m_topRow = 0;
    int m_updateCount = 0;
    bool m_focusPending = false;
    bool m_settingBar = false;
    bool m_destroying = false;
};

// The published multi-day control.
class TSkedControl : public TCustomSkedControl
{
    Q_OBJECT
public:
    using TCustomSkedControl::TCustomSkedControl;
};

} // namespace nox::sked
