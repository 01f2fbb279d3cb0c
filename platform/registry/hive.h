#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The per-user registry hive as a tree in memory, and its text form: the registry editor's
// export syntax REGEDIT4, so that a person can read and edit the file and a Windows
// registry can import it.
//
//     REGEDIT4
//
//     [HKEY_CURRENT_USER\Software\Wendmark\Tracklace3\MP3]
//     "TitleMask"="%3 - %2"
//     "ReadID3Tags"=dword:00000001
//
// Text values are UTF-8 in memory and are written into the file as UTF-8 bytes. REGEDIT4
// itself is ANSI, but UTF-8 is this platform's ANSI code page and keeps every character
// readable in an editor; plain ASCII (all that the program writes by default) is the same in
// both. A quoted string that is not well-formed UTF-8 (a file exported on Windows) is read
// as Windows-1252. A text with a line break or a NUL inside cannot be written as a quoted
// string and is written as hex(1) instead, which reads back the same.
//
// The parser lives in hive_parser.cpp, the writer in hive_writer.cpp.
namespace platform::registry {

// Registry value types as Windows numbers them.
inline constexpr std::uint32_t kTypeNone = 0;
inline constexpr std::uint32_t kTypeSz = 1;
inline constexpr std::uint32_t kTypeExpandSz = 2;
inline constexpr std::uint32_t kTypeBinary = 3;
inline constexpr std::uint32_t kTypeDword = 4;

// One value: its type and its data bytes exactly as the registry holds them (a text with its
// terminating NUL, a DWORD as four little-endian bytes). Types the program does not use keep
// their bytes untouched.
struct Value {
    std::uint32_t type = kTypeNone;
    std::string data;

    // A REG_SZ (or REG_EXPAND_SZ) holding text and its terminating NUL.
    static Value Text(std::string_view utf8, std::uint32_t textType = kTypeSz);
    static Value Dword(std::uint32_t number);

    bool IsText() const { return type == kTypeSz || type == kTypeExpandSz; }
    // The text up to its first NUL, for REG_SZ and REG_EXPAND_SZ; nullopt for other types.
    std::optional<std::string> AsText() const;
    // Whether the data ends with the NUL that a text value carries.
    bool HasTerminatingNul() const { return !data.empty() && data.back() == '\0'; }
    // The number of a REG_DWORD of exactly four bytes; nullopt otherwise.
    std::optional<std::uint32_t> AsDword() const;

    bool operator==(const Value&) const = default;
};

struct NamedValue {
    std::string name;  // empty for the key's default value, "@" in the file
    Value value;

    bool operator==(const NamedValue&) const = default;
};

// A line of the file that this program does not understand (a comment, a value of a syntax
// it does not know, a section of another hive), kept so that it goes back into the file
// unchanged: a hand-edited file or one written by a later version loses nothing.
struct KeptLine {
    enum class Place {
        kInSection,       // among the values of its key's section
        kBeforeSections,  // between the header and the first section (root key only)
        kAfterSections,   // a section of another hive and its lines, after all of this hive's
    };
    Place place = Place::kInSection;
    // kInSection: how many of the key's values stood before it.
    std::size_t beforeValue = 0;
    std::string text;  // without its line break

    bool operator==(const KeptLine&) const = default;
};

// A key with its values and subkeys, both in the order of their creation. Names compare
// without regard to ASCII letter case and keep the case they were created with.
struct Key {
    std::string name;
    std::vector<NamedValue> values;
    std::vector<Key> subkeys;
    std::vector<KeptLine> keptLines = {};

    Key* FindSubkey(std::string_view subkeyName);
    const Key* FindSubkey(std::string_view subkeyName) const;
    NamedValue* FindValue(std::string_view valueName);
    const NamedValue* FindValue(std::string_view valueName) const;

    // Replaces the data of an existing value (keeping its name and place) or appends a new one.
    void SetValue(std::string_view valueName, Value value);
    bool RemoveValue(std::string_view valueName);
    // The subkey, appended when missing.
    Key& AddSubkey(std::string_view subkeyName);
    bool RemoveSubkey(std::string_view subkeyName);
};

// The name of the hive's root key, the first component of every section header.
inline constexpr std::string_view kHiveName = "HKEY_CURRENT_USER";

// The limits of the Windows registry. A file beyond them cannot be read at all, and a write
// that would go beyond them fails, so that no file, however made, can make a key path deep
// or long enough to exhaust the memory or the time of the programs that read it.
inline constexpr std::size_t kMaxKeyNameCharacters = 255;
inline constexpr std::size_t kMaxKeyDepth = 512;  // names below the hive's root
inline constexpr std::size_t kMaxValueNameCharacters = 16383;

// Splits a key path below the hive ("Software\Wendmark\Tracklace3") into its names.
// nullopt for an empty path, an empty component ("a\\b", a leading or trailing "\") or a
// name that the file cannot carry (CR, LF or NUL in it).
std::optional<std::vector<std::string>> SplitKeyPath(std::string_view path);

// Whether a value name can be written into the file (no CR, LF or NUL).
bool IsValidValueName(std::string_view name);

// The key at path below root, or nullptr.
Key* FindKey(Key& root, const std::vector<std::string>& names);
const Key* FindKey(const Key& root, const std::vector<std::string>& names);
// The key at path, created with its missing parents.
Key& CreateKey(Key& root, const std::vector<std::string>& names);
// Removes the key at path with everything below it; false when it does not exist.
bool DeleteKey(Key& root, const std::vector<std::string>& names);

// Whether every key and value name below root can be written into the file and read back:
// key names non-empty and without "\", no name with CR, LF or NUL, and all within the
// limits above.
bool HasWritableNames(const Key& root);

// The two forms of file that are read: this program's own (REGEDIT4), and the export of
// Windows' registry editor ("Windows Registry Editor Version 5.00", UTF-16LE with a
// byte-order mark or UTF-8), whose hex(1), hex(2) and hex(7) texts are UTF-16LE.
enum class HiveFormat { kRegedit4, kUnicodeExport };

struct ParsedHive {
    Key root;
    HiveFormat format = HiveFormat::kRegedit4;
};

// Parses the bytes of a hive file. nullopt for a file that is no hive at all: no header
// line, a NUL byte (binary data), or names beyond the registry's limits. Inside a hive,
// every line that is not understood is kept in its place (see KeptLine); sections of
// other hives are kept but not read. An empty file is an empty hive.
std::optional<ParsedHive> ParseHiveFile(std::string_view bytes);

// The same parse for a read of one key: it accepts and refuses exactly the files that
// ParseHiveFile does, but builds only the key at names with its values and the names of
// its subkeys, and the keys on the way to it; no kept lines. Reading one setting out of a
// large file this way costs little more than reading the file.
std::optional<ParsedHive> ParseHiveFileFor(std::string_view bytes,
                                           const std::vector<std::string>& names);

// ParseHiveFile's tree alone.
std::optional<Key> ParseHive(std::string_view bytes);

// The file text of a hive in this program's form: every key that exists gets its section,
// parents before children, in creation order, with its kept lines where they stood; lines
// end with CR LF as the registry editor writes them.
std::string SerializeHive(const Key& root);

}  // namespace platform::registry
