#include "core/formats/file_replacement.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <random>
#include <string>

namespace {

// ".Rock.m3u.tracklace-x7Gq2a": hidden, beside the playlist, and plainly ours.
constexpr std::string_view kMarker = ".tracklace-";
constexpr std::size_t kSuffixLength = 6;
// Room for the marker and the suffix within the 255 bytes a file name may have.
constexpr std::size_t kMostNameBytes = 200;
// Links that lead to links: as many as the system itself follows.
constexpr int kMostLinks = 40;

bool IsAlphanumeric(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
}

// The folder part of a path, with its trailing "/"; empty for a bare name.
std::string FolderOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

std::string NameOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The path with the symbolic links of its last component followed to what they name, which
// need not exist; the links among its folders lead to the same place either way.
bool FollowLinks(const std::string& path, std::string& target, int& error) {
    target = path;
    for (int hops = 0; hops <= kMostLinks; ++hops) {
        struct stat info {};
        if (::lstat(target.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) {
            return true;
        }
        std::string link(static_cast<std::size_t>(info.st_size > 0 ? info.st_size : 255) + 1, '\0');
        const ssize_t length = ::readlink(target.c_str(), link.data(), link.size());
        if (length < 0) {
            error = errno;
            return false;
        }
        link.resize(static_cast<std::size_t>(length));
        target = !link.empty() && link[0] == '/' ? link : FolderOf(target) + link;
    }
    error = ELOOP;
    return false;
}

std::string RandomSuffix() {
    static constexpr char kLetters[] =
        "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    thread_local std::mt19937_64 generator{std::random_device{}()};
    std::uniform_int_distribution<std::size_t> pick(0, sizeof kLetters - 2);
    std::string suffix;
    for (std::size_t i = 0; i < kSuffixLength; ++i) {
        suffix += kLetters[pick(generator)];
    }
    return suffix;
}

// The start of every temporary name for a target name: cut short enough, at a character
// boundary, that the whole name stays a valid file name.
std::string TemporaryStem(const std::string& targetName) {
    std::size_t length = targetName.size();
    if (length > kMostNameBytes) {
        length = kMostNameBytes;
        while (length > 0 && (static_cast<unsigned char>(targetName[length]) & 0xC0) == 0x80) {
            --length;
        }
    }
    return "." + targetName.substr(0, length) + std::string(kMarker);
}

// A new file under a free temporary name in folder, open for writing and locked for as long
// as it is open: the lock is what tells a file in use from one left by a killed process.
// The file is made nameless and locked first where the file system allows it, so that no
// other process can find it unlocked.
int CreateLockedFile(const std::string& folder, const std::string& stem, std::string& path,
                     int& error) {
    const std::string where = folder.empty() ? "." : folder;
    const int nameless = ::open(where.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
    if (nameless >= 0) {
        ::flock(nameless, LOCK_EX);
        const std::string self = "/proc/self/fd/" + std::to_string(nameless);
        for (int attempt = 0; attempt < 100; ++attempt) {
            path = folder + stem + RandomSuffix();
            if (::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, path.c_str(), AT_SYMLINK_FOLLOW) == 0) {
                return nameless;
            }
            if (errno != EEXIST) {
                break;
            }
        }
        // No /proc, or a file system that cannot give such a file a name: the plain way.
        ::close(nameless);
    }
    for (int attempt = 0; attempt < 100; ++attempt) {
        path = folder + stem + RandomSuffix();
        const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0) {
            ::flock(fd, LOCK_EX);
            return fd;
        }
        if (errno != EEXIST && errno != EINTR) {
            error = errno;
            return -1;
        }
    }
    error = EEXIST;
    return -1;
}

// Makes a rename durable. A folder that cannot be synced (some file systems refuse) has
// the new name all the same, so a failure here changes nothing for the caller.
void SyncFolder(const std::string& folder) {
    const int fd =
        ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

}  // namespace

CFileReplacement::~CFileReplacement() {
    Abandon();
}

bool CFileReplacement::Fail(int error) {
    m_error = error;
    Abandon();
    return false;
}

bool CFileReplacement::Begin(const std::string& path) {
    Abandon();
    m_error = 0;
    int error = 0;
    if (!FollowLinks(path, m_target, error)) {
        return Fail(error);
    }
    struct stat info {};
    m_targetExists = ::stat(m_target.c_str(), &info) == 0;
    if (m_targetExists) {
        if (S_ISDIR(info.st_mode)) {
            return Fail(EISDIR);
        }
        // A playlist made read-only is kept from being overwritten; replacing it through
        // its folder would get round that.
        if (::access(m_target.c_str(), W_OK) != 0) {
            return Fail(errno);
        }
        m_mode = info.st_mode & 07777;
        m_owner = info.st_uid;
        m_group = info.st_gid;
    } else if (errno != ENOENT) {
        return Fail(errno);
    }
    const std::string folder = FolderOf(m_target);
    RemoveStaleTemporaryFiles(folder);
    m_fd = CreateLockedFile(folder, TemporaryStem(NameOf(m_target)), m_temporary, error);
    if (m_fd < 0) {
        m_temporary.clear();
        return Fail(error);
    }
    return true;
}

bool CFileReplacement::Commit() {
    if (m_fd < 0) {
        return Fail(EBADF);
    }
    if (::fsync(m_fd) != 0) {
        return Fail(errno);
    }
    if (m_targetExists) {
        // The owner first: giving a file away clears its set-user-ID bits, which the mode
        // then restores. Only the owner's own user may give a file away, so for anyone else
        // the new file is theirs, with the old permissions.
        if (::fchown(m_fd, m_owner, m_group) != 0) {
            // Nothing to do: see above.
        }
        if (::fchmod(m_fd, m_mode) != 0) {
            return Fail(errno);
        }
    }
    const int fd = m_fd;
    m_fd = -1;
    if (::close(fd) != 0) {
        return Fail(errno);
    }
    if (::rename(m_temporary.c_str(), m_target.c_str()) != 0) {
        return Fail(errno);
    }
    m_temporary.clear();
    SyncFolder(FolderOf(m_target));
    return true;
}

void CFileReplacement::Abandon() {
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
    }
    if (!m_temporary.empty()) {
        ::unlink(m_temporary.c_str());
        m_temporary.clear();
    }
}

bool CFileReplacement::IsTemporaryName(std::string_view name) {
    const std::size_t tail = kMarker.size() + kSuffixLength;
    if (name.size() <= 1 + tail || name[0] != '.' ||
        name.substr(name.size() - tail, kMarker.size()) != kMarker) {
        return false;
    }
    for (const char c : name.substr(name.size() - kSuffixLength)) {
        if (!IsAlphanumeric(c)) {
            return false;
        }
    }
    return true;
}

void CFileReplacement::RemoveStaleTemporaryFiles(const std::string& folder) {
    DIR* directory = ::opendir(folder.empty() ? "." : folder.c_str());
    if (directory == nullptr) {
        return;
    }
    const int directoryFd = ::dirfd(directory);
    while (const dirent* entry = ::readdir(directory)) {
        if (!IsTemporaryName(entry->d_name)) {
            continue;
        }
        const int fd =
            ::openat(directoryFd, entry->d_name, O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
        if (fd < 0) {
            continue;
        }
        struct stat held {};
        struct stat named {};
        // Unlocked means its writer is gone: the kernel drops the lock with the process.
        // The name must still be that file, not one made meanwhile.
        if (::fstat(fd, &held) == 0 && S_ISREG(held.st_mode) &&
            ::flock(fd, LOCK_EX | LOCK_NB) == 0 &&
            ::fstatat(directoryFd, entry->d_name, &named, AT_SYMLINK_NOFOLLOW) == 0 &&
            named.st_ino == held.st_ino && named.st_dev == held.st_dev) {
            ::unlinkat(directoryFd, entry->d_name, 0);
        }
        ::close(fd);
    }
    ::closedir(directory);
}
