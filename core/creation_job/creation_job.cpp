#include "core/creation_job/creation_job.h"

#include <errno.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/types.h>

#include <algorithm>
#include <charconv>
#include <cstring>
#include <string_view>
#include <vector>

#include "core/creation_job/entry_text.h"
#include "core/creation_job/progress_text.h"
#include "core/mp3_info/title_mask.h"
#include "core/path/path.h"
#include "core/playlist/playlist.h"
#include "core/tag_record/tag_record.h"
#include "platform/code_page/code_page.h"
#include "platform/path_style/path_style.h"
#include "settings/language/language.h"
#include "settings/placeholders/placeholders.h"
#include "settings/store/properties.h"

namespace {
constexpr PathStyle kStyle = kNativePathStyle;

// How many entries ahead of the one being written their memory is asked for.
constexpr int kPrefetchDistance = 4;

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

// The system's own words for an error number, in the language it gives them.
std::string SystemReason(int error) {
    char buffer[256];
    return strerror_r(error, buffer, sizeof buffer);
}

// A large playlist does not fit the cache, and the entries and their texts lie scattered on
// the heap: ask for the texts of an entry a few places ahead and for the entry after it now,
// so that they arrive while this entry is written instead of stalling the loop when it gets
// there. Moves ahead on by one.
void PrefetchAhead(const CPlaylistElement*& ahead) {
    if (ahead == nullptr) {
        return;
    }
    __builtin_prefetch(ahead->GetFolder().data());
    __builtin_prefetch(ahead->GetName().data());
    ahead = ahead->GetNext();
    // An entry spans two or three cache lines, and its extension is in the last.
    const char* bytes = reinterpret_cast<const char*>(ahead);
    __builtin_prefetch(bytes);
    __builtin_prefetch(bytes + sizeof(CPlaylistElement) - 1);
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

void CCreationJob::PostInfo(int percent, std::string text) {
    m_target.Post(platform::CMessage(ProgressInfoMessage(), static_cast<std::uintptr_t>(percent), 0,
                                     std::move(text)));
}

int CCreationJob::Fail(const std::string& key, int error, const std::string& filePath) {
    m_errorText = filePath.empty() ? GetText(key) : ReplaceTags(GetText(key), "FILEPATH", filePath);
    if (error != 0) {
        m_errorText += "\n" + SystemReason(error);
    }
    return kFailed;
}

void CCreationJob::CloseAfterFailure() {
    // The failure is reported already; what matters is that the old playlist stays as it
    // was and that no temporary file is left behind.
    if (m_file) {
        m_file->Discard();
    }
}

int CCreationJob::Prepare() {
    PostMark(kMarkPreparation);
    PostInfo(0, GetText("IDS_TL_CREATE_PLAYLIST_PROGRESS_INFO_PREPARE"));

    m_format = CreatePlaylistFormat(m_playlist.GetType());
    if (!m_format) {
        return Fail("IDS_TL_MB_ERR_INVALID_PLAYLIST_FORMAT");
    }
    ReadSettings();
    if (const int result = CheckEntryPaths(); result != kContinue) {
        return result;
    }
    if (const int result = MakeFolder(); result != kContinue) {
        return result;
    }
    return OpenFile();
}

void CCreationJob::ReadSettings() {
    m_readTags =
        m_overrides.readTags ? *m_overrides.readTags : GetPropertyInt(property::kReadID3Tags) != 0;
    m_relative = m_overrides.relative ? *m_overrides.relative
                                      : GetPropertyString(property::kSaveMode) == "Relative";
    m_titleMask =
        m_overrides.titleMask ? *m_overrides.titleMask : GetPropertyString(property::kTitleMask);
}

int CCreationJob::CheckEntryPaths() {
    // A line break would split the entry into lines a player reads as other entries. Every
    // path is checked before anything is written, so a refused request changes nothing.
    const std::string* lastFolder = nullptr;
    for (const CPlaylistElement* entry = m_playlist.PeekHead(); entry != nullptr;
         entry = entry->GetNext()) {
        // Entries of one folder follow each other: its text is checked once.
        const bool sameFolder = lastFolder != nullptr && *lastFolder == entry->GetFolder();
        if ((!sameFolder && HasLineBreak(entry->GetFolder())) || HasLineBreak(entry->GetName()) ||
            HasLineBreak(entry->GetExtension())) {
            return Fail("IDS_TL_MB_ERR_INVALID_ENTRY_PATH", 0,
                        ShowLineBreaks(entry->GetFullPath()));
        }
        lastFolder = &entry->GetFolder();
    }
    return kContinue;
}

int CCreationJob::MakeFolder() {
    m_folder = AddSeparator(m_playlist.GetFolder(), kStyle);
    if (!CPath(m_folder, true, kStyle).Exists()) {
        // One level only, as the folder dialog offers it; a missing parent is an error.
        if (mkdir(RemoveSeparator(m_folder, kStyle).c_str(), 0777) != 0) {
            return Fail("IDS_TL_MB_ERR_CREATE_PLAYLIST_FOLDER", errno);
        }
    }
    m_realFolder = RealFolder(m_folder);
    m_hasLastEntryFolder = false;
    m_prefixes.clear();
    return kContinue;
}

int CCreationJob::OpenFile() {
    m_file = std::make_unique<CPlaylistFileWriter>();
    if (!m_file->OpenReplacement(m_overrides.filePath ? *m_overrides.filePath
                                                      : m_playlist.GetFilePath())) {
        return Fail("IDS_TL_MB_ERR_OPEN_PLAYLIST_FILE", m_file->GetErrorNumber());
    }
    return kContinue;
}

// The folder part of the entry's path as it is written: the entry's folder in absolute
// mode, in relative mode the relative form when it is sure to lead there. "../" climbs the
// folder the playlist really is in, so through a symbolic link the lexical form may point
// somewhere else. The file system decides; when it cannot (a folder is gone), the absolute
// form is the safe one.
const std::string& CCreationJob::EntryPath(const CPlaylistElement& entry) {
    const std::string& entryFolder = entry.GetFolder();
    if (m_hasLastEntryFolder && m_lastEntryFolder == entryFolder) {
        return m_lastEntryPrefix;
    }
    m_lastEntryFolder = entryFolder;
    m_hasLastEntryFolder = true;
    m_lastEntryPrefix = m_relative ? RelativePrefix(entryFolder) : entryFolder;
    return m_lastEntryPrefix;
}

std::string CCreationJob::RelativePrefix(const std::string& entryFolder) {
    if (const auto known = m_prefixes.find(entryFolder); known != m_prefixes.end()) {
        return known->second;
    }
    // Entry folders end in a separator once set; only a folder set empty lacks one.
    const std::string folder = AddSeparator(entryFolder, kStyle);
    std::string prefix = folder;
    const CPath entryPath(folder, true, kStyle);
    const CPath playlistPath(m_folder, true, kStyle);
    if (entryPath.GetDrive() == playlistPath.GetDrive()) {
        const std::string relative = entryPath.GetRelativePath(RemoveSeparator(m_folder, kStyle));
        if (!relative.empty() && !m_realFolder.empty()) {
            const std::string reached = RealFolder(m_folder + relative);
            if (!reached.empty() && reached == RealFolder(folder)) {
                prefix = AddSeparator(relative, kStyle);
            }
        }
    }
    m_prefixes.emplace(entryFolder, prefix);
    return prefix;
}

int CCreationJob::Create() {
    PostMark(kMarkCreation);
    const std::int32_t count = m_playlist.GetCount();
    const std::string total = IntToText(count);
    const CProgressText progress(GetText("IDS_TL_CREATE_PLAYLIST_PROGRESS_INFO_CREATE"), total);
    const double step = 90.0 / static_cast<double>(count);
    PostInfo(5, progress.For("0"));

    if (!m_file->Write(m_format->GetHeader())) {
        return Fail("IDS_TL_MB_ERR_WRITE_PLAYLIST_FILE", m_file->GetErrorNumber());
    }
    m_entryTemplate.emplace(m_format->GetEntryTemplate());
    m_taggedTemplate.emplace(m_format->GetTaggedEntryTemplate());

    const CPlaylistElement* ahead = count > 0 ? m_playlist.GetAt(0) : nullptr;
    for (int k = 0; k < kPrefetchDistance && ahead != nullptr; ++k) {
        ahead = ahead->GetNext();
    }
    for (std::int32_t i = 0; i < count; ++i) {
        const CPlaylistElement* entry = m_playlist.GetAt(i);
        if (entry == nullptr) {
            return Fail("IDS_TL_MB_ERR_WRITE_PLAYLIST_FILE");
        }
        PrefetchAhead(ahead);
        char trackDigits[12];
        const std::string_view track(
            trackDigits,
            static_cast<std::size_t>(
                std::to_chars(trackDigits, trackDigits + sizeof trackDigits, i + 1).ptr -
                trackDigits));
        if (const int result = WriteEntry(*entry, track); result != kContinue) {
            return result;
        }
        const int percent = static_cast<int>(static_cast<double>(i + 1) * step + 5.0);
        PostInfo(percent, progress.For(track));
        if (const int result = WaitBetweenEntries(); result != kContinue) {
            return result;
        }
    }

    if (!m_file->Write(ReplaceTags(m_format->GetFooter(), "TRACKCOUNT", total))) {
        return Fail("IDS_TL_MB_ERR_WRITE_PLAYLIST_FILE", m_file->GetErrorNumber());
    }
    return kContinue;
}

int CCreationJob::WriteEntry(const CPlaylistElement& entry, std::string_view track) {
    m_values.track = track;
    m_values.filePath[0] = EntryPath(entry);
    // The file name as GetFileName gives it; only a name without extension needs that call,
    // to tell "take" from "take.".
    if (entry.GetExtension().empty()) {
        m_fileName = entry.GetFileName();
        m_values.filePath[1] = m_fileName;
        m_values.filePath[2] = {};
        m_values.filePath[3] = {};
    } else {
        m_values.filePath[1] = entry.GetName();
        m_values.filePath[2] = ".";
        m_values.filePath[3] = entry.GetExtension();
    }
    m_values.fileName = entry.GetName();
    m_values.title = m_titleMask;
    m_values.length = {};

    const CEntryTemplate* pattern = &*m_entryTemplate;
    if (ReadTags(entry)) {
        m_values.title = m_title;
        m_values.length = m_length;
        pattern = &*m_taggedTemplate;
    }
    if (!pattern->WriteTo(*m_file, m_values)) {
        return Fail("IDS_TL_MB_ERR_WRITE_PLAYLIST_FILE", m_file->GetErrorNumber());
    }
    return kContinue;
}

bool CCreationJob::ReadTags(const CPlaylistElement& entry) {
    if (!m_readTags || platform::Utf8ToLower(entry.GetExtension()) != "mp3") {
        return false;
    }
    // Always the absolute path: the relative one is relative to the playlist.
    const auto record = ReadTagRecord(entry.GetFullPath(), TagSources::kMp3Only);
    if (!record) {
        return false;
    }
    m_length = IntToText(record->lengthSeconds);
    m_title = ExpandTitleMask(m_titleMask, record->artist, record->title, record->album,
                              record->year, record->genre, record->track);
    // A tag is anyone's text: a line break in it must not end the entry's line.
    BlankControlCharacters(m_title);
    return true;
}

int CCreationJob::WaitBetweenEntries() {
    while (true) {
        const int which = platform::WaitForEither(m_cancelEvent, m_continueEvent);
        if (which == 0) {
            return kCancelled;
        }
        if (which == 1) {
            return kContinue;
        }
    }
}

int CCreationJob::Finish() {
    PostMark(kMarkFinishing);
    PostInfo(95, GetText("IDS_TL_CREATE_PLAYLIST_PROGRESS_INFO_FINISH"));
    // Buffered bytes meet a full disk only here: a playlist that did not reach the disk
    // whole is a failure, and it is not counted. Only a complete file takes the name.
    if (!m_file->Close()) {
        return Fail("IDS_TL_MB_ERR_WRITE_PLAYLIST_FILE", m_file->GetErrorNumber());
    }
    // Both counters in one write of the store.
    AddToPropertyInts({{property::kTotalPlaylists.Name(), 1},
                       {property::kTotalSongs.Name(), m_playlist.GetCount()}});
    return kContinue;
}

int CCreationJob::Complete() {
    PostMark(kMarkCompleted);
    PostInfo(100, GetText("IDS_TL_CREATE_PLAYLIST_PROGRESS_INFO_COMPLETED"));
    return kContinue;
}

void CCreationJob::Cancelled() {
    PostInfo(0, GetText("IDS_TL_PLAYLIST_CREATION_CANCELLED"));
    // What was written takes the playlist's name: the header and the entries so far, no
    // footer. Should even that fail, the old playlist stays as it was.
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
