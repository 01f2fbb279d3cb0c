#include "settings/language/language.h"

#include <memory>
#include <mutex>

#include "platform/resources/resources.h"
#include "settings/language/language_table.h"
#include "settings/store/properties.h"

namespace {

// The table in use. Lookups copy the pointer under the mutex and read the table outside
// it; a reload builds a new table and swaps the pointer, so a thread that is still reading
// the old one keeps it alive. The creation worker may thus look texts up at any time.
std::mutex gMutex;
std::shared_ptr<const LanguageTable> gTable;

LanguageTable LoadTable() {
    // The code is used as stored: a code without a table of its own falls back to English.
    auto bytes = platform::FindResource("TEXTSTRINGTABLE", "LANGUAGE_" + GetLanguageCode());
    if (!bytes) {
        bytes = platform::FindResource("TEXTSTRINGTABLE", "LANGUAGE_EN");
    }
    return bytes ? ParseLanguageTable(*bytes) : LanguageTable();
}

std::shared_ptr<const LanguageTable> CurrentTable(bool reload) {
    std::lock_guard lock(gMutex);
    // An empty table is loaded again on every lookup, as when no table could be found.
    if (reload || gTable == nullptr || gTable->empty()) {
        gTable = std::make_shared<const LanguageTable>(LoadTable());
    }
    return gTable;
}

}  // namespace

std::string GetText(const std::string& key, bool reload) {
    const std::shared_ptr<const LanguageTable> table = CurrentTable(reload);
    const auto it = table->find(key);
    if (it == table->end() || it->second.empty()) {
        return key;
    }
    return it->second;
}

void ReloadTexts() {
    CurrentTable(true);
}

std::string GetMessageCaption() {
    return GetText("IDS_APPNAME_FULL") + " " + GetVersionText(3);
}
