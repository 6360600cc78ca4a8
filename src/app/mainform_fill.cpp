// TNoxMainForm: records to view items and back, loading and saving days,
// filling the month view, colouring the day columns, memo marks, and the
// refresh after the schedule editor.
#include <QPainter>

#include "alarm/alarmcenter.h"
#include "app/datebanner.h"
#include "app/mainform.h"
#include "app/statuspanels.h"
#include "appearance/ui/styleviews.h"
#include "monthview/monthview.h"
#include "sked/skedcontrol.h"
#include "store/dayfile.h"
#include "store/daykind.h"
#include "widgets/noxmemo.h"

namespace nox
{

namespace
{
constexpr int kMonthCells = 42;

// Text up to its first escaped line break.
QString firstLine(const QString& escaped)
{
    const int cut = escaped.indexOf(QStringLiteral("#13#10"));
    return cut < 0 ? escaped : escaped.left(cut);
}

QDateTime slotDateTime(const QDate& date, int slot)
{
    return QDateTime(date, QTime(qBound(0, slot, 47) / 2, (slot % 2) * 30));
}

bool passesFilter(const QString& category, const QString& filter)
{
    return filter.isEmpty() || category.isEmpty() || category == filter;
}
} // namespace

// --- records and items ---------------------------------------------------------

void TNoxMainForm::RecToSkedItem(TSkedRec* rec, sked::TSkedItem* item) const
{
    item->setStartLine(qBound(0, rec->StartTime, 47));
    item->setEndLine(qBound(item->StartLine(), rec->EndTime, 47));
    item->setText(unescapeSkedText(rec->Text));
    item->Memo = unescapeSkedText(rec->Memo);
    item->Font().setColor(rec->TextColor);
    item->Font().setStyle(rec->FontStyle & (fsBold | fsItalic | fsUnderline | fsStrikeOut));
    item->setLineColor(rec->LineColor);
    item->setImageIndex(rec->ImageIndex);
    item->ID = rec->ID;
    item->Category = rec->Category;
    item->Data = rec;
}

void TNoxMainForm::RecToMonthItem(TSkedRec* rec, monthview::TMonthViewItem* item) const
{
    const QDate date = rec->date();
    item->SetColor(m_dayKindColors.SkedBKColor);
    item->SetStartDateTime(slotDateTime(date, rec->StartTime));
    item->SetEndDateTime(slotDateTime(date, qMax(rec->StartTime, rec->EndTime)));
    item->SetText(firstLine(rec->Text));
    item->SetMemo(firstLine(rec->Memo));
    item->SetMemoMark(!item->Memo().isEmpty());
    item->Font().SetColor(rec->TextColor);
    item->Font().SetStyle(rec->FontStyle & (fsBold | fsItalic | fsUnderline | fsStrikeOut));
    item->SetImageIndex(rec->ImageIndex);
    item->SetID(rec->ID);
    item->SetCategory(rec->Category);
    item->SetData(rec);
}

// --- day view ------------------------------------------------------------------------

void TNoxMainForm::clearSkedColumn(int column)
{
    sked::TSked* sked = m_sked->Skeds(column);
    if (!sked) {
        return;
    }
    sked::TSkedItems& items = sked->Items();
    items.BeginUpdate();
    for (int i = 0; i < items.Count(); ++i) {
        delete static_cast<TSkedRec*>(items.Items(i)->Data);
        items.Items(i)->Data = nullptr;
    }
    items.Clear();
    items.EndUpdate();
}

void TNoxMainForm::LoadDay(int column, const QDate& date)
{
    sked::TSked* sked = m_sked->Skeds(column);
    if (!sked) {
        return;
    }
    sked::TSkedItems& items = sked->Items();
    items.BeginUpdate();
    clearSkedColumn(column);
    const TDayLoadResult day = loadDay(m_dataFolder, date, m_settings.categoryFilter);
    for (const TSkedRec& loaded : day.records) {
        auto* rec = new TSkedRec(loaded);
        auto* item = new sked::TSkedItem(&items);
        RecToSkedItem(rec, item);
        items.Add(item);
    }
    items.EndUpdate();
}

void TNoxMainForm::SaveSkedColumn(int column)
{
    sked::TSked* sked = m_sked->Skeds(column);
    if (!sked) {
        return;
    }
    QList<TSkedRec*> records;
    for (int i = 0; i < sked->Items().Count(); ++i) {
        if (auto* rec = static_cast<TSkedRec*>(sked->Items().Items(i)->Data)) {
            records << rec;
        }
    }
    saveDay(m_dataFolder, m_leftDate.addDays(column), records, m_settings.categoryFilter);
}

// Ruler colours by the kind of day; the focused column's header in the focus colours.
void TNoxMainForm::ColorColumns()
{
    sked::TView& master = m_sked->View();
    m_dayNames.resize(skedCount());
    m_dayKinds.resize(skedCount());
    for (int i = 0; i < skedCount(); ++i) {
        sked::TView& view = m_sked->Skeds(i)->View();
        const DayNameAndKind day = dayNameAndKind(m_leftDate.addDays(i), m_holidays);
        m_dayNames[i] = day.name;
        m_dayKinds[i] = day.kind;
        const bool focused = i == focusedColumn();
        view.TopBar().setColor(focused ? master.FocusStyle().Color() : master.TopBar().Color());
        view.TopBar().Font().setColor(focused ? master.FocusStyle().Font().Color()
                                              : master.TopBar().Font().Color());
        TColor bk = master.LeftBar().Color();
        TColor fg = master.LeftBar().Font().Color();
        if (day.kind == dkHoliday) {
            bk = m_dayKindColors.HolidayBKColor;
            fg = m_dayKindColors.HolidayFGColor;
        } else if (day.kind == dkSunday) {
            bk = m_dayKindColors.SundayBKColor;
            fg = m_dayKindColors.SundayFGColor;
        } else if (day.kind == dkSaturday) {
            bk = m_dayKindColors.SaturdayBKColor;
            fg = m_dayKindColors.SaturdayFGColor;
        }
        view.LeftBar().setColor(bk);
        view.LeftBar().Font().setColor(fg);
    }
}

// Status panels 1 and 2 for the focused column.
void TNoxMainForm::showDayStatus()
{
    if (m_viewMode != vmDay || !m_started) {
        return;
    }
    const int column = focusedColumn();
    sked::TSked* sked = m_sked->Skeds(column);
    if (!sked || column >= m_dayNames.size()) {
        return;
    }
    m_status->setDayPanel(m_dayNames.at(column) + QStringLiteral(" (") +
                              QString::number(sked->Items().Count()) + QStringLiteral(")"),
                          m_dayKinds.at(column));
    const sked::TSkedItem* item = sked->SelectedItem();
    if (item) {
        m_status->setSchedulePanel(scheduleSpanText(item->StartLine(), item->EndLine(), item->Memo),
                                   item->Font().Color(), item->Font().Style());
    } else {
        m_status->setSchedulePanel(QString());
    }
}

void TNoxMainForm::skedSelectItem(sked::TSked*, sked::TSkedItem*)
{
    showDayStatus();
}

// The memo mark of a day-view entry: a small box at the item's left.
void TNoxMainForm::skedDrawItem(sked::TSked* sked, sked::TSkedItem* item, const QRect& rect)
{
    QPainter* p = sked->BufferCanvas();
    if (!p || item->Memo.isEmpty()) {
        return;
    }
    // In the gutter between the time bar and the text, so no letter is covered.
    const QRect mark(rect.left() - 4, rect.top() + 2, 5, qMax(3, sked->RowHeight() - 3));
    p->save();
    p->setPen(toQColor(sked->View().LineColor(), sked->palette()));
    p->setBrush(toQColor(m_dayKindColors.MemoMarkColor, sked->palette()));
    p->drawRect(mark.adjusted(0, 0, -1, -1));
    p->restore();
}

// --- month view ------------------------------------------------------------------------

void TNoxMainForm::clearMonthItems()
{
    monthview::TMonthViewItems* items = m_month->Items();
    items->BeginUpdate();
    for (int i = 0; i < items->Count(); ++i) {
        delete static_cast<TSkedRec*>(items->Item(i)->Data());
        items->Item(i)->SetData(nullptr);
    }
    m_memoItem = nullptr;
    items->Clear();
    items->EndUpdate();
}

void TNoxMainForm::FillMonthView()
{
    // The schedule memo pane refers to an item that the refill frees.
    saveScheduleMemoPane();
    const QDate first = m_month->CellDate(0);
    m_memoDays.clear();
    for (int n = 0; n < kMonthCells; ++n) {
        if (m_memoStore.hasMemo(first.addDays(n))) {
            m_memoDays << n;
        }
    }
    monthview::TMonthViewItems* items = m_month->Items();
    items->BeginUpdate();
    clearMonthItems();
    for (int n = 0; n < kMonthCells; ++n) {
        const TDayLoadResult day = loadDay(m_dataFolder, first.addDays(n), m_settings.categoryFilter);
        for (const TSkedRec& loaded : day.records) {
            auto* rec = new TSkedRec(loaded);
            RecToMonthItem(rec, items->Add());
        }
    }
    items->EndUpdate();
}

void TNoxMainForm::SaveMonthDay(const QDate& date)
{
    QList<TSkedRec*> records;
    for (int i = 0; i < m_month->Items()->Count(); ++i) {
        const monthview::TMonthViewItem* item = m_month->Items()->Item(i);
        if (item->Day() > date) {
            break;
        }
        if (item->Day() == date && item->Data()) {
            records << static_cast<TSkedRec*>(item->Data());
        }
    }
    saveDay(m_dataFolder, date, records, m_settings.categoryFilter);
}

// The corner triangle of a day that has a day memo.
void TNoxMainForm::monthDrawItem(int cell, const QRect& rect)
{
    QPainter* p = m_month->Canvas();
    if (!p || !m_memoDays.contains(cell)) {
        return;
    }
    PaintDayMemoMark(*p, rect, toQColor(m_dayKindColors.DayMemoMarkColor, m_month->palette()));
}

// --- refresh after the editor -------------------------------------------------------

void TNoxMainForm::AfterDayEdit(TSkedRec* rec, sked::TSkedItem* oldItem)
{
    const QString filter = m_settings.categoryFilter;
    const bool passes = passesFilter(rec->Category, filter);
    if (oldItem) {
        auto* oldRec = static_cast<TSkedRec*>(oldItem->Data);
        const bool sameDate = oldRec && oldRec->date() == rec->date();
        if (sameDate && passes) {
            if (oldRec != rec) {
                copySkedRec(*rec, oldRec);
                delete rec;
                rec = oldRec;
            }
            RecToSkedItem(rec, oldItem);
            if (auto* column = static_cast<sked::TSked*>(oldItem->Sked())) {
                column->SelectItem(oldItem);
            }
            showDayStatus();
            return;
        }
        sked::TSkedItems* owner = oldItem->Owner();
        if (oldRec != rec) {
            delete oldRec;
        }
        oldItem->Data = nullptr;
        owner->Delete(owner->IndexOf(oldItem));
    }
    const qint64 column = m_leftDate.daysTo(rec->date());
    if (column < 0 || column >= skedCount() || !passes) {
        delete rec;
        showDayStatus();
        return;
    }
    sked::TSked* sked = m_sked->Skeds(int(column));
    auto* item = new sked::TSkedItem(&sked->Items());
    RecToSkedItem(rec, item);
    sked->Items().Add(item);
    focusColumn(int(column));
    sked->SelectItem(item);
    showDayStatus();
}

void TNoxMainForm::AfterMonthEdit(TSkedRec* rec, monthview::TMonthViewItem* oldItem)
{
    const bool passes = passesFilter(rec->Category, m_settings.categoryFilter);
    if (oldItem) {
        auto* oldRec = static_cast<TSkedRec*>(oldItem->Data());
        if (!passes) {
            if (oldRec != rec) {
                delete oldRec;
            }
            delete rec;
            if (m_memoItem == oldItem) {
                m_memoItem = nullptr;
            }
            oldItem->SetData(nullptr);
            m_month->Items()->Delete(m_month->Items()->IndexOf(oldItem));
        } else {
            if (oldRec && oldRec != rec) {
                copySkedRec(*rec, oldRec);
                delete rec;
                rec = oldRec;
            }
            RecToMonthItem(rec, oldItem);
        }
    } else if (passes) {
        RecToMonthItem(rec, m_month->Items()->Add());
    } else {
        delete rec;
    }
    monthSelectionChanged();
}

void TNoxMainForm::RefreshView()
{
    if (m_viewMode == vmDay) {
        ShowDays(m_leftDate);
        showDayStatus();
    } else {
        saveDayMemoPane();
        goMonthView(m_month->CurrentDate());
    }
}

// --- view events ---------------------------------------------------------------------

void TNoxMainForm::connectViews()
{
    m_sked->OnChange = [this](QObject*) {
        if (!m_fillingDays) {
            ColorColumns();
            showDayStatus();
        }
    };
    m_sked->OnSkedSelectItem = [this](QObject*, sked::TSked* sked, sked::TLineItem*, sked::TSkedItem* item) {
        skedSelectItem(sked, item);
    };
    m_sked->OnSkedDrawItem = [this](QObject*, sked::TSked* sked, sked::TSkedItem* item, const QRect& rect) {
        skedDrawItem(sked, item, rect);
    };
    m_sked->OnSkedDblClick = [this](QObject*, sked::TSked*) {
        if (OnAddSchedule) {
            OnAddSchedule(this);
        }
    };
    // The text typed in place and a range changed by a handle drag are
    // written to the day file at once.
    m_sked->OnSkedEdited = [this](QObject*, sked::TSked*, sked::TSkedItem* item, QString& text) {
        if (auto* rec = static_cast<TSkedRec*>(item->Data)) {
            rec->Text = escapeSkedText(text);
            text = unescapeSkedText(rec->Text);
            SaveSkedColumn(int(m_leftDate.daysTo(rec->date())));
        }
    };
    m_sked->OnSkedLineDrop = [this](QObject*, sked::TSked*, sked::TSkedItem* item) {
        if (auto* rec = static_cast<TSkedRec*>(item->Data)) {
            rec->StartTime = item->StartLine();
            rec->EndTime = item->EndLine();
            SaveSkedColumn(int(m_leftDate.daysTo(rec->date())));
            m_alarms->UpdateScheduleAlarms(*rec, 0);
            showDayStatus();
        }
    };
    m_sked->OnSkedKeyDown = [this](QObject*, sked::TSked* sked, int& key, Qt::KeyboardModifiers) {
        const int index = m_sked->ActiveIndex();
        const int last = skedCount() - 1;
        if ((key == Qt::Key_Left && index == 0) || (key == Qt::Key_Right && index == last)) {
            const int line = sked->LineIndex();
            ShowDays(m_leftDate.addDays(key == Qt::Key_Left ? -1 : 1));
            focusColumn(index, line);
            showDayStatus();
            key = 0;
        }
    };
    m_sked->OnMouseWheel = [this](QObject*, Qt::KeyboardModifiers, int delta, QPoint, bool& handled) {
        if (delta != 0) {
            m_sked->setTopRow(m_sked->TopRow() + (delta > 0 ? -1 : 1));
        }
        handled = true;
    };

    m_month->OnSelectItem = [this](QObject*, int, monthview::TMonthViewItem*) { monthSelectionChanged(); };
    m_month->OnDrawItem = [this](QObject*, int cell, const QRect& rect) { monthDrawItem(cell, rect); };
    m_month->OnChangeMonth = [this](QObject*) {
        if (m_viewMode == vmMonth && m_started) {
            FillMonthView();
            updateBanner();
            monthSelectionChanged();
        }
    };
    m_month->OnExpandClick = [this](QObject*, int cell) {
        m_month->SelectCell(cell);
        SwitchViewClick();
    };
    m_month->OnEdited = [this](QObject*, monthview::TMonthViewItem* item, QString& text) {
        if (auto* rec = static_cast<TSkedRec*>(item->Data())) {
            // Only the first line is edited in place; the other lines stay.
            const int cut = rec->Text.indexOf(QStringLiteral("#13#10"));
            rec->Text = escapeSkedText(text) + (cut < 0 ? QString() : rec->Text.mid(cut));
            SaveMonthDay(rec->date());
            text = firstLine(rec->Text);
        }
    };
    m_month->OnDblClick = [this](QObject*) {
        if (m_month->SelectedItem() ? bool(OnEditSchedule) : bool(OnAddSchedule)) {
            (m_month->SelectedItem() ? OnEditSchedule : OnAddSchedule)(this);
        }
    };
}

} // namespace nox
