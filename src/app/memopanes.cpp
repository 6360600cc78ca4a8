#include "app/memopanes.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QInputMethod>
#include <QInputMethodEvent>
#include <QPalette>
#include <QTextBlock>
#include <QTextLayout>
#include <QWidget>

#include "store/memostore.h"
#include "widgets/noxmemo.h"

namespace nox
{

namespace
{
const char kLoadedText[] = "noxLoadedText";
const char kLoadedDate[] = "noxLoadedDate";

// The text an input method is composing in the pane, not yet in its document.
QString preeditOf(const TNoxMemo* pane)
{
    const QTextLayout* layout = pane->textCursor().block().layout();
    return layout ? layout->preeditAreaText() : QString();
}
constexpr int kPaneMargin = 4;
} // namespace

TMemoPanes::TMemoPanes(QWidget* area, MemoStore& store, QObject* filter)
    : m_area(area), m_store(store), m_filter(filter)
{
}

TNoxMemo* TMemoPanes::pane(int index) const
{
    return index >= 0 && index < m_panes.size() ? m_panes.at(index) : nullptr;
}

int TMemoPanes::indexOf(const QObject* pane) const
{
    for (int i = 0; i < m_panes.size(); ++i) {
        if (m_panes.at(i) == pane) {
            return i;
        }
    }
    return -1;
}

bool TMemoPanes::hasFocus() const
{
    for (const TNoxMemo* pane : m_panes) {
        if (pane->hasFocus()) {
            return true;
        }
    }
    return false;
}

void TMemoPanes::prepare(const Style& style)
{
    while (m_panes.size() > style.count) {
        delete m_panes.takeLast();
    }
    while (m_panes.size() < style.count) {
        auto* pane = new TNoxMemo(m_area);
        pane->SetBorderStyle(false);
        pane->SetMarginSize(kPaneMargin);
        pane->installEventFilter(m_filter);
        pane->show();
        m_panes << pane;
    }
    for (int i = 0; i < m_panes.size(); ++i) {
        TNoxMemo* pane = m_panes.at(i);
        pane->setFont(style.font);
        pane->SetTopBarHeight(style.barHeight);
        pane->SetTopBarCaption(style.captions.value(i));
        pane->SetTopBarBKColor(style.barColor);
        pane->SetTopBarFGColor(style.barTextColor);
        pane->SetColor(style.color);
        pane->SetFontColor(style.fontColor);
        pane->setReadOnly(false);
    }
    QPalette pal = m_area->palette();
    pal.setColor(QPalette::Window, toQColor(style.color, m_area->palette()));
    m_area->setAutoFillBackground(true);
    m_area->setPalette(pal);
}

void TMemoPanes::load(int index, const QString& text)
{
    if (TNoxMemo* p = pane(index)) {
        p->SetText(text);
        p->setProperty(kLoadedText, text);
        p->setProperty(kLoadedDate, QDate());
    }
}

void TMemoPanes::loadMemo(int index, const QDate& date)
{
    load(index, m_store.read(date));
    if (TNoxMemo* p = pane(index)) {
        p->setProperty(kLoadedDate, date);
    }
}

QDate TMemoPanes::date(int index) const
{
    const TNoxMemo* p = pane(index);
    return p ? p->property(kLoadedDate).toDate() : QDate();
}

void TMemoPanes::settle(int index)
{
    if (TNoxMemo* p = pane(index)) {
        p->setProperty(kLoadedText, p->Text());
    }
}

bool TMemoPanes::changed(int index) const
{
    const TNoxMemo* p = pane(index);
    return p && p->Modified() && p->Text() != p->property(kLoadedText).toString();
}

void TMemoPanes::save(int index)
{
    commitComposition();
    TNoxMemo* p = pane(index);
    const QDate date = this->date(index);
    if (!p || !date.isValid()) {
        return;
    }
    if (!changed(index)) {
        p->SetModified(false);
        return;
    }
    bool modified = true;
    m_store.savePane(p->Text(), modified, date);
    if (!modified) {
        settle(index);
        p->SetModified(false);
    }
}

// Input methods differ: some hand the composition over on commit(), some
// on reset() (and keep a copy until then: taking the text ourselves first
// would see it inserted twice), some drop it on reset(). Whatever is still
// composed after commit() is given to reset(), and taken from the pane's
// preedit area only when the input method did not insert it.
void TMemoPanes::commitComposition()
{
    QInputMethod* im = QGuiApplication::inputMethod();
    im->commit();
    for (TNoxMemo* p : std::as_const(m_panes)) {
        const QString preedit = preeditOf(p);
        if (preedit.isEmpty()) {
            continue;
        }
        const QString before = p->Text();
        im->reset();
        if (preeditOf(p).isEmpty() && p->Text() != before) {
            continue;
        }
        QInputMethodEvent event;
        event.setCommitString(preedit);
        QCoreApplication::sendEvent(p, &event);
    }
}

} // namespace nox
