#pragma once

#include <string>
#include <vector>

#include "ui/settings_sheet/prop_page.h"

class QLineEdit;
class QListWidget;
class QPushButton;

// "File Types": moves types between the active and the inactive list, creates new types and
// deletes inactive ones. The page edits copies; the store changes only when it is applied.
class CPropPageFileTypes : public CPropPage {
    Q_OBJECT

public:
    explicit CPropPageFileTypes(QWidget* parent = nullptr);

    // The commands of the page's buttons and double clicks.
    void Activate(bool quiet);
    void Deactivate(bool quiet);
    void CreateFileType();
    void DeleteFileType();

    // The lists as displayed, top to bottom.
    std::vector<std::string> ActiveTypes() const;
    std::vector<std::string> InactiveTypes() const;

    // Inserts text into list at its alphabetical place, letter case ignored; equal texts
    // keep the order in which they came. The list's selection stays on the same item.
    // Returns the row of the new item.
    static int InsertSorted(QListWidget* list, const QString& text);

protected:
    void OnInitPage() override;
    // Enter in the new-type field creates the type instead of confirming the whole sheet.
    bool eventFilter(QObject* watched, QEvent* event) override;
    void OnApply() override;

private:
    QListWidget* m_active;
    QListWidget* m_inactive;
    QLineEdit* m_newType;
    QPushButton* m_add;
    QPushButton* m_remove;
    QPushButton* m_create;
    QPushButton* m_delete;
};
