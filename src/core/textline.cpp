#include "core/textline.h"

#include "core/keptvalues.h"

#include <QFontMetrics>
#include <QFontMetricsF>
#include <QHash>
#include <QPainter>
#include <QStaticText>
#include <QTextLayout>
#include <QtMath>

namespace nox
{

namespace
{

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
    return qHashMulti(seed, key.text, key.font);
}

struct LaidOut {
    QStaticText text;
    qreal width = 0;
    qreal height = 0; // of the line: ascent and descent of the font
};

// Enough for every text of a full window several times over; when full it
// starts again (the texts of the next paint come back at once).
constexpr qsizetype kMostLines = 4096;

LaidOut layOut(const QString& text, const QFont& font)
{
    QString line = text;
    for (QChar& c : line) {
        if (c == u'\n' || c == u'\r' || c == u'\t' || c == QChar::LineSeparator || c == QChar::ParagraphSeparator) {
            c = u' ';
        }
    }
    LaidOut made;
    made.text.setText(line);
    made.text.setTextFormat(Qt::PlainText);
    made.text.setPerformanceHint(QStaticText::AggressiveCaching);
    made.text.prepare(QTransform(), font);
    made.width = made.text.size().width();
    const QFontMetricsF metrics(font);
    made.height = metrics.ascent() + metrics.descent();
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
    return qHashMulti(seed, k.text, k.font, k.width);
}

} // namespace

QString elidedLine(const QString& text, const QFont& font, int width)
{
    static KeptValues<ElideKey, QString> elided(kMostLines);
    return elided.get(ElideKey{text, font, width},
                      [&] { return QFontMetrics(font).elidedText(text, Qt::ElideRight, width); });
}

void drawTextLine(QPainter& p, const QRect& rect, int flags, const QString& text)
{
    if (text.isEmpty()) {
        return;
    }
    const QFont& font = p.font();
    const LaidOut& line = laidOut(text, font);
    const qreal height = line.height;
    qreal x = rect.x();
    if (flags & Qt::AlignRight) {
        x += rect.width() - line.width;
    } else if (flags & Qt::AlignHCenter) {
        x += (rect.width() - line.width) / 2;
    }
    qreal y = rect.y();
    if (flags & Qt::AlignBottom) {
        y += rect.height() - height;
    } else if (flags & Qt::AlignVCenter) {
        y += (rect.height() - height) / 2;
    }
    if (y != qFloor(y)) {
        // Between two pixel rows the text engine rounds the line's glyphs
        // its own way: leave such a line to it.
        p.drawText(rect, flags | Qt::TextSingleLine, text);
        return;
    }
    const bool clip = !(flags & Qt::TextDontClip) &&
                      (x < rect.x() || y < rect.y() || x + line.width > rect.x() + rect.width() ||
                       y + height > rect.y() + rect.height());
    if (clip) {
        p.save();
        p.setClipRect(rect, Qt::IntersectClip);
    }
    p.drawStaticText(QPointF(x, y), line.text);
    if (clip) {
        p.restore();
    }
}

void drawTextLine(QPainter& p, const QPoint& baseline, const QString& text)
{
    if (text.isEmpty()) {
        return;
    }
    // A line is laid out to be kept the second time it is drawn: the first
    // paint of a window draws each of its texts once, and laying out to keep
    // costs more than drawing once (the line's ascent takes a layout of its
    // own). Until then the ascent is unknown (< 0).
    static QHash<LineKey, qreal> ascents;
    LineKey key{text, p.font()};
    auto ascent = ascents.find(key);
    if (ascent == ascents.end()) {
        if (ascents.size() >= kMostLines) {
            ascents.clear();
        }
        ascents.insert(std::move(key), -1);
        p.drawText(baseline, text);
        return;
    }
    const LaidOut& line = laidOut(text, p.font());
    if (*ascent < 0) {
        // The line's own ascent places it: a fallback font (kana and kanji
        // in a Latin face) may reach higher than the font's own.
        QTextLayout layout(line.text.text(), p.font());
        layout.beginLayout();
        const QTextLine first = layout.createLine();
        layout.endLayout();
        *ascent = first.isValid() ? first.ascent() : QFontMetricsF(p.font()).ascent();
    }
    p.drawStaticText(QPointF(baseline.x(), baseline.y() - *ascent), line.text);
}

} // namespace nox
