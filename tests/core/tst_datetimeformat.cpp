#include <QtTest>

#include "core/datetime.h"

using namespace nox;

class TestDateTimeFormat : public QObject
{
    Q_OBJECT
private slots:
    void format_data();
    void format();
    void eras_data();
    void eras();
    void emptyPatternIsShortDateAndTime();
    void pickerPattern_data();
    void pickerPattern();
    void dayNumbers();
    void dateValueRoundTrip();
    void slotsAndIds();
};

void TestDateTimeFormat::format_data()
{
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<QDateTime>("when");
    QTest::addColumn<QString>("expected");
    const QDateTime dec7(QDate(2026, 12, 7), QTime(14, 5, 9, 42));
    const QDateTime morning(QDate(2003, 3, 5), QTime(0, 7, 3, 5));

    QTest::newRow("default display") << "yyyy/m/dd(aaa)" << dec7 << "2026/12/07(月)";
    QTest::newRow("era date") << "ggge\"年\"m\"月\"d\"日\"(aaa)" << dec7 << "令和8年12月7日(月)";
    QTest::newRow("popup time") << "h\"時\"nn\"分\"" << QDateTime(QDate(2026, 12, 7), QTime(14, 0))
                                << "14時00分";
    QTest::newRow("clock ampm") << "hh:nn ampm" << dec7 << "02:05 午後";
    QTest::newRow("ampm morning") << "hh:nn ampm" << morning << "12:07 午前";
    QTest::newRow("am/pm keeps case") << "h AM/PM|h am/pm" << dec7 << "2 PM|2 pm";
    QTest::newRow("a/p") << "h a/p" << morning << "12 a";
    QTest::newRow("ampm before the hour") << "ampm h:nn" << dec7 << "午後 2:05";
    QTest::newRow("24h without ampm") << "h:nn" << dec7 << "14:05";
    QTest::newRow("aaa after hour is not 12h") << "h aaa" << dec7 << "14 月";
    QTest::newRow("m after hour means minutes") << "h:m|hh:mm" << morning << "0:7|00:07";
    QTest::newRow("m after quoted literal still minutes") << "h\"時\"mm" << dec7 << "14時05";
    QTest::newRow("m otherwise month") << "m/mm/mmm/mmmm" << morning << "3/03/3月/3月";
    QTest::newRow("days") << "d dd ddd dddd aaaa" << morning << "5 05 水 水曜日 水曜日";
    QTest::newRow("years") << "yy|yyyy|y" << morning << "03|2003|03";
    QTest::newRow("seconds and ms") << "s ss z zzz" << morning << "3 03 5 005";
    QTest::newRow("single quotes") << "yyyy'年 yyyy'" << morning << "2003年 yyyy";
    QTest::newRow("unclosed quote runs to end") << "d\"日 d" << morning << "5日 d";
    QTest::newRow("other characters stand") << "[d]-x!" << morning << "[5]-x!";
    QTest::newRow("lone a") << "a" << morning << "a";
    QTest::newRow("short date form") << "ddddd" << morning << "2003/03/05";
    QTest::newRow("long date form") << "dddddd" << morning << "2003年3月5日";
    QTest::newRow("t and tt") << "t|tt" << dec7 << "14:05|14:05:09";
}

void TestDateTimeFormat::format()
{
    QFETCH(QString, pattern);
    QFETCH(QDateTime, when);
    QFETCH(QString, expected);
    QCOMPARE(formatDateTime(pattern, when), expected);
}

void TestDateTimeFormat::eras_data()
{
    QTest::addColumn<QDate>("date");
    QTest::addColumn<QString>("expected");
    // pattern "g|gg|e|ee"
    QTest::newRow("last day of Heisei") << QDate(2019, 4, 30) << "H|平成|31|31";
    QTest::newRow("first day of Reiwa") << QDate(2019, 5, 1) << "R|令和|1|01";
    QTest::newRow("Showa 64") << QDate(1989, 1, 7) << "S|昭和|64|64";
    QTest::newRow("Heisei 1") << QDate(1989, 1, 8) << "H|平成|1|01";
    QTest::newRow("Taisho 15 end") << QDate(1926, 12, 24) << "T|大正|15|15";
    QTest::newRow("Showa 1") << QDate(1926, 12, 25) << "S|昭和|1|01";
    QTest::newRow("Meiji 45") << QDate(1912, 7, 29) << "M|明治|45|45";
    QTest::newRow("Taisho 1") << QDate(1912, 7, 30) << "T|大正|1|01";
    QTest::newRow("Meiji 1") << QDate(1868, 1, 25) << "M|明治|1|01";
    QTest::newRow("before any era") << QDate(1868, 1, 24) << "||1868|1868";
}

void TestDateTimeFormat::eras()
{
    QFETCH(QDate, date);
    QFETCH(QString, expected);
    QCOMPARE(formatDateTime(QStringLiteral("g|gg|e|ee"), date), expected);
    QCOMPARE(formatDateTime(QStringLiteral("gggg"), date), expected.section(u'|', 1, 1));
}

void TestDateTimeFormat::emptyPatternIsShortDateAndTime()
{
    QCOMPARE(formatDateTime(QString(), QDate(2003, 3, 5)), QStringLiteral("2003/03/05"));
    QCOMPARE(formatDateTime(QString(), QDateTime(QDate(2003, 3, 5), QTime(9, 4, 0))),
             QStringLiteral("2003/03/05 9:04:00"));
}

void TestDateTimeFormat::pickerPattern_data()
{
    QTest::addColumn<QString>("display");
    QTest::addColumn<QString>("picker");
    QTest::newRow("default") << "yyyy/m/dd(aaa)"
                             << "yyyy/M/dd(ddd)";
    QTest::newRow("upper case a") << "yyyy/MM/dd(AAAA)"
                                  << "yyyy/MM/dd(dddd)";
    QTest::newRow("quotes removed") << "yyyy\"年\"m\"月\"d\"日\""
                                    << "yyyy年M月d日";
}

void TestDateTimeFormat::pickerPattern()
{
    QFETCH(QString, display);
    QFETCH(QString, picker);
    QCOMPARE(datePickerPattern(display), picker);
}

void TestDateTimeFormat::dayNumbers()
{
    QCOMPARE(dayNumber(QDate(2003, 3, 5)), 37685);
    QCOMPARE(dayNumber(QDate(1899, 12, 30)), 0);
    QCOMPARE(dayNumber(QDate(1899, 12, 29)), -1);
    QCOMPARE(dateFromDayNumber(37685), QDate(2003, 3, 5));
    for (qint32 d : {-700000, -1, 0, 1, 45000, 2900000}) {
        QCOMPARE(dayNumber(dateFromDayNumber(d)), d);
    }
}

void TestDateTimeFormat::dateValueRoundTrip()
{
    const QDateTime noon(QDate(2026, 12, 7), QTime(12, 0));
    QCOMPARE(toDateTime(noon), dayNumber(noon.date()) + 0.5);
    for (const QDateTime& dt :
         {QDateTime(QDate(2026, 12, 7), QTime(23, 59, 59, 999)), QDateTime(QDate(1899, 12, 30), QTime(0, 0)),
          QDateTime(QDate(1850, 6, 1), QTime(6, 30))}) {
        QCOMPARE(fromDateTime(toDateTime(dt)), dt);
    }
}

void TestDateTimeFormat::slotsAndIds()
{
    QCOMPARE(slotTimeText(0), QStringLiteral("0:00"));
    QCOMPARE(slotTimeText(17), QStringLiteral("8:30"));
    QCOMPARE(slotTimeText(47), QStringLiteral("23:30"));
    for (int s = 0; s < 48; ++s) {
        QCOMPARE(slotOfTime(timeOfSlot(s)), s);
    }
    QCOMPARE(slotOfTime(QTime(8, 59)), 17);
    QCOMPARE(newScheduleId(QTime(14, 30, 5, 123)), 143005123);
    QCOMPARE(newScheduleId(QTime(0, 0, 0, 7)), 7);
    QCOMPARE(newScheduleId(QTime(23, 59, 59, 999)), 235959999);
}

QTEST_GUILESS_MAIN(TestDateTimeFormat)
#include "tst_datetimeformat.moc"
