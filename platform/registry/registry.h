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
// the file before or after a write, never half of one.
//
// A file that cannot be parsed is never overwritten unseen: reads fail (callers fall back to
// their defaults), and the first write copies its bytes to
// HKEY_CURRENT_USER.reg.corrupt-<YYYYMMDD-HHMMSS> before it starts a new hive.
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

// Whether writes flush the file to the disk before it replaces the old one (the default).
// Only for measurements and for tests that exercise locking rather than durability.
void SetSyncWrites(bool enabled);

}  // namespace platform::registry
