#pragma once

#include <QPixmap>
#include <string_view>

namespace toolkit {

// A picture of the embedded resources of the given type ("PNG" or "ICON") and name; a null
// pixmap when there is none or its bytes are no picture.
QPixmap LoadResourcePixmap(std::string_view type, std::string_view name);

}  // namespace toolkit
