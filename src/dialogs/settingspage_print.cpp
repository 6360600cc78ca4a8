// The page "印刷": the print layout, the print date format and the options of
// printing and export, with a picture of the chosen layout.
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "core/datetime.h"
#include "core/folders.h"
#include "core/settings.h"
#include "core/textfile.h"
#include "dialogs/printpreview.h"
#include "dialogs/settingsdialog.h"
#include "dialogs/settingshost.h"
#include "dialogs/settingspage_p.h"

namespace nox
{

namespace
{
constexpr int kThumbWidth = 193;
constexpr int kThumbHeight = 159;
const char* const kDateFormats[] = {"yyyy/m/dd(aaa)", "yyyy/m/dd", "yyyy\"年\"m\"月\"d\"日\"(aaa)",
                                    "yyyy\"年\"m\"月\"d\"日\"", "ggge\"年\"m\"月\"d\"日\"(aaa)"};
const QString kNoPreview = QStringLiteral("プレビューできないファイル形式があります。");
} // namespace

TPrintPage::TPrintPage(TForm4& dialog) : TSettingsPage(dialog, spPrint, QStringLiteral("印刷"))
{
    auto* grid = new QGridLayout(this);
    grid->addWidget(new QLabel(QStringLiteral("印刷レイアウトの選択 :"), this), 0, 0);
    m_layouts = new QListWidget(this);
    grid->addWidget(m_layouts, 1, 0);
    m_previewButton = new QPushButton(QStringLiteral("プレビューを表示する"), this);
    grid->addWidget(m_previewButton, 0, 1);
    m_frame = new QFrame(this);
    m_frame->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    m_frame->setLineWidth(2);
    m_frame->setFixedSize(kThumbWidth + 4, kThumbHeight + 4);
    m_thumbnail = new QLabel(m_frame);
    m_thumbnail->setObjectName(QStringLiteral("Thumbnail"));
    m_thumbnail->setGeometry(2, 2, kThumbWidth, kThumbHeight);
    m_thumbnail->setAutoFillBackground(true);
    m_thumbnail->setBackgroundRole(QPalette::Base);
    grid->addWidget(m_frame, 1, 1, 3, 1, Qt::AlignTop);
    auto* format = new QHBoxLayout;
    format->addWidget(new QLabel(QStringLiteral("日付書式 :"), this));
    m_dateFormat = new QComboBox(this);
    m_dateFormat->setEditable(true);
    for (const char* f : kDateFormats) {
        m_dateFormat->addItem(QString::fromUtf8(f));
    }
    format->addWidget(m_dateFormat, 1);
    grid->addLayout(format, 2, 0);
    m_duplicate = new QCheckBox(QStringLiteral("重複する日付は表示しない"), this);
    grid->addWidget(m_duplicate, 3, 0);
    auto* group = new QGroupBox(QStringLiteral("スケジュールがない日付の処理方法"), this);
    auto* radios = new QVBoxLayout(group);
    m_noneSked = new QButtonGroup(this);
    const QString captions[] = {QStringLiteral("期間指定した時のみ対象にする"), QStringLiteral("常に対象にする"),
                                QStringLiteral("対象にしない")};
    for (int i = 0; i < 3; ++i) {
        auto* r = new QRadioButton(captions[i], group);
        m_noneSked->addButton(r, i);
        radios->addWidget(r);
    }
    grid->addWidget(group, 4, 0, 1, 2);
    grid->setRowStretch(1, 1);
    grid->setColumnStretch(0, 1);
    grid->setColumnMinimumWidth(1, kThumbWidth + 4);

    connect(m_layouts, &QListWidget::currentRowChanged, this, &TPrintPage::layoutChosen);
    connect(m_previewButton, &QPushButton::clicked, this, &TPrintPage::showPreview);
    watchControls();
    connect(m_layouts, &QListWidget::currentRowChanged, this, [this] { markChanged(); });
}

void TPrintPage::Fill()
{
    const TNoxSettings s = host().RunningSettings();
    QStringList names = QDir(folders::printFolder()).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    names.sort(Qt::CaseInsensitive);
    {
        const QSignalBlocker block(m_layouts);
        m_layouts->clear();
        m_layouts->addItems(names);
        m_layouts->setCurrentRow(int(names.indexOf(s.layout)));
    }
    m_dateFormat->setEditText(s.searchDateFormat);
    m_duplicate->setChecked(s.duplicateDate);
    if (QAbstractButton* b = m_noneSked->button(qBound(0, s.noneSkedDate, 2))) {
        b->setChecked(true);
    }
    layoutChosen();
}

void TPrintPage::layoutChosen()
{
    showText(kNoPreview, 9, 8);
    const bool canRender = bool(PrintSampleRenderer());
    m_previewButton->setEnabled(canRender && m_layouts->currentRow() >= 0);
    m_previewButton->setToolTip(canRender ? QString() : QStringLiteral("印刷機能がないため、プレビューできません。"));
}

// Text in the thumbnail area, inset from its frame.
void TPrintPage::showText(const QString& text, int points, int inset)
{
    QImage picture(kThumbWidth, kThumbHeight, QImage::Format_RGB32);
    picture.fill(palette().base().color());
    QPainter p(&picture);
    QFont font = this->font();
    font.setPointSize(points);
    p.setFont(font);
    p.setPen(palette().text().color());
    p.drawText(picture.rect().adjusted(inset, inset, -inset, -inset), Qt::TextWordWrap | Qt::AlignLeft | Qt::AlignTop,
               text);
    p.end();
    m_thumbnail->setPixmap(QPixmap::fromImage(picture));
}

// The layout rendered with the sample data into "temp/Schedule", shown as a
// page picture or as text; the file is deleted afterwards.
void TPrintPage::showPreview()
{
    const TPrintSampleRenderer& render = PrintSampleRenderer();
    QListWidgetItem* item = m_layouts->currentItem();
    if (!render || !item) {
        return;
    }
    TPrintPreviewRequest request;
    request.layout = item->text();
    request.outputPath = folders::tempFolder() + QStringLiteral("/Schedule");
    request.dateFormat = m_dateFormat->currentText().isEmpty() ? QString::fromUtf8(kDateFormats[0])
                                                                : m_dateFormat->currentText();
    request.startDate = formatDateTime(request.dateFormat, QDate::currentDate());
    request.endDate = request.startDate;
    request.duplicateDate = m_duplicate->isChecked();
    request.noneSkedDate = qMax(0, m_noneSked->checkedId());
    const QString written = render(request);
    if (written.isEmpty()) {
        return;
    }
    if (IsTextOutput(written)) {
        const TextReadResult text = readTextLines(written);
        showText(text->lines.join(u'\n'), 7, 4);
    } else if (PagePictureMaker()) {
        const QImage page = PagePictureMaker()(written, QSize(kThumbWidth, kThumbHeight));
        if (page.isNull()) {
            showText(kNoPreview, 9, 8);
        } else {
            m_thumbnail->setPixmap(QPixmap::fromImage(page));
        }
    }
    QFile::remove(written);
    m_previewButton->setEnabled(false);
}

void TPrintPage::Apply()
{
    TNoxSettings s = host().RunningSettings();
    s.layout = m_layouts->currentItem() ? m_layouts->currentItem()->text() : QString();
    s.duplicateDate = m_duplicate->isChecked();
    s.searchDateFormat = m_dateFormat->currentText().isEmpty() ? QString::fromUtf8(kDateFormats[0])
                                                                : m_dateFormat->currentText();
    s.noneSkedDate = qMax(0, m_noneSked->checkedId());
    Settings file = ini();
    bool ok = file.writeString(Key::SearchLayout, s.layout);
    ok = file.writeBool(Key::SearchDuplicateDate, s.duplicateDate) && ok;
    ok = file.writeString(Key::SearchDateFormat, s.searchDateFormat) && ok;
    ok = file.writeInt(Key::SearchNoneSkedDate, s.noneSkedDate) && ok;
    reportWrite(ok, QStringLiteral("Nox.ini"));
    host().ApplyPrint(s);
}

} // namespace nox
