#include "dialogs/gotodate.h"

#include <QCalendarWidget>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableView>
#include <QTextCharFormat>
#include <QToolButton>
#include <QVBoxLayout>

#include "koyomi/koyomi.h"

namespace nox
{

namespace
{

// The header reads the Japanese way, year before month: "2026年12月".
void writeHeaderJapanese(QCalendarWidget* calendar)
{
    auto* year = calendar->findChild<QToolButton*>(QStringLiteral("qt_calendar_yearbutton"));
    if (year) {
        year->setText(QString::number(calendar->yearShown()) + QStringLiteral("年"));
    }
}

// All six weeks fit the calendar at the dialog's smallest size: a smaller
// type for the days, rows that may be as low as that type, and the year
// before the month in the header.
void compactCalendar(QCalendarWidget* calendar)
{
    QFont font = calendar->font();
    font.setPixelSize(11);
    calendar->setFont(font);
    if (auto* view = calendar->findChild<QTableView*>(QStringLiteral("qt_calendar_calendarview"))) {
        view->verticalHeader()->setMinimumSectionSize(QFontMetrics(font).height());
        view->horizontalHeader()->setMinimumSectionSize(QFontMetrics(font).height());
    }
    auto* bar = calendar->findChild<QWidget*>(QStringLiteral("qt_calendar_navigationbar"));
    auto* month = calendar->findChild<QToolButton*>(QStringLiteral("qt_calendar_monthbutton"));
    auto* year = calendar->findChild<QToolButton*>(QStringLiteral("qt_calendar_yearbutton"));
    auto* row = bar ? qobject_cast<QBoxLayout*>(bar->layout()) : nullptr;
    if (row && month && year) {
        row->setContentsMargins(0, 0, 0, 0);
        row->removeWidget(year);
        row->insertWidget(row->indexOf(month), year);
    }
    // Qt writes the year button's text at every page change, then tells.
    QObject::connect(calendar, &QCalendarWidget::currentPageChanged, calendar,
                     [calendar] { writeHeaderJapanese(calendar); });
    writeHeaderJapanese(calendar);
}

} // namespace

TForm3::TForm3(QWidget* owner) : QDialog(owner)
{
    setWindowTitle(QStringLiteral("日付変更"));
    setWindowFlag(Qt::WindowMaximizeButtonHint, true);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    setSizeGripEnabled(true);
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, Qt::white);
    setPalette(pal);

    m_calendar = new QCalendarWidget(this);
    m_calendar->setLocale(QLocale(QLocale::Japanese, QLocale::Japan));
    m_calendar->setFirstDayOfWeek(Qt::Sunday);
    m_calendar->setGridVisible(true);
    m_calendar->setVerticalHeaderFormat(QCalendarWidget::NoVerticalHeader);
    m_calendar->setMinimumSize(200, 120);
    compactCalendar(m_calendar);
    QTextCharFormat saturday = m_calendar->weekdayTextFormat(Qt::Saturday);
    saturday.setForeground(QColor(0, 0, 255));
    m_calendar->setWeekdayTextFormat(Qt::Saturday, saturday);

    m_ok = new QPushButton(QStringLiteral("OK"), this);
    m_ok->setDefault(true);
    m_ok->setAutoDefault(true);
    m_cancel = new QPushButton(QStringLiteral("キャンセル"), this);
    m_cancel->setAutoDefault(false);
    connect(m_ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_cancel, &QPushButton::clicked, this, &QDialog::reject);
    // Enter or a double click on a day takes that day, as "OK" would.
    connect(m_calendar, &QCalendarWidget::activated, this, &QDialog::accept);

    auto* buttons = new QHBoxLayout;
    buttons->setContentsMargins(8, 0, 8, 8);
    m_rokuyo = new QLabel(this);
    m_rokuyo->hide();
    buttons->addWidget(m_rokuyo);
    buttons->addStretch();
    buttons->addWidget(m_ok);
    buttons->addWidget(m_cancel);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(8);
    layout->addWidget(m_calendar, 1);
    layout->addLayout(buttons);

    setMinimumSize(339, 193);
    resize(339, 193);
}

void TForm3::SetDate(const QDate& date)
{
    m_calendar->setSelectedDate(date);
    m_calendar->setCurrentPage(date.year(), date.month());
}

QDate TForm3::Date() const
{
    return m_calendar->selectedDate();
}

void TForm3::SetShowRokuyo(bool on)
{
    m_rokuyo->setVisible(on);
    if (on) {
        connect(m_calendar, &QCalendarWidget::selectionChanged, this, &TForm3::updateRokuyo,
                Qt::UniqueConnection);
        updateRokuyo();
    }
}

void TForm3::updateRokuyo()
{
    const QString name = koyomi::rokuyoName(koyomi::dayInfo(m_calendar->selectedDate()).rokuyo);
    m_rokuyo->setText(name.isEmpty() ? QString() : QStringLiteral("六曜 : ") + name);
}

bool ShowGoToDate(QWidget* owner, QDate& date, bool showRokuyo)
{
    TForm3 dialog(owner);
    dialog.SetDate(date);
    dialog.SetShowRokuyo(showRokuyo);
    if (owner) {
        const QRect frame = owner->window()->frameGeometry();
        dialog.move(frame.center() - dialog.rect().center());
    }
    if (dialog.exec() != QDialog::Accepted) {
        return false;
    }
    const QDate chosen = dialog.Date();
    if (chosen.isValid()) {
        date = chosen;
    }
    return true;
}

} // namespace nox
