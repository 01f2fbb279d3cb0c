#include "core/mp3_info/mp3_file_reader.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace {

// The first read: the ID3v2 tag of nearly every file and the audio right behind it.
constexpr std::int64_t kHead = 16 * 1024;
// The last read: ID3v1 (128 bytes), a Lyrics3 end and an APE footer.
constexpr std::int64_t kTail = 512;
// How far the kept start may grow: the frame search window behind a large tag. Longer
// ranges (the frame walk) are read and not kept.
constexpr std::int64_t kMostHead = 128 * 1024;

void Append(Bytes& to, const Bytes& from, std::int64_t offset, std::int64_t length) {
    to.insert(to.end(), from.begin() + static_cast<std::ptrdiff_t>(offset),
              from.begin() + static_cast<std::ptrdiff_t>(offset + length));
}

}  // namespace

CMp3FileReader::CMp3FileReader(int fd, std::int64_t size) : m_fd(fd), m_size(size) {
    m_head = ReadFromFile(0, std::min(size, kHead));
    // Room for the frame search behind a tag of usual size, so growing copies nothing.
    m_head.reserve(static_cast<std::size_t>(std::min(size, 2 * kHead + 1024)));
    m_tailStart = std::max(size - kTail, static_cast<std::int64_t>(m_head.size()));
    m_tail = ReadFromFile(m_tailStart, size - m_tailStart);
}

Bytes CMp3FileReader::Read(std::int64_t offset, std::int64_t length) {
    if (offset < 0 || offset >= m_size || length <= 0) {
        return {};
    }
    const std::int64_t end = offset + std::min(length, m_size - offset);
    if (end > static_cast<std::int64_t>(m_head.size()) && end <= kMostHead &&
        offset <= static_cast<std::int64_t>(m_head.size())) {
        GrowHead(end);
    }
    Bytes data;
    data.reserve(static_cast<std::size_t>(end - offset));
    std::int64_t at = offset;
    const auto headSize = static_cast<std::int64_t>(m_head.size());
    if (at < headSize) {
        const std::int64_t upTo = std::min(end, headSize);
        Append(data, m_head, at, upTo - at);
        at = upTo;
    }
    if (const std::int64_t upTo = std::min(end, m_tailStart); at < upTo) {
        const Bytes middle = ReadFromFile(at, upTo - at);
        data.insert(data.end(), middle.begin(), middle.end());
        if (static_cast<std::int64_t>(middle.size()) < upTo - at) {
            return data;
        }
        at = upTo;
    }
    if (at < end) {
        Append(data, m_tail, at - m_tailStart, end - at);
    }
    return data;
}

void CMp3FileReader::GrowHead(std::int64_t end) {
    const auto have = static_cast<std::int64_t>(m_head.size());
    if (const std::int64_t upTo = std::min(end, m_tailStart); have < upTo) {
        const Bytes more = ReadFromFile(have, upTo - have);
        m_head.insert(m_head.end(), more.begin(), more.end());
        if (static_cast<std::int64_t>(more.size()) < upTo - have) {
            return;
        }
    }
    // What lies in the kept end already comes from there.
    if (const auto grown = static_cast<std::int64_t>(m_head.size()); grown < end) {
        Append(m_head, m_tail, grown - m_tailStart, end - grown);
    }
}

Bytes CMp3FileReader::ReadFromFile(std::int64_t offset, std::int64_t length) {
    Bytes data(static_cast<std::size_t>(std::max<std::int64_t>(length, 0)));
    std::size_t done = 0;
    while (done < data.size()) {
        const ssize_t got = ::pread(m_fd, data.data() + done, data.size() - done,
                                    static_cast<off_t>(offset) + static_cast<off_t>(done));
        if (got <= 0) {
            if (got < 0 && errno == EINTR) {
                continue;
            }
            m_healthy = false;
            break;
        }
        done += static_cast<std::size_t>(got);
    }
    data.resize(done);
    return data;
}

FileDescriptor::~FileDescriptor() {
    if (fd >= 0) {
        ::close(fd);
    }
}

std::uint32_t BigEndian32(const std::uint8_t* p) {
    return (std::uint32_t{p[0]} << 24) | (std::uint32_t{p[1]} << 16) | (std::uint32_t{p[2]} << 8) |
           p[3];
}

std::uint32_t LittleEndian32(const std::uint8_t* p) {
    return (std::uint32_t{p[3]} << 24) | (std::uint32_t{p[2]} << 16) | (std::uint32_t{p[1]} << 8) |
           p[0];
}

bool StartsWith(const Bytes& data, std::size_t at, std::string_view magic) {
    return at + magic.size() <= data.size() &&
           std::memcmp(data.data() + at, magic.data(), magic.size()) == 0;
}
