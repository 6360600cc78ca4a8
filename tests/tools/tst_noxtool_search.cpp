// noxtool search and export as a script runs them.
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include "core/textfile.h"
#include "store/dayfile.h"
#include "toolrunner.h"

using namespace nox;

namespace
{

QString dump(const ToolRun& r)
{
    return QStringLiteral("exit %1\nout: %2\nerr: %3").arg(r.exitCode).arg(r.out, r.err);
}

QString line(int start, int end, int image, int id, const QString& memo, const QString& text, const QString& category)
{
    return QStringLiteral("%1\t%2\tclWindowText\tclWindowText\t0\t%3\t%4\t%5\t%6\t%7\t-1\t\t0")
        .arg(start)
        .arg(end)
        .arg(image)
        .arg(id)
        .arg(memo, text, category);
}

QString readAll(const QString& path)
{
    return readTextLines(path)->lines.join(u'\n');
}

} // namespace

class TestNoxToolSearch : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void search_data();
    void search();
    void usageErrors_data();
    void usageErrors();
    void unreadableAndDamagedDaysFail();
    void exportThroughLayouts();
    void exportFailures();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
};

void TestNoxToolSearch::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    const QString f = m_dir->path();
    QVERIFY(writeTextLines(dayFilePath(f, QDate(2026, 3, 2)),
                           {line(18, 21, 1, 101, QStringLiteral("資料, \"A\""), QStringLiteral("会議#13#10第2部"),
                                 QStringLiteral("会議")),
                            line(26, 27, -1, 102, QStringLiteral("会議室"), QStringLiteral("ランチ"), QString())}));
    QVERIFY(writeTextLines(dayFilePath(f, QDate(2026, 3, 5)),
                           {line(20, 22, -1, 103, QString(), QStringLiteral("東京 会議"), QStringLiteral("会社"))}));
}

void TestNoxToolSearch::search_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("out");
    const QString a = "20260302\t101\t9:00-10:30\t会議...\n";
    const QString b = "20260302\t102\t13:00-13:30\tランチ\n";
    const QString c = "20260305\t103\t10:00-11:00\t東京 会議\n";
    QTest::newRow("one word") << QStringList{"会議"} << a + b + c;
    QTest::newRow("two words") << QStringList{"会議", "東京"} << c;
    QTest::newRow("target text") << QStringList{"--target", "text", "会議"} << a + c;
    QTest::newRow("target memo") << QStringList{"--target=memo", "会議"} << b;
    QTest::newRow("from") << QStringList{"--from", "2026-03-03"} << c;
    QTest::newRow("to") << QStringList{"--to", "2026-03-02"} << a + b;
    QTest::newRow("category") << QStringList{"--category", "会"} << a + c;
    QTest::newRow("image entry 2") << QStringList{"--image", "2"} << a;
    QTest::newRow("nothing found") << QStringList{"出張"} << "";
}

void TestNoxToolSearch::search()
{
    QFETCH(QStringList, args);
    QFETCH(QString, out);
    const ToolRun r = runNoxToolOn(m_dir->path(), QStringList{"search"} + args);
    QVERIFY2(r.exitCode == 0, qPrintable(dump(r)));
    QCOMPARE(r.out, out);
    QCOMPARE(r.err, QString());
}

void TestNoxToolSearch::usageErrors_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("message");
    QTest::newRow("target") << QStringList{"search", "--target", "all"} << "--target";
    QTest::newRow("date") << QStringList{"search", "--from", "2026-3-1"} << "yyyy-mm-dd";
    QTest::newRow("period backwards") << QStringList{"search", "--from", "2026-03-02", "--to", "2026-03-01"}
                                      << "before";
    QTest::newRow("image") << QStringList{"search", "--image", "-1"} << "--image";
    QTest::newRow("memo option") << QStringList{"search", "--memo", "x"} << "--memo";
    QTest::newRow("search option elsewhere") << QStringList{"day", "2026-03-02", "--layout", "CSV"} << "--layout";
    QTest::newRow("export without output") << QStringList{"export"} << "OUTPUT";
}

void TestNoxToolSearch::usageErrors()
{
    QFETCH(QStringList, args);
    QFETCH(QString, message);
    const ToolRun r = runNoxToolOn(m_dir->path(), args);
    QCOMPARE(r.exitCode, 2);
    QVERIFY2(r.err.contains(message), qPrintable(dump(r)));
}

void TestNoxToolSearch::unreadableAndDamagedDaysFail()
{
    // A day file that exists but cannot be read (even by root).
    QVERIFY(QFile::link(QStringLiteral("/proc/self/mem"), dayFilePath(m_dir->path(), QDate(2026, 3, 9))));
    ToolRun r = runNoxToolOn(m_dir->path(), {"search", "東京"});
    QCOMPARE(r.exitCode, 1);
    QCOMPARE(r.out, QStringLiteral("20260305\t103\t10:00-11:00\t東京 会議\n"));
    QVERIFY2(r.err.contains("20260309.dat"), qPrintable(dump(r)));
    QVERIFY(QFile::remove(dayFilePath(m_dir->path(), QDate(2026, 3, 9))));
    // A matching line that is not a schedule is named, not listed.
    QVERIFY(writeTextLines(dayFilePath(m_dir->path(), QDate(2026, 3, 10)), {"東京\tだけ"}));
    r = runNoxToolOn(m_dir->path(), {"search", "東京"});
    QCOMPARE(r.exitCode, 1);
    QVERIFY2(r.err.contains("20260310.dat:1"), qPrintable(dump(r)));
    QCOMPARE(r.out.count(u'\n'), 1);
}

void TestNoxToolSearch::exportThroughLayouts()
{
    const QString out = m_dir->filePath("out");
    QVERIFY(QDir().mkpath(out));
    ToolRun r = runNoxToolOn(m_dir->path(), {"export", "--layout", "CSV", out + "/list", "会議"});
    QVERIFY2(r.exitCode == 0, qPrintable(dump(r)));
    QCOMPARE(r.out, out + "/list.csv\n");
    // Days without results are written by default; texts with commas,
    // quotes and line breaks are quoted.
    QCOMPARE(readAll(out + "/list.csv"), QStringLiteral("日付,開始,終了,スケジュール,メモ,分類\n"
                                                        "2026/3/02(月),9:00,10:30,\"会議\n第2部\",\"資料, \"\"A\"\"\",会議\n"
                                                        "2026/3/02(月),13:00,13:30,ランチ,会議室,\n"
                                                        "2026/3/03(火),,,,,\n"
                                                        "2026/3/04(水),,,,,\n"
                                                        "2026/3/05(木),10:00,11:00,東京 会議,,会社"));
    // The user's print settings apply; the default layout comes with its
    // picture and style sheet, in a folder of the page's own: the user's
    // files beside the page stay as they are.
    QVERIFY(writeFileAtomic(out + "/style.css", "mine"));
    QVERIFY(writeTextLines(m_dir->filePath("Nox.ini"), {"[search]", "noneskeddate=2", "dateformat=yyyy-mm-dd"}));
    r = runNoxToolOn(m_dir->path(), {"export", out + "/page.html", "--from", "2026-03-01", "会議"});
    QVERIFY2(r.exitCode == 0, qPrintable(dump(r)));
    const QString html = readAll(out + "/page.html");
    QVERIFY(html.contains("<td class=\"date\">2026-03-05</td>"));
    QVERIFY(!html.contains("2026-03-03"));
    QVERIFY(html.contains("2026-03-01 ～"));
    QVERIFY(html.contains("会議<br>第2部"));
    QVERIFY(html.contains("href=\"page_files/style.css\""));
    QCOMPARE(readAll(out + "/style.css"), QStringLiteral("mine"));
    QVERIFY(!QFile::exists(out + "/nox.svg"));
    QVERIFY(QFile::exists(out + "/page_files/style.css"));
    QVERIFY(QFile::exists(out + "/page_files/nox.svg"));

    // A file of that folder the user changed is replaced only with --force.
    QVERIFY(writeFileAtomic(out + "/page_files/nox.svg", "edited"));
    r = runNoxToolOn(m_dir->path(), {"export", out + "/page.html", "会議"});
    QCOMPARE(r.exitCode, 1);
    QVERIFY2(r.err.contains("page_files/nox.svg") && r.err.contains("--force"), qPrintable(dump(r)));
    QCOMPARE(readAll(out + "/page_files/nox.svg"), QStringLiteral("edited"));
    r = runNoxToolOn(m_dir->path(), {"--force", "export", out + "/page.html", "会議"});
    QVERIFY2(r.exitCode == 0, qPrintable(dump(r)));
    QVERIFY(readAll(out + "/page_files/nox.svg") != QStringLiteral("edited"));
}

void TestNoxToolSearch::exportFailures()
{
    ToolRun r = runNoxToolOn(m_dir->path(), {"export", m_dir->filePath("x"), "出張"});
    QCOMPARE(r.exitCode, 1);
    QVERIFY(r.err.contains("nothing written"));
    QVERIFY(!QFile::exists(m_dir->filePath("x.html")));
    r = runNoxToolOn(m_dir->path(), {"export", "--layout", "なし", m_dir->filePath("x")});
    QCOMPARE(r.exitCode, 1);
    QVERIFY2(r.err.contains("なし") && r.err.contains("サンプル"), qPrintable(dump(r)));
    r = runNoxToolOn(m_dir->path(), {"export", m_dir->filePath("missing/x")});
    QCOMPARE(r.exitCode, 1);
    QVERIFY2(r.err.contains(m_dir->filePath("missing")), qPrintable(dump(r)));
}

QTEST_GUILESS_MAIN(TestNoxToolSearch)
#include "tst_noxtool_search.moc"
