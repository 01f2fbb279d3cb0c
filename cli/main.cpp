// tracklace-make: writes a playlist from files and folders given on the command line, with
// the same creation job, settings and texts as the desktop program.

#include <pthread.h>
#include <signal.h>
#include <stdio.h>
#include <unistd.h>

#include <clocale>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "core/creation_job/creation_job.h"
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

// 0 when the arguments were understood, else the exit status.
int ParseArguments(int argc, char** argv, Options& options) {
    bool optionsEnd = false;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        if (optionsEnd || arg.empty() || arg[0] != '-' || arg == "-") {
            options.inputs.push_back(arg);
            continue;
        }
        if (arg == "--") {
            optionsEnd = true;
            continue;
        }
        // "--name=value" is the same as "--name value".
        std::string inlineValue;
        bool hasInlineValue = false;
        if (arg.rfind("--", 0) == 0) {
            const std::size_t equals = arg.find('=');
            if (equals != std::string::npos) {
                inlineValue = arg.substr(equals + 1);
                hasInlineValue = true;
                arg.resize(equals);
            }
        }
        auto takeValue = [&](std::string& into) -> bool {
            if (hasInlineValue) {
                into = inlineValue;
                return true;
            }
            if (i + 1 >= argc) {
                return false;
            }
            into = argv[++i];
            return true;
        };
        if (arg == "-o" || arg == "--output") {
            if (!takeValue(options.output) || options.output.empty()) {
                return UsageError(arg);
            }
        } else if (arg == "-t" || arg == "--type") {
            std::string type;
            if (!takeValue(type)) {
                return UsageError(arg);
            }
            type = platform::Utf8ToLower(type);
            if (type != "m3u" && type != "pls") {
                return UsageError(arg + " " + type);
            }
            options.type = type;
        } else if (arg == "--mask") {
            std::string mask;
            if (!takeValue(mask)) {
                return UsageError(arg);
            }
            options.overrides.titleMask = mask;
        } else if (hasInlineValue) {
            return UsageError(arg + "=" + inlineValue);
        } else if (arg == "--relative" || arg == "--absolute") {
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
            // Short flags may be combined: -pfq.
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
        } else {
            return UsageError(arg);
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

int Main(int argc, char** argv) {
    // As the program does on its first start: language and default file types, before the
    // first text is looked up.
    if (GetPropertyInt(property::kFirstTimeInitComplete) == 0) {
        InitializeFirstRun();
        SetPropertyInt(property::kFirstTimeInitComplete, 1);
    }

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
    if (options.output.empty()) {
        PrintError(GetText("IDS_TL_CLI_ERR_NO_OUTPUT"));
        return kExitUsage;
    }
    if (options.output.back() == '/') {
        return UsageError(options.output);
    }

    // Where the playlist goes, its name and type.
    const fs::path output(AbsolutePath(options.output));
    std::string name = output.filename().string();
    const std::string extension = platform::Utf8ToLower(output.extension().string());
    CPlaylist playlist;
    playlist.SetFolder(output.parent_path().string());
    if (extension == ".m3u" || extension == ".pls") {
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
    const std::string filePath =
        (extension == ".m3u" || extension == ".pls") ? output.string() : playlist.GetFilePath();
    options.overrides.filePath = filePath;

    // The entries, in the order given.
    FileTypeList activeTypes;
    LoadActiveFileTypes(activeTypes);
    std::vector<std::string> folderFiles;
    auto add = [&](const std::string& path) {
        if (!IsActiveFileType(GetFileExtension(path), activeTypes)) {
            return;
        }
        auto* entry = new CPlaylistElement;
        entry->SetPath(path);
        if (playlist.AddTail(entry) == 0) {
            delete entry;
        }
    };
    for (const std::string& input : options.inputs) {
        std::error_code error;
        const fs::file_status status = fs::status(input, error);
        if (error || !fs::exists(status)) {
            PrintError(ReplaceTags(GetText("IDS_TL_CLI_WARN_FILE_MISSING"), "FILEPATH", input));
            continue;
        }
        const std::string path = AbsolutePath(input);
        if (fs::is_directory(status)) {
            if (ListFolderFiles(path, folderFiles)) {
                for (const std::string& file : folderFiles) {
                    add(file);
                }
            }
        } else {
            add(path);
        }
    }
    if (playlist.IsEmpty()) {
        PrintError(GetText("IDS_TL_CLI_ERR_NO_FILES"));
        return kExitUsage;
    }

    // What the main window asks the user before a creation, the options answer here.
    std::error_code error;
    const std::string folder = RemoveSeparator(playlist.GetFolder());
    if (!options.parents && !fs::is_directory(folder, error)) {
        PrintError(ReplaceTags(GetText("IDS_TL_CLI_ERR_FOLDER_MISSING"), "FOLDER", folder));
        return kExitFailed;
    }
    if (!options.force &&
        fs::symlink_status(playlist.GetFilePath(), error).type() != fs::file_type::not_found) {
        PrintError(ReplaceTags(GetText("IDS_TL_CLI_ERR_PLAYLIST_EXISTS"), "FILEPATH",
                               playlist.GetFilePath()));
        return kExitFailed;
    }

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

}  // namespace

int main(int argc, char** argv) {
    // The system's reasons for a failure (strerror) in the user's language and encoding,
    // as every other command-line tool gives them.
    setlocale(LC_MESSAGES, "");
    setlocale(LC_CTYPE, "");
    return Main(argc, argv);
}
