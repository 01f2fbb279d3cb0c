#pragma once

#include <QEvent>
#include <string>

namespace toolkit {

// A message named "UWM_<purpose>-{GUID}" stands for one Qt event type, the same for every
// caller within the process; a posted message is a posted event of that type. The type is
// the message's registered number wherever Qt has that number free, so code that only knows
// the number (platform::RegisterMessage) and the windows agree.
QEvent::Type RegisteredMessage(const std::string& name);

// Posts the message to receiver; it arrives after the current command has finished.
void PostRegisteredMessage(QObject* receiver, const std::string& name);

}  // namespace toolkit
