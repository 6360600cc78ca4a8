// TNoxMainForm: the window layout (tool bar, splitters, date banner, views,
// memo area) and the memo panes.
#include <QAction>
#include <QApplication>
#include <QEvent>
#include <QMenu>
#include <QResizeEvent>
#include <QSplitter>
#include <QStackedLayout>
#include <QTimer>
#include <QVBoxLayout>
#include <QWindow>

#include "app/clockpanel.h"
#include "app/datebanner.h"
#include "app/daymode.h"
#include "app/mainform.h"
#include "app/memopanes.h"
#include "app/monthmode.h"
#include "app/schedulecommands.h"
#include "app/statuspanels.h"
#include "app/toolglyphs.h"
#include "app/writefailurenotices.h"
#include "monthview/monthview.h"
#include "sked/skedcontrol.h"
#include "widgets/noxbutton.h"
#include "widgets/noxmemo.h"

namespace nox
{

namespace
{
constexpr int kSplitterHeight = 3;
constexpr int kMinToolBar = 20;
constexpr int kMaxToolBar = 64;
constexpr int kCaptionedButton = 60;
constexpr int kMinSearchButton = 60;
constexpr int kMemoMinimum = 16;
constexpr int kViewMinimum = 64;

struct ButtonSpec {
    const char* hint;
    const char* caption; // nullptr: a square glyph button
    ToolGlyph glyph;
    bool hasGlyph;
};

// Left to right. "検索/印刷..." fills the remaining width.
const ButtonSpec kButtons[] = {
    {"前の日", nullptr, ToolGlyph::PrevDay, true},
    {"検索/印刷...", "検索/印刷...", ToolGlyph::Search, true},
    {"追加...", "追加...", ToolGlyph::Search, false},
    {"編集...", "編集...", ToolGlyph::Search, false},
    {"今日へ移動", "今日", ToolGlyph::Search, false},
    {"メモ表示/非表示", "メモ", ToolGlyph::Search, false},
    {"フリーメモ", nullptr, ToolGlyph::FreeMemo, true},
    {"表示切替", "月", ToolGlyph::Search, false},
    {"指定日へ移動...", nullptr, ToolGlyph::GoToDate, true},
    {"設定...", nullptr, ToolGlyph::Settings, true},
    {"表示日数を増やす", nullptr, ToolGlyph::IncreaseDays, true},
    {"表示日数を減らす", nullptr, ToolGlyph::DecreaseDays, true},
    {"次の日", nullptr, ToolGlyph::NextDay, true},
};

QStringList lineCaptions(bool halfFormat)
{
    QStringList captions;
    for (int slot = 0; slot < 48; ++slot) {
        const QString text =
            QString::number(slot / 2) + (slot % 2 ? QStringLiteral(":30") : QStringLiteral(":00"));
        captions << ((halfFormat && slot % 2) ? text.right(2) : text);
    }
    return captions;
}
} // namespace

void TNoxMainForm::buildLayout()
{
    m_central = new QWidget(this);
    auto* column = new QVBoxLayout(m_central);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    m_splitter = new QSplitter(Qt::Vertical, m_central);
    m_splitter->setHandleWidth(kSplitterHeight);
    m_splitter->setChildrenCollapsible(false);
    column->addWidget(m_splitter);
    setCentralWidget(m_central);

    buildToolBar();
    m_splitter->addWidget(m_toolBar);

    m_viewArea = new QWidget(m_splitter);
    auto* viewColumn = new QVBoxLayout(m_viewArea);
    viewColumn->setContentsMargins(0, 0, 0, 0);
    viewColumn->setSpacing(0);
    m_banner = new TDateBanner(m_viewArea);
    m_banner->OnContextMenu = [this](QObject*, const QPoint& pos) { bannerMenu(pos); };
    viewColumn->addWidget(m_banner);
    auto* stack = new QStackedLayout;
    m_sked = new sked::TSkedControl(m_viewArea);
    m_sked->setObjectName(QStringLiteral("SkedControl1"));
    m_month = new monthview::TMonthView(m_viewArea);
    m_month->setObjectName(QStringLiteral("MonthView1"));
    stack->addWidget(m_sked);
    stack->addWidget(m_month);
    viewColumn->addLayout(stack, 1);
    m_splitter->addWidget(m_viewArea);

    m_memoArea = new QWidget(m_splitter);
    m_memoArea->setObjectName(QStringLiteral("MemoArea"));
    m_memoArea->setMinimumHeight(kMemoMinimum + 1);
    m_memoArea->installEventFilter(this);
    m_splitter->addWidget(m_memoArea);
    m_splitter->setStretchFactor(0, 0);
    m_splitter->setStretchFactor(1, 1);
    m_splitter->setStretchFactor(2, 0);
    connect(m_splitter, &QSplitter::splitterMoved, this, [this](int, int index) {
        const QList<int> sizes = m_splitter->sizes();
        if (index == 1) {
            m_toolBarHeight = qBound(kMinToolBar, sizes.at(0), kMaxToolBar);
            layoutToolBar();
        } else if (index == 2 && sizes.at(2) > kMemoMinimum && sizes.at(1) > kViewMinimum) {
            m_memoHeight = sizes.at(2);
        }
    });

    // The view's font comes with the style (ApplyStyle, before the first
    // paint); a size of its own here would only load a face that is never
    // drawn with.
    m_sked->setColor(clWhite);
    m_sked->setDragMode(dmAutomatic);
    m_sked->setHideSelection(false);
    m_sked->setReadOnly(false);
    m_sked->setSkedCount(1);
    m_sked->Lines().BeginUpdate();
    for (const QString& caption : lineCaptions(false)) {
        m_sked->Lines().Add(caption);
    }
    m_sked->Lines().EndUpdate();
    if (m_settings.halfFormat) {
        SetHalfFormat(true);
    }
    m_month->SetReadOnly(false);
    m_month->SetDragMode(dmAutomatic);

    buildStatusBar();
    buildMenus();
    m_memoPanes = std::make_unique<TMemoPanes>(m_memoArea, m_memoStore, this);
    m_memoPanes->OnMerged = [this](const QString& message) {
        m_writeFailures->report(message, WriteFailureNotices::Kind::Merged);
    };
    m_dayMode = std::make_unique<TDayMode>(*this);
    m_monthMode = std::make_unique<TMonthMode>(*this);
    m_mode = m_dayMode.get();
    m_commands = std::make_unique<TScheduleCommands>(*this);
    m_sked->setPopupMenu(m_commands->menu().menu());
    m_month->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_month, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& pos) { m_commands->menu().menu()->popup(m_month->mapToGlobal(pos)); });
    qApp->installEventFilter(this);
}

// Half-hour lines read "30" (on) or "8:30" (off: the line before without its
// last two characters, then "30").
void TNoxMainForm::SetHalfFormat(bool on)
{
    m_settings.halfFormat = on;
    sked::TLines& lines = m_sked->Lines();
    lines.BeginUpdate();
    for (int i = 1; i < lines.Count(); i += 2) {
        const QString before = lines.Items(i - 1)->Caption();
        lines.Items(i)->setCaption(on ? lines.Items(i)->Caption().right(2)
                                      : before.left(before.size() - 2) + QStringLiteral("30"));
    }
    lines.EndUpdate();
}

void TNoxMainForm::buildToolBar()
{
    m_toolBar = new QWidget(m_splitter);
    m_toolBar->setObjectName(QStringLiteral("ToolBar"));
    m_toolBar->setMinimumHeight(kMinToolBar);
    m_toolBar->setMaximumHeight(kMaxToolBar);
    m_toolBar->installEventFilter(this);
    const std::function<void()> actions[] = {
        [this] { PrevDayClick(); },
        [this] {
            if (OnSearch) {
                OnSearch(this);
            }
        },
        [this] {
            if (OnAddSchedule) {
                OnAddSchedule(this);
            }
        },
        [this] {
            if (OnEditSchedule) {
                OnEditSchedule(this);
            }
        },
        [this] { TodayClick(); },
        [this] { MemoToggleClick(); },
        [this] {
            if (OnFreeMemo) {
                OnFreeMemo(this);
            }
        },
        [this] { SwitchViewClick(); },
        [this] { GoToDateClick(); },
        [this] {
            if (OnSettings) {
                OnSettings(this, QString());
            }
        },
        [this] { IncreaseClick(); },
        [this] { DecreaseClick(); },
        [this] { NextDayClick(); },
    };
    int i = 0;
    for (const ButtonSpec& def : kButtons) {
        auto* b = new TNoxButton(m_toolBar);
        b->setToolTip(QString::fromUtf8(def.hint));
        b->setObjectName(QString::fromUtf8(def.hint));
        if (def.caption) {
            b->SetCaption(QString::fromUtf8(def.caption));
        }
        if (def.hasGlyph) {
            b->SetGlyph(toolGlyph(def.glyph));
        }
        b->setFocusPolicy(Qt::NoFocus);
        const auto action = actions[i++];
        b->OnClick = [action](QObject*) { action(); };
        m_buttons << b;
    }
    m_prevButton = m_buttons.at(0);
    m_searchButton = m_buttons.at(1);
    m_switchButton = m_buttons.at(7);
    m_increaseButton = m_buttons.at(10);
    m_decreaseButton = m_buttons.at(11);
    m_nextButton = m_buttons.at(12);
    m_modeGlyphs = {toolGlyph(ToolGlyph::PrevDay),      toolGlyph(ToolGlyph::PrevMonth),
                    toolGlyph(ToolGlyph::IncreaseDays), toolGlyph(ToolGlyph::ResetLines),
                    toolGlyph(ToolGlyph::DecreaseDays), toolGlyph(ToolGlyph::TimeStyle),
                    toolGlyph(ToolGlyph::NextDay),      toolGlyph(ToolGlyph::NextMonth)};
}

// Captioned buttons are 60 wide, square ones as wide as the bar is high, and
// the search button takes what is left (at least 60).
void TNoxMainForm::layoutToolBar()
{
    if (!m_toolBar) {
        return;
    }
    const int h = m_toolBar->height();
    int fixed = 0;
    for (int i = 0; i < m_buttons.size(); ++i) {
        if (m_buttons.at(i) != m_searchButton) {
            fixed += kButtons[i].caption ? kCaptionedButton : h;
        }
    }
    const int searchWidth = qMax(kMinSearchButton, m_toolBar->width() - fixed);
    int x = 0;
    for (int i = 0; i < m_buttons.size(); ++i) {
        TNoxButton* b = m_buttons.at(i);
        const int w = b == m_searchButton ? searchWidth : (kButtons[i].caption ? kCaptionedButton : h);
        b->setGeometry(x, 0, w, h);
        x += w;
    }
}

void TNoxMainForm::setToolBarHeight(int height)
{
    m_toolBarHeight = qBound(kMinToolBar, height, kMaxToolBar);
    QList<int> sizes = m_splitter->sizes();
    if (sizes.size() == 3) {
        const int total = sizes.at(0) + sizes.at(1);
        sizes[0] = m_toolBarHeight;
        sizes[1] = qMax(1, total - m_toolBarHeight);
        m_splitter->setSizes(sizes);
    }
    m_toolBar->resize(m_toolBar->width(), m_toolBarHeight);
    layoutToolBar();
}

// Hints, glyphs and the switch caption of the mode in front; its view is shown.
void TNoxMainForm::applyModeLook()
{
    const TMainViewMode::Look look = m_mode->look();
    m_prevButton->setToolTip(look.prevHint);
    m_nextButton->setToolTip(look.nextHint);
    m_increaseButton->setToolTip(look.increaseHint);
    m_decreaseButton->setToolTip(look.decreaseHint);
    m_switchButton->SetCaption(look.switchCaption);
    const int odd = look.monthGlyphs ? 1 : 0;
    m_prevButton->SetGlyph(m_modeGlyphs.at(0 + odd));
    m_increaseButton->SetGlyph(m_modeGlyphs.at(2 + odd));
    m_decreaseButton->SetGlyph(m_modeGlyphs.at(4 + odd));
    m_nextButton->SetGlyph(m_modeGlyphs.at(6 + odd));
    qobject_cast<QStackedLayout*>(m_sked->parentWidget()->layout()->itemAt(1)->layout())
        ->setCurrentWidget(m_mode->view());
}

TNoxButton* TNoxMainForm::toolButton(const QString& hint) const
{
    for (TNoxButton* b : m_buttons) {
        if (b->objectName() == hint) {
            return b;
        }
    }
    return nullptr;
}

// The commands of the window menu that this platform cannot extend, and the
// navigation commands with their shortcuts.
void TNoxMainForm::buildMenus()
{
    m_navMenu = new QMenu(this);
    auto add = [this](const QString& text, const QKeySequence& key, std::function<void()> run) {
        auto* a = new QAction(text, this);
        a->setShortcut(key);
        a->setShortcutContext(Qt::WindowShortcut);
        connect(a, &QAction::triggered, this, [run] { run(); });
        addAction(a);
        m_navMenu->addAction(a);
        return a;
    };
    QAction* today =
        add(QStringLiteral("今日へ移動(&H)"), QKeySequence(Qt::CTRL | Qt::Key_H), [this] { TodayClick(); });
    QAction* goTo = add(QStringLiteral("指定日へ移動(&O)..."), QKeySequence(Qt::CTRL | Qt::Key_O),
                        [this] { GoToDateClick(); });
    m_navMenu->addSeparator();
    m_navActions = {
        today,
        add(QStringLiteral("次月(&M)"), QKeySequence(Qt::CTRL | Qt::Key_M), [this] { NextMonthClick(); }),
        add(QStringLiteral("前月(&N)"), QKeySequence(Qt::CTRL | Qt::Key_N), [this] { PrevMonthClick(); }),
        add(QStringLiteral("次週(&K)"), QKeySequence(Qt::CTRL | Qt::Key_K), [this] { NextWeekClick(); }),
        add(QStringLiteral("前週(&J)"), QKeySequence(Qt::CTRL | Qt::Key_J), [this] { PrevWeekClick(); }),
        goTo,
    };
    auto* help = new QAction(QStringLiteral("ヘルプ(&H)"), this);
    help->setShortcut(QKeySequence(Qt::Key_F1));
    connect(help, &QAction::triggered, this, &TNoxMainForm::ShowHelp);
    addAction(help);
}

// Right-click on the date banner: navigation and the window's own commands.
void TNoxMainForm::bannerMenu(const QPoint& globalPos)
{
    QMenu menu(this);
    menu.addActions(m_navMenu->actions());
    menu.addSeparator();
    menu.addAction(QStringLiteral("ヘルプ(&H)"), this, &TNoxMainForm::ShowHelp);
    menu.addSeparator();
    // The program has no web page or mail address of its own yet: the two
    // commands stay in their place, inert.
    menu.addAction(QStringLiteral("作者のホームページを開く(&W)"))->setEnabled(false);
    menu.addAction(QStringLiteral("作者へメールを送信する(&M)"))->setEnabled(false);
    menu.addSeparator();
    menu.addAction(QStringLiteral("バージョン情報(&A)..."), this, &TNoxMainForm::ShowAbout);
    menu.exec(globalPos);
}

// The memo area comes back directly above the status bar with its own
// height; the view gives up what it needs.
void TNoxMainForm::setMemoVisible(bool visible)
{
    m_memoVisible = visible;
    m_memoArea->setVisible(visible);
    if (visible) {
        QList<int> sizes = m_splitter->sizes();
        const int total = sizes.at(1) + sizes.at(2);
        sizes[2] = m_memoHeight;
        sizes[1] = qMax(0, total - m_memoHeight);
        m_splitter->setSizes(sizes);
    }
}

void TNoxMainForm::MemoToggleClick()
{
    setMemoVisible(!m_memoVisible);
}

void TNoxMainForm::resizeEvent(QResizeEvent* event)
{
    QMainWindow::resizeEvent(event);
    if (m_started) {
        m_mode->layoutPanes();
    }
}

bool TNoxMainForm::eventFilter(QObject* watched, QEvent* event)
{
    // Key events travel up from the focus widget; look at each one once.
    const QWidget* first = QApplication::focusWidget() ? QApplication::focusWidget() : this;
    if (event->type() == QEvent::KeyPress && watched == first && isActiveWindow()) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (handleShortcut(key->key(), key->modifiers())) {
            return true;
        }
    }
    if (event->type() == QEvent::Expose && watched == windowHandle() && windowHandle()->isExposed()) {
        QTimer::singleShot(0, this, &TNoxMainForm::applyPendingState);
    }
    if (watched == m_toolBar && event->type() == QEvent::Resize) {
        layoutToolBar();
    } else if (watched == m_memoArea && event->type() == QEvent::Resize) {
        // The height is the user's (the splitter's moves): a squeezed or
        // re-shown area must not make it its own.
        if (m_mode) {
            m_mode->layoutPanes();
        }
    } else if (event->type() == QEvent::FocusIn && m_memoPanes && m_memoPanes->indexOf(watched) >= 0) {
        m_mode->paneFocused(m_memoPanes->indexOf(watched));
    }
    return QMainWindow::eventFilter(watched, event);
}

} // namespace nox
