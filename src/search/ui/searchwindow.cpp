// The search window's layout, settings and criteria.
#include "search/ui/searchwindow.h"

#include "core/datetime.h"
#include "core/noxsettings.h"
#include "core/screenfont.h"
#include "core/settings.h"
#include "search/ui/browsercommands.h"
#include "search/ui/resultlist.h"
#include "search/ui/searchcombos.h"
#include "search/ui/searchmessages.h"
#include "widgets/noxbutton.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QCompleter>
#include <QDateEdit>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QShortcut>
#include <QSplitter>
#include <QStatusBar>
#include <QThread>
#include <QTimer>
#include <QVBoxLayout>

namespace nox
{

namespace
{

constexpr QSize kDesignSize(600, 447);
constexpr QSize kMinimumSize(600, 168);
constexpr int kMinToolBar = 20;
constexpr int kMaxToolBar = 64;
constexpr int kMinCriteriaWidth = 80;
constexpr int kGap = 3;
constexpr int kCountPanelWidth = 72;
constexpr Key kColumnKeys[] = {Key::SearchColumn0, Key::SearchColumn1, Key::SearchColumn2,
                               Key::SearchColumn3, Key::SearchColumn4, Key::SearchColumn5};

// The tool bar from left to right; an empty caption is a 3-pixel gap.
struct ToolButtonSpec {
    const char* caption;
    const char* hint;
    void (TForm6::*command)();
};
const ToolButtonSpec kToolButtons[] = {
    {"検索開始", "検索開始", &TForm6::SearchClick},
    {"開く", "選択スケジュールを開く", &TForm6::OpenClick},
    {"", "", nullptr},
    {"印刷...", "対象スケジュールを印刷...", &TForm6::PrintClick},
    {"プレビュー", "対象スケジュールをプレビュー...", &TForm6::PreviewClick},
    {"ブラウザー", "対象スケジュールをブラウザで表示...", &TForm6::BrowserClick},
    {"保存...", "対象スケジュールを保存...", &TForm6::SaveClick},
    {"印刷設定...", "印刷設定...", &TForm6::PrintSettingsClick},
    {"", "", nullptr},
    {"閉じる", "閉じる", nullptr},
};

// The box's entries are offered as a list under it while typing, never as
// text appended to what was typed: Return (also the one that confirms an
// input method's text) then searches for what the user typed.
void offerEntriesAsList(QComboBox* box)
{
    QCompleter* completer = box->completer();
    completer->setCompletionMode(QCompleter::PopupCompletion);
    completer->setCaseSensitivity(Qt::CaseSensitive);
}

QLabel* fieldLabel(const QString& text, QWidget* buddy, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    label->setBuddy(buddy);
    return label;
}

} // namespace

// A window of the main window's (a dialog in the window system's terms, which
// keeps it above its owner), with the buttons of a main window.
TForm6::TForm6(TSearchHost& host, QWidget* parent)
    : QWidget(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinMaxButtonsHint |
                          Qt::WindowCloseButtonHint),
      m_host(host), m_settings(host.settings()), m_dataFolder(host.dataFolder()),
      m_iniPath(host.iniPath())
{
    setAttribute(Qt::WA_DeleteOnClose);
    setObjectName(QStringLiteral("TForm6"));
    setWindowTitle(QStringLiteral("検索 / 印刷"));
    QFont font(screenFamily(QStringLiteral("ＭＳ Ｐゴシック")));
    font.setPixelSize(12);
    setFont(font);
    setMinimumSize(kMinimumSize);

    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->setSpacing(0);
    m_vertical = new QSplitter(Qt::Vertical, this);
    m_vertical->setHandleWidth(kGap);
    m_vertical->setChildrenCollapsible(false);
    m_toolBar = new QWidget(m_vertical);
    m_toolBar->setObjectName(QStringLiteral("Panel3"));
    m_toolBar->setMinimumHeight(kMinToolBar);
    m_toolBar->setMaximumHeight(kMaxToolBar);
    m_toolBar->installEventFilter(this);
    buildToolBar(m_toolBar);
    m_horizontal = new QSplitter(Qt::Horizontal, m_vertical);
    m_horizontal->setChildrenCollapsible(false);
    m_horizontal->addWidget(buildCriteria());
    m_horizontal->addWidget(buildResults());
    m_horizontal->setStretchFactor(1, 1);
    m_vertical->setStretchFactor(1, 1);
    outer->addWidget(m_vertical, 1);
    buildStatusBar();
    outer->addWidget(findChild<QStatusBar*>());

    m_progressTimer = new QTimer(this);
    m_progressTimer->setInterval(100);
    connect(m_progressTimer, &QTimer::timeout, this, [this] {
        m_countPanel->setText(QStringLiteral("検索中 %1%").arg(m_progress ? m_progress->load() / 10 : 0));
    });
    auto* f3 = new QShortcut(QKeySequence(Qt::Key_F3), this);
    f3->setContext(Qt::WindowShortcut);
    connect(f3, &QShortcut::activated, this, &TForm6::SearchClick);
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    escape->setContext(Qt::WindowShortcut);
    connect(escape, &QShortcut::activated, this, &TForm6::escapePressed);

    if (const Status loaded = m_history.load(m_dataFolder); !loaded) {
        QTimer::singleShot(0, this, [this, error = loaded.message()] {
            showSearchMessage(this, QMessageBox::Warning, error);
        });
    }
    fillCriteria();
    readSettings();
    updateSelectionButtons();
    showLayoutName();
    m_words->setFocus();
}

// Also runs when the main window goes with the search window still open,
// after the main window itself is gone: only what the window keeps is used.
TForm6::~TForm6()
{
    if (m_cancel) {
        *m_cancel = true;
    }
    waitForSearch();
    writeSettings();
    if (const Status saved = m_history.save(m_dataFolder); !saved) {
        showSearchMessage(nullptr, QMessageBox::Warning, saved.message());
    }
}

void TForm6::buildToolBar(QWidget* bar)
{
    for (const ToolButtonSpec& button : kToolButtons) {
        if (!button.caption[0]) {
            m_buttons << nullptr;
            continue;
        }
        auto* b = new TNoxButton(bar);
        b->SetCaption(QString::fromUtf8(button.caption));
        b->setToolTip(QString::fromUtf8(button.hint));
        b->setObjectName(QString::fromUtf8(button.caption));
        b->setFocusPolicy(Qt::NoFocus);
        const auto command = button.command;
        b->OnClick = [this, command](QObject*) {
            if (command) {
                (this->*command)();
            } else {
                close();
            }
        };
        m_buttons << b;
    }
    toolButton(QStringLiteral("印刷設定..."))->setEnabled(m_host.hasPrintSettings());
}

// "検索開始" takes the width the others leave.
void TForm6::layoutToolBar()
{
    const int h = m_toolBar->height();
    int fixed = 0;
    QList<int> widths;
    for (int i = 0; i < m_buttons.size(); ++i) {
        TNoxButton* b = m_buttons[i];
        const int w = !b ? kGap : i == 0 ? 0 : qMax(60, b->fontMetrics().horizontalAdvance(b->Caption()) + 16);
        widths << w;
        fixed += w;
    }
    widths[0] = qMax(60, m_toolBar->width() - fixed);
    int x = 0;
    for (int i = 0; i < m_buttons.size(); ++i) {
        if (m_buttons[i]) {
            m_buttons[i]->setGeometry(x, 0, widths[i], h);
        }
        x += widths[i];
    }
}

QWidget* TForm6::buildCriteria()
{
    auto* panel = new QWidget;
    panel->setObjectName(QStringLiteral("Panel1"));
    panel->setMinimumWidth(kMinCriteriaWidth);
    auto* column = new QVBoxLayout(panel);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    auto* title = new QLabel(QStringLiteral("  検索"), panel);
    title->setAutoFillBackground(true);
    title->setBackgroundRole(QPalette::Dark);
    title->setForegroundRole(QPalette::BrightText);
    title->setMinimumHeight(18);
    column->addWidget(title);

    auto* scroll = new QScrollArea(panel);
    scroll->setWidgetResizable(true);
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    auto* box = new QWidget;
    box->setAutoFillBackground(true);
    QPalette white = box->palette();
    white.setColor(QPalette::Window, Qt::white);
    box->setPalette(white);
    auto* form = new QVBoxLayout(box);
    form->setContentsMargins(6, 4, 6, 4);
    form->setSpacing(1);

    m_words = new TWideComboBox(box);
    m_words->setObjectName(QStringLiteral("ComboBox1"));
    m_words->setEditable(true);
    m_words->setInsertPolicy(QComboBox::NoInsert);
    m_words->setMaxVisibleItems(20);
    m_target = new TWideComboBox(box);
    m_target->setObjectName(QStringLiteral("ComboBox2"));
    m_target->addItems({QStringLiteral("スケジュール & メモ"), QStringLiteral("スケジュール"), QStringLiteral("メモ")});
    const QString pickerFormat = datePickerPattern(m_settings.dateFormat);
    auto datePicker = [&](QCheckBox** check, QDateEdit** edit, const char* name) {
        *check = new QCheckBox(box);
        *edit = new QDateEdit(box);
        (*edit)->setObjectName(QLatin1String(name));
        (*edit)->setDisplayFormat(pickerFormat);
        (*edit)->setCalendarPopup(true);
        (*edit)->setEnabled(false);
        connect(*check, &QCheckBox::toggled, *edit, &QWidget::setEnabled);
        auto* row = new QHBoxLayout;
        row->addWidget(*check);
        row->addWidget(*edit, 1);
        return row;
    };
    QHBoxLayout* startRow = datePicker(&m_startCheck, &m_startDate, "DateTimePicker1");
    QHBoxLayout* endRow = datePicker(&m_endCheck, &m_endDate, "DateTimePicker2");
    m_category = new TWideComboBox(box);
    m_category->setObjectName(QStringLiteral("ComboBox3"));
    m_category->setEditable(true);
    m_category->setInsertPolicy(QComboBox::NoInsert);
    m_image = new TImageComboBox(box);
    m_image->setObjectName(QStringLiteral("ComboBox4"));
    m_changeButton = new QPushButton(QStringLiteral("選択スケジュールの変更..."), box);
    m_deleteButton = new QPushButton(QStringLiteral("選択スケジュールを削除"), box);
    connect(m_changeButton, &QPushButton::clicked, this, &TForm6::ChangeClick);
    connect(m_deleteButton, &QPushButton::clicked, this, &TForm6::DeleteClick);

    form->addWidget(fieldLabel(QStringLiteral("検索文字(&T):"), m_words, box));
    form->addWidget(m_words);
    form->addSpacing(3);
    form->addWidget(fieldLabel(QStringLiteral("検索対象(&K):"), m_target, box));
    form->addWidget(m_target);
    form->addSpacing(3);
    form->addWidget(fieldLabel(QStringLiteral("期間(&S):"), m_startCheck, box));
    form->addLayout(startRow);
    form->addWidget(new QLabel(QStringLiteral("～"), box), 0, Qt::AlignHCenter);
    form->addLayout(endRow);
    form->addSpacing(3);
    form->addWidget(fieldLabel(QStringLiteral("検索分類(&B)"), m_category, box));
    form->addWidget(m_category);
    form->addSpacing(3);
    form->addWidget(fieldLabel(QStringLiteral("イメージ(&I)"), m_image, box));
    form->addWidget(m_image);
    form->addSpacing(6);
    form->addWidget(m_changeButton);
    form->addWidget(m_deleteButton);
    form->addStretch(1);
    scroll->setWidget(box);
    column->addWidget(scroll, 1);
    // The panel never cuts its controls off at the side (it scrolls only
    // up and down): it is at least as wide as they need beside a scroll bar.
    for (QComboBox* combo : {static_cast<QComboBox*>(m_words), static_cast<QComboBox*>(m_category)}) {
        combo->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
        combo->setMinimumContentsLength(8);
    }
    panel->setMinimumWidth(qMax(kMinCriteriaWidth, box->minimumSizeHint().width() +
                                                       scroll->verticalScrollBar()->sizeHint().width()));

    offerEntriesAsList(m_words);
    offerEntriesAsList(m_category);
    // Enter in a criteria box or date picker searches. While the list of a
    // text box is open, Enter closes it (taking the entry chosen in it) and
    // reaches the box past its event filters.
    for (QComboBox* combo : {static_cast<QComboBox*>(m_words), static_cast<QComboBox*>(m_category)}) {
        connect(combo->lineEdit(), &QLineEdit::returnPressed, this, &TForm6::SearchClick);
    }
    // Enter in a criteria box or date picker searches.
    for (QWidget* w : std::initializer_list<QWidget*>{m_words, m_words->lineEdit(), m_target, m_startDate,
                                                      m_endDate, m_category, m_category->lineEdit(), m_image,
                                                      m_startCheck, m_endCheck}) {
        w->installEventFilter(this);
    }
    return panel;
}

QWidget* TForm6::buildResults()
{
    m_list = new TResultList;
    m_list->setObjectName(QStringLiteral("ListBox1"));
    m_list->OnOpen = [this] { OpenClick(); };
    connect(m_list->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this] { updateSelectionButtons(); });
    TResultLook look;
    look.bandGroups = m_settings.searchColor;
    look.bandColor = toQColor(m_settings.searchColorValue);
    look.images = m_host.images();
    m_list->setLook(look);
    m_list->resultModel()->setDateFormat(m_settings.dateFormat);
    return m_list;
}

void TForm6::buildStatusBar()
{
    auto* bar = new QStatusBar(this);
    bar->setSizeGripEnabled(true);
    m_countPanel = new QLabel(bar);
    m_countPanel->setFixedWidth(kCountPanelWidth);
    m_layoutPanel = new QLabel(bar);
    bar->addWidget(m_countPanel);
    bar->addWidget(m_layoutPanel, 1);
}

void TForm6::fillCriteria()
{
    m_words->addItems(m_history.entries());
    m_words->setCurrentIndex(-1);
    m_words->setEditText(QString());
    m_category->addItem(QString());
    m_category->addItems(m_host.categories());
    const int filter = m_category->findText(m_host.categoryFilter());
    m_category->setCurrentIndex(m_host.categoryFilter().isEmpty() || filter < 0 ? 0 : filter);
    m_image->setImages(m_host.images());
    m_image->setCurrentIndex(0);
    m_target->setCurrentIndex(0);
}

void TForm6::readSettings()
{
    const Settings ini(m_iniPath);
    const QWidget* owner = m_host.ownerWindow();
    const QPoint ownerPos = owner ? owner->geometry().topLeft() : QPoint(0, 0);
    // Kept where the user can see and grab it, whatever the file says.
    const QRect normal = placementOnTheScreens(
        QRect(QPoint(ini.readInt(Key::SearchLeft, ownerPos.x() + 8), ini.readInt(Key::SearchTop, ownerPos.y() + 8)),
              QSize(ini.readInt(Key::SearchWidth), ini.readInt(Key::SearchHeight)).expandedTo(kMinimumSize)));
    resize(normal.size().expandedTo(kMinimumSize));
    move(normal.topLeft());
    const int state = ini.readInt(Key::SearchWindowState);
    if (state == 2) {
        setWindowState(Qt::WindowMaximized);
    } else if (state == 1) {
        setWindowState(Qt::WindowMinimized);
    }
    const int bar = std::clamp(ini.readInt(Key::SearchToolbarHeight), kMinToolBar, kMaxToolBar);
    m_vertical->setSizes({bar, qMax(1, height() - bar)});
    const int left = qMax(kMinCriteriaWidth, ini.readInt(Key::SearchLeftWidth));
    m_horizontal->setSizes({left, qMax(1, width() - left)});
    const QDate today = QDate::currentDate();
    m_startCheck->setChecked(ini.readBool(Key::SearchSCheck));
    m_endCheck->setChecked(ini.readBool(Key::SearchECheck));
    m_startDate->setDate(m_startCheck->isChecked() ? ini.readDate(Key::SearchSDate, today) : today);
    m_endDate->setDate(m_endCheck->isChecked() ? ini.readDate(Key::SearchEDate, today) : today);
    QList<int> widths;
    for (const Key key : kColumnKeys) {
        widths << ini.readInt(key);
    }
    m_list->setColumnWidths(widths);
}

void TForm6::writeSettings()
{
    Settings ini(m_iniPath);
    const int state = isMaximized() ? 2 : isMinimized() ? 1 : 0;
    ini.writeInt(Key::SearchWindowState, state);
    if (state != 2) {
        // The frame's corner, which move() places, and the client's size:
        // so that the window opens again exactly where it was.
        const QRect normal = state == 1 ? normalGeometry() : geometry();
        const QPoint frameCorner = normal.topLeft() - (geometry().topLeft() - frameGeometry().topLeft());
        ini.writeInt(Key::SearchLeft, frameCorner.x());
        ini.writeInt(Key::SearchTop, frameCorner.y());
        ini.writeInt(Key::SearchWidth, normal.width());
        ini.writeInt(Key::SearchHeight, normal.height());
    }
    ini.writeInt(Key::SearchLeftWidth, m_horizontal->sizes().value(0));
    ini.writeInt(Key::SearchToolbarHeight, m_toolBar->height());
    ini.writeBool(Key::SearchSCheck, m_startCheck->isChecked());
    ini.writeBool(Key::SearchECheck, m_endCheck->isChecked());
    ini.writeDate(Key::SearchSDate, m_startDate->date());
    ini.writeDate(Key::SearchEDate, m_endDate->date());
    const QList<int> widths = m_list->columnWidths();
    for (int i = 0; i < TSearchResultModel::ColumnCount; ++i) {
        ini.writeInt(kColumnKeys[i], widths.value(i));
    }
}

void TForm6::updateSelectionButtons()
{
    const bool any = m_list->resultModel()->rowCount() > 0 && !isSearching();
    m_changeButton->setEnabled(any);
    m_deleteButton->setEnabled(any);
}

void TForm6::showLayoutName()
{
    m_layoutPanel->setText(QStringLiteral("印刷レイアウト : ") + m_settings.layout);
}

QComboBox* TForm6::wordsBox() const
{
    return m_words;
}

QComboBox* TForm6::targetBox() const
{
    return m_target;
}

QComboBox* TForm6::categoryBox() const
{
    return m_category;
}

QComboBox* TForm6::imageBox() const
{
    return m_image;
}

TNoxButton* TForm6::toolButton(const QString& caption) const
{
    for (TNoxButton* b : m_buttons) {
        if (b && b->Caption() == caption) {
            return b;
        }
    }
    return nullptr;
}

QString TForm6::statusText(int panel) const
{
    return (panel == 0 ? m_countPanel : m_layoutPanel)->text();
}

SearchQuery TForm6::query() const
{
    SearchQuery q;
    q.text = m_words->currentText();
    q.target = SearchTarget(qMax(0, m_target->currentIndex()));
    q.from = m_startCheck->isChecked() ? m_startDate->date() : QDate();
    q.to = m_endCheck->isChecked() ? m_endDate->date() : QDate();
    q.category = m_category->currentText();
    q.imageEntry = qMax(0, m_image->currentIndex());
    return q;
}

void TForm6::closeEvent(QCloseEvent* event)
{
    if (m_cancel) {
        *m_cancel = true;
    }
    m_browser.reset(); // ends the page engine's page
    QWidget::closeEvent(event);
}

bool TForm6::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_toolBar && event->type() == QEvent::Resize) {
        layoutToolBar();
        return false;
    }
    if (event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) && key->modifiers() == Qt::NoModifier) {
            SearchClick();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace nox
