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
    m_german = new QRadioButton(toolkit::Text("IDS_TL_SETTINGS_GENERAL_LANGUAGE_DE"), this);
    m_german->setObjectName("languageGerman");
    m_english = new QRadioButton(toolkit::Text("IDS_TL_SETTINGS_GENERAL_LANGUAGE_EN"), this);
    m_english->setObjectName("languageEnglish");
    m_language = new QButtonGroup(this);
    m_language->addButton(m_german, kLanguageGerman);
    m_language->addButton(m_english, kLanguageEnglish);
    auto* languageRow = new QHBoxLayout;
    languageRow->addWidget(m_german);
    languageRow->addSpacing(toolkit::DialogUnitsToPixels(this, 40, 0).width());
    languageRow->addWidget(m_english);
    languageRow->addStretch(1);
    page->addLayout(languageRow);

    page->addSpacing(toolkit::DialogUnitsToPixels(this, 0, 4).height());
    AddSectionHeading("IDS_TL_SETTINGS_GENERAL_MISC_SEPARATOR");
    m_transparency = new QCheckBox(toolkit::Text("IDS_TL_SETTINGS_GENERAL_TRANSPARENCY"), this);
    m_transparency->setObjectName("transparency");
    m_singleInstance =
        new QCheckBox(toolkit::Text("IDS_TL_SETTINGS_GENERAL_SINGLE_INSTANCE"), this);
    m_singleInstance->setObjectName("singleInstance");
    m_playSound = new QCheckBox(toolkit::Text("IDS_TL_SETTINGS_GENERAL_PLAY_SOUND"), this);
    m_playSound->setObjectName("playSound");
    page->addWidget(m_transparency);
    page->addWidget(m_singleInstance);
    page->addWidget(m_playSound);

    page->addSpacing(toolkit::DialogUnitsToPixels(this, 0, 4).height());
    AddSectionHeading("IDS_TL_SETTINGS_GENERAL_RESET_SETTINGS_SEPARATOR");
    AddInfoText("IDS_TL_SETTINGS_GENERAL_RESET_SETTINGS_INFO");
    m_reset = new QPushButton(toolkit::Text("IDS_TL_SETTINGS_GENERAL_BTN_RESET_SETTINGS"), this);
    m_reset->setObjectName("resetSettings");
    m_reset->setAutoDefault(false);
    auto* resetRow = new QHBoxLayout;
    resetRow->addWidget(m_reset);
    resetRow->addStretch(1);
    page->addLayout(resetRow);
    page->addStretch(1);

    for (QAbstractButton* button :
         {static_cast<QAbstractButton*>(m_german), static_cast<QAbstractButton*>(m_english),
          static_cast<QAbstractButton*>(m_transparency),
          static_cast<QAbstractButton*>(m_singleInstance),
          static_cast<QAbstractButton*>(m_playSound)}) {
        connect(button, &QAbstractButton::clicked, this, [this] { SetModified(); });
    }
    connect(m_reset, &QPushButton::clicked, this, &CPropPageGeneralSettings::OnResetSettings);
}

void CPropPageGeneralSettings::OnInitPage() {
    // German is shown only for the exact code "DE"; every other code means English.
    m_language->button(IsLanguageEnglish() ? kLanguageEnglish : kLanguageGerman)->setChecked(true);
    m_transparency->setChecked(GetPropertyInt(property::kTransparency) != 0);
    m_singleInstance->setChecked(GetPropertyInt(property::kSingleInstance) != 0);
    m_playSound->setChecked(GetPropertyInt(property::kPlaySound) != 0);
}

void CPropPageGeneralSettings::OnApply() {
    // Written even when unchanged: the sheet's caller compares the code before and after.
    SetProperties({{property::kLanguage, m_language->checkedId() != kLanguageGerman ? "EN" : "DE"},
                   {property::kTransparency, m_transparency->isChecked() ? 1 : 0},
                   {property::kSingleInstance, m_singleInstance->isChecked() ? 1 : 0},
                   {property::kPlaySound, m_playSound->isChecked() ? 1 : 0}});
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
