#include <QtTest>

#include <QSet>
#include <QTemporaryDir>

#include "core/noxsettings.h"
#include "core/settings.h"
#include "core/textfile.h"

using namespace nox;

Q_DECLARE_METATYPE(nox::Key)

class TestSettings : public QObject
{
    Q_OBJECT
private slots:
    void tableIsComplete();
    void noDuplicateKeys();
    void defaultsAreWellFormed();
    void missingFileGivesTableDefaults();
    void defaultsRoundTrip();
    void callerDefaultsAndDates();
    void oldSearchKeywordsGo();
    void outOfRangeNumbersReadAsDefault_data();
    void outOfRangeNumbersReadAsDefault();
};

void TestSettings::tableIsComplete()
{
    QCOMPARE(allSettings().size(), int(Key::Count));
    for (int i = 0; i < int(Key::Count); ++i) {
        QCOMPARE(int(allSettings()[i].id), i);
    }
}

void TestSettings::noDuplicateKeys()
{
    QSet<QString> seen;
    for (const SettingDef& d : allSettings()) {
        // The file matches names without regard to case.
        const QString name = (QString::fromLatin1(d.section) + "/" + QString::fromLatin1(d.key)).toLower();
        QVERIFY2(!seen.contains(name), qPrintable(name));
        seen.insert(name);
    }
}

void TestSettings::defaultsAreWellFormed()
{
    for (const SettingDef& d : allSettings()) {
        const QString text = QString::fromUtf8(d.defaultText);
        const QByteArray where = QByteArray(d.section) + "/" + d.key;
        bool ok = true;
        switch (d.type) {
        case SettingType::Int:
            ok = text.toInt(&ok) >= d.low && text.toInt() <= d.high && ok;
            break;
        case SettingType::Bool:
            ok = text == u"0" || text == u"1";
            break;
        case SettingType::Color: {
            TColor c;
            ok = stringToColor(text, &c) && colorToString(c) == text;
            break;
        }
        case SettingType::Date:
            ok = text.isEmpty() && d.hasRuntimeDefault;
            break;
        default:
            break;
        }
        QVERIFY2(ok, where.constData());
    }
}

void TestSettings::missingFileGivesTableDefaults()
{
    QTemporaryDir dir;
    const Settings s(dir.filePath("Nox.ini"));
    QCOMPARE(s.readString(Key::NoxVersion), QString());
    QCOMPARE(s.readInt(Key::Window1Width), 630);
    QCOMPARE(s.readBool(Key::Window1Memo), true);
    QCOMPARE(s.readInt(Key::MonthViewDefaultTime), 18);
    QCOMPARE(s.readColor(Key::SearchSearchColorValue), TColor(0x00FFE9D7));
    QCOMPARE(s.readColor(Key::PopupBkColor), TColor(0x009DFFFF));
    QCOMPARE(s.readColor(Key::ClockFgColor), clYellow);
    QCOMPARE(s.readString(Key::PopupFormat), QStringLiteral("h\"時\"nn\"分\""));
    QCOMPARE(s.readString(Key::SearchLayout), QStringLiteral("サンプル"));
    QCOMPARE(s.readInt(Key::SearchColumn3), 194);
    QVERIFY(!QFile::exists(s.path()));
}

void TestSettings::defaultsRoundTrip()
{
    QTemporaryDir dir;
    Settings s(dir.filePath("Nox.ini"));
    for (const SettingDef& d : allSettings()) {
        const QByteArray where = QByteArray(d.section) + "/" + d.key;
        switch (d.type) {
        case SettingType::Int:
            QVERIFY(s.writeInt(d.id, defaultInt(d.id)));
            QVERIFY2(s.readInt(d.id, -12345) == defaultInt(d.id), where);
            break;
        case SettingType::Bool:
            QVERIFY(s.writeBool(d.id, defaultBool(d.id)));
            QVERIFY2(s.readBool(d.id, !defaultBool(d.id)) == defaultBool(d.id), where);
            break;
        case SettingType::Color:
            QVERIFY(s.writeColor(d.id, defaultColor(d.id)));
            QVERIFY2(s.readColor(d.id, clNone) == defaultColor(d.id), where);
            break;
        case SettingType::Date:
            QVERIFY(s.writeDate(d.id, QDate(2003, 3, 5)));
            QVERIFY2(s.readDate(d.id, QDate()) == QDate(2003, 3, 5), where);
            continue;
        default:
            QVERIFY(s.writeString(d.id, defaultString(d.id)));
            QVERIFY2(s.readString(d.id, "?") == defaultString(d.id), where);
            break;
        }
        // What lands in the file is the table's text.
        QVERIFY2(IniFile(s.path()).readString(d.section, d.key, "?") == defaultString(d.id), where);
    }
    // Every key once, nothing lost on the way.
    int keyLines = 0;
    const TextReadResult read = readTextLines(s.path());
    for (const QString& line : read->lines) {
        keyLines += line.contains(u'=') ? 1 : 0;
    }
    QCOMPARE(keyLines, int(Key::Count));
}

void TestSettings::callerDefaultsAndDates()
{
    QTemporaryDir dir;
    Settings s(dir.filePath("Nox.ini"));
    QCOMPARE(s.readInt(Key::SearchLeft, 108), 108);
    QCOMPARE(s.readDate(Key::SearchSDate, QDate(2026, 12, 7)), QDate(2026, 12, 7));
    QVERIFY(s.writeDate(Key::SearchEDate, QDate(2026, 1, 2)));
    QCOMPARE(s.readString(Key::SearchEDate), QStringLiteral("2026/01/02"));
    QVERIFY(s.writeString(Key::SearchSDate, "2026/1/3"));
    QCOMPARE(s.readDate(Key::SearchSDate, QDate()), QDate(2026, 1, 3));
    QVERIFY(s.writeString(Key::SearchSDate, "2026/13/3"));
    QCOMPARE(s.readDate(Key::SearchSDate, QDate(2000, 1, 1)), QDate(2000, 1, 1));
    QVERIFY(s.writeString(Key::ClockBkColor, ""));
    QCOMPARE(s.readColor(Key::ClockBkColor), clBlack);
}

void TestSettings::oldSearchKeywordsGo()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("Nox.ini");
    QVERIFY(writeTextLines(path, {"[search]", "keyword1=a", "layout=x", "keyword20=b", "keyword21=c"}));
    Settings s(path);
    QVERIFY(s.deleteOldSearchKeywords());
    QCOMPARE(readTextLines(path)->lines, (QStringList{"[search]", "layout=x", "keyword21=c"}));
}

void TestSettings::outOfRangeNumbersReadAsDefault_data()
{
    QTest::addColumn<Key>("key");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("expected"); // the default when out of range

    QTest::newRow("leftdate lowest int") << Key::SkedLeftDate << "-2147483648" << 0;
    QTest::newRow("leftdate a year back") << Key::SkedLeftDate << "-365" << -365;
    QTest::newRow("leftdate past a year") << Key::SkedLeftDate << "366" << 0;
    QTest::newRow("count 0") << Key::SkedCount << "0" << 5;
    QTest::newRow("count 7") << Key::SkedCount << "7" << 7;
    QTest::newRow("count 8") << Key::SkedCount << "8" << 5;
    QTest::newRow("style 3") << Key::SkedStyle << "3" << 0;
    QTest::newRow("topindex 48") << Key::SkedTopIndex << "48" << 16;
    QTest::newRow("topindex 47") << Key::SkedTopIndex << "47" << 47;
    QTest::newRow("viewmode 0") << Key::Window1ViewMode << "0" << 1;
    QTest::newRow("windowstate -1") << Key::Window1WindowState << "-1" << 0;
    QTest::newRow("width 0") << Key::Window1Width << "0" << 630;
    QTest::newRow("width beyond any screen") << Key::Window1Width << "99999" << 630;
    QTest::newRow("left far off") << Key::Window1Left << "-2147483648" << 0;
    QTest::newRow("left off the left edge") << Key::Window1Left << "-200" << -200;
    QTest::newRow("MVDefaultTime 48") << Key::MonthViewDefaultTime << "48" << 18;
    QTest::newRow("noneskeddate 3") << Key::SearchNoneSkedDate << "3" << 1;
    QTest::newRow("search column huge") << Key::SearchColumn3 << "$7FFFFFFF" << 194;
    QTest::newRow("clock font size 0") << Key::ClockFontSize << "0" << 9;
    QTest::newRow("clock corner 4") << Key::ClockFixedPosIndex << "4" << 3;
    QTest::newRow("popup pos -1") << Key::PopupPos << "-1" << 3;
    QTest::newRow("popup height huge") << Key::PopupHeight << "4294967295" << 120;
    QTest::newRow("free memo width -5") << Key::TempMemoWidth << "-5" << 300;
    QTest::newRow("free memo state 9") << Key::TempMemoWindowState << "9" << 0;
}

// A number no screen, list or calendar has room for reads as the key's
// default: a damaged or hand-edited file never shows the year -5877585 nor
// saves a schedule in it.
void TestSettings::outOfRangeNumbersReadAsDefault()
{
    QFETCH(Key, key);
    QFETCH(QString, text);
    QFETCH(int, expected);
    QTemporaryDir dir;
    Settings s(dir.filePath("Nox.ini"));
    QVERIFY(s.writeString(key, text));
    QCOMPARE(s.readInt(key), expected);

    // The running values take the same reading.
    TNoxSettings running;
    running.readWindow(s);
    running.readStartup(s);
    if (key == Key::SkedLeftDate) {
        QCOMPARE(running.leftDate, expected);
    } else if (key == Key::SkedCount) {
        QCOMPARE(running.count, expected);
    }

    // Dates of the settings lie within 1900..9999.
    QVERIFY(s.writeString(Key::SearchSDate, "0001/01/01"));
    QCOMPARE(s.readDate(Key::SearchSDate, QDate(2026, 12, 8)), QDate(2026, 12, 8));
    QVERIFY(s.writeString(Key::SearchSDate, "1899/12/31"));
    QCOMPARE(s.readDate(Key::SearchSDate, QDate(2026, 12, 8)), QDate(2026, 12, 8));
    QVERIFY(s.writeString(Key::SearchSDate, "1900/01/01"));
    QCOMPARE(s.readDate(Key::SearchSDate, QDate()), QDate(1900, 1, 1));
    QVERIFY(s.writeString(Key::SearchEDate, "9999/12/31"));
    QCOMPARE(s.readDate(Key::SearchEDate, QDate()), QDate(9999, 12, 31));
}

QTEST_GUILESS_MAIN(TestSettings)
#include "tst_settings.moc"
