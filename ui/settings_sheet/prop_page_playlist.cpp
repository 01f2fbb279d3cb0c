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
        auto* button = new QRadioButton(Text(key), this);
        button->setObjectName(name);
        group->addButton(button, id);
        page->addWidget(button);
        connect(button, &QAbstractButton::clicked, this, [this] { SetModified(); });
    };

    AddSectionHeading("IDS_TL_SETTINGS_PLAYLIST_NEW_ENTRIES_SEPARATOR");
    AddInfoText("IDS_TL_SETTINGS_PLAYLIST_NEW_ENTRIES_INFO");
    insertPosition_ = new QButtonGroup(this);
    addRadio(insertPosition_, kTop, "IDS_TL_SETTINGS_PLAYLIST_NEW_ENTRIES_TOP", "insertTop");
    addRadio(insertPosition_, kBeforeSelection, "IDS_TL_SETTINGS_PLAYLIST_NEW_ENTRIES_BEFORESEL",
             "insertBeforeSelection");
    addRadio(insertPosition_, kAfterSelection, "IDS_TL_SETTINGS_PLAYLIST_NEW_ENTRIES_AFTERSEL",
             "insertAfterSelection");
    addRadio(insertPosition_, kBottom, "IDS_TL_SETTINGS_PLAYLIST_NEW_ENTRIES_BOTTOM",
             "insertBottom");

    page->addSpacing(DialogUnitsToPixels(this, 0, 4).height());
    AddSectionHeading("IDS_TL_SETTINGS_PLAYLIST_SAVE_MODE_SEPARATOR");
    saveMode_ = new QButtonGroup(this);
    addRadio(saveMode_, kAbsolute, "IDS_TL_SETTINGS_PLAYLIST_SAVE_MODE_ABSOLUTE", "saveAbsolute");
    addRadio(saveMode_, kRelative, "IDS_TL_SETTINGS_PLAYLIST_SAVE_MODE_RELATIVE", "saveRelative");

    page->addSpacing(DialogUnitsToPixels(this, 0, 4).height());
    AddSectionHeading("IDS_TL_SETTINGS_PLAYLIST_MISC_SEPARATOR");
    autoName_ = new QCheckBox(Text("IDS_TL_SETTINGS_PLAYLIST_MISC_AUTO_NAME"), this);
    autoName_->setObjectName("autoName");
    autoFolder_ = new QCheckBox(Text("IDS_TL_SETTINGS_PLAYLIST_MISC_AUTO_FOLDER"), this);
    autoFolder_->setObjectName("autoFolder");
    page->addWidget(autoName_);
    page->addWidget(autoFolder_);
    page->addStretch(1);
    connect(autoName_, &QAbstractButton::clicked, this, [this] { SetModified(); });
    connect(autoFolder_, &QAbstractButton::clicked, this, [this] { SetModified(); });
}

void CPropPagePlaylist::OnInitPage() {
    insertPosition_->button(InsertPositionIndex(GetPropertyString("prop_AddNewEntries", "Bottom")))
        ->setChecked(true);
    saveMode_->button(SaveModeIndex(GetPropertyString("prop_SaveMode", "Relative")))
        ->setChecked(true);
    autoName_->setChecked(GetPropertyInt("prop_AutoPlaylistName", 0) != 0);
    autoFolder_->setChecked(GetPropertyInt("prop_AutoPlaylistFolder", 0) != 0);
}

void CPropPagePlaylist::OnApply() {
    SetPropertyString("prop_AddNewEntries", InsertPositionText(insertPosition_->checkedId()));
    SetPropertyString("prop_SaveMode", SaveModeText(saveMode_->checkedId()));
    SetPropertyInt("prop_AutoPlaylistName", autoName_->isChecked() ? 1 : 0);
    SetPropertyInt("prop_AutoPlaylistFolder", autoFolder_->isChecked() ? 1 : 0);
}
