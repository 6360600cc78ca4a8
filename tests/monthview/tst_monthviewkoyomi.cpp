// The calendar marks of the month view: where they go in a cell's date row.
#include "monthviewtestsupport.h"

#include "koyomi/koyomi.h"
#include "monthview/monthviewgeometry.h"
#include "monthview/monthviewlayout_p.h"

#include <QRandomGenerator>
#include <QTest>

using namespace mvtest;
namespace koyomi = nox::koyomi;

class TestMonthViewKoyomi : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { setUpFonts(); }
    void dateRowNeverOverlaps();
    void dateRowPriorities_data();
    void dateRowPriorities();
    void offByDefault();
    void marksOfADay();
    void noOverlapAtAnyCellSize();
};

namespace
{

QList<QRect> rectsOf(const DateRow& r)
{
    return {r.day, r.holiday, r.seasonal, r.lunar, r.rokuyo};
}

// The texts a cell draws in its date row, non-empty ones only.
QList<QRect> runRects(const CellLayout& c)
{
    QList<QRect> out;
    for (const TextRun* run : {&c.holiday, &c.seasonal, &c.lunar, &c.rokuyo, &c.dayText}) {
        if (!run->text.isEmpty() && run->rect.isValid()) {
            out << run->rect;
        }
    }
    return out;
}

} // namespace

// Random rows and widths: every rectangle inside the row, none overlapping.
void TestMonthViewKoyomi::dateRowNeverOverlaps()
{
    QRandomGenerator random(28);
    for (int i = 0; i < 20000; ++i) {
        const QRect row(random.bounded(50), random.bounded(50), random.bounded(1, 300),
                        random.bounded(1, 30));
        DateRowWidths w;
        w.day = random.bounded(0, 80);
        w.holiday = random.bounded(3) ? 0 : random.bounded(1, 150);
        w.seasonal = random.bounded(2) ? 0 : random.bounded(1, 100);
        w.lunar = random.bounded(2) ? 0 : random.bounded(1, 60);
        w.rokuyo = random.bounded(2) ? 0 : random.bounded(1, 40);
        const DateRow r = layoutDateRow(row, w, 2, 12);
        const QList<QRect> rects = rectsOf(r);
        for (int a = 0; a < rects.size(); ++a) {
            if (rects[a].isEmpty()) {
                continue;
            }
            QVERIFY(row.contains(rects[a]));
            for (int b = a + 1; b < rects.size(); ++b) {
                QVERIFY2(!rects[a].intersects(rects[b]), qPrintable(QStringLiteral("%1 %2").arg(a).arg(b)));
            }
        }
        QCOMPARE(r.day.right(), row.right());
        QVERIFY(r.rokuyo.isEmpty() || r.rokuyo.width() == w.rokuyo);
        QVERIFY(r.lunar.isEmpty() || r.lunar.width() == w.lunar);
    }
}

void TestMonthViewKoyomi::dateRowPriorities_data()
{
    QTest::addColumn<int>("rowWidth");
    QTest::addColumn<bool>("rokuyo");
    QTest::addColumn<bool>("holiday");
    QTest::addColumn<bool>("seasonal");
    QTest::addColumn<bool>("lunar");
    // day 20, rokuyo 24, holiday 60, seasonal 30, lunar 40, gaps of 2.
    QTest::newRow("everything") << 300 << true << true << true << true;
    QTest::newRow("old date left out first") << 150 << true << true << true << false;
    QTest::newRow("seasonal name cut short") << 130 << true << true << true << false;
    QTest::newRow("holiday only") << 90 << true << true << false << false;
    QTest::newRow("day and 六曜") << 46 << true << false << false << false;
    QTest::newRow("day only") << 30 << false << false << false << false;
}

void TestMonthViewKoyomi::dateRowPriorities()
{
    QFETCH(int, rowWidth);
    const DateRow r = layoutDateRow(QRect(0, 0, rowWidth, 14), DateRowWidths{20, 60, 30, 40, 24}, 2, 12);
    QCOMPARE(r.day, QRect(rowWidth - 20, 0, 20, 14));
    QTEST(!r.rokuyo.isEmpty(), "rokuyo");
    QTEST(!r.holiday.isEmpty(), "holiday");
    QTEST(!r.seasonal.isEmpty(), "seasonal");
    QTEST(!r.lunar.isEmpty(), "lunar");
}

void TestMonthViewKoyomi::offByDefault()
{
    auto view = makeView(QDate(2026, 12, 8));
    QCOMPARE(view->CalendarMarks(), 0);
    const MonthLayout& l = view->ComputedLayout();
    for (const CellLayout& c : l.cells) {
        QVERIFY(c.rokuyo.text.isEmpty() && c.lunar.text.isEmpty() && c.seasonal.text.isEmpty());
    }
}

void TestMonthViewKoyomi::marksOfADay()
{
    auto view = makeView(QDate(2026, 12, 8), QSize(900, 600));
    view->AddHoliday(QStringLiteral("休"), QDate(2026, 12, 22));
    view->SetCalendarMarks(koyomi::MarkRokuyo | koyomi::MarkLunar | koyomi::MarkSeasonal);
    const MonthLayout& l = view->ComputedLayout();
    const CellLayout& c = l.cells[view->CellOfDate(QDate(2026, 12, 22))];
    QCOMPARE(c.seasonal.text, QStringLiteral("冬至"));
    QCOMPARE(c.lunar.text, QStringLiteral("旧11/14"));
    QCOMPARE(c.rokuyo.text, koyomi::rokuyoName(koyomi::dayInfo(QDate(2026, 12, 22)).rokuyo));
    QCOMPARE(c.holiday.text, QStringLiteral("休"));
    QCOMPARE(c.rokuyo.color, view->View()->OtherMonthFGColor());
    QCOMPARE(c.seasonal.color, view->View()->WeekDayFGColor());
    QVERIFY(c.rokuyo.sizePercent < 100);
    // Outside the supported years nothing is shown.
    view->SetCurrentDate(QDate(2101, 6, 1));
    for (const CellLayout& cell : view->ComputedLayout().cells) {
        QVERIFY(cell.rokuyo.text.isEmpty());
    }
}

// From the smallest cells the borders allow to large ones, with items that
// bring the expand marker: no text of the date row overlaps another or the
// marker, and everything stays inside its cell.
void TestMonthViewKoyomi::noOverlapAtAnyCellSize()
{
    for (const QSize size :
         {QSize(60, 50), QSize(200, 160), QSize(420, 300), QSize(700, 520), QSize(1400, 900)}) {
        auto view = makeView(QDate(2026, 3, 3), size);
        view->SetCalendarMarks(koyomi::MarkRokuyo | koyomi::MarkLunar | koyomi::MarkSeasonal);
        view->AddHoliday(QStringLiteral("春分の日"), QDate(2026, 3, 20));
        view->Items()->BeginUpdate();
        for (int i = 0; i < 12; ++i) {
            addItem(*view, QDate(2026, 3, 20), QTime(8, 0), QTime(9, 0), QStringLiteral("e%1").arg(i));
        }
        view->Items()->EndUpdate();
        const MonthLayout& l = view->ComputedLayout();
        for (const CellLayout& c : l.cells) {
            const QList<QRect> rects = runRects(c);
            for (int a = 0; a < rects.size(); ++a) {
                QVERIFY(!c.expandRect.isValid() || !rects[a].intersects(c.expandRect) ||
                        rects[a] == c.dayText.rect || rects[a] == c.holiday.rect);
                for (int b = a + 1; b < rects.size(); ++b) {
                    QVERIFY2(!rects[a].intersects(rects[b]),
                             qPrintable(QStringLiteral("%1x%2").arg(size.width()).arg(size.height())));
                }
            }
        }
        const CellLayout& march20 = l.cells[view->CellOfDate(QDate(2026, 3, 20))];
        // The holiday's name goes before the solar term's, the 六曜 before both.
        if (size.width() >= 700) {
            QVERIFY(!march20.rokuyo.text.isEmpty());
            QCOMPARE(march20.holiday.text, QStringLiteral("春分の日"));
        }
        if (size.width() >= 1400) {
            QCOMPARE(march20.seasonal.text, QStringLiteral("春分"));
        }
        render(*view, 1.0);
        render(*view, 2.0);
    }
}

QTEST_MAIN(TestMonthViewKoyomi)
#include "tst_monthviewkoyomi.moc"
