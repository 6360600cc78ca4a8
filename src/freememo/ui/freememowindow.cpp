#include "freememo/ui/freememowindow.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QInputDialog>
#include <QInputMethod>
#include <QLineEdit>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QTabBar>
#include <QTabWidget>
#include <QVBoxLayout>
#include <qdrawutil.h>

#include "core/noxsettings.h"
#include "core/screenfont.h"
#include "core/settings.h"
#include "core/textfile.h"
#include "freememo/freememorules.h"
#include "freememo/ui/memopage.h"
#include "widgets/noxbutton.h"

namespace nox
{

namespace
{

constexpr int kDesignWidth = 300;
constexpr int kDesignHeight = 200;
constexpr int kMinWidth = 160;
constexpr int kMinHeight = 90;
constexpr int kToolBarHeight = 28;
constexpr int kFootLine = 2;
constexpr int kButtonTop = 2;
constexpr int kButtonHeight = 22;
constexpr int kMinCaptionedButton = 48;
constexpr int kFontPixels = 12;
constexpr int kInputBoxWidth = 240;
// However long the typing goes on, a save comes at the latest this long after
// the first unsaved change.
constexpr qint64 kLongestUnsaved = 30000;

// The bar above the tabs: a lowered bevel with a grey line at its foot; the
// command buttons from the left, the toggle at the right edge.
class MemoToolBar : public QWidget
{
public:
    using QWidget::QWidget;
    QList<TNoxButton*> left;
    TNoxButton* right = nullptr;

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        const QRect bevel(0, 0, width(), height() - kFootLine);
        qDrawShadePanel(&p, bevel, palette(), true, 1);
        p.fillRect(0, height() - kFootLine, width(), kFootLine, toQColor(clGray, palette()));
    }
    void resizeEvent(QResizeEvent*) override
    {
        int x = kButtonTop;
        for (TNoxButton* b : left) {
            b->setGeometry(x, kButtonTop, b->width(), kButtonHeight);
            x += b->width();
        }
        if (right) {
            right->setGeometry(width() - kButtonHeight - kButtonTop, kButtonTop, kButtonHeight,
                               kButtonHeight);
        }
    }
};

// A pin, the glyph of "常に前面表示".
QPixmap pinGlyph()
{
    QPixmap pm(16, 16);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(0x30, 0x40, 0x60), 1.2));
    p.drawLine(QPointF(8, 10), QPointF(8, 15));
    p.setBrush(QColor(0xD0, 0x30, 0x30));
    p.drawRect(QRectF(5.5, 1.5, 5, 6));
    p.drawRect(QRectF(3.5, 7.5, 9, 2.5));
    return pm;
}

void warn(QWidget* parent, const QString& text)
{
    QMessageBox box(QMessageBox::Warning, QApplication::applicationName(), text, QMessageBox::Ok, parent);
    box.exec();
}

QString failureText(const QStringList& errors)
{
    return QStringLiteral("フリーメモを保存できません。\n\n") + errors.join(u'\n');
}

} // namespace

TForm11::TForm11(Options options, QWidget* parent)
    : QWidget(parent, Qt::Window), m_options(std::move(options)), m_files(m_options.dataFolder)
{
    setObjectName(QStringLiteral("Form11"));
    setWindowTitle(QStringLiteral("フリーメモ"));
    setAttribute(Qt::WA_DeleteOnClose);
    QFont windowFont(screenFamily(QStringLiteral("ＭＳ Ｐゴシック")));
    windowFont.setPixelSize(kFontPixels);
    setFont(windowFont);
    setMinimumSize(kMinWidth, kMinHeight);

    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    auto* bar = new MemoToolBar(this);
    bar->setFixedHeight(kToolBarHeight);
    buildToolBar(bar);
    column->addWidget(bar);
    m_tabs = new QTabWidget(this);
    m_tabs->setFocusPolicy(Qt::NoFocus);
    m_tabs->tabBar()->setFocusPolicy(Qt::NoFocus);
    m_tabs->tabBar()->setAttribute(Qt::WA_Hover);
    m_tabs->tabBar()->installEventFilter(this);
    column->addWidget(m_tabs, 1);
    connect(m_tabs, &QTabWidget::currentChanged, this, [this] {
        if (TMemoPage* page = CurrentMemo()) {
            page->setFocus(Qt::TabFocusReason);
        }
    });

    m_saveTimer.setSingleShot(true);
    m_saveTimer.setInterval(kAutoSaveDelay);
    connect(&m_saveTimer, &QTimer::timeout, this, [this] { SaveChanges(SaveReason::Auto); });
    buildShortcuts();
    readSettings();
    loadMemos();
}

TForm11::~TForm11()
{
    m_saveTimer.stop();
    if (m_closed) {
        return;
    }
    // Destroyed without closing (the owner's shutdown): save, report, go.
    if (!m_discardUnsaved) {
        const QStringList errors = writeAll();
        if (!errors.isEmpty()) {
            warn(nullptr, failureText(errors));
        }
    }
    writeSettings(nullptr);
}

void TForm11::buildToolBar(QWidget* barWidget)
{
    auto* bar = static_cast<MemoToolBar*>(barWidget);
    auto button = [bar](const QString& caption, const QString& hint, const QPixmap& glyph) {
        auto* b = new TNoxButton(bar);
        b->SetCaption(caption);
        b->SetGlyph(glyph);
        b->setToolTip(hint);
        b->setObjectName(hint);
        b->resize(caption.isEmpty() ? kButtonHeight : qMax(kMinCaptionedButton, b->sizeHint().width() + 8),
                  kButtonHeight);
        return b;
    };
    m_newButton = button(QStringLiteral("新規"), QStringLiteral("新規メモの追加"), m_options.newGlyph);
    m_deleteButton = button(QStringLiteral("削除"), QStringLiteral("表示されているメモを削除"), QPixmap());
    m_titleButton = button(QStringLiteral("タイトル..."), QStringLiteral("メモタイトルの変更"), QPixmap());
    m_stayOnTopButton = button(QString(), QStringLiteral("常に前面表示"), pinGlyph());
    m_stayOnTopButton->SetGroupIndex(1);
    m_stayOnTopButton->SetAllowAllUp(true);
    bar->left = {m_newButton, m_deleteButton, m_titleButton};
    bar->right = m_stayOnTopButton;
    m_newButton->OnClick = [this](QObject*) { NewMemoClick(); };
    m_deleteButton->OnClick = [this](QObject*) { DeleteMemoClick(); };
    m_titleButton->OnClick = [this](QObject*) { TitleClick(); };
    m_stayOnTopButton->OnClick = [this](QObject*) { setStayOnTop(m_stayOnTopButton->Down()); };
}

// Menu items without a visible menu.
void TForm11::buildShortcuts()
{
    auto add = [this](const QString& text, QKeyCombination key, void (TForm11::*run)()) {
        auto* a = new QAction(text, this);
        a->setShortcut(QKeySequence(key));
        a->setShortcutContext(Qt::WindowShortcut);
        connect(a, &QAction::triggered, this, run);
        addAction(a);
    };
    add(QStringLiteral("新規メモの追加"), Qt::CTRL | Qt::Key_I, &TForm11::NewMemoClick);
    add(QStringLiteral("メモの削除"), Qt::CTRL | Qt::Key_D, &TForm11::DeleteMemoClick);
    add(QStringLiteral("タイトルの編集..."), Qt::CTRL | Qt::Key_E, &TForm11::TitleClick);
    add(QStringLiteral("すべて選択"), Qt::CTRL | Qt::Key_A, &TForm11::SelectAllClick);
}

// --- settings -------------------------------------------------------------------

void TForm11::readSettings()
{
    const Settings ini(m_options.iniPath);
    m_storedState = qBound(0, ini.readInt(Key::TempMemoWindowState), 2);
    resize(kDesignWidth, kDesignHeight);
    if (m_storedState != 2) {
        // Kept where the user can see and grab it, whatever the file says.
        const QRect placed = placementOnTheScreens(
            QRect(ini.readInt(Key::TempMemoLeft), ini.readInt(Key::TempMemoTop),
                  qMax(kMinWidth, ini.readInt(Key::TempMemoWidth)), qMax(kMinHeight, ini.readInt(Key::TempMemoHeight))));
        resize(placed.size().expandedTo(QSize(kMinWidth, kMinHeight)));
        move(placed.topLeft());
    }
    setStayOnTop(ini.readBool(Key::TempMemoStayOnTop));
}

// The frame's top-left corner and the client size, as the constructor applies them.
void TForm11::writeSettings(QWidget* reportParent)
{
    Settings ini(m_options.iniPath);
    const int state = isMaximized() ? 2 : (isMinimized() ? 1 : 0);
    bool ok = ini.writeInt(Key::TempMemoWindowState, state);
    if (state != 2) {
        ok = ini.writeInt(Key::TempMemoLeft, pos().x()) && ok;
        ok = ini.writeInt(Key::TempMemoTop, pos().y()) && ok;
        ok = ini.writeInt(Key::TempMemoWidth, width()) && ok;
        ok = ini.writeInt(Key::TempMemoHeight, height()) && ok;
    }
    ok = ini.writeBool(Key::TempMemoStayOnTop, StaysOnTop()) && ok;
    if (!ok) {
        warn(reportParent,
             QStringLiteral("ファイル「%1」に書き込めません。フリーメモの位置と大きさは保存されません。")
                 .arg(m_options.iniPath));
    }
}

void TForm11::Open(bool activate)
{
    setAttribute(Qt::WA_ShowWithoutActivating, !activate);
    if (!m_opened) {
        m_opened = true;
        show();
        // A window manager maximises a shown window with its normal geometry kept.
        if (m_storedState == 2) {
            setWindowState(windowState() | Qt::WindowMaximized);
        } else if (m_storedState == 1) {
            setWindowState(windowState() | Qt::WindowMinimized);
        }
    } else if (isMinimized()) {
        setWindowState(windowState() & ~Qt::WindowMinimized);
    }
    show();
    setAttribute(Qt::WA_ShowWithoutActivating, false);
    if (activate && !isMinimized()) {
        raise();
        activateWindow();
    }
}

bool TForm11::StaysOnTop() const
{
    return windowFlags().testFlag(Qt::WindowStaysOnTopHint);
}

void TForm11::setStayOnTop(bool on)
{
    m_stayOnTopButton->SetDown(on);
    if (on == StaysOnTop()) {
        return;
    }
    const bool shown = isVisible();
    setWindowFlag(Qt::WindowStaysOnTopHint, on);
    if (shown) {
        show(); // changing the flags hides the window
    }
}

// --- pages ---------------------------------------------------------------------

void TForm11::loadMemos()
{
    const freememo::LoadResult loaded = m_files.load();
    for (const freememo::LoadedMemo& memo : loaded.memos) {
        TMemoPage* page = addPage(memo.number, memo.title);
        page->SetText(memo.text);
        if (!memo.readable) {
            page->SetUnreadable();
        }
    }
    if (MemoCount() == 0) {
        newMemo();
    }
    if (!loaded.errors.isEmpty()) {
        const QString text =
            loaded.errors.join(u'\n') +
            QStringLiteral("\n\n読めなかったメモは空のまま読み取り専用で開きます。ファイルは変更しません。");
        QTimer::singleShot(0, this, [this, text] { warn(this, text); });
    }
}

TMemoPage* TForm11::addPage(int number, const QString& title)
{
    auto* page = new TMemoPage(number, title);
    applyLook(page);
    connect(page, &QPlainTextEdit::textChanged, this, &TForm11::scheduleSave);
    m_tabs->addTab(page, TMemoPage::TabCaption(title));
    return page;
}

int TForm11::MemoCount() const
{
    return m_tabs->count();
}

TMemoPage* TForm11::Memo(int index) const
{
    return qobject_cast<TMemoPage*>(m_tabs->widget(index));
}

TMemoPage* TForm11::CurrentMemo() const
{
    return qobject_cast<TMemoPage*>(m_tabs->currentWidget());
}

void TForm11::ApplyLook(const TMemoLook& look)
{
    m_look = look;
    for (int i = 0; i < MemoCount(); ++i) {
        applyLook(Memo(i));
    }
}

void TForm11::applyLook(TMemoPage* page) const
{
    page->SetColor(m_look.color);
    page->SetFontColor(m_look.fontColor);
    page->setFont(m_look.font);
}

// --- commands ------------------------------------------------------------------

void TForm11::NewMemoClick()
{
    commitInput();
    newMemo();
}

void TForm11::newMemo()
{
    QList<int> numbers;
    QStringList titles;
    for (int i = 0; i < MemoCount(); ++i) {
        numbers << Memo(i)->Number();
        titles << Memo(i)->Title();
    }
    TMemoPage* page = addPage(freememo::nextMemoNumber(numbers), freememo::nextMemoTitle(titles));
    m_tabs->setCurrentWidget(page);
    page->setFocus(Qt::OtherFocusReason);
    scheduleSave();
}

void TForm11::DeleteMemoClick()
{
    TMemoPage* page = CurrentMemo();
    if (!page) {
        return;
    }
    commitInput();
    if (!page->Text().isEmpty()) {
        QMessageBox box(QMessageBox::Question, QApplication::applicationName(),
                        u'"' + page->Title() + QStringLiteral("\" を削除しても宜しいですか？"),
                        QMessageBox::Yes | QMessageBox::No, this);
        if (box.exec() != QMessageBox::Yes) {
            return;
        }
    }
    if (const Status removed = m_files.removeMemo(page->Number()); !removed) {
        warn(this, removed.message());
        return;
    }
    const int index = m_tabs->indexOf(page);
    m_tabs->removeTab(index);
    delete page;
    if (m_tabs->count() > 1 && index > 0) {
        m_tabs->setCurrentIndex(index - 1);
    }
    scheduleSave();
}

void TForm11::TitleClick()
{
    TMemoPage* page = CurrentMemo();
    if (!page) {
        return;
    }
    commitInput();
    QInputDialog dialog(this);
    dialog.setInputMode(QInputDialog::TextInput);
    dialog.setWindowTitle(QStringLiteral("タイトル編集"));
    dialog.setLabelText(QStringLiteral("タイトルを入力してください"));
    dialog.setTextValue(page->Title());
    if (auto* edit = dialog.findChild<QLineEdit*>()) {
        edit->setMinimumWidth(kInputBoxWidth); // room for the caption
    }
    if (dialog.exec() != QDialog::Accepted) {
        return;
    }
    page->SetTitle(freememo::cleanMemoTitle(dialog.textValue()));
    m_tabs->setTabText(m_tabs->indexOf(page), TMemoPage::TabCaption(page->Title()));
    scheduleSave();
}

void TForm11::SelectAllClick()
{
    if (TMemoPage* page = CurrentMemo()) {
        page->selectAll();
        page->setFocus(Qt::OtherFocusReason);
    }
}

// The composition of the input method becomes text before the text is taken.
void TForm11::commitInput()
{
    QGuiApplication::inputMethod()->commit();
}

// --- saving --------------------------------------------------------------------

void TForm11::scheduleSave()
{
    if (m_failedSaves > 0 && m_saveTimer.isActive()) {
        return; // the next try waits out its pause
    }
    if (!m_saveTimer.isActive()) {
        m_unsavedSince.start();
    } else if (m_unsavedSince.elapsed() >= kLongestUnsaved) {
        return; // let the running timer fire
    }
    m_saveTimer.start();
}

QStringList TForm11::writeAll()
{
    const WriteFailuresToldByCaller toldHere; // the window tells its failures itself
    QStringList errors;
    QList<freememo::IndexEntry> entries;
    for (int i = 0; i < MemoCount(); ++i) {
        TMemoPage* page = Memo(i);
        entries.append({page->Title(), page->Number()});
        if (!page->Readable() || !page->Modified()) {
            continue;
        }
        if (const Status written = m_files.writeMemo(page->Number(), page->Text()); written) {
            page->SetModified(false);
        } else {
            errors << written.message();
        }
    }
    if (const Status written = m_files.writeIndex(entries); !written) {
        errors << written.message();
    }
    return errors;
}

bool TForm11::SaveChanges(SaveReason reason)
{
    if (reason != SaveReason::Auto) {
        commitInput();
    }
    m_saveTimer.stop();
    const QStringList errors = writeAll();
    if (errors.isEmpty()) {
        savedAgain(reason == SaveReason::Auto);
        return true;
    }
    return reportSaveFailure(reason, errors);
}

// After failed automatic saves: the notice of the failure goes, and one
// notice says that everything is written now.
void TForm11::savedAgain(bool tell)
{
    const bool wasFailing = tell && m_failedSaves > 0 && !m_reportedErrors.isEmpty();
    m_failedSaves = 0;
    m_reportedErrors.clear();
    m_saveTimer.setInterval(kAutoSaveDelay);
    delete m_failureNotice.data();
    if (!wasFailing) {
        return;
    }
    if (OnNotice) {
        OnNotice(kSavedAgainText);
        return;
    }
    auto* box = new QMessageBox(QMessageBox::Information, QApplication::applicationName(), kSavedAgainText,
                                QMessageBox::Ok, this);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setModal(false);
    box->show();
}

// The pause before the next automatic try after `failures` failed ones:
// doubled each time, up to kLongestRetryDelay.
int TForm11::retryDelay(int failures)
{
    qint64 delay = kAutoSaveDelay;
    for (int i = 1; i < failures && delay < kLongestRetryDelay; ++i) {
        delay *= 2;
    }
    return int(qMin<qint64>(delay, kLongestRetryDelay));
}

bool TForm11::reportSaveFailure(SaveReason reason, const QStringList& errors)
{
    if (reason == SaveReason::Auto) {
        // One notice, shown without blocking and not again while the saves
        // keep failing; tried again quietly after a growing pause.
        ++m_failedSaves;
        if (m_reportedErrors.isEmpty()) {
            m_reportedErrors = errors;
            const QString text = failureText(errors) +
                                 QStringLiteral("\n\n書き込めなかった内容はフリーメモに残っています。"
                                                "少しずつ間をおいて保存し直し、保存できたらお知らせします。");
            if (OnNotice) {
                OnNotice(text);
            } else {
                auto* box = new QMessageBox(QMessageBox::Warning, QApplication::applicationName(), text,
                                            QMessageBox::Ok, this);
                box->setAttribute(Qt::WA_DeleteOnClose);
                box->setModal(false);
                box->show();
                m_failureNotice = box;
            }
        }
        m_saveTimer.setInterval(retryDelay(m_failedSaves));
        m_saveTimer.start();
        return false;
    }
    const QString question = reason == SaveReason::Close
                                 ? QStringLiteral("保存しないで閉じると、書き込めなかった内容は失われます。"
                                                  "保存しないで閉じますか？")
                                 : QStringLiteral("保存しないで終了すると、書き込めなかった内容は失われます。"
                                                  "保存しないで終了しますか？");
    QMessageBox box(QMessageBox::Warning, QApplication::applicationName(),
                    failureText(errors) + QStringLiteral("\n\n") + question,
                    QMessageBox::Yes | QMessageBox::No, this);
    box.setDefaultButton(QMessageBox::No);
    if (box.exec() != QMessageBox::Yes) {
        m_saveTimer.setInterval(retryDelay(++m_failedSaves));
        m_saveTimer.start(); // kept open: tried again a little later
        return false;
    }
    m_discardUnsaved = true;
    return true;
}

void TForm11::closeEvent(QCloseEvent* event)
{
    if (!m_closed) {
        if (!m_discardUnsaved && !SaveChanges(SaveReason::Close)) {
            event->ignore();
            return;
        }
        m_saveTimer.stop();
        writeSettings(this);
        m_closed = true;
    }
    event->accept();
}

// --- dragging a tab --------------------------------------------------------------

bool TForm11::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_tabs->tabBar()) {
        tabBarMouse(event);
    }
    return QWidget::eventFilter(watched, event);
}

// Pressing on the tab row starts a drag once the mouse has moved the usual
// distance; releasing it over a tab moves the current tab to that tab's place.
void TForm11::tabBarMouse(QEvent* event)
{
    QTabBar* bar = m_tabs->tabBar();
    const auto type = event->type();
    if (type != QEvent::MouseButtonPress && type != QEvent::MouseMove && type != QEvent::MouseButtonRelease) {
        return;
    }
    const auto* mouse = static_cast<QMouseEvent*>(event);
    const QPoint pos = mouse->position().toPoint();
    if (type == QEvent::MouseButtonPress && mouse->button() == Qt::LeftButton) {
        commitInput(); // before the press switches the tab
        m_pressed = true;
        m_dragging = false;
        m_pressPos = pos;
    } else if (type == QEvent::MouseMove && m_pressed && !m_dragging &&
               (pos - m_pressPos).manhattanLength() >= QApplication::startDragDistance()) {
        m_dragging = true;
        bar->setCursor(Qt::DragMoveCursor);
    } else if (type == QEvent::MouseButtonRelease && mouse->button() == Qt::LeftButton && m_pressed) {
        m_pressed = false;
        if (!m_dragging) {
            return;
        }
        m_dragging = false;
        bar->unsetCursor();
        const int from = m_tabs->currentIndex();
        const int to = bar->rect().contains(pos) ? bar->tabAt(pos) : -1;
        if (from >= 0 && to >= 0 && to != from) {
            bar->moveTab(from, to);
            scheduleSave();
        }
    }
}

} // namespace nox
