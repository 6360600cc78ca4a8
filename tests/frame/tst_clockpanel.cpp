#include <QMenu>
#include <QTest>

#include "app/clockpanel.h"
#include "core/datetime.h"

using namespace nox;

namespace
{

const TClockArea kArea{QSize(600, 400), 20};
const QSize kClock(60, 20);

} // namespace

class TestClockPanel : public QObject
{
    Q_OBJECT

private slots:
    void cornerPlacement_data();
    void cornerPlacement();
    void clampingRewritesMargins();
    void freePositionIsOnlyClamped();
    void resizeKeepsCornerDistance();
    void dragStopsAtTheEdges();
    void dragShowsFocusColours();
    void rightClickMenuHides();
    void tickAndSize();

private:
    // A window with a clock at the bottom-right corner, margins 2, status bar 20.
    struct Fixture {
        QWidget window;
        TClockPanel* clock = nullptr;
    };
    void setUp(Fixture& f);
};

void TestClockPanel::setUp(Fixture& f)
{
    f.window.resize(600, 400);
    f.clock = new TClockPanel(&f.window);
    f.clock->setFormat(QStringLiteral("hh:nn"));
    f.clock->resize(kClock);
    f.clock->setStatusBarHeight(20);
    f.clock->setCorner(ccBottomRight);
    f.clock->setMargins(2, 2);
    f.clock->setFixedPos(true);
    f.window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&f.window));
    f.clock->place();
    f.clock->setAutoPlace(true);
}

void TestClockPanel::cornerPlacement_data()
{
    QTest::addColumn<int>("corner");
    QTest::addColumn<QPoint>("expected");
    // Bottom edges rest on the status bar: 400 - 20 (clock) - 20 (bar) - 3.
    QTest::newRow("top left") << int(ccTopLeft) << QPoint(5, 3);
    QTest::newRow("bottom left") << int(ccBottomLeft) << QPoint(5, 357);
    QTest::newRow("top right") << int(ccTopRight) << QPoint(535, 3);
    QTest::newRow("bottom right") << int(ccBottomRight) << QPoint(535, 357);
}

void TestClockPanel::cornerPlacement()
{
    QFETCH(int, corner);
    QFETCH(QPoint, expected);
    const TClockPlacement p = placeClock(kArea, kClock, true, corner, 5, 3, QPoint(100, 100));
    QCOMPARE(p.pos, expected);
    QCOMPARE(p.xMargin, 5);
    QCOMPARE(p.yMargin, 3);
    QCOMPARE(clockMargins(kArea, kClock, corner, p.pos), QPoint(5, 3));
}

void TestClockPanel::clampingRewritesMargins()
{
    // Margins larger than the window push the clock out at the top left; it
    // is brought back to 0,0 and the margins follow.
    const TClockPlacement p = placeClock(kArea, kClock, true, ccBottomRight, 900, 700, QPoint());
    QCOMPARE(p.pos, QPoint(0, 0));
    QCOMPARE(p.xMargin, 540);
    QCOMPARE(p.yMargin, 360);
    // Negative margins at the top left would place it past the far edges.
    const TClockPlacement q = placeClock(kArea, kClock, true, ccTopLeft, 580, 390, QPoint());
    QCOMPARE(q.pos, QPoint(540, 360));
    QCOMPARE(q.xMargin, 540);
    QCOMPARE(q.yMargin, 360);
}

void TestClockPanel::freePositionIsOnlyClamped()
{
    const TClockPlacement p = placeClock(kArea, kClock, false, ccBottomRight, 7, 9, QPoint(-5, 390));
    QCOMPARE(p.pos, QPoint(0, 360));
    QCOMPARE(p.xMargin, 7); // untouched without a fixed corner
    QCOMPARE(p.yMargin, 9);
    QCOMPARE(placeClock(kArea, kClock, false, 0, 0, 0, QPoint(100, 50)).pos, QPoint(100, 50));
}

void TestClockPanel::resizeKeepsCornerDistance()
{
    Fixture f;
    setUp(f);
    QCOMPARE(f.clock->pos(), QPoint(600 - 60 - 2, 400 - 20 - 20 - 2));
    f.window.resize(800, 500);
    QCOMPARE(f.clock->pos(), QPoint(800 - 60 - 2, 500 - 20 - 20 - 2));
    f.window.resize(450, 300);
    QCOMPARE(f.clock->geometry().right() + 1, 450 - 2);
    QCOMPARE(f.clock->geometry().bottom() + 1, 300 - 20 - 2);
}

void TestClockPanel::dragStopsAtTheEdges()
{
    Fixture f;
    setUp(f);
    const QPoint start = f.clock->pos();
    QTest::mousePress(f.clock, Qt::LeftButton, {}, QPoint(5, 5));
    QTest::mouseMove(f.clock, QPoint(5 - 30, 5 - 40));
    QCOMPARE(f.clock->pos(), start - QPoint(30, 40));
    // Far beyond the left edge: it stops at x = 0.
    QTest::mouseMove(f.clock, QPoint(-2000, 5));
    QCOMPARE(f.clock->x(), 0);
    QTest::mouseRelease(f.clock, Qt::LeftButton, {}, QPoint(-2000, 5));
    // With a fixed corner the margins are measured from the new position.
    QCOMPARE(f.clock->xMargin(), 600 - 60);
    QCOMPARE(f.clock->yMargin(), 400 - 20 - 20 - f.clock->y());

    // Below the status bar is out of bounds too; the middle button drags as well.
    QTest::mousePress(f.clock, Qt::MiddleButton, {}, QPoint(5, 5));
    QTest::mouseMove(f.clock, QPoint(5, 2000));
    QTest::mouseRelease(f.clock, Qt::MiddleButton, {}, QPoint(5, 2000));
    QCOMPARE(f.clock->y(), 400 - 20 - 20);
    QCOMPARE(f.clock->yMargin(), 0);
    // And the margins survive the next resize.
    f.window.resize(700, 400);
    QCOMPARE(f.clock->pos(), QPoint(700 - 60 - 540, 360));
}

void TestClockPanel::dragShowsFocusColours()
{
    Fixture f;
    setUp(f);
    f.clock->setColors(clBlack, clYellow);
    f.clock->setDragColors(clRed, clWhite);
    const QPoint probe(4, f.clock->height() - 4);
    QCOMPARE(f.clock->grab().toImage().pixelColor(probe), QColor(Qt::black));
    QTest::mousePress(f.clock, Qt::LeftButton, {}, QPoint(5, 5));
    QCOMPARE(f.clock->grab().toImage().pixelColor(probe), QColor(Qt::red));
    QTest::mouseRelease(f.clock, Qt::LeftButton, {}, QPoint(5, 5));
    QCOMPARE(f.clock->grab().toImage().pixelColor(probe), QColor(Qt::black));
}

void TestClockPanel::rightClickMenuHides()
{
    Fixture f;
    setUp(f);
    int hideCalls = 0;
    int settingsCalls = 0;
    f.clock->OnHideClick = [&](QObject* sender) {
        QCOMPARE(sender, f.clock);
        QVERIFY(f.clock->isHidden()); // hidden before the window writes "visible" = 0
        ++hideCalls;
    };
    f.clock->OnSettingsClick = [&](QObject*) { ++settingsCalls; };
    const QPoint before = f.clock->pos();
    QTest::mousePress(f.clock, Qt::RightButton, {}, QPoint(5, 5));
    QTRY_VERIFY(f.clock->contextMenu()->isVisible());
    QTest::mouseMove(f.clock, QPoint(50, 50));
    QCOMPARE(f.clock->pos(), before); // a right press does not start a drag
    const QList<QAction*> actions = f.clock->contextMenu()->actions();
    QCOMPARE(actions.size(), 2);
    QCOMPARE(actions[0]->text(), QStringLiteral("隠す"));
    QCOMPARE(actions[1]->text(), QStringLiteral("設定..."));
    actions[1]->trigger();
    QCOMPARE(settingsCalls, 1);
    QVERIFY(f.clock->isVisible());
    actions[0]->trigger();
    QCOMPARE(hideCalls, 1);
    f.clock->contextMenu()->hide();
}

void TestClockPanel::tickAndSize()
{
    Fixture f;
    setUp(f);
    f.clock->setFormat(QStringLiteral("yyyy/mm/dd hh:nn:ss"));
    f.clock->tick(QDateTime(QDate(2024, 3, 5), QTime(9, 7, 3)));
    QCOMPARE(f.clock->text(), QStringLiteral("2024/03/05 09:07:03"));

    f.clock->setClockFont(QStringLiteral("DejaVu Sans"), 12, fsBold | fsItalic);
    QVERIFY(f.clock->font().bold());
    QVERIFY(f.clock->font().italic());
    f.clock->sizeToFormat();
    const QFontMetrics metrics(f.clock->font());
    QCOMPARE(f.clock->width(), metrics.horizontalAdvance(QStringLiteral("1899/12/30 23:59:51")) + 8);
    QCOMPARE(f.clock->height(), metrics.height() + 8);
    // Sizing also places it again at its corner.
    QCOMPARE(f.clock->geometry().right() + 1, 600 - 2);
    if (const QString shots = qEnvironmentVariable("NOX_TEST_SHOTS"); !shots.isEmpty()) {
        f.clock->grab().save(shots + QStringLiteral("/clockpanel.png"));
    }

    // A hidden clock keeps its text.
    f.clock->hide();
    f.clock->tick(QDateTime(QDate(2024, 3, 5), QTime(10, 0)));
    QCOMPARE(f.clock->text(), QStringLiteral("2024/03/05 09:07:03"));
}

QTEST_MAIN(TestClockPanel)
#include "tst_clockpanel.moc"
