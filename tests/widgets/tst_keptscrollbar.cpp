// A scroll bar drawn from its kept looks has the pixels the style draws, for
// each range, position and state, the first time and when copied.
#include <QApplication>
#include <QImage>
#include <QTest>

#include "widgets/keptscrollbar.h"

using nox::TKeptScrollBar;

class TestKeptScrollBar : public QObject
{
    Q_OBJECT

private slots:
    void drawsWhatTheStyleDraws()
    {
        QScrollBar plain(Qt::Vertical);
        TKeptScrollBar kept(Qt::Vertical);
        const auto paint = [](QScrollBar& bar, qreal ratio) {
            QImage image(bar.size() * ratio, QImage::Format_ARGB32_Premultiplied);
            image.setDevicePixelRatio(ratio);
            image.fill(Qt::magenta); // shows any pixel the style leaves
            bar.render(&image);
            return image;
        };
        struct Case {
            int maximum, page, value;
            bool enabled;
        };
        const Case cases[] = {{0, 17, 0, false}, {30, 17, 0, true}, {30, 17, 12, true}, {70, 10, 70, true},
                              {30, 17, 12, true}};
        for (QScrollBar* bar : {&plain, static_cast<QScrollBar*>(&kept)}) {
            bar->resize(16, 290);
        }
        for (const Case& c : cases) {
            for (QScrollBar* bar : {&plain, static_cast<QScrollBar*>(&kept)}) {
                bar->setEnabled(c.enabled);
                bar->setRange(0, c.maximum);
                bar->setPageStep(c.page);
                bar->setValue(c.value);
            }
            // At the screen's density (the tests run at 1x and, with
            // QT_SCALE_FACTOR=2, at 2x).
            const qreal ratio = kept.devicePixelRatioF();
            const QImage expected = paint(plain, ratio);
            for (int pass = 0; pass < 2; ++pass) { // drawn, then copied
                QVERIFY2(paint(kept, ratio) == expected,
                         qPrintable(QStringLiteral("0..%1 at %2, %3x").arg(c.maximum).arg(c.value).arg(ratio)));
            }
        }
    }
};

QTEST_MAIN(TestKeptScrollBar)
#include "tst_keptscrollbar.moc"
