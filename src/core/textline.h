#pragma once
// One line of text painted from a cache of laid-out texts. The views paint
// the same short texts (times, captions, schedule titles) on every paint;
// laying a text out (shaping) costs many times more than drawing its glyphs,
// so each text is laid out once per font and kept.
#include <QColor>
#include <QRect>
#include <QString>

class QFont;
class QPainter;

namespace nox
{

// The plain colour a line is drawn on: when the line is drawn, every pixel
// of `rect` (in the painter's coordinates) has `color`. A line drawn on its
// ground again and again is copied, from its third drawing on, from a kept
// picture of it on that colour, with the same pixels drawing would give, as
// long as its ink stays within `rect` (else it is drawn each time).
struct TextGround {
    QColor color;
    QRect rect;
};

// Paints `text` in the painter's font, pen and clip as
// QPainter::drawText(rect, flags | Qt::TextSingleLine, text) does: placed by
// the horizontal (left, right, centre) and vertical (top, centre, bottom)
// alignment of `flags`, clipped to `rect` unless flags hold
// Qt::TextDontClip; line breaks and tabs show as spaces. GUI thread only.
void drawTextLine(QPainter& p, const QRect& rect, int flags, const QString& text,
                  const TextGround* ground = nullptr);
// As drawTextLine under a clip to `rect` (TextDontClip has no meaning here):
// nothing of the line falls outside `rect`. Sets no clip of its own when the
// line is copied from a kept picture.
void drawClippedTextLine(QPainter& p, const QRect& rect, int flags, const QString& text,
                         const TextGround* ground = nullptr);
// Paints `text` (one line, no line breaks) as QPainter::drawText(baseline,
// text) does: from its left end on the baseline, not clipped. GUI thread
// only.
void drawTextLine(QPainter& p, const QPoint& baseline, const QString& text,
                  const TextGround* ground = nullptr);

// `text` cut to `width` pixels with "…" at its end, as
// QFontMetrics(font).elidedText(text, Qt::ElideRight, width) cuts it; kept
// per font and width, for the labels that are painted again and again with
// the same text. GUI thread only.
QString elidedLine(const QString& text, const QFont& font, int width);

// The width of `text` as QFontMetrics(font).horizontalAdvance(text) gives it,
// from the kept line when the text is one without breaks or tabs. GUI thread
// only.
int lineWidth(const QString& text, const QFont& font);

} // namespace nox
