#pragma once

#include <cstddef>

namespace platform {

// One file of resources/ as the build embedded it.
struct EmbeddedResource {
    const char* type;
    const char* name;
    const unsigned char* data;
    std::size_t size;
};

// The table of all embedded resources, ended by an entry whose type is null.
const EmbeddedResource* EmbeddedResourceTable();

}  // namespace platform
