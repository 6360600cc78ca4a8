#include "sked/skedlayout.h"

#include "core/keptvalues.h"

#include <QFontMetrics>
#include <QTextLayout>
#include <QTextOption>

#include <cmath>

namespace nox::sked
{

namespace
{

// Line breaks of any kind become the layout's own line separator.
QString normalizedBreaks(const QString& text)
{
    QString s = text;
    s.replace(QLatin1String("\r\n"), QString(QChar::LineSeparator));
    s.replace(QLatin1Char('\r'), QChar::LineSeparator);
    s.replace(QLatin1Char('\n'), QChar::LineSeparator);
    return s;
}

// The start of `text` that is laid out, never ending inside a surrogate pair.
QString boundedStart(const QString& text)
{
    if (text.size() <= kMaxWrappedChars) {
        return text;
    }
    qsizetype n = kMaxWrappedChars;
    if (text.at(n - 1).isHighSurrogate()) {
        --n;
    }
    return text.left(n);
}

WrappedText layOut(const QString& text, const QFont& font, int width, int lineHeight)
{
    WrappedText result;
    const QString start = boundedStart(text);
    bool cut = start.size() < text.size();
    const QString s = normalizedBreaks(start);
    QTextLayout layout(s, font);
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    option.setTabArray({});
    layout.setTextOption(option);
    layout.beginLayout();
    const qreal lineWidth = qMax(1, width);
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        if (result.lines.size() == kMaxWrappedLines) {
            cut = true;
            break;
        }
        line.setLineWidth(lineWidth);
        QString part = s.mid(line.textStart(), line.textLength());
        while (!part.isEmpty() && (part.back() == QChar::LineSeparator || part.back().isSpace())) {
            part.chop(1);
        }
        result.lines.append(part);
        result.width = qMax(result.width, int(std::ceil(line.naturalTextWidth())));
    }
    layout.endLayout();
    if (result.lines.isEmpty()) {
        result.lines.append(QString());
    }
    if (cut) {
        result.lines.last() += QChar(0x2026);
    }
    result.height = int(result.lines.size()) * lineHeight;
    return result;
}

struct WrapKey {
    QString text;
    QFont font;
    int width;
    int lineHeight;
    friend bool operator==(const WrapKey& a, const WrapKey& b)
    {
        return a.width == b.width && a.lineHeight == b.lineHeight && a.text == b.text && a.font == b.font;
    }
};

size_t qHash(const WrapKey& key, size_t seed = 0)
{
    return qHashMulti(seed, key.text, key.font, key.width, key.lineHeight);
}

// Enough for the texts of seven columns several times over; when full it
// starts again (the texts of the next layout come back at once). Longer
// texts are laid out each time, which keeps the memory small.
constexpr qsizetype kMostWrapped = 2048;
constexpr qsizetype kLongestKept = 256;

} // namespace

WrappedText wrapText(const QString& text, const QFont& font, int width, int lineHeight)
{
    // Stepping through days lays out the same texts again and again (going
    // back, and the titles that recur from week to week): each is laid out
    // once per font and width.
    if (text.size() > kLongestKept) {
        return layOut(text, font, width, lineHeight);
    }
    static KeptValues<WrapKey, WrappedText> wrapped(kMostWrapped);
    return wrapped.get(WrapKey{text, font, width, lineHeight}, [&] { return layOut(text, font, width, lineHeight); });
}

int rowHeightOf(const QFont& font)
{
    const QFontMetrics fm(font);
    return qMax(1, fm.height() + qMax(0, fm.leading()));
}

int SkedLayout::rowAt(int y) const
{
    if (y < view.top() || rowHeight <= 0) {
        return -1;
    }
    const int row = (y - view.top()) / rowHeight + topRow;
    return row < rows.size() ? row : -1;
}

const SkedBlock* SkedLayout::blockOf(int item) const
{
    for (const SkedBlock& block : blocks) {
        if (block.item == item) {
            return &block;
        }
    }
    return nullptr;
}

} // namespace nox::sked
