#include "core/tag_info/read_only_stream.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>

namespace {

// The start of the file is kept from the first look on: signatures, headers and most
// tags are there, and TagLib comes back to it several times.
constexpr std::int64_t kHeadBytes = 16 * 1024;
// Other reads are served from windows of whole blocks of this size around them.
constexpr std::int64_t kBlock = 16 * 1024;
// A read this large (a cover picture, a long Vorbis setup header) goes straight into its
// result: keeping it would only copy it twice.
constexpr std::int64_t kDirectRead = 4 * kBlock;

}  // namespace

ReadOnlyStream::ReadOnlyStream(int fd, std::int64_t size, std::string name)
    : m_fd(fd), m_size(std::max<std::int64_t>(size, 0)), m_name(std::move(name)) {
    m_head.resize(static_cast<std::size_t>(std::min(m_size, kHeadBytes)));
    m_head.resize(ReadFromFile(0, m_head.size(), m_head.data()));
}

std::size_t ReadOnlyStream::ReadFromFile(std::int64_t offset, std::size_t length, char* out) {
    std::size_t done = 0;
    while (done < length) {
        const ssize_t got = ::pread(m_fd, out + done, length - done,
                                    static_cast<off_t>(offset + static_cast<std::int64_t>(done)));
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0) {
            m_healthy = false;
            break;
        }
        done += static_cast<std::size_t>(got);
    }
    return done;
}

std::size_t ReadOnlyStream::Copy(std::int64_t offset, std::size_t length, char* out) {
    if (offset < 0 || offset >= m_size || length == 0) {
        return 0;
    }
    length = static_cast<std::size_t>(
        std::min<std::int64_t>(static_cast<std::int64_t>(length), m_size - offset));
    const std::int64_t end = offset + static_cast<std::int64_t>(length);
    if (end <= static_cast<std::int64_t>(m_head.size())) {
        std::copy_n(m_head.data() + offset, length, out);
        return length;
    }
    if (static_cast<std::int64_t>(length) >= kDirectRead) {
        return ReadFromFile(offset, length, out);
    }
    const auto windowEnd = m_windowStart + static_cast<std::int64_t>(m_window.size());
    if (offset < m_windowStart || end > windowEnd) {
        m_windowStart = offset / kBlock * kBlock;
        const std::int64_t last = std::min(m_size, (end + kBlock - 1) / kBlock * kBlock);
        m_window.resize(static_cast<std::size_t>(last - m_windowStart));
        m_window.resize(ReadFromFile(m_windowStart, m_window.size(), m_window.data()));
        if (end > m_windowStart + static_cast<std::int64_t>(m_window.size())) {
            // The file ended early: give what there is.
            const std::int64_t have = std::max<std::int64_t>(
                0, m_windowStart + static_cast<std::int64_t>(m_window.size()) - offset);
            std::copy_n(m_window.data() + (offset - m_windowStart), have, out);
            return static_cast<std::size_t>(have);
        }
    }
    std::copy_n(m_window.data() + (offset - m_windowStart), length, out);
    return length;
}

std::vector<std::uint8_t> ReadOnlyStream::ReadAt(std::int64_t offset, std::size_t length) {
    std::vector<std::uint8_t> data(length);
    data.resize(Copy(offset, length, reinterpret_cast<char*>(data.data())));
    return data;
}

TagLib::ByteVector ReadOnlyStream::readBlock(unsigned long length) {
    // A damaged count makes TagLib read on past the end, hundreds of thousands of times
    // for an ASF file: those reads must cost nothing.
    if (length == 0 || m_position >= m_size) {
        return TagLib::ByteVector();
    }
    // A damaged size field asks for gigabytes: never more than the file still holds.
    const auto wanted = static_cast<unsigned int>(std::min<std::int64_t>(
        static_cast<std::int64_t>(std::min<unsigned long>(length, 0x7FFFFFFFul)),
        m_size - m_position));
    TagLib::ByteVector data(wanted, '\0');
    const std::size_t got = Copy(m_position, wanted, data.data());
    data.resize(static_cast<unsigned int>(got));
    m_position += static_cast<std::int64_t>(got);
    return data;
}

void ReadOnlyStream::seek(long offset, Position position) {
    std::int64_t base = 0;
    if (position == Current) {
        base = m_position;
    } else if (position == End) {
        base = m_size;
    }
    m_position = std::max<std::int64_t>(0, base + offset);
}

// Nothing is ever written: TagLib is only asked to read, and a file opened for reading
// stays as it was whatever TagLib would do.
void ReadOnlyStream::writeBlock(const TagLib::ByteVector&) {}
void ReadOnlyStream::insert(const TagLib::ByteVector&, unsigned long, unsigned long) {}
void ReadOnlyStream::removeBlock(unsigned long, unsigned long) {}
void ReadOnlyStream::truncate(long) {}
