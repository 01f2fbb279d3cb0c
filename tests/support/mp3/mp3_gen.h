#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Builds MP3 files for tests: silent MPEG audio frames, VBR headers and ID3/Lyrics3 tags,
// byte for byte, so that tests know exactly what a file holds and how long it plays.
namespace mp3gen {

using Bytes = std::vector<std::uint8_t>;

enum class Version { Mpeg1, Mpeg2, Mpeg25 };
enum class VbrHeader { None, Xing, Info, Vbri };

struct StreamSpec {
    Version version = Version::Mpeg1;
    int layer = 3;
    int sampleRate = 44100;
    // kbit/s of each frame, used round-robin; one value makes a constant bitrate.
    std::vector<int> bitrates = {128};
    int channelMode = 1;  // 0 stereo, 1 joint stereo, 2 dual channel, 3 single channel
    int frames = 100;     // audio frames, without the VBR header's frame
    VbrHeader vbrHeader = VbrHeader::None;
    // Overrides of the VBR header's counts (0: the true ones), to make wrong headers.
    std::uint32_t headerFrames = 0;
    std::uint32_t headerBytes = 0;
};

// Samples per frame of the stream's version and layer.
int SamplesPerFrame(const StreamSpec& spec);
// The playing time of the stream's audio frames, in milliseconds.
double AudioMilliseconds(const StreamSpec& spec);

// The frames of the stream, the VBR header frame first when one is asked for.
Bytes MakeStream(const StreamSpec& spec);

// A 128-byte ID3v1.1 tag (track 0 makes an ID3v1.0 tag with a 30-byte comment).
Bytes MakeId3v1(const std::string& title, const std::string& artist, const std::string& album,
                const std::string& year, const std::string& comment, int track, int genre);

// A Lyrics3 v2 block with the given lyrics.
Bytes MakeLyrics3v2(const std::string& lyrics);

// An ID3v2.2, 2.3 or 2.4 tag, frame by frame.
class Id3v2Builder {
public:
    enum Encoding { Latin1 = 0, Utf16 = 1, Utf16Be = 2, Utf8 = 3 };

    explicit Id3v2Builder(int majorVersion) : m_version(majorVersion) {}

    // A text frame; the text is UTF-8 and is encoded as asked (Latin1 takes bytes below
    // U+0100 only).
    Id3v2Builder& Text(const std::string& id, const std::string& text, Encoding encoding = Latin1);
    // A comment frame (COMM / COM) with language "eng".
    Id3v2Builder& Comment(const std::string& description, const std::string& text,
                          Encoding encoding = Latin1);
    // A user-defined link frame (WXXX / WXX).
    Id3v2Builder& Url(const std::string& description, const std::string& url);
    // A frame with the given body, unchanged.
    Id3v2Builder& Raw(const std::string& id, const Bytes& body);

    // The following frames are zlib-compressed (ID3v2.3 and 2.4).
    Id3v2Builder& Compress(bool on) {
        m_compress = on;
        return *this;
    }
    // Unsynchronisation of the whole tag (ID3v2.3) or of each frame (ID3v2.4).
    Id3v2Builder& Unsynchronise(bool on) {
        m_unsynchronise = on;
        return *this;
    }
    // An extended header (ID3v2.3 and 2.4).
    Id3v2Builder& ExtendedHeader(bool on) {
        m_extendedHeader = on;
        return *this;
    }
    Id3v2Builder& Padding(int bytes) {
        m_padding = bytes;
        return *this;
    }

    Bytes Build() const;

private:
    Bytes FrameBytes(const std::string& id, const Bytes& body) const;

    int m_version;
    bool m_compress = false;
    bool m_unsynchronise = false;
    bool m_extendedHeader = false;
    int m_padding = 0;
    std::vector<Bytes> m_frames;
};

// UTF-8 as UTF-16 little-endian with a byte-order mark, or big-endian without one.
Bytes Utf16(const std::string& utf8, bool littleEndianWithBom);

// a followed by b (and c, d).
Bytes Concat(std::initializer_list<Bytes> parts);

// Writes bytes to path; false when that fails.
bool WriteFile(const std::string& path, const Bytes& bytes);

}  // namespace mp3gen
