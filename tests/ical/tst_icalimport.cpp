// Importing a plan through the schedule book: a second import updates, new
// categories are listed, a failed write stops the import without losing
// anything and a later import completes it.
#include <QtTest>

#include <QTemporaryDir>

#include "../common/writefaults.h"
#include "ical/icalimport.h"
#include "ical/icaluidmap.h"
#include "icaltestutil.h"
#include "store/categories.h"

using namespace nox;
using namespace nox::ical;
using nox::test::calendar;
using nox::test::describe;
using nox::test::vevent;

namespace
{

const QDate kToday(2026, 12, 1);

QByteArray ev(const QByteArray& uid, const QByteArray& lines)
{
    QByteArray e = vevent(lines);
    return e.replace("UID:u1", "UID:" + uid);
}

const QByteArray kFile =
    calendar(ev("a", "DTSTART:20261208T100000\r\nDTEND:20261208T110000\r\nSUMMARY:A\r\nCATEGORIES:New") +
             ev("b", "DTSTART;VALUE=DATE:20261209\r\nDTEND;VALUE=DATE:20261211\r\nSUMMARY:B") +
             ev("c", "DTSTART:20261201T090000\r\nDTEND:20261201T093000\r\nSUMMARY:C\r\n"
                     "RRULE:FREQ=WEEKLY;COUNT=4") +
             ev("c", "RECURRENCE-ID:20261215T090000\r\nDTSTART:20261216T090000\r\nSUMMARY:C2"));

QStringList folderSchedules(const ScheduleBook& book)
{
    QStringList out;
    for (const TSkedRec& rec : book.span(QDate(2026, 12, 1), QDate(2026, 12, 31)).records) {
        out.append((rec.isOccurrence() ? QStringLiteral("* ") : QString()) + describe(rec));
    }
    return out;
}

struct Folder {
    QTemporaryDir dir;
    ScheduleBook book{dir.path(), nullptr};

    ImportOutcome import(const QByteArray& bytes)
    {
        UidMap map;
        if (!map.load(dir.path()).ok()) {
            return {};
        }
        return applyImport(book, readIcal(bytes, {kToday, {}}), &map, {});
    }
};

const QStringList kExpected{"20261201 9:00-9:30 C",
                            "* 20261201 9:00-9:30 C",
                            "20261208 10:00-11:00 A",
                            "* 20261208 9:00-9:30 C",
                            "20261209 0:00-0:00 B",
                            "20261210 0:00-0:00 B",
                            "20261216 9:00-9:30 C2 | 9:00-9:00",
                            "* 20261222 9:00-9:30 C"};

} // namespace

class TestIcalImport : public QObject
{
    Q_OBJECT

private slots:
    void cleanup() { setWriteFaultHook({}); }

    void importTwiceUpdates()
    {
        Folder f;
        const ImportOutcome first = f.import(kFile);
        QVERIFY2(first.result.ok(), qPrintable(first.result.message()));
        QCOMPARE(first.added, 5); // A, B twice, the rule, the override
        QCOMPARE(first.categoriesAdded, QStringList{"New"});
        QStringList categories;
        QVERIFY(loadCategories(categories, f.dir.path(), {}).ok());
        QCOMPARE(categories, QStringList{"New"});
        QStringList shown = folderSchedules(f.book);
        shown.removeAll(
            QStringLiteral("20261201 9:00-9:30 C")); // the rule's first date shows as an occurrence
        QCOMPARE(shown, QStringList(kExpected.mid(1)));

        // The same file again: nothing doubles.
        const auto before = nox::test::folderFiles(f.dir.path());
        const ImportOutcome second = f.import(kFile);
        QVERIFY(second.result.ok());
        QCOMPARE(second.added, 0);
        QCOMPARE(second.unchanged, 5);
        QCOMPARE(nox::test::folderFiles(f.dir.path()), before);

        // Changed events change their schedules; an event now shorter loses a day.
        QByteArray changed = kFile;
        changed.replace("SUMMARY:A", "SUMMARY:A2")
            .replace("DTEND;VALUE=DATE:20261211", "DTEND;VALUE=DATE:20261210");
        const ImportOutcome third = f.import(changed);
        QVERIFY(third.result.ok());
        QCOMPARE(third.updated, 1);
        QCOMPARE(third.removed, 1);
        shown = folderSchedules(f.book);
        QVERIFY(shown.contains(QStringLiteral("20261208 10:00-11:00 A2")));
        QVERIFY(!shown.contains(QStringLiteral("20261210 0:00-0:00 B")));
        QCOMPARE(shown.filter(QStringLiteral(" B")).size(), 1);
    }

    void previewCounts()
    {
        Folder f;
        UidMap map;
        QVERIFY(map.load(f.dir.path()).ok());
        const IcalPlan plan = readIcal(kFile + calendar(vevent("SUMMARY:bad")), {kToday, {}});
        ImportPreview p = previewImport(plan, map, {"Old"});
        QCOMPARE(p.events, 4);
        QCOMPARE(p.repeating, 1);
        QCOMPARE(p.schedules, 4);
        QCOMPARE(p.rules, 1);
        QCOMPARE(p.toUpdate, 0);
        QCOMPARE(p.newCategories, QStringList{"New"});
        QCOMPARE(p.problems.size(), 1);
        QVERIFY(f.import(kFile).result.ok());
        QVERIFY(map.load(f.dir.path()).ok());
        p = previewImport(plan, map, {"New"});
        QCOMPARE(p.toUpdate, 3);
        QVERIFY(p.newCategories.isEmpty());
        QVERIFY(describePreview(p).join(u'\n').contains(QStringLiteral("行目")));
    }

    // A write that fails stops the import; what was written stays whole and
    // the next import completes it without doubling anything.
    void failedWriteStopsAndResumes_data() { nox::test::addWriteFaultRows(); }
    void failedWriteStopsAndResumes()
    {
        QFETCH(int, step);
        QFETCH(int, err);
        Folder f;
        setWriteFaultHook([&](const QString& path, WriteStep s) {
            return path.endsWith(QLatin1String("20261209.dat")) && int(s) == step ? err : 0;
        });
        const ImportOutcome failed = f.import(kFile);
        QCOMPARE(failed.result.code(), StatusCode::Failed);
        QVERIFY(failed.result.message().contains(QLatin1String("20261209")));
        QVERIFY(!QFile::exists(f.dir.filePath("20261209.dat")));
        setWriteFaultHook({});
        const ImportOutcome again = f.import(kFile);
        QVERIFY2(again.result.ok(), qPrintable(again.result.message()));
        QStringList shown = folderSchedules(f.book);
        shown.removeAll(QStringLiteral("20261201 9:00-9:30 C"));
        QCOMPARE(shown, QStringList(kExpected.mid(1)));
    }
};

QTEST_GUILESS_MAIN(TestIcalImport)
#include "tst_icalimport.moc"
