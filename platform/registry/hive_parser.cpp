// Reading a hive file: this program's REGEDIT4 files, hand-edited ones, and the exports of
// Windows' registry editor. The reader is lenient inside a hive (what it does not
// understand is kept, not refused) and strict about what could hurt: no key path beyond
// the registry's limits, no binary data, nothing that makes reading slower than linear.
#include <algorithm>
#include <cstring>
#include <unordered_map>

#include "platform/code_page/code_page.h"
#include "platform/registry/hive.h"
#include "platform/registry/hive_syntax.h"

namespace platform::registry {
namespace {

using namespace syntax;

constexpr std::string_view kRegedit4Header = "REGEDIT4";
constexpr std::string_view kUnicodeExportHeader = "Windows Registry Editor Version 5.00";
constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";
constexpr std::string_view kUtf16LeBom = "\xFF\xFE";

// A value line names its value first; a name longer than the registry allows makes the
// whole file unreadable. Every physical line is checked alike, whatever else it is, so that
// a read of one key refuses exactly the files that a whole parse refuses.
bool WithinValueNameLimit(std::string_view trimmed) {
    if (trimmed.size() <= kMaxValueNameCharacters + 2 || trimmed.front() != '"') {
        return true;  // too short to hold a name that long
    }
    std::size_t pos = 0;
    const auto name = ParseQuoted(trimmed, pos);
    // No name has more characters than bytes.
    return !name || name->size() <= kMaxValueNameCharacters ||
           CharacterCount(FromFileText(*name)) <= kMaxValueNameCharacters;
}

// The physical lines of a text, without their line breaks (LF or CR LF).
class LineReader {
public:
    explicit LineReader(std::string_view text) : m_text(text) {}

    bool Next(std::string_view& line) {
        if (m_pos > m_text.size()) {
            return false;
        }
        std::size_t end = m_text.find('\n', m_pos);
        if (end == std::string_view::npos) {
            end = m_text.size();
        }
        line = m_text.substr(m_pos, end - m_pos);
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        m_pos = end + 1;
        return true;
    }

    bool Peek(std::string_view& line) const {
        LineReader copy = *this;
        return copy.Next(line);
    }

private:
    std::string_view m_text;
    std::size_t m_pos = 0;
};

// The file's text as UTF-8 (a UTF-16LE export converted into storage); nullopt for a file
// with a NUL in it, which is binary data and no hive.
std::optional<std::string_view> DecodeFile(std::string_view bytes, std::string& storage) {
    std::string_view text = bytes;
    if (bytes.substr(0, kUtf16LeBom.size()) == kUtf16LeBom) {
        storage = Utf16LeToUtf8(bytes.substr(kUtf16LeBom.size()));
        text = storage;
    } else if (bytes.substr(0, kUtf8Bom.size()) == kUtf8Bom) {
        text.remove_prefix(kUtf8Bom.size());
    }
    if (std::memchr(text.data(), '\0', text.size()) != nullptr) {
        return std::nullopt;
    }
    return text;
}

// The form named by the first line that is not blank; nullopt for a file without a header.
// An empty file (or one of blank lines) reads as this program's form.
std::optional<HiveFormat> ReadHeader(LineReader& lines) {
    std::string_view line;
    while (lines.Next(line)) {
        const std::string_view trimmed = Trim(line);
        if (trimmed.empty()) {
            continue;
        }
        if (trimmed == kRegedit4Header) {
            return HiveFormat::kRegedit4;
        }
        if (trimmed == kUnicodeExportHeader) {
            return HiveFormat::kUnicodeExport;
        }
        return std::nullopt;
    }
    return HiveFormat::kRegedit4;
}

// A value that a file names twice in one key (also through a repeated section) keeps its
// first name and place and takes the data of its last line, as importing the file would
// leave it. The kept lines stay between the same values.
void MergeRepeatedValues(Key& key) {
    const std::size_t count = key.values.size();
    if (count < 2) {
        return;
    }
    // First pass: where each value goes. The map refers to the names in place, so nothing
    // may move before it is gone.
    std::vector<std::size_t> target(count);
    std::vector<bool> isFirst(count);
    std::size_t kept = 0;
    {
        std::unordered_map<std::string_view, std::size_t, NameHash, NameEqual> first;
        first.reserve(count);
        for (std::size_t i = 0; i < count; ++i) {
            const auto [it, inserted] = first.emplace(key.values[i].name, kept);
            isFirst[i] = inserted;
            target[i] = inserted ? kept++ : it->second;
        }
    }
    if (kept == count) {
        return;
    }
    std::vector<std::size_t> firstsBefore(count + 1, 0);
    for (std::size_t i = 0; i < count; ++i) {
        firstsBefore[i + 1] = firstsBefore[i] + (isFirst[i] ? 1 : 0);
    }
    for (KeptLine& line : key.keptLines) {
        if (line.place == KeptLine::Place::kInSection) {
            line.beforeValue = firstsBefore[std::min(line.beforeValue, count)];
        }
    }
    std::vector<NamedValue> merged(kept);
    for (std::size_t i = 0; i < count; ++i) {
        if (isFirst[i]) {
            merged[target[i]] = std::move(key.values[i]);
        } else {
            merged[target[i]].value = std::move(key.values[i].value);
        }
    }
    key.values = std::move(merged);
}

// The keys read so far, flat, with an index of every key's subkeys by their names without
// regard to case, so that a file of many sibling keys reads in linear time. The nested
// tree is assembled when the whole file has been read.
class KeyTable {
public:
    static constexpr std::size_t kRoot = 0;

    KeyTable() { m_nodes.push_back(Node{Key{std::string(kHiveName), {}, {}}, kRoot, {}}); }

    Key& At(std::size_t node) { return m_nodes[node].key; }

    // The subkey of that name, created when it is new.
    std::size_t Subkey(std::size_t parent, std::string_view name) {
        const std::size_t hash = NameHash()(name, parent * 0x9E3779B97F4A7C15ull + 1);
        const auto [first, last] = m_index.equal_range(hash);
        for (auto it = first; it != last; ++it) {
            const Node& node = m_nodes[it->second];
            if (node.parent == parent && SameName(node.key.name, name)) {
                return it->second;
            }
        }
        const std::size_t created = m_nodes.size();
        m_nodes.push_back(Node{Key{std::string(name), {}, {}}, parent, {}});
        m_nodes[parent].children.push_back(created);
        m_index.emplace(hash, created);
        return created;
    }

    // The tree, with the values each file section named twice merged. A key is always made
    // after its parent, so going from the last key to the first finds every subkey complete
    // when its parent takes it.
    Key Assemble() {
        for (std::size_t i = m_nodes.size(); i-- > 0;) {
            Node& node = m_nodes[i];
            MergeRepeatedValues(node.key);
            node.key.subkeys.reserve(node.children.size());
            for (std::size_t child : node.children) {
                node.key.subkeys.push_back(std::move(m_nodes[child].key));
            }
        }
        // The root's lines in the order the writer puts them back: the same tree then comes
        // out of a file and out of the file written from it.
        std::stable_sort(m_nodes[kRoot].key.keptLines.begin(), m_nodes[kRoot].key.keptLines.end(),
                         [](const KeptLine& a, const KeptLine& b) { return a.place < b.place; });
        return std::move(m_nodes[kRoot].key);
    }

private:
    struct Node {
        Key key;
        std::size_t parent;
        std::vector<std::size_t> children;
    };
    std::vector<Node> m_nodes;
    std::unordered_multimap<std::size_t, std::size_t> m_index;
};

// What a section header line names.
enum class SectionKind {
    kHiveKey,       // a key of this hive: its names are in the path
    kOther,         // another hive, a deletion "[-...]", or a path no key can have
    kBeyondLimits,  // a key deeper or with longer names than the registry allows
};

// Splits a key path at its backslashes, in one pass over the bytes (the paths of deep
// keys are long, and a search for each name would cost more than the names). False for an
// empty name or a carriage return; ascii tells whether every byte was ASCII.
bool SplitNames(std::string_view path, std::vector<std::string_view>& names, bool& ascii) {
    names.clear();
    unsigned char any = 0;
    std::size_t start = 0;
    for (std::size_t i = 0; i < path.size(); ++i) {
        const char c = path[i];
        any |= static_cast<unsigned char>(c);
        if (c == '\\') {
            if (i == start) {
                return false;
            }
            names.push_back(path.substr(start, i - start));
            start = i + 1;
        } else if (c == '\r') {
            return false;
        }
    }
    if (start == path.size()) {
        return false;
    }
    names.push_back(path.substr(start));
    ascii = any < 0x80;
    return true;
}

// Reads "[HKEY_CURRENT_USER\a\b]" into the names a and b (views into the line, or into
// storage when the line's bytes are Windows-1252).
SectionKind ReadSectionHeader(std::string_view trimmed, std::string& storage,
                              std::vector<std::string_view>& names) {
    names.clear();
    if (trimmed.size() < 2 || trimmed.back() != ']') {
        return SectionKind::kOther;
    }
    const std::string_view path = trimmed.substr(1, trimmed.size() - 2);
    const std::size_t separator = path.find('\\');
    // Nearly always spelled as this program writes it: compared as a whole first.
    const std::string_view hive = path.substr(0, separator);
    if (hive.size() != kHiveName.size() ||
        (std::memcmp(hive.data(), kHiveName.data(), kHiveName.size()) != 0 &&
         !SameName(hive, kHiveName))) {
        return SectionKind::kOther;
    }
    if (separator == std::string_view::npos) {
        return SectionKind::kHiveKey;  // the root itself
    }
    std::string_view rest = path.substr(separator + 1);
    bool ascii = true;
    if (!SplitNames(rest, names, ascii)) {
        return SectionKind::kOther;
    }
    if (!ascii && !IsWellFormedUtf8(rest)) {
        // The same names in UTF-8: the separators and line breaks are ASCII in both.
        storage = Windows1252ToUtf8(rest);
        SplitNames(storage, names, ascii);
    }
    if (names.size() > kMaxKeyDepth) {
        return SectionKind::kBeyondLimits;
    }
    for (std::string_view name : names) {
        if (name.size() > kMaxKeyNameCharacters &&
            (ascii || CharacterCount(name) > kMaxKeyNameCharacters)) {
            return SectionKind::kBeyondLimits;
        }
    }
    return SectionKind::kHiveKey;
}

// Where "hex:" or "hex(type):" ends and its byte list begins; npos for another data form.
std::size_t HexListStart(std::string_view rest) {
    if (!StartsWithIgnoringCase(rest, "hex")) {
        return std::string_view::npos;
    }
    std::size_t pos = 3;
    if (pos < rest.size() && rest[pos] == '(') {
        const std::size_t close = rest.find(')', pos);
        if (close == std::string_view::npos ||
            !ParseHexNumber(rest.substr(pos + 1, close - pos - 1))) {
            return std::string_view::npos;
        }
        pos = close + 1;
    }
    return pos < rest.size() && rest[pos] == ':' ? pos + 1 : std::string_view::npos;
}

// The bytes of a hex value of the given form ("hex:" or "hex(type):"), its list gathered
// from all its lines.
std::optional<Value> ReadHexValue(std::string_view form, std::string_view list, HiveFormat format) {
    Value value;
    value.type = kTypeBinary;
    if (form.size() > 3 && form[3] == '(') {
        value.type = *ParseHexNumber(form.substr(4, form.find(')') - 4));
    }
    auto bytes = ParseHexBytes(list);
    if (!bytes) {
        return std::nullopt;
    }
    value.data = std::move(*bytes);
    // An export of Windows' registry editor holds these texts as UTF-16LE; in memory every
    // text is UTF-8.
    const bool wideText =
        value.type == kTypeSz || value.type == kTypeExpandSz || value.type == 7;  // REG_MULTI_SZ
    if (format == HiveFormat::kUnicodeExport && wideText && value.data.size() % 2 == 0) {
        value.data = Utf16LeToUtf8(value.data);
    }
    return value;
}

// The data after "name=" when it is a quoted text or a dword:.
std::optional<Value> ReadPlainValue(std::string_view rest) {
    if (!rest.empty() && rest.front() == '"') {
        std::size_t end = 0;
        auto data = ParseQuoted(rest, end);
        if (!data || !Trim(rest.substr(end)).empty()) {
            return std::nullopt;
        }
        return Value::Text(FromFileText(std::move(*data)));
    }
    if (StartsWithIgnoringCase(rest, "dword:")) {
        if (const auto number = ParseHexNumber(rest.substr(6))) {
            return Value::Dword(*number);
        }
    }
    return std::nullopt;
}

// The lines of one file, read into keys.
class HiveReader {
public:
    HiveReader(std::string_view text, const std::vector<std::string>* only)
        : m_lines(text), m_only(only) {}

    // False when the file is no hive: no header, or beyond the registry's limits.
    bool Read() {
        const auto format = ReadHeader(m_lines);
        if (!format) {
            return false;
        }
        m_format = *format;
        std::string_view line;
        while (m_lines.Next(line)) {
            const std::string_view trimmed = Trim(line);
            if (trimmed.empty()) {
                continue;
            }
            if (trimmed.front() == '[') {
                if (!ReadSectionLine(line, trimmed)) {
                    return false;
                }
                continue;
            }
            if (!WithinValueNameLimit(trimmed)) {
                return false;
            }
            if (!ReadOtherLine(line, trimmed)) {
                return false;
            }
        }
        return true;
    }

    ParsedHive Take() { return ParsedHive{m_keys.Assemble(), m_format}; }

private:
    static constexpr std::size_t kNoKey = static_cast<std::size_t>(-1);

    enum class Context {
        kBeforeSections,
        kHiveKey,  // the section of m_key, or of a key this read does not want
        kOtherHive,
    };

    void Keep(std::string_view text, KeptLine::Place place) {
        if (m_only != nullptr) {
            return;  // a read of one key has no use for them
        }
        const bool inSection = place == KeptLine::Place::kInSection;
        Key& key = m_keys.At(inSection ? m_key : KeyTable::kRoot);
        key.keptLines.push_back(
            KeptLine{place, inSection ? key.values.size() : 0, std::string(text)});
    }

    bool ReadSectionLine(std::string_view line, std::string_view trimmed) {
        switch (ReadSectionHeader(trimmed, m_pathStorage, m_names)) {
            case SectionKind::kBeyondLimits:
                return false;
            case SectionKind::kOther:
                m_context = Context::kOtherHive;
                Keep(line, KeptLine::Place::kAfterSections);
                return true;
            case SectionKind::kHiveKey:
                break;
        }
        m_context = Context::kHiveKey;
        m_key = m_only == nullptr ? KeyAt(m_names.size()) : WantedKey();
        return true;
    }

    // The key of the first count names of the section being read, made when new. Sections
    // follow their parents in a file, so the keys of the previous section are looked at
    // first: a path that only adds a name to the one before costs one look-up, not one for
    // each of its names.
    std::size_t KeyAt(std::size_t count) {
        if (count == 0) {
            return KeyTable::kRoot;
        }
        // The names are views of one path text; the first count of them, as text.
        const std::string_view path(
            m_names[0].data(),
            static_cast<std::size_t>(m_names[count - 1].data() + m_names[count - 1].size() -
                                     m_names[0].data()));
        std::size_t same = 0;
        const std::size_t chained = std::min(count, m_chain.size());
        if (chained == m_chain.size() && path.substr(0, m_chainPath.size()) == m_chainPath &&
            (path.size() == m_chainPath.size() || path[m_chainPath.size()] == '\\')) {
            same = chained;  // the same spelling: the same keys, without comparing each name
        } else {
            while (same < chained && SameName(m_keys.At(m_chain[same]).name, m_names[same])) {
                ++same;
            }
        }
        m_chain.resize(same);
        std::size_t key = same == 0 ? KeyTable::kRoot : m_chain.back();
        for (std::size_t i = same; i < count; ++i) {
            key = m_keys.Subkey(key, m_names[i]);
            m_chain.push_back(key);
        }
        m_chainPath.assign(path);
        return key;
    }

    // For a read of one key: the key of this section when it is that key or one on the way
    // to it, whose values are then read; the subkey of that key that this section lies in,
    // whose values are not wanted; and no key for everything else.
    std::size_t WantedKey() {
        const std::vector<std::string>& only = *m_only;
        std::size_t common = 0;
        // Most sections part from the wanted path at once, in a name of another length or
        // first letter, which is looked at before the names are compared.
        while (common < m_names.size() && common < only.size() &&
               m_names[common].size() == only[common].size() &&
               AsciiLower(m_names[common][0]) == AsciiLower(only[common][0]) &&
               SameName(m_names[common], only[common])) {
            ++common;
        }
        if (common == m_names.size()) {
            return KeyAt(common);
        }
        if (common == only.size()) {
            KeyAt(common + 1);
        }
        return kNoKey;
    }

    bool ReadOtherLine(std::string_view line, std::string_view trimmed) {
        switch (m_context) {
            case Context::kBeforeSections:
                Keep(line, KeptLine::Place::kBeforeSections);
                return true;
            case Context::kOtherHive:
                Keep(line, KeptLine::Place::kAfterSections);
                return true;
            case Context::kHiveKey:
                break;
        }
        const bool wanted =
            m_key != kNoKey && (m_only == nullptr || m_names.size() == m_only->size());
        return wanted ? ReadValueLine(line, trimmed) : true;
    }

    // A value line of m_key's section with the lines it continues on. A line that is not a
    // value this reader knows is kept, with the lines it took as its continuation. False
    // when a continuation line goes beyond the limits.
    bool ReadValueLine(std::string_view line, std::string_view trimmed) {
        m_valueLines.clear();
        m_valueLines.push_back(line);
        std::size_t pos = 0;
        std::string name;
        if (trimmed.front() == '@') {
            pos = 1;
        } else if (auto quoted = ParseQuoted(trimmed, pos)) {
            name = FromFileText(std::move(*quoted));
        } else {
            KeepValueLines(false);
            return true;
        }
        std::string_view rest = TrimLeft(trimmed.substr(pos));
        if (rest.empty() || rest.front() != '=') {
            KeepValueLines(false);
            return true;
        }
        rest = TrimLeft(rest.substr(1));
        std::optional<Value> value;
        if (const std::size_t listStart = HexListStart(rest); listStart != std::string_view::npos) {
            m_hexList.assign(rest.substr(listStart));
            bool complete = true;
            if (!ReadContinuation(complete)) {
                return false;
            }
            if (!complete) {
                KeepValueLines(true);
                return true;
            }
            value = ReadHexValue(rest, m_hexList, m_format);
        } else {
            value = ReadPlainValue(rest);
        }
        // The default value is written "@", so a quoted empty name is no value line.
        const bool named = trimmed.front() == '@' || (!name.empty() && IsValidValueName(name));
        if (!value || !named) {
            KeepValueLines(false);
            return true;
        }
        // Appended as read; names that occur twice are merged once the whole file is read.
        m_keys.At(m_key).values.push_back(NamedValue{std::move(name), std::move(*value)});
        return true;
    }

    // A long hex value continues on the next line after a trailing backslash. complete is
    // false when the value breaks off: at a blank line, a section or the end of the file.
    bool ReadContinuation(bool& complete) {
        std::string_view next;
        while (!m_hexList.empty() && m_hexList.back() == '\\') {
            m_hexList.pop_back();
            const bool more = m_lines.Peek(next);
            if (!more || Trim(next).empty() || Trim(next).front() == '[') {
                if (more && Trim(next).empty()) {
                    m_lines.Next(next);  // the blank line that broke the value off
                }
                complete = false;
                return true;
            }
            m_lines.Next(next);
            const std::string_view trimmed = Trim(next);
            if (!WithinValueNameLimit(trimmed)) {
                return false;
            }
            m_valueLines.push_back(next);
            m_hexList += trimmed;
        }
        return true;
    }

    // Keeps the lines of a value that could not be read. A value that broke off is kept
    // with a blank line behind it, so that written back it breaks off at the same place
    // and does not swallow what the writer puts after it.
    void KeepValueLines(bool brokenOff) {
        for (std::string_view text : m_valueLines) {
            Keep(text, KeptLine::Place::kInSection);
        }
        if (brokenOff) {
            Keep("", KeptLine::Place::kInSection);
        }
    }

    LineReader m_lines;
    const std::vector<std::string>* m_only;
    HiveFormat m_format = HiveFormat::kRegedit4;
    KeyTable m_keys;
    Context m_context = Context::kBeforeSections;
    std::size_t m_key = kNoKey;
    // Reused from line to line, so that reading a section or a value line allocates
    // nothing in most cases.
    std::string m_pathStorage;
    std::vector<std::string_view> m_names;
    std::vector<std::size_t> m_chain;  // the keys of the last section's names, root first
    std::string m_chainPath;           // and those names as the file spelled them
    std::vector<std::string_view> m_valueLines;
    std::string m_hexList;
};

std::optional<ParsedHive> Parse(std::string_view bytes, const std::vector<std::string>* only) {
    std::string storage;
    const auto text = DecodeFile(bytes, storage);
    if (!text) {
        return std::nullopt;
    }
    HiveReader reader(*text, only);
    if (!reader.Read()) {
        return std::nullopt;
    }
    return reader.Take();
}

}  // namespace

std::optional<ParsedHive> ParseHiveFile(std::string_view bytes) {
    return Parse(bytes, nullptr);
}

std::optional<ParsedHive> ParseHiveFileFor(std::string_view bytes,
                                           const std::vector<std::string>& names) {
    return Parse(bytes, &names);
}

std::optional<Key> ParseHive(std::string_view bytes) {
    auto parsed = ParseHiveFile(bytes);
    if (!parsed) {
        return std::nullopt;
    }
    return std::move(parsed->root);
}

}  // namespace platform::registry
