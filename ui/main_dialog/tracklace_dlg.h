#pragma once

#include <QColor>
#include <QDialog>
#include <QPalette>
#include <QPointer>
#include <QTimer>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "settings/file_types/file_types.h"

class CPlaylist;
class CPlaylistModel;
class CFileDropListCtrl;
struct DropNotification;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QVBoxLayout;
class QToolBar;
class QAction;
namespace toolkit {
class CIconButton;
}

// The program's only window. Its upper half is the playlist content: the list, the commands
// that fill and arrange it, and the folder of the selected entry. Its lower half is the
// creation request: save location, name and type, "Create Playlist".
//
// The dialog owns the playlist for its whole life; the window may be opened again (after a
// change of language) and shows the same playlist. The list holds no data: every command
// changes the playlist and then rebuilds the list from it.
class CTracklaceDlg : public QDialog {
    Q_OBJECT
public:
    // Control numbers, used to find the controls (tests, later parts of the window).
    enum ControlId {
        kGroupContent = 1003,
        kContentInfo = 1056,
        kList = 1005,
        kAddFolder = 1006,
        kAddFiles = 1007,
        kMoveUp = 1008,
        kMoveDown = 1009,
        kRemoveItem = 1010,
        kRemoveAll = 1011,
        kSongFolder = 1051,
        kTakeover = 1012,
        kGroupCreation = 1000,
        kSaveLocationLabel = 1052,
        kSaveLocation = 1001,
        kBrowseSaveLocation = 1002,
        kNameAndTypeLabel = 1053,
        kPlaylistName = 1004,
        kPlaylistType = 1054,
        kCreatePlaylist = 1055,
        kToolbarLine = 1013,
    };

    // The window's own result that asks for it to be opened again.
    static constexpr int kRestartResult = -1;
    // Alpha of the window while another program is active, and the fade's step.
    static constexpr int kInactiveAlpha = 200;
    static constexpr int kAlphaStep = 5;
    static constexpr int kToolbarHeight = 36;

    // Runs the creation of the playlist that the request has filled in (the progress
    // dialog, modally). Replaceable so that the request can be checked on its own.
    using CreationRunner = std::function<void(QWidget* owner, CPlaylist& playlist)>;

    static constexpr const char* kUpdateTakeoverButtonMessage =
        "UWM_UPDATE_TAKEOVER_BUTTON-{539E93A3-B510-4c97-8E8F-01FCFB51A84D}";
    static inline const QColor kFlashColor{208, 218, 237};

    explicit CTracklaceDlg(QWidget* parent = nullptr);
    ~CTracklaceDlg() override;

    CPlaylist& GetPlaylist() { return *playlist_; }
    QWidget* GetControl(int id) const;
    CFileDropListCtrl* GetList() const { return list_; }
    CPlaylistModel* GetModel() const { return model_; }
    const FileTypeList& GetActiveFileTypes() const { return activeFileTypes_; }

    const std::string& GetSongFolder() const { return songFolder_; }
    const std::string& GetSaveLocation() const { return saveLocation_; }
    const std::string& GetPlaylistName() const { return playlistName_; }
    bool IsFlashing(const QWidget* control) const { return flashControl_ == control; }

    // Runs when the window opens (each time it is opened): texts, settings, list.
    void OnInitDialog();

    // Commands of the content list.
    void OnAddFiles();
    void OnAddFolder();
    void OnMoveUp();
    void OnMoveDown();
    void OnRemoveItem();
    void OnRemoveAllItems();
    void OnTakeoverSongFolder();
    void OnFilesDropped(const DropNotification& notification);
    void OnUpdateTakeoverButton();
    void OnBrowseSaveLocation();

    // The creation request and the window as a whole.
    void OnCreatePlaylist();
    void OnPlaylistTypeChanged();
    // False when the name holds one of the nine characters \ / : * ? " < > | (a full stop
    // is fine: people name playlists "Vol. 1"). UTF-8 never hides them inside a character.
    static bool IsValidPlaylistName(const std::string& name);
    void OnSettings();
    void OnAbout();
    void PrepareRestart();
    void RestoreWindowPosition();
    // The program became active (true) or another program did (false).
    void OnActivateApp(bool active);
    void SetCreationRunner(CreationRunner runner) { creationRunner_ = std::move(runner); }
    // The creation as the program runs it: the progress dialog, modally.
    static void RunCreationDialog(QWidget* owner, CPlaylist& playlist);

    QToolBar* GetToolbar() const { return toolbar_; }
    QAction* GetToolbarAction(int position) const;
    bool IsTransparencyEnabled() const { return transparencyEnabled_; }
    int GetAlpha() const { return alpha_; }

    // Shared steps.
    bool InsertEntries(const std::vector<std::string>& paths);
    bool AddFolderContents(const std::string& folder);
    void RefreshList();
    void UpdateSongFolder();
    void SelectSaveLocation(const std::string& folder);
    void FlashControl(QWidget* control, const QColor& color = kFlashColor);

    // Closing: stores the window's state and ends with result 1.
    void OnClose();
    // Ends this opening of the window; -1 asks the application to open it again.
    void done(int result) override;
    void SaveWindowState();

    // Whether a path may become an entry: its type is active, and it holds no line break
    // (a CR or LF would split its line in the playlist file).
    bool IsAddablePath(const std::string& path) const;

protected:
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    // Neither Enter nor Escape closes the window.
    void accept() override {}
    void reject() override {}

    // The parts of the window, built once with the dialog object.
    void BuildContentPart(QVBoxLayout* layout);
    void BuildCreationPart(QVBoxLayout* layout);
    void SetContentTexts();
    void SetCreationTexts();
    void InitializeDialog();
    void ApplySettings();
    void BuildToolbar();
    void ReleaseToolbar();
    // Shows the window at the given opacity (0..255).
    virtual void ApplyAlpha(int alpha);

    // The bound texts (save location, song folder, name) to and from their fields.
    void ReadBoundTexts();
    void WriteBoundTexts();

private:
    void OnFlashTimer1();
    void OnFlashTimer2();
    void SelectAndShow(int row, int visibleRow);

    std::unique_ptr<CPlaylist> playlist_;
    FileTypeList activeFileTypes_;
    std::string songFolder_;
    std::string saveLocation_;
    std::string playlistName_;
    // Index of the first entry that the most recent InsertEntries added, -1 for none.
    int lastBatchFirstIndex_ = -1;
    bool initializedThisRun_ = false;

    std::map<int, QWidget*> controls_;
    QVBoxLayout* toolbarSlot_ = nullptr;  // room above the groups for the window's toolbar
    QWidget* toolbarBand_ = nullptr;      // built each time the window opens
    QToolBar* toolbar_ = nullptr;
    CreationRunner creationRunner_ = &CTracklaceDlg::RunCreationDialog;
    bool transparencyEnabled_ = false;
    int alpha_ = 0;
    CFileDropListCtrl* list_ = nullptr;
    CPlaylistModel* model_ = nullptr;
    QLineEdit* songFolderEdit_ = nullptr;
    QLineEdit* saveLocationEdit_ = nullptr;
    QLineEdit* nameEdit_ = nullptr;
    QComboBox* typeList_ = nullptr;

    QPointer<QWidget> flashControl_;
    QPalette flashSavedPalette_;
    bool flashSavedAutoFill_ = false;
    QTimer flashTimer1_;
    QTimer flashTimer2_;
};
