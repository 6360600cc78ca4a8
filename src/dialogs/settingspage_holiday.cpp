// The page "祝祭日": the holiday list, with an import from a text file.
#include <QDateEdit>
#include <QGridLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>

#include "core/datetime.h"
#include "core/folders.h"
#include "core/textfile.h"
#include "dialogs/settingsdialog.h"
#include "dialogs/settingshost.h"
#include "dialogs/settingspage_p.h"
#include "widgets/choosers.h"

namespace nox
{

namespace
{
constexpr int kDateColumnWidth = 128;

// A day the holiday law gives for a year after the list's last one: shown
// muted with a note, and not saved unless the user edits it.
void markGenerated(QTreeWidgetItem* item, const QColor& muted)
{
    item->setText(1, item->text(1) + QStringLiteral("（法律による自動生成）"));
    for (int column = 0; column < 2; ++column) {
        item->setForeground(column, muted);
        item->setToolTip(column,
                         QStringLiteral("祝日法の規定から計算した日です。holiday.txt には保存されません。"));
    }
}
} // namespace

THolidayPage::THolidayPage(TForm4& dialog) : TSettingsPage(dialog, spHoliday, QStringLiteral("祝祭日"))
{
    auto* grid = new QGridLayout(this);
    m_date = new QDateEdit(this);
    m_date->setCalendarPopup(true);
    m_name = new QLineEdit(this);
    auto* add = new QPushButton(QStringLiteral("追加"), this);
    auto* update = new QPushButton(QStringLiteral("更新"), this);
    auto* remove = new QPushButton(QStringLiteral("削除"), this);
    auto* import = new QPushButton(QStringLiteral("読み込み"), this);
    m_list = new QTreeWidget(this);
    m_list->setColumnCount(2);
    m_list->setHeaderLabels({QStringLiteral("日付"), QStringLiteral("名称")});
    m_list->setRootIsDecorated(false);
    m_list->setUniformRowHeights(true);
    m_list->header()->setSectionsClickable(false);
    m_list->header()->setSectionsMovable(false);
    m_list->header()->setStretchLastSection(true);
    m_list->setColumnWidth(0, kDateColumnWidth);
    grid->addWidget(new QLabel(QStringLiteral("日付 :"), this), 0, 0);
    grid->addWidget(m_date, 0, 1);
    grid->addWidget(new QLabel(QStringLiteral("名称 :"), this), 1, 0);
    grid->addWidget(m_name, 1, 1);
    auto* buttons = new QHBoxLayout;
    for (QPushButton* b : {add, update, remove}) {
        buttons->addWidget(b);
    }
    buttons->addStretch(1);
    buttons->addWidget(import);
    grid->addLayout(buttons, 2, 0, 1, 2);
    grid->addWidget(m_list, 3, 0, 1, 2);
    grid->setColumnStretch(1, 1);
    grid->setRowStretch(3, 1);

    connect(m_list, &QTreeWidget::itemClicked, this, &THolidayPage::rowClicked);
    connect(add, &QPushButton::clicked, this, &THolidayPage::add);
    connect(update, &QPushButton::clicked, this, &THolidayPage::updateRow);
    connect(remove, &QPushButton::clicked, this, &THolidayPage::remove);
    connect(import, &QPushButton::clicked, this, &THolidayPage::import);
    watchControls();
}

QWidget* THolidayPage::FocusWhenAlone()
{
    return m_name;
}

void THolidayPage::Fill()
{
    m_dateFormat = host().RunningSettings().dateFormat;
    m_date->setDisplayFormat(datePickerPattern(m_dateFormat));
    m_date->setDate(host().SelectedDate());
    m_rows = HolidayRows(host().Holidays(), m_dateFormat);
    refill(-1);
}

void THolidayPage::refill(int current)
{
    m_list->clear();
    for (const THolidayRow& row : m_rows) {
        auto* item = new QTreeWidgetItem({row.shown, row.name});
        if (row.generated) {
            markGenerated(item, m_list->palette().color(QPalette::PlaceholderText));
        }
        m_list->addTopLevelItem(item);
    }
    if (QTreeWidgetItem* item = m_list->topLevelItem(current)) {
        m_list->setCurrentItem(item);
        m_list->scrollToItem(item);
    }
}

void THolidayPage::rowClicked()
{
    const int row = m_list->indexOfTopLevelItem(m_list->currentItem());
    if (row < 0 || row >= m_rows.size()) {
        return;
    }
    m_date->setDate(QDate::fromString(m_rows.at(row).key, QStringLiteral("yyyy/MM/dd")));
    m_name->setText(m_rows.at(row).name);
}

void THolidayPage::add()
{
    if (m_name->text().isEmpty()) {
        inform(QStringLiteral("名称を入力してください。"));
        m_name->setFocus();
        return;
    }
    const THolidayRow row = MakeHolidayRow(m_date->date(), m_name->text(), m_dateFormat);
    if (FindHolidayRow(m_rows, row.shown) >= 0) {
        inform(QStringLiteral("登録済みの日付です。"));
        return;
    }
    m_rows << row;
    refill(int(m_rows.size()) - 1);
    markChanged();
}

void THolidayPage::updateRow()
{
    const int row = m_list->indexOfTopLevelItem(m_list->currentItem());
    if (row < 0 || row >= m_rows.size()) {
        return;
    }
    m_rows[row] = MakeHolidayRow(m_date->date(), m_name->text(), m_dateFormat);
    refill(row);
    markChanged();
}

void THolidayPage::remove()
{
    const int row = m_list->indexOfTopLevelItem(m_list->currentItem());
    if (row < 0 || row >= m_rows.size()) {
        return;
    }
    m_rows.removeAt(row);
    refill(qMin(row, int(m_rows.size()) - 1));
    markChanged();
}

// Every line is checked before anything is imported: a stopped import
// changes nothing.
void THolidayPage::import()
{
    const QString file = ChooseExistingFile(this, QStringLiteral("テキストファイル (*.txt)"));
    if (file.isEmpty()) {
        return;
    }
    const TextReadResult text = readTextLines(file);
    if (!text.ok()) {
        ShowMessage(this, TMessageKind::Error, text.message());
        return;
    }
    const THolidayImportCheck check = CheckHolidayImport(text->lines);
    if (!check.ok) {
        ShowMessage(this, TMessageKind::Confirmation, check.message);
        return;
    }
    if (MergeHolidayImport(m_rows, text->lines, m_dateFormat) > 0) {
        refill(-1);
        markChanged();
    }
}

void THolidayPage::Apply()
{
    const HolidayList holidays = HolidayListOf(m_rows);
    const ListFileResult saved = holidays.save(folders::dataFolder());
    if (saved.ok()) {
        host().ApplyHolidays(holidays);
        return;
    }
    // The program goes on with what the file holds; the page keeps the
    // user's list for another try.
    m_dialog.ReportFailure(saved.message());
    HolidayList onDisk;
    (void)onDisk.load(folders::dataFolder(), folders::defaultFolder());
    host().ApplyHolidays(onDisk);
}

} // namespace nox
