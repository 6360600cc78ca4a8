#include <QTest>

#include "app/statuspanels.h"

using namespace nox;

namespace
{

TStatusColors testColors()
{
    TStatusColors c;
    c.viewColor = 0x00F0F0F0;
    c.viewFontColor = 0x00202020;
    c.focusColor = 0x00804000;
    c.focusFontColor = clWhite;
    c.rulerFontColor = 0x00000080;
    c.saturdayColor = 0x00FFE1E1;
    c.sundayColor = 0x00DDDDFF;
    c.holidayColor = 0x00B0FFFF;
    return c;
}

QColor pixel(QWidget& w, QPoint at)
{
    return w.grab().toImage().pixelColor(at);
}

} // namespace

class TestStatusPanels : public QObject
{
    Q_OBJECT

private slots:
    void categoryPanelWidthAndLook();
    void dayPanelByKind_data();
    void dayPanelByKind();
    void ownerDrawnHeightAndPaint();
    void doubleClickZones();
    void scheduleSpanText_data();
    void scheduleSpanText();
    void trayLeftClick();
    void trayCloseQuery_data();
    void trayCloseQuery();
    void trayToolTipIsCut();
};

void TestStatusPanels::categoryPanelWidthAndLook()
{
    TStatusPanels bar;
    bar.resize(600, bar.height());
    bar.setViewFont(QFont(QStringLiteral("DejaVu Sans"), 9));
    bar.setColors(testColors());
    bar.setOwnerDraw(true);
    QCOMPARE(bar.panelText(0), QStringLiteral("分類 指定なし"));
    QCOMPARE(bar.panelWidth(0), 128);
    QCOMPARE(bar.panelLook(0).background, testColors().viewColor);
    QCOMPARE(bar.panelLook(0).fontStyles, 0);

    // A filter wider than the panel widens it to the bold text + 8.
    const QString filter = QStringLiteral("とても長い分類の名前で幅が足りない");
    bar.setCategoryFilter(filter);
    QFont bold(QStringLiteral("DejaVu Sans"), 9);
    bold.setBold(true);
    const int boldWidth = QFontMetrics(bold).horizontalAdvance(filter) + 8;
    QVERIFY(boldWidth > 128);
    QCOMPARE(bar.panelWidth(0), boldWidth);
    QCOMPARE(bar.panelLook(0).background, testColors().focusColor);
    QCOMPARE(bar.panelLook(0).textColor, clWhite);
    QCOMPARE(bar.panelLook(0).fontStyles, int(fsBold));
    // Panel 1 starts where panel 0 ends; panel 2 takes the rest.
    QCOMPARE(bar.panelRect(1).left(), boldWidth);
    QCOMPARE(bar.panelRect(2).right() + 1, 600);

    // Plain panels measure in the bar's own font, not bold.
    bar.setOwnerDraw(false);
    QCOMPARE(bar.panelWidth(0), qMax(128, QFontMetrics(bar.font()).horizontalAdvance(filter) + 8));
    bar.setCategoryFilter(QString());
    QCOMPARE(bar.panelWidth(0), 128);
}

void TestStatusPanels::dayPanelByKind_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<TColor>("background");
    QTest::addColumn<int>("styles");
    const TStatusColors c = testColors();
    QTest::newRow("weekday") << 0 << c.viewColor << 0;
    QTest::newRow("saturday") << 1 << c.saturdayColor << 0;
    QTest::newRow("sunday") << 2 << c.sundayColor << 0;
    QTest::newRow("holiday") << 3 << c.holidayColor << int(fsBold);
}

void TestStatusPanels::dayPanelByKind()
{
    QFETCH(int, kind);
    QFETCH(TColor, background);
    QFETCH(int, styles);
    TStatusPanels bar;
    bar.setColors(testColors());
    bar.setOwnerDraw(true);
    bar.setDayPanel(QStringLiteral("元日 (3)"), kind);
    QCOMPARE(bar.panelLook(1).background, background);
    QCOMPARE(bar.panelLook(1).textColor, testColors().rulerFontColor);
    QCOMPARE(bar.panelLook(1).fontStyles, styles);
    QCOMPARE(bar.panelWidth(1), 100);
    // The month view gives its own cell background; boldness still follows the kind.
    bar.setDayPanel(QStringLiteral("元日 (3)"), kind, clAqua);
    QCOMPARE(bar.panelLook(1).background, clAqua);
    QCOMPARE(bar.panelLook(1).fontStyles, styles);
    // A change of style colours restyles the panel.
    TStatusColors other = testColors();
    other.rulerFontColor = clGreen;
    bar.setColors(other);
    QCOMPARE(bar.panelLook(1).textColor, clGreen);
}

void TestStatusPanels::ownerDrawnHeightAndPaint()
{
    QWidget window;
    window.resize(500, 100);
    auto* bar = new TStatusPanels(&window);
    const QFont viewFont(QStringLiteral("DejaVu Sans"), 14);
    bar->setViewFont(viewFont);
    bar->setColors(testColors());
    bar->setOwnerDraw(true);
    QCOMPARE(bar->height(), QFontMetrics(viewFont).height() + 4);
    bar->setGeometry(0, 50, 500, bar->height());
    bar->setCategoryFilter(QStringLiteral("仕事"));
    bar->setDayPanel(QStringLiteral("土曜日 (0)"), 1);
    bar->setSchedulePanel(QStringLiteral("8:00-9:00"), clRed, fsItalic);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    const int y = bar->height() - 2;
    QCOMPARE(pixel(*bar, QPoint(bar->panelRect(0).right() - 2, y)), toQColor(testColors().focusColor));
    QCOMPARE(pixel(*bar, QPoint(bar->panelRect(1).right() - 2, y)), toQColor(testColors().saturdayColor));
    QCOMPARE(pixel(*bar, QPoint(bar->panelRect(2).right() - 2, y)), toQColor(testColors().viewColor));
    QCOMPARE(bar->panelLook(2).textColor, clRed);
    QCOMPARE(bar->panelLook(2).fontStyles, int(fsItalic));
    if (const QString shots = qEnvironmentVariable("NOX_TEST_SHOTS"); !shots.isEmpty()) {
        bar->grab().save(shots + QStringLiteral("/statuspanels-ownerdrawn.png"));
    }

    bar->setOwnerDraw(false);
    QCOMPARE(bar->height(), QFontMetrics(bar->font()).height() + 6);
    if (const QString shots = qEnvironmentVariable("NOX_TEST_SHOTS"); !shots.isEmpty()) {
        bar->grab().save(shots + QStringLiteral("/statuspanels-plain.png"));
    }
    QVERIFY(pixel(*bar, QPoint(bar->panelRect(1).right() - 5, bar->height() / 2)) !=
            toQColor(testColors().saturdayColor));
}

void TestStatusPanels::doubleClickZones()
{
    TStatusPanels bar;
    bar.resize(500, bar.height());
    bar.show();
    QVERIFY(QTest::qWaitForWindowExposed(&bar));
    QList<int> panels;
    bar.OnPanelDblClick = [&](QObject* sender, int panel, const QPoint&) {
        QCOMPARE(sender, &bar);
        panels.append(panel);
    };
    const int y = bar.height() / 2;
    // Panel 0 spans 0..127, panel 1 128..227.
    for (int x : {1, 2, 125, 126, 127, 129, 130, 226, 227, 231, 400}) {
        QTest::mouseDClick(&bar, Qt::LeftButton, {}, QPoint(x, y));
    }
    QCOMPARE(panels, QList<int>({0, 0, 0, 1, 1, 2, 2}));
}

void TestStatusPanels::scheduleSpanText_data()
{
    QTest::addColumn<int>("start");
    QTest::addColumn<int>("end");
    QTest::addColumn<QString>("memo");
    QTest::addColumn<QString>("expected");
    QTest::newRow("no memo") << 16 << 19 << QString() << QStringLiteral("8:00-9:30");
    QTest::newRow("memo") << 0 << 47 << QStringLiteral("持ち物") << QStringLiteral("0:00-23:30 / 持ち物");
    QTest::newRow("line breaks") << 17 << 18 << QStringLiteral("一\r\n二\n三\r四")
                                 << QStringLiteral("8:30-9:00 / 一 二 三 四");
    QTest::newRow("escaped") << 20 << 20 << QStringLiteral("a#13#10b") << QStringLiteral("10:00-10:00 / a b");
}

void TestStatusPanels::scheduleSpanText()
{
    QFETCH(int, start);
    QFETCH(int, end);
    QFETCH(QString, memo);
    QFETCH(QString, expected);
    QCOMPARE(nox::scheduleSpanText(start, end, memo), expected);
}

void TestStatusPanels::trayLeftClick()
{
    using tray::LeftClick;
    QCOMPARE(tray::leftClickAction(true, true), LeftClick::Restore);
    QCOMPARE(tray::leftClickAction(false, false), LeftClick::Show);
    QCOMPARE(tray::leftClickAction(false, true), LeftClick::Hide);
    QVERIFY(tray::openItemEnabled(false));
    QVERIFY(!tray::openItemEnabled(true));

    QWidget window;
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    tray::applyLeftClick(&window);
    QVERIFY(window.isHidden());
    tray::applyLeftClick(&window);
    QVERIFY(window.isVisible());
    window.showMinimized();
    tray::showAndRaise(&window);
    QVERIFY(!(window.windowState() & Qt::WindowMinimized));
    QVERIFY(window.isVisible());
}

void TestStatusPanels::trayCloseQuery_data()
{
    QTest::addColumn<bool>("trayMode");
    QTest::addColumn<bool>("iconShown");
    QTest::addColumn<bool>("visible");
    QTest::addColumn<bool>("exitRequested");
    QTest::addColumn<bool>("hides");
    QTest::newRow("tray mode hides") << true << true << true << false << true;
    QTest::newRow("no tray mode closes") << false << false << true << false << false;
    QTest::newRow("tray exit closes") << true << true << true << true << false;
    QTest::newRow("hidden window closes") << true << true << false << false << false;
    QTest::newRow("no tray on the desktop closes") << true << false << true << false << false;
}

void TestStatusPanels::trayCloseQuery()
{
    QFETCH(bool, trayMode);
    QFETCH(bool, iconShown);
    QFETCH(bool, visible);
    QFETCH(bool, exitRequested);
    QFETCH(bool, hides);
    QCOMPARE(tray::closeHidesWindow(trayMode, iconShown, visible, exitRequested), hides);
}

void TestStatusPanels::trayToolTipIsCut()
{
    QCOMPARE(tray::toolTip(QStringLiteral("2.05")), QStringLiteral("Nox - ver 2.05"));
    const QString tip = tray::toolTip(QString(100, QLatin1Char('9')));
    QCOMPARE(tip.size(), 63);
    QVERIFY(tip.startsWith(QStringLiteral("Nox - ver 999")));
}

QTEST_MAIN(TestStatusPanels)
#include "tst_statuspanels.moc"
