#include "ui/settings_sheet/prop_sheet_settings.h"

#include <QBoxLayout>
#include <QDialogButtonBox>
#include <QFrame>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QStackedWidget>
#include <QStyle>
#include <QTreeWidget>

#include "settings/language/language.h"
#include "settings/store/properties.h"
#include "ui/settings_sheet/prop_page.h"
#include "ui/settings_sheet/prop_page_file_types.h"
#include "ui/settings_sheet/prop_page_general_settings.h"
#include "ui/settings_sheet/prop_page_mp3.h"
#include "ui/settings_sheet/prop_page_playlist.h"
#include "ui/toolkit/frame_background.h"
#include "ui/toolkit/help_key.h"

namespace {

// Apply has no text of its own in the language tables; where a table gives none, the
// button keeps the platform's own text.
void SetTextIfPresent(QPushButton* button, const char* key) {
    const std::string text = GetText(key);
    if (text != key) {
        button->setText(QString::fromStdString(text));
    }
}

}  // namespace

CPropSheetSettings::CPropSheetSettings(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QString::fromStdString(GetMessageCaption() + " - " +
                                          GetText("IDS_TL_PROPSHEET_SETTINGS_TITLE")));
    setModal(true);

    m_general = new CPropPageGeneralSettings(this);
    m_playlist = new CPropPagePlaylist(this);
    m_fileTypes = new CPropPageFileTypes(this);
    m_mp3 = new CPropPageMP3(this);
    m_pages = {m_general, m_playlist, m_fileTypes, m_mp3};

    m_tree = new QTreeWidget(this);
    m_tree->setObjectName("pageTree");
    m_tree->setHeaderHidden(true);
    m_tree->setRootIsDecorated(false);
    m_tree->setColumnCount(1);
    m_tree->setIconSize(QSize(24, 24));
    m_tree->setSelectionMode(QAbstractItemView::SingleSelection);
    toolkit::PaintBackgroundBehindFrame(m_tree);
    m_stack = new QStackedWidget(this);
    int treeWidth = 0;
    for (CPropPage* page : m_pages) {
        auto* item = new QTreeWidgetItem(m_tree);
        item->setIcon(0, page->Icon());
        item->setText(0, QString::fromStdString(page->Title()));
        treeWidth = std::max(treeWidth, m_tree->fontMetrics().horizontalAdvance(item->text(0)));
        m_stack->addWidget(page);
        connect(page, &CPropPage::modified, this, &CPropSheetSettings::OnPageModified);
    }
    // As wide as the longest title needs, with room for the icon, the item's margins and a
    // vertical scroll bar; the page gets the rest.
    const int scrollBar = m_tree->style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    m_tree->setFixedWidth(treeWidth + m_tree->iconSize().width() + scrollBar +
                          toolkit::DialogUnitsToPixels(m_tree, 16, 0).width());

    m_pageTitle = new QLabel(this);
    m_pageTitle->setObjectName("pageTitle");
    m_pageTitle->setTextFormat(Qt::PlainText);
    QFont titleFont = m_pageTitle->font();
    titleFont.setBold(true);
    titleFont.setPointSizeF(titleFont.pointSizeF() * 1.25);
    m_pageTitle->setFont(titleFont);
    auto* titleLine = new QFrame(this);
    titleLine->setFrameShape(QFrame::HLine);
    titleLine->setFrameShadow(QFrame::Sunken);

    auto* buttons = new QDialogButtonBox(this);
    m_ok = buttons->addButton(QDialogButtonBox::Ok);
    m_cancel = buttons->addButton(QDialogButtonBox::Cancel);
    m_apply = buttons->addButton(QDialogButtonBox::Apply);
    SetTextIfPresent(m_ok, "IDS_OK");
    SetTextIfPresent(m_cancel, "IDS_CANCEL");
    SetTextIfPresent(m_apply, "IDS_APPLY");
    m_apply->setEnabled(false);
    connect(m_ok, &QPushButton::clicked, this, &CPropSheetSettings::accept);
    connect(m_cancel, &QPushButton::clicked, this, &CPropSheetSettings::reject);
    connect(m_apply, &QPushButton::clicked, this, &CPropSheetSettings::OnApplyClicked);

    auto* right = new QVBoxLayout;
    right->addWidget(m_pageTitle);
    right->addWidget(titleLine);
    right->addWidget(m_stack, 1);
    auto* top = new QHBoxLayout;
    top->addWidget(m_tree);
    top->addLayout(right, 1);
    auto* outer = new QVBoxLayout(this);
    outer->addLayout(top, 1);
    outer->addWidget(buttons);

    // A reset has rewritten the store; closing as if cancelled keeps every page from
    // writing the values it still shows over the reset ones.
    connect(m_general, &CPropPageGeneralSettings::settingsReset, this, &CPropSheetSettings::reject);

    // F1 anywhere inside the sheet opens the help.
    toolkit::AnswerHelpKey(this);

    connect(m_tree, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* item) {
        if (item != nullptr) {
            SelectPage(m_tree->indexOfTopLevelItem(item));
        }
    });
    SelectPage(kGeneralSettings);
}

CPropSheetSettings::~CPropSheetSettings() = default;

CPropSheetSettings::Outcome CPropSheetSettings::Run(QWidget* parent) {
    Outcome outcome;
    outcome.languageBefore = GetLanguageCode();
    CPropSheetSettings sheet(parent);
    outcome.accepted = sheet.exec() == QDialog::Accepted;
    outcome.languageAfter = GetLanguageCode();
    return outcome;
}

void CPropSheetSettings::SelectPage(int page) {
    if (page < 0 || page >= kPageCount) {
        return;
    }
    m_pages[page]->Initialize();
    m_stack->setCurrentIndex(page);
    m_pageTitle->setText(QString::fromStdString(m_pages[page]->Title()));
    QTreeWidgetItem* item = m_tree->topLevelItem(page);
    if (m_tree->currentItem() != item) {
        m_tree->setCurrentItem(item);
    }
}

int CPropSheetSettings::CurrentPage() const {
    return m_stack->currentIndex();
}

void CPropSheetSettings::ApplyPages() {
    for (CPropPage* page : m_pages) {
        page->Apply();
    }
}

void CPropSheetSettings::accept() {
    ApplyPages();
    QDialog::accept();
}

void CPropSheetSettings::OnApplyClicked() {
    ApplyPages();
    m_apply->setEnabled(false);
}

void CPropSheetSettings::OnPageModified() {
    m_apply->setEnabled(true);
}
