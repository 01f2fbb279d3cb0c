#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

namespace {

// Every test of this program runs against a settings hive of its own, made before the first
// test and removed after the last.
class SettingsHome : public ::testing::Environment {
public:
    void SetUp() override {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "tracklace_about_XXXXXX").string();
        if (mkdtemp(pattern.data()) != nullptr) {
            m_home = pattern;
            setenv("XDG_CONFIG_HOME", m_home.c_str(), 1);
        }
    }
    void TearDown() override {
        if (!m_home.empty()) {
            std::error_code ignored;
            std::filesystem::remove_all(m_home, ignored);
        }
    }

private:
    std::string m_home;
};

const auto* const kSettingsHome = ::testing::AddGlobalTestEnvironment(new SettingsHome);

}  // namespace
