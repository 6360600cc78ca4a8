// The schedule commands of the main window: the rules of the shared context
// menu, the private clipboard, and the commands as a user gives them in
// both view modes, checked on the day files and the alarm file.
#include <QAction>
#include <QApplication>
#include <QDateEdit>
#include <QFile>
#include <QMenu>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <cerrno>

#include "../common/records.h"
#include "app/mainsettingshost.h"
#include "app/scheduleclipboard.h"
#include "app/schedulecommands.h"
#include "app/schedulemenu.h"
#include "core/textfile.h"
#include "dialogs/scheduleeditor.h"
#include "dialogs/settingsdialog.h"
#include "mainformfixture.h"
#include "monthview/monthview.h"
#include "sked/skedcontrol.h"
#include "store/schedulebook.h"
#include "widgets/choosers.h"

using namespace nox;

namespace
{
const QDate kDay(2026, 3, 11); // the fixture's today, the first column

QByteArray skedLine(int start, int end, qint32 id, const QString& text, int alarm = -1)
{
    return testing::dayFileBytes(start, end, id, text, {}, alarm);
}

// The schedules stored for the date, in file order.
QList<TSkedRec> stored(TNoxMainForm* form, const QDate& date)
{
    return form->book().day(date).records;
}

QByteArray fileBytes(const MainFormFixture& f, const QString& name)
{
    QFile file(f.dataFile(name));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QString alarmFile(const MainFormFixture& f)
{
    QFile file(f.dataFile(QStringLiteral("alarm.nox")));
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

// Three day columns from kDay (or the month view) with schedule 100 of
// kDay selected, at 10:00 with alarm "0分" (alarm.nox holds its entry).
TNoxMainForm* startWith100(MainFormFixture& f, bool month, int start = 20, int end = 21, int alarm = 0)
{
    f.writeFile(dayFileName(kDay), skedLine(start, end, 100, QStringLiteral("会議"), alarm));
    f.writeFile(
        QStringLiteral("alarm.nox"),
        QStringLiteral("2026/03/11 %1\t100\t1\r\n").arg(skedTimeText(start), 5, QLatin1Char('0')).toUtf8());
    TNoxMainForm* form = f.start();
    form->SetSkedCount(3);
    if (month) {
        form->SwitchViewClick();
    }
    form->GoToDate(kDay, 100);
    return form;
}

void key(int k, Qt::KeyboardModifiers mods = Qt::NoModifier)
{
    QWidget* focus = QApplication::focusWidget();
    QVERIFY(focus);
    QTest::keyClick(focus, Qt::Key(k), mods);
}

// A drag of the selected schedule dropped with `mods` at `pos` of `target`.
void drop(QWidget* target, QMimeData* data, const QPoint& pos, Qt::KeyboardModifiers mods)
{
    QDragEnterEvent enter(pos, Qt::MoveAction | Qt::CopyAction, data, Qt::LeftButton, mods);
    QApplication::sendEvent(target, &enter);
    QDragMoveEvent move(pos, Qt::MoveAction | Qt::CopyAction, data, Qt::LeftButton, mods);
    QApplication::sendEvent(target, &move);
    QDropEvent dropped(QPointF(pos), Qt::MoveAction | Qt::CopyAction, data, Qt::LeftButton, mods);
    QApplication::sendEvent(target, &dropped);
}

// Turns the wheel over a column, away from the user for a positive count.
void wheel(sked::TSked* column, int notches)
{
    const QPointF at(column->viewport()->width() / 2.0, column->viewport()->height() / 2.0);
    for (int i = 0; i < qAbs(notches); ++i) {
        QWheelEvent e(at, column->viewport()->mapToGlobal(at), QPoint(), QPoint(0, notches > 0 ? 120 : -120),
                      Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(column->viewport(), &e);
    }
}

bool lineInSight(const sked::TSked* column, int line)
{
    for (int r = column->TopRow(); r < column->TopRow() + column->VisibleRows() && r < column->RowCount(); ++r) {
        if (column->Rows().at(r).Line == line) {
            return true;
        }
    }
    return false;
}

QPoint linePoint(const sked::TSked* column, int line)
{
    for (int r = 0; r < column->RowCount(); ++r) {
        if (column->Rows().at(r).Line == line) {
            return column->rowBand(r).center();
        }
    }
    return {};
}

QPoint cellPoint(monthview::TMonthView* view, const QDate& date)
{
    return view->CellRect(view->CellOfDate(date)).bottomRight() - QPoint(3, 3) + view->ClientOrigin();
}

// Runs `action` on the editor the next command opens.
void onEditor(std::function<void(TForm2*)> action)
{
    QTimer::singleShot(0, [action] {
        auto* dialog = qobject_cast<TForm2*>(QApplication::activeModalWidget());
        QVERIFY(dialog);
        action(dialog);
        if (dialog->isVisible()) {
            dialog->reject();
        }
    });
}
} // namespace

class TestScheduleCommands : public QObject
{
    Q_OBJECT
private slots:
    void menuRules_data();
    void menuRules();
    void menuShortcutsDoNotHangOnLastOpening();
    void placedSpanKeepsLength_data();
    void placedSpanKeepsLength();
    void clipboardCopyManyCutOnce();

    void cleanup();
    void copyPastedTwiceGetsTwoNewIds_data();
    void copyPastedTwiceGetsTwoNewIds();
    void cutPastedKeepsItsIdOnce_data();
    void cutPastedKeepsItsIdOnce();
    void pasteKeepsLengthUpToLastLine();
    void dragMovesAndCtrlDragCopies_data();
    void dragMovesAndCtrlDragCopies();
    void dragWritesOnlyTheDraggedSchedule_data();
    void dragWritesOnlyTheDraggedSchedule();
    void deleteAsksFirst_data();
    void deleteAsksFirst();
    void emptyInPlaceTextIsRefused();
    void colourAndStyleSurviveARestart();
    void failedWriteIsReportedAndViewShowsTheFile();
    void editorFromDoubleClickAndEnter_data();
    void editorFromDoubleClickAndEnter();
    void editorListButtonsOpenTheSettingsPage();
    void monthDoubleClickOnGridLineOpensNothing();
    void windowShortcutsReachTheViews();
    void newScheduleLandsInSight();
};

void TestScheduleCommands::menuRules_data()
{
    QTest::addColumn<bool>("dayView");
    QTest::addColumn<bool>("hasTarget");
    QTest::addColumn<int>("itemStyle");    // -1: no item
    QTest::addColumn<QString>("expected"); // keep, edit, line colour, weeks, checked
    QTest::newRow("day, no column") << true << false << -1 << "k1 e0 l0 w1 c0";
    QTest::newRow("day, column only") << true << true << -1 << "k0 e0 l0 w1 c0";
    QTest::newRow("day, item") << true << true << (fsBold | fsStrikeOut) << "k0 e1 l1 w1 c9";
    QTest::newRow("month, none") << false << true << -1 << "k0 e0 l0 w0 c0";
    QTest::newRow("month, item") << false << true << int(fsItalic) << "k0 e1 l0 w0 c2";
}

void TestScheduleCommands::menuRules()
{
    QFETCH(bool, dayView);
    QFETCH(bool, hasTarget);
    QFETCH(int, itemStyle);
    QFETCH(QString, expected);
    TMenuContext context{hasTarget, std::nullopt, true, dayView, dayView};
    if (itemStyle >= 0) {
        context.itemStyle = itemStyle;
    }
    const TMenuState s = scheduleMenuState(context);
    const QString got = QStringLiteral("k%1 e%2 l%3 w%4 c%5")
                            .arg(int(s.keepItemEntries))
                            .arg(int(s.edit && s.remove && s.copy && s.font && s.textColor))
                            .arg(int(s.lineColor))
                            .arg(int(s.weeks))
                            .arg(s.checked);
    QCOMPARE(got, expected);
    QVERIFY(s.paste);
    QVERIFY(!scheduleMenuState(TMenuContext{hasTarget, std::nullopt, false, dayView, dayView}).paste);
}

void TestScheduleCommands::menuShortcutsDoNotHangOnLastOpening()
{
    QWidget owner;
    QList<QAction*> navigation;
    for (int i = 0; i < 6; ++i) {
        navigation << new QAction(QString::number(i), &owner);
    }
    TScheduleMenu menu(&owner, navigation);
    menu.OnContext = [] { return TMenuContext{true, std::nullopt, false, false, false}; };
    QVERIFY(!menu.action(TScheduleCommand::Search)->isVisible());
    emit menu.menu()->aboutToShow();
    QVERIFY(!menu.action(TScheduleCommand::Paste)->isEnabled());
    QVERIFY(!menu.action(TScheduleCommand::Edit)->isEnabled());
    QVERIFY(!navigation.at(3)->isEnabled());
    emit menu.menu()->aboutToHide();
    QVERIFY(menu.action(TScheduleCommand::Paste)->isEnabled());
    QVERIFY(navigation.at(3)->isEnabled());
    QVERIFY(!menu.action(TScheduleCommand::Holidays)->isEnabled()); // its window does not exist yet
}

void TestScheduleCommands::placedSpanKeepsLength_data()
{
    QTest::addColumn<int>("start");
    QTest::addColumn<int>("end");
    QTest::addColumn<int>("line");
    QTest::addColumn<int>("newStart");
    QTest::addColumn<int>("newEnd");
    QTest::newRow("kept") << 10 << 13 << 20 << 20 << 23;
    QTest::newRow("3 lines onto 46") << 10 << 13 << 46 << 46 << 47;
    QTest::newRow("one line onto 47") << 0 << 0 << 47 << 47 << 47;
}

void TestScheduleCommands::placedSpanKeepsLength()
{
    QFETCH(int, start);
    QFETCH(int, end);
    QFETCH(int, line);
    QFETCH(int, newStart);
    QFETCH(int, newEnd);
    const TSlotSpan span = placedSpan(start, end, line);
    QCOMPARE(span.start, newStart);
    QCOMPARE(span.end, newEnd);
}

void TestScheduleCommands::clipboardCopyManyCutOnce()
{
    TSkedRec rec;
    rec.ID = 100;
    rec.setDate(QDate(2026, 3, 11));
    qint32 next = 500;
    const auto newId = [&next] { return next++; };
    TScheduleClipboard clipboard;
    QVERIFY(!clipboard.pasteRecord(QDate(2026, 3, 12), newId));
    clipboard.copy(rec);
    for (int i = 0; i < 2; ++i) {
        const auto pasted = clipboard.pasteRecord(QDate(2026, 3, 12), newId);
        QCOMPARE(pasted->ID, 500 + i);
        QCOMPARE(pasted->date(), QDate(2026, 3, 12));
        clipboard.pasted();
    }
    clipboard.cut(rec);
    QCOMPARE(clipboard.pasteRecord(QDate(2026, 3, 13), newId)->ID, 100);
    QVERIFY(clipboard.hasSchedule()); // until the paste is stored
    clipboard.pasted();
    QVERIFY(!clipboard.hasSchedule());
}

void TestScheduleCommands::cleanup()
{
    SetChooserHooks({});
    setWriteFaultHook({});
    SetSettingsHost(nullptr);
}

void TestScheduleCommands::copyPastedTwiceGetsTwoNewIds_data()
{
    QTest::addColumn<bool>("month");
    QTest::newRow("day view") << false;
    QTest::newRow("month view") << true;
}

void TestScheduleCommands::copyPastedTwiceGetsTwoNewIds()
{
    QFETCH(bool, month);
    MainFormFixture f;
    TNoxMainForm* form = startWith100(f, month);
    key(Qt::Key_C, Qt::ControlModifier);
    form->GoToDate(kDay.addDays(1));
    key(Qt::Key_V, Qt::ControlModifier);
    key(Qt::Key_V, Qt::ControlModifier);
    const QList<TSkedRec> pasted = stored(form, kDay.addDays(1));
    QCOMPARE(pasted.size(), 2);
    QVERIFY(pasted[0].ID != 100 && pasted[1].ID != 100 && pasted[0].ID != pasted[1].ID);
    QCOMPARE(stored(form, kDay).value(0).ID, 100);
    QVERIFY(form->commands().clipboard().hasSchedule());
    // Alarm "0分": one entry each, in alarm.nox at once.
    const QString alarms = alarmFile(f);
    for (const TSkedRec& rec : pasted) {
        QCOMPARE(alarms.count(QStringLiteral("\t%1\t").arg(rec.ID)), 1);
    }
    QCOMPARE(form->mode().selectedRecord()->ID, pasted[1].ID);
}

void TestScheduleCommands::cutPastedKeepsItsIdOnce_data()
{
    copyPastedTwiceGetsTwoNewIds_data();
}

void TestScheduleCommands::cutPastedKeepsItsIdOnce()
{
    QFETCH(bool, month);
    MainFormFixture f;
    TNoxMainForm* form = startWith100(f, month);
    QVERIFY(alarmFile(f).contains(QStringLiteral("2026/03/11 10:00\t100\t1")));
    key(Qt::Key_X, Qt::ControlModifier);
    QVERIFY(!QFile::exists(f.dataFile(dayFileName(kDay))));
    QVERIFY(!alarmFile(f).contains(QStringLiteral("\t100\t")));
    form->GoToDate(kDay.addDays(2));
    key(Qt::Key_V, Qt::ControlModifier);
    key(Qt::Key_V, Qt::ControlModifier); // nothing left to paste
    const QList<TSkedRec> pasted = stored(form, kDay.addDays(2));
    QCOMPARE(pasted.size(), 1);
    QCOMPARE(pasted[0].ID, 100);
    QVERIFY(alarmFile(f).contains(QStringLiteral("2026/03/13 10:00\t100\t1")));
    QMenu* menu = form->commands().menu().menu();
    emit menu->aboutToShow();
    QVERIFY(!form->commands().menu().action(TScheduleCommand::Paste)->isEnabled());
    emit menu->aboutToHide();
}

void TestScheduleCommands::pasteKeepsLengthUpToLastLine()
{
    MainFormFixture f;
    TNoxMainForm* form = startWith100(f, false, 10, 12);
    key(Qt::Key_C, Qt::ControlModifier);
    sked::TSked* second = form->skedControl()->Skeds(1);
    QTest::mouseClick(second->viewport(), Qt::LeftButton, {}, linePoint(second, 46));
    QCOMPARE(second->LineIndex(), 46);
    key(Qt::Key_V, Qt::ControlModifier);
    const QList<TSkedRec> pasted = stored(form, kDay.addDays(1));
    QCOMPARE(pasted.size(), 1);
    QCOMPARE(pasted[0].StartTime, 46);
    QCOMPARE(pasted[0].EndTime, 47);
}

void TestScheduleCommands::dragMovesAndCtrlDragCopies_data()
{
    QTest::addColumn<bool>("month");
    QTest::addColumn<bool>("ctrl");
    QTest::newRow("day view, move") << false << false;
    QTest::newRow("day view, Ctrl: copy") << false << true;
    QTest::newRow("month view, move") << true << false;
    QTest::newRow("month view, Ctrl: copy") << true << true;
}

void TestScheduleCommands::dragMovesAndCtrlDragCopies()
{
    QFETCH(bool, month);
    QFETCH(bool, ctrl);
    MainFormFixture f;
    TNoxMainForm* form = startWith100(f, month);
    const QDate target = kDay.addDays(2);
    const Qt::KeyboardModifiers mods = ctrl ? Qt::ControlModifier : Qt::NoModifier;
    if (month) {
        monthview::TMonthView* view = form->monthView();
        QMimeData data;
        data.setData(monthview::monthViewItemMimeType(), view->DragPayload(view->SelectedItem()));
        drop(view, &data, cellPoint(view, target), mods);
    } else {
        sked::TSked* column = form->skedControl()->Skeds(2);
        std::unique_ptr<QMimeData> data(form->skedControl()->Skeds(0)->createDragData());
        drop(column->viewport(), data.get(), linePoint(column, 24), mods);
    }
    const QList<TSkedRec> there = stored(form, target);
    QCOMPARE(there.size(), 1);
    QCOMPARE(there[0].ID == 100, !ctrl);
    QCOMPARE(there[0].StartTime, month ? 20 : 24); // the month view keeps the times
    QCOMPARE(there[0].EndTime, month ? 21 : 25);
    QCOMPARE(QFile::exists(f.dataFile(dayFileName(kDay))), ctrl);
    QCOMPARE(stored(form, kDay).size(), ctrl ? 1 : 0);
    const QString time = month ? QStringLiteral("10:00") : QStringLiteral("12:00");
    QVERIFY(alarmFile(f).contains(QStringLiteral("2026/03/13 %1\t%2\t1").arg(time).arg(there[0].ID)));
    QCOMPARE(alarmFile(f).contains(QStringLiteral("2026/03/11 10:00\t100\t1")), ctrl);
}

void TestScheduleCommands::dragWritesOnlyTheDraggedSchedule_data()
{
    QTest::addColumn<bool>("month");
    QTest::addColumn<bool>("targetFails");
    QTest::addColumn<bool>("changedOnDisk"); // another program added to the new day after it was shown
    QTest::newRow("day view") << false << false << false;
    QTest::newRow("day view, the new day cannot be written") << false << true << false;
    QTest::newRow("day view, the new day changed on disk") << false << false << true;
    QTest::newRow("month view") << true << false << false;
    QTest::newRow("month view, the new day cannot be written") << true << true << false;
    QTest::newRow("month view, the new day changed on disk") << true << false << true;
}

// A drag moves the one schedule: the other lines of both days keep their
// bytes and their order (no day is written again as a whole), and when the
// new day cannot be written the schedule stays where it was and the user is
// told.
void TestScheduleCommands::dragWritesOnlyTheDraggedSchedule()
{
    QFETCH(bool, month);
    QFETCH(bool, targetFails);
    QFETCH(bool, changedOnDisk);
    MainFormFixture f;
    const QDate target = kDay.addDays(2);
    const QString targetFile = dayFileName(target);
    const QByteArray source = skedLine(20, 21, 100, QStringLiteral("会議")) + skedLine(12, 13, 200, QStringLiteral("残る"));
    // Not in sorted order: a day written as a whole would come out sorted.
    QByteArray there = skedLine(30, 31, 301, QStringLiteral("後")) + skedLine(10, 11, 300, QStringLiteral("前"));
    f.writeFile(dayFileName(kDay), source);
    f.writeFile(targetFile, there);
    TNoxMainForm* form = f.start();
    form->SetSkedCount(3);
    if (month) {
        form->SwitchViewClick();
    }
    form->GoToDate(kDay, 100);
    if (changedOnDisk) {
        there += skedLine(40, 41, 302, QStringLiteral("よそ"));
        f.writeFile(targetFile, there);
    }
    if (targetFails) {
        setWriteFaultHook(
            [targetFile](const QString& path, WriteStep) { return path.endsWith(targetFile) ? ENOSPC : 0; });
    }
    if (month) {
        monthview::TMonthView* view = form->monthView();
        QMimeData data;
        data.setData(monthview::monthViewItemMimeType(), view->DragPayload(view->SelectedItem()));
        drop(view, &data, cellPoint(view, target), Qt::NoModifier);
    } else {
        sked::TSked* column = form->skedControl()->Skeds(2);
        std::unique_ptr<QMimeData> data(form->skedControl()->Skeds(0)->createDragData());
        drop(column->viewport(), data.get(), linePoint(column, 20), Qt::NoModifier);
    }
    setWriteFaultHook({});
    if (targetFails) {
        QCOMPARE(f.failures.size(), 1);
        QVERIFY(f.failures[0].contains(targetFile));
        QCOMPARE(fileBytes(f, dayFileName(kDay)), source);
        QCOMPARE(fileBytes(f, targetFile), there);
        QTRY_VERIFY(form->mode().goToDate(kDay, 100, false)); // shown at its day again
        return;
    }
    if (changedOnDisk) { // both kept; the user is told and the view reads the day again
        QTRY_COMPARE(f.failures.size(), 1);
        QVERIFY2(f.failures[0].startsWith(QStringLiteral("ほかのプログラムによる変更と合わせて保存しました。")),
                 qPrintable(f.failures[0]));
        QTRY_VERIFY(form->mode().goToDate(target, 302, false));
    } else {
        QVERIFY(f.failures.isEmpty());
    }
    QCOMPARE(fileBytes(f, dayFileName(kDay)), skedLine(12, 13, 200, QStringLiteral("残る")));
    QCOMPARE(fileBytes(f, targetFile), there + skedLine(20, 21, 100, QStringLiteral("会議")));
    QVERIFY(form->mode().goToDate(target, 100, false));
}

void TestScheduleCommands::deleteAsksFirst_data()
{
    copyPastedTwiceGetsTwoNewIds_data();
}

void TestScheduleCommands::deleteAsksFirst()
{
    QFETCH(bool, month);
    MainFormFixture f;
    TNoxMainForm* form = startWith100(f, month);
    QStringList asked;
    bool answer = false;
    TChooserHooks hooks;
    hooks.question = [&](const QString& text) {
        asked << text;
        return answer;
    };
    SetChooserHooks(hooks);
    key(Qt::Key_Delete);
    QCOMPARE(asked, QStringList{QStringLiteral("削除しても宜しいですか？")});
    QCOMPARE(stored(form, kDay).size(), 1);
    QVERIFY(alarmFile(f).contains(QStringLiteral("\t100\t")));
    answer = true;
    key(Qt::Key_Delete);
    QVERIFY(!QFile::exists(f.dataFile(dayFileName(kDay))));
    QVERIFY(!alarmFile(f).contains(QStringLiteral("\t100\t")));
    QVERIFY(!form->mode().selectedRecord());
}

// Delete inside the open editor edits the text; it is no command.
void TestScheduleCommands::emptyInPlaceTextIsRefused()
{
    MainFormFixture f;
    TNoxMainForm* form = startWith100(f, false);
    sked::TSked* column = form->skedControl()->Skeds(0);
    QVERIFY(column->EditText(column->SelectedItem()));
    QPlainTextEdit* editor = column->InplaceEdit();
    QTest::keyClick(editor, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(editor, Qt::Key_Delete);
    QVERIFY(editor->toPlainText().isEmpty());
    QTest::keyClick(editor, Qt::Key_Return);
    QCOMPARE(column->SelectedItem()->Text(), QStringLiteral("会議"));
    QCOMPARE(stored(form, kDay).value(0).Text, QStringLiteral("会議"));
}

void TestScheduleCommands::colourAndStyleSurviveARestart()
{
    MainFormFixture f;
    TNoxMainForm* form = startWith100(f, false);
    QList<TColor> answers{clRed, clBlue};
    TChooserHooks hooks;
    hooks.color = [&answers](TColor) { return std::optional<TColor>(answers.takeFirst()); };
    SetChooserHooks(hooks);
    TScheduleMenu& menu = form->commands().menu();
    menu.action(TScheduleCommand::TextColor)->trigger(); // text and line red
    menu.action(TScheduleCommand::LineColor)->trigger(); // line blue
    menu.action(TScheduleCommand::Bold)->trigger();
    f.stop();
    form = f.start();
    const TSkedRec rec = stored(form, kDay).value(0);
    QCOMPARE(rec.TextColor, clRed);
    QCOMPARE(rec.LineColor, clBlue);
    QCOMPARE(rec.FontStyle, int(fsBold));
    form->SwitchViewClick();
    form->GoToDate(kDay, 100);
    TScheduleMenu& again = form->commands().menu();
    emit again.menu()->aboutToShow();
    QVERIFY(!again.action(TScheduleCommand::LineColor)->isEnabled()); // no line colours in the month view
    QVERIFY(again.action(TScheduleCommand::Bold)->isChecked());
    emit again.menu()->aboutToHide();
}

void TestScheduleCommands::failedWriteIsReportedAndViewShowsTheFile()
{
    MainFormFixture f;
    TNoxMainForm* form = startWith100(f, false);
    key(Qt::Key_C, Qt::ControlModifier);
    const QString file = dayFileName(kDay.addDays(1));
    setWriteFaultHook([file](const QString& path, WriteStep) { return path.endsWith(file) ? ENOSPC : 0; });
    form->GoToDate(kDay.addDays(1));
    key(Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(f.failures.size(), 1);
    QVERIFY(f.failures[0].contains(file));
    QTRY_COMPARE(form->skedControl()->Skeds(1)->Items().Count(), 0);
    QVERIFY(!QFile::exists(f.dataFile(file)));
    QVERIFY(form->commands().clipboard().hasSchedule());
}

void TestScheduleCommands::editorFromDoubleClickAndEnter_data()
{
    copyPastedTwiceGetsTwoNewIds_data();
}

// A double click on an empty place adds, Enter on a schedule edits.
void TestScheduleCommands::editorFromDoubleClickAndEnter()
{
    QFETCH(bool, month);
    MainFormFixture f;
    TNoxMainForm* form = startWith100(f, month);
    const QDate day = kDay.addDays(1);
    TEditorMode seen = emEdit;
    onEditor([&](TForm2* d) {
        seen = d->windowTitle().endsWith(QStringLiteral("[新規]")) ? emNew : emEdit;
        QCOMPARE(d->DatePicker()->date(), day);
        QTest::keyClicks(d->TextBox(), "abc");
        QTest::mouseClick(d->OkButton(), Qt::LeftButton);
    });
    if (month) {
        // A real double click is a click followed by a double click.
        QTest::mouseClick(form->monthView(), Qt::LeftButton, {}, cellPoint(form->monthView(), day));
        QTest::mouseDClick(form->monthView(), Qt::LeftButton, {}, cellPoint(form->monthView(), day));
    } else {
        sked::TSked* column = form->skedControl()->Skeds(1);
        QTest::mouseClick(column->viewport(), Qt::LeftButton, {}, linePoint(column, 20));
        QTest::mouseDClick(column->viewport(), Qt::LeftButton, {}, linePoint(column, 20));
    }
    QCOMPARE(seen, emNew);
    const QList<TSkedRec> added = stored(form, day);
    QCOMPARE(added.size(), 1);
    QCOMPARE(added[0].Text, QStringLiteral("abc"));
    QCOMPARE(added[0].StartTime, month ? 18 : 20); // the month view's default time is 9:00
    QCOMPARE(form->mode().selectedRecord()->ID, added[0].ID);

    form->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(form));
    QString shown;
    onEditor([&](TForm2* d) {
        shown = d->TextBox()->toPlainText();
        QTest::keyClick(d->TextBox(), Qt::Key_Escape);
    });
    key(Qt::Key_Return);
    QCOMPARE(shown, QStringLiteral("abc"));
    QCOMPARE(stored(form, day), added);
}

void TestScheduleCommands::editorListButtonsOpenTheSettingsPage()
{
    MainFormFixture f;
    TNoxMainForm* form = startWith100(f, false);
    QVERIFY(!form->commands().editorSetup().editLists); // no settings dialog yet: disabled
    InstallSettingsDialog(*form);
    QList<int> pages;
    onEditor([&](TForm2* d) {
        QVERIFY(d->CategoryEditButton()->isEnabled());
        QTimer::singleShot(0, [&] {
            auto* settings = qobject_cast<TForm4*>(QApplication::activeModalWidget());
            QVERIFY(settings);
            for (int page = spStyle; page <= spPopup; ++page) {
                if (settings->Page(page)) {
                    pages << page;
                }
            }
            settings->reject();
        });
        QTest::mouseClick(d->CategoryEditButton(), Qt::LeftButton);
    });
    form->commands().run(TScheduleCommand::Edit);
    QCOMPARE(pages, QList<int>{spCategory});
}

// The double click that puts the grid lines back where they were.
void TestScheduleCommands::monthDoubleClickOnGridLineOpensNothing()
{
    MainFormFixture f;
    TNoxMainForm* form = startWith100(f, true);
    monthview::TMonthView* view = form->monthView();
    QVERIFY(view->ColSizing());
    const QRect cell = view->CellRect(view->CellOfDate(kDay.addDays(1)));
    const QPoint border = QPoint(cell.right() + 1, cell.center().y()) + view->ClientOrigin();
    bool opened = false;
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&opened] {
        if (auto* dialog = qobject_cast<TForm2*>(QApplication::activeModalWidget())) {
            opened = true;
            dialog->reject();
        }
    });
    watch.start(20);
    QTest::mouseMove(view, border);
    QTest::mouseClick(view, Qt::LeftButton, {}, border);
    QTest::mouseDClick(view, Qt::LeftButton, {}, border);
    QCoreApplication::processEvents();
    QVERIFY(!opened);
    QCOMPARE(form->mode().selectedRecord()->ID, 100);
}

// The search window's Ctrl+F is the window's: no command of the views may
// make it ambiguous there.
void TestScheduleCommands::windowShortcutsReachTheViews()
{
    MainFormFixture f;
    TNoxMainForm* form = startWith100(f, false);
    int found = 0;
    auto* find = new QAction(form);
    find->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_F));
    find->setShortcutContext(Qt::WindowShortcut);
    QObject::connect(find, &QAction::triggered, [&found] { ++found; });
    form->addAction(find);
    form->OnSearch = [](QObject*) {};
    form->commands().updateAvailability();
    key(Qt::Key_F, Qt::ControlModifier);
    form->SwitchViewClick();
    key(Qt::Key_F, Qt::ControlModifier);
    QCOMPARE(found, 2);
}

// Right after the start Ctrl+A offers the first line in sight (8:00 by
// default), an added schedule is scrolled into sight, and a step through the
// weeks keeps the scroll position.
void TestScheduleCommands::newScheduleLandsInSight()
{
    MainFormFixture f;
    TNoxMainForm* form = f.start();
    sked::TSkedControl* view = form->skedControl();
    sked::TSked* column = view->ActiveSked();
    QVERIFY(column);
    QCOMPARE(view->TopRow(), 16);
    QCOMPARE(column->LineIndex(), 16);
    auto addWithText = [&](const char* text) {
        form->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(form));
        column->setFocus();
        onEditor([text](TForm2* d) {
            QTest::keyClicks(d->TextBox(), text);
            QTest::mouseClick(d->OkButton(), Qt::LeftButton);
        });
        key(Qt::Key_A, Qt::ControlModifier);
    };
    addWithText("first");
    QCOMPARE(stored(form, kDay).value(0).StartTime, 16);

    // Scrolled away from the cursor: the added schedule comes into sight.
    wheel(column, -14);
    QVERIFY(view->TopRow() > 20);
    addWithText("second");
    const QList<TSkedRec> both = stored(form, kDay);
    QCOMPARE(both.size(), 2);
    QVERIFY(column->SelectedItem() && column->SelectedItem()->Text() == QStringLiteral("second"));
    QVERIFY2(lineInSight(column, both.value(1).StartTime), qPrintable(QString::number(view->TopRow())));

    // Ctrl+K and Ctrl+J show the same hours, though the cursor is out of sight.
    form->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(form));
    column->setFocus();
    wheel(column, -10);
    const int top = view->TopRow();
    QVERIFY(!lineInSight(column, column->LineIndex()));
    const QDate before = form->leftDate();
    key(Qt::Key_K, Qt::ControlModifier);
    QVERIFY(form->leftDate() > before);
    QCOMPARE(view->TopRow(), top);
    key(Qt::Key_J, Qt::ControlModifier);
    QCOMPARE(view->TopRow(), top);
}

QTEST_MAIN(TestScheduleCommands)
#include "tst_schedulecommands.moc"
