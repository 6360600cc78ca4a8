#pragma once
// The multi-line editor a day column opens over an item's block.
#include <QPlainTextEdit>

namespace nox::sked
{

class TCustomSked;

// Enter (outside an input method composition) commits, Escape cancels, Tab
// is swallowed; none of them is inserted. Losing the focus commits unless
// cancelled. The height follows the wrapped text while typing.
class TSkedInplaceEdit : public QPlainTextEdit
{
    Q_OBJECT
public:
    explicit TSkedInplaceEdit(TCustomSked* sked);

    TCustomSked* Sked() const { return m_sked; }
    // Index in Items of the item being edited.
    int ItemIndex = -1;
    // Set by Enter and Escape: the focus loss that follows commits nothing more.
    bool Cancelled = false;
    // true while an input method shows an uncommitted composition.
    bool isComposing() const { return m_composing; }

    // Hides the editor; if it had the focus, the focus goes to the column.
    void Hide();

protected:
    void keyPressEvent(QKeyEvent* e) override;
    void inputMethodEvent(QInputMethodEvent* e) override;
    void focusOutEvent(QFocusEvent* e) override;
    bool event(QEvent* e) override;

private:
    TCustomSked* m_sked;
    bool m_composing = false;
};

} // namespace nox::sked
