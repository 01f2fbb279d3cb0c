#include "ui/settings_sheet/prop_page_file_types.h"

#include <QBoxLayout>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <algorithm>

#include "settings/file_types/file_types.h"
#include "settings/language/language.h"
#include "ui/toolkit/user_interaction.h"

namespace {

// Characters that cannot be part of a file name extension (the dot would start a new one).
constexpr std::string_view kInvalidCharacters = "\\/:*?\"<>|.";

// The stored lists are read back with a name buffer of 256 characters: a longer type would
// stop the reading there and lose every type stored after it.
constexpr int kMaxFileTypeLength = 255;

// The one sound of a command that cannot be carried out.
constexpr int kSystemHand = 3;

void Inform(QWidget* owner, const char* key) {
    toolkit::ShowMessage(owner, GetText(key), toolkit::MessageIcon::Information,
                         toolkit::MessageButtons::Ok);
}

std::vector<std::string> Items(const QListWidget* list) {
    std::vector<std::string> items;
    items.reserve(list->count());
    for (int i = 0; i < list->count(); ++i) {
        items.push_back(list->item(i)->text().toStdString());
    }
    return items;
}

int SelectedRow(const QListWidget* list) {
    const QList<QListWidgetItem*> selected = list->selectedItems();
    return selected.isEmpty() ? -1 : list->row(selected.front());
}

// After the item at row has gone: select the one that took its place, or the new last one;
// nothing when the list is empty now.
void SelectAfterRemoval(QListWidget* list, int row) {
    if (list->count() == 0) {
        list->clearSelection();
        return;
    }
    list->setCurrentRow(std::min(row, list->count() - 1), QItemSelectionModel::ClearAndSelect);
}

// The step shared by activating and deactivating; false when nothing moved.
bool MoveSelected(QListWidget* source, QListWidget* target) {
    const int row = SelectedRow(source);
    if (row < 0) {
        return false;
    }
    const QString text = source->item(row)->text();
    if (text.isEmpty()) {
        return false;
    }
    CPropPageFileTypes::InsertSorted(target, text);
    delete source->takeItem(row);
    SelectAfterRemoval(source, row);
    return true;
}

bool Contains(const QListWidget* list, const std::string& text) {
    for (int i = 0; i < list->count(); ++i) {
        if (list->item(i)->text().toStdString() == text) {
            return true;
        }
    }
    return false;
}

QListWidget* MakeList(QWidget* parent, const char* name) {
    auto* list = new QListWidget(parent);
    list->setObjectName(name);
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    list->setSortingEnabled(false);  // sorted by InsertSorted, letter case ignored
    return list;
}

}  // namespace

int CPropPageFileTypes::InsertSorted(QListWidget* list, const QString& text) {
    int row = 0;
    while (row < list->count() &&
           QString::compare(list->item(row)->text(), text, Qt::CaseInsensitive) <= 0) {
        ++row;
    }
    list->insertItem(row, text);
    return row;
}

CPropPageFileTypes::CPropPageFileTypes(QWidget* parent)
    : CPropPage("IDS_TL_PROPPAGE_FILE_TYPES_TITLE", "SHEET_FILE_TYPES", parent) {
    QBoxLayout* page = PageLayout();
    AddSectionHeading("IDS_TL_SETTINGS_FILE_TYPES_SEPARATOR");
    AddInfoText("IDS_TL_SETTINGS_FILE_TYPES_INFO");

    auto* grid = new QGridLayout;
    page->addLayout(grid, 1);

    auto* activeLabel = MakePlainLabel(Text("IDS_TL_SETTINGS_FILE_TYPES_ACTIVE"), this);
    auto* inactiveLabel = MakePlainLabel(Text("IDS_TL_SETTINGS_FILE_TYPES_INACTIVE"), this);
    active_ = MakeList(this, "activeTypes");
    inactive_ = MakeList(this, "inactiveTypes");
    activeLabel->setBuddy(active_);
    inactiveLabel->setBuddy(inactive_);

    add_ = new QPushButton(Text("IDS_ADD_ARROW_LEFT"), this);
    add_->setObjectName("activate");
    remove_ = new QPushButton(Text("IDS_REMOVE_ARROW_RIGHT"), this);
    remove_->setObjectName("deactivate");
    auto* moveButtons = new QVBoxLayout;
    moveButtons->addStretch(1);
    moveButtons->addWidget(add_);
    moveButtons->addWidget(remove_);
    moveButtons->addStretch(1);

    auto* newLabel = MakePlainLabel(Text("IDS_TL_SETTINGS_FILE_TYPES_NEW_TITLE"), this);
    newType_ = new QLineEdit(this);
    newType_->setObjectName("newType");
    newType_->setMaxLength(kMaxFileTypeLength);
    newLabel->setBuddy(newType_);
    create_ = new QPushButton(Text("IDS_NEW"), this);
    create_->setObjectName("create");
    auto* deleteLabel = MakePlainLabel(Text("IDS_TL_SETTINGS_FILE_TYPES_DELETE_TITLE"), this);
    delete_ = new QPushButton(Text("IDS_DELETE"), this);
    delete_->setObjectName("delete");

    auto* rightColumn = new QVBoxLayout;
    rightColumn->addWidget(newLabel);
    auto* newRow = new QHBoxLayout;
    newRow->addWidget(newType_, 1);
    newRow->addWidget(create_);
    rightColumn->addLayout(newRow);
    rightColumn->addSpacing(DialogUnitsToPixels(this, 0, 8).height());
    rightColumn->addWidget(deleteLabel);
    auto* deleteRow = new QHBoxLayout;
    deleteRow->addWidget(delete_);
    deleteRow->addStretch(1);
    rightColumn->addLayout(deleteRow);
    rightColumn->addStretch(1);

    grid->addWidget(activeLabel, 0, 0);
    grid->addWidget(inactiveLabel, 0, 2);
    grid->addWidget(active_, 1, 0);
    grid->addLayout(moveButtons, 1, 1);
    grid->addWidget(inactive_, 1, 2);
    grid->addLayout(rightColumn, 1, 3);
    grid->setColumnStretch(0, 2);
    grid->setColumnStretch(2, 2);
    grid->setColumnStretch(3, 3);
    grid->setColumnMinimumWidth(3, DialogUnitsToPixels(this, 110, 0).width());

    for (QPushButton* button : {add_, remove_, create_, delete_}) {
        // Enter keeps confirming the whole sheet, as in every dialog.
        button->setAutoDefault(false);
    }
    connect(add_, &QPushButton::clicked, this, [this] { Activate(false); });
    connect(remove_, &QPushButton::clicked, this, [this] { Deactivate(false); });
    connect(inactive_, &QListWidget::itemDoubleClicked, this, [this] { Activate(true); });
    connect(active_, &QListWidget::itemDoubleClicked, this, [this] { Deactivate(true); });
    connect(create_, &QPushButton::clicked, this, &CPropPageFileTypes::CreateFileType);
    connect(delete_, &QPushButton::clicked, this, &CPropPageFileTypes::DeleteFileType);
}

void CPropPageFileTypes::OnInitPage() {
    FileTypeList active;
    FileTypeList inactive;
    LoadFileTypeLists(active, inactive);
    for (const std::string& type : active) {
        InsertSorted(active_, QString::fromStdString(type));
    }
    for (const std::string& type : inactive) {
        InsertSorted(inactive_, QString::fromStdString(type));
    }
    newType_->clear();
}

void CPropPageFileTypes::OnApply() {
    SaveFileTypeLists(ActiveTypes(), InactiveTypes());
}

std::vector<std::string> CPropPageFileTypes::ActiveTypes() const {
    return Items(active_);
}

std::vector<std::string> CPropPageFileTypes::InactiveTypes() const {
    return Items(inactive_);
}

void CPropPageFileTypes::Activate(bool quiet) {
    if (MoveSelected(inactive_, active_)) {
        SetModified();
    } else if (!quiet) {
        PlaySystemSound(kSystemHand);
    }
}

void CPropPageFileTypes::Deactivate(bool quiet) {
    if (!MoveSelected(active_, inactive_)) {
        if (!quiet) {
            PlaySystemSound(kSystemHand);
        }
        return;
    }
    SetModified();
    if (active_->count() == 0) {
        // The move stands; the user is only told what an empty list means.
        Inform(this, "IDS_TL_MB_LAST_ACTIVE_FILE_TYPE_REMOVED");
    }
}

void CPropPageFileTypes::CreateFileType() {
    // Taken as typed: neither trimmed nor changed in letter case.
    const std::string type = newType_->text().toStdString();
    if (type.empty()) {
        Inform(this, "IDS_TL_MB_ERR_EMPTY_NEW_FILE_TYPE");
        return;
    }
    // All ten characters are ASCII, and no byte of a multi-byte UTF-8 character is, so a
    // byte search never finds one inside another character.
    if (type.find_first_of(kInvalidCharacters) != std::string::npos) {
        Inform(this, "IDS_TL_MB_ERR_INVALID_FILE_TYPE");
        return;
    }
    if (Contains(active_, type) || Contains(inactive_, type)) {
        Inform(this, "IDS_TL_MB_ERR_FILE_TYPE_EXISTS");
        return;
    }
    const int row = InsertSorted(inactive_, QString::fromStdString(type));
    inactive_->setCurrentRow(row, QItemSelectionModel::ClearAndSelect);
    newType_->clear();
    SetModified();
}

void CPropPageFileTypes::DeleteFileType() {
    const int row = SelectedRow(inactive_);
    if (row < 0) {
        Inform(this, "IDS_TL_MB_ERR_NO_FILE_TYPE_SELECTED");
        return;
    }
    delete inactive_->takeItem(row);
    SelectAfterRemoval(inactive_, row);
    SetModified();
}
