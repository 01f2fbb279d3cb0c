#pragma once

#include <cstdint>
#include <optional>
#include <string>

// The six tag texts and the playing time of one audio file, whatever its format: the one
// thing that the creation job and the window's list need of a file's tags.
struct TagRecord {
    std::string artist;
    std::string title;
    std::string album;
    std::string year;
    std::string genre;
    std::string track;
    std::int64_t lengthMilliseconds = 0;
    // Whole seconds, rounded as the MP3 record rounds them.
    std::int32_t lengthSeconds = 0;
};

enum class TagSources {
    kMp3Only,    // files named .mp3 (in any letter case), as the program has always read
    kAllFormats  // and every other format the other-format record knows
};

// The record of the file at path. A file named .mp3 is read by MP3FileInfo with all of its
// rules; with kAllFormats any other file is read by TagFileInfo, whose signature check
// decides whether it is of a format it knows. Nothing when the file gives no record or is
// of a kind not asked for. Safe to call on any thread, several at once.
std::optional<TagRecord> ReadTagRecord(const std::string& path, TagSources sources);

// Whether a file of this name is read by the MP3 record.
bool IsMp3FileName(const std::string& path);
