#include "platform/messages/messages.h"

#include <map>

namespace platform {

namespace {
constexpr unsigned kFirstRegisteredMessage = 0xC000;
constexpr unsigned kLastRegisteredMessage = 0xFFFF;

std::string AsciiLower(const std::string& text) {
    std::string result = text;
    for (char& c : result) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return result;
}
}  // namespace

unsigned RegisterMessage(const std::string& name) {
    if (name.empty()) {
        return 0;
    }
    static std::mutex lock;
    static std::map<std::string, unsigned> numbers;
    std::lock_guard guard(lock);
    const std::string key = AsciiLower(name);
    const auto found = numbers.find(key);
    if (found != numbers.end()) {
        return found->second;
    }
    const unsigned number = kFirstRegisteredMessage + static_cast<unsigned>(numbers.size());
    if (number > kLastRegisteredMessage) {
        return 0;
    }
    numbers.emplace(key, number);
    return number;
}

void RecordingMessageTarget::Post(CMessage message) {
    const PostedMessage posted{message.GetNumber(), message.GetWParam(), message.GetLParam(),
                               message.TakeText()};
    if (m_hook) {
        m_hook(posted);
    }
    {
        std::lock_guard guard(m_lock);
        m_messages.push_back(posted);
    }
    m_arrived.notify_all();
}

std::vector<PostedMessage> RecordingMessageTarget::GetMessages() const {
    std::lock_guard guard(m_lock);
    return m_messages;
}

std::size_t RecordingMessageTarget::GetCount() const {
    std::lock_guard guard(m_lock);
    return m_messages.size();
}

std::vector<PostedMessage> RecordingMessageTarget::GetMessages(unsigned message) const {
    std::lock_guard guard(m_lock);
    std::vector<PostedMessage> result;
    for (const PostedMessage& posted : m_messages) {
        if (posted.message == message) {
            result.push_back(posted);
        }
    }
    return result;
}

bool RecordingMessageTarget::WaitForCount(std::size_t count,
                                          std::chrono::milliseconds timeout) const {
    std::unique_lock guard(m_lock);
    return m_arrived.wait_for(guard, timeout, [&] { return m_messages.size() >= count; });
}

void RecordingMessageTarget::Clear() {
    std::lock_guard guard(m_lock);
    m_messages.clear();
}

}  // namespace platform
