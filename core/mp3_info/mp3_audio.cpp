#include "core/mp3_info/mp3_audio.h"

#include <algorithm>
#include <utility>

namespace {

// How far behind the ID3v2 tag the first audio frame may start. A file without a frame
// there is no MP3 file; looking further would mean reading foreign files whole.
constexpr std::int64_t kAudioSearchWindow = 64 * 1024;
// Bytes read in one go while counting the frames of a whole file.
constexpr std::int64_t kWalkChunk = 256 * 1024;

std::optional<FirstFrame> FindFirstFrameIn(CMp3FileReader& reader, std::int64_t start,
                                           std::int64_t audioEnd, std::int64_t window) {
    Bytes data = reader.Read(start, std::min(audioEnd - start, window + 4));
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
            // Nearly always the frame starts right where the search did.
            data.erase(data.begin(), data.begin() + static_cast<std::ptrdiff_t>(i));
            frame.data = std::move(data);
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
Walk WalkFrames(CMp3FileReader& reader, const FirstFrame& first, std::int64_t audioEnd,
                bool skipFirst) {
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
bool LooksVariable(CMp3FileReader& reader, const FirstFrame& first, std::int64_t audioEnd) {
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

}  // namespace

// The first frame at or after start whose successor is a frame of the same stream (or
// the end of the audio): a lone sync pattern in tag padding or junk does not count.
std::optional<FirstFrame> FindFirstFrame(CMp3FileReader& reader, std::int64_t start,
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

AudioResult AnalyseAudio(CMp3FileReader& reader, const FirstFrame& first, std::int64_t audioEnd) {
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
