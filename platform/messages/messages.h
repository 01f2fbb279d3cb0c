#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

namespace platform {

// The number of a registered message, "UWM_<purpose>-{GUID}": the same for every call with
// that name within the process, different for different names, and in the range 0xC000 to
// 0xFFFF that such messages have always used. Names compare without regard to ASCII letter
// case, as the names of registered messages always have. 0 for an empty name or when the
// range is used up. Safe to call from any thread.
unsigned RegisterMessage(const std::string& name);

// Something that accepts posted messages: the call returns at once and the receiver handles
// the message later on its own thread. What wParam and lParam carry is part of each
// message's contract (including who frees what lParam points to).
class IMessageTarget {
public:
    virtual ~IMessageTarget() = default;
    virtual void PostMessage(unsigned message, std::uintptr_t wParam, std::intptr_t lParam) = 0;
};

struct PostedMessage {
    unsigned message;
    std::uintptr_t wParam;
    std::intptr_t lParam;
};

// Keeps every posted message, in order, for tests. Posting and reading may happen on
// different threads.
class RecordingMessageTarget : public IMessageTarget {
public:
    // Called on the posting thread for each message before anyone can see it recorded,
    // e.g. to take ownership of what lParam points to.
    using Hook = std::function<void(const PostedMessage&)>;

    RecordingMessageTarget() = default;
    explicit RecordingMessageTarget(Hook hook) : m_hook(std::move(hook)) {}

    void PostMessage(unsigned message, std::uintptr_t wParam, std::intptr_t lParam) override;

    std::vector<PostedMessage> GetMessages() const;
    std::size_t GetCount() const;
    // The posted messages with this number, in order.
    std::vector<PostedMessage> GetMessages(unsigned message) const;
    // Waits until at least count messages have arrived; false when the time ran out first.
    bool WaitForCount(std::size_t count, std::chrono::milliseconds timeout) const;
    void Clear();

private:
    Hook m_hook;
    mutable std::mutex m_lock;
    mutable std::condition_variable m_arrived;
    std::vector<PostedMessage> m_messages;
};

}  // namespace platform
