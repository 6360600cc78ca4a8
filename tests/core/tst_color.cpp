#include <QtTest>

#include <QFile>
#include <QFont>
#include <QPalette>
#include <QSettings>

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
    void contrastRatios_data();
    void contrastRatios();
    void faintTextIsDrawnReadable_data();
    void faintTextIsDrawnReadable();
    void darkStyleDrawsEveryColourReadable();
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

void TestColor::contrastRatios_data()
{
    QTest::addColumn<QColor>("a");
    QTest::addColumn<QColor>("b");
    QTest::addColumn<double>("ratio");
    QTest::newRow("black on white") << QColor(Qt::black) << QColor(Qt::white) << 21.0;
    QTest::newRow("same") << QColor(0x33, 0x66, 0x99) << QColor(0x33, 0x66, 0x99) << 1.0;
    QTest::newRow("grey 777 on white") << QColor(0x77, 0x77, 0x77) << QColor(Qt::white) << 4.48;
    QTest::newRow("order does not matter") << QColor(Qt::white) << QColor(0x77, 0x77, 0x77) << 4.48;
}

void TestColor::contrastRatios()
{
    QFETCH(QColor, a);
    QFETCH(QColor, b);
    QFETCH(double, ratio);
    QVERIFY2(qAbs(contrastRatio(a, b) - ratio) < 0.01, qPrintable(QString::number(contrastRatio(a, b))));
}

void TestColor::faintTextIsDrawnReadable_data()
{
    QTest::addColumn<QColor>("text");
    QTest::addColumn<QColor>("background");
    QTest::addColumn<bool>("kept");
    const QColor dark(0x22, 0x27, 0x2E);
    QTest::newRow("navy on dark") << QColor(0, 0, 0x80) << dark << false;
    QTest::newRow("purple on dark") << QColor(0x80, 0, 0x80) << dark << false;
    QTest::newRow("maroon on dark") << QColor(0x80, 0, 0) << dark << false;
    QTest::newRow("yellow on white") << QColor(0xFF, 0xFF, 0) << QColor(Qt::white) << false;
    QTest::newRow("black on white") << QColor(Qt::black) << QColor(Qt::white) << true;
    QTest::newRow("3:1 is kept") << QColor(0x94, 0x94, 0x94) << QColor(Qt::white) << true;
}

// Below 3:1 the shade changes, keeping the hue, until it reaches 4.5:1.
void TestColor::faintTextIsDrawnReadable()
{
    QFETCH(QColor, text);
    QFETCH(QColor, background);
    QFETCH(bool, kept);
    const QColor drawn = readableOn(text, background);
    if (kept) {
        QCOMPARE(drawn, text);
        return;
    }
    QVERIFY2(contrastRatio(drawn, background) >= 4.5, qPrintable(drawn.name()));
    QVERIFY2(contrastRatio(drawn, background) < 5.0, qPrintable(drawn.name())); // not further than needed
    QVERIFY(qAbs(drawn.toHsl().hslHue() - text.toHsl().hslHue()) <= 2);
}

// Every colour of the colour lists drawn on the dark factory style's day
// column and month-view entry backgrounds reaches 3:1 at least, and 4.5:1
// when it had to be adjusted.
void TestColor::darkStyleDrawsEveryColourReadable()
{
    const QString styleIni = QCoreApplication::applicationDirPath() + QStringLiteral("/default/style.ini");
    QVERIFY2(QFile::exists(styleIni), qPrintable(styleIni));
    QSettings style(styleIni, QSettings::IniFormat);
    QList<QColor> backgrounds;
    for (const char* key : {"Color", "SkedBKColor"}) {
        TColor c = 0;
        QVERIFY(stringToColor(style.value(QStringLiteral("Style3/") + QLatin1String(key)).toString(), &c));
        backgrounds << toQColor(c);
    }
    const TColor texts[] = {clBlack,  clMaroon, clGreen, clOlive,  clNavy, clPurple,  clTeal, clGray,
                            clSilver, clRed,    clLime,  clYellow, clBlue, clFuchsia, clAqua, clWhite};
    for (const QColor& background : backgrounds) {
        for (TColor text : texts) {
            const QColor raw = toQColor(text);
            const QColor drawn = readableOn(raw, background);
            const double ratio = contrastRatio(drawn, background);
            QVERIFY2(drawn == raw ? ratio >= 3.0 : ratio >= 4.5,
                     qPrintable(colorToString(text) + QStringLiteral(" on ") + background.name()));
        }
    }
}

QTEST_MAIN(TestColor)
#include "tst_color.moc"
