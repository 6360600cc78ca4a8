// TNoxMainForm: navigation, the two view modes, go-to-date, the month view's
// selection handling and the memo panes' loading and saving.
#include <QKeyEvent>

#include "alarm/alarmcenter.h"
#include "app/clockpanel.h"
#include "app/datebanner.h"
#include "app/mainform.h"
#include "app/statuspanels.h"
#include "core/datetime.h"
#include "dialogs/gotodate.h"
#include "monthview/monthview.h"
#include "sked/skedcontrol.h"
#include "store/dayfile.h"
#include "store/daykind.h"
#include "widgets/noxmemo.h"

namespace nox
{

namespace
{
constexpr int kMaxColumns = 7;

// The first plain row of `line` in the column (a row of an item block as a
// fallback), -1 when the line has no row.
int rowOfLine(const sked::TSked* column, int line)
{
    const QList<sked::TSkedRow>& rows = column->Rows();
    int fallback = -1;
    for (int r = 0; r < rows.size(); ++r) {
        if (rows.at(r).Line == line) {
            if (rows.at(r).Item < 0) {
                return r;
            }
            if (fallback < 0) {
                fallback = r;
            }
        }
    }
    return fallback;
}

sked::TSkedItem* itemWithId(sked::TSked* column, qint32 id)
{
    for (int i = 0; i < column->Items().Count(); ++i) {
        if (column->Items().Items(i)->ID == id) {
            return column->Items().Items(i);
        }
    }
    return nullptr;
}
} // namespace

int TNoxMainForm::skedCount() const
{
    return m_sked->SkedCount();
}

int TNoxMainForm::focusedColumn() const
{
    return m_sked->ActiveIndex();
}

// Activates `column` and, when the window is shown, gives it the keyboard
// focus; with `line` >= 0 its first row on that line becomes the focus row.
void TNoxMainForm::focusColumn(int column, int line)
{
    sked::TSked* sked = m_sked->Skeds(column);
    if (!sked) {
        return;
    }
    m_sked->setActiveIndex(column);
    if (isVisible()) {
        sked->setFocus(Qt::OtherFocusReason);
        m_sked->setActiveIndex(column);
    }
    if (line >= 0) {
        const int row = rowOfLine(sked, line);
        if (row >= 0) {
            sked->setRowIndex(row);
        }
    }
}

// --- memo panes ----------------------------------------------------------------
// A pane remembers the text it was loaded with and is saved only when the user
// changed it and the text differs from that: a memo typed back to what it was
// is not written again, and a pane that was never loaded (nothing remembered)
// can never put an empty text over a stored memo.

void TNoxMainForm::loadPane(TNoxMemo* pane, const QString& text)
{
    pane->SetText(text);
    pane->setProperty("noxLoadedText", text);
}

bool TNoxMainForm::paneChanged(const TNoxMemo* pane) const
{
    return pane->Modified() && pane->Text() != pane->property("noxLoadedText").toString();
}

void TNoxMainForm::savePane(TNoxMemo* pane, const QDate& date)
{
    if (!paneChanged(pane)) {
        pane->SetModified(false);
        return;
    }
    bool modified = true;
    m_memoStore.savePane(pane->Text(), modified, date);
    if (!modified) {
        loadPane(pane, pane->Text());
    }
}

// --- showing days ---------------------------------------------------------------

void TNoxMainForm::ShowDays(const QDate& from)
{
    saveMemoRow();
    m_fillingDays = true;
    m_sked->BeginUpdate();
    rebuildMemoPanes();
    m_dayNames.resize(skedCount());
    m_dayKinds.resize(skedCount());
    for (int i = 0; i < skedCount(); ++i) {
        const QDate date = from.addDays(i);
        if (TNoxMemo* pane = memoPane(i)) {
            loadPane(pane, m_memoStore.read(date));
        }
        LoadDay(i, date);
        m_sked->Skeds(i)->View().TopBar().setCaption(formatDateTime(m_settings.dateFormat, date));
    }
    m_sked->EndUpdate();
    m_fillingDays = false;
    m_leftDate = from;
    ColorColumns();
    UpdateNowMarker();
    updateBanner();
}

void TNoxMainForm::saveMemoRow()
{
    if (m_viewMode != vmDay) {
        return;
    }
    for (int i = 0; i < m_memoPanes.size(); ++i) {
        TNoxMemo* pane = m_memoPanes.at(i);
        savePane(pane, m_leftDate.addDays(i));
    }
}

void TNoxMainForm::SetSkedCount(int count)
{
    count = qBound(1, count, kMaxColumns);
    if (count == skedCount()) {
        return;
    }
    const int active = focusedColumn();
    saveMemoRow();
    m_sked->setSkedCount(count);
    if (m_started && m_viewMode == vmDay) {
        ShowDays(m_leftDate);
        if (active >= count) {
            focusColumn(count - 1);
        }
    }
}

void TNoxMainForm::ChangeSkedCount(int delta)
{
    const int count = skedCount() + delta;
    if (count >= 1 && count <= kMaxColumns) {
        SetSkedCount(count);
    }
    updateBanner();
}

// Moves the day view by one day; the focus follows its date where it can.
void TNoxMainForm::moveDays(int delta)
{
    const int last = skedCount() - 1;
    int a = focusedColumn();
    if (a < 0) {
        a = delta < 0 ? last : 0;
        focusColumn(a);
    }
    sked::TSked* column = m_sked->Skeds(a);
    const int line = column->LineIndex();
    const sked::TSkedItem* item = column->SelectedItem();
    const std::optional<qint32> id = item ? std::optional<qint32>(item->ID) : std::nullopt;
    bool memoFocus = false;
    for (TNoxMemo* pane : m_memoPanes) {
        memoFocus = memoFocus || pane->hasFocus();
    }
    ShowDays(m_leftDate.addDays(delta));
    const bool edge = delta < 0 ? a == last : a == 0;
    if (edge) {
        focusColumn(a, line);
        return;
    }
    const int target = a - delta;
    focusColumn(target, line);
    if (id) {
        if (sked::TSkedItem* again = itemWithId(m_sked->Skeds(target), *id)) {
            m_sked->Skeds(target)->SelectItem(again);
        }
    }
    if (memoFocus && memoPane(target)) {
        memoPane(target)->setFocus();
    }
}

void TNoxMainForm::PrevDayClick()
{
    if (m_viewMode == vmMonth) {
        goMonthView(m_month->CurrentDate().addMonths(-1));
        return;
    }
    moveDays(-1);
}

void TNoxMainForm::NextDayClick()
{
    if (m_viewMode == vmMonth) {
        goMonthView(m_month->CurrentDate().addMonths(1));
        return;
    }
    moveDays(1);
}

void TNoxMainForm::TodayClick()
{
    GoToDate(today());
}

void TNoxMainForm::GoToDateClick()
{
    QDate date =
        m_viewMode == vmMonth ? m_month->CurrentDate() : m_leftDate.addDays(qMax(0, focusedColumn()));
    if (ShowGoToDate(this, date)) {
        GoToDate(date);
    }
}

void TNoxMainForm::NextMonthClick()
{
    if (m_viewMode == vmMonth) {
        goMonthView(m_month->CurrentDate().addMonths(1));
        return;
    }
    const int a = focusedColumn();
    GoToDate(m_leftDate.addMonths(1).addDays(skedCount() - 1));
    if (a >= 0) {
        focusColumn(a);
    }
}

void TNoxMainForm::PrevMonthClick()
{
    if (m_viewMode == vmMonth) {
        goMonthView(m_month->CurrentDate().addMonths(-1));
        return;
    }
    const int a = focusedColumn();
    GoToDate(m_leftDate.addMonths(-1).addDays(skedCount() - 1));
    if (a >= 0) {
        focusColumn(a);
    }
}

void TNoxMainForm::NextWeekClick()
{
    if (m_viewMode == vmMonth) {
        return;
    }
    const int a = focusedColumn();
    GoToDate(m_leftDate.addDays(skedCount() + 6));
    if (a >= 0) {
        focusColumn(a);
    }
}

void TNoxMainForm::PrevWeekClick()
{
    if (m_viewMode == vmMonth) {
        return;
    }
    const int a = focusedColumn();
    GoToDate(m_leftDate.addDays(-7));
    if (a >= 0) {
        focusColumn(a);
    }
}

void TNoxMainForm::IncreaseClick()
{
    if (m_viewMode == vmMonth) {
        m_month->ResetRates();
        return;
    }
    ChangeSkedCount(1);
}

void TNoxMainForm::DecreaseClick()
{
    if (m_viewMode == vmMonth) {
        const int next = (int(m_month->View()->TimeViewStyle()) + 1) % 3;
        m_month->View()->SetTimeViewStyle(monthview::TMonthTimeViewStyle(next));
        return;
    }
    ChangeSkedCount(-1);
}

// Ctrl+U / Ctrl+L / Ctrl+1..7, read before the controls see the key; only in
// the day view and only without Shift.
bool TNoxMainForm::handleShortcut(int key, Qt::KeyboardModifiers mods)
{
    if (m_viewMode != vmDay || !m_started || !(mods & Qt::ControlModifier) || (mods & Qt::ShiftModifier) ||
        (mods & Qt::AltModifier)) {
        return false;
    }
    if (key == Qt::Key_U) {
        ChangeSkedCount(1);
        return false;
    }
    if (key == Qt::Key_L) {
        ChangeSkedCount(-1);
        return true;
    }
    if (key >= Qt::Key_1 && key <= Qt::Key_7) {
        const int count = key - Qt::Key_0;
        const bool lowers = count < skedCount();
        SetSkedCount(count);
        updateBanner();
        return lowers;
    }
    return false;
}

void TNoxMainForm::keyPressEvent(QKeyEvent* event)
{
    QMainWindow::keyPressEvent(event);
}

// --- go to a date ---------------------------------------------------------------

bool TNoxMainForm::GoToDate(const QDate& date, std::optional<qint32> id, bool refresh)
{
    if (m_viewMode == vmMonth) {
        goMonthView(date);
        bool found = false;
        if (id) {
            for (int i = 0; i < m_month->Items()->Count(); ++i) {
                monthview::TMonthViewItem* item = m_month->Items()->Item(i);
                if (item->ID() == *id && item->Day() == date) {
                    m_month->SelectItem(item);
                    found = true;
                    break;
                }
            }
        }
        monthSelectionChanged();
        return found;
    }
    const int count = skedCount();
    if (date < m_leftDate || date > m_leftDate.addDays(count - 1)) {
        if (focusedColumn() < 0) {
            m_sked->setActiveIndex(0);
        }
        ShowDays(date.addDays(-qMax(0, focusedColumn())));
    } else if (refresh) {
        ShowDays(m_leftDate);
    }
    const int column = int(m_leftDate.daysTo(date));
    sked::TSked* sked = m_sked->Skeds(column);
    m_sked->setActiveIndex(column);
    bool found = false;
    if (id) {
        if (sked::TSkedItem* item = itemWithId(sked, *id)) {
            sked->SelectItem(item);
            found = true;
        }
    }
    if (found || sked->FocusRow() >= 0) {
        sked->MakeFocusVisible();
    }
    if (isVisible()) {
        sked->setFocus(Qt::OtherFocusReason);
    }
    showDayStatus();
    return found;
}

// --- month view -------------------------------------------------------------------

// Moves the month view to `date`, fills it and runs the selection handling.
void TNoxMainForm::goMonthView(const QDate& date)
{
    m_month->SetCurrentDate(date);
    m_month->SetToday(today());
    FillMonthView();
    const int cell = m_month->CellOfDate(date);
    if (cell >= 0 && !m_month->SelectedItem()) {
        m_month->SelectCell(cell);
    }
    updateBanner();
    monthSelectionChanged();
}

void TNoxMainForm::saveDayMemoPane()
{
    TNoxMemo* pane = memoPane(1);
    if (m_viewMode != vmMonth || !pane || !m_dayMemoDate.isValid()) {
        return;
    }
    savePane(pane, m_dayMemoDate);
    const int cell = m_month->CellOfDate(m_dayMemoDate);
    if (cell >= 0) {
        const bool has = !pane->Text().isEmpty();
        if (has != m_memoDays.contains(cell)) {
            if (has) {
                m_memoDays << cell;
            } else {
                m_memoDays.removeAll(cell);
            }
            m_month->update();
        }
    }
}

// A changed schedule memo goes back into its schedule's day file: the line is
// removed by ID and appended again with the new memo, and its alarms are
// entered again.
void TNoxMainForm::saveScheduleMemoPane()
{
    TNoxMemo* pane = memoPane(0);
    if (m_viewMode != vmMonth || !pane || !paneChanged(pane) || !m_memoItem) {
        return;
    }
    auto* rec = static_cast<TSkedRec*>(m_memoItem->Data());
    loadPane(pane, pane->Text());
    if (!rec) {
        return;
    }
    rec->Memo = escapeSkedText(pane->Text());
    deleteSkedById(m_dataFolder, rec->date(), rec->ID, m_alarms->alarmWithdrawer());
    appendSkedRec(m_dataFolder, *rec);
    m_alarms->UpdateScheduleAlarms(*rec, 0);
    RecToMonthItem(rec, m_memoItem);
}

void TNoxMainForm::monthSelectionChanged()
{
    if (m_viewMode != vmMonth || m_memoPanes.size() < 2) {
        return;
    }
    saveDayMemoPane();
    saveScheduleMemoPane();
    const QDate date = m_month->SelectedDate().isValid() ? m_month->SelectedDate() : m_month->CurrentDate();
    loadPane(m_memoPanes.at(1), m_memoStore.read(date));
    m_dayMemoDate = date;

    // Every schedule of the day counts, selected or not, as in the day view's
    // panel (counting only from the selected item onwards gave "(0)" for a
    // busy day while no item was selected).
    int count = 0;
    for (int i = 0; i < m_month->Items()->Count(); ++i) {
        count += m_month->Items()->Item(i)->Day() == date ? 1 : 0;
    }
    const DayNameAndKind day = dayNameAndKind(date, m_holidays);
    const TColor background = day.kind == dkHoliday    ? m_month->View()->HolidayBKColor()
                              : day.kind == dkSunday   ? m_month->View()->SundayBKColor()
                              : day.kind == dkSaturday ? m_month->View()->SaturdayBKColor()
                                                       : m_month->View()->WeekDayBKColor();
    m_status->setDayPanel(day.name + QStringLiteral(" (") + QString::number(count) + QStringLiteral(")"),
                          day.kind, background);

    monthview::TMonthViewItem* item = m_month->SelectedItem();
    TNoxMemo* left = m_memoPanes.at(0);
    m_memoItem = item;
    if (item && item->Data()) {
        const auto* rec = static_cast<const TSkedRec*>(item->Data());
        loadPane(left, unescapeSkedText(rec->Memo));
        left->setReadOnly(false);
        m_status->setSchedulePanel(scheduleSpanText(rec->StartTime, rec->EndTime, item->Memo()),
                                   rec->TextColor, rec->FontStyle);
    } else {
        loadPane(left, QString());
        left->setReadOnly(true);
        m_status->setSchedulePanel(QString());
    }
}

// --- switching the view -----------------------------------------------------------

void TNoxMainForm::SwitchViewClick()
{
    if (m_viewMode == vmDay) {
        switchToMonth();
    } else {
        switchToDay();
    }
    updateBanner();
    keepFreeMemoInFront();
    if (m_clock && m_clock->isVisible()) {
        m_clock->raise();
    }
}

void TNoxMainForm::switchToMonth()
{
    saveMemoRow();
    const int column = qMax(0, focusedColumn());
    sked::TSked* sked = m_sked->Skeds(column);
    const sked::TSkedItem* item = sked ? sked->SelectedItem() : nullptr;
    const std::optional<qint32> id = item ? std::optional<qint32>(item->ID) : std::nullopt;
    const QDate date = m_leftDate.addDays(column);

    m_month->setFont(m_sked->font());
    m_viewMode = vmMonth;
    setModeHints();
    rebuildMemoPanes();
    m_dayMemoDate = QDate();
    m_month->SetCurrentDate(date);
    m_month->SetToday(today());
    FillMonthView();
    m_month->SelectCell(m_month->CellOfDate(date));
    m_dayMemoDate = date;
    loadPane(m_memoPanes.at(1), m_memoStore.read(date));
    m_month->setFocus(Qt::OtherFocusReason);
    if (id) {
        GoToDate(date, id);
    } else {
        monthSelectionChanged();
    }
}

void TNoxMainForm::switchToDay()
{
    saveDayMemoPane();
    saveScheduleMemoPane();
    const monthview::TMonthViewItem* item = m_month->SelectedItem();
    const std::optional<qint32> id = item ? std::optional<qint32>(item->ID()) : std::nullopt;
    const QDate selected = m_month->SelectedCell() >= 0 ? m_month->SelectedDate() : QDate();
    m_memoItem = nullptr;
    for (TNoxMemo* pane : m_memoPanes) {
        loadPane(pane, pane->Text());
        pane->setReadOnly(false);
    }
    m_viewMode = vmDay;
    setModeHints();
    for (TNoxMemo* pane : m_memoPanes) {
        loadPane(pane, QString()); // the row is loaded from the store below
    }
    ShowDays(m_leftDate);
    if (selected.isValid()) {
        GoToDate(selected, id);
    } else if (focusedColumn() < 0) {
        focusColumn(0);
    }
}

// --- banner ---------------------------------------------------------------------------

void TNoxMainForm::updateBanner()
{
    const QString dayPattern = QStringLiteral("yyyy\"年\"mm\"月\"dd\"日\"");
    if (m_viewMode == vmMonth) {
        m_banner->setPeriodText(formatDateTime(QStringLiteral("yyyy\"年\"mm\"月\""), m_month->CurrentDate()));
    } else {
        m_banner->setPeriodText(formatDateTime(dayPattern, m_leftDate) + QStringLiteral("～") +
                                formatDateTime(dayPattern, m_leftDate.addDays(skedCount() - 1)));
    }
    m_banner->setToday(today());
}

// A memo pane that gets the focus in the day view activates its column.
void TNoxMainForm::memoPaneFocused(TNoxMemo* pane)
{
    if (m_viewMode != vmDay) {
        return;
    }
    const int index = m_memoPanes.indexOf(pane);
    sked::TSked* column = m_sked->Skeds(index);
    if (!column) {
        return;
    }
    m_sked->setActiveIndex(index);
    if (column->FocusRow() < 0 || column->FocusRow() >= column->RowCount()) {
        const int row = rowOfLine(column, qMax(0, column->LineIndex()));
        if (row >= 0) {
            column->SelectRow(row, true);
        }
    }
    showDayStatus();
}

} // namespace nox
