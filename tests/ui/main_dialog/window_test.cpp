#include <QComboBox>
#include <QKeyEvent>
#include <filesystem>
#include <fstream>

#include "main_dialog_fixture.h"
#include "ui/toolkit/help_file.h"

using Id = CTracklaceDlg::ControlId;

namespace {

TEST_F(MainDialogTest, FirstRunInitialisesTheSettingsOnce) {
    EXPECT_EQ(GetPropertyInt("prop_FirstTimeInitComplete", 0), 1);
    EXPECT_EQ(Dialog().GetActiveFileTypes(),
              (FileTypeList{"cda", "mp3", "ogg", "wav", "wma", "avi", "mpeg", "mpg", "wmv"}));
    // Not run again: a changed list survives the next opening.
    SaveFileTypeLists({"flac"}, {});
    Open();
    EXPECT_EQ(Dialog().GetActiveFileTypes(), FileTypeList{"flac"});
}

TEST_F(MainDialogTest, ADamagedSettingsFileIsNamedInOneWarningAtTheStart) {
    m_dialog.reset();
    const std::string file = m_config.Path().string() + "/Wendmark/HKEY_CURRENT_USER.reg";
    std::ofstream(file, std::ios::binary | std::ios::trunc) << std::string("REGEDIT4\r\n\0", 11);
    const std::size_t before = m_user.messages.size();
    Open();
    ASSERT_EQ(m_user.messages.size(), before + 1);
    const auto& warning = m_user.messages.back();
    EXPECT_EQ(warning.icon, toolkit::MessageIcon::Exclamation);
    EXPECT_EQ(warning.buttons, toolkit::MessageButtons::Ok);
    EXPECT_EQ(warning.text.rfind("The settings file\n" + file + "\ncould not be read", 0), 0u)
        << warning.text;
    EXPECT_NE(warning.text.find("kept as\n" + file + ".corrupt-"), std::string::npos);
    // The settings begin anew, with the first run.
    EXPECT_EQ(Dialog().GetActiveFileTypes().size(), 9u);
    // Told once: the next start finds a good file.
    Open();
    EXPECT_EQ(m_user.messages.size(), before + 1);
}

TEST_F(MainDialogTest, ASettingsFileThatCannotBeReadIsNamedAtTheStart) {
    m_dialog.reset();
    const std::string file = m_config.Path().string() + "/Wendmark/HKEY_CURRENT_USER.reg";
    std::filesystem::remove(file);
    std::filesystem::create_directories(file);
    Open();
    ASSERT_EQ(m_user.messages.size(), 1u);
    EXPECT_EQ(m_user.messages[0].text.rfind("The settings file\n" + file + "\ncannot be read.", 0),
              0u)
        << m_user.messages[0].text;
    EXPECT_TRUE(std::filesystem::is_directory(file));
}

TEST_F(MainDialogTest, WindowCaptionSizeIconAndTexts) {
    EXPECT_EQ(Dialog().windowTitle(), "Tracklace 3");
    EXPECT_FALSE(Dialog().windowIcon().isNull());
    EXPECT_EQ(Dialog().minimumSize(), Dialog().maximumSize());
    EXPECT_FALSE(Dialog().windowFlags() & Qt::WindowMaximizeButtonHint);
    EXPECT_EQ(Button(Id::kAddFiles)->toolTip(), "Add files");
    EXPECT_EQ(Button(Id::kTakeover)->toolTip(), "Set as playlist save location");
    EXPECT_FALSE(Button(Id::kTakeover)->isEnabled());
    EXPECT_EQ(Button(Id::kCreatePlaylist)->text(), "&Create Playlist");
    EXPECT_EQ(List().selectionMode(), QAbstractItemView::SingleSelection);
}

TEST_F(MainDialogTest, EscapeDoesNotCloseAndCloseStoresTheTypeWithResultOne) {
    QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QCoreApplication::sendEvent(&Dialog(), &escape);
    EXPECT_TRUE(Dialog().isVisible());
    auto* type = qobject_cast<QComboBox*>(Dialog().GetControl(Id::kPlaylistType));
    type->setCurrentIndex(1);
    Dialog().close();
    EXPECT_FALSE(Dialog().isVisible());
    EXPECT_EQ(Dialog().result(), 1);
    EXPECT_EQ(GetPropertyString("prop_PlaylistType", ""), ".m3u");
}

TEST_F(MainDialogTest, StoredTypeIsSelectedIgnoringCase) {
    SetPropertyString("prop_PlaylistType", ".M3U");
    Open();
    EXPECT_EQ(qobject_cast<QComboBox*>(Dialog().GetControl(Id::kPlaylistType))->currentIndex(), 1);
}

TEST_F(MainDialogTest, ReopeningTheSameDialogKeepsEntriesNameAndSaveLocation) {
    AddFiles({m_music / "a.mp3", m_music / "b.mp3"});
    Edit(Id::kPlaylistName)->setText("Party");
    Dialog().SelectSaveLocation(m_music.Path().string() + "/");
    Dialog().done(-1);
    EXPECT_EQ(Dialog().result(), -1);
    Dialog().show();
    QCoreApplication::sendPostedEvents();
    EXPECT_EQ(Entries().size(), 2u);
    EXPECT_EQ(Dialog().GetModel()->rowCount(), 2);
    EXPECT_EQ(Edit(Id::kPlaylistName)->text(), "Party");
    EXPECT_EQ(Edit(Id::kSaveLocation)->text().toStdString(), m_music.Path().string());
}

}  // namespace

namespace {

TEST_F(MainDialogTest, F1OpensTheHelpOfTheCurrentLanguage) {
    const std::string help = toolkit::ProgramPath() + "_EN.html";
    std::ofstream(help) << "<html></html>";
    QKeyEvent f1(QEvent::KeyPress, Qt::Key_F1, Qt::NoModifier);
    QCoreApplication::sendEvent(Dialog().GetList(), &f1);
    std::filesystem::remove(help);
    EXPECT_EQ(m_user.openedUrls, std::vector<std::string>{help});
}

}  // namespace
