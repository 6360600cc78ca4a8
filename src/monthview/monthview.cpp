#include "monthview/monthview.h"

#include "koyomi/koyomi.h"

#include "monthview/monthviewinplaceedit.h"
#include "monthview/monthviewlayout_p.h"

#include <QApplication>
#include <QPaintEvent>
#include <QPainter>
#include <QTimer>

#include "widgets/panelframe.h"

namespace nox::monthview
{

QString monthViewItemMimeType()
{
    return QStringLiteral("application/x-nox-monthview-item");
}

TCustomMonthView::TCustomMonthView(QWidget* parent)
    : QFrame(parent), m_view(std::make_unique<TView>(clWindowText)),
      m_items(std::make_unique<TMonthViewItems>())
{
    resize(250, 150);
    setFrameStyle(QFrame::WinPanel | QFrame::Sunken);
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(true);
    setAcceptDrops(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
    m_currentDate = QDate::currentDate();
    m_frame = monthFrame(m_currentDate);
    m_colRates = parseRate(m_colRate, kColCount);
    m_rowRates = parseRate(m_rowRate, kRowCount);

    m_view->OnChange = [this] {
        if (!m_items->IsUpdating()) {
            invalidate();
        }
    };
    m_items->OnChange = [this] { itemsChanged(); };
    m_items->OnDeleting = [this](TMonthViewItem* item) { itemDeleting(item); };

    m_editTimer.setSingleShot(true);
    m_editTimer.setInterval(500);
    connect(&m_editTimer, &QTimer::timeout, this, [this] { editTimerFired(); });
}

TMonthViewInplaceEdit* TCustomMonthView::InplaceEdit() const
{
    if (!m_editor && !m_destroying) {
        m_editor = new TMonthViewInplaceEdit(const_cast<TCustomMonthView*>(this));
    }
    return m_editor;
}

TCustomMonthView::~TCustomMonthView()
{
    // The editor goes first: once this destructor has run, closing the
    // window would take its focus away and make it report to a view that is
    // no longer there. An edit still open at this point is dropped.
    m_destroying = true;
    delete m_editor;
    m_editor = nullptr;
    m_view->OnChange = nullptr;
    m_items->OnChange = nullptr;
    m_items->OnDeleting = nullptr;
}

// --- appearance --------------------------------------------------------------

void TCustomMonthView::SetBorderStyle(TBorderStyle style)
{
    if (m_borderStyle == style) {
        return;
    }
    m_borderStyle = style;
    setFrameStyle(style == bsSingle ? (QFrame::WinPanel | QFrame::Sunken) : QFrame::NoFrame);
    invalidate();
}

void TCustomMonthView::SetColor(TColor color)
{
    if (m_color != color) {
        m_color = color;
        invalidate();
    }
}

void TCustomMonthView::SetFontColor(TColor color)
{
    if (m_fontColor != color) {
        m_fontColor = color;
        invalidate();
    }
}

void TCustomMonthView::SetColRate(const QString& rate)
{
    if (m_colRate != rate) {
        m_colRate = rate;
        m_colRates = parseRate(rate, kColCount);
        invalidate();
    }
}

void TCustomMonthView::SetRowRate(const QString& rate)
{
    if (m_rowRate != rate) {
        m_rowRate = rate;
        m_rowRates = parseRate(rate, kRowCount);
        invalidate();
    }
}

void TCustomMonthView::StoreColRate()
{
    m_colRate = rateText(m_colRates);
}

void TCustomMonthView::ResetRates()
{
    m_colRates = parseRate(m_colRate, kColCount);
    m_rowRates = parseRate(m_rowRate, kRowCount);
    invalidate();
}

void TCustomMonthView::SetImages(const QList<QPixmap>* images)
{
    m_images = images;
    invalidate();
}

void TCustomMonthView::ImagesChanged()
{
    invalidate();
}

void TCustomMonthView::SetReadOnly(bool value)
{
    m_readOnly = value;
    if (value && IsEditing()) {
        if (m_editor) {
            m_editor->Cancel();
        }
    }
}

// --- month -------------------------------------------------------------------

void TCustomMonthView::SetCurrentDate(const QDate& date)
{
    if (!date.isValid() || date == m_currentDate) {
        return;
    }
    const bool newMonth = date.year() != m_currentDate.year() || date.month() != m_currentDate.month();
    setSelectedItem(nullptr);
    m_currentDate = date;
    if (newMonth) {
        m_frame = monthFrame(date);
        prepareCalendar();
        invalidate();
    }
    SelectCell(CellOfDate(date));
    if (newMonth && OnChangeMonth) {
        OnChangeMonth(this);
    }
}

void TCustomMonthView::setMonth(const QDate& date)
{
    m_currentDate = date;
    m_frame = monthFrame(date);
    prepareCalendar();
    invalidate();
    if (OnChangeMonth) {
        OnChangeMonth(this);
    }
}

void TCustomMonthView::NextMonth()
{
    setMonth(m_currentDate.addMonths(1));
}

void TCustomMonthView::PrevMonth()
{
    setMonth(m_currentDate.addMonths(-1));
}

QDate TCustomMonthView::SelectedDate() const
{
    return m_selectedCell >= 0 ? CellDate(m_selectedCell) : m_currentDate;
}

void TCustomMonthView::SetToday(const QDate& today)
{
    m_today = today;
    invalidate();
}

QDate TCustomMonthView::Today() const
{
    return m_today.isValid() ? m_today : QDate::currentDate();
}

// --- holidays ----------------------------------------------------------------

void TCustomMonthView::SetCalendarMarks(int marks)
{
    if (marks == m_calendarMarks) {
        return;
    }
    m_calendarMarks = marks;
    prepareCalendar();
    invalidate();
}

void TCustomMonthView::prepareCalendar() const
{
    if (m_calendarMarks != 0) {
        const int first = m_frame.cellDate(0).year();
        const int last = m_frame.cellDate(kCellCount - 1).year();
        koyomi::warmUp(first, last);
        // The years a step can reach next are computed while the program
        // waits, so that a step into a new year computes no astronomy.
        if (!koyomi::isComputed(first - 1) || !koyomi::isComputed(last + 1)) {
            QTimer::singleShot(0, this, [first, last] { koyomi::warmUp(first - 1, last + 1); });
        }
    }
}

void TCustomMonthView::AddHoliday(const QString& name, const QDate& date)
{
    if (date.isValid() && !m_holidays.contains(date)) {
        m_holidays.insert(date, name);
        invalidate();
    }
}

void TCustomMonthView::ClearHolidays()
{
    m_holidays.clear();
    invalidate();
}

QString TCustomMonthView::HolidayName(const QDate& date) const
{
    return m_holidays.value(date);
}

// --- items and selection -----------------------------------------------------

void TCustomMonthView::itemsChanged()
{
    m_items->Sort();
    invalidate();
}

void TCustomMonthView::itemDeleting(TMonthViewItem* item)
{
    if (m_editor && m_editor->Item() == item) {
        if (m_editor) {
            m_editor->Cancel();
        }
    }
    if (m_selectedItem == item) {
        m_selectedItem = nullptr;
        invalidate();
    }
}

void TCustomMonthView::setSelectedItem(TMonthViewItem* item)
{
    if (m_selectedItem != item) {
        m_selectedItem = item;
        invalidate();
    }
}

int TCustomMonthView::ItemIndex() const
{
    return m_items->IndexOf(m_selectedItem);
}

void TCustomMonthView::SetItemIndex(int index)
{
    TMonthViewItem* item = m_items->Item(index);
    if (item == m_selectedItem) {
        return;
    }
    setSelectedItem(item);
    SelectCell(item ? CellOfDate(item->Day()) : m_selectedCell);
}

void TCustomMonthView::SelectItem(TMonthViewItem* item)
{
    SetItemIndex(m_items->IndexOf(item));
}

void TCustomMonthView::SelectCell(int cell)
{
    if (cell < 0 || cell >= kCellCount) {
        cell = -1;
    }
    m_selectedCell = cell;
    invalidate();
    if (OnSelectItem) {
        OnSelectItem(this, SelectedDate(),
                     m_selectedItem ? std::optional<qint32>(m_selectedItem->ID()) : std::nullopt);
    }
}

// --- geometry ----------------------------------------------------------------

QSize TCustomMonthView::ClientSize() const
{
    return contentsRect().size();
}

QPoint TCustomMonthView::ClientOrigin() const
{
    return contentsRect().topLeft();
}

QPoint TCustomMonthView::toClient(const QPoint& widgetPos) const
{
    return widgetPos - ClientOrigin();
}

int TCustomMonthView::LineHeight() const
{
    ensureLayout();
    return m_metrics.lineHeight;
}

int TCustomMonthView::TimeWidth() const
{
    ensureLayout();
    return m_metrics.timeWidth;
}

int TCustomMonthView::AverageCharWidth() const
{
    ensureLayout();
    return m_metrics.averageCharWidth;
}

const MonthLayout& TCustomMonthView::ComputedLayout() const
{
    ensureLayout();
    return *m_layout;
}

const Grid& TCustomMonthView::CellGrid() const
{
    ensureLayout();
    return m_layout->grid;
}

QRect TCustomMonthView::CellRect(int cell) const
{
    ensureLayout();
    return cell >= 0 && cell < kCellCount ? m_layout->cells[cell].inner : QRect();
}

QRect TCustomMonthView::ExpandRect(int cell) const
{
    ensureLayout();
    return cell >= 0 && cell < kCellCount ? m_layout->cells[cell].expandRect : QRect();
}

int TCustomMonthView::CellFirstItem(int cell) const
{
    ensureLayout();
    return cell >= 0 && cell < kCellCount ? m_layout->cells[cell].firstItem : -1;
}

int TCustomMonthView::CellAt(const QPoint& p) const
{
    ensureLayout();
    return cellAt(m_layout->grid, p, m_layout->lineWidth);
}

int TCustomMonthView::ItemAt(const QPoint& p) const
{
    const int cell = CellAt(p);
    if (cell < 0) {
        return -1;
    }
    const CellLayout& c = m_layout->cells[cell];
    const int slot =
        barSlotAt(m_layout->grid, cell / kColCount, p, m_metrics.lineHeight, m_view->DayTextMargin());
    if (slot < 0 || c.firstItem < 0) {
        return -1;
    }
    const int index = c.firstItem + slot;
    const TMonthViewItem* item = m_items->Item(index);
    return item && item->ItemRect().contains(p) ? index : -1;
}

// --- layout and painting -----------------------------------------------------

void TCustomMonthView::invalidate()
{
    m_layoutDirty = true;
    update();
}

void TCustomMonthView::invalidateMetrics()
{
    m_metricsDirty = true;
    invalidate();
}

void TCustomMonthView::paintEvent(QPaintEvent*)
{
    ensureLayout();
    QPainter p(this);
    if (!drawWinPanelFrame(*this, p)) {
        drawFrame(&p);
    }
    const QRect client = contentsRect();
    p.setClipRect(client);
    p.translate(client.topLeft());
    const MonthLayout& l = *m_layout;
    const QPalette& pal = palette();
    paintBackgroundAndGrid(p, l, pal);
    paintHeader(p, l, font(), pal);
    for (int cell = 0; cell < kCellCount; ++cell) {
        paintCell(p, l.cells[cell], font(), pal, m_images);
        if (OnDrawItem) {
            m_canvas = &p;
            p.save();
            OnDrawItem(this, CellDate(cell), l.cells[cell].inner);
            p.restore();
            m_canvas = nullptr;
        }
    }
}

QPixmap TCustomMonthView::BarImage(const TMonthViewItem* item, qreal devicePixelRatio) const
{
    ensureLayout();
    const QRect rect = item ? item->ItemRect() : QRect();
    if (rect.isEmpty()) {
        return QPixmap();
    }
    const QSize size(rect.width(), m_metrics.lineHeight + 4);
    QPixmap pm(size * devicePixelRatio);
    pm.setDevicePixelRatio(devicePixelRatio);
    pm.fill(Qt::transparent);
    BarLayout bar = makeBar(item, QRect(QPoint(0, 0), size), false);
    bar.fillBackground = false;
    QPainter p(&pm);
    paintBar(p, bar, font(), palette(), m_images);
    return pm;
}

void TCustomMonthView::resizeEvent(QResizeEvent* e)
{
    QFrame::resizeEvent(e);
    if (IsEditing()) {
        m_editor->Accept();
    }
    if (m_editor) {
        m_editor->HideEditor();
    }
    invalidate();
}

void TCustomMonthView::changeEvent(QEvent* e)
{
    QFrame::changeEvent(e);
    if (e->type() == QEvent::FontChange) {
        if (m_editor) {
            m_editor->setFont(font());
        }
        invalidateMetrics();
    } else if (e->type() == QEvent::PaletteChange || e->type() == QEvent::StyleChange) {
        invalidate();
    }
}

} // namespace nox::monthview
