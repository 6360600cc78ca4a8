#include "store/readahead.h"

namespace nox
{

ReadAhead::~ReadAhead()
{
    {
        const std::lock_guard locker(m_lock);
        m_stop = true;
        m_pending.clear();
    }
    m_changed.notify_all();
    if (m_thread.joinable()) {
        m_thread.join();
    }
}

void ReadAhead::request(QList<QDate> dates)
{
    {
        const std::lock_guard locker(m_lock);
        m_pending = std::move(dates);
        if (!m_thread.joinable() && !m_pending.isEmpty()) {
            m_thread = std::thread([this] { run(); });
        }
    }
    m_changed.notify_all();
}

void ReadAhead::waitUntilIdle()
{
    std::unique_lock locker(m_lock);
    m_changed.wait(locker, [this] { return m_stop || (m_pending.isEmpty() && !m_busy); });
}

void ReadAhead::run()
{
    std::unique_lock locker(m_lock);
    for (;;) {
        m_changed.wait(locker, [this] { return m_stop || !m_pending.isEmpty(); });
        if (m_stop) {
            return;
        }
        const QDate date = m_pending.takeFirst();
        m_busy = true;
        locker.unlock();
        m_read(date);
        locker.lock();
        m_busy = false;
        m_changed.notify_all();
    }
}

} // namespace nox
