#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

using Bytes = std::vector<std::uint8_t>;

// Reads byte ranges of an open MP3 file, each byte at most once where it counts: the start
// of the file (where the tags and the first frames are) grows as far as the reading goes
// and is kept, and so is the end (where the ID3v1, Lyrics3 and APE tags are); only other
// ranges are read from the file each time. Ranges beyond the end come back short.
class CMp3FileReader {
public:
    CMp3FileReader(int fd, std::int64_t size);

    std::int64_t Size() const { return m_size; }
    // False when a read failed (an I/O error, a file that shrank while being read).
    bool Healthy() const { return m_healthy; }

    Bytes Read(std::int64_t offset, std::int64_t length);

private:
    Bytes ReadFromFile(std::int64_t offset, std::int64_t length);
    // Makes the kept start of the file reach end.
    void GrowHead(std::int64_t end);

    int m_fd;
    std::int64_t m_size;
    Bytes m_head;
    Bytes m_tail;
    std::int64_t m_tailStart = 0;
    bool m_healthy = true;
};

// Closes a file descriptor when it goes out of scope.
struct FileDescriptor {
    int fd = -1;
    ~FileDescriptor();
};

std::uint32_t BigEndian32(const std::uint8_t* p);
std::uint32_t LittleEndian32(const std::uint8_t* p);
// Whether data holds magic at at.
bool StartsWith(const Bytes& data, std::size_t at, std::string_view magic);
