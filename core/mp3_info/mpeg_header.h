#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>

// One MPEG audio frame header (four bytes), decoded.
enum class MpegVersion { Mpeg1, Mpeg2, Mpeg25 };
enum class MpegChannelMode { Stereo, JointStereo, DualChannel, SingleChannel };

struct MpegHeader {
    MpegVersion version = MpegVersion::Mpeg1;
    int layer = 3;       // 1, 2 or 3
    int bitrate = 0;     // bits per second
    int sampleRate = 0;  // Hz
    MpegChannelMode channelMode = MpegChannelMode::Stereo;
    int frameLength = 0;  // bytes, header and padding included
    int samplesPerFrame = 0;
    int sideInfoLength = 0;  // bytes between the header and the Layer III main data
};

// The header at bytes[0..3], or none when the bytes are no valid header: no frame sync,
// a reserved version, layer, bitrate or sampling rate, or the free-format bitrate (whose
// frame length cannot be known from the header).
std::optional<MpegHeader> ParseMpegHeader(const std::uint8_t* bytes);

// Whether two headers can belong to one stream: frames of one stream keep the version,
// the layer and the sampling rate.
bool SameStream(const MpegHeader& a, const MpegHeader& b);

// The highest bitrate the version and layer allow, in bits per second.
int MaximumBitrate(MpegVersion version, int layer);
