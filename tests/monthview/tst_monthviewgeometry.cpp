// Month frame, rate texts, pixel shares, hit tests and border moves.
#include "monthview/monthviewgeometry.h"

#include <QRandomGenerator>
#include <QTest>

using namespace nox;
using namespace nox::monthview;

class TestMonthViewGeometry : public QObject
{
    Q_OBJECT
private slots:
    void monthFrame_data();
    void monthFrame();
    void cellDateRoundTrip();
    void parseRate_data();
    void parseRate();
    void distributeKeepsTheTotal();
    void distributeRemainder();
    void twoPieceRateLeavesZeroColumns();
    void cellAtAvoidsLinesAndHeader();
    void moveBorderPushesAndKeepsMinimum();
    void zoom();
};

void TestMonthViewGeometry::monthFrame_data()
{
    QTest::addColumn<QDate>("date");
    QTest::addColumn<int>("firstCell");
    QTest::addColumn<int>("endCell");
    QTest::newRow("March 2026 starts on Sunday") << QDate(2026, 3, 17) << 0 << 31;
    QTest::newRow("February 2026, Sunday, 28 days") << QDate(2026, 2, 28) << 0 << 28;
    QTest::newRow("February 2024, leap year") << QDate(2024, 2, 1) << 4 << 33;
    QTest::newRow("August 2026 starts on Saturday") << QDate(2026, 8, 31) << 6 << 37;
    QTest::newRow("May 2026 starts on Friday") << QDate(2026, 5, 5) << 5 << 36;
}

void TestMonthViewGeometry::monthFrame()
{
    QFETCH(QDate, date);
    QFETCH(int, firstCell);
    QFETCH(int, endCell);
    const MonthFrame f = nox::monthview::monthFrame(date);
    QCOMPARE(f.firstCell, firstCell);
    QCOMPARE(f.endCell, endCell);
    QCOMPARE(f.cellDate(firstCell), QDate(date.year(), date.month(), 1));
    QCOMPARE(f.cellDate(endCell), QDate(date.year(), date.month(), 1).addMonths(1));
    QCOMPARE(f.cellDate(0).dayOfWeek(), int(Qt::Sunday));
    QVERIFY(f.inMonth(firstCell) && !f.inMonth(endCell) && !f.inMonth(firstCell - 1));
}

void TestMonthViewGeometry::cellDateRoundTrip()
{
    const MonthFrame f = nox::monthview::monthFrame(QDate(2026, 5, 20));
    for (int cell = -10; cell < kCellCount + 10; ++cell) {
        QCOMPARE(f.cellOfDate(f.cellDate(cell)), cell);
    }
    // February of a non-leap year starting on Sunday fills rows 0..3 exactly.
    const MonthFrame feb = nox::monthview::monthFrame(QDate(2026, 2, 1));
    QCOMPARE(feb.cellDate(27), QDate(2026, 2, 28));
    QCOMPARE(feb.cellDate(28), QDate(2026, 3, 1));
    QCOMPARE(feb.cellDate(41), QDate(2026, 3, 14));
}

void TestMonthViewGeometry::parseRate_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QList<int>>("rates");
    QTest::newRow("default") << "2,3,3,3,3,3,2" << QList<int>{2, 3, 3, 3, 3, 3, 2};
    QTest::newRow("short text leaves zeros") << "1,1" << QList<int>{1, 1, 0, 0, 0, 0, 0};
    QTest::newRow("empty and bad pieces count 1") << ",x,3" << QList<int>{1, 1, 3, 0, 0, 0, 0};
    QTest::newRow("empty text") << "" << QList<int>{1, 0, 0, 0, 0, 0, 0};
    QTest::newRow("extra pieces ignored") << "1,2,3,4,5,6,7,8,9" << QList<int>{1, 2, 3, 4, 5, 6, 7};
    QTest::newRow("negative counts 0") << "-2,3" << QList<int>{0, 3, 0, 0, 0, 0, 0};
}

void TestMonthViewGeometry::parseRate()
{
    QFETCH(QString, text);
    QFETCH(QList<int>, rates);
    QCOMPARE(nox::monthview::parseRate(text, 7), rates);
    QCOMPARE(nox::monthview::parseRate(rateText(rates), 7), rates);
}

void TestMonthViewGeometry::distributeKeepsTheTotal()
{
    auto* rng = QRandomGenerator::global();
    for (int round = 0; round < 2000; ++round) {
        QList<int> rates;
        for (int i = 0; i < 7; ++i) {
            rates << rng->bounded(0, 12);
        }
        const int total = rng->bounded(0, 3000);
        const int lw = rng->bounded(0, 4);
        const QList<int> sizes = distribute(rates, total, lw);
        int sum = 0;
        for (int s : sizes) {
            sum += s;
        }
        QCOMPARE(sum, total - lw);
    }
}

void TestMonthViewGeometry::distributeRemainder()
{
    // 700 * 2 / 19 = 73, 700 * 3 / 19 = 110: 73 + 5 * 110 + 73 = 696;
    // remainder 700 - 696 - 1 = 3 goes to the first three columns.
    QCOMPARE(distribute({2, 3, 3, 3, 3, 3, 2}, 700, 1), (QList<int>{74, 111, 111, 110, 110, 110, 73}));
    // Without a positive sum the parts share equally instead of dividing by 0.
    QCOMPARE(distribute({0, 0, 0, 0, 0, 0, 0}, 71, 1), (QList<int>{10, 10, 10, 10, 10, 10, 10}));
}

void TestMonthViewGeometry::twoPieceRateLeavesZeroColumns()
{
    const Grid g =
        makeGrid(nox::monthview::parseRate("1,1", 7), nox::monthview::parseRate("", 6), 250, 150, 16, 1);
    QCOMPARE(g.x[0], 0);
    QCOMPARE(g.x[1], 124); // 125 less the one remainder pixel
    for (int i = 2; i <= 7; ++i) {
        QCOMPARE(g.x[i], 249);
    }
    QCOMPARE(g.y[0], 16);
    QCOMPARE(g.y[1], 149); // the only row takes the whole height
    QCOMPARE(g.y[6], 149);
}

void TestMonthViewGeometry::cellAtAvoidsLinesAndHeader()
{
    const Grid g = makeGrid(QList<int>(7, 1), QList<int>(6, 1), 701, 617, 16, 1);
    // columns 100 wide, rows 100 high below a 16-pixel header
    QCOMPARE(g.x[1], 100);
    QCOMPARE(g.y[1], 116);
    QCOMPARE(cellAt(g, QPoint(50, 60), 1), 0);
    QCOMPARE(cellAt(g, QPoint(150, 160), 1), 8);
    QCOMPARE(cellAt(g, QPoint(650, 560), 1), 41);
    QCOMPARE(cellAt(g, QPoint(100, 60), 1), -1); // on a vertical line
    QCOMPARE(cellAt(g, QPoint(101, 60), 1), -1); // first pixel after it, too
    QCOMPARE(cellAt(g, QPoint(102, 60), 1), 1);
    QCOMPARE(cellAt(g, QPoint(50, 5), 1), -1);   // header
    QCOMPARE(cellAt(g, QPoint(50, 116), 1), -1); // horizontal line
    QCOMPARE(cellAt(g, QPoint(700, 60), 1), -1); // right of the last line
    QVERIFY(cellAt(g, QPoint(350, 616), 1) < 0); // below the last row
}

void TestMonthViewGeometry::moveBorderPushesAndKeepsMinimum()
{
    const QList<int> b{0, 100, 200, 300, 400, 500, 600, 700};
    // a plain move
    QCOMPARE(moveBorder(b, 3, 250, 0, 701, 1), (QList<int>{100, 100, 50, 150, 100, 100, 100}));
    // past the next border: it is pushed along, 7 pixels apart
    QCOMPARE(moveBorder(b, 3, 450, 0, 701, 1), (QList<int>{100, 100, 250, 7, 43, 100, 100}));
    // to the far right: every following column keeps 7 pixels
    const QList<int> right = moveBorder(b, 1, 5000, 0, 701, 1);
    QCOMPARE(right, (QList<int>{658, 7, 7, 7, 7, 7, 7}));
    // to the far left: the preceding columns shrink to 7 each
    const QList<int> left = moveBorder(b, 5, -50, 0, 701, 1);
    QCOMPARE(left, (QList<int>{7, 7, 7, 7, 7, 565, 100}));
    // rows: the floor is the header height
    const QList<int> rows{16, 116, 216, 316, 416, 516, 616};
    QCOMPARE(moveBorder(rows, 2, 0, 16, 617, 1), (QList<int>{7, 7, 286, 100, 100, 100}));
    QCOMPARE(moveBorder(rows, 4, 9999, 16, 617, 1), (QList<int>{100, 100, 100, 286, 7, 7}));
}

void TestMonthViewGeometry::zoom()
{
    QCOMPARE(zoomRates(7, 3, 700), (QList<int>{7, 7, 658, 7, 7, 7, 7}));
    const QList<int> widths = distribute(zoomRates(7, 3, 700), 700, 1);
    QCOMPARE(widths, (QList<int>{6, 7, 658, 7, 7, 7, 7}));
}

QTEST_GUILESS_MAIN(TestMonthViewGeometry)
#include "tst_monthviewgeometry.moc"
