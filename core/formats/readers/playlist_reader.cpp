#include "core/formats/readers/playlist_reader.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "core/formats/readers/entry_path_resolver.h"
#include "core/formats/readers/m3u_reader.h"
#include "core/formats/readers/pls_reader.h"
#include "core/formats/readers/xspf_reader.h"
#include "core/uri/file_uri.h"
#include "platform/code_page/code_page.h"

namespace {

constexpr PlaylistFileType kTypes[] = {PlaylistFileType::kM3u, PlaylistFileType::kM3u8,
                                       PlaylistFileType::kPls, PlaylistFileType::kXspf};

// M3U and M3U8 are one format under two names.
bool SameFormat(PlaylistFileType a, PlaylistFileType b) {
    auto family = [](PlaylistFileType type) {
        return type == PlaylistFileType::kM3u8 ? PlaylistFileType::kM3u : type;
    };
    return family(a) == family(b);
}

// The whole file, refused when it is not a regular file or larger than the limit. The size
// is checked while reading as well: a file may grow, and /proc files say they are empty.
PlaylistReadError ReadBytes(const std::string& path, std::string& bytes, int& errorNumber) {
    // Without O_NONBLOCK a FIFO would block the open until someone writes to it.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) {
        errorNumber = errno;
        return PlaylistReadError::kCannotRead;
    }
    struct stat info {};
    PlaylistReadError result = PlaylistReadError::kNone;
    if (::fstat(fd, &info) != 0) {
        errorNumber = errno;
        result = PlaylistReadError::kCannotRead;
    } else if (!S_ISREG(info.st_mode)) {
        errorNumber = S_ISDIR(info.st_mode) ? EISDIR : EINVAL;
        result = PlaylistReadError::kCannotRead;
    } else if (info.st_size > kMaxPlaylistFileBytes) {
        result = PlaylistReadError::kTooLarge;
    } else {
        bytes.resize(static_cast<std::size_t>(info.st_size) + 1);
        std::size_t used = 0;
        while (true) {
            if (used == bytes.size()) {
                if (bytes.size() > static_cast<std::size_t>(kMaxPlaylistFileBytes)) {
                    result = PlaylistReadError::kTooLarge;
                    break;
                }
                bytes.resize(
                    std::min<std::size_t>(bytes.size() * 2 + 4096, kMaxPlaylistFileBytes + 1));
            }
            const ssize_t got = ::read(fd, bytes.data() + used, bytes.size() - used);
            if (got < 0 && errno == EINTR) {
                continue;
            }
            if (got < 0) {
                errorNumber = errno;
                result = PlaylistReadError::kCannotRead;
                break;
            }
            if (got == 0) {
                break;
            }
            used += static_cast<std::size_t>(got);
        }
        bytes.resize(used);
    }
    ::close(fd);
    if (result != PlaylistReadError::kNone) {
        bytes.clear();
    }
    return result;
}

// ".m3u" of "/lists/a.m3u"; empty without an extension. A name such as ".m3u" alone is a
// hidden file without one.
std::string_view ExtensionOf(std::string_view path) {
    const std::size_t slash = path.rfind('/');
    const std::string_view name = path.substr(slash == std::string_view::npos ? 0 : slash + 1);
    const std::size_t dot = name.rfind('.');
    return dot == std::string_view::npos || dot == 0 ? std::string_view() : name.substr(dot);
}

PlaylistReadWarningKind LeftOutKind(CEntryPathResolver::Kind kind) {
    switch (kind) {
        case CEntryPathResolver::Kind::kUrl:
            return PlaylistReadWarningKind::kUrl;
        case CEntryPathResolver::Kind::kWindowsPath:
            return PlaylistReadWarningKind::kWindowsPath;
        default:
            return PlaylistReadWarningKind::kInvalidFileUri;
    }
}

PlaylistReadResult Failed(PlaylistFileType type, PlaylistReadError error, std::int32_t line = 0,
                          int errorNumber = 0) {
    PlaylistReadResult result;
    result.type = type;
    result.error = error;
    result.errorLine = line;
    result.errorNumber = errorNumber;
    return result;
}

}  // namespace

const char* PlaylistFileTypeName(PlaylistFileType type) {
    switch (type) {
        case PlaylistFileType::kM3u:
            return "M3U";
        case PlaylistFileType::kM3u8:
            return "M3U8";
        case PlaylistFileType::kPls:
            return "PLS";
        case PlaylistFileType::kXspf:
            return "XSPF";
    }
    return "";
}

std::optional<PlaylistFileType> PlaylistFileTypeFromExtension(std::string_view extension) {
    if (extension.empty() || extension.front() != '.') {
        return std::nullopt;
    }
    for (const PlaylistFileType type : kTypes) {
        if (platform::EqualsIgnoringAsciiCase(extension.substr(1), PlaylistFileTypeName(type))) {
            return type;
        }
    }
    return std::nullopt;
}

bool IsPlaylistFilePath(std::string_view path) {
    return PlaylistFileTypeFromExtension(ExtensionOf(path)).has_value();
}

bool IsLeftOutEntry(PlaylistReadWarningKind kind) {
    return kind == PlaylistReadWarningKind::kUrl || kind == PlaylistReadWarningKind::kWindowsPath ||
           kind == PlaylistReadWarningKind::kInvalidFileUri ||
           kind == PlaylistReadWarningKind::kTrackWithoutFile;
}

std::size_t PlaylistReadResult::MissingCount() const {
    return static_cast<std::size_t>(std::count_if(
        entries.begin(), entries.end(), [](const PlaylistFileEntry& e) { return !e.exists; }));
}

std::size_t PlaylistReadResult::LeftOutCount() const {
    return static_cast<std::size_t>(
        std::count_if(warnings.begin(), warnings.end(),
                      [](const PlaylistReadWarning& w) { return IsLeftOutEntry(w.kind); }));
}

PlaylistFileEntry* PlaylistSource::Add(std::int32_t line, std::string location) {
    if (entries.size() >= kMaxPlaylistEntries) {
        Fail(PlaylistReadError::kTooManyEntries);
        return nullptr;
    }
    PlaylistFileEntry& entry = entries.emplace_back();
    entry.line = line;
    entry.path = std::move(location);
    return &entry;
}

std::unique_ptr<IPlaylistReader> CreatePlaylistReader(PlaylistFileType type) {
    switch (type) {
        case PlaylistFileType::kM3u:
        case PlaylistFileType::kM3u8:
            return std::make_unique<CPlaylistReaderM3u>(type);
        case PlaylistFileType::kPls:
            return std::make_unique<CPlaylistReaderPls>();
        case PlaylistFileType::kXspf:
            return std::make_unique<CPlaylistReaderXspf>();
    }
    return nullptr;
}

PlaylistReadResult ReadPlaylistFile(const std::string& path) {
    const auto named = PlaylistFileTypeFromExtension(ExtensionOf(path));
    if (!named) {
        return Failed(PlaylistFileType::kM3u, PlaylistReadError::kUnknownType);
    }
    const std::string absolute = AbsolutePathOf(path);
    if (absolute.empty()) {
        return Failed(*named, PlaylistReadError::kCannotRead, 0, errno);
    }
    std::string bytes;
    int errorNumber = 0;
    if (const PlaylistReadError error = ReadBytes(absolute, bytes, errorNumber);
        error != PlaylistReadError::kNone) {
        return Failed(*named, error, 0, errorNumber);
    }

    PlaylistReadResult result;
    result.type = *named;
    // The extension chooses; a file whose content carries the mark of another format (a
    // radio station's ".m3u" that is PLS inside) is read as what it is.
    std::unique_ptr<IPlaylistReader> reader = CreatePlaylistReader(*named);
    if (!reader->HasSignature(bytes)) {
        for (const PlaylistFileType other :
             {PlaylistFileType::kXspf, PlaylistFileType::kPls, PlaylistFileType::kM3u}) {
            std::unique_ptr<IPlaylistReader> candidate = CreatePlaylistReader(other);
            if (!SameFormat(other, *named) && candidate->HasSignature(bytes)) {
                result.type = other;
                result.warnings.push_back(
                    {PlaylistReadWarningKind::kTypeMismatch, 0, PlaylistFileTypeName(other)});
                reader = std::move(candidate);
                break;
            }
        }
    }

    const std::string playlistUri = uri::FileUriFromPath(absolute);
    PlaylistSource source;
    reader->Read(bytes, playlistUri, source);
    if (source.error != PlaylistReadError::kNone) {
        return Failed(result.type, source.error, source.errorLine);
    }
    // The bytes are not needed any more; a large playlist's entries take their room.
    std::string().swap(bytes);

    // Each location becomes a path where it stands; the entries left out close up.
    CEntryPathResolver resolver(absolute.substr(0, absolute.rfind('/') + 1));
    std::size_t kept = 0;
    for (std::size_t i = 0; i < source.entries.size(); ++i) {
        PlaylistFileEntry& entry = source.entries[i];
        const bool ownBase = i < source.bases.size() && !source.bases[i].empty();
        CEntryPathResolver::Result found =
            source.uriReferences
                ? resolver.FromReference(entry.path, ownBase ? source.bases[i] : playlistUri)
                : resolver.FromText(entry.path);
        if (found.kind != CEntryPathResolver::Kind::kFile) {
            source.Warn(LeftOutKind(found.kind), entry.line, std::move(entry.path));
            continue;
        }
        entry.path = std::move(found.path);
        entry.exists = found.exists;
        if (kept != i) {
            source.entries[kept] = std::move(entry);
        }
        ++kept;
    }
    source.entries.resize(kept);
    result.entries = std::move(source.entries);
    for (PlaylistReadWarning& warning : source.warnings) {
        result.warnings.push_back(std::move(warning));
    }
    std::stable_sort(
        result.warnings.begin(), result.warnings.end(),
        [](const PlaylistReadWarning& a, const PlaylistReadWarning& b) { return a.line < b.line; });
    return result;
}
