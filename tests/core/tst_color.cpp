#include <QtTest>

#include <QFont>
#include <QPalette>

#include "core/color.h"

using namespace nox;

class TestColor : public QObject
{
    Q_OBJECT
private slots:
    void nameForm_data();
    void nameForm();
    void everyNameRoundTrips();
    void reading_data();
    void reading();
    void systemColorsFollowThePalette();
    void plainColorsAreBgr();
    void fontStyles();
};

void TestColor::nameForm_data()
{
    QTest::addColumn<quint32>("value");
    QTest::addColumn<QString>("text");
    QTest::newRow("black") << quint32(clBlack) << "clBlack";
    QTest::newRow("red is 0000FF") << quint32(0x0000FF) << "clRed";
    QTest::newRow("money green") << quint32(0xC0DCC0) << "clMoneyGreen";
    QTest::newRow("window text") << quint32(0x80000008) << "clWindowText";
    QTest::newRow("info background") << quint32(0x80000018) << "clInfoBk";
    QTest::newRow("menu bar") << quint32(0x8000001E) << "clMenuBar";
    QTest::newRow("none") << quint32(0x1FFFFFFF) << "clNone";
    QTest::newRow("default") << quint32(0x20000000) << "clDefault";
    QTest::newRow("unnamed") << quint32(0x00FFE9D7) << "$00FFE9D7";
    QTest::newRow("unnamed small") << quint32(0x9DFFFF) << "$009DFFFF";
    QTest::newRow("system index without name") << quint32(0x80000019) << "$80000019";
}

void TestColor::nameForm()
{
    QFETCH(quint32, value);
    QFETCH(QString, text);
    QCOMPARE(colorToString(value), text);
    TColor back = 0x12345678;
    QVERIFY(stringToColor(text, &back));
    QCOMPARE(back, value);
}

void TestColor::everyNameRoundTrips()
{
    // Every system colour index 0..30 except 25 has a name.
    for (quint32 i = 0; i <= 30; ++i) {
        const QString name = colorToString(clSystemColor + i);
        QCOMPARE(name.startsWith(u"cl"), i != 25);
    }
}

void TestColor::reading_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<quint32>("value");
    QTest::newRow("lower case name") << "clwindowtext" << true << quint32(clWindowText);
    QTest::newRow("upper case name") << "CLYELLOW" << true << quint32(clYellow);
    QTest::newRow("spaces around") << "  clAqua " << true << quint32(clAqua);
    QTest::newRow("lower hex") << "$00ffe9d7" << true << quint32(0x00FFE9D7);
    QTest::newRow("short hex") << "$FF" << true << quint32(0xFF);
    QTest::newRow("decimal") << "255" << true << quint32(0xFF);
    QTest::newRow("negative decimal") << "-2147483640" << true << quint32(0x80000008);
    QTest::newRow("empty") << "" << false << quint32(0);
    QTest::newRow("unknown name") << "clPink" << false << quint32(0);
    QTest::newRow("bare dollar") << "$" << false << quint32(0);
    QTest::newRow("hex too long") << "$123456789" << false << quint32(0);
    QTest::newRow("hex with sign") << "$-1" << false << quint32(0);
    QTest::newRow("hex with 0x") << "$0x12" << false << quint32(0);
    QTest::newRow("decimal too big") << "4294967296" << false << quint32(0);
    QTest::newRow("trailing junk") << "12abc" << false << quint32(0);
}

void TestColor::reading()
{
    QFETCH(QString, text);
    QFETCH(bool, ok);
    QFETCH(quint32, value);
    TColor c = 0x0BADBAD;
    QCOMPARE(stringToColor(text, &c), ok);
    QCOMPARE(c, ok ? value : quint32(0x0BADBAD));
}

void TestColor::systemColorsFollowThePalette()
{
    QPalette p;
    p.setColor(QPalette::Active, QPalette::Text, QColor(1, 2, 3));
    p.setColor(QPalette::Active, QPalette::ToolTipBase, QColor(4, 5, 6));
    p.setColor(QPalette::Active, QPalette::Highlight, QColor(7, 8, 9));
    p.setColor(QPalette::Active, QPalette::Base, QColor(10, 11, 12));
    QCOMPARE(toQColor(clWindowText, p), QColor(1, 2, 3));
    QCOMPARE(toQColor(clInfoBk, p), QColor(4, 5, 6));
    QCOMPARE(toQColor(clHighlight, p), QColor(7, 8, 9));
    QCOMPARE(toQColor(clWindow, p), QColor(10, 11, 12));
    for (quint32 i = 0; i <= 30; ++i) {
        QVERIFY2(toQColor(clSystemColor + i, p).isValid(), qPrintable(QString::number(i)));
    }
    QVERIFY(!toQColor(clSystemColor + 200, p).isValid());
    QCOMPARE(toQColor(clWindowText), QGuiApplication::palette().color(QPalette::Text));
}

void TestColor::plainColorsAreBgr()
{
    QCOMPARE(toQColor(clRed), QColor(255, 0, 0));
    QCOMPARE(toQColor(0x00FFE9D7), QColor(0xD7, 0xE9, 0xFF));
    QVERIFY(!toQColor(clNone).isValid());
    QVERIFY(!toQColor(clDefault).isValid());
    QCOMPARE(fromQColor(QColor(0xD7, 0xE9, 0xFF)), TColor(0x00FFE9D7));
    QCOMPARE(fromQColor(toQColor(clSkyBlue)), clSkyBlue);
}

void TestColor::fontStyles()
{
    QFont f;
    applyFontStyles(f, fsBold | fsStrikeOut);
    QVERIFY(f.bold() && f.strikeOut() && !f.italic() && !f.underline());
    QCOMPARE(fontStylesOf(f), fsBold | fsStrikeOut);
    applyFontStyles(f, fsItalic | fsUnderline);
    QCOMPARE(fontStylesOf(f), fsItalic | fsUnderline);
}

QTEST_MAIN(TestColor)
#include "tst_color.moc"
