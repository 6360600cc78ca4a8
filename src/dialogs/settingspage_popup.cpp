// The page "ポップアップメッセージ": how popup message windows look.
#include <QCheckBox>
#include <QComboBox>
#include <QDateTime>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>

#include "alarm/ui/popupwindow.h"
#include "appearance/ui/styledialog.h"
#include "core/datetime.h"
#include "core/folders.h"
#include "core/inifile.h"
#include "dialogs/settingsdialog.h"
#include "dialogs/settingshost.h"
#include "dialogs/settingspage_p.h"
#include "widgets/choosers.h"

namespace nox
{

namespace
{
const char* const kPopupFormats[] = {"h\"時\"nn\"分\"",
                                     "h\"時\"nn\"分\" ampm",
                                     "h:nn",
                                     "h:nn ampm",
                                     "yyyy/m/dd h:nn",
                                     "yyyy/m/dd(aaa) h:nn",
                                     "yyyy\"年\"m\"月\"d\"日\" h\"時\"nn\"分\"",
                                     "yyyy\"年\"m\"月\"d\"日\"(aaa) h\"時\"nn\"分\"",
                                     "yyyy\"年\"m\"月\"d\"日\"(aaa) h\"時\"nn\"分\" ampm"};
constexpr int kPreviewWidth = 160;
constexpr int kPreviewHeight = 120;

QSpinBox* sizeBox(QWidget* parent, int low, int high)
{
    auto* s = new QSpinBox(parent);
    s->setRange(low, high);
    return s;
}
} // namespace

TPopupPage::TPopupPage(TForm4& dialog) : TSettingsPage(dialog, spPopup, QStringLiteral("ポップアップメッセージ"))
{
    auto* grid = new QGridLayout(this);
    auto* colors = new QHBoxLayout;
    auto* bk = new QPushButton(QStringLiteral("背景色..."), this);
    auto* fg = new QPushButton(QStringLiteral("文字色..."), this);
    colors->addWidget(bk);
    colors->addWidget(fg);
    colors->addStretch(1);
    grid->addLayout(colors, 0, 0, 1, 4);
    grid->addWidget(new QLabel(QStringLiteral("文字 :"), this), 1, 0);
    m_font = new QComboBox(this);
    m_font->addItems(ScreenFontNames());
    grid->addWidget(m_font, 1, 1);
    m_size = sizeBox(this, 8, 16);
    grid->addWidget(m_size, 1, 2);
    grid->addWidget(new QLabel(QStringLiteral("ポイント"), this), 1, 3);
    auto* styles = new QHBoxLayout;
    m_bold = new QCheckBox(QStringLiteral("太字"), this);
    m_italic = new QCheckBox(QStringLiteral("斜体"), this);
    m_underline = new QCheckBox(QStringLiteral("下線"), this);
    styles->addWidget(m_bold);
    styles->addWidget(m_italic);
    styles->addWidget(m_underline);
    styles->addStretch(1);
    grid->addLayout(styles, 2, 1, 1, 3);
    grid->addWidget(new QLabel(QStringLiteral("サイズ :"), this), 3, 0);
    auto* size = new QHBoxLayout;
    m_width = sizeBox(this, 60, 400);
    m_height = sizeBox(this, 60, 400);
    size->addWidget(m_width);
    size->addWidget(new QLabel(QStringLiteral("×"), this));
    size->addWidget(m_height);
    size->addStretch(1);
    grid->addLayout(size, 3, 1, 1, 3);
    grid->addWidget(new QLabel(QStringLiteral("書式 :"), this), 4, 0);
    m_format = new QComboBox(this);
    m_format->setEditable(true);
    for (const char* f : kPopupFormats) {
        m_format->addItem(QString::fromUtf8(f));
    }
    grid->addWidget(m_format, 4, 1, 1, 3);
    grid->addWidget(new QLabel(QStringLiteral("位置 :"), this), 5, 0);
    m_pos = new QComboBox(this);
    m_pos->addItems({QStringLiteral("左上"), QStringLiteral("左下"), QStringLiteral("右上"), QStringLiteral("右下")});
    grid->addWidget(m_pos, 5, 1, Qt::AlignLeft);
    m_preview = new QLabel(QStringLiteral("ポップアップメッセージのプレビュー"), this);
    m_preview->setObjectName(QStringLiteral("PopupPreview"));
    m_preview->setFixedSize(kPreviewWidth, kPreviewHeight);
    m_preview->setWordWrap(true);
    m_preview->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_preview->setMargin(8);
    m_preview->setAutoFillBackground(true);
    m_preview->setFrameStyle(QFrame::Box | QFrame::Plain);
    grid->addWidget(m_preview, 6, 1, Qt::AlignLeft);
    auto* test = new QPushButton(QStringLiteral("テスト"), this);
    grid->addWidget(test, 6, 2, 1, 2, Qt::AlignBottom);
    grid->setRowStretch(7, 1);
    grid->setColumnStretch(1, 1);

    connect(bk, &QPushButton::clicked, this, [this] { pickColor(m_bk); });
    connect(fg, &QPushButton::clicked, this, [this] { pickColor(m_fg); });
    connect(test, &QPushButton::clicked, this, &TPopupPage::test);
    watchControls();
    for (QCheckBox* c : {m_bold, m_italic, m_underline}) {
        connect(c, &QCheckBox::toggled, this, &TPopupPage::updatePreview);
    }
    connect(m_font, &QComboBox::currentTextChanged, this, &TPopupPage::updatePreview);
    connect(m_size, &QSpinBox::valueChanged, this, &TPopupPage::updatePreview);
}

void TPopupPage::Fill()
{
    const TPopupSettings s = PopupSettings();
    m_bk = s.bkcolor;
    m_fg = s.fgcolor;
    const int index = m_font->findText(s.fontname);
    if (index >= 0) {
        m_font->setCurrentIndex(index);
    } else {
        m_font->insertItem(0, s.fontname);
        m_font->setCurrentIndex(0);
    }
    m_size->setValue(s.fontsize);
    m_bold->setChecked(s.fontstyle & fsBold);
    m_italic->setChecked(s.fontstyle & fsItalic);
    m_underline->setChecked(s.fontstyle & fsUnderline);
    m_width->setValue(s.width);
    m_height->setValue(s.height);
    m_format->setEditText(s.format);
    m_pos->setCurrentIndex(qBound(0, s.pos, 3));
    updatePreview();
}

// The style bits beyond bold, italic and underline (strike-out) are kept.
TPopupSettings TPopupPage::Values() const
{
    TPopupSettings s = PopupSettings();
    s.bkcolor = m_bk;
    s.fgcolor = m_fg;
    s.fontname = m_font->currentText();
    s.fontsize = m_size->value();
    s.fontstyle = (s.fontstyle & ~(fsBold | fsItalic | fsUnderline)) | (m_bold->isChecked() ? fsBold : 0) |
                  (m_italic->isChecked() ? fsItalic : 0) | (m_underline->isChecked() ? fsUnderline : 0);
    s.width = m_width->value();
    s.height = m_height->value();
    s.format = m_format->currentText();
    s.pos = m_pos->currentIndex();
    return s;
}

void TPopupPage::updatePreview()
{
    const TPopupSettings s = Values();
    QFont font(s.fontname);
    font.setPointSize(s.fontsize);
    font.setBold(s.fontstyle & fsBold);
    font.setItalic(s.fontstyle & fsItalic);
    font.setUnderline(s.fontstyle & fsUnderline);
    m_preview->setFont(font);
    QPalette pal = m_preview->palette();
    pal.setColor(QPalette::Window, toQColor(s.bkcolor));
    pal.setColor(QPalette::WindowText, toQColor(s.fgcolor));
    m_preview->setPalette(pal);
}

void TPopupPage::pickColor(TColor& color)
{
    if (const std::optional<TColor> chosen = ChooseColor(this, color)) {
        color = *chosen;
        markChanged();
        updatePreview();
    }
}

// A real popup with the page's values, without sound or schedule; the
// running settings stay as they are.
void TPopupPage::test()
{
    const TPopupSettings s = Values();
    ShowPopupPreview(formatDateTime(s.format, QDateTime::currentDateTime()) +
                         QStringLiteral("\r\n\r\nポップアップメッセージのテスト"),
                     s);
}

void TPopupPage::Apply()
{
    const TPopupSettings s = Values();
    IniFile file(folders::dataFile(QStringLiteral("Nox.ini")));
    reportWrite(WritePopupSettings(file, s), QStringLiteral("Nox.ini"));
    SetPopupSettings(s);
    host().ApplyPopup(s);
}

} // namespace nox
