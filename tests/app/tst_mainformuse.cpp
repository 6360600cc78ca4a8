// The main window as a user drives it: placement and window state across
// restarts, the memo area, the keyboard cursor after jumps, the smallest
// window, and text that is still being typed when the user moves on.
#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QInputMethodEvent>
#include <QMenu>
#include <QTimer>
#include <QScreen>
#include <QSplitter>
#include <QTest>

#include "../common/records.h"
#include "alarm/alarmcenter.h"
#include "app/appenvironment.h"
#include "app/datebanner.h"
#include "app/statuspanels.h"
#include "core/inifile.h"
#include "core/noxsettings.h"
#include "mainformfixture.h"
#include "monthview/monthview.h"
#include "sked/skedcontrol.h"
#include "store/memostore.h"
#include "store/schedulebook.h"
#include "widgets/choosers.h"
#include "widgets/noxbutton.h"
#include "widgets/noxmemo.h"

using namespace nox;

namespace
{

QByteArray dayLine(int start, int end, qint32 id, const QString& text, const QString& memo = {})
{
    return testing::dayFileBytes(start, end, id, text, {}, -1, memo);
}

QString iniValue(const MainFormFixture& f, const QString& section, const QString& key)
{
    return IniFile(f.dataFile(QStringLiteral("Nox.ini"))).readString(section, key, QStringLiteral("<none>"));
}

void writeIni(const MainFormFixture& f, const QString& section, const QString& key, int value)
{
    QDir().mkpath(f.dataFolder());
    IniFile(f.dataFile(QStringLiteral("Nox.ini"))).writeInteger(section, key, value);
}

void clickButton(TNoxMainForm* form, const char* hint)
{
    TNoxButton* b = form->toolButton(QString::fromUtf8(hint));
    QVERIFY2(b, hint);
    QTest::mouseClick(b, Qt::LeftButton, {}, b->rect().center());
}

QWidget* memoArea(TNoxMainForm* form)
{
    return form->findChild<QWidget*>(QStringLiteral("MemoArea"));
}

// Drags the splitter handle above the memo area by `dy` pixels.
void dragMemoSplitter(TNoxMainForm* form, int dy)
{
    auto* splitter = form->findChild<QSplitter*>();
    QSplitterHandle* handle = splitter->handle(2);
    const QPoint from = handle->rect().center();
    QTest::mousePress(handle, Qt::LeftButton, {}, from);
    QMouseEvent move(QEvent::MouseMove, QPointF(from + QPoint(0, dy)),
                     QPointF(handle->mapToGlobal(from + QPoint(0, dy))), Qt::LeftButton, Qt::LeftButton,
                     Qt::NoModifier);
    QApplication::sendEvent(handle, &move);
    QTest::mouseRelease(handle, Qt::LeftButton, {}, from + QPoint(0, dy));
}

QString storedMemoOf(const MainFormFixture& f, const QDate& date)
{
    MemoStore store;
    static_cast<void>(store.open(f.dataFolder()));
    return store.read(date);
}

// The composition an input method shows while the user types, not yet
// confirmed.
void compose(QWidget* w, const QString& text)
{
    QInputMethodEvent event(text, {});
    QApplication::sendEvent(w, &event);
}

} // namespace

class TestMainFormUse : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { installFontSubstitutions(); }

    void memoAreaKeepsItsHeight();
    void maximisedWindowComesBackMaximised();
    void placementIsBroughtOntoTheScreen_data();
    void placementIsBroughtOntoTheScreen();
    void offScreenWindowOpensOnTheScreen();
    void keyboardCursorStaysAfterJumps_data();
    void keyboardCursorStaysAfterJumps();
    void smallestWindowShowsToolBarBannerAndStatus();
    void monthStatusCountsFromTheSelectedSchedule();
    void memoMarkStandsInTheRuler();
    void compositionIsSavedUnderItsOwnDay();
    void monthCompositionIsSavedUnderItsOwnDay();
    void openInPlaceEditIsKeptWhenMoving();
    void helpThatCannotOpenIsTold_data();
    void helpThatCannotOpenIsTold();
    void bannerMenuNamesNoAddress();
    void badAlarmLinesAreReportedAndKept();
};

void TestMainFormUse::memoAreaKeepsItsHeight()
{
    MainFormFixture f;
    TNoxMainForm* form = f.start();
    QWidget* area = memoArea(form);
    QCOMPARE(area->height(), 64);
    clickButton(form, "メモ表示/非表示");
    QVERIFY(!area->isVisible());
    clickButton(form, "メモ表示/非表示");
    QVERIFY(area->isVisible());
    QCOMPARE(area->height(), 64);
    // Directly above the status bar.
    QCOMPARE(area->mapTo(form, QPoint(0, area->height())).y(), form->statusPanels()->y());

    dragMemoSplitter(form, -56);
    const int dragged = area->height();
    QVERIFY2(qAbs(dragged - 120) <= 2, qPrintable(QString::number(dragged)));
    clickButton(form, "メモ表示/非表示");
    clickButton(form, "メモ表示/非表示");
    QCOMPARE(area->height(), dragged);
    f.stop();
    QCOMPARE(iniValue(f, QStringLiteral("window1"), QStringLiteral("memoheight")), QString::number(dragged));
    form = f.start();
    QCOMPARE(memoArea(form)->height(), dragged);
}

// Closed maximised on a fresh folder: the next start is maximised again over
// a normal placement of the default size, and the state survives its close.
void TestMainFormUse::maximisedWindowComesBackMaximised()
{
    MainFormFixture f;
    writeIni(f, QStringLiteral("window1"), QStringLiteral("windowstate"), 2);
    TNoxMainForm* form = f.start();
    QTRY_VERIFY(form->isMaximized());
    QCOMPARE(form->normalGeometry().size(), QSize(630, 460));
    f.stop();
    QCOMPARE(iniValue(f, QStringLiteral("window1"), QStringLiteral("windowstate")), QStringLiteral("2"));
    QCOMPARE(iniValue(f, QStringLiteral("window1"), QStringLiteral("width")), QStringLiteral("<none>"));
    form = f.start();
    QTRY_VERIFY(form->isMaximized());
}

void TestMainFormUse::placementIsBroughtOntoTheScreen_data()
{
    QTest::addColumn<QRect>("stored");
    QTest::addColumn<QRect>("placed");
    const QRect left(0, 0, 1280, 770);
    QTest::newRow("inside") << QRect(10, 20, 630, 460) << QRect(10, 20, 630, 460);
    QTest::newRow("half out on the right") << QRect(1000, 20, 630, 460) << QRect(1000, 20, 630, 460);
    QTest::newRow("on the second screen") << QRect(1400, 20, 630, 460) << QRect(1400, 20, 630, 460);
    QTest::newRow("far below") << QRect(10, 99999999, 630, 460) << QRect(10, 155, 630, 460);
    QTest::newRow("far above") << QRect(40, -5000, 630, 460) << QRect(40, 155, 630, 460);
    QTest::newRow("only a sliver shows") << QRect(-620, 20, 630, 460) << QRect(325, 20, 630, 460);
    QTest::newRow("larger than the screen") << QRect(5000, 5000, 3000, 2000) << left;
}

void TestMainFormUse::placementIsBroughtOntoTheScreen()
{
    QFETCH(QRect, stored);
    QFETCH(QRect, placed);
    const QRect primary(0, 0, 1280, 770);
    const QList<QRect> screens{primary, QRect(1280, 0, 1024, 768)};
    QCOMPARE(placementOnScreens(stored, screens, primary), placed);
}

void TestMainFormUse::offScreenWindowOpensOnTheScreen()
{
    MainFormFixture f;
    writeIni(f, QStringLiteral("window1"), QStringLiteral("top"), 99999999);
    TNoxMainForm* form = f.start();
    QVERIFY(form->screen()->availableGeometry().intersects(form->frameGeometry()));
}

void TestMainFormUse::keyboardCursorStaysAfterJumps_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<bool>("awayFirst");
    QTest::newRow("Ctrl+K") << int(Qt::Key_K) << false;
    QTest::newRow("Ctrl+J") << int(Qt::Key_J) << false;
    QTest::newRow("Ctrl+M") << int(Qt::Key_M) << false;
    QTest::newRow("Ctrl+N") << int(Qt::Key_N) << false;
    QTest::newRow("Ctrl+H, today away") << int(Qt::Key_H) << true;
}

// After a jump the column that had the focus has it again, on the same line:
// the next arrow key moves on from there.
void TestMainFormUse::keyboardCursorStaysAfterJumps()
{
    QFETCH(int, key);
    QFETCH(bool, awayFirst);
    MainFormFixture f;
    TNoxMainForm* form = f.start();
    sked::TSkedControl* sked = form->skedControl();
    if (awayFirst) {
        form->GoToDate(QDate(2026, 8, 1));
    }
    sked::TSked* column = sked->Skeds(2);
    column->setFocus();
    QTest::mouseClick(
        column->viewport(), Qt::LeftButton, {},
        QPoint(column->viewport()->width() / 2, column->rowBand(column->TopRow() + 3).center().y()));
    const int line = column->LineIndex();
    QVERIFY(line > 0);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key(key), Qt::ControlModifier);
    QCOMPARE(sked->ActiveIndex(), 2);
    QCOMPARE(QApplication::focusWidget(), sked->Skeds(2));
    QCOMPARE(sked->Skeds(2)->LineIndex(), line);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down);
    QCOMPARE(sked->Skeds(2)->LineIndex(), line + 1);
}

// The window may be as low as 110 pixels: the views give way, the tool bar,
// the banner and the status bar stay whole and in order.
void TestMainFormUse::smallestWindowShowsToolBarBannerAndStatus()
{
    MainFormFixture f;
    TNoxMainForm* form = f.start();
    form->resize(450, 110);
    QTRY_COMPARE(form->size(), QSize(450, 110));
    const QWidget* toolBar = form->findChild<QWidget*>(QStringLiteral("ToolBar"));
    const QRect bar(toolBar->mapTo(form, QPoint()), toolBar->size());
    const QWidget* banner = form->dateBanner();
    const QRect band(banner->mapTo(form, QPoint()), banner->size());
    const QRect status = form->statusPanels()->geometry();
    QVERIFY(bar.top() >= 0 && bar.height() >= 20);
    QVERIFY2(band.top() >= bar.bottom() && band.bottom() < status.top(),
             qPrintable(QString::number(band.bottom())));
    QCOMPARE(status.bottom(), form->height() - 1);
}

void TestMainFormUse::monthStatusCountsFromTheSelectedSchedule()
{
    MainFormFixture f;
    f.writeFile(QStringLiteral("20260312.dat"), dayLine(18, 19, 1, QStringLiteral("a")) +
                                                    dayLine(20, 21, 2, QStringLiteral("b")) +
                                                    dayLine(22, 23, 3, QStringLiteral("c")));
    writeIni(f, QStringLiteral("window1"), QStringLiteral("viewmode"), 2);
    TNoxMainForm* form = f.start();
    monthview::TMonthView* month = form->monthView();
    form->GoToDate(QDate(2026, 3, 12));
    QVERIFY(!month->SelectedItem());
    QCOMPARE(form->statusPanels()->panelText(1), QStringLiteral("木曜日 (0)"));
    QVERIFY(form->GoToDate(QDate(2026, 3, 12), 2));
    QCOMPARE(form->statusPanels()->panelText(1), QStringLiteral("木曜日 (2)"));
    QVERIFY(form->GoToDate(QDate(2026, 3, 12), 1));
    QCOMPARE(form->statusPanels()->panelText(1), QStringLiteral("木曜日 (3)"));
}

// The memo mark stands at x = 1 to 6 inside the ruler, and the time bar's
// start stub stays in sight.
void TestMainFormUse::memoMarkStandsInTheRuler()
{
    MainFormFixture f;
    f.writeFile(QStringLiteral("20260311.dat"),
                dayLine(18, 19, 1, QStringLiteral("lunch"), QStringLiteral("note")));
    TNoxMainForm* form = f.start();
    sked::TSked* column = form->skedControl()->Skeds(0);
    column->RenderAll();
    const QImage picture = column->picture();
    const QRect block = column->rowBand(column->Rows().indexOf(sked::TSkedRow{18, 0}));
    QVERIFY(block.isValid());
    const qreal ratio = picture.devicePixelRatio();
    const QPoint inside(3, block.top() + 4);
    QCOMPARE(picture.pixelColor(QPointF(inside * ratio).toPoint()),
             toQColor(form->dayKindColors().MemoMarkColor));
}

// Typed with an input method and not yet confirmed when the user clicks ▶:
// the text is the memo of the day it was typed for, not of the next one.
void TestMainFormUse::compositionIsSavedUnderItsOwnDay()
{
    MainFormFixture f;
    TNoxMainForm* form = f.start();
    const QDate day = form->leftDate().addDays(1);
    TNoxMemo* pane = form->memoPane(1);
    pane->setFocus();
    compose(pane, QStringLiteral("しめきり"));
    clickButton(form, "次の日");
    QCOMPARE(storedMemoOf(f, day), QStringLiteral("しめきり"));
    QCOMPARE(form->memoPane(0)->Text(), QStringLiteral("しめきり"));
    clickButton(form, "次の日");
    f.stop();
    QCOMPARE(storedMemoOf(f, day), QStringLiteral("しめきり"));
    QCOMPARE(storedMemoOf(f, day.addDays(1)), QString());
}

void TestMainFormUse::monthCompositionIsSavedUnderItsOwnDay()
{
    MainFormFixture f;
    writeIni(f, QStringLiteral("window1"), QStringLiteral("viewmode"), 2);
    TNoxMainForm* form = f.start();
    form->GoToDate(QDate(2026, 3, 16));
    TNoxMemo* pane = form->memoPane(1);
    pane->setFocus();
    compose(pane, QStringLiteral("年末"));
    clickButton(form, "次の日");
    QCOMPARE(storedMemoOf(f, QDate(2026, 3, 16)), QStringLiteral("年末"));
    f.stop();
    QCOMPARE(storedMemoOf(f, QDate(2026, 3, 16)), QStringLiteral("年末"));
    QCOMPARE(storedMemoOf(f, QDate(2026, 4, 16)), QString());
}

// Moving on while the in-place editor is open keeps what was typed, as
// leaving the editor does.
void TestMainFormUse::openInPlaceEditIsKeptWhenMoving()
{
    MainFormFixture f;
    f.writeFile(QStringLiteral("20260312.dat"), dayLine(18, 19, 5, QStringLiteral("lunch")));
    TNoxMainForm* form = f.start();
    sked::TSked* column = form->skedControl()->Skeds(1);
    column->setFocus();
    column->SelectItem(column->Items().Items(0));
    QVERIFY(column->EditText(column->SelectedItem()));
    column->InplaceEdit()->selectAll();
    QTest::keyClicks(column->InplaceEdit(), "dinner");
    clickButton(form, "次の日");
    QCOMPARE(form->book().find(QDate(2026, 3, 12), 5)->Text, QStringLiteral("dinner"));
    QCOMPARE(form->skedControl()->Skeds(0)->Items().Items(0)->Text(), QStringLiteral("dinner"));
}

void TestMainFormUse::badAlarmLinesAreReportedAndKept()
{
    MainFormFixture f;
    const QByteArray bad = "2026/03/11 09:30\tabc\t1\r\nnonsense\r\n";
    f.writeFile(QStringLiteral("alarm.nox"), bad);
    TNoxMainForm* form = f.start();
    // A read problem: told with the load notices, not as a failed save.
    QVERIFY(f.failures.isEmpty());
    QCOMPARE(f.notices.size(), 1);
    QVERIFY2(f.notices.at(0).contains(QStringLiteral("nonsense")), qPrintable(f.notices.at(0)));
    QVERIFY(form->alarms().list().isEmpty());
    f.stop();
    // The lines stay for the user to mend; they fire nothing.
    QFile file(f.dataFile(QStringLiteral("alarm.nox")));
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), bad);
}

void TestMainFormUse::helpThatCannotOpenIsTold_data()
{
    QTest::addColumn<QString>("opener");
    QTest::addColumn<bool>("told");
    QTest::newRow("no browser set up") << QStringLiteral("false") << true;
    QTest::newRow("no opener at all") << QStringLiteral("/nonexistent/xdg-open") << true;
    QTest::newRow("opened") << QStringLiteral("true") << false;
}

// F1 opens the help page through the desktop's opener; when that fails the
// user sees a message naming the page, not just a line on standard error.
void TestMainFormUse::helpThatCannotOpenIsTold()
{
    QFETCH(QString, opener);
    QFETCH(bool, told);
    MainFormFixture f;
    f.pageOpener = opener;
    QFile page(f.home.filePath(QStringLiteral("nox.html")));
    QVERIFY(page.open(QIODevice::WriteOnly));
    page.write("<html></html>");
    page.close();
    QStringList messages;
    TChooserHooks hooks;
    hooks.message = [&](TMessageKind, const QString& text) { messages << text; };
    SetChooserHooks(hooks);
    TNoxMainForm* form = f.start();
    QTest::keyClick(form, Qt::Key_F1);
    if (told) {
        QTRY_COMPARE(messages.size(), 1);
        QVERIFY2(messages.first().contains(QStringLiteral("nox.html")), qPrintable(messages.first()));
    } else {
        QTest::qWait(500);
        QVERIFY(messages.isEmpty());
    }
    SetChooserHooks({});
}

// The web page and mail commands have no address to go to: they stay in the
// menu, disabled.
void TestMainFormUse::bannerMenuNamesNoAddress()
{
    MainFormFixture f;
    TNoxMainForm* form = f.start();
    QStringList enabled;
    QStringList disabled;
    QTimer::singleShot(50, form, [&] {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        QVERIFY(menu);
        for (const QAction* a : menu->actions()) {
            (a->isEnabled() ? enabled : disabled) << a->text();
        }
        menu->close();
    });
    QWidget* banner = form->dateBanner();
    QContextMenuEvent event(QContextMenuEvent::Mouse, banner->rect().center(), banner->mapToGlobal(banner->rect().center()));
    QApplication::sendEvent(banner, &event);
    QTRY_VERIFY(!disabled.isEmpty());
    QVERIFY(disabled.contains(QStringLiteral("作者のホームページを開く(&W)")));
    QVERIFY(disabled.contains(QStringLiteral("作者へメールを送信する(&M)")));
    QVERIFY(enabled.contains(QStringLiteral("ヘルプ(&H)")));
    QVERIFY(enabled.contains(QStringLiteral("バージョン情報(&A)...")));
}

QTEST_MAIN(TestMainFormUse)
#include "tst_mainformuse.moc"
