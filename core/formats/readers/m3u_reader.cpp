#include "core/formats/readers/m3u_reader.h"

#include "core/formats/readers/text_lines.h"

namespace {

struct ExtInf {
    std::string title;
    std::int64_t lengthMs = kUnknownLength;
};

// "#EXTINF:215,Artist - Title", also with attributes after the length as IPTV lists write
// them ("#EXTINF:-1 tvg-name="a,b",Title"): the title starts after the first comma that is
// not inside quotes. Whatever the length is, it never costs the entry.
ExtInf ParseExtInf(std::string_view rest) {
    ExtInf info;
    std::size_t lengthEnd = 0;
    while (lengthEnd < rest.size() && rest[lengthEnd] != ',' && rest[lengthEnd] != ' ' &&
           rest[lengthEnd] != '\t') {
        ++lengthEnd;
    }
    info.lengthMs = ParseSeconds(rest.substr(0, lengthEnd));
    bool quoted = false;
    for (std::size_t i = lengthEnd; i < rest.size(); ++i) {
        if (rest[i] == '"') {
            quoted = !quoted;
        } else if (rest[i] == ',' && !quoted) {
            info.title = rest.substr(i + 1);
            break;
        }
    }
    return info;
}

}  // namespace

bool CPlaylistReaderM3u::HasSignature(std::string_view bytes) const {
    if (bytes.substr(0, 3) == "\xEF\xBB\xBF") {
        bytes.remove_prefix(3);
    }
    return StartsWithIgnoringCase(bytes, "#EXTM3U");
}

void CPlaylistReaderM3u::Read(std::string_view bytes, const std::string& /*playlistUri*/,
                              PlaylistSource& source) const {
    CPlaylistLines lines(bytes, m_type == PlaylistFileType::kM3u8, source);
    std::string_view line;
    ExtInf pending;
    bool hasPending = false;
    while (lines.Next(line)) {
        line = TrimLeadingBlanks(line);
        if (line.empty()) {
            continue;
        }
        if (line.front() == '#') {
            if (StartsWithIgnoringCase(line, "#EXTINF:")) {
                pending = ParseExtInf(line.substr(8));
                hasPending = true;
            }
            continue;
        }
        PlaylistFileEntry* added = source.Add(lines.Number(), std::string(line));
        if (added == nullptr) {
            return;
        }
        if (hasPending) {
            added->title = std::move(pending.title);
            added->lengthMs = pending.lengthMs;
            hasPending = false;
        }
    }
}
