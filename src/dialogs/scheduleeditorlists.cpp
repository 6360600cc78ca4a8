// The schedule editor's list entries, geometry rules and owner-drawn lists.
#include <QAbstractItemView>
#include <QFileInfo>
#include <QPainter>
#include <QStyleOptionComboBox>
#include <QStylePainter>
#include <array>

#include "dialogs/scheduleeditor_p.h"

namespace nox::editor
{

namespace
{
constexpr std::array<AlarmChoice, kAlarmChoiceCount> kAlarmChoices{{
    {"なし", -1},
    {"0分", 0},
    {"1分", 1},
    {"5分", 5},
    {"10分", 10},
    {"15分", 15},
    {"20分", 20},
    {"30分", 30},
    {"1時間", 60},
    {"2時間", 120},
    {"3時間", 180},
    {"4時間", 240},
    {"5時間", 300},
    {"6時間", 360},
}};

const QColor kPlaceholderGrey(0x80, 0x80, 0x80);
constexpr int kTextLeft = 4;
constexpr int kTextTop = 1;
constexpr int kPlaceholderImageInset = 4;
constexpr int kImageInset = 2;
constexpr int kPopupExtra = 32;
} // namespace

QStringList timeEntries(const QStringList& lineCaptions)
{
    QStringList entries;
    for (const QString& caption : lineCaptions) {
        if (caption.size() == 2 && !entries.isEmpty()) {
            const QString& before = entries.constLast();
            entries << before.left(before.size() - 2) + caption;
        } else {
            entries << caption;
        }
    }
    return entries;
}

const AlarmChoice& alarmChoice(int index)
{
    return kAlarmChoices.at(std::size_t(qBound(0, index, kAlarmChoiceCount - 1)));
}

int alarmIndexOf(int minutes)
{
    for (int i = 0; i < kAlarmChoiceCount; ++i) {
        if (kAlarmChoices.at(std::size_t(i)).minutes == minutes) {
            return i;
        }
    }
    return 0;
}

int keptMemoHeight(int total, int oldTextHeight, int oldMemoHeight, int minimum)
{
    const int oldTotal = oldTextHeight + oldMemoHeight;
    const int kept = oldTotal > 0 ? int(qint64(total) * oldMemoHeight / oldTotal) : total / 2;
    return qMin(total, qMax(minimum, kept));
}

QPoint clampedTopLeft(const QRect& frame, const QRect& screen)
{
    QPoint topLeft = frame.topLeft();
    if (frame.right() > screen.right()) {
        topLeft.rx() -= frame.right() - screen.right();
    }
    if (frame.bottom() > screen.bottom()) {
        topLeft.ry() -= frame.bottom() - screen.bottom();
    }
    return topLeft;
}

QString droppedRelatedPath(const QList<QUrl>& urls)
{
    if (urls.isEmpty() || !urls.first().isLocalFile()) {
        return QString();
    }
    const QString path = QFileInfo(urls.first().toLocalFile()).absoluteFilePath();
    return path.size() <= kMaxRelatedPath ? path : QString();
}

// --- EntryCombo ---------------------------------------------------------------------

EntryCombo::EntryCombo(EntryKind kind, const QString& placeholder, bool widen, int rowHeight, QWidget* parent)
    : QComboBox(parent), m_kind(kind), m_placeholder(placeholder), m_widen(widen), m_rowHeight(rowHeight)
{
    setItemDelegate(new EntryDelegate(this));
}

QString EntryCombo::entryText(int index) const
{
    if (index == 0 && m_kind != EntryKind::Text) {
        return m_placeholder;
    }
    return itemText(index);
}

int EntryCombo::widestEntry() const
{
    int widest = 0;
    for (int i = 0; i < count(); ++i) {
        widest = qMax(widest, fontMetrics().horizontalAdvance(entryText(i)));
    }
    return widest + kPopupExtra;
}

void EntryCombo::showPopup()
{
    if (m_widen) {
        view()->setMinimumWidth(qMax(width(), widestEntry()));
    }
    QComboBox::showPopup();
}

void EntryCombo::paintEntry(QPainter* painter, const QRect& cell, int index, bool selected, bool inList) const
{
    if (index < 0 || index >= count()) {
        return;
    }
    painter->save();
    const bool placeholder = index == 0 && m_kind != EntryKind::Text;
    const QColor text = selected ? palette().color(QPalette::HighlightedText) : palette().color(QPalette::Text);
    painter->setPen(placeholder ? kPlaceholderGrey : text);
    // The closed box is lower than a list row: there the entry is centred vertically.
    if (m_kind == EntryKind::Image && !placeholder) {
        const QPixmap image = itemIcon(index).pixmap(iconSize());
        const int top = inList ? kImageInset : (cell.height() - image.height()) / 2;
        painter->drawPixmap(cell.topLeft() + QPoint(kImageInset, top), image);
    } else {
        const bool imageList = m_kind == EntryKind::Image;
        const int left = imageList ? kPlaceholderImageInset : kTextLeft;
        const int top = imageList ? kPlaceholderImageInset : kTextTop;
        const QRect area = cell.adjusted(left, inList ? top : 0, 0, 0);
        const Qt::Alignment vertical = inList ? Qt::AlignTop : Qt::AlignVCenter;
        painter->drawText(area, Qt::AlignLeft | vertical | Qt::TextSingleLine, entryText(index));
    }
    painter->restore();
}

// The box as the style draws it, its chosen entry drawn like the list's.
void EntryCombo::paintEvent(QPaintEvent*)
{
    QStylePainter painter(this);
    QStyleOptionComboBox option;
    initStyleOption(&option);
    option.currentText.clear();
    option.currentIcon = QIcon();
    painter.drawComplexControl(QStyle::CC_ComboBox, option);
    const QRect field = style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, this);
    painter.setClipRect(field);
    paintEntry(&painter, field, currentIndex(), false, false);
}

// --- EntryDelegate -------------------------------------------------------------------

void EntryDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    const bool selected = option.state & QStyle::State_Selected;
    painter->fillRect(option.rect, option.palette.color(selected ? QPalette::Highlight : QPalette::Base));
    m_combo->paintEntry(painter, option.rect, index.row(), selected, true);
}

QSize EntryDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    const int textHeight = option.fontMetrics.height() + 2 * kTextTop;
    const int width = option.fontMetrics.horizontalAdvance(index.data().toString()) + 2 * kTextLeft;
    return QSize(width, qMax(m_combo->rowHeight(), textHeight));
}

} // namespace nox::editor
