#include "search/ui/resultlist.h"

#include "core/color.h"
#include "core/datetime.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QPainter>
#include <QScopedValueRollback>
#include <algorithm>
#include <cmath>

namespace nox
{

namespace
{

// Texts start 4 pixels inside their column and 4 below the row's top.
constexpr int kTextInset = 4;
constexpr int kImageLeft = 4;
constexpr int kImageTop = 2;

} // namespace

// --- model ------------------------------------------------------------------------

void TSearchResultModel::setResults(const QList<TSkedSearchRec>& results)
{
    beginResetModel();
    m_results = results;
    endResetModel();
}

void TSearchResultModel::removeResult(int row)
{
    beginRemoveRows({}, row, row);
    m_results.removeAt(row);
    endRemoveRows();
    markDateGroups(m_results);
    if (row < m_results.size()) {
        emit dataChanged(index(row, 0), index(int(m_results.size()) - 1, ColumnCount - 1));
    }
}

void TSearchResultModel::replaceResult(int row, const TSkedSearchRec& rec)
{
    m_results[row] = rec;
    markDateGroups(m_results);
    emit dataChanged(index(row, 0), index(row, ColumnCount - 1));
}

void TSearchResultModel::setDateFormat(const QString& format)
{
    m_dateFormat = format;
}

QString TSearchResultModel::dateText(int row) const
{
    const TSkedSearchRec& r = m_results.at(row);
    return r.SameDate ? QString() : formatDateTime(m_dateFormat, r.Date);
}

int TSearchResultModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_results.size());
}

int TSearchResultModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant TSearchResultModel::data(const QModelIndex& index, int role) const
{
    if (role == Qt::SizeHintRole) {
        return QSize(0, kRowHeight);
    }
    if (role != Qt::DisplayRole || !index.isValid()) {
        return {};
    }
    const TSkedSearchRec& r = m_results.at(index.row());
    switch (index.column()) {
    case colDate:
        return dateText(index.row());
    case colTime:
        return r.timeSpan();
    case colText:
        return r.TextShown;
    case colMemo:
        return r.MemoShown;
    case colCategory:
        return r.Category;
    default:
        return {};
    }
}

QVariant TSearchResultModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) {
        return {};
    }
    static const char* const titles[] = {"", "日付", "時間", "スケジュール", "メモ", "分類"};
    return section >= 0 && section < ColumnCount ? QString::fromUtf8(titles[section]) : QVariant();
}

// --- view -------------------------------------------------------------------------

TResultList::TResultList(QWidget* parent) : QTreeView(parent), m_model(new TSearchResultModel(this))
{
    setModel(m_model);
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setUniformRowHeights(true);
    setAllColumnsShowFocus(true);
    setSortingEnabled(false);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setFrameShape(QFrame::NoFrame);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    header()->setSectionsMovable(false);
    header()->setSectionsClickable(false);
    header()->setSortIndicatorShown(false);
    header()->setStretchLastSection(false);
    header()->setHighlightSections(false);
    header()->setMinimumSectionSize(8);
    connect(header(), &QHeaderView::sectionResized, this,
            [this](int column, int, int size) { columnResizedByUser(column, size); });
}

// Measured as the cells elide their texts: in fractions of a pixel, rounded up.
int TResultList::minimumColumnWidth(int column) const
{
    const QFontMetricsF metrics(font());
    const auto width = [&metrics](const QString& text) {
        return int(std::ceil(metrics.horizontalAdvance(text))) + 1;
    };
    switch (column) {
    case TSearchResultModel::colImage:
        return kImageLeft + 16;
    case TSearchResultModel::colDate: {
        // Two-digit months and days, every weekday.
        int widest = 0;
        for (int day = 24; day <= 30; ++day) {
            widest = qMax(widest, width(formatDateTime(m_model->dateFormat(), QDate(2000, 12, day))));
        }
        return widest + 2 * kTextInset;
    }
    case TSearchResultModel::colTime: {
        int widest = 0;
        for (const char* span : {"23:30-23:30", "10:00-11:30", "00:00-00:00", "18:30-18:30"}) {
            widest = qMax(widest, width(QString::fromLatin1(span)));
        }
        return widest + 2 * kTextInset;
    }
    default:
        return width(QStringLiteral("スケジ")) + 2 * kTextInset;
    }
}

void TResultList::setColumnWidths(const QList<int>& widths)
{
    m_wanted.clear();
    for (int column = 0; column < TSearchResultModel::ColumnCount; ++column) {
        m_wanted << qMax(widths.value(column), minimumColumnWidth(column));
    }
    fitColumns();
}

void TResultList::fitColumns()
{
    if (m_wanted.size() != TSearchResultModel::ColumnCount) {
        return;
    }
    const QScopedValueRollback<bool> fitting(m_fitting, true);
    int others = 0;
    for (int column = 0; column < TSearchResultModel::ColumnCount; ++column) {
        if (column != TSearchResultModel::colText) {
            header()->resizeSection(column, m_wanted.at(column));
            others += m_wanted.at(column);
        }
    }
    const int text = TSearchResultModel::colText;
    header()->resizeSection(
        text, qMax(minimumColumnWidth(text), qMin(m_wanted.at(text), viewport()->width() - others)));
}

// A column dragged narrower than its minimum stays at the minimum.
void TResultList::columnResizedByUser(int column, int size)
{
    if (m_fitting || column < 0 || column >= m_wanted.size()) {
        return;
    }
    const int wanted = qMax(size, minimumColumnWidth(column));
    m_wanted[column] = wanted;
    if (wanted != size) {
        const QScopedValueRollback<bool> fitting(m_fitting, true);
        header()->resizeSection(column, wanted);
    }
}

bool TResultList::viewportEvent(QEvent* event)
{
    const bool handled = QTreeView::viewportEvent(event);
    if (event->type() == QEvent::Resize) {
        fitColumns();
    }
    return handled;
}

void TResultList::setLook(const TResultLook& look)
{
    m_look = look;
    viewport()->update();
}

QList<int> TResultList::selectedRows() const
{
    QList<int> rows;
    for (const QModelIndex& index : selectionModel()->selectedRows()) {
        rows << index.row();
    }
    std::sort(rows.begin(), rows.end());
    return rows;
}

int TResultList::focusedRow() const
{
    return currentIndex().isValid() ? currentIndex().row() : -1;
}

void TResultList::drawRow(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    const int row = index.row();
    const TSkedSearchRec& rec = m_model->at(row);
    const bool selected = selectionModel()->isRowSelected(row, QModelIndex());
    const QPalette& pal = palette();
    QColor back = pal.color(QPalette::Active, QPalette::Base);
    QColor text = pal.color(QPalette::Active, QPalette::Text);
    if (selected && !hasFocus()) {
        back = toQColor(clInactiveBorder, pal);
    } else if (selected) {
        back = pal.color(QPalette::Active, QPalette::Highlight);
        text = pal.color(QPalette::Active, QPalette::HighlightedText);
    } else if (rec.Band && m_look.bandGroups && m_look.bandColor.isValid()) {
        back = m_look.bandColor;
    }
    const QRect rowRect(0, option.rect.top(), viewport()->width(), option.rect.height());
    painter->fillRect(rowRect, back);
    for (int column = 0; column < TSearchResultModel::ColumnCount; ++column) {
        const QRect cell(columnViewportPosition(column), option.rect.top(), columnWidth(column), option.rect.height());
        if (cell.right() >= 0 && cell.left() < viewport()->width()) {
            drawCell(*painter, cell, column, row, readableOn(text, back));
        }
    }
    if (hasFocus() && currentIndex().row() == row) {
        QStyleOptionFocusRect focus;
        focus.rect = rowRect;
        focus.palette = pal;
        focus.backgroundColor = back;
        style()->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, painter, this);
    }
}

void TResultList::drawCell(QPainter& p, const QRect& cell, int column, int row, const QColor& text) const
{
    const TSkedSearchRec& rec = m_model->at(row);
    p.save();
    p.setClipRect(cell);
    if (column == TSearchResultModel::colImage) {
        if (rec.ImageIndex >= 0 && rec.ImageIndex < m_look.images.size()) {
            p.drawPixmap(cell.left() + kImageLeft, cell.top() + kImageTop, m_look.images.at(rec.ImageIndex));
        }
        p.restore();
        return;
    }
    const QString value = m_model->data(m_model->index(row, column), Qt::DisplayRole).toString();
    const QRect area = cell.adjusted(kTextInset, kTextInset, column == TSearchResultModel::colTime ? -kTextInset : 0, 0);
    const int flags = Qt::TextSingleLine | Qt::AlignTop |
                      (column == TSearchResultModel::colTime ? Qt::AlignRight : Qt::AlignLeft);
    p.setPen(text);
    p.drawText(area, flags, p.fontMetrics().elidedText(value, Qt::ElideRight, area.width()));
    p.restore();
}

void TResultList::keyPressEvent(QKeyEvent* event)
{
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && event->modifiers() == Qt::NoModifier) {
        if (OnOpen) {
            OnOpen();
        }
        return;
    }
    QTreeView::keyPressEvent(event);
}

void TResultList::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (indexAt(event->position().toPoint()).isValid() && OnOpen) {
        OnOpen();
        return;
    }
    QTreeView::mouseDoubleClickEvent(event);
}

} // namespace nox
