#include "platform/registry/hive_file.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdlib>
#include <ctime>
#include <thread>

namespace platform::registry {
namespace {

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
    // Hands the descriptor over; this object no longer closes it.
    int Release() {
        const int fd = m_fd;
        m_fd = -1;
        return fd;
    }

private:
    int m_fd;
};

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

// Everything from the descriptor; false on a read error.
bool ReadAll(int fd, std::string& bytes, std::size_t expectedSize) {
    bytes.reserve(expectedSize);
    char buffer[65536];
    while (true) {
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        if (got == 0) {
            return true;
        }
        bytes.append(buffer, static_cast<std::size_t>(got));
    }
}

void SyncFolder(const std::string& folder) {
    FileDescriptor fd(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (fd.get() >= 0) {
        ::fsync(fd.get());
    }
}

std::string FolderOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) {
        return ".";
    }
    return slash == 0 ? "/" : path.substr(0, slash);
}

// The file that a write replaces: the end of the chain when the hive file is a symbolic
// link (kept in a dotfile repository, say), even when that end does not exist yet, so that
// the link stays a link and a dangling one comes to point at the new file.
std::string ReplacedFile(const std::string& file) {
    std::string path = file;
    // As many links as the kernel follows; a longer chain is a loop, and the write then
    // fails as the read did.
    for (int hop = 0; hop < 40; ++hop) {
        struct stat info;
        if (::lstat(path.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) {
            return path;
        }
        char target[PATH_MAX];
        const ssize_t length = ::readlink(path.c_str(), target, sizeof target);
        if (length <= 0 || static_cast<std::size_t>(length) >= sizeof target) {
            return path;
        }
        const std::string link(target, static_cast<std::size_t>(length));
        path = link.front() == '/' ? link : FolderOf(path) + "/" + link;
    }
    return path;
}

// A file that its owner has made read-only, or that this user may not write, is left as
// it is: its permissions are the user's way of saying that the settings stay. The mode is
// looked at as well as the access check, which lets the superuser write anything.
bool MayReplaceTarget(const std::string& target) {
    struct stat info;
    if (::stat(target.c_str(), &info) != 0) {
        return errno == ENOENT;
    }
    return (info.st_mode & 0222) != 0 && ::access(target.c_str(), W_OK) == 0;
}

}  // namespace

std::string HiveFolder() {
    return ConfigHome() + "/Wendmark";
}

bool MakeFolders(const std::string& path) {
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

LoadedHive LoadHive(const std::string& file, const std::vector<std::string>* only) {
    LoadedHive loaded;
    // Only a regular file is opened: a FIFO would block the open or the read for ever, a
    // device could do anything. The descriptor is checked again, since the path may have
    // changed between the two looks, and O_NONBLOCK keeps even that case from blocking.
    struct stat info;
    if (::stat(file.c_str(), &info) != 0) {
        loaded.state = errno == ENOENT ? FileState::kMissing : FileState::kUnreadable;
        return loaded;
    }
    if (!S_ISREG(info.st_mode)) {
        return loaded;
    }
    FileDescriptor fd(::open(file.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    if (fd.get() < 0) {
        loaded.state = errno == ENOENT ? FileState::kMissing : FileState::kUnreadable;
        return loaded;
    }
    // A read of one key needs the bytes only while it parses them: they go into a buffer
    // that the thread keeps, so that reading a large file does not pay for fresh memory
    // each time. A whole load keeps its bytes, for a copy to keep aside.
    thread_local std::string readBuffer;
    std::string& bytes = only != nullptr ? readBuffer : loaded.bytes;
    bytes.clear();
    if (::fstat(fd.get(), &info) != 0 || !S_ISREG(info.st_mode) ||
        !ReadAll(fd.get(), bytes, static_cast<std::size_t>(info.st_size))) {
        return loaded;
    }
    auto parsed = only != nullptr ? ParseHiveFileFor(bytes, *only) : ParseHiveFile(bytes);
    if (!parsed) {
        loaded.state = FileState::kCorrupt;
        return loaded;
    }
    loaded.root = std::move(parsed->root);
    loaded.state =
        parsed->format == HiveFormat::kRegedit4 ? FileState::kParsed : FileState::kForeign;
    return loaded;
}

bool MayReplace(const std::string& file) {
    return MayReplaceTarget(ReplacedFile(file));
}

std::string KeepAside(const std::string& file, std::string_view kind, std::string_view bytes) {
    const std::time_t now = std::time(nullptr);
    struct tm local;
    char stamp[32] = "unknown";
    if (localtime_r(&now, &local) != nullptr) {
        std::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", &local);
    }
    const std::string base = file + "." + std::string(kind) + "-" + stamp;
    for (int attempt = 1; attempt < 1000; ++attempt) {
        const std::string name = attempt == 1 ? base : base + "-" + std::to_string(attempt);
        FileDescriptor fd(::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600));
        if (fd.get() < 0) {
            if (errno == EEXIST) {
                continue;
            }
            return "";
        }
        if (!WriteAll(fd.get(), bytes) || ::fsync(fd.get()) != 0 || !fd.Close()) {
            ::unlink(name.c_str());
            return "";
        }
        return name;
    }
    return "";
}

bool StoreHive(const std::string& file, const Key& root, bool sync) {
    const std::string target = ReplacedFile(file);
    if (!MayReplaceTarget(target)) {
        return false;
    }
    const std::string temporary = target + ".tmp";
    mode_t mode = 0600;
    struct stat info;
    if (::stat(target.c_str(), &info) == 0) {
        mode = info.st_mode & 07777;
    }
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

WriterLock::WriterLock(const std::string& file, Wait wait) {
    const std::string path = file + ".lock";
    FileDescriptor fd(
        ::open(path.c_str(), O_RDWR | O_CREAT | O_NONBLOCK | O_NOCTTY | O_CLOEXEC, 0600));
    struct stat info;
    if (fd.get() < 0 || ::fstat(fd.get(), &info) != 0 || !S_ISREG(info.st_mode)) {
        return;
    }
    // flock has no time limit of its own: ask without blocking, and between the attempts
    // sleep a little longer each time, up to a short while, so that a writer that just
    // finished lets the next one in quickly.
    const auto deadline =
        std::chrono::steady_clock::now() + std::chrono::milliseconds(kLockTimeLimitMs);
    auto pause = std::chrono::microseconds(200);
    while (::flock(fd.get(), LOCK_EX | LOCK_NB) != 0) {
        if (errno == EINTR) {
            continue;
        }
        if (errno != EWOULDBLOCK || wait == Wait::kNone ||
            std::chrono::steady_clock::now() >= deadline) {
            return;
        }
        std::this_thread::sleep_for(pause);
        pause = std::min<std::chrono::microseconds>(pause * 2, std::chrono::milliseconds(20));
    }
    m_fd = fd.Release();
}

WriterLock::~WriterLock() {
    if (m_fd >= 0) {
        ::close(m_fd);  // releases the lock
    }
}

}  // namespace platform::registry
