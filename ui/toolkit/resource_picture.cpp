#include "ui/toolkit/resource_picture.h"

#include "platform/resources/resources.h"

namespace toolkit {

QPixmap LoadResourcePixmap(std::string_view type, std::string_view name) {
    QPixmap pixmap;
    if (const auto bytes = platform::FindResource(type, name)) {
        // The format is told by the bytes: icons are PNG files as well.
        pixmap.loadFromData(reinterpret_cast<const uchar*>(bytes->data()),
                            static_cast<uint>(bytes->size()));
    }
    return pixmap;
}

}  // namespace toolkit
