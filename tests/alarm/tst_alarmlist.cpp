// The alarm list, its keys, UpdateScheduleAlarms and "alarm.nox".
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <cerrno>

#include "../common/records.h"
#include "../common/toldstatus.h"
#include "../common/straylines.h"
#include "../common/writefaults.h"
#include "alarm/alarmfile.h"
#include "alarm/alarmfilesink.h"
#include "alarm/alarmlist.h"
#include "core/textfile.h"

using namespace nox;

namespace
{

TSkedRec schedule(QDate date, int slot, int alarmMinutes, qint32 id)
{
    return testing::withAlarm(testing::skedRecord(date, slot, id), alarmMinutes);
}

QStringList describe(const AlarmList& list)
{
    QStringList out;
    for (const AlarmList::Entry& e : list.entries()) {
        out << QStringLiteral("%1 %2 %3").arg(e.key).arg(e.rec.ID).arg(e.rec.Kind);
    }
    return out;
}

QStringList fileLines(const QString& folder)
{
    return readTextLines(alarmFilePath(folder))->lines;
}

bool writeFile(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

const QDate kDay(2026, 12, 7);

} // namespace

class TestAlarmList : public QObject
{
    Q_OBJECT
private slots:
    void keyFormat();
    void keyValidation_data();
    void keyValidation();
    void keyBefore_data();
    void keyBefore();
    void equalKeysKeepEntryOrder();
    void updateModes_data();
    void updateModes();
    void editingMovesTheAlarm();
    void unknownModeChangesNothing();
    void saveAndLoadRoundTrip();
    void saveDropsPassedMinutesAndDeletesEmptyFile();
    void loadReportsAndKeepsBadLines();
    void loadReadsKindTolerantly();
    void unreadableFileIsNotOverwritten();
    void saveFailureIsReported();
    void untouchedLinesKeepTheirBytes();
    void faultKeepsTheOldFile_data();
    void faultKeepsTheOldFile();
    void fileSinkUpdatesTheFileInOneGo();
};

void TestAlarmList::keyFormat()
{
    QCOMPARE(AlarmKey(QDateTime(QDate(2008, 3, 5), QTime(9, 30, 59))), QStringLiteral("2008/03/05 09:30"));
    QCOMPARE(AlarmKey(QDate(987, 1, 2), 0, 5), QStringLiteral("0987/01/02 00:05"));
}

void TestAlarmList::keyValidation_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<bool>("valid");
    QTest::newRow("plain") << "2008/03/05 09:30" << true;
    QTest::newRow("last minute") << "2024/02/29 23:59" << true;
    QTest::newRow("no leap day") << "2023/02/29 10:00" << false;
    QTest::newRow("hour 24") << "2008/03/05 24:00" << false;
    QTest::newRow("one-digit hour") << "2008/03/05 9:30" << false;
    QTest::newRow("dashes") << "2008-03-05 09:30" << false;
    QTest::newRow("trailing blank") << "2008/03/05 09:30 " << false;
    QTest::newRow("letters") << "2008/0a/05 09:30" << false;
    QTest::newRow("empty") << "" << false;
}

void TestAlarmList::keyValidation()
{
    QFETCH(QString, key);
    QFETCH(bool, valid);
    QCOMPARE(isValidAlarmKey(key), valid);
}

void TestAlarmList::keyBefore_data()
{
    QTest::addColumn<QDate>("date");
    QTest::addColumn<int>("slot");
    QTest::addColumn<int>("minutes");
    QTest::addColumn<QString>("key");
    QTest::newRow("start") << kDay << 19 << 0 << "2026/12/07 09:30";
    QTest::newRow("5 minutes") << kDay << 19 << 5 << "2026/12/07 09:25";
    QTest::newRow("previous day") << kDay << 0 << 30 << "2026/12/06 23:30";
    QTest::newRow("previous year") << QDate(2027, 1, 1) << 1 << 360 << "2026/12/31 18:30";
    QTest::newRow("over two days back") << kDay << 2 << 3000 << "2026/12/04 23:00";
    QTest::newRow("last slot") << kDay << 47 << 1 << "2026/12/07 23:29";
}

void TestAlarmList::keyBefore()
{
    QFETCH(QDate, date);
    QFETCH(int, slot);
    QFETCH(int, minutes);
    QFETCH(QString, key);
    QCOMPARE(alarmKeyBefore(date, slot, minutes), key);
}

void TestAlarmList::equalKeysKeepEntryOrder()
{
    AlarmList list;
    list.add("2026/12/07 10:00", {3, 1});
    list.add("2026/12/07 09:00", {1, 1});
    list.add("2026/12/07 10:00", {4, 2});
    list.add("2026/12/07 09:30", {2, 1});
    list.add("2026/12/07 10:00", {5, 1});
    QCOMPARE(describe(list),
             QStringList({"2026/12/07 09:00 1 1", "2026/12/07 09:30 2 1", "2026/12/07 10:00 3 1",
                          "2026/12/07 10:00 4 2", "2026/12/07 10:00 5 1"}));
}

void TestAlarmList::updateModes_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<int>("alarmMinutes");
    QTest::addColumn<QStringList>("expected");
    const QString other = QStringLiteral("2026/12/07 08:00 7 1");
    const QString old = QStringLiteral("2026/12/01 12:00 42 1");
    const QString start = QStringLiteral("2026/12/07 09:30 42 1");
    const QString reminder = QStringLiteral("2026/12/07 09:25 42 2");
    QTest::newRow("new, 0 minutes") << 1 << 0 << QStringList{old, other, start};
    QTest::newRow("new, 5 minutes keeps old entries") << 1 << 5 << QStringList{old, other, reminder, start};
    QTest::newRow("new, no alarm") << 1 << -1 << QStringList{old, other};
    QTest::newRow("stored again") << 0 << 5 << QStringList{other, reminder, start};
    QTest::newRow("edited, alarm removed") << 2 << -1 << QStringList{other};
    QTest::newRow("removed") << 3 << 5 << QStringList{other};
}

void TestAlarmList::updateModes()
{
    QFETCH(int, mode);
    QFETCH(int, alarmMinutes);
    QFETCH(QStringList, expected);
    AlarmList list;
    list.add("2026/12/07 08:00", {7, 1});
    list.add("2026/12/01 12:00", {42, 1}); // an older entry of the same schedule
    QVERIFY(UpdateScheduleAlarms(list, schedule(kDay, 19, alarmMinutes, 42), mode));
    QCOMPARE(describe(list), expected);
}

void TestAlarmList::editingMovesTheAlarm()
{
    AlarmList list;
    TSkedRec rec = schedule(kDay, 19, 5, 42);
    UpdateScheduleAlarms(list, rec, amNew);
    rec.StartTime = 20;
    UpdateScheduleAlarms(list, rec, amEdited);
    QCOMPARE(describe(list), QStringList({"2026/12/07 09:55 42 2", "2026/12/07 10:00 42 1"}));
}

void TestAlarmList::unknownModeChangesNothing()
{
    AlarmList list;
    list.add("2026/12/07 08:00", {42, 1});
    QVERIFY(!UpdateScheduleAlarms(list, schedule(kDay, 19, 5, 42), 4));
    QVERIFY(!UpdateScheduleAlarms(list, schedule(kDay, 19, 5, 42), -1));
    QCOMPARE(describe(list), QStringList{"2026/12/07 08:00 42 1"});
}

void TestAlarmList::saveAndLoadRoundTrip()
{
    QTemporaryDir dir;
    AlarmList list;
    UpdateScheduleAlarms(list, schedule(kDay, 19, 5, 42), amNew);
    UpdateScheduleAlarms(list, schedule(kDay, 19, 0, -17), amNew);
    list.add("2026/12/08 00:00", {9, 200});
    QString error;
    QVERIFY2(toldStatus(SaveAlarmList(list, dir.path(), QDateTime(kDay, QTime(9, 0))), &error), qPrintable(error));
    QCOMPARE(fileLines(dir.path()), QStringList({"2026/12/07 09:25\t42\t2", "2026/12/07 09:30\t42\t1",
                                                 "2026/12/07 09:30\t-17\t1", "2026/12/08 00:00\t9\t200"}));
    QFile file(alarmFilePath(dir.path()));
    QVERIFY(file.open(QIODevice::ReadOnly));
    QVERIFY(file.readAll().endsWith("\t200\r\n"));

    AlarmList loaded;
    const AlarmLoadResult result = LoadAlarmList(loaded, dir.path());
    QVERIFY(result.ok());
    QVERIFY(result.value().isEmpty());
    QCOMPARE(loaded.entries(), list.entries());
}

void TestAlarmList::saveDropsPassedMinutesAndDeletesEmptyFile()
{
    QTemporaryDir dir;
    AlarmList list;
    list.add("2026/12/07 08:59", {1, 1});
    list.add("2026/12/07 09:00", {2, 1});
    QVERIFY(SaveAlarmList(list, dir.path(), QDateTime(kDay, QTime(9, 0, 45))));
    QCOMPARE(fileLines(dir.path()), QStringList{"2026/12/07 09:00\t2\t1"});

    // Every entry passed: nothing left to keep, the file goes.
    QVERIFY(SaveAlarmList(list, dir.path(), QDateTime(kDay, QTime(9, 1))));
    QVERIFY(!QFile::exists(alarmFilePath(dir.path())));

    // An empty list deletes it as well; a missing file is no failure.
    QVERIFY(SaveAlarmList(list, dir.path(), QDateTime(kDay, QTime(8, 0))));
    QVERIFY(QFile::exists(alarmFilePath(dir.path())));
    QVERIFY(SaveAlarmList(AlarmList(), dir.path(), QDateTime(kDay, QTime(8, 0))));
    QVERIFY(!QFile::exists(alarmFilePath(dir.path())));
    QVERIFY(SaveAlarmList(AlarmList(), dir.path(), QDateTime(kDay, QTime(8, 0))));
}

void TestAlarmList::loadReportsAndKeepsBadLines()
{
    QTemporaryDir dir;
    QVERIFY(writeFile(alarmFilePath(dir.path()), "2026/12/07 09:30\t42\t1\r\n"
                                                 "2026/12/07 09:30\tabc\t1\r\n"
                                                 "\r\n"
                                                 "yesterday\t43\t1\r\n"
                                                 "2026/12/07 09:00\r\n"
                                                 "2026/12/07 08:00\t44\t2\n"));
    AlarmList list;
    const AlarmLoadResult result = LoadAlarmList(list, dir.path());
    QVERIFY(result.ok());
    QCOMPARE(describe(list), QStringList({"2026/12/07 08:00 44 2", "2026/12/07 09:30 42 1"}));
    QCOMPARE(result.value().size(), 3);
    QVERIFY(result.value().at(0).contains(QStringLiteral("2 行目")));
    QVERIFY(result.value().at(1).contains(QStringLiteral("yesterday")));

    // Lines that name no alarm are told and written back as they were,
    // after the entries; a file of nothing else stays as it is.
    QVERIFY(SaveAlarmList(list, dir.path(), QDateTime(kDay, QTime(8, 30))));
    QCOMPARE(fileLines(dir.path()), QStringList({"2026/12/07 09:30\t42\t1", "2026/12/07 09:30\tabc\t1",
                                                 "yesterday\t43\t1", "2026/12/07 09:00"}));
    QVERIFY(writeFile(alarmFilePath(dir.path()), "nonsense\r\n2026/12/07 09:30\tabc\t1\r\n"));
    QCOMPARE(LoadAlarmList(list, dir.path())->size(), 2);
    QVERIFY(SaveAlarmList(list, dir.path(), QDateTime(kDay, QTime(8, 30))));
    QCOMPARE(fileLines(dir.path()), QStringList({"nonsense", "2026/12/07 09:30\tabc\t1"}));
}

void TestAlarmList::loadReadsKindTolerantly()
{
    QTemporaryDir dir;
    QVERIFY(writeFile(alarmFilePath(dir.path()), "2026/12/07 09:30\t1\r\n"
                                                 "2026/12/07 09:31\t2\tx\r\n"
                                                 "2026/12/07 09:32\t3\t300\r\n"
                                                 "2026/12/07 09:33\t-2147483648\t7\r\n"));
    AlarmList list;
    QVERIFY(LoadAlarmList(list, dir.path())->isEmpty());
    QCOMPARE(describe(list), QStringList({"2026/12/07 09:30 1 0", "2026/12/07 09:31 2 0",
                                          "2026/12/07 09:32 3 44", "2026/12/07 09:33 -2147483648 7"}));
}

void TestAlarmList::unreadableFileIsNotOverwritten()
{
    QTemporaryDir dir;
    QVERIFY(QDir(dir.path()).mkdir("alarm.nox")); // exists, but cannot be read as a file
    AlarmList list;
    const AlarmLoadResult result = LoadAlarmList(list, dir.path());
    QVERIFY(!result.ok());
    QVERIFY(!result.message().isEmpty());
    list.add("2026/12/07 10:00", {1, 1});
    QString error;
    QVERIFY(!toldStatus(SaveAlarmList(list, dir.path(), QDateTime(kDay, QTime(9, 0))), &error));
    QVERIFY(!error.isEmpty());
    QVERIFY(QFileInfo(alarmFilePath(dir.path())).isDir());
}

void TestAlarmList::saveFailureIsReported()
{
    QTemporaryDir dir;
    const QString notAFolder = dir.filePath("plain-file");
    QVERIFY(writeFile(notAFolder, "x"));
    AlarmList list;
    list.add("2026/12/07 10:00", {1, 1});
    QString error;
    QVERIFY(!toldStatus(SaveAlarmList(list, notAFolder, QDateTime(kDay, QTime(9, 0))), &error));
    QVERIFY(!error.isEmpty());
}

// Entries in another notation (a Kind "01", a fourth field) keep their bytes
// through a load and a save that adds an entry; stray lines, which name no
// schedule, are written back with their bytes after the entries.
void TestAlarmList::untouchedLinesKeepTheirBytes()
{
    const QList<QByteArray> kept{"2026/12/07 09:30\t42\t1",
                                 "2026/12/07 10:00\t-7\t01\t\xFF\x81"
                                 "extra",
                                 "2026/12/08 08:00\t43"};
    QTemporaryDir dir;
    for (quint32 seed = 1; seed <= 10; ++seed) {
        const QByteArray input = "\xEF\xBB\xBF" + test::withStrayLines(kept, seed);
        QList<QByteArray> stray = test::byteLinesOf(input.mid(3));
        for (const QByteArray& line : kept) {
            stray.removeOne(line);
        }
        QVERIFY(writeFile(alarmFilePath(dir.path()), input));
        AlarmList list;
        QVERIFY(LoadAlarmList(list, dir.path()).ok());
        list.add("2026/12/07 12:00", {44, akStart});
        QVERIFY(SaveAlarmList(list, dir.path(), QDateTime(kDay, QTime(9, 0))));

        QList<QByteArray> output = test::fileByteLines(alarmFilePath(dir.path()));
        QVERIFY(output[0].startsWith("\xEF\xBB\xBF"));
        output[0].remove(0, 3);
        QByteArray missing;
        QVERIFY2(test::takeAll(kept, output, &missing), missing.toHex().constData());
        QVERIFY2(test::takeAll(stray, output, &missing), missing.toHex().constData());
        QCOMPARE(output, QList<QByteArray>{"2026/12/07 12:00\t44\t1"});
    }
}

void TestAlarmList::faultKeepsTheOldFile_data()
{
    test::addWriteFaultRows();
}

void TestAlarmList::faultKeepsTheOldFile()
{
    QFETCH(int, step);
    QFETCH(int, err);
    QTemporaryDir dir;
    AlarmList list;
    UpdateScheduleAlarms(list, schedule(kDay, 20, 30, 42), amNew);
    const QDateTime now(kDay, QTime(8, 0));
    QVERIFY(SaveAlarmList(list, dir.path(), now));
    const QStringList before = fileLines(dir.path());
    UpdateScheduleAlarms(list, schedule(kDay, 22, 5, 43), amNew);
    const QString path = alarmFilePath(dir.path());
    setWriteFaultHook([&](const QString& p, WriteStep s) { return p == path && int(s) == step ? err : 0; });
    QString error;
    const bool saved = toldStatus(SaveAlarmList(list, dir.path(), now), &error);
    setWriteFaultHook({});
    QVERIFY(!saved);
    QVERIFY(error.contains(path) && error.contains(QString::fromLocal8Bit(strerror(err))));
    QCOMPARE(fileLines(dir.path()), before);
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"alarm.nox"});
}

// noxtool's sink: read, update, write back; a new schedule without an alarm
// leaves the file alone; a failed write is reported with the file.
void TestAlarmList::fileSinkUpdatesTheFileInOneGo()
{
    QTemporaryDir dir;
    QVERIFY(writeFile(alarmFilePath(dir.path()), "2026/12/07 08:00\t5\t1\r\n"));
    AlarmFileSink sink(dir.path());
    sink.clock = [] { return QDateTime(kDay, QTime(7, 0)); };
    QVERIFY(sink.UpdateScheduleAlarms({{schedule(kDay, 20, -1, 6), amNew}}).ok());
    QCOMPARE(fileLines(dir.path()), QStringList{"2026/12/07 08:00\t5\t1"});
    QVERIFY(
        sink.UpdateScheduleAlarms({{schedule(kDay, 20, 0, 6), amNew}, {schedule(kDay, 0, -1, 5), amRemoved}})
            .ok());
    QCOMPARE(fileLines(dir.path()), QStringList{"2026/12/07 10:00\t6\t1"});

    setWriteFaultHook([](const QString&, WriteStep step) { return step == WriteStep::Rename ? EACCES : 0; });
    const BookResult failed = sink.UpdateScheduleAlarms({{schedule(kDay, 22, 0, 7), amNew}});
    setWriteFaultHook({});
    QCOMPARE(failed.code(), BookStatus::Failed);
    QCOMPARE(failed.file(), alarmFilePath(dir.path()));
    QVERIFY(failed.message().contains(alarmFilePath(dir.path())));
    QCOMPARE(fileLines(dir.path()), QStringList{"2026/12/07 10:00\t6\t1"});
}

QTEST_GUILESS_MAIN(TestAlarmList)
#include "tst_alarmlist.moc"
