// The manual pages and the program agree on the options of tracklace-make. Both sides are
// read where they are kept, the program's --help from the built program and the pages'
// option lists from their sources, so an option added to either side without the other
// fails here.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <regex>
#include <set>
#include <sstream>
#include <string>

#include "tests/packaging/run_command.h"
#include "tests/support/temp_folder.h"

namespace fs = std::filesystem;

namespace {

using OptionSet = std::set<std::string>;

OptionSet OptionsIn(const std::string& text) {
    OptionSet options;
    const std::regex option(R"re((?:^|[\s,|])(--?[A-Za-z][A-Za-z-]*))re");
    for (std::sregex_iterator it(text.begin(), text.end(), option), end; it != end; ++it) {
        options.insert((*it)[1].str());
    }
    return options;
}

// The options the help lists: the left column of every indented line.
OptionSet HelpOptions(const std::string& help) {
    OptionSet options;
    std::istringstream lines(help);
    for (std::string line; std::getline(lines, line);) {
        if (line.rfind("  ", 0) != 0) {
            continue;
        }
        const size_t text = line.find("  ", line.find_first_not_of(' '));
        const OptionSet found = OptionsIn(line.substr(0, text));
        options.insert(found.begin(), found.end());
    }
    return options;
}

// The options a page source describes: the terms of its option section.
OptionSet PageOptions(const std::string& source) {
    OptionSet options;
    std::istringstream lines(source);
    bool inOptions = false;
    std::string previous;
    for (std::string line; std::getline(lines, line); previous = line) {
        if (line.rfind("## ", 0) == 0) {
            inOptions = line == "## OPTIONS" || line == "## OPTIONEN";
            continue;
        }
        if (inOptions && line.rfind(": ", 0) == 0 && !previous.empty() && previous[0] != ' ') {
            std::string term = previous;
            term.erase(std::remove(term.begin(), term.end(), '*'), term.end());
            const OptionSet found = OptionsIn(term);
            options.insert(found.begin(), found.end());
        }
    }
    return options;
}

std::string Listed(const OptionSet& options) {
    std::string text;
    for (const auto& o : options) {
        text += o + " ";
    }
    return text;
}

TEST(ManPages, ListTheOptionsThatTracklaceMakeHas) {
    const TempFolder home("tracklace-man");
    const auto help =
        RunCommand("XDG_CONFIG_HOME=" + Quoted(home.Path()) + " " +
                   Quoted(fs::path(TRACKLACE_BINARY_DIR) / "bin/tracklace-make") + " --help");
    ASSERT_EQ(help.exitCode, 0) << help.output;
    const OptionSet programOptions = HelpOptions(help.output);
    ASSERT_GE(programOptions.size(), 5u) << "the help was not read: " << help.output;
    EXPECT_TRUE(programOptions.count("--output")) << Listed(programOptions);

    for (const char* source :
         {"packaging/man/tracklace-make.1.md", "packaging/man/de/tracklace-make.1.md"}) {
        SCOPED_TRACE(source);
        const std::string page = ReadFile(fs::path(TRACKLACE_SOURCE_DIR) / source);
        ASSERT_FALSE(page.empty());
        EXPECT_EQ(Listed(PageOptions(page)), Listed(programOptions));
    }
}

}  // namespace
