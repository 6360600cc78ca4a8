#pragma once
// TNoxMainForm: the main window. It owns both views (the multi-day control
// and the month view, one shown at a time), the memo panes, the lists of the
// store, the schedule book, the day memo store, the alarm centre and the
// running settings. The views never touch files: what differs between the
// day view and the month view (filling the view from the day files and
// writing a day back, navigation, the selection, the memo panes, the status
// texts) is done by the mode in front, TDayMode or TMonthMode
// (app/viewmode.h); the window keeps the frame around them.
//
// Life cycle: the constructor does what the first paint needs (placement,
// view mode, style); the first beat of the main timer (1 ms after the window
// was first painted on screen) runs the deferred start-up (lists, memo store,
// alarms, filling the view), after which the timer beats every 1000 ms
// (clock, now marker, alarm checks). The destructor writes everything back.
//
// Tests construct the window with NOX_HOME pointing at a temporary folder and
// may inject the clock through TNoxMainForm::Options.
#include <QDate>
#include <QDateTime>
#include <QList>
#include <QMainWindow>
#include <QPixmap>
#include <QPointer>
#include <QSet>
#include <QStringList>
#include <QTimer>
#include <functional>
#include <memory>
#include <optional>

#include "app/modehost.h"
#include "app/noxsettings.h"
#include "app/viewmode.h"
#include "alarm/alarmfile.h"
#include "appearance/style.h"
#include "core/color.h"
#include "store/bookresult.h"
#include "store/holidays.h"
#include "store/imagestrip.h"
#include "store/memostore.h"
#include "store/skedrec.h"

class QAction;
class QMenu;
class QMessageBox;
class QSplitter;
class QSystemTrayIcon;
class QLabel;

namespace nox
{

namespace sked
{
class TSkedControl;
class TSked;
class TSkedItem;
class TLineItem;
} // namespace sked
namespace monthview
{
class TMonthView;
class TMonthViewItem;
} // namespace monthview

class AlarmCenter;
struct TStyleReadResult;
struct AlarmSettings;
struct TPopupSettings;
class ScheduleBook;
class TClockPanel;
class TDayMode;
class TMemoPanes;
class TMonthMode;
class TDateBanner;
class TForm11;
class TNoxButton;
class TNoxMemo;
class TStatusPanels;
class TScheduleCommands;
class WriteFailureNotices;
struct BookDay;
struct PopupRequest;

class TNoxMainForm : public QMainWindow, public TModeHost
{
    Q_OBJECT
public:
    using TViewMode = nox::TViewMode;
    static constexpr TViewMode vmDay = nox::vmDay;
    static constexpr TViewMode vmMonth = nox::vmMonth;

    struct Options {
        // The local time; QDateTime::currentDateTime when unset.
        std::function<QDateTime()> clock;
        // Tests may stop the timer from beating by itself and call timerBeat().
        bool startTimer = true;
        // Opens the popup of an alarm or time signal; the popup window TForm7
        // when unset.
        std::function<void(const PopupRequest&)> showPopup;
        // Tells the user that a file could not be written (or a change could
        // not be made); an error message box when unset.
        std::function<void(const QString& message)> showFailure;
        // Tells the user about problems met while reading files (a notice
        // that does not stop the work); a non-modal message box when unset.
        std::function<void(const QString& text)> showNotice;
        // The program that opens the help page in the browser ("xdg-open"
        // when empty); given the page's URL.
        QString pageOpener;
    };

    explicit TNoxMainForm(QWidget* parent = nullptr);
    explicit TNoxMainForm(Options options, QWidget* parent = nullptr);
    ~TNoxMainForm() override;

    // --- state ------------------------------------------------------------
    bool isStarted() const override { return m_started; }
    TViewMode viewMode() const;
    // Leftmost date L of the day view.
    QDate leftDate() const;
    int skedCount() const;
    QDate today() const override { return now().date(); }
    QDateTime now() const override;
    QString dataFolder() const { return m_dataFolder; }
    const TNoxSettings& settings() const override { return m_settings; }
    // A day column's caption: the date in the date format, then the calendar
    // marks that are on (六曜, solar term or seasonal day).
    QString dayCaption(const QDate& date) const override;
    // The banner's old date and 六曜 of the focused day (marks that are on).
    void showCalendarOf(const QDate& date) override;
    QString categoryFilter() const override { return m_settings.categoryFilter; }
    const HolidayList& holidays() const override { return m_holidays; }
    const QStringList& categories() const { return m_categories; }
    const TDayKindColors& dayKindColors() const override { return m_dayKindColors; }
    // The day view's font colour (also the memo panes').
    TColor viewFontColor() const override { return m_viewFontColor; }
    AlarmCenter& alarms() { return *m_alarms; }
    MemoStore& memoStore() override { return m_memoStore; }
    // The image strip as the views draw it.
    const QList<QPixmap>& images() const { return m_images; }
    // Every read and change of schedules goes through the book.
    QWidget* hostWindow() override { return this; }
    ScheduleBook& book() override { return *m_book; }

    // The mode in front, and each mode for what only it does.
    TMainViewMode& mode() const { return *m_mode; }
    TDayMode& dayMode() const { return *m_dayMode; }
    TMonthMode& monthMode() const { return *m_monthMode; }

    sked::TSkedControl* skedControl() const override { return m_sked; }
    monthview::TMonthView* monthView() const override { return m_month; }
    TDateBanner* dateBanner() const { return m_banner; }
    TStatusPanels* statusPanels() const override { return m_status; }
    TClockPanel* clockPanel() const { return m_clock; }
    // Memo panes: one per day column in the day view; in the month view 0 is
    // "スケジュールメモ" and 1 "日別メモ".
    int memoPaneCount() const;
    TNoxMemo* memoPane(int index) const;
    TMemoPanes& memoPanes() const override { return *m_memoPanes; }
    // Add, edit, delete, cut, copy, paste, style and colours of schedules,
    // and the context menu of both views.
    TScheduleCommands& commands() const override { return *m_commands; }
    // "今日へ移動(&H)", "次月(&M)", "前月(&N)", "次週(&K)", "前週(&J)", "指定日へ移動(&O)...".
    const QList<QAction*>& navigationActions() const { return m_navActions; }
    TNoxButton* toolButton(const QString& hint) const;

    // Shows the failure's message (it names the file and the reason) in one
    // error box together with the failed writes of the same burst.
    void ReportFailure(const BookResult& result) override;
    // A problem met while reading (a day file that cannot be read, a line
    // that is no schedule, a memo file that cannot be opened): each `key` is
    // told once per run, by the next ShowLoadNotices.
    void NoteLoadProblem(const QString& key, const QString& message);
    // Notes the read failure and the unreadable lines of a day.
    void NoteDayProblems(const BookDay& day) override;
    // Shows the problems noted since the last call in one notice, if any.
    void ShowLoadNotices() override;
    // Shows the failed writes not told yet (after the event loop has ended).
    void ShowPendingFailures();

    // --- runs of the timer --------------------------------------------------
    // One beat of the main timer: the deferred start-up the first time, then
    // the clock, the now marker and the alarm checks.
    void timerBeat();

    // --- navigation -----------------------------------------------------------
    // Shows the days from `from` in the day view (saving and reloading memos).
    void ShowDays(const QDate& from);
    // Changes the number of day columns by `delta`; only a result in 1..7 acts.
    void ChangeSkedCount(int delta) override;
    void SetSkedCount(int count);
    // Goes to `date` and selects the schedule with `id` (if given); returns
    // whether that schedule was found. Used by the popup, search and dialogs.
    bool GoToDate(const QDate& date, std::optional<qint32> id = std::nullopt, bool refresh = false);
    void PrevDayClick();
    void NextDayClick();
    void TodayClick();
    void GoToDateClick(); // opens the go-to-date dialog
    void NextMonthClick();
    void PrevMonthClick();
    void NextWeekClick();
    void PrevWeekClick();
    void IncreaseClick();
    void DecreaseClick();
    void MemoToggleClick();
    void SwitchViewClick() override;

    // --- filling the views ----------------------------------------------------
    // The day columns take the colours of their days' kinds.
    void ColorColumns();
    // Re-reads every shown day (after another window changed day files).
    void RefreshView();

    // --- appearance and status --------------------------------------------------
    // Applies style `index` (0..2) of "style.ini" to both views and the banner.
    void ApplyStyle(int index);
    void ShowCategoryFilter();
    // The category filter menu of the status bar (rebuilt from the list).
    QMenu* CategoryMenu();
    // The ruler's half-hour captions: "30" when on, "8:30" when off.
    void SetHalfFormat(bool on);
    void SetCategoryFilter(const QString& filter);
    // The banner's period (from the mode in front) and today.
    void UpdateBanner() override;
    void AddTrayIcon();
    void RemoveTrayIcon();
    // Shows, restores and raises the window (tray, second start, popups).
    void ShowFromTray();
    // The tray menu's "終了(&X)".
    void ExitFromTray();
    // Ends the program for the system (a signal, the end of the session):
    // open dialogs are closed without their changes, everything is written
    // back as at a normal close, without questions (a failure is still told,
    // after the window has gone), and OnClose is raised. Also in tray mode.
    void EndSession();
    bool isEndingSession() const { return m_endingSession; }
    // Writes what the window holds (memo panes, free memo, settings, alarm
    // list) without closing anything: asked by the session manager before it
    // ends the session.
    void SaveForSession();
    // The display went away and the program is being ended by the system
    // library (exit() from the event loop): writes back what it can without
    // touching the display. Does nothing once the window was shut down.
    void SaveOnLostDisplay();

    // --- help commands of the window menu ---------------------------------------
    void ShowHelp();
    void ShowAbout();

    // --- the settings dialog (mainform_settings.cpp) -----------------------------
    // The current look as a style.
    TStyle CurrentStyle() const;
    // The focused day column's date, or the month view's selected day.
    QDate SelectedDate() const;
    const ImageStrip& imageStrip() const { return m_imageStrip; }
    bool imagesChanged() const { return m_imagesChanged; }
    // Each takes a page's values into the running program (the dialog has
    // written the files already).
    void ApplySettingsStyle(int index, const TStyle& style, bool halfFormat);
    // The strip is written at shutdown.
    void SetImageStrip(const ImageStrip& images);
    void SetCategories(const QStringList& categories, const QString& filter);
    void SetHolidays(const HolidayList& holidays);
    // Gives the views the calendar marks of m_settings.calendarMarks.
    void applyCalendarMarks();
    void ApplyPrintSettings(const TNoxSettings& s);
    void ApplyClockSettings(const TNoxSettings& s);
    void ApplyAlarmSettings(const AlarmSettings& s);
    void ApplyPopupSettings(const TPopupSettings& s);
    void ApplyOtherSettings(const TNoxSettings& s);
    void RepaintStatusBar();
    // Raised after the settings dialog applied its changed pages (numbers in
    // order): windows of their own follow page 1 (the look) or 6 (the layout).
    std::function<void(QObject* Sender, const QList<int>& pages)> OnSettingsApplied;

    // --- free memo (mainform_freememo.cpp) ----------------------------------------
    // Opens the free memo window, or gives the open one the focus (unless
    // `activate` is false: the reopening at start-up leaves it to this window).
    void FreeMemoClick(bool activate = true);
    TForm11* freeMemo() const;

    // Hooks the later windows set (schedule commands, search, settings, free memo).
    std::function<void(QObject* Sender)> OnAddSchedule;
    std::function<void(QObject* Sender)> OnEditSchedule;
    std::function<void(QObject* Sender)> OnSearch;
    std::function<void(QObject* Sender, const QString& page)> OnSettings;
    std::function<void(QObject* Sender)> OnFreeMemo;
    // Raised when the window has closed for good (shutdown done).
    std::function<void(QObject* Sender)> OnClose;
    // Raised at the end of the deferred start-up.
    std::function<void(QObject* Sender)> OnStarted;

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // creation and shutdown (mainform.cpp)
    void FormCreate();
    void placeWindow();
    void applyPendingState();
    void DeferredStartup();
    void FormDestroy();
    QString iniPath() const;
    void runConversions();
    void noteListProblem(const ListFileResult& result, const QString& what);
    void loadImageStrip();
    void readAlarmSettings();
    void reportAlarmProblems(const AlarmLoadResult& loaded);
    void writeBackSettings();
    void noteUnreadableLines(const ListFileResult& result, int lines, const QString& what);
    void noteStyleProblem(const TStyleReadResult& read, int index);
    // The settings written at shutdown, as one write of "Nox.ini".
    void writeShutdownSettings(bool freeMemoOpen);
    TStyle currentStyle() const;
    void applyStyleValues(const TStyle& style);
    void emptyTempFolder();
    // layout (mainform_layout.cpp)
    void buildLayout();
    void buildToolBar();
    void buildMenus();
    void setToolBarHeight(int height);
    void layoutToolBar();
    void applyModeLook();
    void setMemoVisible(bool visible);
    void bannerMenu(const QPoint& globalPos);
    // the window's own shortcuts (mainform_views.cpp)
    bool handleShortcut(int key, Qt::KeyboardModifiers mods);
    // timer, clock, status, tray, alarms (mainform_status.cpp)
    void buildClock();
    void buildStatusBar();
    void statusPanelDblClick(int panel, const QPoint& globalPos);
    void updateStatusColors();
    void openPopup(const PopupRequest& request);
    void showPopupWindow(const PopupRequest& request); // TForm7
    void setUpPopups();
    // free memo (mainform_freememo.cpp)
    void applyFreeMemoLook();
    void keepFreeMemoInFront();
    bool freeMemoSaved();
    // Saves the memo panes; when a text could not be stored, asks whether to
    // end without it. False: the window stays open.
    bool dayMemosSaved();
    bool closeFreeMemo();

    Options m_options;
    TNoxSettings m_settings;
    TDayKindColors m_dayKindColors;
    TColor m_viewFontColor = clWindowText; // the day view's font colour
    QString m_styleFontName;               // as the style names it
    QString m_dataFolder;
    QString m_storedVersion;
    bool m_started = false;
    bool m_exitRequested = false;
    bool m_endingSession = false; // EndSession: close without questions
    bool m_displayLost = false;   // SaveOnLostDisplay: nothing may touch the display
    bool m_imagesChanged = false;
    bool m_destroyed = false;
    // The stored window state, set once the window is first exposed.
    Qt::WindowState m_pendingState = Qt::WindowNoState;
    int m_toolBarHeight = 30;
    int m_memoHeight = 64;
    bool m_memoVisible = true;

    HolidayList m_holidays;
    QStringList m_categories;
    ImageStrip m_imageStrip;
    QList<QPixmap> m_images; // the strip as the views draw it
    MemoStore m_memoStore;
    std::unique_ptr<AlarmCenter> m_alarms;
    std::unique_ptr<ScheduleBook> m_book;

    QTimer m_timer;
    QWidget* m_central = nullptr;
    QSplitter* m_splitter = nullptr;
    QWidget* m_toolBar = nullptr;
    QList<TNoxButton*> m_buttons;
    TNoxButton* m_prevButton = nullptr;
    TNoxButton* m_searchButton = nullptr;
    TNoxButton* m_switchButton = nullptr;
    TNoxButton* m_increaseButton = nullptr;
    TNoxButton* m_decreaseButton = nullptr;
    TNoxButton* m_nextButton = nullptr;
    QList<QPixmap> m_modeGlyphs; // six 16 x 16: even day view, odd month view
    QWidget* m_viewArea = nullptr;
    TDateBanner* m_banner = nullptr;
    sked::TSkedControl* m_sked = nullptr;
    monthview::TMonthView* m_month = nullptr;
    QWidget* m_memoArea = nullptr;
    std::unique_ptr<TMemoPanes> m_memoPanes;
    std::unique_ptr<TDayMode> m_dayMode;
    std::unique_ptr<TMonthMode> m_monthMode;
    std::unique_ptr<TScheduleCommands> m_commands;
    TMainViewMode* m_mode = nullptr; // the one of the two in front
    TStatusPanels* m_status = nullptr;
    TClockPanel* m_clock = nullptr;
    QSystemTrayIcon* m_tray = nullptr;
    QMenu* m_trayMenu = nullptr;
    QMenu* m_navMenu = nullptr;
    QList<QAction*> m_navActions;
    QMenu* m_categoryMenu = nullptr;
    QPointer<TForm11> m_freeMemo;
    std::unique_ptr<WriteFailureNotices> m_writeFailures;
    QSet<QString> m_toldLoadProblems;
    QStringList m_loadNotices; // noted, not shown yet
    QPointer<QMessageBox> m_noticeBox;
};

} // namespace nox
