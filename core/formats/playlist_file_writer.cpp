#include "core/formats/playlist_file_writer.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "core/formats/file_replacement.h"

namespace {
constexpr std::size_t kBufferSize = 64 * 1024;
}

CPlaylistFileWriter::CPlaylistFileWriter() : m_buffer(kBufferSize) {}

CPlaylistFileWriter::~CPlaylistFileWriter() {
    if (m_replacement) {
        Discard();
    } else if (IsOpen()) {
        Close();
    }
}

bool CPlaylistFileWriter::Begin(int fd) {
    m_failed = fd < 0;
    m_error = fd < 0 ? m_error : 0;
    m_used = 0;
    m_fd = fd;
    return fd >= 0;
}

bool CPlaylistFileWriter::Open(const std::string& path) {
    if (IsOpen()) {
        return false;
    }
    int fd;
    do {
        fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    } while (fd < 0 && errno == EINTR);
    m_error = fd < 0 ? errno : 0;
    return Begin(fd);
}

bool CPlaylistFileWriter::OpenReplacement(const std::string& path) {
    if (IsOpen()) {
        return false;
    }
    struct stat info {};
    if (::stat(path.c_str(), &info) == 0 && !S_ISREG(info.st_mode) && !S_ISDIR(info.st_mode)) {
        return Open(path);
    }
    auto replacement = std::make_unique<CFileReplacement>();
    if (!replacement->Begin(path)) {
        m_error = replacement->GetErrorNumber();
        return Begin(-1);
    }
    const int fd = replacement->GetDescriptor();
    m_replacement = std::move(replacement);
    return Begin(fd);
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
    if (m_replacement) {
        // The replacement owns the descriptor: it syncs and closes it before the rename.
        if (flushed && !m_replacement->Commit()) {
            m_error = m_replacement->GetErrorNumber();
            m_failed = true;
        }
        m_replacement.reset();  // abandons what was not committed
    } else {
        // close() is not retried on EINTR: on Linux the descriptor is gone either way.
        const int closed = ::close(m_fd);
        if (closed != 0 && !m_failed) {
            m_error = errno;
            m_failed = true;
        }
    }
    m_fd = -1;
    m_used = 0;
    return flushed && !m_failed;
}

void CPlaylistFileWriter::Discard() {
    if (m_replacement) {
        m_replacement.reset();
    } else if (IsOpen()) {
        ::close(m_fd);
    }
    m_fd = -1;
    m_used = 0;
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
