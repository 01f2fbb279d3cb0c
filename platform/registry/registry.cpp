#include "platform/registry/registry.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <ctime>

namespace platform::registry {
namespace {

constexpr std::string_view kFileName = "HKEY_CURRENT_USER.reg";

std::atomic<bool> gSyncWrites{true};

std::string ConfigHome() {
    // A relative XDG_CONFIG_HOME is invalid by the base directory rules and is ignored.
    const char* xdg = std::getenv("XDG_CONFIG_HOME");
    if (xdg != nullptr && xdg[0] == '/') {
        return xdg;
    }
    const char* home = std::getenv("HOME");
    if (home != nullptr && home[0] != '\0') {
        return std::string(home) + "/.config";
    }
    // getpwuid_r keeps this usable from several threads.
    struct passwd entry;
    struct passwd* found = nullptr;
    char buffer[4096];
    if (getpwuid_r(getuid(), &entry, buffer, sizeof buffer, &found) == 0 && found != nullptr) {
        return std::string(found->pw_dir) + "/.config";
    }
    return "/.config";
}

std::string HiveFolder() {
    return ConfigHome() + "/Wendmark";
}

class FileDescriptor {
public:
    explicit FileDescriptor(int fd) : m_fd(fd) {}
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    ~FileDescriptor() {
        if (m_fd >= 0) {
            ::close(m_fd);
        }
    }
    int get() const { return m_fd; }
    // Closes now and tells whether the close succeeded (a failed close can lose data).
    bool Close() {
        const int fd = m_fd;
        m_fd = -1;
        return fd < 0 || ::close(fd) == 0;
    }

private:
    int m_fd;
};

bool WriteAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

bool MakeDirectories(const std::string& path) {
    for (std::size_t pos = 1; pos <= path.size(); ++pos) {
        if (pos == path.size() || path[pos] == '/') {
            const std::string prefix = path.substr(0, pos);
            if (::mkdir(prefix.c_str(), 0700) != 0 && errno != EEXIST) {
                return false;
            }
        }
    }
    struct stat info;
    return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

void SyncFolder(const std::string& folder) {
    FileDescriptor fd(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (fd.get() >= 0) {
        ::fsync(fd.get());
    }
}

std::string FolderOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == 0 ? "/" : path.substr(0, slash);
}

enum class FileState { kMissing, kParsed, kCorrupt, kUnreadable };

struct Loaded {
    FileState state = FileState::kUnreadable;
    Key root{std::string(kHiveName), {}, {}};
    std::string bytes;
};

Loaded Load(const std::string& file) {
    Loaded loaded;
    FileDescriptor fd(::open(file.c_str(), O_RDONLY | O_CLOEXEC));
    if (fd.get() < 0) {
        loaded.state = errno == ENOENT ? FileState::kMissing : FileState::kUnreadable;
        return loaded;
    }
    struct stat info;
    if (::fstat(fd.get(), &info) != 0 || !S_ISREG(info.st_mode)) {
        return loaded;
    }
    loaded.bytes.reserve(static_cast<std::size_t>(info.st_size));
    char buffer[16384];
    while (true) {
        const ssize_t got = ::read(fd.get(), buffer, sizeof buffer);
        if (got < 0) {
            if (errno == EINTR) {
                continue;
            }
            return loaded;
        }
        if (got == 0) {
            break;
        }
        loaded.bytes.append(buffer, static_cast<std::size_t>(got));
    }
    if (auto root = ParseHive(loaded.bytes)) {
        loaded.root = std::move(*root);
        loaded.state = FileState::kParsed;
    } else {
        loaded.state = FileState::kCorrupt;
    }
    return loaded;
}

// A hive as readers see it: nullopt when the file exists but cannot be read or parsed.
std::optional<Key> ReadHive() {
    Loaded loaded = Load(HiveFilePath());
    if (loaded.state == FileState::kMissing || loaded.state == FileState::kParsed) {
        return std::move(loaded.root);
    }
    return std::nullopt;
}

// Keeps the bytes of a file that could not be parsed, under a name that no earlier copy has.
bool SetAside(const std::string& file, std::string_view bytes) {
    const std::time_t now = std::time(nullptr);
    struct tm local;
    char stamp[32] = "unknown";
    if (localtime_r(&now, &local) != nullptr) {
        std::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", &local);
    }
    const std::string base = file + ".corrupt-" + stamp;
    for (int attempt = 1; attempt < 1000; ++attempt) {
        const std::string name = attempt == 1 ? base : base + "-" + std::to_string(attempt);
        FileDescriptor fd(::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600));
        if (fd.get() < 0) {
            if (errno == EEXIST) {
                continue;
            }
            return false;
        }
        if (!WriteAll(fd.get(), bytes) || ::fsync(fd.get()) != 0 || !fd.Close()) {
            ::unlink(name.c_str());
            return false;
        }
        return true;
    }
    return false;
}

// The file that a write replaces: the target when the hive file is a symbolic link (kept in
// a dotfile repository, say), so that the link stays a link.
std::string ReplacedFile(const std::string& file) {
    struct stat info;
    if (::lstat(file.c_str(), &info) == 0 && S_ISLNK(info.st_mode)) {
        char resolved[PATH_MAX];
        if (::realpath(file.c_str(), resolved) != nullptr) {
            return resolved;
        }
    }
    return file;
}

bool StoreHive(const std::string& file, const Key& root) {
    const std::string target = ReplacedFile(file);
    const std::string temporary = target + ".tmp";
    mode_t mode = 0600;
    struct stat info;
    if (::stat(target.c_str(), &info) == 0) {
        mode = info.st_mode & 07777;
    }
    const bool sync = gSyncWrites.load(std::memory_order_relaxed);
    FileDescriptor fd(::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, mode));
    if (fd.get() < 0) {
        return false;
    }
    if (!WriteAll(fd.get(), SerializeHive(root)) || (sync && ::fsync(fd.get()) != 0) ||
        !fd.Close() || ::rename(temporary.c_str(), target.c_str()) != 0) {
        ::unlink(temporary.c_str());
        return false;
    }
    if (sync) {
        SyncFolder(FolderOf(target));
    }
    return true;
}

enum class Change { kFailed, kUnchanged, kChanged };

// The one way the hive file is written: lock, read again, change, store.
bool Modify(const std::function<Change(Key&)>& change, bool repairCorrupt = true) {
    const std::string folder = HiveFolder();
    if (!MakeDirectories(folder)) {
        return false;
    }
    const std::string file = folder + "/" + std::string(kFileName);
    FileDescriptor lock(::open((file + ".lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600));
    if (lock.get() < 0) {
        return false;
    }
    while (::flock(lock.get(), LOCK_EX) != 0) {
        if (errno != EINTR) {
            return false;
        }
    }
    Loaded loaded = Load(file);
    bool mustStore = false;
    switch (loaded.state) {
        case FileState::kUnreadable:
            return false;
        case FileState::kCorrupt:
            if (!repairCorrupt || !SetAside(file, loaded.bytes)) {
                return false;
            }
            // The copy is safe; storing the new hive now keeps the next write from copying
            // the same bytes again.
            mustStore = true;
            break;
        case FileState::kMissing:
        case FileState::kParsed:
            break;
    }
    const Change result = change(loaded.root);
    if (!HasWritableNames(loaded.root)) {
        return false;
    }
    if (result == Change::kChanged || mustStore) {
        if (!StoreHive(file, loaded.root)) {
            return false;
        }
    }
    return result != Change::kFailed;
    // The lock goes with the descriptor.
}

}  // namespace

std::string HiveFilePath() {
    return HiveFolder() + "/" + std::string(kFileName);
}

bool KeyExists(std::string_view path) {
    const auto names = SplitKeyPath(path);
    const auto root = ReadHive();
    return names && root && FindKey(*root, *names) != nullptr;
}

bool CreateKey(std::string_view path, bool repairCorrupt) {
    const auto names = SplitKeyPath(path);
    if (!names) {
        return false;
    }
    // Most calls find the key present and need no lock and no write.
    const Loaded loaded = Load(HiveFilePath());
    if (loaded.state == FileState::kUnreadable ||
        (loaded.state == FileState::kCorrupt && !repairCorrupt)) {
        return false;
    }
    if (loaded.state == FileState::kParsed && FindKey(loaded.root, *names) != nullptr) {
        return true;
    }
    return Modify(
        [&](Key& root) {
            if (FindKey(root, *names) != nullptr) {
                return Change::kUnchanged;
            }
            registry::CreateKey(root, *names);
            return Change::kChanged;
        },
        repairCorrupt);
}

std::optional<Value> QueryValue(std::string_view path, std::string_view name,
                                bool createMissingKey) {
    const auto names = SplitKeyPath(path);
    const auto root = ReadHive();
    if (!names || !root) {
        return std::nullopt;
    }
    const Key* key = FindKey(*root, *names);
    if (key == nullptr && createMissingKey) {
        CreateKey(path, false);
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
    const auto root = ReadHive();
    const Key* key = names && root ? FindKey(*root, *names) : nullptr;
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
    const auto root = ReadHive();
    const Key* key = names && root ? FindKey(*root, *names) : nullptr;
    if (key == nullptr) {
        return std::nullopt;
    }
    return key->values;
}

bool Update(const std::function<bool(Key& root)>& change) {
    return Modify([&](Key& root) { return change(root) ? Change::kChanged : Change::kFailed; });
}

void SetSyncWrites(bool enabled) {
    gSyncWrites.store(enabled, std::memory_order_relaxed);
}

}  // namespace platform::registry
