#include "platform/registry/hive.h"

#include <algorithm>

#include "platform/code_page/code_page.h"

namespace platform::registry {
namespace {

template <typename Container>
auto FindByName(Container& items, std::string_view name) {
    return std::find_if(items.begin(), items.end(),
                        [&](const auto& item) { return EqualsIgnoringAsciiCase(item.name, name); });
}

bool HasLineBreakOrNul(std::string_view s) {
    for (char c : s) {
        if (c == '\0' || c == '\r' || c == '\n') {
            return true;
        }
    }
    return false;
}

// Whether a name of so many bytes has at most limit characters; counted only when the
// bytes alone do not tell.
bool WithinCharacters(std::string_view name, std::size_t limit) {
    return name.size() <= limit || CharacterCount(name) <= limit;
}

bool IsWritableKeyName(std::string_view name) {
    return !name.empty() && name.find('\\') == std::string_view::npos && !HasLineBreakOrNul(name) &&
           WithinCharacters(name, kMaxKeyNameCharacters);
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
    // The kept lines behind it keep their place among the values that remain.
    const auto index = static_cast<std::size_t>(it - values.begin());
    for (KeptLine& line : keptLines) {
        if (line.place == KeptLine::Place::kInSection && line.beforeValue > index) {
            --line.beforeValue;
        }
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
    // Walked with a list of its own rather than by recursion: the tree handed in may be
    // deeper than any stack (the depth limit is what is checked here).
    struct Pending {
        const Key* key;
        std::size_t depth;
    };
    std::vector<Pending> pending{{&root, 0}};
    while (!pending.empty()) {
        const auto [key, depth] = pending.back();
        pending.pop_back();
        for (const NamedValue& named : key->values) {
            if (!IsValidValueName(named.name) ||
                !WithinCharacters(named.name, kMaxValueNameCharacters)) {
                return false;
            }
        }
        if (!key->subkeys.empty() && depth == kMaxKeyDepth) {
            return false;
        }
        for (const Key& subkey : key->subkeys) {
            if (!IsWritableKeyName(subkey.name)) {
                return false;
            }
            pending.push_back({&subkey, depth + 1});
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

}  // namespace platform::registry
