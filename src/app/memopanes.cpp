#include "app/memopanes.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QInputMethod>
#include <QInputMethodEvent>
#include <QPalette>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextLayout>
#include <QWidget>

#include "core/textfile.h"
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

const QString TMemoPanes::kMergeSeparator = QStringLiteral("----------");

TMemoPanes::TMemoPanes(QWidget* area, MemoStore& store, QObject* filter)
    : m_area(area), m_store(store), m_filter(filter)
{
    m_autoSave.setSingleShot(true);
    m_autoSave.setInterval(kAutoSaveDelay);
    QObject::connect(&m_autoSave, &QTimer::timeout, m_area, [this] { autoSave(); });
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
        QObject::connect(pane, &QPlainTextEdit::textChanged, m_area, [this, pane] {
            if (pane->Modified()) {
                m_autoSave.start();
            }
        });
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
    TNoxMemo* p = pane(index);
    if (!p) {
        return;
    }
    // A text too long to lay out at every load is shown by its start and
    // cannot be edited here, so the pane can never store it cut.
    const bool cut = text.size() > kMaxPaneChars;
    p->SetText(cut ? text.left(kMaxPaneChars) + QStringLiteral("\n…（長いため先頭だけを表示しています）")
                   : text);
    p->setReadOnly(cut);
    p->setProperty(kLoadedText, text);
    p->setProperty(kLoadedDate, QDate());
}

void TMemoPanes::loadMemo(int index, const QDate& date)
{
    loaded(index, date, m_store.read(date));
}

void TMemoPanes::loadMemos(const QDate& first, int count)
{
    const QStringList texts = m_store.readDays(first, count);
    for (int i = 0; i < texts.size(); ++i) {
        loaded(i, first.addDays(i), texts.at(i));
    }
}

void TMemoPanes::loaded(int index, const QDate& date, const QString& text)
{
    load(index, text);
    TNoxMemo* p = pane(index);
    if (!p) {
        return;
    }
    p->setProperty(kLoadedDate, date);
    const auto unsaved = m_unsaved.constFind(date);
    if (unsaved != m_unsaved.cend()) {
        p->SetText(*unsaved);
        p->SetModified(true);
    }
}

QDate TMemoPanes::date(int index) const
{
    const TNoxMemo* p = pane(index);
    return p ? p->property(kLoadedDate).toDate() : QDate();
}

void TMemoPanes::settle(int index)
{
    TNoxMemo* p = pane(index);
    if (p && !p->isReadOnly()) { // a read-only pane holds nothing typed
        p->setProperty(kLoadedText, p->Text());
    }
}

bool TMemoPanes::changed(int index) const
{
    const TNoxMemo* p = pane(index);
    return p && p->Modified() && p->Text() != p->property(kLoadedText).toString();
}

bool TMemoPanes::save(int index)
{
    commitComposition();
    return store(index);
}

bool TMemoPanes::store(int index)
{
    TNoxMemo* p = pane(index);
    const QDate date = this->date(index);
    if (!p || !date.isValid()) {
        return true;
    }
    if (!changed(index)) {
        p->SetModified(false);
        m_unsaved.remove(date);
        return true;
    }
    const QString text = mergedWithStored(p, date, p->Text());
    if (!m_store.write(date, text).ok()) {
        m_unsaved.insert(date, text);
        const QString reason = m_store.lastError();
        reportWriteFailure(m_store.path(),
                           QStringLiteral("%1 の日別メモをファイル「%2」に保存できません: %3")
                               .arg(date.toString(QStringLiteral("yyyy/MM/dd")), m_store.path(),
                                    reason.isEmpty() ? QStringLiteral("原因不明のエラー") : reason));
        return false;
    }
    m_unsaved.remove(date);
    settle(index);
    p->SetModified(false);
    return true;
}

// The text to store for the pane: its own, or when the memo file holds
// another text than the pane was loaded with, that text first and the
// pane's after a separator line (the pane then shows it, the caret where it
// was in the pane's own text).
QString TMemoPanes::mergedWithStored(TNoxMemo* pane, const QDate& date, const QString& text)
{
    const QString stored = m_store.read(date);
    const StatusCode read = m_store.lastRead().code();
    const bool readable = read == StatusCode::Ok || read == StatusCode::NotFound;
    if (!readable || stored.isEmpty() || stored == text || stored == pane->property(kLoadedText).toString()) {
        return text;
    }
    const QString head = stored + QLatin1Char('\n') + kMergeSeparator + QLatin1Char('\n');
    const int caret = pane->textCursor().position();
    pane->SetText(head + text);
    QTextCursor cursor = pane->textCursor();
    cursor.setPosition(int(head.size()) + caret);
    pane->setTextCursor(cursor);
    if (OnMerged) {
        OnMerged(
            QStringLiteral(
                "%1 の日別メモは、表示したあとで他のプログラムによってファイル「%2」で変更されていました。"
                "その内容を先に、この画面のメモを区切り線のあとに続けて保存しました。")
                .arg(date.toString(QStringLiteral("yyyy/MM/dd")), m_store.path()));
    }
    return head + text;
}

void TMemoPanes::autoSave()
{
    // Mid-composition the text is not the user's yet: the next pause.
    for (const TNoxMemo* p : std::as_const(m_panes)) {
        if (!preeditOf(p).isEmpty()) {
            m_autoSave.start();
            return;
        }
    }
    for (int i = 0; i < m_panes.size(); ++i) {
        if (date(i).isValid()) {
            store(i);
        }
    }
}

void TMemoPanes::discardUnsaved()
{
    m_unsaved.clear();
    for (int i = 0; i < m_panes.size(); ++i) {
        settle(i);
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
