#pragma once
// The schedule commands of the main window: add and edit through the
// schedule editor, delete, cut, copy and paste with the private clipboard,
// the font style toggles, the text and line colours, and the shared context
// menu of both views that offers them. Each command works on the mode in
// front (app/viewmode.h), which knows where its view keeps the focused or
// selected schedule and writes the changed day at once through the book.
#include <QDate>

#include "app/scheduleclipboard.h"
#include "app/schedulemenu.h"
#include "store/skedrec.h"

namespace nox
{

class TNoxMainForm;
struct TScheduleEditorSetup;

// A new schedule on `date` from `line` to the next line (the last line
// stays one line long), in `color` (text and line) and the four style bits of
// `style`, with a no image and no alarm; its ID is 0 until one is given.
TSkedRec newScheduleAt(const QDate& date, int line, TColor color, TFontStyles style);

class TScheduleCommands
{
public:
    // The menu is a child of the window; its shortcuts act in both views.
    explicit TScheduleCommands(TNoxMainForm& form);

    TScheduleMenu& menu() const { return *m_menu; }
    const TScheduleClipboard& clipboard() const { return m_clipboard; }

    void run(TScheduleCommand command);
    // Opens the editor on a new schedule at the focused line or selected day.
    void add();
    // Opens the editor on the selected schedule (nothing without one).
    void edit();
    // Enter and double-click: edit, or add when no schedule is selected.
    void editOrAdd();
    // "祝祭日に設定(&Z)..." and "検索" are enabled while the window has their windows.
    void updateAvailability();

    // What the editor needs besides the record, in the mode in front.
    TScheduleEditorSetup editorSetup() const;

private:
    TMenuContext menuContext() const;
    void remove();
    void cut();
    void copy();
    void paste();
    void toggleStyle(TFontStyles bit);
    void chooseTextColor();
    void chooseLineColor();
    // Whether the schedule `id` stands in the day file of `date`.
    bool isStored(const QDate& date, qint32 id) const;

    TNoxMainForm& m_form;
    TScheduleMenu* m_menu;
    TScheduleClipboard m_clipboard;
};

} // namespace nox
