#include "core/mp3_info/mpeg_header.h"

namespace {

// kbit/s by [MPEG-1 ? 0 : 1][layer - 1][index]; index 0 (free format) and 15 are invalid.
constexpr int kBitrates[2][3][16] = {
    {{0, 32, 64, 96, 128, 160, 192, 224, 256, 288, 320, 352, 384, 416, 448, 0},
     {0, 32, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 384, 0},
     {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 0}},
    {{0, 32, 48, 56, 64, 80, 96, 112, 128, 144, 160, 176, 192, 224, 256, 0},
     {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160, 0},
     {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160, 0}},
};

constexpr int kSampleRates[3][3] = {
    {44100, 48000, 32000}, {22050, 24000, 16000}, {11025, 12000, 8000}};

}  // namespace

std::optional<MpegHeader> ParseMpegHeader(const std::uint8_t* bytes) {
    if (bytes[0] != 0xFF || (bytes[1] & 0xE0) != 0xE0) {
        return std::nullopt;
    }
    const int versionBits = (bytes[1] >> 3) & 3;
    const int layerBits = (bytes[1] >> 1) & 3;
    const int bitrateIndex = bytes[2] >> 4;
    const int sampleRateIndex = (bytes[2] >> 2) & 3;
    if (versionBits == 1 || layerBits == 0 || bitrateIndex == 0 || bitrateIndex == 15 ||
        sampleRateIndex == 3) {
        return std::nullopt;
    }
    MpegHeader header;
    header.version = versionBits == 3   ? MpegVersion::Mpeg1
                     : versionBits == 2 ? MpegVersion::Mpeg2
                                        : MpegVersion::Mpeg25;
    header.layer = 4 - layerBits;
    const bool mpeg1 = header.version == MpegVersion::Mpeg1;
    header.bitrate = kBitrates[mpeg1 ? 0 : 1][header.layer - 1][bitrateIndex] * 1000;
    header.sampleRate =
        kSampleRates[mpeg1 ? 0 : (header.version == MpegVersion::Mpeg2 ? 1 : 2)][sampleRateIndex];
    header.channelMode = static_cast<MpegChannelMode>(bytes[3] >> 6);
    const int padding = (bytes[2] >> 1) & 1;
    const bool mono = header.channelMode == MpegChannelMode::SingleChannel;
    if (header.layer == 1) {
        header.samplesPerFrame = 384;
        header.frameLength = (12 * header.bitrate / header.sampleRate + padding) * 4;
    } else if (header.layer == 2 || mpeg1) {
        header.samplesPerFrame = 1152;
        header.frameLength = 144 * header.bitrate / header.sampleRate + padding;
    } else {
        header.samplesPerFrame = 576;
        header.frameLength = 72 * header.bitrate / header.sampleRate + padding;
    }
    if (header.layer == 3) {
        header.sideInfoLength = mpeg1 ? (mono ? 17 : 32) : (mono ? 9 : 17);
    }
    return header;
}

bool SameStream(const MpegHeader& a, const MpegHeader& b) {
    return a.version == b.version && a.layer == b.layer && a.sampleRate == b.sampleRate;
}

int MaximumBitrate(MpegVersion version, int layer) {
    return kBitrates[version == MpegVersion::Mpeg1 ? 0 : 1][layer - 1][14] * 1000;
}
