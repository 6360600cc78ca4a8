// The page "時計": the clock panel of the main window.
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDateTime>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>

#include "appearance/ui/styledialog.h"
#include "core/datetime.h"
#include "core/settings.h"
#include "dialogs/settingsdialog.h"
#include "dialogs/settingshost.h"
#include "dialogs/settingspage_p.h"
#include "widgets/choosers.h"

namespace nox
{

namespace
{
const char* const kClockFormats[] = {"h:nn",
                                     "h:nn ampm",
                                     "h:nn:ss",
                                     "h:nn:ss ampm",
                                     "yyyy/m/dd h:nn:ss",
                                     "yyyy/m/dd(aaa) h:nn:ss",
                                     "yyyy\"年\"m\"月\"d\"日\" h:nn:ss",
                                     "yyyy\"年\"m\"月\"d\"日\"(aaa) h:nn:ss",
                                     "yyyy\"年\"m\"月\"d\"日\"(aaa) h:nn:ss ampm"};
constexpr int kBold = fsBold, kItalic = fsItalic, kUnderline = fsUnderline;
} // namespace

TClockPage::TClockPage(TForm4& dialog) : TSettingsPage(dialog, spClock, QStringLiteral("時計"))
{
    auto* grid = new QGridLayout(this);
    m_visible = new QCheckBox(QStringLiteral("時計を表示する"), this);
    grid->addWidget(m_visible, 0, 0, 1, 4);
    grid->addWidget(new QLabel(QStringLiteral("書式 :"), this), 1, 0);
    m_format = new QComboBox(this);
    m_format->setEditable(true);
    for (const char* f : kClockFormats) {
        m_format->addItem(QString::fromUtf8(f));
    }
    grid->addWidget(m_format, 1, 1, 1, 3);
    m_preview = new QLabel(this);
    m_preview->setObjectName(QStringLiteral("ClockPreview"));
    m_preview->setAlignment(Qt::AlignCenter);
    m_preview->setAutoFillBackground(true);
    m_preview->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    m_preview->setMinimumHeight(40);
    grid->addWidget(m_preview, 2, 0, 1, 4);
    grid->addWidget(new QLabel(QStringLiteral("文字 :"), this), 3, 0);
    m_font = new QComboBox(this);
    m_font->addItems(ScreenFontNames());
    grid->addWidget(m_font, 3, 1);
    m_size = new QSpinBox(this);
    m_size->setRange(8, 16);
    grid->addWidget(m_size, 3, 2);
    grid->addWidget(new QLabel(QStringLiteral("ポイント"), this), 3, 3);
    auto* styles = new QHBoxLayout;
    m_bold = new QCheckBox(QStringLiteral("太字"), this);
    m_italic = new QCheckBox(QStringLiteral("斜体"), this);
    m_underline = new QCheckBox(QStringLiteral("下線"), this);
    m_bkButton = new QPushButton(QStringLiteral("背景色..."), this);
    m_fgButton = new QPushButton(QStringLiteral("文字色..."), this);
    for (QWidget* w : {static_cast<QWidget*>(m_bold), static_cast<QWidget*>(m_italic),
                       static_cast<QWidget*>(m_underline)}) {
        styles->addWidget(w);
    }
    styles->addStretch(1);
    styles->addWidget(m_bkButton);
    styles->addWidget(m_fgButton);
    grid->addLayout(styles, 4, 1, 1, 3);

    auto* position = new QGroupBox(QStringLiteral("位置 :"), this);
    auto* pos = new QGridLayout(position);
    m_relative = new QRadioButton(QStringLiteral("端から相対位置"), position);
    m_mouse = new QRadioButton(QStringLiteral("マウスで移動した位置に固定"), position);
    m_corner = new QComboBox(position);
    m_corner->addItems({QStringLiteral("左上を基準"), QStringLiteral("左下を基準"), QStringLiteral("右上を基準"),
                        QStringLiteral("右下を基準")});
    m_x = new QSpinBox(position);
    m_y = new QSpinBox(position);
    m_x->setRange(1, 999);
    m_y->setRange(1, 999);
    pos->addWidget(m_relative, 0, 0, 1, 2);
    pos->addWidget(m_corner, 1, 1);
    auto* margins = new QHBoxLayout;
    margins->addWidget(new QLabel(QStringLiteral("横 :"), position));
    margins->addWidget(m_x);
    margins->addWidget(new QLabel(QStringLiteral("縦 :"), position));
    margins->addWidget(m_y);
    margins->addStretch(1);
    pos->addLayout(margins, 2, 1);
    pos->addWidget(m_mouse, 3, 0, 1, 2);
    pos->setColumnMinimumWidth(0, 16);
    pos->setColumnStretch(1, 1);
    grid->addWidget(position, 5, 0, 1, 4);
    grid->setRowStretch(6, 1);
    grid->setColumnStretch(1, 1);

    auto* exclusive = new QButtonGroup(this);
    exclusive->addButton(m_relative);
    exclusive->addButton(m_mouse);
    connect(m_bkButton, &QPushButton::clicked, this, [this] { pickColor(m_bk); });
    connect(m_fgButton, &QPushButton::clicked, this, [this] { pickColor(m_fg); });
    watchControls();
    for (QCheckBox* c : {m_visible, m_bold, m_italic, m_underline}) {
        connect(c, &QCheckBox::toggled, this, [this] {
            updateEnabled();
            updatePreview();
        });
    }
    connect(m_relative, &QRadioButton::toggled, this, &TClockPage::updateEnabled);
    connect(m_format, &QComboBox::editTextChanged, this, &TClockPage::updatePreview);
    connect(m_font, &QComboBox::currentTextChanged, this, &TClockPage::updatePreview);
    connect(m_size, &QSpinBox::valueChanged, this, &TClockPage::updatePreview);
}

void TClockPage::Fill()
{
    const TNoxSettings s = host().RunningSettings();
    m_visible->setChecked(s.clockVisible);
    m_format->setEditText(s.clockFormat);
    m_bk = s.clockBkColor;
    m_fg = s.clockFgColor;
    const QString font = s.clockFontName.isEmpty() ? host().CurrentStyle().FontName : s.clockFontName;
    const int index = m_font->findText(font);
    if (index >= 0) {
        m_font->setCurrentIndex(index);
    } else {
        m_font->insertItem(0, font);
        m_font->setCurrentIndex(0);
    }
    m_size->setValue(s.clockFontSize);
    m_bold->setChecked(s.clockFontStyle & kBold);
    m_italic->setChecked(s.clockFontStyle & kItalic);
    m_underline->setChecked(s.clockFontStyle & kUnderline);
    (s.clockFixedPos ? m_relative : m_mouse)->setChecked(true);
    m_corner->setCurrentIndex(qBound(0, s.clockFixedPosIndex, 3));
    m_x->setValue(s.clockXMargin);
    m_y->setValue(s.clockYMargin);
    updateEnabled();
    updatePreview();
}

// Everything but the switch follows "時計を表示する"; the corner and the
// margins also need "端から相対位置".
void TClockPage::updateEnabled()
{
    const bool shown = m_visible->isChecked();
    for (QWidget* w : findChildren<QWidget*>()) {
        if (w != m_visible && w->parentWidget() == this) {
            w->setEnabled(shown);
        }
    }
    const bool relative = shown && m_relative->isChecked();
    m_corner->setEnabled(relative);
    m_x->setEnabled(relative);
    m_y->setEnabled(relative);
}

void TClockPage::updatePreview()
{
    QFont font(m_font->currentText());
    font.setPointSize(m_size->value());
    font.setBold(m_bold->isChecked());
    font.setItalic(m_italic->isChecked());
    font.setUnderline(m_underline->isChecked());
    m_preview->setFont(font);
    QPalette pal = m_preview->palette();
    pal.setColor(QPalette::Window, toQColor(m_bk));
    pal.setColor(QPalette::WindowText, toQColor(m_fg));
    m_preview->setPalette(pal);
    m_preview->setText(formatDateTime(m_format->currentText(), QDateTime::currentDateTime()));
}

void TClockPage::pickColor(TColor& color)
{
    if (const std::optional<TColor> chosen = ChooseColor(this, color)) {
        color = *chosen;
        markChanged();
        updatePreview();
    }
}

TNoxSettings TClockPage::values() const
{
    TNoxSettings s = host().RunningSettings();
    s.clockVisible = m_visible->isChecked();
    s.clockFormat = m_format->currentText();
    s.clockBkColor = m_bk;
    s.clockFgColor = m_fg;
    s.clockFontName = m_font->currentText();
    s.clockFontSize = m_size->value();
    s.clockFontStyle = (m_bold->isChecked() ? kBold : 0) | (m_italic->isChecked() ? kItalic : 0) |
                       (m_underline->isChecked() ? kUnderline : 0);
    s.clockFixedPos = m_relative->isChecked();
    s.clockFixedPosIndex = m_corner->currentIndex();
    s.clockXMargin = m_x->value();
    s.clockYMargin = m_y->value();
    return s;
}

void TClockPage::Apply()
{
    const TNoxSettings s = values();
    Settings file = ini();
    bool ok = file.writeBool(Key::ClockVisible, s.clockVisible);
    ok = file.writeString(Key::ClockFormat, s.clockFormat) && ok;
    ok = file.writeColor(Key::ClockBkColor, s.clockBkColor) && ok;
    ok = file.writeColor(Key::ClockFgColor, s.clockFgColor) && ok;
    ok = file.writeString(Key::ClockFontName, s.clockFontName) && ok;
    ok = file.writeInt(Key::ClockFontSize, s.clockFontSize) && ok;
    ok = file.writeInt(Key::ClockFontStyle, s.clockFontStyle) && ok;
    ok = file.writeBool(Key::ClockFixedPos, s.clockFixedPos) && ok;
    ok = file.writeInt(Key::ClockFixedPosIndex, s.clockFixedPosIndex) && ok;
    ok = file.writeInt(Key::ClockXMargin, s.clockXMargin) && ok;
    ok = file.writeInt(Key::ClockYMargin, s.clockYMargin) && ok;
    reportWrite(ok, QStringLiteral("Nox.ini"));
    host().ApplyClock(s);
}

} // namespace nox
