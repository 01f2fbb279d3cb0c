#include <QAbstractButton>
#include <QGroupBox>
#include <QKeySequence>
#include <QLabel>
#include <map>

#include "main_dialog_fixture.h"
#include "settings/language/language.h"
#include "ui/progress/create_playlist_dlg.h"
#include "ui/settings_sheet/prop_sheet_settings.h"
#include "ui/toolkit/about/about_dlg.h"

namespace {

// Every Alt shortcut that the texts of window give it, each with the texts that claim it;
// only what the window shows counts (a hidden page's controls take no keys).
std::map<QString, std::vector<QString>> Mnemonics(QWidget& window) {
    std::map<QString, std::vector<QString>> keys;
    for (QWidget* widget : window.findChildren<QWidget*>()) {
        if (!widget->isVisibleTo(&window)) {
            continue;
        }
        QString text;
        if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
            text = button->text();
        } else if (auto* label = qobject_cast<QLabel*>(widget); label && label->buddy()) {
            text = label->text();
        } else if (auto* group = qobject_cast<QGroupBox*>(widget); group && group->isCheckable()) {
            text = group->title();
        }
        const QKeySequence key = QKeySequence::mnemonic(text);
        if (!key.isEmpty()) {
            keys[key.toString().toUpper()].push_back(text);
        }
    }
    return keys;
}

void ExpectUnique(QWidget& window, const char* name, int atLeast) {
    SCOPED_TRACE(name);
    const auto keys = Mnemonics(window);
    for (const auto& [key, texts] : keys) {
        QStringList list;
        for (const QString& text : texts) {
            list << text;
        }
        EXPECT_EQ(texts.size(), 1u) << key.toStdString() << ": " << list.join(" | ").toStdString();
    }
    EXPECT_GE(static_cast<int>(keys.size()), atLeast);
}

using MnemonicsTest = MainDialogInLanguageTest;

TEST_P(MnemonicsTest, NoTwoControlsOfOneWindowShareAnAltKey) {
    // Settings, Help, About and Create Playlist.
    ExpectUnique(Dialog(), "main window", 4);

    CPropSheetSettings sheet(&Dialog());
    sheet.show();
    const char* pages[] = {"general", "playlist", "file types", "mp3"};
    for (int page = 0; page < CPropSheetSettings::kPageCount; ++page) {
        sheet.SelectPage(page);
        // The sheet's OK, Cancel and Apply at least.
        ExpectUnique(sheet, pages[page], 3);
    }
    sheet.reject();

    CCreatePlaylistDlg progress(nullptr, &Dialog());
    ExpectUnique(progress, "progress", 2);

    CAboutDlg about(&Dialog());
    ExpectUnique(about, "about", 1);
}

INSTANTIATE_TEST_SUITE_P(BothLanguages, MnemonicsTest, ::testing::Values(true, false),
                         MainDialogInLanguageTest::LanguageName);

}  // namespace
