#include "core/creation_job/creation_job.h"

#include <errno.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/types.h>

#include <climits>
#include <string_view>

#include "core/mp3_info/mp3_file_info.h"
#include "core/mp3_info/title_mask.h"
#include "core/path/path.h"
#include "core/playlist/playlist.h"
#include "platform/code_page/code_page.h"
#include "platform/path_style/path_style.h"
#include "settings/language/language.h"
#include "settings/placeholders/placeholders.h"
#include "settings/store/properties.h"

namespace {

constexpr PathStyle kStyle = kNativePathStyle;

// The values of one entry, by the names of the template tags.
struct EntryValues {
    std::string track;
    std::string filePath;
    std::string fileName;
    std::string title;
    std::string length;
};

// Fills the tags of an entry template in one pass over the template. Unlike ReplaceTags the
// inserted values are never searched again: a file may be called "<TITLE/>.mp3" here, and
// a title taken from a tag may hold "<LENGTH/>"; both must reach the playlist as they are.
std::string FillEntry(const std::string& text, const EntryValues& values) {
    struct Tag {
        std::string_view tag;
        const std::string* value;
    };
    const Tag tags[] = {
        {"<TRACK/>", &values.track},       {"<FILEPATH/>", &values.filePath},
        {"<FILENAME/>", &values.fileName}, {"<TITLE/>", &values.title},
        {"<LENGTH/>", &values.length},
    };
    std::string result;
    result.reserve(text.size() + values.filePath.size() + values.title.size() +
                   values.fileName.size() + 16);
    const std::string_view view(text);
    std::size_t pos = 0;
    while (pos < view.size()) {
        const std::size_t open = view.find('<', pos);
        if (open == std::string_view::npos) {
            result.append(view.substr(pos));
            break;
        }
        result.append(view.substr(pos, open - pos));
        const Tag* found = nullptr;
        for (const Tag& tag : tags) {
            if (view.substr(open, tag.tag.size()) == tag.tag) {
                found = &tag;
                break;
            }
        }
        if (found != nullptr) {
            result.append(*found->value);
            pos = open + found->tag.size();
        } else {
            result.push_back('<');
            pos = open + 1;
        }
    }
    return result;
}

bool HasLineBreak(const std::string& text) {
    return text.find_first_of("\r\n") != std::string::npos;
}

// The folder as the file system resolves it (links followed, "." and ".." gone); empty when
// it cannot be resolved.
std::string RealFolder(const std::string& folder) {
    char* resolved = realpath(folder.c_str(), nullptr);
    if (resolved == nullptr) {
        return {};
    }
    std::string result(resolved);
    free(resolved);
    return result;
}

// a + b without overflowing: the counters are shown to the user, a wrapped one would be
// nonsense.
int SaturatingAdd(int a, int b) {
    if (b > 0 && a > INT_MAX - b) {
        return INT_MAX;
    }
    return a + b;
}

}  // namespace

unsigned ProgressMarkMessage() {
    static const unsigned message =
        platform::RegisterMessage("UWM_PROGRESS_MARK-{E95F2F3A-E3E7-4709-A55E-E0AF93164C4B}");
    return message;
}

unsigned ProgressInfoMessage() {
    static const unsigned message =
        platform::RegisterMessage("UWM_PROGRESS_INFO-{4EE43259-34B0-40e9-894B-26A86600CD90}");
    return message;
}

unsigned ErrorNotifyMessage() {
    static const unsigned message =
        platform::RegisterMessage("UWM_ERROR_NOTIFY-{09D83AEA-4442-4f06-8521-C5E46A2E4B0B}");
    return message;
}

std::unique_ptr<std::string> TakeProgressText(std::intptr_t lParam) {
    return std::unique_ptr<std::string>(reinterpret_cast<std::string*>(lParam));
}

CCreationJob::CCreationJob(CPlaylist& playlist, platform::IMessageTarget& target,
                           platform::CManualResetEvent& cancelEvent,
                           platform::CManualResetEvent& continueEvent)
    : m_playlist(playlist),
      m_target(target),
      m_cancelEvent(cancelEvent),
      m_continueEvent(continueEvent) {}

CCreationJob::~CCreationJob() = default;

void CCreationJob::PostMark(Mark mark) {
    m_target.PostMessage(ProgressMarkMessage(), mark, 0);
}

void CCreationJob::PostInfo(int percent, const std::string& text) {
    auto* copy = new std::string(text);
    m_target.PostMessage(ProgressInfoMessage(), static_cast<std::uintptr_t>(percent),
                         reinterpret_cast<std::intptr_t>(copy));
}

int CCreationJob::Fail(const std::string& key, const std::string& filePath) {
    m_errorText = filePath.empty() ? GetText(key) : ReplaceTags(GetText(key), "FILEPATH", filePath);
    return kFailed;
}

void CCreationJob::CloseAfterFailure() {
    // The file is broken either way; what matters is that the descriptor goes and that the
    // failure already reported is not reported twice.
    if (m_file && m_file->IsOpen()) {
        m_file->Close();
    }
}

int CCreationJob::Prepare() {
    PostMark(kMarkPreparation);
    PostInfo(0, GetText("IDS_TL_CREATE_PLAYLIST_PROGRESS_INFO_PREPARE"));

    m_format = CreatePlaylistFormat(m_playlist.GetType());
    if (!m_format) {
        return Fail("IDS_TL_MB_ERR_INVALID_PLAYLIST_FORMAT");
    }
    m_readTags =
        m_overrides.readTags ? *m_overrides.readTags : GetPropertyInt("prop_ReadID3Tags", 1) != 0;
    m_relative = m_overrides.relative
                     ? *m_overrides.relative
                     : GetPropertyString("prop_SaveMode", "Relative") == "Relative";
    m_titleMask = m_overrides.titleMask ? *m_overrides.titleMask
                                        : GetPropertyString("prop_TitleMask", "%3 - %2");

    m_folder = AddSeparator(m_playlist.GetFolder(), kStyle);
    if (!CPath(m_folder, true, kStyle).Exists()) {
        // One level only, as the folder dialog offers it; a missing parent is an error.
        if (mkdir(RemoveSeparator(m_folder, kStyle).c_str(), 0777) != 0) {
            return Fail("IDS_TL_MB_ERR_CREATE_PLAYLIST_FOLDER");
        }
    }
    m_realFolder = RealFolder(m_folder);
    m_hasLastEntryFolder = false;

    m_file = std::make_unique<CPlaylistFileWriter>();
    if (!m_file->Open(m_overrides.filePath ? *m_overrides.filePath : m_playlist.GetFilePath())) {
        return Fail("IDS_TL_MB_ERR_OPEN_PLAYLIST_FILE");
    }
    return kContinue;
}

// The folder part of the entry's path as it is written. A relative form is only written
// when it is sure to lead there: "../" climbs the folder the playlist really is in, so
// through a symbolic link the lexical form may point somewhere else. The file system
// decides; when it cannot (a folder is gone), the absolute form is the safe one.
std::string CCreationJob::EntryPath(const CPlaylistElement& entry) {
    const std::string entryFolder = AddSeparator(entry.GetFolder(), kStyle);
    if (!m_relative) {
        return entryFolder;
    }
    if (m_hasLastEntryFolder && m_lastEntryFolder == entryFolder) {
        return m_lastEntryPrefix;
    }
    std::string prefix = entryFolder;
    const CPath entryPath(entryFolder, true, kStyle);
    const CPath playlistPath(m_folder, true, kStyle);
    if (entryPath.GetDrive() == playlistPath.GetDrive()) {
        const std::string relative = entryPath.GetRelativePath(RemoveSeparator(m_folder, kStyle));
        if (!relative.empty() && !m_realFolder.empty()) {
            const std::string reached = RealFolder(m_folder + relative);
            if (!reached.empty() && reached == RealFolder(entryFolder)) {
                prefix = AddSeparator(relative, kStyle);
            }
        }
    }
    m_lastEntryFolder = entryFolder;
    m_lastEntryPrefix = prefix;
    m_hasLastEntryFolder = true;
    return prefix;
}

int CCreationJob::Create() {
    PostMark(kMarkCreation);
    const std::int32_t count = m_playlist.GetCount();
    const std::string total = IntToText(count);
    const std::string progressText = GetText("IDS_TL_CREATE_PLAYLIST_PROGRESS_INFO_CREATE");
    const double step = 90.0 / static_cast<double>(count);
    PostInfo(5, ReplaceTags(progressText, "NUMBER", "0", "TOTAL", total));

    if (!m_file->Write(m_format->GetHeader())) {
        return Fail("IDS_TL_MB_ERR_WRITE_PLAYLIST_FILE");
    }
    const std::string entryTemplate = m_format->GetEntryTemplate();
    const std::string taggedTemplate = m_format->GetTaggedEntryTemplate();

    for (std::int32_t i = 0; i < count; ++i) {
        const CPlaylistElement* entry = m_playlist.GetAt(i);
        if (entry == nullptr) {
            return Fail("IDS_TL_MB_ERR_WRITE_PLAYLIST_FILE");
        }
        const std::string extension = platform::Utf8ToLower(entry->GetExtension());
        const std::string fullPath = entry->GetFullPath();

        EntryValues values;
        values.track = IntToText(i + 1);
        values.filePath = fullPath;
        values.fileName = entry->GetName();
        values.title = m_titleMask;
        if (m_relative) {
            values.filePath = EntryPath(*entry) + entry->GetFileName();
        }

        const std::string* pattern = &entryTemplate;
        if (m_readTags && extension == "mp3") {
            MP3FileInfo info;
            if (info.Load(fullPath)) {
                values.length = IntToText(info.GetLength());
                values.title =
                    ExpandTitleMask(m_titleMask, info.GetArtist(), info.GetTitle(), info.GetAlbum(),
                                    info.GetYear(), info.GetGenre(), info.GetTrack());
                pattern = &taggedTemplate;
            }
        }
        // A line break would split the entry into lines a player reads as other entries.
        const bool tagged = pattern == &taggedTemplate;
        if (HasLineBreak(values.filePath) ||
            (tagged ? HasLineBreak(values.title) : HasLineBreak(values.fileName))) {
            return Fail("IDS_TL_MB_ERR_INVALID_ENTRY_PATH", fullPath);
        }
        if (!m_file->Write(FillEntry(*pattern, values))) {
            return Fail("IDS_TL_MB_ERR_WRITE_PLAYLIST_FILE");
        }

        const int percent = static_cast<int>(static_cast<double>(i + 1) * step + 5.0);
        PostInfo(percent, ReplaceTags(progressText, "NUMBER", values.track, "TOTAL", total));

        while (true) {
            const int which = platform::WaitForEither(m_cancelEvent, m_continueEvent);
            if (which == 0) {
                return kCancelled;
            }
            if (which == 1) {
                break;
            }
        }
    }

    if (!m_file->Write(ReplaceTags(m_format->GetFooter(), "TRACKCOUNT", total))) {
        return Fail("IDS_TL_MB_ERR_WRITE_PLAYLIST_FILE");
    }
    return kContinue;
}

int CCreationJob::Finish() {
    PostMark(kMarkFinishing);
    PostInfo(95, GetText("IDS_TL_CREATE_PLAYLIST_PROGRESS_INFO_FINISH"));
    // Buffered bytes meet a full disk only here: a playlist that did not reach the disk
    // whole is a failure, and it is not counted.
    if (!m_file->Close()) {
        return Fail("IDS_TL_MB_ERR_WRITE_PLAYLIST_FILE");
    }
    const int playlists = GetPropertyInt("prop_TotalPlaylists", 0);
    const int songs = GetPropertyInt("prop_TotalSongs", 0);
    SetPropertyInt("prop_TotalPlaylists", SaturatingAdd(playlists < 0 ? 0 : playlists, 1));
    SetPropertyInt("prop_TotalSongs", SaturatingAdd(songs < 0 ? 0 : songs, m_playlist.GetCount()));
    return kContinue;
}

int CCreationJob::Complete() {
    PostMark(kMarkCompleted);
    PostInfo(100, GetText("IDS_TL_CREATE_PLAYLIST_PROGRESS_INFO_COMPLETED"));
    return kContinue;
}

void CCreationJob::Cancelled() {
    PostInfo(0, GetText("IDS_TL_PLAYLIST_CREATION_CANCELLED"));
    // The file keeps what was written: header and the entries so far, no footer.
    if (m_file && m_file->IsOpen()) {
        m_file->Close();
    }
    PostMark(kMarkCancelled);
}

int CCreationJob::Run() {
    int result = Prepare();
    if (result == kContinue) {
        result = Create();
    }
    if (result == kContinue) {
        result = Finish();
    }
    if (result == kContinue) {
        result = Complete();
    }
    if (result == kCancelled) {
        Cancelled();
    } else if (result != kContinue) {
        CloseAfterFailure();
        m_target.PostMessage(ErrorNotifyMessage(), 0, 0);
    }
    return result;
}
