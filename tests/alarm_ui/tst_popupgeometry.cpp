#include <QTest>

#include "alarm/ui/popupgeometry.h"

using namespace nox;

class TestPopupGeometry : public QObject
{
    Q_OBJECT
private slots:
    void cornerNextToPanel_data();
    void cornerNextToPanel();
    void growthSteps_data();
    void growthSteps();
    void fixedEdgeStaysWhileGrowing();
};

void TestPopupGeometry::cornerNextToPanel_data()
{
    QTest::addColumn<QRect>("screen");
    QTest::addColumn<QRect>("available");
    QTest::addColumn<int>("corner");
    QTest::addColumn<QRect>("expected"); // after one step: 160 x 5
    const QRect s(0, 0, 1280, 800);
    const QRect bottom(0, 0, 1280, 760), top(0, 30, 1280, 770), left(48, 0, 1232, 800),
        right(0, 0, 1232, 800);
    QTest::newRow("bottom panel, bottom right") << s << bottom << 3 << QRect(1119, 754, 160, 5);
    QTest::newRow("bottom panel, bottom left") << s << bottom << 1 << QRect(1, 754, 160, 5);
    QTest::newRow("bottom panel, top left") << s << bottom << 0 << QRect(1, 1, 160, 5);
    QTest::newRow("bottom panel, top right") << s << bottom << 2 << QRect(1119, 1, 160, 5);
    QTest::newRow("left panel, top left") << s << left << 0 << QRect(49, 1, 160, 5);
    QTest::newRow("left panel, bottom left") << s << left << 1 << QRect(49, 794, 160, 5);
    QTest::newRow("left panel, bottom right") << s << left << 3 << QRect(1119, 794, 160, 5);
    QTest::newRow("right panel, top right") << s << right << 2 << QRect(1071, 1, 160, 5);
    QTest::newRow("right panel, bottom right") << s << right << 3 << QRect(1071, 794, 160, 5);
    QTest::newRow("right panel, top left") << s << right << 0 << QRect(1, 1, 160, 5);
    QTest::newRow("top panel, top left") << s << top << 0 << QRect(1, 31, 160, 5);
    QTest::newRow("top panel, top right") << s << top << 2 << QRect(1119, 31, 160, 5);
    QTest::newRow("top panel, bottom right") << s << top << 3 << QRect(1119, 794, 160, 5);
    QTest::newRow("no panel, bottom right") << s << s << 3 << QRect(1119, 794, 160, 5);
    QTest::newRow("no panel, top left") << s << s << 0 << QRect(1, 1, 160, 5);
    QTest::newRow("top and bottom panels, top left")
        << s << QRect(0, 30, 1280, 730) << 0 << QRect(1, 31, 160, 5);
    QTest::newRow("top and bottom panels, bottom left")
        << s << QRect(0, 30, 1280, 730) << 1 << QRect(1, 754, 160, 5);
    QTest::newRow("second screen, bottom right")
        << QRect(1280, 0, 1920, 1080) << QRect(1280, 0, 1920, 1040) << 3 << QRect(3039, 1034, 160, 5);
    QTest::newRow("unknown corner: design position") << s << bottom << 7 << QRect(674, 133, 160, 5);
}

void TestPopupGeometry::cornerNextToPanel()
{
    QFETCH(QRect, screen);
    QFETCH(QRect, available);
    QFETCH(int, corner);
    QFETCH(QRect, expected);
    QCOMPARE(PopupWindowRect(screen, available, corner, QSize(160, 120), 1), expected);
}

void TestPopupGeometry::growthSteps_data()
{
    QTest::addColumn<int>("target");
    QTest::addColumn<int>("step");
    QTest::addColumn<int>("height");
    QTest::addColumn<bool>("grown");
    QTest::newRow("start") << 120 << 0 << 0 << false;
    QTest::newRow("first step") << 120 << 1 << 5 << false;
    QTest::newRow("full after 24") << 120 << 24 << 120 << false;
    QTest::newRow("grown at 25") << 120 << 25 << 120 << true;
    QTest::newRow("123: 120 after 24") << 123 << 24 << 120 << false;
    QTest::newRow("123: then 123 at once") << 123 << 25 << 123 << true;
    QTest::newRow("tiny target") << 3 << 1 << 3 << true;
    QTest::newRow("far past") << 60 << 100 << 60 << true;
}

void TestPopupGeometry::growthSteps()
{
    QFETCH(int, target);
    QFETCH(int, step);
    QFETCH(int, height);
    QFETCH(bool, grown);
    QCOMPARE(PopupHeightAtStep(step, target), height);
    QCOMPARE(PopupGrownAtStep(step, target), grown);
}

void TestPopupGeometry::fixedEdgeStaysWhileGrowing()
{
    const QRect screen(0, 0, 1024, 768);
    const QRect avail(0, 0, 1024, 728);
    for (int corner = 0; corner < 4; ++corner) {
        const bool growsUp = corner == pcBottomLeft || corner == pcBottomRight;
        const QRect first = PopupWindowRect(screen, avail, corner, QSize(200, 123), 1);
        for (int step = 2; step <= 26; ++step) {
            const QRect r = PopupWindowRect(screen, avail, corner, QSize(200, 123), step);
            QCOMPARE(r.x(), first.x());
            if (growsUp) {
                QCOMPARE(r.y() + r.height(), first.y() + first.height());
                QCOMPARE(r.y() + r.height(), 727); // one pixel above the panel
            } else {
                QCOMPARE(r.y(), first.y());
            }
            QVERIFY(avail.contains(r));
        }
    }
}

QTEST_GUILESS_MAIN(TestPopupGeometry)
#include "tst_popupgeometry.moc"
