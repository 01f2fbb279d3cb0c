#include "ui/settings_sheet/prop_page_general_settings.h"

#include <QBoxLayout>
#include <QButtonGroup>
#include <QCheckBox>
#include <QPushButton>
#include <QRadioButton>

#include "settings/language/language.h"
#include "settings/store/properties.h"
#include "ui/toolkit/user_interaction.h"

CPropPageGeneralSettings::CPropPageGeneralSettings(QWidget* parent)
    : CPropPage("IDS_TL_PROPPAGE_GENERAL_SETTINGS_TITLE", "SHEET_GENERAL", parent) {
    // The texts are put in place with the controls, so that the sheet can size itself for
    // its largest page before any page is shown; the values come with the first showing.
    QBoxLayout* page = PageLayout();

    AddSectionHeading("IDS_TL_SETTINGS_GENERAL_LANGUAGE_SEPARATOR");
    AddInfoText("IDS_TL_SETTINGS_GENERAL_LANGUAGE_INFO");
    german_ = new QRadioButton(Text("IDS_TL_SETTINGS_GENERAL_LANGUAGE_DE"), this);
    german_->setObjectName("languageGerman");
    english_ = new QRadioButton(Text("IDS_TL_SETTINGS_GENERAL_LANGUAGE_EN"), this);
    english_->setObjectName("languageEnglish");
    language_ = new QButtonGroup(this);
    language_->addButton(german_, kLanguageGerman);
    language_->addButton(english_, kLanguageEnglish);
    auto* languageRow = new QHBoxLayout;
    languageRow->addWidget(german_);
    languageRow->addSpacing(DialogUnitsToPixels(this, 40, 0).width());
    languageRow->addWidget(english_);
    languageRow->addStretch(1);
    page->addLayout(languageRow);

    page->addSpacing(DialogUnitsToPixels(this, 0, 4).height());
    AddSectionHeading("IDS_TL_SETTINGS_GENERAL_MISC_SEPARATOR");
    transparency_ = new QCheckBox(Text("IDS_TL_SETTINGS_GENERAL_TRANSPARENCY"), this);
    transparency_->setObjectName("transparency");
    singleInstance_ = new QCheckBox(Text("IDS_TL_SETTINGS_GENERAL_SINGLE_INSTANCE"), this);
    singleInstance_->setObjectName("singleInstance");
    playSound_ = new QCheckBox(Text("IDS_TL_SETTINGS_GENERAL_PLAY_SOUND"), this);
    playSound_->setObjectName("playSound");
    page->addWidget(transparency_);
    page->addWidget(singleInstance_);
    page->addWidget(playSound_);

    page->addSpacing(DialogUnitsToPixels(this, 0, 4).height());
    AddSectionHeading("IDS_TL_SETTINGS_GENERAL_RESET_SETTINGS_SEPARATOR");
    AddInfoText("IDS_TL_SETTINGS_GENERAL_RESET_SETTINGS_INFO");
    reset_ = new QPushButton(Text("IDS_TL_SETTINGS_GENERAL_BTN_RESET_SETTINGS"), this);
    reset_->setObjectName("resetSettings");
    reset_->setAutoDefault(false);
    auto* resetRow = new QHBoxLayout;
    resetRow->addWidget(reset_);
    resetRow->addStretch(1);
    page->addLayout(resetRow);
    page->addStretch(1);

    for (QAbstractButton* button :
         {static_cast<QAbstractButton*>(german_), static_cast<QAbstractButton*>(english_),
          static_cast<QAbstractButton*>(transparency_),
          static_cast<QAbstractButton*>(singleInstance_),
          static_cast<QAbstractButton*>(playSound_)}) {
        connect(button, &QAbstractButton::clicked, this, [this] { SetModified(); });
    }
    connect(reset_, &QPushButton::clicked, this, &CPropPageGeneralSettings::OnResetSettings);
}

void CPropPageGeneralSettings::OnInitPage() {
    // German is shown only for the exact code "DE"; every other code means English.
    language_->button(IsLanguageEnglish() ? kLanguageEnglish : kLanguageGerman)->setChecked(true);
    transparency_->setChecked(GetPropertyInt("prop_Transparency", 0) != 0);
    singleInstance_->setChecked(GetPropertyInt("prop_SingleInstance", 1) != 0);
    playSound_->setChecked(GetPropertyInt("prop_PlaySound", 1) != 0);
}

void CPropPageGeneralSettings::OnApply() {
    // Written even when unchanged: the sheet's caller compares the code before and after.
    SetLanguageCode(language_->checkedId() != kLanguageGerman);
    SetPropertyInt("prop_Transparency", transparency_->isChecked() ? 1 : 0);
    SetPropertyInt("prop_SingleInstance", singleInstance_->isChecked() ? 1 : 0);
    SetPropertyInt("prop_PlaySound", playSound_->isChecked() ? 1 : 0);
}

void CPropPageGeneralSettings::OnResetSettings() {
    const toolkit::MessageAnswer answer =
        toolkit::ShowMessage(this, GetText("IDS_TL_MB_RESET_SETTINGS"),
                             toolkit::MessageIcon::Exclamation, toolkit::MessageButtons::YesNo);
    if (answer == toolkit::MessageAnswer::No) {
        return;
    }
    ResetSettings();
    emit settingsReset();
}
