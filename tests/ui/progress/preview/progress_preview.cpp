// Shows the progress dialog creating a long playlist and saves two pictures of it: one in
// the middle of the list (the job is held there for the picture) and one after completion.
//
//   tracklace_progress_preview EN|DE <picture prefix>
//
// writes <prefix>-during.png and <prefix>-after.png. It uses a settings hive of its own in
// a temporary folder and writes the playlist there; both are removed at the end.

#include <stdlib.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QProgressBar>
#include <QPushButton>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>

#include "core/playlist/playlist.h"
#include "settings/language/language.h"
#include "settings/store/properties.h"
#include "tests/support/temp_folder.h"
#include "ui/progress/create_playlist_dlg.h"

namespace {

bool PumpUntil(const std::function<bool()>& condition) {
    QElapsedTimer clock;
    clock.start();
    while (!condition()) {
        if (clock.elapsed() > 60000) {
            return false;
        }
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s EN|DE <picture prefix>\n", argv[0]);
        return 2;
    }
    const bool english = std::string(argv[1]) != "DE";
    const std::string prefix = argv[2];
    namespace fs = std::filesystem;
    const TempFolder temp("tracklace-preview");
    if (temp.Path().empty()) {
        return 1;
    }
    const std::string root = temp.String();
    setenv("XDG_CONFIG_HOME", (root + "/config").c_str(), 1);

    QApplication app(argc, argv);
    SetLanguageCode(english);
    ReloadTexts();
    SetPropertyInt(property::kPlaySound, 0);
    SetPropertyInt(property::kReadID3Tags, 0);

    int status = 0;
    {
        CPlaylist playlist;
        for (int i = 0; i < 100000; ++i) {
            auto* entry = new CPlaylistElement;
            entry->SetPath(root + "/music/track " + std::to_string(i) + ".ogg");
            playlist.AddTail(entry);
        }
        playlist.SetFolder(root + "/lists");
        playlist.SetName("preview");
        playlist.SetTypeFromExtension(".m3u");

        CCreatePlaylistDlg dlg(&playlist);
        dlg.show();
        // Held a little past the middle so that the picture shows a list in progress.
        if (!PumpUntil([&] {
                if (dlg.ProgressBar()->value() >= 45) {
                    dlg.ContinueEvent().Reset();
                    return true;
                }
                return false;
            })) {
            status = 1;
        }
        QElapsedTimer settle;
        settle.start();
        while (settle.elapsed() < 200) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        }
        dlg.grab().save(QString::fromStdString(prefix + "-during.png"));
        dlg.ContinueEvent().Set();
        if (!PumpUntil([&] { return dlg.OkButton()->isEnabled(); })) {
            status = 1;
        }
        dlg.grab().save(QString::fromStdString(prefix + "-after.png"));
        dlg.accept();
    }
    return status;
}
