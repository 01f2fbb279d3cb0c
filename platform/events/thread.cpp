#include "platform/events/thread.h"

#include <system_error>

namespace Wendmark {

CThread::~CThread() {
    if (m_thread.joinable()) {
        m_stopRequested = true;
        m_cancel.Set();
        m_thread.join();
    }
}

bool CThread::Start() {
    if (m_thread.joinable()) {
        if (!m_finished.IsSet()) {
            return false;
        }
        Collect();
    }
    m_stopRequested = false;
    m_finished.Reset();
    m_running = true;
    try {
        m_thread = std::thread(&CThread::Entry, this);
    } catch (const std::system_error&) {
        m_running = false;
        m_finished.Set();
        return false;
    }
    return true;
}

void CThread::Entry() {
    int result = -1;
    try {
        result = Run();
    } catch (...) {
        // Nothing may leave a thread body; a failed Run reports -1.
    }
    m_result = result;
    m_running = false;
    m_finished.Set();
}

void CThread::Collect() {
    if (m_thread.joinable()) {
        m_thread.join();
    }
}

int CThread::Wait() {
    Collect();
    return m_result;
}

bool CThread::WaitFor(std::chrono::milliseconds timeout) {
    if (!m_thread.joinable()) {
        return true;
    }
    if (!m_finished.WaitFor(timeout)) {
        return false;
    }
    Collect();
    return true;
}

bool CThread::Stop(std::chrono::milliseconds timeout) {
    m_stopRequested = true;
    if (!m_thread.joinable()) {
        return true;
    }
    m_cancel.Set();
    return WaitFor(timeout);
}

}  // namespace Wendmark
