#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>

namespace platform {

// An event that stays set until it is reset, however many waits it ends: the creation
// worker waits on two of them after each entry while the user-interface thread sets and
// clears them.
class CManualResetEvent {
public:
    explicit CManualResetEvent(bool initiallySet = false) : m_set(initiallySet) {}

    CManualResetEvent(const CManualResetEvent&) = delete;
    CManualResetEvent& operator=(const CManualResetEvent&) = delete;

    void Set();
    void Reset();
    bool IsSet() const;

    // Returns once the event is set.
    void Wait() const;
    // False when the event was not set within the time.
    bool WaitFor(std::chrono::milliseconds timeout) const;

private:
    friend int WaitForEither(const CManualResetEvent&, const CManualResetEvent&);
    friend int WaitForEither(const CManualResetEvent&, const CManualResetEvent&,
                             std::chrono::milliseconds);

    // Changed only under the shared event lock, so that no waiter misses a change; atomic so
    // that a wait on an event that is set already returns without taking the lock, which
    // the creation worker does after every entry.
    std::atomic<bool> m_set;
};

// Waits until one of the two events is set and tells which: 0 for first, 1 for second.
// When both are set, first wins, so a caller that passes (cancel, continue) never misses a
// cancellation.
int WaitForEither(const CManualResetEvent& first, const CManualResetEvent& second);
// As above, but gives up after the time and returns -1.
int WaitForEither(const CManualResetEvent& first, const CManualResetEvent& second,
                  std::chrono::milliseconds timeout);

}  // namespace platform
