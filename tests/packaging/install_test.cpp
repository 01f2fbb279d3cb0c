// Installs the build into a temporary prefix, as a packager would, and checks what landed
// there: every file of the desktop integration, that the desktop tools accept them, and that
// the installed program finds its manual in each language.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "ui/toolkit/help_file.h"

namespace fs = std::filesystem;

namespace {

const char* const kDesktopFile = "share/applications/de.wendmark.tracklace.desktop";
const char* const kMetainfoFile = "share/metainfo/de.wendmark.tracklace.metainfo.xml";

std::string ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

struct CommandResult {
    int exitCode = -1;
    std::string output;
};

// Runs a shell command with its standard error joined to its output.
CommandResult RunCommand(const std::string& command) {
    CommandResult result;
    FILE* pipe = popen((command + " 2>&1").c_str(), "r");
    if (pipe == nullptr) {
        return result;
    }
    char buffer[4096];
    size_t count = 0;
    while ((count = fread(buffer, 1, sizeof buffer, pipe)) > 0) {
        result.output.append(buffer, count);
    }
    const int status = pclose(pipe);
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

std::string Quoted(const fs::path& path) {
    return "'" + path.string() + "'";
}

// Width and height from a PNG file's header chunk; (0, 0) when the file is no PNG.
std::pair<unsigned, unsigned> PngSize(const fs::path& path) {
    const std::string bytes = ReadFile(path);
    if (bytes.size() < 24 || bytes.compare(0, 8, "\x89PNG\r\n\x1a\n") != 0 ||
        bytes.compare(12, 4, "IHDR") != 0) {
        return {0, 0};
    }
    auto be32 = [&](size_t at) {
        unsigned value = 0;
        for (size_t i = 0; i < 4; ++i) {
            value = value << 8 | static_cast<unsigned char>(bytes[at + i]);
        }
        return value;
    };
    return {be32(16), be32(20)};
}

// Every match of the first group of pattern in text.
std::vector<std::string> AllMatches(const std::string& text, const std::string& pattern) {
    std::vector<std::string> found;
    const std::regex expression(pattern);
    for (std::sregex_iterator it(text.begin(), text.end(), expression), end; it != end; ++it) {
        found.push_back((*it)[1].str());
    }
    return found;
}

// A failed ASSERT in SetUpTestSuite would only mark the tests skipped, so the install's
// failure is kept and reported by every test instead.
class InstalledLayout : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        char pattern[] = "/tmp/tracklace_install_XXXXXX";
        if (mkdtemp(pattern) == nullptr) {
            *m_error = "no temporary folder";
            return;
        }
        *m_prefix = pattern;
        // The cmake that configured the build installs it, as its cache records.
        std::smatch cmake;
        const std::string cache = ReadFile(fs::path(TRACKLACE_BINARY_DIR) / "CMakeCache.txt");
        if (!std::regex_search(cache, cmake, std::regex("\nCMAKE_COMMAND:INTERNAL=([^\r\n]+)"))) {
            *m_error = "the build's CMakeCache.txt names no cmake";
            return;
        }
        const auto install =
            RunCommand(Quoted(cmake[1].str()) + " --install " + Quoted(TRACKLACE_BINARY_DIR) +
                       " --prefix " + Quoted(*m_prefix));
        if (install.exitCode != 0) {
            *m_error = "cmake --install failed: " + install.output;
        }
    }

    static void TearDownTestSuite() {
        if (!m_prefix->empty()) {
            std::error_code ignored;
            fs::remove_all(*m_prefix, ignored);
        }
    }

    void SetUp() override { ASSERT_EQ(*m_error, ""); }

    static fs::path Installed(const std::string& relative) { return *m_prefix / relative; }

    static inline fs::path* m_prefix = new fs::path;
    static inline std::string* m_error = new std::string;
};

TEST_F(InstalledLayout, HoldsTheProgramAndItsDesktopFiles) {
    const fs::path program = Installed("bin/tracklace");
    struct stat status {};
    ASSERT_EQ(stat(program.c_str(), &status), 0) << program;
    EXPECT_TRUE(S_ISREG(status.st_mode));
    EXPECT_NE(status.st_mode & S_IXOTH, 0u) << "every user must be able to start the program";

    for (const char* file :
         {kDesktopFile, kMetainfoFile, "share/icons/hicolor/scalable/apps/tracklace.svg",
          "share/tracklace/tracklace_EN.html", "share/tracklace/tracklace_DE.html",
          "share/doc/tracklace/copyright"}) {
        EXPECT_TRUE(fs::is_regular_file(Installed(file))) << file;
        EXPECT_GT(fs::file_size(Installed(file)), 0u) << file;
    }
    EXPECT_NE(ReadFile(Installed("share/icons/hicolor/scalable/apps/tracklace.svg")).find("<svg"),
              std::string::npos);
    // A theme looks only into the folder of a picture's own size: a 128 pixel picture in the
    // 48x48 folder would be drawn blurred or not found at all.
    for (unsigned size : {48u, 128u, 256u}) {
        const std::string folder = std::to_string(size) + "x" + std::to_string(size);
        const auto actual =
            PngSize(Installed("share/icons/hicolor/" + folder + "/apps/tracklace.png"));
        EXPECT_EQ(actual, std::make_pair(size, size)) << folder;
    }
}

TEST_F(InstalledLayout, DesktopToolsAcceptTheInstalledFiles) {
    const auto desktop = RunCommand("desktop-file-validate " + Quoted(Installed(kDesktopFile)));
    EXPECT_EQ(desktop.exitCode, 0) << desktop.output;
    EXPECT_EQ(desktop.output, "") << "warnings count as faults here";

    const auto metainfo =
        RunCommand("appstreamcli validate --no-net --no-color " + Quoted(Installed(kMetainfoFile)));
    EXPECT_EQ(metainfo.exitCode, 0) << metainfo.output;
    EXPECT_EQ(metainfo.output.find("W:"), std::string::npos) << metainfo.output;
    EXPECT_EQ(metainfo.output.find("E:"), std::string::npos) << metainfo.output;
}

// The desktop file, the metainfo and the icon name one another; a rename of one of them
// that misses another leaves a menu entry without icon or a software centre without the
// program, and neither validator notices.
TEST_F(InstalledLayout, DesktopFileMetainfoAndIconAgree) {
    const std::string desktop = ReadFile(Installed(kDesktopFile));
    const std::string metainfo = ReadFile(Installed(kMetainfoFile));

    const auto exec = AllMatches(desktop, R"re(\nExec=([^\n]*))re");
    ASSERT_EQ(exec.size(), 1u);
    EXPECT_TRUE(fs::is_regular_file(Installed("bin/" + exec[0])));
    const auto icon = AllMatches(desktop, R"re(\nIcon=([^\n]*))re");
    ASSERT_EQ(icon.size(), 1u);
    EXPECT_TRUE(fs::exists(Installed("share/icons/hicolor/48x48/apps/" + icon[0] + ".png")));
    EXPECT_TRUE(fs::exists(Installed("share/icons/hicolor/scalable/apps/" + icon[0] + ".svg")));
    EXPECT_NE(desktop.find("\nCategories=AudioVideo;Audio;"), std::string::npos);

    const auto launchable = AllMatches(metainfo, R"re(<launchable type="desktop-id">([^<]*)<)re");
    ASSERT_EQ(launchable.size(), 1u);
    EXPECT_EQ("share/applications/" + launchable[0], kDesktopFile);
    EXPECT_EQ(AllMatches(metainfo, R"re(<icon type="stock">([^<]*)<)re"), icon);
    EXPECT_EQ(AllMatches(metainfo, R"re(<binary>([^<]*)<)re"), exec);

    std::smatch version;
    const std::string project = ReadFile(fs::path(TRACKLACE_SOURCE_DIR) / "CMakeLists.txt");
    ASSERT_TRUE(std::regex_search(project, version,
                                  std::regex(R"re(project\(Tracklace VERSION ([0-9.]+))re")));
    const auto releases = AllMatches(metainfo, R"re(<release version="([^"]*)")re");
    ASSERT_FALSE(releases.empty());
    EXPECT_EQ(releases.front(), version[1].str())
        << "the newest release listed is the program's version";
}

TEST_F(InstalledLayout, InstalledProgramFindsTheManualOfEachLanguage) {
    const std::string program = Installed("bin/tracklace").string();
    EXPECT_EQ(toolkit::FindHelpFile(program, "EN"), Installed("share/tracklace/tracklace_EN.html"));
    EXPECT_EQ(toolkit::FindHelpFile(program, "de"), Installed("share/tracklace/tracklace_DE.html"));
    EXPECT_EQ(toolkit::FindHelpFile(program, "FR"), "")
        << "no manual of that language is installed";
}

TEST(BuildTree, ProgramInTheBuildFolderFindsTheManualBesideIt) {
    const std::string program = std::string(TRACKLACE_BINARY_DIR) + "/bin/tracklace";
    EXPECT_EQ(toolkit::FindHelpFile(program, "EN"), program + "_EN.html");
    EXPECT_EQ(toolkit::FindHelpFile(program, "DE"), program + "_DE.html");
}

// Each manual shows its pictures and its table of contents leads somewhere; and it has an
// entry, marked with the text key, for every message the program can show, so a message
// added to the language tables without a word in the manual fails here.
TEST_F(InstalledLayout, ManualsAreCompleteInEachLanguage) {
    std::set<std::string> messages;
    std::istringstream table(
        ReadFile(fs::path(TRACKLACE_SOURCE_DIR) / "resources/TEXTSTRINGTABLE/LANGUAGE_EN.tbl"));
    const std::regex messageKey(R"re(^(IDS_TL_MB_[A-Z0-9_]+)\r?$)re");
    for (std::string line; std::getline(table, line);) {
        std::smatch match;
        if (std::regex_match(line, match, messageKey)) {
            messages.insert(match[1].str());
        }
    }
    ASSERT_GE(messages.size(), 10u) << "the language table was not read";

    for (const char* language : {"EN", "DE"}) {
        SCOPED_TRACE(language);
        const fs::path manual =
            Installed(std::string("share/tracklace/tracklace_") + language + ".html");
        const std::string html = ReadFile(manual);
        EXPECT_NE(html.find(std::string("<html lang=\"") + (language[0] == 'E' ? "en" : "de")),
                  std::string::npos);

        const auto pictures = AllMatches(html, R"re(<img src="([^"]+)")re");
        EXPECT_GE(pictures.size(), 4u);
        for (const auto& picture : pictures) {
            EXPECT_NE(picture.find(std::string("_") + language + ".png"), std::string::npos)
                << picture << " is a picture of the other language";
            EXPECT_GT(PngSize(manual.parent_path() / picture).first, 0u)
                << picture << " is missing";
        }

        const auto ids = AllMatches(html, R"re( id="([^"]+)")re");
        const std::set<std::string> anchors(ids.begin(), ids.end());
        EXPECT_EQ(anchors.size(), ids.size()) << "an anchor is used twice";
        for (const auto& link : AllMatches(html, R"re(href="#([^"]+)")re")) {
            EXPECT_TRUE(anchors.count(link)) << "#" << link << " leads nowhere";
        }
        for (const auto& key : messages) {
            EXPECT_TRUE(anchors.count(key)) << key << " is not explained";
        }
    }
}

}  // namespace
