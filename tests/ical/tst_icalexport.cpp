// Writing iCalendar files: escaping and folding, a generated folder that
// goes out and comes back byte for byte, and every export read by an
// independent parser (python3-icalendar).
#include <QtTest>

#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include "ical/icalimport.h"
#include "ical/icaluidmap.h"
#include "ical/icalwriter.h"
#include "icaltestutil.h"

using namespace nox;
using namespace nox::ical;

namespace
{

// A folder of varied schedules and rules, the same for every run.
void fill(ScheduleBook& book)
{
    QRandomGenerator random(30);
    const QStringList texts{"会議", "Plan, v2; draft", "back\\slash", QString(60, u'長'), "two#13#10lines",
                            ""};
    const QStringList categories{"", "仕事", "a,b", "私用"};
    const QList<TColor> colors{clWindowText, TColor(0x00FF8000), clRed};
    QDate date(2024, 1, 1);
    qint32 id = 100000000;
    for (int i = 0; i < 400; ++i) {
        date = date.addDays(random.bounded(3));
        TSkedRec rec;
        rec.setDate(date);
        rec.StartTime = random.bounded(48);
        rec.EndTime = std::min(47, rec.StartTime + random.bounded(4));
        rec.TextColor = colors[random.bounded(colors.size())];
        rec.LineColor = colors[random.bounded(colors.size())];
        rec.FontStyle = random.bounded(16);
        rec.ImageIndex = random.bounded(4) - 1;
        rec.ID = ++id;
        rec.Text = texts[random.bounded(texts.size())];
        rec.Memo = random.bounded(2) ? QStringLiteral("メモ#13#10二行目, ; \\") : QString();
        rec.Category = categories[random.bounded(categories.size())];
        rec.AlarmMinutes = random.bounded(3) ? -1 : 30;
        rec.RelatedInfo = random.bounded(3) ? QString() : QStringLiteral("C:\\docs\\a;b,c.txt");
        rec.OpenRelatedInfo = !rec.RelatedInfo.isEmpty() && random.bounded(2);
        rec.ExtraFields = random.bounded(5) ? QString() : QStringLiteral("later\tfield");
        QVERIFY(book.add(rec).ok());
    }
    RepeatRule rule;
    rule.first = QDate(2024, 1, 2);
    rule.rrule = QStringLiteral("FREQ=WEEKLY;BYDAY=TU,TH;UNTIL=20251231");
    rule.holiday = HolidayRule::Skip;
    rule.excepted = {QDate(2024, 1, 4)};
    rule.sked.StartTime = 20;
    rule.sked.EndTime = 22;
    rule.sked.Text = QStringLiteral("定例");
    rule.sked.AlarmMinutes = 10;
    QVERIFY(book.addRule(&rule).ok());
    RepeatRule monthly;
    monthly.first = QDate(2024, 1, 31);
    monthly.rrule = QStringLiteral("FREQ=MONTHLY;BYMONTHDAY=-1;COUNT=30");
    monthly.sked.Text = QStringLiteral("月末");
    QVERIFY(book.addRule(&monthly).ok());
    // One occurrence changed by itself: a day-file schedule that names the rule.
    const QList<TSkedRec> day = book.day(QDate(2024, 1, 9)).records;
    QCOMPARE(day.last().RuleID, rule.id);
    TSkedRec changed = day.last();
    changed.Text = QStringLiteral("定例 (変更)");
    changed.StartTime = 30;
    changed.EndTime = 31;
    QVERIFY(book.changeOccurrence(OccurrenceScope::This, day.last(), changed).ok());
}

// Runs python3-icalendar on the file; its output: the number of events,
// then each event's SUMMARY and DTSTART.
QStringList pythonRead(const QString& path)
{
    QProcess p;
    p.start(QStringLiteral("/usr/bin/python3"),
            {"-c",
             "import sys, icalendar\n"
             "c = icalendar.Calendar.from_ical(open(sys.argv[1], 'rb').read())\n"
             "ev = c.walk('VEVENT')\n"
             "print(len(ev))\n"
             "for e in ev: print(str(e.get('SUMMARY')) + '|' + e['DTSTART'].dt.isoformat())\n",
             path});
    p.waitForFinished(60000);
    if (p.exitCode() != 0) {
        qWarning() << p.readAllStandardError();
        return {};
    }
    return QString::fromUtf8(p.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts);
}

} // namespace

class TestIcalExport : public QObject
{
    Q_OBJECT

private slots:
    void folding_data()
    {
        QTest::addColumn<QString>("value");
        QTest::newRow("short") << QStringLiteral("abc");
        QTest::newRow("ascii 200") << QString(200, u'x');
        QTest::newRow("three-octet characters") << QString(100, u'漢');
        QTest::newRow("mixed") << QStringLiteral("a") + QString(40, u'é') + QString(30, u'漢');
    }
    void folding()
    {
        QFETCH(QString, value);
        const QByteArray line = "SUMMARY:" + value.toUtf8();
        const QByteArray folded = foldedLine(line);
        QVERIFY(folded.endsWith("\r\n"));
        QByteArray joined;
        for (const QByteArray& physical : folded.chopped(2).split('\n')) {
            const QByteArray l = physical.endsWith('\r') ? physical.chopped(1) : physical;
            QVERIFY(l.size() <= 75);
            QVERIFY(QString::fromUtf8(l).toUtf8() == l); // no character cut
            joined += joined.isEmpty() ? l : l.mid(1);
        }
        QCOMPARE(joined, line);
    }

    void escaping()
    {
        QCOMPARE(escapeText(QStringLiteral("a,b;c\\d\r\ne\nf")), QStringLiteral("a\\,b\\;c\\\\d\\ne\\nf"));
    }

    // A generated folder exported and imported into an empty one gives the
    // same day files and rule file, byte for byte.
    void roundTrip()
    {
        QTemporaryDir a;
        QTemporaryDir b;
        ScheduleBook bookA(a.path(), nullptr);
        fill(bookA);
        UidMap mapA;
        QVERIFY(mapA.load(a.path()).ok());
        const ExportResult out = exportIcal(bookA, &mapA, {});
        QVERIFY2(out.result.ok(), qPrintable(out.result.message()));
        QCOMPARE(out.events, 403);
        ScheduleBook bookB(b.path(), nullptr);
        UidMap mapB;
        QVERIFY(mapB.load(b.path()).ok());
        const IcalPlan plan = readIcal(out.bytes, {QDate(2026, 12, 1), {}});
        QVERIFY(plan.problems.isEmpty());
        QCOMPARE(plan.expanded, 0);
        const ImportOutcome in = applyImport(bookB, plan, &mapB, {});
        QVERIFY2(in.result.ok(), qPrintable(in.result.message()));
        const QStringList skip{kUidMapFileName, "category.nox"};
        const auto filesA = nox::test::folderFiles(a.path(), skip);
        const auto filesB = nox::test::folderFiles(b.path(), skip);
        QCOMPARE(filesB.keys(), filesA.keys());
        for (auto it = filesA.cbegin(); it != filesA.cend(); ++it) {
            if (filesB.value(it.key()) != it.value()) {
                QCOMPARE(QString::fromUtf8(filesB.value(it.key())).split(u'\t'),
                         QString::fromUtf8(it.value()).split(u'\t'));
            }
        }
        // The second folder's export gives the same UIDs.
        UidMap again;
        QVERIFY(again.load(b.path()).ok());
        const ExportResult outB = exportIcal(bookB, &again, {});
        const auto uids = [](const QByteArray& bytes) {
            QList<QByteArray> found;
            for (const QByteArray& l : bytes.split('\n')) {
                if (l.startsWith("UID:")) {
                    found.append(l.trimmed());
                }
            }
            return found;
        };
        QCOMPARE(uids(outB.bytes), uids(out.bytes));

        // Imported back into the folder it came from, it changes nothing.
        const auto before = nox::test::folderFiles(a.path(), skip);
        const ImportOutcome back =
            applyImport(bookA, readIcal(out.bytes, {QDate(2026, 12, 1), {}}), &mapA, {});
        QVERIFY2(back.result.ok(), qPrintable(back.result.message()));
        QCOMPARE(back.added, 0);
        QCOMPARE(back.unchanged, 403);
        QVERIFY(nox::test::folderFiles(a.path(), skip) == before);

        // An independent parser reads the export: every event, with its zone.
        const QString path = a.filePath("out.ics");
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(out.bytes);
        file.close();
        const QStringList python = pythonRead(path);
        QCOMPARE(python.value(0), QStringLiteral("403"));
        QVERIFY(python.contains(QStringLiteral("定例|2024-01-02T10:00:00+09:00")));
        QVERIFY(python.contains(QStringLiteral("定例 (変更)|2024-01-09T15:00:00+09:00")));
    }

    void periodAndCategory_data()
    {
        QTest::addColumn<QDate>("from");
        QTest::addColumn<QDate>("to");
        QTest::addColumn<QString>("category");
        QTest::addColumn<QStringList>("summaries");
        QTest::newRow("all") << QDate() << QDate() << QString() << QStringList{"R", "A", "B", "C"};
        QTest::newRow("period") << QDate(2026, 12, 2) << QDate(2026, 12, 3) << QString()
                                << QStringList{"R", "B"};
        QTest::newRow("after the rule") << QDate(2026, 12, 20) << QDate() << QString() << QStringList{"C"};
        QTest::newRow("category") << QDate() << QDate() << QStringLiteral("仕事") << QStringList{"B"};
    }
    void periodAndCategory()
    {
        QFETCH(QDate, from);
        QFETCH(QDate, to);
        QFETCH(QString, category);
        QFETCH(QStringList, summaries);
        QTemporaryDir dir;
        ScheduleBook book(dir.path(), nullptr);
        int id = 1;
        for (const auto& [day, text, cat] :
             {std::tuple{1, "A", ""}, std::tuple{2, "B", "仕事"}, std::tuple{25, "C", ""}}) {
            TSkedRec rec;
            rec.setDate(QDate(2026, 12, day));
            rec.ID = id++;
            rec.Text = QString::fromUtf8(text);
            rec.Category = QString::fromUtf8(cat);
            QVERIFY(book.add(rec).ok());
        }
        RepeatRule rule;
        rule.first = QDate(2026, 12, 1);
        rule.rrule = QStringLiteral("FREQ=DAILY;COUNT=3");
        rule.sked.Text = QStringLiteral("R");
        QVERIFY(book.addRule(&rule).ok());
        UidMap map;
        QVERIFY(map.load(dir.path()).ok());
        const ExportResult out = exportIcal(book, &map, {from, to, category});
        QVERIFY(out.result.ok());
        QStringList found;
        for (const QByteArray& l : out.bytes.split('\n')) {
            if (l.startsWith("SUMMARY:")) {
                found.append(QString::fromUtf8(l.mid(8).trimmed()));
            }
        }
        QCOMPARE(found, summaries);
    }
};

QTEST_GUILESS_MAIN(TestIcalExport)
#include "tst_icalexport.moc"
