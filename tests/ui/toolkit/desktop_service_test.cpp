// The real dialogs of the user interaction service, answered by a timer that plays the user.
#include <gtest/gtest.h>

#include <QApplication>
#include <QFileDialog>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <functional>

#include "tests/support/qt_test_application.h"
#include "tests/support/temp_folder.h"
#include "ui/toolkit/user_interaction.h"

namespace {

// Calls act with the modal dialog once it is up.
void WhenModalShows(std::function<void(QWidget*)> act) {
    auto* timer = new QTimer;
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, [timer, act] {
        if (QWidget* modal = QApplication::activeModalWidget()) {
            timer->stop();
            timer->deleteLater();
            act(modal);
        }
    });
    timer->start();
}

TEST(DesktopServiceTest, MessageBoxCarriesTheCaptionIconAndTableButtons) {
    TestApplication();
    toolkit::SetUserInteraction(nullptr);
    QString title;
    QStringList buttons;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    WhenModalShows([&](QWidget* modal) {
        auto* box = qobject_cast<QMessageBox*>(modal);
        ASSERT_NE(box, nullptr);
        title = box->windowTitle();
        icon = box->icon();
        for (QAbstractButton* button : box->buttons()) {
            buttons << button->text();
        }
        for (QAbstractButton* button : box->buttons()) {
            if (button->text() == "&No") {
                button->click();
            }
        }
    });
    EXPECT_EQ(toolkit::ShowMessage(nullptr, "Really?", toolkit::MessageIcon::Exclamation,
                                   toolkit::MessageButtons::YesNo),
              toolkit::MessageAnswer::No);
    EXPECT_EQ(title, "Tracklace 3");
    EXPECT_EQ(icon, QMessageBox::Warning);
    buttons.sort();
    EXPECT_EQ(buttons, (QStringList{"&No", "&Yes"}));

    WhenModalShows([&](QWidget* modal) {
        auto* box = qobject_cast<QMessageBox*>(modal);
        ASSERT_NE(box, nullptr);
        icon = box->icon();
        ASSERT_EQ(box->buttons().size(), 1);
        box->buttons().front()->click();
    });
    EXPECT_EQ(toolkit::ShowMessage(nullptr, "Done.", toolkit::MessageIcon::Stop),
              toolkit::MessageAnswer::Ok);
    EXPECT_EQ(icon, QMessageBox::Critical);
}

TEST(DesktopServiceTest, FileDialogTakesFilterFolderAndReportsTheChosenFilter) {
    TestApplication();
    toolkit::SetUserInteraction(nullptr);
    TempFolder folder;
    const std::string a = folder.File("a.mp3");
    const std::string b = folder.File("b.mp3");
    QStringList filters;
    QString selectedFilter;
    QString directory;
    WhenModalShows([&](QWidget* modal) {
        auto* dialog = qobject_cast<QFileDialog*>(modal);
        ASSERT_NE(dialog, nullptr);
        filters = dialog->nameFilters();
        selectedFilter = dialog->selectedNameFilter();
        directory = dialog->directory().absolutePath();
        dialog->selectNameFilter("MP3 Files (*.mp3)");
        dialog->selectFile("\"a.mp3\" \"b.mp3\"");
        static_cast<QDialog*>(dialog)->accept();
    });
    toolkit::OpenFilesRequest request;
    request.title = "Tracklace 3 - Select files";
    request.filter = "MP3 Files (*.mp3)|*.mp3|All files (*.*)|*.*||";
    request.filterIndex = 2;
    request.initialFolder = folder.Path().string();
    const auto result = toolkit::UserInteraction().GetOpenFileNames(nullptr, request);
    EXPECT_EQ(filters, (QStringList{"MP3 Files (*.mp3)", "All files (*)"}));
    EXPECT_EQ(selectedFilter, "All files (*)");
    EXPECT_EQ(directory.toStdString(), folder.Path().string());
    ASSERT_TRUE(result.accepted);
    EXPECT_EQ(result.paths, (std::vector<std::string>{a, b}));
    EXPECT_EQ(result.filterIndex, 1);

    WhenModalShows([](QWidget* modal) { qobject_cast<QDialog*>(modal)->reject(); });
    EXPECT_FALSE(toolkit::UserInteraction().GetOpenFileNames(nullptr, request).accepted);
}

TEST(DesktopServiceTest, FolderBrowserShowsTheInfoAndReturnsTheFolder) {
    TestApplication();
    toolkit::SetUserInteraction(nullptr);
    TempFolder root;
    const std::string chosen = root.Folder("Rock");
    QString info;
    WhenModalShows([&](QWidget* modal) {
        for (auto* label : modal->findChildren<QLabel*>()) {
            if (label->text().startsWith("Pick")) {
                info = label->text();
            }
        }
        auto* browser = modal->findChild<QFileDialog*>();
        ASSERT_NE(browser, nullptr);
        browser->selectFile(QString::fromStdString(chosen));
        static_cast<QDialog*>(browser)->accept();
    });
    const auto folder = toolkit::UserInteraction().BrowseForFolder(
        nullptr, {"Pick a folder:", root.Path().string()});
    EXPECT_EQ(info, "Pick a folder:");
    ASSERT_TRUE(folder.has_value());
    EXPECT_EQ(*folder, chosen);

    WhenModalShows([](QWidget* modal) { qobject_cast<QDialog*>(modal)->reject(); });
    EXPECT_FALSE(toolkit::UserInteraction()
                     .BrowseForFolder(nullptr, {"Pick a folder:", root.Path().string()})
                     .has_value());
}

}  // namespace
