#include "monthview/monthviewinplaceedit.h"

#include "monthview/monthview.h"

#include <QAbstractTextDocumentLayout>
#include <QElapsedTimer>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QScrollBar>
#include <QTextBlock>
#include <cmath>

namespace nox::monthview
{

namespace
{

bool isEditorKey(int key)
{
    return key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Escape || key == Qt::Key_Tab ||
           key == Qt::Key_Backtab;
}

QString singleLine(QString text)
{
    text.replace(QLatin1String("\r\n"), QLatin1String(" "));
    text.replace(QLatin1Char('\n'), QLatin1Char(' '));
    text.replace(QLatin1Char('\r'), QLatin1Char(' '));
    text.replace(QChar::LineSeparator, QLatin1Char(' '));
    text.replace(QChar::ParagraphSeparator, QLatin1Char(' '));
    return text;
}

} // namespace

TMonthViewInplaceEdit::TMonthViewInplaceEdit(TCustomMonthView* owner) : QPlainTextEdit(owner), m_owner(owner)
{
    hide();
    setFocusPolicy(Qt::ClickFocus);
    setFrameStyle(QFrame::NoFrame);
    setLineWrapMode(QPlainTextEdit::WidgetWidth);
    setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setTabChangesFocus(false);
    document()->setDocumentMargin(0);
    setViewportMargins(2, 2, 2, 2);
    QPalette pal = palette();
    pal.setColor(QPalette::Text, toQColor(clWindowText));
    setPalette(pal);
    connect(this, &QPlainTextEdit::textChanged, this, [this] {
        if (isVisible()) {
            FitHeight();
        }
    });
}

void TMonthViewInplaceEdit::Start(TMonthViewItem* item, const QRect& rect, int minHeight, const QString& text)
{
    m_item = item;
    m_itemRect = rect;
    m_minHeight = minHeight;
    m_cancelled = false;
    m_finished = false;
    m_composing = false;
    setGeometry(rect);
    setPlainText(singleLine(text));
    selectAll();
    document()->setModified(false);
    show();
    raise();
    // The document takes the editor's width only once it is shown.
    FitHeight();
    setFocus(Qt::OtherFocusReason);
}

void TMonthViewInplaceEdit::FitHeight()
{
    // Lay the text out at the editor's text width and sum the wrapped lines.
    qreal textHeight = 0;
    for (QTextBlock b = document()->begin(); b.isValid(); b = b.next()) {
        textHeight += blockBoundingRect(b).height();
    }
    int h = int(std::ceil(textHeight)) + 4;
    h = qMax(h, m_minHeight);
    h = qMin(h, m_owner->ClientOrigin().y() + m_owner->ClientSize().height() - y());
    if (h != height()) {
        resize(width(), qMax(0, h));
    }
    verticalScrollBar()->setValue(0);
}

void TMonthViewInplaceEdit::Accept()
{
    if (m_finished) {
        return;
    }
    m_finished = true;
    HideEditor();
    m_owner->editorFinished(true);
}

void TMonthViewInplaceEdit::Cancel()
{
    m_cancelled = true;
    m_finished = true;
    HideEditor();
}

void TMonthViewInplaceEdit::HideEditor()
{
    if (!isVisible()) {
        return;
    }
    const bool hadFocus = hasFocus();
    m_finished = true;
    if (hadFocus) {
        m_owner->setFocus(Qt::OtherFocusReason);
    }
    hide();
}

bool TMonthViewInplaceEdit::event(QEvent* e)
{
    if (e->type() == QEvent::ShortcutOverride) {
        auto* k = static_cast<QKeyEvent*>(e);
        if (isEditorKey(k->key())) {
            e->accept();
            return true;
        }
    }
    if (e->type() == QEvent::KeyPress) {
        auto* k = static_cast<QKeyEvent*>(e);
        if (k->key() == Qt::Key_Tab || k->key() == Qt::Key_Backtab) {
            keyPressEvent(k);
            return true;
        }
    }
    return QPlainTextEdit::event(e);
}

void TMonthViewInplaceEdit::keyPressEvent(QKeyEvent* e)
{
    switch (e->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        // The Enter that confirms an input-method conversion belongs to the
        // input method, also when it reaches us right after the commit.
        if (!m_composing && !(m_commitClock.isValid() && m_commitClock.elapsed() < 50)) {
            Accept();
        }
        e->accept();
        return;
    case Qt::Key_Escape:
        Cancel();
        e->accept();
        return;
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
        e->accept();
        return;
    default:
        QPlainTextEdit::keyPressEvent(e);
        return;
    }
}

void TMonthViewInplaceEdit::inputMethodEvent(QInputMethodEvent* e)
{
    const bool wasComposing = m_composing;
    QInputMethodEvent event(e->preeditString(), e->attributes());
    event.setCommitString(singleLine(e->commitString()), e->replacementStart(), e->replacementLength());
    QPlainTextEdit::inputMethodEvent(&event);
    m_composing = !e->preeditString().isEmpty();
    if (wasComposing && !m_composing) {
        m_commitClock.start();
    }
    e->setAccepted(event.isAccepted());
}

void TMonthViewInplaceEdit::focusOutEvent(QFocusEvent* e)
{
    QPlainTextEdit::focusOutEvent(e);
    // The editor's own context menu does not end the edit.
    if (m_finished || e->reason() == Qt::PopupFocusReason) {
        return;
    }
    if (m_cancelled) {
        HideEditor();
    } else {
        Accept();
    }
}

bool TMonthViewInplaceEdit::canInsertFromMimeData(const QMimeData* source) const
{
    return source->hasText();
}

void TMonthViewInplaceEdit::insertFromMimeData(const QMimeData* source)
{
    if (source->hasText()) {
        insertPlainText(singleLine(source->text()));
    }
}

} // namespace nox::monthview
