#pragma once
// What the main window does differently in the day view and in the month
// view, behind one interface: filling the view and writing a day back,
// moving through dates, the selection, the memo panes and the status texts.
// TDayMode and TMonthMode implement it; the window keeps the frame (tool
// bar, banner, status bar, clock, tray, timer, start-up and shutdown) and
// hands everything else to the mode in front.
#include <QDate>
#include <QDateTime>
#include <QFont>
#include <QString>
#include <optional>
#include <qnamespace.h>

#include "core/color.h"
#include "store/alarmsink.h"
#include "store/skedrec.h"

class QWidget;

namespace nox
{

// The "window1"/"viewmode" setting.
enum TViewMode { vmDay = 1, vmMonth = 2 };

class TMainViewMode
{
public:
    enum class Step { PrevDay, NextDay, PrevWeek, NextWeek, PrevMonth, NextMonth };

    // The mode's tool bar texts (hints and the switch button's caption).
    struct Look {
        QString prevHint;
        QString nextHint;
        QString increaseHint;
        QString decreaseHint;
        QString switchCaption;
        bool monthGlyphs = false; // the odd glyphs of the mode-dependent buttons
    };

    // The look of pages that stand beside the memo panes (the free memo).
    struct PaneLook {
        TColor color = clWindow;
        TColor fontColor = clWindowText;
        QFont font;
    };

    // What one mode hands to the other at a switch: the date in focus and
    // the selected schedule.
    struct Handover {
        QDate date; // invalid: nothing in focus
        std::optional<qint32> id;
    };

    virtual ~TMainViewMode() = default;

    virtual TViewMode id() const = 0;
    virtual QWidget* view() const = 0;
    virtual Look look() const = 0;

    // The deferred start-up shows `date`.
    virtual void start(const QDate& date) = 0;
    // Switching: the old mode saves its memo panes and tells what was in
    // focus; the new one shows that date and selects that schedule.
    virtual Handover leave() = 0;
    virtual void enter(const Handover& from) = 0;
    // Shutdown: the changed memo panes are written.
    virtual void saveMemos() = 0;

    // Reads every shown day again, keeping the focus and the selection.
    virtual void fill() = 0;
    // Writes the schedules the view shows for `date` back to its day file; a
    // failure is reported to the user.
    virtual bool saveDay(const QDate& date) = 0;

    virtual void step(Step step) = 0;
    // Goes to `date`, selects the schedule `id` when given; true iff found.
    virtual bool goToDate(const QDate& date, std::optional<qint32> id, bool refresh) = 0;
    // The buttons "表示日数を増やす" / "表示日数を減らす" and their month-view meanings.
    virtual void increase() = 0;
    virtual void decrease() = 0;
    // Number of day columns (1..7); the month view keeps it for the day view.
    virtual void setColumnCount(int count) = 0;
    // A key of the window read before the controls see it; true: swallowed.
    virtual bool shortcut(int key, Qt::KeyboardModifiers mods) = 0;

    // The date the go-to-date dialog offers.
    virtual QDate currentDate() const = 0;
    // The record of the focused or selected schedule.
    virtual std::optional<TSkedRec> selectedRecord() const = 0;

    // Memo panes: how many and how they look, where they sit, and the focus
    // reaching one of them.
    virtual void preparePanes() = 0;
    virtual void layoutPanes() = 0;
    virtual void paneFocused(int index) = 0;
    virtual PaneLook paneLook() const = 0;
    // Status panels 1 and 2.
    virtual void showStatus() = 0;
    // The banner's text of the shown period.
    virtual QString periodText() const = 0;
    // Every beat of the main timer after start-up.
    virtual void tick(const QDateTime& now) = 0;

    // --- what the schedule commands need (app/schedulecommands.h) -----------
    // Each change below writes the day file at once through the book, then
    // brings the alarms up to date with `alarms`; when a write fails the user
    // is told and the view shows that day as it is stored. Returns true iff
    // everything was written.

    // The date a new or pasted schedule goes to (the focused column's, the
    // selected cell's); invalid when the view has no such place.
    virtual QDate selectedDate() const = 0;
    // A new schedule at that place, without an ID: the focused line or the
    // month view's default time, one half hour long (at most to the last
    // line), in the view's font colour and style, no image, no alarm.
    virtual TSkedRec newRecord() const = 0;
    // The view draws line colours; the week steps mean something here.
    virtual bool showsLineColor() const = 0;
    virtual bool stepsWeeks() const = 0;
    // The editor is about to open on the selected schedule: what the view
    // holds back (a typed schedule memo) is written first.
    virtual void beforeEdit() {}
    // After the editor stored `rec`; `old` is the edited schedule as it was
    // when the editor opened (none for a new schedule).
    virtual void afterEditor(const TSkedRec& rec, const std::optional<TSkedRec>& old) = 0;
    // The selected schedule now stands as `rec` (same ID and date).
    virtual bool changeSelected(const TSkedRec& rec, const QList<TAlarmUpdate>& alarms) = 0;
    // The selected schedule leaves the view and its day file.
    virtual bool removeSelected(const QList<TAlarmUpdate>& alarms) = 0;
    // Puts the pasted `rec` (its ID and date already given) on the focused
    // line, its length kept (day view), or on the selected date with its
    // times (month view); selects it and stores it (alarms mode 0).
    virtual bool placePasted(const TSkedRec& rec) = 0;
};

} // namespace nox
