#include <QImage>
#include <QPainter>
#include <QTest>

#include "core/sunkenframe.h"

using namespace nox;

class TestSunkenFrame : public QObject
{
    Q_OBJECT
private slots:
    void sameAsOnePixelLines_data();
    void sameAsOnePixelLines();
};

void TestSunkenFrame::sameAsOnePixelLines_data()
{
    QTest::addColumn<qreal>("ratio");
    QTest::addColumn<QRect>("frame");
    QTest::addColumn<QPoint>("offset"); // of the painter, as a child widget's
    QTest::newRow("1x") << qreal(1) << QRect(3, 2, 40, 11) << QPoint(0, 0);
    QTest::newRow("1x, moved") << qreal(1) << QRect(0, 0, 31, 9) << QPoint(5, 7);
    QTest::newRow("1x, at the image's edge") << qreal(1) << QRect(0, 0, 60, 30) << QPoint(0, 0);
    QTest::newRow("2x") << qreal(2) << QRect(3, 2, 40, 11) << QPoint(0, 0);
    QTest::newRow("2x, moved") << qreal(2) << QRect(1, 1, 17, 5) << QPoint(4, 3);
    QTest::newRow("2x, at the image's edge") << qreal(2) << QRect(0, 0, 60, 30) << QPoint(0, 0);
    QTest::newRow("3x") << qreal(3) << QRect(2, 4, 21, 8) << QPoint(1, 0);
}

// The frame gives the very pixels of four one-pixel lines drawn with the
// default pen: light where the light lines cross the shadow ones.
void TestSunkenFrame::sameAsOnePixelLines()
{
    QFETCH(qreal, ratio);
    QFETCH(QRect, frame);
    QFETCH(QPoint, offset);
    const QColor shadow(0x80, 0x40, 0x20), light(0xf0, 0xf0, 0xa0);
    const auto paint = [&](auto draw) {
        QImage image(QSize(60, 30) * ratio, QImage::Format_ARGB32_Premultiplied);
        image.setDevicePixelRatio(ratio);
        image.fill(Qt::white);
        QPainter p(&image);
        p.translate(offset);
        draw(p);
        return image;
    };
    const QImage lines = paint([&](QPainter& p) {
        p.setPen(shadow);
        p.drawLine(frame.topLeft(), frame.topRight());
        p.drawLine(frame.topLeft(), frame.bottomLeft());
        p.setPen(light);
        p.drawLine(frame.bottomLeft(), frame.bottomRight());
        p.drawLine(frame.topRight(), frame.bottomRight());
    });
    const QImage filled = paint([&](QPainter& p) { drawSunkenFrame(p, frame, shadow, light); });
    QVERIFY(lines != paint([](QPainter&) {}));
    QCOMPARE(filled, lines);
}

QTEST_MAIN(TestSunkenFrame)
#include "tst_sunkenframe.moc"
