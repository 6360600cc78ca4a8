// noxtool ical import and export as a user runs them: exit codes, the
// summary, --dry-run, --skip-bad, standard input and -o.
#include <QtTest>

#include <QProcess>
#include <QTemporaryDir>

using namespace Qt::StringLiterals;

namespace
{

struct Run {
    int code = -1;
    QString out;
    QString err;
};

Run noxtool(const QStringList& args, const QByteArray& input = {})
{
    QProcess p;
    p.start(QStringLiteral(NOXTOOL_PATH), args);
    p.write(input);
    p.closeWriteChannel();
    p.waitForFinished(60000);
    return {p.exitCode(), QString::fromUtf8(p.readAllStandardOutput()),
            QString::fromUtf8(p.readAllStandardError())};
}

const QByteArray kGood =
    "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:x\r\n"
    "BEGIN:VEVENT\r\nUID:g1\r\nDTSTART:20261208T100000\r\nDTEND:20261208T110000\r\nSUMMARY:会議\r\n"
    "END:VEVENT\r\n";
const QByteArray kBad = "BEGIN:VEVENT\r\nUID:b1\r\nSUMMARY:壊れた\r\nEND:VEVENT\r\n";
const QByteArray kEnd = "END:VCALENDAR\r\n";

QStringList dayFiles(const QString& folder)
{
    return QDir(folder).entryList({"*.dat"}, QDir::Files);
}

} // namespace

class TestNoxtoolIcal : public QObject
{
    Q_OBJECT

private slots:
    void badEventStopsUnlessSkipped()
    {
        QTemporaryDir dir;
        QFile file(dir.filePath("in.ics"));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(kGood + kBad + kEnd);
        file.close();
        const QString data = dir.filePath("data");
        QVERIFY(QDir().mkpath(data));
        Run r = noxtool({"--data", data, "ical", "import", file.fileName()});
        QCOMPARE(r.code, 1);
        QVERIFY(r.out.contains(u"10 行目"_s));
        QVERIFY(r.err.contains(u"nothing was imported"_s));
        QVERIFY(dayFiles(data).isEmpty());

        r = noxtool({"--data", data, "ical", "import", "--dry-run", "--skip-bad", file.fileName()});
        QCOMPARE(r.code, 0);
        QVERIFY(dayFiles(data).isEmpty());

        r = noxtool({"--data", data, "ical", "import", "--skip-bad", file.fileName()});
        QCOMPARE(r.code, 0);
        QCOMPARE(dayFiles(data), QStringList{"20261208.dat"});
        r = noxtool({"--data", data, "ical", "import", "--skip-bad", file.fileName()});
        QVERIFY(r.out.contains(u"変更なし 1 件"_s));
        QCOMPARE(noxtool({"--data", data, "day", "2026-12-08"}).out.count(u"会議"_s), 1);
    }

    void standardInputAndExport()
    {
        QTemporaryDir dir;
        Run r = noxtool({"--data", dir.path(), "ical", "import", "--category", "外部", "-"}, kGood + kEnd);
        QCOMPARE(r.code, 0);
        r = noxtool({"--data", dir.path(), "ical", "export"});
        QCOMPARE(r.code, 0);
        QVERIFY(r.out.startsWith(u"BEGIN:VCALENDAR\r\n"_s));
        QVERIFY(r.out.contains(u"UID:g1\r\n"_s));
        QVERIFY(r.out.contains(u"CATEGORIES:外部\r\n"_s));
        const QString out = dir.filePath("out.ics");
        r = noxtool({"--data", dir.path(), "ical", "export", "--from", "2026-12-09", "-o", out});
        QCOMPARE(r.code, 0);
        QFile f(out);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QVERIFY(!f.readAll().contains("BEGIN:VEVENT"));
    }

    void usageAndFailures_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("code");
        QTest::newRow("no subcommand") << QStringList{"ical"} << 2;
        QTest::newRow("import without file") << QStringList{"ical", "import"} << 2;
        QTest::newRow("-o on import") << QStringList{"ical", "import", "x.ics", "-o", "y"} << 2;
        QTest::newRow("--dry-run on export") << QStringList{"ical", "export", "--dry-run"} << 2;
        QTest::newRow("--dry-run elsewhere") << QStringList{"day", "2026-12-08", "--dry-run"} << 2;
        QTest::newRow("bad date") << QStringList{"ical", "export", "--from", "2026-13-01"} << 2;
        QTest::newRow("missing file") << QStringList{"ical", "import", "/nonexistent/x.ics"} << 1;
        QTest::newRow("not a calendar") << QStringList{"ical", "import", NOXTOOL_PATH} << 1;
    }
    void usageAndFailures()
    {
        QFETCH(QStringList, args);
        QFETCH(int, code);
        QTemporaryDir dir;
        QCOMPARE(noxtool(QStringList{"--data", dir.path()} + args).code, code);
        QVERIFY(dayFiles(dir.path()).isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestNoxtoolIcal)
#include "tst_noxtoolical.moc"
