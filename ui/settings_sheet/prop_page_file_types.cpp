#include "ui/settings_sheet/prop_page_file_types.h"

#include <QBoxLayout>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <algorithm>

#include "settings/file_types/file_types.h"
#include "settings/language/language.h"
#include "ui/toolkit/frame_background.h"
#include "ui/toolkit/user_interaction.h"

namespace {

// Characters that cannot be part of a file name extension (the dot would start a new one).
constexpr std::string_view kInvalidCharacters = "\\/:*?\"<>|.";

// The stored lists are read back with a name buffer of 256 characters: a longer type would
// stop the reading there and lose every type stored after it.
constexpr int kMaxFileTypeLength = 255;

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
    toolkit::PaintBackgroundBehindFrame(list);
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

    auto* activeLabel = MakePlainLabel(toolkit::Text("IDS_TL_SETTINGS_FILE_TYPES_ACTIVE"), this);
    auto* inactiveLabel =
        MakePlainLabel(toolkit::Text("IDS_TL_SETTINGS_FILE_TYPES_INACTIVE"), this);
    m_active = MakeList(this, "activeTypes");
    m_inactive = MakeList(this, "inactiveTypes");
    activeLabel->setBuddy(m_active);
    inactiveLabel->setBuddy(m_inactive);

    m_add = new QPushButton(toolkit::Text("IDS_ADD_ARROW_LEFT"), this);
    m_add->setObjectName("activate");
    m_remove = new QPushButton(toolkit::Text("IDS_REMOVE_ARROW_RIGHT"), this);
    m_remove->setObjectName("deactivate");
    auto* moveButtons = new QVBoxLayout;
    moveButtons->addStretch(1);
    moveButtons->addWidget(m_add);
    moveButtons->addWidget(m_remove);
    moveButtons->addStretch(1);

    auto* newLabel = MakePlainLabel(toolkit::Text("IDS_TL_SETTINGS_FILE_TYPES_NEW_TITLE"), this);
    m_newType = new QLineEdit(this);
    m_newType->setObjectName("newType");
    m_newType->setMaxLength(kMaxFileTypeLength);
    newLabel->setBuddy(m_newType);
    m_newType->installEventFilter(this);
    m_create = new QPushButton(toolkit::Text("IDS_NEW"), this);
    m_create->setObjectName("create");
    auto* deleteLabel =
        MakePlainLabel(toolkit::Text("IDS_TL_SETTINGS_FILE_TYPES_DELETE_TITLE"), this);
    m_delete = new QPushButton(toolkit::Text("IDS_DELETE"), this);
    m_delete->setObjectName("delete");

    auto* rightColumn = new QVBoxLayout;
    rightColumn->addWidget(newLabel);
    auto* newRow = new QHBoxLayout;
    newRow->addWidget(m_newType, 1);
    newRow->addWidget(m_create);
    rightColumn->addLayout(newRow);
    rightColumn->addSpacing(toolkit::DialogUnitsToPixels(this, 0, 8).height());
    rightColumn->addWidget(deleteLabel);
    auto* deleteRow = new QHBoxLayout;
    deleteRow->addWidget(m_delete);
    deleteRow->addStretch(1);
    rightColumn->addLayout(deleteRow);
    rightColumn->addStretch(1);

    grid->addWidget(activeLabel, 0, 0);
    grid->addWidget(inactiveLabel, 0, 2);
    grid->addWidget(m_active, 1, 0);
    grid->addLayout(moveButtons, 1, 1);
    grid->addWidget(m_inactive, 1, 2);
    grid->addLayout(rightColumn, 1, 3);
    grid->setColumnStretch(0, 2);
    grid->setColumnStretch(2, 2);
    grid->setColumnStretch(3, 3);
    grid->setColumnMinimumWidth(3, toolkit::DialogUnitsToPixels(this, 110, 0).width());

    for (QPushButton* button : {m_add, m_remove, m_create, m_delete}) {
        // Enter keeps confirming the whole sheet, as in every dialog (the new-type field
        // takes it for itself, see eventFilter).
        button->setAutoDefault(false);
    }
    connect(m_add, &QPushButton::clicked, this, [this] { Activate(false); });
    connect(m_remove, &QPushButton::clicked, this, [this] { Deactivate(false); });
    connect(m_inactive, &QListWidget::itemDoubleClicked, this, [this] { Activate(true); });
    connect(m_active, &QListWidget::itemDoubleClicked, this, [this] { Deactivate(true); });
    connect(m_create, &QPushButton::clicked, this, &CPropPageFileTypes::CreateFileType);
    connect(m_delete, &QPushButton::clicked, this, &CPropPageFileTypes::DeleteFileType);
}

bool CPropPageFileTypes::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_newType && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            CreateFileType();
            return true;
        }
    }
    return CPropPage::eventFilter(watched, event);
}

void CPropPageFileTypes::OnInitPage() {
    FileTypeList active;
    FileTypeList inactive;
    LoadFileTypeLists(active, inactive);
    for (const std::string& type : active) {
        InsertSorted(m_active, QString::fromStdString(type));
    }
    for (const std::string& type : inactive) {
        InsertSorted(m_inactive, QString::fromStdString(type));
    }
    m_newType->clear();
}

void CPropPageFileTypes::OnApply() {
    SaveFileTypeLists(ActiveTypes(), InactiveTypes());
}

std::vector<std::string> CPropPageFileTypes::ActiveTypes() const {
    return Items(m_active);
}

std::vector<std::string> CPropPageFileTypes::InactiveTypes() const {
    return Items(m_inactive);
}

void CPropPageFileTypes::Activate(bool quiet) {
    if (MoveSelected(m_inactive, m_active)) {
        SetModified();
    } else if (!quiet) {
        PlaySystemSound(toolkit::kSystemHand);
    }
}

void CPropPageFileTypes::Deactivate(bool quiet) {
    if (!MoveSelected(m_active, m_inactive)) {
        if (!quiet) {
            PlaySystemSound(toolkit::kSystemHand);
        }
        return;
    }
    SetModified();
    if (m_active->count() == 0) {
        // The move stands; the user is only told what an empty list means.
        Inform(this, "IDS_TL_MB_LAST_ACTIVE_FILE_TYPE_REMOVED");
    }
}

void CPropPageFileTypes::CreateFileType() {
    // Taken as typed: neither trimmed nor changed in letter case.
    const std::string type = m_newType->text().toStdString();
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
    if (Contains(m_active, type) || Contains(m_inactive, type)) {
        Inform(this, "IDS_TL_MB_ERR_FILE_TYPE_EXISTS");
        return;
    }
    const int row = InsertSorted(m_inactive, QString::fromStdString(type));
    m_inactive->setCurrentRow(row, QItemSelectionModel::ClearAndSelect);
    m_newType->clear();
    SetModified();
}

void CPropPageFileTypes::DeleteFileType() {
    const int row = SelectedRow(m_inactive);
    if (row < 0) {
        Inform(this, "IDS_TL_MB_ERR_NO_FILE_TYPE_SELECTED");
        return;
    }
    delete m_inactive->takeItem(row);
    SelectAfterRemoval(m_inactive, row);
    SetModified();
}
