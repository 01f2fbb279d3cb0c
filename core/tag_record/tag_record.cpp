#include "core/tag_record/tag_record.h"

#include "core/mp3_info/mp3_file_info.h"
#include "core/tag_info/tag_file_info.h"
#include "platform/code_page/code_page.h"

namespace {

// Both records have the same getters for the same six values.
template <typename Info>
TagRecord RecordOf(const Info& info) {
    TagRecord record;
    record.artist = info.GetArtist();
    record.title = info.GetTitle();
    record.album = info.GetAlbum();
    record.year = info.GetYear();
    record.genre = info.GetGenre();
    record.track = info.GetTrack();
    record.lengthMilliseconds = info.GetLengthMilliseconds();
    record.lengthSeconds = info.GetLength();
    return record;
}

}  // namespace

bool IsMp3FileName(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    const std::size_t dot = path.rfind('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) {
        return false;
    }
    return platform::Utf8ToLower(path.substr(dot + 1)) == "mp3";
}

std::optional<TagRecord> ReadTagRecord(const std::string& path, TagSources sources) {
    if (IsMp3FileName(path)) {
        MP3FileInfo info;
        if (!info.Load(path)) {
            return std::nullopt;
        }
        return RecordOf(info);
    }
    if (sources != TagSources::kAllFormats) {
        return std::nullopt;
    }
    TagFileInfo info;
    if (!info.Load(path)) {
        return std::nullopt;
    }
    return RecordOf(info);
}
