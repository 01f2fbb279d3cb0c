#include "ui/toolkit/help_file.h"

#include <sys/stat.h>
#include <unistd.h>

#include "platform/code_page/code_page.h"

namespace toolkit {

std::vector<std::string> HelpFileCandidates(const std::string& programPath,
                                            const std::string& languageCode) {
    const std::string suffix = "_" + platform::Utf8ToUpper(languageCode) + ".html";
    if (programPath.empty()) {
        return {"TKL" + suffix};
    }
    // Paths are case-sensitive here, so the program's path is kept exactly as it is.
    std::vector<std::string> candidates{programPath + suffix};
    const auto slash = programPath.rfind('/');
    if (slash != std::string::npos) {
        const std::string folder = programPath.substr(0, slash);
        const std::string name = programPath.substr(slash + 1);
        const auto parentSlash = folder.rfind('/');
        const std::string parent =
            parentSlash == std::string::npos ? std::string(".") : folder.substr(0, parentSlash);
        candidates.push_back(parent + "/share/tracklace/" + name + suffix);
    }
    return candidates;
}

std::string FindHelpFile(const std::string& programPath, const std::string& languageCode) {
    const auto candidates = HelpFileCandidates(programPath, languageCode);
    for (const auto& candidate : candidates) {
        struct stat status {};
        if (stat(candidate.c_str(), &status) == 0 && S_ISREG(status.st_mode)) {
            return candidate;
        }
    }
    return {};
}

std::string ProgramPath() {
    std::string buffer(4096, '\0');
    const ssize_t length = readlink("/proc/self/exe", buffer.data(), buffer.size());
    if (length <= 0 || static_cast<size_t>(length) >= buffer.size()) {
        return {};
    }
    buffer.resize(static_cast<size_t>(length));
    return buffer;
}

}  // namespace toolkit
