#pragma once

#include <string>

#include "ui/settings_sheet/prop_page.h"

class QButtonGroup;
class QCheckBox;

// "Playlist Details": where new entries are inserted, absolute or relative entry paths, and
// the automatic playlist name and save location after "Add folder".
class CPropPagePlaylist : public CPropPage {
    Q_OBJECT

public:
    explicit CPropPagePlaylist(QWidget* parent = nullptr);

    // The positions of the insert position buttons and of the save mode buttons.
    enum InsertPosition { kTop = 0, kBeforeSelection = 1, kAfterSelection = 2, kBottom = 3 };
    enum SaveMode { kAbsolute = 0, kRelative = 1 };

    // The stored texts and the button positions. The comparison is exact: any text other
    // than the three named positions means the end of the list, any text other than
    // "Absolute" means relative paths.
    static int InsertPositionIndex(const std::string& stored);
    static std::string InsertPositionText(int index);
    static int SaveModeIndex(const std::string& stored);
    static std::string SaveModeText(int index);

protected:
    void OnInitPage() override;
    void OnApply() override;

private:
    QButtonGroup* m_insertPosition;
    QButtonGroup* m_saveMode;
    QCheckBox* m_autoName;
    QCheckBox* m_autoFolder;
};
