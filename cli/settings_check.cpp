#include "cli/settings_check.h"

#include <stdio.h>

#include <string>

#include "settings/language/language.h"
#include "settings/placeholders/placeholders.h"
#include "settings/store/properties.h"

bool StartSettingsForCommandLine(const char* program, std::string* unreadable) {
    using Finding = platform::registry::HiveCheck::Finding;
    const platform::registry::HiveCheck check = StartSettings();
    const char* key = nullptr;
    switch (check.finding) {
        case Finding::kUsable:
            return true;
        case Finding::kDamagedKeptAside:
            key = "IDS_TL_CLI_WARN_SETTINGS_FILE_DAMAGED";
            break;
        case Finding::kExportConverted:
            key = "IDS_TL_CLI_WARN_SETTINGS_FILE_CONVERTED";
            break;
        case Finding::kUnreadable:
            key = "IDS_TL_CLI_ERR_SETTINGS_FILE_UNREADABLE";
            break;
    }
    const std::string text =
        ReplaceTags(GetText(key), "FILEPATH", check.file, "COPYPATH", check.copy);
    if (check.finding == Finding::kUnreadable) {
        *unreadable = text;
        return false;
    }
    fprintf(stderr, "%s: %s\n", program, text.c_str());
    fflush(stderr);
    return true;
}
