// Draws the factory image strip "images.bmp": 22 icons of 16 x 16 pixels.
//
//   iconsgen <output.bmp> [zoomed-preview.png]
//
// Each icon is painted antialiased on a transparent cell, then cut to hard
// edges (a pixel is ink when it is at least half covered) so no fringe of the
// transparent colour shows on any background. The bottom-left pixel of every
// cell stays transparent: it names the mask colour when the strip is loaded.
#include "store/imagestrip.h"

#include <QGuiApplication>
#include <QPainter>
#include <QPainterPath>

#include <cmath>
#include <cstdio>
#include <functional>

namespace
{

using Draw = std::function<void(QPainter&)>;

const QColor kOutline(40, 40, 48);

QPen outline(qreal width = 1.0)
{
    return QPen(kOutline, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
}

void star(QPainter& p)
{
    QPainterPath path;
    for (int i = 0; i < 10; ++i) {
        const qreal r = i % 2 == 0 ? 7.4 : 3.1;
        const qreal a = -M_PI / 2 + i * M_PI / 5;
        const QPointF pt(8 + r * std::cos(a), 8.3 + r * std::sin(a));
        i == 0 ? path.moveTo(pt) : path.lineTo(pt);
    }
    path.closeSubpath();
    p.setPen(QPen(QColor(170, 110, 0), 1));
    p.setBrush(QColor(255, 205, 30));
    p.drawPath(path);
}

void flag(QPainter& p)
{
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(90, 70, 50));
    p.drawRect(QRectF(2.5, 1, 1.6, 14));
    QPainterPath cloth;
    cloth.moveTo(4, 2);
    cloth.cubicTo(7, 0.5, 9, 3.5, 14, 2);
    cloth.lineTo(14, 9);
    cloth.cubicTo(9, 10.5, 7, 7.5, 4, 9);
    cloth.closeSubpath();
    p.setPen(QPen(QColor(150, 10, 10), 1));
    p.setBrush(QColor(225, 30, 30));
    p.drawPath(cloth);
}

void phone(QPainter& p)
{
    // Handset over a desk set.
    p.setPen(outline());
    p.setBrush(QColor(30, 30, 36));
    QPainterPath handset;
    handset.moveTo(1.5, 6);
    handset.cubicTo(1.5, 2, 14.5, 2, 14.5, 6);
    handset.lineTo(11.5, 7);
    handset.lineTo(10.5, 5);
    handset.cubicTo(9, 4.5, 7, 4.5, 5.5, 5);
    handset.lineTo(4.5, 7);
    handset.closeSubpath();
    p.drawPath(handset);
    QPainterPath base;
    base.moveTo(5, 6.5);
    base.lineTo(11, 6.5);
    base.lineTo(14, 13.5);
    base.lineTo(2, 13.5);
    base.closeSubpath();
    p.setBrush(QColor(60, 60, 70));
    p.drawPath(base);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(230, 230, 230));
    p.drawEllipse(QPointF(8, 10.3), 2, 2);
}

void bell(QPainter& p)
{
    QPainterPath body;
    body.moveTo(8, 1.5);
    body.cubicTo(12, 1.5, 12.5, 5, 12.5, 8);
    body.cubicTo(12.5, 10, 13.5, 11, 14.5, 12);
    body.lineTo(1.5, 12);
    body.cubicTo(2.5, 11, 3.5, 10, 3.5, 8);
    body.cubicTo(3.5, 5, 4, 1.5, 8, 1.5);
    p.setPen(QPen(QColor(150, 100, 0), 1));
    p.setBrush(QColor(250, 195, 40));
    p.drawPath(body);
    p.setBrush(QColor(150, 100, 0));
    p.drawEllipse(QPointF(8, 13.3), 1.6, 1.6);
}

void clockFace(QPainter& p)
{
    p.setPen(QPen(kOutline, 1.4));
    p.setBrush(Qt::white);
    p.drawEllipse(QPointF(8, 8), 6.6, 6.6);
    p.setPen(QPen(kOutline, 1.5, Qt::SolidLine, Qt::FlatCap));
    p.drawLine(QPointF(8, 8), QPointF(8, 3.5));
    p.setPen(QPen(QColor(200, 30, 30), 1.5, Qt::SolidLine, Qt::FlatCap));
    p.drawLine(QPointF(8, 8), QPointF(11.5, 8));
}

void house(QPainter& p)
{
    p.setPen(outline());
    p.setBrush(QColor(245, 235, 210));
    p.drawRect(QRectF(3.5, 7.5, 9, 7));
    QPainterPath roof;
    roof.moveTo(1, 8.5);
    roof.lineTo(8, 1.5);
    roof.lineTo(15, 8.5);
    roof.closeSubpath();
    p.setBrush(QColor(200, 50, 40));
    p.drawPath(roof);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(120, 80, 40));
    p.drawRect(QRectF(7, 10, 2.5, 4.5));
}

void car(QPainter& p)
{
    p.setPen(outline());
    p.setBrush(QColor(30, 100, 220));
    QPainterPath body;
    body.moveTo(1.5, 11.5);
    body.lineTo(1.5, 8);
    body.lineTo(4, 7.5);
    body.lineTo(5.5, 4);
    body.lineTo(11, 4);
    body.lineTo(13, 7.5);
    body.lineTo(14.5, 8);
    body.lineTo(14.5, 11.5);
    body.closeSubpath();
    p.drawPath(body);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(190, 225, 255));
    p.drawRect(QRectF(6, 5, 4.5, 2.5));
    p.setPen(outline());
    p.setBrush(QColor(30, 30, 30));
    p.drawEllipse(QPointF(4.5, 12), 1.9, 1.9);
    p.drawEllipse(QPointF(11.5, 12), 1.9, 1.9);
}

void airplane(QPainter& p)
{
    p.translate(8, 8);
    p.rotate(45);
    QPainterPath path;
    path.moveTo(0, -7.5);
    path.cubicTo(1.2, -7.5, 1.2, -6, 1.2, -4);
    path.lineTo(1.2, -1.5);
    path.lineTo(7, 2);
    path.lineTo(7, 3.5);
    path.lineTo(1.2, 1.5);
    path.lineTo(1.2, 5);
    path.lineTo(3, 6.5);
    path.lineTo(3, 7.5);
    path.lineTo(0, 6.8);
    path.lineTo(-3, 7.5);
    path.lineTo(-3, 6.5);
    path.lineTo(-1.2, 5);
    path.lineTo(-1.2, 1.5);
    path.lineTo(-7, 3.5);
    path.lineTo(-7, 2);
    path.lineTo(-1.2, -1.5);
    path.lineTo(-1.2, -4);
    path.cubicTo(-1.2, -6, -1.2, -7.5, 0, -7.5);
    p.setPen(QPen(QColor(20, 60, 120), 0.8));
    p.setBrush(QColor(80, 150, 230));
    p.drawPath(path);
    p.resetTransform();
}

void cake(QPainter& p)
{
    p.setPen(outline());
    p.setBrush(QColor(250, 220, 230));
    p.drawRect(QRectF(2.5, 8.5, 11, 5.5));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(230, 80, 120));
    p.drawRect(QRectF(3, 10.5, 10, 1.5));
    p.setBrush(QColor(70, 140, 230));
    for (qreal x : {4.5, 7.5, 10.5}) {
        p.drawRect(QRectF(x, 4.5, 1.3, 4));
    }
    p.setBrush(QColor(255, 170, 0));
    for (qreal x : {5.15, 8.15, 11.15}) {
        p.drawEllipse(QPointF(x, 3), 1.0, 1.6);
    }
}

void heart(QPainter& p)
{
    QPainterPath path;
    path.moveTo(8, 14);
    path.cubicTo(2, 9.5, 0.5, 7, 1.5, 4.5);
    path.cubicTo(2.5, 1.5, 6.5, 1.5, 8, 4.5);
    path.cubicTo(9.5, 1.5, 13.5, 1.5, 14.5, 4.5);
    path.cubicTo(15.5, 7, 14, 9.5, 8, 14);
    p.setPen(QPen(QColor(150, 0, 30), 1));
    p.setBrush(QColor(230, 30, 70));
    p.drawPath(path);
}

void checkMark(QPainter& p)
{
    p.setPen(QPen(QColor(20, 150, 40), 3.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPolyline(QPolygonF({QPointF(2.5, 8.5), QPointF(6.5, 12.5), QPointF(13.5, 3.5)}));
}

void exclamation(QPainter& p)
{
    QPainterPath tri;
    tri.moveTo(8, 1);
    tri.lineTo(15, 14);
    tri.lineTo(1, 14);
    tri.closeSubpath();
    p.setPen(QPen(QColor(160, 110, 0), 1, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(QColor(255, 210, 0));
    p.drawPath(tri);
    p.setPen(Qt::NoPen);
    p.setBrush(kOutline);
    p.drawRect(QRectF(7, 5, 2, 5));
    p.drawRect(QRectF(7, 11, 2, 2));
}

void mail(QPainter& p)
{
    p.setPen(outline());
    p.setBrush(Qt::white);
    p.drawRect(QRectF(1.5, 3.5, 13, 9));
    p.setBrush(QColor(230, 236, 245));
    p.drawPolygon(QPolygonF({QPointF(1.5, 3.5), QPointF(8, 9), QPointF(14.5, 3.5)}));
}

void book(QPainter& p)
{
    p.setPen(outline());
    p.setBrush(QColor(40, 120, 60));
    p.drawRect(QRectF(3.5, 1.5, 10, 13));
    p.setBrush(QColor(250, 250, 240));
    p.drawRect(QRectF(3.5, 12, 10, 2.5));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(20, 80, 40));
    p.drawRect(QRectF(3, 1, 2, 11));
    p.setBrush(QColor(250, 220, 120));
    p.drawRect(QRectF(7, 4, 5, 1.5));
}

void briefcase(QPainter& p)
{
    p.setPen(outline());
    p.setBrush(Qt::NoBrush);
    p.drawRect(QRectF(5.5, 2.5, 5, 3));
    p.setBrush(QColor(140, 85, 40));
    p.drawRect(QRectF(1.5, 5.5, 13, 8));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(230, 190, 60));
    p.drawRect(QRectF(7, 8, 2, 2));
}

void people(QPainter& p)
{
    p.setPen(outline());
    p.setBrush(QColor(240, 150, 60)); // the one behind
    p.drawEllipse(QPointF(11.5, 3.5), 2.2, 2.2);
    p.drawChord(QRectF(8, 6.5, 7, 9), 0, 180 * 16);
    p.setBrush(QColor(60, 110, 210));
    p.drawEllipse(QPointF(5.5, 6), 2.5, 2.5);
    p.drawChord(QRectF(1, 9.5, 9, 10), 0, 180 * 16);
}

void medical(QPainter& p)
{
    p.setPen(outline());
    p.setBrush(Qt::white);
    p.drawRoundedRect(QRectF(1.5, 1.5, 13, 13), 2, 2);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(220, 30, 30));
    p.drawRect(QRectF(6.5, 3.5, 3, 9));
    p.drawRect(QRectF(3.5, 6.5, 9, 3));
}

void forkKnife(QPainter& p)
{
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(175, 175, 190));
    // Fork: three tines on whole pixels so the gaps stay open.
    for (int x : {2, 4, 6}) {
        p.drawRect(QRectF(x, 1, 1, 5));
    }
    p.drawRect(QRectF(2, 5, 5, 2));
    p.drawRect(QRectF(4, 6, 1, 9));
    // Knife: a blade with a rounded back.
    QPainterPath blade;
    blade.moveTo(10, 1);
    blade.cubicTo(13.5, 2, 13.5, 6, 12.5, 8.5);
    blade.lineTo(10, 8.5);
    blade.closeSubpath();
    p.drawPath(blade);
    p.drawRect(QRectF(10, 8, 2, 7));
}

void musicNote(QPainter& p)
{
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(90, 40, 160));
    p.drawEllipse(QPointF(4.5, 12.5), 2.6, 2);
    p.drawEllipse(QPointF(11.5, 11), 2.6, 2);
    p.drawRect(QRectF(6, 3, 1.5, 9.5));
    p.drawRect(QRectF(13, 1.5, 1.5, 9.5));
    QPainterPath beam;
    beam.moveTo(6, 3);
    beam.lineTo(14.5, 1.5);
    beam.lineTo(14.5, 4);
    beam.lineTo(6, 5.5);
    beam.closeSubpath();
    p.drawPath(beam);
}

void gift(QPainter& p)
{
    p.setPen(outline());
    p.setBrush(QColor(40, 160, 200));
    p.drawRect(QRectF(2.5, 7.5, 11, 7));
    p.drawRect(QRectF(1.5, 5, 13, 3));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(230, 40, 60));
    p.drawRect(QRectF(7, 5, 2, 9.5));
    p.setPen(QPen(QColor(230, 40, 60), 1.4));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(QPointF(5.5, 3.3), 2.3, 1.5);
    p.drawEllipse(QPointF(10.5, 3.3), 2.3, 1.5);
}

void sun(QPainter& p)
{
    p.setPen(QPen(QColor(240, 130, 0), 1.5, Qt::SolidLine, Qt::RoundCap));
    for (int i = 0; i < 8; ++i) {
        const qreal a = i * M_PI / 4;
        p.drawLine(QPointF(8 + 5 * std::cos(a), 8 + 5 * std::sin(a)),
                   QPointF(8 + 7 * std::cos(a), 8 + 7 * std::sin(a)));
    }
    p.setPen(QPen(QColor(240, 130, 0), 1));
    p.setBrush(QColor(255, 200, 0));
    p.drawEllipse(QPointF(8, 8), 3.6, 3.6);
}

void umbrella(QPainter& p)
{
    QPainterPath canopy;
    canopy.moveTo(1, 8);
    canopy.cubicTo(1, 0.5, 15, 0.5, 15, 8);
    canopy.cubicTo(13.5, 6.8, 12, 6.8, 10.5, 8);
    canopy.cubicTo(9, 6.8, 7, 6.8, 5.5, 8);
    canopy.cubicTo(4, 6.8, 2.5, 6.8, 1, 8);
    p.setPen(QPen(QColor(20, 40, 120), 1));
    p.setBrush(QColor(50, 90, 220));
    p.drawPath(canopy);
    p.setPen(QPen(kOutline, 1.4, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(Qt::NoBrush);
    p.drawLine(QPointF(8, 7), QPointF(8, 13));
    p.drawArc(QRectF(8, 11.5, 3.5, 3.5), 180 * 16, 180 * 16);
}

void pin(QPainter& p)
{
    // A round push pin: "remember this".
    p.setPen(QPen(QColor(120, 0, 0), 1));
    p.setBrush(QColor(230, 40, 40));
    p.drawEllipse(QPointF(9, 6), 4.5, 4.5);
    p.setPen(QPen(kOutline, 1.5, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(6, 9.5), QPointF(2.5, 13));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 170, 170));
    p.drawEllipse(QPointF(7.8, 4.6), 1.3, 1.3);
}

QImage render(const Draw& draw)
{
    QImage art(16, 16, QImage::Format_ARGB32);
    art.fill(Qt::transparent);
    {
        QPainter p(&art);
        p.setRenderHint(QPainter::Antialiasing);
        draw(p);
    }
    QImage cell(16, 16, QImage::Format_RGB32);
    cell.fill(nox::ImageStrip::kFillColor);
    for (int y = 0; y < 16; ++y) {
        for (int x = 0; x < 16; ++x) {
            const QRgb c = art.pixel(x, y);
            if (qAlpha(c) >= 128 && !(x == 0 && y == 15)) {
                cell.setPixel(x, y, qRgb(qRed(c), qGreen(c), qBlue(c)));
            }
        }
    }
    return cell;
}

QImage preview(const nox::ImageStrip& strip, int zoom)
{
    const int columns = 6;
    const int rows = (strip.count() + columns - 1) / columns;
    QImage out(columns * 18 * zoom, rows * 18 * zoom, QImage::Format_RGB32);
    out.fill(Qt::white);
    QPainter p(&out);
    for (int i = 0; i < strip.count(); ++i) {
        const QRect cell((i % columns) * 18 * zoom + zoom, (i / columns) * 18 * zoom + zoom, 16 * zoom,
                         16 * zoom);
        // Half the cells on a dark ground to show the edges on both.
        p.fillRect(cell, i % 2 ? QColor(60, 60, 70) : QColor(235, 235, 235));
        p.drawImage(cell, strip.pixmap(i));
    }
    return out;
}

} // namespace

int main(int argc, char** argv)
{
    QGuiApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: iconsgen <output.bmp> [preview.png]\n");
        return 2;
    }
    const Draw icons[] = {star,      flag,     phone,     bell,     clockFace, house,
                          car,       airplane, cake,      heart,    checkMark, exclamation,
                          mail,      book,     briefcase, people,   medical,   forkKnife,
                          musicNote, gift,     sun,       umbrella, pin};
    nox::ImageStrip strip;
    for (const Draw& draw : icons) {
        strip.add(render(draw), nox::ImageStrip::kFillColor);
    }
    const nox::ImageStripResult saved = strip.save(QString::fromLocal8Bit(argv[1]));
    if (!saved.ok()) {
        std::fprintf(stderr, "iconsgen: %s\n", qPrintable(saved.message()));
        return 1;
    }
    if (argc > 2 && !preview(strip, 8).save(QString::fromLocal8Bit(argv[2]))) {
        std::fprintf(stderr, "iconsgen: cannot write the preview\n");
        return 1;
    }
    std::printf("%d icons written\n", strip.count());
    return 0;
}
