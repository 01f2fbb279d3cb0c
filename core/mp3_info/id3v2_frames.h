#pragma once

#include <taglib/id3v2tag.h>

#include <optional>
#include <string>

// The texts of the ID3v2 frames an MP3FileInfo reads, as UTF-8. Each is none when the tag
// has no such frame (or one of another kind).

// A text frame (TALB, TPE1, ...): its text.
std::optional<std::string> TextFrame(const TagLib::ID3v2::Tag& tag, const char* id);
// The year: TYER, else the first four characters of the recording time TDRC, the release
// time TDRL or the original release time TDOR, the first of them there is.
std::optional<std::string> YearFrames(const TagLib::ID3v2::Tag& tag);
// The comment: of several, the one without a description.
std::optional<std::string> CommentFrame(const TagLib::ID3v2::Tag& tag);
// The user-defined link WXXX.
std::optional<std::string> UrlFrame(const TagLib::ID3v2::Tag& tag);
// The genre TCON, numbers resolved through the genre table, several genres one text.
std::optional<std::string> GenreFrame(const TagLib::ID3v2::Tag& tag);
