// TNoxMainForm: window creation, the deferred start-up, closing and shutdown.
#include "app/mainform.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMessageBox>
#include <QPointer>
#include <QScreen>
#include <QSystemTrayIcon>
#include <QTimer>
#include <QUrl>
#include <algorithm>
#include <cstdio>
#include <utility>

#include "alarm/alarmcenter.h"
#include "alarm/alarmfile.h"
#include "app/aboutbox.h"
#include "app/appenvironment.h"
#include "app/clockpanel.h"
#include "app/conversions.h"
#include "app/datebanner.h"
#include "app/daymode.h"
#include "app/firstpaintgate.h"
#include "app/localpage.h"
#include "app/memopanes.h"
#include "app/monthmode.h"
#include "app/schedulecommands.h"
#include "app/statuspanels.h"
#include "app/writefailurenotices.h"
#include "core/folders.h"
#include "core/settings.h"
#include "core/settingsbatch.h"
#include "core/textfile.h"
#include "dialogs/processing.h"
#include "freememo/ui/freememowindow.h"
#include "monthview/monthview.h"
#include "sked/skedcontrol.h"
#include "store/categories.h"
#include "store/schedulebook.h"
#include "widgets/noxmemo.h"

namespace nox
{

namespace
{
constexpr int kMinWidth = 450;
constexpr int kMinHeight = 110;
constexpr int kStartupInterval = 1;
constexpr int kUnpaintedStartup = 1000;
constexpr int kBeatInterval = 1000;

// A text that cannot be what a person typed: control characters, or bytes
// that decoded to no character.
bool looksGarbled(const QString& text)
{
    return std::any_of(text.cbegin(), text.cend(), [](QChar c) {
        return (c.unicode() < 0x20 && c != u'\t') || c == QChar::ReplacementCharacter || c.unicode() == 0x7f;
    });
}

// Lines of the holiday list that give no holiday: no tab, no date before it,
// or no text at all.
int holidayLinesUnread(const HolidayList& list, const ListFileResult& result)
{
    int unread = result->ignoredLines;
    for (const QString& key : list.keys()) {
        if (!HolidayList::dateOfKey(key).isValid() || looksGarbled(key + list.name(key))) {
            ++unread;
        }
    }
    return unread;
}
} // namespace

TNoxMainForm::TNoxMainForm(QWidget* parent) : TNoxMainForm(Options{}, parent) {}

TNoxMainForm::TNoxMainForm(Options options, QWidget* parent)
    : QMainWindow(parent), m_options(std::move(options)), m_alarms(std::make_unique<AlarmCenter>())
{
    setObjectName(QStringLiteral("TNoxMainForm"));
    m_writeFailures = std::make_unique<WriteFailureNotices>();
    m_writeFailures->setParentWindow(this);
    if (m_options.showFailure) {
        m_writeFailures->OnShow = m_options.showFailure;
    }
    FormCreate();
}

TNoxMainForm::~TNoxMainForm()
{
    FormDestroy();
    // The views go before the modes whose events they raise.
    delete takeCentralWidget();
    // So do the windows it owns (the search window and the like), which read
    // the book and the alarm list.
    QList<QPointer<QWidget>> windows;
    for (QWidget* child : findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (child->isWindow()) {
            windows << child;
        }
    }
    for (const QPointer<QWidget>& window : windows) {
        delete window.data();
    }
}

QString TNoxMainForm::iniPath() const
{
    return m_dataFolder + QStringLiteral("/Nox.ini");
}

QDateTime TNoxMainForm::now() const
{
    return m_options.clock ? m_options.clock() : QDateTime::currentDateTime();
}

// Window creation: only what the first paint needs.
void TNoxMainForm::FormCreate()
{
    m_dataFolder = folders::dataFolder();
    m_book = std::make_unique<ScheduleBook>(m_dataFolder, m_alarms.get());
    m_book->setClock([this] { return now(); });
    m_alarms->setBook(m_book.get());

    const Settings ini(iniPath());
    m_storedVersion = ini.readString(Key::NoxVersion);
    m_settings.readWindow(ini);

    buildLayout();
    setWindowTitle(QStringLiteral("Nox"));
    setMinimumSize(kMinWidth, kMinHeight);
    placeWindow();
    setToolBarHeight(m_settings.toolBarHeight);
    m_memoHeight = qMax(16, m_settings.memoHeight);
    setMemoVisible(m_settings.memo);

    // What fails here fails again at the first read or write, which tells it.
    static_cast<void>(folders::prepareDataFolder());

    if (m_settings.viewMode == vmMonth) {
        m_mode = m_monthMode.get();
    }
    ApplyStyle(m_settings.style);
    SetSkedCount(m_settings.count);
    m_sked->setTopRow(m_settings.topIndex);
    applyModeLook();
    // Only the face: the style has given the banner its own sizes.
    QFont bannerFont = m_banner->font();
    bannerFont.setFamily(m_sked->font().family());
    m_banner->setFont(bannerFont);
    ShowCategoryFilter();

    connect(&m_timer, &QTimer::timeout, this, &TNoxMainForm::timerBeat);
    OnFreeMemo = [this](QObject*) { FreeMemoClick(); };
    OnAddSchedule = [this](QObject*) { m_commands->add(); };
    OnEditSchedule = [this](QObject*) { m_commands->edit(); };
    new FirstPaintGate(this, [this] {
        if (!m_started && m_options.startTimer) {
            m_timer.start(kStartupInterval);
        }
    });
}

// The normal placement comes first, also for a window that was closed
// maximised (it comes back to that size when the user restores it); a
// placement that no screen shows any more is brought back onto the primary
// screen. A window manager takes the maximised or minimised state only once
// it manages the window: the state waits for the first exposure.
void TNoxMainForm::placeWindow()
{
    const QRect stored(m_settings.left, m_settings.top, qMax(kMinWidth, m_settings.width),
                       qMax(kMinHeight, m_settings.height));
    QList<QRect> screens;
    for (const QScreen* screen : QGuiApplication::screens()) {
        screens << screen->availableGeometry();
    }
    const QScreen* primary = QGuiApplication::primaryScreen();
    const QRect placed =
        placementOnScreens(stored, screens, primary ? primary->availableGeometry() : QRect());
    setGeometry(placed);
    move(placed.topLeft());
    m_pendingState = m_settings.windowState == 2   ? Qt::WindowMaximized
                     : m_settings.windowState == 1 ? Qt::WindowMinimized
                                                   : Qt::WindowNoState;
}

void TNoxMainForm::applyPendingState()
{
    if (m_pendingState != Qt::WindowNoState) {
        setWindowState(std::exchange(m_pendingState, Qt::WindowNoState));
    }
}

// The deferred start-up runs 1 ms after the window's first paint on screen
// (FirstPaintGate), so the window appears before the many files are read. A
// window that starts minimised is not painted: it starts at once; should a
// shown window never be exposed, it starts a little later anyway.
void TNoxMainForm::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    if (!m_started && m_options.startTimer && !m_timer.isActive()) {
        m_timer.start(isMinimized() ? kStartupInterval : kUnpaintedStartup);
    }
}

void TNoxMainForm::timerBeat()
{
    if (!m_started) {
        m_timer.stop();
        DeferredStartup();
        if (m_options.startTimer && !m_destroyed) {
            m_timer.start(kBeatInterval);
        }
        return;
    }
    const QDateTime t = now();
    if (m_clock) {
        m_clock->tick(t);
    }
    m_banner->setToday(t.date());
    m_mode->tick(t);
    m_alarms->CheckAlarmsAndSignals();
}

// The deferred start-up: everything that reads many files.
void TNoxMainForm::DeferredStartup()
{
    m_started = true;
    setWindowTitle(QStringLiteral("Nox - ver ") + productVersion());
    runConversions();
    // The splitter keeps sizes only once the window is laid out: apply them again.
    setToolBarHeight(m_toolBarHeight);
    setMemoVisible(m_memoVisible);

    const ListFileResult holidays = m_holidays.load(m_dataFolder, folders::defaultFolder());
    noteListProblem(holidays, QStringLiteral("祝日は表示されません。"));
    noteUnreadableLines(holidays, holidayLinesUnread(m_holidays, holidays), QStringLiteral("祝日"));
    m_holidays.extendByLaw();
    m_month->ClearHolidays();
    for (const auto& [key, holiday] : m_holidays.items()) {
        m_month->AddHoliday(holiday.Name, HolidayList::dateOfKey(key));
    }
    loadImageStrip();

    m_settings.readStartup(Settings(iniPath()));
    if (m_settings.calendarMarks != 0) {
        applyCalendarMarks();
    }
    const ListFileResult categories = loadCategories(m_categories, m_dataFolder, folders::defaultFolder());
    noteListProblem(categories, QStringLiteral("分類は一覧にありません。"));
    noteUnreadableLines(categories,
                        int(std::count_if(m_categories.cbegin(), m_categories.cend(), looksGarbled)),
                        QStringLiteral("分類"));
    ShowCategoryFilter();
    m_status->setOwnerDraw(m_settings.statusBar);
    updateStatusColors();
    m_month->View()->SetTimeViewStyle(monthview::TMonthTimeViewStyle(qBound(0, m_settings.timeViewStyle, 2)));

    if (!m_memoStore.open(m_dataFolder).ok()) {
        NoteLoadProblem(
            m_memoStore.path(),
            QStringLiteral("日別メモのファイル「%1」を開けません: %2\n日別メモは表示も保存もできません。")
                .arg(m_memoStore.path(), m_memoStore.lastError()));
    }
    m_banner->setToday(today());
    m_banner->setStarted(true);
    const QDate start = today().addDays(m_settings.leftDate);
    m_dayMode->setLeftDate(start);
    m_mode->start(start);
    m_sked->setImages(&m_images);
    m_month->SetImages(&m_images);

    if (m_settings.taskBar) {
        AddTrayIcon();
    }
    buildClock();
    m_alarms->setDataFolder(m_dataFolder);
    reportAlarmProblems(m_alarms->LoadAlarmList());
    // From now on every change of a schedule writes the alarm file at once.
    m_alarms->setWriteThrough(true);
    readAlarmSettings();
    setUpPopups();
    if (m_settings.tempMemoVisible) {
        FreeMemoClick(false); // shown in front, the focus stays here
    }
    UpdateBanner();
    m_mode->layoutPanes();
    m_commands->updateAvailability();
    if (OnStarted) {
        OnStarted(this);
    }
}

// A list file that exists but could not be read is told with the load
// notices, naming the file (its error does); `what` says what follows.
void TNoxMainForm::noteListProblem(const ListFileResult& result, const QString& what)
{
    if (!result.ok()) {
        NoteLoadProblem(result->source, result.message() + QLatin1Char('\n') + what);
    }
}

// Lines of a list that hold no entry (or only bytes that are no text) are
// told; the file stays as it is.
void TNoxMainForm::noteUnreadableLines(const ListFileResult& result, int lines, const QString& what)
{
    if (!result.ok() || lines <= 0) {
        return;
    }
    NoteLoadProblem(
        result->source + QStringLiteral("#lines"),
        QStringLiteral("ファイル「%1」の %2 行は%3として読めません（ファイルはそのまま残ります）。")
            .arg(result->source)
            .arg(lines)
            .arg(what));
}

void TNoxMainForm::runConversions()
{
    std::unique_ptr<TForm10> progress;
    conversions::UpdateProgress callbacks;
    callbacks.begin = [&](int total) {
        progress = std::make_unique<TForm10>(this, QStringLiteral("更新中..."));
        progress->SetMaximum(total);
    };
    callbacks.step = [&](int) {
        if (progress) {
            progress->Advance();
        }
    };
    callbacks.end = [&]() {
        if (progress) {
            progress->close();
        }
    };
    const auto result = conversions::runConversions(m_storedVersion, m_dataFolder, callbacks);
    if (result.styleFontsConverted) {
        ApplyStyle(m_settings.style);
    }
    if (!result.dayFiles.failedFiles.isEmpty()) {
        ReportFailure(Status::failed(
            result.dayFiles.failedFiles.first(),
            QStringLiteral("次の予定ファイルを更新できませんでした（元のまま残っています）:\n") +
                result.dayFiles.failedFiles.join(QLatin1Char('\n'))));
    }
}

void TNoxMainForm::loadImageStrip()
{
    const QString own = m_dataFolder + QStringLiteral("/images.bmp");
    if (QFile::exists(own)) {
        const ImageStripResult read = m_imageStrip.load(own);
        if (!read.ok()) {
            NoteLoadProblem(
                own,
                read.message() + QStringLiteral("\n予定の画像は表示されません（ファイルはそのまま残ります）。"));
        }
    } else {
        // The factory strip; without it the schedules show no images.
        static_cast<void>(m_imageStrip.load(folders::defaultFolder() + QStringLiteral("/images.bmp")));
        m_imagesChanged = true;
    }
    m_images.clear();
    for (int i = 0; i < m_imageStrip.count(); ++i) {
        m_images.append(QPixmap::fromImage(m_imageStrip.pixmap(i)));
    }
    m_sked->ImagesChanged();
    m_month->ImagesChanged();
}

// A list of alarms that could not be read in full is told with the load
// notices: a read problem, shown without blocking the alarm checks that
// start right after.
void TNoxMainForm::reportAlarmProblems(const AlarmLoadResult& loaded)
{
    const QString path = alarmFilePath(m_dataFolder);
    if (!loaded.ok()) {
        NoteLoadProblem(path, loaded.message());
    } else if (!loaded->isEmpty()) {
        NoteLoadProblem(path, loaded->join(QLatin1Char('\n')) +
                                  QStringLiteral("\nファイル「%1」のこれらの行では警報は鳴りません。")
                                      .arg(QDir::toNativeSeparators(path)));
    }
    ShowLoadNotices();
}

void TNoxMainForm::readAlarmSettings()
{
    AlarmSettings s = nox::readAlarmSettings(Settings(iniPath()));
    s.popupFormat = m_settings.popupFormat;
    m_alarms->setDataFolder(m_dataFolder);
    m_alarms->setSettings(s);
    m_alarms->clock = [this]() { return now(); };
    m_alarms->ShowPopupMessage = [this](const PopupRequest& request) { openPopup(request); };
    // A day file an alarm could not read is told like every other read
    // problem (the alarm's own popup names it too).
    m_alarms->OnReadProblem = [this](const BookResult& unreadable) {
        NoteLoadProblem(unreadable.message(), unreadable.message());
        ShowLoadNotices();
    };
}

// Close query: in tray mode closing only hides the window, unless the tray
// menu asked to exit or there is no tray icon to bring the window back.
void TNoxMainForm::closeEvent(QCloseEvent* event)
{
    const bool trayShown = m_tray && m_tray->isVisible() && QSystemTrayIcon::isSystemTrayAvailable();
    if (tray::closeHidesWindow(m_settings.taskBar, trayShown, isVisible(), m_exitRequested)) {
        event->ignore();
        hide();
        return;
    }
    // Ending with the session asks nothing: what cannot be written is told
    // after the window has gone.
    if (!m_endingSession && (!freeMemoSaved() || !dayMemosSaved())) {
        event->ignore();
        return;
    }
    event->accept();
    FormDestroy();
    if (OnClose) {
        OnClose(this);
    }
}

bool TNoxMainForm::dayMemosSaved()
{
    if (!m_started) {
        return true;
    }
    m_mode->saveMemos();
    if (!m_memoPanes->hasUnsaved()) {
        return true;
    }
    // The failed writes are told here, in the question, not in a box of their own.
    QMessageBox box(QMessageBox::Warning, QApplication::applicationName(),
                    WriteFailureNotices::noticeText(m_writeFailures->takePending()) +
                        QStringLiteral("\n\n保存しないで終了すると、書き込めなかったメモは失われます。"
                                       "保存しないで終了しますか？"),
                    QMessageBox::Yes | QMessageBox::No, this);
    box.setDefaultButton(QMessageBox::No);
    if (box.exec() != QMessageBox::Yes) {
        return false;
    }
    m_memoPanes->discardUnsaved();
    return true;
}

void TNoxMainForm::ExitFromTray()
{
    m_exitRequested = true;
    close();
}

// Shutdown, in its order. Runs once: at close, or at destruction when the
// window was never closed (tests).
void TNoxMainForm::FormDestroy()
{
    if (m_destroyed) {
        return;
    }
    m_destroyed = true;
    m_timer.stop();
    if (m_settings.taskBar && !m_displayLost) {
        RemoveTrayIcon();
    }
    if (m_started) {
        m_mode->saveMemos();
    }
    // The many settings writes below make one write of the file.
    SettingsBatch batch(iniPath());
    if (m_imagesChanged) {
        // A failure goes to the write-failure notices.
        static_cast<void>(m_imageStrip.save(m_dataFolder + QStringLiteral("/images.bmp")));
    }
    emptyTempFolder();
    m_memoStore.close();
    const bool freeMemoOpen = closeFreeMemo();
    if (m_started) {
        static_cast<void>(m_alarms->SaveAlarmList()); // a failure goes to the write-failure notices
    }
    writeShutdownSettings(freeMemoOpen);
    if (const Status committed = batch.commit(); !committed) {
        ReportFailure(Status::failed(iniPath(), committed.message()));
    }
}

void TNoxMainForm::writeShutdownSettings(bool freeMemoOpen)
{
    Settings ini(iniPath());
    ini.writeString(Key::NoxVersion, productVersion());
    writeBackSettings();
    if (m_started) {
        ini.writeString(Key::CategorySelect, m_settings.categoryFilter);
    }
    if (m_clock && m_started) {
        ini.writeInt(Key::ClockLeft, m_clock->x());
        ini.writeInt(Key::ClockTop, m_clock->y());
    }
    if (m_started) {
        ini.writeBool(Key::TempMemoVisible, freeMemoOpen);
    }
}

void TNoxMainForm::EndSession()
{
    if (m_destroyed || m_endingSession) {
        return;
    }
    m_endingSession = true;
    m_exitRequested = true;
    // An open dialog runs an event loop of its own: each ends first (nested
    // ones from the top), then the window closes from the main loop.
    constexpr int kMostNestedDialogs = 16;
    for (int i = 0; i < kMostNestedDialogs; ++i) {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal || modal == this) {
            break;
        }
        if (auto* dialog = qobject_cast<QDialog*>(modal)) {
            dialog->reject();
        } else {
            modal->close();
        }
    }
    QTimer::singleShot(0, this, [this] { close(); });
}

void TNoxMainForm::SaveForSession()
{
    if (!m_started || m_destroyed) {
        return;
    }
    m_mode->saveMemos();
    const bool freeMemoOpen = m_freeMemo && m_freeMemo->isVisible();
    if (freeMemoOpen) {
        m_freeMemo->SaveChanges(TForm11::SaveReason::Auto);
    }
    SettingsBatch batch(iniPath());
    writeShutdownSettings(freeMemoOpen);
    static_cast<void>(m_alarms->SaveAlarmList()); // a failure goes to the write-failure notices
    if (const Status committed = batch.commit(); !committed) {
        ReportFailure(Status::failed(iniPath(), committed.message()));
    }
}

void TNoxMainForm::SaveOnLostDisplay()
{
    if (m_destroyed) {
        return;
    }
    m_displayLost = true;
    FormDestroy();
    // No display is left for a box.
    for (const QString& message : m_writeFailures->takePending()) {
        std::fprintf(stderr, "nox: %s\n", message.toLocal8Bit().constData());
    }
}

void TNoxMainForm::writeBackSettings()
{
    Settings ini(iniPath());
    const int state = isMaximized() ? 2 : (isMinimized() ? 1 : 0);
    ini.writeInt(Key::Window1WindowState, state);
    if (state != 2) {
        const QRect g = storedWindowPlacement(geometry(), frameGeometry(), normalGeometry(), state == 1);
        ini.writeInt(Key::Window1Left, g.x());
        ini.writeInt(Key::Window1Top, g.y());
        ini.writeInt(Key::Window1Width, g.width());
        ini.writeInt(Key::Window1Height, g.height());
    }
    ini.writeInt(Key::SkedCount, skedCount());
    ini.writeInt(Key::SkedStyle, m_settings.style);
    ini.writeInt(Key::SkedLeftDate, m_settings.leftDate);
    ini.writeInt(Key::Window1ToolbarHeight, m_toolBarHeight);
    ini.writeInt(Key::Window1ViewMode, int(viewMode()));
    ini.writeInt(Key::MonthViewTimeViewStyle, int(m_month->View()->TimeViewStyle()));
    ini.writeBool(Key::Window1Memo, m_memoVisible);
    ini.writeInt(Key::Window1MemoHeight, m_memoHeight);
}

void TNoxMainForm::emptyTempFolder()
{
    QDir temp(m_dataFolder + QStringLiteral("/temp"));
    if (!temp.exists()) {
        return;
    }
    for (const QString& name : temp.entryList(QDir::Files | QDir::Hidden)) {
        temp.remove(name);
    }
}

void TNoxMainForm::ShowHelp()
{
    OpenLocalPage(this, folders::helpPage(), m_options.pageOpener);
}

void TNoxMainForm::ShowAbout()
{
    TForm8 box(windowTitle(), this);
    box.OnHelp = [this](QObject*) { ShowHelp(); };
    box.exec();
}

} // namespace nox
