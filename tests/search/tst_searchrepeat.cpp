// The search finds the occurrences of repeat rules in its period, and
// without an end looks one year past today and says so.
#include <QtTest>

#include <QTemporaryDir>

#include "search/daysource.h"
#include "search/skedsearch.h"
#include "store/schedulebook.h"

using namespace nox;

class TestSearchRepeat : public QObject
{
    Q_OBJECT

private slots:
    void findsOccurrences_data();
    void findsOccurrences();
};

void TestSearchRepeat::findsOccurrences_data()
{
    QTest::addColumn<QString>("words");
    QTest::addColumn<QDate>("from");
    QTest::addColumn<QDate>("to");
    QTest::addColumn<QStringList>("dates");
    QTest::addColumn<bool>("openEnd");
    QTest::newRow("period") << "ゴミ" << QDate(2026, 3, 1) << QDate(2026, 3, 31)
                            << QStringList{"20260302", "20260309", "20260310",
                                           "20260316", "20260323", "20260330"}
                            << false;
    QTest::newRow("open end stops a year after today")
        << "ゴミ" << QDate(2027, 3, 1) << QDate() << QStringList{"20270301", "20270308", "20270310"} << true;
    QTest::newRow("no match") << "会議" << QDate(2026, 3, 1) << QDate(2026, 3, 31) << QStringList{} << false;
}

void TestSearchRepeat::findsOccurrences()
{
    QFETCH(QString, words);
    QFETCH(QDate, from);
    QFETCH(QDate, to);
    QFETCH(QStringList, dates);
    QFETCH(bool, openEnd);
    QTemporaryDir dir;
    ScheduleBook book(dir.path(), nullptr);
    RepeatRule rule;
    rule.first = QDate(2026, 1, 5);
    rule.rrule = QStringLiteral("FREQ=WEEKLY;BYDAY=MO");
    rule.sked.Text = QStringLiteral("ゴミ出し");
    QVERIFY(book.addRule(&rule).ok());
    TSkedRec single;
    single.setDate(QDate(2026, 3, 10));
    single.ID = 100000000;
    single.Text = QStringLiteral("粗大ゴミ");
    QVERIFY(book.add(single).ok());
    single.setDate(QDate(2027, 3, 10));
    QVERIFY(book.add(single).ok());

    BookDaySource source(book);
    SearchQuery query;
    query.text = words;
    query.from = from;
    query.to = to;
    // Today 2026-03-09: the open end is 2027-03-09.
    const SearchOutcome out = searchSchedules(source, query, {}, QDate(2026, 3, 9));
    QStringList found;
    for (const TSkedSearchRec& r : out.results) {
        found.append(r.Date.toString(QStringLiteral("yyyyMMdd")));
    }
    QCOMPARE(found, dates);
    QCOMPARE(out.occurrencesUntil.isValid(), openEnd);
    if (openEnd) {
        QCOMPARE(out.occurrencesUntil, QDate(2027, 3, 9));
    }
}

QTEST_MAIN(TestSearchRepeat)
#include "tst_searchrepeat.moc"
