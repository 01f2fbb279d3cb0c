#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/registry/hive.h"

// The hive file on the disk, for registry.cpp: where it is, reading it so that nothing
// found at its path can block the reader, replacing it in one step, keeping a copy of it
// aside, and the lock that lets one writer at a time in.
namespace platform::registry {

// The folder of the hive file, from the environment at the time of the call.
std::string HiveFolder();

// Makes the folder and its missing parents; whether it is a folder afterwards.
bool MakeFolders(const std::string& path);

enum class FileState {
    kMissing,
    kParsed,      // this program's form
    kForeign,     // an export of Windows' registry editor, read as well
    kCorrupt,     // no hive at all, or beyond the registry's limits
    kUnreadable,  // not a regular file, or no permission to read it
};

struct LoadedHive {
    FileState state = FileState::kUnreadable;
    Key root{std::string(kHiveName), {}, {}};
    std::string bytes;  // what was read, for a copy to keep aside (not for a read of one key)
};

// Reads the hive file: the whole hive, or with only just what a read of that key needs.
LoadedHive LoadHive(const std::string& file, const std::vector<std::string>* only = nullptr);

// Whether StoreHive may replace the file: false when it (the file at the end of its
// symbolic links) is there without write permission.
bool MayReplace(const std::string& file);

// Copies bytes to "<file>.<kind>-<YYYYMMDD-HHMMSS>" (with "-2", "-3", ... when a copy of
// that second exists) and flushes the copy; its path, or the empty text when it failed.
std::string KeepAside(const std::string& file, std::string_view kind, std::string_view bytes);

// Writes root into a temporary file beside the file that file names (its target, when it is
// a symbolic link, so that the link stays a link), flushed when sync is set, and renames it
// over that file. Fails, changing nothing, when that file is there without write permission.
bool StoreHive(const std::string& file, const Key& root, bool sync);

// The exclusive lock of the hive's writers, on the sibling file "<file>.lock". Every writer
// waits for it at most kLockTimeLimitMs in all; a writer that cannot have it fails, as any
// other failed write does. The kernel releases it when the holder ends, however it ends.
class WriterLock {
public:
    static constexpr int kLockTimeLimitMs = 5000;
    enum class Wait { kUpToTimeLimit, kNone };

    WriterLock(const std::string& file, Wait wait);
    WriterLock(const WriterLock&) = delete;
    WriterLock& operator=(const WriterLock&) = delete;
    ~WriterLock();

    bool Held() const { return m_fd >= 0; }

private:
    int m_fd = -1;
};

}  // namespace platform::registry
