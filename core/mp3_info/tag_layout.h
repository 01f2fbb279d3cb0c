#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "core/mp3_info/mp3_file_reader.h"

// Where the tags of an MP3 file lie around its audio.

// The full size of an ID3v2 tag whose header starts at data[0], or none when it is none.
std::optional<std::int64_t> Id3v2TagSize(const Bytes& data);

// What the end of a file holds behind the audio: ID3v1, Lyrics3 and APE tags, in the
// orders taggers leave them.
struct FileTail {
    std::int64_t audioEnd = 0;
    bool hasV1 = false;
    bool hasLyrics = false;
    Bytes v1;
};

FileTail ReadTail(CMp3FileReader& reader);

// An ID3v1 field of the 128-byte tag: the bytes up to the first NUL, without the blanks
// that pad it, as UTF-8.
std::string V1Field(const Bytes& tag, std::size_t at, std::size_t length);
