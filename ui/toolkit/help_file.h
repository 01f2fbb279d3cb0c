#pragma once

#include <string>
#include <vector>

namespace toolkit {

// The help document of a language sits beside the program and is named after it: the
// program /opt/tracklace/tracklace in English has /opt/tracklace/tracklace_EN.html. An
// installed program (bin/tracklace) finds it in ../share/tracklace/ as well. The places to
// look, in order; programPath empty means the program's own path is unknown, and the name
// is then relative to the current folder.
std::vector<std::string> HelpFileCandidates(const std::string& programPath,
                                            const std::string& languageCode);

// The first candidate that exists, or the empty text when none does.
std::string FindHelpFile(const std::string& programPath, const std::string& languageCode);

// The running program's full path, empty when it cannot be told.
std::string ProgramPath();

}  // namespace toolkit
