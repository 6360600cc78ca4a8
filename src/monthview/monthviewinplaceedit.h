#pragma once
// The in-place editor of the month view: a borderless multi-line box that
// wraps words, shown over an entry bar while its text is edited. Line breaks
// can neither be typed nor pasted.
#include <QElapsedTimer>
#include <QPlainTextEdit>
#include <QRect>

namespace nox::monthview
{

class TCustomMonthView;
class TMonthViewItem;

class TMonthViewInplaceEdit : public QPlainTextEdit
{
    Q_OBJECT
public:
    explicit TMonthViewInplaceEdit(TCustomMonthView* owner);

    // The entry being edited (nullptr when none) and its bar rectangle.
    TMonthViewItem* Item() const { return m_item; }
    QRect ItemRect() const { return m_itemRect; }
    bool Cancelled() const { return m_cancelled; }
    bool IsComposing() const { return m_composing; }

    // Shows the editor over `rect` (widget coordinates of the owner) with
    // `text`, all selected, and takes the focus.
    void Start(TMonthViewItem* item, const QRect& rect, int minHeight, const QString& text);
    // Hides and reports the text to the owner (once per edit).
    void Accept();
    // Hides without reporting.
    void Cancel();
    // Hides; the focus goes back to the owner when the editor had it.
    void HideEditor();
    // Fits the height to the wrapped text, between the least height and the
    // owner's bottom edge.
    void FitHeight();

protected:
    bool event(QEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void inputMethodEvent(QInputMethodEvent* e) override;
    void focusOutEvent(QFocusEvent* e) override;
    bool canInsertFromMimeData(const QMimeData* source) const override;
    void insertFromMimeData(const QMimeData* source) override;

private:
    TCustomMonthView* m_owner;
    TMonthViewItem* m_item = nullptr;
    QRect m_itemRect;
    int m_minHeight = 0;
    bool m_cancelled = false;
    bool m_finished = true;
    bool m_composing = false;
    QElapsedTimer m_commitClock; // since the last commit that ended a composition
};

} // namespace nox::monthview
