#include <QtTest>

#include <QStringEncoder>
#include <QTemporaryDir>

#include "../common/straylines.h"
#include "core/inifile.h"
#include "core/textfile.h"

using namespace nox;

class TestIniFile : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void missingFileGivesDefaults();
    void valuesAreVerbatim();
    void writeKeepsOrderAndUnknownLines();
    void newKeysAndSections();
    void matchingIgnoresCase();
    void typedReads_data();
    void typedReads();
    void colorsAndFloats();
    void sectionsAndDeletion();
    void legacyEncoding();
    void lineBreaksDoNotSplitEntries();
    void unreadableFileIsNotReplaced();
    void strayBytesSurviveWrites();

private:
    QStringList fileLines() { return readTextLines(m_path)->lines; }
    void writeFile(const QStringList& lines) { QVERIFY(writeTextLines(m_path, lines)); }
    QTemporaryDir m_dir;
    QString m_path;
};

void TestIniFile::init()
{
    m_path = m_dir.filePath("Nox.ini");
    QFile::remove(m_path);
}

void TestIniFile::missingFileGivesDefaults()
{
    IniFile ini(m_path);
    QCOMPARE(ini.readString("nox", "version", "x"), QStringLiteral("x"));
    QCOMPARE(ini.readInteger("window1", "width", 630), 630);
    QCOMPARE(ini.readBool("window1", "memo", true), true);
    QCOMPARE(ini.readColor("clock", "bkcolor", clBlack), clBlack);
    QVERIFY(!ini.sectionExists("nox"));
    QVERIFY(!QFile::exists(m_path));
    QVERIFY(ini.writeString("nox", "version", "2.05"));
    QCOMPARE(fileLines(), (QStringList{"[nox]", "version=2.05"}));
}

void TestIniFile::valuesAreVerbatim()
{
    IniFile ini(m_path);
    const QString popup = QStringLiteral("h\"時\"nn\"分\"");
    QVERIFY(ini.writeString("popupwindow", "format", popup));
    QVERIFY(ini.writeString("search", "Column0", "2,3,3"));
    QVERIFY(ini.writeString("x", "quoted", "\"a\"; b = c"));
    QCOMPARE(ini.readString("popupwindow", "format", ""), popup);
    QCOMPARE(ini.readString("search", "Column0", ""), QStringLiteral("2,3,3"));
    QCOMPARE(ini.readString("x", "quoted", ""), QStringLiteral("\"a\"; b = c"));
}

void TestIniFile::writeKeepsOrderAndUnknownLines()
{
    writeFile({"; comment", "[b]", "z=1", "junk line", "a=2", "", "[a]", "k = v"});
    IniFile ini(m_path);
    QVERIFY(ini.writeInteger("b", "Z", 5));
    QVERIFY(ini.writeString("a", "k", "w"));
    QCOMPARE(fileLines(), (QStringList{"; comment", "[b]", "z=5", "junk line", "a=2", "", "[a]", "k=w"}));
    QCOMPARE(ini.readSection("b"), (QStringList{"z", "a"}));
}

void TestIniFile::newKeysAndSections()
{
    writeFile({"[one]", "a=1", "", "[two]", "b=2"});
    IniFile ini(m_path);
    QVERIFY(ini.writeString("one", "c", "3"));
    QVERIFY(ini.writeString("three", "d", "4"));
    QCOMPARE(fileLines(), (QStringList{"[one]", "a=1", "c=3", "", "[two]", "b=2", "[three]", "d=4"}));
}

void TestIniFile::matchingIgnoresCase()
{
    writeFile({"[MonthView]", "mvdefaulttime=20", "[monthview]", "MVDefaultTime=99"});
    IniFile ini(m_path);
    // The first section and the first key of that name win.
    QCOMPARE(ini.readInteger("monthview", "MVDefaultTime", 18), 20);
    QVERIFY(ini.writeInteger("MONTHVIEW", "MVDEFAULTTIME", 21));
    QCOMPARE(fileLines().at(1), QStringLiteral("mvdefaulttime=21"));
}

void TestIniFile::typedReads_data()
{
    QTest::addColumn<QString>("stored");
    QTest::addColumn<int>("asInt");
    QTest::addColumn<bool>("asBool");
    QTest::newRow("decimal") << "42" << 42 << true;
    QTest::newRow("negative") << "-3" << -3 << true;
    QTest::newRow("zero") << "0" << 0 << false;
    QTest::newRow("hex") << "$10" << 16 << true;
    QTest::newRow("true is no number") << "true" << 7 << true;
    QTest::newRow("list") << "2,3,3" << 7 << true;
    QTest::newRow("empty") << "" << 7 << true;
    QTest::newRow("too big") << "99999999999" << 7 << true;
}

void TestIniFile::typedReads()
{
    QFETCH(QString, stored);
    QFETCH(int, asInt);
    QFETCH(bool, asBool);
    writeFile({"[s]", "k=" + stored});
    IniFile ini(m_path);
    QCOMPARE(ini.readInteger("s", "k", 7), asInt);
    QCOMPARE(ini.readBool("s", "k", true), asBool);
}

void TestIniFile::colorsAndFloats()
{
    IniFile ini(m_path);
    QVERIFY(ini.writeColor("clock", "bkcolor", clBlack));
    QVERIFY(ini.writeColor("popupwindow", "bkcolor", 0x009DFFFF));
    QVERIFY(ini.writeFloat("search", "sdate", 37685.5));
    QCOMPARE(ini.readString("clock", "bkcolor", ""), QStringLiteral("clBlack"));
    QCOMPARE(ini.readString("popupwindow", "bkcolor", ""), QStringLiteral("$009DFFFF"));
    QCOMPARE(ini.readColor("popupwindow", "bkcolor", clRed), TColor(0x009DFFFF));
    QCOMPARE(ini.readFloat("search", "sdate", 0), 37685.5);
    QVERIFY(ini.writeString("clock", "fgcolor", "nonsense"));
    QCOMPARE(ini.readColor("clock", "fgcolor", clYellow), clYellow);
    QCOMPARE(ini.readFloat("clock", "fgcolor", 1.5), 1.5);
}

void TestIniFile::sectionsAndDeletion()
{
    writeFile({"[search]", "keyword1=a", "endclose=1", "keyword2=b", "[clock]", "left=5"});
    IniFile ini(m_path);
    QVERIFY(ini.sectionExists("SEARCH"));
    QVERIFY(ini.deleteKey("search", "keyword1"));
    QVERIFY(ini.deleteKey("search", "keyword2"));
    QVERIFY(ini.deleteKey("search", "keyword3"));
    QCOMPARE(fileLines(), (QStringList{"[search]", "endclose=1", "[clock]", "left=5"}));
    QVERIFY(ini.eraseSection("search"));
    QCOMPARE(fileLines(), (QStringList{"[clock]", "left=5"}));
    QVERIFY(!ini.sectionExists("search"));
    QVERIFY(ini.readSection("search").isEmpty());
}

void TestIniFile::legacyEncoding()
{
    QStringEncoder sjis("CP932");
    QVERIFY(writeFileAtomic(m_path, sjis.encode(QStringLiteral("[search]\r\nlayout=サンプル\r\n"))));
    IniFile ini(m_path);
    QCOMPARE(ini.readString("search", "layout", ""), QStringLiteral("サンプル"));
    QVERIFY(ini.writeInteger("search", "endclose", 0));
    QCOMPARE(ini.readString("search", "layout", ""), QStringLiteral("サンプル"));
}

void TestIniFile::lineBreaksDoNotSplitEntries()
{
    IniFile ini(m_path);
    QVERIFY(ini.writeString("s", "k", "a\r\n[evil]\nb=c"));
    QVERIFY(!ini.sectionExists("evil"));
    QCOMPARE(ini.readSection("s"), QStringList{"k"});
}

void TestIniFile::unreadableFileIsNotReplaced()
{
    QVERIFY(QDir(m_dir.path()).mkdir("folder.ini"));
    IniFile ini(m_dir.filePath("folder.ini"));
    QCOMPARE(ini.readInteger("a", "b", 3), 3);
    QVERIFY(!ini.writeInteger("a", "b", 4));
    QVERIFY(QFileInfo(ini.path()).isDir());
}

// A line that is not text (as "Nox.ini" or "style.ini" may hold after a bad
// copy) and a Shift-JIS value are left as they are when other keys change.
void TestIniFile::strayBytesSurviveWrites()
{
    QStringEncoder sjis("CP932");
    const QList<QByteArray> kept{"[window1]",
                                 "left=10",
                                 "top=\x82\xA0\xFF",
                                 "[search]",
                                 sjis.encode(QStringLiteral("layout=サンプル")),
                                 "; \xFE comment"};
    for (quint32 seed = 1; seed <= 10; ++seed) {
        const QByteArray input = test::withStrayLines(kept, seed) + "[sked]\r\ncount=5\r\n";
        QVERIFY(writeFileAtomic(m_path, input));
        IniFile ini(m_path);
        QVERIFY(ini.writeInteger("sked", "count", 7));
        QVERIFY(ini.writeInteger("window1", "left", 10)); // unchanged value: the line stays
        QVERIFY(ini.writeString("clock", "format", "hh:nn"));
        QCOMPARE(ini.readString("search", "layout", ""), QStringLiteral("サンプル"));

        QList<QByteArray> output = test::fileByteLines(m_path);
        QByteArray missing;
        QVERIFY2(test::takeAll(test::byteLinesOf(input.chopped(9)), output, &missing),
                 missing.toHex().constData());
        QCOMPARE(output, (QList<QByteArray>{"count=7", "[clock]", "format=hh:nn"}));
    }
}

QTEST_GUILESS_MAIN(TestIniFile)
#include "tst_inifile.moc"
