#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/file.h>
#include <unistd.h>

#include <QElapsedTimer>
#include <QProcess>
#include <QThread>

#include "settings/store/properties.h"
#include "tests/support/qt_test_application.h"
#include "tests/support/temp_folder.h"
#include "ui/app/single_instance.h"

namespace {

const QString kProgram = TRACKLACE_BINARY_DIR "/bin/tracklace";
const QString kProbe = TRACKLACE_BINARY_DIR "/bin/single_instance_probe";
constexpr const char* kDisplay = ":71";

// Starts of the program in a session of their own: runtime folder, settings, display name.
class SingleInstanceTest : public ::testing::Test, private WithTestApplication {
protected:
    void SetUp() override {
        m_environment = QProcessEnvironment::systemEnvironment();
        m_environment.insert("XDG_RUNTIME_DIR", QString::fromStdString(m_runtime.Path().string()));
        m_environment.insert("XDG_CONFIG_HOME", QString::fromStdString(m_config.Path().string()));
        m_environment.insert("QT_QPA_PLATFORM", "offscreen");
        m_environment.remove("WAYLAND_DISPLAY");
        m_environment.insert("DISPLAY", kDisplay);
        m_lockPath = m_runtime.Path().string() + "/" +
                     "TKL-{B9CA50FC-8C22-4ced-8C64-E98672FFBF25}-" + kDisplay + ".lock";
    }
    void TearDown() override {
        for (auto& process : m_processes) {
            if (process->state() != QProcess::NotRunning) {
                process->kill();
                process->waitForFinished(5000);
            }
        }
    }

    QProcess* Start(const QString& program, const QStringList& arguments = {}) {
        m_processes.push_back(std::make_unique<QProcess>());
        QProcess* process = m_processes.back().get();
        process->setProcessEnvironment(m_environment);
        process->start(program, arguments);
        EXPECT_TRUE(process->waitForStarted(5000));
        return process;
    }

    bool LockHeldByOther() const {
        const int fd = open(m_lockPath.c_str(), O_RDWR | O_CLOEXEC);
        if (fd < 0) {
            return false;
        }
        const bool held = flock(fd, LOCK_EX | LOCK_NB) != 0;
        close(fd);
        return held;
    }

    // Waits, at most ten seconds, for the marker to be taken.
    bool WaitForLock() const {
        QElapsedTimer waited;
        waited.start();
        while (!LockHeldByOther()) {
            if (waited.elapsed() > 10000) {
                return false;
            }
            QThread::msleep(20);
        }
        return true;
    }

    TempFolder m_runtime;
    TempFolder m_config;
    QProcessEnvironment m_environment;
    std::string m_lockPath;
    std::vector<std::unique_ptr<QProcess>> m_processes;
};

TEST_F(SingleInstanceTest, SecondStartOfTheProgramEndsAndTheFirstRunsOn) {
    QProcess* first = Start(kProgram);
    ASSERT_TRUE(WaitForLock());
    QProcess* second = Start(kProgram);
    ASSERT_TRUE(second->waitForFinished(10000));
    EXPECT_EQ(second->exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(second->exitCode(), 0);
    EXPECT_EQ(first->state(), QProcess::Running);
    EXPECT_TRUE(LockHeldByOther());
}

TEST_F(SingleInstanceTest, AFirstInstanceKilledHardNeverBlocksTheNextStart) {
    QProcess* first = Start(kProgram);
    ASSERT_TRUE(WaitForLock());
    kill(static_cast<pid_t>(first->processId()), SIGKILL);
    ASSERT_TRUE(first->waitForFinished(5000));
    EXPECT_FALSE(LockHeldByOther());
    // The killed one left its socket behind; the next start takes over regardless.
    QProcess* next = Start(kProgram);
    ASSERT_TRUE(WaitForLock());
    EXPECT_FALSE(next->waitForFinished(500));
    EXPECT_EQ(next->state(), QProcess::Running);
    QProcess* third = Start(kProgram);
    ASSERT_TRUE(third->waitForFinished(10000));
    EXPECT_EQ(third->exitCode(), 0);
    EXPECT_EQ(next->state(), QProcess::Running);
}

TEST_F(SingleInstanceTest, TheSecondStartAsksTheFirstForItsWindow) {
    QProcess* holder = Start(kProbe, {"hold"});
    ASSERT_TRUE(holder->waitForReadyRead(10000));
    EXPECT_EQ(holder->readLine().trimmed(), "first");
    QProcess* second = Start(kProbe, {"once"});
    ASSERT_TRUE(second->waitForFinished(10000));
    EXPECT_EQ(second->readAllStandardOutput().trimmed(), "second");
    ASSERT_TRUE(holder->waitForFinished(10000));
    EXPECT_EQ(holder->readAllStandardOutput().trimmed(), "activated");
    EXPECT_EQ(holder->exitCode(), 0);
    // With the holder gone the marker is free again.
    QProcess* later = Start(kProbe, {"once"});
    ASSERT_TRUE(later->waitForFinished(10000));
    EXPECT_EQ(later->readAllStandardOutput().trimmed(), "first");
}

TEST_F(SingleInstanceTest, WithTheSettingOffNoMarkerIsTaken) {
    ASSERT_EQ(setenv("XDG_CONFIG_HOME", m_config.Path().c_str(), 1), 0);
    // The setting is written by this process into the hive the program reads.
    ASSERT_TRUE(SetPropertyInt("prop_SingleInstance", 0));
    unsetenv("XDG_CONFIG_HOME");
    QProcess* first = Start(kProgram);
    QProcess* second = Start(kProgram);
    EXPECT_FALSE(second->waitForFinished(1000));
    EXPECT_EQ(first->state(), QProcess::Running);
    EXPECT_EQ(second->state(), QProcess::Running);
    EXPECT_FALSE(LockHeldByOther());
}

TEST(SingleInstanceNameTest, DisplayTakesThePlaceOfTheDesktop) {
    setenv("DISPLAY", "host:10.0", 1);
    unsetenv("WAYLAND_DISPLAY");
    EXPECT_EQ(CSingleInstance::MarkerName(),
              "TKL-{B9CA50FC-8C22-4ced-8C64-E98672FFBF25}-host:10.0");
    setenv("WAYLAND_DISPLAY", "wayland-1", 1);
    EXPECT_EQ(CSingleInstance::MarkerName(),
              "TKL-{B9CA50FC-8C22-4ced-8C64-E98672FFBF25}-wayland-1");
    unsetenv("WAYLAND_DISPLAY");
    unsetenv("DISPLAY");
    EXPECT_EQ(CSingleInstance::MarkerName(), "TKL-{B9CA50FC-8C22-4ced-8C64-E98672FFBF25}-Win9x");
}

}  // namespace
