#include "app/daymode.h"
#include "koyomi/koyomi.h"

#include <QPainter>
#include <QTimer>
#include <QWidget>

#include "app/afterrepaint.h"
#include "app/modehost.h"
#include "app/memopanes.h"
#include "app/scheduleclipboard.h"
#include "app/schedulecommands.h"
#include "app/statuspanels.h"
#include "appearance/style.h"
#include "core/datetime.h"
#include "core/noxsettings.h"
#include "dialogs/occurrencequestion.h"
#include "monthview/monthview.h"
#include "sked/skedcontrol.h"
#include "sked/skedlayout.h"
#include "store/daykind.h"
#include "store/holidays.h"
#include "store/memostore.h"
#include "store/schedulebook.h"
#include "widgets/noxmemo.h"

namespace nox
{

namespace
{
constexpr int kMaxColumns = 7;

TSkedRec* recordOf(sked::TSkedItem* item)
{
    return item ? &item->Record : nullptr;
}

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
    for (int i = 0; column && i < column->Items().Count(); ++i) {
        if (column->Items().Items(i)->ID == id) {
            return column->Items().Items(i);
        }
    }
    return nullptr;
}

std::optional<qint32> selectedId(const sked::TSked* column)
{
    const sked::TSkedItem* item = column ? column->SelectedItem() : nullptr;
    return item ? std::optional<qint32>(item->ID) : std::nullopt;
}

// The line of the keyboard cursor, -1 without a column. On a selected
// schedule it is the line the schedule starts at: the rows of its bar do not
// belong to that line, so the row's own line would be one too early.
int cursorLine(const sked::TSked* column)
{
    if (!column) {
        return -1;
    }
    if (const TSkedRec* rec = recordOf(column->SelectedItem())) {
        return rec->StartTime;
    }
    return column->LineIndex();
}
} // namespace

TDayMode::TDayMode(TModeHost& form) : m_form(form), m_sked(form.skedControl()), m_leftDate(form.today())
{
    connectView();
}

QWidget* TDayMode::view() const
{
    return m_sked;
}

TMainViewMode::Look TDayMode::look() const
{
    return Look{
        QStringLiteral("前の日"),           QStringLiteral("次の日"), QStringLiteral("表示日数を増やす"),
        QStringLiteral("表示日数を減らす"), QStringLiteral("月"),     false};
}

// --- life ------------------------------------------------------------------------

// The column of today when it is shown, else column 0, takes the focus, on
// the first line in sight: a schedule added at once starts where the user
// looks.
void TDayMode::start(const QDate& date)
{
    m_active = true;
    showDays(date);
    const qint64 today = m_leftDate.daysTo(m_form.today());
    const int column = today >= 0 && today < m_sked->SkedCount() ? int(today) : 0;
    const sked::TSked* sked = m_sked->Skeds(column);
    focusColumn(column, sked ? sked->Row(sked->TopRow()).Line : -1);
    showStatus();
}

TMainViewMode::Handover TDayMode::leave()
{
    commitInput();
    saveMemoRow();
    const int column = qMax(0, focusedColumn());
    const Handover handover{m_leftDate.addDays(column), selectedId(m_sked->Skeds(column))};
    m_active = false;
    return handover;
}

void TDayMode::enter(const Handover& from)
{
    m_active = true;
    showDays(m_leftDate);
    if (from.date.isValid()) {
        goToDate(from.date, from.id, false);
    } else if (focusedColumn() < 0) {
        focusColumn(0);
    }
}

void TDayMode::saveMemos()
{
    commitInput();
    saveMemoRow();
}

// What is typed but not yet taken goes where it was typed before the days
// change: the input method's composition, then an open in-place edit (the
// refill would destroy the editor with its text).
void TDayMode::commitInput()
{
    m_form.memoPanes().commitComposition();
    for (int i = 0; i < m_sked->SkedCount(); ++i) {
        m_sked->Skeds(i)->commitEdit();
    }
}

// --- filling and writing back --------------------------------------------------------

void TDayMode::showDays(const QDate& from)
{
    commitInput();
    saveMemoRow();
    m_filling = true;
    m_sked->BeginUpdate();
    preparePanes();
    m_form.memoPanes().loadMemos(from, m_sked->SkedCount());
    for (int i = 0; i < m_sked->SkedCount(); ++i) {
        const QDate date = from.addDays(i);
        loadDay(i, date);
        m_sked->Skeds(i)->View().TopBar().setCaption(m_form.dayCaption(date));
    }
    // The columns' colours change with their days before the update ends, so
    // that a column is laid out and drawn once.
    m_leftDate = from;
    colorColumns();
    m_sked->EndUpdate();
    m_filling = false;
    updateNowMarker();
    m_form.UpdateBanner();
    m_form.ShowLoadNotices();
}

// The records go with the items they belong to: clearing the column frees
// them. A day file that cannot be read (the column is then empty) and lines
// that are no schedule are noted for the user.
void TDayMode::loadDay(int column, const QDate& date)
{
    sked::TSked* sked = m_sked->Skeds(column);
    if (!sked) {
        return;
    }
    sked->setDate(date);
    const BookDay day = m_form.book().day(date, m_form.categoryFilter());
    m_form.NoteDayProblems(day);
    sked::TSkedItems& items = sked->Items();
    items.BeginUpdate();
    items.Clear();
    for (const TSkedRec& rec : day.records) {
        auto* item = new sked::TSkedItem(&items);
        recToItem(rec, item);
        items.Add(item);
    }
    items.EndUpdate();
}

void TDayMode::recToItem(const TSkedRec& rec, sked::TSkedItem* item) const
{
    item->setStartLine(qBound(0, rec.StartTime, kSlotCount - 1));
    item->setEndLine(qBound(item->StartLine(), rec.EndTime, kSlotCount - 1));
    item->setText(unescapeSkedText(rec.Text));
    item->Memo = unescapeSkedText(rec.Memo);
    item->Font().setColor(rec.TextColor);
    item->Font().setStyle(rec.FontStyle & (fsBold | fsItalic | fsUnderline | fsStrikeOut));
    item->setLineColor(rec.LineColor);
    item->setImageIndex(rec.ImageIndex);
    item->ID = rec.ID;
    item->Category = rec.Category;
    item->Record = rec;
}

void TDayMode::fill()
{
    const int column = focusedColumn();
    sked::TSked* sked = m_sked->Skeds(column);
    const std::optional<qint32> id = selectedId(sked);
    const int line = sked ? sked->LineIndex() : -1;
    showDays(m_leftDate);
    if (column >= 0) {
        focusColumn(column, line);
        if (id) {
            goToDate(m_leftDate.addDays(column), id, false);
        }
    }
    showStatus();
}

bool TDayMode::saveDay(const QDate& date)
{
    const qint64 column = m_leftDate.daysTo(date);
    return column >= 0 && column < m_sked->SkedCount() && saveColumn(int(column));
}

bool TDayMode::saveColumn(int column, const QList<TAlarmUpdate>& alarms)
{
    sked::TSked* sked = m_sked->Skeds(column);
    if (!sked) {
        return false;
    }
    QList<TSkedRec> records;
    for (int i = 0; i < sked->Items().Count(); ++i) {
        if (const TSkedRec* rec = recordOf(sked->Items().Items(i))) {
            records << *rec;
        }
    }
    const QDate date = m_leftDate.addDays(column);
    const BookResult saved = m_form.book().saveDay(date, records, m_form.categoryFilter(), alarms);
    if (!saved.ok()) {
        reloadLater(date);
        m_form.ReportFailure(saved);
    }
    return saved.ok();
}

// Later, because a failed write may come from inside an event of the column
// that still uses its items.
void TDayMode::reloadLater(const QDate& date)
{
    QTimer::singleShot(0, m_form.hostWindow(), [this, date] {
        const qint64 column = m_leftDate.daysTo(date);
        if (!m_active || column < 0 || column >= m_sked->SkedCount()) {
            return;
        }
        const int line = m_sked->Skeds(int(column))->LineIndex();
        loadDay(int(column), date);
        if (focusedColumn() == column) {
            focusColumn(int(column), line);
        }
        showStatus();
    });
}

void TDayMode::reloadShownLater()
{
    for (int column = 0; column < m_sked->SkedCount(); ++column) {
        reloadLater(m_leftDate.addDays(column));
    }
}

std::optional<OccurrenceScope> TDayMode::askScope(bool removal)
{
    QWidget* window = m_form.hostWindow();
    return askOccurrenceScope(window, window ? window->windowTitle() : QString(),
                              removal ? occurrenceRemoveQuestion() : occurrenceChangeQuestion());
}

void TDayMode::occurrencesChanged(const BookResult& result)
{
    reloadShownLater();
    if (!result.ok()) {
        m_form.ReportFailure(result);
    }
    showStatus();
}

// --- the schedule commands ------------------------------------------------------------

QDate TDayMode::selectedDate() const
{
    const int column = focusedColumn();
    return column >= 0 ? m_leftDate.addDays(column) : QDate();
}

TSkedRec TDayMode::newRecord() const
{
    const sked::TSked* column = m_sked->Skeds(focusedColumn());
    const QFont font = column ? column->font() : m_sked->font();
    return newScheduleAt(selectedDate(), column ? qMax(0, column->LineIndex()) : 0, m_form.viewFontColor(),
                         fontStylesOf(font));
}

void TDayMode::afterEditor(const TSkedRec& rec, const std::optional<TSkedRec>& old)
{
    sked::TSkedItem* oldItem = nullptr;
    if (old) {
        oldItem = itemWithId(m_sked->Skeds(int(m_leftDate.daysTo(old->date()))), old->ID);
    }
    afterEdit(rec, oldItem);
}

bool TDayMode::changeSelected(const TSkedRec& rec, const QList<TAlarmUpdate>& alarms)
{
    const int column = focusedColumn();
    sked::TSked* sked = m_sked->Skeds(column);
    sked::TSkedItem* item = sked ? sked->SelectedItem() : nullptr;
    if (!item) {
        return false;
    }
    recToItem(rec, item);
    const bool saved = saveColumn(column, alarms);
    showStatus();
    return saved;
}

bool TDayMode::removeSelected(const QList<TAlarmUpdate>& alarms)
{
    const int column = focusedColumn();
    sked::TSked* sked = m_sked->Skeds(column);
    sked::TSkedItem* item = sked ? sked->SelectedItem() : nullptr;
    if (!item) {
        return false;
    }
    if (item->Record.isOccurrence()) {
        const std::optional<OccurrenceScope> scope = askScope(true);
        if (!scope) {
            return false;
        }
        const BookResult removed = m_form.book().removeOccurrence(*scope, item->Record);
        occurrencesChanged(removed);
        return removed.ok();
    }
    // The cursor stays on the line the schedule started at.
    const int line = cursorLine(sked);
    sked->Items().Delete(sked->Items().IndexOf(item));
    focusColumn(column, line);
    const bool saved = saveColumn(column, alarms);
    showStatus();
    return saved;
}

// On the focused line, the length kept.
bool TDayMode::placePasted(const TSkedRec& rec)
{
    const int column = int(m_leftDate.daysTo(rec.date()));
    sked::TSked* sked = m_sked->Skeds(column);
    if (!sked) {
        return false;
    }
    TSkedRec placed = rec;
    const TSlotSpan span = placedSpan(rec.StartTime, rec.EndTime, qMax(0, sked->LineIndex()));
    placed.StartTime = span.start;
    placed.EndTime = span.end;
    auto* item = new sked::TSkedItem(&sked->Items());
    recToItem(placed, item);
    sked->Items().Add(item);
    sked->SelectItem(item);
    const bool saved = saveColumn(column, {TAlarmUpdate{placed, amStoredAgain}});
    focusColumn(column);
    showStatus();
    return saved;
}

// The book moves or copies the one schedule: a move across days writes the
// target day before the source day, so that a failure can leave the
// schedule twice but never lose it. A drop that changes nothing writes
// nothing.
void TDayMode::dropItem(const sked::TSkedDrop& drop)
{
    const int fromColumn = int(m_leftDate.daysTo(drop.item.day));
    const int toColumn = int(m_leftDate.daysTo(drop.to));
    sked::TSked* from = m_sked->Skeds(fromColumn);
    sked::TSked* target = m_sked->Skeds(toColumn);
    sked::TSkedItem* dragged = itemWithId(from, drop.item.id);
    const TSkedRec* old = recordOf(dragged);
    if (!old || !target || drop.line < 0) {
        return;
    }
    TSkedRec rec = *old;
    const TSlotSpan span = placedSpan(rec.StartTime, rec.EndTime, drop.line);
    rec.StartTime = span.start;
    rec.EndTime = span.end;
    rec.setDate(drop.to);
    const bool moved =
        rec.date() != old->date() || rec.StartTime != old->StartTime || rec.EndTime != old->EndTime;
    if (!drop.copy && moved && old->isOccurrence()) {
        if (const std::optional<OccurrenceScope> scope = askScope(false)) {
            occurrencesChanged(m_form.book().changeOccurrence(*scope, *old, rec));
        }
        focusColumn(toColumn);
        return;
    }
    BookResult result = BookResult::success(BookChange{});
    if (drop.copy) {
        result = m_form.book().copy(rec);
    } else if (moved) {
        result = m_form.book().move(drop.item.day, drop.item.id, rec);
    } else {
        result->record = rec;
    }
    if (result->record) {
        if (!drop.copy) {
            from->Items().Delete(from->Items().IndexOf(dragged));
        }
        auto* item = new sked::TSkedItem(&target->Items());
        recToItem(*result->record, item);
        target->Items().Add(item);
        target->SelectItem(item);
    }
    if (!result.ok()) {
        reloadLater(drop.to);
        if (!drop.copy && fromColumn != toColumn) {
            reloadLater(drop.item.day);
        }
        m_form.ReportFailure(result);
    }
    focusColumn(toColumn);
    showStatus();
}

// An empty text is refused: the item keeps the text it had. The day is
// written as a whole: a change another program made to it meanwhile is
// merged, and the view reads it again.
QString TDayMode::textEdited(const QDate& date, qint32 id, const QString& text)
{
    sked::TSkedItem* item = itemWithId(m_sked->Skeds(int(m_leftDate.daysTo(date))), id);
    TSkedRec* rec = recordOf(item);
    if (!rec) {
        return text;
    }
    if (text.isEmpty()) {
        return item->Text();
    }
    if (rec->isOccurrence()) {
        const std::optional<OccurrenceScope> scope = askScope(false);
        if (!scope) {
            return item->Text();
        }
        TSkedRec changed = *rec;
        changed.Text = escapeSkedText(text);
        occurrencesChanged(m_form.book().changeOccurrence(*scope, *rec, changed));
        return unescapeSkedText(changed.Text);
    }
    rec->Text = escapeSkedText(text);
    (void)saveColumn(int(m_leftDate.daysTo(date)));
    return unescapeSkedText(rec->Text);
}

// A handle drag gave the schedule new lines: its span is written, its
// alarms entered again.
void TDayMode::linesDropped(const QDate& date, qint32 id, int start, int end)
{
    TSkedRec* rec = recordOf(itemWithId(m_sked->Skeds(int(m_leftDate.daysTo(date))), id));
    if (!rec) {
        return;
    }
    TSkedRec moved = *rec;
    moved.StartTime = start;
    moved.EndTime = end;
    if (rec->isOccurrence()) {
        // Cancelled: the day is read again, which puts the lines back.
        const std::optional<OccurrenceScope> scope = askScope(false);
        occurrencesChanged(scope ? m_form.book().changeOccurrence(*scope, *rec, moved)
                                 : BookResult::success({}));
        return;
    }
    const BookResult saved = m_form.book().move(date, id, moved);
    if (saved->record) {
        *rec = *saved->record;
    }
    if (!saved.ok()) {
        reloadLater(date);
        m_form.ReportFailure(saved);
    }
    showStatus();
}

void TDayMode::afterEdit(const TSkedRec& rec, sked::TSkedItem* oldItem)
{
    const QString filter = m_form.categoryFilter();
    const bool passes = filter.isEmpty() || rec.Category.isEmpty() || rec.Category == filter;
    if (oldItem) {
        const TSkedRec* oldRec = recordOf(oldItem);
        if (oldRec && oldRec->date() == rec.date() && passes) {
            recToItem(rec, oldItem);
            if (auto* column = static_cast<sked::TSked*>(oldItem->Sked())) {
                column->SelectItem(oldItem);
                column->MakeFocusVisible();
            }
            showStatus();
            return;
        }
        sked::TSkedItems* owner = oldItem->Owner();
        owner->Delete(owner->IndexOf(oldItem));
    }
    const qint64 column = m_leftDate.daysTo(rec.date());
    if (column < 0 || column >= m_sked->SkedCount() || !passes) {
        showStatus();
        return;
    }
    sked::TSked* sked = m_sked->Skeds(int(column));
    auto* item = new sked::TSkedItem(&sked->Items());
    recToItem(rec, item);
    sked->Items().Add(item);
    focusColumn(int(column));
    sked->SelectItem(item);
    sked->MakeFocusVisible();
    showStatus();
}

void TDayMode::colorColumns()
{
    const sked::TView& master = m_sked->View();
    const TDayKindColors& colors = m_form.dayKindColors();
    m_dayNames.resize(m_sked->SkedCount());
    m_dayKinds.resize(m_sked->SkedCount());
    for (int i = 0; i < m_sked->SkedCount(); ++i) {
        sked::TView& view = m_sked->Skeds(i)->View();
        const DayNameAndKind day = dayNameAndKind(m_leftDate.addDays(i), m_form.holidays());
        m_dayNames[i] = day.name;
        m_dayKinds[i] = day.kind;
        const bool focused = i == focusedColumn();
        view.TopBar().setColor(focused ? master.FocusStyle().Color() : master.TopBar().Color());
        view.TopBar().Font().setColor(focused ? master.FocusStyle().Font().Color()
                                              : master.TopBar().Font().Color());
        TColor bk = master.LeftBar().Color();
        TColor fg = master.LeftBar().Font().Color();
        if (day.kind == dkHoliday) {
            bk = colors.HolidayBKColor;
            fg = colors.HolidayFGColor;
        } else if (day.kind == dkSunday) {
            bk = colors.SundayBKColor;
            fg = colors.SundayFGColor;
        } else if (day.kind == dkSaturday) {
            bk = colors.SaturdayBKColor;
            fg = colors.SaturdayFGColor;
        }
        view.LeftBar().setColor(bk);
        view.LeftBar().Font().setColor(fg);
    }
}

// --- navigation ----------------------------------------------------------------------

int TDayMode::focusedColumn() const
{
    return m_sked->ActiveIndex();
}

void TDayMode::focusColumn(int column, int line)
{
    sked::TSked* sked = m_sked->Skeds(column);
    if (!sked) {
        return;
    }
    m_sked->setActiveIndex(column);
    if (m_form.hostWindow()->isVisible()) {
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

// Moves the view by one day; the focus follows its date where it can.
void TDayMode::moveDays(int delta)
{
    const int last = m_sked->SkedCount() - 1;
    int a = focusedColumn();
    if (a < 0) {
        a = delta < 0 ? last : 0;
        focusColumn(a);
    }
    sked::TSked* column = m_sked->Skeds(a);
    const int line = cursorLine(column);
    const std::optional<qint32> id = selectedId(column);
    const bool memoFocus = m_form.memoPanes().hasFocus();
    showDays(m_leftDate.addDays(delta));
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
    if (memoFocus && m_form.memoPanes().pane(target)) {
        m_form.memoPanes().pane(target)->setFocus();
    }
}

// Goes to `date` and keeps the column that had the focus, its line and the
// scroll position: a step through the weeks or months shows the same hours,
// wherever the cursor is.
void TDayMode::goKeepingColumn(const QDate& date)
{
    const int a = focusedColumn();
    const int line = a >= 0 ? cursorLine(m_sked->Skeds(a)) : -1;
    const int top = m_sked->TopRow();
    goToDate(date, std::nullopt, false);
    if (a >= 0) {
        focusColumn(a, line);
    }
    m_sked->setTopRow(top);
}

void TDayMode::step(Step step)
{
    const int count = m_sked->SkedCount();
    switch (step) {
    case Step::PrevDay:
        moveDays(-1);
        break;
    case Step::NextDay:
        moveDays(1);
        break;
    case Step::PrevWeek:
        goKeepingColumn(m_leftDate.addDays(-7));
        break;
    case Step::NextWeek:
        goKeepingColumn(m_leftDate.addDays(count + 6));
        break;
    case Step::PrevMonth:
        goKeepingColumn(m_leftDate.addMonths(-1).addDays(count - 1));
        break;
    case Step::NextMonth:
        goKeepingColumn(m_leftDate.addMonths(1).addDays(count - 1));
        break;
    }
    readAheadOfSteps();
}

// The days the next week's step either way would show (they keep the
// focused column: see step()), then the next day either way; read by the
// book once these are painted, while the user looks at them (not at
// start-up, which has other work).
void TDayMode::readAheadOfSteps() const
{
    const int count = m_sked->SkedCount();
    const int column = qMax(0, focusedColumn());
    const QDate next = m_leftDate.addDays(count + 6 - column);
    const QDate previous = m_leftDate.addDays(-7 - column);
    QList<QDate> dates;
    for (int i = 0; i < count; ++i) {
        dates << next.addDays(i);
    }
    for (int i = count - 1; i >= 0; --i) {
        dates << previous.addDays(i);
    }
    dates << m_leftDate.addDays(count) << m_leftDate.addDays(-1);
    runAfterRepaint(m_form.hostWindow(), [&book = m_form.book(), dates] { book.readAhead(dates); });
}

bool TDayMode::goToDate(const QDate& date, std::optional<qint32> id, bool refresh)
{
    const int count = m_sked->SkedCount();
    const sked::TSked* before = m_sked->Skeds(focusedColumn());
    const int line = cursorLine(before);
    if (date < m_leftDate || date > m_leftDate.addDays(count - 1)) {
        if (focusedColumn() < 0) {
            m_sked->setActiveIndex(0);
        }
        showDays(date.addDays(-qMax(0, focusedColumn())));
    } else if (refresh) {
        showDays(m_leftDate);
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
    if (!found && line >= 0) {
        // The keyboard cursor stays on its line, so that the next arrow key
        // moves on from there.
        focusColumn(column, line);
    }
    if (found || sked->FocusRow() >= 0) {
        sked->MakeFocusVisible();
    }
    if (m_form.hostWindow()->isVisible()) {
        sked->setFocus(Qt::OtherFocusReason);
    }
    showStatus();
    return found;
}

void TDayMode::increase()
{
    m_form.ChangeSkedCount(1);
}

void TDayMode::decrease()
{
    m_form.ChangeSkedCount(-1);
}

void TDayMode::setColumnCount(int count)
{
    count = qBound(1, count, kMaxColumns);
    if (count == m_sked->SkedCount()) {
        return;
    }
    const int active = focusedColumn();
    commitInput();
    saveMemoRow();
    m_sked->setSkedCount(count);
    if (m_form.isStarted()) {
        showDays(m_leftDate);
        if (active >= count) {
            focusColumn(count - 1);
        }
    }
}

// Ctrl+U / Ctrl+L / Ctrl+1..7, without Shift or Alt. Ctrl+L and a digit
// that lowers the count swallow the key.
bool TDayMode::shortcut(int key, Qt::KeyboardModifiers mods)
{
    if (!(mods & Qt::ControlModifier) || (mods & Qt::ShiftModifier) || (mods & Qt::AltModifier)) {
        return false;
    }
    if (key == Qt::Key_U) {
        m_form.ChangeSkedCount(1);
        return false;
    }
    if (key == Qt::Key_L) {
        m_form.ChangeSkedCount(-1);
        return true;
    }
    if (key >= Qt::Key_1 && key <= Qt::Key_7) {
        const int count = key - Qt::Key_0;
        const bool lowers = count < m_sked->SkedCount();
        setColumnCount(count);
        m_form.UpdateBanner();
        return lowers;
    }
    return false;
}

QDate TDayMode::currentDate() const
{
    return m_leftDate.addDays(qMax(0, focusedColumn()));
}

std::optional<TSkedRec> TDayMode::selectedRecord() const
{
    const sked::TSked* column = m_sked->Skeds(focusedColumn());
    const TSkedRec* rec = column ? recordOf(column->SelectedItem()) : nullptr;
    return rec ? std::optional<TSkedRec>(*rec) : std::nullopt;
}

// --- memo panes, status and banner ---------------------------------------------------------

// Each pane under the date it was loaded for.
void TDayMode::saveMemoRow()
{
    TMemoPanes& panes = m_form.memoPanes();
    for (int i = 0; i < panes.count(); ++i) {
        panes.save(i);
    }
}

// One pane per column, without a caption bar, in the day view's colours.
void TDayMode::preparePanes()
{
    const monthview::TView* month = m_form.monthView()->View();
    TMemoPanes::Style style;
    style.count = m_sked->SkedCount();
    style.barColor = month->TopBar().Color();
    style.barTextColor = month->TopBar().Font().Color();
    style.color = m_sked->Color();
    style.fontColor = m_form.viewFontColor();
    style.font = m_sked->font();
    m_form.memoPanes().prepare(style);
    layoutPanes();
}

// Each pane exactly under its column; the last one takes the rest.
void TDayMode::layoutPanes()
{
    TMemoPanes& panes = m_form.memoPanes();
    QWidget* area = panes.area();
    for (int i = 0; i < panes.count(); ++i) {
        QWidget* column = m_sked->Skeds(i);
        if (!column) {
            continue;
        }
        QWidget* window = m_form.hostWindow();
        const int x = column->mapTo(window, QPoint(0, 0)).x() - area->mapTo(window, QPoint(0, 0)).x();
        const int width = i + 1 == panes.count() ? area->width() - x : column->width();
        panes.pane(i)->setGeometry(x, 0, width, area->height());
    }
}

// The pane's column becomes the active one, on its focused line (or, when
// there is none, its current line).
void TDayMode::paneFocused(int index)
{
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
    showStatus();
}

// The colour and font of the first day column.
TMainViewMode::PaneLook TDayMode::paneLook() const
{
    const sked::TSked* first = m_sked->Skeds(0);
    return PaneLook{first ? first->Color() : m_sked->Color(), m_form.viewFontColor(),
                    first ? first->font() : m_sked->font()};
}

// Panel 1: the focused column's day and number of schedules; panel 2: the
// selected schedule's span and memo.
void TDayMode::showStatus()
{
    if (!m_active || !m_form.isStarted()) {
        return;
    }
    const int column = focusedColumn();
    sked::TSked* sked = m_sked->Skeds(column);
    if (!sked || column >= m_dayNames.size()) {
        return;
    }
    const QDate date = m_leftDate.addDays(column);
    const QString rokuyo = koyomi::captionText(date, m_form.settings().calendarMarks & koyomi::MarkRokuyo);
    TStatusPanels* status = m_form.statusPanels();
    status->setDayPanel(m_dayNames.at(column) + QStringLiteral(" (") +
                            QString::number(sked->Items().Count()) + QStringLiteral(")") +
                            (rokuyo.isEmpty() ? QString() : QLatin1Char(' ') + rokuyo),
                        m_dayKinds.at(column));
    m_form.showCalendarOf(date);
    const sked::TSkedItem* item = sked->SelectedItem();
    if (item) {
        status->setSchedulePanel(scheduleSpanText(item->StartLine(), item->EndLine(), item->Memo),
                                 item->Font().Color(), item->Font().Style());
    } else {
        status->setSchedulePanel(QString());
    }
}

QString TDayMode::periodText() const
{
    const QString pattern = QStringLiteral("yyyy\"年\"mm\"月\"dd\"日\"");
    return formatDateTime(pattern, m_leftDate) + QStringLiteral("～") +
           formatDateTime(pattern, m_leftDate.addDays(m_sked->SkedCount() - 1));
}

void TDayMode::tick(const QDateTime&)
{
    updateNowMarker();
}

void TDayMode::updateNowMarker()
{
    const QDateTime t = m_form.now();
    const int slot = t.time().hour() * 2 + (t.time().minute() >= 30 ? 1 : 0);
    const qint64 offset = m_leftDate.daysTo(t.date());
    const int column = (m_active && offset >= 0 && offset < m_sked->SkedCount()) ? int(offset) : -1;
    if (slot == m_nowSlot && column == m_nowColumn) {
        return;
    }
    if (sked::TSked* old = m_sked->Skeds(m_nowColumn)) {
        old->View().LeftBar().setHighlightLine(-1);
    }
    if (sked::TSked* sked = m_sked->Skeds(column)) {
        sked->View().LeftBar().setHighlightLine(slot);
    }
    m_nowSlot = slot;
    m_nowColumn = column;
}

// The memo mark of an entry: a small box at the left edge of the ruler,
// x = 1 to 6, on the entry's first line.
void TDayMode::drawMemoMark(sked::TSked* sked, sked::TSkedItem* item, const QRect& rect)
{
    QPainter* p = sked->BufferCanvas();
    if (!p || item->Memo.isEmpty()) {
        return;
    }
    const QRect mark(1, rect.top() + 2, 5, qMax(3, sked->RowHeight() - 3));
    p->save();
    // The items are drawn clipped to their area; the mark stands in the ruler.
    const QRect view = sked->layout().view;
    p->setClipRect(QRect(0, view.top(), view.right() + 1, view.height()));
    p->setPen(toQColor(sked->View().LineColor(), sked->palette()));
    p->setBrush(toQColor(m_form.dayKindColors().MemoMarkColor, sked->palette()));
    p->drawRect(mark.adjusted(0, 0, -1, -1));
    p->restore();
}

// --- view events ---------------------------------------------------------------------

void TDayMode::connectView()
{
    m_sked->OnChange = [this](QObject*) {
        if (!m_filling) {
            colorColumns();
            showStatus();
        }
    };
    m_sked->OnSkedSelectItem = [this](QObject*, sked::TSked*, sked::TLineItem*, sked::TSkedItem*) {
        showStatus();
    };
    m_sked->OnSkedDrawItem = [this](QObject*, sked::TSked* sked, sked::TSkedItem* item, const QRect& rect) {
        drawMemoMark(sked, item, rect);
    };
    m_sked->OnSkedDblClick = [this](QObject*, sked::TSked*) { m_form.commands().editOrAdd(); };
    // The columns take drops of the schedules they show, on a line.
    m_sked->OnSkedDragOver = [this](QObject*, const sked::TSkedDrop& drop) {
        return drop.state != sked::dsDragLeave &&
               itemWithId(m_sked->Skeds(int(m_leftDate.daysTo(drop.item.day))), drop.item.id) != nullptr;
    };
    m_sked->OnSkedDragDrop = [this](QObject*, const sked::TSkedDrop& drop) { dropItem(drop); };
    // The text typed in place and a range changed by a handle drag are
    // written to the day file at once.
    m_sked->OnSkedEdited = [this](QObject*, const QDate& date, qint32 id, const QString& text) {
        return textEdited(date, id, text);
    };
    m_sked->OnSkedLineDrop = [this](QObject*, const QDate& date, qint32 id, int start, int end) {
        linesDropped(date, id, start, end);
    };
    m_sked->OnSkedKeyDown = [this](QObject*, sked::TSked* sked, int& key, Qt::KeyboardModifiers) {
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            key = 0;
            m_form.commands().editOrAdd();
            return;
        }
        const int index = m_sked->ActiveIndex();
        const int last = m_sked->SkedCount() - 1;
        if ((key == Qt::Key_Left && index == 0) || (key == Qt::Key_Right && index == last)) {
            const int line = sked->LineIndex();
            showDays(m_leftDate.addDays(key == Qt::Key_Left ? -1 : 1));
            focusColumn(index, line);
            showStatus();
            key = 0;
        }
    };
    m_sked->OnMouseWheel = [this](QObject*, Qt::KeyboardModifiers, int delta, QPoint, bool& handled) {
        if (delta != 0) {
            m_sked->setTopRow(m_sked->TopRow() + (delta > 0 ? -1 : 1));
        }
        handled = true;
    };
}

} // namespace nox
