#pragma once
// A day column: time lines with the day's items set between them, a time
// ruler at the left, a header band, selection, keyboard and mouse handling,
// in-place editing, handle drags and item drag and drop.
//
// Pipeline: Items and Lines -> layout (SkedLayout, plain data) -> picture
// (off-screen image of the client area) -> paintEvent (copies the picture and
// adds the header band, the focus rectangle and the handle/drop marks).
#include "sked/inplaceedit.h"
#include "sked/lines.h"
#include "sked/skeditem.h"
#include "sked/skedlayout.h"
#include "sked/skedoptions.h"
#include "sked/view.h"

#include <QAbstractScrollArea>
#include <QImage>
#include <QList>
#include <QPixmap>
#include <QPointer>
#include <QTimer>
#include <optional>

class QMenu;
class QPainter;

namespace nox::sked
{

class TCustomSkedControl;

class TCustomSked : public QAbstractScrollArea
{
    Q_OBJECT
public:
    explicit TCustomSked(QWidget* parent = nullptr);
    ~TCustomSked() override;

    // The day the column shows (its owner sets it); drags and the events
    // of the multi-day control name schedules by it.
    QDate Date() const { return m_date; }
    void setDate(const QDate& date) { m_date = date; }

    // --- appearance and behaviour ---
    TView& View() { return m_view; }
    TLines& Lines() { return m_lines; }
    TSkedItems& Items() { return m_items; }

    TBorderStyle BorderStyle() const { return m_borderStyle; }
    void setBorderStyle(TBorderStyle value);
    // Frame options as the multi-day control hands them down.
    void applyOptions(const TSkedOptions& options);
    // Own vertical scroll bar (off inside a multi-day control).
    bool ScrollBar() const { return m_scrollBar; }
    void setScrollBar(bool value);
    // Unfocused columns show their selection (in the inactive colours) only
    // when false.
    bool HideSelection() const { return m_hideSelection; }
    void setHideSelection(bool value);
    // ReadOnly columns never edit and never show handles. Setting it closes
    // an open editor without committing.
    bool ReadOnly() const { return m_readOnly; }
    void setReadOnly(bool value);
    TDragMode DragMode() const { return m_dragMode; }
    void setDragMode(TDragMode value);
    // Background of the item area.
    TColor Color() const { return m_color; }
    void setColor(TColor value);
    // Image list (all images of one size), not owned. The owner calls
    // ImagesChanged() after changing the list and setImages(nullptr) before
    // destroying it. Inside a multi-day control the control's list is used
    // when the column has none.
    const QList<QPixmap>* Images() const { return m_images; }
    void setImages(const QList<QPixmap>* images);
    void ImagesChanged();
    // Shown on a context menu request nobody handled (not owned).
    QMenu* PopupMenu() const { return m_popupMenu; }
    void setPopupMenu(QMenu* menu) { m_popupMenu = menu; }

    // --- run-time state ---
    int RowHeight() const { return m_rowHeight; }
    int VisibleRows() const { return m_visibleRows; }
    int ImageRows() const { return m_imageRows; }
    int RowCount() const { return int(m_layout.rows.size()); }
    const QList<TSkedRow>& Rows() const { return m_layout.rows; }
    // {-1,-1} outside 0..RowCount()-1.
    TSkedRow Row(int row) const;
    int TopRow() const { return m_topRow; }
    int FocusRow() const { return m_focusRow; }
    int SelectedRow() const { return m_selectedRow; }
    int DropRow() const { return m_dropRow; }
    TGripState GripState() const { return m_gripState; }
    bool GripIsTop() const { return m_gripIsTop; }
    QRect GripRect() const { return m_gripRect; }
    bool EditArmed() const { return m_editArmed; }
    // Keeps the first click after a focus change from starting an edit.
    TEditGuard EditGuard() const { return m_editGuard; }
    void setEditGuard(TEditGuard value) { m_editGuard = value; }
    // The multi-day control owning the column, nullptr when standalone.
    TCustomSkedControl* SkedControl() const { return m_skedControl; }
    // The column's own image list, else its control's.
    const QList<QPixmap>* imagesInEffect() const;
    const SkedLayout& layout() const { return m_layout; }
    // The picture of the client area (device pixel ratio of the screen).
    // The rendered column (rendered now when a change is pending).
    const QImage& picture() const;
    // Number of full renders so far (for diagnostics and tests).
    int renderCount() const { return m_renderCount; }
    // Active painter on the picture while OnDrawItem runs, else nullptr.
    QPainter* BufferCanvas() const { return m_canvas; }

    // --- queries and commands (client coordinates) ---
    // Row at a point: -1 above the rows or below the last one. X is ignored.
    // The first pixel line under the header band already belongs to TopRow,
    // so that every pixel of a row hits that row.
    int RowAt(int X, int Y) const;
    int LineAt(int X, int Y) const;
    // FocusRow; writing selects a different, existing row with OnSelectItem.
    int RowIndex() const { return m_focusRow; }
    void setRowIndex(int value);
    // Line of FocusRow, -1 when none.
    int LineIndex() const;
    // Item of SelectedRow (-1 none or plain row). Writing n selects the first
    // row of item n (-1: the first plain row) with OnSelectItem.
    int ItemIndex() const;
    void setItemIndex(int value);
    TSkedItem* SelectedItem() const;
    // An item: select it as a click would; nullptr: clear the Selected flag
    // of the selected item (the row stays selected).
    void SelectItem(TSkedItem* item);
    // The one place where selection changes. Clamps to the last row.
    void SelectRow(int row, bool notify);
    void MakeFocusVisible();
    // Scrolls so that row n is the top row (clamped).
    void ScrollTo(int n);
    void UpdateScrollBar(bool reset);
    // Re-layout, full render, repaint.
    void RenderAll();
    // Draws the ruler cell of a row in its marked or unmarked state.
    void DrawRowCell(int row, bool marked);
    // The band of a row across the whole client width (block height for
    // item rows), empty when the row does not exist.
    QRect rowBand(int row) const;

    // --- in-place editor ---
    // Made at its first use: most columns are never edited in place.
    TSkedInplaceEdit* InplaceEdit() const;
    bool isEditing() const;
    // Opens the editor on an item of this column; false when not allowed.
    bool EditText(TSkedItem* item);
    // Commits a modified text (OnEdited, Text, ItemsChanged) and hides the editor.
    void commitEdit();
    // Hides the editor without committing.
    void closeEdit();

    // Called by the item list on every change outside an update.
    void ItemsChanged();

    // --- column events ---
    TSkedEvent OnSelectItem;
    TSkedEditedEvent OnEdited;
    TSkedEditingEvent OnEditing;
    TSkedDrawItemEvent OnDrawItem;
    TSkedItemEvent OnLineDrop;
    // --- standard events ---
    TNotifyEvent OnClick;
    TNotifyEvent OnDblClick;
    TNotifyEvent OnEnter;
    TNotifyEvent OnExit;
    TContextPopupEvent OnContextPopup;
    TMouseEvent OnMouseDown;
    TMouseMoveEvent OnMouseMove;
    TMouseEvent OnMouseUp;
    TKeyEvent OnKeyDown;
    TKeyPressEvent OnKeyPress;
    TKeyEvent OnKeyUp;
    TDragDropEvent OnDragDrop;
    TDragOverEvent OnDragOver;
    TEndDragEvent OnEndDrag;
    TStartDragEvent OnStartDrag;
    TMouseWheelEvent OnMouseWheel;
    // --- internal notifications to the multi-day control ---
    TChangeNotify OnItemsChange;
    TChangeNotify OnActivate;

    // The private drag record of the selected item, naming it by the
    // column's Date and the item's ID, for this process only; used by the
    // drag start and by tests that simulate drops.
    QMimeData* createDragData() const;
    // The schedule that drag data names (nothing for data of another
    // process or of another kind).
    static std::optional<TSkedDragItem> draggedItem(const QMimeData* data);
    // The drag image: the selected item's block of the picture; hotSpot gets
    // the offset of pos from the block's top-left corner.
    QPixmap dragPixmap(QPoint pos, QPoint* hotSpot) const;

protected:
    bool event(QEvent* e) override;
    bool viewportEvent(QEvent* e) override;
    void paintEvent(QPaintEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void changeEvent(QEvent* e) override;
    void scrollContentsBy(int dx, int dy) override;
    void keyPressEvent(QKeyEvent* e) override;
    void keyReleaseEvent(QKeyEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseDoubleClickEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void wheelEvent(QWheelEvent* e) override;
    void contextMenuEvent(QContextMenuEvent* e) override;
    void focusInEvent(QFocusEvent* e) override;
    void focusOutEvent(QFocusEvent* e) override;
    void dragEnterEvent(QDragEnterEvent* e) override;
    void dragMoveEvent(QDragMoveEvent* e) override;
    void dragLeaveEvent(QDragLeaveEvent* e) override;
    void dropEvent(QDropEvent* e) override;

private:
    friend class TCustomSkedControl;
    friend class TSkedInplaceEdit;
    friend class TSkedItem;
    friend class TSkedItems;

    enum class RenderCause { Other, Items, Scroll };

    // layout and rendering (skedrender.cpp)
    void applyFont();
    void styleEditor(); // the editor takes the column's font and text colour
    void computeImageRows();
    void computeVisibleRows();
    void relayout();
    void registerItemKeys(QList<int>& starts, QList<int>& ends);
    void buildRows(const QList<int>& starts);
    const SkedBlock& layoutBlock(int i, int rowTop);
    void layoutBars(const QList<int>& starts, const QList<int>& ends);
    void layoutCaptions();
    void fullRender();
    void holdRender();
    void releaseRender();
    void renderPicture(qreal dpr);
    // Renders when a change is pending or the pixel ratio differs.
    void ensurePicture(qreal dpr);
    // The ruler: its background, and each caption copied from a kept image
    // of its band of the ruler once it has been drawn before.
    void drawLeftBar(QPainter& p, const QImage& picture) const;
    void drawLeftBarBackground(QPainter& p) const;
    // One caption and its highlight.
    void drawCaption(QPainter& p, const SkedCaptionCell& cell) const;
    void drawCaption(QPainter& p, int line, QRect rect, bool bold, TColor color, TFontStyles style) const;
    void drawItems(QPainter& p);
    void drawBars(QPainter& p) const;
    void drawMarkedCells(QPainter& p);
    void drawRowCellOn(QPainter& p, int row, bool marked);
    void paintTopBar(QPainter& p) const;
    void paintFocusRect(QPainter& p);
    void paintOverlays(QPainter& p) const;
    void invalidateBelowTopBar();
    bool isRowMarked(int row) const;
    bool sameBlock(int a, int b) const;
    QFont fontWithStyle(TFontStyles style) const;
    void connectNotifications();
    void viewContentChanged();
    void viewSizeChanged();

    // interaction (skedinput.cpp)
    void handleKey(int key, Qt::KeyboardModifiers mods);
    int nearestOtherRow(int from, int step) const;
    void leftPress(QMouseEvent* e, QPoint pos);
    void editTimerFired();
    void updateHover(QPoint pos, bool buttonHeld);
    void dropFeedback(QPoint pos);
    void removeDropMark();
    void finishGripDrag();
    void cancelGripDrag();
    void setGripOverlay(bool on);
    void retakeGripRect();
    void startItemDrag(QPoint pos);
    void fitEditorHeight(const QString& text);
    void applyEditorText();
    bool isItemAlive(const TSkedItem* item, int key) const;
    void updateFrame();
    void paintBevel();
    void handleDragOver(QDropEvent* e, TDragState state);

    QDate m_date;
    TView m_view;
    TLines m_lines;
    TSkedItems m_items;
    TCustomSkedControl* m_skedControl = nullptr;
    const QList<QPixmap>* m_images = nullptr;
    QMenu* m_popupMenu = nullptr;

    TBorderStyle m_borderStyle = bsSingle;
    TBevelEdges m_bevelEdges = beAllEdges;
    TBevelCut m_bevelInner = bvNone;
    TBevelCut m_bevelOuter = bvNone;
    TBevelKind m_bevelKind = bkNone;
    int m_bevelWidth = 1;
    int m_borderWidth = 0;
    bool m_scrollBar = true;
    bool m_hideSelection = true;
    bool m_readOnly = true;
    TDragMode m_dragMode = dmManual;
    TColor m_color = clWhite;

    int m_rowHeight = 16;
    int m_visibleRows = 0;
    int m_imageRows = 1;
    int m_topRow = 0;
    int m_focusRow = -1;
    int m_selectedRow = -1;
    int m_dropRow = -1;
    SkedLayout m_layout;
    QImage m_picture;
    // What the ruler's bands are drawn with (the images of the bands are
    // kept under it, see drawLeftBar)...
    struct RulerLook {
        qreal dpr = 0;
        QColor background, bar, line, text, highlight;
        int edge = 0, alignment = 0, highlightHeight = 0;
        QFont font;
        bool operator==(const RulerLook&) const = default;
        friend size_t qHash(const RulerLook& key, size_t seed = 0)
        {
            return qHashMulti(seed, key.background.rgba(), key.bar.rgba(), key.text.rgba(), key.dpr);
        }
    };
    // ... and what one band holds, in terms of the band (its top is 0).
    struct CaptionBand {
        QString caption;
        bool highlight = false;
        QRect cell;
        QRect bar; // the part of the ruler in the band
        bool operator==(const CaptionBand&) const = default;
        friend size_t qHash(const CaptionBand& key, size_t seed = 0)
        {
            return qHashMulti(seed, key.caption, key.highlight, key.cell.left(), key.cell.width(), key.bar.top(),
                              key.bar.height());
        }
    };
    RulerLook rulerLook(qreal dpr) const;
    // A change waits for the next paint: many changes in a row (a refill,
    // new colours, a resize) cost one render.
    bool m_pictureStale = false;
    bool m_pictureReady = false;
    int m_renderCount = 0;
    int m_renderHold = 0; // > 0: full renders wait for the release
    bool m_renderPending = false;
    bool m_destroying = false;
    QPainter* m_canvas = nullptr;

    TGripState m_gripState = TGripState::None;
    bool m_gripIsTop = false;
    QRect m_gripRect;
    bool m_gripOverlay = false;
    QRect m_dropMark;
    bool m_mouseDownInColumn = false;
    QPoint m_clickPos;
    bool m_editArmed = false;
    QPoint m_editClickPos;
    TEditGuard m_editGuard = TEditGuard::Open;
    bool m_dragAccepted = false;
    QSize m_handledSize;
    QTimer m_editTimer;
    mutable TSkedInplaceEdit* m_editor = nullptr; // see InplaceEdit()
    int m_editKey = -1; // Key of the item being edited
};

// The published day column.
class TSked : public TCustomSked
{
    Q_OBJECT
public:
    using TCustomSked::TCustomSked;
};

} // namespace nox::sked
