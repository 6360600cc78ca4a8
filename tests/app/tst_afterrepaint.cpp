#include <QPointer>
#include <QTest>
#include <QWidget>

#include "app/afterrepaint.h"

using namespace nox;

namespace
{

class CountedWidget : public QWidget
{
public:
    int paints = 0;

protected:
    void paintEvent(QPaintEvent*) override { ++paints; }
};

} // namespace

class TestAfterRepaint : public QObject
{
    Q_OBJECT
private slots:
    void runsAfterThePendingRepaint();
};

// The work waits for the repaint that was asked for before it, and is
// dropped with its context.
void TestAfterRepaint::runsAfterThePendingRepaint()
{
    CountedWidget w;
    w.resize(60, 40);
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    QTRY_VERIFY(w.paints > 0);
    const int before = w.paints;
    w.update();
    int paintsAtWork = -1;
    runAfterRepaint(&w, [&] { paintsAtWork = w.paints; });
    QCOMPARE(paintsAtWork, -1); // posted, not run at once
    QCoreApplication::sendPostedEvents();
    QCOMPARE(paintsAtWork, before + 1);

    auto* context = new QObject;
    bool ran = false;
    runAfterRepaint(context, [&] { ran = true; });
    delete context;
    QCoreApplication::sendPostedEvents();
    QVERIFY(!ran);
}

QTEST_MAIN(TestAfterRepaint)
#include "tst_afterrepaint.moc"
