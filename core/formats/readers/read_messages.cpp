#include "core/formats/readers/read_messages.h"

#include "settings/language/language.h"
#include "settings/placeholders/placeholders.h"

namespace {

std::string Number(std::int64_t value) {
    return std::to_string(value);
}

std::string WarningText(const PlaylistReadWarning& warning) {
    // The entry's own text goes in last: a tag in it stays as it is.
    switch (warning.kind) {
        case PlaylistReadWarningKind::kUrl:
            return ReplaceTags(GetText("IDS_TL_READ_PLAYLIST_WARN_URL"), "ENTRY", warning.text);
        case PlaylistReadWarningKind::kWindowsPath:
            return ReplaceTags(GetText("IDS_TL_READ_PLAYLIST_WARN_WINDOWS_PATH"), "ENTRY",
                               warning.text);
        case PlaylistReadWarningKind::kInvalidFileUri:
            return ReplaceTags(GetText("IDS_TL_READ_PLAYLIST_WARN_INVALID_FILE_URL"), "ENTRY",
                               warning.text);
        case PlaylistReadWarningKind::kTrackWithoutFile:
            return GetText("IDS_TL_READ_PLAYLIST_WARN_NO_LOCATION");
        case PlaylistReadWarningKind::kWindows1252:
            return GetText("IDS_TL_READ_PLAYLIST_WARN_WINDOWS_1252");
        case PlaylistReadWarningKind::kInvalidUtf8:
            return GetText("IDS_TL_READ_PLAYLIST_WARN_INVALID_UTF8");
        case PlaylistReadWarningKind::kTypeMismatch:
            return ReplaceTags(GetText("IDS_TL_READ_PLAYLIST_WARN_TYPE_MISMATCH"), "FORMAT",
                               warning.text);
        case PlaylistReadWarningKind::kEntryCountMismatch:
            return ReplaceTags(GetText("IDS_TL_READ_PLAYLIST_WARN_ENTRY_COUNT"), "EXPECTED",
                               Number(warning.stated), "COUNT", Number(warning.found));
        case PlaylistReadWarningKind::kRepeatedNumber:
            return ReplaceTags(GetText("IDS_TL_READ_PLAYLIST_WARN_REPEATED_NUMBER"), "NUMBER",
                               Number(warning.stated));
        case PlaylistReadWarningKind::kNoFileLine:
            return ReplaceTags(GetText("IDS_TL_READ_PLAYLIST_WARN_NO_FILE_LINE"), "NUMBER",
                               Number(warning.stated));
    }
    return {};
}

}  // namespace

std::string DescribePlaylistReadError(const PlaylistReadResult& result, const std::string& path) {
    const char* key = nullptr;
    switch (result.error) {
        case PlaylistReadError::kNone:
            return {};
        case PlaylistReadError::kCannotRead:
            key = "IDS_TL_MB_ERR_READ_PLAYLIST";
            break;
        case PlaylistReadError::kTooLarge:
            key = "IDS_TL_MB_ERR_READ_PLAYLIST_TOO_LARGE";
            break;
        case PlaylistReadError::kLineTooLong:
            key = "IDS_TL_MB_ERR_READ_PLAYLIST_LINE_TOO_LONG";
            break;
        case PlaylistReadError::kTooManyEntries:
            key = "IDS_TL_MB_ERR_READ_PLAYLIST_TOO_MANY_ENTRIES";
            break;
        case PlaylistReadError::kUnknownType:
            key = "IDS_TL_MB_ERR_READ_PLAYLIST_UNKNOWN_TYPE";
            break;
        case PlaylistReadError::kWrongContent:
            key = "IDS_TL_MB_ERR_READ_PLAYLIST_WRONG_CONTENT";
            break;
        case PlaylistReadError::kMalformedXml:
            key = "IDS_TL_MB_ERR_READ_PLAYLIST_XML";
            break;
    }
    return ReplaceTags(GetText(key), "LINE", Number(result.errorLine), "FORMAT",
                       PlaylistFileTypeName(result.type), "FILEPATH", path);
}

std::string DescribePlaylistReadWarning(const PlaylistReadWarning& warning) {
    const std::string text = WarningText(warning);
    if (warning.line == 0) {
        return text;
    }
    return ReplaceTags(GetText("IDS_TL_READ_PLAYLIST_LINE"), "LINE", Number(warning.line), "TEXT",
                       text);
}
