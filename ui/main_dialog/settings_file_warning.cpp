#include "ui/main_dialog/settings_file_warning.h"

#include <QPointer>
#include <QTimer>
#include <QWidget>

#include "settings/language/language.h"
#include "settings/placeholders/placeholders.h"
#include "ui/toolkit/user_interaction.h"

void WarnAboutSettingsFile(QWidget* owner, const platform::registry::HiveCheck& check) {
    using Finding = platform::registry::HiveCheck::Finding;
    const char* key = nullptr;
    switch (check.finding) {
        case Finding::kUsable:
            return;
        case Finding::kDamagedKeptAside:
            key = "IDS_TL_MB_SETTINGS_FILE_DAMAGED";
            break;
        case Finding::kExportConverted:
            key = "IDS_TL_MB_SETTINGS_FILE_CONVERTED";
            break;
        case Finding::kUnreadable:
            key = "IDS_TL_MB_SETTINGS_FILE_UNREADABLE";
            break;
    }
    const std::string text =
        ReplaceTags(GetText(key), "FILEPATH", check.file, "COPYPATH", check.copy);
    // Queued, so that the window is on the screen when the warning comes up over it.
    QTimer::singleShot(0, owner, [owner, text] {
        toolkit::ShowMessage(owner, text, toolkit::MessageIcon::Exclamation);
    });
}
