// The default file type lists live with the store because the first-run initialisation and
// the reset write them; the rest of the file type lists is in settings/file_types.
#include <string_view>

#include "platform/registry/registry.h"
#include "settings/file_types/file_types.h"
#include "settings/store/properties.h"

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

void WriteDefaultFileTypes() {
    namespace registry = platform::registry;
    const auto names = registry::SplitKeyPath(GetRegistryRoot(1) + "\\FileTypes");
    // All 42 values in one write: one flush instead of 42, and never half a list.
    registry::Update([&](registry::Key& root) {
        registry::Key& key = registry::CreateKey(root, *names);
        for (std::string_view type : kDefaultActive) {
            key.SetValue(type, registry::Value::Text("1"));
        }
        for (std::string_view type : kDefaultInactive) {
            key.SetValue(type, registry::Value::Text("0"));
        }
        return true;
    });
}
