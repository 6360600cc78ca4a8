#include "core/textline.h"

#include "core/keptvalues.h"

#include <QFontMetrics>
#include <QHash>
#include <QImage>
#include <QPaintEngine>
#include <QPainter>
#include <QTextLayout>
#include <QtMath>
#include <memory>
#include <optional>

namespace nox
{

namespace
{

// The hash of a font looks at its whole description (families, sizes and
// more); the kept lines ask for that of the same few fonts again and again.
size_t fontHash(const QFont& font)
{
    thread_local QFont last;
    thread_local size_t hash = qHash(last);
    if (!(font == last)) {
        last = font;
        hash = qHash(font);
    }
    return hash;
}

struct LineKey {
    QString text;
    QFont font;
    friend bool operator==(const LineKey& a, const LineKey& b)
    {
        return a.text == b.text && a.font == b.font;
    }
};

size_t qHash(const LineKey& key, size_t seed = 0)
{
    return qHashMulti(seed, key.text, fontHash(key.font));
}

// A line laid out once and kept: drawn again from its shaped glyphs, placed
// by its own ascent and descent (a fallback font for kana and kanji in a
// Latin face may reach higher and lower than the font's own metrics).
struct LaidOut {
    std::shared_ptr<QTextLayout> layout;
    qreal advance = 0; // where the next text would start
    qreal width = 0;   // of the ink's box, as the text engine bounds a line
    qreal ascent = 0;
    qreal descent = 0;
};

// Enough for every text of a full window several times over; when full it
// starts again (the texts of the next paint come back at once).
constexpr qsizetype kMostLines = 4096;

bool isLineBreakOrTab(QChar c)
{
    return c == u'\n' || c == u'\r' || c == u'\t' || c == QChar::LineSeparator || c == QChar::ParagraphSeparator;
}

LaidOut layOut(const QString& text, const QFont& font)
{
    QString line = text;
    for (QChar& c : line) {
        if (isLineBreakOrTab(c)) {
            c = u' ';
        }
    }
    LaidOut made;
    made.layout = std::make_shared<QTextLayout>(line, font);
    made.layout->setCacheEnabled(true); // keeps the shaped glyphs
    made.layout->beginLayout();
    const QTextLine first = made.layout->createLine();
    made.layout->endLayout();
    if (first.isValid()) {
        made.advance = first.horizontalAdvance();
        made.width = first.naturalTextWidth();
        made.ascent = first.ascent();
        made.descent = first.descent();
    }
    return made;
}

const LaidOut& laidOut(const QString& text, const QFont& font)
{
    static KeptValues<LineKey, LaidOut> lines(kMostLines);
    return lines.get(LineKey{text, font}, [&] { return layOut(text, font); });
}

struct ElideKey {
    QString text;
    QFont font;
    int width;
    bool operator==(const ElideKey&) const = default;
};

size_t qHash(const ElideKey& k, size_t seed = 0)
{
    return qHashMulti(seed, k.text, fontHash(k.font), k.width);
}

// A text without breaks, tabs or length variants that its laid-out line
// shows whole within `width` needs no cut; the line is then kept for the
// paint that follows.
bool isPlainLine(const QString& text)
{
    for (const QChar c : text) {
        if (c.unicode() < 0x20 || c == QChar(0x9c) || isLineBreakOrTab(c)) {
            return false;
        }
    }
    return !text.isEmpty() && !text.back().isSpace();
}

bool fitsWhole(const QString& text, const QFont& font, int width)
{
    return isPlainLine(text) && laidOut(text, font).advance <= width - 1;
}

// --- kept pictures of lines on a plain ground ---
//
// Drawing glyphs costs far more than copying pixels. A line drawn again and
// again on the same plain colour (a day number, a weekday, a schedule's
// title on its bar) is kept, from its third drawing on, as a picture of
// the line on that colour, made by the same painter on the same kind of
// image as the window's: copying it gives the very pixels drawing gives.
// The picture is the box of the line's ink. One picture of the whole line
// serves it wherever the part of its ink within the clip lies on the ground
// (cells of other sizes, a title cut at the end of its bar); where it does
// not, a picture of the part within that place's clip, which must lie on
// the ground. A line whose ink there reaches beyond its ground is always
// drawn.

struct PictureKey {
    QString text;
    QFont font;
    QRgb pen;
    QRgb ground;
    QRect area;    // in device pixels, from the device pixel holding the origin;
                   // null: the whole line
    int fractionX; // the origin's place within that pixel, in 1/64
    int fractionY;
    int ratio;
    int dpi;
    int format;
    int hints;
    bool operator==(const PictureKey&) const = default;
};

size_t qHash(const PictureKey& k, size_t seed = 0)
{
    return qHashMulti(seed, k.text, fontHash(k.font), k.pen, k.ground, k.area.x(), k.area.y(), k.area.width(),
                      k.area.height(), k.fractionX, k.fractionY, k.ratio, k.dpi, k.format, k.hints);
}

struct Picture {
    int sightings = 1;   // drawn the usual way until the third
    bool made = false;
    bool usable = true;  // false: the line's ink leaves its ground
    QImage image;        // the box of the ink (null: no ink)
    QPoint at;           // its place, in device pixels from the origin's pixel
};

// About a hundred full month views' worth; when full it starts again.
constexpr qsizetype kPictureBytes = 4 * 1024 * 1024;

class Pictures
{
public:
    Picture* find(const PictureKey& key)
    {
        const auto it = m_pictures.find(key);
        return it == m_pictures.end() ? nullptr : &it.value();
    }
    void seen(const PictureKey& key)
    {
        if (m_pictures.size() >= kMostLines) {
            clear();
        }
        m_pictures.insert(key, Picture{});
    }
    void keep(Picture& picture, QImage image)
    {
        m_bytes += image.sizeInBytes();
        picture.image = std::move(image);
        if (m_bytes > kPictureBytes) {
            clear(); // `picture` is gone with the rest: drawn again next time
        }
    }

private:
    void clear()
    {
        m_pictures.clear();
        m_bytes = 0;
    }
    QHash<PictureKey, Picture> m_pictures;
    qsizetype m_bytes = 0;
};

Pictures& pictures()
{
    static Pictures kept;
    return kept;
}

// The window's image when `p` paints on one with nothing but a shift and its
// pixel ratio between them, in the plain source-over manner of text.
const QImage* plainTarget(const QPainter& p)
{
    const QPaintEngine* engine = p.paintEngine();
    if (!engine || engine->type() != QPaintEngine::Raster || !engine->paintDevice() ||
        engine->paintDevice()->devType() != QInternal::Image || p.compositionMode() != QPainter::CompositionMode_SourceOver ||
        p.opacity() != 1.0 || p.pen().style() != Qt::SolidLine || p.pen().brush().style() != Qt::SolidPattern ||
        p.pen().color().alpha() != 255) {
        return nullptr;
    }
    const auto* image = static_cast<const QImage*>(engine->paintDevice());
    if (image->format() != QImage::Format_RGB32 && image->format() != QImage::Format_ARGB32_Premultiplied) {
        return nullptr;
    }
    const qreal ratio = image->devicePixelRatio();
    const QTransform& t = p.deviceTransform();
    if (ratio != qFloor(ratio) || t.type() > QTransform::TxScale || t.m11() != ratio || t.m22() != ratio) {
        return nullptr;
    }
    return image;
}

QRect deviceRectInside(const QTransform& t, const QRect& r)
{
    const QRectF d = t.mapRect(QRectF(r));
    return QRect(QPoint(qCeil(d.left() - 1e-6), qCeil(d.top() - 1e-6)),
                 QPoint(qFloor(d.right() + 1e-6) - 1, qFloor(d.bottom() + 1e-6) - 1));
}

// The box of the ink in `image` (32 bits a pixel; empty when there is none),
// or nothing when some ink lies outside `inside` or on the image's own
// edges, except edges that are sides of the clip (`clipSides`: left, top,
// right, bottom), beyond which nothing is drawn.
std::optional<QRect> inkBox(const QImage& image, QRgb ground, const QRect& inside, const bool clipSides[4])
{
    const QRect edges = QRect(QPoint(0, 0), image.size()).adjusted(clipSides[0] ? 0 : 1, clipSides[1] ? 0 : 1,
                                                                   clipSides[2] ? 0 : -1, clipSides[3] ? 0 : -1);
    const QRect allowed = inside & edges;
    const int width = image.width(), height = image.height();
    int left = width, right = -1, top = height, bottom = -1;
    for (int y = 0; y < height; ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        int first = 0;
        while (first < width && (row[first] | 0xff000000u) == ground) {
            ++first;
        }
        if (first == width) {
            continue; // no ink in this row
        }
        int last = width - 1;
        while ((row[last] | 0xff000000u) == ground) {
            --last;
        }
        if (y < allowed.top() || y > allowed.bottom() || first < allowed.left() || last > allowed.right()) {
            return std::nullopt;
        }
        left = qMin(left, first);
        right = qMax(right, last);
        top = qMin(top, y);
        bottom = y;
    }
    return right < 0 ? QRect() : QRect(QPoint(left, top), QPoint(right, bottom));
}

// Where a line is drawn, in the device pixels of the painter's image.
struct Spot {
    QPointF device; // the origin
    QPoint cell;    // the device pixel holding it
    QRect box;      // the line box with room around it for overhanging ink
};

Spot spotOf(const QPainter& p, const LaidOut& line, const QPointF& origin, int ratio)
{
    Spot s;
    s.device = p.deviceTransform().map(origin);
    s.cell = QPoint(qFloor(s.device.x()), qFloor(s.device.y()));
    const qreal height = (line.ascent + line.descent) * ratio;
    const int room = qCeil(height / 3) + 1;
    const QPoint end(qCeil(s.device.x() + line.advance * ratio), qCeil(s.device.y() + height));
    s.box = QRect(s.cell - QPoint(room, room), end + QPoint(room, room));
    return s;
}

// Draws the line on `ground` into an image of `probe` (device pixels), by
// the same painter settings as `p`'s, on the same kind of image as `target`.
QImage drawnOnGround(const QPainter& p, const QImage& target, const LaidOut& line, const Spot& spot,
                     const QRect& probe, const QColor& ground)
{
    const int ratio = int(target.devicePixelRatio());
    QImage image(probe.size(), target.format());
    image.setDevicePixelRatio(ratio);
    const int dotsPerMeter = qRound(p.device()->logicalDpiY() / 0.0254);
    image.setDotsPerMeterX(dotsPerMeter);
    image.setDotsPerMeterY(dotsPerMeter);
    image.fill(ground);
    QPainter q(&image);
    q.setRenderHints(p.renderHints());
    q.setFont(p.font());
    q.setPen(p.pen());
    line.layout->draw(&q, (spot.device - QPointF(probe.topLeft())) / ratio);
    return image;
}

// Makes `picture` from `image` (drawn at `probe` on `ground`) once its ink
// is known to lie within `inside` (image pixels, see inkBox); false, and the
// picture unusable, when it does not. The store may start again while the picture is
// kept: its image and place are given back through `kept` and `at`, and
// `picture` is not to be used afterwards.
bool makePicture(Picture& picture, const QImage& image, QRgb ground, const QRect& probe, const QPoint& cell,
                 const QRect& inside, const bool clipSides[4], QImage* kept, QPoint* at)
{
    const std::optional<QRect> ink = inkBox(image, ground, inside, clipSides);
    if (!ink) {
        picture.usable = false;
        return false;
    }
    // Only the ink's box is copied: the ground around it may hold other
    // lines drawn on it before.
    if (!ink->isEmpty()) {
        *kept = image.copy(*ink);
        kept->setDevicePixelRatio(image.devicePixelRatio());
    }
    *at = probe.topLeft() + ink->topLeft() - cell;
    picture.made = true;
    picture.at = *at;
    pictures().keep(picture, *kept); // may start the store again
    return true;
}

void copyPicture(QPainter& p, const QPointF& origin, const Spot& spot, const QPoint& at, const QImage& image)
{
    if (!image.isNull()) {
        p.drawImage(origin + (QPointF(spot.cell + at) - spot.device) / image.devicePixelRatio(), image);
    }
}

enum class Whole { Drawn, NotYet, Elsewhere };

// The kept picture of the whole line, its ink unclipped, on the ground's
// colour (`key`, with no area). Where the line is clipped to `clip` (device
// pixels; null: not clipped), the part of its ink within the clip is what a
// clipped drawing gives, pixel for pixel: copied when that part lies on the
// ground (`plain`). One picture serves the line in cells of any size.
Whole drawWhole(QPainter& p, const QImage& target, const LaidOut& line, const QPointF& origin,
                const Spot& spot, const PictureKey& key, const QRect& clip, const QRect& plain,
                const QColor& ground)
{
    Picture* picture = pictures().find(key);
    if (!picture) {
        pictures().seen(key);
        return Whole::NotYet;
    }
    if (!picture->usable) {
        return Whole::Elsewhere;
    }
    if (!picture->made && ++picture->sightings < 3) {
        return Whole::NotYet;
    }
    QImage image = picture->image;
    QPoint at = picture->at;
    if (!picture->made) {
        const QImage drawn = drawnOnGround(p, target, line, spot, spot.box, ground);
        const bool noClip[4] = {false, false, false, false};
        if (!makePicture(*picture, drawn, ground.rgb(), spot.box, spot.cell,
                         QRect(QPoint(0, 0), drawn.size()), noClip, &image, &at)) {
            return Whole::Elsewhere;
        }
    }
    const QRect ink(spot.cell + at, image.size());
    const QRect shown = clip.isNull() ? ink : ink & clip;
    if (shown.isEmpty()) {
        return Whole::Drawn; // no ink, or none within the clip
    }
    if (!plain.contains(shown)) {
        return Whole::Elsewhere;
    }
    // The shown part, as an image of its own over the kept one's pixels (32
    // bits each, as the window's).
    const QPoint from = shown.topLeft() - ink.topLeft();
    QImage part(image.constScanLine(from.y()) + from.x() * 4, shown.width(), shown.height(),
                image.bytesPerLine(), image.format());
    part.setDevicePixelRatio(image.devicePixelRatio());
    copyPicture(p, origin, spot, shown.topLeft() - spot.cell, part);
    return Whole::Drawn;
}

// Draws `line` with the top left of its line box at `origin` from a kept
// picture on `ground`; false when it is to be drawn the usual way.
bool drawPicture(QPainter& p, const LaidOut& line, const QString& text, const QPointF& origin,
                 const QRect* clip, const TextGround& ground)
{
    const QImage* target = plainTarget(p);
    if (!target || ground.color.alpha() != 255 || !ground.rect.isValid()) {
        return false;
    }
    const QTransform& t = p.deviceTransform();
    const int ratio = int(target->devicePixelRatio());
    const Spot spot = spotOf(p, line, origin, ratio);
    // The part of the box on the ground and within the clip, where the
    // line's ink may lie.
    const QRect plain = deviceRectInside(t, ground.rect);
    QRect probe = spot.box;
    bool clipSides[4] = {false, false, false, false};
    if (clip) {
        const QRect c = deviceRectInside(t, *clip);
        const QRect clipped = probe & c;
        // Ink beyond a side of the clip is never drawn.
        clipSides[0] = clipped.left() == c.left();
        clipSides[1] = clipped.top() == c.top();
        clipSides[2] = clipped.right() == c.right();
        clipSides[3] = clipped.bottom() == c.bottom();
        probe = clipped;
    }
    const QRect area = probe & plain;
    if (area.isEmpty()) {
        return false;
    }
    const QPointF fraction = spot.device - QPointF(spot.cell);
    PictureKey key{text,
                   p.font(),
                   p.pen().color().rgba(),
                   ground.color.rgba(),
                   QRect(),
                   qRound(fraction.x() * 64),
                   qRound(fraction.y() * 64),
                   ratio,
                   p.device()->logicalDpiY(),
                   int(target->format()),
                   int(p.renderHints())};
    // Its whole picture, unless its ink within the clip leaves the ground.
    switch (drawWhole(p, *target, line, origin, spot, key, clip ? deviceRectInside(t, *clip) : QRect(), plain,
                      ground.color)) {
    case Whole::Drawn:
        return true;
    case Whole::NotYet:
        return false;
    case Whole::Elsewhere:
        break;
    }
    // Else a picture of what lies within this area.
    key.area = area.translated(-spot.cell);
    Picture* picture = pictures().find(key);
    if (!picture) {
        pictures().seen(key); // drawn the usual way
        return false;
    }
    if (!picture->usable) {
        return false;
    }
    if (!picture->made && ++picture->sightings < 3) {
        return false; // a line drawn twice only does not pay for its picture
    }
    QImage image = picture->image;
    QPoint at = picture->at;
    if (!picture->made) {
        // The line is drawn for the picture with room all round, to see that
        // none of its ink falls beyond the ground (and the clip); the picture
        // keeps the part on the ground.
        const QImage drawn = drawnOnGround(p, *target, line, spot, probe, ground.color);
        if (!makePicture(*picture, drawn, ground.color.rgb(), probe, spot.cell,
                         area.translated(-probe.topLeft()), clipSides, &image, &at)) {
            return false;
        }
    }
    copyPicture(p, origin, spot, at, image);
    return true;
}
} // namespace

QString elidedLine(const QString& text, const QFont& font, int width)
{
    if (fitsWhole(text, font, width)) {
        return text;
    }
    static KeptValues<ElideKey, QString> elided(kMostLines);
    return elided.get(ElideKey{text, font, width},
                      [&] { return QFontMetrics(font).elidedText(text, Qt::ElideRight, width); });
}

int lineWidth(const QString& text, const QFont& font)
{
    return isPlainLine(text) ? qRound(laidOut(text, font).advance) : QFontMetrics(font).horizontalAdvance(text);
}

namespace
{

struct Placed {
    QPointF origin; // the top left of the line box
    bool fits;      // the line box lies within the rectangle
};

// Where `line` goes in `rect` by the alignment of `flags`, as
// QPainter::drawText places a single line: the ink's box decides whether it
// fits, the advance the place of a right-aligned line.
Placed place(const LaidOut& line, const QRect& rect, int flags)
{
    const qreal height = line.ascent + line.descent;
    qreal boxX = 0;
    qreal x = 0;
    if (flags & Qt::AlignRight) {
        boxX = rect.width() - line.width;
        x = rect.width() - line.advance;
    } else if (flags & Qt::AlignHCenter) {
        boxX = (rect.width() - line.width) / 2;
        x = (rect.width() - line.advance) / 2;
    }
    qreal y = 0;
    if (flags & Qt::AlignBottom) {
        y = rect.height() - height;
    } else if (flags & Qt::AlignVCenter) {
        y = (rect.height() - height) / 2;
    }
    const QRectF box(rect.x() + boxX, rect.y() + y, line.width, height);
    return {QPointF(rect.x() + x, rect.y() + y), QRectF(rect).contains(box)};
}

// Draws the glyphs of `line`, within `clip` when one is given.
void drawGlyphs(QPainter& p, const LaidOut& line, const QPointF& origin, const QRect* clip)
{
    if (clip) {
        p.save();
        p.setClipRect(*clip, Qt::IntersectClip);
    }
    line.layout->draw(&p, origin);
    if (clip) {
        p.restore();
    }
}

} // namespace

void drawTextLine(QPainter& p, const QRect& rect, int flags, const QString& text, const TextGround* ground)
{
    if (text.isEmpty()) {
        return;
    }
    const LaidOut& line = laidOut(text, p.font());
    const Placed at = place(line, rect, flags);
    const QRect* clip = (flags & Qt::TextDontClip) || at.fits ? nullptr : &rect;
    if (ground && drawPicture(p, line, text, at.origin, clip, *ground)) {
        return;
    }
    drawGlyphs(p, line, at.origin, clip);
}

void drawClippedTextLine(QPainter& p, const QRect& rect, int flags, const QString& text,
                         const TextGround* ground)
{
    if (text.isEmpty()) {
        return;
    }
    const LaidOut& line = laidOut(text, p.font());
    const QPointF origin = place(line, rect, flags).origin;
    // A kept picture holds the ink within the clip only, and lies on the
    // part of the ground within it: copied without a clip of its own.
    if (ground && drawPicture(p, line, text, origin, &rect, TextGround{ground->color, ground->rect & rect})) {
        return;
    }
    drawGlyphs(p, line, origin, &rect);
}

void drawTextLine(QPainter& p, const QPoint& baseline, const QString& text, const TextGround* ground)
{
    if (text.isEmpty()) {
        return;
    }
    const LaidOut& line = laidOut(text, p.font());
    const QPointF origin(baseline.x(), baseline.y() - line.ascent);
    if (!ground || !drawPicture(p, line, text, origin, nullptr, *ground)) {
        line.layout->draw(&p, origin);
    }
}

} // namespace nox
