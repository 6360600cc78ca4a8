#pragma once
// Tells the user about every file the program could not write. Each failure
// reported through reportWriteFailure (core/textfile.h) is collected; once the
// event loop is free again, one error box names every file of the burst with
// the system's reason, so a full disk at shutdown gives one box, not twenty.
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
    // Installs itself as the observer of failed writes; the destructor
    // removes it.
    explicit WriteFailureNotices(QObject* parent = nullptr);
    ~WriteFailureNotices() override;

    // The window the boxes belong to (may be null).
    void setParentWindow(QWidget* window) { m_window = window; }
    // Adds a failure of the burst (duplicates are told once).
    void report(const QString& message);
    // Shows what is pending at once (at exit, when no event loop runs, or
    // where a failure must be told before the program goes on).
    void showPending();
    const QStringList& pending() const { return m_pending; }
    // Hands the pending messages to the caller, who tells them itself.
    QStringList takePending() { return std::exchange(m_pending, {}); }

    // The text of the box for these messages.
    static QString noticeText(const QStringList& messages);

    // Replaces the box (tests): receives the text that would be shown.
    std::function<void(const QString& text)> OnShow;

private:
    QStringList m_pending;
    QPointer<QWidget> m_window;
    bool m_scheduled = false;
};

} // namespace nox
