#pragma once

#include <string>
#include <string_view>
#include <vector>

class CPlaylistFileWriter;

// The values of one entry, by the names of the template tags. The path is given in the
// pieces it is made of (folder part, name, dot, extension), so that it is written without
// being put together first.
struct EntryValues {
    std::string_view track;
    std::string_view filePath[4];
    std::string_view fileName;
    std::string_view title;
    std::string_view length;
};

// An entry template taken apart once into literal pieces (already in the file's CR LF form)
// and the tags between them, so that writing an entry searches nothing: neither the
// template again, nor an inserted value. A path may hold "<TITLE/>" (a folder "<TITLE" with
// a file ">.mp3" in it) and a title taken from a tag may hold "<LENGTH/>"; both reach the
// playlist as they are, which ReplaceTags, searching its own insertions, would not give.
// The values go into the file byte for byte: the caller makes sure none holds a line break.
class CEntryTemplate {
public:
    explicit CEntryTemplate(std::string_view text);
    // False when the file failed (then or before: a failure stays).
    bool WriteTo(CPlaylistFileWriter& file, const EntryValues& values) const;

private:
    enum class Tag { kTrack, kFilePath, kFileName, kTitle, kLength, kNone };
    struct Piece {
        std::string literal;
        Tag tag;  // the value after the literal
    };
    std::vector<Piece> m_pieces;
};
