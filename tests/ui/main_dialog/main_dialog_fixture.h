#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <QAbstractButton>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QLineEdit>
#include <QTimer>
#include <memory>

#include "core/playlist/playlist.h"
#include "settings/file_types/file_types.h"
#include "settings/language/language.h"
#include "settings/store/properties.h"
#include "tests/support/qt_test_application.h"
#include "tests/support/scripted_user_interaction.h"
#include "tests/support/temp_folder.h"
#include "ui/controls/file_drop_list_ctrl.h"
#include "ui/main_dialog/playlist_model.h"
#include "ui/main_dialog/tracklace_dlg.h"

// A main window on a settings hive of its own, driven by a scripted user.
class MainDialogTest : public ::testing::Test, private WithTestApplication {
protected:
    void SetUp() override {
        setenv("XDG_CONFIG_HOME", m_config.Path().c_str(), 1);
        Open();
    }
    void TearDown() override {
        m_dialog.reset();
        unsetenv("XDG_CONFIG_HOME");
    }

    // (Re)opens the window, as at program start.
    void Open() {
        m_dialog.reset();
        m_dialog = std::make_unique<CTracklaceDlg>();
        m_dialog->show();
        QCoreApplication::sendPostedEvents();
    }

    CTracklaceDlg& Dialog() { return *m_dialog; }
    CFileDropListCtrl& List() { return *m_dialog->GetList(); }
    QAbstractButton* Button(int id) {
        return qobject_cast<QAbstractButton*>(m_dialog->GetControl(id));
    }
    QLineEdit* Edit(int id) { return qobject_cast<QLineEdit*>(m_dialog->GetControl(id)); }
    void Click(int id) {
        Button(id)->click();
        QCoreApplication::sendPostedEvents();
    }

    // The entries as full paths, walking the playlist.
    std::vector<std::string> Entries() {
        std::vector<std::string> paths;
        for (const CPlaylistElement* e = m_dialog->GetPlaylist().PeekHead(); e != nullptr;
             e = e->GetNext()) {
            paths.push_back(e->GetFullPath());
        }
        return paths;
    }
    // What the list shows in one column.
    std::vector<std::string> Column(int column) {
        std::vector<std::string> texts;
        auto* model = m_dialog->GetModel();
        for (int row = 0; row < model->rowCount(); ++row) {
            texts.push_back(model->index(row, column).data().toString().toStdString());
        }
        return texts;
    }

    // "Add files" answered with these paths and the filter index.
    void AddFiles(const std::vector<std::string>& paths, int filterIndex = 1) {
        toolkit::OpenFilesResult result;
        result.accepted = true;
        result.paths = paths;
        result.filterIndex = filterIndex;
        m_user.openFilesResults.push_back(result);
        Click(CTracklaceDlg::kAddFiles);
    }
    void AddFolder(const std::string& folder) {
        m_user.folderResults.push_back(folder);
        Click(CTracklaceDlg::kAddFolder);
    }

    // Runs the event loop until done() holds, for at most five seconds.
    template <typename Done>
    static void WaitUntil(Done done) {
        QElapsedTimer waited;
        waited.start();
        while (!done() && waited.elapsed() < 5000) {
            QEventLoop loop;
            QTimer::singleShot(10, &loop, &QEventLoop::quit);
            loop.exec();
        }
    }

    TempFolder m_config;
    TempFolder m_music;
    ScriptedUserInteraction m_user;
    std::unique_ptr<CTracklaceDlg> m_dialog;
};

// The window opened in English (parameter true) or German; English again afterwards, since
// the texts are the process's.
class MainDialogInLanguageTest : public MainDialogTest, public ::testing::WithParamInterface<bool> {
protected:
    void SetUp() override {
        MainDialogTest::SetUp();
        SetLanguageCode(GetParam());
        ReloadTexts();
        Open();
    }
    void TearDown() override {
        SetLanguageCode(true);
        ReloadTexts();
        MainDialogTest::TearDown();
    }

public:
    static std::string LanguageName(const ::testing::TestParamInfo<bool>& info) {
        return info.param ? "English" : "German";
    }
};
