// The page "スタイル": the active style on a preview of the views.
#include <QButtonGroup>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "appearance/ui/styledialog.h"
#include "appearance/ui/stylepreview.h"
#include "core/settings.h"
#include "dialogs/settingsdialog.h"
#include "dialogs/settingshost.h"
#include "dialogs/settingspage_p.h"
#include "widgets/choosers.h"

namespace nox
{

TStylePage::TStylePage(TForm4& dialog) : TSettingsPage(dialog, spStyle, QStringLiteral("スタイル"))
{
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(6, 4, 6, 6);
    column->setSpacing(4);
    auto* top = new QHBoxLayout;
    auto* group = new QGroupBox(QStringLiteral("スタイル"), this);
    auto* radios = new QHBoxLayout(group);
    m_radios = new QButtonGroup(this);
    const QString names[] = {QStringLiteral("スタイル１"), QStringLiteral("スタイル２"), QStringLiteral("スタイル３")};
    for (int i = 0; i < 3; ++i) {
        auto* r = new QRadioButton(names[i], group);
        m_radios->addButton(r, i);
        radios->addWidget(r);
    }
    top->addWidget(group, 1);
    auto* buttons = new QVBoxLayout;
    auto* edit = new QPushButton(QStringLiteral("編集..."), this);
    auto* factory = new QPushButton(QStringLiteral("既定値"), this);
    buttons->addWidget(edit);
    buttons->addWidget(factory);
    top->addLayout(buttons);
    column->addLayout(top);
    m_preview = new TStylePreview(this, 112, 330);
    column->addWidget(m_preview, 1);

    connect(m_radios, &QButtonGroup::idClicked, this, &TStylePage::pickStyle);
    connect(edit, &QPushButton::clicked, this, &TStylePage::edit);
    connect(factory, &QPushButton::clicked, this, &TStylePage::loadDefault);
    watchControls();
}

int TStylePage::StyleIndex() const
{
    return qMax(0, m_radios->checkedId());
}

void TStylePage::Fill()
{
    const TNoxSettings running = host().RunningSettings();
    m_preview->SetStyle(host().CurrentStyle(), running.halfFormat);
    if (QAbstractButton* b = m_radios->button(qBound(0, running.style, 2))) {
        b->setChecked(true);
    }
}

// A picked style starts from the colours of the kinds of day that older
// styles left out of their file (all but the schedule background).
void TStylePage::pickStyle(int index)
{
    TStyle style = m_preview->Style();
    const TColor skedBk = style.DayKind.SkedBKColor;
    style.DayKind = TDayKindColors();
    style.DayKind.SkedBKColor = skedBk;
    ReadStyle(style, index);
    m_preview->SetStyle(style, m_preview->HalfFormat());
    markChanged();
}

void TStylePage::loadDefault()
{
    TStyle style = m_preview->Style();
    if (!ReadStyle(style, StyleIndex(), true).fileFound) {
        ShowMessage(this, TMessageKind::Warning,
                    QStringLiteral("既定のスタイルファイルが見つかりません。\r\n") + StyleFilePath(true));
        return;
    }
    m_preview->SetStyle(style, m_preview->HalfFormat());
    markChanged();
}

void TStylePage::edit()
{
    TStyle style = m_preview->Style();
    bool half = m_preview->HalfFormat();
    if (ShowStyleDialog(this, StyleIndex(), style, half)) {
        m_preview->SetStyle(style, half);
        markChanged();
    }
}

void TStylePage::Apply()
{
    const int index = StyleIndex();
    const bool half = m_preview->HalfFormat();
    const bool halfChanged = half != host().RunningSettings().halfFormat;
    Settings s = ini();
    reportWrite(s.writeInt(Key::SkedStyle, index), QStringLiteral("Nox.ini"));
    if (!WriteStyle(m_preview->Style(), index)) {
        m_dialog.ReportFailure(StyleFilePath(false));
    }
    if (halfChanged) {
        reportWrite(s.writeBool(Key::SkedHalfFormat, half), QStringLiteral("Nox.ini"));
    }
    host().ApplyStyle(index, m_preview->Style(), half);
}

} // namespace nox
