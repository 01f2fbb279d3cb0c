#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

namespace platform {

// The number of a registered message, "UWM_<purpose>-{GUID}": the same for every call with
// that name within the process, different for different names, and in the range 0xC000 to
// 0xFFFF that such messages have always used. Names compare without regard to ASCII letter
// case, as the names of registered messages always have. 0 for an empty name or when the
// range is used up. Safe to call from any thread.
unsigned RegisterMessage(const std::string& name);

// One posted message: its registered number, its two parameters and, for a message that
// carries one, a text that belongs to the message. A message is moved from the poster to the
// receiver, never copied, and its text goes with it when it is destroyed: whichever path
// drops a message (a superseded progress text, a window that is gone) frees the text once.
class CMessage {
public:
    CMessage(unsigned number, std::uintptr_t wParam, std::intptr_t lParam, std::string text = {})
        : m_number(number), m_wParam(wParam), m_lParam(lParam), m_text(std::move(text)) {}
    CMessage(CMessage&&) noexcept = default;
    CMessage& operator=(CMessage&&) noexcept = default;
    CMessage(const CMessage&) = delete;
    CMessage& operator=(const CMessage&) = delete;
    ~CMessage() = default;

    unsigned GetNumber() const { return m_number; }
    std::uintptr_t GetWParam() const { return m_wParam; }
    std::intptr_t GetLParam() const { return m_lParam; }
    const std::string& GetText() const { return m_text; }
    // Moves the text out of the message, which keeps an empty one.
    std::string TakeText() { return std::exchange(m_text, std::string()); }

private:
    unsigned m_number;
    std::uintptr_t m_wParam;
    std::intptr_t m_lParam;
    std::string m_text;
};

// Something that accepts posted messages: the call returns at once and the receiver handles
// the message later on its own thread. What wParam and lParam carry is part of each
// message's contract; a text travels inside the message, never behind lParam.
class IMessageTarget {
public:
    virtual ~IMessageTarget() = default;
    virtual void Post(CMessage message) = 0;
    // A message without a text.
    void PostMessage(unsigned message, std::uintptr_t wParam, std::intptr_t lParam) {
        Post(CMessage(message, wParam, lParam));
    }
};

// What a recording target keeps of a message: a copy that tests can compare and keep.
struct PostedMessage {
    unsigned message;
    std::uintptr_t wParam;
    std::intptr_t lParam;
    std::string text;
};

// Keeps every posted message, in order, for tests. Posting and reading may happen on
// different threads.
class RecordingMessageTarget : public IMessageTarget {
public:
    // Called on the posting thread for each message before anyone can see it recorded,
    // e.g. to look at the order of events as the poster sees it.
    using Hook = std::function<void(const PostedMessage&)>;

    RecordingMessageTarget() = default;
    explicit RecordingMessageTarget(Hook hook) : m_hook(std::move(hook)) {}

    void Post(CMessage message) override;

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
