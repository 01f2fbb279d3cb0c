#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>

#include "tests/support/temp_folder.h"

namespace {

// Every test of this program runs against a settings hive of its own, made before the first
// test and removed after the last.
class SettingsHome : public ::testing::Environment {
public:
    void SetUp() override {
        m_home = std::make_unique<TempFolder>("tracklace-about");
        setenv("XDG_CONFIG_HOME", m_home->String().c_str(), 1);
    }
    void TearDown() override { m_home.reset(); }

private:
    std::unique_ptr<TempFolder> m_home;
};

const auto* const kSettingsHome = ::testing::AddGlobalTestEnvironment(new SettingsHome);

}  // namespace
