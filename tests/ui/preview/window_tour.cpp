// Shows the program's windows one after the other, as a user would meet them, and saves a
// picture of each with the window manager's frame around it:
//
//   tracklace_window_tour EN|DE light|dark <folder>
//
// writes main.png, sheet_general.png, sheet_playlist.png, sheet_file_types.png,
// sheet_mp3.png, progress.png, files_dialog.png and folder_dialog.png. It needs a real X
// display with a window manager (scripts/window_tour.sh starts both) and "import" from
// ImageMagick. The dark scheme is set in code; fonts and scaling come from the
// environment (QT_FONT_DPI, QT_SCALE_FACTOR). Settings and music live in a temporary
// folder that is removed at the end.

#include <stdlib.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>
#include <QStyleFactory>
#include <QTimer>
#include <cstdio>
#include <functional>
#include <string>

#include "core/playlist/playlist.h"
#include "settings/file_types/file_types.h"
#include "settings/language/language.h"
#include "settings/store/properties.h"
#include "tests/support/dark_palette.h"
#include "tests/support/temp_folder.h"
#include "ui/controls/file_drop_list_ctrl.h"
#include "ui/main_dialog/tracklace_dlg.h"
#include "ui/progress/create_playlist_dlg.h"
#include "ui/settings_sheet/prop_sheet_settings.h"
#include "ui/toolkit/user_interaction.h"

namespace {

QString g_folder;
int g_failures = 0;

void Pump(int milliseconds) {
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < milliseconds) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
}

bool PumpUntil(const std::function<bool()>& condition, int milliseconds = 60000) {
    QElapsedTimer clock;
    clock.start();
    while (!condition()) {
        if (clock.elapsed() > milliseconds) {
            return false;
        }
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    return true;
}

// The window with its frame, as the screen shows it.
void Shoot(QWidget* window, const char* name) {
    Pump(400);
    // The screen counts device pixels; at 144 DPI Qt draws 1.5 of them per pixel of its own.
    const qreal ratio = window->devicePixelRatioF();
    const QRect logical = window->frameGeometry();
    const QRect frame(qRound(logical.x() * ratio), qRound(logical.y() * ratio),
                      qRound(logical.width() * ratio), qRound(logical.height() * ratio));
    const QString file = g_folder + "/" + name + ".png";
    const int status = QProcess::execute("import", {"-window", "root", "-crop",
                                                    QString("%1x%2+%3+%4")
                                                        .arg(frame.width())
                                                        .arg(frame.height())
                                                        .arg(frame.x())
                                                        .arg(frame.y()),
                                                    file});
    std::printf("%s %dx%d%s\n", name, frame.width(), frame.height(),
                status == 0 ? "" : " (import failed)");
    g_failures += status == 0 ? 0 : 1;
}

// Takes a picture of the next modal window once it is up, then closes it.
void ShootNextModal(const char* name) {
    QTimer::singleShot(50, [name] {
        if (!PumpUntil([] { return QApplication::activeModalWidget() != nullptr; }, 5000)) {
            ++g_failures;
            return;
        }
        QWidget* modal = QApplication::activeModalWidget();
        Shoot(modal, name);
        QMetaObject::invokeMethod(modal, "reject", Qt::QueuedConnection);
    });
}

void AddEntries(CTracklaceDlg& dialog, const std::string& music) {
    std::vector<std::string> paths;
    const char* albums[] = {"Blue Train", "Kind of Blue", "Mingus Ah Um", "Time Out"};
    for (int i = 0; i < 24; ++i) {
        paths.push_back(music + "/" + albums[i / 6] + "/" + std::to_string(i % 6 + 1) +
                        " - Track number " + std::to_string(i + 1) +
                        (i % 5 == 0 ? ".ogg" : ".mp3"));
    }
    dialog.InsertEntries(paths);
    dialog.RefreshList();
    dialog.GetList()->SelectRow(2);
}

void ShowProgress(QWidget* owner, const TempFolder& temp) {
    CPlaylist playlist;
    for (int i = 0; i < 100000; ++i) {
        auto* entry = new CPlaylistElement;
        entry->SetPath(temp / ("music/track " + std::to_string(i) + ".ogg"));
        playlist.AddTail(entry);
    }
    playlist.SetFolder(temp / "lists");
    playlist.SetName("tour");
    playlist.SetTypeFromExtension(".m3u");
    CCreatePlaylistDlg progress(&playlist, owner);
    progress.show();
    // Held a little past the middle, so that the picture shows a creation under way.
    if (!PumpUntil([&] {
            if (progress.ProgressBar()->value() >= 45) {
                progress.ContinueEvent().Reset();
                return true;
            }
            return false;
        })) {
        ++g_failures;
    }
    Shoot(&progress, "progress");
    progress.ContinueEvent().Set();
    PumpUntil([&] { return progress.OkButton()->isEnabled(); });
    progress.accept();
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: %s EN|DE light|dark <folder>\n", argv[0]);
        return 2;
    }
    const bool english = std::string(argv[1]) != "DE";
    const bool dark = std::string(argv[2]) == "dark";
    g_folder = QString::fromLocal8Bit(argv[3]);

    const TempFolder temp("tracklace-tour");
    setenv("XDG_CONFIG_HOME", (temp / "config").c_str(), 1);
    QApplication app(argc, argv);
    if (dark) {
        QApplication::setStyle(QStyleFactory::create("Fusion"));
        QApplication::setPalette(DarkPalette());
    }
    SetPropertyInt(property::kFirstTimeInitComplete, 1);
    SetLanguageCode(english);
    WriteDefaultFileTypes();
    SetPropertyInt(property::kPlaySound, 0);
    SetPropertyInt(property::kReadID3Tags, 0);
    // The main window opens where a stored position puts it, its frame's corner at the
    // screen's; the others open centred over it.
    SetPropertyInt(property::kWindowPositionX, 1);
    SetPropertyInt(property::kWindowPositionY, 1);
    ReloadTexts();

    CTracklaceDlg dialog;
    dialog.show();
    PumpUntil([&] { return dialog.isVisible(); });
    AddEntries(dialog, temp / "music");
    dialog.SelectSaveLocation(temp / "lists");
    qobject_cast<QLineEdit*>(dialog.GetControl(CTracklaceDlg::kPlaylistName))->setText("Jazz");
    Shoot(&dialog, "main");

    {
        CPropSheetSettings sheet(&dialog);
        sheet.show();
        const char* names[] = {"sheet_general", "sheet_playlist", "sheet_file_types", "sheet_mp3"};
        for (int page = 0; page < CPropSheetSettings::kPageCount; ++page) {
            sheet.SelectPage(page);
            Shoot(&sheet, names[page]);
        }
    }

    ShowProgress(&dialog, temp);

    temp.File("music/Blue Train/1 - Blue Train.mp3");
    temp.File("music/Blue Train/2 - Moment's Notice.mp3");
    toolkit::OpenFilesRequest files;
    files.title = GetMessageCaption() + " - " + GetText("IDS_TL_SELECT_FILES_TITLE");
    FileTypeList active;
    LoadActiveFileTypes(active);
    const FileDialogFilter filter = BuildFileDialogFilter(active, "mp3");
    files.filter = filter.text;
    files.filterIndex = filter.selectedIndex;
    files.initialFolder = temp / "music/Blue Train";
    ShootNextModal("files_dialog");
    toolkit::UserInteraction().GetOpenFileNames(&dialog, files);

    toolkit::FolderRequest folder;
    folder.info = GetText("IDS_TL_SELECT_SONG_FOLDER_INFO");
    folder.initialFolder = temp / "music";
    ShootNextModal("folder_dialog");
    toolkit::UserInteraction().BrowseForFolder(&dialog, folder);

    dialog.hide();
    return g_failures == 0 ? 0 : 1;
}
