#include <gtest/gtest.h>

#include <QGuiApplication>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "tests/support/qt_test_application.h"
#include "ui/app/tracklace_app.h"

namespace {

std::string DesktopEntry(const std::string& key, const std::string& file) {
    std::ifstream in(file);
    std::string line;
    while (std::getline(in, line)) {
        if (line.rfind(key + "=", 0) == 0) {
            return line.substr(key.size() + 1);
        }
    }
    return "<absent>";
}

// The window names the desktop file it belongs to, and the desktop file names the window's
// class, so that docks and task bars show the program's own name and icon.
TEST(ProgramIdentityTest, WindowAndDesktopFileNameEachOther) {
    TestApplication();
    CTracklaceApp::SetIdentity();
    EXPECT_EQ(QGuiApplication::desktopFileName(), "de.wendmark.tracklace");
    const std::string file = std::string(TRACKLACE_SOURCE_DIR) + "/packaging/" +
                             QGuiApplication::desktopFileName().toStdString() + ".desktop";
    ASSERT_TRUE(std::filesystem::exists(file)) << file;
    // Qt's window class on X11 is the application name.
    EXPECT_EQ(DesktopEntry("StartupWMClass", file),
              QCoreApplication::applicationName().toStdString());
    EXPECT_EQ(QCoreApplication::applicationName(), "Tracklace3");
}

}  // namespace
