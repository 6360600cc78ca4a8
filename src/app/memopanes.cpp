#include "app/memopanes.h"

#include <QPalette>
#include <QWidget>

#include "store/memostore.h"
#include "widgets/noxmemo.h"

namespace nox
{

namespace
{
const char kLoadedText[] = "noxLoadedText";
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
    }
}

void TMemoPanes::loadMemo(int index, const QDate& date)
{
    load(index, m_store.read(date));
}

void TMemoPanes::settle(int index)
{
    if (TNoxMemo* p = pane(index)) {
        load(index, p->Text());
    }
}

bool TMemoPanes::changed(int index) const
{
    const TNoxMemo* p = pane(index);
    return p && p->Modified() && p->Text() != p->property(kLoadedText).toString();
}

void TMemoPanes::save(int index, const QDate& date)
{
    TNoxMemo* p = pane(index);
    if (!p) {
        return;
    }
    if (!changed(index)) {
        p->SetModified(false);
        return;
    }
    bool modified = true;
    m_store.savePane(p->Text(), modified, date);
    if (!modified) {
        load(index, p->Text());
    }
}

} // namespace nox
