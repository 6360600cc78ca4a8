// Pictures of representative states for review ($NOX_TEST_SHOTS), with
// checks of the pixels that must come out exact at 1x and 2x.
#include "monthviewtestsupport.h"

#include <QImage>
#include <QPainter>
#include <QTest>
#include <algorithm>

using namespace mvtest;

namespace
{

QList<QPixmap> sampleImages()
{
    QList<QPixmap> images;
    const QList<QColor> colors{Qt::red, QColor(0, 128, 0), Qt::blue};
    for (const QColor& c : colors) {
        QPixmap pm(16, 16);
        pm.fill(Qt::transparent);
        QPainter p(&pm);
        p.setRenderHint(QPainter::Antialiasing);
        p.setBrush(c);
        p.setPen(Qt::NoPen);
        p.drawEllipse(QRect(2, 2, 12, 12));
        images << pm;
    }
    return images;
}

void fillMonth(TCustomMonthView& view, int month = 3)
{
    view.Items()->BeginUpdate();
    view.AddHoliday(QStringLiteral("春分の日"), QDate(2026, 3, 20));
    view.AddHoliday(QStringLiteral("昭和の日"), QDate(2026, 4, 29));
    view.AddHoliday(QStringLiteral("憲法記念日"), QDate(2026, 5, 3));
    view.AddHoliday(QStringLiteral("みどりの日"), QDate(2026, 5, 4));
    view.AddHoliday(QStringLiteral("こどもの日"), QDate(2026, 5, 5));
    view.AddHoliday(QStringLiteral("振替休日"), QDate(2026, 5, 6));
    const QStringList texts{QStringLiteral("定例会議"), QStringLiteral("歯医者"),
                            QStringLiteral("企画書の締め切り"), QStringLiteral("Lunch with A."),
                            QStringLiteral("出張（大阪）")};
    for (int day = 1; day <= 31; day += 2) {
        for (int k = 0; k < (day % 5) + 1; ++k) {
            TMonthViewItem* item = addItem(view, QDate(2026, month, day), QTime(9 + k, k % 2 ? 30 : 0),
                                           QTime(10 + k, 30), texts.at((day + k) % texts.size()));
            item->SetMemoMark(k == 1);
            item->SetImageIndex(k == 2 ? day % 3 : -1);
            item->Font().setColor(k == 3 ? nox::clRed : nox::clBlack);
            item->Font().setStyle(k == 0 ? nox::fsBold : 0);
        }
    }
    view.Items()->EndUpdate();
}

} // namespace

class TestMonthViewShots : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { setUpFonts(); }
    void monthWithHolidaysAndMarkers();
    void timeStyles();
    void editorOpen();
    void crispAtDoubleRatio();
    void paintsEveryPixel();
};

void TestMonthViewShots::monthWithHolidaysAndMarkers()
{
    auto view = makeView(QDate(2026, 5, 13), QSize(760, 560), QDate(2026, 5, 13));
    const QList<QPixmap> images = sampleImages();
    view->SetImages(&images);
    view->View()->SetTimeViewStyle(mtvStart);
    fillMonth(*view, 5);
    view->SelectItem(view->Items()->Item(3));
    view->OnDrawItem = [&](QObject*, const QDate& day, const QRect& r) {
        if (view->CellOfDate(day) % 9 == 4) { // a day memo mark, as the main window draws it
            QPainter* p = view->Canvas();
            p->setPen(Qt::NoPen);
            p->setBrush(nox::toQColor(nox::clBlue));
            const int right = r.left() + r.width();
            p->drawPolygon(
                QPolygon({QPoint(right, r.top()), QPoint(right - 8, r.top()), QPoint(right, r.top() + 8)}));
        }
    };
    int markers = 0;
    for (int cell = 0; cell < kCellCount; ++cell) {
        markers += view->ExpandRect(cell).isValid() ? 1 : 0;
    }
    QVERIFY(markers > 0);
    shot(*view, QStringLiteral("month"));
}

void TestMonthViewShots::timeStyles()
{
    for (TMonthTimeViewStyle style : {mtvNone, mtvStart, mtvSpan}) {
        auto view = makeView(QDate(2026, 3, 10), QSize(900, 420));
        view->View()->SetTimeViewStyle(style);
        view->SetColRate(QStringLiteral("1,1,1,1,1,1,1"));
        fillMonth(*view);
        shot(*view, QStringLiteral("time%1").arg(int(style)));
    }
}

void TestMonthViewShots::editorOpen()
{
    auto view = makeView(QDate(2026, 3, 10), QSize(760, 560));
    view->SetReadOnly(false);
    fillMonth(*view);
    TMonthViewItem* item = view->Items()->Item(0);
    item->SetText(QStringLiteral("長い予定の文字列を編集すると折り返して高さが増える"));
    view->SelectItem(item);
    QVERIFY(view->BeginEdit(item));
    QVERIFY(view->InplaceEdit()->isVisible());
    QVERIFY(view->InplaceEdit()->height() > view->LineHeight() + 5);
    shot(*view, QStringLiteral("editor"));
}

void TestMonthViewShots::crispAtDoubleRatio()
{
    auto view = makeView(QDate(2026, 3, 10), QSize(700, 520));
    fillMonth(*view);
    for (qreal ratio : {1.0, 2.0}) {
        const QImage image = render(*view, ratio);
        const Grid& g = view->CellGrid();
        // A grid line is exactly LineColor across both device pixels.
        const QPoint onLine(g.x[2], 200);
        QCOMPARE(pixel(image, *view, onLine), nox::toQColor(view->View()->LineColor()));
        if (ratio == 2.0) {
            const QPoint d = w(*view, onLine) * 2 + QPoint(1, 0);
            QCOMPARE(image.pixelColor(d), nox::toQColor(view->View()->LineColor()));
        }
        // Expand marker: black border, info-background inside.
        for (int cell = 0; cell < kCellCount; ++cell) {
            const QRect e = view->ExpandRect(cell);
            if (e.isValid()) {
                QCOMPARE(pixel(image, *view, e.topLeft()), QColor(Qt::black));
                QCOMPARE(pixel(image, *view, e.topLeft() + QPoint(1, 5)), nox::toQColor(nox::clInfoBk));
                QCOMPARE(pixel(image, *view, e.topLeft() + QPoint(2, 2)), QColor(Qt::black)); // triangle
                break;
            }
        }
    }
}

// The view paints all of itself (Qt lays no ground under it): painted at
// the screen's pixel ratio without a ground onto magenta, none is left, or
// a repaint would leave there what was on screen before. Also run with
// QT_SCALE_FACTOR=2, where the frame's rings are a device pixel each.
void TestMonthViewShots::paintsEveryPixel()
{
    auto view = makeView(QDate(2026, 3, 10), QSize(700, 520));
    fillMonth(*view);
    view->SetBorderStyle(bsSingle); // the sunken panel the main window gives it
    QVERIFY(view->testAttribute(Qt::WA_OpaquePaintEvent));
    const qreal ratio = view->devicePixelRatioF();
    QImage image(view->size() * ratio, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(ratio);
    image.fill(Qt::magenta);
    view->render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
    int left = 0;
    for (int y = 0; y < image.height(); ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        left += int(std::count(row, row + image.width(), QColor(Qt::magenta).rgba()));
    }
    QVERIFY2(left == 0, qPrintable(QStringLiteral("%1 pixels left at %2x").arg(left).arg(ratio)));
}

QTEST_MAIN(TestMonthViewShots)
#include "tst_monthviewshots.moc"
