// Installs the build into a temporary prefix, as a packager would, and checks what landed
// there: every file of the desktop integration, that the desktop tools accept them, and that
// the installed program finds its manual in each language.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "tests/packaging/run_command.h"
#include "tests/support/temp_folder.h"
#include "ui/toolkit/help_file.h"

namespace fs = std::filesystem;

namespace {

const char* const kDesktopFile = "share/applications/de.wendmark.tracklace.desktop";
const char* const kMetainfoFile = "share/metainfo/de.wendmark.tracklace.metainfo.xml";
const char* const kManPages[] = {
    "share/man/man1/tracklace.1.gz", "share/man/man1/tracklace-make.1.gz",
    "share/man/de/man1/tracklace.1.gz", "share/man/de/man1/tracklace-make.1.gz"};

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

// The build's install script, run into a fresh prefix of its own below the temporary
// folder (TMPDIR). cmake --install would write install_manifest.txt into the build folder,
// which is not the test's to change; the script's copy writes it beside the prefix instead.
std::string InstallInto(const fs::path& work, const fs::path& prefix) {
    std::smatch cmake;
    const std::string cache = ReadFile(fs::path(TRACKLACE_BINARY_DIR) / "CMakeCache.txt");
    if (!std::regex_search(cache, cmake, std::regex("\nCMAKE_COMMAND:INTERNAL=([^\r\n]+)"))) {
        return "the build's CMakeCache.txt names no cmake";
    }
    std::string script = ReadFile(fs::path(TRACKLACE_BINARY_DIR) / "cmake_install.cmake");
    const std::string manifest =
        std::string("file(WRITE \"") + TRACKLACE_BINARY_DIR + "/${CMAKE_INSTALL_MANIFEST}\"";
    const size_t at = script.find(manifest);
    if (at == std::string::npos) {
        return "the install script writes its manifest somewhere unexpected";
    }
    script.replace(at, manifest.size(),
                   "file(WRITE \"" + work.string() + "/${CMAKE_INSTALL_MANIFEST}\"");
    const fs::path copy = work / "cmake_install.cmake";
    std::ofstream(copy, std::ios::binary) << script;
    const auto install =
        RunCommand(Quoted(cmake[1].str()) + " -DCMAKE_INSTALL_PREFIX=" + Quoted(prefix) + " -P " +
                   Quoted(copy));
    if (install.exitCode != 0) {
        return "installing failed: " + install.output;
    }
    return {};
}

// A failed ASSERT in SetUpTestSuite would only mark the tests skipped, so the install's
// failure is kept and reported by every test instead.
class InstalledLayout : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        m_work = new TempFolder("tracklace-install");
        if (m_work->Path().empty()) {
            *m_error = "no temporary folder";
            return;
        }
        *m_prefix = m_work->Path() / "prefix";
        *m_manifestBefore = BuildManifest();
        *m_error = InstallInto(m_work->Path(), *m_prefix);
    }

    static void TearDownTestSuite() {
        delete m_work;
        m_work = nullptr;
    }

    void SetUp() override { ASSERT_EQ(*m_error, ""); }

    static fs::path Installed(const std::string& relative) { return *m_prefix / relative; }
    // The install manifest in the build folder, or a mark for its absence.
    static std::string BuildManifest() {
        const fs::path manifest = fs::path(TRACKLACE_BINARY_DIR) / "install_manifest.txt";
        return fs::exists(manifest) ? ReadFile(manifest) : std::string("(none)");
    }

    static inline TempFolder* m_work = nullptr;
    static inline fs::path* m_prefix = new fs::path;
    static inline std::string* m_error = new std::string;
    static inline std::string* m_manifestBefore = new std::string;
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

TEST_F(InstalledLayout, LiesBelowTheTemporaryFolderAndLeavesTheBuildAlone) {
    const fs::path temp = fs::temp_directory_path();
    EXPECT_EQ(m_prefix->string().rfind(temp.string(), 0), 0u) << *m_prefix << " not below " << temp;
    EXPECT_EQ(BuildManifest(), *m_manifestBefore) << "the build folder's manifest changed";
    EXPECT_TRUE(fs::is_regular_file(m_work->Path() / "install_manifest.txt"));
}

// Man shows each page without a warning, as lintian checks them; the package's changelog
// names the program's version.
TEST_F(InstalledLayout, HoldsItsManualPagesAndChangelog) {
    for (const char* page : kManPages) {
        SCOPED_TRACE(page);
        ASSERT_TRUE(fs::is_regular_file(Installed(page)));
        const auto shown = RunCommand(
            "LC_ALL=C.UTF-8 MANROFFSEQ='' MANWIDTH=80 man --warnings "
            "-E UTF-8 -l -Tutf8 -Z " +
            Quoted(Installed(page)) + " 2>&1 >/dev/null");
        EXPECT_EQ(shown.exitCode, 0) << shown.output;
        EXPECT_EQ(shown.output, "");
        const auto text = RunCommand("MANWIDTH=80 man -l " + Quoted(Installed(page)));
        EXPECT_NE(text.output.find("tracklace"), std::string::npos);
    }

    std::smatch version;
    const std::string project = ReadFile(fs::path(TRACKLACE_SOURCE_DIR) / "CMakeLists.txt");
    ASSERT_TRUE(std::regex_search(project, version,
                                  std::regex(R"re(project\(Tracklace VERSION ([0-9.]+))re")));
    const auto changelog =
        RunCommand("zcat " + Quoted(Installed("share/doc/tracklace/changelog.gz")));
    ASSERT_EQ(changelog.exitCode, 0) << changelog.output;
    EXPECT_EQ(changelog.output.rfind("tracklace (" + version[1].str() + ") ", 0), 0u)
        << "the newest entry is the program's version";
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
