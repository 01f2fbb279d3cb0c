// Draws the main window with a few dozen entries into a PNG file, in the language stored
// in the settings hive named by XDG_CONFIG_HOME: ui_main_screenshot <output.png>.
#include <QApplication>
#include <QLineEdit>
#include <QTimer>
#include <cstdio>

#include "settings/file_types/file_types.h"
#include "settings/store/properties.h"
#include "ui/controls/file_drop_list_ctrl.h"
#include "ui/main_dialog/tracklace_dlg.h"

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: ui_main_screenshot <output.png>\n");
        return 2;
    }
    QApplication application(argc, argv);
    CTracklaceDlg dialog;
    dialog.show();
    std::vector<std::string> paths;
    const char* albums[] = {"Blue Train", "Kind of Blue", "Mingus Ah Um", "Time Out"};
    for (int i = 0; i < 36; ++i) {
        paths.push_back(std::string("/home/user/Music/Jazz/") + albums[i / 9] + "/" +
                        std::to_string(i % 9 + 1) + " - Track number " + std::to_string(i + 1) +
                        (i % 5 == 0 ? ".ogg" : ".mp3"));
    }
    dialog.InsertEntries(paths);
    dialog.RefreshList();
    dialog.GetList()->SelectRow(2);
    dialog.SelectSaveLocation("/home/user/Music/Playlists");
    qobject_cast<QLineEdit*>(dialog.GetControl(CTracklaceDlg::kPlaylistName))->setText("Jazz");
    QTimer::singleShot(300, [&] {
        dialog.grab().save(QString::fromLocal8Bit(argv[1]));
        QApplication::exit(0);
    });
    return application.exec();
}
