// The operations on the settings store as a whole.
#include "platform/registry/registry.h"
#include "settings/store/hive_properties.h"
#include "settings/store/properties.h"

namespace registry = platform::registry;

namespace {

// The sections that a reset deletes, in this order; the values directly in the application
// key and the usage counters of "Donations" stay.
constexpr std::string_view kResetSections[] = {"GeneralSettings", "Playlist", "FileTypes", "MP3"};

}  // namespace

void ChooseInitialLanguage() {
    registry::Update([](registry::Key& root) {
        store::ChooseInitialLanguageIn(root);
        return true;
    });
}

void InitializeFirstRun() {
    registry::Update([](registry::Key& root) {
        store::ChooseInitialLanguageIn(root);
        store::WriteDefaultFileTypesIn(root);
        return true;
    });
}

void ResetSettings() {
    // A killed program must never leave the sections deleted and the file types not yet
    // written: "Add files" would refuse everything from then on, and nothing would set the
    // types up again, since the first run is over.
    registry::Update([](registry::Key& root) {
        registry::Key& application = store::SectionKey(root, "");
        for (std::string_view section : kResetSections) {
            application.RemoveSubkey(section);
        }
        store::ChooseInitialLanguageIn(root);
        store::WriteDefaultFileTypesIn(root);
        return true;
    });
}

registry::HiveCheck StartSettings() {
    const registry::HiveCheck check = registry::CheckHiveFile();
    if (check.finding != registry::HiveCheck::Finding::kUnreadable &&
        GetPropertyInt(property::kFirstTimeInitComplete) == 0) {
        registry::Update([](registry::Key& root) {
            // Looked at again under the lock: another program starting at the same moment
            // may have been first.
            const auto done = store::StoredInt(
                store::StoredValue(root, property::kFirstTimeInitComplete.descriptor));
            if (done.value_or(0) != 0) {
                return false;
            }
            store::ChooseInitialLanguageIn(root);
            store::WriteDefaultFileTypesIn(root);
            store::SetPropertyIn(root, property::kFirstTimeInitComplete.descriptor,
                                 registry::Value::Dword(1));
            return true;
        });
    }
    return check;
}
