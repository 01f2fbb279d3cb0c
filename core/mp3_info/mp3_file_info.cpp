#include "core/mp3_info/mp3_file_info.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>
#include <optional>
#include <string_view>
#include <vector>

#include <taglib/commentsframe.h>
#include <taglib/id3v2framefactory.h>
#include <taglib/id3v2tag.h>
#include <taglib/tbytevectorstream.h>
#include <taglib/textidentificationframe.h>
#include <taglib/tfile.h>
#include <taglib/urllinkframe.h>

#include "core/mp3_info/genres.h"
#include "core/mp3_info/mpeg_header.h"
#include "core/mp3_info/scan_integer.h"
#include "platform/code_page/code_page.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

// How far behind the ID3v2 tag the first audio frame may start. A file without a frame
// there is no MP3 file; looking further would mean reading foreign files whole.
constexpr std::int64_t kAudioSearchWindow = 64 * 1024;
// Bytes read in one go while counting the frames of a whole file.
constexpr std::int64_t kWalkChunk = 256 * 1024;

// Reads byte ranges of the open file. The start and the end of the file, where nearly all
// decisions are made, are read once and served from memory; every other range is one
// read of its own. Ranges beyond the end come back short.
class Reader {
public:
    static constexpr std::int64_t kHead = 16 * 1024;
    static constexpr std::int64_t kTail = 512;

    Reader(int fd, std::int64_t size) : m_fd(fd), m_size(size) {
        m_head = ReadFromFile(0, std::min(size, kHead));
        m_tailStart = std::max<std::int64_t>(0, size - kTail);
        if (m_tailStart < static_cast<std::int64_t>(m_head.size())) {
            m_tailStart = static_cast<std::int64_t>(m_head.size());
        }
        m_tail = ReadFromFile(m_tailStart, size - m_tailStart);
    }

    std::int64_t Size() const { return m_size; }
    // False when a read failed (an I/O error, a file that shrank while being read).
    bool Healthy() const { return m_healthy; }

    Bytes Read(std::int64_t offset, std::int64_t length) {
        if (offset < 0 || offset >= m_size || length <= 0) {
            return {};
        }
        length = std::min(length, m_size - offset);
        const auto headSize = static_cast<std::int64_t>(m_head.size());
        if (offset + length <= headSize) {
            return Slice(m_head, offset, length);
        }
        if (offset >= m_tailStart &&
            offset + length <= m_tailStart + static_cast<std::int64_t>(m_tail.size())) {
            return Slice(m_tail, offset - m_tailStart, length);
        }
        return ReadFromFile(offset, length);
    }

private:
    static Bytes Slice(const Bytes& data, std::int64_t offset, std::int64_t length) {
        return Bytes(data.begin() + static_cast<std::ptrdiff_t>(offset),
                     data.begin() + static_cast<std::ptrdiff_t>(offset + length));
    }

    Bytes ReadFromFile(std::int64_t offset, std::int64_t length) {
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
    ~FileDescriptor() {
        if (fd >= 0) {
            ::close(fd);
        }
    }
};

// TagLib's view of the file for reading one ID3v2 tag at a known place. It never looks
// for anything itself, so a hostile file cannot make it scan.
class TagOnlyFile : public TagLib::File {
public:
    explicit TagOnlyFile(TagLib::IOStream* stream) : TagLib::File(stream) {}
    TagLib::Tag* tag() const override { return nullptr; }
    TagLib::AudioProperties* audioProperties() const override { return nullptr; }
    bool save() override { return false; }
};

// TagLib keeps the frame header type to frames and factories; a class of frame kind may
// name it for the factory below. Never made.
struct FrameHeaderName : TagLib::ID3v2::Frame {
    using Type = TagLib::ID3v2::Frame::Header;
};

// TagLib files the ID3v2.2 frame TOA (original artist) under TOAL (original album), next
// to TOT, which really is the original title. Keep the artist where it belongs.
class FrameFactory : public TagLib::ID3v2::FrameFactory {
public:
    static const FrameFactory& Instance() {
        static const FrameFactory factory;
        return factory;
    }

protected:
    bool updateFrame(FrameHeaderName::Type* header) const override {
        if (header->version() == 2 && header->frameID() == "TOA") {
            header->setFrameID("TOPE");
            return true;
        }
        return TagLib::ID3v2::FrameFactory::updateFrame(header);
    }
};

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

// The full size of an ID3v2 tag whose header starts at data[0], or none when it is none.
std::optional<std::int64_t> Id3v2TagSize(const Bytes& data) {
    if (data.size() < 10 || !StartsWith(data, 0, "ID3") || data[3] < 2 || data[3] > 4 ||
        data[4] == 0xFF) {
        return std::nullopt;
    }
    std::int64_t size = 0;
    for (int i = 6; i < 10; ++i) {
        if (data[i] & 0x80) {
            return std::nullopt;
        }
        size = (size << 7) | data[i];
    }
    const bool footer = data[3] == 4 && (data[5] & 0x10);
    return 10 + size + (footer ? 10 : 0);
}

// What the end of a file holds behind the audio: ID3v1, Lyrics3 and APE tags, in the
// orders taggers leave them.
struct FileTail {
    std::int64_t audioEnd = 0;
    bool hasV1 = false;
    bool hasLyrics = false;
    Bytes v1;
};

FileTail ReadTail(Reader& reader) {
    FileTail tail;
    tail.audioEnd = reader.Size();
    if (tail.audioEnd >= 128) {
        Bytes v1 = reader.Read(tail.audioEnd - 128, 128);
        if (v1.size() == 128 && StartsWith(v1, 0, "TAG")) {
            tail.hasV1 = true;
            tail.v1 = std::move(v1);
            tail.audioEnd -= 128;
        }
    }
    // APE and Lyrics3 may come in either order; each is taken off once.
    bool apeDone = false;
    bool lyricsDone = false;
    for (int round = 0; round < 2; ++round) {
        if (!apeDone && tail.audioEnd >= 32) {
            const Bytes footer = reader.Read(tail.audioEnd - 32, 32);
            if (footer.size() == 32 && StartsWith(footer, 0, "APETAGEX")) {
                std::int64_t size = LittleEndian32(footer.data() + 12);
                if (LittleEndian32(footer.data() + 20) & 0x80000000u) {
                    size += 32;
                }
                if (size >= 32 && size <= tail.audioEnd) {
                    tail.audioEnd -= size;
                    apeDone = true;
                }
            }
        }
        if (!lyricsDone && tail.audioEnd >= 15) {
            const Bytes end = reader.Read(tail.audioEnd - 15, 15);
            if (end.size() == 15 && StartsWith(end, 6, "LYRICS200")) {
                std::int64_t size = 0;
                bool digits = true;
                for (int i = 0; i < 6; ++i) {
                    digits = digits && end[i] >= '0' && end[i] <= '9';
                    size = size * 10 + (end[i] - '0');
                }
                tail.hasLyrics = true;
                lyricsDone = true;
                if (digits && size + 15 <= tail.audioEnd) {
                    tail.audioEnd -= size + 15;
                }
            } else if (end.size() == 15 && StartsWith(end, 6, "LYRICSEND")) {
                tail.hasLyrics = true;
                lyricsDone = true;
                // Lyrics3 v1 holds at most 5100 bytes of lyrics after "LYRICSBEGIN".
                const std::int64_t span = std::min<std::int64_t>(tail.audioEnd, 5100 + 11 + 9);
                const Bytes block = reader.Read(tail.audioEnd - span, span);
                const std::string_view text(reinterpret_cast<const char*>(block.data()),
                                            block.size());
                const std::size_t begin = text.rfind("LYRICSBEGIN");
                if (begin != std::string_view::npos) {
                    tail.audioEnd -= static_cast<std::int64_t>(block.size() - begin);
                }
            }
        }
    }
    return tail;
}

struct FirstFrame {
    std::int64_t offset = 0;
    MpegHeader header;
    Bytes data;  // the bytes from offset on that were read to find it
};

std::optional<FirstFrame> FindFirstFrameIn(Reader& reader, std::int64_t start,
                                           std::int64_t audioEnd, std::int64_t window);

// The first frame at or after start whose successor is a frame of the same stream (or
// the end of the audio): a lone sync pattern in tag padding or junk does not count.
std::optional<FirstFrame> FindFirstFrame(Reader& reader, std::int64_t start,
                                         std::int64_t audioEnd) {
    if (start >= audioEnd) {
        return std::nullopt;
    }
    // Nearly every file has its first frame right behind the tag: look at the first 16 KiB
    // before reading the rest of the window.
    const std::int64_t quick = std::min<std::int64_t>(16 * 1024, kAudioSearchWindow);
    if (std::optional<FirstFrame> frame = FindFirstFrameIn(reader, start, audioEnd, quick)) {
        return frame;
    }
    return FindFirstFrameIn(reader, start, audioEnd, kAudioSearchWindow);
}

std::optional<FirstFrame> FindFirstFrameIn(Reader& reader, std::int64_t start,
                                           std::int64_t audioEnd, std::int64_t window) {
    const Bytes data = reader.Read(start, std::min(audioEnd - start, window + 4));
    for (std::size_t i = 0; i + 4 <= data.size(); ++i) {
        const std::optional<MpegHeader> header = ParseMpegHeader(data.data() + i);
        if (!header) {
            continue;
        }
        const std::int64_t next = start + static_cast<std::int64_t>(i) + header->frameLength;
        bool confirmed = next == audioEnd;
        if (!confirmed && next + 4 <= audioEnd) {
            Bytes nextBytes;
            const std::size_t at = static_cast<std::size_t>(next - start);
            if (at + 4 <= data.size()) {
                nextBytes.assign(data.begin() + static_cast<std::ptrdiff_t>(at),
                                 data.begin() + static_cast<std::ptrdiff_t>(at) + 4);
            } else {
                nextBytes = reader.Read(next, 4);
            }
            if (nextBytes.size() == 4) {
                const std::optional<MpegHeader> second = ParseMpegHeader(nextBytes.data());
                confirmed = second && SameStream(*header, *second);
            }
        }
        if (confirmed) {
            FirstFrame frame;
            frame.offset = start + static_cast<std::int64_t>(i);
            frame.header = *header;
            frame.data.assign(data.begin() + static_cast<std::ptrdiff_t>(i), data.end());
            return frame;
        }
    }
    return std::nullopt;
}

// A Xing, Info or VBRI header in the first frame.
struct VbrHeader {
    bool variable = false;  // "Xing" and "VBRI"; "Info" marks a constant bitrate
    std::int64_t frames = 0;
    std::int64_t bytes = 0;  // 0 when the header does not say
};

std::optional<VbrHeader> ReadVbrHeader(const FirstFrame& first) {
    const Bytes& data = first.data;
    const std::size_t xing = 4 + static_cast<std::size_t>(first.header.sideInfoLength);
    if (first.header.layer == 3 &&
        (StartsWith(data, xing, "Xing") || StartsWith(data, xing, "Info")) &&
        xing + 8 <= data.size()) {
        VbrHeader vbr;
        vbr.variable = StartsWith(data, xing, "Xing");
        const std::uint32_t flags = BigEndian32(data.data() + xing + 4);
        std::size_t at = xing + 8;
        if (flags & 1) {
            if (at + 4 > data.size()) {
                return std::nullopt;
            }
            vbr.frames = BigEndian32(data.data() + at);
            at += 4;
        }
        if ((flags & 2) && at + 4 <= data.size()) {
            vbr.bytes = BigEndian32(data.data() + at);
        }
        return vbr;
    }
    if (StartsWith(data, 36, "VBRI") && 36 + 18 <= data.size()) {
        VbrHeader vbr;
        vbr.variable = true;
        vbr.bytes = BigEndian32(data.data() + 36 + 10);
        vbr.frames = BigEndian32(data.data() + 36 + 14);
        return vbr;
    }
    return std::nullopt;
}

std::int64_t FramesToMilliseconds(std::int64_t samples, int sampleRate) {
    return samples * 1000 / sampleRate;
}

// The result of counting every frame of the stream.
struct Walk {
    std::int64_t frames = 0;
    std::int64_t milliseconds = 0;
    std::int64_t bytes = 0;
    bool variable = false;
};

// Counts the frames from the first one to the end of the audio. Bytes that are no frame
// of the stream (damage, junk) are stepped over one at a time, so the walk ends after at
// most one look at each byte, and a gap of more than 64 KiB ends it. A frame that holds the Xing,
// Info or VBRI header is no audio.
Walk WalkFrames(Reader& reader, const FirstFrame& first, std::int64_t audioEnd, bool skipFirst) {
    Walk walk;
    std::int64_t samples = 0;
    Bytes chunk;
    std::int64_t chunkStart = 0;
    std::int64_t offset = first.offset;
    std::int64_t lastFrameEnd = offset;
    bool firstFrame = true;
    while (offset + 4 <= audioEnd) {
        if (offset < chunkStart ||
            offset + 4 > chunkStart + static_cast<std::int64_t>(chunk.size())) {
            chunkStart = offset;
            chunk = reader.Read(offset, std::min(kWalkChunk, audioEnd - offset));
            if (chunk.size() < 4) {
                break;
            }
        }
        const std::optional<MpegHeader> header =
            ParseMpegHeader(chunk.data() + (offset - chunkStart));
        if (!header || !SameStream(*header, first.header) ||
            offset + header->frameLength > audioEnd) {
            // As far without a frame as the first one may lie behind the tag: the audio
            // has ended, and what follows is no longer searched byte by byte.
            if (++offset - lastFrameEnd > kAudioSearchWindow) {
                break;
            }
            continue;
        }
        if (!(firstFrame && skipFirst)) {
            ++walk.frames;
            samples += header->samplesPerFrame;
            walk.bytes += header->frameLength;
            walk.variable = walk.variable || header->bitrate != first.header.bitrate;
        }
        firstFrame = false;
        offset += header->frameLength;
        lastFrameEnd = offset;
    }
    walk.milliseconds = FramesToMilliseconds(samples, first.header.sampleRate);
    return walk;
}

// Whether consecutive frames of data (starting with a frame) change their bitrate.
bool BitrateChanges(const Bytes& data, std::size_t offset, const MpegHeader& first) {
    while (offset + 4 <= data.size()) {
        const std::optional<MpegHeader> header = ParseMpegHeader(data.data() + offset);
        if (!header || !SameStream(*header, first)) {
            return false;
        }
        if (header->bitrate != first.bitrate) {
            return true;
        }
        offset += static_cast<std::size_t>(header->frameLength);
    }
    return false;
}

// A file without a VBR header is taken as a constant bitrate unless the frames at its
// start or in its middle show otherwise: encoders that leave the header out still vary
// the bitrate from frame to frame almost everywhere.
bool LooksVariable(Reader& reader, const FirstFrame& first, std::int64_t audioEnd) {
    if (BitrateChanges(first.data, 0, first.header)) {
        return true;
    }
    const std::int64_t middle = first.offset + (audioEnd - first.offset) / 2;
    if (middle <= first.offset + static_cast<std::int64_t>(first.data.size())) {
        return false;
    }
    const Bytes window = reader.Read(middle, std::min<std::int64_t>(4096, audioEnd - middle));
    for (std::size_t i = 0; i + 4 <= window.size(); ++i) {
        const std::optional<MpegHeader> header = ParseMpegHeader(window.data() + i);
        if (!header || !SameStream(*header, first.header)) {
            continue;
        }
        const std::size_t next = i + static_cast<std::size_t>(header->frameLength);
        if (next + 4 > window.size()) {
            return false;
        }
        const std::optional<MpegHeader> second = ParseMpegHeader(window.data() + next);
        if (second && SameStream(*second, first.header)) {
            return BitrateChanges(window, i, first.header);
        }
    }
    return false;
}

struct AudioResult {
    MpegHeader header;
    std::int64_t milliseconds = 0;
    std::int32_t vbrBitrate = 0;
};

// Encoders and taggers leave wrong VBR headers behind (a frame count from another file, a
// byte count from before a repair). Such a header is not used.
bool Plausible(const VbrHeader& vbr, const MpegHeader& header, std::int64_t streamBytes) {
    if (vbr.frames <= 0) {
        return false;
    }
    if (vbr.bytes > 0) {
        const std::int64_t difference =
            vbr.bytes > streamBytes ? vbr.bytes - streamBytes : streamBytes - vbr.bytes;
        if (difference > streamBytes / 10 + 2 * header.frameLength) {
            return false;
        }
    }
    const std::int64_t samples = vbr.frames * header.samplesPerFrame;
    const std::int64_t bytes = vbr.bytes > 0 ? vbr.bytes : streamBytes;
    // bits per second = bytes * 8 * sampleRate / samples
    const std::int64_t average = bytes * 8 * header.sampleRate / samples;
    return average >= 8000 && average <= MaximumBitrate(header.version, header.layer) * 11 / 10;
}

AudioResult AnalyseAudio(Reader& reader, const FirstFrame& first, std::int64_t audioEnd) {
    AudioResult result;
    result.header = first.header;
    const std::int64_t streamBytes = audioEnd - first.offset;
    const std::optional<VbrHeader> vbr = ReadVbrHeader(first);
    if (vbr && Plausible(*vbr, first.header, streamBytes)) {
        const std::int64_t samples = vbr->frames * first.header.samplesPerFrame;
        result.milliseconds = FramesToMilliseconds(samples, first.header.sampleRate);
        if (vbr->variable && samples > 0) {
            const std::int64_t bytes = vbr->bytes > 0 ? vbr->bytes : streamBytes;
            result.vbrBitrate =
                static_cast<std::int32_t>(bytes * 8 * first.header.sampleRate / samples);
        }
        return result;
    }
    if (vbr || LooksVariable(reader, first, audioEnd)) {
        const Walk walk = WalkFrames(reader, first, audioEnd, vbr.has_value());
        result.milliseconds = walk.milliseconds;
        if (walk.variable && walk.milliseconds > 0) {
            result.vbrBitrate = static_cast<std::int32_t>(walk.bytes * 8000 / walk.milliseconds);
        }
        return result;
    }
    result.milliseconds = streamBytes * 8000 / first.header.bitrate;
    return result;
}

std::string ToUtf8(const TagLib::String& text) {
    return text.to8Bit(true);
}

// An ID3v1 field: the bytes up to the first NUL, without the blanks that pad it.
std::string V1Field(const Bytes& tag, std::size_t at, std::size_t length) {
    std::string text(reinterpret_cast<const char*>(tag.data() + at), length);
    text = text.substr(0, text.find('\0'));
    while (!text.empty() && text.back() == ' ') {
        text.pop_back();
    }
    return platform::Latin1ToUtf8(text);
}

const char* LayerText(int layer) {
    switch (layer) {
        case 1:
            return "Layer I";
        case 2:
            return "Layer II";
        case 3:
            return "Layer III";
        default:
            return "UNDEFINED";
    }
}

const char* VersionText(MpegVersion version) {
    switch (version) {
        case MpegVersion::Mpeg1:
            return "MPEG 1";
        case MpegVersion::Mpeg2:
            return "MPEG 2";
        case MpegVersion::Mpeg25:
            return "MPEG 2.5";
    }
    return "";
}

const char* ChannelModeText(MpegChannelMode mode) {
    switch (mode) {
        case MpegChannelMode::Stereo:
            return "Stereo";
        case MpegChannelMode::JointStereo:
            return "Joint Stereo";
        case MpegChannelMode::DualChannel:
            return "Dual Channel";
        case MpegChannelMode::SingleChannel:
            return "Single Channel";
    }
    return "";
}

const TagLib::ID3v2::Frame* FindFrame(const TagLib::ID3v2::Tag& tag, const char* id) {
    const TagLib::ID3v2::FrameListMap& frames = tag.frameListMap();
    const auto found = frames.find(id);
    if (found == frames.end() || found->second.isEmpty()) {
        return nullptr;
    }
    return found->second.front();
}

std::optional<std::string> TextFrame(const TagLib::ID3v2::Tag& tag, const char* id) {
    const auto* frame =
        dynamic_cast<const TagLib::ID3v2::TextIdentificationFrame*>(FindFrame(tag, id));
    if (frame == nullptr) {
        return std::nullopt;
    }
    return ToUtf8(frame->toString());
}

// Of several comments, the one without a description is the comment; the others belong
// to players (iTunes normalisation and the like).
std::optional<std::string> CommentFrame(const TagLib::ID3v2::Tag& tag) {
    const TagLib::ID3v2::FrameListMap& frames = tag.frameListMap();
    const auto found = frames.find("COMM");
    if (found == frames.end()) {
        return std::nullopt;
    }
    const TagLib::ID3v2::CommentsFrame* chosen = nullptr;
    for (const TagLib::ID3v2::Frame* frame : found->second) {
        const auto* comment = dynamic_cast<const TagLib::ID3v2::CommentsFrame*>(frame);
        if (comment == nullptr) {
            continue;
        }
        if (chosen == nullptr) {
            chosen = comment;
        }
        if (comment->description().isEmpty()) {
            chosen = comment;
            break;
        }
    }
    if (chosen == nullptr) {
        return std::nullopt;
    }
    return ToUtf8(chosen->text());
}

std::optional<std::string> UrlFrame(const TagLib::ID3v2::Tag& tag) {
    const auto* frame =
        dynamic_cast<const TagLib::ID3v2::UserUrlLinkFrame*>(FindFrame(tag, "WXXX"));
    if (frame == nullptr) {
        return std::nullopt;
    }
    return ToUtf8(frame->url());
}

// TagLib has already turned "(17)" into "17" and "(17)Rock" into "Rock"; the numbers that
// remain are genre numbers.
std::optional<std::string> GenreFrame(const TagLib::ID3v2::Tag& tag) {
    const auto* frame =
        dynamic_cast<const TagLib::ID3v2::TextIdentificationFrame*>(FindFrame(tag, "TCON"));
    if (frame == nullptr) {
        return std::nullopt;
    }
    std::vector<std::string> genres;
    for (const TagLib::String& field : frame->fieldList()) {
        const std::string genre = ResolveNumericGenre(ToUtf8(field));
        if (!genre.empty() && std::find(genres.begin(), genres.end(), genre) == genres.end()) {
            genres.push_back(genre);
        }
    }
    std::string text;
    for (const std::string& genre : genres) {
        if (!text.empty()) {
            text += ' ';
        }
        text += genre;
    }
    return text;
}

}  // namespace

MP3FileInfo::~MP3FileInfo() = default;

std::int32_t MP3FileInfo::RoundToSeconds(std::int64_t milliseconds) {
    const std::int64_t seconds = (milliseconds + 500) / 1000;
    return static_cast<std::int32_t>(std::min<std::int64_t>(seconds, INT32_MAX));
}

void MP3FileInfo::Clear() {
    *this = MP3FileInfo();
}

void MP3FileInfo::SetText(Mp3Text which, std::string text) {
    m_texts[Index(which)] = std::move(text);
    m_present[Index(which)] = true;
}

bool MP3FileInfo::Load(const std::string& path) {
    Clear();
    if (!LoadFile(path)) {
        Clear();
        return false;
    }
    return true;
}

bool MP3FileInfo::LoadFile(const std::string& path) {
    m_filePath = path;
    m_loaded = true;

    // Only regular files: opening a pipe or a device would wait or read without end.
    FileDescriptor file{::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC)};
    const int fd = file.fd;
    if (fd < 0) {
        return false;
    }
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        return false;
    }
    const std::int64_t size = info.st_size;
    m_fileSize = size >= 0xFFFFFFFFll ? 0xFFFFFFFEu : static_cast<std::uint32_t>(size);
    Reader reader(fd, size);

    const Bytes head = reader.Read(0, 10);
    const std::optional<std::int64_t> v2Size = Id3v2TagSize(head);
    m_hasV2Tag = v2Size.has_value();
    // Some taggers prepend a tag again instead of replacing it; the audio follows the last.
    std::int64_t audioStart = v2Size.value_or(0);
    for (int extra = 0; extra < 8 && m_hasV2Tag; ++extra) {
        const std::optional<std::int64_t> next = Id3v2TagSize(reader.Read(audioStart, 10));
        if (!next) {
            break;
        }
        audioStart += *next;
    }

    const FileTail tail = ReadTail(reader);
    m_hasV1Tag = tail.hasV1;
    m_hasLyrics = tail.hasLyrics;

    const std::optional<FirstFrame> first = FindFirstFrame(reader, audioStart, tail.audioEnd);
    if (!first) {
        return false;
    }
    const AudioResult audio = AnalyseAudio(reader, *first, tail.audioEnd);
    m_bitrate = audio.header.bitrate;
    m_vbrBitrate = audio.vbrBitrate;
    m_frequency = audio.header.sampleRate;
    m_lengthMilliseconds = audio.milliseconds;
    m_length = RoundToSeconds(audio.milliseconds);
    SetText(Mp3Text::BitrateText, m_vbrBitrate > 0
                                      ? std::to_string(m_vbrBitrate / 1000) + " kbit/s (VBR)"
                                      : std::to_string(m_bitrate / 1000) + " kbit/s");
    SetText(Mp3Text::LayerText, LayerText(audio.header.layer));
    SetText(Mp3Text::VersionText, VersionText(audio.header.version));
    SetText(Mp3Text::ChannelModeText, ChannelModeText(audio.header.channelMode));

    if (!reader.Healthy()) {
        return false;
    }

    if (m_hasV2Tag) {
        // TagLib parses the tag from memory: it cannot read past it, nor look further.
        const Bytes tagBytes = reader.Read(0, *v2Size);
        TagLib::ByteVector tagData(reinterpret_cast<const char*>(tagBytes.data()),
                                   static_cast<unsigned int>(tagBytes.size()));
        TagLib::ByteVectorStream tagStream(tagData);
        TagOnlyFile tagFile(&tagStream);
        const TagLib::ID3v2::Tag tag(&tagFile, 0, &FrameFactory::Instance());
        const std::pair<Mp3Text, const char*> textFrames[] = {
            {Mp3Text::Album, "TALB"},
            {Mp3Text::Artist, "TPE1"},
            {Mp3Text::Title, "TIT2"},
            {Mp3Text::Track, "TRCK"},
            {Mp3Text::Year, "TYER"},
            {Mp3Text::Composer, "TCOM"},
            {Mp3Text::RightsStatement, "TCOP"},
            {Mp3Text::EncodedBy, "TENC"},
            {Mp3Text::OriginalArtist, "TOPE"},
        };
        for (const auto& [which, id] : textFrames) {
            if (std::optional<std::string> text = TextFrame(tag, id)) {
                SetText(which, std::move(*text));
            }
        }
        // TagLib reads an ID3v2.3 TYER as the recording time TDRC of ID3v2.4, whose
        // text begins with the year.
        if (!Has(Mp3Text::Year)) {
            if (std::optional<std::string> time = TextFrame(tag, "TDRC")) {
                SetText(Mp3Text::Year, time->substr(0, 4));
            }
        }
        if (std::optional<std::string> comment = CommentFrame(tag)) {
            SetText(Mp3Text::Comment, std::move(*comment));
        }
        if (std::optional<std::string> url = UrlFrame(tag)) {
            SetText(Mp3Text::Url, std::move(*url));
        }
        if (std::optional<std::string> genre = GenreFrame(tag)) {
            SetText(Mp3Text::Genre, std::move(*genre));
        }
    }

    // The ID3v1 tag fills in what the ID3v2 tag does not have.
    if (tail.hasV1) {
        const Bytes& v1 = tail.v1;
        const std::pair<Mp3Text, std::pair<std::size_t, std::size_t>> fields[] = {
            {Mp3Text::Title, {3, 30}},
            {Mp3Text::Artist, {33, 30}},
            {Mp3Text::Album, {63, 30}},
            {Mp3Text::Year, {93, 4}},
        };
        for (const auto& [which, place] : fields) {
            std::string text = V1Field(v1, place.first, place.second);
            if (!Has(which) && !text.empty()) {
                SetText(which, std::move(text));
            }
        }
        // ID3v1.1 keeps the track number in the last byte of the comment, behind a NUL.
        const bool hasTrack = v1[125] == 0 && v1[126] != 0;
        std::string comment = V1Field(v1, 97, hasTrack ? 28 : 30);
        if (!Has(Mp3Text::Comment) && !comment.empty()) {
            SetText(Mp3Text::Comment, std::move(comment));
        }
        if (!Has(Mp3Text::Track) && hasTrack) {
            SetText(Mp3Text::Track, std::to_string(v1[126]));
        }
        // Genre byte 255 means "no genre"; other numbers beyond the table are shown as
        // the old tag presents them, "(200)".
        if (!Has(Mp3Text::Genre) && v1[127] != 255) {
            SetText(Mp3Text::Genre, ResolveBracketedGenre("(" + std::to_string(v1[127]) + ")"));
        }
    }

    if (Has(Mp3Text::Year)) {
        m_yearNumber = ScanInteger(GetYear()).value_or(0);
    }
    if (Has(Mp3Text::Track)) {
        m_trackNumber = ScanInteger(GetTrack()).value_or(0);
    }
    return true;
}
