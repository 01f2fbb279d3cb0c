#include "platform/resources/resources.h"

#include "platform/code_page/code_page.h"
#include "platform/resources/embedded_resource.h"

namespace platform {

std::optional<std::string_view> FindResource(std::string_view type, std::string_view name) {
    for (const EmbeddedResource* r = EmbeddedResourceTable(); r->type != nullptr; ++r) {
        if (EqualsIgnoringAsciiCase(r->type, type) && EqualsIgnoringAsciiCase(r->name, name)) {
            return std::string_view(reinterpret_cast<const char*>(r->data), r->size);
        }
    }
    return std::nullopt;
}

}  // namespace platform
