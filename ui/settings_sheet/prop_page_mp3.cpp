#include "ui/settings_sheet/prop_page_mp3.h"

#include <QBoxLayout>
#include <QCheckBox>
#include <QEvent>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>

#include "core/mp3_info/title_mask.h"
#include "settings/language/language.h"
#include "settings/store/properties.h"
#include "ui/toolkit/contrast.h"

namespace {

// The six variables in their order, with the keys of their names.
const char* const kVariableNameKeys[] = {
    "IDS_TL_SETTINGS_MP3_VARIABLE_ARTIST", "IDS_TL_SETTINGS_MP3_VARIABLE_TITLE",
    "IDS_TL_SETTINGS_MP3_VARIABLE_ALBUM",  "IDS_TL_SETTINGS_MP3_VARIABLE_YEAR",
    "IDS_TL_SETTINGS_MP3_VARIABLE_GENRE",  "IDS_TL_SETTINGS_MP3_VARIABLE_TRACK",
};

std::string Bracketed(int variable) {
    return "<" + GetText(kVariableNameKeys[variable]) + ">";
}

}  // namespace

QColor CPropPageMP3::PreviewBackground(const QPalette& palette) {
    return toolkit::Mix(palette.color(QPalette::Base), palette.color(QPalette::Text), 0.04);
}

std::string CPropPageMP3::PreviewOf(const std::string& mask) {
    return ExpandTitleMask(mask, Bracketed(0), Bracketed(1), Bracketed(2), Bracketed(3),
                           Bracketed(4), Bracketed(5));
}

CPropPageMP3::CPropPageMP3(QWidget* parent)
    : CPropPage("IDS_TL_PROPPAGE_MP3_TITLE", "SHEET_MP3", parent) {
    QBoxLayout* page = PageLayout();

    AddSectionHeading("IDS_TL_SETTINGS_MP3_ID3TAGS_SEPARATOR");
    AddInfoText("IDS_TL_SETTINGS_MP3_ID3TAGS_INFO");
    m_readTags = new QCheckBox(toolkit::Text("IDS_TL_SETTINGS_MP3_READ_ID3TAGS"), this);
    m_readTags->setObjectName("readTags");
    page->addWidget(m_readTags);

    page->addSpacing(toolkit::DialogUnitsToPixels(this, 0, 4).height());
    AddSectionHeading("IDS_TL_SETTINGS_MP3_TITLE_FORMAT_SEPARATOR");
    auto* columns = new QHBoxLayout;
    page->addLayout(columns);

    auto* left = new QVBoxLayout;
    left->addWidget(MakeInfoLabel("IDS_TL_SETTINGS_MP3_TITLE_MASK_INFO", this));
    auto* maskLabel = MakePlainLabel(toolkit::Text("IDS_TL_SETTINGS_MP3_TITLE_MASK"), this);
    m_mask = new QLineEdit(this);
    m_mask->setObjectName("titleMask");
    maskLabel->setBuddy(m_mask);
    auto* previewLabel =
        MakePlainLabel(toolkit::Text("IDS_TL_SETTINGS_MP3_TITLE_MASK_PREVIEW"), this);
    m_preview = new QLineEdit(this);
    m_preview->setObjectName("titlePreview");
    m_preview->setReadOnly(true);
    UpdatePreviewColors();
    previewLabel->setBuddy(m_preview);
    left->addWidget(maskLabel);
    left->addWidget(m_mask);
    left->addWidget(previewLabel);
    left->addWidget(m_preview);
    left->addStretch(1);
    columns->addLayout(left, 3);

    auto* right = new QVBoxLayout;
    right->addWidget(MakePlainLabel(toolkit::Text("IDS_TL_SETTINGS_MP3_TITLE_VARIABLES"), this));
    auto* variables = new QGridLayout;
    for (int i = 0; i < 6; ++i) {
        const QString text = QLatin1Char('%') + QString::number(i + 1) + QLatin1String(" - ") +
                             toolkit::Text(kVariableNameKeys[i]);
        variables->addWidget(MakePlainLabel(text, this), i % 3, i / 3);
    }
    variables->setHorizontalSpacing(toolkit::DialogUnitsToPixels(this, 12, 0).width());
    right->addLayout(variables);
    right->addSpacing(toolkit::DialogUnitsToPixels(this, 0, 4).height());
    right->addWidget(
        MakePlainLabel(toolkit::Text("IDS_TL_SETTINGS_MP3_VARIABLE_SAMPLE_TITLE"), this));
    right->addWidget(MakePlainLabel(toolkit::Text("IDS_TL_SETTINGS_MP3_VARIABLE_SAMPLE"), this));
    right->addStretch(1);
    columns->addSpacing(toolkit::DialogUnitsToPixels(this, 8, 0).width());
    columns->addLayout(right, 2);
    page->addStretch(1);

    connect(m_readTags, &QAbstractButton::clicked, this, [this] { SetModified(); });
}

void CPropPageMP3::UpdatePreviewColors() {
    QPalette colors = palette();
    colors.setColor(QPalette::Base, PreviewBackground(colors));
    m_preview->setPalette(colors);
}

void CPropPageMP3::changeEvent(QEvent* event) {
    // A change of the desktop's colour scheme reaches the page, not the field's own colours.
    if (event->type() == QEvent::PaletteChange && m_preview != nullptr) {
        UpdatePreviewColors();
    }
    CPropPage::changeEvent(event);
}

void CPropPageMP3::OnInitPage() {
    m_readTags->setChecked(GetPropertyInt(property::kReadID3Tags) != 0);
    const std::string mask = GetPropertyString(property::kTitleMask);
    m_mask->setText(QString::fromStdString(mask));
    m_preview->setText(QString::fromStdString(PreviewOf(mask)));
    // Connected only now: putting the stored mask in place is no change by the user.
    connect(m_mask, &QLineEdit::textChanged, this, &CPropPageMP3::OnMaskChanged);
}

void CPropPageMP3::OnMaskChanged() {
    SetModified();
    // Only the preview is written; the mask field is left alone, so the cursor, the
    // selection and the undo history of the user's typing stay as they are.
    m_preview->setText(QString::fromStdString(PreviewOf(m_mask->text().toStdString())));
}

void CPropPageMP3::OnApply() {
    // The mask stored exactly as typed, even empty or without any variable.
    SetProperties({{property::kReadID3Tags, m_readTags->isChecked() ? 1 : 0},
                   {property::kTitleMask, m_mask->text().toStdString()}});
}
