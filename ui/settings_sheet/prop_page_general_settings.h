#pragma once

#include "ui/settings_sheet/prop_page.h"

class QButtonGroup;
class QCheckBox;
class QPushButton;
class QRadioButton;

// "General Settings": the language, the main window's transparency, single instance, the
// completion sound, and the reset of all settings.
class CPropPageGeneralSettings : public CPropPage {
    Q_OBJECT

public:
    explicit CPropPageGeneralSettings(QWidget* parent = nullptr);

    // The positions of the language buttons.
    static constexpr int kLanguageGerman = 0;
    static constexpr int kLanguageEnglish = 1;

signals:
    // The settings were reset; the sheet must close without applying any page, or the
    // values still on display would be written over the reset ones.
    void settingsReset();

protected:
    void OnInitPage() override;
    void OnApply() override;

private:
    void OnResetSettings();

    QButtonGroup* m_language;
    QRadioButton* m_german;
    QRadioButton* m_english;
    QCheckBox* m_transparency;
    QCheckBox* m_singleInstance;
    QCheckBox* m_playSound;
    QPushButton* m_reset;
};
