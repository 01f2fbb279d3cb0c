#include "core/tag_info/tag_format.h"

#include <cstring>

#include <taglib/id3v2header.h>
#include <taglib/tbytevector.h>

namespace {

bool Has(const std::uint8_t* data, std::size_t size, std::size_t at, std::string_view magic) {
    return at + magic.size() <= size && std::memcmp(data + at, magic.data(), magic.size()) == 0;
}

// The header object of every ASF file: 75B22630-668E-11CF-A6D9-00AA0062CE6C, as stored.
constexpr std::string_view kAsfHeaderGuid(
    "\x30\x26\xB2\x75\x8E\x66\xCF\x11\xA6\xD9\x00\xAA\x00\x62\xCE\x6C", 16);

// The codec of an Ogg stream from the first packet of its first page. Only a page that
// begins a stream (version 0, "first page" flag) counts: a file cut out of the middle of
// a stream has no headers to read.
std::optional<TagFormat> IdentifyOggCodec(const std::uint8_t* data, std::size_t size) {
    if (size < 27 || data[4] != 0 || (data[5] & 0x02) == 0) {
        return std::nullopt;
    }
    const std::size_t packet = 27 + std::size_t{data[26]};
    if (Has(data, size, packet, "\x01vorbis")) {
        return TagFormat::OggVorbis;
    }
    if (Has(data, size, packet, "OpusHead")) {
        return TagFormat::OggOpus;
    }
    if (Has(data, size, packet, "Speex   ")) {
        return TagFormat::OggSpeex;
    }
    // The current FLAC mapping starts with "\x7FFLAC"; the first one had the native
    // "fLaC" signature as its own packet. TagLib reads both.
    if (Has(data, size, packet,
            "\x7F"
            "FLAC") ||
        Has(data, size, packet, "fLaC")) {
        return TagFormat::OggFlac;
    }
    return std::nullopt;
}

}  // namespace

std::string_view TagFormatName(TagFormat format) {
    switch (format) {
        case TagFormat::Flac:
            return "FLAC";
        case TagFormat::OggVorbis:
            return "Ogg Vorbis";
        case TagFormat::OggOpus:
            return "Ogg Opus";
        case TagFormat::OggSpeex:
            return "Ogg Speex";
        case TagFormat::OggFlac:
            return "Ogg FLAC";
        case TagFormat::Mp4:
            return "MP4";
        case TagFormat::Asf:
            return "ASF";
        case TagFormat::Wav:
            return "WAV";
        case TagFormat::Aiff:
            return "AIFF";
        case TagFormat::Ape:
            return "APE";
        case TagFormat::WavPack:
            return "WavPack";
        case TagFormat::Musepack:
            return "Musepack";
        case TagFormat::TrueAudio:
            return "TrueAudio";
    }
    return "";
}

std::optional<TagFormat> IdentifyTagFormat(const std::uint8_t* data, std::size_t size) {
    if (Has(data, size, 0, "fLaC")) {
        return TagFormat::Flac;
    }
    if (Has(data, size, 0, "OggS")) {
        return IdentifyOggCodec(data, size);
    }
    // The first box of an MP4 file is "ftyp"; its size counts its own eight header bytes.
    if (Has(data, size, 4, "ftyp")) {
        const std::uint32_t boxSize = (std::uint32_t{data[0]} << 24) |
                                      (std::uint32_t{data[1]} << 16) |
                                      (std::uint32_t{data[2]} << 8) | data[3];
        return boxSize >= 8 ? std::optional(TagFormat::Mp4) : std::nullopt;
    }
    if (Has(data, size, 0, "RIFF") && Has(data, size, 8, "WAVE")) {
        return TagFormat::Wav;
    }
    if (Has(data, size, 0, "FORM") && (Has(data, size, 8, "AIFF") || Has(data, size, 8, "AIFC"))) {
        return TagFormat::Aiff;
    }
    if (Has(data, size, 0, kAsfHeaderGuid)) {
        return TagFormat::Asf;
    }
    if (Has(data, size, 0, "MAC ")) {
        return TagFormat::Ape;
    }
    if (Has(data, size, 0, "wvpk")) {
        return TagFormat::WavPack;
    }
    if (Has(data, size, 0, "MPCK") || Has(data, size, 0, "MP+")) {
        return TagFormat::Musepack;
    }
    if (Has(data, size, 0, "TTA1")) {
        return TagFormat::TrueAudio;
    }
    return std::nullopt;
}

bool AllowsLeadingId3v2(TagFormat format) {
    switch (format) {
        case TagFormat::Flac:
        case TagFormat::Ape:
        case TagFormat::Musepack:
        case TagFormat::TrueAudio:
            return true;
        default:
            return false;
    }
}

std::optional<std::int64_t> LeadingId3v2Size(const std::uint8_t* data, std::size_t size) {
    if (!Has(data, size, 0, "ID3") || size < TagLib::ID3v2::Header::size()) {
        return std::nullopt;
    }
    // TagLib's own header parser, so that the audio is looked for exactly where TagLib
    // will look for it: a size it cannot read counts as an empty tag there too.
    const TagLib::ID3v2::Header header(
        TagLib::ByteVector(reinterpret_cast<const char*>(data), TagLib::ID3v2::Header::size()));
    return static_cast<std::int64_t>(header.completeTagSize());
}
