#pragma once

#include <string>
#include <string_view>
#include <unordered_map>

// Turns what a playlist says about an entry's place into an absolute path of this system.
//
// - A relative path counts from the playlist's folder.
// - "." components and doubled separators go. ".." climbs the folder that the file system
//   really reaches there, the way a player opening the path would: through a symbolic link
//   that is not the folder the text suggests. Where the folder is not there to ask, the
//   text decides.
// - file:// URIs (also file://localhost/ and file:/) are percent-decoded.
// - Backslashes: playlists made on Windows write "..\Music\a.mp3". On Linux a backslash
//   may be part of a file name, so the text is taken as it is unless that names no file
//   and the form with "/" does. Blanks at the end of a line go on the same terms.
// - What no path of this system can name is kept apart: internet addresses, Windows drive
//   letters and network shares, file URIs of other computers.
class CEntryPathResolver {
public:
    enum class Kind { kFile, kUrl, kWindowsPath, kInvalidFileUri };
    struct Result {
        Kind kind = Kind::kFile;
        std::string path;     // for kFile
        bool exists = false;  // a file, not a folder, is at path
    };

    // playlistFolder: the absolute folder of the playlist, as AbsolutePathOf gives it.
    explicit CEntryPathResolver(std::string playlistFolder);

    // An entry as M3U and PLS write it: a path, absolute or relative, or a URI.
    Result FromText(std::string_view text);
    // A URI reference (an XSPF location), resolved against an absolute base URI.
    Result FromReference(std::string_view reference, std::string_view base);

    // An absolute path with "." and ".." resolved as described above; "/" stays "/".
    std::string Normalise(std::string_view absolutePath);

private:
    Result FromPathText(std::string_view text);
    Result FromUri(std::string_view uri);
    Result FromFileUri(std::string_view uri);
    Result Found(std::string path);

    std::string m_folder;
    // The real folder of each text up to a "..", asked once.
    std::unordered_map<std::string, std::string> m_climbed;
};

// The absolute form of a path given relative to the working folder, normalised as above;
// empty when the working folder cannot be had.
std::string AbsolutePathOf(const std::string& path);
