#pragma once

#include <cstddef>
#include <cstdint>

// Whether the header object of an ASF file (data, size bytes from the file's start) is
// sound enough for TagLib: it lies within the file, every object in it (and in its header
// extension) lies within its parent, and no list of metadata entries counts more entries
// than its object can hold. TagLib reads such lists entry by entry without looking at the
// object's end, so a damaged count makes it read on past the end of the file, up to
// 65,535 entries a list, several reads each.
bool IsSoundAsfHeader(const std::uint8_t* data, std::size_t size);

// The size the header object claims, from its first 30 bytes; 0 when they are fewer.
std::uint64_t AsfHeaderSize(const std::uint8_t* data, std::size_t size);
