#pragma once
// Turns the signals that ask a program to end (SIGTERM from the session
// manager at logout or shutdown, SIGHUP when the terminal goes, SIGINT on
// Ctrl+C) into a Qt signal of the event loop, so that the program ends
// through its normal close path and writes everything back.
//
// The handler only writes the signal's number into a pipe (async-signal
// safe); a QSocketNotifier on the pipe's other end raises requested() in the
// thread of the event loop. At most one instance exists.
#include <QObject>

class QSocketNotifier;

namespace nox
{

class ShutdownSignals : public QObject
{
    Q_OBJECT
public:
    explicit ShutdownSignals(QObject* parent = nullptr);
    // Gives the signals back their default handling.
    ~ShutdownSignals() override;
    ShutdownSignals(const ShutdownSignals&) = delete;
    ShutdownSignals& operator=(const ShutdownSignals&) = delete;

    // False when the pipe could not be made (the signals then end the
    // program as they would without this object).
    bool isActive() const { return m_notifier != nullptr; }

signals:
    // Raised once per signal received; `signalNumber` is SIGTERM, SIGHUP or SIGINT.
    void requested(int signalNumber);

private:
    void readPipe();
    QSocketNotifier* m_notifier = nullptr;
};

} // namespace nox
