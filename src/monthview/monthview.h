#pragma once
// The month view: one month as a 6 x 7 grid of day cells (Sunday first)
// under a header of weekday names, with the entries of each day as one-line
// bars and an expand marker where a day has more entries than fit. The
// control knows nothing of files: its owner fills Items and the holidays and
// answers the events.
//
// Coordinates given to and taken from the control ("client" coordinates)
// start inside the border (BorderStyle bsSingle draws a 2-pixel sunken edge).
//
// Events follow the program's scheme: one std::function per event, raised
// only when set, Sender first. The events an owner answers speak in days and
// schedule IDs (an item's Day and ID), never in pixels or cell numbers; what
// an owner decides comes back as the return value.
#include "core/color.h"
#include "monthview/monthviewgeometry.h"
#include "monthview/monthviewinplaceedit.h"
#include "monthview/monthviewitems.h"
#include "monthview/view.h"

#include <QDate>
#include <QFrame>
#include <QList>
#include <QHash>
#include <QMap>
#include <QPixmap>
#include <QPointer>
#include <QTimer>
#include <functional>
#include <memory>
#include <optional>

class QDrag;
class QMimeData;

namespace nox::monthview
{

class TMonthViewInplaceEdit;
struct MonthLayout;
struct BarLayout;
struct CellLayout;

// TBorderStyle and TDragMode: widgets/viewlook.h.

// MIME type of a drag that carries a month-view entry; the drop target cell
// is shown only for drags of this type started in this process (see
// TCustomMonthView::DraggedItem).
QString monthViewItemMimeType();

// The entry a drag carries: its day and ID.
struct TMonthViewDragItem {
    QDate day;
    qint32 id = 0;
    bool operator==(const TMonthViewDragItem&) const = default;
};

// A drag of an entry over a day or its drop there: the entry (its day and
// ID), the day of the cell under the pointer, and whether Ctrl asks for a
// copy.
struct TMonthViewDrop {
    TMonthViewDragItem item;
    QDate to;
    bool copy = false;
};

class TCustomMonthView : public QFrame
{
    Q_OBJECT
public:
    explicit TCustomMonthView(QWidget* parent = nullptr);
    ~TCustomMonthView() override;

    // --- appearance ---------------------------------------------------------
    TView* View() { return m_view.get(); }
    const TView* View() const { return m_view.get(); }
    TBorderStyle BorderStyle() const { return m_borderStyle; }
    void SetBorderStyle(TBorderStyle style);
    // Background of the control (white by default) and the font colour
    // (the system window-text colour); the typeface is QWidget::font().
    TColor Color() const { return m_color; }
    void SetColor(TColor color);
    TColor FontColor() const { return m_fontColor; }
    void SetFontColor(TColor color);
    // Column and row proportions ("2,3,3,3,3,3,2" and "1,1,1,1,1,1").
    // Setting one re-parses it into the working rates and repaints.
    QString ColRate() const { return m_colRate; }
    void SetColRate(const QString& rate);
    QString RowRate() const { return m_rowRate; }
    void SetRowRate(const QString& rate);
    // The working rates (changed by the user's sizing).
    QList<int> ColRates() const { return m_colRates; }
    QList<int> RowRates() const { return m_rowRates; }
    // Writes the working column rates into ColRate.
    void StoreColRate();
    // Parses ColRate and RowRate again into the working rates; repaints.
    void ResetRates();
    // Images drawn in the bars (ImageIndex). Not owned: the owner keeps the
    // list alive while it is set, calls ImagesChanged after changing it and
    // sets nullptr before destroying it.
    const QList<QPixmap>* Images() const { return m_images; }
    void SetImages(const QList<QPixmap>* images);
    void ImagesChanged();

    // --- behaviour ----------------------------------------------------------
    // true by default; setting true cancels an open edit.
    bool ReadOnly() const { return m_readOnly; }
    void SetReadOnly(bool value);
    bool ColSizing() const { return m_colSizing; }
    void SetColSizing(bool value) { m_colSizing = value; }
    bool RowSizing() const { return m_rowSizing; }
    void SetRowSizing(bool value) { m_rowSizing = value; }
    // dmAutomatic: dragging the selected entry past the drag distance starts
    // a drag of it (QDrag with monthViewItemMimeType()).
    TDragMode DragMode() const { return m_dragMode; }
    void SetDragMode(TDragMode mode) { m_dragMode = mode; }

    // --- month --------------------------------------------------------------
    QDate CurrentDate() const { return m_currentDate; }
    // When date differs: clears ItemIndex, moves to date's month if needed,
    // selects the cell of date (OnSelectItem) and, for a new month, fires
    // OnChangeMonth.
    void SetCurrentDate(const QDate& date);
    // One calendar month on (the day clamped to the month's length); fires
    // OnChangeMonth.
    void NextMonth();
    void PrevMonth();
    int FirstCell() const { return m_frame.firstCell; }
    int EndCell() const { return m_frame.endCell; }
    QDate CellDate(int cell) const { return m_frame.cellDate(cell); }
    int CellOfDate(const QDate& date) const { return m_frame.cellOfDate(date); }
    // Date of the selected cell, else CurrentDate.
    QDate SelectedDate() const;
    // The day that gets today's frame; an invalid date (the default) means
    // the system clock.
    void SetToday(const QDate& today);
    QDate Today() const;

    // --- holidays -----------------------------------------------------------
    // The first name given for a date wins.
    void AddHoliday(const QString& name, const QDate& date);
    void ClearHolidays();
    QString HolidayName(const QDate& date) const;

    // --- calendar marks -----------------------------------------------------
    // koyomi::Mark bits: 六曜 and the old date in small muted type and the
    // solar term or seasonal day in the date row. The years shown are
    // computed here (and on a month change), never while painting.
    void SetCalendarMarks(int marks);
    int CalendarMarks() const { return m_calendarMarks; }

    // --- items and selection ------------------------------------------------
    TMonthViewItems* Items() { return m_items.get(); }
    const TMonthViewItems* Items() const { return m_items.get(); }
    // Index of the selected item, -1 none. The selection follows its item
    // when the list is re-sorted.
    int ItemIndex() const;
    TMonthViewItem* SelectedItem() const { return m_selectedItem; }
    // When index differs from ItemIndex: selects the item and the cell of its
    // day (-1: keeps the selected cell) with OnSelectItem.
    void SetItemIndex(int index);
    void SelectItem(TMonthViewItem* item);
    int SelectedCell() const { return m_selectedCell; }
    // Selects the cell (-1 none) and fires OnSelectItem(cell, SelectedItem).
    void SelectCell(int cell);
    int DropTargetCell() const { return m_dropTargetCell; }

    // --- in-place editing ---------------------------------------------------
    // Opens the editor over the item's bar; false when ReadOnly, when
    // OnEditing refuses or when the bar is not shown.
    bool BeginEdit(TMonthViewItem* item);
    // Made at its first use.
    TMonthViewInplaceEdit* InplaceEdit() const;
    bool IsEditing() const;

    // --- geometry (client coordinates, from the last layout) ----------------
    int LineHeight() const;
    int TimeWidth() const;
    int AverageCharWidth() const;
    QSize ClientSize() const;
    QPoint ClientOrigin() const;
    const Grid& CellGrid() const;
    // Inner rectangle of a cell (inside its grid lines).
    QRect CellRect(int cell) const;
    // Expand marker of a cell, empty when none is drawn.
    QRect ExpandRect(int cell) const;
    // First item of the cell's day, -1 none.
    int CellFirstItem(int cell) const;
    int CellAt(const QPoint& clientPos) const;
    // Item whose bar is under the point, -1 none.
    int ItemAt(const QPoint& clientPos) const;
    // Sizing state and the border or zoomed part it refers to.
    TSizingState SizingState() const { return m_sizingState; }
    int SizingColumn() const { return m_sizingColumn; }
    int SizingRow() const { return m_sizingRow; }
    // Everything the last layout computed (monthviewlayout_p.h); for tools
    // and tests that inspect what is drawn.
    const MonthLayout& ComputedLayout() const;
    // The painter during OnDrawItem (client coordinates), else nullptr.
    QPainter* Canvas() const { return m_canvas; }

    // Picture of an item's bar in its unselected look without background,
    // as wide as its ItemRect and LineHeight + 4 high, at the given pixel
    // ratio: the drag image.
    QPixmap BarImage(const TMonthViewItem* item, qreal devicePixelRatio) const;
    // Drag payload naming the item by its day and ID, for this process
    // only ("<process id>/<yyyyMMdd>/<ID>"), and the item a drag's data
    // names (nothing for data of another process or of another kind).
    QByteArray DragPayload(const TMonthViewItem* item) const;
    static std::optional<TMonthViewDragItem> DraggedItem(const QMimeData* mime);

    // --- events -------------------------------------------------------------
    // The selection changed: the selected day (SelectedDate) and the ID of
    // the selected entry, if one is.
    std::function<void(QObject* Sender, const QDate& Day, std::optional<qint32> ID)> OnSelectItem;
    // The expand marker of the day's cell was clicked.
    std::function<void(QObject* Sender, const QDate& Day)> OnExpandClick;
    // Before the in-place editor opens over the entry; false refuses it.
    std::function<bool(QObject* Sender, const QDate& Day, qint32 ID)> OnEditing;
    // The entry's first line was edited to Text; returns the text the entry
    // then shows.
    std::function<QString(QObject* Sender, const QDate& Day, qint32 ID, const QString& Text)> OnEdited;
    // After each day's cell is painted; Rect is the cell's inner rectangle
    // and Canvas() the painter to draw with.
    std::function<void(QObject* Sender, const QDate& Day, const QRect& Rect)> OnDrawItem;
    std::function<void(QObject* Sender)> OnChangeMonth;
    // The usual control events the owner handles.
    std::function<void(QObject* Sender)> OnDblClick;
    // Before the control's own key handling; true when the owner handled
    // the key (the control then does nothing with it).
    std::function<bool(QObject* Sender, int Key, Qt::KeyboardModifiers Shift)> OnKeyDown;
    // A month-view drag over a day: true accepts it, and only then the
    // drop-target cell is shown. Without a handler no drop is accepted.
    std::function<bool(QObject* Sender, const TMonthViewDrop& Drop)> OnDragOver;
    std::function<void(QObject* Sender, const TMonthViewDrop& Drop)> OnDragDrop;
    // After a drag this control started ended (dropped or cancelled); Target
    // is the widget dropped on or nullptr.
    std::function<void(QObject* Sender, QObject* Target, int X, int Y)> OnEndDrag;

protected:
    bool event(QEvent* e) override;
    void paintEvent(QPaintEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void changeEvent(QEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseDoubleClickEvent(QMouseEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void focusOutEvent(QFocusEvent* e) override;
    void dragEnterEvent(QDragEnterEvent* e) override;
    void dragMoveEvent(QDragMoveEvent* e) override;
    void dragLeaveEvent(QDragLeaveEvent* e) override;
    void dropEvent(QDropEvent* e) override;

private:
    friend class TMonthViewInplaceEdit;
    struct Metrics {
        int lineHeight = 0;
        int averageCharWidth = 0;
        int timeWidth = 0;
        int repeatMarkWidth = 0;
    };

    // model -> layout
    void invalidate();
    void invalidateMetrics();
    void ensureLayout() const;
    void computeMetrics() const;
    void layoutHeader(MonthLayout& layout) const;
    void layoutCells(MonthLayout& layout) const;
    void layoutCell(MonthLayout& layout, int cell, int& running) const;
    void layoutCellFace(CellLayout& c, int cell, const QDate& date) const;
    void layoutCalendarMarks(CellLayout& c, const QRect& text, const QDate& date, TColor plain,
                             bool focused) const;
    void prepareCalendar() const;
    int markTextWidth(const QString& text, int fontKind) const;
    void layoutCellItems(MonthLayout& layout, int cell, const QDate& date, int& running) const;
    int layoutTime(BarLayout& bar, const TMonthViewItem* item, int x, int extra) const;
    void layoutBar(MonthLayout& layout, int cell, int itemIndex, int top) const;
    void layoutExpandMarker(MonthLayout& layout, int cell) const;
    BarLayout makeBar(const TMonthViewItem* item, const QRect& r, bool selected) const;
    void cellColors(int cell, const QDate& date, const QString& holiday, TColor& bk, TColor& fg) const;
    QFont styledFont(TFontStyles styles) const;
    QString timeText(const TMonthViewItem* item) const;

    void itemsChanged();
    void itemDeleting(TMonthViewItem* item);
    void setMonth(const QDate& date);
    void setSelectedItem(TMonthViewItem* item);

    // interaction
    QPoint toClient(const QPoint& widgetPos) const;
    void leftPress(const QPoint& p);
    bool sizingPress(const QPoint& p);
    void cellPress(const QPoint& p);
    void rightPress(const QPoint& p);
    void leftRelease(const QPoint& p);
    void hover(const QPoint& p);
    void applySizingCursor();
    void moveColumnBorder(int x);
    void moveRowBorder(int y);
    void arrowKey(int key);
    void startDrag(const QPoint& p);
    void editTimerFired();
    void editorFinished(bool accepted);
    // The drag over client point p as the events tell it; nothing for a
    // drag that carries no entry of this process.
    std::optional<TMonthViewDrop> dropAt(const QDropEvent* e, const QPoint& p) const;
    void setDropTargetCell(int cell);

    std::unique_ptr<TView> m_view;
    std::unique_ptr<TMonthViewItems> m_items;
    mutable TMonthViewInplaceEdit* m_editor = nullptr; // see InplaceEdit()
    bool m_destroying = false;
    QTimer m_editTimer;

    TBorderStyle m_borderStyle = bsSingle;
    TColor m_color = clWhite;
    TColor m_fontColor = clWindowText;
    QString m_colRate = QStringLiteral("2,3,3,3,3,3,2");
    QString m_rowRate = QStringLiteral("1,1,1,1,1,1");
    QList<int> m_colRates;
    QList<int> m_rowRates;
    const QList<QPixmap>* m_images = nullptr;
    bool m_readOnly = true;
    bool m_colSizing = false;
    bool m_rowSizing = false;
    TDragMode m_dragMode = dmManual;

    QDate m_currentDate;
    QDate m_today;
    MonthFrame m_frame;
    QHash<QDate, QString> m_holidays; // date -> name
    int m_calendarMarks = 0;

    TMonthViewItem* m_selectedItem = nullptr;
    int m_selectedCell = -1;
    int m_dropTargetCell = -1;

    TSizingState m_sizingState = TSizingState::None;
    int m_sizingColumn = 1;
    int m_sizingRow = 1;
    QPoint m_sizingPoint;
    QPoint m_pressPoint;
    bool m_dragArmed = false;
    bool m_editPending = false;
    QPoint m_editPoint;
    int m_focusLost = 0;

    mutable std::unique_ptr<MonthLayout> m_layout;
    mutable bool m_layoutDirty = true;
    mutable bool m_metricsDirty = true;
    mutable Metrics m_metrics;
    mutable QHash<std::pair<int, QString>, int> m_markWidths; // markTextWidth: (font kind, text)
    QPainter* m_canvas = nullptr;
};

// The control as the windows place it.
class TMonthView : public TCustomMonthView
{
    Q_OBJECT
public:
    explicit TMonthView(QWidget* parent = nullptr) : TCustomMonthView(parent) {}
};

} // namespace nox::monthview
