#include <QtTest>

#include <QTemporaryDir>

#include "core/textfile.h"
#include "search/rendertemplate.h"
#include "store/holidays.h"

using namespace nox;

namespace
{

// 2024-01-01 is a Monday; 6 Jan a Saturday, 7 Jan a Sunday.
TSkedSearchRec result(const QDate& date, const QString& text, const QString& memo = {}, const QString& start = "9:00")
{
    TSkedSearchRec r;
    r.Date = date;
    r.StartText = start;
    r.EndText = QStringLiteral("10:00");
    r.Text = text;
    r.Memo = memo;
    r.Category = QStringLiteral("仕事");
    return r;
}

RenderInput input(const QList<TSkedSearchRec>& results, EmptyDays emptyDays = EmptyDays::Never)
{
    RenderInput in;
    in.results = results;
    in.settings.dateFormat = QStringLiteral("m/d");
    in.settings.emptyDays = emptyDays;
    return in;
}

QStringList render(const QStringList& lines, const RenderInput& in, ValueSyntax syntax = ValueSyntax::Plain)
{
    QString text = renderTemplateText(lines, in, syntax);
    text.chop(2); // the last CR LF
    return text.isEmpty() ? QStringList() : text.split(QStringLiteral("\r\n"));
}

const QStringList kDaySections{"head", "NoxStart", "NoxWeekday", "W <#NoxDate> <#NoxSTime>-<#NoxETime> <#noxsked>",
                               "NoxSaturday", "Sa <#NoxDate>", "NoxSunday", "Su <#NoxDate>", "NoxHoliday",
                               "H <#NoxDate>", "NoxEnd", "foot"};

} // namespace

class TestRenderTemplate : public QObject
{
    Q_OBJECT
private slots:
    void headerBlocksFooter();
    void sectionsByKindOfDay();
    void emptyDays_data();
    void emptyDays();
    void duplicateDate();
    void lineBreaks();
    void commentsAndCriteria();
    void secondRepeatedPartKeepsSections();
    void sampleKeepsEmptySections();
    void valueSyntax();
    void renderFiles();
    void renderFailures();
    void factoryLayouts();
    void savedPageKeepsTheUsersFiles();
    void referencesPointIntoThePageFolder_data();
    void referencesPointIntoThePageFolder();
};

void TestRenderTemplate::headerBlocksFooter()
{
    const QList<TSkedSearchRec> r{result({2024, 1, 2}, "会議"), result({2024, 1, 3}, "出張", {}, "13:30")};
    QCOMPARE(render({"header", "NoxStart", "dropped", "NoxWeekday", "<#NoxDate> <#NoxSTime> <#NoxETime> <#NoxSked>",
                     "NoxEnd", "footer"},
                    input(r)),
             (QStringList{"header", "1/2 9:00 10:00 会議", "1/3 13:30 10:00 出張", "footer"}));
    // Without NoxStart only the criteria tags change.
    RenderInput in = input(r);
    in.criteria.category = QStringLiteral("仕事");
    QCOMPARE(render({"a <#NoxSearchCategory>", "<#NoxDate>"}, in), (QStringList{"a 仕事", "<#NoxDate>"}));
}

void TestRenderTemplate::sectionsByKindOfDay()
{
    HolidayList holidays;
    holidays.add(QStringLiteral("2024/01/08"), QStringLiteral("成人の日"));
    RenderInput in = input({result({2024, 1, 5}, "a"), result({2024, 1, 6}, "b"), result({2024, 1, 7}, "c"),
                            result({2024, 1, 8}, "d")});
    in.holidays = &holidays;
    QCOMPARE(render(kDaySections, in),
             (QStringList{"head", "W 1/5 9:00-10:00 a", "Sa 1/6", "Su 1/7", "H 1/8", "foot"}));
    // Empty weekend and holiday sections take the weekday section.
    QCOMPARE(render({"NoxStart", "NoxWeekday", "W <#NoxDate>", "NoxSunday", "NoxEnd"}, in),
             (QStringList{"W 1/5", "W 1/6", "W 1/7", "W 1/8"}));
}

void TestRenderTemplate::emptyDays_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<bool>("period");
    QTest::addColumn<QStringList>("expected");
    const QStringList all{"1/1 会議", "1/2 ", "1/3 ", "1/4 出張"};
    const QStringList none{"1/1 会議", "1/4 出張"};
    QTest::newRow("always") << int(EmptyDays::Always) << false << all;
    QTest::newRow("never") << int(EmptyDays::Never) << true << none;
    QTest::newRow("with a period, none given") << int(EmptyDays::WithPeriod) << false << none;
    QTest::newRow("with a period, given") << int(EmptyDays::WithPeriod) << true << all;
}

void TestRenderTemplate::emptyDays()
{
    QFETCH(int, mode);
    QFETCH(bool, period);
    QFETCH(QStringList, expected);
    RenderInput in = input({result({2024, 1, 1}, "会議"), result({2024, 1, 4}, "出張")}, EmptyDays(mode));
    if (period) {
        in.criteria.endDate = QStringLiteral("2024/12/31");
    }
    QCOMPARE(render({"NoxStart", "NoxWeekday", "<#NoxDate> <#NoxSked>", "NoxEnd"}, in), expected);
}

void TestRenderTemplate::duplicateDate()
{
    RenderInput in = input({result({2024, 1, 2}, "a"), result({2024, 1, 2}, "b"), result({2024, 1, 3}, "c")});
    const QStringList tmpl{"NoxStart", "NoxWeekday", "[<#NoxDate>] <#NoxSked>", "NoxEnd"};
    QCOMPARE(render(tmpl, in), (QStringList{"[1/2] a", "[1/2] b", "[1/3] c"}));
    in.settings.duplicateDate = true;
    QCOMPARE(render(tmpl, in), (QStringList{"[1/2] a", "[] b", "[1/3] c"}));
}

void TestRenderTemplate::lineBreaks()
{
    const RenderInput in = input({result({2024, 1, 2}, "一行目#13#10二行目", "m1#13#10m2")});
    const QStringList section{"NoxStart", "NoxWeekday", "<#NoxSked>|<#NoxMemo>", "NoxEnd"};
    QCOMPARE(render(section, in), (QStringList{"一行目", "二行目|m1", "m2"}));
    QStringList withBr = section;
    withBr.prepend(QStringLiteral("<!-- <#CRLF=\"<br>\"> -->"));
    QCOMPARE(render(withBr, in, ValueSyntax::Markup),
             (QStringList{"<!-- <#CRLF=\"<br>\"> -->", "一行目<br>二行目|m1<br>m2"}));
}

void TestRenderTemplate::commentsAndCriteria()
{
    RenderInput in = input({result({2024, 1, 2}, "a")});
    in.criteria = {QStringLiteral("2024/1/1"), QString(), QStringLiteral("NoxEnd")};
    QCOMPARE(render({"# NoxStart <#NoxSearchStartDate>", "<#NOXSEARCHSTARTDATE>-<#NoxSearchEndDate>-<#NoxSearchCategory>",
                     "NoxStart", "# NoxEnd", "NoxWeekday", "<#NoxSked>", "# NoxSunday", "NoxEnd"},
                    in),
             (QStringList{"2024/1/1--NoxEnd", "a"}));
}

void TestRenderTemplate::secondRepeatedPartKeepsSections()
{
    const RenderInput in = input({result({2024, 1, 2}, "a")});
    QCOMPARE(render({"NoxStart", "NoxWeekday", "1:<#NoxSked>", "NoxEnd", "mid", "NoxStart", "NoxWeekday",
                     "2:<#NoxSked>", "NoxEnd"},
                    in),
             (QStringList{"1:a", "mid", "1:a", "2:a"}));
}

void TestRenderTemplate::sampleKeepsEmptySections()
{
    RenderInput in = input({});
    in.sample = true;
    in.today = QDate(2024, 1, 1);
    const QStringList lines =
        render({"NoxStart", "NoxWeekday", "W <#NoxDate> <#NoxSTime> <#NoxETime> <#NoxSked>|<#NoxMemo>|<#NoxCategory>",
                "NoxSaturday", "Sa <#NoxDate>", "NoxHoliday", "H <#NoxDate>", "NoxEnd"},
               in);
    QCOMPARE(lines.size(), 18); // 20 days, the two Sunday offsets empty
    QCOMPARE(lines.at(0), QStringLiteral("W 1/1 9:00 10:00 ") + QStringLiteral("xxxxxxxxx ").repeated(6) + u'|' +
                              QStringLiteral("xxxxxxxxx ").repeated(3) + u'|' + QStringLiteral("x").repeated(12));
    QCOMPARE(lines.at(2), QStringLiteral("H 1/3"));
    QCOMPARE(lines.at(5), QStringLiteral("Sa 1/6"));
    QVERIFY(lines.at(6).startsWith(QStringLiteral("W 1/8 ")));
    QCOMPARE(lines.at(11), QStringLiteral("Sa 1/13"));
    // Real output of the same template on a Sunday uses the weekday section.
    in.sample = false;
    in.results = {result({2024, 1, 7}, "a")};
    QVERIFY(render({"NoxStart", "NoxWeekday", "W <#NoxDate>", "NoxSunday", "NoxEnd"}, in) == QStringList{"W 1/7"});
}

void TestRenderTemplate::valueSyntax()
{
    QCOMPARE(valueSyntaxOf("a/template.HTML"), ValueSyntax::Markup);
    QCOMPARE(valueSyntaxOf("template.csv"), ValueSyntax::Csv);
    QCOMPARE(valueSyntaxOf("template.txt"), ValueSyntax::Plain);
    for (const char* name : {"a.html", "a.HTM", "a.xhtml", "a.txt", "a.svg"}) {
        QVERIFY2(isPrintableOutput(name), name);
    }
    for (const char* name : {"a.csv", "a.tsv", "a.pdf", "a.zip", "a"}) {
        QVERIFY2(!isPrintableOutput(name), name);
    }
    RenderInput in = input({result({2024, 1, 2}, "a, \"b\"#13#10c", "plain")});
    in.criteria.category = QStringLiteral("x,y");
    QCOMPARE(render({"<#NoxSearchCategory>", "NoxStart", "NoxWeekday", "<#NoxSked>,<#NoxMemo>,\"<#NoxSked>\"",
                     "NoxEnd"},
                    in, ValueSyntax::Csv),
             (QStringList{"\"x,y\"", "\"a, \"\"b\"\"", "c\",plain,\"a, \"\"b\"\"", "c\""}));
    // Markup escapes, and a value that reads like a tag stays as it is.
    QCOMPARE(render({"NoxStart", "NoxWeekday", "<td><#NoxSTime></td><td><#NoxSked></td>", "NoxEnd"},
                    input({result({2024, 1, 2}, "a < b & \"c\"", {}, "<#NoxSked>")}), ValueSyntax::Markup),
             QStringList{"<td>&lt;#NoxSked&gt;</td><td>a &lt; b &amp; &quot;c&quot;</td>"});
}

void TestRenderTemplate::renderFiles()
{
    QTemporaryDir layout, out;
    QVERIFY(writeTextLines(layout.filePath("Template.CSV"), {"d,t", "NoxStart", "NoxWeekday", "<#NoxDate>,<#NoxSked>",
                                                             "NoxEnd"}));
    QVERIFY(writeFileAtomic(layout.filePath("logo.png"), "png"));
    QVERIFY(writeFileAtomic(layout.filePath(".hidden"), "x"));
    QVERIFY(QDir(layout.path()).mkdir("sub"));
    QCOMPARE(findTemplate(layout.path()), layout.filePath("Template.CSV"));
    const QString target = out.filePath("temp/Schedule");
    const RenderResult r = RenderTemplate(layout.path(), target, input({result({2024, 1, 2}, "会議")}), true);
    QVERIFY2(r.ok(), qPrintable(r.message));
    QCOMPARE(r.path, target + ".CSV");
    QFile f(r.path);
    QVERIFY(f.open(QIODevice::ReadOnly));
    QCOMPARE(f.readAll(), QStringLiteral("d,t\r\n1/2,会議\r\n").toUtf8());
    QCOMPARE(QDir(out.filePath("temp")).entryList(QDir::Files | QDir::Hidden | QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name),
             (QStringList{"Schedule.CSV", "logo.png"}));
    // An extension given is kept.
    QCOMPARE(RenderTemplate(layout.path(), out.filePath("x.txt"), input({}), false).path, out.filePath("x.txt"));
}

void TestRenderTemplate::renderFailures()
{
    QTemporaryDir layout, out;
    RenderResult r = RenderTemplate(layout.path(), out.filePath("S"), input({}), false);
    QCOMPARE(r.status, RenderResult::NoTemplate);
    QCOMPARE(r.message, QStringLiteral("テンプレートファイルが見つかりません。"));
    r = RenderTemplate(layout.filePath("gone"), out.filePath("S"), input({}), false);
    QCOMPARE(r.status, RenderResult::Failed);
    QVERIFY(r.message.contains(layout.filePath("gone")));
    QVERIFY(writeTextLines(layout.filePath("template.txt"), {"x"}));
    r = RenderTemplate(layout.path(), out.filePath("missing/S"), input({}), false);
    QVERIFY(!r.ok());
    QVERIFY(r.message.contains(out.filePath("missing/S.txt")));
    setWriteFaultHook([](const QString&, WriteStep step) { return step == WriteStep::Flush ? ENOSPC : 0; });
    r = RenderTemplate(layout.path(), out.filePath("S"), input({}), false);
    setWriteFaultHook({});
    QVERIFY(!r.ok());
    QVERIFY(!QFile::exists(out.filePath("S.txt")));
}

// The shipped layouts render the sample and real results in their own syntax.
void TestRenderTemplate::factoryLayouts()
{
    const QString print = QStringLiteral(NOX_PRINT_FOLDER);
    QCOMPARE(printLayouts(print), (QStringList{"CSV", "サンプル", "テキスト"}));
    QTemporaryDir out;
    RenderInput in = input({result({2024, 1, 6}, "会議, \"A\"#13#10資料 <b>", "memo")}, EmptyDays::Always);
    for (const QString& name : printLayouts(print)) {
        const RenderResult r = RenderTemplate(print + u'/' + name, out.filePath(name + "/Schedule"), in, true);
        QVERIFY2(r.ok(), qPrintable(r.message));
    }
    const QString html = decodeText([&] {
        QFile f(out.filePath("サンプル/Schedule.html"));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }());
    QVERIFY(html.contains("<tr class=\"saturday\"><td class=\"date\">1/6</td>"));
    QVERIFY(html.contains("会議, &quot;A&quot;<br>資料 &lt;b&gt;"));
    QVERIFY(!html.contains("Nox print layout"));
    QVERIFY(QFile::exists(out.filePath("サンプル/style.css")));
    QVERIFY(QFile::exists(out.filePath("サンプル/nox.svg")));
    QCOMPARE(readTextLines(out.filePath("CSV/Schedule.csv"))->lines,
             (QStringList{"日付,開始,終了,スケジュール,メモ,分類", "1/6,9:00,10:00,\"会議, \"\"A\"\"", "資料 <b>\",memo,仕事"}));
    QCOMPARE(readTextLines(out.filePath("テキスト/Schedule.txt"))->lines.last(),
             QStringLiteral("1/6\t9:00\t10:00\t会議, \"A\" / 資料 <b>\tmemo\t仕事"));
}

namespace
{

QByteArray bytesOf(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

// A page saved where the user keeps files of their own replaces nothing but
// the page: the layout's files go into "<page>_files", the page links there,
// and a file in that folder with other bytes is replaced only when asked to.
void TestRenderTemplate::savedPageKeepsTheUsersFiles()
{
    const QString layout = QStringLiteral(NOX_PRINT_FOLDER) + QStringLiteral("/サンプル");
    QTemporaryDir docs;
    QVERIFY(writeFileAtomic(docs.filePath("style.css"), "body { color: red }"));
    QVERIFY(writeFileAtomic(docs.filePath("nox.svg"), "mine"));
    const RenderInput in = input({result({2024, 1, 6}, "会議")});

    RenderResult r = RenderTemplate(layout, docs.filePath("a.html"), in, false, CompanionPlace::PageFolder);
    QVERIFY2(r.ok(), qPrintable(r.message));
    QCOMPARE(bytesOf(docs.filePath("style.css")), QByteArray("body { color: red }"));
    QCOMPARE(bytesOf(docs.filePath("nox.svg")), QByteArray("mine"));
    QCOMPARE(companionFolderOf(docs.filePath("a.html")), docs.filePath("a_files"));
    QCOMPARE(bytesOf(docs.filePath("a_files/style.css")), bytesOf(layout + "/style.css"));
    QCOMPARE(bytesOf(docs.filePath("a_files/nox.svg")), bytesOf(layout + "/nox.svg"));
    const QString page = decodeText(bytesOf(docs.filePath("a.html")));
    QVERIFY(page.contains("href=\"a_files/style.css\""));
    QVERIFY(page.contains("src=\"a_files/nox.svg\""));
    QCOMPARE(QDir(docs.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden, QDir::Name),
             (QStringList{"a.html", "a_files", "nox.svg", "style.css"}));

    // Saving again over the same page: the same files, nothing to ask.
    QVERIFY(companionsToReplace(layout, docs.filePath("a.html")).isEmpty());
    QVERIFY(RenderTemplate(layout, docs.filePath("a.html"), in, false, CompanionPlace::PageFolder).ok());

    // A companion the user changed in the page's folder is not replaced
    // unasked, and nothing else is written either.
    QVERIFY(writeFileAtomic(docs.filePath("a_files/style.css"), "edited"));
    QVERIFY(QFile::remove(docs.filePath("a.html")));
    QCOMPARE(companionsToReplace(layout, docs.filePath("a")), QStringList{docs.filePath("a_files/style.css")});
    r = RenderTemplate(layout, docs.filePath("a"), in, false, CompanionPlace::PageFolder);
    QCOMPARE(r.status, RenderResult::WouldReplace);
    QCOMPARE(r.replaced, QStringList{docs.filePath("a_files/style.css")});
    QVERIFY(r.message.contains("style.css"));
    QCOMPARE(bytesOf(docs.filePath("a_files/style.css")), QByteArray("edited"));
    QVERIFY(!QFile::exists(docs.filePath("a.html")));
    r = RenderTemplate(layout, docs.filePath("a"), in, false, CompanionPlace::PageFolderReplacing);
    QVERIFY2(r.ok(), qPrintable(r.message));
    QCOMPARE(r.path, docs.filePath("a.html"));
    QCOMPARE(bytesOf(docs.filePath("a_files/style.css")), bytesOf(layout + "/style.css"));

    // A file where the folder would be is no folder: nothing is written.
    QVERIFY(writeFileAtomic(docs.filePath("b_files"), "x"));
    r = RenderTemplate(layout, docs.filePath("b.html"), in, false, CompanionPlace::PageFolder);
    QCOMPARE(r.status, RenderResult::Failed);
    QVERIFY(r.message.contains("b_files"));
    QVERIFY(!QFile::exists(docs.filePath("b.html")));

    // A layout without other files makes no folder.
    QVERIFY(RenderTemplate(QStringLiteral(NOX_PRINT_FOLDER) + QStringLiteral("/CSV"), docs.filePath("c"), in, false,
                           CompanionPlace::PageFolder)
                .ok());
    QVERIFY(QFile::exists(docs.filePath("c.csv")));
    QVERIFY(!QFile::exists(docs.filePath("c_files")));
}

void TestRenderTemplate::referencesPointIntoThePageFolder_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<QString>("folder");
    QTest::addColumn<bool>("markup");
    QTest::addColumn<QString>("expected");
    const QString a = QStringLiteral("a_files");
    QTest::newRow("attribute") << "<link href=\"style.css\">" << a << true << "<link href=\"a_files/style.css\">";
    QTest::newRow("single quotes, dot slash")
        << "<img src='./logo.png'>" << a << true << "<img src='./a_files/logo.png'>";
    QTest::newRow("css url") << "x { background: url(logo.png) }" << a << true
                             << "x { background: url(a_files/logo.png) }";
    QTest::newRow("fragment; the link text stays") << "<a href=\"logo.png#top\">logo.png</a>" << a << true
                                    << "<a href=\"a_files/logo.png#top\">logo.png</a>";
    QTest::newRow("other names untouched")
        << "<img src=\"big-logo.png\"><img src=\"img/logo.png\"><img src=\"logo.pngx\">" << a << true
        << "<img src=\"big-logo.png\"><img src=\"img/logo.png\"><img src=\"logo.pngx\">";
    QTest::newRow("unquoted attribute") << "<img src=logo.png>" << a << true << "<img src=a_files/logo.png>";
    QTest::newRow("twice in a line") << "style.css style.css" << a << true << "a_files/style.css a_files/style.css";
    QTest::newRow("folder name encoded in a page") << "<img src=\"logo.png\">" << "my 予定_files" << true
                                                   << "<img src=\"my%20%E4%BA%88%E5%AE%9A_files/logo.png\">";
    QTest::newRow("plain text as it is") << "see logo.png" << "my 予定_files" << false
                                         << "see my 予定_files/logo.png";
}

void TestRenderTemplate::referencesPointIntoThePageFolder()
{
    QFETCH(QString, line);
    QFETCH(QString, folder);
    QFETCH(bool, markup);
    QFETCH(QString, expected);
    QCOMPARE(referencesIntoFolder({line}, {"style.css", "logo.png"}, folder,
                                  markup ? ValueSyntax::Markup : ValueSyntax::Plain),
             QStringList{expected});
}

QTEST_GUILESS_MAIN(TestRenderTemplate)
#include "tst_rendertemplate.moc"
