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

// How many entries ahead of the one being written their memory is asked for.
constexpr int kPrefetchDistance = 4;

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
// The values go into the file byte for byte: the job makes sure none holds a line break.
class EntryTemplate {
public:
    explicit EntryTemplate(std::string_view text) {
        static constexpr std::string_view kTags[] = {"<TRACK/>", "<FILEPATH/>", "<FILENAME/>",
                                                     "<TITLE/>", "<LENGTH/>"};
        std::string literal;
        std::size_t pos = 0;
        while (pos < text.size()) {
            int found = -1;
            if (text[pos] == '<') {
                for (int t = 0; t < 5; ++t) {
                    if (text.substr(pos, kTags[t].size()) == kTags[t]) {
                        found = t;
                        break;
                    }
                }
            }
            if (found < 0) {
                literal.push_back(text[pos++]);
                continue;
            }
            m_pieces.push_back({ToFileText(literal), static_cast<Tag>(found)});
            literal.clear();
            pos += kTags[found].size();
        }
        m_pieces.push_back({ToFileText(literal), Tag::kNone});
    }
    // False when the file failed (then or before: a failure stays).
    bool WriteTo(CPlaylistFileWriter& file, const EntryValues& values) const {
        bool good = true;
        for (const Piece& piece : m_pieces) {
            good = file.WriteBytes(piece.literal);
            switch (piece.tag) {
                case Tag::kTrack:
                    good = file.WriteBytes(values.track);
                    break;
                case Tag::kFilePath:
                    for (const std::string_view part : values.filePath) {
                        good = file.WriteBytes(part);
                    }
                    break;
                case Tag::kFileName:
                    good = file.WriteBytes(values.fileName);
                    break;
                case Tag::kTitle:
                    good = file.WriteBytes(values.title);
                    break;
                case Tag::kLength:
                    good = file.WriteBytes(values.length);
                    break;
                case Tag::kNone:
                    break;
            }
        }
        return good;
    }

private:
    enum class Tag { kTrack, kFilePath, kFileName, kTitle, kLength, kNone };
    struct Piece {
        std::string literal;
        Tag tag;  // the value after the literal
    };
    std::vector<Piece> m_pieces;
};

// The text split at every "<NUMBER/>", so that the progress text of each entry is put
// together without searching the text again. The number is digits only, so this gives
// what ReplaceTags gives.
std::vector<std::string> SplitAtNumber(const std::string& text) {
    static constexpr std::string_view kTag = "<NUMBER/>";
    std::vector<std::string> parts;
    std::size_t start = 0;
    while (true) {
        const std::size_t found = text.find(kTag, start);
        if (found == std::string::npos) {
            parts.push_back(text.substr(start));
            return parts;
        }
        parts.push_back(text.substr(start, found - start));
        start = found + kTag.size();
    }
}

// Whether the text holds a CR or an LF, tested eight bytes at a time: this runs for the
// name and extension of every entry, and most are shorter than a call of memchr is worth.
bool HasLineBreak(std::string_view text) {
    constexpr std::uint64_t kOnes = 0x0101010101010101u;
    constexpr std::uint64_t kHighs = 0x8080808080808080u;
    // A word has a zero byte exactly when (w - ones) & ~w & highs is non-zero.
    auto hasByte = [](std::uint64_t word, unsigned char byte) {
        const std::uint64_t x = word ^ (kOnes * byte);
        return ((x - kOnes) & ~x & kHighs) != 0;
    };
    const char* data = text.data();
    std::size_t left = text.size();
    for (; left >= 8; data += 8, left -= 8) {
        std::uint64_t word;
        std::memcpy(&word, data, 8);
        if (hasByte(word, '\n') || hasByte(word, '\r')) {
            return true;
        }
    }
    for (; left > 0; ++data, --left) {
        if (*data == '\n' || *data == '\r') {
            return true;
        }
    }
    return false;
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

namespace {

// A progress text block: the length, then the bytes, made with new char[].
constexpr std::size_t kTextHeader = sizeof(std::size_t);

char* NewTextBlock(std::size_t size) {
    char* block = new char[kTextHeader + size];
    std::memcpy(block, &size, kTextHeader);
    return block;
}

}  // namespace

std::intptr_t MakeProgressText(std::string_view text) {
    char* block = NewTextBlock(text.size());
    std::memcpy(block + kTextHeader, text.data(), text.size());
    return reinterpret_cast<std::intptr_t>(block);
}

std::unique_ptr<std::string> TakeProgressText(std::intptr_t lParam) {
    if (lParam == 0) {
        return nullptr;
    }
    const char* block = reinterpret_cast<const char*>(lParam);
    std::size_t size;
    std::memcpy(&size, block, kTextHeader);
    auto text = std::make_unique<std::string>(block + kTextHeader, size);
    FreeProgressText(lParam);
    return text;
}

void FreeProgressText(std::intptr_t lParam) {
    delete[] reinterpret_cast<char*>(lParam);
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
    PostText(percent, MakeProgressText(text));
}

void CCreationJob::PostText(int percent, std::intptr_t text) {
    m_target.PostMessage(ProgressInfoMessage(), static_cast<std::uintptr_t>(percent), text);
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
        m_overrides.readTags ? *m_overrides.readTags : GetPropertyInt(property::kReadID3Tags) != 0;
    m_relative = m_overrides.relative ? *m_overrides.relative
                                      : GetPropertyString(property::kSaveMode) == "Relative";
    m_titleMask =
        m_overrides.titleMask ? *m_overrides.titleMask : GetPropertyString(property::kTitleMask);

    m_folder = AddSeparator(m_playlist.GetFolder(), kStyle);
    if (!CPath(m_folder, true, kStyle).Exists()) {
        // One level only, as the folder dialog offers it; a missing parent is an error.
        if (mkdir(RemoveSeparator(m_folder, kStyle).c_str(), 0777) != 0) {
            return Fail("IDS_TL_MB_ERR_CREATE_PLAYLIST_FOLDER");
        }
    }
    m_realFolder = RealFolder(m_folder);
    m_hasLastEntryFolder = false;
    m_prefixes.clear();

    m_file = std::make_unique<CPlaylistFileWriter>();
    if (!m_file->Open(m_overrides.filePath ? *m_overrides.filePath : m_playlist.GetFilePath())) {
        return Fail("IDS_TL_MB_ERR_OPEN_PLAYLIST_FILE");
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
    m_lastEntryPrefixHasLineBreak = HasLineBreak(m_lastEntryPrefix);
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
    const std::vector<std::string> progressParts = SplitAtNumber(
        ReplaceTags(GetText("IDS_TL_CREATE_PLAYLIST_PROGRESS_INFO_CREATE"), "TOTAL", total));
    std::size_t fixedLength = 0;
    for (const std::string& part : progressParts) {
        fixedLength += part.size();
    }
    // Each text is a block of its own for the receiver, made in one allocation.
    auto progressText = [&progressParts, fixedLength](std::string_view number) {
        const std::size_t size = fixedLength + (progressParts.size() - 1) * number.size();
        char* block = NewTextBlock(size);
        char* to = block + kTextHeader;
        to = std::copy(progressParts[0].begin(), progressParts[0].end(), to);
        for (std::size_t k = 1; k < progressParts.size(); ++k) {
            to = std::copy(number.begin(), number.end(), to);
            to = std::copy(progressParts[k].begin(), progressParts[k].end(), to);
        }
        return reinterpret_cast<std::intptr_t>(block);
    };
    const double step = 90.0 / static_cast<double>(count);
    PostText(5, progressText("0"));

    if (!m_file->Write(m_format->GetHeader())) {
        return Fail("IDS_TL_MB_ERR_WRITE_PLAYLIST_FILE");
    }
    const EntryTemplate entryTemplate(m_format->GetEntryTemplate());
    const EntryTemplate taggedTemplate(m_format->GetTaggedEntryTemplate());
    // Kept across entries so that their memory is reused.
    std::string title;
    std::string length;
    std::string fileName;
    EntryValues values;

    const CPlaylistElement* ahead = count > 0 ? m_playlist.GetAt(0) : nullptr;
    for (int k = 0; k < kPrefetchDistance && ahead != nullptr; ++k) {
        ahead = ahead->GetNext();
    }
    for (std::int32_t i = 0; i < count; ++i) {
        const CPlaylistElement* entry = m_playlist.GetAt(i);
        if (entry == nullptr) {
            return Fail("IDS_TL_MB_ERR_WRITE_PLAYLIST_FILE");
        }
        // A large playlist does not fit the cache, and the entries and their texts lie
        // scattered on the heap: ask for the texts of an entry a few places ahead and for
        // the entry after it now, so that they arrive while this entry is written instead
        // of stalling the loop when it gets there.
        if (ahead != nullptr) {
            __builtin_prefetch(ahead->GetFolder().data());
            __builtin_prefetch(ahead->GetName().data());
            ahead = ahead->GetNext();
            // An entry spans two or three cache lines, and its extension is in the last.
            const char* bytes = reinterpret_cast<const char*>(ahead);
            __builtin_prefetch(bytes);
            __builtin_prefetch(bytes + sizeof(CPlaylistElement) - 1);
        }
        char trackDigits[12];
        const std::string_view track(
            trackDigits,
            static_cast<std::size_t>(
                std::to_chars(trackDigits, trackDigits + sizeof trackDigits, i + 1).ptr -
                trackDigits));

        values.track = track;
        values.filePath[0] = EntryPath(*entry);
        // The file name as GetFileName gives it; only a name without extension needs that
        // call, to tell "take" from "take.".
        if (entry->GetExtension().empty()) {
            fileName = entry->GetFileName();
            values.filePath[1] = fileName;
            values.filePath[2] = {};
            values.filePath[3] = {};
        } else {
            values.filePath[1] = entry->GetName();
            values.filePath[2] = ".";
            values.filePath[3] = entry->GetExtension();
        }
        values.fileName = entry->GetName();
        values.title = m_titleMask;
        values.length = {};

        const EntryTemplate* pattern = &entryTemplate;
        if (m_readTags && platform::Utf8ToLower(entry->GetExtension()) == "mp3") {
            // Always the absolute path: the relative one is relative to the playlist.
            MP3FileInfo info;
            if (info.Load(entry->GetFullPath())) {
                length = IntToText(info.GetLength());
                title =
                    ExpandTitleMask(m_titleMask, info.GetArtist(), info.GetTitle(), info.GetAlbum(),
                                    info.GetYear(), info.GetGenre(), info.GetTrack());
                values.title = title;
                values.length = length;
                pattern = &taggedTemplate;
            }
        }
        // A line break would split the entry into lines a player reads as other entries.
        // The folder part is checked once per folder; the name is checked on its own, as it
        // is also the file name value.
        const bool tagged = pattern == &taggedTemplate;
        if (m_lastEntryPrefixHasLineBreak || HasLineBreak(entry->GetName()) ||
            HasLineBreak(entry->GetExtension()) || (tagged && HasLineBreak(values.title))) {
            return Fail("IDS_TL_MB_ERR_INVALID_ENTRY_PATH", entry->GetFullPath());
        }
        if (!pattern->WriteTo(*m_file, values)) {
            return Fail("IDS_TL_MB_ERR_WRITE_PLAYLIST_FILE");
        }

        const int percent = static_cast<int>(static_cast<double>(i + 1) * step + 5.0);
        PostText(percent, progressText(track));

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
