#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "tests/support/mp3/mp3_gen.h"

// Audio files of every format the other-format tag reader knows, for tests, fuzzing and
// benchmarks: made by Debian's encoders from a generated wave file where one is
// installed, and byte for byte in code for the two formats that Debian has no encoder
// for (Monkey's Audio and Musepack SV7). Each file knows its true playing time.
namespace tagfiles {

using mp3gen::Bytes;

// One way of making a file; several kinds may give one format.
enum class Kind {
    Flac,
    OggFlac,
    Vorbis,
    Opus,
    Speex,
    M4aAac,
    M4aAlac,
    M4bAac,
    Wma,
    WavInfo,
    WavId3,
    Aiff,
    Ape,
    WavPack,
    MusepackSv8,
    MusepackSv7,
    TrueAudio,
};

// Every kind, in the order above.
const std::vector<Kind>& AllKinds();
// A short name without blanks for test names and file names ("m4a_alac").
std::string KindName(Kind kind);
// The file name extension the kind's files get, without the dot.
std::string KindExtension(Kind kind);

// Tag values to write; empty ones are left out.
struct Tags {
    std::string title;
    std::string artist;
    std::string album;
    std::string date;
    std::string genre;
    std::string track;
};

// Which of the tags a kind's encoder can write (the title always).
struct Written {
    bool artist = true;
    bool album = true;
    bool date = true;
    bool genre = true;
    bool track = true;
};
Written WrittenTags(Kind kind);

struct Audio {
    int sampleRate = 44100;
    int channels = 2;
    std::int64_t frames = 44100;  // samples per channel
};

struct Made {
    std::string path;
    // The playing time of the audio given to the encoder, in milliseconds.
    double milliseconds = 0;
};

// The program a kind needs and the Debian package it comes in; empty for the kinds made
// in code.
std::string EncoderProgram(Kind kind);
std::string EncoderPackage(Kind kind);
// Whether the kind's encoder can be run here.
bool CanMake(Kind kind);

// Makes a file of the kind in folder (named base + "." + extension) with the tags and
// the audio. None when the encoder is missing or fails.
std::optional<Made> Make(Kind kind, const std::string& folder, const std::string& base,
                         const Tags& tags, const Audio& audio);

// A 16-bit PCM wave file of a quiet noise, without any tag.
Bytes MakeWave(const Audio& audio);
// An APEv2 tag with header and footer, items in the order given (key, UTF-8 value).
Bytes MakeApeTag(const std::vector<std::pair<std::string, std::string>>& items);
// The wave file with a RIFF chunk "id3 " holding the ID3v2 tag.
Bytes AddId3Chunk(const Bytes& wave, const Bytes& id3v2);

// Reads a whole file; empty when it cannot be read.
Bytes ReadFile(const std::string& path);

}  // namespace tagfiles
