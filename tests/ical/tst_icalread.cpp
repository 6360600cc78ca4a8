// Reading iCalendar files into an import plan: times, the grid, fields,
// repeating events and what cannot be taken (local zone Asia/Tokyo).
#include <QtTest>

#include <QElapsedTimer>
#include <QStringDecoder>
#include <QStringEncoder>

#include "ical/icalmapping.h"
#include "ical/icalreader.h"
#include "icaltestutil.h"
#include "store/schedulebook.h"

using namespace nox;
using namespace nox::ical;
using nox::test::calendar;
using nox::test::describe;
using nox::test::vevent;

namespace
{

const QDate kToday(2026, 12, 1);

IcalPlan read(const QByteArray& body, const QString& category = {})
{
    return readIcal(calendar(body), IcalReadOptions{kToday, category});
}

const QByteArray kIndia =
    "BEGIN:VTIMEZONE\r\nTZID:Custom/India\r\nBEGIN:STANDARD\r\nDTSTART:19700101T000000\r\n"
    "TZOFFSETFROM:+0530\r\nTZOFFSETTO:+0530\r\nEND:STANDARD\r\nEND:VTIMEZONE\r\n";

} // namespace

class TestIcalRead : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QCOMPARE(QTimeZone::systemTimeZoneId(), QByteArray("Asia/Tokyo")); }

    void times_data()
    {
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<QStringList>("expected");
        const auto ev = [](const QByteArray& lines) { return vevent(lines + "\r\nSUMMARY:A"); };
        QTest::newRow("UTC") << ev("DTSTART:20261208T000000Z\r\nDTEND:20261208T010000Z")
                             << QStringList{"20261208 9:00-10:00 A"};
        QTest::newRow("Windows zone name") << ev("DTSTART;TZID=Eastern Standard Time:20261208T080000\r\n"
                                                 "DTEND;TZID=\"Eastern Standard Time\":20261208T090000")
                                           << QStringList{"20261208 22:00-23:00 A"};
        QTest::newRow("IANA name without VTIMEZONE") << ev("DTSTART;TZID=Europe/Paris:20260708T100000\r\n"
                                                           "DTEND;TZID=Europe/Paris:20260708T110000")
                                                     << QStringList{"20260708 17:00-18:00 A"};
        QTest::newRow("VTIMEZONE of the file")
            << kIndia +
                   ev("DTSTART;TZID=Custom/India:20261208T093000\r\nDTEND;TZID=Custom/India:20261208T103000")
            << QStringList{"20261208 13:00-14:00 A"};
        QTest::newRow("floating") << ev("DTSTART:20261208T093000\r\nDTEND:20261208T100000")
                                  << QStringList{"20261208 9:30-10:00 A"};
        QTest::newRow("rounded to the grid") << ev("DTSTART:20261208T101000\r\nDTEND:20261208T105000")
                                             << QStringList{"20261208 10:00-11:00 A | 10:10-10:50"};
        QTest::newRow("no end: one slot")
            << ev("DTSTART:20261208T100000") << QStringList{"20261208 10:00-10:30 A | 10:00-10:00"};
        QTest::newRow("start at 23:30") << ev("DTSTART:20261208T233000\r\nDTEND:20261208T233000")
                                        << QStringList{"20261208 23:30-23:30 A"};
        QTest::newRow("DURATION") << ev("DTSTART:20261208T100000\r\nDURATION:PT1H30M")
                                  << QStringList{"20261208 10:00-11:30 A"};
        QTest::newRow("all-day, three days")
            << ev("DTSTART;VALUE=DATE:20261208\r\nDTEND;VALUE=DATE:20261211")
            << QStringList{"20261208 0:00-0:00 A", "20261209 0:00-0:00 A", "20261210 0:00-0:00 A"};
        QTest::newRow("all-day without end")
            << ev("DTSTART;VALUE=DATE:20261208") << QStringList{"20261208 0:00-0:00 A"};
        QTest::newRow("all-day by DURATION") << ev("DTSTART;VALUE=DATE:20261208\r\nDURATION:P2D")
                                             << QStringList{"20261208 0:00-0:00 A", "20261209 0:00-0:00 A"};
        QTest::newRow("over midnight") << ev("DTSTART:20261208T220000\r\nDTEND:20261209T020000")
                                       << QStringList{"20261208 22:00-23:30 A | 12/8 22:00-12/9 2:00",
                                                      "20261209 0:00-2:00 A | 12/8 22:00-12/9 2:00"};
        QTest::newRow("ends at midnight") << ev("DTSTART:20261208T220000\r\nDTEND:20261209T000000")
                                          << QStringList{"20261208 22:00-23:30 A | 12/8 22:00-12/9 0:00"};
        QTest::newRow("three days timed") << ev("DTSTART:20261208T120000\r\nDTEND:20261210T090000")
                                          << QStringList{"20261208 12:00-23:30 A | 12/8 12:00-12/10 9:00",
                                                         "20261209 0:00-23:30 A | 12/8 12:00-12/10 9:00",
                                                         "20261210 0:00-9:00 A | 12/8 12:00-12/10 9:00"};
    }
    void times()
    {
        QFETCH(QByteArray, body);
        QFETCH(QStringList, expected);
        const IcalPlan plan = read(body);
        QVERIFY2(plan.problems.isEmpty(), qPrintable(plan.problems.value(0).reason));
        QCOMPARE(describe(plan), expected);
    }

    void fields()
    {
        const IcalPlan plan =
            read(vevent("DTSTART:20261208T100000\r\nDTEND:20261208T110000\r\nSUMMARY:Plan\\, v2\r\n"
                        "LOCATION:Room 1\r\nDESCRIPTION:line1\\nline2\r\nCATEGORIES:Work,Home\r\n"
                        "URL:https://x.example/a\r\n"
                        "BEGIN:VALARM\r\nACTION:EMAIL\r\nTRIGGER:-PT60M\r\nEND:VALARM\r\n"
                        "BEGIN:VALARM\r\nACTION:DISPLAY\r\nTRIGGER;RELATED=END:-PT5M\r\nEND:VALARM\r\n"
                        "BEGIN:VALARM\r\nACTION:AUDIO\r\nTRIGGER:-PT15M\r\nEND:VALARM\r\n"));
        QCOMPARE(plan.items.size(), 1);
        const TSkedRec rec = plan.items[0].schedules.value(0);
        QCOMPARE(unescapeSkedText(rec.Text), QStringLiteral("Plan, v2"));
        QCOMPARE(rec.Memo, QStringLiteral("Room 1#13#10line1#13#10line2"));
        QCOMPARE(rec.Category, QStringLiteral("Work"));
        QCOMPARE(rec.RelatedInfo, QStringLiteral("https://x.example/a"));
        QCOMPARE(rec.AlarmMinutes, 15);
        QCOMPARE(plan.categories, QStringList{"Work"});
        // The command line's category wins.
        QCOMPARE(
            read(vevent("DTSTART:20261208T100000\r\nCATEGORIES:Work"), "Mine").items[0].schedules[0].Category,
            QStringLiteral("Mine"));
    }

    // Files as other programs write them: CR-only line ends, folded lines,
    // 8-bit text that is not UTF-8 (CP932).
    void fileShapes()
    {
        QByteArray text =
            calendar(vevent("DTSTART:20261208T100000\r\nDTEND:20261208T110000\r\nSUMMARY:" +
                            QStringEncoder("CP932").encode(QStringLiteral("会議室の予約")) + "\r\n" +
                            "DESCRIPTION:" + QByteArray(70, 'x') + "\r\n " + QByteArray(10, 'y')));
        text.replace("\r\n", "\r");
        const IcalPlan plan = readIcal(text, {kToday, {}});
        QVERIFY(plan.problems.isEmpty());
        const TSkedRec rec = plan.items.value(0).schedules.value(0);
        QCOMPARE(unescapeSkedText(rec.Text), QStringLiteral("会議室の予約"));
        QCOMPARE(rec.Memo, QString(70, u'x') + QString(10, u'y'));
    }

    void problems_data()
    {
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<QString>("reason");
        QTest::newRow("unknown zone")
            << vevent("DTSTART;TZID=Mars/Olympus:20261208T100000") << "Mars/Olympus";
        QTest::newRow("no DTSTART") << vevent("SUMMARY:A") << "DTSTART";
        QTest::newRow("end before start")
            << vevent("DTSTART:20261208T100000\r\nDTEND:20261208T090000") << "前";
    }
    void problems()
    {
        QFETCH(QByteArray, body);
        QFETCH(QString, reason);
        // The bad event is the second; its BEGIN line is line 10.
        const IcalPlan plan = read(vevent("DTSTART:20261207T100000\r\nSUMMARY:good") + body);
        QCOMPARE(plan.items.size(), 1);
        QCOMPARE(plan.problems.size(), 1);
        QCOMPARE(plan.problems[0].line, 10);
        QVERIFY2(plan.problems[0].reason.contains(reason), qPrintable(plan.problems[0].reason));
    }

    void skippedAndCounted()
    {
        const IcalPlan plan = read(vevent("DTSTART:20261208T100000\r\nSTATUS:CANCELLED") +
                                   "BEGIN:VTODO\r\nUID:t\r\nSUMMARY:todo\r\nEND:VTODO\r\n" +
                                   "BEGIN:VJOURNAL\r\nUID:j\r\nSUMMARY:j\r\nEND:VJOURNAL\r\n" +
                                   vevent("DTSTART:20261209T100000"));
        QCOMPARE(plan.cancelled, 1);
        QCOMPARE(plan.todos, 1);
        QCOMPARE(plan.journals, 1);
        QCOMPARE(plan.events, 1);
        QCOMPARE(plan.items.size(), 1);
        QCOMPARE(readIcal("not a calendar", {kToday, {}}).problems.size(), 1);
    }

    void repeating_data()
    {
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<QStringList>("expected");
        QTest::addColumn<bool>("expanded");
        QTest::newRow("weekly with EXDATE: a rule")
            << vevent("DTSTART:20261201T100000\r\nDTEND:20261201T110000\r\nSUMMARY:A\r\n"
                      "RRULE:FREQ=WEEKLY;BYDAY=TU;COUNT=5\r\nEXDATE:20261208T100000")
            << QStringList{"rule 20261201 FREQ=WEEKLY;COUNT=5;BYDAY=TU ex[20261208]: 20261201 10:00-11:00 A"}
            << false;
        QTest::newRow("EXDATE list in a zone")
            << vevent("DTSTART;TZID=Asia/"
                      "Tokyo:20261201T100000\r\nSUMMARY:A\r\nRRULE:FREQ=DAILY;UNTIL=20261210T010000Z\r\n"
                      "EXDATE;TZID=Asia/Tokyo:20261203T100000,20261205T100000")
            << QStringList{"rule 20261201 FREQ=DAILY;UNTIL=20261210T010000Z ex[20261203,20261205]: 20261201 "
                           "10:00-10:30 A | 10:00-10:00"}
            << false;
        QTest::newRow("EXDATE in UTC of a floating event")
            << vevent("DTSTART:20261201T010000\r\nDTEND:20261201T020000\r\nSUMMARY:A\r\nRRULE:FREQ=DAILY;"
                      "COUNT=3\r\n"
                      "EXDATE:20261202T010000Z")
            << QStringList{"rule 20261201 FREQ=DAILY;COUNT=3 ex[20261202]: 20261201 1:00-2:00 A"} << false;
        QTest::newRow("UNTIL as a date against a date-time start: written out")
            << vevent("DTSTART:20261201T100000\r\nDTEND:20261201T110000\r\nSUMMARY:A\r\n"
                      "RRULE:FREQ=DAILY;UNTIL=20261203")
            << QStringList{"20261201 10:00-11:00 A", "20261202 10:00-11:00 A"} << true;
        QTest::newRow("RDATE: written out")
            << vevent("DTSTART:20261201T100000\r\nDTEND:20261201T110000\r\nSUMMARY:A\r\n"
                      "RRULE:FREQ=WEEKLY;COUNT=2\r\nRDATE:20261205T100000")
            << QStringList{"20261201 10:00-11:00 A", "20261205 10:00-11:00 A", "20261208 10:00-11:00 A"}
            << true;
        QTest::newRow("a zone whose offset changes: written out")
            << vevent("DTSTART;TZID=America/New_York:20261030T080000\r\n"
                      "DTEND;TZID=America/New_York:20261030T083000\r\nSUMMARY:A\r\nRRULE:FREQ=WEEKLY;COUNT=3")
            << QStringList{"20261030 21:00-21:30 A", "20261106 22:00-22:30 A", "20261113 22:00-22:30 A"}
            << true;
        QTest::newRow("a rule Nox cannot say: written out")
            << vevent("DTSTART:20261201T100000\r\nSUMMARY:A\r\nDTEND:20261201T103000\r\n"
                      "RRULE:FREQ=DAILY;BYHOUR=10,14;COUNT=3")
            << QStringList{"20261201 10:00-10:30 A", "20261201 14:00-14:30 A", "20261202 10:00-10:30 A"}
            << true;
        QTest::newRow("override of a rule")
            << vevent("DTSTART:20261201T100000\r\nDTEND:20261201T110000\r\nSUMMARY:A\r\nRRULE:FREQ=WEEKLY;"
                      "COUNT=3") +
                   vevent(
                       "RECURRENCE-ID:20261208T100000\r\nDTSTART:20261209T150000\r\nDTEND:20261209T160000\r\n"
                       "SUMMARY:B")
            << QStringList{"rule 20261201 FREQ=WEEKLY;COUNT=3 ex[20261208]: 20261201 10:00-11:00 A",
                           "override 20261209 15:00-16:00 B"}
            << false;
        QTest::newRow("override of a written-out event, one cancelled")
            << vevent("DTSTART:20261201T100000\r\nDTEND:20261201T110000\r\nSUMMARY:A\r\nRRULE:FREQ=WEEKLY;"
                      "COUNT=3\r\n"
                      "RDATE:20261202T100000") +
                   vevent(
                       "RECURRENCE-ID:20261208T100000\r\nDTSTART:20261209T150000\r\nDTEND:20261209T160000\r\n"
                       "SUMMARY:B") +
                   vevent("RECURRENCE-ID:20261215T100000\r\nDTSTART:20261215T100000\r\nSTATUS:CANCELLED")
            << QStringList{"20261201 10:00-11:00 A", "20261202 10:00-11:00 A", "20261209 15:00-16:00 B"}
            << true;
    }
    void repeating()
    {
        QFETCH(QByteArray, body);
        QFETCH(QStringList, expected);
        QFETCH(bool, expanded);
        const IcalPlan plan = read(body);
        QVERIFY2(plan.problems.isEmpty(), qPrintable(plan.problems.value(0).reason));
        QCOMPARE(describe(plan), expected);
        QCOMPARE(plan.expanded, expanded ? 1 : 0);
        QCOMPARE(plan.repeating, 1);
    }

    // A rule without end that the iterator would walk for ever stops at the
    // step limit, and says so.
    void expansionIsCapped()
    {
        QElapsedTimer timer;
        timer.start();
        const IcalPlan plan = read(vevent("DTSTART:20261201T000000\r\nSUMMARY:A\r\nRRULE:FREQ=MINUTELY"));
        QVERIFY(timer.elapsed() < 20000);
        QCOMPARE(plan.items.size(), 1);
        QVERIFY(plan.items[0].cutShort);
        QVERIFY(plan.items[0].expanded);
        QVERIFY(plan.items[0].schedules.size() <= kExpandStepLimit);
    }
};

QTEST_GUILESS_MAIN(TestIcalRead)
#include "tst_icalread.moc"
