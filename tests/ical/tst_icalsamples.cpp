// The sample files of python3-icalendar (Debian), written by other programs
// and collected for their quirks, read with the local zone Asia/Tokyo: how
// many events each gives and where its first schedule stands.
#include <QtTest>

#include "ical/icalreader.h"
#include "icaltestutil.h"

using namespace nox;
using namespace nox::ical;

namespace
{

const QString kSamples = QStringLiteral("/usr/lib/python3/dist-packages/icalendar/tests/");

} // namespace

class TestIcalSamples : public QObject
{
    Q_OBJECT

private slots:
    void samples_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<int>("events");
        QTest::addColumn<int>("expanded");
        QTest::addColumn<int>("problems");
        QTest::addColumn<int>("schedules"); // day-file schedules, rules counted as one
        QTest::addColumn<QString>("first");
        // A VTIMEZONE of the file with rules from 1967 on (EDT in August);
        // the event's end is a second DTSTART, so it has none.
        QTest::newRow("america_new_york")
            << "america_new_york.ics" << 1 << 0 << 0 << 1
            << "20140829 21:00-21:30 an event with a custom tz name | 21:00-21:00";
        // UTC times, 8-bit text.
        QTest::newRow("encoding") << "encoding.ics" << 1 << 0 << 0 << 1
                                  << QStringLiteral("20101010 19:00-21:00 Non-ASCII Test: ÄÖÜ äöü €");
        // Fridays and Saturdays at noon in New York are Saturdays and Sundays
        // in Tokyo: written out, without the two EXDATEs.
        QTest::newRow("missing tzinfo on exdate") << "issue_112_missing_tzinfo_on_exdate.ics" << 1 << 1 << 0
                                                  << 11 << "20130908 1:00-6:00 Market East Live!";
        QTest::newRow("parsing failure")
            << "issue_53_parsing_failure.ics" << 3 << 0 << 0 << 3 << "20120713 7:30-10:30 DevOps DC Meetup";
        // Lines folded before their colon: libical loses the event's DTSTART.
        QTest::newRow("multiple") << "multiple.ics" << 2 << 0 << 1 << 2 << "";
        QTest::newRow("pacific_fiji")
            << "pacific_fiji.ics" << 1 << 0 << 0 << 1 << "20140829 5:00-5:30 an event with a custom tz name";
        // A floating daily rule with EXDATEs in UTC is a rule; ten Tuesdays
        // 10:00-18:00 in Vienna go over midnight in Tokyo: written out.
        QTest::newRow("recurrence")
            << "recurrence.ics" << 2 << 1 << 0 << 21
            << "rule 19960401 FREQ=DAILY;COUNT=100 ex[19960402,19960403,19960404]: 19960401 1:00-2:00 "
               "A recurring event with exdates";
        QTest::newRow("time") << "time.ics" << 0 << 0 << 0 << 0 << "";
        QTest::newRow("timezone_rdate") << "timezone_rdate.ics" << 1 << 0 << 0 << 1 << "20120213 18:00-";
        // Windows zone names that do have a VTIMEZONE.
        QTest::newRow("same start") << "timezone_same_start.ics" << 1 << 0 << 0 << 1
                                    << "20170225 5:00-5:30 Test 4";
        QTest::newRow("same start and offset") << "timezone_same_start_and_offset.ics" << 1 << 0 << 0 << 1
                                               << "20170224 12:00-12:30 this is an event";
        // Five days in Vienna are six in Tokyo.
        QTest::newRow("timezoned")
            << "timezoned.ics" << 1 << 0 << 0 << 6
            << "20120213 18:00-23:30 artsprint 2012 | 2/13 18:00-2/18 2:00/aka bild, wien/"
               "sprinting at the artsprint";
        // Zurich at 14:00 is 21:00 or 22:00 in Tokyo: written out up to two years after "today".
        QTest::newRow("x_location")
            << "x_location.ics" << 1 << 1 << 0 << 3156
            << "20161028 21:00-21:30 Daily Sync | Roadstar 16/12764 Happyville/Denmark/Some Description";
    }
    void samples()
    {
        QFETCH(QString, file);
        QFETCH(int, events);
        QFETCH(int, expanded);
        QFETCH(int, problems);
        QFETCH(int, schedules);
        QFETCH(QString, first);
        QFile f(kSamples + file);
        QVERIFY2(f.open(QIODevice::ReadOnly), qPrintable(f.fileName()));
        const IcalPlan plan = readIcal(f.readAll(), {QDate(2026, 12, 1), {}});
        QCOMPARE(plan.events, events);
        QCOMPARE(plan.expanded, expanded);
        QCOMPARE(plan.problems.size(), problems);
        const QStringList described = nox::test::describe(plan);
        if (schedules >= 0) {
            QCOMPARE(described.size(), schedules);
        }
        QVERIFY2(described.value(0).startsWith(first) || (first.isEmpty() && described.isEmpty()),
                 qPrintable(described.value(0)));
    }
};

QTEST_GUILESS_MAIN(TestIcalSamples)
#include "tst_icalsamples.moc"
