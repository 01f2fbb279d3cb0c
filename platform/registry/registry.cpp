#include "platform/registry/registry.h"

#include <atomic>

#include "platform/registry/hive_file.h"

namespace platform::registry {
namespace {

constexpr std::string_view kFileName = "HKEY_CURRENT_USER.reg";
// The names of the copies that a write keeps before it replaces a file.
constexpr std::string_view kDamagedCopy = "corrupt";
constexpr std::string_view kExportCopy = "windows-export";

std::atomic<bool> gSyncWrites{true};

// The part of the hive that a read of the key at names needs, as readers see it: nullopt
// when the file exists but cannot be read or is no hive.
std::optional<Key> ReadHiveFor(const std::vector<std::string>& names) {
    LoadedHive loaded = LoadHive(HiveFilePath(), &names);
    switch (loaded.state) {
        case FileState::kMissing:
        case FileState::kParsed:
        case FileState::kForeign:
            return std::move(loaded.root);
        case FileState::kCorrupt:
        case FileState::kUnreadable:
            break;
    }
    return std::nullopt;
}

enum class Change { kFailed, kUnchanged, kChanged };

// The copy of a file that a write kept aside before it replaced the file.
struct KeptCopy {
    std::string path;
    bool wasExport = false;
};

struct ModifyOptions {
    // Whether a file that is no hive, or a Windows export, may be kept aside and replaced.
    // A mere read never does that.
    bool keepAside = true;
    WriterLock::Wait wait = WriterLock::Wait::kUpToTimeLimit;
    // Where the copy of a file kept aside went, when the caller wants to know.
    KeptCopy* copy = nullptr;
};

// The one way the hive file is written: lock, read again, change, store.
bool Modify(const std::function<Change(Key&)>& change, const ModifyOptions& options = {}) {
    const std::string folder = HiveFolder();
    if (!MakeFolders(folder)) {
        return false;
    }
    const std::string file = folder + "/" + std::string(kFileName);
    const WriterLock lock(file, options.wait);
    if (!lock.Held()) {
        return false;
    }
    LoadedHive loaded = LoadHive(file);
    bool mustStore = false;
    switch (loaded.state) {
        case FileState::kUnreadable:
            return false;
        case FileState::kCorrupt:
        case FileState::kForeign: {
            // Kept aside only when it can also be replaced, or the next write would make
            // another copy of the same bytes.
            if (!options.keepAside || !MayReplace(file)) {
                return false;
            }
            const std::string copy =
                KeepAside(file, loaded.state == FileState::kCorrupt ? kDamagedCopy : kExportCopy,
                          loaded.bytes);
            if (copy.empty()) {
                return false;
            }
            if (options.copy != nullptr) {
                *options.copy = KeptCopy{copy, loaded.state == FileState::kForeign};
            }
            // The copy is safe; storing the hive now keeps the next write from copying the
            // same bytes again.
            mustStore = true;
            break;
        }
        case FileState::kMissing:
        case FileState::kParsed:
            break;
    }
    const Change result = change(loaded.root);
    if (!HasWritableNames(loaded.root)) {
        return false;
    }
    if (result == Change::kChanged || mustStore) {
        if (!StoreHive(file, loaded.root, gSyncWrites.load(std::memory_order_relaxed))) {
            return false;
        }
    }
    return result != Change::kFailed;
    // The lock goes with the descriptor.
}

bool CreateKeyAt(const std::vector<std::string>& names, const ModifyOptions& options) {
    // Most calls find the key present and need no lock and no write.
    const LoadedHive loaded = LoadHive(HiveFilePath(), &names);
    switch (loaded.state) {
        case FileState::kUnreadable:
            return false;
        case FileState::kCorrupt:
        case FileState::kForeign:
            if (!options.keepAside && loaded.state == FileState::kCorrupt) {
                return false;
            }
            break;
        case FileState::kParsed:
        case FileState::kMissing:
            if (FindKey(loaded.root, names) != nullptr) {
                return true;
            }
            break;
    }
    return Modify(
        [&](Key& root) {
            if (FindKey(root, names) != nullptr) {
                return Change::kUnchanged;
            }
            registry::CreateKey(root, names);
            return Change::kChanged;
        },
        options);
}

}  // namespace

std::string HiveFilePath() {
    return HiveFolder() + "/" + std::string(kFileName);
}

bool KeyExists(std::string_view path) {
    const auto names = SplitKeyPath(path);
    const auto root = names ? ReadHiveFor(*names) : std::nullopt;
    return root && FindKey(*root, *names) != nullptr;
}

bool CreateKey(std::string_view path, bool repairCorrupt) {
    const auto names = SplitKeyPath(path);
    return names && CreateKeyAt(*names, ModifyOptions{repairCorrupt});
}

std::optional<Value> QueryValue(std::string_view path, std::string_view name,
                                bool createMissingKey) {
    const auto names = SplitKeyPath(path);
    const auto root = names ? ReadHiveFor(*names) : std::nullopt;
    if (!root) {
        return std::nullopt;
    }
    const Key* key = FindKey(*root, *names);
    if (key == nullptr && createMissingKey) {
        // Creating the key is a side effect of the read, as opening a key for reading and
        // writing has it; it neither waits for a busy writer nor sets a file aside.
        CreateKeyAt(*names, ModifyOptions{false, WriterLock::Wait::kNone});
        return std::nullopt;
    }
    const NamedValue* value = key ? key->FindValue(name) : nullptr;
    if (value == nullptr) {
        return std::nullopt;
    }
    return value->value;
}

bool SetValue(std::string_view path, std::string_view name, const Value& value) {
    const auto names = SplitKeyPath(path);
    if (!names || !IsValidValueName(name)) {
        return false;
    }
    return Modify([&](Key& root) {
        registry::CreateKey(root, *names).SetValue(name, value);
        return Change::kChanged;
    });
}

bool DeleteValue(std::string_view path, std::string_view name) {
    const auto names = SplitKeyPath(path);
    if (!names) {
        return false;
    }
    return Modify([&](Key& root) {
        Key* key = FindKey(root, *names);
        return key != nullptr && key->RemoveValue(name) ? Change::kChanged : Change::kFailed;
    });
}

bool DeleteKey(std::string_view path) {
    const auto names = SplitKeyPath(path);
    if (!names) {
        return false;
    }
    return Modify([&](Key& root) {
        return registry::DeleteKey(root, *names) ? Change::kChanged : Change::kFailed;
    });
}

std::optional<std::vector<std::string>> EnumSubkeys(std::string_view path) {
    const auto names = SplitKeyPath(path);
    const auto root = names ? ReadHiveFor(*names) : std::nullopt;
    const Key* key = root ? FindKey(*root, *names) : nullptr;
    if (key == nullptr) {
        return std::nullopt;
    }
    std::vector<std::string> result;
    for (const Key& subkey : key->subkeys) {
        result.push_back(subkey.name);
    }
    return result;
}

std::optional<std::vector<NamedValue>> EnumValues(std::string_view path) {
    const auto names = SplitKeyPath(path);
    const auto root = names ? ReadHiveFor(*names) : std::nullopt;
    const Key* key = root ? FindKey(*root, *names) : nullptr;
    if (key == nullptr) {
        return std::nullopt;
    }
    return key->values;
}

bool Update(const std::function<bool(Key& root)>& change) {
    return Modify([&](Key& root) { return change(root) ? Change::kChanged : Change::kFailed; });
}

HiveCheck CheckHiveFile() {
    HiveCheck check;
    check.file = HiveFilePath();
    // What the file is shows without building its keys.
    const std::vector<std::string> rootOnly;
    const FileState state = LoadHive(check.file, &rootOnly).state;
    switch (state) {
        case FileState::kMissing:
        case FileState::kParsed:
            return check;
        case FileState::kUnreadable:
            check.finding = HiveCheck::Finding::kUnreadable;
            return check;
        case FileState::kCorrupt:
        case FileState::kForeign:
            break;
    }
    KeptCopy kept;
    const bool stored = Modify([](Key&) { return Change::kUnchanged; },
                               ModifyOptions{true, WriterLock::Wait::kUpToTimeLimit, &kept});
    if (stored && !kept.path.empty()) {
        check.finding = kept.wasExport ? HiveCheck::Finding::kExportConverted
                                       : HiveCheck::Finding::kDamagedKeptAside;
        check.copy = kept.path;
    } else if (!stored && state == FileState::kCorrupt) {
        // Nothing can be read from it, and nothing written until it is kept aside.
        check.finding = HiveCheck::Finding::kUnreadable;
    }
    // Otherwise another program has just done the same, or an export that cannot be
    // replaced now is read as it is.
    return check;
}

void SetSyncWrites(bool enabled) {
    gSyncWrites.store(enabled, std::memory_order_relaxed);
}

}  // namespace platform::registry
