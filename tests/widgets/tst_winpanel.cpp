#include <QFrame>
#include <QImage>
#include <QPainter>
#include <QTest>
#include <qdrawutil.h>

#include "core/sunkenframe.h"

using namespace nox;

class TestWinPanel : public QObject
{
    Q_OBJECT
private slots:
    void sameAsTheStyle_data();
    void sameAsTheStyle();
};

void TestWinPanel::sameAsTheStyle_data()
{
    QTest::addColumn<qreal>("ratio");
    QTest::addColumn<QRect>("frame");
    QTest::addColumn<bool>("sunken");
    for (const qreal ratio : {1.0, 2.0, 3.0}) {
        const QByteArray at = QByteArray::number(ratio) + "x";
        QTest::newRow(at + " sunken") << ratio << QRect(0, 0, 60, 30) << true;
        QTest::newRow(at + " raised") << ratio << QRect(0, 0, 60, 30) << false;
        QTest::newRow(at + " moved") << ratio << QRect(3, 2, 41, 17) << true;
        QTest::newRow(at + " too small for the inner ring") << ratio << QRect(4, 4, 4, 9) << true;
    }
}

// The very pixels of the style's own drawing of the frame (one-pixel pen
// polylines), in a palette whose four colours all differ.
void TestWinPanel::sameAsTheStyle()
{
    QFETCH(qreal, ratio);
    QFETCH(QRect, frame);
    QFETCH(bool, sunken);
    QPalette palette;
    palette.setColor(QPalette::Dark, QColor(0x80, 0x10, 0x10));
    palette.setColor(QPalette::Light, QColor(0xf0, 0xf0, 0x20));
    palette.setColor(QPalette::Shadow, QColor(0x10, 0x10, 0x90));
    palette.setColor(QPalette::Midlight, QColor(0x20, 0xc0, 0x20));
    const auto paint = [&](auto draw) {
        QImage image(QSize(60, 30) * ratio, QImage::Format_ARGB32_Premultiplied);
        image.setDevicePixelRatio(ratio);
        image.fill(Qt::white);
        QPainter p(&image);
        draw(p);
        return image;
    };
    const QImage styled = paint([&](QPainter& p) { qDrawWinPanel(&p, frame, palette, sunken); });
    const QImage filled = paint([&](QPainter& p) { drawWinPanel(p, frame, palette, sunken); });
    QCOMPARE(filled, styled);
}

QTEST_MAIN(TestWinPanel)
#include "tst_winpanel.moc"
