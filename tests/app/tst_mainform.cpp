// The main window on a temporary data folder: start-up and shutdown,
// navigation and focus, day memos, the month fill and the alarm beat.
#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QSystemTrayIcon>
#include <QTest>
#include <QTimer>
#include <QWheelEvent>
#include <cerrno>

#include "../common/records.h"
#include "alarm/alarmcenter.h"
#include "alarm/ui/popupwindow.h"
#include "app/appenvironment.h"
#include "app/clockpanel.h"
#include "app/datebanner.h"
#include "app/memopanes.h"
#include "app/statuspanels.h"
#include "core/inifile.h"
#include "core/screenfont.h"
#include "core/textfile.h"
#include "mainformfixture.h"
#include "monthview/monthview.h"
#include "sked/skedcontrol.h"
#include "store/dayfile.h"
#include "store/memostore.h"
#include "store/schedulebook.h"
#include "widgets/noxbutton.h"
#include "widgets/noxmemo.h"

using namespace nox;

namespace
{

QByteArray skedLine(int start, int end, qint32 id, const QString& text, const QString& category = {},
                    int alarm = -1)
{
    return testing::dayFileBytes(start, end, id, text, category, alarm);
}

QString ini(const MainFormFixture& f, const QString& section, const QString& key)
{
    return IniFile(f.dataFile(QStringLiteral("Nox.ini"))).readString(section, key, QStringLiteral("<none>"));
}

void click(TNoxMainForm* form, const char* hint)
{
    TNoxButton* b = form->toolButton(QString::fromUtf8(hint));
    QVERIFY2(b, hint);
    b->Click();
}

QString storedMemo(const MainFormFixture& f, const QDate& date)
{
    MemoStore store;
    static_cast<void>(store.open(f.dataFolder()));
    return store.read(date);
}

// Answers the next modal question with `button` once it is open.
void answerNextQuestion(QMessageBox::StandardButton button, QString* text)
{
    QTimer::singleShot(0, [button, text] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        QVERIFY(box);
        *text = box->text();
        box->button(button)->click();
    });
}

} // namespace

class TestMainForm : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { installFontSubstitutions(); }

    void firstStartCreatesFolderAndWritesBack();
    void restartKeepsPlacementViewModeAndCount();
    void tooSmallWidthIsRaised();
    void placementIsStoredAtTheFrame();
    void nextAndPreviousDayKeepTheFocusedDate();
    void weekMonthAndCountCommands();
    void stepsFindTheirDaysReadAhead();
    void aStepLaysOutEachColumnOnce();
    void ctrlDigitsAndLettersChangeTheCount();
    void navigationKeysWorkInAMemoPane();
    void todayOnlyMovesTheFocusWhenShown();
    void dayMemosAreSavedUnderTheirDates();
    void monthViewMemosAndSwitching();
    void monthFillHonoursTheCategoryFilter();
    void switchingKeepsTheSelectedSchedule();
    void alarmsFireAtSecondZero();
    void alarmOpensPopupWindow();
    void nowMarkerFollowsTodayAndTime();
    void expandMarkOpensTheDayView();
    void trayModeWithoutTrayReallyCloses();
    void clockSitsInItsCornerAndIsWrittenBack();
    void editorRefreshHooks();
    void categoryMenuFromTheStatusBar();
    void scheduleMemoIsWrittenBackFromTheMonthView();
    void scheduleMemoSurvivesARefill();
    void inPlaceEditIsWrittenOrReported();
    void editOfADayChangedOnDiskKeepsBothSides();
    void failedMemoWriteBackKeepsFileAndAlarms();
    void unreadableDayIsReported();
    void unreadableLinesAreToldOnce();
    void longTextsDoNotSlowTheStart();
    void typedMemoIsKeptUntilStored();
    void dayMemoIsSavedAfterAPauseInTyping();
    void sessionEndSavesWithoutQuestions();
    void dayMemoChangedElsewhereIsKeptBeforeThePanes();
    void noticesDoNotHoldUpTheAlarms();
    void alarmOfAnUnreadableDayFileIsTold();
    void garbledListsAndLooksAreTold_data();
    void garbledListsAndLooksAreTold();
    void memoFileThatCannotBeOpenedIsTold();
    void listFileThatCannotBeReadIsTold_data();
    void listFileThatCannotBeReadIsTold();
    void holidayListRenamedAtStartIsShown();
    void wheelScrollsOneHalfHour();
    void bannerKeepsTheStyleFontSizes();
    void repaintsAreTheSame();
    void reviewShots();
};

void TestMainForm::firstStartCreatesFolderAndWritesBack()
{
    MainFormFixture f;
    QVERIFY(!QFile::exists(f.dataFolder()));
    TNoxMainForm* form = f.start();
    QVERIFY(form->isStarted());
    QVERIFY(QFile::exists(f.dataFolder()));
    QVERIFY(QFile::exists(f.dataFile(QStringLiteral("style.ini"))));
    QCOMPARE(form->windowTitle(), QStringLiteral("Nox - ver 2.05"));
    QCOMPARE(form->viewMode(), TNoxMainForm::vmDay);
    QCOMPARE(form->skedCount(), 5);
    QCOMPARE(form->memoPaneCount(), 5);
    QCOMPARE(form->leftDate(), f.clock.date());
    QCOMPARE(form->skedControl()->ActiveIndex(), 0);
    QCOMPARE(form->statusPanels()->panelText(0), QStringLiteral("分類 指定なし"));
    QCOMPARE(form->statusPanels()->panelText(1), QStringLiteral("水曜日 (0)"));
    QVERIFY(!QFile::exists(f.dataFile(QStringLiteral("images.bmp"))));
    f.stop();
    QVERIFY(QFile::exists(f.dataFile(QStringLiteral("images.bmp"))));
    QCOMPARE(ini(f, QStringLiteral("nox"), QStringLiteral("version")), QStringLiteral("2.05"));
    QCOMPARE(ini(f, QStringLiteral("sked"), QStringLiteral("count")), QStringLiteral("5"));
    QCOMPARE(ini(f, QStringLiteral("window1"), QStringLiteral("viewmode")), QStringLiteral("1"));
}

void TestMainForm::restartKeepsPlacementViewModeAndCount()
{
    MainFormFixture f;
    TNoxMainForm* form = f.start();
    form->setGeometry(40, 50, 700, 520);
    form->SetSkedCount(3);
    form->SwitchViewClick();
    QCOMPARE(form->viewMode(), TNoxMainForm::vmMonth);
    const QRect placed = form->geometry();
    f.stop();
    QCOMPARE(ini(f, QStringLiteral("window1"), QStringLiteral("width")), QString::number(placed.width()));
    QCOMPARE(ini(f, QStringLiteral("window1"), QStringLiteral("viewmode")), QStringLiteral("2"));

    form = f.start();
    QCOMPARE(form->geometry().size(), placed.size());
    QCOMPARE(form->viewMode(), TNoxMainForm::vmMonth);
    QCOMPARE(form->memoPaneCount(), 2);
    QCOMPARE(form->memoPane(1)->TopBarCaption(), QStringLiteral("日別メモ"));
    QCOMPARE(form->toolButton(QStringLiteral("表示切替"))->Caption(), QStringLiteral("週"));
    QCOMPARE(form->toolButton(QStringLiteral("次の日"))->toolTip(), QStringLiteral("次月"));
    form->SwitchViewClick();
    QCOMPARE(form->skedCount(), 3);
    QCOMPARE(form->memoPaneCount(), 3);
}

void TestMainForm::tooSmallWidthIsRaised()
{
    MainFormFixture f;
    QDir().mkpath(f.dataFolder());
    IniFile(f.dataFile(QStringLiteral("Nox.ini")))
        .writeInteger(QStringLiteral("window1"), QStringLiteral("width"), 300);
    TNoxMainForm* form = f.start(false);
    QCOMPARE(form->width(), 450);
}

// Start-up moves the frame to "left"/"top": storing the client's corner
// instead would walk the window down by its title bar at every start.
void TestMainForm::placementIsStoredAtTheFrame()
{
    const QRect frame(100, 100, 640, 495);
    const QRect client(105, 130, 630, 460);
    QCOMPARE(storedWindowPlacement(client, frame, client, false), QRect(100, 100, 630, 460));
    const QRect normal(305, 230, 700, 500);
    QCOMPARE(storedWindowPlacement(client, frame, normal, true), QRect(300, 200, 700, 500));
}

void TestMainForm::nextAndPreviousDayKeepTheFocusedDate()
{
    MainFormFixture f;
    f.writeFile(QStringLiteral("20260313.dat"), skedLine(20, 21, 111, QStringLiteral("meeting")));
    TNoxMainForm* form = f.start();
    sked::TSkedControl* sked = form->skedControl();
    const QDate left = form->leftDate();
    // Select the schedule in the third column (2026-03-13).
    sked::TSked* third = sked->Skeds(2);
    third->setFocus();
    third->SelectItem(third->Items().Items(0));
    QCOMPARE(sked->ActiveIndex(), 2);
    click(form, "次の日");
    QCOMPARE(form->leftDate(), left.addDays(1));
    QCOMPARE(sked->ActiveIndex(), 1);
    QVERIFY(sked->Skeds(1)->SelectedItem());
    QCOMPARE(sked->Skeds(1)->SelectedItem()->ID, 111);
    QCOMPARE(form->statusPanels()->panelText(2), QStringLiteral("10:00-10:30"));

    // The last column keeps the focus when moving back.
    sked->Skeds(4)->setFocus();
    QCOMPARE(sked->ActiveIndex(), 4);
    click(form, "前の日");
    QCOMPARE(form->leftDate(), left);
    QCOMPARE(sked->ActiveIndex(), 4);

    // Left arrow in column 0 moves one day back and stays in column 0.
    sked->Skeds(0)->setFocus();
    QTest::keyClick(sked->Skeds(0), Qt::Key_Left);
    QCOMPARE(form->leftDate(), left.addDays(-1));
    QCOMPARE(sked->ActiveIndex(), 0);
    QCOMPARE(sked->Skeds(0)->View().TopBar().Caption(), QStringLiteral("2026/3/10(火)"));
}

// The start reads only the days it shows; a step leaves the days of the next
// step either way to the book's read ahead, so that step reads no day file,
// in both views, whichever column has the focus.
void TestMainForm::stepsFindTheirDaysReadAhead()
{
    MainFormFixture f;
    TNoxMainForm* form = f.start();
    ScheduleBook& book = form->book();
    book.waitForReadAhead();
    QCOMPARE(book.cacheStats().days, form->skedCount());
    form->SetSkedCount(4);
    form->skedControl()->setActiveIndex(2); // without waiting for the window's activation
    // Day files the step itself read; its read ahead starts once it is painted.
    const auto readsOf = [&](const std::function<void()>& step) {
        const auto own = [&] { return book.cacheStats().fileReads - book.cacheStats().aheadReads; };
        const int before = own();
        step();
        const int reads = own() - before;
        QCoreApplication::sendPostedEvents();
        book.waitForReadAhead();
        return reads;
    };
    QVERIFY(readsOf([&] { form->NextWeekClick(); }) > 0);
    QCOMPARE(readsOf([&] { form->NextWeekClick(); }), 0);
    QCOMPARE(readsOf([&] { form->PrevWeekClick(); }), 0);
    QCOMPARE(readsOf([&] { form->PrevWeekClick(); }), 0);
    QCOMPARE(readsOf([&] { form->NextDayClick(); }), 0);
    QCOMPARE(readsOf([&] { form->PrevDayClick(); }), 0);
    QCOMPARE(form->skedControl()->ActiveIndex(), 2);
    form->SwitchViewClick();
    QVERIFY(readsOf([&] { form->NextMonthClick(); }) > 0);
    QCOMPARE(readsOf([&] { form->NextMonthClick(); }), 0);
    QCOMPARE(readsOf([&] { form->PrevMonthClick(); }), 0);
    QCOMPARE(readsOf([&] { form->PrevMonthClick(); }), 0);
    QCOMPARE(readsOf([&] { form->PrevMonthClick(); }), 0);
}

// A week's step moves the weekend columns: their colours change with their
// days, and each column is still laid out and drawn once.
void TestMainForm::aStepLaysOutEachColumnOnce()
{
    MainFormFixture f;
    TNoxMainForm* form = f.start();
    form->SetSkedCount(7);
    form->NextWeekClick(); // the first step also gives a column the focus
    const auto colors = [&] {
        QList<TColor> c;
        for (int i = 0; i < 7; ++i) {
            c << form->skedControl()->Skeds(i)->View().LeftBar().Color();
        }
        return c;
    };
    QList<int> before;
    for (int i = 0; i < 7; ++i) {
        before << form->skedControl()->Skeds(i)->renderCount();
    }
    const QList<TColor> weekdays = colors();
    form->NextWeekClick(); // 13 days on: each column's weekday moves back by one
    QVERIFY(colors() != weekdays);
    for (int i = 0; i < 7; ++i) {
        QCOMPARE(form->skedControl()->Skeds(i)->renderCount(), before.at(i) + 1);
    }
}

void TestMainForm::weekMonthAndCountCommands()
{
    MainFormFixture f;
    TNoxMainForm* form = f.start();
    form->SetSkedCount(3);
    const QDate left = form->leftDate();
    form->skedControl()->Skeds(0)->setFocus();
    form->NextWeekClick();
    QCOMPARE(form->leftDate(), left.addDays(9));
    QCOMPARE(form->skedControl()->ActiveIndex(), 0);
    form->PrevWeekClick();
    QCOMPARE(form->leftDate(), left.addDays(2));
    form->NextMonthClick();
    QCOMPARE(form->leftDate(), left.addDays(2).addMonths(1).addDays(2));

    form->SetSkedCount(7);
    click(form, "表示日数を増やす");
    QCOMPARE(form->skedCount(), 7);
    click(form, "表示日数を減らす");
    QCOMPARE(form->skedCount(), 6);
    QCOMPARE(form->memoPaneCount(), 6);
    QVERIFY(form->dateBanner()->periodText().contains(QStringLiteral("～")));

    // In the month view the week commands do nothing.
    form->SwitchViewClick();
    const QDate month = form->monthView()->CurrentDate();
    form->NextWeekClick();
    QCOMPARE(form->monthView()->CurrentDate(), month);
    form->NextMonthClick();
    QCOMPARE(form->monthView()->CurrentDate(), month.addMonths(1));
}

// The navigation shortcuts belong to the window: a memo pane with the focus
// must not take Ctrl+K, Ctrl+H or the others as editing keys.
void TestMainForm::navigationKeysWorkInAMemoPane()
{
    MainFormFixture f;
    TNoxMainForm* form = f.start();
    const QDate left = form->leftDate();
    TNoxMemo* pane = form->memoPane(0);
    pane->setFocus();
    QTest::keyClicks(pane, "abc");
    pane->moveCursor(QTextCursor::Start);
    QTest::keyClick(pane, Qt::Key_K, Qt::ControlModifier);
    QCOMPARE(form->leftDate(), left.addDays(5 + 6));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_J, Qt::ControlModifier);
    QCOMPARE(form->leftDate(), left.addDays(4));
    form->memoPane(0)->setFocus();
    QTest::keyClick(form->memoPane(0), Qt::Key_H, Qt::ControlModifier);
    QCOMPARE(form->leftDate(), left);
    QCOMPARE(storedMemo(f, left), QStringLiteral("abc")); // not cut by Ctrl+K
}

void TestMainForm::ctrlDigitsAndLettersChangeTheCount()
{
    MainFormFixture f;
    TNoxMainForm* form = f.start();
    QWidget* column = form->skedControl()->Skeds(0);
    column->setFocus();
    QTest::keyClick(column, Qt::Key_2, Qt::ControlModifier);
    QCOMPARE(form->skedCount(), 2);
    QTest::keyClick(form->skedControl()->Skeds(0), Qt::Key_U, Qt::ControlModifier);
    QCOMPARE(form->skedCount(), 3);
    QTest::keyClick(form->skedControl()->Skeds(0), Qt::Key_L, Qt::ControlModifier);
    QCOMPARE(form->skedCount(), 2);
    QTest::keyClick(form->skedControl()->Skeds(0), Qt::Key_7, Qt::ControlModifier | Qt::ShiftModifier);
    QCOMPARE(form->skedCount(), 2); // Shift: not a count command
    QTest::keyClick(form->skedControl()->Skeds(0), Qt::Key_7, Qt::ControlModifier);
    QCOMPARE(form->skedCount(), 7);
    QTest::keyClick(form->skedControl()->Skeds(0), Qt::Key_7, Qt::ControlModifier);
    QCOMPARE(form->skedCount(), 7);
}

void TestMainForm::todayOnlyMovesTheFocusWhenShown()
{
    MainFormFixture f;
    TNoxMainForm* form = f.start();
    form->skedControl()->Skeds(3)->setFocus();
    const QDate left = form->leftDate();
    click(form, "今日へ移動");
    QCOMPARE(form->leftDate(), left);
    QCOMPARE(form->skedControl()->ActiveIndex(), 0);
    // From far away, today appears in the focused column.
    form->skedControl()->Skeds(2)->setFocus();
    form->GoToDate(QDate(2026, 8, 1));
    QCOMPARE(form->leftDate(), QDate(2026, 7, 30));
    click(form, "今日へ移動");
    QCOMPARE(form->leftDate(), f.clock.date().addDays(-2));
    QCOMPARE(form->skedControl()->ActiveIndex(), 2);
}

void TestMainForm::dayMemosAreSavedUnderTheirDates()
{
    MainFormFixture f;
    TNoxMainForm* form = f.start();
    const QDate left = form->leftDate();
    TNoxMemo* third = form->memoPane(2);
    third->setFocus();
    QTest::keyClicks(third, "buy milk");
    QVERIFY(third->Modified());
    QCOMPARE(form->skedControl()->ActiveIndex(), 2); // the pane's column follows the focus
    click(form, "次の日");
    QCOMPARE(form->memoPane(1)->Text(), QStringLiteral("buy milk"));
    QVERIFY(form->memoPane(1)->hasFocus());
    QCOMPARE(form->memoPane(2)->Text(), QString());
    f.stop();
    QCOMPARE(storedMemo(f, left.addDays(2)), QStringLiteral("buy milk"));
    QCOMPARE(storedMemo(f, left.addDays(3)), QString());

    // Cleared completely, the memo reads empty again.
    form = f.start();
    QCOMPARE(form->memoPane(2)->Text(), QStringLiteral("buy milk"));
    form->memoPane(2)->selectAll();
    QTest::keyClick(form->memoPane(2), Qt::Key_Delete);
    form->NextDayClick();
    f.stop();
    QCOMPARE(storedMemo(f, left.addDays(2)), QString());
}

void TestMainForm::monthViewMemosAndSwitching()
{
    MainFormFixture f;
    TNoxMainForm* form = f.start();
    form->memoPane(0)->setFocus();
    QTest::keyClicks(form->memoPane(0), "first");
    form->SwitchViewClick(); // the row is saved before switching
    QCOMPARE(storedMemo(f, f.clock.date()), QStringLiteral("first"));
    QCOMPARE(form->memoPane(1)->Text(), QStringLiteral("first"));
    QVERIFY(form->memoPane(0)->isReadOnly()); // no schedule selected

    monthview::TMonthView* month = form->monthView();
    const int tenth = month->CellOfDate(QDate(2026, 3, 10));
    month->SelectCell(tenth);
    form->GoToDate(QDate(2026, 3, 10));
    QCOMPARE(month->SelectedDate(), QDate(2026, 3, 10));
    form->memoPane(1)->setFocus();
    QTest::keyClicks(form->memoPane(1), "tenth");
    form->GoToDate(QDate(2026, 3, 11));
    QCOMPARE(storedMemo(f, QDate(2026, 3, 10)), QStringLiteral("tenth"));
    QCOMPARE(form->memoPane(1)->Text(), QStringLiteral("first"));

    // Back in the day view the panes show the stored row.
    form->SwitchViewClick();
    QCOMPARE(form->viewMode(), TNoxMainForm::vmDay);
    QCOMPARE(form->memoPane(0)->Text(), QStringLiteral("first"));
}

void TestMainForm::monthFillHonoursTheCategoryFilter()
{
    MainFormFixture f;
    f.writeFile(QStringLiteral("20260320.dat"),
                skedLine(18, 19, 1, QStringLiteral("a-work"), QStringLiteral("A")) +
                    skedLine(20, 21, 2, QStringLiteral("b-home"), QStringLiteral("B")) +
                    skedLine(22, 23, 3, QStringLiteral("none#13#10second line")));
    f.writeFile(QStringLiteral("20260502.dat"), skedLine(18, 19, 4, QStringLiteral("outside")));
    IniFile(f.dataFile(QStringLiteral("Nox.ini")))
        .writeString(QStringLiteral("category"), QStringLiteral("select"), QStringLiteral("A"));
    IniFile(f.dataFile(QStringLiteral("Nox.ini")))
        .writeInteger(QStringLiteral("window1"), QStringLiteral("viewmode"), 2);
    TNoxMainForm* form = f.start();
    QCOMPARE(form->statusPanels()->panelText(0), QStringLiteral("A"));
    monthview::TMonthViewItems* items = form->monthView()->Items();
    QStringList texts;
    for (int i = 0; i < items->Count(); ++i) {
        texts << items->Item(i)->Text();
        QCOMPARE(items->Item(i)->Color(), form->dayKindColors().SkedBKColor);
    }
    QCOMPARE(texts, QStringList({QStringLiteral("a-work"), QStringLiteral("none")})); // first line only

    // Saving the day through the month view keeps the hidden B line.
    QVERIFY(form->mode().saveDay(QDate(2026, 3, 20)));
    const TDayLoadResult all = loadDay(f.dataFolder(), QDate(2026, 3, 20));
    QCOMPARE(all->records.size(), 3);

    // Without the filter all three show.
    form->SetCategoryFilter(QString());
    QCOMPARE(items->Count(), 3);
    f.stop();
    QCOMPARE(ini(f, QStringLiteral("category"), QStringLiteral("select")), QString());
}

void TestMainForm::switchingKeepsTheSelectedSchedule()
{
    MainFormFixture f;
    f.writeFile(QStringLiteral("20260312.dat"),
                skedLine(18, 19, 7, QStringLiteral("lunch")) + skedLine(24, 25, 8, QStringLiteral("call")));
    TNoxMainForm* form = f.start();
    sked::TSked* second = form->skedControl()->Skeds(1);
    second->setFocus();
    second->SelectItem(second->Items().Items(1));
    form->SwitchViewClick();
    QVERIFY(form->monthView()->SelectedItem());
    QCOMPARE(form->monthView()->SelectedItem()->ID(), 8);
    // Counted from the selected schedule onwards: "call" is the last of two.
    QCOMPARE(form->statusPanels()->panelText(1), QStringLiteral("木曜日 (1)"));
    form->SwitchViewClick();
    sked::TSked* active = form->skedControl()->ActiveSked();
    QVERIFY(active);
    QVERIFY(active->SelectedItem());
    QCOMPARE(active->SelectedItem()->ID, 8);
}

void TestMainForm::alarmsFireAtSecondZero()
{
    MainFormFixture f;
    f.writeFile(QStringLiteral("20260311.dat"), skedLine(19, 20, 42, QStringLiteral("dentist"), {}, 5));
    TNoxMainForm* form = f.start(false);
    TSkedRec rec;
    rec.setDate(QDate(2026, 3, 11));
    rec.StartTime = 19;
    rec.EndTime = 20;
    rec.ID = 42;
    rec.AlarmMinutes = 5;
    form->alarms().UpdateScheduleAlarms(rec, 1);
    QCOMPARE(form->alarms().list().count(), 2);

    f.clock = QDateTime(QDate(2026, 3, 11), QTime(9, 24, 59));
    form->timerBeat();
    QVERIFY(f.popups.isEmpty());
    f.clock = QDateTime(QDate(2026, 3, 11), QTime(9, 25, 0));
    form->timerBeat();
    QCOMPARE(f.popups.size(), 1);
    QCOMPARE(f.popups.at(0).message, QStringLiteral("9:30-10:00\r\ndentist"));
    form->timerBeat(); // the same second again fires nothing more
    QCOMPARE(f.popups.size(), 1);
    f.clock = QDateTime(QDate(2026, 3, 11), QTime(9, 30, 0));
    form->timerBeat();
    QCOMPARE(f.popups.size(), 2);
    QVERIFY(form->alarms().list().isEmpty());
    f.stop();
    QVERIFY(!QFile::exists(f.dataFile(QStringLiteral("alarm.nox"))));
}

void TestMainForm::alarmOpensPopupWindow()
{
    MainFormFixture f;
    f.capturePopups = false;
    f.writeFile(QStringLiteral("20260311.dat"), skedLine(17, 18, 5, QStringLiteral("standup"), {}, 0));
    f.writeFile(QStringLiteral("alarm.nox"), "2026/03/11 08:30\t5\t1\r\n");
    TNoxMainForm* form = f.start();
    f.clock = QDateTime(QDate(2026, 3, 11), QTime(8, 30, 0));
    form->timerBeat();
    TForm7* popup = nullptr;
    QCOMPARE(form->alarms().list().count(), 0);
    for (QWidget* w : QApplication::allWidgets()) {
        popup = popup ? popup : qobject_cast<TForm7*>(w);
    }
    QVERIFY(popup);
    QCOMPARE(popup->Message(), QStringLiteral("8:30-9:00\r\nstandup"));
    QVERIFY(popup->Record().has_value());
    delete popup;
}

void TestMainForm::nowMarkerFollowsTodayAndTime()
{
    MainFormFixture f;
    f.clock = QDateTime(QDate(2026, 3, 11), QTime(8, 29, 59));
    TNoxMainForm* form = f.start();
    sked::TSkedControl* sked = form->skedControl();
    QCOMPARE(sked->Skeds(0)->View().LeftBar().HighlightLine(), 16);
    f.clock = f.clock.addSecs(1);
    form->timerBeat();
    QCOMPARE(sked->Skeds(0)->View().LeftBar().HighlightLine(), 17);
    form->GoToDate(QDate(2026, 4, 1));
    for (int i = 0; i < sked->SkedCount(); ++i) {
        QCOMPARE(sked->Skeds(i)->View().LeftBar().HighlightLine(), -1);
    }
    form->TodayClick();
    QCOMPARE(sked->Skeds(int(form->leftDate().daysTo(f.clock.date())))->View().LeftBar().HighlightLine(), 17);
}

void TestMainForm::expandMarkOpensTheDayView()
{
    MainFormFixture f;
    QByteArray many;
    for (int i = 0; i < 9; ++i) {
        many += skedLine(16 + i, 16 + i, 100 + i, QStringLiteral("entry %1").arg(i));
    }
    f.writeFile(QStringLiteral("20260318.dat"), many);
    IniFile(f.dataFile(QStringLiteral("Nox.ini")))
        .writeInteger(QStringLiteral("window1"), QStringLiteral("viewmode"), 2);
    TNoxMainForm* form = f.start();
    monthview::TMonthView* month = form->monthView();
    const int cell = month->CellOfDate(QDate(2026, 3, 18));
    const QRect mark = month->ExpandRect(cell);
    QVERIFY2(mark.width() > 0, "nine entries do not fit in a cell");
    QTest::mouseClick(month, Qt::LeftButton, {}, mark.center() + month->ClientOrigin());
    QCOMPARE(form->viewMode(), TNoxMainForm::vmDay);
    sked::TSked* active = form->skedControl()->ActiveSked();
    QVERIFY(active);
    QCOMPARE(form->leftDate().addDays(form->skedControl()->ActiveIndex()), QDate(2026, 3, 18));
    QCOMPARE(active->Items().Count(), 9);
}

void TestMainForm::trayModeWithoutTrayReallyCloses()
{
    MainFormFixture f;
    QDir().mkpath(f.dataFolder());
    IniFile(f.dataFile(QStringLiteral("Nox.ini")))
        .writeBool(QStringLiteral("window1"), QStringLiteral("taskbar"), true);
    TNoxMainForm* form = f.start();
    if (QSystemTrayIcon::isSystemTrayAvailable()) {
        QSKIP("a tray is available here");
    }
    QVERIFY(form->close());
    QVERIFY(!form->isVisible());
    // Shutdown ran: the version is written.
    QCOMPARE(ini(f, QStringLiteral("nox"), QStringLiteral("version")), QStringLiteral("2.05"));
}

void TestMainForm::clockSitsInItsCornerAndIsWrittenBack()
{
    MainFormFixture f;
    TNoxMainForm* form = f.start();
    form->resize(800, 600);
    QTest::qWait(20);
    TClockPanel* clock = form->clockPanel();
    QVERIFY(clock && clock->isVisible());
    QCOMPARE(clock->text(), QStringLiteral("08:15 午前"));
    const int statusTop = form->height() - form->statusPanels()->height();
    QCOMPARE(clock->x() + clock->width(), form->width() - 2);
    QCOMPARE(clock->y() + clock->height(), statusTop - 2);
    const QPoint pos = clock->pos();
    f.stop();
    QCOMPARE(ini(f, QStringLiteral("clock"), QStringLiteral("left")), QString::number(pos.x()));
    QCOMPARE(ini(f, QStringLiteral("clock"), QStringLiteral("top")), QString::number(pos.y()));
}

// What the schedule editor will call after it has written a record.
void TestMainForm::editorRefreshHooks()
{
    MainFormFixture f;
    f.writeFile(QStringLiteral("20260312.dat"), skedLine(18, 19, 7, QStringLiteral("lunch")));
    TNoxMainForm* form = f.start();
    sked::TSked* column = form->skedControl()->Skeds(1);
    sked::TSkedItem* item = column->Items().Items(0);
    TSkedRec rec = item->Record;

    // Same date: the item is refreshed from the record.
    rec.Text = QStringLiteral("long lunch");
    form->mode().afterEditor(rec, item->Record);
    QCOMPARE(column->Items().Count(), 1);
    QCOMPARE(column->Items().Items(0)->Text(), QStringLiteral("long lunch"));

    // Moved to a date that is not shown: the item goes.
    TSkedRec moved = rec;
    moved.setDate(QDate(2026, 5, 1));
    form->mode().afterEditor(moved, column->Items().Items(0)->Record);
    QCOMPARE(column->Items().Count(), 0);

    // A new schedule on a shown date is added, focused and selected.
    TSkedRec fresh;
    fresh.setDate(QDate(2026, 3, 14));
    fresh.StartTime = 20;
    fresh.EndTime = 21;
    fresh.ID = 9;
    fresh.Text = QStringLiteral("new");
    form->mode().afterEditor(fresh, std::nullopt);
    QCOMPARE(form->skedControl()->ActiveIndex(), 3);
    QVERIFY(form->skedControl()->Skeds(3)->SelectedItem());
    QCOMPARE(form->skedControl()->Skeds(3)->SelectedItem()->ID, 9);

    // In the month view a filtered-out new schedule is not shown.
    form->SwitchViewClick();
    form->SetCategoryFilter(QStringLiteral("A"));
    const int before = form->monthView()->Items()->Count();
    TSkedRec hidden = fresh;
    hidden.Category = QStringLiteral("B");
    form->mode().afterEditor(hidden, std::nullopt);
    QCOMPARE(form->monthView()->Items()->Count(), before);
}

void TestMainForm::categoryMenuFromTheStatusBar()
{
    MainFormFixture f;
    f.writeFile(QStringLiteral("category.nox"), "A\r\nB\r\n");
    f.writeFile(QStringLiteral("20260311.dat"),
                skedLine(18, 19, 1, QStringLiteral("a"), QStringLiteral("A")) +
                    skedLine(20, 21, 2, QStringLiteral("b"), QStringLiteral("B")) +
                    skedLine(22, 23, 3, QStringLiteral("none")));
    TNoxMainForm* form = f.start();
    TStatusPanels* status = form->statusPanels();
    QCOMPARE(form->skedControl()->Skeds(0)->Items().Count(), 3);
    QTest::mouseDClick(status, Qt::LeftButton, {}, status->panelRect(0).center());
    QMenu* menu = nullptr;
    for (QMenu* m : form->findChildren<QMenu*>()) {
        menu = m->isVisible() ? m : menu;
    }
    QVERIFY(menu);
    QStringList captions;
    for (QAction* a : menu->actions()) {
        captions << a->text();
    }
    QCOMPARE(captions, QStringList({QStringLiteral("分類 指定なし"), QStringLiteral("A"), QStringLiteral("B"),
                                    QString(), QStringLiteral("分類の編集(&E)..")}));
    QVERIFY(menu->actions().at(0)->isChecked());
    menu->actions().at(2)->trigger();
    menu->close();
    QCOMPARE(form->categoryFilter(), QStringLiteral("B"));
    QCOMPARE(status->panelText(0), QStringLiteral("B"));
    QCOMPARE(form->skedControl()->Skeds(0)->Items().Count(), 2); // "b" and "none"
    QCOMPARE(form->skedControl()->ActiveIndex(), 0);
}

void TestMainForm::scheduleMemoIsWrittenBackFromTheMonthView()
{
    MainFormFixture f;
    f.writeFile(QStringLiteral("20260312.dat"), skedLine(18, 19, 7, QStringLiteral("lunch"), {}, 10) +
                                                    skedLine(20, 21, 8, QStringLiteral("call")));
    IniFile(f.dataFile(QStringLiteral("Nox.ini")))
        .writeInteger(QStringLiteral("window1"), QStringLiteral("viewmode"), 2);
    TNoxMainForm* form = f.start();
    QVERIFY(form->GoToDate(QDate(2026, 3, 12), 7));
    TNoxMemo* pane = form->memoPane(0);
    QVERIFY(!pane->isReadOnly());
    pane->setFocus();
    QTest::keyClicks(pane, "bring cash");
    QTest::keyClick(pane, Qt::Key_Return);
    QTest::keyClicks(pane, "and card");
    form->GoToDate(QDate(2026, 3, 13));
    const std::optional<TSkedRec> rec = findSkedById(f.dataFolder(), QDate(2026, 3, 12), 7);
    QVERIFY(rec);
    QCOMPARE(rec->Memo, QStringLiteral("bring cash#13#10and card"));
    QCOMPARE(rec->AlarmMinutes, 10);
    QCOMPARE(loadDay(f.dataFolder(), QDate(2026, 3, 12))->records.size(), 2);
    QCOMPARE(form->alarms().list().count(), 2); // entered again, reminder and start
    // The month item shows the memo line and its mark.
    QVERIFY(form->GoToDate(QDate(2026, 3, 12), 7));
    QCOMPARE(form->monthView()->SelectedItem()->Memo(), QStringLiteral("bring cash"));
    QVERIFY(form->monthView()->SelectedItem()->MemoMark());
    QCOMPARE(form->memoPane(0)->Text(), QStringLiteral("bring cash\nand card"));
}

// A refill that keeps the selected cell (a new category filter) must not drop
// the memo typed for the selected schedule.
void TestMainForm::scheduleMemoSurvivesARefill()
{
    MainFormFixture f;
    f.writeFile(QStringLiteral("20260312.dat"), skedLine(18, 19, 7, QStringLiteral("lunch")));
    IniFile(f.dataFile(QStringLiteral("Nox.ini")))
        .writeInteger(QStringLiteral("window1"), QStringLiteral("viewmode"), 2);
    TNoxMainForm* form = f.start();
    QVERIFY(form->GoToDate(QDate(2026, 3, 12), 7));
    TNoxMemo* pane = form->memoPane(0);
    pane->setFocus();
    QTest::keyClicks(pane, "bring cash");
    form->SetCategoryFilter(QStringLiteral("work"));
    const std::optional<TSkedRec> rec = findSkedById(f.dataFolder(), QDate(2026, 3, 12), 7);
    QVERIFY(rec);
    QCOMPARE(rec->Memo, QStringLiteral("bring cash"));
    f.stop();
    QCOMPARE(findSkedById(f.dataFolder(), QDate(2026, 3, 12), 7)->Memo, QStringLiteral("bring cash"));
}

// An edit in place goes to the day file at once; a write that fails is
// reported with the file's name and leaves the file as it was.
void TestMainForm::inPlaceEditIsWrittenOrReported()
{
    MainFormFixture f;
    f.writeFile(QStringLiteral("20260311.dat"), skedLine(18, 19, 5, QStringLiteral("lunch")));
    TNoxMainForm* form = f.start();
    sked::TSked* column = form->skedControl()->Skeds(0);
    column->SelectItem(column->Items().Items(0));
    QVERIFY(column->SelectedItem()->EditText());
    QTest::keyClicks(column->InplaceEdit(), "dinner");
    QTest::keyClick(column->InplaceEdit(), Qt::Key_Return);
    QCOMPARE(form->book().find(QDate(2026, 3, 11), 5)->Text, QStringLiteral("dinner"));

    setWriteFaultHook([](const QString&, WriteStep step) { return step == WriteStep::Rename ? ENOSPC : 0; });
    QVERIFY(column->SelectedItem()->EditText());
    QTest::keyClicks(column->InplaceEdit(), "supper");
    QTest::keyClick(column->InplaceEdit(), Qt::Key_Return);
    setWriteFaultHook({});
    QCOMPARE(f.failures.size(), 1);
    QVERIFY2(f.failures.at(0).contains(f.dataFile(QStringLiteral("20260311.dat"))),
             qPrintable(f.failures.at(0)));
    QCOMPARE(form->book().find(QDate(2026, 3, 11), 5)->Text, QStringLiteral("dinner"));
}

// noxtool added a schedule to the day shown while the user edited another in
// place: both are stored, the column is read again and the user is told.
void TestMainForm::editOfADayChangedOnDiskKeepsBothSides()
{
    MainFormFixture f;
    f.writeFile(QStringLiteral("20260311.dat"), skedLine(18, 19, 5, QStringLiteral("lunch")));
    TNoxMainForm* form = f.start();
    sked::TSked* column = form->skedControl()->Skeds(0);
    QCOMPARE(column->Items().Count(), 1);
    f.writeFile(QStringLiteral("20260311.dat"), skedLine(18, 19, 5, QStringLiteral("lunch")) +
                                                    skedLine(20, 21, 9, QStringLiteral("noxtool")));
    column->SelectItem(column->Items().Items(0));
    QVERIFY(column->SelectedItem()->EditText());
    QTest::keyClicks(column->InplaceEdit(), "dinner");
    QTest::keyClick(column->InplaceEdit(), Qt::Key_Return);

    QTRY_COMPARE(f.failures.size(), 1);
    QVERIFY2(f.failures.at(0).contains(f.dataFile(QStringLiteral("20260311.dat"))),
             qPrintable(f.failures.at(0)));
    // Nothing failed: the notice says that both changes were kept.
    QVERIFY2(!f.failures.at(0).contains(QStringLiteral("保存できませんでした")),
             qPrintable(f.failures.at(0)));
    QVERIFY(
        f.failures.at(0).startsWith(QStringLiteral("ほかのプログラムによる変更と合わせて保存しました。")));
    QCOMPARE(form->book().find(QDate(2026, 3, 11), 5)->Text, QStringLiteral("dinner"));
    QCOMPARE(form->book().find(QDate(2026, 3, 11), 9)->Text, QStringLiteral("noxtool"));
    QCOMPARE(column->Items().Count(), 2); // read again
}

// The schedule memo typed in the month view cannot be written: the user is
// told, the line stays as it was and its alarms are not entered again.
void TestMainForm::failedMemoWriteBackKeepsFileAndAlarms()
{
    MainFormFixture f;
    f.writeFile(QStringLiteral("20260312.dat"), skedLine(18, 19, 7, QStringLiteral("lunch"), {}, 10));
    IniFile(f.dataFile(QStringLiteral("Nox.ini")))
        .writeInteger(QStringLiteral("window1"), QStringLiteral("viewmode"), 2);
    TNoxMainForm* form = f.start();
    QVERIFY(form->GoToDate(QDate(2026, 3, 12), 7));
    form->memoPane(0)->setFocus();
    QTest::keyClicks(form->memoPane(0), "bring cash");
    setWriteFaultHook([](const QString&, WriteStep step) { return step == WriteStep::Rename ? EIO : 0; });
    form->GoToDate(QDate(2026, 3, 13));
    setWriteFaultHook({});
    QCOMPARE(f.failures.size(), 1);
    QVERIFY2(f.failures.at(0).contains(f.dataFile(QStringLiteral("20260312.dat"))),
             qPrintable(f.failures.at(0)));
    QCOMPARE(findSkedById(f.dataFolder(), QDate(2026, 3, 12), 7)->Memo, QString());
    QVERIFY(form->alarms().list().isEmpty());
}

void TestMainForm::unreadableDayIsReported()
{
    MainFormFixture f;
    QVERIFY(QDir().mkpath(f.dataFile(QStringLiteral("20260312.dat")))); // a folder cannot be read as a day
    TNoxMainForm* form = f.start();
    QCOMPARE(f.notices.size(), 1);
    QVERIFY2(f.notices.at(0).contains(f.dataFile(QStringLiteral("20260312.dat"))),
             qPrintable(f.notices.at(0)));
    QCOMPARE(form->skedControl()->Skeds(1)->Items().Count(), 0);
}

// A line that is no schedule is told once with its file and line, however
// often the day is shown again.
void TestMainForm::unreadableLinesAreToldOnce()
{
    MainFormFixture f;
    f.writeFile(QStringLiteral("20260312.dat"),
                "no schedule\r\n" + skedLine(18, 19, 5, QStringLiteral("lunch")));
    TNoxMainForm* form = f.start();
    QCOMPARE(f.notices.size(), 1);
    QVERIFY2(f.notices.at(0).contains(f.dataFile(QStringLiteral("20260312.dat"))),
             qPrintable(f.notices.at(0)));
    QVERIFY(f.notices.at(0).contains(QStringLiteral("1 行目")));
    QCOMPARE(form->skedControl()->Skeds(1)->Items().Count(), 1);
    form->NextDayClick();
    form->PrevDayClick();
    form->SwitchViewClick();
    QCOMPARE(f.notices.size(), 1);
    QVERIFY(f.failures.isEmpty());
}

// A schedule whose text and memo run to megabytes starts and is selected
// about as fast as a day without it, and the month view shows it at once
// (it took seconds to minutes); nothing of it is lost on the way.
void TestMainForm::longTextsDoNotSlowTheStart()
{
    QElapsedTimer clock;
    auto startAndSelect = [&clock](MainFormFixture& f) {
        clock.start();
        TNoxMainForm* form = f.start();
        sked::TSked* column = form->skedControl()->Skeds(0);
        if (column->Items().Count() > 0) {
            column->SelectItem(column->Items().Items(0));
        }
        QApplication::processEvents();
        return clock.elapsed();
    };
    MainFormFixture plain;
    const qint64 normal = startAndSelect(plain);

    MainFormFixture f;
    const QString text = QStringLiteral("会議の資料 ").repeated(1 << 20).left(10 << 20);
    const QString memo = QStringLiteral("持ち物#13#10").repeated(1 << 17);
    f.writeFile(QStringLiteral("20260311.dat"),
                QStringLiteral("18\t19\tclWindowText\tclWindowText\t0\t-1\t5\t%1\t%2\t\t-1\t\t0\r\n")
                    .arg(memo, text)
                    .toUtf8());
    const qint64 big = startAndSelect(f);
    QVERIFY2(big - normal < 1000,
             qPrintable(QStringLiteral("%1 ms, %2 ms without the long texts").arg(big).arg(normal)));
    clock.start();
    f.form->SwitchViewClick();
    QVERIFY(f.form->GoToDate(QDate(2026, 3, 11), 5));
    QApplication::processEvents();
    QVERIFY2(clock.elapsed() < 4000, qPrintable(QString::number(clock.elapsed())));
    QVERIFY(f.form->memoPane(0)->isReadOnly()); // shown cut, so never stored cut
    f.stop();
    const std::optional<TSkedRec> rec = findSkedById(f.dataFolder(), QDate(2026, 3, 11), 5);
    QVERIFY(rec);
    QCOMPARE(rec->Text, text);
    QCOMPARE(rec->Memo, memo);
}

// A day memo that cannot be written is told once, stays with its date and
// is not given up at close unless the user says so.
void TestMainForm::typedMemoIsKeptUntilStored()
{
    MainFormFixture f;
    TNoxMainForm* form = f.start();
    const QDate left = form->leftDate();
    form->memoPane(0)->setFocus();
    QTest::keyClicks(form->memoPane(0), "call bank");
    setWriteFaultHook(
        [](const QString& p, WriteStep) { return p.contains(QStringLiteral("memo.nox")) ? ENOSPC : 0; });
    click(form, "前の日");
    QTRY_COMPARE(f.failures.size(), 1);
    QVERIFY2(f.failures.at(0).contains(f.dataFile(QStringLiteral("memo.nox"))), qPrintable(f.failures.at(0)));
    QCOMPARE(form->memoPane(1)->Text(), QStringLiteral("call bank"));

    QString question;
    answerNextQuestion(QMessageBox::No, &question);
    form->close();
    QVERIFY(question.contains(f.dataFile(QStringLiteral("memo.nox"))));
    QVERIFY(form->isVisible());
    QTest::qWait(10);
    QCOMPARE(f.failures.size(), 1); // told in the question, not once more
    setWriteFaultHook({});
    f.stop();
    QCOMPARE(storedMemo(f, left), QStringLiteral("call bank"));
}

// Typing in a day memo pane is stored after a short pause, without a step
// to another day or a close: a crash or a lost display loses at most the pause.
void TestMainForm::dayMemoIsSavedAfterAPauseInTyping()
{
    MainFormFixture f;
    TNoxMainForm* form = f.start();
    const QDate left = form->leftDate();
    form->memoPane(1)->setFocus();
    QTest::keyClicks(form->memoPane(1), "pay rent");
    QCOMPARE(storedMemo(f, left.addDays(1)), QString());
    QTRY_COMPARE_WITH_TIMEOUT(storedMemo(f, left.addDays(1)), QStringLiteral("pay rent"),
                              TMemoPanes::kAutoSaveDelay + 3000);
    QVERIFY(!form->memoPane(1)->Modified());
    QVERIFY(f.failures.isEmpty());
    // More typing after the save is stored after the next pause.
    QTest::keyClicks(form->memoPane(1), " today");
    QTRY_COMPARE_WITH_TIMEOUT(storedMemo(f, left.addDays(1)), QStringLiteral("pay rent today"),
                              TMemoPanes::kAutoSaveDelay + 3000);
}

// The session manager asks for a save, then ends the program (as SIGTERM
// does): the first writes without closing anything, the second closes an
// open dialog and the window without a question and writes everything.
void TestMainForm::sessionEndSavesWithoutQuestions()
{
    MainFormFixture f;
    TNoxMainForm* form = f.start();
    const QDate left = form->leftDate();
    form->memoPane(0)->setFocus();
    QTest::keyClicks(form->memoPane(0), "before logout");
    form->SaveForSession();
    QCOMPARE(storedMemo(f, left), QStringLiteral("before logout"));
    QCOMPARE(ini(f, QStringLiteral("nox"), QStringLiteral("version")), QStringLiteral("2.05"));
    QVERIFY(form->isVisible());

    QTest::keyClicks(form->memoPane(0), " and after");
    QFile::remove(f.dataFile(QStringLiteral("Nox.ini")));
    bool closed = false;
    form->OnClose = [&](QObject*) { closed = true; };
    QTimer::singleShot(0, form, [form] { form->EndSession(); });
    QMessageBox open(QMessageBox::Question, QStringLiteral("Nox"), QStringLiteral("?"),
                     QMessageBox::Yes | QMessageBox::No, form);
    open.exec(); // ended by the end of the session
    QTRY_VERIFY(closed);
    QVERIFY(!form->isVisible());
    QCOMPARE(storedMemo(f, left), QStringLiteral("before logout and after"));
    QCOMPARE(ini(f, QStringLiteral("nox"), QStringLiteral("version")), QStringLiteral("2.05"));
}

// Another program (noxtool) wrote the day memo while the pane showed it:
// the pane's save keeps both texts, the other one first, and says so.
void TestMainForm::dayMemoChangedElsewhereIsKeptBeforeThePanes()
{
    MainFormFixture f;
    TNoxMainForm* form = f.start();
    const QDate left = form->leftDate();
    {
        MemoStore other;
        QVERIFY(other.open(f.dataFolder()).ok());
        QVERIFY(other.write(left, QStringLiteral("from noxtool")).ok());
    }
    form->memoPane(0)->setFocus();
    QTest::keyClicks(form->memoPane(0), "typed here");
    click(form, "次の日");
    const QString both =
        QStringLiteral("from noxtool\n") + TMemoPanes::kMergeSeparator + QStringLiteral("\ntyped here");
    QCOMPARE(storedMemo(f, left), both);
    QTRY_COMPARE(f.failures.size(), 1);
    QVERIFY2(f.failures.at(0).contains(left.toString(QStringLiteral("yyyy/MM/dd"))),
             qPrintable(f.failures.at(0)));
    QVERIFY(!f.failures.at(0).contains(QStringLiteral("保存できませんでした")));

    // Back on the day the pane shows both; a change of the other program to
    // a day the pane did not touch is left alone.
    click(form, "前の日");
    QCOMPARE(form->memoPane(0)->Text(), both);
    {
        MemoStore other;
        QVERIFY(other.open(f.dataFolder()).ok());
        QVERIFY(other.write(left.addDays(1), QStringLiteral("only noxtool")).ok());
    }
    f.stop();
    QCOMPARE(storedMemo(f, left), both);
    QCOMPARE(storedMemo(f, left.addDays(1)), QStringLiteral("only noxtool"));
    QCOMPARE(f.failures.size(), 1);
}

// A notice about a file (here a line of the alarm list that is no alarm)
// does not stop the start-up, the timer or the alarms: it is shown without
// blocking, headed as the read problem it is.
void TestMainForm::noticesDoNotHoldUpTheAlarms()
{
    MainFormFixture f;
    f.captureNotices = false;
    f.writeFile(QStringLiteral("20260311.dat"), skedLine(19, 20, 42, QStringLiteral("dentist"), {}, 5));
    f.writeFile(QStringLiteral("alarm.nox"), "xx\tabc\t1\r\n");
    QStringList modal;
    QTimer watchdog; // a modal box would hold the start-up: note it and close it
    QObject::connect(&watchdog, &QTimer::timeout, [&] {
        if (QWidget* w = QApplication::activeModalWidget()) {
            modal << (qobject_cast<QMessageBox*>(w) ? qobject_cast<QMessageBox*>(w)->text() : QString());
            w->close();
        }
    });
    watchdog.start(50);
    TNoxMainForm* form = f.start();
    QVERIFY2(modal.isEmpty(), qPrintable(modal.join(u'|')));
    QMessageBox* notice = nullptr;
    QTRY_VERIFY((notice = form->findChild<QMessageBox*>()) != nullptr && notice->isVisible());
    QVERIFY(notice->text().contains(QStringLiteral("読めなかった")));
    QVERIFY(!notice->text().contains(QStringLiteral("保存できませんでした")));
    QVERIFY(notice->informativeText().contains(QStringLiteral("xx")));

    TSkedRec rec;
    rec.setDate(QDate(2026, 3, 11));
    rec.StartTime = 19;
    rec.EndTime = 20;
    rec.ID = 42;
    rec.AlarmMinutes = 5;
    form->alarms().UpdateScheduleAlarms(rec, 1);
    f.clock = QDateTime(QDate(2026, 3, 11), QTime(9, 25, 0));
    form->timerBeat();
    QCOMPARE(f.popups.size(), 1); // with the notice still open
    QVERIFY(notice->isVisible());
    QVERIFY(modal.isEmpty());
}

// An alarm whose day file cannot be read pops up all the same, and the file
// is told with the other read problems.
void TestMainForm::alarmOfAnUnreadableDayFileIsTold()
{
    MainFormFixture f;
    TNoxMainForm* form = f.start();
    const QDate day(2026, 4, 20); // not shown
    QVERIFY(QDir().mkdir(f.dataFile(QStringLiteral("20260420.dat"))));
    TSkedRec rec;
    rec.setDate(day);
    rec.StartTime = 19;
    rec.EndTime = 20;
    rec.ID = 42;
    rec.AlarmMinutes = 0;
    form->alarms().UpdateScheduleAlarms(rec, 1);
    f.clock = QDateTime(day, QTime(9, 30, 0));
    form->timerBeat();
    const QString path = f.dataFile(QStringLiteral("20260420.dat"));
    QCOMPARE(f.popups.size(), 1);
    QVERIFY2(f.popups.at(0).message.contains(QStringLiteral("20260420.dat")), qPrintable(f.popups.at(0).message));
    QCOMPARE(f.notices.size(), 1);
    QVERIFY2(f.notices.at(0).contains(path), qPrintable(f.notices.at(0)));
}

// Lists and looks whose files hold no readable entry are told (the window
// shows an empty list or the default looks); the files stay as they are.
void TestMainForm::garbledListsAndLooksAreTold_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("holidays") << QStringLiteral("holiday.txt")
                              << QByteArray("\x89PNG\r\n\x1a\n\x00\x00\x00\rIHDR\xff");
    QTest::newRow("holiday without a date")
        << QStringLiteral("holiday.txt") << QByteArray("2026/03/20\t春分の日\r\nsoon\tparty\r\n");
    QTest::newRow("categories") << QStringLiteral("category.nox") << QByteArray("\x01\x02\x03\xff\xfe\r\n");
    QTest::newRow("style") << QStringLiteral("style.ini") << QByteArray("\x00\x01 not a style \xff\r\n");
    QTest::newRow("style value") << QStringLiteral("style.ini")
                                 << QByteArray("[Style1]\r\nFontSize=huge\r\n");
    QTest::newRow("images") << QStringLiteral("images.bmp") << QByteArray("BM this is no bitmap");
}

void TestMainForm::garbledListsAndLooksAreTold()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, bytes);
    MainFormFixture f;
    f.writeFile(QStringLiteral("Nox.ini"), "[nox]\r\nversion=2.05\r\n");
    f.writeFile(name, bytes);
    f.start();
    QCOMPARE(f.notices.size(), 1);
    QVERIFY2(f.notices.at(0).contains(f.dataFile(name)), qPrintable(f.notices.at(0)));
    f.stop();
    QFile file(f.dataFile(name));
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), bytes);
    QVERIFY(f.failures.isEmpty());
}

// A holiday or category list that exists but cannot be read: the window
// starts all the same and says so, naming the file.
void TestMainForm::listFileThatCannotBeReadIsTold_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("holidays") << QStringLiteral("holiday.txt");
    QTest::newRow("categories") << QStringLiteral("category.nox");
}

void TestMainForm::listFileThatCannotBeReadIsTold()
{
    QFETCH(QString, name);
    MainFormFixture f;
    QVERIFY(QDir().mkpath(f.dataFile(name))); // a folder is no list
    f.start();
    QCOMPARE(f.notices.size(), 1);
    QVERIFY2(f.notices.at(0).contains(f.dataFile(name)), qPrintable(f.notices.at(0)));
}

// An older version's holiday list, renamed by the start-up's conversion, is
// the one shown.
void TestMainForm::holidayListRenamedAtStartIsShown()
{
    MainFormFixture f;
    f.writeFile(QStringLiteral("Nox.ini"), "[nox]\r\nversion=1.50\r\n");
    f.writeFile(QStringLiteral("holiday.nox"),
                "2026/03/12\t\xe5\x89\xb5\xe7\xab\x8b\xe8\xa8\x98\xe5\xbf\xb5\xe6\x97\xa5\r\n");
    TNoxMainForm* form = f.start();
    QCOMPARE(form->holidays().name(QStringLiteral("2026/03/12")), QStringLiteral("創立記念日"));
    QVERIFY(QFile::exists(f.dataFile(QStringLiteral("holiday.txt"))));
    QVERIFY(f.notices.isEmpty());
}

void TestMainForm::memoFileThatCannotBeOpenedIsTold()
{
    MainFormFixture f;
    QVERIFY(QDir().mkpath(f.dataFile(QStringLiteral("memo.nox")))); // a folder is no memo file
    TNoxMainForm* form = f.start();
    QCOMPARE(f.notices.size(), 1);
    QVERIFY2(f.notices.at(0).contains(f.dataFile(QStringLiteral("memo.nox"))), qPrintable(f.notices.at(0)));
    form->memoPane(0)->setFocus();
    QTest::keyClicks(form->memoPane(0), "x");
    form->NextDayClick();
    form->PrevDayClick();
    QTRY_COMPARE(f.failures.size(), 1);
    QVERIFY2(f.failures.at(0).contains(f.dataFile(QStringLiteral("memo.nox"))), qPrintable(f.failures.at(0)));
    QCOMPARE(form->memoPane(0)->Text(), QStringLiteral("x"));
    QString question;
    answerNextQuestion(QMessageBox::Yes, &question);
    f.stop();
    QVERIFY(!question.isEmpty());
}

void TestMainForm::wheelScrollsOneHalfHour()
{
    MainFormFixture f;
    TNoxMainForm* form = f.start();
    sked::TSkedControl* sked = form->skedControl();
    QWidget* column = sked->Skeds(1)->viewport();
    const int top = sked->TopRow();
    QCOMPARE(top, 16);
    auto wheel = [column](int delta) {
        const QPointF pos(column->width() / 2.0, column->height() / 2.0);
        QWheelEvent event(pos, column->mapToGlobal(pos), QPoint(), QPoint(0, delta), Qt::NoButton,
                          Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(column, &event);
    };
    wheel(-120); // towards the user: down
    QCOMPARE(sked->TopRow(), top + 1);
    wheel(120);
    wheel(120);
    QCOMPARE(sked->TopRow(), top - 1);
    // A column added now shows the same half hours as the others.
    form->ChangeSkedCount(1);
    for (int i = 0; i < sked->SkedCount(); ++i) {
        QCOMPARE(sked->Skeds(i)->TopRow(), top - 1);
    }
}

// The banner takes the day view's face at start-up but keeps the sizes of
// the style.
void TestMainForm::bannerKeepsTheStyleFontSizes()
{
    MainFormFixture f;
    QDir().mkpath(f.dataFolder());
    QVERIFY(QFile::copy(f.home.path() + QStringLiteral("/default/style.ini"),
                        f.dataFile(QStringLiteral("style.ini"))));
    IniFile style(f.dataFile(QStringLiteral("style.ini")));
    const QString section = QStringLiteral("Style1");
    QVERIFY(style.writeString(section, QStringLiteral("HeaderFontSize1"), QStringLiteral("17")));
    QVERIFY(style.writeString(section, QStringLiteral("FontSize"), QStringLiteral("9")));
    TNoxMainForm* form = f.start();
    QCOMPARE(form->dateBanner()->font().pointSize(), 17);
    QCOMPARE(form->dateBanner()->font().family(), form->skedControl()->font().family());
    QVERIFY(form->dateBanner()->height() > QFontMetrics(form->skedControl()->font()).height() + 5);
    // Drawn with the installed face the style's font name stands for; the
    // style still names its own font.
    const QString named = QStringLiteral("ＭＳ Ｐゴシック");
    QCOMPARE(style.readString(section, QStringLiteral("FontName"), QString()), named);
    QCOMPARE(form->skedControl()->font().family(), nox::screenFamily(named));
    QCOMPARE(form->CurrentStyle().FontName, named);
}

// Texts drawn again are copied from kept pictures of them on their ground
// (banner, column top bars, status panels, memo top bars, month view): the
// whole window repainted gives the first paint's pixels, in both views.
void TestMainForm::repaintsAreTheSame()
{
    MainFormFixture f;
    f.writeFile(QStringLiteral("20260312.dat"), skedLine(20, 23, 7, QStringLiteral("定例会議")));
    TNoxMainForm* form = f.start();
    form->SetSkedCount(7);
    form->skedControl()->Skeds(3)->setFocus(); // a day away and back keeps it
    for (int view = 0; view < 2; ++view) {
        for (const qreal ratio : {1.0, 2.0}) {
            const auto paint = [&] {
                QImage image(form->size() * ratio, QImage::Format_RGB32);
                image.setDevicePixelRatio(ratio);
                image.fill(Qt::magenta);
                form->render(&image);
                return image;
            };
            const QImage first = paint();
            for (int pass = 0; pass < 3; ++pass) { // drawn again, pictures made, then copied
                // Away and back: every text of the view drawn again.
                if (view == 0) {
                    click(form, "次の日");
                    click(form, "前の日");
                } else {
                    form->NextMonthClick();
                    form->PrevMonthClick();
                }
                QVERIFY2(paint() == first,
                         qPrintable(QStringLiteral("view %1, %2x, pass %3").arg(view).arg(ratio).arg(pass)));
            }
        }
        form->SwitchViewClick();
    }
}

// With NOX_TEST_SHOTS set to a folder: pictures of 1, 5 and 7 day columns and
// of the month view in each of the three factory styles.
void TestMainForm::reviewShots()
{
    const QString folder = qEnvironmentVariable("NOX_TEST_SHOTS");
    if (folder.isEmpty()) {
        QSKIP("NOX_TEST_SHOTS is not set");
    }
    QDir().mkpath(folder);
    MainFormFixture f;
    QByteArray day;
    day += skedLine(18, 20, 1, QStringLiteral("定例会議"), {}, 5);
    day += skedLine(24, 25, 2, QStringLiteral("ランチ#13#10駅前の店"));
    day += QStringLiteral("26\t29\tclRed\tclRed\t1\t-1\t3\tメモあり\t企画打ち合わせ\t仕事\t-1\t\t0\r\n")
               .toUtf8();
    for (int d = 0; d < 12; d += 2) {
        f.writeFile(QDate(2026, 3, 9 + d).toString(QStringLiteral("yyyyMMdd")) + QStringLiteral(".dat"), day);
    }
    for (int style = 0; style < 3; ++style) {
        IniFile ini(f.dataFile(QStringLiteral("Nox.ini")));
        ini.writeInteger(QStringLiteral("sked"), QStringLiteral("style"), style);
        TNoxMainForm* form = f.start();
        form->resize(1000, 680);
        form->memoPane(1)->SetText(QStringLiteral("日別メモの例"));
        for (int count : {1, 5, 7}) {
            form->SetSkedCount(count);
            QTest::qWait(50);
            form->grab().save(
                QStringLiteral("%1/main-style%2-days%3.png").arg(folder).arg(style + 1).arg(count));
        }
        form->SwitchViewClick();
        QTest::qWait(50);
        form->grab().save(QStringLiteral("%1/main-style%2-month.png").arg(folder).arg(style + 1));
        form->SwitchViewClick();
        f.stop();
    }
}

QTEST_MAIN(TestMainForm)
#include "tst_mainform.moc"
