#include "core/formats/playlist_file_writer.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace {
constexpr std::size_t kBufferSize = 64 * 1024;
}

CPlaylistFileWriter::CPlaylistFileWriter() : m_buffer(kBufferSize) {}

CPlaylistFileWriter::~CPlaylistFileWriter() {
    if (IsOpen()) {
        Close();
    }
}

bool CPlaylistFileWriter::Open(const std::string& path) {
    if (IsOpen()) {
        return false;
    }
    m_failed = false;
    m_error = 0;
    m_used = 0;
    int fd;
    do {
        fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) {
        m_error = errno;
        m_failed = true;
        return false;
    }
    m_fd = fd;
    return true;
}

bool CPlaylistFileWriter::WriteOut(const char* data, std::size_t size) {
    while (size > 0) {
        const ssize_t written = ::write(m_fd, data, size);
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            m_error = errno;
            m_failed = true;
            return false;
        }
        if (written == 0) {
            // No progress and no error: treat as a full device rather than spin.
            m_error = ENOSPC;
            m_failed = true;
            return false;
        }
        data += written;
        size -= static_cast<std::size_t>(written);
    }
    return true;
}

void CPlaylistFileWriter::Append(const char* data, std::size_t size) {
    while (size > 0 && !m_failed) {
        if (m_used == m_buffer.size()) {
            if (!WriteOut(m_buffer.data(), m_used)) {
                return;
            }
            m_used = 0;
        }
        const std::size_t room = m_buffer.size() - m_used;
        const std::size_t chunk = size < room ? size : room;
        std::memcpy(m_buffer.data() + m_used, data, chunk);
        m_used += chunk;
        data += chunk;
        size -= chunk;
    }
}

bool CPlaylistFileWriter::Write(std::string_view text) {
    if (!IsOpen() || m_failed) {
        return false;
    }
    const char* data = text.data();
    std::size_t left = text.size();
    while (left > 0 && !m_failed) {
        const void* found = std::memchr(data, '\n', left);
        if (found == nullptr) {
            Append(data, left);
            break;
        }
        const std::size_t line = static_cast<std::size_t>(static_cast<const char*>(found) - data);
        Append(data, line);
        Append("\r\n", 2);
        data += line + 1;
        left -= line + 1;
    }
    return !m_failed;
}

bool CPlaylistFileWriter::WriteBytesSlowly(std::string_view bytes) {
    if (!IsOpen() || m_failed) {
        return false;
    }
    Append(bytes.data(), bytes.size());
    return !m_failed;
}

bool CPlaylistFileWriter::Flush() {
    if (!IsOpen() || m_failed) {
        return false;
    }
    if (m_used > 0) {
        if (!WriteOut(m_buffer.data(), m_used)) {
            return false;
        }
        m_used = 0;
    }
    return true;
}

bool CPlaylistFileWriter::Close() {
    if (!IsOpen()) {
        return false;
    }
    const bool flushed = Flush();
    // close() is not retried on EINTR: on Linux the descriptor is gone either way.
    const int closed = ::close(m_fd);
    if (closed != 0 && !m_failed) {
        m_error = errno;
        m_failed = true;
    }
    m_fd = -1;
    m_used = 0;
    return flushed && !m_failed;
}

std::string ToFileText(std::string_view text) {
    std::string result;
    result.reserve(text.size());
    for (const char c : text) {
        if (c == '\n') {
            result += '\r';
        }
        result += c;
    }
    return result;
}
