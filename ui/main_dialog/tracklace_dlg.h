#pragma once

#include <QColor>
#include <QDeadlineTimer>
#include <QDialog>
#include <QMargins>
#include <QPalette>
#include <QPointer>
#include <QTimer>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "settings/file_types/file_types.h"

class CPlaylist;
class CPlaylistModel;
class CFileDropListCtrl;
struct DropNotification;
class QComboBox;
class QGroupBox;
class QKeyEvent;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QVBoxLayout;
class QSpacerItem;
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

    CPlaylist& GetPlaylist() { return *m_playlist; }
    QWidget* GetControl(int id) const;
    CFileDropListCtrl* GetList() const { return m_list; }
    CPlaylistModel* GetModel() const { return m_model; }
    const FileTypeList& GetActiveFileTypes() const { return m_activeFileTypes; }

    const std::string& GetSongFolder() const { return m_songFolder; }
    const std::string& GetSaveLocation() const { return m_saveLocation; }
    const std::string& GetPlaylistName() const { return m_playlistName; }
    bool IsFlashing(const QWidget* control) const { return m_flashControl == control; }

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
    // The name check of every creation request (::IsValidPlaylistName).
    static bool IsValidPlaylistName(const std::string& name);
    void OnSettings();
    void OnAbout();
    void PrepareRestart();
    void RestoreWindowPosition();
    // The program became active (true) or another program did (false).
    void OnActivateApp(bool active);
    void SetCreationRunner(CreationRunner runner) { m_creationRunner = std::move(runner); }
    // The creation as the program runs it: the progress dialog, modally.
    static void RunCreationDialog(QWidget* owner, CPlaylist& playlist);

    QToolBar* GetToolbar() const { return m_toolbar; }
    QAction* GetToolbarAction(int position) const;
    QWidget* GetToolbarBand() const { return m_toolbarBand; }
    // The band's menu (right click, the menu key): "About Tracklace 3...". The caller owns
    // the menu.
    QMenu* CreateBandMenu();
    bool IsTransparencyEnabled() const { return m_transparencyEnabled; }
    int GetAlpha() const { return m_alpha; }

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
    // The window's frame as far as it is known; known tells whether the window manager
    // told it or it is the last run's.
    QMargins FrameMargins(bool* known) const;
    void OnFrameCheck();
    void WatchTheFrame();
    // Once on screen: the list fits the screen again, the window keeps its stored corner or
    // stays centred.
    void RefitOnScreen();
    void FitListToScreen();
    void SetListHeight(int height, int buttonGap, int buttonHeight);
    // The list's command buttons: 19 by 19 units, at least room for their pictures.
    QSize ListButtonSize() const;
    // The height the window's layout gives it now.
    int LaidOutHeight() const;
    void OnWindowExposed();
    // Ctrl+Up, Ctrl+Down and Ctrl+Delete for the list; false when the key is target's own.
    bool HandleListShortcut(QWidget* target, const QKeyEvent& key);
    void OnFlashTimer1();
    void OnFlashTimer2();
    void SelectAndShow(int row, int visibleRow);

    std::unique_ptr<CPlaylist> m_playlist;
    FileTypeList m_activeFileTypes;
    std::string m_songFolder;
    std::string m_saveLocation;
    std::string m_playlistName;
    // Index of the first entry that the most recent InsertEntries added, -1 for none.
    int m_lastBatchFirstIndex = -1;
    bool m_initializedThisRun = false;

    std::map<int, QWidget*> m_controls;
    QVBoxLayout* m_toolbarSlot = nullptr;  // room above the groups for the window's toolbar
    QWidget* m_toolbarBand = nullptr;      // built each time the window opens
    QToolBar* m_toolbar = nullptr;
    CreationRunner m_creationRunner = &CTracklaceDlg::RunCreationDialog;
    bool m_transparencyEnabled = false;
    int m_alpha = 0;
    CFileDropListCtrl* m_list = nullptr;
    CPlaylistModel* m_model = nullptr;
    QLineEdit* m_songFolderEdit = nullptr;
    QLineEdit* m_saveLocationEdit = nullptr;
    QLineEdit* m_nameEdit = nullptr;
    QComboBox* m_typeList = nullptr;
    // The two gaps between the groups of list buttons, which give way on a small screen.
    std::vector<QSpacerItem*> m_buttonGaps;
    std::vector<QWidget*> m_listButtons;

    QPointer<QWidget> m_flashControl;
    QPalette m_flashSavedPalette;
    bool m_flashSavedAutoFill = false;
    QTimer m_flashTimer1;
    QTimer m_flashTimer2;

    static constexpr int kListHeightDlu = 144;
    static constexpr int kFewestListRows = 6;
    static constexpr int kButtonGapDlu = 15;
    // A list button keeps room around its 24 pixel picture.
    static constexpr int kSmallestListButton = 28;

    // After a placement with the last run's frame: watches for the real one for a second.
    static constexpr int kFrameCheckInterval = 20;
    static constexpr int kFrameChecks = 50;
    QTimer m_frameCheck;
    int m_frameChecks = 0;
    // The frame's corner a restored position asked for; none when the window is centred.
    std::optional<QPoint> m_wantedFrameCorner;
    QMargins m_placedWithFrame;
    // A minimised start: the window minimises itself the first time it is on screen.
    static constexpr int kMinimiseWaitMs = 1000;
    bool m_minimiseWhenExposed = false;
    QDeadlineTimer m_minimiseDeadline;
};
