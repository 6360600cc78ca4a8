#pragma once
// The main window in the month view: the six weeks around the current
// month, with the memo of the selected schedule ("スケジュールメモ") and the
// day memo of the selected date ("日別メモ") under it. Each month item holds
// its schedule record by value (TMonthViewItem::Data); a change is written
// to its day file at once through the schedule book.
#include <QList>

#include "app/viewmode.h"
#include "store/schedulebook.h"

class QRect;

namespace nox
{

namespace monthview
{
class TMonthView;
class TMonthViewItem;
struct TMonthViewDrop;
} // namespace monthview

class TModeHost;

class TMonthMode : public TMainViewMode
{
public:
    explicit TMonthMode(TModeHost& form);

    TViewMode id() const override { return vmMonth; }
    QWidget* view() const override;
    Look look() const override;
    void start(const QDate& date) override;
    Handover leave() override;
    void enter(const Handover& from) override;
    void saveMemos() override;
    void fill() override;
    bool saveDay(const QDate& date) override;
    void step(Step step) override;
    bool goToDate(const QDate& date, std::optional<qint32> id, bool refresh) override;
    void increase() override;
    void decrease() override;
    void setColumnCount(int count) override;
    bool shortcut(int key, Qt::KeyboardModifiers mods) override;
    QDate currentDate() const override;
    std::optional<TSkedRec> selectedRecord() const override;
    void preparePanes() override;
    void layoutPanes() override;
    void paneFocused(int index) override;
    PaneLook paneLook() const override;
    void showStatus() override;
    QString periodText() const override;
    void tick(const QDateTime& now) override;
    QDate selectedDate() const override;
    TSkedRec newRecord() const override;
    bool showsLineColor() const override { return false; }
    bool stepsWeeks() const override { return false; }
    void beforeEdit() override;
    void afterEditor(const TSkedRec& rec, const std::optional<TSkedRec>& old) override;
    bool changeSelected(const TSkedRec& rec, const QList<TAlarmUpdate>& alarms) override;
    bool removeSelected(const QList<TAlarmUpdate>& alarms) override;
    bool placePasted(const TSkedRec& rec) override;
    // Writes the day's items back, then applies `alarms`; false (the user
    // was told, and the view is read again from the files once the current
    // event is done) when that failed.
    bool saveDay(const QDate& date, const QList<TAlarmUpdate>& alarms);

    // Fills the items of the whole displayed range from the day files
    // (a changed schedule memo is written first).
    void fillItems();
    // After the schedule editor wrote `rec`: `oldItem` (nullptr for a new
    // schedule) is refreshed, or removed when the category filter hides it.
    void afterEdit(const TSkedRec& rec, monthview::TMonthViewItem* oldItem);
    void recToItem(const TSkedRec& rec, monthview::TMonthViewItem* item) const;

private:
    // Moves the view to `date`, fills it and runs the selection handling.
    void goMonth(const QDate& date);
    // Runs whenever the selected cell or item changes: the memo panes are
    // saved and loaded for the new selection, the status panels follow.
    void selectionChanged();
    void saveDayMemoPane();
    void saveScheduleMemoPane();
    void drawMemoDay(const QDate& date, const QRect& rect);
    void reloadLater();
    // Which occurrences of a repeat rule a change or removal takes in, asked
    // of the user; empty when they cancelled.
    std::optional<OccurrenceScope> askScope(bool removal);
    // After a change of occurrences: the month is read again (a rule reaches
    // across days), a failure told.
    void occurrencesChanged(const BookResult& result);
    monthview::TMonthViewItem* itemWithId(const QDate& date, qint32 id) const;
    // A schedule dropped on a day: moved, or copied under a fresh ID with
    // Ctrl held.
    void dropItem(const monthview::TMonthViewDrop& drop);
    // The text the entry shows after its first line was edited to `text`.
    QString textEdited(const QDate& date, qint32 id, const QString& text);
    // Enter: a typed schedule memo is dropped, then the editor opens.
    void enterPressed();
    void connectView();

    TModeHost& m_form;
    monthview::TMonthView* m_month;
    bool m_active = false;
    bool m_moving = false; // goMonth under way: the view's notices wait for its end
    QSet<QDate> m_memoDays; // shown dates that have a day memo
    QDate m_dayMemoDate;   // the date the day-memo pane shows
    // The item whose memo the "スケジュールメモ" pane shows.
    monthview::TMonthViewItem* m_memoItem = nullptr;
};

} // namespace nox
