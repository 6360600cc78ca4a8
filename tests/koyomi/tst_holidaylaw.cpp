// Holidays made by the rules of the holiday law, checked against the factory
// list for the years it covers.
#include "koyomi/holidaylaw.h"

#include <QDir>
#include <QFile>
#include <QSet>
#include <QTest>

#include <cmath>

using namespace nox::koyomi;

class TestHolidayLaw : public QObject
{
    Q_OBJECT
private slots:
    void reproducesShippedList_data();
    void reproducesShippedList();
    void rules_data();
    void rules();
    void equinoxAgreesWithFormula();
    void everyYearUpTo2150();
};

namespace
{

QString projectRoot()
{
    // NOX_TEST_DATA is <root>/tests/koyomi/data.
    return QDir::cleanPath(qEnvironmentVariable("NOX_TEST_DATA") + QStringLiteral("/../../.."));
}

QSet<QString> readList(const QString& path, int& lastYear)
{
    QSet<QString> lines;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return lines;
    }
    for (const QByteArray& raw : file.readAll().split('\n')) {
        const QString line = QString::fromUtf8(raw).trimmed();
        if (line.contains(QLatin1Char('\t'))) {
            lines.insert(line);
            lastYear = std::max(lastYear, line.left(4).toInt());
        }
    }
    return lines;
}

} // namespace

void TestHolidayLaw::reproducesShippedList_data()
{
    QTest::addColumn<QString>("path");
    QTest::newRow("factory list") << projectRoot() + QStringLiteral("/data/default/holiday.txt");
    QTest::newRow("holiday data") << projectRoot() + QStringLiteral("/../shared/data/holidays-jp.txt");
}

// Every line of the list is made by the rules and nothing else is, but for
// the years of one-off laws (2019-2021) and the ceremonies set by their own
// laws.
void TestHolidayLaw::reproducesShippedList()
{
    QFETCH(QString, path);
    int lastYear = 0;
    QSet<QString> shipped = readList(path, lastYear);
    if (shipped.isEmpty()) {
        QSKIP(qPrintable(QStringLiteral("not found: ") + path));
    }
    QCOMPARE(lastYear, 2050);
    const QSet<QString> handMade = {
        QStringLiteral("1989/02/24\t大喪の礼"),
        QStringLiteral("1990/11/12\t即位礼正殿の儀"),
        QStringLiteral("1993/06/09\t結婚の儀"),
    };
    QSet<QString> generated;
    for (int year = 1970; year <= lastYear; ++year) {
        for (const LawHoliday& h : holidaysByLaw(year)) {
            generated.insert(h.date.toString(QStringLiteral("yyyy/MM/dd")) + QLatin1Char('\t') + h.name);
        }
    }
    const auto oneOff = [](const QString& line) {
        const int year = line.left(4).toInt();
        return year >= 2019 && year <= 2021;
    };
    QStringList missing, extra;
    for (const QString& line : shipped) {
        if (!generated.contains(line) && !handMade.contains(line) && !oneOff(line)) {
            missing.append(line);
        }
    }
    for (const QString& line : generated) {
        if (!shipped.contains(line) && !oneOff(line)) {
            extra.append(line);
        }
    }
    missing.sort();
    extra.sort();
    QCOMPARE(missing, QStringList());
    QCOMPARE(extra, QStringList());
    for (const QString& line : handMade) {
        QVERIFY(shipped.contains(line));
    }
}

void TestHolidayLaw::rules_data()
{
    QTest::addColumn<QDate>("date");
    QTest::addColumn<QString>("name");
    QTest::newRow("no substitute before 1973-04-12") << QDate(1973, 2, 12) << "";
    QTest::newRow("first substitute day") << QDate(1973, 4, 30) << "天皇誕生日 振替休日";
    QTest::newRow("5/4 a Sunday before 2007") << QDate(1997, 5, 4) << "";
    QTest::newRow("5/4 between two holidays") << QDate(1988, 5, 4) << "休日";
    QTest::newRow("substitute past two holidays") << QDate(2059, 5, 6) << "こどもの日 振替休日";
    QTest::newRow("silver week") << QDate(2026, 9, 22) << "休日";
    QTest::newRow("happy Monday 成人の日") << QDate(2060, 1, 12) << "成人の日";
    QTest::newRow("スポーツの日") << QDate(2051, 10, 9) << "スポーツの日";
    QTest::newRow("天皇誕生日") << QDate(2150, 2, 23) << "天皇誕生日";
    QTest::newRow("春分の日 2150") << QDate(2150, 3, 21) << "春分の日";
    QTest::newRow("outside") << QDate(2151, 1, 1) << "";
}

void TestHolidayLaw::rules()
{
    QFETCH(QDate, date);
    QFETCH(QString, name);
    QString found;
    for (const LawHoliday& h : holidaysByLaw(date.year())) {
        if (h.date == date) {
            found = h.name;
        }
    }
    QCOMPARE(found, name);
}

// The computed equinoxes agree with the almanacs' formula, which is used for
// the years past 2100.
void TestHolidayLaw::equinoxAgreesWithFormula()
{
    for (int year = 1980; year <= 2150; ++year) {
        const double spring = year < 2100 ? 20.8431 : 21.8510;
        const double autumn = year < 2100 ? 23.2488 : 24.2102;
        const int leaps = (year - 1980) / 4;
        const int march = int(std::floor(spring + 0.242194 * (year - 1980))) - leaps;
        const int september = int(std::floor(autumn + 0.242194 * (year - 1980))) - leaps;
        QCOMPARE(equinoxDate(year, true), QDate(year, 3, march));
        QCOMPARE(equinoxDate(year, false), QDate(year, 9, september));
    }
}

void TestHolidayLaw::everyYearUpTo2150()
{
    for (int year = 2051; year <= 2150; ++year) {
        const std::vector<LawHoliday> days = holidaysByLaw(year);
        QVERIFY2(days.size() >= 16 && days.size() <= 22, qPrintable(QString::number(year)));
        QCOMPARE(days.front().date, QDate(year, 1, 1));
        for (std::size_t i = 1; i < days.size(); ++i) {
            QVERIFY(days[i - 1].date < days[i].date);
        }
    }
}

QTEST_GUILESS_MAIN(TestHolidayLaw)
#include "tst_holidaylaw.moc"
