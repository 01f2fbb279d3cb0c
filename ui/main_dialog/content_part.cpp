// The upper half of the main window: the playlist content list and its commands.

#include <sys/stat.h>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>
#include <algorithm>

#include "core/folder_listing/folder_listing.h"
#include "core/playlist/playlist.h"
#include "platform/path_style/path_style.h"
#include "settings/language/language.h"
#include "settings/store/properties.h"
#include "ui/controls/file_drop_list_ctrl.h"
#include "ui/main_dialog/playlist_model.h"
#include "ui/main_dialog/tracklace_dlg.h"
#include "ui/toolkit/dialog_units.h"
#include "ui/toolkit/icon_button.h"
#include "ui/toolkit/registered_message.h"
#include "ui/toolkit/texts.h"
#include "ui/toolkit/user_interaction.h"

namespace {

constexpr int kTrackColumnWidth = 28;
constexpr int kNameColumnWidth = 335;
constexpr int kTypeColumnWidth = 45;

// A folder as the fields show it: without its trailing separator, except the root.
std::string WithoutTrailingSeparator(const std::string& folder) {
    return folder == "/" ? folder : RemoveSeparator(folder);
}

// The path up to and including its last separator; empty when it has none.
std::string GetFolderPart(const std::string& path) {
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

toolkit::CIconButton* MakeIconButton(QWidget* parent, const char* picture, int iconSize,
                                     QSize size) {
    auto* button = new toolkit::CIconButton(parent);
    button->SetIconResources(picture, (std::string(picture) + "_HOT").c_str(), iconSize);
    button->setFixedSize(size);
    return button;
}

}  // namespace

void CTracklaceDlg::BuildContentPart(QVBoxLayout* layout) {
    auto* group = new QGroupBox(this);
    m_controls[kGroupContent] = group;
    auto* grid = new QGridLayout(group);

    auto* info = new QLabel(group);
    info->setWordWrap(true);
    m_controls[kContentInfo] = info;
    grid->addWidget(info, 0, 0, 1, 2);

    m_list = new CFileDropListCtrl(group);
    m_model = new CPlaylistModel(this);
    m_list->setModel(m_model);
    // Its height is the window's to choose (FitListToScreen).
    m_list->setMinimumWidth(toolkit::DialogUnitsToPixels(this, 288, 0).width());
    m_list->header()->setSectionResizeMode(QHeaderView::Interactive);
    m_list->header()->resizeSection(CPlaylistModel::kTrack, kTrackColumnWidth);
    m_list->header()->resizeSection(CPlaylistModel::kName, kNameColumnWidth);
    m_list->header()->resizeSection(CPlaylistModel::kType, kTypeColumnWidth);
    m_controls[kList] = m_list;
    grid->addWidget(m_list, 1, 0);
    connect(m_list->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this] { UpdateSongFolder(); });

    DropMode mode;
    mode.flags = DropMode::kAcceptFiles | DropMode::kAcceptFolders | DropMode::kCallback;
    mode.callback = [this](const DropNotification& notification) { OnFilesDropped(notification); };
    m_list->SetDropMode(mode);

    const QSize buttonSize = ListButtonSize();
    auto* buttons = new QVBoxLayout;
    buttons->setSpacing(0);
    const struct {
        int id;
        const char* picture;
        void (CTracklaceDlg::*command)();
        int spaceBefore;
    } commands[] = {
        {kAddFolder, "BTN_ADD_FOLDER", &CTracklaceDlg::OnAddFolder, 0},
        {kAddFiles, "BTN_ADD_FILES", &CTracklaceDlg::OnAddFiles, 0},
        {kMoveUp, "BTN_MOVE_UP", &CTracklaceDlg::OnMoveUp, kButtonGapDlu},
        {kMoveDown, "BTN_MOVE_DOWN", &CTracklaceDlg::OnMoveDown, 0},
        {kRemoveItem, "BTN_REMOVE_ITEM", &CTracklaceDlg::OnRemoveItem, kButtonGapDlu},
        {kRemoveAll, "BTN_REMOVE_ALL", &CTracklaceDlg::OnRemoveAllItems, 0},
    };
    for (const auto& command : commands) {
        if (command.spaceBefore > 0) {
            auto* gap = new QSpacerItem(
                0, toolkit::DialogUnitsToPixels(this, 0, command.spaceBefore).height(),
                QSizePolicy::Minimum, QSizePolicy::Fixed);
            m_buttonGaps.push_back(gap);
            buttons->addSpacerItem(gap);
        }
        auto* button = MakeIconButton(group, command.picture, 24, buttonSize);
        m_listButtons.push_back(button);
        connect(button, &QToolButton::clicked, this, command.command);
        m_controls[command.id] = button;
        buttons->addWidget(button);
    }
    buttons->addStretch(1);
    grid->addLayout(buttons, 1, 1);

    m_songFolderEdit = new QLineEdit(group);
    m_songFolderEdit->setReadOnly(true);
    m_controls[kSongFolder] = m_songFolderEdit;
    grid->addWidget(m_songFolderEdit, 2, 0);
    auto* takeover =
        MakeIconButton(group, "BTN_TAKEOVER", 16,
                       toolkit::DialogUnitsToPixels(this, 14, 14).expandedTo(QSize(22, 22)));
    takeover->setEnabled(false);
    connect(takeover, &QToolButton::clicked, this, &CTracklaceDlg::OnTakeoverSongFolder);
    m_controls[kTakeover] = takeover;
    grid->addWidget(takeover, 2, 1, Qt::AlignCenter);

    layout->addWidget(group);
}

void CTracklaceDlg::SetContentTexts() {
    static_cast<QGroupBox*>(GetControl(kGroupContent))
        ->setTitle(toolkit::Text("IDS_TL_GB_PLAYLIST_CONTENT"));
    static_cast<QLabel*>(GetControl(kContentInfo))
        ->setText(toolkit::Text("IDS_TL_PLAYLIST_CONTENT_INFO"));
    m_model->SetHeaders({toolkit::Text("IDS_TL_LIST_PLAYLIST_CONTENT_TRACK"),
                         toolkit::Text("IDS_TL_LIST_PLAYLIST_CONTENT_NAME"),
                         toolkit::Text("IDS_TL_LIST_PLAYLIST_CONTENT_TYPE")});
    GetControl(kAddFolder)->setToolTip(toolkit::Text("IDS_TL_BTN_BROWSE_FOR_SONG_FOLDER"));
    GetControl(kAddFiles)->setToolTip(toolkit::Text("IDS_TL_BTN_BROWSE_FOR_SONG"));
    GetControl(kMoveUp)->setToolTip(toolkit::Text("IDS_TL_BTN_MOVE_ITEM_UP"));
    GetControl(kMoveDown)->setToolTip(toolkit::Text("IDS_TL_BTN_MOVE_ITEM_DOWN"));
    GetControl(kRemoveItem)->setToolTip(toolkit::Text("IDS_TL_BTN_DELETE_ITEM"));
    GetControl(kRemoveAll)->setToolTip(toolkit::Text("IDS_TL_BTN_DELETE_ALL_ITEMS"));
    GetControl(kTakeover)->setToolTip(toolkit::Text("IDS_TL_BTN_TAKEOVER_SONG_FOLDER"));
}

bool CTracklaceDlg::IsAddablePath(const std::string& path) const {
    if (path.find_first_of("\r\n") != std::string::npos) {
        return false;
    }
    return IsActiveFileType(GetFileExtension(path), m_activeFileTypes);
}

bool CTracklaceDlg::InsertEntries(const std::vector<std::string>& paths) {
    enum class Place { Top, Bottom, BeforeSelection, AfterSelection };
    const int sel = m_list->GetSelectedRow();
    const std::string mode = GetPropertyString(property::kAddNewEntries);
    // An unknown stored text adds at the end, like the default, rather than losing files.
    Place place = Place::Bottom;
    if (mode == "Top") {
        place = Place::Top;
    } else if (mode == "BeforeSelection" && sel != -1) {
        place = Place::BeforeSelection;
    } else if (mode == "AfterSelection" && sel != -1) {
        place = Place::AfterSelection;
    }

    m_lastBatchFirstIndex = -1;
    int previousIndex = -1;
    for (const std::string& path : paths) {
        if (!IsAddablePath(path)) {
            continue;
        }
        auto entry = std::make_unique<CPlaylistElement>();
        entry->SetPath(path);
        int index = -1;
        bool added = false;
        if (previousIndex == -1) {
            switch (place) {
                case Place::Top:
                    added = m_playlist->AddHead(entry.get()) != 0;
                    index = 0;
                    break;
                case Place::Bottom:
                    added = m_playlist->AddTail(entry.get()) != 0;
                    index = m_playlist->GetCount() - 1;
                    break;
                case Place::BeforeSelection:
                    added = m_playlist->InsertBefore(sel, entry.get()) != 0;
                    index = sel;
                    break;
                case Place::AfterSelection:
                    added = m_playlist->InsertAfter(sel, entry.get()) != 0;
                    index = sel + 1;
                    break;
            }
        } else if (place == Place::Bottom) {
            added = m_playlist->AddTail(entry.get()) != 0;
            index = m_playlist->GetCount() - 1;
        } else {
            added = m_playlist->InsertAfter(previousIndex, entry.get()) != 0;
            index = previousIndex + 1;
        }
        if (!added) {
            continue;  // a refused entry stays ours and is freed here
        }
        entry.release();
        previousIndex = index;
        if (m_lastBatchFirstIndex == -1) {
            m_lastBatchFirstIndex = index;
        }
    }
    return true;
}

bool CTracklaceDlg::AddFolderContents(const std::string& folder) {
    std::vector<std::string> files;
    if (!ExpandFolder(folder, m_activeFileTypes, files)) {
        return false;
    }
    InsertEntries(files);
    return true;
}

void CTracklaceDlg::RefreshList() {
    m_model->Reset(m_playlist.get());
    // The track column is narrow; it widens only when the longest number would not fit.
    const int needed =
        m_list->fontMetrics().horizontalAdvance(QString::number(m_model->rowCount())) + 14;
    m_list->header()->resizeSection(CPlaylistModel::kTrack, std::max(kTrackColumnWidth, needed));
}

void CTracklaceDlg::SelectAndShow(int row, int visibleRow) {
    m_list->SelectRow(row);
    m_list->EnsureRowVisible(std::min(visibleRow, m_model->rowCount() - 1));
}

void CTracklaceDlg::OnAddFiles() {
    if (m_activeFileTypes.empty()) {
        toolkit::ShowMessage(this, GetText("IDS_TL_MB_ERR_NO_ACTIVE_FILE_TYPES"),
                             toolkit::MessageIcon::Information);
        return;
    }
    toolkit::OpenFilesRequest request;
    request.title = GetMessageCaption() + " - " + GetText("IDS_TL_SELECT_FILES_TITLE");
    request.initialFolder = GetPropertyString(property::kSelectSongs);
    const FileDialogFilter filter =
        BuildFileDialogFilter(m_activeFileTypes, GetPropertyString(property::kPreviousFilter));
    request.filter = filter.text;
    request.filterIndex = filter.selectedIndex;
    const toolkit::OpenFilesResult result =
        toolkit::UserInteraction().GetOpenFileNames(this, request);
    if (!result.accepted) {
        return;
    }
    InsertEntries(result.paths);
    RefreshList();
    UpdateSongFolder();
    if (!result.paths.empty()) {
        SetPropertyString(property::kSelectSongs,
                          WithoutTrailingSeparator(GetFolderPart(result.paths.front())));
    }
    SetPropertyString(property::kPreviousFilter,
                      PreviousFilterFor(m_activeFileTypes, result.filterIndex));
}

void CTracklaceDlg::OnAddFolder() {
    if (m_activeFileTypes.empty()) {
        toolkit::ShowMessage(this, GetText("IDS_TL_MB_ERR_NO_ACTIVE_FILE_TYPES"),
                             toolkit::MessageIcon::Information);
        return;
    }
    toolkit::FolderRequest request;
    request.info = GetText("IDS_TL_SELECT_SONG_FOLDER_INFO");
    request.initialFolder = GetPropertyString(property::kSelectSongFolder);
    const std::optional<std::string> folder =
        toolkit::UserInteraction().BrowseForFolder(this, request);
    if (!folder) {
        return;
    }
    AddFolderContents(*folder);
    SetPropertyString(property::kSelectSongFolder, *folder);
    RefreshList();
    UpdateSongFolder();
    // Both automatic settings apply even when the folder gave no entry.
    if (GetPropertyInt(property::kAutoPlaylistFolder) != 0) {
        SelectSaveLocation(*folder);
        FlashControl(m_saveLocationEdit);
    }
    if (GetPropertyInt(property::kAutoPlaylistName) != 0) {
        const std::string trimmed = RemoveSeparator(*folder);
        const auto slash = trimmed.rfind('/');
        m_playlistName = slash == std::string::npos ? trimmed : trimmed.substr(slash + 1);
        WriteBoundTexts();
        FlashControl(m_nameEdit);
    }
}

void CTracklaceDlg::OnFilesDropped(const DropNotification& notification) {
    std::vector<std::string> accepted;
    for (const std::string& path : notification.paths) {
        struct stat status {};
        if (stat(path.c_str(), &status) == 0 && S_ISDIR(status.st_mode)) {
            std::vector<std::string> files;
            ExpandFolder(path, m_activeFileTypes, files);
            for (const std::string& file : files) {
                if (IsAddablePath(file)) {
                    accepted.push_back(file);
                }
            }
        } else if (IsAddablePath(path)) {
            accepted.push_back(path);
        }
    }
    if (accepted.empty()) {
        toolkit::UserInteraction().PlaySystemSound(toolkit::kSystemHand);
        return;
    }
    InsertEntries(accepted);
    RefreshList();
    UpdateSongFolder();
    if (m_lastBatchFirstIndex >= 0) {
        m_list->setFocus();
        SelectAndShow(m_lastBatchFirstIndex, m_lastBatchFirstIndex + 2);
    }
}

void CTracklaceDlg::OnMoveUp() {
    const int sel = m_list->GetSelectedRow();
    if (sel == -1 || m_playlist->GetCount() <= 1 || sel == 0) {
        toolkit::UserInteraction().PlaySystemSound(toolkit::kSystemHand);
        return;
    }
    m_playlist->MoveUp(sel);
    RefreshList();
    SelectAndShow(sel - 1, sel - 1 + 4);
}

void CTracklaceDlg::OnMoveDown() {
    const int sel = m_list->GetSelectedRow();
    if (sel == -1 || m_playlist->GetCount() <= 1 || sel == m_playlist->GetCount() - 1) {
        toolkit::UserInteraction().PlaySystemSound(toolkit::kSystemHand);
        return;
    }
    m_playlist->MoveDown(sel);
    RefreshList();
    SelectAndShow(sel + 1, sel + 1 + 4);
}

void CTracklaceDlg::OnRemoveItem() {
    const int sel = m_list->GetSelectedRow();
    if (sel == -1 || m_playlist->IsEmpty()) {
        toolkit::UserInteraction().PlaySystemSound(toolkit::kSystemHand);
        return;
    }
    const bool wasLast = sel == m_playlist->GetCount() - 1;
    m_playlist->RemoveAt(sel);
    RefreshList();
    UpdateSongFolder();
    if (!m_playlist->IsEmpty()) {
        const int row = wasLast ? sel - 1 : sel;
        SelectAndShow(row, row + 4);
    }
}

void CTracklaceDlg::OnRemoveAllItems() {
    if (m_playlist->IsEmpty()) {
        toolkit::UserInteraction().PlaySystemSound(toolkit::kSystemHand);
        return;
    }
    if (toolkit::ShowMessage(this, GetText("IDS_TL_MB_DELETE_ALL_ITEMS"),
                             toolkit::MessageIcon::Exclamation,
                             toolkit::MessageButtons::YesNo) != toolkit::MessageAnswer::Yes) {
        return;
    }
    m_playlist->RemoveAll();
    RefreshList();
    UpdateSongFolder();
}

void CTracklaceDlg::UpdateSongFolder() {
    ReadBoundTexts();
    std::string folder;
    const int sel = m_list->GetSelectedRow();
    if (sel != -1) {
        if (const CPlaylistElement* entry = m_playlist->GetAt(sel)) {
            folder = WithoutTrailingSeparator(entry->GetFolder());
        }
    }
    if (folder != m_songFolder) {
        m_songFolder = folder;
        WriteBoundTexts();
        m_songFolderEdit->end(false);
        toolkit::PostRegisteredMessage(this, kUpdateTakeoverButtonMessage);
    }
}

void CTracklaceDlg::OnUpdateTakeoverButton() {
    GetControl(kTakeover)->setEnabled(!m_songFolder.empty());
}

void CTracklaceDlg::OnTakeoverSongFolder() {
    if (m_songFolder.empty()) {
        return;
    }
    SelectSaveLocation(m_songFolder);
    FlashControl(m_saveLocationEdit);
}

void CTracklaceDlg::SelectSaveLocation(const std::string& folder) {
    if (folder == m_saveLocation) {
        return;
    }
    // What the user typed as the name must survive the fields being written.
    m_playlistName = m_nameEdit->text().toStdString();
    m_saveLocation = WithoutTrailingSeparator(folder);
    WriteBoundTexts();
    SetPropertyString(property::kSelectPlaylistFolder, m_saveLocation);
}
