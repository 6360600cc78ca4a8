#include <QtTest>

#include "store/skedrec.h"

using namespace nox;

class TestSkedRec : public QObject
{
    Q_OBJECT
private slots:
    void exampleLine();
    void roundTrip();
    void escaping();
    void optionalFields_data();
    void optionalFields();
    void fieldsOfLaterVersionsSurviveRewrite();
    void badLines_data();
    void badLines();
    void fieldAccess();
    void timeTexts();
};

static TSkedRec meeting()
{
    TSkedRec r;
    r.setDate(QDate(2003, 3, 5));
    r.StartTime = 16;
    r.EndTime = 18;
    r.FontStyle = fsBold;
    r.ID = 143005123;
    r.Text = QStringLiteral("会議");
    r.AlarmMinutes = 30;
    return r;
}

void TestSkedRec::exampleLine()
{
    const QString line =
        QStringLiteral("16\t18\tclWindowText\tclWindowText\t1\t-1\t143005123\t\t会議\t\t30\t\t0");
    QCOMPARE(formatSkedLine(meeting()), line);
    TSkedRec r;
    QVERIFY(parseSkedLine(line, QDate(2003, 3, 5), &r).ok());
    QCOMPARE(r, meeting());
    QCOMPARE(r.Date, 37685.0);
}

void TestSkedRec::roundTrip()
{
    TSkedRec r = meeting();
    r.StartTime = 47;
    r.EndTime = 47;
    r.TextColor = 0x00123456;
    r.LineColor = clRed;
    r.FontStyle = fsItalic | fsStrikeOut;
    r.ImageIndex = 12;
    r.ID = -5;
    r.Memo = escapeSkedText(QStringLiteral("一行目\r\n二行目"));
    r.Category = QStringLiteral("仕事");
    r.AlarmMinutes = -1;
    r.RelatedInfo = QStringLiteral("https://example.org/a b");
    r.OpenRelatedInfo = true;
    TSkedRec back;
    QVERIFY(parseSkedLine(formatSkedLine(r), r.date(), &back).ok());
    QCOMPARE(back, r);
    QCOMPARE(formatSkedLine(r).count(u'\t'), 12);
    TSkedRec copy;
    copySkedRec(r, &copy);
    QCOMPARE(copy, r);
}

void TestSkedRec::escaping()
{
    QCOMPARE(escapeSkedText(QStringLiteral("a\r\nb")), QStringLiteral("a#13#10b"));
    QCOMPARE(escapeSkedText(QStringLiteral("a\nb\rc")), QStringLiteral("a#13#10b#13#10c"));
    QCOMPARE(escapeSkedText(QStringLiteral("a\tb")), QStringLiteral("a b"));
    QCOMPARE(unescapeSkedText(QStringLiteral("a#13#10b")), QStringLiteral("a\r\nb"));
    QCOMPARE(unescapeSkedText(escapeSkedText(QStringLiteral("x\r\ny\r\n"))), QStringLiteral("x\r\ny\r\n"));
    // A text with a tab still gives a 13-field line.
    TSkedRec r = meeting();
    r.Text = escapeSkedText(QStringLiteral("a\tb"));
    TSkedRec back;
    QVERIFY(parseSkedLine(formatSkedLine(r), r.date(), &back).ok());
    QCOMPARE(back.Text, QStringLiteral("a b"));
    // Raw tabs and line breaks handed to the line never split it or shift
    // the fields after them.
    r.Memo = QStringLiteral("m1\r\nm2");
    r.Text = QStringLiteral("t1\nt2\tt3");
    r.Category = QStringLiteral("仕\t事\r\n");
    r.RelatedInfo = QStringLiteral("/tmp/a\nb");
    const QString line = formatSkedLine(r);
    QVERIFY(!line.contains(u'\r') && !line.contains(u'\n'));
    QCOMPARE(line.count(u'\t'), 12);
    QVERIFY(parseSkedLine(line, r.date(), &back).ok());
    QCOMPARE(back.Memo, QStringLiteral("m1#13#10m2"));
    QCOMPARE(back.Text, QStringLiteral("t1#13#10t2 t3"));
    QCOMPARE(back.Category, QStringLiteral("仕 事 "));
    QCOMPARE(back.AlarmMinutes, 30);
    QCOMPARE(back.RelatedInfo, QStringLiteral("/tmp/a#13#10b"));
}

void TestSkedRec::optionalFields_data()
{
    QTest::addColumn<QString>("tail");
    QTest::addColumn<int>("alarm");
    QTest::addColumn<QString>("related");
    QTest::addColumn<bool>("open");
    QTest::newRow("ten fields") << "" << -1 << "" << false;
    QTest::newRow("eleven") << "\t5" << 5 << "" << false;
    QTest::newRow("alarm not a number") << "\tx\tinfo\t1" << -1 << "info" << true;
    QTest::newRow("open true is false") << "\t0\t\ttrue" << 0 << "" << false;
    QTest::newRow("open 2 is false") << "\t0\t\t2" << 0 << "" << false;
    QTest::newRow("extra fields do not disturb") << "\t10\tr\t1\textra" << 10 << "r" << true;
}

void TestSkedRec::optionalFields()
{
    QFETCH(QString, tail);
    QFETCH(int, alarm);
    QFETCH(QString, related);
    QFETCH(bool, open);
    const QString line = QStringLiteral("2\t3\t$000000FF\tclred\t0\t-1\t7\tm\tt\tc") + tail;
    TSkedRec r;
    QVERIFY(parseSkedLine(line, QDate(2020, 1, 1), &r).ok());
    QCOMPARE(r.AlarmMinutes, alarm);
    QCOMPARE(r.RelatedInfo, related);
    QCOMPARE(r.OpenRelatedInfo, open);
    QCOMPARE(r.TextColor, clRed);
    QCOMPARE(r.LineColor, clRed);
    QCOMPARE(r.Memo, QStringLiteral("m"));
    QCOMPARE(r.Category, QStringLiteral("c"));
}

void TestSkedRec::fieldsOfLaterVersionsSurviveRewrite()
{
    const QString line =
        QStringLiteral("2\t3\tclRed\tclRed\t0\t-1\t7\tm\tt\tc\t10\tr\t1\tnew1\t\tnew3");
    TSkedRec r;
    QVERIFY(parseSkedLine(line, QDate(2020, 1, 1), &r).ok());
    QCOMPARE(formatSkedLine(r), line);
}

void TestSkedRec::badLines_data()
{
    QTest::addColumn<QString>("line");
    QTest::newRow("empty") << "";
    QTest::newRow("nine fields") << "1\t2\tclBlack\tclBlack\t0\t-1\t5\tm\tt";
    QTest::newRow("start not a number") << "a\t2\tclBlack\tclBlack\t0\t-1\t5\t\t\t";
    QTest::newRow("end not a number") << "1\t\tclBlack\tclBlack\t0\t-1\t5\t\t\t";
    QTest::newRow("bad text colour") << "1\t2\tclPink\tclBlack\t0\t-1\t5\t\t\t";
    QTest::newRow("bad line colour") << "1\t2\tclBlack\t$xyz\t0\t-1\t5\t\t\t";
    QTest::newRow("style not a number") << "1\t2\tclBlack\tclBlack\tb\t-1\t5\t\t\t";
    QTest::newRow("image not a number") << "1\t2\tclBlack\tclBlack\t0\t-\t5\t\t\t";
    QTest::newRow("id not a number") << "1\t2\tclBlack\tclBlack\t0\t-1\t5.5\t\t\t";
    QTest::newRow("id too big") << "1\t2\tclBlack\tclBlack\t0\t-1\t9999999999\t\t\t";
    QTest::newRow("start beyond the day") << "48\t48\tclBlack\tclBlack\t0\t-1\t5\t\t\t";
    QTest::newRow("negative start") << "-1\t2\tclBlack\tclBlack\t0\t-1\t5\t\t\t";
    QTest::newRow("end before start") << "5\t4\tclBlack\tclBlack\t0\t-1\t5\t\t\t";
}

void TestSkedRec::badLines()
{
    QFETCH(QString, line);
    TSkedRec r = meeting();
    const TSkedParseResult result = parseSkedLine(line, QDate(2020, 1, 1), &r);
    QVERIFY(!result.ok());
    QVERIFY(!result.message().isEmpty());
    QCOMPARE(r, meeting());
}

void TestSkedRec::fieldAccess()
{
    const QString line = formatSkedLine(meeting());
    QCOMPARE(skedLineField(line, kSkedFieldId), QStringLiteral("143005123"));
    QCOMPARE(skedLineField(line, 0), QStringLiteral("16"));
    QCOMPARE(skedLineField(line, 12), QStringLiteral("0"));
    QCOMPARE(skedLineField(line, 13), QString());
    QCOMPARE(skedLineField(QStringLiteral("a\tb"), 9), QString());
}

void TestSkedRec::timeTexts()
{
    TSkedRec r = meeting();
    r.StartTime = 17;
    QCOMPARE(skedTimeText(17), QStringLiteral("8:30"));
    QCOMPARE(skedSortableStart(r), QStringLiteral("2003/03/05 08:30"));
    QCOMPARE(skedStartDateTime(r), QDateTime(QDate(2003, 3, 5), QTime(8, 30)));
    r.StartTime = 47;
    QCOMPARE(skedSortableStart(r), QStringLiteral("2003/03/05 23:30"));
    r.Date = 37685.75; // the fraction is ignored
    QCOMPARE(r.date(), QDate(2003, 3, 5));
}

QTEST_GUILESS_MAIN(TestSkedRec)
#include "tst_skedrec.moc"
