#pragma once
// Tells the user about every file the program could not write, and about
// saves that had to merge another program's change. Each failure reported
// through reportWriteFailure (core/textfile.h) is collected; once the event
// loop is free again, one box names every file of the burst with the
// system's reason, so a full disk at shutdown gives one box, not twenty.
//
// The boxes do not block: the timer, the alarm checks and the popups go on
// while one is open. A box of a kind that is still open takes the later
// messages of that kind instead of a second box.
#include <QMessageBox>
#include <QObject>
#include <QPointer>
#include <QStringList>
#include <QWidget>
#include <functional>
#include <utility>

namespace nox
{

class WriteFailureNotices : public QObject
{
    Q_OBJECT
public:
    enum class Kind {
        WriteFailed, // a file could not be written (or was not, to keep what it holds)
        Merged,      // a save met another program's change, kept both and succeeded
    };

    // Installs itself as the observer of failed writes; the destructor
    // removes it.
    explicit WriteFailureNotices(QObject* parent = nullptr);
    ~WriteFailureNotices() override;

    // The window the boxes belong to (may be null).
    void setParentWindow(QWidget* window) { m_window = window; }
    // Adds a message of the burst (duplicates are told once).
    void report(const QString& message, Kind kind = Kind::WriteFailed);
    // Shows what is pending now, without blocking.
    void showPending();
    // Shows what is pending and waits until the user has read it (at exit,
    // when no event loop runs any more).
    void showPendingAndWait();
    QStringList pending() const { return m_pending[0] + m_pending[1]; }
    // Hands the pending failures to the caller, who tells them itself.
    QStringList takePending() { return std::exchange(m_pending[int(Kind::WriteFailed)], {}); }

    // The text of the box for these messages.
    static QString noticeText(const QStringList& messages, Kind kind = Kind::WriteFailed);

    // Replaces the box (tests): receives the text that would be shown.
    std::function<void(const QString& text)> OnShow;

private:
    void show(Kind kind, bool wait);
    QStringList m_pending[2];
    QPointer<QMessageBox> m_open[2];
    QPointer<QWidget> m_window;
    bool m_scheduled = false;
};

} // namespace nox
