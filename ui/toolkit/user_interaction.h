#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

class QWidget;

// Everything the user must answer or choose, and every sound, goes through one service so
// that the dialogs can be driven without a person: tests install a scripted one.
namespace toolkit {

enum class MessageIcon { Information, Question, Exclamation, Stop };

// The kinds of PlaySystemSound. The program itself only plays kSystemHand, for every
// command that cannot be carried out.
enum SystemSoundKind : int {
    kSystemAsterisk = 0,  // also every kind not named here
    kSystemExclamation = 1,
    kSystemExit = 2,
    kSystemHand = 3,
    kSystemQuestion = 4,
    kSystemStart = 5,
};
enum class MessageButtons { Ok, YesNo };
enum class MessageAnswer { Ok, Yes, No };

struct OpenFilesRequest {
    std::string title;
    std::string filter;   // the "|"-separated form that BuildFileDialogFilter makes
    int filterIndex = 1;  // counted from 1
    std::string initialFolder;
};

struct OpenFilesResult {
    bool accepted = false;
    std::vector<std::string> paths;  // in the order the dialog returned them
    int filterIndex = 1;             // the filter the user finally chose, counted from 1
};

struct FolderRequest {
    std::string info;  // the text above the folder tree
    std::string initialFolder;
};

class IUserInteraction {
public:
    virtual ~IUserInteraction() = default;
    // A message box with the caption GetMessageCaption().
    virtual MessageAnswer ShowMessage(QWidget* owner, const std::string& text, MessageIcon icon,
                                      MessageButtons buttons) = 0;
    virtual OpenFilesResult GetOpenFileNames(QWidget* owner, const OpenFilesRequest& request) = 0;
    // The chosen folder, or nothing when the user cancelled.
    virtual std::optional<std::string> BrowseForFolder(QWidget* owner,
                                                       const FolderRequest& request) = 0;
    // A SystemSoundKind; asynchronous, silent where no sound server answers.
    virtual void PlaySystemSound(int kind) = 0;
    // Plays a wave file's bytes asynchronously (the completion sound).
    virtual void PlayWave(std::string_view waveBytes) = 0;
    // Opens a file or web address in the desktop's browser.
    virtual bool OpenUrl(const std::string& url) = 0;
};

// The service in use: the real one unless a test installed another.
IUserInteraction& UserInteraction();
// Installs a service (not owned); nullptr brings the real one back.
void SetUserInteraction(IUserInteraction* service);

// Shortcuts through the service in use.
MessageAnswer ShowMessage(QWidget* owner, const std::string& text, MessageIcon icon,
                          MessageButtons buttons = MessageButtons::Ok);

}  // namespace toolkit

// The system event sounds, by toolkit::SystemSoundKind.
void PlaySystemSound(int kind);

// Opens the help file of the current language; always true (the request is handled).
bool ShowHelp();
