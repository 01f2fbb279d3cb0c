#pragma once

#include <cstring>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

class CFileReplacement;

// Writes a playlist file the way playlist players expect it: every "\n" of the text becomes
// CR LF, nothing else is changed, no byte-order mark. Output is buffered; every failure
// (open, write, flush, close) is reported as false, and once anything failed every later
// call fails too, Close included, so a caller that checks only Close still learns of a lost
// write.
//
// Open writes into the file itself, created or truncated. OpenReplacement leaves the file
// as it is until Close, which puts the complete new file in its place at once (see
// CFileReplacement); Discard, or destroying the writer before Close, leaves it untouched.
class CPlaylistFileWriter {
public:
    CPlaylistFileWriter();
    // Closes a file that is still open (a failure at that point can no longer be reported);
    // a replacement that was not closed is discarded.
    ~CPlaylistFileWriter();

    CPlaylistFileWriter(const CPlaylistFileWriter&) = delete;
    CPlaylistFileWriter& operator=(const CPlaylistFileWriter&) = delete;

    // False when the file cannot be opened for writing or a file is already open.
    bool Open(const std::string& path);
    // Opens a replacement of the file at path. Where path names no regular file but a
    // device or a pipe, which cannot be replaced, this writes into it as Open does. False
    // when the replacement cannot be begun (see CFileReplacement::Begin) or a file is open.
    bool OpenReplacement(const std::string& path);
    bool IsOpen() const { return m_fd >= 0; }
    // Appends the text with CR LF line ends. False when no file is open or writing failed.
    bool Write(std::string_view text);
    // Appends the bytes as they are, for text whose line ends are CR LF already (pieces
    // made once with ToFileText): the entries of a large playlist are written this way,
    // without a search for line ends. False when no file is open or writing failed.
    bool WriteBytes(std::string_view bytes) {
        if (bytes.size() <= m_buffer.size() - m_used && IsOpen() && !m_failed) {
            CopySmall(m_buffer.data() + m_used, bytes.data(), bytes.size());
            m_used += bytes.size();
            return true;
        }
        return WriteBytesSlowly(bytes);
    }
    // Hands the buffered bytes to the system.
    bool Flush();
    // Flushes and closes; a replacement then takes the file's place. True only when
    // everything since Open reached the file (and, for a replacement, the file's name).
    bool Close();
    // Closes without finishing: a replacement's temporary file is removed and the file keeps
    // what it held before. A file opened with Open keeps what reached it.
    void Discard();
    // The system error number of the first failure since Open, 0 when none.
    int GetErrorNumber() const { return m_error; }

private:
    // memcpy for the short pieces of an entry without a call: two overlapping moves of a
    // fixed size cover every length up to twice that size.
    static void CopySmall(char* to, const char* from, std::size_t size) {
        if (size >= 8 && size <= 16) {
            char head[8], tail[8];
            std::memcpy(head, from, 8);
            std::memcpy(tail, from + size - 8, 8);
            std::memcpy(to, head, 8);
            std::memcpy(to + size - 8, tail, 8);
        } else if (size >= 4 && size < 8) {
            char head[4], tail[4];
            std::memcpy(head, from, 4);
            std::memcpy(tail, from + size - 4, 4);
            std::memcpy(to, head, 4);
            std::memcpy(to + size - 4, tail, 4);
        } else if (size < 4) {
            for (std::size_t i = 0; i < size; ++i) {
                to[i] = from[i];
            }
        } else {
            std::memcpy(to, from, size);
        }
    }
    bool WriteBytesSlowly(std::string_view bytes);
    void Append(const char* data, std::size_t size);
    bool WriteOut(const char* data, std::size_t size);

    bool Begin(int fd);

    int m_fd = -1;
    int m_error = 0;
    std::unique_ptr<CFileReplacement> m_replacement;
    bool m_failed = false;
    std::vector<char> m_buffer;
    std::size_t m_used = 0;
};

// The text as Write puts it into the file: every "\n" made CR LF.
std::string ToFileText(std::string_view text);
