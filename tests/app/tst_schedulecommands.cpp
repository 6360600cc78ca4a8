// The schedule commands of the main window: the rules of the shared context
// menu, the private clipboard, and the commands as a user gives them.
#include <QAction>
#include <QMenu>
#include <QTest>

#include "app/scheduleclipboard.h"
#include "app/schedulemenu.h"

using namespace nox;

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
};

void TestScheduleCommands::menuRules_data()
{
    QTest::addColumn<bool>("dayView");
    QTest::addColumn<bool>("hasTarget");
    QTest::addColumn<int>("itemStyle"); // -1: no item
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

QTEST_MAIN(TestScheduleCommands)
#include "tst_schedulecommands.moc"
