#pragma once
// TForm11 "フリーメモ": the free memo notebook, one tab (TMemoPage) per memo.
// A modeless top-level window; its owner (the main window) creates at most
// one, calls Open() and deletes it at its own shutdown. Closing it in any way
// destroys it (WA_DeleteOnClose).
//
// Files: the index and the memo files of the data folder (freememofiles.h).
// They are loaded when the window is created and written when it closes or is
// destroyed: every modified memo (an empty text removes its file) and the
// index. So that a crash loses at most a few seconds of typing, the same save
// also runs kAutoSaveDelay ms after the last change. Every save commits the
// input method's composition first when it ends the window; a write that fails
// is reported naming the file and the text stays in its tab, modified. While
// automatic saves fail (a full disk) one notice stays, the saves are tried
// again after a pause that doubles up to kLongestRetryDelay, and one notice
// says when they succeed again.
//
// Settings: "tempmemo" keys of "Nox.ini" ("left", "top", "width", "height",
// "windowstate", "stayontop"), read at creation and written at destruction.
#include <QElapsedTimer>
#include <QFont>
#include <QPixmap>
#include <QPoint>
#include <QPointer>
#include <QStringList>
#include <QTimer>
#include <QWidget>
#include <functional>

#include "core/color.h"
#include "freememo/freememofiles.h"

class QTabWidget;

namespace nox
{

class TMemoPage;
class TNoxButton;

class TForm11 : public QWidget
{
    Q_OBJECT
public:
    struct Options {
        QString dataFolder;
        QString iniPath;  // "Nox.ini"
        QPixmap newGlyph; // the glyph of "新規" (the owner's add button's)
    };
    // Colour, text colour and font of every memo page.
    struct TMemoLook {
        TColor color = clWindow;
        TColor fontColor = clWindowText;
        QFont font;
    };
    enum class SaveReason {
        Auto,     // after typing stopped
        Close,    // the window closes
        Shutdown, // the program ends
    };
    static constexpr int kAutoSaveDelay = 3000;
    static constexpr int kLongestRetryDelay = 5 * 60 * 1000;
    static inline const QString kSavedAgainText = QStringLiteral("フリーメモを保存できました。");
    // The pause before the next automatic save after `failures` failed ones.
    static int retryDelay(int failures);

    explicit TForm11(Options options, QWidget* parent = nullptr);
    ~TForm11() override;

    // Shows the window in its stored state and gives it the focus; without
    // `activate` it is shown without taking the focus from the active window.
    void Open(bool activate = true);
    // Applies the look to every page, and to pages added later.
    void ApplyLook(const TMemoLook& look);

    // Writes the modified memos and the index. On a failure the reason's
    // message names the files; for Close and Shutdown the user is asked
    // whether to go on without them. Returns true when everything was written
    // or the user chose to go on; false keeps the window (and the program)
    // open with the texts in their tabs.
    bool SaveChanges(SaveReason reason);

    // --- commands (also Ctrl+I, Ctrl+D, Ctrl+E, Ctrl+A) --------------------
    void NewMemoClick();
    void DeleteMemoClick();
    void TitleClick();
    void SelectAllClick();

    // --- state --------------------------------------------------------------
    int MemoCount() const;
    TMemoPage* Memo(int index) const;
    TMemoPage* CurrentMemo() const;
    QTabWidget* TabControl() const { return m_tabs; }
    TNoxButton* NewButton() const { return m_newButton; }
    TNoxButton* DeleteButton() const { return m_deleteButton; }
    TNoxButton* TitleButton() const { return m_titleButton; }
    TNoxButton* StayOnTopButton() const { return m_stayOnTopButton; }
    bool StaysOnTop() const;
    bool AutoSavePending() const { return m_saveTimer.isActive(); }
    int AutoSaveDelay() const { return m_saveTimer.interval(); }

    // Replaces the non-blocking notices of automatic saves (tests).
    std::function<void(const QString& text)> OnNotice;

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildToolBar(QWidget* bar);
    void buildShortcuts();
    void readSettings();
    // A failure is reported in a box over `reportParent` (none: centred on the screen).
    void writeSettings(QWidget* reportParent);
    void loadMemos();
    void newMemo();
    TMemoPage* addPage(int number, const QString& title);
    void applyLook(TMemoPage* page) const;
    void setStayOnTop(bool on);
    void commitInput();
    void scheduleSave();
    QStringList writeAll();
    bool reportSaveFailure(SaveReason reason, const QStringList& errors);
    void savedAgain(bool tell);
    void tabBarMouse(QEvent* event);

    Options m_options;
    freememo::FreeMemoFiles m_files;
    TMemoLook m_look;
    QTabWidget* m_tabs = nullptr;
    TNoxButton* m_newButton = nullptr;
    TNoxButton* m_deleteButton = nullptr;
    TNoxButton* m_titleButton = nullptr;
    TNoxButton* m_stayOnTopButton = nullptr;
    QTimer m_saveTimer;
    QElapsedTimer m_unsavedSince;
    int m_storedState = 0;
    QStringList m_reportedErrors; // the failure last reported by an automatic save
    int m_failedSaves = 0;        // automatic saves failed in a row
    QPointer<QWidget> m_failureNotice;
    bool m_opened = false;
    bool m_closed = false;         // settings written and files saved (or given up)
    bool m_discardUnsaved = false; // the user chose to go on without what could not be written
    // Tab dragging: the press point, and whether the drag has begun.
    QPoint m_pressPos;
    bool m_pressed = false;
    bool m_dragging = false;
};

} // namespace nox
