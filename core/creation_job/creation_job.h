#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>

#include "core/creation_job/entry_template.h"
#include "core/formats/playlist_file_writer.h"
#include "core/formats/playlist_format.h"
#include "platform/events/events.h"
#include "platform/messages/messages.h"

class CPlaylist;
class CPlaylistElement;

// Writes one playlist file from a playlist, on the worker thread of the progress dialog:
// preparation (settings, format, the entries' paths, folder, file), the entries, the footer
// and the usage counters, reported step by step through three posted messages. Between two
// entries the job waits for the continue or the cancel event, so the user can pause and
// cancel it.
//
// The playlist is written as a replacement (CPlaylistFileWriter::OpenReplacement): until
// the creation completes, or is cancelled, the file of that name stays as it was, and a
// failure never leaves a torn playlist behind.
class CCreationJob {
public:
    // Results of the steps.
    static constexpr int kContinue = 0;
    static constexpr int kFailed = 1;
    static constexpr int kCancelled = 104;

    // wParam of the mark message.
    enum Mark : std::uintptr_t {
        kMarkPreparation = 0,
        kMarkCreation = 1,
        kMarkFinishing = 2,
        kMarkCompleted = 3,
        kMarkCancelled = 4,
    };

    // None of the four is owned; all must outlive the job.
    CCreationJob(CPlaylist& playlist, platform::IMessageTarget& target,
                 platform::CManualResetEvent& cancelEvent,
                 platform::CManualResetEvent& continueEvent);
    virtual ~CCreationJob();

    CCreationJob(const CCreationJob&) = delete;
    CCreationJob& operator=(const CCreationJob&) = delete;

    int Prepare();
    int Create();
    int Finish();
    int Complete();
    // Reports the cancellation; the entries written so far (header, no footer) take the
    // playlist's name.
    void Cancelled();

    // The thread body: Prepare, Create, Finish, Complete; on a cancellation Cancelled, on a
    // failure the error message. Returns the last step's result.
    int Run();

    // Values that take the place of the stored settings for this job only (a command line
    // chooses them without changing what the program remembers). Set before Prepare.
    struct Overrides {
        std::optional<bool> readTags;
        std::optional<bool> relative;
        std::optional<std::string> titleMask;
        // The file to write in place of the playlist's GetFilePath (in its folder), for a
        // name whose extension is not written in lower case.
        std::optional<std::string> filePath;
    };
    void SetOverrides(const Overrides& overrides) { m_overrides = overrides; }

    // The message a failed step leaves for the dialog; empty otherwise.
    const std::string& GetErrorText() const { return m_errorText; }

private:
    void PostMark(Mark mark);
    void PostInfo(int percent, std::string text);
    // Sets the error text: the table's text (FILEPATH filled when given) and, when the
    // system gave a reason, that reason on a line of its own. Returns kFailed.
    int Fail(const std::string& key, int error = 0, const std::string& filePath = {});
    void CloseAfterFailure();

    // The steps of Prepare.
    void ReadSettings();
    int CheckEntryPaths();
    int MakeFolder();
    int OpenFile();

    // The steps of Create.
    int WriteEntry(const CPlaylistElement& entry, std::string_view track);
    // Fills m_title and m_length from the entry's tags; false when the entry is written
    // without them.
    bool ReadTags(const CPlaylistElement& entry);
    // Waits after an entry until the user lets the job go on (kContinue) or cancels it.
    int WaitBetweenEntries();

    const std::string& EntryPath(const CPlaylistElement& entry);
    // The relative form of an entry folder when it leads there, else the folder; each
    // folder is resolved once per job.
    std::string RelativePrefix(const std::string& entryFolder);

    CPlaylist& m_playlist;
    platform::IMessageTarget& m_target;
    platform::CManualResetEvent& m_cancelEvent;
    platform::CManualResetEvent& m_continueEvent;
    std::string m_errorText;

    Overrides m_overrides;
    std::unique_ptr<IPlaylistFormat> m_format;
    std::unique_ptr<CPlaylistFileWriter> m_file;
    bool m_readTags = true;
    bool m_relative = true;
    std::string m_titleMask;
    std::string m_folder;      // the playlist folder, with its trailing separator
    std::string m_realFolder;  // the same as the file system resolves it; empty if it cannot
    // Each entry folder is resolved once per job: entries of one folder usually follow
    // each other (the last one is checked first), and lists that alternate between folders
    // find them in the map.
    std::string m_lastEntryFolder;
    std::string m_lastEntryPrefix;
    bool m_hasLastEntryFolder = false;
    std::unordered_map<std::string, std::string> m_prefixes;

    // The entry templates of the format, taken apart once per creation, and the texts of
    // the entry being written, kept across entries so that their memory is reused.
    std::optional<CEntryTemplate> m_entryTemplate;
    std::optional<CEntryTemplate> m_taggedTemplate;
    EntryValues m_values;
    std::string m_title;
    std::string m_length;
    std::string m_fileName;
};

// The numbers of the three registered messages the job posts:
// "UWM_PROGRESS_MARK-{E95F2F3A-E3E7-4709-A55E-E0AF93164C4B}" (wParam a Mark, lParam 0),
// "UWM_PROGRESS_INFO-{4EE43259-34B0-40e9-894B-26A86600CD90}" (wParam the percent, lParam 0;
// the progress text travels in the message and belongs to it),
// "UWM_ERROR_NOTIFY-{09D83AEA-4442-4f06-8521-C5E46A2E4B0B}" (0, 0; the text is GetErrorText).
unsigned ProgressMarkMessage();
unsigned ProgressInfoMessage();
unsigned ErrorNotifyMessage();
