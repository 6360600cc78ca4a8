// noxtool as a user runs it: exit codes, output, the files it writes and its
// respect for a running Nox.
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <QTest>

#include "alarm/alarmfile.h"
#include "core/instancelock.h"
#include "core/textfile.h"
#include "store/dayfile.h"
#include "store/memostore.h"
#include "toolrunner.h"

using namespace nox;

namespace
{

const QDate kDay(2026, 12, 7);

QString dump(const ToolRun& r)
{
    return QStringLiteral("exit %1\nout: %2\nerr: %3").arg(r.exitCode).arg(r.out, r.err);
}

bool writeFile(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

} // namespace

class TestNoxTool : public QObject
{
    Q_OBJECT
private slots:
    void usageErrors_data();
    void usageErrors();
    void addWritesTheDayFileAndAlarms();
    void addWithoutAlarmLeavesAlarmFile();
    void dayListsInTimeOrderAndReportsBadLines();
    void dayWithoutSchedulesIsNotFound();
    void missingDataFolderIsNotFound();
    void defaultDataFolderFollowsNoxHome();
    void freshDataFolderIsSetUpAsAtFirstStart_data();
    void freshDataFolderIsSetUpAsAtFirstStart();
    void versionPrintsAndEnds();
    void memoRoundTrip();
    void memoFromStandardInput();
    void memoGetOfAnEmptyDayIsNotFound();
    void memoCheckReportsDamage();
    void holidaysOfAYear();
    void koyomiLines();
    void koyomiRefuses_data();
    void koyomiRefuses();
    void writingRefusedWhileNoxRuns();
    void staleLockDoesNotBlock();
};

void TestNoxTool::usageErrors_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("message");
    QTest::newRow("no command") << QStringList{} << "no command";
    QTest::newRow("unknown command") << QStringList{"week"} << "unknown command";
    QTest::newRow("unknown option") << QStringList{"--fast", "day", "2026-12-07"} << "unknown option";
    QTest::newRow("missing option value") << QStringList{"day", "2026-12-07", "--data"} << "needs a value";
    QTest::newRow("slashed date") << QStringList{"day", "2026/12/07"} << "yyyy-mm-dd";
    QTest::newRow("no such date") << QStringList{"day", "2026-02-30"} << "yyyy-mm-dd";
    QTest::newRow("day without date") << QStringList{"day"} << "needs more arguments";
    QTest::newRow("day with two dates") << QStringList{"day", "2026-12-07", "2026-12-08"} << "too many";
    QTest::newRow("off the grid") << QStringList{"add", "2026-12-07", "9:15", "10:00", "x"}
                                  << "half-hour grid";
    QTest::newRow("hour 24") << QStringList{"add", "2026-12-07", "24:00", "24:00", "x"} << "half-hour grid";
    QTest::newRow("end before start")
        << QStringList{"add", "2026-12-07", "10:00", "9:30", "x"} << "before the start";
    QTest::newRow("alarm not offered")
        << QStringList{"add", "2026-12-07", "9:00", "9:30", "x", "--alarm", "7"} << "--alarm takes";
    QTest::newRow("alarm not a number")
        << QStringList{"add", "2026-12-07", "9:00", "9:30", "x", "--alarm=soon"} << "--alarm takes";
    QTest::newRow("tab in category") << QStringList{"add", "2026-12-07", "9:00", "9:30",
                                                    "x",   "--category", "a\tb"}
                                     << "category";
    QTest::newRow("add option elsewhere") << QStringList{"day", "2026-12-07", "--memo", "m"} << "belongs to";
    QTest::newRow("memo without verb") << QStringList{"memo"} << "get, set or check";
    QTest::newRow("memo set without text") << QStringList{"memo", "set", "2026-12-07"} << "needs more";
    QTest::newRow("five-digit year") << QStringList{"holidays", "20260"} << "year";
}

void TestNoxTool::usageErrors()
{
    QFETCH(QStringList, args);
    QFETCH(QString, message);
    QTemporaryDir dir;
    const ToolRun r = runNoxToolOn(dir.path(), args);
    QVERIFY2(r.exitCode == 2, qPrintable(dump(r)));
    QVERIFY2(r.err.contains(message), qPrintable(dump(r)));
    QVERIFY(r.out.isEmpty());
    QVERIFY(QDir(dir.path()).isEmpty()); // nothing was written
}

void TestNoxTool::addWritesTheDayFileAndAlarms()
{
    QTemporaryDir dir;
    const ToolRun r =
        runNoxToolOn(dir.path(), {"add", "2030-01-02", "0:00", "1:30", "新年会\t二次会", "--memo",
                                  "持ち物\n会費", "--category", "仕事", "--alarm", "30"});
    QVERIFY2(r.exitCode == 0, qPrintable(dump(r)));
    bool ok = false;
    const qint32 id = r.out.trimmed().toInt(&ok);
    QVERIFY(ok);

    const TDayLoadResult day = loadDay(dir.path(), QDate(2030, 1, 2));
    QCOMPARE(day->records.size(), 1);
    const TSkedRec& rec = day->records.first();
    QCOMPARE(rec.ID, id);
    QCOMPARE(rec.StartTime, 0);
    QCOMPARE(rec.EndTime, 3);
    QCOMPARE(rec.Text, QStringLiteral("新年会 二次会"));
    QCOMPARE(rec.Memo, QStringLiteral("持ち物#13#10会費"));
    QCOMPARE(rec.Category, QStringLiteral("仕事"));
    QCOMPARE(rec.AlarmMinutes, 30);
    QCOMPARE(rec.ImageIndex, -1);

    // As the editor enters them: the start and the reminder on the day before.
    AlarmList alarms;
    QVERIFY(LoadAlarmList(alarms, dir.path())->isEmpty());
    QCOMPARE(alarms.count(), 2);
    QCOMPARE(alarms.at(0).key, QStringLiteral("2030/01/01 23:30"));
    QCOMPARE(alarms.at(0).rec, (TAlarmRec{id, akReminder}));
    QCOMPARE(alarms.at(1).key, QStringLiteral("2030/01/02 00:00"));
    QCOMPARE(alarms.at(1).rec, (TAlarmRec{id, akStart}));
}

void TestNoxTool::addWithoutAlarmLeavesAlarmFile()
{
    QTemporaryDir dir;
    const QByteArray alarms = "2030/01/01 10:00\t5\t1\r\nkaputt\r\n";
    QVERIFY(writeFile(alarmFilePath(dir.path()), alarms));
    QCOMPARE(runNoxToolOn(dir.path(), {"add", "2030-01-02", "9:00", "9:30", "x"}).exitCode, 0);
    QFile f(alarmFilePath(dir.path()));
    QVERIFY(f.open(QIODevice::ReadOnly));
    QCOMPARE(f.readAll(), alarms);
    f.close();
    // With an alarm the file is rewritten; its unreadable line, which names
    // no schedule, is told and kept after the entries.
    const ToolRun r = runNoxToolOn(dir.path(), {"add", "2030-01-02", "9:00", "9:30", "y", "--alarm", "0"});
    QCOMPARE(r.exitCode, 0);
    QVERIFY2(r.err.contains("warning") && r.err.contains("kaputt"), qPrintable(r.err));
    const QStringList lines = readTextLines(alarmFilePath(dir.path()))->lines;
    QCOMPARE(lines.size(), 3);
    QCOMPARE(lines.first(), QStringLiteral("2030/01/01 10:00\t5\t1"));
    QCOMPARE(lines.last(), QStringLiteral("kaputt"));
}

void TestNoxTool::dayListsInTimeOrderAndReportsBadLines()
{
    QTemporaryDir dir;
    QVERIFY(writeTextLines(
        dayFilePath(dir.path(), kDay),
        {"20\t21\tclBlack\tclBlack\t0\t-1\t2\t\t午後\t\t-1\t\t0",
         "16\t17\tclBlack\tclBlack\t0\t-1\t1\tメモ1#13#10メモ2\t朝#13#10二行目\t分類\t5\t\t0", "nonsense"}));
    const ToolRun r = runNoxToolOn(dir.path(), {"day", "2026-12-07"});
    QCOMPARE(r.exitCode, 1); // damaged: one line could not be read
    QCOMPARE(r.out,
             QStringLiteral("8:00-8:30\t朝\n\t二行目\n\tmemo: メモ1\n\tメモ2\n\tcategory: 分類\n\talarm: 5\n"
                            "\tid: 1\n10:00-10:30\t午後\n\tid: 2\n"));
    QVERIFY2(r.err.contains("20261207.dat:3") && r.err.contains("nonsense"), qPrintable(r.err));
}

void TestNoxTool::dayWithoutSchedulesIsNotFound()
{
    QTemporaryDir dir;
    const ToolRun r = runNoxToolOn(dir.path(), {"day", "2026-12-07"});
    QCOMPARE(r.exitCode, 1);
    QVERIFY(r.err.contains("no schedules on 2026-12-07"));
}

void TestNoxTool::missingDataFolderIsNotFound()
{
    QTemporaryDir dir;
    const QString missing = dir.filePath("nowhere");
    const ToolRun r = runNoxToolOn(missing, {"add", "2026-12-07", "9:00", "9:30", "x"});
    QCOMPARE(r.exitCode, 1);
    QVERIFY(r.err.contains("no data folder"));
    QVERIFY(!QFile::exists(missing));
}

void TestNoxTool::defaultDataFolderFollowsNoxHome()
{
    QTemporaryDir home;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("NOX_HOME", home.path());
    env.insert("USER", "tester");
    const ToolRun add = runNoxTool({"add", "2026-12-07", "9:00", "9:30", "既定"}, {}, env);
    QVERIFY2(add.exitCode == 0, qPrintable(dump(add)));
    const QStringList dataFolders = QDir(home.filePath("data")).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    QCOMPARE(dataFolders.size(), 1);
    QVERIFY(QFile::exists(dayFilePath(home.filePath("data/" + dataFolders.first()), kDay)));
    const ToolRun day = runNoxTool({"day", "2026-12-07"}, {}, env);
    QCOMPARE(day.exitCode, 0);
    QVERIFY(day.out.startsWith("9:00-9:30\t既定\n"));
}

void TestNoxTool::freshDataFolderIsSetUpAsAtFirstStart_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<int>("exitCode");
    QTest::newRow("holidays") << QStringList{"holidays"} << 0;
    QTest::newRow("day") << QStringList{"day", "2026-12-07"} << 1;
    QTest::newRow("memo get") << QStringList{"memo", "get", "2026-12-07"} << 1;
    QTest::newRow("search") << QStringList{"search", "x"} << 0;
}

// Used before Nox ever ran: the data folder is made and gets the factory
// style, as Nox's first start does; the factory holidays are listed.
void TestNoxTool::freshDataFolderIsSetUpAsAtFirstStart()
{
    QFETCH(QStringList, args);
    QFETCH(int, exitCode);
    QTemporaryDir home;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("NOX_HOME", home.path());
    env.insert("USER", "tester");
    const ToolRun r = runNoxTool(args, {}, env);
    QVERIFY2(r.exitCode == exitCode, qPrintable(dump(r)));
    QVERIFY2(!r.err.contains("does not exist") && !r.err.contains("cannot set up"), qPrintable(dump(r)));
    const QStringList dataFolders = QDir(home.filePath("data")).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    QCOMPARE(dataFolders.size(), 1);
    const QString data = home.filePath("data/" + dataFolders.first());
    const QString factory = QFileInfo(QStringLiteral(NOXTOOL_PATH)).absolutePath() + "/default/style.ini";
    QFile style(data + "/style.ini");
    QFile expected(factory);
    QVERIFY(style.open(QIODevice::ReadOnly) && expected.open(QIODevice::ReadOnly));
    QCOMPARE(style.readAll(), expected.readAll());
    if (args.first() == u"holidays") {
        QVERIFY(r.out.count('\n') > 10);
    }
}

void TestNoxTool::versionPrintsAndEnds()
{
    const ToolRun r = runNoxTool({"--version"});
    QVERIFY2(r.exitCode == 0, qPrintable(dump(r)));
    QCOMPARE(r.out, QStringLiteral("noxtool 2.05\n"));
    QVERIFY(r.err.isEmpty());
}

void TestNoxTool::memoRoundTrip()
{
    QTemporaryDir dir;
    const QString text = QStringLiteral("今日は晴れ。\n明日は「雨」①～");
    QCOMPARE(runNoxToolOn(dir.path(), {"memo", "set", "2026-12-07", text}).exitCode, 0);
    QCOMPARE(QFileInfo(dir.filePath("memo.nox")).exists(), true);
    ToolRun r = runNoxToolOn(dir.path(), {"memo", "get", "2026-12-07"});
    QCOMPARE(r.exitCode, 0);
    QCOMPARE(r.out, text + "\n");

    // Stored with CR LF, readable by the program's memo store.
    MemoStore store;
    QVERIFY(store.open(dir.path()).ok());
    QCOMPARE(store.read(kDay), text);
    QByteArray raw;
    QCOMPARE(store.recordFile().read(memoKey(kDay), raw), btr::kOk);
    QVERIFY(raw.contains("\r\n"));
    store.close();

    // A longer text replaces it; the neighbour day stays empty.
    QCOMPARE(runNoxToolOn(dir.path(), {"memo", "set", "2026-12-07", text + text}).exitCode, 0);
    QCOMPARE(runNoxToolOn(dir.path(), {"memo", "get", "2026-12-07"}).out, text + text + "\n");
    QCOMPARE(runNoxToolOn(dir.path(), {"memo", "get", "2026-12-08"}).exitCode, 1);
    QCOMPARE(runNoxToolOn(dir.path(), {"memo", "check"}).exitCode, 0);
}

void TestNoxTool::memoFromStandardInput()
{
    QTemporaryDir dir;
    QCOMPARE(runNoxToolOn(dir.path(), {"memo", "set", "2026-12-07", "-"}, "一行目\r\n二行目\n").exitCode, 0);
    QCOMPARE(runNoxToolOn(dir.path(), {"memo", "get", "2026-12-07"}).out, QStringLiteral("一行目\n二行目\n"));
    // Text in Shift-JIS (CP932), as files written on Windows hold it, is read as well.
    const QByteArray sjis = QByteArray::fromHex("93fa967b8cea"); // 日本語 in CP932
    QCOMPARE(runNoxToolOn(dir.path(), {"memo", "set", "2026-12-08", "-"}, sjis).exitCode, 0);
    QCOMPARE(runNoxToolOn(dir.path(), {"memo", "get", "2026-12-08"}).out, QStringLiteral("日本語\n"));
}

void TestNoxTool::memoGetOfAnEmptyDayIsNotFound()
{
    QTemporaryDir dir;
    QCOMPARE(runNoxToolOn(dir.path(), {"memo", "get", "2026-12-07"}).exitCode, 1);
    QVERIFY(!QFile::exists(dir.filePath("memo.nox"))); // reading creates nothing
    QCOMPARE(runNoxToolOn(dir.path(), {"memo", "set", "2026-12-07", ""}).exitCode, 0);
    const ToolRun r = runNoxToolOn(dir.path(), {"memo", "get", "2026-12-07"});
    QCOMPARE(r.exitCode, 1);
    QVERIFY(r.err.contains("no memo on 2026-12-07"));
}

void TestNoxTool::memoCheckReportsDamage()
{
    QTemporaryDir dir;
    QCOMPARE(runNoxToolOn(dir.path(), {"memo", "check"}).exitCode, 1); // no file
    for (int i = 0; i < 40; ++i) {
        QCOMPARE(
            runNoxToolOn(dir.path(), {"memo", "set", kDay.addDays(i).toString(Qt::ISODate), "メモ"}).exitCode,
            0);
    }
    const ToolRun good = runNoxToolOn(dir.path(), {"memo", "check"});
    QVERIFY2(good.exitCode == 0, qPrintable(dump(good)));
    QVERIFY(good.out.contains("40 records"));

    QFile file(dir.filePath("memo.nox"));
    QVERIFY(file.open(QIODevice::ReadWrite));
    const QByteArray original = file.readAll();
    QVERIFY(file.resize(original.size() - 300)); // cut into the records
    file.close();
    const ToolRun cut = runNoxToolOn(dir.path(), {"memo", "check"});
    QVERIFY2(cut.exitCode == 1, qPrintable(dump(cut)));
    QVERIFY(cut.err.contains("damaged"));

    QVERIFY(file.open(QIODevice::WriteOnly));
    QByteArray scrambled = original;
    for (int i = 16; i < 1232 && i < scrambled.size(); i += 7) {
        scrambled[i] = char(0x7f);
    }
    file.write(scrambled);
    file.close();
    QCOMPARE(runNoxToolOn(dir.path(), {"memo", "check"}).exitCode, 1);
    QCOMPARE(runNoxToolOn(dir.path(), {"memo", "get", "2026-12-07"}).exitCode, 1);
}

void TestNoxTool::holidaysOfAYear()
{
    QTemporaryDir dir;
    QVERIFY(writeTextLines(dir.filePath("holiday.txt"), {"2026/01/01\t元日", "2026/11/23\t勤労感謝の日",
                                                         "2027/01/01\t元日", "no tab here"}));
    ToolRun r = runNoxToolOn(dir.path(), {"holidays", "2026"});
    QCOMPARE(r.exitCode, 0);
    QCOMPARE(r.out, QStringLiteral("2026-01-01\t元日\n2026-11-23\t勤労感謝の日\n"));
    r = runNoxToolOn(dir.path(), {"holidays"});
    QCOMPARE(r.out.count('\n'), 3);
    QCOMPARE(runNoxToolOn(dir.path(), {"holidays", "1999"}).exitCode, 1);
}

void TestNoxTool::koyomiLines()
{
    QTemporaryDir dir;
    QVERIFY(writeTextLines(dir.filePath("holiday.txt"), {"2026/01/01\t元日", "2026/12/08\t我が家の日"}));
    ToolRun r = runNoxToolOn(dir.path(), {"koyomi", "--from", "2026-12-07", "--to", "2026-12-09"});
    QCOMPARE(r.exitCode, 0);
    QCOMPARE(r.out, QStringLiteral("2026-12-07\t10/29\t友引\t大雪\t-\n"
                                   "2026-12-08\t10/30\t先負\t-\t我が家の日\n"
                                   "2026-12-09\t11/1\t大安\t-\t-\n"));
    // A leap month, two seasonal days on one day, a holiday of the law
    // after the list's last year.
    r = runNoxToolOn(dir.path(), {"koyomi", "--from", "2033-12-22", "--to", "2033-12-22"});
    QCOMPARE(r.out, QStringLiteral("2033-12-22\t閏11/1\t大安\t-\t-\n"));
    r = runNoxToolOn(dir.path(), {"koyomi", "--from", "2025-09-26", "--to", "2025-09-26"});
    QCOMPARE(r.out.section('\t', 3, 3), QStringLiteral("社日・彼岸明け"));
    r = runNoxToolOn(dir.path(), {"koyomi", "--from", "2100-03-20", "--to", "2100-03-21"});
    QCOMPARE(r.out.split('\n').value(0).section('\t', 4), QStringLiteral("春分の日"));
    r = runNoxToolOn(dir.path(), {"koyomi", "--from", "1900-01-01", "--to", "2100-12-31"});
    QCOMPARE(r.exitCode, 0);
    QCOMPARE(r.out.count('\n'), QDate(1900, 1, 1).daysTo(QDate(2100, 12, 31)) + 1);
}

void TestNoxTool::koyomiRefuses_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("message");
    QTest::newRow("before 1900") << QStringList{"koyomi", "--from", "1899-12-31", "--to", "1900-01-01"} << 1
                                 << "outside";
    QTest::newRow("after 2100") << QStringList{"koyomi", "--from", "2100-12-31", "--to", "2101-01-01"} << 1
                                << "outside";
    QTest::newRow("no --to") << QStringList{"koyomi", "--from", "2026-01-01"} << 2 << "--to";
    QTest::newRow("bad date") << QStringList{"koyomi", "--from", "2026-02-30", "--to", "2026-03-01"} << 2
                              << "2026-02-30";
    QTest::newRow("reversed") << QStringList{"koyomi", "--from", "2026-03-01", "--to", "2026-02-01"} << 2
                              << "after";
    QTest::newRow("stray word") << QStringList{"koyomi", "x", "--from", "2026-03-01", "--to", "2026-03-01"}
                                << 2 << "";
}

void TestNoxTool::koyomiRefuses()
{
    QFETCH(QStringList, args);
    QFETCH(int, exitCode);
    QFETCH(QString, message);
    QTemporaryDir dir;
    const ToolRun r = runNoxToolOn(dir.path(), args);
    QCOMPARE(r.exitCode, exitCode);
    QVERIFY(r.out.isEmpty());
    QVERIFY2(r.err.contains(message), qPrintable(r.err));
}

void TestNoxTool::writingRefusedWhileNoxRuns()
{
    QTemporaryDir dir;
    InstanceLock lock(InstanceLock::pathFor(dir.path())); // what the running program holds
    QCOMPARE(lock.tryAcquire(), InstanceLock::Result::Acquired);

    const QStringList add{"add", "2026-12-07", "9:00", "9:30", "x", "--alarm", "0"};
    ToolRun r = runNoxToolOn(dir.path(), add);
    QCOMPARE(r.exitCode, 1);
    QVERIFY2(r.err.contains("running") && r.err.contains("--force"), qPrintable(r.err));
    QVERIFY(!QFile::exists(dayFilePath(dir.path(), kDay)));
    QVERIFY(!QFile::exists(alarmFilePath(dir.path())));
    r = runNoxToolOn(dir.path(), {"memo", "set", "2026-12-07", "x"});
    QCOMPARE(r.exitCode, 1);
    QVERIFY(!QFile::exists(dir.filePath("memo.nox")));

    // Reading goes on; --force writes with a warning; the lock stays held.
    QCOMPARE(runNoxToolOn(dir.path(), {"day", "2026-12-07"}).exitCode, 1);
    r = runNoxToolOn(dir.path(), QStringList{"--force"} + add);
    QCOMPARE(r.exitCode, 0);
    QVERIFY(r.err.contains("warning"));
    QVERIFY(QFile::exists(dayFilePath(dir.path(), kDay)));
    QCOMPARE(runNoxToolOn(dir.path(), {"memo", "set", "2026-12-07", "x", "--force"}).exitCode, 0);
    QVERIFY(lock.isAcquired());
    QVERIFY(QFile::exists(lock.path()));

    // The lock is the folder's: a tool started without the running program's
    // $XDG_RUNTIME_DIR (cron, su) or with another one sees it all the same.
    QVERIFY(QFileInfo(lock.path()).absolutePath() == QFileInfo(dir.path()).absoluteFilePath());
    for (const QString& runtime : {QString(), dir.filePath("elsewhere")}) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.remove(QStringLiteral("XDG_RUNTIME_DIR"));
        if (!runtime.isEmpty()) {
            QDir().mkpath(runtime);
            env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime);
            env.insert(QStringLiteral("TMPDIR"), runtime);
        }
        r = runNoxTool({"--data", dir.path(), "memo", "set", "2026-12-08", "z"}, {}, env);
        QCOMPARE(r.exitCode, 1);
        QVERIFY2(r.err.contains("running"), qPrintable(r.err));
    }

    lock.release();
    QCOMPARE(runNoxToolOn(dir.path(), {"memo", "set", "2026-12-07", "y"}).exitCode, 0);
}

void TestNoxTool::staleLockDoesNotBlock()
{
    QTemporaryDir dir;
    // A lock left by a process that no longer exists, and an empty one left
    // by a process killed before it wrote its id.
    for (const QByteArray& content :
         {"999999999\n" + QSysInfo::machineHostName().toUtf8() + "\n", QByteArray()}) {
        QVERIFY(writeFile(InstanceLock::pathFor(dir.path()), content));
        const ToolRun r = runNoxToolOn(dir.path(), {"memo", "set", "2026-12-07", "x"});
        QVERIFY2(r.exitCode == 0, qPrintable(dump(r)));
    }
    QFile::remove(InstanceLock::pathFor(dir.path()));
}

QTEST_GUILESS_MAIN(TestNoxTool)
#include "tst_noxtool.moc"
