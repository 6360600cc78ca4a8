// TNoxMainForm: what the window hands to the mode in front (navigation,
// filling and writing back, go-to-date) and the switch between the modes.
#include <QApplication>
#include <QMessageBox>
#include <utility>

#include "app/clockpanel.h"
#include "app/datebanner.h"
#include "app/daymode.h"
#include "app/mainform.h"
#include "app/memopanes.h"
#include "app/monthmode.h"
#include "app/writefailurenotices.h"
#include "dialogs/gotodate.h"
#include "koyomi/koyomi.h"
#include "sked/skedcontrol.h"
#include "store/schedulebook.h"

namespace nox
{

namespace
{
constexpr int kMaxColumns = 7;
} // namespace

TNoxMainForm::TViewMode TNoxMainForm::viewMode() const
{
    return m_mode->id();
}

QDate TNoxMainForm::leftDate() const
{
    return m_dayMode->leftDate();
}

int TNoxMainForm::skedCount() const
{
    return m_sked->SkedCount();
}

int TNoxMainForm::memoPaneCount() const
{
    return m_memoPanes->count();
}

TNoxMemo* TNoxMainForm::memoPane(int index) const
{
    return m_memoPanes->pane(index);
}

void TNoxMainForm::ReportFailure(const BookResult& result)
{
    if (result.ok()) {
        return;
    }
    if (result.code() == BookStatus::ChangedOnDisk) {
        // The view shows neither side's whole change: read it again first,
        // once the caller is done with the items the refill replaces.
        QMetaObject::invokeMethod(
            this,
            [this, message = result.message()] {
                if (!m_destroyed) {
                    m_mode->fill();
                }
                // Nothing failed: the notice says what happened.
                m_writeFailures->report(message, WriteFailureNotices::Kind::Merged);
                m_writeFailures->showPending();
            },
            Qt::QueuedConnection);
        return;
    }
    // The writer has told the notices already: the same message goes in once.
    m_writeFailures->report(result.message());
    m_writeFailures->showPending();
}

void TNoxMainForm::ShowPendingFailures()
{
    m_writeFailures->showPendingAndWait();
}

void TNoxMainForm::NoteLoadProblem(const QString& key, const QString& message)
{
    if (!m_toldLoadProblems.contains(key)) {
        m_toldLoadProblems.insert(key);
        m_loadNotices.append(message);
    }
}

void TNoxMainForm::NoteDayProblems(const BookDay& day)
{
    if (!day.result.ok()) {
        NoteLoadProblem(day.result.message(), day.result.message());
    }
    for (const TDayProblem& problem : day.problems) {
        // The line itself may be long: its hash tells it apart well enough.
        NoteLoadProblem(problem.file + QLatin1Char('\n') + QString::number(qHash(problem.line)),
                        QStringLiteral("ファイル「%1」の %2 行目は予定として読めません: %3")
                            .arg(problem.file)
                            .arg(problem.lineNumber)
                            .arg(problem.reason));
    }
}

// One notice for what a fill met; an open notice takes the new lines.
void TNoxMainForm::ShowLoadNotices()
{
    constexpr int kMaxLines = 20;
    if (m_loadNotices.isEmpty()) {
        return;
    }
    QStringList lines = std::exchange(m_loadNotices, {});
    if (lines.size() > kMaxLines) {
        const qsizetype more = lines.size() - kMaxLines;
        lines.resize(kMaxLines);
        lines << QStringLiteral("ほか %1 件").arg(more);
    }
    const QString text = lines.join(QLatin1Char('\n'));
    if (m_options.showNotice) {
        m_options.showNotice(text);
        return;
    }
    if (m_noticeBox) {
        m_noticeBox->setInformativeText(m_noticeBox->informativeText() + QLatin1Char('\n') + text);
        return;
    }
    m_noticeBox = new QMessageBox(
        QMessageBox::Warning, QApplication::applicationName(),
        QStringLiteral("読めなかったところがあります。ファイルはそのまま残ります。"), QMessageBox::Ok, this);
    m_noticeBox->setInformativeText(text);
    m_noticeBox->setAttribute(Qt::WA_DeleteOnClose);
    m_noticeBox->setModal(false);
    m_noticeBox->show();
}

// --- navigation ------------------------------------------------------------------

void TNoxMainForm::ShowDays(const QDate& from)
{
    m_dayMode->showDays(from);
}

void TNoxMainForm::SetSkedCount(int count)
{
    m_mode->setColumnCount(count);
}

void TNoxMainForm::ChangeSkedCount(int delta)
{
    const int count = skedCount() + delta;
    if (count >= 1 && count <= kMaxColumns) {
        SetSkedCount(count);
    }
    UpdateBanner();
}

bool TNoxMainForm::GoToDate(const QDate& date, std::optional<qint32> id, bool refresh)
{
    return m_mode->goToDate(date, id, refresh);
}

void TNoxMainForm::PrevDayClick()
{
    m_mode->step(TMainViewMode::Step::PrevDay);
}

void TNoxMainForm::NextDayClick()
{
    m_mode->step(TMainViewMode::Step::NextDay);
}

void TNoxMainForm::TodayClick()
{
    GoToDate(today());
}

void TNoxMainForm::GoToDateClick()
{
    QDate date = m_mode->currentDate();
    if (ShowGoToDate(this, date, (m_settings.calendarMarks & koyomi::MarkRokuyo) != 0)) {
        GoToDate(date);
    }
}

void TNoxMainForm::NextMonthClick()
{
    m_mode->step(TMainViewMode::Step::NextMonth);
}

void TNoxMainForm::PrevMonthClick()
{
    m_mode->step(TMainViewMode::Step::PrevMonth);
}

void TNoxMainForm::NextWeekClick()
{
    m_mode->step(TMainViewMode::Step::NextWeek);
}

void TNoxMainForm::PrevWeekClick()
{
    m_mode->step(TMainViewMode::Step::PrevWeek);
}

void TNoxMainForm::IncreaseClick()
{
    m_mode->increase();
}

void TNoxMainForm::DecreaseClick()
{
    m_mode->decrease();
}

// Read before the controls see the key, and only after start-up.
bool TNoxMainForm::handleShortcut(int key, Qt::KeyboardModifiers mods)
{
    return m_started && m_mode->shortcut(key, mods);
}

// --- switching the view -------------------------------------------------------------

void TNoxMainForm::SwitchViewClick()
{
    const TMainViewMode::Handover handover = m_mode->leave();
    if (m_mode == m_dayMode.get()) {
        m_mode = m_monthMode.get();
    } else {
        m_mode = m_dayMode.get();
    }
    applyModeLook();
    m_mode->enter(handover);
    applyFreeMemoLook();
    UpdateBanner();
    keepFreeMemoInFront();
    if (m_clock && m_clock->isVisible()) {
        m_clock->raise();
    }
}

void TNoxMainForm::UpdateBanner()
{
    m_banner->setPeriodText(m_mode->periodText());
    m_banner->setToday(today());
}

// --- filling the views -----------------------------------------------------------------

void TNoxMainForm::ColorColumns()
{
    m_dayMode->colorColumns();
}

void TNoxMainForm::RefreshView()
{
    m_mode->fill();
}

} // namespace nox
