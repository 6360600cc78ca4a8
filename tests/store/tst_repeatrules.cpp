// Repeat rules: the dates of the rules that break calendars, the rules that
// are refused, the holiday rule, and "repeat.nox" losing nothing.
#include <QtTest>

#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <cerrno>
#include <ctime>

#include "core/textfile.h"
#include "store/repeatexpand.h"
#include "store/repeatrule.h"
#include "store/schedulebook.h"

using namespace nox;

namespace
{

QDate d(const char* text)
{
    return QDate::fromString(QString::fromLatin1(text), QStringLiteral("yyyyMMdd"));
}

QStringList texts(const QList<QDate>& dates)
{
    QStringList out;
    for (const QDate& date : dates) {
        out.append(date.toString(QStringLiteral("yyyyMMdd")));
    }
    return out;
}

RepeatRule makeRule(const QString& rrule, const QDate& first, HolidayRule holiday = HolidayRule::None,
                    const QList<QDate>& excepted = {})
{
    RepeatRule rule;
    rule.first = first;
    rule.rrule = rrule;
    rule.holiday = holiday;
    rule.excepted = excepted;
    rule.sked.setDate(first);
    rule.sked.StartTime = 20;
    rule.sked.EndTime = 22;
    rule.sked.Text = QStringLiteral("定例");
    return rule;
}

// Golden Week 2026: 29 April, 3 to 6 May (6 May makes up for the Sunday).
bool goldenWeekOff(const QDate& date)
{
    static const QList<QDate> holidays{d("20260429"), d("20260503"), d("20260504"), d("20260505"),
                                       d("20260506")};
    return date.dayOfWeek() >= 6 || holidays.contains(date);
}

class TimeZone
{
public:
    explicit TimeZone(const QByteArray& zone) : m_old(qgetenv("TZ"))
    {
        qputenv("TZ", zone);
        tzset();
    }
    ~TimeZone()
    {
        m_old.isEmpty() ? qunsetenv("TZ") : qputenv("TZ", m_old);
        tzset();
    }

private:
    QByteArray m_old;
};

} // namespace

class TestRepeatRules : public QObject
{
    Q_OBJECT

private slots:
    void expandsEdgeCases_data();
    void expandsEdgeCases();
    void refusesRules_data();
    void refusesRules();
    void holidayRule_data();
    void holidayRule();
    void jumpsToTheRangeOfAnOldRule();
    void matchesLibicalOnRandomRules_data();
    void matchesLibicalOnRandomRules();
    void keepsDatesAcrossDaylightSaving();
    void describesTheRule();
    void lineRoundTrip();
    void malformedFileLosesNothing();
    void failedWriteKeepsTheFile();
};

void TestRepeatRules::expandsEdgeCases_data()
{
    QTest::addColumn<QString>("rrule");
    QTest::addColumn<QDate>("first");
    QTest::addColumn<QList<QDate>>("excepted");
    QTest::addColumn<QDate>("from");
    QTest::addColumn<QDate>("to");
    QTest::addColumn<QStringList>("expected");

    QTest::newRow("31st skips short months")
        << "FREQ=MONTHLY;BYMONTHDAY=31" << d("20260131") << QList<QDate>{} << d("20260101") << d("20260630")
        << QStringList{"20260131", "20260331", "20260531"};
    QTest::newRow("last day of month")
        << "FREQ=MONTHLY;BYMONTHDAY=-1" << d("20280131") << QList<QDate>{} << d("20280101") << d("20280430")
        << QStringList{"20280131", "20280229", "20280331", "20280430"};
    QTest::newRow("29 February") << "FREQ=YEARLY" << d("20240229") << QList<QDate>{} << d("20240101")
                                 << d("20331231") << QStringList{"20240229", "20280229", "20320229"};
    QTest::newRow("fifth Monday") << "FREQ=MONTHLY;BYDAY=5MO" << d("20260101") << QList<QDate>{}
                                  << d("20260101") << d("20261231")
                                  << QStringList{"20260330", "20260629", "20260831", "20261130"};
    QTest::newRow("last Friday") << "FREQ=MONTHLY;BYDAY=-1FR" << d("20260101") << QList<QDate>{}
                                 << d("20260101") << d("20260430")
                                 << QStringList{"20260130", "20260227", "20260327", "20260424"};
    QTest::newRow("second Tuesday") << "FREQ=MONTHLY;BYDAY=2TU" << d("20260113") << QList<QDate>{}
                                    << d("20260101") << d("20260331")
                                    << QStringList{"20260113", "20260210", "20260310"};
    QTest::newRow("UNTIL on an occurrence includes it")
        << "FREQ=WEEKLY;UNTIL=20260126" << d("20260105") << QList<QDate>{} << d("20260101") << d("20260228")
        << QStringList{"20260105", "20260112", "20260119", "20260126"};
    QTest::newRow("COUNT counts excepted dates")
        << "FREQ=DAILY;COUNT=5" << d("20260101") << QList<QDate>{d("20260102")} << d("20260101")
        << d("20260131") << QStringList{"20260101", "20260103", "20260104", "20260105"};
    QTest::newRow("COUNT counted from the first date, range later")
        << "FREQ=WEEKLY;COUNT=3" << d("20260105") << QList<QDate>{} << d("20260115") << d("20260331")
        << QStringList{"20260119"};
    QTest::newRow("last weekday of the month")
        << "FREQ=MONTHLY;BYDAY=MO,TU,WE,TH,FR;BYSETPOS=-1" << d("20260101") << QList<QDate>{} << d("20260101")
        << d("20260331") << QStringList{"20260130", "20260227", "20260331"};
    QTest::newRow("every other week on two days")
        << "FREQ=WEEKLY;INTERVAL=2;BYDAY=MO,WE" << d("20260105") << QList<QDate>{} << d("20260101")
        << d("20260131") << QStringList{"20260105", "20260107", "20260119", "20260121"};
    QTest::newRow("week start counts for the interval")
        << "FREQ=WEEKLY;INTERVAL=3;BYDAY=SU;WKST=FR" << d("20230111") << QList<QDate>{} << d("20230101")
        << d("20230228") << QStringList{"20230129", "20230219"};
    QTest::newRow("yearly month days")
        << "FREQ=YEARLY;INTERVAL=2;BYMONTHDAY=29,-24" << d("20241030") << QList<QDate>{} << d("20260716")
        << d("20260920") << QStringList{"20260729", "20260808", "20260829", "20260907"};
    QTest::newRow("yearly in November on the fourth Thursday")
        << "FREQ=YEARLY;BYMONTH=11;BYDAY=4TH" << d("20251101") << QList<QDate>{} << d("20250101")
        << d("20271231") << QStringList{"20251127", "20261126", "20271125"};
    QTest::newRow("first date that is no date of the rule is not one")
        << "FREQ=MONTHLY;BYMONTHDAY=20" << d("20260115") << QList<QDate>{} << d("20260101") << d("20260228")
        << QStringList{"20260120", "20260220"};
}

void TestRepeatRules::expandsEdgeCases()
{
    QFETCH(QString, rrule);
    QFETCH(QDate, first);
    QFETCH(QList<QDate>, excepted);
    QFETCH(QDate, from);
    QFETCH(QDate, to);
    QFETCH(QStringList, expected);
    QVERIFY2(checkRRule(rrule, first).ok, qPrintable(checkRRule(rrule, first).message));
    QList<QDate> dates;
    for (const Occurrence& o :
         ruleOccurrences(makeRule(rrule, first, HolidayRule::None, excepted), from, to, {})) {
        dates.append(o.date);
    }
    QCOMPARE(texts(dates), expected);
}

void TestRepeatRules::refusesRules_data()
{
    QTest::addColumn<QString>("rrule");
    QTest::addColumn<QDate>("first");
    QTest::newRow("hourly") << "FREQ=HOURLY" << d("20260101");
    QTest::newRow("BYHOUR") << "FREQ=DAILY;BYHOUR=9" << d("20260101");
    QTest::newRow("BYWEEKNO") << "FREQ=YEARLY;BYWEEKNO=1" << d("20260101");
    QTest::newRow("no FREQ") << "INTERVAL=2" << d("20260101");
    QTest::newRow("part twice") << "FREQ=DAILY;FREQ=WEEKLY" << d("20260101");
    QTest::newRow("COUNT and UNTIL") << "FREQ=DAILY;COUNT=3;UNTIL=20260301" << d("20260101");
    QTest::newRow("ordinal in a weekly rule") << "FREQ=WEEKLY;BYDAY=2TU" << d("20260101");
    QTest::newRow("sixth Monday of a month") << "FREQ=MONTHLY;BYDAY=6MO" << d("20260101");
    QTest::newRow("31 February monthly") << "FREQ=MONTHLY;BYMONTHDAY=31;BYMONTH=2" << d("20260101");
    QTest::newRow("30 February yearly") << "FREQ=YEARLY;BYMONTH=2;BYMONTHDAY=30" << d("20260101");
    QTest::newRow("29 February every fourth year off leap years")
        << "FREQ=YEARLY;INTERVAL=4;BYMONTH=2;BYMONTHDAY=29" << d("20250201");
    QTest::newRow("UNTIL before the first date") << "FREQ=DAILY;UNTIL=20250101" << d("20260101");
    QTest::newRow("zero interval") << "FREQ=DAILY;INTERVAL=0" << d("20260101");
    QTest::newRow("bad weekday") << "FREQ=WEEKLY;BYDAY=XX" << d("20260101");
}

void TestRepeatRules::refusesRules()
{
    QFETCH(QString, rrule);
    QFETCH(QDate, first);
    QElapsedTimer timer;
    timer.start();
    const RRuleCheck check = checkRRule(rrule, first);
    QVERIFY(!check.ok);
    QVERIFY(!check.message.isEmpty());
    QVERIFY2(timer.elapsed() < 500, "an impossible rule must be told at once");
}

void TestRepeatRules::holidayRule_data()
{
    QTest::addColumn<int>("holiday");
    QTest::addColumn<QStringList>("expected");
    // The 3rd of each month: 3 May 2026 is a Sunday in Golden Week.
    QTest::newRow("none") << int(HolidayRule::None) << QStringList{"20260403", "20260503", "20260603"};
    QTest::newRow("skip") << int(HolidayRule::Skip) << QStringList{"20260403", "20260603"};
    QTest::newRow("before") << int(HolidayRule::Before) << QStringList{"20260403", "20260501", "20260603"};
    QTest::newRow("after") << int(HolidayRule::After) << QStringList{"20260403", "20260507", "20260603"};
}

void TestRepeatRules::holidayRule()
{
    QFETCH(int, holiday);
    QFETCH(QStringList, expected);
    const RepeatRule rule =
        makeRule(QStringLiteral("FREQ=MONTHLY;BYMONTHDAY=3"), d("20260103"), HolidayRule(holiday));
    QList<QDate> dates;
    for (const Occurrence& o : ruleOccurrences(rule, d("20260401"), d("20260630"), goldenWeekOff)) {
        dates.append(o.date);
    }
    QCOMPARE(texts(dates), expected);
    // A moved occurrence still names the date the rule gave (its EXDATE).
    if (HolidayRule(holiday) == HolidayRule::After) {
        QCOMPARE(ruleOccurrences(rule, d("20260507"), d("20260507"), goldenWeekOff).value(0).ruleDate,
                 d("20260503"));
    }
}

void TestRepeatRules::jumpsToTheRangeOfAnOldRule()
{
    // Begun twenty years ago: the range's dates keep the rule's phase.
    const RuleDates dates =
        expandRRule(QStringLiteral("FREQ=WEEKLY;INTERVAL=2"), d("20060103"), d("20260101"), d("20260131"));
    QVERIFY(!dates.dates.isEmpty());
    for (const QDate& date : dates.dates) {
        QCOMPARE(d("20060103").daysTo(date) % 14, 0);
    }
    QElapsedTimer timer;
    timer.start();
    for (int i = 0; i < 200; ++i) {
        static_cast<void>(
            expandRRule(QStringLiteral("FREQ=DAILY"), d("20060101"), d("20260101"), d("20260131")));
    }
    QVERIFY2(timer.elapsed() < 1000, "a daily rule begun long ago must not be walked from its start");
}

void TestRepeatRules::matchesLibicalOnRandomRules_data()
{
    QTest::addColumn<int>("way");
    QTest::addColumn<QStringList>("frequencies");
    // Dates counted out without libical, against libical walked from the first date.
    QTest::newRow("own") << int(ExpandWay::Best) << QStringList{"DAILY", "WEEKLY", "MONTHLY", "YEARLY"};
    // libical jumping into the range keeps the phase of an interval.
    QTest::newRow("jump") << int(ExpandWay::Libical) << QStringList{"MONTHLY", "YEARLY", "WEEKLY"};
}

void TestRepeatRules::matchesLibicalOnRandomRules()
{
    QFETCH(int, way);
    QFETCH(QStringList, frequencies);
    QRandomGenerator random(29);
    const char* const codes[] = {"MO", "TU", "WE", "TH", "FR", "SA", "SU"};
    int compared = 0;
    for (int n = 0; n < 300; ++n) {
        const QString freq = frequencies.at(random.bounded(int(frequencies.size())));
        QStringList parts{QStringLiteral("FREQ=") + freq,
                          QStringLiteral("INTERVAL=%1").arg(random.bounded(1, 6))};
        if (freq == u"WEEKLY" && random.bounded(2)) {
            QStringList days;
            for (int i = 0; i < 7; ++i) {
                if (random.bounded(3) == 0) {
                    days.append(QLatin1String(codes[i]));
                }
            }
            if (!days.isEmpty()) {
                parts.append(QStringLiteral("BYDAY=") + days.join(u','));
            }
            // libical 3.0 takes its weeks from Monday whatever WKST says
            // (the row "week start" of expandsEdgeCases checks ours).
            parts.append(QStringLiteral("WKST=MO"));
        }
        const int dayPart = random.bounded(4);
        // libical 3.0 gives wrong dates for a yearly BYMONTHDAY without
        // BYMONTH (the row "yearly month days" of expandsEdgeCases checks ours).
        const bool yearlyMonthDay = freq == u"YEARLY" && (dayPart == 1 || dayPart == 2);
        if ((freq == u"MONTHLY" || freq == u"YEARLY") && (yearlyMonthDay || random.bounded(3) == 0)) {
            parts.append(
                QStringLiteral("BYMONTH=%1,%2").arg(random.bounded(1, 13)).arg(random.bounded(1, 13)));
        }
        if (freq == u"MONTHLY" || freq == u"YEARLY") {
            const int ordinal = random.bounded(2) ? random.bounded(1, 6) : -random.bounded(1, 6);
            switch (dayPart) {
            case 0:
                parts.append(
                    QStringLiteral("BYDAY=%1%2").arg(ordinal).arg(QLatin1String(codes[random.bounded(7)])));
                break;
            case 1:
                parts.append(QStringLiteral("BYMONTHDAY=%1,%2")
                                 .arg(random.bounded(1, 32))
                                 .arg(-random.bounded(1, 32)));
                break;
            case 2:
                parts.append(QStringLiteral("BYDAY=MO,FR;BYMONTHDAY=%1").arg(random.bounded(1, 32)));
                break;
            default:
                break; // the first date's day
            }
        }
        const QDate first = QDate(2020, 1, 1).addDays(random.bounded(2000));
        if (way == int(ExpandWay::Best) && random.bounded(3) == 0) {
            parts.append(random.bounded(2)
                             ? QStringLiteral("COUNT=%1").arg(random.bounded(1, 60))
                             : QStringLiteral("UNTIL=") +
                                   first.addDays(random.bounded(900)).toString(QStringLiteral("yyyyMMdd")));
        }
        const QString rrule = parts.join(u';');
        if (!checkRRule(rrule, first).ok) {
            continue;
        }
        const QDate from = first.addDays(random.bounded(-30, 1500));
        const QDate to = from.addDays(random.bounded(400));
        const RuleDates tested = expandRRuleBy(ExpandWay(way), rrule, first, from, to);
        const RuleDates reference = expandRRuleBy(ExpandWay::LibicalWalking, rrule, first, from, to);
        QVERIFY2(tested.dates == reference.dates,
                 qPrintable(QStringLiteral("%1 from %2, %3..%4")
                                .arg(rrule, first.toString(Qt::ISODate), from.toString(Qt::ISODate),
                                     to.toString(Qt::ISODate))));
        ++compared;
    }
    QVERIFY(compared > 250);
}

void TestRepeatRules::keepsDatesAcrossDaylightSaving()
{
    for (const QByteArray& zone :
         {QByteArray("America/New_York"), QByteArray("Europe/Berlin"), QByteArray("Asia/Tokyo")}) {
        TimeZone tz(zone);
        const RuleDates dates =
            expandRRule(QStringLiteral("FREQ=DAILY"), d("20260301"), d("20260305"), d("20260404"));
        QCOMPARE(dates.dates.size(), 31);
        for (int i = 1; i < dates.dates.size(); ++i) {
            QCOMPARE(dates.dates.at(i - 1).daysTo(dates.dates.at(i)), 1);
        }
    }
}

void TestRepeatRules::describesTheRule()
{
    const RRuleCheck check =
        checkRRule(QStringLiteral("FREQ=MONTHLY;BYDAY=2TU;UNTIL=20270331"), d("20260113"));
    QVERIFY(check.ok);
    QCOMPARE(describeRule(check.rule, d("20260113")), QStringLiteral("毎月第2火曜日、2027年3月31日まで"));
    const RRuleCheck weekly = checkRRule(QStringLiteral("FREQ=WEEKLY;BYDAY=MO,WE;COUNT=10"), d("20260105"));
    QCOMPARE(describeRule(weekly.rule, d("20260105")), QStringLiteral("毎週月・水曜日、10回"));
    const RRuleCheck last = checkRRule(QStringLiteral("FREQ=MONTHLY;BYMONTHDAY=-1"), d("20260131"));
    QCOMPARE(describeRule(last.rule, d("20260131"), HolidayRule::Before),
             QStringLiteral("毎月末日（土日祝日は前の平日）"));
}

void TestRepeatRules::lineRoundTrip()
{
    RepeatRule rule = makeRule(QStringLiteral("FREQ=MONTHLY;BYDAY=-1FR"), d("20260130"), HolidayRule::After,
                               {d("20260227"), d("20260327")});
    rule.id = 1234567890;
    rule.sked.ID = rule.id;
    rule.sked.Memo = QStringLiteral("一行目#13#10二行目");
    rule.sked.Category = QStringLiteral("仕事");
    rule.sked.AlarmMinutes = 15;
    rule.laterFields = QStringLiteral("later\tfields");
    RepeatRule read;
    const RepeatLineResult parsed = parseRepeatLine(formatRepeatLine(rule), &read);
    QVERIFY2(parsed.ok, qPrintable(parsed.reason));
    QCOMPARE(read, rule);
}

void TestRepeatRules::malformedFileLosesNothing()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QString::fromLatin1(kRepeatFileName));
    RepeatRule good = makeRule(QStringLiteral("FREQ=WEEKLY"), d("20260105"));
    good.id = 1100000000;
    good.sked.ID = good.id;
    const QByteArray cp932 =
        QByteArray("1100000001\t20260105\tFREQ=DAILY\tnone\t\t20\t22\tclBlack\tclBlack\t0\t-1\t"
                   "1100000001\t\t\x89\xEF\x8B\x63\t");
    const QByteArray hourly =
        "1100000002\t20260105\tFREQ=HOURLY\tnone\t\t20\t22\tclBlack\tclBlack\t0\t-1\t1100000002\t\tx\t";
    const QByteArray original =
        formatRepeatLine(good).toUtf8() + "\r\n" + "garbage line\r\n\r\n" + hourly + "\r\n" + cp932 + "\r\n";
    QVERIFY(writeFileAtomic(path, original));

    ScheduleBook book(dir.path(), nullptr);
    QList<RepeatRule> rules;
    QList<RepeatProblem> problems;
    QVERIFY(book.rules(&rules, &problems).ok());
    QCOMPARE(rules.size(), 2); // the weekly rule and the CP932 one
    QCOMPARE(problems.size(), 2);
    QCOMPARE(problems.at(0).lineNumber, 2);
    QCOMPARE(problems.at(1).lineNumber, 4);
    QCOMPARE(rules.at(1).sked.Text, QStringLiteral("会議"));
    QCOMPARE(book.takeRuleNotices().size(), 2);
    QVERIFY(book.takeRuleNotices().isEmpty()); // told once
    QCOMPARE(book.day(d("20260112")).records.size(), 2);

    RepeatRule added = makeRule(QStringLiteral("FREQ=DAILY"), d("20260201"));
    QVERIFY(book.addRule(&added).ok());
    QVERIFY(isRuleId(added.id));
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray now = file.readAll();
    QVERIFY(now.startsWith(original));
    QCOMPARE(now.mid(original.size()), formatRepeatLine(added).toUtf8() + "\r\n");

    // Excepting a date rewrites only that rule's line.
    QVERIFY(book.exceptRule(1100000001, d("20260110")).ok());
    file.close(); // the file was replaced: read the new one
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray excepted = file.readAll();
    QVERIFY(excepted.contains("garbage line\r\n\r\n" + hourly + "\r\n"));
    QVERIFY(excepted.contains("\t20260110\t"));
}

void TestRepeatRules::failedWriteKeepsTheFile()
{
    QTemporaryDir dir;
    ScheduleBook book(dir.path(), nullptr);
    RepeatRule first = makeRule(QStringLiteral("FREQ=DAILY"), d("20260101"));
    QVERIFY(book.addRule(&first).ok());
    const QString path = dir.filePath(QString::fromLatin1(kRepeatFileName));
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray before = file.readAll();
    file.close();
    setWriteFaultHook([](const QString&, WriteStep step) { return step == WriteStep::Flush ? ENOSPC : 0; });
    RepeatRule second = makeRule(QStringLiteral("FREQ=WEEKLY"), d("20260101"));
    const BookResult failed = book.addRule(&second);
    const BookResult removed = book.removeRule(first.id);
    setWriteFaultHook({});
    QCOMPARE(failed.code(), BookStatus::Failed);
    QCOMPARE(failed.file(), path);
    QCOMPARE(removed.code(), BookStatus::Failed);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), before);
    QCOMPARE(book.day(d("20260105")).records.size(), 1);
}

QTEST_MAIN(TestRepeatRules)
#include "tst_repeatrules.moc"
