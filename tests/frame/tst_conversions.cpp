#include <QDir>
#include <QFile>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QTest>

#include "app/conversions.h"
#include "core/inifile.h"
#include "core/textfile.h"
#include "store/skedrec.h"

using namespace nox;
using namespace nox::conversions;

namespace
{

void writeBytes(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
}

// Old files were written in the legacy code page with CR LF.
QByteArray legacyFile(const QStringList& lines)
{
    QStringEncoder encoder("CP932");
    QByteArray bytes;
    for (const QString& line : lines) {
        bytes += encoder.encode(line) + "\r\n";
    }
    return bytes;
}

QStringList readLines(const QString& path)
{
    const TextReadResult r = readTextLines(path);
    return r->lines;
}

} // namespace

class TestConversions : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void styleFontGate_data();
    void styleFontGate();
    void beta5Gate_data();
    void beta5Gate();
    void dayFileGate_data();
    void dayFileGate();
    void styleFontsTahomaOnly();
    void beta5DeletesHistoryAndRenamesHolidays();
    void beta5KeepsExistingHolidayList();
    void updatePassRenumbersAndPads();
    void updatePassMovesAlarms();
    void runPicksConversionsByVersion();

private:
    QString path(const QString& name) const { return m_dir->filePath(name); }
    std::unique_ptr<QTemporaryDir> m_dir;
};

void TestConversions::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
}

void TestConversions::styleFontGate_data()
{
    QTest::addColumn<QString>("version");
    QTest::addColumn<bool>("runs");
    QTest::newRow("no settings file") << QString() << false;
    QTest::newRow("0.92") << QStringLiteral("0.92") << true;
    QTest::newRow("0") << QStringLiteral("0") << true;
    QTest::newRow("1.00") << QStringLiteral("1.00") << false;
    QTest::newRow("2.00β5") << QStringLiteral("2.00β5") << false;
    QTest::newRow("not a digit counts as 1") << QStringLiteral("v0.9") << false;
}

void TestConversions::styleFontGate()
{
    QFETCH(QString, version);
    QFETCH(bool, runs);
    QCOMPARE(needsStyleFontConversion(version), runs);
}

void TestConversions::beta5Gate_data()
{
    QTest::addColumn<QString>("version");
    QTest::addColumn<bool>("runs");
    QTest::newRow("no settings file") << QString() << true;
    QTest::newRow("1.50") << QStringLiteral("1.50") << true;
    QTest::newRow("2.00 itself") << QStringLiteral("2.00") << false;
    QTest::newRow("2.00β4") << QStringLiteral("2.00β4") << true;
    QTest::newRow("2.00β5") << QStringLiteral("2.00β5") << false;
    QTest::newRow("2.00β6") << QStringLiteral("2.00β6") << false;
    QTest::newRow("2.00a sorts below β") << QStringLiteral("2.00a") << true;
    QTest::newRow("2.01") << QStringLiteral("2.01") << false;
    QTest::newRow("2.05") << QStringLiteral("2.05") << false;
}

void TestConversions::beta5Gate()
{
    QFETCH(QString, version);
    QFETCH(bool, runs);
    QCOMPARE(needsBeta5Conversion(version), runs);
}

void TestConversions::dayFileGate_data()
{
    QTest::addColumn<QString>("version");
    QTest::addColumn<bool>("runs");
    QTest::newRow("empty") << QString() << false;
    QTest::newRow("1.99") << QStringLiteral("1.99") << false;
    QTest::newRow("2.00") << QStringLiteral("2.00") << true;
    QTest::newRow("2") << QStringLiteral("2") << true;
    QTest::newRow("2.03") << QStringLiteral("2.03") << true;
    QTest::newRow("2.04") << QStringLiteral("2.04") << true;
    QTest::newRow("2.041") << QStringLiteral("2.041") << false;
    QTest::newRow("2.05") << QStringLiteral("2.05") << false;
    QTest::newRow("2.00β5") << QStringLiteral("2.00β5") << false;
    QTest::newRow("exponent") << QStringLiteral("2e0") << false;
}

void TestConversions::dayFileGate()
{
    QFETCH(QString, version);
    QFETCH(bool, runs);
    QCOMPARE(needsDayFileUpdate(version), runs);
}

void TestConversions::styleFontsTahomaOnly()
{
    const QString style = path(QStringLiteral("style.ini"));
    QVERIFY(!convertStyleFonts(style));
    QVERIFY(!QFile::exists(style)); // a missing file is not created

    writeBytes(style, legacyFile({QStringLiteral("[Style1]"), QStringLiteral("FontSize=8"),
                                  QStringLiteral("FontName=Tahoma"), QStringLiteral("Color=clWindow"),
                                  QStringLiteral("[Style2]"), QStringLiteral("FontSize=10"),
                                  QStringLiteral("FontName=ＭＳ ゴシック"), QStringLiteral("[Style3]"),
                                  QStringLiteral("FontName=TAHOMA"), QStringLiteral("FontSize=11")}));
    QVERIFY(convertStyleFonts(style));
    IniFile ini(style);
    QCOMPARE(ini.readString(QStringLiteral("Style1"), QStringLiteral("FontName"), {}),
             QStringLiteral("ＭＳ Ｐゴシック"));
    QCOMPARE(ini.readInteger(QStringLiteral("Style1"), QStringLiteral("FontSize"), 0), 9);
    QCOMPARE(ini.readString(QStringLiteral("Style1"), QStringLiteral("Color"), {}),
             QStringLiteral("clWindow"));
    QCOMPARE(ini.readString(QStringLiteral("Style2"), QStringLiteral("FontName"), {}),
             QStringLiteral("ＭＳ ゴシック"));
    QCOMPARE(ini.readInteger(QStringLiteral("Style2"), QStringLiteral("FontSize"), 0), 10);
    QCOMPARE(ini.readString(QStringLiteral("Style3"), QStringLiteral("FontName"), {}),
             QStringLiteral("ＭＳ Ｐゴシック"));
    QCOMPARE(ini.readInteger(QStringLiteral("Style3"), QStringLiteral("FontSize"), 0), 9);
    // Nothing left to convert the second time.
    QVERIFY(!convertStyleFonts(style));
}

void TestConversions::beta5DeletesHistoryAndRenamesHolidays()
{
    QStringList lines{QStringLiteral("[nox]"), QStringLiteral("version=1.50"), QStringLiteral("[search]"),
                      QStringLiteral("layout=サンプル")};
    for (int i = 1; i <= 21; ++i) {
        lines << QStringLiteral("keyword%1=語%1").arg(i);
    }
    lines << QStringLiteral("endclose=0");
    writeBytes(path(QStringLiteral("Nox.ini")), legacyFile(lines));
    writeBytes(path(QStringLiteral("holiday.nox")), legacyFile({QStringLiteral("2003/01/01\t元日")}));

    const Beta5Result r = convertToBeta5(path(QStringLiteral("Nox.ini")), m_dir->path());
    QCOMPARE(r.keywordsDeleted, 20);
    QVERIFY(r.holidayRenamed);
    IniFile ini(path(QStringLiteral("Nox.ini")));
    QCOMPARE(
        ini.readSection(QStringLiteral("search")),
        QStringList({QStringLiteral("layout"), QStringLiteral("keyword21"), QStringLiteral("endclose")}));
    QCOMPARE(ini.readString(QStringLiteral("nox"), QStringLiteral("version"), {}), QStringLiteral("1.50"));
    QVERIFY(!QFile::exists(path(QStringLiteral("holiday.nox"))));
    QCOMPARE(readLines(path(QStringLiteral("holiday.txt"))), QStringList(QStringLiteral("2003/01/01\t元日")));
}

void TestConversions::beta5KeepsExistingHolidayList()
{
    writeBytes(path(QStringLiteral("holiday.nox")), "old\r\n");
    writeBytes(path(QStringLiteral("holiday.txt")), "new\r\n");
    const Beta5Result r = convertToBeta5(path(QStringLiteral("Nox.ini")), m_dir->path());
    QVERIFY(!r.holidayRenamed);
    QCOMPARE(r.keywordsDeleted, 0);
    QVERIFY(!QFile::exists(path(QStringLiteral("Nox.ini"))));
    QCOMPARE(readLines(path(QStringLiteral("holiday.txt"))), QStringList(QStringLiteral("new")));
    QCOMPARE(readLines(path(QStringLiteral("holiday.nox"))), QStringList(QStringLiteral("old")));
}

void TestConversions::updatePassRenumbersAndPads()
{
    // Version 2.0x data: ten fields, IDs not unique, legacy code page.
    const QString tenA = QStringLiteral("16\t18\tclWindowText\tclWindowText\t1\t-1\t0\t\t会議\t");
    const QString tenB = QStringLiteral("20\t21\t$000000FF\tclBlack\t0\t2\t0\tメモ#13#10二行目\t昼食\t私用");
    const QString eleven = QStringLiteral("2\t3\tclBlack\tclBlack\t0\t-1\t77\t\t朝\t\t5");
    const QString garbage = QStringLiteral("これは予定ではない");
    const QString shortLine = QStringLiteral("16\t18\tclBlack\tclBlack\t0\t-1\t5\tmemo");
    const QString full =
        QStringLiteral("30\t31\tclRed\tclRed\t4\t-1\t123\t\t夕方\t\t-1\thttp://example.org/\t1");
    writeBytes(path(QStringLiteral("20030305.dat")), legacyFile({tenA, garbage, tenB, shortLine, eleven}));
    writeBytes(path(QStringLiteral("20030304.dat")), legacyFile({full}));
    writeBytes(path(QStringLiteral("notes.dat")), "16\t18\tx\r\n");

    QList<int> begins, steps;
    int ends = 0;
    UpdateProgress progress;
    progress.begin = [&](int total) { begins.append(total); };
    progress.step = [&](int done) { steps.append(done); };
    progress.end = [&] { ++ends; };
    const DayFileUpdateResult r = updateDayFiles(m_dir->path(), progress);

    QCOMPARE(begins, QList<int>({2}));
    QCOMPARE(steps, QList<int>({1, 2}));
    QCOMPARE(ends, 1);
    QCOMPARE(r.files, 2);
    QCOMPARE(r.linesRenumbered, 4);
    QCOMPARE(r.linesKept, 2);
    QVERIFY(r.failedFiles.isEmpty());

    // One counter over the files in date order, counting every line.
    QCOMPARE(
        readLines(path(QStringLiteral("20030304.dat"))),
        QStringList(QStringLiteral("30\t31\tclRed\tclRed\t4\t-1\t1\t\t夕方\t\t-1\thttp://example.org/\t1")));
    const QStringList day = readLines(path(QStringLiteral("20030305.dat")));
    QCOMPARE(day.size(), 5);
    QCOMPARE(day[0], QStringLiteral("16\t18\tclWindowText\tclWindowText\t1\t-1\t2\t\t会議\t\t\t\t"));
    QCOMPARE(day[1], garbage);
    QCOMPARE(day[2],
             QStringLiteral("20\t21\t$000000FF\tclBlack\t0\t2\t4\tメモ#13#10二行目\t昼食\t私用\t\t\t"));
    QCOMPARE(day[3], shortLine);
    QCOMPARE(day[4], QStringLiteral("2\t3\tclBlack\tclBlack\t0\t-1\t6\t\t朝\t\t5\t\t"));
    for (int i : {0, 2, 4}) {
        TSkedRec rec;
        QVERIFY(parseSkedLine(day[i], QDate(2003, 3, 5), &rec).ok());
        QCOMPARE(day[i].split(QLatin1Char('\t')).size(), 13);
    }
    // A file that is no day file is not touched.
    QFile notes(path(QStringLiteral("notes.dat")));
    QVERIFY(notes.open(QIODevice::ReadOnly));
    QCOMPARE(notes.readAll(), QByteArray("16\t18\tx\r\n"));
}

void TestConversions::updatePassMovesAlarms()
{
    // Schedule 0 on 5 March at 9:00 with a 30-minute reminder; schedule 0 on
    // 6 March at 0:00 whose reminder falls on 5 March 23:50; schedule 7 twice.
    writeBytes(path(QStringLiteral("20030305.dat")),
               legacyFile({QStringLiteral("18\t19\tclBlack\tclBlack\t0\t-1\t0\t\tA\t\t30"),
                           QStringLiteral("20\t21\tclBlack\tclBlack\t0\t-1\t7\t\tB\t\t0"),
                           QStringLiteral("22\t23\tclBlack\tclBlack\t0\t-1\t7\t\tC\t\t0")}));
    writeBytes(path(QStringLiteral("20030306.dat")),
               legacyFile({QStringLiteral("0\t1\tclBlack\tclBlack\t0\t-1\t9\t\tD\t\t10")}));
    writeBytes(path(QStringLiteral("alarm.nox")),
               legacyFile({QStringLiteral("2003/03/05 08:30\t0\t2"), QStringLiteral("2003/03/05 09:00\t0\t1"),
                           QStringLiteral("2003/03/05 10:00\t7\t1"), QStringLiteral("2003/03/05 23:50\t9\t2"),
                           QStringLiteral("2003/03/06 00:00\t9\t1"),
                           QStringLiteral("2003/03/07 00:00\t42\t1"), QStringLiteral("broken line")}));
    const DayFileUpdateResult r = updateDayFiles(m_dir->path());
    QCOMPARE(r.linesRenumbered, 4);
    QCOMPARE(r.alarmsRemapped, 5);
    // New IDs: A 1, B 2, C 3 (5 March), D 4 (6 March). The first line with an
    // old ID is the one an alarm finds, so entry 7 follows B.
    QCOMPARE(readLines(path(QStringLiteral("alarm.nox"))),
             QStringList({QStringLiteral("2003/03/05 08:30\t1\t2"), QStringLiteral("2003/03/05 09:00\t1\t1"),
                          QStringLiteral("2003/03/05 10:00\t2\t1"), QStringLiteral("2003/03/05 23:50\t4\t2"),
                          QStringLiteral("2003/03/06 00:00\t4\t1"), QStringLiteral("2003/03/07 00:00\t42\t1"),
                          QStringLiteral("broken line")}));
}

void TestConversions::runPicksConversionsByVersion()
{
    const QString line = QStringLiteral("16\t18\tclBlack\tclBlack\t0\t-1\t0\t\t会議\t");
    const auto prepare = [&] {
        writeBytes(path(QStringLiteral("20240101.dat")), legacyFile({line}));
        writeBytes(path(QStringLiteral("Nox.ini")),
                   legacyFile({QStringLiteral("[search]"), QStringLiteral("keyword1=a")}));
    };

    prepare();
    ConversionResult r = runConversions(QStringLiteral("2.00"), m_dir->path());
    QVERIFY(!r.beta5Ran);
    QVERIFY(r.dayFilesUpdated);
    QCOMPARE(readLines(path(QStringLiteral("20240101.dat"))).first().split(QLatin1Char('\t')).size(), 13);
    QVERIFY(
        IniFile(path(QStringLiteral("Nox.ini"))).readSection(QStringLiteral("search")).contains("keyword1"));

    for (const QString& version : {QStringLiteral("2.05"), QStringLiteral("2.00β5")}) {
        prepare();
        r = runConversions(version, m_dir->path());
        QVERIFY(!r.styleFontsConverted && !r.beta5Ran && !r.dayFilesUpdated);
        QCOMPARE(readLines(path(QStringLiteral("20240101.dat"))), QStringList(line));
    }

    prepare();
    r = runConversions(QString(), m_dir->path());
    QVERIFY(r.beta5Ran && !r.dayFilesUpdated && !r.styleFontsConverted);
    QCOMPARE(r.beta5.keywordsDeleted, 1);
}

QTEST_GUILESS_MAIN(TestConversions)
#include "tst_conversions.moc"
