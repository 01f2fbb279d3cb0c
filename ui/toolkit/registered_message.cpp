#include "ui/toolkit/registered_message.h"

#include <QCoreApplication>
#include <map>
#include <mutex>

#include "platform/messages/messages.h"

namespace toolkit {

QEvent::Type RegisteredMessage(const std::string& name) {
    static std::mutex guard;
    static std::map<unsigned, QEvent::Type> types;
    const unsigned number = platform::RegisterMessage(name);
    std::lock_guard lock(guard);
    auto found = types.find(number);
    if (found == types.end()) {
        const int hint =
            number >= QEvent::User && number <= QEvent::MaxUser ? static_cast<int>(number) : -1;
        found =
            types.emplace(number, static_cast<QEvent::Type>(QEvent::registerEventType(hint))).first;
    }
    return found->second;
}

void PostRegisteredMessage(QObject* receiver, const std::string& name) {
    QCoreApplication::postEvent(receiver, new QEvent(RegisteredMessage(name)));
}

}  // namespace toolkit
