#pragma once

#include <cstdint>
#include <optional>

#include "core/mp3_info/mp3_file_reader.h"
#include "core/mp3_info/mpeg_header.h"

// The audio of an MP3 file: where its first frame is, and how long and at what bitrate it
// plays, from a Xing, Info or VBRI header where one can be trusted, else from the frames.

struct FirstFrame {
    std::int64_t offset = 0;
    MpegHeader header;
    Bytes data;  // the bytes from offset on that were read to find it
};

// The first frame at or after start whose successor is a frame of the same stream (or the
// end of the audio at audioEnd): a lone sync pattern in tag padding or junk does not count.
// None when there is no such frame within 64 KiB of start.
std::optional<FirstFrame> FindFirstFrame(CMp3FileReader& reader, std::int64_t start,
                                         std::int64_t audioEnd);

struct AudioResult {
    MpegHeader header;  // the first frame's
    std::int64_t milliseconds = 0;
    std::int32_t vbrBitrate = 0;  // the average of a variable bitrate; 0 for a constant one
};

AudioResult AnalyseAudio(CMp3FileReader& reader, const FirstFrame& first, std::int64_t audioEnd);
