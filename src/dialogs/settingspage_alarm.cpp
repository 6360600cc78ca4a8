// The page "アラーム/時報": schedule alarms and time signals.
#include <QApplication>
#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <QTimeEdit>
#include <QUrl>
#include <QVBoxLayout>

#include "alarm/ui/soundplayer.h"
#include "core/settings.h"
#include "dialogs/settingsdialog.h"
#include "dialogs/settingshost.h"
#include "dialogs/settingspage_p.h"
#include "dialogs/soundtest.h"
#include "widgets/choosers.h"

namespace nox
{

namespace
{
const QString kTimePattern = QStringLiteral("H:mm");
const QString kBeepNote = QStringLiteral("\"Beep\"と入力するとビープ音を指定できます");
} // namespace

TAlarmPage::TAlarmPage(TForm4& dialog) : TSettingsPage(dialog, spAlarm, QStringLiteral("アラーム/時報"))
{
    auto* column = new QVBoxLayout(this);
    auto* alarm = new QGroupBox(QStringLiteral("アラーム"), this);
    auto* a = new QGridLayout(alarm);
    m_alarmEnable = new QCheckBox(QStringLiteral("アラームを有効にする"), alarm);
    a->addWidget(m_alarmEnable, 0, 0);
    a->addWidget(new QLabel(kBeepNote, alarm), 0, 1, Qt::AlignRight);
    a->addWidget(soundRow(m_alarmSound), 1, 0, 1, 2);
    column->addWidget(alarm);

    auto* bell = new QGroupBox(QStringLiteral("時報"), this);
    auto* b = new QGridLayout(bell);
    m_bellEnable = new QCheckBox(QStringLiteral("時報を有効にする"), bell);
    b->addWidget(m_bellEnable, 0, 0);
    b->addWidget(new QLabel(kBeepNote, bell), 0, 1, Qt::AlignRight);
    b->addWidget(soundRow(m_bellSound), 1, 0, 1, 2);
    b->addWidget(new QLabel(QStringLiteral("メッセージに表示するテキスト :"), bell), 3, 1);
    m_bell60 = new QCheckBox(QStringLiteral("1時間ごとに通知する"), bell);
    m_msg60 = new QLineEdit(bell);
    m_bell30 = new QCheckBox(QStringLiteral("30分ごとに通知する"), bell);
    m_msg30 = new QLineEdit(bell);
    b->addWidget(m_bell60, 4, 0);
    b->addWidget(m_msg60, 4, 1);
    b->addWidget(m_bell30, 5, 0);
    b->addWidget(m_msg30, 5, 1);
    for (int i = 0; i < 3; ++i) {
        // The time picker covers the blank run of the caption.
        m_bell[i] = new QCheckBox(QStringLiteral("毎日               時に通知する"), bell);
        m_time[i] = new QTimeEdit(m_bell[i]);
        m_time[i]->setDisplayFormat(kTimePattern);
        m_time[i]->setButtonSymbols(QAbstractSpinBox::NoButtons);
        m_time[i]->setAlignment(Qt::AlignCenter);
        const QFontMetrics metrics(m_bell[i]->font());
        const int indicator = style()->pixelMetric(QStyle::PM_IndicatorWidth) +
                              style()->pixelMetric(QStyle::PM_CheckBoxLabelSpacing);
        const int blanks = metrics.horizontalAdvance(QString(15, u' '));
        m_time[i]->setGeometry(indicator + metrics.horizontalAdvance(QStringLiteral("毎日")) + 2, 0,
                               qMax(blanks - 4, metrics.horizontalAdvance(QStringLiteral("00:00")) + 8),
                               m_bell[i]->sizeHint().height());
        m_msg[i] = new QLineEdit(bell);
        b->addWidget(m_bell[i], 6 + i, 0);
        b->addWidget(m_msg[i], 6 + i, 1);
    }
    b->setColumnStretch(1, 1);
    column->addWidget(bell);
    column->addStretch(1);

    // Two frames of many rows share the page: keep them tight.
    for (QLayout* l : {static_cast<QLayout*>(column), static_cast<QLayout*>(a), static_cast<QLayout*>(b)}) {
        l->setSpacing(2);
        l->setContentsMargins(6, 2, 6, 2);
    }
    watchControls();
    for (QCheckBox* c : m_bell) {
        connect(c, &QCheckBox::toggled, this, &TAlarmPage::updateEnabled);
    }
}

// A sound box with "参照..." and "テスト".
QWidget* TAlarmPage::soundRow(QLineEdit*& edit)
{
    auto* row = new QWidget(this);
    auto* line = new QHBoxLayout(row);
    line->setContentsMargins(0, 0, 0, 0);
    line->addWidget(new QLabel(QStringLiteral("サウンド :"), row));
    edit = new QLineEdit(row);
    line->addWidget(edit, 1);
    auto* browse = new QPushButton(QStringLiteral("参照..."), row);
    auto* test = new QPushButton(QStringLiteral("テスト"), row);
    line->addWidget(browse);
    line->addWidget(test);
    QLineEdit* box = edit;
    connect(browse, &QPushButton::clicked, this, [this, box] { this->browse(box); });
    connect(test, &QPushButton::clicked, this, [this, box] { this->test(box->text()); });
    return row;
}

void TAlarmPage::browse(QLineEdit* edit)
{
    const QString file = ChooseOpenFile(this, QStringLiteral("WAVファイル (*.wav)"));
    if (!file.isEmpty()) {
        edit->setText(file);
    }
}

// The sound plays without waiting for its end.
void TAlarmPage::test(const QString& sound)
{
    switch (ClassifySoundTest(sound)) {
    case TSoundTest::Nothing:
        return;
    case TSoundTest::Beep:
        QApplication::beep();
        return;
    case TSoundTest::Play:
        delete m_sound; // stops the sound of the last test
        m_sound = new QObject(this);
        if (!playWaveFile(sound, m_sound)) {
            ShowMessage(this, TMessageKind::Warning, soundSupportError());
        }
        return;
    case TSoundTest::NotFound:
        inform(QStringLiteral("ファイルが見つかりません！"));
        return;
    case TSoundTest::NotWave:
        ShowMessage(this, TMessageKind::Warning, QStringLiteral("WAVファイルではありません。\r\n") + sound);
        return;
    }
}

void TAlarmPage::updateEnabled()
{
    for (int i = 0; i < 3; ++i) {
        m_time[i]->setEnabled(m_bell[i]->isChecked());
    }
}

void TAlarmPage::Fill()
{
    const AlarmSettings s = host().RunningAlarmSettings();
    m_alarmEnable->setChecked(s.alarmEnable);
    m_alarmSound->setText(s.alarmSound);
    m_bellEnable->setChecked(s.bellEnable);
    m_bellSound->setText(s.bellSound);
    m_bell60->setChecked(s.bell60);
    m_msg60->setText(s.msg60);
    m_bell30->setChecked(s.bell30);
    m_msg30->setText(s.msg30);
    for (int i = 0; i < 3; ++i) {
        m_bell[i]->setChecked(s.bell[i]);
        QTime t = QTime::fromString(s.time[i], kTimePattern);
        m_time[i]->setTime(t.isValid() ? t : QTime(0, 0));
        m_msg[i]->setText(s.msg[i]);
    }
    updateEnabled();
}

AlarmSettings TAlarmPage::Values() const
{
    AlarmSettings s = host().RunningAlarmSettings();
    s.alarmEnable = m_alarmEnable->isChecked();
    s.alarmSound = m_alarmSound->text();
    s.bellEnable = m_bellEnable->isChecked();
    s.bellSound = m_bellSound->text();
    s.bell60 = m_bell60->isChecked();
    s.msg60 = m_msg60->text();
    s.bell30 = m_bell30->isChecked();
    s.msg30 = m_msg30->text();
    for (int i = 0; i < 3; ++i) {
        s.bell[i] = m_bell[i]->isChecked();
        s.time[i] = m_time[i]->time().toString(kTimePattern);
        s.msg[i] = m_msg[i]->text();
    }
    return s;
}

void TAlarmPage::Apply()
{
    const AlarmSettings s = Values();
    Settings file = ini();
    reportWrite(writeAlarmSettings(file, s), QStringLiteral("Nox.ini"));
    host().ApplyAlarms(s);
}

} // namespace nox
