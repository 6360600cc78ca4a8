// The calendar of a day: old dates, 六曜, solar terms and seasonal days.
#include "koyomi/astro.h"
#include "koyomi/koyomi.h"

#include <QElapsedTimer>
#include <QTest>

using namespace nox::koyomi;

class TestKoyomi : public QObject
{
    Q_OBJECT
private slots:
    void lunarDates_data();
    void lunarDates();
    void leapMonths_data();
    void leapMonths();
    void year2033();
    void rokuyo_data();
    void rokuyo();
    void seasonalDays_data();
    void seasonalDays();
    void solarTerms_data();
    void solarTerms();
    void wholeRangeIsSound();
    void outsideRange();
    void yearsAreKept();
};

void TestKoyomi::lunarDates_data()
{
    QTest::addColumn<QDate>("date");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("year");
    // Old new year's days.
    QTest::newRow("1900 new year") << QDate(1900, 1, 31) << "1/1" << 1900;
    QTest::newRow("2000 new year") << QDate(2000, 2, 5) << "1/1" << 2000;
    QTest::newRow("2020 new year") << QDate(2020, 1, 25) << "1/1" << 2020;
    QTest::newRow("2023 new year") << QDate(2023, 1, 22) << "1/1" << 2023;
    QTest::newRow("2024 new year") << QDate(2024, 2, 10) << "1/1" << 2024;
    QTest::newRow("2025 new year") << QDate(2025, 1, 29) << "1/1" << 2025;
    QTest::newRow("2026 new year") << QDate(2026, 2, 17) << "1/1" << 2026;
    QTest::newRow("2100 new year") << QDate(2100, 2, 9) << "1/1" << 2100;
    QTest::newRow("day before 2024 new year") << QDate(2024, 2, 9) << "12/30" << 2023;
    // New moon 2026-11-09 16:02 JST, next 2026-12-09 09:52 JST.
    QTest::newRow("2026-12-08") << QDate(2026, 12, 8) << "10/30" << 2026;
    QTest::newRow("2026-12-09") << QDate(2026, 12, 9) << "11/1" << 2026;
    // New moon 2026-10-11 00:50 JST: the month begins on the 11th in Japan
    // (the 10th in UTC).
    QTest::newRow("JST new moon after midnight") << QDate(2026, 10, 11) << "9/1" << 2026;
    QTest::newRow("first day") << QDate(1900, 1, 1) << "12/1" << 1899;
    QTest::newRow("last day") << QDate(2100, 12, 31) << "12/1" << 2100;
}

void TestKoyomi::lunarDates()
{
    QFETCH(QDate, date);
    QFETCH(QString, text);
    QFETCH(int, year);
    const LunarDate lunar = lunarDate(date);
    QCOMPARE(lunar.text(), text);
    QCOMPARE(lunar.year, year);
}

void TestKoyomi::leapMonths_data()
{
    QTest::addColumn<int>("year");
    QTest::addColumn<QDate>("start");
    QTest::addColumn<int>("month");
    QTest::newRow("2012") << 2012 << QDate(2012, 4, 21) << 3;
    QTest::newRow("2014") << 2014 << QDate(2014, 10, 24) << 9;
    QTest::newRow("2017") << 2017 << QDate(2017, 6, 24) << 5;
    QTest::newRow("2020") << 2020 << QDate(2020, 5, 23) << 4;
    QTest::newRow("2023") << 2023 << QDate(2023, 3, 22) << 2;
    QTest::newRow("2025") << 2025 << QDate(2025, 7, 25) << 6;
    QTest::newRow("2033") << 2033 << QDate(2033, 12, 22) << 11;
}

void TestKoyomi::leapMonths()
{
    QFETCH(int, year);
    QFETCH(QDate, start);
    QFETCH(int, month);
    QList<QDate> leaps;
    for (const LunarMonth& m : lunarMonthsStartingIn(year)) {
        if (m.leap) {
            leaps.append(m.start);
            QCOMPARE(m.month, month);
        }
    }
    QCOMPARE(leaps, QList<QDate>{start});
    QCOMPARE(lunarDate(start).text(), QStringLiteral("閏%1/1").arg(month));
    QCOMPARE(lunarDate(start.addDays(-1)).month, month);
    QVERIFY(!lunarDate(start.addDays(-1)).leap);
}

// The months of 2033-2034, named by the almanacs' usual choice (閏11月).
void TestKoyomi::year2033()
{
    const QList<std::pair<QDate, QString>> firstDays = {
        {QDate(2033, 7, 26), "7/1"},   {QDate(2033, 8, 25), "8/1"},   {QDate(2033, 9, 23), "9/1"},
        {QDate(2033, 10, 23), "10/1"}, {QDate(2033, 11, 22), "11/1"}, {QDate(2033, 12, 22), "閏11/1"},
        {QDate(2034, 1, 20), "12/1"},  {QDate(2034, 2, 19), "1/1"},   {QDate(2034, 3, 20), "2/1"},
    };
    for (const auto& [date, text] : firstDays) {
        QCOMPARE(lunarDate(date).text(), text);
    }
    QCOMPARE(lunarDate(QDate(2034, 2, 18)).year, 2033);
    QCOMPARE(lunarDate(QDate(2034, 2, 19)).year, 2034);
    QCOMPARE(lunarMonthsStartingIn(2033).size(), std::size_t(13));
}

void TestKoyomi::rokuyo_data()
{
    QTest::addColumn<QDate>("date");
    QTest::addColumn<QString>("name");
    QTest::newRow("old new year is 先勝") << QDate(2024, 2, 10) << "先勝";
    QTest::newRow("2026-12-08 10/30") << QDate(2026, 12, 8) << "先負";
    QTest::newRow("2026-12-09 11/1") << QDate(2026, 12, 9) << "大安";
    QTest::newRow("leap month counts as its month") << QDate(2023, 3, 22) << "友引"; // 閏2/1
    QTest::newRow("2023-03-21 2/30") << QDate(2023, 3, 21) << "先勝";
}

void TestKoyomi::rokuyo()
{
    QFETCH(QDate, date);
    QFETCH(QString, name);
    QCOMPARE(rokuyoName(dayInfo(date).rokuyo), name);
}

void TestKoyomi::seasonalDays_data()
{
    QTest::addColumn<QDate>("date");
    QTest::addColumn<QString>("names");
    QTest::newRow("節分 2021") << QDate(2021, 2, 2) << "節分";
    QTest::newRow("立春 2021") << QDate(2021, 2, 3) << "立春";
    QTest::newRow("節分 2025") << QDate(2025, 2, 2) << "節分";
    QTest::newRow("節分 2026") << QDate(2026, 2, 3) << "節分";
    QTest::newRow("春分 2026") << QDate(2026, 3, 20) << "春分";
    QTest::newRow("彼岸入り") << QDate(2026, 3, 17) << "彼岸入り";
    QTest::newRow("彼岸明け") << QDate(2026, 3, 23) << "彼岸明け";
    // 春分 2026 is a 癸 day: the 戊 days 3/15 and 3/25 are equally near and
    // the earlier is taken.
    QTest::newRow("社日, tie") << QDate(2026, 3, 15) << "社日";
    QTest::newRow("no 社日 on the later 戊") << QDate(2026, 3, 25) << "";
    QTest::newRow("秋の社日") << QDate(2026, 9, 21) << "社日";
    QTest::newRow("八十八夜") << QDate(2026, 5, 2) << "八十八夜";
    QTest::newRow("入梅") << QDate(2026, 6, 11) << "入梅";
    QTest::newRow("半夏生") << QDate(2026, 7, 2) << "半夏生";
    QTest::newRow("土用 winter") << QDate(2026, 1, 17) << "土用の入り";
    QTest::newRow("土用 spring") << QDate(2026, 4, 17) << "土用の入り";
    QTest::newRow("土用 summer") << QDate(2026, 7, 20) << "土用の入り";
    QTest::newRow("土用 autumn") << QDate(2026, 10, 20) << "土用の入り";
    QTest::newRow("二百十日") << QDate(2026, 9, 1) << "二百十日";
    QTest::newRow("二百二十日") << QDate(2026, 9, 11) << "二百二十日";
    QTest::newRow("plain day") << QDate(2026, 12, 8) << "";
}

void TestKoyomi::seasonalDays()
{
    QFETCH(QDate, date);
    QFETCH(QString, names);
    QCOMPARE(seasonalText(date), names);
}

void TestKoyomi::solarTerms_data()
{
    QTest::addColumn<int>("year");
    QTest::addColumn<int>("index");
    QTest::addColumn<QDate>("date");
    QTest::newRow("春分 20 March 2024") << 2024 << 0 << QDate(2024, 3, 20);
    QTest::newRow("春分 21 March 2023") << 2023 << 0 << QDate(2023, 3, 21);
    QTest::newRow("春分 21 March 2027") << 2027 << 0 << QDate(2027, 3, 21);
    QTest::newRow("春分 21 March 1979") << 1979 << 0 << QDate(1979, 3, 21);
    QTest::newRow("秋分 22 September 2024") << 2024 << 12 << QDate(2024, 9, 22);
    QTest::newRow("秋分 23 September 2025") << 2025 << 12 << QDate(2025, 9, 23);
    QTest::newRow("冬至 2026") << 2026 << 18 << QDate(2026, 12, 22);
    QTest::newRow("夏至 1900") << 1900 << 6 << QDate(1900, 6, 22);
    QTest::newRow("立春 1985 (4 Feb)") << 1985 << 21 << QDate(1985, 2, 4);
    QTest::newRow("立春 1984 (5 Feb)") << 1984 << 21 << QDate(1984, 2, 5);
}

void TestKoyomi::solarTerms()
{
    QFETCH(int, year);
    QFETCH(int, index);
    QFETCH(QDate, date);
    QCOMPARE(solarTermDate(year, index), date);
    QVERIFY(dayInfo(date).seasonal.contains(solarTermName(index)));
}

// Every year 1900-2100: months of 29 or 30 days in order, 12 or 13 months
// from 冬至 to 冬至 with one leap month exactly in the long ones, 冬至 in
// month 11, 春分 in 2, 夏至 in 5 and 秋分 in 8 (but 2033, see koyomi.cpp),
// 24 solar terms a year, each on its own day.
void TestKoyomi::wholeRangeIsSound()
{
    LunarDate previous = lunarDate(QDate(1900, 1, 1));
    int leapMonths = 0, monthLength = previous.day;
    for (QDate d(1900, 1, 2); d <= QDate(2100, 12, 31); d = d.addDays(1)) {
        const DayInfo info = dayInfo(d);
        const LunarDate& l = info.lunar;
        QVERIFY2(l.isValid(), qPrintable(d.toString(Qt::ISODate)));
        QCOMPARE(info.rokuyo, (l.month + l.day) % 6);
        if (l.day == 1) {
            QVERIFY2(monthLength == 29 || monthLength == 30 || previous.year == 1899,
                     qPrintable(d.toString(Qt::ISODate)));
            const int expected = l.leap ? previous.month : previous.month % 12 + 1;
            QCOMPARE(l.month, expected);
            QVERIFY(!(l.leap && previous.leap));
            QCOMPARE(l.year, l.month == 1 && !l.leap ? previous.year + 1 : previous.year);
            leapMonths += l.leap ? 1 : 0;
            monthLength = 1;
        } else {
            QCOMPARE(l.day, previous.day + 1);
            QCOMPARE(l.month, previous.month);
            ++monthLength;
        }
        previous = l;
    }
    QCOMPARE(leapMonths, 74);
    for (int year = 1900; year <= 2100; ++year) {
        const QList<std::pair<int, int>> fixed = {{18, 11}, {0, 2}, {6, 5}, {12, 8}};
        for (const auto& [term, month] : fixed) {
            const LunarDate l = lunarDate(solarTermDate(year, term));
            if (year == 2033 && term == 12) {
                QCOMPARE(l.month, 9); // 秋分 on the first day of month 9
                continue;
            }
            QCOMPARE(l.month, month);
            QVERIFY(!l.leap);
        }
        QDate last;
        for (int i = 0; i < 24; ++i) {
            const int index = (19 + i) % 24; // 小寒 first
            const QDate d = solarTermDate(year, index);
            QCOMPARE(d.year(), year);
            QVERIFY(!last.isValid() || last.daysTo(d) >= 13);
            last = d;
        }
    }
}

void TestKoyomi::outsideRange()
{
    for (const QDate& d : {QDate(1899, 12, 31), QDate(2101, 1, 1), QDate()}) {
        const DayInfo info = dayInfo(d);
        QVERIFY(!info.lunar.isValid());
        QCOMPARE(info.rokuyo, -1);
        QVERIFY(info.seasonal.isEmpty());
        QVERIFY(rokuyoName(info.rokuyo).isEmpty());
    }
}

// A year is computed once: later lookups cost no astronomy.
void TestKoyomi::yearsAreKept()
{
    QVERIFY(isComputed(2050));
    QElapsedTimer timer;
    timer.start();
    for (int i = 0; i < 10000; ++i) {
        dayInfo(QDate(2050, 1, 1).addDays(i % 365));
    }
    QVERIFY2(timer.elapsed() < 500, "a cached year was computed again");
    warmUp(1899, 2200);
    QVERIFY(!isComputed(2101));
}

QTEST_GUILESS_MAIN(TestKoyomi)
#include "tst_koyomi.moc"
