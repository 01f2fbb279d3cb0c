#include "core/tag_info/asf_header.h"

#include <cstring>

namespace {

// Object GUIDs as stored (the first three fields little-endian).
constexpr std::uint8_t kExtendedContentDescription[16] = {
    0x40, 0xA4, 0xD0, 0xD2, 0x07, 0xE3, 0xD2, 0x11, 0x97, 0xF0, 0x00, 0xA0, 0xC9, 0x5E, 0xA8, 0x50};
constexpr std::uint8_t kHeaderExtension[16] = {0xB5, 0x03, 0xBF, 0x5F, 0x2E, 0xA9, 0xCF, 0x11,
                                               0x8E, 0xE3, 0x00, 0xC0, 0x0C, 0x20, 0x53, 0x65};
constexpr std::uint8_t kMetadata[16] = {0xEA, 0xCB, 0xF8, 0xC5, 0xAF, 0x5B, 0x77, 0x48,
                                        0x84, 0x67, 0xAA, 0x8C, 0x44, 0xFA, 0x4C, 0xCA};
constexpr std::uint8_t kMetadataLibrary[16] = {0x94, 0x1C, 0x23, 0x44, 0x98, 0x94, 0xD1, 0x49,
                                               0xA1, 0x41, 0x1D, 0x13, 0x4E, 0x45, 0x70, 0x54};
constexpr std::uint8_t kCodecList[16] = {0x40, 0x52, 0xD1, 0x86, 0x1D, 0x31, 0xD0, 0x11,
                                         0xA3, 0xA4, 0x00, 0xA0, 0xC9, 0x03, 0x48, 0xF6};

constexpr std::size_t kObjectHeader = 24;  // GUID and 64-bit size

std::uint64_t Little(const std::uint8_t* p, int bytes) {
    std::uint64_t value = 0;
    for (int i = bytes - 1; i >= 0; --i) {
        value = (value << 8) | p[i];
    }
    return value;
}

bool Is(const std::uint8_t* object, const std::uint8_t (&guid)[16]) {
    return std::memcmp(object, guid, 16) == 0;
}

// Whether a list whose count (of countBytes) starts at offset countAt of the object,
// each entry at least entryBytes long, fits into the object's size.
bool ListFits(const std::uint8_t* object, std::uint64_t objectSize, std::size_t countAt,
              int countBytes, std::uint64_t entryBytes) {
    if (countAt + static_cast<std::size_t>(countBytes) > objectSize) {
        return false;
    }
    const std::uint64_t count = Little(object + countAt, countBytes);
    return count <= (objectSize - countAt - static_cast<std::size_t>(countBytes)) / entryBytes;
}

bool IsSoundObjects(const std::uint8_t* data, std::uint64_t size, int depth);

bool IsSoundObject(const std::uint8_t* object, std::uint64_t size, int depth) {
    // Smallest entries: name length, type and value length (2 bytes each) of an extended
    // content descriptor; 12 bytes of fixed fields of a metadata record; 8 of a codec.
    if (Is(object, kExtendedContentDescription)) {
        return ListFits(object, size, kObjectHeader, 2, 6);
    }
    if (Is(object, kMetadata) || Is(object, kMetadataLibrary)) {
        return ListFits(object, size, kObjectHeader, 2, 12);
    }
    if (Is(object, kCodecList)) {
        return ListFits(object, size, kObjectHeader + 16, 4, 8);
    }
    if (Is(object, kHeaderExtension) && depth == 0) {
        // Reserved GUID and word, then the size of the objects that follow.
        constexpr std::size_t kData = kObjectHeader + 16 + 2 + 4;
        if (size < kData || Little(object + kData - 4, 4) > size - kData) {
            return false;
        }
        return IsSoundObjects(object + kData, Little(object + kData - 4, 4), depth + 1);
    }
    return true;
}

bool IsSoundObjects(const std::uint8_t* data, std::uint64_t size, int depth) {
    std::uint64_t at = 0;
    while (at + kObjectHeader <= size) {
        const std::uint64_t objectSize = Little(data + at + 16, 8);
        if (objectSize < kObjectHeader || objectSize > size - at ||
            !IsSoundObject(data + at, objectSize, depth)) {
            return false;
        }
        at += objectSize;
    }
    return true;
}

}  // namespace

std::uint64_t AsfHeaderSize(const std::uint8_t* data, std::size_t size) {
    return size < 30 ? 0 : Little(data + 16, 8);
}

bool IsSoundAsfHeader(const std::uint8_t* data, std::size_t size) {
    // GUID, size, object count (32 bits) and two reserved bytes, then the objects.
    constexpr std::size_t kFirstObject = 30;
    const std::uint64_t headerSize = AsfHeaderSize(data, size);
    if (headerSize < kFirstObject || headerSize > size) {
        return false;
    }
    return IsSoundObjects(data + kFirstObject, headerSize - kFirstObject, 0);
}
