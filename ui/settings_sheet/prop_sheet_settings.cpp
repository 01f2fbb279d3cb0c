#include "ui/settings_sheet/prop_sheet_settings.h"

#include <QBoxLayout>
#include <QDialogButtonBox>
#include <QFrame>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QShortcut>
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
#include "ui/toolkit/user_interaction.h"

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

    general_ = new CPropPageGeneralSettings(this);
    playlist_ = new CPropPagePlaylist(this);
    fileTypes_ = new CPropPageFileTypes(this);
    mp3_ = new CPropPageMP3(this);
    pages_ = {general_, playlist_, fileTypes_, mp3_};

    tree_ = new QTreeWidget(this);
    tree_->setObjectName("pageTree");
    tree_->setHeaderHidden(true);
    tree_->setRootIsDecorated(false);
    tree_->setColumnCount(1);
    tree_->setIconSize(QSize(24, 24));
    tree_->setSelectionMode(QAbstractItemView::SingleSelection);
    stack_ = new QStackedWidget(this);
    int treeWidth = 0;
    for (CPropPage* page : pages_) {
        auto* item = new QTreeWidgetItem(tree_);
        item->setIcon(0, page->Icon());
        item->setText(0, QString::fromStdString(page->Title()));
        treeWidth = std::max(treeWidth, tree_->fontMetrics().horizontalAdvance(item->text(0)));
        stack_->addWidget(page);
        connect(page, &CPropPage::modified, this, &CPropSheetSettings::OnPageModified);
    }
    // As wide as the longest title needs, with room for the icon, the item's margins and a
    // vertical scroll bar; the page gets the rest.
    const int scrollBar = tree_->style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    tree_->setFixedWidth(treeWidth + tree_->iconSize().width() + scrollBar +
                         DialogUnitsToPixels(tree_, 16, 0).width());

    pageTitle_ = new QLabel(this);
    pageTitle_->setObjectName("pageTitle");
    pageTitle_->setTextFormat(Qt::PlainText);
    QFont titleFont = pageTitle_->font();
    titleFont.setBold(true);
    titleFont.setPointSizeF(titleFont.pointSizeF() * 1.25);
    pageTitle_->setFont(titleFont);
    auto* titleLine = new QFrame(this);
    titleLine->setFrameShape(QFrame::HLine);
    titleLine->setFrameShadow(QFrame::Sunken);

    auto* buttons = new QDialogButtonBox(this);
    ok_ = buttons->addButton(QDialogButtonBox::Ok);
    cancel_ = buttons->addButton(QDialogButtonBox::Cancel);
    apply_ = buttons->addButton(QDialogButtonBox::Apply);
    SetTextIfPresent(ok_, "IDS_OK");
    SetTextIfPresent(cancel_, "IDS_CANCEL");
    SetTextIfPresent(apply_, "IDS_APPLY");
    apply_->setEnabled(false);
    connect(ok_, &QPushButton::clicked, this, &CPropSheetSettings::accept);
    connect(cancel_, &QPushButton::clicked, this, &CPropSheetSettings::reject);
    connect(apply_, &QPushButton::clicked, this, &CPropSheetSettings::OnApplyClicked);

    auto* right = new QVBoxLayout;
    right->addWidget(pageTitle_);
    right->addWidget(titleLine);
    right->addWidget(stack_, 1);
    auto* top = new QHBoxLayout;
    top->addWidget(tree_);
    top->addLayout(right, 1);
    auto* outer = new QVBoxLayout(this);
    outer->addLayout(top, 1);
    outer->addWidget(buttons);

    // A reset has rewritten the store; closing as if cancelled keeps every page from
    // writing the values it still shows over the reset ones.
    connect(general_, &CPropPageGeneralSettings::settingsReset, this, &CPropSheetSettings::reject);

    // F1 anywhere inside the sheet opens the help.
    auto* help = new QShortcut(QKeySequence(Qt::Key_F1), this);
    help->setContext(Qt::WindowShortcut);
    connect(help, &QShortcut::activated, this, [] { ShowHelp(); });

    connect(tree_, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* item) {
        if (item != nullptr) {
            SelectPage(tree_->indexOfTopLevelItem(item));
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
    pages_[page]->Initialize();
    stack_->setCurrentIndex(page);
    pageTitle_->setText(QString::fromStdString(pages_[page]->Title()));
    QTreeWidgetItem* item = tree_->topLevelItem(page);
    if (tree_->currentItem() != item) {
        tree_->setCurrentItem(item);
    }
}

int CPropSheetSettings::CurrentPage() const {
    return stack_->currentIndex();
}

void CPropSheetSettings::ApplyPages() {
    for (CPropPage* page : pages_) {
        page->Apply();
    }
}

void CPropSheetSettings::accept() {
    ApplyPages();
    QDialog::accept();
}

void CPropSheetSettings::OnApplyClicked() {
    ApplyPages();
    apply_->setEnabled(false);
}

void CPropSheetSettings::OnPageModified() {
    apply_->setEnabled(true);
}
