#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Reading existing playlists: M3U, M3U8, PLS and XSPF. The extension chooses the reader and
// the content confirms it; what comes out is the list of entries in the file's order, each
// as an absolute path with what the file said about it, and the warnings that a user should
// see, each with the line it concerns. Playlists come from anywhere, so every reader has
// limits and reads nothing but the bytes it was given.

enum class PlaylistFileType { kM3u, kM3u8, kPls, kXspf };

// "M3U", "M3U8", "PLS", "XSPF".
const char* PlaylistFileTypeName(PlaylistFileType type);
// The type of an extension given with its dot (".m3u", ".M3U8", ".pls", ".xspf"), in any
// letter case; nothing for any other text.
std::optional<PlaylistFileType> PlaylistFileTypeFromExtension(std::string_view extension);
// Whether the file name of path ends in the extension of a playlist type.
bool IsPlaylistFilePath(std::string_view path);

// Larger files, longer lines (or XSPF values) and more entries are refused as a whole.
inline constexpr std::int64_t kMaxPlaylistFileBytes = 64 * 1024 * 1024;
inline constexpr std::size_t kMaxPlaylistLineBytes = 64 * 1024;
inline constexpr std::size_t kMaxPlaylistEntries = 1000000;

inline constexpr std::int64_t kUnknownLength = -1;

// One entry as the playlist gives it.
struct PlaylistFileEntry {
    // Absolute, without "." and ".." components and doubled separators, in UTF-8.
    std::string path;
    // What the file said about it (the display text of M3U and PLS, XSPF's title); empty
    // when it said nothing.
    std::string title;
    std::string artist;  // XSPF's creator
    std::string album;
    std::int64_t lengthMs = kUnknownLength;  // the playing time the file gave, if any
    std::int32_t line = 0;                   // where the entry stands in the file, from 1
    bool exists = false;                     // whether a file (not a folder) is at path
};

enum class PlaylistReadWarningKind {
    // Each of these stands for an entry that was left out of the list:
    kUrl,               // an internet address (http, https and other network schemes)
    kWindowsPath,       // a drive letter ("C:\...") or a network share ("\\server\...")
    kInvalidFileUri,    // a file URI of another computer, or one that names no file
    kTrackWithoutFile,  // an XSPF track without a location
    // and these leave every entry in:
    kWindows1252,         // the whole file was not UTF-8 and was read as Windows-1252
    kInvalidUtf8,         // a line of an M3U8 file that is not UTF-8, taken byte for byte
    kTypeMismatch,        // the content is of another type than the extension says
    kEntryCountMismatch,  // PLS: NumberOfEntries differs from the File lines
    kRepeatedNumber,      // PLS: a File, Title or Length line for a number given before
    kNoFileLine,          // PLS: a Title or Length line for a number without a File line
};

// Whether a warning of this kind stands for an entry left out.
bool IsLeftOutEntry(PlaylistReadWarningKind kind);

struct PlaylistReadWarning {
    PlaylistReadWarningKind kind;
    std::int32_t line = 0;  // 0 when it concerns the whole file
    // The entry as the file holds it; for kTypeMismatch the name of the type read.
    std::string text;
    // kEntryCountMismatch: the stated and the found count; kRepeatedNumber and kNoFileLine:
    // the entry number in stated.
    std::int64_t stated = 0;
    std::int64_t found = 0;
};

enum class PlaylistReadError {
    kNone,
    kCannotRead,      // not there, no permission, a folder, a read error (errorNumber)
    kTooLarge,        // over kMaxPlaylistFileBytes
    kLineTooLong,     // a line over kMaxPlaylistLineBytes (errorLine)
    kTooManyEntries,  // over kMaxPlaylistEntries
    kUnknownType,     // the extension names no playlist type
    kWrongContent,    // the content is not of the type the extension names
    kMalformedXml,    // an XSPF file that is not well-formed XML (errorLine)
};

struct PlaylistReadResult {
    PlaylistReadError error = PlaylistReadError::kNone;
    std::int32_t errorLine = 0;
    int errorNumber = 0;  // the system's error number for kCannotRead
    // The type the file was read as: the extension's, or what the content turned out to be.
    PlaylistFileType type = PlaylistFileType::kM3u;
    // Empty after an error.
    std::vector<PlaylistFileEntry> entries;
    // In the order of their lines; empty after an error.
    std::vector<PlaylistReadWarning> warnings;

    bool Ok() const { return error == PlaylistReadError::kNone; }
    // Entries whose file is not there.
    std::size_t MissingCount() const;
    // Entries of the file that are not in entries.
    std::size_t LeftOutCount() const;
};

// Reads the playlist at path (absolute or relative to the working folder). Relative entry
// paths count from the playlist's folder; one stat per entry tells whether its file exists.
// Keeps no state between calls, so any thread may read a playlist while others do too.
PlaylistReadResult ReadPlaylistFile(const std::string& path);

// What a format reader makes of a file's bytes: the entries with everything the file said
// about them, but with the location as the file gives it in place of the path (M3U and
// PLS: the entry's text, a path or a URI; XSPF: a URI reference). Reading then turns each
// location into a path in place, so that a large playlist is held once.
struct PlaylistSource {
    PlaylistReadError error = PlaylistReadError::kNone;
    std::int32_t errorLine = 0;
    std::vector<PlaylistFileEntry> entries;
    // XSPF: the locations are URI references, each resolving against the base of the same
    // index here, or against the playlist's own URI where that is empty (or missing).
    bool uriReferences = false;
    std::vector<std::string> bases;
    std::vector<PlaylistReadWarning> warnings;

    // Appends an entry with its location, or sets kTooManyEntries and returns null when
    // the limit is reached.
    PlaylistFileEntry* Add(std::int32_t line, std::string location);
    void Fail(PlaylistReadError why, std::int32_t line = 0) {
        error = why;
        errorLine = line;
    }
    void Warn(PlaylistReadWarningKind kind, std::int32_t line, std::string text = {},
              std::int64_t stated = 0, std::int64_t found = 0) {
        warnings.push_back({kind, line, std::move(text), stated, found});
    }
};

// One playlist format's reader.
class IPlaylistReader {
public:
    virtual ~IPlaylistReader() = default;

    virtual PlaylistFileType GetType() const = 0;
    // Whether the start of the file carries this format's own mark ("#EXTM3U",
    // "[playlist]", an XSPF root element). Only a mark counts as proof of the type: an M3U
    // file needs none.
    virtual bool HasSignature(std::string_view bytes) const = 0;
    // Reads the whole file. playlistUri is the file URI of the playlist itself, the base of
    // relative references.
    virtual void Read(std::string_view bytes, const std::string& playlistUri,
                      PlaylistSource& source) const = 0;
};

std::unique_ptr<IPlaylistReader> CreatePlaylistReader(PlaylistFileType type);
