#include "sked/inplaceedit.h"

#include "sked/sked.h"

#include <QApplication>
#include <QFocusEvent>
#include <QInputMethodEvent>
#include <QKeyEvent>

namespace nox::sked
{

TSkedInplaceEdit::TSkedInplaceEdit(TCustomSked* sked) : QPlainTextEdit(sked->viewport()), m_sked(sked)
{
    setFrameStyle(QFrame::NoFrame);
    setLineWrapMode(QPlainTextEdit::WidgetWidth);
    setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setFocusPolicy(Qt::ClickFocus);
    setTabChangesFocus(false);
    document()->setDocumentMargin(0);
    setViewportMargins(2, 2, 2, 2);
    setAttribute(Qt::WA_InputMethodEnabled, true);
}

void TSkedInplaceEdit::Hide()
{
    if (isHidden()) {
        return;
    }
    if (hasFocus()) {
        m_sked->setFocus(Qt::OtherFocusReason);
    }
    hide();
}

void TSkedInplaceEdit::keyPressEvent(QKeyEvent* e)
{
    switch (e->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (m_composing) {
            // The Enter that confirms a conversion belongs to the input
            // method: it neither commits nor inserts a line break.
            return;
        }
        Cancelled = true;
        Hide();
        m_sked->applyEditorText();
        return;
    case Qt::Key_Escape:
        Cancelled = true;
        Hide();
        return;
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
        return;
    default:
        QPlainTextEdit::keyPressEvent(e);
    }
}

void TSkedInplaceEdit::inputMethodEvent(QInputMethodEvent* e)
{
    m_composing = !e->preeditString().isEmpty();
    QPlainTextEdit::inputMethodEvent(e);
}

bool TSkedInplaceEdit::event(QEvent* e)
{
    if (e->type() == QEvent::KeyPress) {
        auto* ke = static_cast<QKeyEvent*>(e);
        if (ke->key() == Qt::Key_Tab || ke->key() == Qt::Key_Backtab) {
            keyPressEvent(ke);
            return true;
        }
    }
    return QPlainTextEdit::event(e);
}

void TSkedInplaceEdit::focusOutEvent(QFocusEvent* e)
{
    QPlainTextEdit::focusOutEvent(e);
    if (e->reason() == Qt::PopupFocusReason) {
        return; // the edit menu of the editor itself
    }
    const bool toColumn = QApplication::focusWidget() == m_sked;
    Hide();
    if (!Cancelled) {
        Cancelled = true;
        m_sked->applyEditorText();
    }
    if (!toColumn && !m_sked->hasFocus()) {
        m_sked->m_editGuard =
            m_sked->m_editGuard == TEditGuard::Open ? TEditGuard::FocusClick : TEditGuard::Away;
    }
}

} // namespace nox::sked
