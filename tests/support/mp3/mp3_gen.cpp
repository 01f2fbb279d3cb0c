#include "tests/support/mp3/mp3_gen.h"

#include <zlib.h>

#include <fstream>
#include <stdexcept>

namespace mp3gen {

namespace {

const int kBitratesV1L3[] = {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320};
const int kBitratesV1L2[] = {0, 32, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 384};
const int kBitratesV1L1[] = {0, 32, 64, 96, 128, 160, 192, 224, 256, 288, 320, 352, 384, 416, 448};
const int kBitratesV2L1[] = {0, 32, 48, 56, 64, 80, 96, 112, 128, 144, 160, 176, 192, 224, 256};
const int kBitratesV2L23[] = {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160};

int BitrateIndex(const StreamSpec& spec, int kbps) {
    const int* table = spec.version == Version::Mpeg1
                           ? (spec.layer == 1   ? kBitratesV1L1
                              : spec.layer == 2 ? kBitratesV1L2
                                                : kBitratesV1L3)
                           : (spec.layer == 1 ? kBitratesV2L1 : kBitratesV2L23);
    for (int i = 1; i < 15; ++i) {
        if (table[i] == kbps) {
            return i;
        }
    }
    throw std::invalid_argument("bitrate not allowed for this version and layer");
}

int SampleRateIndex(const StreamSpec& spec) {
    const int base = spec.version == Version::Mpeg1   ? 44100
                     : spec.version == Version::Mpeg2 ? 22050
                                                      : 11025;
    if (spec.sampleRate == base) {
        return 0;
    }
    if (spec.sampleRate == base * 48000 / 44100) {
        return 1;
    }
    if (spec.sampleRate == base * 32000 / 44100) {
        return 2;
    }
    throw std::invalid_argument("sampling rate not allowed for this version");
}

int SideInfoLength(const StreamSpec& spec) {
    const bool mono = spec.channelMode == 3;
    return spec.version == Version::Mpeg1 ? (mono ? 17 : 32) : (mono ? 9 : 17);
}

// Bytes of a frame without padding, and the remainder that padding evens out over time.
struct FrameSize {
    int bytes;
    long long remainder;
    long long divisor;
};

FrameSize SizeOf(const StreamSpec& spec, int kbps) {
    const long long bitrate = kbps * 1000LL;
    if (spec.layer == 1) {
        return {static_cast<int>(12 * bitrate / spec.sampleRate) * 4,
                (12 * bitrate) % spec.sampleRate, spec.sampleRate};
    }
    const long long factor = (spec.layer == 3 && spec.version != Version::Mpeg1) ? 72 : 144;
    return {static_cast<int>(factor * bitrate / spec.sampleRate),
            (factor * bitrate) % spec.sampleRate, spec.sampleRate};
}

void PutBigEndian32(Bytes& out, std::uint32_t value) {
    out.push_back(static_cast<std::uint8_t>(value >> 24));
    out.push_back(static_cast<std::uint8_t>(value >> 16));
    out.push_back(static_cast<std::uint8_t>(value >> 8));
    out.push_back(static_cast<std::uint8_t>(value));
}

void PutSynchsafe32(Bytes& out, std::uint32_t value) {
    for (int shift = 21; shift >= 0; shift -= 7) {
        out.push_back(static_cast<std::uint8_t>((value >> shift) & 0x7F));
    }
}

Bytes Frame(const StreamSpec& spec, int kbps, bool padding) {
    const int versionBits = spec.version == Version::Mpeg1   ? 3
                            : spec.version == Version::Mpeg2 ? 2
                                                             : 0;
    const int layerBits = 4 - spec.layer;
    const FrameSize size = SizeOf(spec, kbps);
    const int length = size.bytes + (padding ? (spec.layer == 1 ? 4 : 1) : 0);
    Bytes frame(static_cast<std::size_t>(length), 0);
    frame[0] = 0xFF;
    // Protection bit set: no CRC follows the header.
    frame[1] = static_cast<std::uint8_t>(0xE0 | (versionBits << 3) | (layerBits << 1) | 1);
    frame[2] = static_cast<std::uint8_t>((BitrateIndex(spec, kbps) << 4) |
                                         (SampleRateIndex(spec) << 2) | (padding ? 2 : 0));
    frame[3] = static_cast<std::uint8_t>(spec.channelMode << 6);
    return frame;
}

// Decodes UTF-8 into code points (the generator only meets well-formed text).
std::vector<std::uint32_t> CodePoints(const std::string& utf8) {
    std::vector<std::uint32_t> points;
    for (std::size_t i = 0; i < utf8.size();) {
        const auto c = static_cast<unsigned char>(utf8[i]);
        int extra = c < 0x80 ? 0 : c < 0xE0 ? 1 : c < 0xF0 ? 2 : 3;
        std::uint32_t point = extra == 0 ? c : c & (0x3F >> extra);
        for (int k = 1; k <= extra && i + k < utf8.size(); ++k) {
            point = (point << 6) | (static_cast<unsigned char>(utf8[i + k]) & 0x3F);
        }
        points.push_back(point);
        i += static_cast<std::size_t>(extra) + 1;
    }
    return points;
}

Bytes EncodeText(const std::string& utf8, Id3v2Builder::Encoding encoding) {
    switch (encoding) {
        case Id3v2Builder::Latin1: {
            Bytes out;
            for (std::uint32_t point : CodePoints(utf8)) {
                out.push_back(static_cast<std::uint8_t>(point < 0x100 ? point : '?'));
            }
            return out;
        }
        case Id3v2Builder::Utf16:
            return Utf16(utf8, true);
        case Id3v2Builder::Utf16Be:
            return Utf16(utf8, false);
        case Id3v2Builder::Utf8:
            return Bytes(utf8.begin(), utf8.end());
    }
    return {};
}

Bytes Terminator(Id3v2Builder::Encoding encoding) {
    return encoding == Id3v2Builder::Utf16 || encoding == Id3v2Builder::Utf16Be ? Bytes{0, 0}
                                                                                : Bytes{0};
}

// Inserts a 0x00 after every 0xFF that is followed by 0x00 or by a byte of 0xE0 or more,
// and after a final 0xFF.
Bytes Unsynchronised(const Bytes& data) {
    Bytes out;
    for (std::size_t i = 0; i < data.size(); ++i) {
        out.push_back(data[i]);
        if (data[i] == 0xFF && (i + 1 == data.size() || data[i + 1] == 0 || data[i + 1] >= 0xE0)) {
            out.push_back(0);
        }
    }
    return out;
}

Bytes Deflate(const Bytes& data) {
    uLongf length = compressBound(static_cast<uLong>(data.size()));
    Bytes out(length);
    if (compress(out.data(), &length, data.data(), static_cast<uLong>(data.size())) != Z_OK) {
        throw std::runtime_error("zlib failed");
    }
    out.resize(length);
    return out;
}

}  // namespace

int SamplesPerFrame(const StreamSpec& spec) {
    if (spec.layer == 1) {
        return 384;
    }
    return (spec.layer == 3 && spec.version != Version::Mpeg1) ? 576 : 1152;
}

double AudioMilliseconds(const StreamSpec& spec) {
    return spec.frames * static_cast<double>(SamplesPerFrame(spec)) * 1000.0 / spec.sampleRate;
}

Bytes MakeStream(const StreamSpec& spec) {
    Bytes audio;
    long long carried = 0;
    for (int i = 0; i < spec.frames; ++i) {
        const int kbps = spec.bitrates[static_cast<std::size_t>(i) % spec.bitrates.size()];
        const FrameSize size = SizeOf(spec, kbps);
        carried += size.remainder;
        const bool padding = carried >= size.divisor;
        if (padding) {
            carried -= size.divisor;
        }
        const Bytes frame = Frame(spec, kbps, padding);
        audio.insert(audio.end(), frame.begin(), frame.end());
    }
    if (spec.vbrHeader == VbrHeader::None) {
        return audio;
    }

    Bytes header = Frame(spec, spec.bitrates.front(), false);
    Bytes info;
    const std::uint32_t frames =
        spec.headerFrames != 0 ? spec.headerFrames : static_cast<std::uint32_t>(spec.frames);
    const std::uint32_t bytes = spec.headerBytes != 0
                                    ? spec.headerBytes
                                    : static_cast<std::uint32_t>(audio.size() + header.size());
    std::size_t at = 0;
    if (spec.vbrHeader == VbrHeader::Vbri) {
        at = 36;
        info = {'V', 'B', 'R', 'I', 0, 1, 0, 0, 0, 50};
        PutBigEndian32(info, bytes);
        PutBigEndian32(info, frames);
        info.insert(info.end(), {0, 0, 0, 1, 0, 2, 0, 1});  // an empty table of contents
    } else {
        at = 4 + static_cast<std::size_t>(SideInfoLength(spec));
        const char* magic = spec.vbrHeader == VbrHeader::Xing ? "Xing" : "Info";
        info.assign(magic, magic + 4);
        PutBigEndian32(info, 3);  // frame count and byte count follow
        PutBigEndian32(info, frames);
        PutBigEndian32(info, bytes);
    }
    if (at + info.size() > header.size()) {
        throw std::invalid_argument("VBR header does not fit the first frame");
    }
    std::copy(info.begin(), info.end(), header.begin() + static_cast<std::ptrdiff_t>(at));
    header.insert(header.end(), audio.begin(), audio.end());
    return header;
}

Bytes MakeId3v1(const std::string& title, const std::string& artist, const std::string& album,
                const std::string& year, const std::string& comment, int track, int genre) {
    Bytes tag(128, 0);
    tag[0] = 'T';
    tag[1] = 'A';
    tag[2] = 'G';
    auto put = [&tag](std::size_t at, const std::string& text, std::size_t length) {
        for (std::size_t i = 0; i < text.size() && i < length; ++i) {
            tag[at + i] = static_cast<std::uint8_t>(text[i]);
        }
    };
    put(3, title, 30);
    put(33, artist, 30);
    put(63, album, 30);
    put(93, year, 4);
    put(97, comment, track > 0 ? 28 : 30);
    if (track > 0) {
        tag[125] = 0;
        tag[126] = static_cast<std::uint8_t>(track);
    }
    tag[127] = static_cast<std::uint8_t>(genre);
    return tag;
}

Bytes MakeLyrics3v2(const std::string& lyrics) {
    std::string block = "LYRICSBEGIN";
    block +=
        "IND00002"
        "10";
    const std::string size = std::to_string(lyrics.size());
    block += "LYR" + std::string(5 - size.size(), '0') + size + lyrics;
    const std::string total = std::to_string(block.size());
    block += std::string(6 - total.size(), '0') + total + "LYRICS200";
    return Bytes(block.begin(), block.end());
}

Bytes Utf16(const std::string& utf8, bool littleEndianWithBom) {
    Bytes out;
    auto put = [&out, littleEndianWithBom](std::uint32_t unit) {
        const auto high = static_cast<std::uint8_t>(unit >> 8);
        const auto low = static_cast<std::uint8_t>(unit);
        if (littleEndianWithBom) {
            out.push_back(low);
            out.push_back(high);
        } else {
            out.push_back(high);
            out.push_back(low);
        }
    };
    if (littleEndianWithBom) {
        put(0xFEFF);
    }
    for (std::uint32_t point : CodePoints(utf8)) {
        if (point >= 0x10000) {
            point -= 0x10000;
            put(0xD800 | (point >> 10));
            put(0xDC00 | (point & 0x3FF));
        } else {
            put(point);
        }
    }
    return out;
}

Id3v2Builder& Id3v2Builder::Text(const std::string& id, const std::string& text,
                                 Encoding encoding) {
    Bytes body{static_cast<std::uint8_t>(encoding)};
    const Bytes encoded = EncodeText(text, encoding);
    body.insert(body.end(), encoded.begin(), encoded.end());
    return Raw(id, body);
}

Id3v2Builder& Id3v2Builder::Comment(const std::string& description, const std::string& text,
                                    Encoding encoding) {
    Bytes body{static_cast<std::uint8_t>(encoding), 'e', 'n', 'g'};
    const Bytes encodedDescription = EncodeText(description, encoding);
    body.insert(body.end(), encodedDescription.begin(), encodedDescription.end());
    const Bytes terminator = Terminator(encoding);
    body.insert(body.end(), terminator.begin(), terminator.end());
    const Bytes encoded = EncodeText(text, encoding);
    body.insert(body.end(), encoded.begin(), encoded.end());
    return Raw(m_version == 2 ? "COM" : "COMM", body);
}

Id3v2Builder& Id3v2Builder::Url(const std::string& description, const std::string& url) {
    Bytes body{0};
    body.insert(body.end(), description.begin(), description.end());
    body.push_back(0);
    body.insert(body.end(), url.begin(), url.end());
    return Raw(m_version == 2 ? "WXX" : "WXXX", body);
}

Id3v2Builder& Id3v2Builder::Raw(const std::string& id, const Bytes& body) {
    m_frames.push_back(FrameBytes(id, body));
    return *this;
}

Bytes Id3v2Builder::FrameBytes(const std::string& id, const Bytes& body) const {
    Bytes frame(id.begin(), id.end());
    if (m_version == 2) {
        const auto size = static_cast<std::uint32_t>(body.size());
        frame.push_back(static_cast<std::uint8_t>(size >> 16));
        frame.push_back(static_cast<std::uint8_t>(size >> 8));
        frame.push_back(static_cast<std::uint8_t>(size));
        frame.insert(frame.end(), body.begin(), body.end());
        return frame;
    }
    Bytes data = body;
    std::uint8_t formatFlags = 0;
    if (m_compress) {
        const Bytes packed = Deflate(body);
        data.clear();
        if (m_version == 3) {
            formatFlags |= 0x80;
            PutBigEndian32(data, static_cast<std::uint32_t>(body.size()));
        } else {
            formatFlags |= 0x08 | 0x01;  // compression needs the data length indicator
            PutSynchsafe32(data, static_cast<std::uint32_t>(body.size()));
        }
        data.insert(data.end(), packed.begin(), packed.end());
    }
    if (m_version == 4 && m_unsynchronise) {
        formatFlags |= 0x02;
        data = Unsynchronised(data);
    }
    if (m_version == 3) {
        PutBigEndian32(frame, static_cast<std::uint32_t>(data.size()));
    } else {
        PutSynchsafe32(frame, static_cast<std::uint32_t>(data.size()));
    }
    frame.push_back(0);
    frame.push_back(formatFlags);
    frame.insert(frame.end(), data.begin(), data.end());
    return frame;
}

Bytes Id3v2Builder::Build() const {
    Bytes body;
    std::uint8_t flags = 0;
    if (m_extendedHeader && m_version >= 3) {
        flags |= 0x40;
        if (m_version == 3) {
            // Size 6 (not counting itself), no flags, no padding announced.
            body.insert(body.end(), {0, 0, 0, 6, 0, 0, 0, 0, 0, 0});
        } else {
            // Size 6 including itself, one flag byte, no flag set.
            body.insert(body.end(), {0, 0, 0, 6, 1, 0});
        }
    }
    for (const Bytes& frame : m_frames) {
        body.insert(body.end(), frame.begin(), frame.end());
    }
    body.insert(body.end(), static_cast<std::size_t>(m_padding), 0);
    if (m_unsynchronise) {
        flags |= 0x80;
        if (m_version <= 3) {
            body = Unsynchronised(body);
        }
    }
    Bytes tag{'I', 'D', '3', static_cast<std::uint8_t>(m_version), 0, flags};
    PutSynchsafe32(tag, static_cast<std::uint32_t>(body.size()));
    tag.insert(tag.end(), body.begin(), body.end());
    return tag;
}

Bytes Concat(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const Bytes& part : parts) {
        out.insert(out.end(), part.begin(), part.end());
    }
    return out;
}

bool WriteFile(const std::string& path, const Bytes& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out);
}

}  // namespace mp3gen
