#include "core/textline.h"

#include "core/keptvalues.h"

#include <QFontMetrics>
#include <QFontMetricsF>
#include <QHash>
#include <QPainter>
#include <QTextLayout>
#include <QtMath>
#include <memory>

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
    return qHashMulti(seed, k.text, k.font, k.width);
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

void drawTextLine(QPainter& p, const QRect& rect, int flags, const QString& text)
{
    if (text.isEmpty()) {
        return;
    }
    const LaidOut& line = laidOut(text, p.font());
    // Placed and clipped as QPainter::drawText places a single line: the ink's
    // box decides the clip, the advance the place of a right-aligned line.
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
    const bool clip = !(flags & Qt::TextDontClip) && !QRectF(rect).contains(box);
    if (clip) {
        p.save();
        p.setClipRect(rect, Qt::IntersectClip);
    }
    line.layout->draw(&p, QPointF(rect.x() + x, rect.y() + y));
    if (clip) {
        p.restore();
    }
}

void drawTextLine(QPainter& p, const QPoint& baseline, const QString& text)
{
    if (text.isEmpty()) {
        return;
    }
    const LaidOut& line = laidOut(text, p.font());
    line.layout->draw(&p, QPointF(baseline.x(), baseline.y() - line.ascent));
}

} // namespace nox
