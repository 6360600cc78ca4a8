#include <QHBoxLayout>
#include <QScrollBar>
#include <QTest>

#include "shots.h"
#include "widgets/noxmemo.h"

using namespace nox;

namespace
{

QString lines(int count, const QString& word = QStringLiteral("x"))
{
    QStringList list;
    for (int i = 0; i < count; ++i) {
        list << word + QString::number(i);
    }
    return list.join(QLatin1Char('\n'));
}

// Sizes the memo so that exactly `fit` lines fit into its text area.
void sizeForLines(TNoxMemo& memo, int fit)
{
    const int chrome = 2 + memo.TopBarHeight() + 2 * memo.MarginSize(); // frame, strip, margins
    memo.resize(200, chrome + fit * memo.LineHeight());
}

} // namespace

class TestNoxMemo : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { QApplication::setFont(testshots::japaneseFont(10)); }
    void exactFitThenTrailingBreak();
    void wrappedLinesCount();
    void textStartsBelowFrameStripAndMargin_data();
    void textStartsBelowFrameStripAndMargin();
    void fontChangeRemeasures();
    void modifiedFlag();
    void layoutChangesKeepModifiedClear_data();
    void layoutChangesKeepModifiedClear();
    void stripIsPaintedOnlyWithHeight();
    void shotCaptionedMemos();
};

void TestNoxMemo::exactFitThenTrailingBreak()
{
    for (int margin : {0, 3}) {
        for (int bar : {0, 16}) {
            TNoxMemo memo;
            memo.SetMarginSize(margin);
            memo.SetTopBarHeight(bar);
            sizeForLines(memo, 4);
            memo.show();
            QVERIFY(QTest::qWaitForWindowExposed(&memo));
            memo.SetText(lines(4));
            QCOMPARE(memo.ShownLineCount(), 4);
            QVERIFY2(!memo.ScrollBarShown(), "four lines fit exactly");
            memo.moveCursor(QTextCursor::End);
            QVERIFY2(memo.cursorRect().bottom() < memo.viewport()->height() - margin,
                     "the last line is whole");
            QCOMPARE(memo.verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
            memo.SetText(lines(4) + QLatin1Char('\n'));
            QVERIFY2(memo.ScrollBarShown(), "a trailing line break needs one more line");
            QCOMPARE(memo.verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
            memo.SetText(lines(3) + QLatin1Char('\n'));
            QVERIFY(!memo.ScrollBarShown());
            if (margin > 0) {
                // Four lines reaching into the bottom margin do not fit.
                memo.resize(memo.width(), memo.height() - 1);
                memo.SetText(lines(4));
                QVERIFY(memo.ScrollBarShown());
            }
        }
    }
}

void TestNoxMemo::wrappedLinesCount()
{
    TNoxMemo memo;
    sizeForLines(memo, 3);
    memo.show();
    QVERIFY(QTest::qWaitForWindowExposed(&memo));
    memo.SetText(QStringLiteral("あ"));
    QCOMPARE(memo.ShownLineCount(), 1);
    // One paragraph long enough to wrap onto more lines than fit.
    memo.SetText(QString(60, QChar(0x3042)));
    QVERIFY(memo.ShownLineCount() > 3);
    QVERIFY(memo.ScrollBarShown());
    // Made wide enough again, the same text fits and the bar goes.
    memo.resize(2000, memo.height());
    QVERIFY(memo.ShownLineCount() <= 3);
    QVERIFY(!memo.ScrollBarShown());
}

void TestNoxMemo::textStartsBelowFrameStripAndMargin_data()
{
    QTest::addColumn<int>("margin");
    QTest::addColumn<int>("bar");
    QTest::newRow("plain") << 0 << 0;
    QTest::newRow("margin") << 5 << 0;
    QTest::newRow("strip and margin") << 4 << 16;
}

void TestNoxMemo::textStartsBelowFrameStripAndMargin()
{
    QFETCH(int, margin);
    QFETCH(int, bar);
    TNoxMemo memo;
    memo.resize(200, 120);
    memo.SetMarginSize(margin);
    memo.SetTopBarHeight(bar);
    memo.SetText(QStringLiteral("text"));
    memo.show();
    QVERIFY(QTest::qWaitForWindowExposed(&memo));
    QCOMPARE(memo.TextRect().top(), 1 + bar + margin);
    QCOMPARE(memo.TextRect().left(), 1 + margin);
    memo.moveCursor(QTextCursor::Start);
    const QRect caret = memo.cursorRect();
    const QPoint caretInMemo = memo.viewport()->mapTo(&memo, caret.topLeft());
    QCOMPARE(caretInMemo.y(), 1 + bar + margin);
}

void TestNoxMemo::fontChangeRemeasures()
{
    TNoxMemo memo;
    QFont small = testshots::japaneseFont(9);
    memo.setFont(small);
    const int smallHeight = memo.LineHeight();
    QVERIFY(smallHeight > 0);
    sizeForLines(memo, 3);
    memo.show();
    QVERIFY(QTest::qWaitForWindowExposed(&memo));
    memo.SetText(lines(3));
    QVERIFY(!memo.ScrollBarShown());
    QFont big = small;
    big.setPointSize(20);
    memo.setFont(big);
    QVERIFY(memo.LineHeight() > smallHeight);
    QVERIFY2(memo.ScrollBarShown(), "three bigger lines no longer fit");
}

void TestNoxMemo::modifiedFlag()
{
    TNoxMemo memo;
    memo.SetText(QStringLiteral("day memo"));
    QVERIFY(!memo.Modified());
    memo.show();
    QVERIFY(QTest::qWaitForWindowExposed(&memo));
    memo.setFocus();
    QTest::keyClick(memo.viewport(), Qt::Key_A);
    QTest::keyClick(&memo, Qt::Key_B);
    QVERIFY(memo.Modified());
    QVERIFY(memo.Text().contains(QLatin1Char('b')));
    memo.SetModified(false);
    QVERIFY(!memo.Modified());
    // Tab moves the focus unless the box wants tabs.
    QVERIFY(!memo.WantTabs());
    memo.SetWantTabs(true);
    QTest::keyClick(&memo, Qt::Key_Tab);
    QVERIFY(memo.Text().contains(QLatin1Char('\t')));

    // Setting the text it already shows leaves nothing of the earlier day's
    // typing to undo, also when that typing was deleted again.
    memo.SetText(QString());
    QTest::keyClick(&memo, Qt::Key_C);
    QTest::keyClick(&memo, Qt::Key_Backspace);
    QCOMPARE(memo.Text(), QString());
    memo.SetText(QString());
    QVERIFY(!memo.document()->isUndoAvailable());
    QVERIFY(!memo.Modified());
}

// Only the user's typing marks a memo as changed: the main window saves a
// pane only when it is marked, so a layout change must never mark it.
void TestNoxMemo::layoutChangesKeepModifiedClear_data()
{
    QTest::addColumn<int>("change");
    QTest::newRow("resize") << 0;
    QTest::newRow("margin") << 1;
    QTest::newRow("strip height") << 2;
    QTest::newRow("caption") << 3;
    QTest::newRow("font") << 4;
    QTest::newRow("frame") << 5;
    QTest::newRow("colours") << 6;
    QTest::newRow("text by program") << 7;
    QTest::newRow("hide and show") << 8;
}

void TestNoxMemo::layoutChangesKeepModifiedClear()
{
    QFETCH(int, change);
    for (const QString& loaded : {QString(), QStringLiteral("day memo\nsecond line")}) {
        TNoxMemo memo;
        memo.resize(160, 80);
        memo.SetText(loaded);
        memo.show();
        QVERIFY(QTest::qWaitForWindowExposed(&memo));
        QVERIFY(!memo.Modified());
        switch (change) {
        case 0:
            memo.resize(90, 40);
            break;
        case 1:
            memo.SetMarginSize(4);
            break;
        case 2:
            memo.SetTopBarHeight(16);
            break;
        case 3:
            memo.SetTopBarHeight(16);
            memo.SetTopBarCaption(QStringLiteral("caption"));
            break;
        case 4:
            memo.setFont(testshots::japaneseFont(14));
            break;
        case 5:
            memo.SetBorderStyle(false);
            break;
        case 6:
            memo.SetColor(clYellow);
            memo.SetFontColor(clRed);
            break;
        case 7:
            memo.setPlainText(QStringLiteral("filled by the program"));
            break;
        case 8:
            memo.hide();
            memo.show();
            break;
        }
        QCoreApplication::processEvents();
        QVERIFY2(!memo.Modified(), qPrintable(loaded.isEmpty() ? QStringLiteral("empty") : loaded));
        // Typing still marks it. Undoing the typing makes it unmodified again,
        // and a second undo finds nothing more: the layout change is no edit.
        memo.setFocus();
        QTest::keyClick(&memo, Qt::Key_X);
        QVERIFY(memo.Modified());
        QTest::keyClick(&memo, Qt::Key_Z, Qt::ControlModifier);
        QVERIFY(!memo.Modified());
        QTest::keyClick(&memo, Qt::Key_Z, Qt::ControlModifier);
        QVERIFY(!memo.Modified());
        QCOMPARE(memo.Text(), change == 7 ? QStringLiteral("filled by the program") : loaded);
    }
}

void TestNoxMemo::stripIsPaintedOnlyWithHeight()
{
    TNoxMemo memo;
    memo.resize(160, 80);
    memo.SetColor(clWhite);
    memo.SetTopBarBKColor(0x00336699);
    memo.SetTopBarCaption(QStringLiteral("日別メモ"));
    memo.show();
    QVERIFY(QTest::qWaitForWindowExposed(&memo));
    QImage shot = memo.grab().toImage();
    QCOMPARE(shot.pixelColor(3, 4), QColor(Qt::white));
    memo.SetTopBarHeight(16);
    shot = memo.grab().toImage();
    QCOMPARE(shot.pixelColor(3, 4).rgb(), toQColor(0x00336699).rgb());
    QCOMPARE(shot.pixelColor(3, 20), QColor(Qt::white));
    // The strip covers window rows 1 .. TopBarHeight - 1; the row below it
    // has the box's colour.
    QCOMPARE(shot.pixelColor(3, 15).rgb(), toQColor(0x00336699).rgb());
    QCOMPARE(shot.pixelColor(3, 16), QColor(Qt::white));
    // Frame: shadow on top and left, highlight on bottom and right.
    QCOMPARE(shot.pixelColor(0, 40).rgb(), toQColor(clBtnShadow, memo.palette()).rgb());
    QCOMPARE(shot.pixelColor(159, 40).rgb(), toQColor(clBtnHighlight, memo.palette()).rgb());
}

void TestNoxMemo::shotCaptionedMemos()
{
    QWidget host;
    host.resize(520, 150);
    auto* lay = new QHBoxLayout(&host);
    lay->setContentsMargins(0, 0, 0, 0);
    lay->setSpacing(0);
    const QStringList captions{QStringLiteral("スケジュールメモ"), QStringLiteral("日別メモ")};
    const QStringList texts{QStringLiteral("会議室の予約を確認すること。\n資料は三部印刷。"),
                            lines(9, QStringLiteral("行"))};
    for (int i = 0; i < 2; ++i) {
        auto* memo = new TNoxMemo(&host);
        memo->SetTopBarHeight(16);
        memo->SetTopBarCaption(captions[i]);
        memo->SetTopBarBKColor(0x00A56E3A);
        memo->SetTopBarFGColor(clWhite);
        memo->SetColor(0x00E1FFFF);
        memo->SetMarginSize(2);
        memo->SetText(texts[i]);
        lay->addWidget(memo);
    }
    host.show();
    QVERIFY(QTest::qWaitForWindowExposed(&host));
    testshots::save(&host, QStringLiteral("noxmemo_captioned"));
}

QTEST_MAIN(TestNoxMemo)
#include "tst_noxmemo.moc"
