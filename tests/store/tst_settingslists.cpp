// What the settings dialog does to the lists without a window: holiday rows
// and the holiday import, category refusals, bitmaps added to the strip.
#include <QTemporaryDir>
#include <QTest>

#include "store/categories.h"
#include "store/holidayrows.h"
#include "store/imagestrip.h"

using namespace nox;

class TestSettingsLists : public QObject
{
    Q_OBJECT
private slots:
    void importChecks_data();
    void importChecks();
    void importSkipsShownDatesAndKeepsEmptyNames();
    void rowsCollapseToTheKeyedList();
    void categoryRefusals_data();
    void categoryRefusals();
    void bitmapsAreCutOrExtendedNotScaled();
    void unreadableBitmapsAreNamed();
};

void TestSettingsLists::importChecks_data()
{
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<QString>("message");
    const QString stop = QStringLiteral("\r\n読み込みを中止します。");
    QTest::newRow("all good, blank lines skipped")
        << QStringList{"2026/01/01\t元日", "", "2026/01/12\t成人の日"} << QString();
    QTest::newRow("line 3 one-digit month")
        << QStringList{"2026/01/01\ta", "2026/02/11\tb", "2026/2/3\tc"}
        << QStringLiteral("3行目のデータの日付書式がただしくありません！") + stop;
    QTest::newRow("no tab stops at its line")
        << QStringList{"2026/01/01\ta", "2026/02/11 b"}
        << QStringLiteral("2行目のデータの日付もしくは名称がありません！") + stop;
    QTest::newRow("blank lines still count") << QStringList{"", "", "x"}
                                              << QStringLiteral("3行目のデータの日付もしくは名称がありません！") + stop;
    QTest::newRow("no such day") << QStringList{"2026/02/30\tx"}
                                 << QStringLiteral("1行目のデータの日付書式がただしくありません！") + stop;
    QTest::newRow("letters in the date") << QStringList{"2026/0a/01\tx"}
                                         << QStringLiteral("1行目のデータの日付書式がただしくありません！") + stop;
    QTest::newRow("empty name is fine") << QStringList{"2026/05/05\t"} << QString();
}

void TestSettingsLists::importChecks()
{
    QFETCH(QStringList, lines);
    QFETCH(QString, message);
    const THolidayImportCheck check = CheckHolidayImport(lines);
    QCOMPARE(check.ok, message.isEmpty());
    QCOMPARE(check.message, message);
}

void TestSettingsLists::importSkipsShownDatesAndKeepsEmptyNames()
{
    const QString format = QStringLiteral("yyyy/m/dd(aaa)");
    QList<THolidayRow> rows{MakeHolidayRow(QDate(2026, 1, 1), QStringLiteral("元日"), format)};
    const int added = MergeHolidayImport(
        rows, {"2026/01/01\t別名", "2026/05/05\t", "2026/05/05\tこどもの日", "2026/05/06\ta\tb"}, format);
    QCOMPARE(added, 2);
    QCOMPARE(rows.size(), 3);
    QCOMPARE(rows.at(0).name, QStringLiteral("元日"));
    QCOMPARE(rows.at(1), (THolidayRow{QStringLiteral("2026/5/05(火)"), QString(), QStringLiteral("2026/05/05")}));
    QCOMPARE(rows.at(2).name, QStringLiteral("a\tb")); // everything after the first tab
}

// "更新" may give two rows the same date; the saved list keeps one per date.
void TestSettingsLists::rowsCollapseToTheKeyedList()
{
    const QString format = QStringLiteral("yyyy/mm/dd");
    const QList<THolidayRow> rows{MakeHolidayRow(QDate(2026, 3, 20), QStringLiteral("a"), format),
                                  MakeHolidayRow(QDate(2026, 3, 20), QStringLiteral("b"), format),
                                  MakeHolidayRow(QDate(2026, 1, 1), QStringLiteral("c"), format)};
    const HolidayList list = HolidayListOf(rows);
    QCOMPARE(list.keys(), (QStringList{"2026/01/01", "2026/03/20"}));
    QCOMPARE(list.name(QDate(2026, 3, 20)), QStringLiteral("b"));
    QCOMPARE(HolidayRows(list, format).size(), 2);
}

void TestSettingsLists::categoryRefusals_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("refusal");
    QTest::newRow("empty") << QString() << QStringLiteral("名称を入力してください。");
    QTest::newRow("listed, other case") << QStringLiteral("WORK") << QStringLiteral("登録済みの分類です。");
    QTest::newRow("no-filter caption") << QStringLiteral("分類 指定なし") << QStringLiteral("この分類名称は登録できません。");
    QTest::newRow("with a trailing blank") << QStringLiteral("分類 指定なし ") << QString();
    QTest::newRow("new") << QStringLiteral("旅行") << QString();
}

void TestSettingsLists::categoryRefusals()
{
    QFETCH(QString, name);
    QFETCH(QString, refusal);
    QCOMPARE(CategoryRefusal({QStringLiteral("work"), QStringLiteral("会議")}, name), refusal);
}

void TestSettingsLists::bitmapsAreCutOrExtendedNotScaled()
{
    QImage big(40, 30, QImage::Format_RGB32);
    big.fill(Qt::green);
    big.setPixel(0, 29, qRgb(1, 2, 3)); // its own transparent colour
    big.setPixel(15, 15, qRgb(200, 0, 0));
    QImage small(8, 4, QImage::Format_RGB32);
    small.fill(Qt::blue);
    small.setPixel(0, 3, qRgb(9, 9, 9));
    ImageStrip strip;
    QCOMPARE(strip.addBitmap(big), 0);
    QCOMPARE(strip.addBitmap(small), 1);
    QCOMPARE(strip.addBitmap(QImage()), -1);
    QCOMPARE(strip.count(), 2);
    QCOMPARE(strip.maskColor(0), qRgb(1, 2, 3));
    QCOMPARE(strip.image(0).pixel(15, 15), qRgb(200, 0, 0)); // cut, not scaled
    QCOMPARE(strip.image(0).pixel(0, 0), QColor(Qt::green).rgb());
    QCOMPARE(strip.maskColor(1), qRgb(9, 9, 9));
    QCOMPARE(strip.image(1).pixel(7, 0), QColor(Qt::blue).rgb());
    QCOMPARE(strip.image(1).pixel(12, 12), qRgb(9, 9, 9)); // extended, transparent
    QCOMPARE(qAlpha(strip.pixmap(1).pixel(12, 12)), 0);
}

void TestSettingsLists::unreadableBitmapsAreNamed()
{
    QTemporaryDir dir;
    const QString garbage = dir.filePath(QStringLiteral("garbage.bmp"));
    QFile f(garbage);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write("BM this is not a bitmap");
    f.close();
    for (const QString& path : {garbage, dir.filePath(QStringLiteral("missing.bmp"))}) {
        const Result<QImage> read = ImageStrip::readBitmapFile(path);
        QVERIFY(!read.ok());
        QVERIFY(read->isNull());
        QVERIFY2(read.message().contains(path), qPrintable(read.message()));
    }
}

QTEST_GUILESS_MAIN(TestSettingsLists)
#include "tst_settingslists.moc"
