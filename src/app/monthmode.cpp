#include "app/monthmode.h"
#include "koyomi/koyomi.h"

#include <QPainter>
#include <QScopedValueRollback>
#include <QTimer>
#include <QWidget>

#include "app/afterrepaint.h"
#include "app/modehost.h"
#include "app/memopanes.h"
#include "app/schedulecommands.h"
#include "app/statuspanels.h"
#include "appearance/style.h"
#include "appearance/ui/styleviews.h"
#include "core/datetime.h"
#include "core/noxsettings.h"
#include "dialogs/occurrencequestion.h"
#include "monthview/monthview.h"
#include "monthview/monthviewinplaceedit.h"
#include "sked/skedcontrol.h"
#include "store/daykind.h"
#include "store/holidays.h"
#include "store/memostore.h"
#include "store/schedulebook.h"
#include "widgets/noxmemo.h"

namespace nox
{

namespace
{
constexpr int kScheduleMemoPane = 0;
constexpr int kDayMemoPane = 1;
constexpr int kPaneBarHeight = 16;

TSkedRec* recordOf(monthview::TMonthViewItem* item)
{
    return item ? &item->Record() : nullptr;
}

// The time of a slot on the day's grid. Kept as a time of the clock on the
// wall, not an instant of local time: a change of daylight saving time never
// shifts it, and making one needs no look into the time zone (a month
// refill makes a hundred).
QDateTime slotDateTime(const QDate& date, int slot)
{
    return QDateTime(date, timeOfSlot(qBound(0, slot, kSlotCount - 1)), Qt::UTC);
}

// A new item at the record's times (recToItem fills in the rest).
monthview::TMonthViewItem* addItemAt(monthview::TMonthViewItems* items, const TSkedRec& rec)
{
    const QDate date = rec.date();
    return items->Add(slotDateTime(date, rec.StartTime), slotDateTime(date, qMax(rec.StartTime, rec.EndTime)));
}
} // namespace

TMonthMode::TMonthMode(TModeHost& form) : m_form(form), m_month(form.monthView())
{
    connectView();
}

QWidget* TMonthMode::view() const
{
    return m_month;
}

TMainViewMode::Look TMonthMode::look() const
{
    return Look{
        QStringLiteral("前月"),           QStringLiteral("次月"), QStringLiteral("罫線を元の位置に戻す"),
        QStringLiteral("時間表示の切替"), QStringLiteral("週"),   true};
}

// --- life ------------------------------------------------------------------------

void TMonthMode::start(const QDate& date)
{
    m_active = true;
    preparePanes();
    goMonth(date);
}

// The day-memo pane is saved under its own date and a changed schedule memo
// into its schedule; the panes are left empty, editable and unchanged for
// the day view.
TMainViewMode::Handover TMonthMode::leave()
{
    saveMemos();
    const monthview::TMonthViewItem* item = m_month->SelectedItem();
    const Handover handover{m_month->SelectedCell() >= 0 ? m_month->SelectedDate() : QDate(),
                            item ? std::optional<qint32>(item->ID()) : std::nullopt};
    m_memoItem = nullptr;
    TMemoPanes& panes = m_form.memoPanes();
    for (int i = 0; i < panes.count(); ++i) {
        panes.load(i, QString());
        panes.pane(i)->setReadOnly(false);
    }
    m_active = false;
    return handover;
}

// The view takes the day view's font and shows the handed-over date, with
// the handed-over schedule selected.
void TMonthMode::enter(const Handover& from)
{
    m_active = true;
    const QDate date = from.date.isValid() ? from.date : m_form.today();
    m_month->setFont(m_form.skedControl()->font());
    preparePanes();
    m_dayMemoDate = QDate();
    m_month->SetCurrentDate(date);
    m_month->SetToday(m_form.today());
    fillItems();
    m_month->SelectCell(m_month->CellOfDate(date));
    m_dayMemoDate = date;
    m_form.memoPanes().loadMemo(kDayMemoPane, date);
    m_month->setFocus(Qt::OtherFocusReason);
    if (from.id) {
        goToDate(date, from.id, false);
    } else {
        selectionChanged();
    }
}

void TMonthMode::saveMemos()
{
    m_form.memoPanes().commitComposition();
    saveDayMemoPane();
    saveScheduleMemoPane();
}

// --- filling and writing back ----------------------------------------------------------

void TMonthMode::fill()
{
    saveDayMemoPane();
    goMonth(m_month->CurrentDate());
}

void TMonthMode::fillItems()
{
    // What is typed goes where it was typed before the items are freed:
    // the input method's composition, an open in-place edit, and the
    // schedule memo pane (it refers to an item).
    m_form.memoPanes().commitComposition();
    if (m_month->IsEditing()) {
        m_month->InplaceEdit()->Accept();
    }
    saveScheduleMemoPane();
    const QDate first = m_month->CellDate(0);
    m_memoDays.clear();
    const QList<bool> memos = m_form.memoStore().hasMemos(first, monthview::kCellCount);
    for (int n = 0; n < memos.size(); ++n) {
        if (memos.at(n)) {
            m_memoDays.insert(first.addDays(n));
        }
    }
    monthview::TMonthViewItems* items = m_month->Items();
    items->BeginUpdate();
    m_memoItem = nullptr;
    items->Clear();
    for (int n = 0; n < monthview::kCellCount; ++n) {
        const BookDay day = m_form.book().day(first.addDays(n), m_form.categoryFilter());
        for (const TSkedRec& rec : day.records) {
            recToItem(rec, addItemAt(items, rec));
        }
        m_form.NoteDayProblems(day);
    }
    items->EndUpdate();
    m_form.ShowLoadNotices();
}

void TMonthMode::recToItem(const TSkedRec& rec, monthview::TMonthViewItem* item) const
{
    const QDate date = rec.date();
    item->SetColor(m_form.dayKindColors().SkedBKColor);
    item->SetStartDateTime(slotDateTime(date, rec.StartTime));
    item->SetEndDateTime(slotDateTime(date, qMax(rec.StartTime, rec.EndTime)));
    item->SetText(skedFirstLine(rec.Text));
    item->SetMemo(skedFirstLine(rec.Memo));
    item->SetMemoMark(!item->Memo().isEmpty());
    item->Font().setColor(rec.TextColor);
    item->Font().setStyle(rec.FontStyle & (fsBold | fsItalic | fsUnderline | fsStrikeOut));
    item->SetImageIndex(rec.ImageIndex);
    item->SetID(rec.ID);
    item->SetCategory(rec.Category);
    item->Record() = rec;
}

bool TMonthMode::saveDay(const QDate& date)
{
    return saveDay(date, {});
}

// The lines come from the items of that date (the items stand in date order).
bool TMonthMode::saveDay(const QDate& date, const QList<TAlarmUpdate>& alarms)
{
    QList<TSkedRec> records;
    for (int i = 0; i < m_month->Items()->Count(); ++i) {
        monthview::TMonthViewItem* item = m_month->Items()->Item(i);
        if (item->Day() > date) {
            break;
        }
        if (const TSkedRec* rec = recordOf(item); rec && item->Day() == date) {
            records << *rec;
        }
    }
    const BookResult saved = m_form.book().saveDay(date, records, m_form.categoryFilter(), alarms);
    if (!saved.ok()) {
        reloadLater();
        m_form.ReportFailure(saved);
    }
    return saved.ok();
}

// Later, because a failed write may come from inside an event of the view
// that still uses its items.
void TMonthMode::reloadLater()
{
    QTimer::singleShot(0, m_form.hostWindow(), [this] {
        if (m_active) {
            m_memoItem = nullptr; // its memo cannot be written into a schedule read again
            fill();
        }
    });
}

std::optional<OccurrenceScope> TMonthMode::askScope(bool removal)
{
    QWidget* window = m_form.hostWindow();
    return askOccurrenceScope(window, window ? window->windowTitle() : QString(),
                              removal ? occurrenceRemoveQuestion() : occurrenceChangeQuestion());
}

void TMonthMode::occurrencesChanged(const BookResult& result)
{
    reloadLater();
    if (!result.ok()) {
        m_form.ReportFailure(result);
    }
    selectionChanged();
}

monthview::TMonthViewItem* TMonthMode::itemWithId(const QDate& date, qint32 id) const
{
    for (int i = 0; i < m_month->Items()->Count(); ++i) {
        monthview::TMonthViewItem* item = m_month->Items()->Item(i);
        if (item->ID() == id && item->Day() == date) {
            return item;
        }
    }
    return nullptr;
}

// --- the schedule commands ------------------------------------------------------------

QDate TMonthMode::selectedDate() const
{
    return m_month->SelectedDate();
}

TSkedRec TMonthMode::newRecord() const
{
    return newScheduleAt(selectedDate(), m_form.settings().mvDefaultTime, m_month->FontColor(),
                         fontStylesOf(m_month->font()));
}

void TMonthMode::beforeEdit()
{
    saveScheduleMemoPane();
}

void TMonthMode::afterEditor(const TSkedRec& rec, const std::optional<TSkedRec>& old)
{
    afterEdit(rec, old ? itemWithId(old->date(), old->ID) : nullptr);
}

bool TMonthMode::changeSelected(const TSkedRec& rec, const QList<TAlarmUpdate>& alarms)
{
    monthview::TMonthViewItem* item = m_month->SelectedItem();
    if (!item) {
        return false;
    }
    recToItem(rec, item);
    const bool saved = saveDay(rec.date(), alarms);
    showStatus();
    return saved;
}

// A schedule memo typed for the removed schedule goes with it.
bool TMonthMode::removeSelected(const QList<TAlarmUpdate>& alarms)
{
    monthview::TMonthViewItem* item = m_month->SelectedItem();
    if (!item) {
        return false;
    }
    if (item->Record().isOccurrence()) {
        const std::optional<OccurrenceScope> scope = askScope(true);
        if (!scope) {
            return false;
        }
        const BookResult removed = m_form.book().removeOccurrence(*scope, item->Record());
        occurrencesChanged(removed);
        return removed.ok();
    }
    const QDate date = item->Day();
    if (m_memoItem == item) {
        m_form.memoPanes().settle(kScheduleMemoPane);
        m_memoItem = nullptr;
    }
    m_month->Items()->Delete(m_month->Items()->IndexOf(item));
    const bool saved = saveDay(date, alarms);
    selectionChanged();
    return saved;
}

// On the selected date, its times kept.
bool TMonthMode::placePasted(const TSkedRec& rec)
{
    monthview::TMonthViewItem* item = addItemAt(m_month->Items(), rec);
    recToItem(rec, item);
    m_month->SelectItem(item);
    const bool saved = saveDay(rec.date(), {TAlarmUpdate{rec, amStoredAgain}});
    selectionChanged();
    return saved;
}

// The book moves or copies the one schedule: a move across days writes the
// new day before the old one, so that a failure can leave the schedule twice
// but never lose it. A drop on its own day changes nothing.
void TMonthMode::dropItem(const monthview::TMonthViewDrop& drop)
{
    monthview::TMonthViewItem* item = itemWithId(drop.item.day, drop.item.id);
    const TSkedRec* dragged = recordOf(item);
    if (!dragged || !drop.to.isValid()) {
        return;
    }
    TSkedRec rec = *dragged;
    rec.setDate(drop.to);
    if (drop.copy) {
        const BookResult copied = m_form.book().copy(rec);
        if (copied->record) {
            recToItem(*copied->record, addItemAt(m_month->Items(), *copied->record));
        }
        if (!copied.ok()) {
            reloadLater();
            m_form.ReportFailure(copied);
        }
    } else if (drop.to != drop.item.day && dragged->isOccurrence()) {
        if (const std::optional<OccurrenceScope> scope = askScope(false)) {
            occurrencesChanged(m_form.book().changeOccurrence(*scope, *dragged, rec));
        }
    } else if (drop.to != drop.item.day) {
        const BookResult moved = m_form.book().move(drop.item.day, drop.item.id, rec);
        if (moved->record) {
            m_month->SetItemIndex(-1);
            recToItem(*moved->record, item);
            m_month->SelectCell(m_month->CellOfDate(drop.to));
        }
        if (!moved.ok()) {
            reloadLater();
            m_form.ReportFailure(moved);
        }
    } else {
        m_month->SelectCell(m_month->CellOfDate(drop.to));
    }
    selectionChanged();
}

// Only the first line is edited in place; the other lines stay. An empty
// line is refused: the item keeps the text it had.
QString TMonthMode::textEdited(const QDate& date, qint32 id, const QString& text)
{
    monthview::TMonthViewItem* item = itemWithId(date, id);
    TSkedRec* rec = recordOf(item);
    if (!rec) {
        return text;
    }
    if (text.isEmpty()) {
        return skedFirstLine(rec->Text);
    }
    // The day is written as a whole: a change another program made to it
    // meanwhile is merged, and the view reads it again.
    if (rec->isOccurrence()) {
        const std::optional<OccurrenceScope> scope = askScope(false);
        if (!scope) {
            return skedFirstLine(rec->Text);
        }
        TSkedRec changed = *rec;
        changed.Text = replaceSkedFirstLine(rec->Text, text);
        occurrencesChanged(m_form.book().changeOccurrence(*scope, *rec, changed));
        return skedFirstLine(changed.Text);
    }
    rec->Text = replaceSkedFirstLine(rec->Text, text);
    (void)saveDay(date);
    return skedFirstLine(rec->Text);
}

void TMonthMode::enterPressed()
{
    TMemoPanes& panes = m_form.memoPanes();
    if (m_active && panes.pane(kScheduleMemoPane)) {
        panes.settle(kScheduleMemoPane);
    }
    m_form.commands().editOrAdd();
}

void TMonthMode::afterEdit(const TSkedRec& rec, monthview::TMonthViewItem* oldItem)
{
    const QString filter = m_form.categoryFilter();
    const bool passes = filter.isEmpty() || rec.Category.isEmpty() || rec.Category == filter;
    if (oldItem && !passes) {
        if (m_memoItem == oldItem) {
            m_memoItem = nullptr;
        }
        m_month->Items()->Delete(m_month->Items()->IndexOf(oldItem));
    } else if (oldItem) {
        recToItem(rec, oldItem);
    } else if (passes) {
        monthview::TMonthViewItem* item = addItemAt(m_month->Items(), rec);
        recToItem(rec, item);
        m_month->SelectItem(item);
    }
    selectionChanged();
}

// --- navigation ----------------------------------------------------------------------

void TMonthMode::goMonth(const QDate& date)
{
    {
        // The view tells of the new month and of the selected cell as they
        // change; all of it is answered once, below.
        const QScopedValueRollback moving(m_moving, true);
        m_month->SetCurrentDate(date);
        m_month->SetToday(m_form.today());
        fillItems();
        const int cell = m_month->CellOfDate(date);
        if (cell >= 0 && !m_month->SelectedItem()) {
            m_month->SelectCell(cell);
        }
    }
    m_form.UpdateBanner();
    selectionChanged();
}

// The week commands have no meaning here.
void TMonthMode::step(Step step)
{
    switch (step) {
    case Step::PrevDay:
    case Step::PrevMonth:
        goMonth(m_month->CurrentDate().addMonths(-1));
        break;
    case Step::NextDay:
    case Step::NextMonth:
        goMonth(m_month->CurrentDate().addMonths(1));
        break;
    case Step::PrevWeek:
    case Step::NextWeek:
        return;
    }
    // What the next step either way would show (a month's step moves the
    // grid by four or five weeks), read once this one is painted, while the
    // user looks at it; not at start-up, which has other work.
    const QDate first = m_month->CellDate(0);
    const QDate last = m_month->CellDate(monthview::kCellCount - 1);
    runAfterRepaint(m_form.hostWindow(), [&book = m_form.book(), first, last] { book.readAround(first, last, 35); });
}

bool TMonthMode::goToDate(const QDate& date, std::optional<qint32> id, bool)
{
    goMonth(date);
    bool found = false;
    for (int i = 0; id && i < m_month->Items()->Count(); ++i) {
        monthview::TMonthViewItem* item = m_month->Items()->Item(i);
        if (item->ID() == *id && item->Day() == date) {
            m_month->SelectItem(item);
            found = true;
            break;
        }
    }
    selectionChanged();
    return found;
}

// "罫線を元の位置に戻す"
void TMonthMode::increase()
{
    m_month->ResetRates();
}

// "時間表示の切替": none → start → span → none.
void TMonthMode::decrease()
{
    const int next = (int(m_month->View()->TimeViewStyle()) + 1) % 3;
    m_month->View()->SetTimeViewStyle(monthview::TMonthTimeViewStyle(next));
}

// Kept for the day view, which shows it when it comes back.
void TMonthMode::setColumnCount(int count)
{
    m_form.skedControl()->setSkedCount(qBound(1, count, 7));
}

bool TMonthMode::shortcut(int, Qt::KeyboardModifiers)
{
    return false;
}

QDate TMonthMode::currentDate() const
{
    return m_month->CurrentDate();
}

std::optional<TSkedRec> TMonthMode::selectedRecord() const
{
    const TSkedRec* rec = recordOf(m_month->SelectedItem());
    return rec ? std::optional<TSkedRec>(*rec) : std::nullopt;
}

// --- memo panes, status and banner ---------------------------------------------------------

void TMonthMode::saveDayMemoPane()
{
    TMemoPanes& panes = m_form.memoPanes();
    if (!m_active || !panes.pane(kDayMemoPane) || !m_dayMemoDate.isValid()) {
        return;
    }
    panes.save(kDayMemoPane);
    if (m_month->CellOfDate(m_dayMemoDate) < 0) {
        return;
    }
    const bool has = !panes.pane(kDayMemoPane)->Text().isEmpty();
    if (has != m_memoDays.contains(m_dayMemoDate)) {
        if (has) {
            m_memoDays.insert(m_dayMemoDate);
        } else {
            m_memoDays.remove(m_dayMemoDate);
        }
        m_month->update();
    }
}

// A changed schedule memo goes back into its schedule: its lines are
// replaced in one write of its day file, and its alarms are entered again.
void TMonthMode::saveScheduleMemoPane()
{
    TMemoPanes& panes = m_form.memoPanes();
    if (!m_active || !panes.changed(kScheduleMemoPane) || !m_memoItem) {
        return;
    }
    TSkedRec* rec = recordOf(m_memoItem);
    panes.settle(kScheduleMemoPane);
    if (!rec) {
        return;
    }
    TSkedRec changed = *rec;
    changed.Memo = escapeSkedText(panes.pane(kScheduleMemoPane)->Text());
    const BookResult saved = m_form.book().replace(rec->date(), rec->ID, changed, amStoredAgain);
    if (!saved.ok()) {
        m_form.ReportFailure(saved);
    }
    if (saved->record) {
        recToItem(*saved->record, m_memoItem);
    }
}

void TMonthMode::selectionChanged()
{
    TMemoPanes& panes = m_form.memoPanes();
    if (!m_active || panes.count() < 2) {
        return;
    }
    saveMemos();
    const QDate date = m_month->SelectedDate().isValid() ? m_month->SelectedDate() : m_month->CurrentDate();
    panes.loadMemo(kDayMemoPane, date);
    m_dayMemoDate = date;
    m_memoItem = m_month->SelectedItem();
    const TSkedRec* rec = recordOf(m_memoItem);
    panes.load(kScheduleMemoPane, rec ? unescapeSkedText(rec->Memo) : QString());
    if (!rec) {
        panes.pane(kScheduleMemoPane)->setReadOnly(true);
    }
    showStatus();
}

// Panel 1: the selected date's day and its number of schedules; panel 2: the
// selected schedule's span and memo line.
void TMonthMode::showStatus()
{
    if (!m_active) {
        return;
    }
    const QDate date = m_month->SelectedDate().isValid() ? m_month->SelectedDate() : m_month->CurrentDate();
    // The schedules of the day from the selected one onwards in item order;
    // none while no schedule is selected.
    int count = 0;
    const int selected = m_month->Items()->IndexOf(m_month->SelectedItem());
    for (int i = qMax(0, selected); selected >= 0 && i < m_month->Items()->Count(); ++i) {
        count += m_month->Items()->Item(i)->Day() == date ? 1 : 0;
    }
    const DayNameAndKind day = dayNameAndKind(date, m_form.holidays());
    const monthview::TView* view = m_month->View();
    const TColor background = day.kind == dkHoliday    ? view->HolidayBKColor()
                              : day.kind == dkSunday   ? view->SundayBKColor()
                              : day.kind == dkSaturday ? view->SaturdayBKColor()
                                                       : view->WeekDayBKColor();
    const QString rokuyo = koyomi::captionText(date, m_form.settings().calendarMarks & koyomi::MarkRokuyo);
    TStatusPanels* status = m_form.statusPanels();
    status->setDayPanel(day.name + QStringLiteral(" (") + QString::number(count) + QStringLiteral(")") +
                            (rokuyo.isEmpty() ? QString() : QLatin1Char(' ') + rokuyo),
                        day.kind, background);
    m_form.showCalendarOf(date);
    const monthview::TMonthViewItem* item = m_month->SelectedItem();
    const TSkedRec* rec = recordOf(m_month->SelectedItem());
    if (rec) {
        status->setSchedulePanel(scheduleSpanText(rec->StartTime, rec->EndTime, item->Memo()), rec->TextColor,
                                 rec->FontStyle);
    } else {
        status->setSchedulePanel(QString());
    }
}

// The schedule memo and the day memo, captioned, in the colour of the
// month view's entries.
void TMonthMode::preparePanes()
{
    const monthview::TView* view = m_month->View();
    TMemoPanes::Style style;
    style.count = 2;
    style.captions = {QStringLiteral("スケジュールメモ"), QStringLiteral("日別メモ")};
    style.barHeight = kPaneBarHeight;
    style.barColor = view->TopBar().Color();
    style.barTextColor = view->TopBar().Font().Color();
    style.color = m_form.dayKindColors().SkedBKColor;
    style.fontColor = m_form.viewFontColor();
    style.font = m_form.skedControl()->font();
    m_form.memoPanes().prepare(style);
    layoutPanes();
}

// Two halves of the window's width; the last one takes the rest.
void TMonthMode::layoutPanes()
{
    TMemoPanes& panes = m_form.memoPanes();
    const int w = panes.area()->width();
    const int h = panes.area()->height();
    for (int i = 0; i < panes.count(); ++i) {
        const int x = i * (w / 2);
        panes.pane(i)->setGeometry(x, 0, i + 1 == panes.count() ? w - x : w / 2, h);
    }
}

void TMonthMode::paneFocused(int) {}

// The schedule background of the style and the month view's font.
TMainViewMode::PaneLook TMonthMode::paneLook() const
{
    return PaneLook{m_form.dayKindColors().SkedBKColor, m_month->FontColor(), m_month->font()};
}

QString TMonthMode::periodText() const
{
    return formatDateTime(QStringLiteral("yyyy\"年\"mm\"月\""), m_month->CurrentDate());
}

void TMonthMode::tick(const QDateTime& now)
{
    if (m_month->Today() != now.date()) {
        m_month->SetToday(now.date());
    }
}

// The corner triangle of a day that has a day memo.
void TMonthMode::drawMemoDay(const QDate& date, const QRect& rect)
{
    QPainter* p = m_month->Canvas();
    if (!p || !m_memoDays.contains(date)) {
        return;
    }
    PaintDayMemoMark(*p, rect, toQColor(m_form.dayKindColors().DayMemoMarkColor, m_month->palette()));
}

// --- view events ---------------------------------------------------------------------

void TMonthMode::connectView()
{
    m_month->OnSelectItem = [this](QObject*, const QDate&, std::optional<qint32>) {
        if (!m_moving) {
            selectionChanged();
        }
    };
    m_month->OnDrawItem = [this](QObject*, const QDate& date, const QRect& rect) { drawMemoDay(date, rect); };
    m_month->OnChangeMonth = [this](QObject*) {
        if (m_active && m_form.isStarted() && !m_moving) {
            fillItems();
            m_form.UpdateBanner();
            selectionChanged();
        }
    };
    m_month->OnExpandClick = [this](QObject*, const QDate& date) {
        m_month->SelectCell(m_month->CellOfDate(date));
        m_form.SwitchViewClick();
    };
    m_month->OnEdited = [this](QObject*, const QDate& date, qint32 id, const QString& text) {
        return textEdited(date, id, text);
    };
    // Not while the pointer shows a sizing cursor of the grid lines.
    m_month->OnDblClick = [this](QObject*) {
        if (m_month->SizingState() == monthview::TSizingState::None) {
            m_form.commands().editOrAdd();
        }
    };
    m_month->OnKeyDown = [this](QObject*, int key, Qt::KeyboardModifiers) {
        if (key != Qt::Key_Return && key != Qt::Key_Enter) {
            return false;
        }
        enterPressed();
        return true;
    };
    // The view takes drops of its own schedules only, onto a day.
    m_month->OnDragOver = [this](QObject*, const monthview::TMonthViewDrop& drop) {
        return drop.to.isValid() && itemWithId(drop.item.day, drop.item.id) != nullptr;
    };
    m_month->OnDragDrop = [this](QObject*, const monthview::TMonthViewDrop& drop) { dropItem(drop); };
}

} // namespace nox
