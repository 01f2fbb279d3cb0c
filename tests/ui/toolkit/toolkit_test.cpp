#include <gtest/gtest.h>

#include <QEnterEvent>
#include <filesystem>
#include <fstream>

#include "platform/messages/messages.h"
#include "tests/support/qt_test_application.h"
#include "tests/support/scripted_user_interaction.h"
#include "tests/support/temp_folder.h"
#include "ui/toolkit/colored_list.h"
#include "ui/toolkit/help_file.h"
#include "ui/toolkit/icon_button.h"
#include "ui/toolkit/qt_file_filter.h"
#include "ui/toolkit/qt_translations.h"
#include "ui/toolkit/registered_message.h"
#include "ui/toolkit/resource_picture.h"
#include "ui/toolkit/system_sound.h"

namespace {

TEST(HelpFileTest, NamedAfterTheProgramWithTheLanguageCode) {
    const auto candidates = toolkit::HelpFileCandidates("/opt/Tracklace/bin/tracklace", "de");
    ASSERT_EQ(candidates.size(), 2u);
    // Letter case of the path is kept: this file system tells the cases apart.
    EXPECT_EQ(candidates[0], "/opt/Tracklace/bin/tracklace_DE.html");
    EXPECT_EQ(candidates[1], "/opt/Tracklace/share/tracklace/tracklace_DE.html");
    EXPECT_EQ(toolkit::HelpFileCandidates("", "EN"), std::vector<std::string>{"TKL_EN.html"});
}

TEST(HelpFileTest, FindsTheInstalledCopyAndNothingWhenAbsent) {
    TempFolder root;
    const std::string program = root / "bin/tracklace";
    root.File("bin/tracklace");
    EXPECT_EQ(toolkit::FindHelpFile(program, "EN"), "");
    const std::string installed = root.File("share/tracklace/tracklace_EN.html");
    EXPECT_EQ(toolkit::FindHelpFile(program, "EN"), installed);
    const std::string beside = root.File("bin/tracklace_EN.html");
    EXPECT_EQ(toolkit::FindHelpFile(program, "EN"), beside);
    EXPECT_EQ(toolkit::FindHelpFile(program, "DE"), "");
}

TEST(HelpFileTest, ShowHelpOpensTheFileBesideTheRunningProgram) {
    TestApplication();
    ScriptedUserInteraction user;
    const std::string program = toolkit::ProgramPath();
    ASSERT_FALSE(program.empty());
    EXPECT_TRUE(ShowHelp());  // no help file yet: handled, nothing opened
    EXPECT_TRUE(user.openedUrls.empty());
    const std::string help = program + "_EN.html";
    std::ofstream(help) << "<html></html>";
    EXPECT_TRUE(ShowHelp());
    std::filesystem::remove(help);
    EXPECT_EQ(user.openedUrls, std::vector<std::string>{help});
}

TEST(QtFileFilterTest, PairsBecomeQtNameFiltersInOrder) {
    EXPECT_EQ(toolkit::ToQtNameFilters("MP3 Files (*.mp3)|*.mp3|OGG Files (*.ogg)|*.ogg|"
                                       "All files (*.*)|*.*||"),
              (QStringList{"MP3 Files (*.mp3)", "OGG Files (*.ogg)", "All files (*)"}));
    // Several patterns and a description without parentheses.
    EXPECT_EQ(toolkit::ToQtNameFilters("Music|*.mp3;*.ogg||"), QStringList{"Music (*.mp3 *.ogg)"});
    EXPECT_TRUE(toolkit::ToQtNameFilters("").isEmpty());
    EXPECT_TRUE(toolkit::ToQtNameFilters("||").isEmpty());
}

TEST(SystemSoundTest, KindsMapToFreedesktopEvents) {
    EXPECT_EQ(toolkit::EventSoundForKind(3), "dialog-error");
    EXPECT_EQ(toolkit::EventSoundForKind(1), "dialog-warning");
    EXPECT_EQ(toolkit::EventSoundForKind(4), "dialog-question");
    EXPECT_EQ(toolkit::EventSoundForKind(0), "dialog-information");
    EXPECT_EQ(toolkit::EventSoundForKind(99), "dialog-information");
}

TEST(SystemSoundTest, GoesThroughTheInstalledService) {
    ScriptedUserInteraction user;
    PlaySystemSound(3);
    EXPECT_EQ(user.systemSounds, std::vector<int>{3});
}

TEST(ColoredListTest, RowColours) {
    EXPECT_EQ(toolkit::RowBackground(0, false), QColor(255, 255, 255));
    EXPECT_EQ(toolkit::RowBackground(1, false), QColor(247, 247, 247));
    EXPECT_EQ(toolkit::RowBackground(2, false), QColor(255, 255, 255));
    EXPECT_EQ(toolkit::RowBackground(1, true), QColor(208, 218, 237));
    EXPECT_EQ(toolkit::RowBackground(4, true), QColor(208, 218, 237));
}

TEST(IconButtonTest, HoverShowsTheSecondPictureUntilThePointerLeaves) {
    TestApplication();
    QPixmap normal(24, 24);
    normal.fill(Qt::red);
    QPixmap hover(24, 24);
    hover.fill(Qt::green);
    toolkit::CIconButton button;
    button.SetIcons(normal, hover, 24);
    auto colour = [&] { return button.icon().pixmap(24, 24).toImage().pixelColor(5, 5); };
    EXPECT_EQ(colour(), QColor(Qt::red));
    QEnterEvent enter(QPointF(2, 2), QPointF(2, 2), QPointF(2, 2));
    QCoreApplication::sendEvent(&button, &enter);
    EXPECT_TRUE(button.IsHovered());
    EXPECT_EQ(colour(), QColor(Qt::green));
    QEvent leave(QEvent::Leave);
    QCoreApplication::sendEvent(&button, &leave);
    EXPECT_EQ(colour(), QColor(Qt::red));
    // A disabled button never shows the hover picture.
    QCoreApplication::sendEvent(&button, &enter);
    button.setEnabled(false);
    EXPECT_FALSE(button.IsHovered());
    EXPECT_EQ(colour(), QColor(Qt::red));
}

TEST(IconButtonTest, EmbeddedPicturesLoad) {
    TestApplication();
    EXPECT_FALSE(toolkit::LoadResourcePixmap("PNG", "BTN_ADD_FILES").isNull());
    EXPECT_FALSE(toolkit::LoadResourcePixmap("PNG", "BTN_ADD_FILES_HOT").isNull());
    EXPECT_FALSE(toolkit::LoadResourcePixmap("ICON", "TRACKLACE").isNull());
    EXPECT_TRUE(toolkit::LoadResourcePixmap("PNG", "NO_SUCH_PICTURE").isNull());
}

TEST(RegisteredMessageTest, OneTypePerNameAndPostedNotSent) {
    TestApplication();
    const auto a = toolkit::RegisteredMessage("UWM_A-{1}");
    EXPECT_EQ(toolkit::RegisteredMessage("UWM_A-{1}"), a);
    EXPECT_NE(toolkit::RegisteredMessage("UWM_B-{2}"), a);
    EXPECT_GE(static_cast<int>(a), static_cast<int>(QEvent::User));
    // The event type is the platform's message number, so both sides name the same message.
    EXPECT_EQ(static_cast<unsigned>(a), platform::RegisterMessage("UWM_A-{1}"));
    EXPECT_EQ(toolkit::RegisteredMessage("uwm_a-{1}"), a);

    struct Receiver : QObject {
        int received = 0;
        QEvent::Type type;
        bool event(QEvent* e) override {
            if (e->type() == type) {
                ++received;
                return true;
            }
            return QObject::event(e);
        }
    } receiver;
    receiver.type = a;
    toolkit::PostRegisteredMessage(&receiver, "UWM_A-{1}");
    EXPECT_EQ(receiver.received, 0);
    QCoreApplication::sendPostedEvents(&receiver);
    EXPECT_EQ(receiver.received, 1);
}

}  // namespace

namespace {

TEST(QtTranslationsTest, QtsOwnDialogsSpeakTheTablesLanguage) {
    TestApplication();
    // Installed with the program's packages (qt6-translations-l10n).
    ASSERT_TRUE(toolkit::UseQtTranslations("DE"));
    EXPECT_EQ(QCoreApplication::translate("QFileDialog", "Look in:"), "Suchen in:");
    EXPECT_EQ(QCoreApplication::translate("QFileDialog", "Files of type:"), "Dateien des Typs:");
    EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "Cancel"), "Abbrechen");
    // The next language replaces the one before; an unknown one leaves Qt in English.
    toolkit::UseQtTranslations("EN");
    EXPECT_EQ(QCoreApplication::translate("QFileDialog", "Look in:"), "Look in:");
    EXPECT_FALSE(toolkit::UseQtTranslations("XX"));
    EXPECT_EQ(QCoreApplication::translate("QFileDialog", "Files of type:"), "Files of type:");
}

}  // namespace
