#pragma once
// The context menu that the day view and the month view share, with the
// shortcuts of its commands, and the rules that enable and check its items.
#include <QKeySequence>
#include <QList>
#include <QObject>
#include <functional>
#include <optional>

#include "core/color.h"

class QAction;
class QMenu;
class QWidget;

namespace nox
{

enum class TScheduleCommand {
    Add,
    Edit,
    Bold,
    Italic,
    Underline,
    StrikeOut,
    TextColor,
    LineColor,
    Cut,
    Copy,
    Paste,
    Delete,
    Holidays,
    Search,
};

// What the menu depends on when it opens.
struct TMenuContext {
    // The view has a place for a schedule: the day view needs a focused
    // column (the month view always has a date).
    bool hasTarget = true;
    // The font style of the focused or selected schedule; none without one.
    std::optional<TFontStyles> itemStyle;
    bool clipboardFull = false;
    // The view draws line colours (the day view).
    bool lineColors = true;
    // The week steps mean something in the view (the day view).
    bool weeks = true;
};

struct TMenuState {
    // No place for a schedule: the schedule items stay as they were.
    bool keepItemEntries = false;
    bool edit = false, remove = false, copy = false, font = false, textColor = false, lineColor = false;
    TFontStyles checked = 0; // the style items' check marks
    bool paste = false;
    bool weeks = false; // "次週" and "前週"
};

TMenuState scheduleMenuState(const TMenuContext& context);

class TScheduleMenu : public QObject
{
    Q_OBJECT
public:
    // `navigation`: the window's actions "今日へ移動(&H)", "次月(&M)", "前月(&N)",
    // "次週(&K)", "前週(&J)", "指定日へ移動(&O)..." in this order (not owned; their
    // shortcuts stay the window's).
    TScheduleMenu(QWidget* parent, const QList<QAction*>& navigation);

    QMenu* menu() const { return m_menu; }
    QAction* action(TScheduleCommand command) const;
    QMenu* fontMenu() const { return m_fontMenu; }

    // The command shortcuts act while `view` or a child of it has the focus
    // (an editor open in it keeps its own editing keys).
    void attachTo(QWidget* view);
    // "祝祭日に設定(&Z)..." and "検索" stay disabled until their windows exist.
    void setAvailable(TScheduleCommand command, bool available);

    // Asked when the menu is about to open.
    std::function<TMenuContext()> OnContext;
    // A command chosen from the menu or by its shortcut.
    std::function<void(TScheduleCommand command)> OnCommand;

private:
    QAction* addCommand(QMenu* menu, const QString& caption, TScheduleCommand command,
                        const QKeySequence& shortcut = {});
    void aboutToShow();
    void aboutToHide();

    QMenu* m_menu = nullptr;
    QMenu* m_fontMenu = nullptr;
    QList<QAction*> m_actions; // by TScheduleCommand
    QList<QAction*> m_weeks;
    QList<TScheduleCommand> m_unavailable;
};

} // namespace nox
