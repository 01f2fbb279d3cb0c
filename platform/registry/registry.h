#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/registry/hive.h"

// The per-user registry hive HKEY_CURRENT_USER, kept in one file:
// $XDG_CONFIG_HOME/Wendmark/HKEY_CURRENT_USER.reg (~/.config when XDG_CONFIG_HOME is unset).
//
// Nothing is cached: every operation reads the file, so a value written by one process or
// thread is seen by the next read anywhere. A write takes an exclusive lock on the sibling
// file HKEY_CURRENT_USER.reg.lock, reads the file again, changes it, writes a temporary file,
// flushes it to the disk and renames it over the old one. A crash therefore never leaves a
// torn file, and two writers never lose each other's values. Readers take no lock; they see
// the file before or after a write, never half of one. A writer waits for the lock about
// five seconds at most and then fails, so that a writer that hangs (stopped in a debugger,
// say) holds up the others only that long; readers are not held up at all.
//
// Only a regular file, or a symbolic link to one, is read; anything else at that path (a
// folder, a FIFO) and a file without read permission cannot be read: reads fail and so do
// writes, and the path is left alone. A file without write permission is read but never
// replaced. A symbolic link stays a link: writes go to the file it points at.
//
// A file that is no hive (no header line, binary data, names beyond the registry's limits)
// is never overwritten unseen: reads fail (callers fall back to their defaults), and the
// first write copies its bytes to HKEY_CURRENT_USER.reg.corrupt-<YYYYMMDD-HHMMSS> before it
// starts a new hive. An export of Windows' registry editor is read as it is; the first write
// keeps it as HKEY_CURRENT_USER.reg.windows-export-<YYYYMMDD-HHMMSS> and stores its hive in
// this program's form.
//
// Key paths are relative to the hive and use "\" ("Software\Wendmark\Tracklace3\MP3").
// Names compare without regard to ASCII letter case and keep their first case. Every function
// may be called from any thread.
namespace platform::registry {

// Where the hive file is, from the environment at the time of the call.
std::string HiveFilePath();

// Whether the key exists (false also when the hive cannot be read).
bool KeyExists(std::string_view path);

// Creates the key with its missing parents; true when it exists afterwards. With
// repairCorrupt false a hive file that cannot be parsed is left alone and the call fails,
// so that a mere read never sets a file aside.
bool CreateKey(std::string_view path, bool repairCorrupt = true);

// The value, or nullopt when the key or the value does not exist or the hive cannot be read.
// With createMissingKey a missing key is created (in a readable hive), as opening a key for
// reading and writing does; the value is then missing all the same.
std::optional<Value> QueryValue(std::string_view path, std::string_view name,
                                bool createMissingKey = false);

// Stores the value, creating the key and its parents when missing. An existing value of that
// name (in any letter case) keeps its name and place and takes the new type and data.
bool SetValue(std::string_view path, std::string_view name, const Value& value);

// Removes one value; false when it did not exist.
bool DeleteValue(std::string_view path, std::string_view name);

// Removes the key with all its values and everything below it; false when it did not exist.
bool DeleteKey(std::string_view path);

// The names of the subkeys, or the values with their data, in the order of their creation;
// nullopt when the key does not exist or the hive cannot be read.
std::optional<std::vector<std::string>> EnumSubkeys(std::string_view path);
std::optional<std::vector<NamedValue>> EnumValues(std::string_view path);

// Runs several changes as one write: change gets the whole hive and returns whether to store
// it (false abandons every change). True when the hive was stored.
bool Update(const std::function<bool(Key& root)>& change);

// What a program finds at the hive's path when it starts, and what CheckHiveFile did.
struct HiveCheck {
    enum class Finding {
        kUsable,            // a hive, or nothing yet
        kDamagedKeptAside,  // no hive: its bytes were copied to copy, a new hive begins
        kExportConverted,   // a Windows export: kept as copy, its hive now in this form
        kUnreadable,        // cannot be read (or was damaged and could not be kept aside)
    };
    Finding finding = Finding::kUsable;
    std::string file;  // the hive file
    std::string copy;  // where its old bytes are, for the two findings that keep them
};

// Looks at the hive file once, at a program's start, so that the user can be told: a file
// that is no hive, or a Windows export, is kept aside and replaced now (under the lock, as
// any write), rather than at some later write that no one would connect with it.
HiveCheck CheckHiveFile();

// Whether writes flush the file to the disk before it replaces the old one (the default).
// Only for measurements and for tests that exercise locking rather than durability.
void SetSyncWrites(bool enabled);

}  // namespace platform::registry
