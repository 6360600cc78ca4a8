// Painting of a computed month layout; nothing here decides geometry.
#include "monthview/monthviewlayout_p.h"

#include "core/textline.h"
#include "widgets/repeatmark.h"

#include <QFontMetricsF>
#include <QHash>
#include <QImage>
#include <QPainter>
#include <QPalette>
#include <algorithm>
#include <cstring>

namespace nox::monthview
{

namespace
{

void fill(QPainter& p, const QRect& r, TColor color, const QPalette& palette)
{
    if (r.isValid()) {
        p.fillRect(r, toQColor(color, palette));
    }
}

// Four strips of width w inside r: left, bottom, right, top.
void frame(QPainter& p, const QRect& r, int w, TColor color, const QPalette& palette)
{
    if (!r.isValid() || w <= 0) {
        return;
    }
    const QColor c = toQColor(color, palette);
    p.fillRect(QRect(r.left(), r.top(), qMin(w, r.width()), r.height()), c);
    p.fillRect(QRect(r.left(), r.bottom() + 1 - qMin(w, r.height()), r.width(), qMin(w, r.height())), c);
    p.fillRect(QRect(r.right() + 1 - qMin(w, r.width()), r.top(), qMin(w, r.width()), r.height()), c);
    p.fillRect(QRect(r.left(), r.top(), r.width(), qMin(w, r.height())), c);
}

// --- the small texts of the calendar marks ---
//
// Every cell of a month shows an old date of its own ("旧11/14"): laying each
// out and drawing its glyphs anew at every step of the month made a step with
// the marks on half as slow again as one without. Their texts come from a
// handful of characters, so each character is drawn once per font, colour,
// ground and pixel ratio as a picture a whole number of pixels wide; a text
// is those pictures side by side, put together with row copies and kept, and
// is copied to the window as one picture. The old date and the 六曜 beside it
// make one picture, with the gap between them.

struct MarkKey {
    QString text;
    QString second; // after a gap of `gap` logical pixels, when not empty
    int gap;
    int face;
    QRgb pen;
    QRgb ground;
    int ratio; // device pixels per 100 logical ones
    bool operator==(const MarkKey&) const = default;
};

size_t qHash(const MarkKey& k, size_t seed = 0)
{
    return qHashMulti(seed, k.text, k.second, k.gap, k.face, k.pen, k.ground, k.ratio);
}

struct MarkFont {
    int face = -1;
    int ascent = 0; // logical pixels
    int height = 0;
};

class MarkPictures
{
public:
    // The width of `text` as markPicture puts it together, in logical pixels.
    int width(const QString& text, const QFont& font)
    {
        const int face = faceIndex(font);
        int w = 0;
        for (const QChar c : text) {
            w += charWidth(c, font, face);
        }
        return w;
    }

    // The text (and the second after the gap) on its ground, one line of
    // `font`'s height.
    const QImage& picture(const QString& text, const QString& second, int gap, const QFont& font, QRgb pen,
                          QRgb ground, qreal ratio)
    {
        const int face = faceIndex(font);
        const MarkKey key{text, second, second.isEmpty() ? 0 : gap, face, pen, ground, qRound(ratio * 100)};
        auto it = m_texts.constFind(key);
        if (it == m_texts.constEnd()) {
            if (m_texts.size() >= kMostTexts) {
                m_texts.clear();
            }
            it = m_texts.insert(key, joined(key, font));
        }
        return *it;
    }

    // A font by a small number: comparing fonts is cheap, hashing one is
    // not. Past a few fonts everything kept starts over.
    int faceIndex(const QFont& font)
    {
        for (int i = 0; i < m_faces.size(); ++i) {
            if (m_faces[i] == font) {
                return i;
            }
        }
        if (m_faces.size() >= kMostFaces) {
            m_texts.clear();
            m_chars.clear();
            m_widths.clear();
            m_faces.clear();
            m_font = MarkFont();
        }
        m_faces.append(font);
        return int(m_faces.size() - 1);
    }

    MarkFont metrics(const QFont& font)
    {
        const int face = faceIndex(font);
        if (m_font.face != face) {
            const QFontMetrics fm(font);
            m_font = MarkFont{face, fm.ascent(), fm.ascent() + fm.descent()};
        }
        return m_font;
    }

private:
    static constexpr qsizetype kMostTexts = 4096;
    static constexpr qsizetype kMostFaces = 16;

    int charWidth(QChar c, const QFont& font, int face)
    {
        const quint64 key = quint64(face) << 16 | c.unicode();
        auto it = m_widths.constFind(key);
        if (it == m_widths.constEnd()) {
            it = m_widths.insert(key, qMax(0, qRound(QFontMetricsF(font).horizontalAdvance(c))));
        }
        return *it;
    }

    // One character on the ground at the left end of its picture, on the
    // font's baseline.
    const QImage& charPicture(QChar c, const QFont& font, const MarkKey& text)
    {
        const MarkKey key{QString(c), QString(), 0, text.face, text.pen, text.ground, text.ratio};
        auto it = m_chars.constFind(key);
        if (it == m_chars.constEnd()) {
            const qreal ratio = text.ratio / 100.0;
            const MarkFont m = metrics(font);
            QImage image(qCeil(charWidth(c, font, text.face) * ratio), qCeil(m.height * ratio),
                         QImage::Format_ARGB32_Premultiplied);
            image.setDevicePixelRatio(ratio);
            image.fill(text.ground);
            if (!image.isNull()) {
                QPainter p(&image);
                p.setFont(font);
                p.setPen(QColor::fromRgba(text.pen));
                p.drawText(QPointF(0, m.ascent), QString(c));
            }
            it = m_chars.insert(key, image);
        }
        return *it;
    }

    QImage joined(const MarkKey& key, const QFont& font)
    {
        const qreal ratio = key.ratio / 100.0;
        const int height = qCeil(metrics(font).height * ratio);
        QList<QImage> parts; // copies: the kept ones move as more are kept
        int width = 0;
        const auto add = [&](const QString& text) {
            for (const QChar c : text) {
                parts.append(charPicture(c, font, key));
                width += parts.back().width();
            }
        };
        add(key.text);
        const int gapStart = width;
        const int gap = qCeil(key.gap * ratio);
        width += gap;
        const qsizetype afterGap = parts.size();
        add(key.second);
        QImage out(width, height, QImage::Format_ARGB32_Premultiplied);
        out.setDevicePixelRatio(ratio);
        if (out.isNull()) {
            return out;
        }
        uchar* const bits = out.bits();
        const qsizetype stride = out.bytesPerLine();
        const QRgb ground = qPremultiply(key.ground);
        for (int y = 0; y < height; ++y) {
            auto* row = reinterpret_cast<QRgb*>(bits + y * stride);
            std::fill(row + gapStart, row + gapStart + gap, ground);
        }
        int x = 0;
        for (qsizetype i = 0; i < parts.size(); ++i) {
            const QImage& part = parts[i];
            if (i == afterGap) {
                x += gap;
            }
            const uchar* from = part.constBits();
            const qsizetype fromStride = part.bytesPerLine();
            const size_t bytes = size_t(part.width()) * 4;
            const int rows = qMin(height, part.height());
            for (int y = 0; y < rows; ++y) {
                std::memcpy(bits + y * stride + x * 4, from + y * fromStride, bytes);
            }
            x += part.width();
        }
        return out;
    }

    QHash<MarkKey, QImage> m_texts;
    QHash<MarkKey, QImage> m_chars;
    QHash<quint64, int> m_widths;
    QList<QFont> m_faces;
    MarkFont m_font;
};

MarkPictures& markPictures()
{
    static MarkPictures pictures;
    return pictures;
}

// The run's font: the control's with the run's styles and size.
QFont runFont(const QFont& font, const TextRun& run)
{
    thread_local QFont base, made;
    thread_local TFontStyles style = 0;
    thread_local int percent = 0; // 0: nothing made yet
    if (percent == 0 || style != run.style || percent != run.sizePercent || !(font == base)) {
        base = font;
        style = run.style;
        percent = run.sizePercent;
        made = font;
        applyFontStyles(made, run.style);
        if (run.sizePercent != 100) {
            made = scaledFont(made, run.sizePercent);
        }
    }
    return made;
}

// Where a mark's picture goes in `r`, by the alignment of `flags`: on
// whole device pixels, as a picture put between them would be resampled.
QPointF markPlace(const QRect& r, int flags, QSizeF size, qreal ratio)
{
    const qreal x = flags & Qt::AlignRight     ? r.left() + r.width() - size.width()
                    : flags & Qt::AlignHCenter ? r.left() + qFloor((r.width() - size.width()) / 2)
                                               : r.left();
    const qreal y = flags & Qt::AlignBottom    ? r.top() + r.height() - size.height()
                    : flags & Qt::AlignVCenter ? r.top() + qFloor((r.height() - size.height()) / 2)
                                               : r.top();
    return QPointF(qRound(x * ratio) / ratio, qRound(y * ratio) / ratio);
}

// Copies the kept picture of a mark's text (`run`, and `second` after it
// when given, which must lie right of it on the same line) into the run's
// rectangle (to the end of `second`'s), placed by the run's alignment (the
// second's, when given). False when it cannot (a painter that does more
// than shift, a ground that is not plain under it): the caller draws the
// texts.
bool copyMarkPicture(QPainter& p, const TextRun& run, const TextRun* second, const QFont& font,
                     const QColor& pen, const TextGround& ground)
{
    const QTransform& t = p.worldTransform();
    if (t.type() > QTransform::TxTranslate || t.dx() != qRound(t.dx()) || t.dy() != qRound(t.dy()) ||
        ground.color.alpha() != 255 || pen.alpha() != 255) {
        return false;
    }
    const qreal ratio = p.device()->devicePixelRatioF();
    const QRect r = second ? run.rect | second->rect : run.rect;
    const int gap = second ? second->rect.left() - (run.rect.left() + run.rect.width()) : 0;
    const QImage& image = markPictures().picture(run.text, second ? second->text : QString(), gap, font,
                                                 pen.rgba(), ground.color.rgba(), ratio);
    const QSizeF size = image.deviceIndependentSize();
    const QPointF at = markPlace(r, second ? second->flags : run.flags, size, ratio);
    const QRectF shown = QRectF(at, size) & QRectF(r);
    if (shown.isEmpty()) {
        return true;
    }
    if (!QRectF(ground.rect).contains(shown)) {
        return false;
    }
    const QRectF source((shown.topLeft() - at) * ratio, shown.size() * ratio);
    p.drawImage(shown, image, source);
    return true;
}

// The small marks of a date row, the old date and the 六曜, from their kept
// pictures where they can be (one picture when both are there side by side
// in the same font and colour), else as any text.
void paintSmallMarks(QPainter& p, const TextRun& lunar, const TextRun& rokuyo, const QFont& font,
                     const QPalette& palette, const TextGround& ground)
{
    const auto shown = [](const TextRun& run) { return !run.text.isEmpty() && run.rect.isValid(); };
    if (shown(lunar) && shown(rokuyo) && lunar.color == rokuyo.color && lunar.style == rokuyo.style &&
        lunar.sizePercent == rokuyo.sizePercent && lunar.flags == rokuyo.flags &&
        lunar.rect.top() == rokuyo.rect.top() && lunar.rect.height() == rokuyo.rect.height() &&
        lunar.rect.left() + lunar.rect.width() <= rokuyo.rect.left() &&
        copyMarkPicture(p, lunar, &rokuyo, runFont(font, lunar), toQColor(lunar.color, palette), ground)) {
        return;
    }
    for (const TextRun* run : {&lunar, &rokuyo}) {
        if (shown(*run) &&
            !copyMarkPicture(p, *run, nullptr, runFont(font, *run), toQColor(run->color, palette), ground)) {
            paintText(p, *run, font, palette, QColor(), &ground);
        }
    }
}

} // namespace

int markTextWidth(const QString& text, const QFont& font)
{
    return markPictures().width(text, font);
}

QFont scaledFont(const QFont& font, int percent)
{
    QFont f = font;
    if (f.pointSizeF() > 0) {
        f.setPointSizeF(f.pointSizeF() * percent / 100.0);
    } else if (f.pixelSize() > 0) {
        f.setPixelSize(qMax(1, f.pixelSize() * percent / 100));
    }
    return f;
}

void paintText(QPainter& p, const TextRun& run, const QFont& font, const QPalette& palette,
               const QColor& background, const TextGround* ground)
{
    if (run.text.isEmpty() || !run.rect.isValid()) {
        return;
    }
    p.setFont(runFont(font, run));
    const QColor color = toQColor(run.color, palette);
    p.setPen(background.isValid() ? readableOn(color, background) : color);
    drawClippedTextLine(p, run.rect, run.flags, run.text, ground); // single lines
}

void paintBackgroundAndGrid(QPainter& p, const MonthLayout& l, const QPalette& palette)
{
    fill(p, QRect(QPoint(0, 0), l.size), l.background, palette);
    if (l.headerVisible) {
        fill(p, l.header, l.headerColor, palette);
        fill(p, QRect(0, 0, l.size.width(), l.lineWidth), l.lineColor, palette);
    }
    if (l.lineWidth <= 0) {
        return;
    }
    const QColor line = toQColor(l.lineColor, palette);
    for (int x : l.grid.x) {
        p.fillRect(QRect(x, 0, l.lineWidth, l.size.height()), line);
    }
    for (int y : l.grid.y) {
        p.fillRect(QRect(0, y, l.size.width(), l.lineWidth), line);
    }
}

void paintHeader(QPainter& p, const MonthLayout& l, const QFont& font, const QPalette& palette)
{
    if (!l.headerVisible) {
        return;
    }
    // The weekdays lie on the bar's colour, below the top grid line and
    // between the upright ones.
    const QRect below(0, l.lineWidth, l.size.width(), l.header.height() - l.lineWidth);
    p.save();
    for (const TextRun& run : l.weekdays) {
        const TextGround ground{toQColor(l.headerColor, palette), run.rect & l.header & below};
        paintText(p, run, font, palette, QColor(), &ground);
    }
    p.restore();
}

void paintExpandMarker(QPainter& p, const QRect& box, const QPalette& palette)
{
    p.fillRect(box, Qt::black);
    const QRect inside = box.adjusted(1, 1, -1, -1);
    p.fillRect(inside, toQColor(clInfoBk, palette));
    const int l = inside.left();
    const int t = inside.top();
    // The triangle as pixel rows (1..7 wide, then 5, 3, 1), exact at any
    // device pixel ratio.
    for (int row = 0; row < 4; ++row) {
        p.fillRect(QRect(l + 1 + row, t + 1 + row, 7 - 2 * row, 1), Qt::black);
    }
    for (int dx : {9, 12, 15}) {
        p.fillRect(QRect(l + dx, t + 1, 2, 2), Qt::black);
    }
}

void paintBar(QPainter& p, const BarLayout& bar, const QFont& font, const QPalette& palette,
              const QList<QPixmap>* images)
{
    if (!bar.rect.isValid()) {
        return;
    }
    if (bar.fillBackground) {
        fill(p, bar.rect, bar.background, palette);
    }
    if (images && bar.imageIndex >= 0 && bar.imageIndex < images->size()) {
        p.save();
        p.setClipRect(bar.rect, Qt::IntersectClip);
        const QPixmap& pm = images->at(bar.imageIndex);
        const qreal ratio = pm.devicePixelRatio();
        const QRectF source(bar.imageSource.x() * ratio, bar.imageSource.y() * ratio,
                            bar.imageSource.width() * ratio, bar.imageSource.height() * ratio);
        p.drawPixmap(QRectF(bar.imageTarget), pm, source);
        p.restore();
    }
    const QColor background = bar.fillBackground ? toQColor(bar.background, palette) : QColor();
    // Each run has its own part of the filled bar (the frame comes after).
    const TextGround timeGround{background, bar.time.rect & bar.rect};
    const TextGround textGround{background, bar.text.rect & bar.rect};
    paintText(p, bar.time, font, palette, background, bar.fillBackground ? &timeGround : nullptr);
    paintText(p, bar.text, font, palette, background, bar.fillBackground ? &textGround : nullptr);
    frame(p, bar.rect, 1, bar.frameColor, palette);
    fill(p, bar.markRect, bar.markColor, palette);
    if (bar.repeatRect.isValid()) {
        paintRepeatMark(p, bar.repeatRect, toQColor(bar.text.color, palette));
    }
}

void paintCell(QPainter& p, const CellLayout& c, const QFont& font, const QPalette& palette,
               const QList<QPixmap>* images)
{
    if (!c.inner.isValid()) {
        return;
    }
    p.save();
    p.setClipRect(c.inner, Qt::IntersectClip);
    fill(p, c.inner, c.background, palette);
    frame(p, c.todayFrame, c.todayLineWidth, c.todayColor, palette);
    fill(p, c.focusRect, c.focusColor, palette);
    // The day's texts lie on the cell's colour inside today's frame, or on
    // the focus colour within the focus rectangle. The holiday's name is
    // drawn first; the day number after it has a plain ground only when there
    // is no name.
    const int w = c.todayFrame.isValid() ? c.todayLineWidth : 0;
    const QRect inside = c.inner.adjusted(w, w, -w, -w);
    const TextGround ground = c.focusRect.isValid()
                                  ? TextGround{toQColor(c.focusColor, palette), c.focusRect & inside}
                                  : TextGround{toQColor(c.background, palette), inside};
    paintText(p, c.holiday, font, palette, QColor(), &ground);
    if (c.nameLineHeight > 0) {
        // Under the date row, on the cell's own colour.
        const TextGround below{toQColor(c.background, palette), c.seasonal.rect & inside};
        paintText(p, c.seasonal, font, palette, QColor(), &below);
    } else {
        paintText(p, c.seasonal, font, palette, QColor(), &ground);
    }
    paintSmallMarks(p, c.lunar, c.rokuyo, font, palette, ground);
    paintText(p, c.dayText, font, palette, QColor(), c.holiday.text.isEmpty() ? &ground : nullptr);
    for (const BarLayout& bar : c.bars) {
        paintBar(p, bar, font, palette, images);
    }
    p.restore();
    // The marker reaches past the cell by the day-text margin.
    if (c.expandRect.isValid()) {
        paintExpandMarker(p, c.expandRect, palette);
    }
}

} // namespace nox::monthview
