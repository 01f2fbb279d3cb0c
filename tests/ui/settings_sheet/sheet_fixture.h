#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QList>
#include <QPushButton>
#include <QTest>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "settings/language/language.h"
#include "settings/store/properties.h"
#include "tests/support/scripted_user_interaction.h"
#include "tests/support/temp_folder.h"
#include "ui/settings_sheet/prop_sheet_settings.h"

// Clicks a button where its indicator or text is: a check box or radio button stretched
// across the page takes clicks only there.
inline void ClickButton(QWidget* button) {
    ASSERT_NE(button, nullptr);
    const QPoint at(std::min(10, button->width() / 2), button->height() / 2);
    QTest::mouseClick(button, Qt::LeftButton, {}, at);
}

// Sets an environment variable for the life of the object.
class ScopedEnvironment {
public:
    ScopedEnvironment(const char* name, const char* value) : m_name(name) {
        if (const char* old = std::getenv(name)) {
            m_old = old;
            m_hadOld = true;
        }
        setenv(name, value, 1);
    }
    ~ScopedEnvironment() {
        if (m_hadOld) {
            setenv(m_name.c_str(), m_old.c_str(), 1);
        } else {
            unsetenv(m_name.c_str());
        }
    }

private:
    std::string m_name;
    std::string m_old;
    bool m_hadOld = false;
};

// Every test gets a settings hive of its own in a fresh folder, the English texts unless it
// stores another language, and a scripted user.
class SheetTest : public ::testing::Test {
protected:
    void SetUp() override {
        static int argc = 1;
        static char name[] = "test_ui_settings_sheet";
        static char* argv[] = {name, nullptr};
        if (QApplication::instance() == nullptr) {
            new QApplication(argc, argv);
        }
        m_configFolder = std::make_unique<TempFolder>("tracklace-sheet");
        ASSERT_FALSE(m_configFolder->Path().empty());
        m_configHome = m_configFolder->Path();
        setenv("XDG_CONFIG_HOME", m_configHome.c_str(), 1);
        ReloadTexts();
    }

    void TearDown() override {
        unsetenv("XDG_CONFIG_HOME");
        m_configFolder.reset();
    }

    // Stores the language and loads its table, as a restart would.
    static void UseLanguage(bool english) {
        SetLanguageCode(english);
        ReloadTexts();
    }

    // A text property's stored value, or "<absent>" when nothing was written.
    static std::string Stored(const char* name) { return GetPropertyString(name, "<absent>"); }
    // An integer property's stored value, or -99 when nothing was written.
    static int StoredInt(const char* name) { return GetPropertyInt(name, -99); }

    template <typename T>
    static T* Find(QWidget* parent, const char* name) {
        T* widget = parent->findChild<T*>(name);
        EXPECT_NE(widget, nullptr) << name;
        return widget;
    }

    static void Click(QWidget* parent, const char* name) {
        ClickButton(Find<QWidget>(parent, name));
    }

    ScriptedUserInteraction m_user;
    std::unique_ptr<TempFolder> m_configFolder;
    std::filesystem::path m_configHome;
};
