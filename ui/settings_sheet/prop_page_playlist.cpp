#include "ui/settings_sheet/prop_page_playlist.h"

#include <QBoxLayout>
#include <QButtonGroup>
#include <QCheckBox>
#include <QRadioButton>

#include "settings/store/properties.h"

namespace {

const char* const kInsertPositionTexts[] = {"Top", "BeforeSelection", "AfterSelection", "Bottom"};

}  // namespace

int CPropPagePlaylist::InsertPositionIndex(const std::string& stored) {
    for (int i = kTop; i < kBottom; ++i) {
        if (stored == kInsertPositionTexts[i]) {
            return i;
        }
    }
    return kBottom;
}

std::string CPropPagePlaylist::InsertPositionText(int index) {
    if (index >= kTop && index <= kBottom) {
        return kInsertPositionTexts[index];
    }
    return kInsertPositionTexts[kBottom];
}

int CPropPagePlaylist::SaveModeIndex(const std::string& stored) {
    return stored == "Absolute" ? kAbsolute : kRelative;
}

std::string CPropPagePlaylist::SaveModeText(int index) {
    return index == kAbsolute ? "Absolute" : "Relative";
}

CPropPagePlaylist::CPropPagePlaylist(QWidget* parent)
    : CPropPage("IDS_TL_PROPPAGE_PLAYLIST_TITLE", "SHEET_PLAYLIST", parent) {
    QBoxLayout* page = PageLayout();
    auto addRadio = [&](QButtonGroup* group, int id, const char* key, const char* name) {
        auto* button = new QRadioButton(toolkit::Text(key), this);
        button->setObjectName(name);
        group->addButton(button, id);
        page->addWidget(button);
        connect(button, &QAbstractButton::clicked, this, [this] { SetModified(); });
    };

    AddSectionHeading("IDS_TL_SETTINGS_PLAYLIST_NEW_ENTRIES_SEPARATOR");
    AddInfoText("IDS_TL_SETTINGS_PLAYLIST_NEW_ENTRIES_INFO");
    m_insertPosition = new QButtonGroup(this);
    addRadio(m_insertPosition, kTop, "IDS_TL_SETTINGS_PLAYLIST_NEW_ENTRIES_TOP", "insertTop");
    addRadio(m_insertPosition, kBeforeSelection, "IDS_TL_SETTINGS_PLAYLIST_NEW_ENTRIES_BEFORESEL",
             "insertBeforeSelection");
    addRadio(m_insertPosition, kAfterSelection, "IDS_TL_SETTINGS_PLAYLIST_NEW_ENTRIES_AFTERSEL",
             "insertAfterSelection");
    addRadio(m_insertPosition, kBottom, "IDS_TL_SETTINGS_PLAYLIST_NEW_ENTRIES_BOTTOM",
             "insertBottom");

    page->addSpacing(toolkit::DialogUnitsToPixels(this, 0, 4).height());
    AddSectionHeading("IDS_TL_SETTINGS_PLAYLIST_SAVE_MODE_SEPARATOR");
    m_saveMode = new QButtonGroup(this);
    addRadio(m_saveMode, kAbsolute, "IDS_TL_SETTINGS_PLAYLIST_SAVE_MODE_ABSOLUTE", "saveAbsolute");
    addRadio(m_saveMode, kRelative, "IDS_TL_SETTINGS_PLAYLIST_SAVE_MODE_RELATIVE", "saveRelative");

    page->addSpacing(toolkit::DialogUnitsToPixels(this, 0, 4).height());
    AddSectionHeading("IDS_TL_SETTINGS_PLAYLIST_MISC_SEPARATOR");
    m_autoName = new QCheckBox(toolkit::Text("IDS_TL_SETTINGS_PLAYLIST_MISC_AUTO_NAME"), this);
    m_autoName->setObjectName("autoName");
    m_autoFolder = new QCheckBox(toolkit::Text("IDS_TL_SETTINGS_PLAYLIST_MISC_AUTO_FOLDER"), this);
    m_autoFolder->setObjectName("autoFolder");
    page->addWidget(m_autoName);
    page->addWidget(m_autoFolder);
    page->addStretch(1);
    connect(m_autoName, &QAbstractButton::clicked, this, [this] { SetModified(); });
    connect(m_autoFolder, &QAbstractButton::clicked, this, [this] { SetModified(); });
}

void CPropPagePlaylist::OnInitPage() {
    m_insertPosition->button(InsertPositionIndex(GetPropertyString(property::kAddNewEntries)))
        ->setChecked(true);
    m_saveMode->button(SaveModeIndex(GetPropertyString(property::kSaveMode)))->setChecked(true);
    m_autoName->setChecked(GetPropertyInt(property::kAutoPlaylistName) != 0);
    m_autoFolder->setChecked(GetPropertyInt(property::kAutoPlaylistFolder) != 0);
}

void CPropPagePlaylist::OnApply() {
    SetProperties({{property::kAddNewEntries, InsertPositionText(m_insertPosition->checkedId())},
                   {property::kSaveMode, SaveModeText(m_saveMode->checkedId())},
                   {property::kAutoPlaylistName, m_autoName->isChecked() ? 1 : 0},
                   {property::kAutoPlaylistFolder, m_autoFolder->isChecked() ? 1 : 0}});
}
