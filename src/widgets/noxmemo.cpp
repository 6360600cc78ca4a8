#include "widgets/noxmemo.h"

#include "core/textline.h"

#include <QAbstractTextDocumentLayout>
#include <QPainter>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextDocument>

namespace nox
{

bool MemoNeedsScrollBar(int formatRectHeight, int lineHeight, int shownLines, bool endsWithLineBreak)
{
    if (lineHeight <= 0) {
        return false;
    }
    // Only whole lines inside the text rectangle count: a line reaching into
    // the bottom margin would be cut off with no way to scroll to it.
    const int fit = qMax(0, formatRectHeight) / lineHeight;
    const int needed = shownLines + (endsWithLineBreak ? 1 : 0);
    return needed > fit;
}

TNoxMemo::TNoxMemo(QWidget* parent) : QPlainTextEdit(parent)
{
    setLineWrapMode(QPlainTextEdit::WidgetWidth);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setTabChangesFocus(true);
    connect(document(), &QTextDocument::contentsChanged, this, &TNoxMemo::updateScrollBar);
    applyColors();
    applyTextRect();
}

void TNoxMemo::SetMarginSize(int size)
{
    size = qMax(0, size);
    if (size != m_marginSize) {
        m_marginSize = size;
        applyTextRect();
    }
}

void TNoxMemo::SetTopBarHeight(int height)
{
    height = qMax(0, height);
    if (height != m_topBarHeight) {
        m_topBarHeight = height;
        applyTextRect();
        update();
    }
}

void TNoxMemo::SetTopBarCaption(const QString& caption)
{
    if (caption != m_topBarCaption) {
        m_topBarCaption = caption;
        update();
    }
}

void TNoxMemo::SetTopBarBKColor(TColor color)
{
    if (color != m_topBarBKColor) {
        m_topBarBKColor = color;
        update();
    }
}

void TNoxMemo::SetTopBarFGColor(TColor color)
{
    if (color != m_topBarFGColor) {
        m_topBarFGColor = color;
        update();
    }
}

void TNoxMemo::SetColor(TColor color)
{
    if (color != m_color) {
        m_color = color;
        applyColors();
    }
}

void TNoxMemo::SetFontColor(TColor color)
{
    if (color != m_fontColor) {
        m_fontColor = color;
        applyColors();
    }
}

void TNoxMemo::SetBorderStyle(bool border)
{
    if (border != m_border) {
        m_border = border;
        applyTextRect();
        update();
    }
}

void TNoxMemo::SetText(const QString& text)
{
    // Refilling a document is costly and navigation sets every pane each
    // step, mostly to the same empty text: keep a document that holds the
    // text already and has nothing to undo.
    QTextDocument* doc = document();
    if (doc->isUndoAvailable() || doc->isRedoAvailable() || toPlainText() != text) {
        setPlainText(text);
    }
    doc->setModified(false);
}

void TNoxMemo::applyColors()
{
    QPalette pal = palette();
    pal.setColor(QPalette::Base, toQColor(m_color, QPalette()));
    pal.setColor(QPalette::Text, toQColor(m_fontColor, QPalette()));
    setPalette(pal);
    viewport()->update();
}

QRect TNoxMemo::TextRect() const
{
    const QRect vp = viewport()->geometry();
    return vp.adjusted(m_marginSize, m_marginSize, -m_marginSize, -m_marginSize);
}

// The frame and the strip lie outside the viewport; the margin is the
// document's, so it takes the box's colour like the text area.
void TNoxMemo::applyTextRect()
{
    if (m_border) {
        setFrameStyle(QFrame::Panel | QFrame::Sunken);
        setLineWidth(1);
    } else {
        setFrameStyle(QFrame::NoFrame);
    }
    setViewportMargins(0, m_topBarHeight, 0, 0);
    applyDocumentMargin();
    measureLineHeight();
    updateScrollBar();
}

// The margin lives in the document's root frame, and changing it there is an
// undoable edit that marks the text as modified. It is layout, not an edit:
// it goes in outside the undo history and leaves the modified flag as it was.
void TNoxMemo::applyDocumentMargin()
{
    QTextDocument* doc = document();
    if (doc->documentMargin() == m_marginSize) {
        return;
    }
    const bool modified = doc->isModified();
    const bool undoRedo = doc->isUndoRedoEnabled();
    doc->setUndoRedoEnabled(false);
    doc->setDocumentMargin(m_marginSize);
    doc->setUndoRedoEnabled(undoRedo);
    doc->setModified(modified);
}

void TNoxMemo::measureLineHeight()
{
    // The box lays its lines out with the font's leading included.
    m_lineHeight = QFontMetrics(font()).lineSpacing();
}

int TNoxMemo::ShownLineCount(int atMost) const
{
    QAbstractTextDocumentLayout* layout = document()->documentLayout();
    int lines = 0;
    for (QTextBlock block = document()->begin(); block.isValid() && lines <= atMost; block = block.next()) {
        const bool trailingEmpty = !block.next().isValid() && block.length() <= 1 && block.blockNumber() > 0;
        if (trailingEmpty) {
            break;
        }
        if (!block.layout() || block.layout()->lineCount() == 0) {
            layout->blockBoundingRect(block); // lays the block out
        }
        lines += qMax(1, block.layout() ? block.layout()->lineCount() : 1);
    }
    return qMin(lines, atMost + 1);
}

void TNoxMemo::updateScrollBar()
{
    if (m_updatingScrollBar || m_lineHeight <= 0) {
        return;
    }
    // A text ending in a line break ends in an empty block.
    const QTextBlock last = document()->lastBlock();
    const bool endsWithBreak = last.blockNumber() > 0 && last.length() <= 1;
    const int fmtHeight = viewport()->height() - 2 * m_marginSize;
    const int fit = qMax(0, fmtHeight) / m_lineHeight;
    const bool need = MemoNeedsScrollBar(fmtHeight, m_lineHeight, ShownLineCount(fit + 1), endsWithBreak);
    if (need == m_scrollBarShown) {
        return;
    }
    m_updatingScrollBar = true;
    m_scrollBarShown = need;
    setVerticalScrollBarPolicy(need ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
    m_updatingScrollBar = false;
}

void TNoxMemo::resizeEvent(QResizeEvent* event)
{
    QPlainTextEdit::resizeEvent(event);
    updateScrollBar();
}

void TNoxMemo::changeEvent(QEvent* event)
{
    QPlainTextEdit::changeEvent(event);
    if (event->type() == QEvent::FontChange) {
        applyTextRect();
    }
}

bool TNoxMemo::event(QEvent* event)
{
    const bool result = QPlainTextEdit::event(event);
    if (event->type() == QEvent::Paint) {
        paintDecoration();
    }
    return result;
}

void TNoxMemo::paintDecoration()
{
    QPainter p(this);
    const QPalette& pal = palette();
    if (m_border) {
        const QRect r = rect();
        const QColor shadow = toQColor(clBtnShadow, pal);
        const QColor light = toQColor(clBtnHighlight, pal);
        p.fillRect(QRect(r.left(), r.top(), r.width(), 1), shadow);
        p.fillRect(QRect(r.left(), r.top(), 1, r.height()), shadow);
        p.fillRect(QRect(r.left(), r.bottom(), r.width(), 1), light);
        p.fillRect(QRect(r.right(), r.top() + 1, 1, r.height() - 1), light);
    }
    if (m_topBarHeight <= 0) {
        return;
    }
    // The strip ends one pixel above the text area; that row has the box's
    // colour.
    const int b = frameWidthPx();
    const QRect strip(b, b, viewport()->width(), m_topBarHeight - 1);
    p.fillRect(QRect(b, b + m_topBarHeight - 1, viewport()->width(), 1), toQColor(m_color, pal));
    p.fillRect(strip, toQColor(m_topBarBKColor, pal));
    p.setFont(font());
    p.setPen(toQColor(m_topBarFGColor, pal));
    const TextGround ground{toQColor(m_topBarBKColor, pal), strip};
    drawTextLine(p, strip, Qt::AlignCenter, elidedLine(m_topBarCaption, font(), strip.width()), &ground);
}

} // namespace nox
