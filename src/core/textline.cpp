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
// The picture is the box of the line's ink, which must lie on the ground
// (within the clip); a line whose ink reaches beyond its ground is always
// drawn.

struct PictureKey {
    QString text;
    QFont font;
    QRgb pen;
    QRgb ground;
    QRect area; // in device pixels, from the device pixel holding the origin
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
    const QPointF device = t.map(origin);
    const QPoint cell(qFloor(device.x()), qFloor(device.y()));
    const QPointF fraction = device - QPointF(cell);
    // The line box and room around it for ink that overhangs it.
    const qreal height = (line.ascent + line.descent) * ratio;
    const int room = qCeil(height / 3) + 1;
    const QRect box(QPoint(qFloor(device.x()) - room, qFloor(device.y()) - room),
                    QPoint(qCeil(device.x() + line.advance * ratio) + room, qCeil(device.y() + height) + room));
    // The line is drawn for the picture with room all round, to see that
    // none of its ink falls beyond the ground (and the clip); the picture
    // keeps the part on the ground.
    const QRect plain = deviceRectInside(t, ground.rect);
    QRect probe = box;
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
    const int dpi = p.device()->logicalDpiY();
    const PictureKey key{text,
                         p.font(),
                         p.pen().color().rgba(),
                         ground.color.rgba(),
                         area.translated(-cell),
                         qRound(fraction.x() * 64),
                         qRound(fraction.y() * 64),
                         ratio,
                         dpi,
                         int(target->format()),
                         int(p.renderHints())};
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
    if (!picture->made) {
        QImage image(probe.size(), target->format());
        image.setDevicePixelRatio(ratio);
        const int dotsPerMeter = qRound(dpi / 0.0254);
        image.setDotsPerMeterX(dotsPerMeter);
        image.setDotsPerMeterY(dotsPerMeter);
        image.fill(ground.color);
        {
            QPainter q(&image);
            q.setRenderHints(p.renderHints());
            q.setFont(p.font());
            q.setPen(p.pen());
            line.layout->draw(&q, (device - QPointF(probe.topLeft())) / ratio);
        }
        const std::optional<QRect> ink = inkBox(image, ground.color.rgb(), area.translated(-probe.topLeft()), clipSides);
        if (!ink) {
            picture->usable = false;
            return false;
        }
        // Only the ink's box is copied: the ground around it may hold other
        // lines drawn on it before.
        QImage kept;
        if (!ink->isEmpty()) {
            kept = image.copy(*ink);
            kept.setDevicePixelRatio(ratio);
        }
        picture->made = true;
        picture->at = probe.topLeft() + ink->topLeft() - cell;
        const QPoint at = picture->at;
        pictures().keep(*picture, kept); // may start the store again
        if (!kept.isNull()) {
            p.drawImage(origin + (QPointF(cell + at) - device) / ratio, kept);
        }
        return true;
    }
    if (!picture->image.isNull()) {
        p.drawImage(origin + (QPointF(cell + picture->at) - device) / ratio, picture->image);
    }
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

void drawClippedTextLine(QPainter& p, const QRect& rect, int flags, const QString& text, const TextGround* ground)
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
