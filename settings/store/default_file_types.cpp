// The default file type lists live with the store because the first-run initialisation and
// the reset write them; the rest of the file type lists is in settings/file_types.
#include <string_view>

#include "platform/registry/registry.h"
#include "settings/file_types/file_types.h"
#include "settings/store/hive_properties.h"

namespace {

constexpr std::string_view kDefaultActive[] = {"cda", "mp3",  "ogg", "wav", "wma",
                                               "avi", "mpeg", "mpg", "wmv"};
constexpr std::string_view kDefaultInactive[] = {
    "669", "aac", "aif",  "aiff", "amf", "asf", "au",  "far", "it",  "itz", "kar",
    "m4a", "mid", "midi", "miz",  "mod", "mp1", "mp2", "mtm", "nst", "okt", "rmi",
    "s3m", "s3z", "snd",  "stz",  "ult", "voc", "xm",  "xmz", "m2v", "mp4", "nsv"};

}  // namespace

void GetDefaultActiveFileTypes(FileTypeList& list) {
    list.insert(list.end(), std::begin(kDefaultActive), std::end(kDefaultActive));
}

void GetDefaultInactiveFileTypes(FileTypeList& list) {
    list.insert(list.end(), std::begin(kDefaultInactive), std::end(kDefaultInactive));
}

void store::WriteDefaultFileTypesIn(platform::registry::Key& root) {
    namespace registry = platform::registry;
    registry::Key& key = SectionKey(root, "FileTypes");
    for (std::string_view type : kDefaultActive) {
        key.SetValue(type, registry::Value::Text("1"));
    }
    for (std::string_view type : kDefaultInactive) {
        key.SetValue(type, registry::Value::Text("0"));
    }
}

void WriteDefaultFileTypes() {
    // All 42 values in one write: one flush instead of 42, and never half a list.
    platform::registry::Update([](platform::registry::Key& root) {
        store::WriteDefaultFileTypesIn(root);
        return true;
    });
}
