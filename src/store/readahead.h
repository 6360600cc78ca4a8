#pragma once
// ReadAhead: a thread of the schedule book that reads days into its memory
// before they are asked for (the days a step of a view would show next), so
// that the step reads no file. Only the latest request counts: a new one
// replaces what is left of the one before. Reading is all it does; what it
// reads is checked against its file at every later use like any other read,
// so it never hands out a day older than its file.
//
// The thread starts with the first request (none at start-up) and is joined
// by the destructor, after the day being read.
#include <QDate>
#include <QList>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

namespace nox
{

class ReadAhead
{
public:
    // `read` is called on the thread, one day at a time; it must be
    // thread-safe and outlive this object.
    explicit ReadAhead(std::function<void(const QDate&)> read) : m_read(std::move(read)) {}
    ~ReadAhead();
    ReadAhead(const ReadAhead&) = delete;
    ReadAhead& operator=(const ReadAhead&) = delete;

    // The days to read, in this order. Returns at once.
    void request(QList<QDate> dates);
    // Blocks until no day is left to read (tests).
    void waitUntilIdle();

private:
    void run();

    std::function<void(const QDate&)> m_read;
    std::mutex m_lock;
    std::condition_variable m_changed;
    QList<QDate> m_pending; // guarded by m_lock
    bool m_busy = false;    // a day is being read
    bool m_stop = false;
    std::thread m_thread;
};

} // namespace nox
