// The calendar marks of the month view: where they go in a cell's date row.
#include "monthviewtestsupport.h"

#include "koyomi/koyomi.h"
#include "monthview/monthviewgeometry.h"
#include "monthview/monthviewlayout_p.h"

#include <QPainter>
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
    void smallMarksInTheirPlaces_data();
    void smallMarksInTheirPlaces();
    void seasonalNameUnderTheDate_data();
    void seasonalNameUnderTheDate();
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

// The box of the pixels of `image` within `area` (device pixels) that are
// not `ground`; empty when there are none.
QRect inkBox(const QImage& image, const QRect& area, QRgb ground)
{
    QRect box;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            if (image.pixel(x, y) != ground) {
                box |= QRect(x, y, 1, 1);
            }
        }
    }
    return box;
}

QRect deviceRect(const TCustomMonthView& view, const QRect& client, qreal ratio)
{
    return QRect(w(view, client.topLeft()) * ratio, client.size() * ratio);
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
            for (const BarLayout& bar : c.bars) {
                QVERIFY(c.seasonal.text.isEmpty() || !c.seasonal.rect.intersects(bar.rect));
            }
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
        // Where cells are tall enough it has a line of its own under the
        // date, whatever their width.
        if (size.height() >= 520) {
            QCOMPARE(march20.seasonal.text, QStringLiteral("春分"));
            QVERIFY(march20.seasonal.rect.top() > march20.dayText.rect.bottom());
        }
        render(*view, 1.0);
        render(*view, 2.0);
    }
}

// The old date and the 六曜 are copied from kept pictures of their
// characters: at either pixel ratio their ink lies where drawing the texts
// puts it (within the rounding of each character's width), the gap between
// them stays plain and the day number beside them keeps its ink.
void TestMonthViewKoyomi::smallMarksInTheirPlaces_data()
{
    QTest::addColumn<qreal>("ratio");
    QTest::newRow("1x") << 1.0;
    QTest::newRow("2x") << 2.0;
}

void TestMonthViewKoyomi::smallMarksInTheirPlaces()
{
    QFETCH(qreal, ratio);
    auto view = makeView(QDate(2026, 12, 8), QSize(900, 600));
    view->SetCalendarMarks(koyomi::MarkRokuyo | koyomi::MarkLunar | koyomi::MarkSeasonal);
    const CellLayout& c = view->ComputedLayout().cells[view->CellOfDate(QDate(2026, 12, 16))];
    QCOMPARE(c.lunar.text, QStringLiteral("旧11/8"));
    const QFont small = scaledFont(view->font(), c.lunar.sizePercent);
    QCOMPARE(c.lunar.rect.width(), markTextWidth(c.lunar.text, small));
    QCOMPARE(c.rokuyo.rect.width(), markTextWidth(c.rokuyo.text, small));
    const QImage shown = render(*view, ratio).convertToFormat(QImage::Format_RGB32);
    const QRgb ground = shown.pixel(deviceRect(*view, c.inner, ratio).bottomLeft() + QPoint(2, -2));
    for (const TextRun* run : {&c.lunar, &c.rokuyo}) {
        // The same text drawn by QPainter on the same ground.
        const QRect area = deviceRect(*view, run->rect, ratio);
        QImage drawn(shown.size(), QImage::Format_RGB32);
        drawn.fill(ground);
        {
            QPainter p(&drawn);
            p.scale(ratio, ratio);
            p.setFont(small);
            p.setPen(nox::toQColor(run->color, view->palette()));
            p.drawText(QRect(w(*view, run->rect.topLeft()), run->rect.size()), run->flags, run->text);
        }
        const QRect ink = inkBox(shown, area, ground);
        const QRect expected = inkBox(drawn, area, ground);
        QVERIFY2(!ink.isEmpty() && !expected.isEmpty(), qPrintable(run->text));
        const QString where = QStringLiteral("%1: ink %2,%3 %4x%5, drawn %6,%7 %8x%9")
                                  .arg(run->text)
                                  .arg(ink.x())
                                  .arg(ink.y())
                                  .arg(ink.width())
                                  .arg(ink.height())
                                  .arg(expected.x())
                                  .arg(expected.y())
                                  .arg(expected.width())
                                  .arg(expected.height());
        QVERIFY2(qAbs(ink.right() - expected.right()) <= 2 * ratio, qPrintable(where));
        QVERIFY2(qAbs(ink.left() - expected.left()) <= 3 * ratio, qPrintable(where));
        QVERIFY2(qAbs(ink.top() - expected.top()) <= ratio, qPrintable(where));
        QVERIFY2(qAbs(ink.bottom() - expected.bottom()) <= ratio, qPrintable(where));
    }
    const QRect gap(c.lunar.rect.right() + 1, c.lunar.rect.top(),
                    c.rokuyo.rect.left() - c.lunar.rect.right() - 1, c.lunar.rect.height());
    QVERIFY(inkBox(shown, deviceRect(*view, gap, ratio), ground).isEmpty());
    QVERIFY(!inkBox(shown, deviceRect(*view, c.dayText.rect, ratio), ground).isEmpty());
}

// The solar term's name sits under the day number where the cell holds its
// line and a bar below it; in lower cells it shares the date row. The bars
// of the day start below it either way.
void TestMonthViewKoyomi::seasonalNameUnderTheDate_data()
{
    QTest::addColumn<QSize>("size");
    QTest::addColumn<bool>("below");
    QTest::newRow("tall cells") << QSize(900, 700) << true;
    QTest::newRow("low cells") << QSize(900, 330) << false;
}

void TestMonthViewKoyomi::seasonalNameUnderTheDate()
{
    QFETCH(QSize, size);
    QFETCH(bool, below);
    auto view = makeView(QDate(2026, 12, 8), size);
    view->SetCalendarMarks(koyomi::MarkRokuyo | koyomi::MarkLunar | koyomi::MarkSeasonal);
    const QDate winter(2026, 12, 22); // 冬至
    view->Items()->BeginUpdate();
    for (int i = 0; i < 3; ++i) {
        addItem(*view, winter, QTime(9 + i, 0), QTime(10 + i, 0), QStringLiteral("e%1").arg(i));
    }
    view->Items()->EndUpdate();
    const CellLayout& c = view->ComputedLayout().cells[view->CellOfDate(winter)];
    QCOMPARE(c.seasonal.text, QStringLiteral("冬至"));
    QVERIFY(c.inner.contains(c.seasonal.rect));
    if (below) {
        QVERIFY(c.seasonal.rect.top() > c.dayText.rect.bottom());
        QCOMPARE(c.seasonal.rect.right(), c.dayText.rect.right());
        QVERIFY(c.seasonal.flags & Qt::AlignRight);
    } else {
        QCOMPARE(c.seasonal.rect.top(), c.dayText.rect.top());
        QCOMPARE(c.nameLineHeight, 0);
    }
    QVERIFY(!c.bars.isEmpty());
    QVERIFY(c.bars.first().rect.top() > c.seasonal.rect.bottom());
}

QTEST_MAIN(TestMonthViewKoyomi)
#include "tst_monthviewkoyomi.moc"
