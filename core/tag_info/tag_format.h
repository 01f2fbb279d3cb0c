#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

// The audio formats whose tags the other-format reader takes from TagLib. MP3 has a
// reader of its own.
enum class TagFormat {
    Flac,
    OggVorbis,
    OggOpus,
    OggSpeex,
    OggFlac,
    Mp4,
    Asf,
    Wav,
    Aiff,
    Ape,
    WavPack,
    Musepack,
    TrueAudio,
};

// A short name for the format, for messages and benchmark output ("FLAC", "Ogg Opus").
std::string_view TagFormatName(TagFormat format);

// Bytes that must be at hand at the start of a file for IdentifyTagFormat.
inline constexpr std::size_t kTagFormatProbeBytes = 512;

// The format whose signature the bytes at the start of the audio show: "fLaC", an Ogg
// page that starts a stream of Vorbis, Opus, Speex or FLAC, "ftyp" in the first box,
// "RIFF" ... "WAVE", "FORM" ... "AIFF"/"AIFC", the ASF header object's GUID, "MAC ",
// "wvpk", "MPCK" or "MP+", "TTA1". None for everything else.
std::optional<TagFormat> IdentifyTagFormat(const std::uint8_t* data, std::size_t size);

// Whether TagLib looks for the audio of this format behind an ID3v2 tag at the start of
// the file; for every other format it expects the signature at byte 0.
bool AllowsLeadingId3v2(TagFormat format);

// The full size of an ID3v2 tag whose header is at data[0] (header, body and footer), or
// none when data does not start with one.
std::optional<std::int64_t> LeadingId3v2Size(const std::uint8_t* data, std::size_t size);

// Ogg pages are at most this long: a stream that passes its end holds the start of a
// page this close to its end, and TagLib, looking for that page backwards, stops there.
inline constexpr std::int64_t kMaxOggPageBytes = 27 + 255 + 255 * 255;
