// Event object with manual or automatic reset, over a mutex and a
// condition variable.
#pragma once

#include <condition_variable>
#include <mutex>

class CTeskEvent
{
public:
    // bManualReset: stays signalled until Reset; otherwise one waiter
    // consumes the signal.
    explicit CTeskEvent(bool bManualReset, bool bInitialState = false)
        : m_bManualReset(bManualReset), m_bSignalled(bInitialState)
    {
    }
    CTeskEvent(const CTeskEvent&) = delete;
    CTeskEvent& operator=(const CTeskEvent&) = delete;

    // Notifies while holding the mutex: a waiter that wakes may destroy the
    // event at once (an event on the waiter's stack), so Set must be done
    // with the event before any waiter can return.
    void Set()
    {
        std::lock_guard lock(m_Mutex);
        m_bSignalled = true;
        if (m_bManualReset) {
            m_Cond.notify_all();
        } else {
            m_Cond.notify_one();
        }
    }

    void Reset()
    {
        std::lock_guard lock(m_Mutex);
        m_bSignalled = false;
    }

    bool IsSet() const
    {
        std::lock_guard lock(m_Mutex);
        return m_bSignalled;
    }

    // True when signalled within nTimeoutMs (negative: wait forever).
    bool Wait(long nTimeoutMs)
    {
        std::unique_lock lock(m_Mutex);
        auto signalled = [this] { return m_bSignalled; };
        if (nTimeoutMs < 0) {
            m_Cond.wait(lock, signalled);
        } else if (!m_Cond.wait_for(lock, std::chrono::milliseconds(nTimeoutMs), signalled)) {
            return false;
        }
        if (!m_bManualReset) {
            m_bSignalled = false;
        }
        return true;
    }

private:
    const bool m_bManualReset;
    bool m_bSignalled;
    mutable std::mutex m_Mutex;
    std::condition_variable m_Cond;
};
