#pragma once
// The main window in the day view: 1 to 7 day columns from the leftmost
// date L, one memo pane under each column. Each item of a column holds its
// schedule record by value (TSkedItem::Data); a change made in a column is
// written to its day file at once through the schedule book.
#include <QList>
#include <QStringList>

#include "app/viewmode.h"
#include "store/alarmsink.h"
#include "store/schedulebook.h"

class QRect;

namespace nox
{

namespace sked
{
class TSkedControl;
class TSked;
class TSkedItem;
struct TSkedDrop;
} // namespace sked

class TModeHost;

class TDayMode : public TMainViewMode
{
public:
    explicit TDayMode(TModeHost& form);

    TViewMode id() const override { return vmDay; }
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
    bool showsLineColor() const override { return true; }
    bool stepsWeeks() const override { return true; }
    void afterEditor(const TSkedRec& rec, const std::optional<TSkedRec>& old) override;
    bool changeSelected(const TSkedRec& rec, const QList<TAlarmUpdate>& alarms) override;
    bool removeSelected(const QList<TAlarmUpdate>& alarms) override;
    bool placePasted(const TSkedRec& rec) override;

    // Leftmost date L; the columns show L .. L + count - 1.
    QDate leftDate() const { return m_leftDate; }
    void setLeftDate(const QDate& date) { m_leftDate = date; }
    // Shows the days from `from`: the memo row is saved, then every column
    // and memo pane is filled for its date.
    void showDays(const QDate& from);
    // Writes column `column` back to its day file, then applies `alarms`;
    // false (the user was told, and the column is read again from the file
    // once the current event is done) when that failed.
    bool saveColumn(int column, const QList<TAlarmUpdate>& alarms = {});
    // Ruler colours by the kind of day; the focused column's header in the
    // focus colours.
    void colorColumns();
    // After the schedule editor wrote `rec`: `oldItem` (the edited
    // schedule's item, nullptr for a new one) is refreshed, or moved to the
    // column of the record's date, or removed when that date is not shown or
    // the category filter hides it.
    void afterEdit(const TSkedRec& rec, sked::TSkedItem* oldItem);
    void recToItem(const TSkedRec& rec, sked::TSkedItem* item) const;
    // The ruler line of the current half hour on today's column.
    void updateNowMarker();
    int focusedColumn() const;
    // Activates `column` and, when the window is shown, gives it the
    // keyboard focus; with `line` >= 0 its first row on that line becomes
    // the focus row.
    void focusColumn(int column, int line = -1);

private:
    void readAheadOfSteps() const;
    void loadDay(int column, const QDate& date);
    void commitInput();
    void saveMemoRow();
    void moveDays(int delta);
    void goKeepingColumn(const QDate& date);
    void drawMemoMark(sked::TSked* sked, sked::TSkedItem* item, const QRect& rect);
    // Reads the day of `date` again, if shown, after the current event.
    void reloadLater(const QDate& date);
    void reloadShownLater();
    // Which occurrences of a repeat rule a change or removal takes in, asked
    // of the user; empty when they cancelled.
    std::optional<OccurrenceScope> askScope(bool removal);
    // After a change of occurrences: every shown day is read again (a rule
    // reaches across days), a failure told.
    void occurrencesChanged(const BookResult& result);
    // A schedule dropped on a line of a day: moved there, or copied under
    // a fresh ID with Ctrl held; the length is kept.
    void dropItem(const sked::TSkedDrop& drop);
    // The text the item shows after it was edited to `text`.
    QString textEdited(const QDate& date, qint32 id, const QString& text);
    void linesDropped(const QDate& date, qint32 id, int start, int end);
    void connectView();

    TModeHost& m_form;
    sked::TSkedControl* m_sked;
    QDate m_leftDate;
    bool m_active = false;
    bool m_filling = false;
    QStringList m_dayNames; // per column
    QList<int> m_dayKinds;
    int m_nowSlot = -1;
    int m_nowColumn = -1;
};

} // namespace nox
