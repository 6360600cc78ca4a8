// Day column: construction, properties, selection and scrolling.
#include "sked/sked.h"

#include "sked/inplaceedit.h"
#include "sked/skedcontrol.h"

#include <QPainter>
#include <QResizeEvent>
#include <QScrollBar>

#include "widgets/panelframe.h"

namespace nox::sked
{

TCustomSked::TCustomSked(QWidget* parent) : QAbstractScrollArea(parent), m_items(this)
{
    setFocusPolicy(Qt::TabFocus);
    setAttribute(Qt::WA_KeyCompression, false);
    viewport()->setMouseTracking(true);
    viewport()->setAcceptDrops(true);
    viewport()->setAutoFillBackground(false);
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    verticalScrollBar()->setRange(0, 0);
    verticalScrollBar()->setSingleStep(1);
    resize(250, 150);

    m_editTimer.setSingleShot(true);
    m_editTimer.setInterval(500);
    connect(&m_editTimer, &QTimer::timeout, this, [this] { editTimerFired(); });
    connectNotifications();
    updateFrame();
    applyFont();
}

TSkedInplaceEdit* TCustomSked::InplaceEdit() const
{
    if (!m_editor && !m_destroying) {
        auto* self = const_cast<TCustomSked*>(this);
        m_editor = new TSkedInplaceEdit(self);
        m_editor->hide();
        connect(m_editor, &QPlainTextEdit::textChanged, self, [self] {
            if (self->isEditing()) {
                self->fitEditorHeight(self->m_editor->toPlainText());
            }
        });
        self->styleEditor();
    }
    return m_editor;
}

TCustomSked::~TCustomSked()
{
    m_destroying = true;
    m_editTimer.stop();
    m_items.OnItemsChange = nullptr;
    m_lines.OnChange = nullptr;
    m_view.OnContentChange = nullptr;
    m_view.OnSizeChange = nullptr;
    m_view.OnTopBarChange = nullptr;
    m_view.OnLeftBarChange = nullptr;
    // The editor goes before the column's parts it reports to.
    delete m_editor;
    m_editor = nullptr;
}

void TCustomSked::connectNotifications()
{
    m_items.OnItemsChange = [this] { ItemsChanged(); };
    m_lines.OnChange = [this] {
        viewContentChanged();
        UpdateScrollBar(false);
    };
    m_view.OnContentChange = [this] { viewContentChanged(); };
    m_view.OnLeftBarChange = [this] { viewContentChanged(); };
    m_view.OnSizeChange = [this] { viewSizeChanged(); };
    m_view.OnTopBarChange = [this] { viewport()->update(m_view.topBarRect(viewport()->size())); };
}

// While the items are being changed, their change renders everything when
// it ends (ItemsChanged): a look changed meanwhile waits for that.
void TCustomSked::viewContentChanged()
{
    if (m_items.UpdateCount() > 0) {
        return;
    }
    fullRender();
    invalidateBelowTopBar();
}

// The visible row count follows the header band too, so that the ruler,
// the scroll range and the page keys agree with what is on screen.
void TCustomSked::viewSizeChanged()
{
    computeVisibleRows();
    fullRender();
    viewport()->update();
    UpdateScrollBar(false);
}

// --- properties ---

void TCustomSked::setBorderStyle(TBorderStyle value)
{
    if (m_borderStyle != value) {
        m_borderStyle = value;
        updateFrame();
    }
}

void TCustomSked::applyOptions(const TSkedOptions& options)
{
    m_bevelEdges = options.BevelEdges();
    m_bevelInner = options.BevelInner();
    m_bevelOuter = options.BevelOuter();
    m_bevelKind = options.BevelKind();
    m_bevelWidth = options.BevelWidth();
    m_borderWidth = options.BorderWidth();
    m_borderStyle = options.BorderStyle();
    updateFrame();
}

void TCustomSked::updateFrame()
{
    if (m_borderStyle == bsSingle) {
        setFrameStyle(QFrame::WinPanel | QFrame::Sunken);
    } else {
        setFrameStyle(QFrame::NoFrame);
    }
    int bevel = m_borderWidth;
    if (m_bevelKind != bkNone) {
        bevel += (m_bevelInner != bvNone ? m_bevelWidth : 0) + (m_bevelOuter != bvNone ? m_bevelWidth : 0);
    }
    auto edge = [&](TBevelEdge e) { return (m_bevelEdges & e) ? bevel : m_borderWidth; };
    setViewportMargins(edge(beLeft), edge(beTop), edge(beRight), edge(beBottom));
    update();
}

// Bevels as rings around the client area: outer first, then inner.
void TCustomSked::paintBevel()
{
    if (m_bevelKind == bkNone) {
        return;
    }
    QPainter p(this);
    const QColor shadow(0x80, 0x80, 0x80);
    const QColor light(Qt::white);
    QRect r = rect().adjusted(frameWidth(), frameWidth(), -frameWidth(), -frameWidth());
    for (TBevelCut cut : {m_bevelOuter, m_bevelInner}) {
        if (cut == bvNone) {
            continue;
        }
        const bool lowered = cut == bvLowered;
        const QColor topLeft = m_bevelKind == bkFlat ? shadow : (lowered ? shadow : light);
        const QColor bottomRight = m_bevelKind == bkFlat ? shadow : (lowered ? light : shadow);
        for (int i = 0; i < m_bevelWidth && cut != bvSpace; ++i) {
            if (m_bevelEdges & beLeft) {
                p.fillRect(QRect(r.left(), r.top(), 1, r.height()), topLeft);
            }
            if (m_bevelEdges & beTop) {
                p.fillRect(QRect(r.left(), r.top(), r.width(), 1), topLeft);
            }
            if (m_bevelEdges & beRight) {
                p.fillRect(QRect(r.right(), r.top(), 1, r.height()), bottomRight);
            }
            if (m_bevelEdges & beBottom) {
                p.fillRect(QRect(r.left(), r.bottom(), r.width(), 1), bottomRight);
            }
            r.adjust((m_bevelEdges & beLeft) ? 1 : 0, (m_bevelEdges & beTop) ? 1 : 0,
                     (m_bevelEdges & beRight) ? -1 : 0, (m_bevelEdges & beBottom) ? -1 : 0);
        }
    }
}

void TCustomSked::setScrollBar(bool value)
{
    if (m_scrollBar == value) {
        return;
    }
    m_scrollBar = value;
    setVerticalScrollBarPolicy(value ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
    UpdateScrollBar(false);
}

void TCustomSked::setHideSelection(bool value)
{
    if (m_hideSelection == value) {
        return;
    }
    m_hideSelection = value;
    if (m_pictureReady) {
        m_pictureStale = true;
        invalidateBelowTopBar();
    }
}

void TCustomSked::setReadOnly(bool value)
{
    if (m_readOnly == value) {
        return;
    }
    m_readOnly = value;
    if (value) {
        closeEdit();
        if (m_gripState != TGripState::None) {
            cancelGripDrag();
        }
    }
}

void TCustomSked::setDragMode(TDragMode value)
{
    m_dragMode = value;
}

void TCustomSked::setColor(TColor value)
{
    if (m_color == value) {
        return;
    }
    m_color = value;
    RenderAll();
}

const QList<QPixmap>* TCustomSked::imagesInEffect() const
{
    if (m_images) {
        return m_images;
    }
    return m_skedControl ? m_skedControl->Images() : nullptr;
}

void TCustomSked::setImages(const QList<QPixmap>* images)
{
    if (m_images == images) {
        return;
    }
    m_images = images;
    ImagesChanged();
}

void TCustomSked::ImagesChanged()
{
    computeImageRows();
    fullRender();
    invalidateBelowTopBar();
    UpdateScrollBar(false);
}

// --- rows and selection ---

TSkedRow TCustomSked::Row(int row) const
{
    if (row < 0 || row >= RowCount()) {
        return TSkedRow{};
    }
    return m_layout.rows.at(row);
}

int TCustomSked::RowAt(int X, int Y) const
{
    Q_UNUSED(X);
    return m_layout.rowAt(Y);
}

int TCustomSked::LineAt(int X, int Y) const
{
    const int row = RowAt(X, Y);
    return row < 0 ? -1 : m_layout.rows.at(row).Line;
}

void TCustomSked::setRowIndex(int value)
{
    if (value != m_focusRow && value < RowCount()) {
        SelectRow(value, true);
    }
}

int TCustomSked::LineIndex() const
{
    return Row(m_focusRow).Line;
}

int TCustomSked::ItemIndex() const
{
    const int item = Row(m_selectedRow).Item;
    return m_items.Items(item) ? item : -1;
}

void TCustomSked::setItemIndex(int value)
{
    if (value == ItemIndex() || value >= m_items.Count() || value < -1) {
        return;
    }
    for (int row = 0; row < RowCount(); ++row) {
        if (m_layout.rows.at(row).Item == value) {
            SelectRow(row, true);
            return;
        }
    }
}

TSkedItem* TCustomSked::SelectedItem() const
{
    return m_items.Items(Row(m_selectedRow).Item);
}

void TCustomSked::SelectItem(TSkedItem* item)
{
    if (item) {
        if (item->Owner() == &m_items) {
            item->setSelected(true);
        }
        return;
    }
    if (TSkedItem* selected = SelectedItem()) {
        selected->setSelected(false);
    }
}

void TCustomSked::SelectRow(int row, bool notify)
{
    row = qMin(row, RowCount() - 1);
    if (row < 0) {
        return;
    }
    const int oldFocus = m_focusRow;
    if (m_selectedRow >= 0) {
        if (TSkedItem* old = SelectedItem()) {
            old->m_selected = false;
        }
        DrawRowCell(m_selectedRow, false);
    } else if (m_focusRow >= 0) {
        DrawRowCell(m_focusRow, false);
    }
    viewport()->update(rowBand(oldFocus));
    m_selectedRow = m_focusRow = row;
    const TSkedRow r = m_layout.rows.at(row);
    TSkedItem* item = m_items.Items(r.Item);
    if (item) {
        item->m_selected = true;
    }
    DrawRowCell(row, true);
    viewport()->update(rowBand(row));
    if (notify && OnSelectItem) {
        OnSelectItem(this, m_lines.Items(r.Line), item);
    }
}

void TCustomSked::MakeFocusVisible()
{
    if (m_focusRow < m_topRow) {
        ScrollTo(m_focusRow);
    } else if (m_focusRow >= m_topRow + m_visibleRows) {
        ScrollTo(m_focusRow - m_visibleRows + 1);
    }
    if (m_skedControl) {
        m_skedControl->setTopRow(m_topRow);
    }
}

// --- scrolling ---

void TCustomSked::ScrollTo(int n)
{
    const int maxRow = m_skedControl ? RowCount() : RowCount() - 1;
    n = qBound(0, n, qMax(0, maxRow));
    if (n == m_topRow) {
        return;
    }
    closeEdit();
    m_topRow = n;
    if (m_scrollBar) {
        const QSignalBlocker block(verticalScrollBar());
        verticalScrollBar()->setValue(n);
    }
    fullRender();
    invalidateBelowTopBar();
    if (m_gripState == TGripState::Pressed || m_gripState == TGripState::Moving) {
        retakeGripRect();
        removeDropMark();
        dropFeedback(viewport()->mapFromGlobal(QCursor::pos()));
    }
}

void TCustomSked::scrollContentsBy(int dx, int dy)
{
    Q_UNUSED(dx);
    Q_UNUSED(dy);
    if (m_scrollBar) {
        ScrollTo(verticalScrollBar()->value());
    }
}

void TCustomSked::UpdateScrollBar(bool reset)
{
    if (!m_scrollBar || !isVisible() || m_visibleRows <= 0) {
        return;
    }
    QScrollBar* bar = verticalScrollBar();
    const QSignalBlocker block(bar);
    const int pos = reset ? 0 : (m_topRow >= RowCount() ? 0 : m_topRow);
    if ((m_items.Count() > 0 || m_lines.Count() > 0) && m_visibleRows < RowCount()) {
        // The last row can be scrolled to the top.
        bar->setRange(0, RowCount() - 1);
        bar->setPageStep(m_visibleRows);
        bar->setValue(pos);
        return;
    }
    bar->setRange(0, 0);
    bar->setPageStep(qMax(1, m_visibleRows));
    if (m_topRow > 0) {
        ScrollTo(0);
    }
}

// --- reactions ---

void TCustomSked::ItemsChanged()
{
    fullRender();
    invalidateBelowTopBar();
    UpdateScrollBar(false);
    if (OnItemsChange) {
        OnItemsChange();
    }
}

void TCustomSked::resizeEvent(QResizeEvent* e)
{
    QAbstractScrollArea::resizeEvent(e);
    const QSize size = viewport()->size();
    if (m_pictureReady && size == m_handledSize) {
        return;
    }
    m_handledSize = size;
    if (!m_pictureReady) {
        m_pictureReady = true;
        applyFont();
    }
    commitEdit();
    const TSkedRow focus = Row(m_focusRow);
    computeVisibleRows();
    relayout();
    UpdateScrollBar(false);
    if (focus.Line >= 0) {
        for (int row = 0; row < RowCount(); ++row) {
            if (m_layout.rows.at(row) == focus) {
                m_focusRow = row;
                if (m_selectedRow >= 0) {
                    m_selectedRow = row;
                }
            }
        }
    }
    if (m_topRow != m_layout.topRow) {
        relayout();
    }
    m_pictureStale = true;
    viewport()->update();
    if (m_skedControl && m_skedControl->UpdateCount() == 0) {
        // The control's page size follows the visible rows of its columns.
        m_skedControl->UpdateScrollBar(false);
    }
}

void TCustomSked::changeEvent(QEvent* e)
{
    QAbstractScrollArea::changeEvent(e);
    if (e->type() == QEvent::FontChange) {
        applyFont();
        computeVisibleRows();
        RenderAll();
    } else if (e->type() == QEvent::PaletteChange) {
        RenderAll();
    }
}

bool TCustomSked::event(QEvent* e)
{
    switch (e->type()) {
    case QEvent::KeyPress: {
        auto* ke = static_cast<QKeyEvent*>(e);
        if (ke->key() == Qt::Key_Tab || ke->key() == Qt::Key_Backtab) {
            keyPressEvent(ke);
            return true;
        }
        break;
    }
    case QEvent::Wheel:
        // A wheel the viewport left unhandled goes on to the parent.
        e->ignore();
        return false;
    case QEvent::Paint: {
        const bool result = paintWinPanelFrame(*this, e) || QAbstractScrollArea::event(e);
        paintBevel();
        return result;
    }
    default:
        break;
    }
    return QAbstractScrollArea::event(e);
}

bool TCustomSked::viewportEvent(QEvent* e)
{
    if (e->type() == QEvent::Leave && m_gripState == TGripState::Hover) {
        setGripOverlay(false);
        m_gripState = TGripState::None;
        viewport()->unsetCursor();
    }
    return QAbstractScrollArea::viewportEvent(e);
}

} // namespace nox::sked
