#include "core/tag_info/read_only_stream.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <random>
#include <string>

#include "tests/support/file_bytes.h"
#include "tests/support/temp_folder.h"

namespace {

class ReadOnlyStreamTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::mt19937 random(5);
        m_content.resize(300 * 1024 + 17);
        for (char& c : m_content) {
            c = static_cast<char>(random());
        }
        m_path = m_folder.File("data.bin", m_content);
        m_fd = ::open(m_path.c_str(), O_RDONLY);
        ASSERT_GE(m_fd, 0);
    }
    void TearDown() override { ::close(m_fd); }

    std::string Expected(long offset, long length) const {
        const long size = static_cast<long>(m_content.size());
        if (offset >= size) {
            return {};
        }
        return m_content.substr(static_cast<std::size_t>(offset),
                                static_cast<std::size_t>(std::min(length, size - offset)));
    }

    TempFolder m_folder;
    std::string m_content;
    std::string m_path;
    int m_fd = -1;
};

std::string Text(const TagLib::ByteVector& data) {
    return std::string(data.data(), data.size());
}

// Reads as TagLib makes them (small headers forwards, kilobytes backwards from the end,
// large blocks, jumps back to the start) give the file's bytes, whichever of the kept
// pieces of the file serves them.
TEST_F(ReadOnlyStreamTest, EveryReadGivesTheFilesBytes) {
    ReadOnlyStream stream(m_fd, static_cast<std::int64_t>(m_content.size()), m_path);
    const long size = static_cast<long>(m_content.size());
    EXPECT_EQ(stream.length(), size);
    std::mt19937 random(11);
    for (int i = 0; i < 3000; ++i) {
        const long offset = static_cast<long>(random() % (m_content.size() + 2000));
        static const unsigned long kLengths[] = {1, 4, 8, 27, 1024, 16384, 16385, 70000, 200000};
        const unsigned long length = kLengths[random() % 9];
        switch (random() % 3) {
            case 0:
                stream.seek(offset, TagLib::IOStream::Beginning);
                break;
            case 1:
                stream.seek(offset - size, TagLib::IOStream::End);
                break;
            default:
                stream.seek(0, TagLib::IOStream::Beginning);
                stream.seek(offset, TagLib::IOStream::Current);
                break;
        }
        ASSERT_EQ(stream.tell(), offset);
        const std::string got = Text(stream.readBlock(length));
        ASSERT_EQ(got, Expected(offset, static_cast<long>(length)))
            << "offset " << offset << " length " << length;
        ASSERT_EQ(stream.tell(), offset + static_cast<long>(got.size()));
    }
    EXPECT_TRUE(stream.Healthy());
}

TEST_F(ReadOnlyStreamTest, ReadsStayWithinTheFileAndNeverWrite) {
    ReadOnlyStream stream(m_fd, static_cast<std::int64_t>(m_content.size()), m_path);
    // A damaged size field asks for gigabytes: the rest of the file comes back.
    stream.seek(-100, TagLib::IOStream::End);
    EXPECT_EQ(stream.readBlock(0xFFFFFFFFul).size(), 100u);
    EXPECT_TRUE(stream.readBlock(10).isEmpty());
    // Before the start is the start.
    stream.seek(-5, TagLib::IOStream::Beginning);
    EXPECT_EQ(stream.tell(), 0);

    EXPECT_TRUE(stream.readOnly());
    stream.seek(0, TagLib::IOStream::Beginning);
    stream.writeBlock(TagLib::ByteVector("xxxx"));
    stream.insert(TagLib::ByteVector("yy"), 10, 0);
    stream.removeBlock(0, 100);
    stream.truncate(10);
    EXPECT_EQ(ReadFileBytes(m_path), m_content);
}

TEST_F(ReadOnlyStreamTest, AFileThatShrinksWhileReadMakesTheStreamUnhealthy) {
    ReadOnlyStream stream(m_fd, static_cast<std::int64_t>(m_content.size()), m_path);
    ASSERT_EQ(::truncate(m_path.c_str(), 100 * 1024), 0);
    stream.seek(200 * 1024, TagLib::IOStream::Beginning);
    EXPECT_TRUE(stream.readBlock(64).isEmpty());
    EXPECT_FALSE(stream.Healthy());
}

}  // namespace
