#pragma once

#include <string>

#include "ui/settings_sheet/prop_page.h"

class QCheckBox;
class QLineEdit;

// "MP3": whether titles and lengths come from the ID3 tags, and the title mask, with a
// preview of the mask in which the variable names stand for the tag values.
class CPropPageMP3 : public CPropPage {
    Q_OBJECT

public:
    explicit CPropPageMP3(QWidget* parent = nullptr);

    // The mask expanded with "<Artist>", "<Title>", ... in the current language.
    static std::string PreviewOf(const std::string& mask);

    // The colour behind the preview, set apart from the editable mask: the field colour of
    // the scheme moved a little towards its text colour (the light grey 245, 245, 245 for
    // black on white, a lighter grey in a dark scheme).
    static QColor PreviewBackground(const QPalette& palette);

protected:
    void OnInitPage() override;
    void changeEvent(QEvent* event) override;
    void OnApply() override;

private:
    void OnMaskChanged();
    // The preview's colours from the page's colour scheme.
    void UpdatePreviewColors();

    QCheckBox* m_readTags;
    QLineEdit* m_mask;
    QLineEdit* m_preview = nullptr;
};
