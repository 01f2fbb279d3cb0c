#include "platform/events/events.h"

namespace platform {

namespace {

// All events share one lock and one condition, so that a wait on several events needs no
// registration with each of them. There are only a handful of events and waiters in the
// program, so waking every waiter on each change costs nothing worth saving.
std::mutex& EventLock() {
    static std::mutex lock;
    return lock;
}

std::condition_variable& EventChanged() {
    static std::condition_variable changed;
    return changed;
}

}  // namespace

void CManualResetEvent::Set() {
    {
        std::lock_guard lock(EventLock());
        m_set = true;
    }
    EventChanged().notify_all();
}

void CManualResetEvent::Reset() {
    std::lock_guard lock(EventLock());
    m_set = false;
}

bool CManualResetEvent::IsSet() const {
    return m_set.load(std::memory_order_acquire);
}

void CManualResetEvent::Wait() const {
    std::unique_lock lock(EventLock());
    EventChanged().wait(lock, [this] { return m_set.load(); });
}

bool CManualResetEvent::WaitFor(std::chrono::milliseconds timeout) const {
    std::unique_lock lock(EventLock());
    return EventChanged().wait_for(lock, timeout, [this] { return m_set.load(); });
}

int WaitForEither(const CManualResetEvent& first, const CManualResetEvent& second) {
    // An event set before the wait: no lock needed. First is looked at again after second,
    // so that it wins over second when both were set meanwhile.
    if (first.m_set.load(std::memory_order_acquire)) {
        return 0;
    }
    if (second.m_set.load(std::memory_order_acquire)) {
        return first.m_set.load(std::memory_order_acquire) ? 0 : 1;
    }
    std::unique_lock lock(EventLock());
    EventChanged().wait(lock, [&] { return first.m_set || second.m_set; });
    return first.m_set ? 0 : 1;
}

int WaitForEither(const CManualResetEvent& first, const CManualResetEvent& second,
                  std::chrono::milliseconds timeout) {
    std::unique_lock lock(EventLock());
    if (!EventChanged().wait_for(lock, timeout, [&] { return first.m_set || second.m_set; })) {
        return -1;
    }
    return first.m_set ? 0 : 1;
}

}  // namespace platform
