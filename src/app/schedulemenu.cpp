#include "app/schedulemenu.h"

#include <QAction>
#include <QMenu>
#include <QWidget>

namespace nox
{

namespace
{
constexpr int kCommandCount = int(TScheduleCommand::Search) + 1;
constexpr TScheduleCommand kStyleCommands[] = {TScheduleCommand::Bold, TScheduleCommand::Italic,
                                               TScheduleCommand::Underline, TScheduleCommand::StrikeOut};
constexpr int kStyleBits[] = {fsBold, fsItalic, fsUnderline, fsStrikeOut};
} // namespace

TMenuState scheduleMenuState(const TMenuContext& context)
{
    TMenuState state;
    state.paste = context.clipboardFull;
    state.weeks = context.weeks;
    if (!context.hasTarget) {
        state.keepItemEntries = true;
        return state;
    }
    const bool item = context.itemStyle.has_value();
    state.edit = state.remove = state.copy = state.font = state.textColor = item;
    state.lineColor = item && context.lineColors;
    state.checked = context.itemStyle.value_or(0);
    return state;
}

TScheduleMenu::TScheduleMenu(QWidget* parent, const QList<QAction*>& navigation)
    : QObject(parent), m_menu(new QMenu(parent)), m_actions(kCommandCount, nullptr)
{
    using C = TScheduleCommand;
    addCommand(m_menu, QStringLiteral("追加(&A)..."), C::Add, QKeySequence(Qt::CTRL | Qt::Key_A));
    addCommand(m_menu, QStringLiteral("編集(&E)..."), C::Edit, QKeySequence(Qt::CTRL | Qt::Key_E));
    m_fontMenu = m_menu->addMenu(QStringLiteral("    フォント(&F)"));
    addCommand(m_fontMenu, QStringLiteral("太字(&B)"), C::Bold);
    addCommand(m_fontMenu, QStringLiteral("斜体(&I)"), C::Italic);
    addCommand(m_fontMenu, QStringLiteral("下線(&U)"), C::Underline);
    addCommand(m_fontMenu, QStringLiteral("取り消し線(&S)"), C::StrikeOut);
    for (TScheduleCommand style : kStyleCommands) {
        action(style)->setCheckable(true);
    }
    addCommand(m_menu, QStringLiteral("    文字色(&S)..."), C::TextColor);
    addCommand(m_menu, QStringLiteral("    ラインカラー(&L)..."), C::LineColor);
    m_menu->addSeparator();
    addCommand(m_menu, QStringLiteral("切り取り(&T)"), C::Cut, QKeySequence(Qt::CTRL | Qt::Key_X));
    addCommand(m_menu, QStringLiteral("コピー(&C)"), C::Copy, QKeySequence(Qt::CTRL | Qt::Key_C));
    addCommand(m_menu, QStringLiteral("貼り付け(&P)"), C::Paste, QKeySequence(Qt::CTRL | Qt::Key_V));
    m_menu->addSeparator();
    addCommand(m_menu, QStringLiteral("削除(&D)"), C::Delete, QKeySequence(Qt::Key_Delete));
    m_menu->addSeparator();
    for (int i = 0; i < navigation.size(); ++i) {
        m_menu->addAction(navigation.at(i));
        if (i == 3 || i == 4) {
            m_weeks << navigation.at(i);
        }
    }
    m_menu->addSeparator();
    addCommand(m_menu, QStringLiteral("祝祭日に設定(&Z)..."), C::Holidays,
               QKeySequence(Qt::CTRL | Qt::Key_Z));
    // Ctrl+F is the window's own shortcut of the search (a second one here
    // would make the key ambiguous in the views, and it would do nothing).
    addCommand(m_menu, QStringLiteral("検索"), C::Search)
        ->setVisible(false);
    setAvailable(C::Holidays, false);
    setAvailable(C::Search, false);
    connect(m_menu, &QMenu::aboutToShow, this, &TScheduleMenu::aboutToShow);
    connect(m_menu, &QMenu::aboutToHide, this, &TScheduleMenu::aboutToHide);
}

QAction* TScheduleMenu::addCommand(QMenu* menu, const QString& caption, TScheduleCommand command,
                                   const QKeySequence& shortcut)
{
    auto* a = new QAction(caption, this);
    a->setShortcut(shortcut);
    a->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    connect(a, &QAction::triggered, this, [this, command] {
        if (OnCommand) {
            OnCommand(command);
        }
    });
    menu->addAction(a);
    m_actions[int(command)] = a;
    return a;
}

QAction* TScheduleMenu::action(TScheduleCommand command) const
{
    return m_actions.value(int(command));
}

void TScheduleMenu::attachTo(QWidget* view)
{
    for (QAction* a : m_actions) {
        if (!a->shortcut().isEmpty()) {
            view->addAction(a);
        }
    }
}

void TScheduleMenu::setAvailable(TScheduleCommand command, bool available)
{
    m_unavailable.removeAll(command);
    if (!available) {
        m_unavailable << command;
    }
    action(command)->setEnabled(available);
}

void TScheduleMenu::aboutToShow()
{
    if (!OnContext) {
        return;
    }
    using C = TScheduleCommand;
    const TMenuState state = scheduleMenuState(OnContext());
    action(C::Paste)->setEnabled(state.paste);
    for (QAction* week : m_weeks) {
        week->setEnabled(state.weeks);
    }
    if (state.keepItemEntries) {
        return;
    }
    action(C::Edit)->setEnabled(state.edit);
    action(C::Delete)->setEnabled(state.remove);
    action(C::Copy)->setEnabled(state.copy);
    m_fontMenu->menuAction()->setEnabled(state.font);
    action(C::TextColor)->setEnabled(state.textColor);
    action(C::LineColor)->setEnabled(state.lineColor);
    for (int i = 0; i < 4; ++i) {
        action(kStyleCommands[i])->setChecked(state.checked & kStyleBits[i]);
    }
}

// The shortcuts do not depend on the last opening of the menu: every command
// checks for itself what it needs.
void TScheduleMenu::aboutToHide()
{
    for (int i = 0; i < kCommandCount; ++i) {
        m_actions[i]->setEnabled(!m_unavailable.contains(TScheduleCommand(i)));
    }
    m_fontMenu->menuAction()->setEnabled(true);
    for (QAction* week : m_weeks) {
        week->setEnabled(true);
    }
}

} // namespace nox
