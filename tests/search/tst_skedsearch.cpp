#include <QtTest>

#include <QStringEncoder>
#include <QTemporaryDir>

#include <fcntl.h>
#include <sys/stat.h>

#include "../common/toldstatus.h"
#include "core/textfile.h"
#include "search/searchhistory.h"
#include "search/skedsearch.h"
#include "store/dayfile.h"
#include "store/schedulebook.h"

using namespace nox;

namespace
{

const QDate kJan1(2024, 1, 1);
const QDate kJan5(2024, 1, 5);
const QDate kJan10(2024, 1, 10);

// start end textcolor linecolor style image id memo text category alarm related open
QString line(int start, int end, int image, int id, const QString& memo, const QString& text,
             const QString& category, const QString& color = QStringLiteral("clWindowText"))
{
    return QStringList{QString::number(start), QString::number(end), color, QStringLiteral("clWindowText"),
                       QStringLiteral("0"), QString::number(image), QString::number(id), memo, text, category,
                       QStringLiteral("-1"), QString(), QStringLiteral("0")}
        .join(u'\t');
}

QList<qint32> ids(const QList<TSkedSearchRec>& results)
{
    QList<qint32> r;
    for (const TSkedSearchRec& s : results) {
        r << s.ID;
    }
    return r;
}

SearchQuery words(const QString& text, SearchTarget target = SearchTarget::Both)
{
    SearchQuery q;
    q.text = text;
    q.target = target;
    return q;
}

// A source whose listed days cannot be read.
class BrokenSource : public DayLineSource
{
public:
    QList<QDate> dayFileDates(const QDate&, const QDate&) override { return {kJan1}; }
    DayLines dayLines(const QDate&) override { return DayLines{false, QStringLiteral("x"), QStringLiteral("読めません: x"), {}, {}}; }
};

} // namespace

class TestSkedSearch : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void search_data();
    void search();
    void resultRecord();
    void dateGroupsBandOnce();
    void damagedLinesAreReportedNotListed();
    void unreadableDayIsReported();
    void cacheFollowsChangedAndRemovedFiles();
    void searchAndViewsShareTheBooksMemory();
    void progressCancels();
    void history_data();
    void history();
    void historyFile();

private:
    QTemporaryDir m_dir;
};

void TestSkedSearch::initTestCase()
{
    const QString f = m_dir.path();
    QVERIFY(writeTextLines(dayFilePath(f, kJan1),
                           {line(16, 18, 2, 1, QStringLiteral("資料"), QStringLiteral("会議 東京#13#10本社"),
                                 QStringLiteral("会議")),
                            line(20, 21, -1, 2, QString(), QStringLiteral("会議　東京"), QStringLiteral("会社")),
                            QString(),
                            line(24, 25, -1, 3, QStringLiteral("会議室"), QStringLiteral("ランチ"), QString())}));
    QVERIFY(writeTextLines(dayFilePath(f, kJan5), {line(18, 21, 0, 4, QString(), QStringLiteral("東京出張"),
                                                        QStringLiteral("個人"), QStringLiteral("$00804000"))}));
    // A file written on Windows (CP932), with a line of an unknown layout.
    QStringEncoder sjis("CP932");
    const QByteArray bytes = sjis.encode(line(30, 31, -1, 5, QString(), QStringLiteral("歯医者"), QString()) +
                                         QStringLiteral("\r\n会議\tだけの行\r\n"));
    QFile file(dayFilePath(f, kJan10));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
    file.close();
    QFile(m_dir.filePath(QStringLiteral("notes.dat"))).open(QIODevice::WriteOnly);
}

void TestSkedSearch::search_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("target");
    QTest::addColumn<QDate>("from");
    QTest::addColumn<QDate>("to");
    QTest::addColumn<QString>("category");
    QTest::addColumn<int>("image");
    QTest::addColumn<QList<qint32>>("expected");
    const int both = int(SearchTarget::Both);
    const int text = int(SearchTarget::Text);
    const int memo = int(SearchTarget::Memo);
    QTest::newRow("two terms anywhere") << "会議 東京" << both << QDate() << QDate() << "" << 0 << QList<qint32>{1, 2};
    QTest::newRow("full-width space keeps one term")
        << "会議　東京" << both << QDate() << QDate() << "" << 0 << QList<qint32>{2};
    QTest::newRow("spaces around terms") << "  東京  " << both << QDate() << QDate() << "" << 0 << QList<qint32>{1, 2, 4};
    QTest::newRow("target memo") << "会議" << memo << QDate() << QDate() << "" << 0 << QList<qint32>{3};
    QTest::newRow("target text") << "会議" << text << QDate() << QDate() << "" << 0 << QList<qint32>{1, 2};
    QTest::newRow("category substring") << "" << both << QDate() << QDate() << "会" << 0 << QList<qint32>{1, 2};
    QTest::newRow("category with target memo and no words") << "" << memo << QDate() << QDate() << "個人" << 0 << QList<qint32>{4};
    QTest::newRow("start only, inclusive") << "" << both << kJan5 << QDate() << "" << 0 << QList<qint32>{4, 5};
    QTest::newRow("end only, inclusive") << "" << both << QDate() << kJan5 << "" << 0 << QList<qint32>{1, 2, 3, 4};
    QTest::newRow("period of one day") << "" << both << kJan5 << kJan5 << "" << 0 << QList<qint32>{4};
    QTest::newRow("image entry 3 is image 2") << "" << both << QDate() << QDate() << "" << 3 << QList<qint32>{1};
    QTest::newRow("image entry 1 is image 0") << "" << both << QDate() << QDate() << "" << 1 << QList<qint32>{4};
    QTest::newRow("digits match the times") << "18" << both << QDate() << QDate() << "" << 0 << QList<qint32>{1, 4};
    QTest::newRow("digits match a colour") << "804" << both << QDate() << QDate() << "" << 0 << QList<qint32>{4};
    QTest::newRow("digits not in the text") << "18" << text << QDate() << QDate() << "" << 0 << QList<qint32>{};
    QTest::newRow("escapes are part of the line") << "#13#10本社" << both << QDate() << QDate() << "" << 0
                                                  << QList<qint32>{1};
    QTest::newRow("case-sensitive") << "CLWINDOWTEXT" << both << QDate() << QDate() << "" << 0 << QList<qint32>{};
    QTest::newRow("CP932 day file") << "歯医者" << both << QDate() << QDate() << "" << 0 << QList<qint32>{5};
    QTest::newRow("no terms: every schedule") << "" << both << QDate() << QDate() << "" << 0
                                              << QList<qint32>{1, 2, 3, 4, 5};
}

void TestSkedSearch::search()
{
    QFETCH(QString, text);
    QFETCH(int, target);
    QFETCH(QDate, from);
    QFETCH(QDate, to);
    QFETCH(QString, category);
    QFETCH(int, image);
    QFETCH(QList<qint32>, expected);
    const ScheduleBook book(m_dir.path(), nullptr);
    BookDaySource source(book);
    const SearchOutcome out =
        searchSchedules(source, SearchQuery{text, SearchTarget(target), from, to, category, image});
    QCOMPARE(ids(out.results), expected);
    QVERIFY(out.errors.isEmpty());
    QVERIFY(!out.cancelled);
}

void TestSkedSearch::resultRecord()
{
    const ScheduleBook book(m_dir.path(), nullptr);
    BookDaySource source(book);
    const SearchOutcome out = searchSchedules(source, words(QStringLiteral("本社")));
    QCOMPARE(out.results.size(), 1);
    const TSkedSearchRec& r = out.results.first();
    QCOMPARE(r.Date, kJan1);
    QCOMPARE(r.timeSpan(), QStringLiteral("8:00-9:00"));
    QCOMPARE(r.Text, QStringLiteral("会議 東京#13#10本社"));
    QCOMPARE(r.TextShown, QStringLiteral("会議 東京..."));
    QCOMPARE(r.MemoShown, QStringLiteral("資料"));
    QCOMPARE(r.Category, QStringLiteral("会議"));
    QCOMPARE(r.ImageIndex, 2);
}

void TestSkedSearch::dateGroupsBandOnce()
{
    const ScheduleBook book(m_dir.path(), nullptr);
    BookDaySource source(book);
    QList<TSkedSearchRec> results = searchSchedules(source, words(QStringLiteral("東京"))).results;
    QCOMPARE(ids(results), (QList<qint32>{1, 2, 4}));
    QList<bool> same, band;
    for (const TSkedSearchRec& r : results) {
        same << r.SameDate;
        band << r.Band;
    }
    QCOMPARE(same, (QList<bool>{false, true, false}));
    QCOMPARE(band, (QList<bool>{true, true, false}));
    // Removing a group's first line hands the date to the next line.
    results.removeFirst();
    markDateGroups(results);
    QVERIFY(!results.first().SameDate);
    QVERIFY(results.first().Band);
    QVERIFY(!results.last().Band);
}

void TestSkedSearch::damagedLinesAreReportedNotListed()
{
    const ScheduleBook book(m_dir.path(), nullptr);
    BookDaySource source(book);
    SearchOutcome out = searchSchedules(source, words(QStringLiteral("会議")));
    QCOMPARE(ids(out.results), (QList<qint32>{1, 2, 3}));
    QCOMPARE(out.skipped.size(), 1);
    QCOMPARE(out.skipped.first().lineNumber, 2);
    QVERIFY(out.skipped.first().file.endsWith(QStringLiteral("20240110.dat")));
    // Its raw fields fail the field tests of target "スケジュール": not a match at all.
    out = searchSchedules(source, words(QStringLiteral("会議"), SearchTarget::Text));
    QVERIFY(out.skipped.isEmpty());
    out = searchSchedules(source, words(QStringLiteral("ランチ")));
    QVERIFY(out.skipped.isEmpty());
}

void TestSkedSearch::unreadableDayIsReported()
{
    BrokenSource source;
    const SearchOutcome out = searchSchedules(source, SearchQuery{});
    QVERIFY(out.results.isEmpty());
    QCOMPARE(out.errors, QStringList{QStringLiteral("読めません: x")});
}

void TestSkedSearch::cacheFollowsChangedAndRemovedFiles()
{
    QTemporaryDir dir;
    const QDate d(2025, 2, 3);
    QVERIFY(writeTextLines(dayFilePath(dir.path(), d), {line(1, 2, -1, 7, QString(), QStringLiteral("古い"), {})}));
    QVERIFY(writeTextLines(dayFilePath(dir.path(), d.addDays(1)),
                           {line(1, 2, -1, 8, QString(), QStringLiteral("古い"), {})}));
    const ScheduleBook book(dir.path(), nullptr);
    KeptDaySource source(book);
    QCOMPARE(ids(searchSchedules(source, words(QStringLiteral("古い"))).results), (QList<qint32>{7, 8}));
    QCOMPARE(book.cacheStats().days, 2);
    QVERIFY(book.cacheStats().bytes > 0);
    QVERIFY(writeTextLines(dayFilePath(dir.path(), d),
                           {line(1, 2, -1, 9, QString(), QStringLiteral("新しい予定"), {})}));
    QVERIFY(QFile::remove(dayFilePath(dir.path(), d.addDays(1))));
    QCOMPARE(ids(searchSchedules(source, words(QStringLiteral("古い"))).results), QList<qint32>{});
    QCOMPARE(ids(searchSchedules(source, words(QStringLiteral("新しい"))).results), QList<qint32>{9});
    QCOMPARE(book.cacheStats().days, 1);
}

// The search keeps no days of its own: what it read serves the views, and a
// change made through the book is what the next search finds.
void TestSkedSearch::searchAndViewsShareTheBooksMemory()
{
    QTemporaryDir dir;
    const QDate d(2025, 4, 1);
    const QString path = dayFilePath(dir.path(), d);
    QVERIFY(writeTextLines(path, {line(1, 2, -1, 7, QString(), QStringLiteral("古い予定"), {})}));
    // Changed long ago: the stamp alone tells a later change.
    const struct timespec old[2] = {{1000000000, 0}, {1000000000, 0}};
    QCOMPARE(::utimensat(AT_FDCWD, QFile::encodeName(path).constData(), old, 0), 0);
    ScheduleBook book(dir.path(), nullptr);
    KeptDaySource source(book);
    QCOMPARE(ids(searchSchedules(source, words(QStringLiteral("古い"))).results), QList<qint32>{7});
    const int reads = book.cacheStats().fileReads;
    QCOMPARE(book.day(d).records.size(), 1);
    QCOMPARE(book.cacheStats().fileReads, reads);

    TSkedRec changed = book.find(d, 7).value();
    changed.Text = QStringLiteral("新しい予定");
    QVERIFY(book.replace(d, 7, changed).ok());
    QCOMPARE(ids(searchSchedules(source, words(QStringLiteral("古い"))).results), QList<qint32>{});
    QCOMPARE(ids(searchSchedules(source, words(QStringLiteral("新しい"))).results), QList<qint32>{7});
}

void TestSkedSearch::progressCancels()
{
    const ScheduleBook book(m_dir.path(), nullptr);
    BookDaySource source(book);
    QList<int> seen;
    const SearchOutcome out = searchSchedules(source, SearchQuery{}, [&](int done, int total) {
        seen << done << total;
        return done < 2;
    });
    QVERIFY(out.cancelled);
    QCOMPARE(seen, (QList<int>{1, 3, 2, 3}));
    QCOMPARE(ids(out.results), (QList<qint32>{1, 2, 3, 4}));
}

void TestSkedSearch::history_data()
{
    QTest::addColumn<QStringList>("before");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("after");
    const QStringList abc{"a", "b", "c"};
    QTest::newRow("third moves to the top") << abc << "c" << QStringList{"c", "a", "b"};
    QTest::newRow("first stays") << abc << "a" << abc;
    QTest::newRow("new goes on top") << abc << "d" << QStringList{"d", "a", "b", "c"};
    QTest::newRow("empty first entry gives way") << QStringList{"", "a"} << "b" << QStringList{"b", "a"};
    QTest::newRow("empty search adds an empty entry") << abc << "" << QStringList{"", "a", "b", "c"};
    QTest::newRow("only one empty entry on top") << QStringList{"", "a"} << "" << QStringList{"", "a"};
    QTest::newRow("empty search on empty history") << QStringList{} << "" << QStringList{};
}

void TestSkedSearch::history()
{
    QFETCH(QStringList, before);
    QFETCH(QString, text);
    QFETCH(QStringList, after);
    SearchHistory h;
    h.setEntries(before);
    h.recordSearch(text);
    QCOMPARE(h.entries(), after);
}

void TestSkedSearch::historyFile()
{
    QTemporaryDir dir;
    SearchHistory h;
    QVERIFY(h.load(dir.path()));
    QVERIFY(h.entries().isEmpty());
    h.setEntries({QStringLiteral("会議"), QString(), QStringLiteral("東京 出張")});
    QVERIFY(h.save(dir.path()));
    QFile f(dir.filePath(QStringLiteral("searchword.nox")));
    QVERIFY(f.open(QIODevice::ReadOnly));
    QCOMPARE(f.readAll(), QStringLiteral("会議\r\n\r\n東京 出張\r\n").toUtf8());
    SearchHistory again;
    QVERIFY(again.load(dir.path()));
    QCOMPARE(again.entries(), h.entries());
    setWriteFaultHook([](const QString&, WriteStep step) { return step == WriteStep::Rename ? EACCES : 0; });
    QString error;
    QVERIFY(!toldStatus(h.save(dir.path()), &error));
    setWriteFaultHook({});
    QVERIFY(error.contains(QStringLiteral("searchword.nox")));
}

QTEST_GUILESS_MAIN(TestSkedSearch)
#include "tst_skedsearch.moc"
