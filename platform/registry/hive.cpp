#include "platform/registry/hive.h"

#include <algorithm>
#include <unordered_map>

#include "platform/code_page/code_page.h"

namespace platform::registry {
namespace {

constexpr std::string_view kHeaderLine = "REGEDIT4";
constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";
// A hex value continues on the next line before its line grows longer than this, as the
// registry editor wraps them.
constexpr std::size_t kMaxLineLength = 80;

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

std::string_view TrimLeft(std::string_view s) {
    while (!s.empty() && IsBlank(s.front())) {
        s.remove_prefix(1);
    }
    return s;
}

std::string_view TrimRight(std::string_view s) {
    while (!s.empty() && IsBlank(s.back())) {
        s.remove_suffix(1);
    }
    return s;
}

std::string_view Trim(std::string_view s) {
    return TrimRight(TrimLeft(s));
}

bool StartsWithIgnoringCase(std::string_view s, std::string_view prefix) {
    return s.size() >= prefix.size() && EqualsIgnoringAsciiCase(s.substr(0, prefix.size()), prefix);
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

// A number of 1 to 8 hex digits, the whole of s.
std::optional<std::uint32_t> ParseHexNumber(std::string_view s) {
    if (s.empty() || s.size() > 8) {
        return std::nullopt;
    }
    std::uint32_t number = 0;
    for (char c : s) {
        const int digit = HexDigit(c);
        if (digit < 0) {
            return std::nullopt;
        }
        number = number * 16 + static_cast<std::uint32_t>(digit);
    }
    return number;
}

// Reads the quoted string that starts at s[pos] (a '"'), with the export syntax's two
// escapes \\ and \". pos ends behind the closing quote.
std::optional<std::string> ParseQuoted(std::string_view s, std::size_t& pos) {
    if (pos >= s.size() || s[pos] != '"') {
        return std::nullopt;
    }
    std::string out;
    ++pos;
    while (true) {
        // Copy the plain run up to the next quote or backslash in one go.
        const std::size_t special = s.find_first_of("\"\\", pos);
        if (special == std::string_view::npos) {
            return std::nullopt;
        }
        out.append(s.data() + pos, special - pos);
        pos = special;
        if (s[pos] == '"') {
            ++pos;
            return out;
        }
        if (pos + 1 >= s.size()) {
            return std::nullopt;
        }
        const char next = s[pos + 1];
        if (next == '\\' || next == '"') {
            out += next;
            pos += 2;
        } else {
            // Any other backslash is an ordinary character, as the registry editor reads it.
            out += '\\';
            ++pos;
        }
    }
}

void AppendQuoted(std::string& out, std::string_view s) {
    out += '"';
    for (char c : s) {
        if (c == '\\' || c == '"') {
            out += '\\';
        }
        out += c;
    }
    out += '"';
}

// Comma-separated bytes of one or two hex digits each; an empty list is no bytes.
std::optional<std::string> ParseHexBytes(std::string_view list) {
    std::string out;
    list = Trim(list);
    if (list.empty()) {
        return out;
    }
    while (true) {
        const std::size_t comma = list.find(',');
        const std::string_view token = Trim(list.substr(0, comma));
        if (token.empty() || token.size() > 2) {
            return std::nullopt;
        }
        const auto number = ParseHexNumber(token);
        if (!number) {
            return std::nullopt;
        }
        out += static_cast<char>(*number);
        if (comma == std::string_view::npos) {
            return out;
        }
        list.remove_prefix(comma + 1);
    }
}

// Whether a text value can be written as a quoted string and read back as the same bytes.
bool FitsQuotedString(const Value& value) {
    if (value.type != kTypeSz || !value.HasTerminatingNul()) {
        return false;
    }
    const std::string_view text(value.data.data(), value.data.size() - 1);
    return text.find_first_of(std::string_view("\0\r\n", 3)) == std::string_view::npos &&
           IsWellFormedUtf8(text);
}

void AppendHex(std::string& out, const Value& value) {
    static constexpr char kDigits[] = "0123456789abcdef";
    if (value.type == kTypeBinary) {
        out += "hex:";
    } else {
        out += "hex(";
        std::string type;
        std::uint32_t t = value.type;
        do {
            type.insert(type.begin(), kDigits[t % 16]);
            t /= 16;
        } while (t != 0);
        out += type;
        out += "):";
    }
    std::size_t lineStart = out.rfind('\n');
    lineStart = lineStart == std::string::npos ? 0 : lineStart + 1;
    for (std::size_t i = 0; i < value.data.size(); ++i) {
        if (i > 0) {
            out += ',';
            // Room for the next byte, its comma and the continuation backslash.
            if (out.size() - lineStart + 4 > kMaxLineLength) {
                out += "\\\r\n  ";
                lineStart = out.size() - 2;
            }
        }
        const auto byte = static_cast<unsigned char>(value.data[i]);
        out += kDigits[byte >> 4];
        out += kDigits[byte & 0x0F];
    }
}

void AppendValueLine(std::string& out, const NamedValue& named) {
    if (named.name.empty()) {
        out += '@';
    } else {
        AppendQuoted(out, named.name);
    }
    out += '=';
    const Value& value = named.value;
    if (FitsQuotedString(value)) {
        AppendQuoted(out, std::string_view(value.data.data(), value.data.size() - 1));
    } else if (const auto number = value.AsDword()) {
        static constexpr char kDigits[] = "0123456789abcdef";
        out += "dword:";
        for (int shift = 28; shift >= 0; shift -= 4) {
            out += kDigits[(*number >> shift) & 0x0F];
        }
    } else {
        AppendHex(out, value);
    }
    out += "\r\n";
}

void AppendKey(std::string& out, const Key& key, const std::string& path, bool isRoot) {
    // Every key gets its section so that empty keys survive; the root only when it holds
    // values of its own.
    if (!isRoot || !key.values.empty()) {
        out += '[';
        out += path;
        out += "]\r\n";
        for (const NamedValue& named : key.values) {
            AppendValueLine(out, named);
        }
        out += "\r\n";
    }
    for (const Key& subkey : key.subkeys) {
        AppendKey(out, subkey, path + '\\' + subkey.name, false);
    }
}

template <typename Container>
auto FindByName(Container& items, std::string_view name) {
    return std::find_if(items.begin(), items.end(),
                        [&](const auto& item) { return EqualsIgnoringAsciiCase(item.name, name); });
}

// Texts from the file are UTF-8 as this program writes them; anything else comes from a
// Windows export and is Windows-1252.
std::string FromFileText(std::string s) {
    return IsWellFormedUtf8(s) ? std::move(s) : Windows1252ToUtf8(s);
}

bool HasLineBreakOrNul(std::string_view s) {
    return s.find_first_of(std::string_view("\0\r\n", 3)) != std::string_view::npos;
}

char AsciiLower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

struct NameHash {
    std::size_t operator()(std::string_view s) const {
        std::size_t hash = 14695981039346656037ull;  // FNV-1a over the lower-case bytes
        for (char c : s) {
            hash = (hash ^ static_cast<unsigned char>(AsciiLower(c))) * 1099511628211ull;
        }
        return hash;
    }
};

struct NameEqual {
    bool operator()(std::string_view a, std::string_view b) const {
        return EqualsIgnoringAsciiCase(a, b);
    }
};

// A value that a file names twice in one key (also through a repeated section) keeps its
// first name and place and takes the data of its last line, as importing the file would
// leave it. Hashing keeps a file of thousands of values quick to read.
void MergeRepeatedValues(Key& key) {
    const std::size_t count = key.values.size();
    if (count > 1) {
        // First pass: where each value goes. The map refers to the names in place, so
        // nothing may move before it is gone.
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
        if (kept < count) {
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
    }
    for (Key& subkey : key.subkeys) {
        MergeRepeatedValues(subkey);
    }
}

}  // namespace

Value Value::Text(std::string_view utf8, std::uint32_t textType) {
    Value value;
    value.type = textType;
    value.data.assign(utf8);
    value.data += '\0';
    return value;
}

Value Value::Dword(std::uint32_t number) {
    Value value;
    value.type = kTypeDword;
    for (int i = 0; i < 4; ++i) {
        value.data += static_cast<char>((number >> (8 * i)) & 0xFF);
    }
    return value;
}

std::optional<std::string> Value::AsText() const {
    if (!IsText()) {
        return std::nullopt;
    }
    return data.substr(0, data.find('\0'));
}

std::optional<std::uint32_t> Value::AsDword() const {
    if (type != kTypeDword || data.size() != 4) {
        return std::nullopt;
    }
    std::uint32_t number = 0;
    for (int i = 3; i >= 0; --i) {
        number = (number << 8) | static_cast<unsigned char>(data[i]);
    }
    return number;
}

Key* Key::FindSubkey(std::string_view subkeyName) {
    auto it = FindByName(subkeys, subkeyName);
    return it == subkeys.end() ? nullptr : &*it;
}

const Key* Key::FindSubkey(std::string_view subkeyName) const {
    auto it = FindByName(subkeys, subkeyName);
    return it == subkeys.end() ? nullptr : &*it;
}

NamedValue* Key::FindValue(std::string_view valueName) {
    auto it = FindByName(values, valueName);
    return it == values.end() ? nullptr : &*it;
}

const NamedValue* Key::FindValue(std::string_view valueName) const {
    auto it = FindByName(values, valueName);
    return it == values.end() ? nullptr : &*it;
}

void Key::SetValue(std::string_view valueName, Value value) {
    if (NamedValue* existing = FindValue(valueName)) {
        existing->value = std::move(value);
    } else {
        values.push_back(NamedValue{std::string(valueName), std::move(value)});
    }
}

bool Key::RemoveValue(std::string_view valueName) {
    auto it = FindByName(values, valueName);
    if (it == values.end()) {
        return false;
    }
    values.erase(it);
    return true;
}

Key& Key::AddSubkey(std::string_view subkeyName) {
    if (Key* existing = FindSubkey(subkeyName)) {
        return *existing;
    }
    subkeys.push_back(Key{std::string(subkeyName), {}, {}});
    return subkeys.back();
}

bool Key::RemoveSubkey(std::string_view subkeyName) {
    auto it = FindByName(subkeys, subkeyName);
    if (it == subkeys.end()) {
        return false;
    }
    subkeys.erase(it);
    return true;
}

std::optional<std::vector<std::string>> SplitKeyPath(std::string_view path) {
    std::vector<std::string> names;
    if (path.empty()) {
        return std::nullopt;
    }
    while (true) {
        const std::size_t separator = path.find('\\');
        const std::string_view name = path.substr(0, separator);
        if (name.empty() || HasLineBreakOrNul(name)) {
            return std::nullopt;
        }
        names.emplace_back(name);
        if (separator == std::string_view::npos) {
            return names;
        }
        path.remove_prefix(separator + 1);
    }
}

bool IsValidValueName(std::string_view name) {
    return !HasLineBreakOrNul(name);
}

bool HasWritableNames(const Key& root) {
    for (const NamedValue& named : root.values) {
        if (!IsValidValueName(named.name)) {
            return false;
        }
    }
    for (const Key& subkey : root.subkeys) {
        if (subkey.name.empty() || subkey.name.find('\\') != std::string::npos ||
            HasLineBreakOrNul(subkey.name) || !HasWritableNames(subkey)) {
            return false;
        }
    }
    return true;
}

Key* FindKey(Key& root, const std::vector<std::string>& names) {
    Key* key = &root;
    for (const std::string& name : names) {
        key = key->FindSubkey(name);
        if (key == nullptr) {
            return nullptr;
        }
    }
    return key;
}

const Key* FindKey(const Key& root, const std::vector<std::string>& names) {
    return FindKey(const_cast<Key&>(root), names);
}

Key& CreateKey(Key& root, const std::vector<std::string>& names) {
    Key* key = &root;
    for (const std::string& name : names) {
        key = &key->AddSubkey(name);
    }
    return *key;
}

bool DeleteKey(Key& root, const std::vector<std::string>& names) {
    if (names.empty()) {
        return false;
    }
    Key* parent = FindKey(root, std::vector<std::string>(names.begin(), names.end() - 1));
    return parent != nullptr && parent->RemoveSubkey(names.back());
}

std::optional<Key> ParseHive(std::string_view text) {
    Key root{std::string(kHiveName), {}, {}};
    if (text.substr(0, kUtf8Bom.size()) == kUtf8Bom) {
        text.remove_prefix(kUtf8Bom.size());
    }
    std::vector<std::string_view> lines;
    for (std::size_t start = 0; start <= text.size();) {
        std::size_t end = text.find('\n', start);
        if (end == std::string_view::npos) {
            end = text.size();
        }
        std::string_view line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        lines.push_back(line);
        start = end + 1;
    }
    std::size_t i = 0;
    while (i < lines.size() && Trim(lines[i]).empty()) {
        ++i;
    }
    if (i == lines.size()) {
        return root;
    }
    if (Trim(lines[i]) != kHeaderLine) {
        return std::nullopt;
    }
    Key* current = nullptr;
    for (++i; i < lines.size(); ++i) {
        const std::string_view line = Trim(lines[i]);
        if (line.empty() || line.front() == ';') {
            continue;
        }
        if (line.front() == '[') {
            if (line.size() < 2 || line.back() != ']') {
                return std::nullopt;
            }
            const std::string_view path = line.substr(1, line.size() - 2);
            const std::size_t separator = path.find('\\');
            if (!EqualsIgnoringAsciiCase(path.substr(0, separator), kHiveName)) {
                return std::nullopt;  // another hive, or "[-...]" (a deletion, never exported)
            }
            if (separator == std::string_view::npos) {
                current = &root;
                continue;
            }
            const auto names = SplitKeyPath(FromFileText(std::string(path.substr(separator + 1))));
            if (!names) {
                return std::nullopt;
            }
            current = &CreateKey(root, *names);
            continue;
        }
        if (current == nullptr) {
            return std::nullopt;
        }
        std::size_t pos = 0;
        std::string name;
        if (line.front() == '@') {
            pos = 1;
        } else if (auto quoted = ParseQuoted(line, pos)) {
            name = FromFileText(std::move(*quoted));
            if (name.empty()) {
                return std::nullopt;  // the default value is written "@"
            }
        } else {
            return std::nullopt;
        }
        std::string_view rest = TrimLeft(line.substr(pos));
        if (rest.empty() || rest.front() != '=') {
            return std::nullopt;
        }
        rest = TrimLeft(rest.substr(1));
        Value value;
        if (!rest.empty() && rest.front() == '"') {
            std::size_t end = 0;
            auto data = ParseQuoted(rest, end);
            if (!data || !Trim(rest.substr(end)).empty()) {
                return std::nullopt;
            }
            value.type = kTypeSz;
            value.data = FromFileText(std::move(*data));
            value.data += '\0';
        } else if (StartsWithIgnoringCase(rest, "dword:")) {
            const auto number = ParseHexNumber(rest.substr(6));
            if (!number) {
                return std::nullopt;
            }
            value = Value::Dword(*number);
        } else if (StartsWithIgnoringCase(rest, "hex")) {
            rest.remove_prefix(3);
            value.type = kTypeBinary;
            if (!rest.empty() && rest.front() == '(') {
                const std::size_t close = rest.find(')');
                if (close == std::string_view::npos) {
                    return std::nullopt;
                }
                const auto type = ParseHexNumber(rest.substr(1, close - 1));
                if (!type) {
                    return std::nullopt;
                }
                value.type = *type;
                rest.remove_prefix(close + 1);
            }
            if (rest.empty() || rest.front() != ':') {
                return std::nullopt;
            }
            std::string list(rest.substr(1));
            // A long value continues on the next line after a trailing backslash.
            while (!list.empty() && list.back() == '\\') {
                list.pop_back();
                if (++i >= lines.size()) {
                    return std::nullopt;
                }
                list += Trim(lines[i]);
            }
            auto bytes = ParseHexBytes(list);
            if (!bytes) {
                return std::nullopt;
            }
            value.data = std::move(*bytes);
        } else {
            return std::nullopt;
        }
        // Appended as read; names that occur twice are merged once the whole file is read.
        current->values.push_back(NamedValue{std::move(name), std::move(value)});
    }
    MergeRepeatedValues(root);
    return root;
}

std::string SerializeHive(const Key& root) {
    std::string out(kHeaderLine);
    out += "\r\n\r\n";
    AppendKey(out, root, std::string(kHiveName), true);
    return out;
}

}  // namespace platform::registry
