// Day column: keys, mouse, click-to-edit, the in-place editor, handle drags
// and item drag and drop.
#include "sked/inplaceedit.h"
#include "sked/sked.h"
#include "sked/skedcontrol.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QDrag>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>

namespace nox::sked
{

// --- keys ---

void TCustomSked::keyPressEvent(QKeyEvent* e)
{
    m_editArmed = false;
    int key = e->key();
    if (OnKeyDown) {
        OnKeyDown(this, key, e->modifiers());
    }
    if (key != 0) {
        handleKey(key, e->modifiers());
    }
    if (OnKeyPress && !e->text().isEmpty()) {
        QChar c = e->text().at(0);
        OnKeyPress(this, c);
    }
    e->accept();
}

void TCustomSked::keyReleaseEvent(QKeyEvent* e)
{
    int key = e->key();
    if (OnKeyUp) {
        OnKeyUp(this, key, e->modifiers());
    }
    e->accept();
}

// The nearest row from `from` in direction `step` that is a plain row or
// belongs to another item than `from` does; -1 when there is none.
int TCustomSked::nearestOtherRow(int from, int step) const
{
    const int item = Row(from).Item;
    for (int r = from + step; r >= 0 && r < RowCount(); r += step) {
        const int other = m_layout.rows.at(r).Item;
        if (other < 0 || other != item) {
            return r;
        }
    }
    return -1;
}

void TCustomSked::handleKey(int key, Qt::KeyboardModifiers mods)
{
    if (m_items.Count() == 0 && m_lines.Count() == 0) {
        return;
    }
    const int last = RowCount() - 1;
    switch (key) {
    case Qt::Key_Space:
        if (!SelectedItem() && m_focusRow >= 0 && m_focusRow != m_selectedRow) {
            SelectRow(m_focusRow, true);
        }
        return;
    case Qt::Key_PageUp:
        if (m_focusRow != 0) {
            SelectRow(qMax(0, m_focusRow + 1 - m_visibleRows), true);
        }
        break;
    case Qt::Key_PageDown:
        if (m_focusRow != last) {
            SelectRow(qMin(m_focusRow + m_visibleRows - 1, last), true);
        }
        break;
    case Qt::Key_End:
        if (m_focusRow != last) {
            SelectRow(last, true);
        }
        break;
    case Qt::Key_Home:
        if (m_focusRow > 0) {
            SelectRow(0, true);
        }
        break;
    case Qt::Key_Up:
    case Qt::Key_Down:
        if (const int r = nearestOtherRow(m_focusRow, key == Qt::Key_Up ? -1 : 1); r >= 0) {
            SelectRow(r, true);
        }
        break;
    case Qt::Key_F2:
        if (!(mods & Qt::ControlModifier) && !m_readOnly && SelectedItem()) {
            // Scroll first: scrolling closes an open editor.
            MakeFocusVisible();
            EditText(SelectedItem());
        }
        break;
    case Qt::Key_Escape:
        if (m_gripState != TGripState::None) {
            cancelGripDrag();
        }
        break;
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Delete:
    case Qt::Key_Left:
    case Qt::Key_Right:
        // Nothing of their own, but the cursor row comes back into view.
        break;
    default:
        return;
    }
    MakeFocusVisible();
}

// --- mouse ---

void TCustomSked::mousePressEvent(QMouseEvent* e)
{
    const QPoint pos = e->position().toPoint();
    if (e->button() == Qt::LeftButton) {
        leftPress(e, pos);
        return;
    }
    if (OnMouseDown) {
        OnMouseDown(this, e->button(), e->modifiers(), pos.x(), pos.y());
    }
    if (e->button() == Qt::RightButton) {
        if (!hasFocus()) {
            setFocus(Qt::MouseFocusReason);
        }
        SelectRow(RowAt(pos.x(), pos.y()), true);
    }
}

void TCustomSked::leftPress(QMouseEvent* e, QPoint pos)
{
    m_clickPos = pos;
    m_editArmed = false;
    const TSkedItem* selected = SelectedItem();
    int row = RowAt(pos.x(), pos.y());
    const bool onSelected = selected && row >= 0 && m_layout.rows.at(row).Item == selected->Index();
    const TEditGuard guard = onSelected ? m_editGuard : TEditGuard::Open;
    if (OnMouseDown) {
        OnMouseDown(this, Qt::LeftButton, e->modifiers(), pos.x(), pos.y());
    }
    if (isEditing()) {
        commitEdit();
        row = RowAt(pos.x(), pos.y()); // the commit may have re-laid out the rows
    }
    if (!hasFocus()) {
        setFocus(Qt::MouseFocusReason);
    }
    if (SelectedItem() && m_gripState != TGripState::None) {
        closeEdit();
        m_gripState = TGripState::Pressed;
    } else {
        if (row >= 0) {
            SelectRow(row, true);
        }
        if (!onSelected || (e->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier))) {
            closeEdit();
        } else if (guard == TEditGuard::Open) {
            m_editClickPos = pos;
            m_editArmed = true;
        }
    }
    m_mouseDownInColumn = true;
    if (SelectedItem()) {
        m_editGuard = TEditGuard::Open;
    }
}

void TCustomSked::mouseDoubleClickEvent(QMouseEvent* e)
{
    mousePressEvent(e);
    if (e->button() != Qt::LeftButton) {
        return;
    }
    // A double click never starts the in-place editor (the first click may
    // have armed it; the handler may open a modal window meanwhile).
    m_editArmed = false;
    m_editTimer.stop();
    if (OnDblClick) {
        OnDblClick(this);
    }
}

void TCustomSked::mouseReleaseEvent(QMouseEvent* e)
{
    const QPoint pos = e->position().toPoint();
    if (OnMouseUp) {
        OnMouseUp(this, e->button(), e->modifiers(), pos.x(), pos.y());
    }
    if (e->button() != Qt::LeftButton) {
        return;
    }
    const bool wasDown = m_mouseDownInColumn;
    if (m_editArmed) {
        m_editTimer.start();
    }
    if (m_gripState != TGripState::None) {
        finishGripDrag();
    }
    removeDropMark();
    m_mouseDownInColumn = false;
    if (wasDown && viewport()->rect().contains(pos) && OnClick) {
        OnClick(this);
    }
}

void TCustomSked::mouseMoveEvent(QMouseEvent* e)
{
    const QPoint pos = e->position().toPoint();
    const bool leftHeld = e->buttons() & Qt::LeftButton;
    if (m_dragMode == dmAutomatic && m_mouseDownInColumn && m_gripState == TGripState::None && leftHeld) {
        const QPoint d = pos - m_clickPos;
        const int threshold = QApplication::startDragDistance();
        if (SelectedItem() && (qAbs(d.x()) > threshold || qAbs(d.y()) > threshold)) {
            startItemDrag(pos);
        }
        return;
    }
    if (OnMouseMove) {
        OnMouseMove(this, e->modifiers(), pos.x(), pos.y());
    }
    if (m_gripState == TGripState::Pressed || m_gripState == TGripState::Moving) {
        dropFeedback(pos);
    } else {
        updateHover(pos, leftHeld);
    }
}

// A wheel the column leaves unhandled belongs to its multi-day control, which
// offers it to its own handler and passes it on from there, so that the
// wheel scrolls all columns together however it was delivered to the column.
void TCustomSked::wheelEvent(QWheelEvent* e)
{
    bool handled = false;
    if (OnMouseWheel) {
        OnMouseWheel(this, e->modifiers(), e->angleDelta().y(), e->position().toPoint(), handled);
    }
    if (!handled && m_skedControl) {
        m_skedControl->columnWheel(this, e);
        handled = true; // the control has passed it on where nobody took it
    }
    e->setAccepted(handled);
}

void TCustomSked::contextMenuEvent(QContextMenuEvent* e)
{
    bool handled = false;
    if (OnContextPopup) {
        OnContextPopup(this, e->pos(), handled);
    }
    QMenu* menu = m_popupMenu ? m_popupMenu : (m_skedControl ? m_skedControl->PopupMenu() : nullptr);
    if (!handled && menu) {
        menu->popup(e->globalPos());
        handled = true;
    }
    e->setAccepted(handled);
}

// --- focus ---

void TCustomSked::focusInEvent(QFocusEvent* e)
{
    QAbstractScrollArea::focusInEvent(e);
    if (m_focusRow < 0 && m_lines.Count() > 0 && RowCount() > 0) {
        m_focusRow = qMin(m_topRow, RowCount() - 1);
    }
    if (m_focusRow >= 0) {
        DrawRowCell(m_focusRow, isRowMarked(m_focusRow));
        viewport()->update(rowBand(m_focusRow));
        if (Row(m_focusRow).Item >= 0) {
            // Away: the click that brings the focus back only focuses;
            // FocusClick: the next click may edit; a column focused for the
            // first time lets its first click only focus.
            m_editGuard = m_editGuard == TEditGuard::FocusClick ? TEditGuard::Open : TEditGuard::FocusClick;
        }
    }
    if (OnActivate) {
        OnActivate();
    }
    if (OnEnter) {
        OnEnter(this);
    }
}

void TCustomSked::focusOutEvent(QFocusEvent* e)
{
    QAbstractScrollArea::focusOutEvent(e);
    m_editArmed = false;
    if (m_destroying) {
        return;
    }
    if (m_focusRow >= 0) {
        DrawRowCell(m_focusRow, isRowMarked(m_focusRow));
        viewport()->update(rowBand(m_focusRow));
        if (Row(m_focusRow).Item >= 0) {
            m_editGuard = isEditing() ? TEditGuard::FocusClick : TEditGuard::Away;
        }
    }
    if (m_gripState == TGripState::Hover) {
        setGripOverlay(false);
        m_gripState = TGripState::None;
        viewport()->unsetCursor();
    }
    if (OnExit) {
        OnExit(this);
    }
}

// --- click-to-edit and the in-place editor ---

void TCustomSked::editTimerFired()
{
    m_editTimer.stop();
    const bool armed = m_editArmed;
    m_editArmed = false;
    TSkedItem* item = SelectedItem();
    if (!armed || !item || m_readOnly) {
        return;
    }
    m_mouseDownInColumn = false;
    if (item->BlockRect().contains(m_editClickPos)) {
        EditText(item);
    } else {
        closeEdit();
    }
}

bool TCustomSked::isEditing() const
{
    return m_editor && !m_editor->isHidden();
}

// Whether `item`, last seen under `key`, is still one of the column's items.
// Handlers may delete items: `item` is only compared, never read.
bool TCustomSked::isItemAlive(const TSkedItem* item, int key) const
{
    return m_items.Items(m_items.IndexOfKey(key)) == item;
}

bool TCustomSked::EditText(TSkedItem* item)
{
    if (m_readOnly || !item || item->Owner() != &m_items || !InplaceEdit()) {
        return false;
    }
    bool allowEdit = true;
    const int key = item->Key();
    if (OnEditing) {
        OnEditing(this, item, allowEdit);
    }
    if (!allowEdit || !isItemAlive(item, key)) {
        return false;
    }
    commitEdit(); // an edit already open on another item ends first
    if (!isItemAlive(item, key)) {
        return false; // its OnEdited took this item away
    }
    item->setSelected(true);
    const int index = item->Index();
    if (index < 0 || item->FirstRow() < 0) {
        return false; // not laid out: nothing to edit over
    }
    m_editor->ItemIndex = index;
    m_editKey = item->Key();
    m_editor->Cancelled = false;
    const QRect view = m_layout.view;
    const QRect block = item->BlockRect();
    m_editor->setMinimumHeight(m_rowHeight);
    // A block cut by the header band gets its editor below the band.
    const int top = qMax(block.top(), view.top());
    m_editor->setGeometry(view.left(), top, view.width(), qMax(m_rowHeight, block.bottom() + 1 - top + 4));
    {
        const QSignalBlocker quiet(m_editor);
        m_editor->setPlainText(item->Text());
    }
    fitEditorHeight(item->Text());
    m_editor->selectAll();
    m_editor->document()->setModified(false);
    m_editor->show();
    m_editor->raise();
    m_editor->setFocus(Qt::OtherFocusReason);
    return true;
}

void TCustomSked::fitEditorHeight(const QString& text)
{
    const int width = m_layout.view.width() - 4;
    const WrappedText wrapped = wrapText(text, font(), width, m_rowHeight);
    int height = wrapped.height + 4;
    height = qMin(height, viewport()->height() - m_editor->y());
    height = qMax(height, m_rowHeight);
    m_editor->resize(m_editor->width(), height);
}

void TCustomSked::commitEdit()
{
    if (!isEditing()) {
        return;
    }
    m_editor->Cancelled = true;
    m_editor->Hide();
    applyEditorText();
}

void TCustomSked::closeEdit()
{
    if (!isEditing()) {
        return;
    }
    m_editor->Cancelled = true;
    m_editor->Hide();
}

// Commits the editor's text when it was modified: OnEdited may change it,
// then the item takes it and the column re-renders.
void TCustomSked::applyEditorText()
{
    if (!m_editor || !m_editor->document()->isModified()) {
        return;
    }
    m_editor->document()->setModified(false);
    // By key: the list may have been re-sorted while the editor was open.
    m_editor->ItemIndex = m_items.IndexOfKey(m_editKey);
    TSkedItem* item = m_items.Items(m_editor->ItemIndex);
    if (!item) {
        return;
    }
    QString s = m_editor->toPlainText();
    if (OnEdited) {
        OnEdited(this, item, s);
    }
    if (!isItemAlive(item, m_editKey)) {
        return;
    }
    item->m_text = s;
    ItemsChanged();
}

// --- handle drag ---

void TCustomSked::updateHover(QPoint pos, bool buttonHeld)
{
    if (m_gripState == TGripState::Hover) {
        if (!m_gripRect.contains(pos)) {
            setGripOverlay(false);
            m_gripState = TGripState::None;
            viewport()->unsetCursor();
        }
        return;
    }
    const TSkedItem* item = SelectedItem();
    if (m_gripState != TGripState::None || !hasFocus() || m_readOnly || !item || m_mouseDownInColumn ||
        buttonHeld) {
        return;
    }
    bool hit = false;
    if (item->TopGrip().contains(pos)) {
        m_gripRect = item->TopGrip();
        m_gripIsTop = true;
        hit = true;
    }
    if (item->BottomGrip().contains(pos)) {
        m_gripRect = item->BottomGrip();
        m_gripIsTop = false;
        hit = true;
    }
    if (hit) {
        m_gripState = TGripState::Hover;
        setGripOverlay(true);
        viewport()->setCursor(Qt::SizeVerCursor);
    }
}

void TCustomSked::setGripOverlay(bool on)
{
    m_gripOverlay = on;
    viewport()->update(m_gripRect);
}

void TCustomSked::retakeGripRect()
{
    viewport()->update(m_gripRect);
    if (const TSkedItem* item = SelectedItem()) {
        m_gripRect = m_gripIsTop ? item->TopGrip() : item->BottomGrip();
    }
    viewport()->update(m_gripRect);
}

void TCustomSked::dropFeedback(QPoint pos)
{
    const int row = RowAt(pos.x(), pos.y());
    if (row == m_dropRow) {
        return;
    }
    removeDropMark();
    m_dropRow = row;
    if (row < 0) {
        return;
    }
    if (m_gripState == TGripState::Pressed) {
        m_gripState = TGripState::Moving;
    }
    DrawRowCell(row, true);
    const QRect band = rowBand(row);
    m_dropMark = QRect(0, band.top(), m_layout.view.left() + m_layout.view.width(), m_view.LineWidth());
    viewport()->update(m_dropMark);
    viewport()->update(m_gripRect);
}

void TCustomSked::removeDropMark()
{
    const int old = m_dropRow;
    m_dropRow = -1;
    if (old >= 0) {
        DrawRowCell(old, isRowMarked(old));
    }
    if (!m_dropMark.isEmpty()) {
        viewport()->update(m_dropMark);
        m_dropMark = QRect();
    }
}

// Applies a finished handle drag: the line of the drop row becomes the new
// start or end; dropped beyond the other end, the two swap roles.
void TCustomSked::finishGripDrag()
{
    m_gripState = TGripState::None;
    setGripOverlay(false);
    viewport()->unsetCursor();
    TSkedItem* item = SelectedItem();
    if (m_dropRow >= 0 && item) {
        const int line = m_layout.rows.at(m_dropRow).Line;
        m_dropRow = -1;
        if (m_gripIsTop) {
            if (item->EndLine() < line) {
                item->setStartLine(item->EndLine());
                item->setEndLine(line);
            } else {
                item->setStartLine(line);
            }
        } else {
            if (line < item->StartLine()) {
                item->setEndLine(item->StartLine());
                item->setStartLine(line);
            } else {
                item->setEndLine(line);
            }
        }
        item->setSelected(true);
        if (OnLineDrop) {
            OnLineDrop(this, item);
        }
    }
    removeDropMark();
}

void TCustomSked::cancelGripDrag()
{
    m_gripState = TGripState::None;
    m_mouseDownInColumn = false;
    setGripOverlay(false);
    removeDropMark();
    viewport()->unsetCursor();
}

// --- drag and drop of items ---

QMimeData* TCustomSked::createDragData() const
{
    auto* data = new QMimeData;
    const TSkedItem* item = SelectedItem();
    const QByteArray record = QByteArray::number(QCoreApplication::applicationPid()) + ' ' +
                              (m_date.isValid() ? m_date.toString(QStringLiteral("yyyyMMdd")).toLatin1()
                                                : QByteArray("-")) +
                              ' ' + (item ? QByteArray::number(item->ID) : QByteArray("-"));
    data->setData(QString::fromLatin1(skedItemMimeType), record);
    if (item) {
        data->setText(item->Text());
    }
    return data;
}

std::optional<TSkedDragItem> TCustomSked::draggedItem(const QMimeData* data)
{
    if (!data || !data->hasFormat(QString::fromLatin1(skedItemMimeType))) {
        return std::nullopt;
    }
    const QList<QByteArray> parts = data->data(QString::fromLatin1(skedItemMimeType)).split(' ');
    if (parts.size() != 3 || parts.at(0).toLongLong() != QCoreApplication::applicationPid()) {
        return std::nullopt;
    }
    const QDate day = QDate::fromString(QString::fromLatin1(parts.at(1)), QStringLiteral("yyyyMMdd"));
    bool ok = false;
    const qint32 id = parts.at(2).toInt(&ok);
    if (!day.isValid() || !ok) {
        return std::nullopt;
    }
    return TSkedDragItem{day, id};
}

QPixmap TCustomSked::dragPixmap(QPoint pos, QPoint* hotSpot) const
{
    const TSkedItem* item = SelectedItem();
    if (!item || picture().isNull()) {
        return QPixmap();
    }
    const QRect block = item->BlockRect().intersected(QRect(QPoint(0, 0), m_layout.picture));
    if (block.isEmpty()) {
        return QPixmap();
    }
    const qreal dpr = m_picture.devicePixelRatio();
    const QRect source(block.topLeft() * dpr, block.size() * dpr);
    QImage image = m_picture.copy(source).convertToFormat(QImage::Format_ARGB32);
    const QRgb background = toQColor(m_color, palette()).rgb();
    for (int y = 0; y < image.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            if ((line[x] & 0xFFFFFF) == (background & 0xFFFFFF)) {
                line[x] = 0;
            }
        }
    }
    image.setDevicePixelRatio(dpr);
    if (hotSpot) {
        *hotSpot = pos - block.topLeft();
    }
    return QPixmap::fromImage(image);
}

void TCustomSked::startItemDrag(QPoint pos)
{
    if (!SelectedItem()) {
        return;
    }
    m_mouseDownInColumn = false;
    m_editArmed = false;
    QPoint hotSpot;
    const QPixmap pixmap = dragPixmap(pos, &hotSpot);
    QMimeData* data = createDragData();
    QMimeData* dragObject = data;
    if (OnStartDrag) {
        OnStartDrag(this, dragObject);
    }
    if (!dragObject) {
        dragObject = data;
    } else if (dragObject != data) {
        delete data;
    }
    auto* drag = new QDrag(this);
    drag->setMimeData(dragObject);
    if (!pixmap.isNull()) {
        drag->setPixmap(pixmap);
        drag->setHotSpot(hotSpot);
    }
    const Qt::DropAction action = drag->exec(Qt::MoveAction | Qt::CopyAction, Qt::MoveAction);
    QObject* target = action == Qt::IgnoreAction ? nullptr : drag->target();
    const QPoint end = viewport()->mapFromGlobal(QCursor::pos());
    m_editArmed = false;
    removeDropMark();
    if (OnEndDrag) {
        OnEndDrag(this, target, end.x(), end.y());
    }
}

void TCustomSked::handleDragOver(QDropEvent* e, TDragState state)
{
    m_editArmed = false;
    const std::optional<TSkedDragItem> item = draggedItem(e->mimeData());
    if (!item) {
        e->ignore();
        return;
    }
    const QPoint pos = e->position().toPoint();
    const TSkedDrop drop{*item, m_date, LineAt(pos.x(), pos.y()), e->modifiers().testFlag(Qt::ControlModifier),
                         state};
    const bool accept = OnDragOver && OnDragOver(this, drop);
    m_dragAccepted = accept;
    if (!accept) {
        removeDropMark();
        if (state == dsDragEnter) {
            e->accept(); // keep receiving moves: a later position may be accepted
            e->setDropAction(Qt::IgnoreAction);
        } else {
            e->ignore();
        }
        return;
    }
    e->acceptProposedAction();
    const int row = RowAt(pos.x(), pos.y());
    if (row != m_dropRow) {
        removeDropMark();
        m_dropRow = row;
        if (row >= 0) {
            DrawRowCell(row, true);
        }
    }
}

void TCustomSked::dragEnterEvent(QDragEnterEvent* e)
{
    handleDragOver(e, dsDragEnter);
}

void TCustomSked::dragMoveEvent(QDragMoveEvent* e)
{
    handleDragOver(e, dsDragMove);
}

void TCustomSked::dragLeaveEvent(QDragLeaveEvent* e)
{
    m_editArmed = false;
    if (OnDragOver) {
        const QPoint pos = viewport()->mapFromGlobal(QCursor::pos());
        (void)OnDragOver(this, TSkedDrop{{}, m_date, LineAt(pos.x(), pos.y()), false, dsDragLeave});
    }
    m_dragAccepted = false;
    removeDropMark();
    e->accept();
}

void TCustomSked::dropEvent(QDropEvent* e)
{
    m_editArmed = false;
    removeDropMark();
    const std::optional<TSkedDragItem> item = draggedItem(e->mimeData());
    if (!m_dragAccepted || !item) {
        e->ignore();
        return;
    }
    m_dragAccepted = false;
    e->acceptProposedAction();
    const QPoint pos = e->position().toPoint();
    if (OnDragDrop) {
        OnDragDrop(this, TSkedDrop{*item, m_date, LineAt(pos.x(), pos.y()),
                                   e->modifiers().testFlag(Qt::ControlModifier), dsDragMove});
    }
}

} // namespace nox::sked
