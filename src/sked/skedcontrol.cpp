#include "sked/skedcontrol.h"

#include <QApplication>
#include <QFocusEvent>
#include <QScrollBar>
#include <QWheelEvent>

#include "widgets/keptscrollbar.h"
#include "widgets/panelframe.h"

namespace nox::sked
{

TCustomSkedControl::TCustomSkedControl(QWidget* parent) : QAbstractScrollArea(parent)
{
    setFocusPolicy(Qt::TabFocus);
    setFrameStyle(QFrame::NoFrame);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setVerticalScrollBar(new TKeptScrollBar(Qt::Vertical));
    verticalScrollBar()->setRange(0, 0);
    verticalScrollBar()->setSingleStep(1);
    viewport()->setAutoFillBackground(true);
    QPalette pal = viewport()->palette();
    pal.setColor(QPalette::Window, toQColor(m_color, palette()));
    viewport()->setPalette(pal);
    resize(250, 150);

    m_view.OnContentChange = [this] { viewChanged(); };
    m_view.OnSizeChange = [this] { viewChanged(); };
    m_view.OnTopBarChange = [this] { viewChanged(); };
    m_view.OnLeftBarChange = [this] { viewChanged(); };
    m_lines.OnChange = [this] { linesChanged(); };
    m_options.OnChange = [this] { optionsChanged(); };
}

TCustomSkedControl::~TCustomSkedControl()
{
    m_destroying = true;
    m_view.OnContentChange = nullptr;
    m_view.OnSizeChange = nullptr;
    m_view.OnTopBarChange = nullptr;
    m_view.OnLeftBarChange = nullptr;
    m_lines.OnChange = nullptr;
    m_options.OnChange = nullptr;
    m_images = nullptr;
    // The columns go first, while the control is still whole.
    const QList<TSked*> skeds = m_skeds;
    m_skeds.clear();
    m_activeSked = nullptr;
    for (TSked* sked : skeds) {
        sked->OnActivate = nullptr;
        sked->OnItemsChange = nullptr;
        sked->m_skedControl = nullptr;
        delete sked;
    }
}

// --- columns ---

void TCustomSkedControl::setSkedCount(int value)
{
    value = qMax(0, value);
    if (value == SkedCount()) {
        return;
    }
    while (SkedCount() < value) {
        addColumn();
    }
    while (SkedCount() > value) {
        removeColumn();
    }
    ArrangeColumns();
}

void TCustomSkedControl::addColumn()
{
    auto* sked = new TSked(viewport());
    sked->hide();
    sked->lower();
    sked->setObjectName(QStringLiteral("Daycol%1").arg(m_skeds.size()));
    sked->m_skedControl = this;
    sked->holdRender();
    sked->setColor(m_color);
    sked->applyOptions(m_options);
    sked->setDragMode(m_dragMode);
    sked->setFocusPolicy(Qt::NoFocus);
    sked->View().Assign(m_view);
    sked->setScrollBar(false);
    sked->setReadOnly(m_readOnly);
    sked->Lines().Assign(m_lines);
    connectColumn(sked);
    m_skeds.append(sked);
    sked->releaseRender();
    sked->ScrollTo(m_topRow); // its rows are laid out now
    sked->show();
}

void TCustomSkedControl::removeColumn()
{
    TSked* sked = m_skeds.takeLast();
    if (sked == m_activeSked) {
        m_activeSked = nullptr;
    }
    sked->OnActivate = nullptr;
    sked->OnItemsChange = nullptr;
    sked->OnExit = nullptr;
    sked->OnSelectItem = nullptr;
    sked->m_skedControl = nullptr;
    delete sked;
}

void TCustomSkedControl::connectColumn(TSked* sked)
{
    auto forward = [this, sked](const TSkedControlEvent& event) {
        return [this, sked, &event](QObject*) {
            if (event) {
                event(this, sked);
            }
        };
    };
    sked->OnClick = forward(OnSkedClick);
    sked->OnDblClick = forward(OnSkedDblClick);
    sked->OnEnter = forward(OnSkedEnter);
    sked->OnExit = forward(OnSkedExit);
    sked->OnContextPopup = [this, sked](QObject*, QPoint pos, bool& handled) {
        if (OnSkedContextPopup) {
            OnSkedContextPopup(this, sked, pos, handled);
        }
    };
    sked->OnMouseDown = [this, sked](QObject*, Qt::MouseButton b, Qt::KeyboardModifiers s, int x, int y) {
        if (OnSkedMouseDown) {
            OnSkedMouseDown(this, sked, b, s, x, y);
        }
    };
    sked->OnMouseUp = [this, sked](QObject*, Qt::MouseButton b, Qt::KeyboardModifiers s, int x, int y) {
        if (OnSkedMouseUp) {
            OnSkedMouseUp(this, sked, b, s, x, y);
        }
    };
    sked->OnMouseMove = [this, sked](QObject*, Qt::KeyboardModifiers s, int x, int y) {
        if (OnSkedMouseMove) {
            OnSkedMouseMove(this, sked, s, x, y);
        }
    };
    sked->OnKeyDown = [this, sked](QObject*, int& key, Qt::KeyboardModifiers s) {
        columnKeyDown(sked, key, s);
    };
    sked->OnKeyUp = [this, sked](QObject*, int& key, Qt::KeyboardModifiers s) {
        if (OnSkedKeyUp) {
            OnSkedKeyUp(this, sked, key, s);
        }
    };
    sked->OnKeyPress = [this, sked](QObject*, QChar& key) {
        if (OnSkedKeyPress) {
            OnSkedKeyPress(this, sked, key);
        }
    };
    sked->OnDragDrop = [this](QObject*, const TSkedDrop& drop) {
        if (OnSkedDragDrop) {
            OnSkedDragDrop(this, drop);
        }
    };
    sked->OnDragOver = [this](QObject*, const TSkedDrop& drop) {
        return OnSkedDragOver && OnSkedDragOver(this, drop);
    };
    sked->OnEndDrag = [this, sked](QObject*, QObject* target, int x, int y) {
        if (OnSkedEndDrag) {
            OnSkedEndDrag(this, target, sked, x, y);
        }
    };
    sked->OnStartDrag = [this, sked](QObject*, QMimeData*& dragObject) {
        if (OnSkedStartDrag) {
            OnSkedStartDrag(this, sked, dragObject);
        }
    };
    sked->OnSelectItem = [this, sked](QObject*, TLineItem* line, TSkedItem* item) {
        selectInStep(sked);
        if (OnSkedSelectItem) {
            OnSkedSelectItem(this, sked, line, item);
        }
    };
    sked->OnEdited = [this, sked](QObject*, TSkedItem* item, QString& s) {
        if (OnSkedEdited) {
            s = OnSkedEdited(this, sked->Date(), item->ID, s);
        }
    };
    sked->OnEditing = [this, sked](QObject*, TSkedItem* item, bool& allow) {
        if (OnSkedEditing) {
            OnSkedEditing(this, sked, item, allow);
        }
    };
    sked->OnDrawItem = [this, sked](QObject*, TSkedItem* item, const QRect& rect) {
        if (OnSkedDrawItem) {
            OnSkedDrawItem(this, sked, item, QRect(rect));
        }
    };
    sked->OnLineDrop = [this, sked](QObject*, TSkedItem* item) {
        if (OnSkedLineDrop) {
            OnSkedLineDrop(this, sked->Date(), item->ID, item->StartLine(), item->EndLine());
        }
    };
    sked->OnActivate = [this, sked] { columnActivated(sked); };
    sked->OnItemsChange = [this] { columnItemsChanged(); };
}

// Equal widths; the last column also takes the remainder.
void TCustomSkedControl::ArrangeColumns()
{
    const int n = SkedCount();
    if (n > 0) {
        const int width = viewport()->width();
        const int height = viewport()->height();
        const int w = width / n;
        for (int i = 0; i < n - 1; ++i) {
            m_skeds.at(i)->setGeometry(i * w, 0, w, height);
        }
        m_skeds.last()->setGeometry((n - 1) * w, 0, width - (n - 1) * w, height);
    }
    UpdateScrollBar(false);
}

TSked* TCustomSkedControl::Skeds(int index) const
{
    return index >= 0 && index < m_skeds.size() ? m_skeds.at(index) : nullptr;
}

// --- master copies ---

void TCustomSkedControl::viewChanged()
{
    for (TSked* sked : m_skeds) {
        sked->holdRender();
        sked->View().Assign(m_view);
        sked->m_renderPending = true; // focus colours are copied silently
        sked->releaseRender();
    }
    ArrangeColumns();
}

void TCustomSkedControl::linesChanged()
{
    for (TSked* sked : m_skeds) {
        sked->Lines().Assign(m_lines);
    }
    ArrangeColumns();
}

void TCustomSkedControl::optionsChanged()
{
    for (TSked* sked : m_skeds) {
        sked->applyOptions(m_options);
    }
    ArrangeColumns();
}

void TCustomSkedControl::setImages(const QList<QPixmap>* images)
{
    if (m_images == images) {
        return;
    }
    m_images = images;
    ImagesChanged();
}

void TCustomSkedControl::ImagesChanged()
{
    for (TSked* sked : m_skeds) {
        sked->ImagesChanged();
    }
}

void TCustomSkedControl::setBorderStyle(TBorderStyle value)
{
    if (m_borderStyle == value) {
        return;
    }
    m_borderStyle = value;
    setFrameStyle(value == bsSingle ? QFrame::WinPanel | QFrame::Sunken : QFrame::NoFrame);
}

void TCustomSkedControl::setHideSelection(bool value)
{
    m_hideSelection = value;
    if (m_activeSked) {
        m_activeSked->setHideSelection(value);
    }
}

void TCustomSkedControl::setReadOnly(bool value)
{
    m_readOnly = value;
    for (TSked* sked : m_skeds) {
        sked->setReadOnly(value);
    }
}

void TCustomSkedControl::setScrollBar(bool value)
{
    if (m_scrollBar == value) {
        return;
    }
    m_scrollBar = value;
    setVerticalScrollBarPolicy(value ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
    UpdateScrollBar(false);
}

void TCustomSkedControl::setDragMode(TDragMode value)
{
    m_dragMode = value;
    for (TSked* sked : m_skeds) {
        sked->setDragMode(value);
    }
}

void TCustomSkedControl::setColor(TColor value)
{
    if (m_color == value) {
        return;
    }
    m_color = value;
    QPalette pal = viewport()->palette();
    pal.setColor(QPalette::Window, toQColor(m_color, palette()));
    viewport()->setPalette(pal);
    for (TSked* sked : m_skeds) {
        sked->setColor(value);
    }
}

void TCustomSkedControl::changeEvent(QEvent* e)
{
    QAbstractScrollArea::changeEvent(e);
    if (e->type() == QEvent::FontChange) {
        for (TSked* sked : m_skeds) {
            sked->setFont(font());
        }
        UpdateScrollBar(false);
    }
}

// --- active column ---

int TCustomSkedControl::ActiveIndex() const
{
    return m_activeSked ? int(m_skeds.indexOf(m_activeSked)) : -1;
}

void TCustomSkedControl::setActiveIndex(int index)
{
    setActiveSked(Skeds(index));
}

bool TCustomSkedControl::isFocusInside() const
{
    const QWidget* focus = QApplication::focusWidget();
    return focus && (focus == this || isAncestorOf(focus));
}

void TCustomSkedControl::setActiveSked(TSked* sked)
{
    if (sked && !m_skeds.contains(sked)) {
        return;
    }
    if (sked && isFocusInside()) {
        sked->setFocus(Qt::OtherFocusReason);
    }
    if (sked == m_activeSked) {
        return;
    }
    makeActive(sked);
    const QWidget* formFocus = window()->focusWidget();
    if (sked && formFocus && (formFocus == this || isAncestorOf(formFocus))) {
        sked->setFocus(Qt::OtherFocusReason);
    } else {
        m_focusPending = !window()->isActiveWindow();
    }
}

void TCustomSkedControl::columnActivated(TSked* sked)
{
    if (m_focusPending && window()->isActiveWindow()) {
        m_focusPending = false;
        if (m_activeSked && m_activeSked != sked) {
            m_activeSked->setFocus(Qt::OtherFocusReason);
        }
        return;
    }
    if (m_focusPending || sked == m_activeSked) {
        return;
    }
    makeActive(sked);
}

// The old column hides its selection and drops an item selection to its
// first plain row; the new one takes the control's HideSelection.
void TCustomSkedControl::makeActive(TSked* sked)
{
    if (TSked* old = m_activeSked) {
        old->setHideSelection(true);
        old->setItemIndex(-1);
    }
    m_activeSked = sked;
    if (sked) {
        sked->setHideSelection(m_hideSelection);
    }
    if (OnChange) {
        OnChange(this);
    }
}

void TCustomSkedControl::focusInEvent(QFocusEvent* e)
{
    QAbstractScrollArea::focusInEvent(e);
    TSked* target = m_activeSked ? m_activeSked : Skeds(0);
    if (target && target->isVisible() && target->isEnabled()) {
        target->setFocus(e->reason());
    }
}

// --- selection in step and keys ---

void TCustomSkedControl::selectInStep(TSked* sked)
{
    const int row = sked->FocusRow();
    for (TSked* other : m_skeds) {
        if (other == sked) {
            continue;
        }
        other->SelectRow(qMin(row, other->RowCount() - 1), false);
        other->setEditGuard(TEditGuard::FocusClick);
    }
}

void TCustomSkedControl::columnKeyDown(TSked* sked, int& key, Qt::KeyboardModifiers shift)
{
    if (OnSkedKeyDown) {
        OnSkedKeyDown(this, sked, key, shift);
    }
    switch (key) {
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
        for (QWidget* next = nextInFocusChain(); next && next != this; next = next->nextInFocusChain()) {
            if (!isAncestorOf(next) && (next->focusPolicy() & Qt::TabFocus) && next->isEnabled() &&
                next->isVisible()) {
                next->setFocus(Qt::TabFocusReason);
                break;
            }
        }
        key = 0;
        break;
    case Qt::Key_Left:
        moveActive(-1);
        break;
    case Qt::Key_Right:
        moveActive(1);
        break;
    default:
        break;
    }
}

void TCustomSkedControl::moveActive(int step)
{
    const int from = ActiveIndex();
    if (from < 0) {
        return;
    }
    const int to = from + step;
    if (to < 0 || to >= SkedCount()) {
        return;
    }
    const int row = m_activeSked->FocusRow();
    setActiveIndex(to);
    Skeds(to)->setRowIndex(row);
}

// --- scrolling and bulk updates ---

int TCustomSkedControl::MaxRowCount() const
{
    int rows = 0;
    for (const TSked* sked : m_skeds) {
        rows = qMax(rows, sked->RowCount());
    }
    return rows;
}

int TCustomSkedControl::PageRows() const
{
    return m_skeds.isEmpty() ? 0 : m_skeds.first()->VisibleRows();
}

void TCustomSkedControl::setTopRow(int value)
{
    value = qBound(0, value, MaxRowCount());
    if (value == m_topRow) {
        return;
    }
    m_topRow = value;
    for (TSked* sked : m_skeds) {
        sked->ScrollTo(value);
    }
    if (m_scrollBar) {
        const QSignalBlocker block(verticalScrollBar());
        verticalScrollBar()->setValue(value);
    }
}

void TCustomSkedControl::scrollContentsBy(int dx, int dy)
{
    Q_UNUSED(dx);
    Q_UNUSED(dy);
    if (m_scrollBar && !m_skeds.isEmpty()) {
        setTopRow(verticalScrollBar()->value());
    }
}

void TCustomSkedControl::UpdateScrollBar(bool reset)
{
    if (!m_scrollBar || !isVisible()) {
        return;
    }
    QScrollBar* bar = verticalScrollBar();
    const QSignalBlocker block(bar);
    const int maxRows = MaxRowCount();
    if (!m_skeds.isEmpty() && m_lines.Count() > 0) {
        const int pos = reset ? 0 : (m_topRow >= maxRows ? 0 : m_topRow);
        m_topRow = pos;
        if (maxRows != 0) {
            const int page = qMax(1, PageRows());
            bar->setEnabled(true);
            bar->setRange(0, qMax(0, maxRows - page + 1));
            bar->setPageStep(page);
            bar->setValue(pos);
            return;
        }
    }
    bar->setRange(0, 0);
    bar->setEnabled(false);
}

void TCustomSkedControl::columnItemsChanged()
{
    if (m_updateCount == 0) {
        UpdateScrollBar(false);
    }
}

void TCustomSkedControl::BeginUpdate()
{
    ++m_updateCount;
    for (TSked* sked : m_skeds) {
        sked->Items().BeginUpdate();
    }
}

void TCustomSkedControl::EndUpdate()
{
    for (TSked* sked : m_skeds) {
        sked->Items().EndUpdate();
    }
    m_updateCount = qMax(0, m_updateCount - 1);
    if (m_updateCount == 0) {
        UpdateScrollBar(false);
        columnsFollowTopRow();
    }
}

void TCustomSkedControl::columnsFollowTopRow()
{
    for (TSked* sked : m_skeds) {
        sked->ScrollTo(m_topRow);
    }
}

void TCustomSkedControl::resizeEvent(QResizeEvent* e)
{
    QAbstractScrollArea::resizeEvent(e);
    ArrangeColumns();
}

bool TCustomSkedControl::event(QEvent* e)
{
    if (e->type() == QEvent::Wheel) {
        // The viewport already offered this wheel; pass it on to the parent.
        e->ignore();
        return false;
    }
    return paintWinPanelFrame(*this, e) || QAbstractScrollArea::event(e);
}

void TCustomSkedControl::wheelEvent(QWheelEvent* e)
{
    bool handled = false;
    if (OnMouseWheel) {
        OnMouseWheel(this, e->modifiers(), e->angleDelta().y(), e->position().toPoint(), handled);
    }
    e->setAccepted(handled);
}

bool TCustomSkedControl::columnWheel(const TCustomSked* sked, const QWheelEvent* e)
{
    const QPointF pos = sked->viewport()->mapTo(viewport(), e->position());
    bool handled = false;
    if (OnMouseWheel) {
        OnMouseWheel(this, e->modifiers(), e->angleDelta().y(), pos.toPoint(), handled);
    }
    return handled || passWheelToParents(e, pos);
}

// The same walk as the application's own for a wheel nobody accepted: up the
// parents to the window, each getting the wheel in its own coordinates.
bool TCustomSkedControl::passWheelToParents(const QWheelEvent* e, QPointF posInViewport)
{
    QPointF pos = viewport()->mapTo(this, posInViewport);
    for (QWidget* w = this; !w->isWindow() && !w->testAttribute(Qt::WA_NoMousePropagation);) {
        pos += w->pos();
        w = w->parentWidget();
        if (!w) {
            break;
        }
        QWheelEvent copy(pos, e->globalPosition(), e->pixelDelta(), e->angleDelta(), e->buttons(),
                         e->modifiers(), e->phase(), e->inverted(), e->source(), e->pointingDevice());
        copy.setTimestamp(e->timestamp());
        QApplication::sendEvent(w, &copy);
        if (copy.isAccepted()) {
            return true;
        }
    }
    return false;
}

} // namespace nox::sked
