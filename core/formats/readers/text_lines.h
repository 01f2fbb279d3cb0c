#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "core/formats/readers/playlist_reader.h"

// The lines of a line-based playlist (M3U, M3U8, PLS) as UTF-8 text. Lines end in CR, LF
// or CR LF, the last one may lack its end, a UTF-8 byte-order mark at the start is skipped.
// A file that holds a NUL byte is no text playlist at all (UTF-16 or binary data).
//
// Encoding: an M3U8 file is UTF-8 by its name; a line that is not is taken byte for byte,
// with a warning, since on Linux such bytes can still be a file's name. Other files are
// UTF-8 when every byte of them is, and otherwise Windows-1252, the code page that
// Windows programs wrote them in; one warning says so.
class CPlaylistLines {
public:
    // Fails the source (kWrongContent) when the bytes hold a NUL; Next then gives nothing.
    CPlaylistLines(std::string_view bytes, bool utf8ByName, PlaylistSource& source);

    // The next line, without its line end; the view lasts until the next call. False at
    // the end, and for a line over the limit, which fails the source (kLineTooLong).
    bool Next(std::string_view& line);
    // The number of the line Next gave, from 1.
    std::int32_t Number() const { return m_number; }

private:
    std::string_view m_rest;
    bool m_utf8ByName;
    bool m_windows1252 = false;
    bool m_failed = false;
    std::int32_t m_number = 0;
    std::string m_converted;
    PlaylistSource& m_source;
};

// Whether every byte of text belongs to a well-formed UTF-8 character; plain ASCII, the
// common case, is passed over eight bytes at a time.
bool IsUtf8Text(std::string_view text);

// The text without blanks and tabs at the start; at both ends.
std::string_view TrimLeadingBlanks(std::string_view text);
std::string_view TrimBlanks(std::string_view text);

// Whether text starts with prefix, ASCII letters compared without regard to case.
bool StartsWithIgnoringCase(std::string_view text, std::string_view prefix);

// A playing time in seconds as M3U and PLS write it ("215", "215.5", "-1"), in
// milliseconds; kUnknownLength for a negative, too large or unreadable one.
std::int64_t ParseSeconds(std::string_view text);
