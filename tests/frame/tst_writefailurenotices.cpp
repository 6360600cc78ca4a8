// Failed writes reach the user: one box per burst naming every file once,
// and what is still pending at exit is shown then.
#include <QApplication>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include "app/writefailurenotices.h"
#include "core/textfile.h"

using namespace nox;

class TestWriteFailureNotices : public QObject
{
    Q_OBJECT
private slots:
    void oneBoxPerBurst();
    void pendingIsShownAtExit();
    void boxesDoNotBlockAndGrow();
    void mergedSaveIsNoFailure();
    void callerMayTellItself();
};

void TestWriteFailureNotices::oneBoxPerBurst()
{
    QTemporaryDir dir;
    WriteFailureNotices notices;
    QStringList shown;
    notices.OnShow = [&](const QString& text) { shown << text; };
    // A shutdown on a full disk: many writes of two files fail.
    const QString ini = dir.filePath("missing/Nox.ini");
    const QString alarms = dir.filePath("missing/alarm.nox");
    for (int i = 0; i < 12; ++i) {
        QVERIFY(!writeTextLines(ini, {"[sked]", QStringLiteral("count=%1").arg(i)}));
    }
    QVERIFY(!writeTextLines(alarms, {"x"}));
    QVERIFY(shown.isEmpty()); // not in the middle of the work
    QTRY_COMPARE(shown.size(), 1);
    QCOMPARE(shown[0].count(ini), 1);
    QCOMPARE(shown[0].count(alarms), 1);
    QVERIFY(shown[0].contains(QString::fromLocal8Bit(strerror(ENOENT))));

    QVERIFY(!writeTextLines(ini, {"again"})); // a later failure is told again
    QTRY_COMPARE(shown.size(), 2);
}

void TestWriteFailureNotices::pendingIsShownAtExit()
{
    QTemporaryDir dir;
    QStringList shown;
    {
        WriteFailureNotices notices;
        notices.OnShow = [&](const QString& text) { shown << text; };
        QVERIFY(!writeTextLines(dir.filePath("missing/images.bmp"), {"x"}));
        notices.showPending(); // the event loop has ended
        QCOMPARE(shown.size(), 1);
        QVERIFY(notices.pending().isEmpty());
    }
    // Gone with the notices: failures are no longer collected.
    QVERIFY(!writeTextLines(dir.filePath("missing/x"), {"x"}));
    QTest::qWait(20);
    QCOMPARE(shown.size(), 1);
}

namespace
{
QList<QMessageBox*> openBoxes()
{
    QList<QMessageBox*> boxes;
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (auto* box = qobject_cast<QMessageBox*>(w); box && box->isVisible()) {
            boxes << box;
        }
    }
    return boxes;
}
} // namespace

// A box about files leaves the event loop to the timers (alarms, time
// signals); a later burst goes into the box still open instead of a second.
void TestWriteFailureNotices::boxesDoNotBlockAndGrow()
{
    QTemporaryDir dir;
    WriteFailureNotices notices;
    QVERIFY(!writeTextLines(dir.filePath("missing/a.dat"), {"x"}));
    int beats = 0;
    QTimer beat;
    QObject::connect(&beat, &QTimer::timeout, [&] { ++beats; });
    beat.start(10);
    QTRY_COMPARE(openBoxes().size(), 1);
    QMessageBox* box = openBoxes().first();
    QVERIFY(!box->isModal());
    QVERIFY(QApplication::activeModalWidget() == nullptr);
    QTRY_VERIFY(beats > 5); // the loop runs on while the box is open
    QCOMPARE(box->icon(), QMessageBox::Critical);
    QVERIFY(box->text().startsWith(QStringLiteral("次のファイルを保存できませんでした。")));

    QVERIFY(!writeTextLines(dir.filePath("missing/b.dat"), {"x"}));
    QVERIFY(!writeTextLines(dir.filePath("missing/a.dat"), {"x"}));
    QTRY_VERIFY(box->text().contains(dir.filePath("missing/b.dat")));
    QCOMPARE(openBoxes().size(), 1);
    QCOMPARE(box->text().count(dir.filePath("missing/a.dat")), 1);
    box->close();
    QTRY_VERIFY(openBoxes().isEmpty());
}

// A save that had to take in another program's change did not fail: its
// notice says what happened, with an information icon.
void TestWriteFailureNotices::mergedSaveIsNoFailure()
{
    WriteFailureNotices notices;
    notices.report(QStringLiteral("merged a.dat"), WriteFailureNotices::Kind::Merged);
    QTRY_COMPARE(openBoxes().size(), 1);
    QMessageBox* box = openBoxes().first();
    QCOMPARE(box->icon(), QMessageBox::Information);
    QVERIFY(!box->text().contains(QStringLiteral("保存できませんでした")));
    QVERIFY(box->text().contains(QStringLiteral("失われていません")));
    QVERIFY(box->text().contains(QStringLiteral("merged a.dat")));
    box->close();
}

// A writer that tells its own failures (in a dialog of its own) is not
// told about a second time.
void TestWriteFailureNotices::callerMayTellItself()
{
    QTemporaryDir dir;
    WriteFailureNotices notices;
    QStringList shown;
    notices.OnShow = [&](const QString& text) { shown << text; };
    {
        const WriteFailuresToldByCaller toldHere;
        QVERIFY(!writeTextLines(dir.filePath("missing/a.dat"), {"x"}));
    }
    QTest::qWait(20);
    QVERIFY(shown.isEmpty());
    QVERIFY(!writeTextLines(dir.filePath("missing/a.dat"), {"x"}));
    QTRY_COMPARE(shown.size(), 1);
}

QTEST_MAIN(TestWriteFailureNotices)
#include "tst_writefailurenotices.moc"
