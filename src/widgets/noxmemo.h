#pragma once
// TNoxMemo: the multi-line text box of the memo panes and the free memo pages.
// Besides a plain text box it has an inner margin round the text
// (MarginSize), an optional caption strip across its top inside the frame
// (TopBarHeight, TopBarCaption, TopBarBKColor, TopBarFGColor), a thin sunken
// one-pixel frame, and a vertical scroll bar that is shown only while the
// wrapped text does not fit.
#include <QPlainTextEdit>
#include <limits>
#include <functional>

#include "core/color.h"

namespace nox
{

// Scroll-bar rule, pure: the text needs more lines than fit into the text
// rectangle (`formatRectHeight`, the margin already taken off on both
// sides). `shownLines` are the wrapped lines of the text without a trailing
// line break; a trailing line break adds the caret's empty line. Nothing is
// decided (false) while the line height is unknown (<= 0).
bool MemoNeedsScrollBar(int formatRectHeight, int lineHeight, int shownLines, bool endsWithLineBreak);

class TNoxMemo : public QPlainTextEdit
{
    Q_OBJECT
public:
    explicit TNoxMemo(QWidget* parent = nullptr);

    int MarginSize() const { return m_marginSize; }
    // A change drops the undo history (the margin is not an undoable edit).
    void SetMarginSize(int size);
    int TopBarHeight() const { return m_topBarHeight; }
    void SetTopBarHeight(int height);
    QString TopBarCaption() const { return m_topBarCaption; }
    void SetTopBarCaption(const QString& caption);
    TColor TopBarBKColor() const { return m_topBarBKColor; }
    void SetTopBarBKColor(TColor color);
    TColor TopBarFGColor() const { return m_topBarFGColor; }
    void SetTopBarFGColor(TColor color);

    // Box colours (the text area's background and text colour).
    TColor Color() const { return m_color; }
    void SetColor(TColor color);
    TColor FontColor() const { return m_fontColor; }
    void SetFontColor(TColor color);

    // true (default): the thin frame; false: no frame at all.
    bool BorderStyle() const { return m_border; }
    void SetBorderStyle(bool border);
    // false (default): Tab moves the focus; true: Tab is typed.
    bool WantTabs() const { return !tabChangesFocus(); }
    void SetWantTabs(bool want) { setTabChangesFocus(!want); }

    QString Text() const { return toPlainText(); }
    // Replaces the text and clears Modified.
    void SetText(const QString& text);
    // Set by the user's edits (and by code editing the document) since SetText,
    // setPlainText or SetModified(false); layout changes (size, MarginSize,
    // the strip, font, colours, frame) never set it.
    bool Modified() const { return document()->isModified(); }
    void SetModified(bool modified) { document()->setModified(modified); }

    // Height of "H" in the box's font; -1 until measured.
    int LineHeight() const { return m_lineHeight; }
    // The text rectangle in widget coordinates: inside the frame, below the
    // strip, shrunk by MarginSize.
    QRect TextRect() const;
    // Wrapped lines of the current text at the current text width, without
    // the empty line a trailing line break adds. Counting stops once more
    // than `atMost` lines are found (a long text is not laid out in full just
    // to learn that it does not fit): the result is then atMost + 1.
    int ShownLineCount(int atMost = std::numeric_limits<int>::max() - 1) const;
    bool ScrollBarShown() const { return m_scrollBarShown; }

protected:
    bool event(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    int frameWidthPx() const { return m_border ? 1 : 0; }
    void applyTextRect();
    void applyDocumentMargin();
    void measureLineHeight();
    void updateScrollBar();
    void paintDecoration();
    void applyColors();

    int m_marginSize = 0;
    int m_topBarHeight = 0;
    QString m_topBarCaption;
    TColor m_topBarBKColor = clBtnFace;
    TColor m_topBarFGColor = clBlack;
    TColor m_color = clWindow;
    TColor m_fontColor = clWindowText;
    bool m_border = true;
    int m_lineHeight = -1;
    bool m_scrollBarShown = false;
    bool m_updatingScrollBar = false;
};

} // namespace nox
