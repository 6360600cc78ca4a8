// Failed writes reach the user: one box per burst naming every file once,
// and what is still pending at exit is shown then.
#include <QTemporaryDir>
#include <QTest>

#include "app/writefailurenotices.h"
#include "core/textfile.h"

using namespace nox;

class TestWriteFailureNotices : public QObject
{
    Q_OBJECT
private slots:
    void oneBoxPerBurst();
    void pendingIsShownAtExit();
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

QTEST_MAIN(TestWriteFailureNotices)
#include "tst_writefailurenotices.moc"
