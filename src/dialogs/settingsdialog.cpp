#include "dialogs/settingsdialog.h"

#include <QAbstractSpinBox>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QKeyEvent>
#include <QLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QStackedWidget>

#include "core/folders.h"
#include "core/settings.h"
#include "core/textfile.h"
#include "dialogs/settingshost.h"
#include "dialogs/settingspage_p.h"
#include "widgets/choosers.h"
#include "widgets/multirowtabbar.h"

namespace nox
{

namespace
{
constexpr int kClientWidth = 480;
constexpr int kClientHeight = 449;
TSettingsHost* g_host = nullptr;
} // namespace

int SettingsPageNumber(const QString& caption)
{
    static const QStringList captions = {QStringLiteral("スタイル"),
                                         QStringLiteral("その他"),
                                         QStringLiteral("祝祭日"),
                                         QStringLiteral("分類"),
                                         QStringLiteral("イメージ"),
                                         QStringLiteral("印刷"),
                                         QStringLiteral("時計"),
                                         QStringLiteral("アラーム/時報"),
                                         QStringLiteral("ポップアップメッセージ")};
    return int(captions.indexOf(caption)) + 1; // 0 when not found
}

// --- TSettingsPage ----------------------------------------------------------------

TSettingsPage::TSettingsPage(TForm4& dialog, int number, const QString& caption)
    : QWidget(nullptr), m_dialog(dialog), m_number(number), m_caption(caption)
{
}

TSettingsHost& TSettingsPage::host() const
{
    return m_dialog.Host();
}

Settings TSettingsPage::ini()
{
    return Settings(folders::dataFile(QStringLiteral("Nox.ini")));
}

void TSettingsPage::reportWrite(bool ok, const QString& file)
{
    if (!ok) {
        m_dialog.ReportFailure(folders::dataFile(file));
    }
}

void TSettingsPage::inform(const QString& text)
{
    ShowMessage(this, TMessageKind::Information, text);
}

// Check boxes and radio buttons, lists, number and time boxes and one-line
// texts; the inner editors of spin and combo boxes count through their owner.
void TSettingsPage::watchControls()
{
    const auto mark = [this] { markChanged(); };
    for (QAbstractButton* b : findChildren<QAbstractButton*>()) {
        if (b->isCheckable()) {
            connect(b, &QAbstractButton::toggled, this, mark);
        }
    }
    for (QComboBox* c : findChildren<QComboBox*>()) {
        connect(c, &QComboBox::currentIndexChanged, this, mark);
        connect(c, &QComboBox::editTextChanged, this, mark);
    }
    for (QSpinBox* s : findChildren<QSpinBox*>()) {
        connect(s, &QSpinBox::valueChanged, this, mark);
    }
    for (QDateTimeEdit* d : findChildren<QDateTimeEdit*>()) {
        connect(d, &QDateTimeEdit::dateTimeChanged, this, mark);
    }
    for (QLineEdit* e : findChildren<QLineEdit*>()) {
        if (!qobject_cast<QAbstractSpinBox*>(e->parentWidget()) &&
            !qobject_cast<QComboBox*>(e->parentWidget())) {
            connect(e, &QLineEdit::textChanged, this, mark);
        }
    }
}

// --- TForm4 -----------------------------------------------------------------------

TForm4::TForm4(TSettingsHost& host, int page, QWidget* owner)
    : QDialog(owner), m_host(host), m_single(page >= spStyle && page <= spPopup ? page : spAll)
{
    setObjectName(QStringLiteral("Form4"));
    setWindowTitle(QStringLiteral("設定"));
    setFixedSize(kClientWidth, kClientHeight);
    buildPages();
    for (TSettingsPage* p : m_pages) {
        if (m_single == spAll || p->Number() == m_single) {
            p->Fill();
        }
    }
    for (TSettingsPage* p : m_pages) {
        p->SetChanged(false);
    }
    guardInputs();
    SetCurrentPage(m_single != spAll ? m_single : m_host.rememberedPage);
    if (m_single != spAll) {
        if (QWidget* focus = Page(m_single)->FocusWhenAlone()) {
            focus->setFocus();
        }
    }
}

TForm4::~TForm4() = default;

void TForm4::buildPages()
{
    m_tabs = new TMultiRowTabBar(this);
    m_tabs->setObjectName(QStringLiteral("PageControl1"));
    m_stack = new QStackedWidget(this);
    m_stack->setFrameShape(QFrame::StyledPanel);
    m_pages = CreateSettingsPages(*this);
    compactPages();
    for (TSettingsPage* p : m_pages) {
        const int tab = m_tabs->addTab(p->Caption());
        m_stack->addWidget(p);
        m_tabs->setTabVisible(tab, m_single == spAll || p->Number() == m_single);
    }
    m_tabs->OnChange = [this](QObject*, int index) { m_stack->setCurrentIndex(index); };
    m_tabs->setGeometry(6, 6, kClientWidth - 12, m_tabs->heightForWidth(kClientWidth - 12));
    const int top = m_tabs->geometry().bottom() + 1;
    m_stack->setGeometry(6, top, kClientWidth - 12, kClientHeight - top - 44);
    m_ok = new QPushButton(QStringLiteral("OK"), this);
    m_ok->setDefault(true);
    m_cancel = new QPushButton(QStringLiteral("キャンセル"), this);
    m_cancel->setGeometry(kClientWidth - 6 - 88, kClientHeight - 34, 88, 26);
    m_ok->setGeometry(kClientWidth - 12 - 176, kClientHeight - 34, 88, 26);
    connect(m_ok, &QPushButton::clicked, this, [this] {
        // A failure keeps the dialog open, so that nothing typed is lost
        // and "OK" can try again once the cause is gone.
        if (applyChangedPages()) {
            accept();
        }
    });
    connect(m_cancel, &QPushButton::clicked, this, &QDialog::reject);
}

TSettingsPage* TForm4::Page(int number) const
{
    for (TSettingsPage* p : m_pages) {
        if (p->Number() == number && (m_single == spAll || number == m_single)) {
            return p;
        }
    }
    return nullptr;
}

int TForm4::CurrentPage() const
{
    const int index = m_tabs->currentIndex();
    return index >= 0 && index < m_pages.size() ? m_pages.at(index)->Number() : 0;
}

void TForm4::SetCurrentPage(int number)
{
    for (int i = 0; i < m_pages.size(); ++i) {
        if (m_pages.at(i)->Number() == number && m_tabs->isTabVisible(i)) {
            m_tabs->setCurrentIndex(i);
            m_stack->setCurrentIndex(i);
        }
    }
}

int TForm4::RememberedPage() const
{
    return m_host.rememberedPage;
}

void TForm4::ReportFailure(const QString& text)
{
    if (!m_failures.contains(text)) {
        m_failures << text;
    }
}

// The changed pages in page-number order; the status bar follows the style
// page and every full dialog.
bool TForm4::applyChangedPages()
{
    const WriteFailuresToldByCaller toldHere; // in the one message below
    m_applied.clear();
    m_failures.clear();
    for (int number = spStyle; number <= spPopup; ++number) {
        TSettingsPage* p = Page(number);
        if (p && p->Changed()) {
            p->Apply();
            m_applied << number;
        }
    }
    if (m_single == spAll || m_single == spStyle) {
        m_host.RepaintStatusBar();
    }
    m_host.SettingsApplied(m_applied);
    if (!m_failures.isEmpty()) {
        ShowMessage(this, TMessageKind::Error,
                    QStringLiteral("設定を保存できませんでした。\r\n") +
                        m_failures.join(QStringLiteral("\r\n")) +
                        QStringLiteral("\r\n\r\n保存できなかった設定は画面に残っています。"
                                       "原因を取り除いてから、もう一度「OK」を押してください。"));
        return false;
    }
    return true;
}

void TForm4::done(int result)
{
    if (m_single == spAll) {
        m_host.rememberedPage = CurrentPage();
    }
    QDialog::done(result);
}

// Nine pages share a small fixed window: tight margins, and lists of
// formats and fonts that do not widen a page to their longest entry.
void TForm4::compactPages()
{
    for (TSettingsPage* page : m_pages) {
        for (QLayout* l : page->findChildren<QLayout*>()) {
            const bool top = l == page->layout();
            l->setContentsMargins(top ? 4 : 3, top ? 6 : 2, top ? 4 : 3, top ? 6 : 2);
            l->setSpacing(qMin(l->spacing() < 0 ? 4 : l->spacing(), 4));
        }
        for (QComboBox* box : page->findChildren<QComboBox*>()) {
            box->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
            box->setMinimumContentsLength(8);
        }
    }
}

// Enter is swallowed in one-line boxes; Backspace and Delete in number boxes.
void TForm4::guardInputs()
{
    for (QLineEdit* e : findChildren<QLineEdit*>()) {
        e->installEventFilter(this);
    }
}

bool TForm4::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress) {
        auto* edit = qobject_cast<QLineEdit*>(watched);
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (edit && (key == Qt::Key_Return || key == Qt::Key_Enter)) {
            return true;
        }
        const bool inNumberBox = edit && qobject_cast<QSpinBox*>(edit->parentWidget());
        if (inNumberBox && (key == Qt::Key_Backspace || key == Qt::Key_Delete)) {
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void TForm4::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Tab && (event->modifiers() & Qt::ControlModifier)) {
        m_tabs->step(1);
        return;
    }
    if (event->key() == Qt::Key_Backtab && (event->modifiers() & Qt::ControlModifier)) {
        m_tabs->step(-1);
        return;
    }
    QDialog::keyPressEvent(event);
}

void SetSettingsHost(TSettingsHost* host)
{
    g_host = host;
}

TSettingsHost* SettingsHost()
{
    return g_host;
}

bool ShowSettings(QWidget* owner, int page)
{
    if (!g_host) {
        return false;
    }
    TForm4 dialog(*g_host, page, owner);
    return dialog.exec() == QDialog::Accepted;
}

} // namespace nox

namespace nox
{

QList<TSettingsPage*> CreateSettingsPages(TForm4& dialog)
{
    return {new TStylePage(dialog),   new TImagePage(dialog), new TCategoryPage(dialog),
            new THolidayPage(dialog), new TPrintPage(dialog), new TClockPage(dialog),
            new TAlarmPage(dialog),   new TPopupPage(dialog), new TOtherPage(dialog)};
}

} // namespace nox
