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
    // Shows what is pending at once (at exit, when no event loop runs).
    void showPending();
    const QStringList& pending() const { return m_pending; }

    // The text of the box for these messages.
    static QString noticeText(const QStringList& messages);

    // Replaces the box (tests): receives the text that would be shown.
    std::function<void(const QString& text)> OnShow;

private:
    void add(const QString& message);

    QStringList m_pending;
    QPointer<QWidget> m_window;
    bool m_scheduled = false;
};

} // namespace nox
