#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include <taglib/tiostream.h>

// TagLib's view of a file that was opened and checked already: it reads through that
// descriptor (so the file cannot be swapped for another between the check and the
// reading) and never writes. TagLib reads in many small pieces (box, chunk and page
// headers, a kilobyte at a time backwards from the end); the start of the file and one
// window elsewhere are kept in memory, so that those pieces cost one read each.
class ReadOnlyStream : public TagLib::IOStream {
public:
    // fd stays owned by the caller and must stay open while the stream is used.
    ReadOnlyStream(int fd, std::int64_t size, std::string name);

    // The bytes from offset on, at most length of them; fewer at the end of the file.
    std::vector<std::uint8_t> ReadAt(std::int64_t offset, std::size_t length);
    // False once a read failed (an I/O error, or a file that shrank while being read).
    bool Healthy() const { return m_healthy; }

    TagLib::FileName name() const override { return m_name.c_str(); }
    TagLib::ByteVector readBlock(unsigned long length) override;
    void writeBlock(const TagLib::ByteVector& data) override;
    void insert(const TagLib::ByteVector& data, unsigned long start,
                unsigned long replace) override;
    void removeBlock(unsigned long start, unsigned long length) override;
    bool readOnly() const override { return true; }
    bool isOpen() const override { return true; }
    void seek(long offset, Position position) override;
    long tell() const override { return static_cast<long>(m_position); }
    long length() override { return static_cast<long>(m_size); }
    void truncate(long length) override;

private:
    // Copies [offset, offset + length) of the file, clipped to its end, to out.
    std::size_t Copy(std::int64_t offset, std::size_t length, char* out);
    std::size_t ReadFromFile(std::int64_t offset, std::size_t length, char* out);

    int m_fd;
    std::int64_t m_size;
    std::string m_name;
    std::int64_t m_position = 0;
    std::vector<char> m_head;
    std::vector<char> m_window;
    std::int64_t m_windowStart = 0;
    bool m_healthy = true;
};
