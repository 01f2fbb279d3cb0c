// The lower half of the main window: where the playlist goes, its name and type.

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "core/creation_job/creation_request.h"
#include "core/playlist/playlist.h"
#include "settings/language/language.h"
#include "settings/placeholders/placeholders.h"
#include "settings/store/properties.h"
#include "ui/main_dialog/tracklace_dlg.h"
#include "ui/progress/create_playlist_dlg.h"
#include "ui/toolkit/dialog_units.h"
#include "ui/toolkit/icon_button.h"
#include "ui/toolkit/resource_picture.h"
#include "ui/toolkit/texts.h"
#include "ui/toolkit/user_interaction.h"

void CTracklaceDlg::RunCreationDialog(QWidget* owner, CPlaylist& playlist) {
    // Modal: the window takes no input while the worker reads the playlist. The outcome is
    // the progress dialog's to show; nothing here changes after it.
    CCreatePlaylistDlg dialog(&playlist, owner);
    dialog.exec();
}

void CTracklaceDlg::BuildCreationPart(QVBoxLayout* layout) {
    auto* group = new QGroupBox(this);
    m_controls[kGroupCreation] = group;
    auto* grid = new QGridLayout(group);

    auto* saveLabel = new QLabel(group);
    m_controls[kSaveLocationLabel] = saveLabel;
    grid->addWidget(saveLabel, 0, 0, 1, 2);

    m_saveLocationEdit = new QLineEdit(group);
    m_saveLocationEdit->setReadOnly(true);
    m_controls[kSaveLocation] = m_saveLocationEdit;
    grid->addWidget(m_saveLocationEdit, 1, 0);
    auto* browse = new toolkit::CIconButton(group);
    browse->SetIconResources("BTN_SAVE_LOCATION", "BTN_SAVE_LOCATION_HOT", 24);
    browse->setFixedSize(toolkit::DialogUnitsToPixels(this, 19, 19).expandedTo(QSize(30, 30)));
    connect(browse, &QToolButton::clicked, this, &CTracklaceDlg::OnBrowseSaveLocation);
    m_controls[kBrowseSaveLocation] = browse;
    grid->addWidget(browse, 1, 1);

    auto* nameLabel = new QLabel(group);
    m_controls[kNameAndTypeLabel] = nameLabel;
    grid->addWidget(nameLabel, 2, 0, 1, 2);

    auto* row = new QHBoxLayout;
    m_nameEdit = new QLineEdit(group);
    m_nameEdit->setMinimumWidth(toolkit::DialogUnitsToPixels(this, 114, 0).width());
    m_controls[kPlaylistName] = m_nameEdit;
    row->addWidget(m_nameEdit);
    m_typeList = new QComboBox(group);
    m_typeList->addItems({".pls", ".m3u"});
    m_typeList->setEditable(false);
    connect(m_typeList, &QComboBox::activated, this, &CTracklaceDlg::OnPlaylistTypeChanged);
    m_controls[kPlaylistType] = m_typeList;
    row->addWidget(m_typeList);
    row->addStretch(1);
    auto* create = new QPushButton(group);
    create->setDefault(true);
    create->setAutoDefault(true);
    create->setIcon(QIcon(toolkit::LoadResourcePixmap("PNG", "BTN_CREATE_PLAYLIST")));
    create->setMinimumWidth(toolkit::DialogUnitsToPixels(this, 114, 0).width());
    connect(create, &QPushButton::clicked, this, &CTracklaceDlg::OnCreatePlaylist);
    m_controls[kCreatePlaylist] = create;
    row->addWidget(create);
    grid->addLayout(row, 3, 0, 1, 2);

    layout->addWidget(group);
}

void CTracklaceDlg::SetCreationTexts() {
    static_cast<QGroupBox*>(GetControl(kGroupCreation))
        ->setTitle(toolkit::Text("IDS_TL_GB_PLAYLIST_CREATION"));
    static_cast<QLabel*>(GetControl(kSaveLocationLabel))
        ->setText(toolkit::Text("IDS_TL_SELECT_PLAYLIST_SAVE_LOCATION"));
    static_cast<QLabel*>(GetControl(kNameAndTypeLabel))
        ->setText(toolkit::Text("IDS_TL_PLAYLIST_NAME_AND_TYPE"));
    GetControl(kBrowseSaveLocation)
        ->setToolTip(toolkit::Text("IDS_TL_BTN_BROWSE_FOR_PLAYLIST_FOLDER"));
    static_cast<QPushButton*>(GetControl(kCreatePlaylist))
        ->setText(toolkit::Text("IDS_TL_BTN_CREATE_PLAYLIST"));
}

void CTracklaceDlg::OnBrowseSaveLocation() {
    ReadBoundTexts();
    toolkit::FolderRequest request;
    request.info = GetText("IDS_TL_SELECT_PLAYLIST_FOLDER_INFO");
    request.initialFolder = GetPropertyString(property::kSelectPlaylistFolder);
    if (const auto folder = toolkit::UserInteraction().BrowseForFolder(this, request)) {
        SelectSaveLocation(*folder);
    }
}

void CTracklaceDlg::OnPlaylistTypeChanged() {
    SetPropertyString(property::kPlaylistType, m_typeList->currentText().toStdString());
}

bool CTracklaceDlg::IsValidPlaylistName(const std::string& name) {
    return ::IsValidPlaylistName(name);
}

void CTracklaceDlg::OnCreatePlaylist() {
    ReadBoundTexts();
    // The model carries the request whatever the checks decide.
    m_playlist->SetFolder(m_saveLocation);
    m_playlist->SetName(m_playlistName);
    m_playlist->SetTypeFromExtension(m_typeList->currentText().toStdString());

    const auto inform = [this](const char* key) {
        toolkit::ShowMessage(this, GetText(key), toolkit::MessageIcon::Information);
        return false;
    };
    const auto ask = [this](const std::string& text) {
        return toolkit::ShowMessage(this, text, toolkit::MessageIcon::Question,
                                    toolkit::MessageButtons::YesNo) == toolkit::MessageAnswer::Yes;
    };
    const CreationRequest request{m_saveLocation, m_playlistName, m_playlist->GetFilePath()};
    bool create = false;
    switch (CheckCreationRequest(*m_playlist, request)) {
        case RequestOutcome::kReady:
            create = true;
            break;
        case RequestOutcome::kEmptyPlaylist:
            create = inform("IDS_TL_MB_EMPTY_PLAYLIST");
            break;
        case RequestOutcome::kNoSaveLocation:
            create = inform("IDS_TL_MB_EMPTY_PLAYLIST_FOLDER");
            break;
        case RequestOutcome::kNoName:
            create = inform("IDS_TL_MB_EMPTY_PLAYLIST_NAME");
            break;
        case RequestOutcome::kInvalidName:
            create = inform("IDS_TL_MB_INVALID_PLAYLIST_NAME");
            break;
        case RequestOutcome::kCreateFolder:
            // Yes leaves the folder to the creation, which makes it.
            create = ask(ReplaceTags(GetText("IDS_TL_MB_PLAYLIST_FOLDER_DOES_NOT_EXIST"), "FOLDER",
                                     m_saveLocation));
            break;
        case RequestOutcome::kOverwrite:
            create = ask(ReplaceTags(GetText("IDS_TL_MB_PLAYLIST_ALREADY_EXISTS"), "FILEPATH",
                                     request.filePath));
            break;
    }
    if (create && m_creationRunner) {
        m_creationRunner(this, *m_playlist);
    }
}
