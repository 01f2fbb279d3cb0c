#pragma once

#include <atomic>
#include <chrono>
#include <thread>

#include "platform/events/events.h"

namespace Wendmark {

// A worker thread owned by an object: the object derives from CThread and puts the thread's
// work into Run. Besides the thread it carries the two events the creation job checks
// after each entry: the cancel event (starts clear) and the continue event (starts set;
// the user-interface thread clears it to pause the job and sets it to let it go on).
//
// Run belongs to the derived object, so the derived class must end the thread (Stop or
// Wait) in its own destructor; the destructor here only makes sure no thread outlives the
// object.
class CThread {
public:
    CThread() = default;
    virtual ~CThread();

    CThread(const CThread&) = delete;
    CThread& operator=(const CThread&) = delete;

    // Starts Run on a new thread. False when a thread of this object is still running or
    // no thread can be created. A finished earlier thread is collected first.
    bool Start();

    // From Start until Run has returned.
    bool IsRunning() const { return m_running.load(); }
    // Set by Stop, cleared by Start.
    bool IsStopRequested() const { return m_stopRequested.load(); }

    // Waits until Run has returned and gives its result (-1 when no Run has finished).
    int Wait();
    // Waits at most the time; true when the thread has ended (its result is then GetResult).
    bool WaitFor(std::chrono::milliseconds timeout);
    // Asks the thread to end (stop requested and the cancel event) and waits at most the
    // time. False when it is still running: the thread is kept, never abandoned, because it
    // still uses this object.
    bool Stop(std::chrono::milliseconds timeout = std::chrono::milliseconds(3000));
    // What the last finished Run returned; -1 before any.
    int GetResult() const { return m_result.load(); }

    platform::CManualResetEvent& CancelEvent() { return m_cancel; }
    platform::CManualResetEvent& ContinueEvent() { return m_continue; }

protected:
    // The thread body; its result is handed to Wait.
    virtual int Run() = 0;

private:
    void Entry();
    void Collect();

    std::thread m_thread;
    std::atomic<bool> m_running{false};
    std::atomic<bool> m_stopRequested{false};
    std::atomic<int> m_result{-1};
    platform::CManualResetEvent m_finished{false};
    platform::CManualResetEvent m_cancel{false};
    platform::CManualResetEvent m_continue{true};
};

}  // namespace Wendmark
