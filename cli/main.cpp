// tracklace-make: writes a playlist from files and folders given on the command line, with
// the same creation job, settings and texts as the desktop program.

#include <pthread.h>
#include <signal.h>
#include <stdio.h>
#include <unistd.h>

#include <clocale>
#include <filesystem>
#include <memory>
#include <string>
#include <system_error>
#include <vector>

#include "cli/settings_check.h"
#include "core/creation_job/creation_job.h"
#include "core/creation_job/creation_request.h"
#include "core/folder_listing/folder_listing.h"
#include "core/playlist/playlist.h"
#include "platform/code_page/code_page.h"
#include "platform/events/thread.h"
#include "platform/path_style/path_style.h"
#include "settings/file_types/file_types.h"
#include "settings/language/language.h"
#include "settings/placeholders/placeholders.h"
#include "settings/store/properties.h"

namespace {

namespace fs = std::filesystem;

constexpr int kExitCreated = 0;
constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;
constexpr int kExitInterrupted = 130;

const char* const kProgram = "tracklace-make";

void PrintLine(FILE* stream, const std::string& text) {
    fprintf(stream, "%s\n", text.c_str());
    fflush(stream);
}

void PrintError(const std::string& text) {
    PrintLine(stderr, std::string(kProgram) + ": " + text);
}

int UsageError(const std::string& option) {
    PrintError(ReplaceTags(GetText("IDS_TL_CLI_ERR_USAGE"), "OPTION", option));
    return kExitUsage;
}

struct Options {
    std::string output;
    std::string type;  // "m3u", "pls" or empty
    CCreationJob::Overrides overrides;
    bool parents = false;
    bool force = false;
    bool quiet = false;
    bool help = false;
    bool version = false;
    std::vector<std::string> inputs;
};

// Where ParseArguments is on the command line, and the value written into the current
// argument ("--name=value" is the same as "--name value").
struct ArgumentCursor {
    ArgumentCursor(int count, char** values) : argc(count), argv(values) {}

    int argc;
    char** argv;
    int index = 1;
    std::string inlineValue;
    bool hasInlineValue = false;

    // The option's value: the inline one, else the next argument. False when there is none.
    bool TakeValue(std::string& into) {
        if (hasInlineValue) {
            into = inlineValue;
            return true;
        }
        if (index + 1 >= argc) {
            return false;
        }
        into = argv[++index];
        return true;
    }
};

// What ParseValueOption returns for an argument that is no option with a value.
constexpr int kNoValueOption = -1;

// The options that take a value: -o, -t and --mask. 0 when understood, kNoValueOption when
// arg is none of them, else the exit status.
int ParseValueOption(const std::string& arg, ArgumentCursor& cursor, Options& options) {
    if (arg == "-o" || arg == "--output") {
        if (!cursor.TakeValue(options.output) || options.output.empty()) {
            return UsageError(arg);
        }
        return 0;
    }
    if (arg == "-t" || arg == "--type") {
        std::string type;
        if (!cursor.TakeValue(type)) {
            return UsageError(arg);
        }
        type = platform::Utf8ToLower(type);
        if (type != "m3u" && type != "pls") {
            return UsageError(arg + " " + type);
        }
        options.type = type;
        return 0;
    }
    if (arg == "--mask") {
        std::string mask;
        if (!cursor.TakeValue(mask)) {
            return UsageError(arg);
        }
        options.overrides.titleMask = mask;
        return 0;
    }
    return kNoValueOption;
}

// Short flags, alone or combined: -p, -f, -q, -h, -pfq. 0 when understood, else the exit
// status.
int ParseShortFlags(const std::string& arg, Options& options) {
    for (std::size_t k = 1; k < arg.size(); ++k) {
        switch (arg[k]) {
            case 'p':
                options.parents = true;
                break;
            case 'f':
                options.force = true;
                break;
            case 'q':
                options.quiet = true;
                break;
            case 'h':
                options.help = true;
                break;
            default:
                return UsageError(arg);
        }
    }
    return 0;
}

// The options without a value. 0 when understood, else the exit status.
int ParseFlag(const std::string& arg, Options& options) {
    if (arg == "--relative" || arg == "--absolute") {
        options.overrides.relative = arg == "--relative";
    } else if (arg == "--tags" || arg == "--no-tags") {
        options.overrides.readTags = arg == "--tags";
    } else if (arg == "--parents") {
        options.parents = true;
    } else if (arg == "--force") {
        options.force = true;
    } else if (arg == "--quiet") {
        options.quiet = true;
    } else if (arg == "--help") {
        options.help = true;
    } else if (arg == "--version") {
        options.version = true;
    } else if (arg[1] != '-') {
        return ParseShortFlags(arg, options);
    } else {
        return UsageError(arg);
    }
    return 0;
}

// 0 when the arguments were understood, else the exit status.
int ParseArguments(int argc, char** argv, Options& options) {
    ArgumentCursor cursor(argc, argv);
    bool optionsEnd = false;
    for (; cursor.index < argc; ++cursor.index) {
        std::string arg = argv[cursor.index];
        if (optionsEnd || arg.empty() || arg[0] != '-' || arg == "-") {
            options.inputs.push_back(arg);
            continue;
        }
        if (arg == "--") {
            optionsEnd = true;
            continue;
        }
        cursor.hasInlineValue = false;
        if (const std::size_t equals = arg.find('=');
            arg.rfind("--", 0) == 0 && equals != std::string::npos) {
            cursor.inlineValue = arg.substr(equals + 1);
            cursor.hasInlineValue = true;
            arg.resize(equals);
        }
        int status = ParseValueOption(arg, cursor, options);
        if (status == kNoValueOption) {
            status = cursor.hasInlineValue ? UsageError(arg + "=" + cursor.inlineValue)
                                           : ParseFlag(arg, options);
        }
        if (status != 0) {
            return status;
        }
    }
    return 0;
}

// An absolute form of a path given on the command line. "." and doubled separators go;
// ".." is left to the file system, since through a link it does not lead where the text
// suggests.
std::string AbsolutePath(const std::string& arg) {
    std::error_code error;
    fs::path path = fs::absolute(arg, error);
    if (error) {
        return arg;
    }
    bool climbs = false;
    for (const auto& part : path) {
        climbs = climbs || part == "..";
    }
    if (climbs) {
        const fs::path real = fs::canonical(path, error);
        return error ? path.string() : real.string();
    }
    std::string text = path.lexically_normal().string();
    if (text.size() > 1 && text.back() == '/') {
        text.pop_back();
    }
    return text;
}

// Shows the job's progress on one line of the terminal, updated in place.
class ProgressLine : public platform::IMessageTarget {
public:
    explicit ProgressLine(bool show) : m_show(show) {}
    void Post(platform::CMessage message) override {
        if (message.GetNumber() != ProgressInfoMessage() || !m_show) {
            return;
        }
        fprintf(stderr, "\r\033[K%s (%u%%)", message.GetText().c_str(),
                static_cast<unsigned>(message.GetWParam()));
        fflush(stderr);
        m_shown = true;
    }
    // Ends the progress line so that what follows starts on a line of its own.
    void End() {
        if (m_shown) {
            fputc('\n', stderr);
            fflush(stderr);
            m_shown = false;
        }
    }

private:
    bool m_show;
    bool m_shown = false;
};

class JobThread : public Wendmark::CThread {
public:
    JobThread(CPlaylist& playlist, platform::IMessageTarget& target)
        : m_job(playlist, target, CancelEvent(), ContinueEvent()) {}
    ~JobThread() override { Wait(); }
    CCreationJob& Job() { return m_job; }

protected:
    int Run() override { return m_job.Run(); }

private:
    CCreationJob m_job;
};

// Whether the file name ends in an extension that names a type, in any letter case: the
// extension, lower-cased; empty otherwise.
std::string PlaylistExtension(const std::string& fileName) {
    const std::string lower = platform::Utf8ToLower(fileName);
    for (const char* extension : {".m3u", ".pls"}) {
        if (lower.ends_with(extension)) {
            return extension;
        }
    }
    return {};
}

// Puts the playlist named by -o into the model (folder, name, type) and returns the
// request. A name that is only an extension (".m3u") is an empty name.
CreationRequest DescribePlaylist(Options& options, CPlaylist& playlist) {
    const fs::path output(AbsolutePath(options.output));
    std::string name = output.filename().string();
    const std::string extension = PlaylistExtension(name);
    playlist.SetFolder(output.parent_path().string());
    if (!extension.empty()) {
        playlist.SetTypeFromExtension(extension);
        name.resize(name.size() - extension.size());
    } else if (!options.type.empty()) {
        playlist.SetTypeFromExtension("." + options.type);
    } else {
        playlist.SetTypeFromExtension(GetPropertyString(property::kPlaylistType));
    }
    playlist.SetName(name);
    // The playlist gets the name asked for, "List.M3U" included; the program's own naming
    // would write the extension in lower case.
    const std::string filePath = extension.empty() ? playlist.GetFilePath() : output.string();
    options.overrides.filePath = filePath;
    return {output.parent_path().string(), name, filePath};
}

// Adds the named files and the files of the named folders, in the order given. What cannot
// be added is told on a line of its own: a name that does not exist, a file of a type that
// is not active (a folder's files of other types are left out without a word, as the
// window leaves them out).
void AddInputs(const std::vector<std::string>& inputs, CPlaylist& playlist) {
    FileTypeList activeTypes;
    LoadActiveFileTypes(activeTypes);
    auto add = [&playlist](const std::string& path) {
        auto entry = std::make_unique<CPlaylistElement>();
        entry->SetPath(path);
        if (playlist.AddTail(entry.get()) != 0) {
            entry.release();
        }
    };
    std::vector<std::string> folderFiles;
    for (const std::string& input : inputs) {
        std::error_code error;
        const fs::file_status status = fs::status(input, error);
        if (error || !fs::exists(status)) {
            PrintError(ReplaceTags(GetText("IDS_TL_CLI_WARN_FILE_MISSING"), "FILEPATH", input));
            continue;
        }
        const std::string path = AbsolutePath(input);
        if (fs::is_directory(status)) {
            ExpandFolder(path, activeTypes, folderFiles);
            for (const std::string& file : folderFiles) {
                add(file);
            }
        } else if (IsActiveFileType(GetFileExtension(path), activeTypes)) {
            add(path);
        } else {
            PrintError(ReplaceTags(GetText("IDS_TL_CLI_WARN_INACTIVE_TYPE"), "FILEPATH", input));
        }
    }
}

// The window's checks of a request, and its questions answered by the options: 0 when the
// creation may run, else the exit status.
int CheckRequest(const CPlaylist& playlist, const CreationRequest& request,
                 const Options& options) {
    switch (CheckCreationRequest(playlist, request)) {
        case RequestOutcome::kReady:
            return 0;
        case RequestOutcome::kEmptyPlaylist:
            PrintError(GetText("IDS_TL_CLI_ERR_NO_FILES"));
            return kExitUsage;
        case RequestOutcome::kNoSaveLocation:
            PrintError(GetText("IDS_TL_MB_EMPTY_PLAYLIST_FOLDER"));
            return kExitUsage;
        case RequestOutcome::kNoName:
            PrintError(GetText("IDS_TL_MB_EMPTY_PLAYLIST_NAME"));
            return kExitUsage;
        case RequestOutcome::kInvalidName:
            PrintError(GetText("IDS_TL_MB_INVALID_PLAYLIST_NAME"));
            return kExitUsage;
        case RequestOutcome::kCreateFolder:
            if (options.parents) {
                return 0;
            }
            PrintError(ReplaceTags(GetText("IDS_TL_CLI_ERR_FOLDER_MISSING"), "FOLDER",
                                   request.saveLocation));
            return kExitFailed;
        case RequestOutcome::kOverwrite:
            if (options.force) {
                return 0;
            }
            PrintError(ReplaceTags(GetText("IDS_TL_CLI_ERR_PLAYLIST_EXISTS"), "FILEPATH",
                                   request.filePath));
            return kExitFailed;
    }
    return kExitFailed;
}

// Runs the creation job on its thread until it ends: the exit status.
int RunCreation(CPlaylist& playlist, const Options& options) {
    // Ctrl+C cancels the job between two entries, as the dialog's Cancel does. The signal
    // is blocked in every thread and taken here, so no handler has to touch the events.
    sigset_t interrupt;
    sigemptyset(&interrupt);
    sigaddset(&interrupt, SIGINT);
    pthread_sigmask(SIG_BLOCK, &interrupt, nullptr);

    ProgressLine progress(!options.quiet && isatty(STDERR_FILENO) == 1);
    JobThread thread(playlist, progress);
    thread.Job().SetOverrides(options.overrides);
    if (!thread.Start()) {
        PrintError(GetText("IDS_TL_MB_ERR_CREATE_PLAYLIST"));
        return kExitFailed;
    }
    const timespec pollTime{0, 50 * 1000 * 1000};
    while (thread.IsRunning()) {
        if (sigtimedwait(&interrupt, nullptr, &pollTime) == SIGINT) {
            thread.CancelEvent().Set();
        }
    }
    const int result = thread.Wait();
    progress.End();

    if (result == CCreationJob::kContinue) {
        return kExitCreated;
    }
    if (result == CCreationJob::kCancelled) {
        return kExitInterrupted;
    }
    PrintError(thread.Job().GetErrorText());
    return kExitFailed;
}

int Main(int argc, char** argv) {
    // As the window does at its start, before the first text is looked up. A settings file
    // that cannot be read at all still lets --help and --version answer.
    std::string settingsUnreadable;
    const bool settingsUsable = StartSettingsForCommandLine(kProgram, &settingsUnreadable);

    Options options;
    if (const int status = ParseArguments(argc, argv, options); status != 0) {
        return status;
    }
    if (options.help) {
        PrintLine(stdout, GetText("IDS_TL_CLI_USAGE"));
        return kExitCreated;
    }
    if (options.version) {
        PrintLine(stdout, std::string(kProgram) + " " + GetVersionText(1));
        return kExitCreated;
    }
    if (!settingsUsable) {
        PrintError(settingsUnreadable);
        return kExitFailed;
    }
    if (options.output.empty()) {
        PrintError(GetText("IDS_TL_CLI_ERR_NO_OUTPUT"));
        return kExitUsage;
    }
    if (options.output.back() == '/') {
        return UsageError(options.output);
    }

    CPlaylist playlist;
    const CreationRequest request = DescribePlaylist(options, playlist);
    AddInputs(options.inputs, playlist);
    if (const int status = CheckRequest(playlist, request, options); status != 0) {
        return status;
    }
    return RunCreation(playlist, options);
}

}  // namespace

int main(int argc, char** argv) {
    // The system's reasons for a failure (strerror) in the user's language and encoding,
    // as every other command-line tool gives them.
    setlocale(LC_MESSAGES, "");
    setlocale(LC_CTYPE, "");
    return Main(argc, argv);
}
