#include "ui/toolkit/registered_message.h"

#include <QCoreApplication>
#include <map>
#include <mutex>

namespace toolkit {

QEvent::Type RegisteredMessage(const std::string& name) {
    static std::mutex guard;
    static std::map<std::string, QEvent::Type> types;
    std::lock_guard lock(guard);
    auto found = types.find(name);
    if (found == types.end()) {
        found = types.emplace(name, static_cast<QEvent::Type>(QEvent::registerEventType())).first;
    }
    return found->second;
}

void PostRegisteredMessage(QObject* receiver, const std::string& name) {
    QCoreApplication::postEvent(receiver, new QEvent(RegisteredMessage(name)));
}

}  // namespace toolkit
