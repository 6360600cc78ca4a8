// The page "イメージ": the strip of small images schedules can show.
#include <QGridLayout>
#include <QLabel>
#include <QListWidget>
#include <QPainter>
#include <QPushButton>
#include <QStyledItemDelegate>
#include <QVBoxLayout>

#include "core/folders.h"
#include "dialogs/settingsdialog.h"
#include "dialogs/settingshost.h"
#include "dialogs/settingspage_p.h"
#include "widgets/choosers.h"

namespace nox
{

namespace
{
constexpr int kNumberCell = 20;
constexpr int kRowHeight = ImageStrip::kCellSize + 4;
constexpr TColor kSelectedCell = 0x00FFE0C1;
constexpr TColor kSelectedFrame = 0x00FF8000;

// Each row: its number (1-based, right-aligned in a 20-pixel cell) and the
// image beside it, each cell framed; selected rows pale blue.
class ImageRowDelegate : public QStyledItemDelegate
{
public:
    ImageRowDelegate(const ImageStrip& images, QObject* parent) : QStyledItemDelegate(parent), m_images(images) {}
    QSize sizeHint(const QStyleOptionViewItem&, const QModelIndex&) const override
    {
        return {kNumberCell + kRowHeight + 4, kRowHeight};
    }
    void paint(QPainter* p, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        const bool selected = option.state & QStyle::State_Selected;
        const QColor cell = selected ? toQColor(kSelectedCell) : QColor(Qt::white);
        const QColor frame = selected ? toQColor(kSelectedFrame) : option.palette.button().color();
        const QRect r = option.rect;
        const QRect number(r.left(), r.top(), kNumberCell, r.height());
        const QRect image(number.right() + 1, r.top(), kRowHeight, r.height());
        p->save();
        p->fillRect(r, option.palette.base());
        for (const QRect& c : {number, image}) {
            p->fillRect(c, cell);
            p->setPen(frame);
            p->drawRect(c.adjusted(0, 0, -1, -1));
        }
        p->setPen(option.palette.text().color());
        p->drawText(number.adjusted(0, 0, -3, 0), Qt::AlignRight | Qt::AlignVCenter, QString::number(index.row() + 1));
        p->drawImage(image.left() + 2, image.top() + 2, m_images.pixmap(index.row()));
        p->restore();
    }

private:
    const ImageStrip& m_images;
};
} // namespace

TImagePage::TImagePage(TForm4& dialog) : TSettingsPage(dialog, spImage, QStringLiteral("イメージ"))
{
    auto* grid = new QGridLayout(this);
    m_list = new QListWidget(this);
    m_list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_list->setItemDelegate(new ImageRowDelegate(m_images, m_list));
    m_list->setUniformItemSizes(true);
    m_size = new QLabel(this);
    m_add = new QPushButton(QStringLiteral("追加"), this);
    m_remove = new QPushButton(QStringLiteral("削除"), this);
    m_up = new QPushButton(QStringLiteral("上へ"), this);
    m_down = new QPushButton(QStringLiteral("下へ"), this);
    m_factory = new QPushButton(QStringLiteral("初期値"), this);
    grid->addWidget(m_size, 0, 0);
    grid->addWidget(m_list, 1, 0, 7, 1);
    int row = 1;
    for (QPushButton* b : {m_add, m_remove, m_up, m_down}) {
        grid->addWidget(b, row++, 1);
    }
    grid->setRowStretch(row, 1);
    grid->addWidget(m_factory, 7, 1);
    grid->setColumnStretch(0, 1);

    connect(m_list, &QListWidget::itemSelectionChanged, this, &TImagePage::updateButtons);
    connect(m_add, &QPushButton::clicked, this, &TImagePage::addImages);
    connect(m_remove, &QPushButton::clicked, this, &TImagePage::removeImages);
    connect(m_up, &QPushButton::clicked, this, [this] { moveImage(-1); });
    connect(m_down, &QPushButton::clicked, this, [this] { moveImage(1); });
    connect(m_factory, &QPushButton::clicked, this, &TImagePage::loadFactory);
}

void TImagePage::Fill()
{
    m_images = host().Images();
    refill({});
}

void TImagePage::refill(const QList<int>& selected)
{
    m_list->clear();
    for (int i = 0; i < m_images.count(); ++i) {
        m_list->addItem(QString());
    }
    for (int i : selected) {
        if (QListWidgetItem* item = m_list->item(i)) {
            item->setSelected(true);
            m_list->setCurrentItem(item, QItemSelectionModel::Select);
        }
    }
    const int cell = ImageStrip::kCellSize;
    m_size->setText(QStringLiteral("%1 x %2  (%3)").arg(cell).arg(cell).arg(m_images.count()));
    updateButtons();
}

void TImagePage::updateButtons()
{
    const QModelIndexList rows = m_list->selectionModel()->selectedRows();
    const int one = rows.size() == 1 ? rows.first().row() : -1;
    m_remove->setEnabled(!rows.isEmpty());
    m_up->setEnabled(one > 0);
    m_down->setEnabled(one >= 0 && one < m_images.count() - 1);
}

// Unreadable files are named in one message; the others are added.
void TImagePage::addImages()
{
    const QStringList files = ChooseOpenFiles(this, QStringLiteral("ビットマップ (*.bmp)"), true);
    QStringList failures;
    QList<int> added;
    for (const QString& file : files) {
        const Result<QImage> bitmap = ImageStrip::readBitmapFile(file);
        if (!bitmap.ok()) {
            failures << bitmap.message();
            continue;
        }
        added << m_images.addBitmap(*bitmap);
    }
    if (!added.isEmpty()) {
        markChanged();
        refill(added);
        m_list->scrollToItem(m_list->item(added.last()));
    }
    if (!failures.isEmpty()) {
        ShowMessage(this, TMessageKind::Warning, failures.join(QStringLiteral("\r\n")));
    }
}

void TImagePage::removeImages()
{
    QList<int> rows;
    for (const QModelIndex& index : m_list->selectionModel()->selectedRows()) {
        rows << index.row();
    }
    std::sort(rows.begin(), rows.end(), std::greater<int>());
    for (int row : rows) {
        m_images.remove(row);
    }
    markChanged();
    refill({});
}

void TImagePage::moveImage(int delta)
{
    const QModelIndexList rows = m_list->selectionModel()->selectedRows();
    if (rows.size() != 1) {
        return;
    }
    const int from = rows.first().row();
    const int to = from + delta;
    if (to < 0 || to >= m_images.count()) {
        return;
    }
    m_images.move(from, to);
    markChanged();
    refill({to});
}

void TImagePage::loadFactory()
{
    const QString path = folders::defaultFolder() + QLatin1Char('/') + QLatin1String(ImageStrip::kFileName);
    ImageStrip factory;
    const ImageStripResult r = factory.load(path);
    if (!r->existed || !r.ok()) {
        ShowMessage(this, TMessageKind::Warning,
                    QStringLiteral("初期値のイメージを読み込めません。\r\n") + path +
                        (r.message().isEmpty() ? QString() : QStringLiteral("\r\n") + r.message()));
        return;
    }
    m_images = factory;
    markChanged();
    refill({});
}

void TImagePage::Apply()
{
    host().ApplyImages(m_images);
}

} // namespace nox
