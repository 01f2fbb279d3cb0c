#pragma once

#include <string>
#include <string_view>
#include <vector>

// Writes a playlist file the way playlist players expect it: every "\n" of the text becomes
// CR LF, nothing else is changed, no byte-order mark. Opening creates the file or truncates
// an existing one. Output is buffered; every failure (open, write, flush, close) is reported
// as false, and once anything failed every later call fails too, Close included, so a
// caller that checks only Close still learns of a lost write.
class CPlaylistFileWriter {
public:
    CPlaylistFileWriter();
    // Closes a file that is still open; a failure at that point can no longer be reported.
    ~CPlaylistFileWriter();

    CPlaylistFileWriter(const CPlaylistFileWriter&) = delete;
    CPlaylistFileWriter& operator=(const CPlaylistFileWriter&) = delete;

    // False when the file cannot be opened for writing or a file is already open.
    bool Open(const std::string& path);
    bool IsOpen() const { return m_fd >= 0; }
    // Appends the text with CR LF line ends. False when no file is open or writing failed.
    bool Write(std::string_view text);
    // Hands the buffered bytes to the system.
    bool Flush();
    // Flushes and closes. True only when everything since Open reached the file.
    bool Close();
    // The system error number of the first failure since Open, 0 when none.
    int GetErrorNumber() const { return m_error; }

private:
    void Append(const char* data, std::size_t size);
    bool WriteOut(const char* data, std::size_t size);

    int m_fd = -1;
    int m_error = 0;
    bool m_failed = false;
    std::vector<char> m_buffer;
    std::size_t m_used = 0;
};
