// The page "その他": the main window, the day and month views, the search window.
#include <QCheckBox>
#include <QComboBox>
#include <QDate>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QSpinBox>

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
const char* const kDateFormats[] = {"yyyy/m/dd(aaa)", "yyyy/m/dd", "yyyy\"年\"m\"月\"d\"日\"(aaa)",
                                    "yyyy\"年\"m\"月\"d\"日\""};
constexpr int kSampleLines = 6;
constexpr int kSampleLineHeight = 14;

QComboBox* timeList(QWidget* parent)
{
    auto* box = new QComboBox(parent);
    for (int slot = 0; slot < 48; ++slot) {
        box->addItem(slotTimeText(slot));
    }
    box->setMaxVisibleItems(16);
    return box;
}

// Six dated lines as the search results show them; the first, third and
// fifth on the band colour when banding is on.
class BandSample : public QWidget
{
public:
    BandSample(const bool& on, const TColor& color, QWidget* parent)
        : QWidget(parent), m_on(on), m_color(color)
    {
        setFixedHeight(kSampleLines * kSampleLineHeight + 2);
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        p.fillRect(rect(), Qt::white);
        const QDate today = QDate::currentDate();
        for (int i = 0; i < kSampleLines; ++i) {
            const QRect line(1, 1 + i * kSampleLineHeight, width() - 2, kSampleLineHeight);
            if (m_on && i % 2 == 0) {
                p.fillRect(line, toQColor(m_color));
            }
            p.setPen(Qt::black);
            p.drawText(line.adjusted(2, 0, 0, 0), Qt::AlignVCenter,
                       formatDateTime(QStringLiteral("yyyy/mm/dd"), today.addDays(i)) +
                           QStringLiteral("  サンプルスケジュール"));
        }
        p.setPen(palette().mid().color());
        p.drawRect(rect().adjusted(0, 0, -1, -1));
    }

private:
    const bool& m_on;
    const TColor& m_color;
};
} // namespace

TOtherPage::TOtherPage(TForm4& dialog) : TSettingsPage(dialog, spOther, QStringLiteral("その他"))
{
    auto* grid = new QGridLayout(this);
    auto* main = new QGroupBox(QStringLiteral("メイン"), this);
    auto* m = new QVBoxLayout(main);
    m_taskBar = new QCheckBox(QStringLiteral("タスク バーに入れる"), main);
    m_statusBar = new QCheckBox(QStringLiteral("ステータスバーを強調する"), main);
    m->addWidget(m_taskBar);
    m->addWidget(m_statusBar);
    grid->addWidget(main, 0, 0);

    auto* weekly = new QGroupBox(QStringLiteral("ウィークリービュー"), this);
    auto* w = new QGridLayout(weekly);
    m_topIndex = timeList(weekly);
    m_leftDate = new QSpinBox(weekly);
    m_leftDate->setRange(-365, 365);
    m_dateFormat = new QComboBox(weekly);
    m_dateFormat->setEditable(true);
    for (const char* f : kDateFormats) {
        m_dateFormat->addItem(QString::fromUtf8(f));
    }
    w->addWidget(new QLabel(QStringLiteral("起動時の最初の時間 :"), weekly), 0, 0);
    w->addWidget(m_topIndex, 0, 1, Qt::AlignLeft);
    w->addWidget(new QLabel(QStringLiteral("起動時の左端の日付 :"), weekly), 1, 0);
    w->addWidget(m_leftDate, 1, 1, Qt::AlignLeft);
    w->addWidget(new QLabel(QStringLiteral("日付書式 :"), weekly), 2, 0);
    w->addWidget(m_dateFormat, 2, 1);
    w->setColumnStretch(1, 1);
    grid->addWidget(weekly, 0, 1);
    grid->setColumnStretch(1, 1);

    auto* monthly = new QGroupBox(QStringLiteral("マンスリービュー"), this);
    auto* mo = new QVBoxLayout(monthly);
    m_mvDefaultTime = timeList(monthly);
    mo->addWidget(new QLabel(QStringLiteral("新規スケジュールの初期値 :"), monthly));
    mo->addWidget(m_mvDefaultTime, 0, Qt::AlignLeft);
    grid->addWidget(monthly, 1, 0);

    auto* search = new QGroupBox(QStringLiteral("検索"), this);
    auto* s = new QGridLayout(search);
    m_endClose = new QCheckBox(QStringLiteral("選択と同時に画面を閉じる"), search);
    m_band = new QCheckBox(QStringLiteral("日付ごとに色分けする →"), search);
    m_bandButton = new QPushButton(QStringLiteral("色..."), search);
    m_sample = new BandSample(m_bandShown, m_bandColor, search);
    s->addWidget(m_endClose, 0, 0);
    s->addWidget(m_band, 0, 1);
    s->addWidget(m_bandButton, 0, 2, Qt::AlignLeft);
    s->addWidget(m_sample, 1, 0, 1, 4);
    s->setColumnStretch(3, 1);
    grid->addWidget(search, 2, 0, 1, 2);

    auto* koyomi = new QGroupBox(QStringLiteral("暦"), this);
    auto* k = new QHBoxLayout(koyomi);
    m_rokuyo = new QCheckBox(QStringLiteral("六曜"), koyomi);
    m_lunar = new QCheckBox(QStringLiteral("旧暦"), koyomi);
    m_seasonal = new QCheckBox(QStringLiteral("節気・雑節"), koyomi);
    for (QCheckBox* box : {m_rokuyo, m_lunar, m_seasonal}) {
        k->addWidget(box);
    }
    k->addStretch(1);
    grid->addWidget(koyomi, 1, 1);
    grid->setRowStretch(3, 1);

    connect(m_band, &QCheckBox::toggled, this, &TOtherPage::updateSample);
    connect(m_bandButton, &QPushButton::clicked, this, &TOtherPage::pickColor);
    watchControls();
}

void TOtherPage::Fill()
{
    const TNoxSettings s = host().RunningSettings();
    m_taskBar->setChecked(s.taskBar);
    m_statusBar->setChecked(s.statusBar);
    m_topIndex->setCurrentIndex(qBound(0, s.topIndex, 47));
    m_leftDate->setValue(s.leftDate);
    m_dateFormat->setEditText(s.dateFormat);
    m_mvDefaultTime->setCurrentIndex(qBound(0, s.mvDefaultTime, 47));
    m_endClose->setChecked(s.endClose);
    m_rokuyo->setChecked(s.calendarMarks & 1);
    m_lunar->setChecked(s.calendarMarks & 2);
    m_seasonal->setChecked(s.calendarMarks & 4);
    m_band->setChecked(s.searchColor);
    m_bandColor = s.searchColorValue;
    updateSample();
}

void TOtherPage::updateSample()
{
    m_bandShown = m_band->isChecked();
    m_bandButton->setEnabled(m_band->isChecked());
    m_sample->update();
}

void TOtherPage::pickColor()
{
    if (const std::optional<TColor> chosen = ChooseColor(this, m_bandColor)) {
        m_bandColor = *chosen;
        markChanged();
        updateSample();
    }
}

void TOtherPage::Apply()
{
    TNoxSettings v = host().RunningSettings();
    v.endClose = m_endClose->isChecked();
    v.statusBar = m_statusBar->isChecked();
    v.searchColor = m_band->isChecked();
    v.searchColorValue = m_bandColor;
    v.topIndex = m_topIndex->currentIndex();
    v.mvDefaultTime = m_mvDefaultTime->currentIndex();
    v.taskBar = m_taskBar->isChecked();
    v.dateFormat = m_dateFormat->currentText().isEmpty() ? QString::fromUtf8(kDateFormats[0])
                                                          : m_dateFormat->currentText();
    v.leftDate = m_leftDate->value();
    v.calendarMarks =
        (m_rokuyo->isChecked() ? 1 : 0) | (m_lunar->isChecked() ? 2 : 0) | (m_seasonal->isChecked() ? 4 : 0);
    Settings file = ini();
    bool ok = file.writeBool(Key::SearchEndClose, v.endClose);
    ok = file.writeBool(Key::Window1StatusBar, v.statusBar) && ok;
    ok = file.writeBool(Key::SearchSearchColor, v.searchColor) && ok;
    ok = file.writeColor(Key::SearchSearchColorValue, v.searchColorValue) && ok;
    ok = file.writeInt(Key::SkedTopIndex, v.topIndex) && ok;
    ok = file.writeInt(Key::MonthViewDefaultTime, v.mvDefaultTime) && ok;
    ok = file.writeBool(Key::Window1TaskBar, v.taskBar) && ok;
    ok = file.writeString(Key::Window1DateFormat, v.dateFormat) && ok;
    ok = file.writeBool(Key::KoyomiRokuyo, m_rokuyo->isChecked()) && ok;
    ok = file.writeBool(Key::KoyomiLunar, m_lunar->isChecked()) && ok;
    ok = file.writeBool(Key::KoyomiSeasonal, m_seasonal->isChecked()) && ok;
    reportWrite(ok, QStringLiteral("Nox.ini"));
    host().ApplyOther(v);
}

} // namespace nox
