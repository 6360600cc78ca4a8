// The cached one-line painter must put every pixel where QPainter::drawText
// puts it, for each alignment, for texts that fit and texts that overflow
// their rectangle (clipped), in plain and bold faces, and again from the
// cache on a second paint.
#include <QFont>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QTest>

#include "core/textline.h"

using nox::drawTextLine;

namespace
{

enum class Painter { Qt, Cached };

QImage paint(Painter how, const QRect& rect, int flags, const QString& text, const QFont& font, int scale)
{
    QImage image(160 * scale, 60 * scale, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(scale);
    image.fill(Qt::white);
    QPainter p(&image);
    p.setFont(font);
    p.setPen(Qt::black);
    if (how == Painter::Qt) {
        p.drawText(rect, flags | Qt::TextSingleLine, text);
    } else {
        drawTextLine(p, rect, flags, text);
    }
    return image;
}

// A line drawn on a plain ground: where, and whether clipped to its rectangle.
struct Place {
    QRect rect;
    int flags;
    QRect ground;
    bool clipped;
};

// `text` at `place` on the ground's colour (the rest white), drawn by
// QPainter::drawText, or `kept`: by drawTextLine or drawClippedTextLine.
QImage paintOnGround(const Place& place, const QString& text, const QFont& font, int scale, bool kept)
{
    const QColor paper(0x33, 0x66, 0x99);
    QImage image(160 * scale, 60 * scale, QImage::Format_RGB32);
    image.setDevicePixelRatio(scale);
    image.fill(Qt::white); // not the ground's colour
    QPainter p(&image);
    p.fillRect(place.ground, paper);
    p.setFont(font);
    p.setPen(QColor(0xff, 0xee, 0x00));
    const nox::TextGround on{paper, place.ground};
    if (kept && place.clipped) {
        nox::drawClippedTextLine(p, place.rect, place.flags, text, &on);
    } else if (kept) {
        drawTextLine(p, place.rect, place.flags, text, &on);
    } else {
        if (place.clipped) {
            p.setClipRect(place.rect, Qt::IntersectClip);
        }
        p.drawText(place.rect, place.flags | Qt::TextSingleLine, text);
    }
    return image;
}

} // namespace

class TestTextLine : public QObject
{
    Q_OBJECT

private slots:
    void drawsWhatDrawTextDraws_data()
    {
        QTest::addColumn<QRect>("rect");
        QTest::addColumn<int>("flags");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("bold");
        const QRect wide(10, 8, 140, 40);
        const QRect narrow(20, 10, 30, 9);
        const QString time = QStringLiteral("9:30");
        const QString japanese = QStringLiteral("定例会議 10:00");
        QTest::newRow("top left") << wide << int(Qt::AlignLeft | Qt::AlignTop) << japanese << false;
        QTest::newRow("top right") << wide << int(Qt::AlignRight | Qt::AlignTop) << time << false;
        QTest::newRow("centred") << wide << int(Qt::AlignCenter) << japanese << true;
        QTest::newRow("bottom right") << wide << int(Qt::AlignRight | Qt::AlignBottom) << time << true;
        QTest::newRow("overflow is clipped")
            << narrow << int(Qt::AlignLeft | Qt::AlignTop) << japanese << false;
        QTest::newRow("overflow right")
            << narrow << int(Qt::AlignRight | Qt::AlignVCenter) << japanese << false;
        for (const int height : {13, 16, 17, 22}) { // centred between pixel rows, or not
            QTest::addRow("centred in %d rows", height)
                << QRect(6, 5, 150, height) << int(Qt::AlignLeft | Qt::AlignVCenter)
                << QStringLiteral("12/7(月) Ag") << (height % 2 == 1);
        }
        QTest::newRow("line break as a space")
            << wide << int(Qt::AlignLeft | Qt::AlignTop) << QStringLiteral("一行目\n二行目") << false;
    }

    void drawsWhatDrawTextDraws()
    {
        QFETCH(QRect, rect);
        QFETCH(int, flags);
        QFETCH(QString, text);
        QFETCH(bool, bold);
        QFont font = QGuiApplication::font();
        font.setPixelSize(13);
        font.setBold(bold);
        for (const int scale : {1, 2}) { // also on a screen of twice the density
            const QImage expected = paint(Painter::Qt, rect, flags, text, font, scale);
            for (int pass = 0; pass < 2; ++pass) { // laid out, then from the cache
                const QImage drawn = paint(Painter::Cached, rect, flags, text, font, scale);
                QCOMPARE(drawn, expected);
            }
        }
    }

    // A line on a plain ground, drawn, then kept as a picture and copied, has
    // the pixels drawText gives it; so does a line whose ink leaves the ground
    // (drawn each time). A line clipped to its rectangle (drawClippedTextLine)
    // has those drawText gives it under that clip, also where its ink would
    // reach beyond a rectangle that holds its line box (italic overhang).
    void keptOnItsGround_data()
    {
        QTest::addColumn<QRect>("rect");
        QTest::addColumn<int>("flags");
        QTest::addColumn<QRect>("ground");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("clipped");
        const QRect wide(10, 8, 140, 17);
        const QRect whole(0, 0, 160, 60);
        const QString line = QStringLiteral("定例会議 12/7(月) gq");
        QTest::newRow("top left") << wide << int(Qt::AlignLeft | Qt::AlignTop) << whole << line << false;
        QTest::newRow("centred between rows")
            << wide << int(Qt::AlignHCenter | Qt::AlignVCenter) << wide << line << false;
        QTest::newRow("right, clipped")
            << QRect(20, 10, 40, 15) << int(Qt::AlignRight | Qt::AlignVCenter) << whole << line << false;
        QTest::newRow("ground smaller than the ink")
            << wide << int(Qt::AlignLeft | Qt::AlignTop) << QRect(12, 12, 30, 6) << line << false;
        // A ground that begins below the dots of "i" and "j", above the gap
        // under them.
        for (int cut = 1; cut <= 8; ++cut) {
            QTest::addRow("ground from %d rows down", cut)
                << wide << int(Qt::AlignLeft | Qt::AlignTop) << QRect(0, wide.top() + cut, 160, 40)
                << QStringLiteral("ij") << false;
        }
        QTest::newRow("clip, ground all round")
            << wide << int(Qt::AlignRight | Qt::AlignVCenter) << whole << QStringLiteral("12/7 ff") << true;
        QTest::newRow("clip through the line")
            << QRect(20, 10, 40, 11) << int(Qt::AlignLeft | Qt::AlignVCenter) << whole << line << true;
        QTest::newRow("clip, ground across its edge")
            << wide << int(Qt::AlignLeft | Qt::AlignTop) << QRect(0, 12, 160, 40) << line << true;
    }

    void keptOnItsGround()
    {
        QFETCH(QRect, rect);
        QFETCH(int, flags);
        QFETCH(QRect, ground);
        QFETCH(QString, text);
        QFETCH(bool, clipped);
        const auto paint = [&](int scale, bool kept, const QFont& font) {
            return paintOnGround(Place{rect, flags, ground, clipped}, text, font, scale, kept);
        };
        for (const int styles : {0, 1, 2}) { // plain, bold, italic
            if (styles == 2 && !clipped) {
                continue;
            }
            QFont font = QGuiApplication::font();
            font.setPixelSize(13);
            font.setBold(styles == 1);
            font.setItalic(styles == 2);
            const bool bold = styles == 1;
            for (const int scale : {1, 2}) {
                const QImage expected = paint(scale, false, font);
                for (int pass = 0; pass < 4; ++pass) { // drawn twice, kept, copied
                    QVERIFY2(paint(scale, true, font) == expected,
                             qPrintable(QStringLiteral("bold %1, %2x, pass %3").arg(bold).arg(scale).arg(pass)));
                }
            }
        }
    }

    // The picture kept of a line in one place serves it in others only where
    // it gives drawText's pixels: lines of every place, drawn in turn.
    void keptPictureServesOtherPlaces()
    {
        const QString text = QStringLiteral("子供の送り迎え ff");
        const int left = int(Qt::AlignLeft | Qt::AlignVCenter);
        for (const bool italic : {false, true}) {
            QFont font = QGuiApplication::font();
            font.setPixelSize(13);
            font.setItalic(italic);
            const int advance = QFontMetrics(font).horizontalAdvance(text);
            const QList<Place> places = {
                {QRect(10, 8, 140, 17), left, QRect(0, 0, 160, 60), false},   // wide, ground all round
                {QRect(12, 30, 131, 18), left, QRect(12, 30, 131, 18), true}, // a cell of another size
                {QRect(10, 8, 60, 17), left, QRect(0, 0, 160, 60), true},     // clipped through the line
                {QRect(10, 8, 140, 17), left, QRect(0, 12, 160, 40), false},  // ground cut through the ink
                // The line box fits, the ink of an italic "f" reaches beyond.
                {QRect(10, 8, advance + 1, 17), left, QRect(0, 0, 160, 60), true},
                {QRect(10, 8, 140, 17), left, QRect(0, 0, 160, 60), false}, // back where it began
            };
            for (const int scale : {1, 2}) {
                for (int pass = 0; pass < 4; ++pass) {
                    for (qsizetype i = 0; i < places.size(); ++i) {
                        QVERIFY2(paintOnGround(places[i], text, font, scale, true) ==
                                     paintOnGround(places[i], text, font, scale, false),
                                 qPrintable(QStringLiteral("italic %1, place %2, %3x, pass %4")
                                                .arg(italic)
                                                .arg(i)
                                                .arg(scale)
                                                .arg(pass)));
                    }
                }
            }
        }
    }

    // A line placed by its baseline as drawText(QPoint) places it.
    void placedByItsBaseline()
    {
        const auto paint = [](const QFont& font, const QPoint& baseline, int scale, bool cached) {
            QImage image(160 * scale, 40 * scale, QImage::Format_RGB32);
            image.setDevicePixelRatio(scale);
            image.fill(Qt::white);
            QPainter p(&image);
            p.setFont(font);
            const QString text = QStringLiteral("定例会議 gjpq 9:30");
            if (cached) {
                drawTextLine(p, baseline, text);
            } else {
                p.drawText(baseline, text);
            }
            return image;
        };
        for (const int size : {11, 12, 13, 16}) {
            for (const bool bold : {false, true}) {
                QFont font = QGuiApplication::font();
                font.setPixelSize(size);
                font.setBold(bold);
                const QPoint baseline(7, 11 + QFontMetrics(font).ascent());
                for (const int scale : {1, 2}) {
                    const QImage expected = paint(font, baseline, scale, false);
                    for (int pass = 0; pass < 3; ++pass) { // drawn at once, laid out, from the cache
                        QVERIFY2(paint(font, baseline, scale, true) == expected,
                                 qPrintable(QStringLiteral("%1 px, bold %2, %3x").arg(size).arg(bold).arg(scale)));
                    }
                }
            }
        }
    }

    // A kept cut is the one of the font and width asked for; a kept width is
    // the one the font's metrics give.
    void cutAndMeasuredAsFontMetrics()
    {
        QFont plain = QGuiApplication::font();
        plain.setPixelSize(13);
        QFont bold = plain;
        bold.setBold(true);
        const QStringList texts = {QStringLiteral("2026年12月07日〜2026年12月11日 定例会議"),
                                   QStringLiteral("12/7(月)"), QStringLiteral("定例会議 "),
                                   QStringLiteral("一行目\n二行目"), QStringLiteral("Ab gq")};
        for (int pass = 0; pass < 2; ++pass) { // cut, then kept
            for (const QFont& font : {plain, bold}) {
                for (const QString& text : texts) {
                    // Also at the text's own width and a pixel either side of it.
                    const int whole = QFontMetrics(font).horizontalAdvance(text);
                    for (const int width : {0, 30, 90, 150, 400, whole - 1, whole, whole + 1}) {
                        QCOMPARE(nox::elidedLine(text, font, width),
                                 QFontMetrics(font).elidedText(text, Qt::ElideRight, width));
                    }
                    QCOMPARE(nox::lineWidth(text, font), whole);
                }
            }
        }
    }
};

QTEST_MAIN(TestTextLine)
#include "tst_textline.moc"
