#pragma once

#include <deque>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "ui/toolkit/user_interaction.h"

// A user who answers from a script and a speaker that only counts. Every question the
// program asks is recorded; a question without a scripted answer fails the test loudly.
class ScriptedUserInteraction : public toolkit::IUserInteraction {
public:
    struct Message {
        std::string text;
        toolkit::MessageIcon icon;
        toolkit::MessageButtons buttons;
    };

    ScriptedUserInteraction() { toolkit::SetUserInteraction(this); }
    ~ScriptedUserInteraction() override { toolkit::SetUserInteraction(nullptr); }

    std::deque<toolkit::MessageAnswer> answers;
    std::deque<toolkit::OpenFilesResult> openFilesResults;
    std::deque<std::optional<std::string>> folderResults;

    std::vector<Message> messages;
    std::vector<toolkit::OpenFilesRequest> openFilesRequests;
    std::vector<toolkit::FolderRequest> folderRequests;
    std::vector<int> systemSounds;
    int wavesPlayed = 0;
    std::vector<std::string> openedUrls;

    toolkit::MessageAnswer ShowMessage(QWidget*, const std::string& text, toolkit::MessageIcon icon,
                                       toolkit::MessageButtons buttons) override {
        messages.push_back({text, icon, buttons});
        if (buttons == toolkit::MessageButtons::Ok) {
            return toolkit::MessageAnswer::Ok;
        }
        if (answers.empty()) {
            throw std::logic_error("unscripted question: " + text);
        }
        auto answer = answers.front();
        answers.pop_front();
        return answer;
    }

    toolkit::OpenFilesResult GetOpenFileNames(QWidget*,
                                              const toolkit::OpenFilesRequest& request) override {
        openFilesRequests.push_back(request);
        if (openFilesResults.empty()) {
            throw std::logic_error("unscripted file dialog");
        }
        auto result = openFilesResults.front();
        openFilesResults.pop_front();
        return result;
    }

    std::optional<std::string> BrowseForFolder(QWidget*,
                                               const toolkit::FolderRequest& request) override {
        folderRequests.push_back(request);
        if (folderResults.empty()) {
            throw std::logic_error("unscripted folder browser");
        }
        auto result = folderResults.front();
        folderResults.pop_front();
        return result;
    }

    void PlaySystemSound(int kind) override { systemSounds.push_back(kind); }
    void PlayWave(std::string_view) override { ++wavesPlayed; }
    bool OpenUrl(const std::string& url) override {
        openedUrls.push_back(url);
        return true;
    }
};
