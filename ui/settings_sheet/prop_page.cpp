#include "ui/settings_sheet/prop_page.h"

#include <QBoxLayout>
#include <QFrame>
#include <QLabel>

#include "settings/language/language.h"
#include "ui/toolkit/dialog_units.h"
#include "ui/toolkit/resource_picture.h"
#include "ui/toolkit/texts.h"

namespace {

// A page is 330 by 215 dialog units; the layouts may grow it for longer translations.
constexpr int kPageWidthDlu = 330;
constexpr int kPageHeightDlu = 215;

}  // namespace

QLabel* MakePlainLabel(const QString& text, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setTextFormat(Qt::PlainText);
    return label;
}

QLabel* MakeInfoLabel(const std::string& key, QWidget* parent) {
    auto* label = new QLabel(toolkit::Text(key), parent);
    label->setWordWrap(true);
    // Table texts are plain; a "<" in them must never switch the label to rich text.
    label->setTextFormat(Qt::PlainText);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    return label;
}

QWidget* MakeSectionHeading(const std::string& key, QWidget* parent) {
    auto* heading = new QWidget(parent);
    auto* row = new QHBoxLayout(heading);
    row->setContentsMargins(0, 0, 0, 0);
    QLabel* caption = MakePlainLabel(toolkit::Text(key), heading);
    QFont bold = caption->font();
    bold.setBold(true);
    caption->setFont(bold);
    auto* line = new QFrame(heading);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    row->addWidget(caption);
    row->addWidget(line, 1);
    return heading;
}

CPropPage::CPropPage(std::string titleKey, std::string iconName, QWidget* parent)
    : QWidget(parent), m_titleKey(std::move(titleKey)), m_iconName(std::move(iconName)) {
    m_layout = new QVBoxLayout(this);
    m_layout->setContentsMargins(0, 0, 0, 0);
    setMinimumSize(toolkit::DialogUnitsToPixels(this, kPageWidthDlu, kPageHeightDlu));
}

CPropPage::~CPropPage() = default;

const std::string& CPropPage::Title() {
    if (!m_titleLoaded) {
        m_title = GetText(m_titleKey);
        m_titleLoaded = true;
    }
    return m_title;
}

QIcon CPropPage::Icon() const {
    return QIcon(toolkit::LoadResourcePixmap("PNG", m_iconName));
}

void CPropPage::Initialize() {
    if (m_initialized) {
        return;
    }
    m_initialized = true;
    OnInitPage();
}

void CPropPage::Apply() {
    if (!m_initialized) {
        return;
    }
    OnApply();
    m_modified = false;
}

void CPropPage::SetModified() {
    m_modified = true;
    emit modified();
}

void CPropPage::AddSectionHeading(const std::string& textKey) {
    m_layout->addWidget(MakeSectionHeading(textKey, this));
}

QLabel* CPropPage::AddInfoText(const std::string& textKey) {
    QLabel* label = MakeInfoLabel(textKey, this);
    m_layout->addWidget(label);
    return label;
}
