#pragma once
// TForm7, the popup message window of alarms, time signals and the settings
// preview: a frameless, always-on-top window that slides out at a corner of
// the screen next to the desktop's panel, then plays its sound. It lives
// until the user closes it (double click, "閉じる(&C)") and deletes itself
// when closed; several may be open at once, all at the same spot.
#include <QPointer>
#include <QWidget>
#include <functional>
#include <optional>

#include "alarm/alarmcheck.h"
#include "alarm/ui/popupsettings.h"
#include "store/skedrec.h"

class QLabel;
class QMenu;
class QTimer;

namespace nox
{

// What a sound text asks for: nothing (empty), the system beep ("beep" in any
// letter case) or the named wave file; a file that does not exist is None.
enum class TPopupSound { None, Beep, Wave };
TPopupSound PopupSoundFor(const QString& sound);

// What the program lends to popups for "表示(&V)": goToSchedule moves the
// main window to the record's date and selects the schedule with its ID,
// returning false when it is not there; mainWindow is shown and focused
// afterwards.
struct TPopupHost {
    QPointer<QWidget> mainWindow;
    std::function<bool(const TSkedRec& rec)> goToSchedule;
};
void SetPopupHost(const TPopupHost& host);

class TForm7 : public QWidget
{
    Q_OBJECT
public:
    // Takes the given popup settings (normally the running ones) and places
    // the window at its corner with height 0. Call Start() to show it.
    explicit TForm7(const TPopupSettings& settings = PopupSettings(), QWidget* parent = nullptr);
    ~TForm7() override;

    void SetMessage(const QString& message);
    QString Message() const;
    void SetSound(const QString& sound) { m_sound = sound; }
    // The schedule of an alarm; none for time signals and previews.
    void SetRecord(std::optional<TSkedRec> record) { m_record = std::move(record); }
    const std::optional<TSkedRec>& Record() const { return m_record; }
    // Opened with OpenRelatedTarget once the window has grown; empty: nothing.
    void SetRelatedTarget(const QString& target) { m_relatedTarget = target; }

    // Makes the window tall enough for its whole message: never lower than
    // the setting, at most half the screen's available height (the list of
    // alarms shown late). Call before Start().
    void FitHeightToMessage();

    // Shows the window and starts the growth timer.
    void Start();

    bool Grown() const { return m_grown; }
    int Step() const { return m_step; }
    int TargetHeight() const { return m_targetHeight; }
    int PositionMode() const { return m_positionMode; }
    // What was played when the window had grown (None before that).
    TPopupSound SoundPlayed() const { return m_soundPlayed; }
    QLabel* Label1() const { return m_label; }
    // The context menu; built on first use. Actions: 閉じる, separator, 表示.
    QMenu* PopupMenu1();

    // The screen the window appears on (the primary one). Tests replace the
    // geometry so that panels on every side can be tried.
    static void SetScreenGeometryForTesting(const QRect& screen, const QRect& available);

protected:
    void contextMenuEvent(QContextMenuEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    void growStep();
    void finishGrowth();
    void playSound();
    void placeForStep();
    void showSchedule();

    QWidget* m_panel = nullptr;
    QLabel* m_label = nullptr;
    QMenu* m_menu = nullptr;
    QTimer* m_timer = nullptr;
    QString m_sound;
    QString m_relatedTarget;
    std::optional<TSkedRec> m_record;
    int m_targetHeight = 120;
    int m_width = 160;
    int m_positionMode = 3;
    int m_step = 0;
    bool m_grown = false;
    TPopupSound m_soundPlayed = TPopupSound::None;
};

// Opens a popup for a request of the alarm checks (or a preview), shows it
// and returns it. The window owns the record and deletes itself when closed.
TForm7* ShowPopupMessage(const PopupRequest& request);
// The same with the record given directly: its related information opens
// once grown when OpenRelatedInfo is set and its start minute
// ("yyyy/MM/dd hh:nn") is the current minute, so for the alarm at the start
// and not for an advance reminder.
TForm7* ShowPopupMessage(const QString& message, const QString& sound, std::optional<TSkedRec> record,
                         const QDateTime& now = QDateTime::currentDateTime());

// The settings dialog's preview: a popup with settings not yet in force, no
// sound and no schedule.
TForm7* ShowPopupPreview(const QString& message, const TPopupSettings& settings);

// The most recently created popup that still exists, or null.
TForm7* LastPopup();

} // namespace nox
