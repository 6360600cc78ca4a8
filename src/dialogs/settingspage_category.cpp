// The page "分類": the category list and the active category filter.
#include <QAbstractItemView>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QPushButton>
#include <QStyledItemDelegate>

#include "core/settings.h"
#include "dialogs/settingsdialog.h"
#include "dialogs/settingshost.h"
#include "dialogs/settingspage_p.h"
#include "store/categories.h"

namespace nox
{

namespace
{
constexpr TColor kNoFilterGray = 0x00808080;

// The empty first entry reads "指定なし" in grey.
class ChooserDelegate : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter* p, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        if (index.row() != 0) {
            QStyledItemDelegate::paint(p, option, index);
            return;
        }
        QStyleOptionViewItem o = option;
        initStyleOption(&o, index);
        o.text = QStringLiteral("指定なし");
        if (!(o.state & QStyle::State_Selected)) {
            o.palette.setColor(QPalette::Text, toQColor(kNoFilterGray));
        }
        o.widget->style()->drawControl(QStyle::CE_ItemViewItem, &o, p, o.widget);
    }
};

// A combo box whose closed face also shows the grey "指定なし", and whose
// list is widened to its longest entry when it drops down.
class CategoryChooser : public QComboBox
{
public:
    using QComboBox::QComboBox;
    void showPopup() override
    {
        int widest = width();
        for (int i = 0; i < count(); ++i) {
            widest = qMax(widest, fontMetrics().horizontalAdvance(itemText(i)) + 32);
        }
        view()->setMinimumWidth(widest);
        QComboBox::showPopup();
    }

protected:
    void paintEvent(QPaintEvent* event) override
    {
        QComboBox::paintEvent(event);
        if (currentIndex() == 0) {
            QPainter p(this);
            p.setPen(toQColor(kNoFilterGray));
            p.drawText(rect().adjusted(6, 0, -24, 0), Qt::AlignVCenter, QStringLiteral("指定なし"));
        }
    }
};
} // namespace

TCategoryPage::TCategoryPage(TForm4& dialog) : TSettingsPage(dialog, spCategory, QStringLiteral("分類"))
{
    auto* grid = new QGridLayout(this);
    grid->addWidget(new QLabel(QStringLiteral("分類の選択 :"), this), 0, 0);
    m_chooser = new CategoryChooser(this);
    m_chooser->setItemDelegate(new ChooserDelegate(m_chooser));
    m_chooser->setMinimumWidth(200);
    grid->addWidget(m_chooser, 0, 1, Qt::AlignLeft);
    auto* group = new QGroupBox(QStringLiteral("編集"), this);
    auto* edit = new QGridLayout(group);
    m_list = new QListWidget(group);
    m_name = new QLineEdit(group);
    auto* add = new QPushButton(QStringLiteral("追加"), group);
    auto* remove = new QPushButton(QStringLiteral("削除"), group);
    auto* up = new QPushButton(QStringLiteral("上へ"), group);
    auto* down = new QPushButton(QStringLiteral("下へ"), group);
    edit->addWidget(m_list, 0, 0, 5, 1);
    edit->addWidget(up, 0, 1);
    edit->addWidget(down, 1, 1);
    edit->addWidget(remove, 2, 1);
    edit->setRowStretch(3, 1);
    edit->addWidget(m_name, 5, 0);
    edit->addWidget(add, 5, 1);
    grid->addWidget(group, 1, 0, 1, 2);
    grid->setRowStretch(1, 1);
    grid->setColumnStretch(1, 1);

    connect(add, &QPushButton::clicked, this, &TCategoryPage::add);
    connect(remove, &QPushButton::clicked, this, &TCategoryPage::remove);
    connect(up, &QPushButton::clicked, this, [this] { move(-1); });
    connect(down, &QPushButton::clicked, this, [this] { move(1); });
    watchControls();
}

QWidget* TCategoryPage::FocusWhenAlone()
{
    return m_chooser;
}

QStringList TCategoryPage::Categories() const
{
    QStringList names;
    for (int i = 0; i < m_list->count(); ++i) {
        names << m_list->item(i)->text();
    }
    return names;
}

void TCategoryPage::Fill()
{
    m_list->clear();
    m_list->addItems(host().Categories());
    syncChooser(host().RunningSettings().categoryFilter);
}

// The chooser: the empty entry, then the list in its order; it keeps
// showing `keep` while that is listed, else the empty entry.
void TCategoryPage::syncChooser(const QString& keep)
{
    const QSignalBlocker block(m_chooser);
    m_chooser->clear();
    m_chooser->addItem(QString());
    m_chooser->addItems(Categories());
    const int index = keep.isEmpty() ? 0 : m_chooser->findText(keep, Qt::MatchExactly);
    m_chooser->setCurrentIndex(qMax(0, index));
}

void TCategoryPage::add()
{
    const QString name = m_name->text();
    const QString refusal = CategoryRefusal(Categories(), name);
    if (!refusal.isEmpty()) {
        inform(refusal);
        m_name->setFocus();
        return;
    }
    m_list->addItem(name);
    m_chooser->addItem(name);
    markChanged();
}

void TCategoryPage::remove()
{
    const int row = m_list->currentRow();
    if (row < 0) {
        return;
    }
    const QString shown = m_chooser->currentText();
    delete m_list->takeItem(row);
    syncChooser(shown);
    markChanged();
}

void TCategoryPage::move(int delta)
{
    const int row = m_list->currentRow();
    const int to = row + delta;
    if (row < 0 || to < 0 || to >= m_list->count()) {
        return;
    }
    m_list->insertItem(to, m_list->takeItem(row));
    m_list->setCurrentRow(to);
    syncChooser(m_chooser->currentText());
    markChanged();
}

void TCategoryPage::Apply()
{
    const QStringList list = Categories();
    const QString filter = m_chooser->currentIndex() <= 0 ? QString() : m_chooser->currentText();
    const ListFileResult saved = saveCategories(list);
    if (saved.ok()) {
        host().ApplyCategories(list, filter);
        return;
    }
    // The program goes on with what the file holds; the page keeps the
    // user's list for another try.
    m_dialog.ReportFailure(saved.message());
    QStringList onDisk;
    (void)loadCategories(onDisk);
    const QString running = host().RunningSettings().categoryFilter;
    host().ApplyCategories(onDisk, onDisk.contains(running) ? running : QString());
}

} // namespace nox
