#include "search/ui/searchcombos.h"

#include <QAbstractItemView>
#include <QPainter>
#include <QStyledItemDelegate>
#include <QStylePainter>

namespace nox
{

namespace
{

constexpr int kPopupExtra = 32;

// Draws the entries of the image list: "なし" 4 pixels from the cell's left
// and top, an image 2 pixels in.
class ImageEntryDelegate : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter* p, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        QStyleOptionViewItem opt = option;
        initStyleOption(&opt, index);
        const bool selected = opt.state & QStyle::State_Selected;
        p->fillRect(opt.rect, opt.palette.brush(selected ? QPalette::Highlight : QPalette::Base));
        const QIcon icon = index.data(Qt::DecorationRole).value<QIcon>();
        if (!icon.isNull()) {
            p->drawPixmap(opt.rect.left() + 2, opt.rect.top() + 2, icon.pixmap(16, 16));
            return;
        }
        p->setPen(QColor(kNoneEntryGrey));
        p->drawText(opt.rect.adjusted(4, 4, 0, 0), Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine,
                    index.data(Qt::DisplayRole).toString());
    }
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        return QStyledItemDelegate::sizeHint(option, index).expandedTo(QSize(24, 20));
    }
};

} // namespace

void addGreyEntry(QComboBox* box, const QString& text)
{
    box->addItem(text);
    box->setItemData(box->count() - 1, QBrush(QColor(kNoneEntryGrey)), Qt::ForegroundRole);
}

int TWideComboBox::popupWidth() const
{
    int widest = 0;
    for (int i = 0; i < count(); ++i) {
        widest = qMax(widest, fontMetrics().horizontalAdvance(itemText(i)));
    }
    return qMax(width(), widest + kPopupExtra);
}

void TWideComboBox::showPopup()
{
    view()->setMinimumWidth(popupWidth());
    QComboBox::showPopup();
}

void TWideComboBox::paintEvent(QPaintEvent*)
{
    QStylePainter p(this);
    QStyleOptionComboBox opt;
    initStyleOption(&opt);
    p.drawComplexControl(QStyle::CC_ComboBox, opt);
    const QVariant colour = itemData(currentIndex(), Qt::ForegroundRole);
    if (colour.canConvert<QBrush>() && isEnabled()) {
        opt.palette.setBrush(QPalette::ButtonText, colour.value<QBrush>());
        opt.palette.setBrush(QPalette::Text, colour.value<QBrush>());
    }
    p.drawControl(QStyle::CE_ComboBoxLabel, opt);
}

TImageComboBox::TImageComboBox(QWidget* parent) : TWideComboBox(parent)
{
    setItemDelegate(new ImageEntryDelegate(this));
    setIconSize(QSize(16, 16));
    setImages({});
}

void TImageComboBox::setImages(const QList<QPixmap>& images)
{
    const int keep = currentIndex();
    clear();
    addGreyEntry(this, QStringLiteral("なし"));
    for (const QPixmap& image : images) {
        addItem(QIcon(image), QString());
    }
    setCurrentIndex(keep > 0 && keep < count() ? keep : 0);
}

} // namespace nox
