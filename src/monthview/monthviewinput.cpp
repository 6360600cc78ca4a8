// Mouse, keyboard, focus, drag and drop of the month view. Each handler
// turns the event into a client point or key first, then acts on it.
#include "monthview/monthview.h"
#include "monthview/monthviewinplaceedit.h"
#include "monthview/monthviewlayout_p.h"

#include <QApplication>
#include <QDrag>
#include <QKeyEvent>
#include <QMimeData>
#include <QMouseEvent>

namespace nox::monthview
{

std::optional<TMonthViewDragItem> TCustomMonthView::DraggedItem(const QMimeData* mime)
{
    if (!mime || !mime->hasFormat(monthViewItemMimeType())) {
        return std::nullopt;
    }
    const QList<QByteArray> parts = mime->data(monthViewItemMimeType()).split('/');
    if (parts.size() != 3 || parts.at(0) != QByteArray::number(QCoreApplication::applicationPid())) {
        return std::nullopt;
    }
    const QDate day = QDate::fromString(QString::fromLatin1(parts.at(1)), QStringLiteral("yyyyMMdd"));
    bool ok = false;
    const qint32 id = parts.at(2).toInt(&ok);
    if (!day.isValid() || !ok) {
        return std::nullopt;
    }
    return TMonthViewDragItem{day, id};
}

QByteArray TCustomMonthView::DragPayload(const TMonthViewItem* item) const
{
    const QDate day = item ? item->Day() : QDate();
    return QByteArray::number(QCoreApplication::applicationPid()) + '/' +
           (day.isValid() ? day.toString(QStringLiteral("yyyyMMdd")).toLatin1() : QByteArray("-")) + '/' +
           QByteArray::number(item ? item->ID() : 0);
}

bool TCustomMonthView::event(QEvent* e)
{
    // The control wants every key, Tab included (it does not move the focus).
    if (e->type() == QEvent::KeyPress) {
        auto* k = static_cast<QKeyEvent*>(e);
        if (k->key() == Qt::Key_Tab || k->key() == Qt::Key_Backtab) {
            keyPressEvent(k);
            return true;
        }
    }
    return QFrame::event(e);
}

// --- mouse -------------------------------------------------------------------

void TCustomMonthView::mousePressEvent(QMouseEvent* e)
{
    const QPoint p = toClient(e->position().toPoint());
    if (e->button() == Qt::LeftButton) {
        leftPress(p);
    } else if (e->button() == Qt::RightButton) {
        rightPress(p);
    } else {
        QFrame::mousePressEvent(e);
    }
}

void TCustomMonthView::leftPress(const QPoint& p)
{
    m_pressPoint = p;
    if (IsEditing()) {
        m_editor->Accept();
    }
    if (!hasFocus()) {
        setFocus(Qt::MouseFocusReason);
    }
    if (!sizingPress(p)) {
        cellPress(p);
    }
    if (m_selectedItem) {
        m_focusLost = 0;
    }
}

// A press in a sizing state: arms a border move or zooms. False when the
// pointer is in no sizing zone.
bool TCustomMonthView::sizingPress(const QPoint& p)
{
    switch (m_sizingState) {
    case TSizingState::HoverCrossing:
    case TSizingState::HoverRow:
    case TSizingState::HoverColumn:
        if (m_editor) {
            m_editor->Cancel();
        }
        m_sizingPoint = p;
        m_sizingState = nextSizingState(m_sizingState);
        return true;
    case TSizingState::ZoomColumn:
        m_colRates = zoomRates(kColCount, m_sizingColumn, ClientSize().width());
        invalidate();
        return true;
    case TSizingState::ZoomRow: {
        const int top = m_view->TopBar().Visible() ? m_view->TopBar().Height() : 0;
        m_rowRates = zoomRates(kRowCount, m_sizingRow, ClientSize().height() - top);
        invalidate();
        return true;
    }
    default:
        return false;
    }
}

// A press on the grid: the expand marker, or the selection of a cell and
// the entry under the pointer; a press on the selected entry arms editing.
void TCustomMonthView::cellPress(const QPoint& p)
{
    const int cell = CellAt(p);
    if (cell < 0) {
        if (m_editor) {
            m_editor->Cancel();
        }
        return;
    }
    if (ExpandRect(cell).contains(p)) {
        if (OnExpandClick) {
            OnExpandClick(this, CellDate(cell));
        }
        return;
    }
    TMonthViewItem* item = m_items->Item(ItemAt(p));
    const bool wasSelected = item && item == m_selectedItem;
    setSelectedItem(item);
    SelectCell(cell);
    if (!wasSelected) {
        if (m_editor) {
            m_editor->Cancel();
        }
    } else if (m_focusLost == 0) {
        m_editPending = true;
        m_editPoint = p;
    }
    m_dragArmed = true;
}

void TCustomMonthView::rightPress(const QPoint& p)
{
    setFocus(Qt::MouseFocusReason);
    if (isSizingHover(m_sizingState)) {
        return;
    }
    const int cell = CellAt(p);
    if (cell < 0 || ExpandRect(cell).contains(p)) {
        return;
    }
    setSelectedItem(m_items->Item(ItemAt(p)));
    SelectCell(cell);
}

void TCustomMonthView::mouseReleaseEvent(QMouseEvent* e)
{
    if (e->button() == Qt::LeftButton) {
        leftRelease(toClient(e->position().toPoint()));
        e->accept();
    } else {
        QFrame::mouseReleaseEvent(e);
    }
}

void TCustomMonthView::leftRelease(const QPoint& p)
{
    if (m_editPending) {
        m_editTimer.start();
    }
    const TSizingState state = m_sizingState;
    if (state == TSizingState::MovingCrossing || state == TSizingState::MovingRow) {
        moveRowBorder(p.y());
    }
    if (state == TSizingState::MovingCrossing || state == TSizingState::MovingColumn) {
        moveColumnBorder(p.x());
    }
    m_sizingState = TSizingState::None;
    unsetCursor();
    m_dragArmed = false;
    if (state >= TSizingState::MovingCrossing && state <= TSizingState::MovingColumn) {
        invalidate();
    }
}

void TCustomMonthView::moveColumnBorder(int x)
{
    const Grid& g = CellGrid();
    const QList<int> bounds(g.x.begin(), g.x.end());
    const QList<int> sizes =
        moveBorder(bounds, m_sizingColumn, x, 0, ClientSize().width(), m_view->LineWidth());
    m_colRates = parseRate(rateText(sizes), kColCount);
}

void TCustomMonthView::moveRowBorder(int y)
{
    const Grid& g = CellGrid();
    const QList<int> bounds(g.y.begin(), g.y.end());
    const int floor = m_view->TopBar().Visible() ? m_view->TopBar().Height() : 0;
    const QList<int> sizes =
        moveBorder(bounds, m_sizingRow, y, floor, ClientSize().height(), m_view->LineWidth());
    m_rowRates = parseRate(rateText(sizes), kRowCount);
}

void TCustomMonthView::mouseMoveEvent(QMouseEvent* e)
{
    e->accept();
    const QPoint p = toClient(e->position().toPoint());
    if (m_dragArmed && m_dragMode == dmAutomatic) {
        const QPoint d = p - m_pressPoint;
        const int threshold = QApplication::startDragDistance();
        if (qAbs(d.x()) > threshold || qAbs(d.y()) > threshold) {
            if (m_selectedItem) {
                startDrag(p);
            }
        } else {
            m_sizingState = TSizingState::None;
            unsetCursor();
        }
        return;
    }
    if (m_sizingState == TSizingState::None || isSizingHover(m_sizingState) ||
        m_sizingState >= TSizingState::ZoomColumn) {
        hover(p);
    } else if (m_sizingState <= TSizingState::PressedColumn && p != m_sizingPoint) {
        m_sizingState = nextSizingState(m_sizingState);
    }
}

void TCustomMonthView::hover(const QPoint& p)
{
    ensureLayout();
    const QSize size = ClientSize();
    const HoverZone z = hoverZone(m_layout->grid, p, m_layout->lineWidth, size.width(), size.height(),
                                  m_colSizing, m_rowSizing);
    m_sizingState = z.state;
    if (z.column > 0) {
        m_sizingColumn = z.column;
    }
    if (z.row > 0) {
        m_sizingRow = z.row;
    }
    applySizingCursor();
}

void TCustomMonthView::applySizingCursor()
{
    switch (m_sizingState) {
    case TSizingState::HoverCrossing:
        setCursor(Qt::SizeAllCursor);
        break;
    case TSizingState::HoverRow:
        setCursor(Qt::SplitVCursor);
        break;
    case TSizingState::HoverColumn:
        setCursor(Qt::SplitHCursor);
        break;
    case TSizingState::ZoomColumn:
        setCursor(Qt::SizeHorCursor);
        break;
    case TSizingState::ZoomRow:
        setCursor(Qt::SizeVerCursor);
        break;
    default:
        unsetCursor();
        break;
    }
}

void TCustomMonthView::mouseDoubleClickEvent(QMouseEvent* e)
{
    if (e->button() != Qt::LeftButton) {
        return;
    }
    e->accept();
    // A double click never starts the in-place editor.
    m_editPending = false;
    m_editTimer.stop();
    // The press and release before this one ended the sizing state; the
    // zone under the pointer gives it back (and the cursor with it), so that
    // OnDblClick can tell a double click on a grid line, and it decides
    // which rates come back.
    hover(toClient(e->position().toPoint()));
    const HoverZone z{m_sizingState, m_sizingColumn, m_sizingRow};
    if (OnDblClick) {
        OnDblClick(this);
    }
    if (z.state == TSizingState::HoverCrossing || z.state == TSizingState::HoverColumn) {
        m_colRates = parseRate(m_colRate, kColCount);
    }
    if (z.state == TSizingState::HoverCrossing || z.state == TSizingState::HoverRow) {
        m_rowRates = parseRate(m_rowRate, kRowCount);
    }
    if (isSizingHover(z.state)) {
        invalidate();
    }
}

// --- keyboard and focus --------------------------------------------------------

void TCustomMonthView::keyPressEvent(QKeyEvent* e)
{
    const int key = e->key();
    if (OnKeyDown && OnKeyDown(this, key, e->modifiers())) {
        return;
    }
    switch (key) {
    case Qt::Key_Left:
    case Qt::Key_Right:
    case Qt::Key_Up:
    case Qt::Key_Down:
        arrowKey(key);
        break;
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
        e->accept(); // kept here, so that the window does not move the focus
        break;
    default:
        QFrame::keyPressEvent(e);
        break;
    }
}

void TCustomMonthView::arrowKey(int key)
{
    setSelectedItem(nullptr);
    const int cell = m_selectedCell;
    if (key == Qt::Key_Left) {
        if (cell != 0) {
            SelectCell(cell < 0 ? 0 : cell - 1);
        }
    } else if (key == Qt::Key_Right) {
        if (cell < kCellCount - 1) {
            SelectCell(cell < 0 ? 0 : cell + 1);
        }
    } else if (key == Qt::Key_Up) {
        if (cell < 0 || cell - kColCount >= 0) {
            SelectCell(cell < 0 ? 0 : cell - kColCount);
        } else {
            m_selectedCell = cell + 5 * kColCount;
            PrevMonth();
        }
    } else if (key == Qt::Key_Down) {
        if (cell < 0 || cell + kColCount < kCellCount) {
            SelectCell(cell < 0 ? 0 : cell + kColCount);
        } else {
            m_selectedCell = cell - 5 * kColCount;
            NextMonth();
        }
    }
}

void TCustomMonthView::focusOutEvent(QFocusEvent* e)
{
    QFrame::focusOutEvent(e);
    m_editPending = false;
    // A popup menu over the control does not count as leaving it.
    if (m_selectedItem && e->reason() != Qt::PopupFocusReason) {
        m_focusLost = IsEditing() ? 1 : 2;
    }
}

// --- in-place editing --------------------------------------------------------

bool TCustomMonthView::IsEditing() const
{
    return m_editor && m_editor->isVisible();
}

void TCustomMonthView::editTimerFired()
{
    m_editTimer.stop();
    const bool pending = m_editPending;
    m_editPending = false;
    if (!pending || !m_selectedItem || m_readOnly) {
        return;
    }
    m_dragArmed = false;
    if (m_selectedItem->ItemRect().adjusted(0, 0, 1, 1).contains(m_editPoint)) {
        BeginEdit(m_selectedItem);
    } else {
        if (m_editor) {
            m_editor->HideEditor();
        }
    }
}

bool TCustomMonthView::BeginEdit(TMonthViewItem* item)
{
    if (m_readOnly || !item || m_items->IndexOf(item) < 0) {
        return false;
    }
    const bool allow = !OnEditing || OnEditing(this, item->Day(), item->ID());
    // The handler may have deleted the item: compare before reading it.
    if (!allow || m_items->IndexOf(item) < 0) {
        return false;
    }
    ensureLayout();
    const QRect r = item->ItemRect();
    if (r.isEmpty()) {
        return false;
    }
    InplaceEdit()->setFont(font());
    const QRect bounds(r.left(), r.top(), r.width(), r.height() + 4);
    m_editor->Start(item, bounds.translated(ClientOrigin()), m_metrics.lineHeight + 5, item->Text());
    return true;
}

void TCustomMonthView::editorFinished(bool accepted)
{
    TMonthViewItem* item = m_editor->Item();
    if (!accepted || !item || m_items->IndexOf(item) < 0 || !m_editor->document()->isModified()) {
        return;
    }
    QString s = m_editor->toPlainText();
    if (OnEdited) {
        s = OnEdited(this, item->Day(), item->ID(), s);
    }
    if (m_items->IndexOf(item) >= 0) {
        item->SetText(s);
    }
    invalidate();
}

// --- drag and drop -------------------------------------------------------------

void TCustomMonthView::startDrag(const QPoint& p)
{
    TMonthViewItem* item = m_selectedItem;
    m_dragArmed = false;
    m_editPending = false;
    const QRect rect = item->ItemRect();
    auto* mime = new QMimeData;
    mime->setData(monthViewItemMimeType(), DragPayload(item));
    auto* drag = new QDrag(this);
    drag->setMimeData(mime);
    const QPixmap image = BarImage(item, devicePixelRatioF());
    if (!image.isNull()) {
        drag->setPixmap(image);
        drag->setHotSpot(p - rect.topLeft());
    }
    const Qt::DropAction action = drag->exec(Qt::MoveAction | Qt::CopyAction, Qt::MoveAction);
    QObject* target = action == Qt::IgnoreAction ? nullptr : drag->target();
    // Whatever happened, the press that started the drag is over.
    m_dragArmed = false;
    m_sizingState = TSizingState::None;
    unsetCursor();
    setDropTargetCell(-1);
    if (OnEndDrag) {
        const QPoint now = toClient(mapFromGlobal(QCursor::pos()));
        OnEndDrag(this, target, now.x(), now.y());
    }
}

std::optional<TMonthViewDrop> TCustomMonthView::dropAt(const QDropEvent* e, const QPoint& p) const
{
    const std::optional<TMonthViewDragItem> item = DraggedItem(e->mimeData());
    if (!item) {
        return std::nullopt;
    }
    const int cell = CellAt(p);
    return TMonthViewDrop{*item, cell >= 0 ? CellDate(cell) : QDate(),
                          e->modifiers().testFlag(Qt::ControlModifier)};
}

void TCustomMonthView::setDropTargetCell(int cell)
{
    if (m_dropTargetCell != cell) {
        m_dropTargetCell = cell;
        invalidate();
    }
}

void TCustomMonthView::dragEnterEvent(QDragEnterEvent* e)
{
    m_editPending = false;
    if (DraggedItem(e->mimeData())) {
        e->acceptProposedAction();
    } else {
        e->ignore();
    }
}

void TCustomMonthView::dragMoveEvent(QDragMoveEvent* e)
{
    m_editPending = false;
    const QPoint p = toClient(e->position().toPoint());
    const std::optional<TMonthViewDrop> drop = dropAt(e, p);
    if (drop && OnDragOver && OnDragOver(this, *drop)) {
        const int cell = CellAt(p);
        setDropTargetCell(cell >= 0 ? cell : -1);
        e->acceptProposedAction();
    } else {
        setDropTargetCell(-1);
        e->ignore();
    }
}

void TCustomMonthView::dragLeaveEvent(QDragLeaveEvent* e)
{
    m_editPending = false;
    setDropTargetCell(-1);
    e->accept();
}

void TCustomMonthView::dropEvent(QDropEvent* e)
{
    m_editPending = false;
    setDropTargetCell(-1);
    const std::optional<TMonthViewDrop> drop = dropAt(e, toClient(e->position().toPoint()));
    if (!drop) {
        e->ignore();
        return;
    }
    if (OnDragDrop) {
        OnDragDrop(this, *drop);
    }
    e->acceptProposedAction();
}

} // namespace nox::monthview
