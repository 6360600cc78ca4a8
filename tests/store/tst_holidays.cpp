// Holidays, day names and kinds, categories.
#include "../common/straylines.h"
#include "store/categories.h"
#include "store/daykind.h"
#include "store/holidayrows.h"
#include "store/holidays.h"

#include <QFile>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QTest>

using namespace nox;

namespace
{

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
}

QByteArray readFile(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

class TstHolidays : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_data;
    QString m_default;

private slots:
    void init()
    {
        static int n = 0;
        m_data = m_dir.filePath(QStringLiteral("data%1").arg(n));
        m_default = m_dir.filePath(QStringLiteral("default%1").arg(n++));
        QDir().mkpath(m_data);
        QDir().mkpath(m_default);
    }

    void linesWithoutTabIgnoredNameKeepsLaterTabs()
    {
        writeFile(m_data + "/holiday.txt", QString::fromUtf8("2026/11/23\t勤労感謝の日\r\n"
                                                             "no tab here\r\n"
                                                             "\r\n"
                                                             "2026/01/01\t元日\tおめでとう\r\n")
                                               .toUtf8());
        HolidayList list;
        const ListFileResult r = list.load(m_data, m_default);
        QVERIFY(r.ok());
        QCOMPARE(r->ignoredLines, 1);
        QCOMPARE(list.count(), 2);
        QCOMPARE(list.keys(), QStringList({"2026/01/01", "2026/11/23"})); // sorted
        QCOMPARE(list.name(QDate(2026, 1, 1)), QString::fromUtf8("元日\tおめでとう"));
    }

    void defaultFolderUsedThenSavedToData()
    {
        writeFile(m_default + "/holiday.txt",
                  QString::fromUtf8("2026/05/05\tこどもの日\n2026/05/03\t憲法記念日\n").toUtf8());
        HolidayList list;
        QCOMPARE(list.load(m_data, m_default)->source, m_default + "/holiday.txt");
        QCOMPARE(list.count(), 2);
        QVERIFY(list.save(m_data).ok());
        QCOMPARE(readFile(m_data + "/holiday.txt"),
                 QString::fromUtf8("2026/05/03\t憲法記念日\r\n2026/05/05\tこどもの日\r\n").toUtf8());
        HolidayList again;
        QCOMPARE(again.load(m_data, m_default)->source, m_data + "/holiday.txt");
        QCOMPARE(again.toLines(), list.toLines());
    }

    void neitherFileLeavesEmpty()
    {
        HolidayList list;
        list.add("2000/01/01", "x");
        const ListFileResult r = list.load(m_data, m_default);
        QVERIFY(r.ok());
        QVERIFY(r->source.isEmpty());
        QVERIFY(list.isEmpty());
    }

    void legacyCp932File()
    {
        QStringEncoder sjis("CP932");
        writeFile(m_data + "/holiday.txt", sjis.encode(QString::fromUtf8("2026/02/11\t建国記念の日\r\n")));
        HolidayList list;
        static_cast<void>(list.load(m_data, m_default));
        QCOMPARE(list.name("2026/02/11"), QString::fromUtf8("建国記念の日"));
    }

    void saveFailureIsReported()
    {
        HolidayList list;
        list.add("2026/01/01", "a");
        const ListFileResult r = list.save(m_dir.filePath("missing/folder"));
        QVERIFY(!r.ok());
        QVERIFY(!r.message().isEmpty());
    }

    void dayNameAndKind_data()
    {
        QTest::addColumn<QDate>("date");
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("kind");
        QTest::newRow("monday") << QDate(2026, 12, 7) << QString::fromUtf8("月曜日") << 0;
        QTest::newRow("friday") << QDate(2026, 12, 11) << QString::fromUtf8("金曜日") << 0;
        QTest::newRow("saturday") << QDate(2026, 12, 12) << QString::fromUtf8("土曜日") << 1;
        QTest::newRow("sunday") << QDate(2026, 12, 13) << QString::fromUtf8("日曜日") << 2;
        QTest::newRow("holiday on weekday") << QDate(2026, 11, 23) << QString::fromUtf8("勤労感謝の日") << 3;
        QTest::newRow("holiday on sunday") << QDate(2026, 5, 3) << QString::fromUtf8("憲法記念日") << 3;
    }

    void dayNameAndKind()
    {
        QFETCH(QDate, date);
        QFETCH(QString, name);
        QFETCH(int, kind);
        HolidayList list;
        list.add("2026/11/23", QString::fromUtf8("勤労感謝の日"));
        list.add("2026/05/03", QString::fromUtf8("憲法記念日"));
        QCOMPARE(nox::dayName(date, list), name);
        QCOMPARE(nox::dayKind(date, list), kind);
    }

    void categoriesKeepOrder()
    {
        writeFile(m_default + "/category.nox", QString::fromUtf8("仕事\r\n私用\r\n\r\n会議\r\n").toUtf8());
        QStringList categories{"old"};
        const ListFileResult r = loadCategories(categories, m_data, m_default);
        QVERIFY(r.ok());
        QCOMPARE(categories, QStringList({QString::fromUtf8("仕事"), QString::fromUtf8("私用"),
                                          QString::fromUtf8("会議")}));
        categories.prepend(QString::fromUtf8("旅行"));
        QVERIFY(saveCategories(categories, m_data).ok());
        QCOMPARE(readFile(m_data + "/category.nox"),
                 QString::fromUtf8("旅行\r\n仕事\r\n私用\r\n会議\r\n").toUtf8());
        QStringList again;
        QCOMPARE(loadCategories(again, m_data, m_default)->source, m_data + "/category.nox");
        QCOMPARE(again, categories);
    }

    // Lines that are no holiday, repeated keys, Shift-JIS names and bytes that
    // are not text stay as they were when a holiday and a category are added.
    void untouchedLinesKeepTheirBytes()
    {
        QStringEncoder sjis("CP932");
        const QList<QByteArray> holidays{"2026/01/01\t\x8C\xB3\x93\xFA", "no tab \xFF", "2026/01/01\tagain",
                                         QString::fromUtf8("2026/11/23\t勤労感謝の日").toUtf8(),
                                         "2026/05/05\t\xFE\x80",
                                         // byte-order marks inside the file (files joined together)
                                         "\xEF\xBB\xBF", "\xEF\xBB\xBF" "2026/03/20\tx"};
        const QList<QByteArray> categories{sjis.encode(QString::fromUtf8("仕事")), "\xFF\xFE", "\xEF\xBB\xBF", "私用"};
        for (quint32 seed = 1; seed <= 10; ++seed) {
            const QByteArray holidayBytes = test::withStrayLines(holidays, seed);
            writeFile(m_data + "/holiday.txt", holidayBytes);
            HolidayList list;
            QVERIFY(list.load(m_data, m_default).ok());
            list.add("2026/02/11", QString::fromUtf8("建国記念の日"));
            QVERIFY(list.save(m_data).ok());
            QList<QByteArray> output = test::fileByteLines(m_data + "/holiday.txt");
            QByteArray missing;
            QVERIFY2(test::takeAll(test::byteLinesOf(holidayBytes), output, &missing),
                     missing.toHex().constData());
            QCOMPARE(output, QList<QByteArray>{QString::fromUtf8("2026/02/11\t建国記念の日").toUtf8()});

            const QByteArray categoryBytes = test::withStrayLines(categories, seed);
            writeFile(m_data + "/category.nox", categoryBytes);
            QStringList names;
            QVERIFY(loadCategories(names, m_data, m_default).ok());
            names.append(QString::fromUtf8("会議"));
            QVERIFY(saveCategories(names, m_data).ok());
            QCOMPARE(test::fileByteLines(m_data + "/category.nox"),
                     test::byteLinesOf(categoryBytes) << QString::fromUtf8("会議").toUtf8());
        }
    }

    // Years after the list's last one get the holidays of the law; the
    // user's own entries stay and nothing generated is written back.
    void lawExtendsTheList()
    {
        writeFile(m_data + "/holiday.txt", QString::fromUtf8("2050/01/01\t元日\r\n"
                                                             "2060/05/05\t我が家の日\r\n")
                                               .toUtf8());
        HolidayList list;
        QVERIFY(list.load(m_data, m_default).ok());
        list.extendByLaw();
        QCOMPARE(list.name("2051/01/01"), QString::fromUtf8("元日"));
        QVERIFY(list.items().at("2051/01/01").Generated);
        QCOMPARE(list.name("2150/11/23"), QString::fromUtf8("勤労感謝の日"));
        QCOMPARE(list.name("2060/05/05"), QString::fromUtf8("我が家の日"));
        QVERIFY(!list.items().at("2060/05/05").Generated);
        QVERIFY(!list.contains("2050/02/11")); // the list's own year is left as it is
        QVERIFY(!list.contains("2151/01/01"));
        QCOMPARE(nox::dayKind(QDate(2100, 1, 1), list), 3);

        // Through the settings page's rows and back: still generated, so
        // still not saved; a row the user edits becomes the user's.
        QList<THolidayRow> rows = HolidayRows(list, QStringLiteral("yyyy/MM/dd"));
        for (THolidayRow& row : rows) {
            if (row.key == QLatin1String("2070/11/03")) {
                row = MakeHolidayRow(QDate(2070, 11, 3), QString::fromUtf8("文化の日"), "yyyy/MM/dd");
            }
        }
        const HolidayList back = HolidayListOf(rows);
        QVERIFY(back.items().at("2051/01/01").Generated);
        QVERIFY(back.save(m_data).ok());
        QCOMPARE(readFile(m_data + "/holiday.txt"),
                 QString::fromUtf8("2050/01/01\t元日\r\n2060/05/05\t我が家の日\r\n2070/11/03\t文化の日\r\n")
                     .toUtf8());
    }

    void lawNeedsAListWithNewYear()
    {
        HolidayList list;
        list.extendByLaw();
        QVERIFY(list.isEmpty());
        list.add("2050/05/05", "x");
        list.extendByLaw();
        QCOMPARE(list.count(), 1);
    }

    void factoryFilesParse()
    {
        const QString source = QFINDTESTDATA("../../data/default/holiday.txt");
        QVERIFY(!source.isEmpty());
        HolidayList list;
        const ListFileResult r = list.load(QString(), QFileInfo(source).absolutePath());
        QVERIFY(r.ok());
        QCOMPARE(r->ignoredLines, 0);
        QVERIFY(list.count() > 300);
        QCOMPARE(list.name("2003/03/21"), QString::fromUtf8("春分の日"));
        QCOMPARE(nox::dayKind(QDate(2026, 1, 1), list), 3);
        QStringList categories;
        static_cast<void>(loadCategories(categories, QString(), QFileInfo(source).absolutePath()));
        QVERIFY(categories.size() >= 10);
        QVERIFY(categories.contains(QString::fromUtf8("仕事")));
    }

    void keyAndDateAreInverse_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QDate>("date");
        QTest::newRow("plain") << QStringLiteral("2026/03/11") << QDate(2026, 3, 11);
        QTest::newRow("leap day") << QStringLiteral("2024/02/29") << QDate(2024, 2, 29);
        QTest::newRow("no such day") << QStringLiteral("2026/02/30") << QDate();
        QTest::newRow("short month") << QStringLiteral("2026/3/11") << QDate();
        QTest::newRow("dashes") << QStringLiteral("2026-03-11") << QDate();
        QTest::newRow("letters") << QStringLiteral("2026/0a/11") << QDate();
        QTest::newRow("wide digits") << QString::fromUtf8("２０２６/03/11") << QDate();
        QTest::newRow("empty") << QString() << QDate();
    }
    void keyAndDateAreInverse()
    {
        QFETCH(QString, key);
        QFETCH(QDate, date);
        QCOMPARE(HolidayList::dateOfKey(key), date);
        if (date.isValid()) {
            QCOMPARE(HolidayList::keyOf(date), key);
        }
    }
};

QTEST_GUILESS_MAIN(TstHolidays)
#include "tst_holidays.moc"
