#pragma once
// What a view mode may use of the main window: the schedule book and the
// day memos, the memo panes, the views, the colours and captions, the status
// panels and the schedule commands, failure reporting, and the few window
// actions a mode sets off. The main window is the one host; a mode sees
// nothing else of it.
#include <QDate>
#include <QDateTime>
#include <QString>

#include "core/color.h"
#include "store/bookresult.h"

class QWidget;

namespace nox
{

namespace sked
{
class TSkedControl;
} // namespace sked

namespace monthview
{
class TMonthView;
} // namespace monthview

class HolidayList;
class MemoStore;
class ScheduleBook;
class TMemoPanes;
class TScheduleCommands;
class TStatusPanels;
struct BookDay;
struct TDayKindColors;
struct TNoxSettings;

class TModeHost
{
public:
    // --- the data ---
    virtual ScheduleBook& book() = 0;
    virtual MemoStore& memoStore() = 0;
    virtual const HolidayList& holidays() const = 0;
    virtual const TNoxSettings& settings() const = 0;
    virtual QString categoryFilter() const = 0;
    virtual QDateTime now() const = 0;
    virtual QDate today() const = 0;

    // --- the parts of the window a mode works with ---
    virtual TMemoPanes& memoPanes() const = 0;
    virtual TScheduleCommands& commands() const = 0;
    virtual TStatusPanels* statusPanels() const = 0;
    virtual sked::TSkedControl* skedControl() const = 0;
    virtual monthview::TMonthView* monthView() const = 0;

    // --- the look ---
    virtual const TDayKindColors& dayKindColors() const = 0;
    virtual TColor viewFontColor() const = 0;
    // The caption of a day column's head.
    virtual QString dayCaption(const QDate& date) const = 0;

    // --- what the window shows around the view ---
    virtual bool isStarted() const = 0;
    virtual void UpdateBanner() = 0;
    virtual void showCalendarOf(const QDate& date) = 0;
    virtual void ChangeSkedCount(int delta) = 0;
    virtual void SwitchViewClick() = 0;

    // --- failures and notices ---
    virtual void ReportFailure(const BookResult& result) = 0;
    virtual void NoteDayProblems(const BookDay& day) = 0;
    virtual void ShowLoadNotices() = 0;

    // The window itself: the context of work a mode defers, and the frame
    // of its coordinates.
    virtual QWidget* hostWindow() = 0;

protected:
    ~TModeHost() = default;
};

} // namespace nox
