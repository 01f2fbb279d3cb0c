// The hive's file text in this program's form, REGEDIT4.
#include "platform/code_page/code_page.h"
#include "platform/registry/hive.h"

namespace platform::registry {
namespace {

constexpr std::string_view kHeaderLine = "REGEDIT4";
constexpr char kDigits[] = "0123456789abcdef";
// A hex value continues on the next line before its line grows longer than this, as the
// registry editor wraps them.
constexpr std::size_t kMaxLineLength = 80;

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
        out += "dword:";
        for (int shift = 28; shift >= 0; shift -= 4) {
            out += kDigits[(*number >> shift) & 0x0F];
        }
    } else {
        AppendHex(out, value);
    }
    out += "\r\n";
}

void AppendKeptLines(std::string& out, const Key& key, KeptLine::Place place,
                     std::size_t beforeValue) {
    for (const KeptLine& line : key.keptLines) {
        const bool here = line.place == place &&
                          (place != KeptLine::Place::kInSection || line.beforeValue == beforeValue);
        if (here) {
            out += line.text;
            out += "\r\n";
        }
    }
}

bool HasLinesInSection(const Key& key) {
    for (const KeptLine& line : key.keptLines) {
        if (line.place == KeptLine::Place::kInSection) {
            return true;
        }
    }
    return false;
}

// The section of one key: its header, its values with its kept lines among them where they
// stood, and the blank line that ends it.
void AppendSection(std::string& out, const std::string& path, const Key& key) {
    out += '[';
    out += path;
    out += "]\r\n";
    const std::size_t count = key.values.size();
    const bool hasLines = HasLinesInSection(key);
    for (std::size_t i = 0; i < count; ++i) {
        if (hasLines) {
            AppendKeptLines(out, key, KeptLine::Place::kInSection, i);
        }
        AppendValueLine(out, key.values[i]);
    }
    if (hasLines) {
        // Lines behind the last value, also those whose values have gone since.
        for (const KeptLine& line : key.keptLines) {
            if (line.place == KeptLine::Place::kInSection && line.beforeValue >= count) {
                out += line.text;
                out += "\r\n";
            }
        }
    }
    out += "\r\n";
}

}  // namespace

std::string SerializeHive(const Key& root) {
    std::string out(kHeaderLine);
    out += "\r\n\r\n";
    AppendKeptLines(out, root, KeptLine::Place::kBeforeSections, 0);
    std::string path(kHiveName);
    // Every key gets its section so that empty keys survive; the root only when it holds
    // something of its own.
    if (!root.values.empty() || HasLinesInSection(root)) {
        AppendSection(out, path, root);
    }
    // Parents before children, walked with a list of its own instead of by recursion.
    struct Pending {
        const Key* key;
        std::size_t next;        // the subkey to write next
        std::size_t pathLength;  // of the key's own path
    };
    std::vector<Pending> pending{{&root, 0, path.size()}};
    while (!pending.empty()) {
        Pending& top = pending.back();
        if (top.next == top.key->subkeys.size()) {
            pending.pop_back();
            continue;
        }
        const Key& subkey = top.key->subkeys[top.next++];
        path.resize(top.pathLength);
        path += '\\';
        path += subkey.name;
        AppendSection(out, path, subkey);
        pending.push_back({&subkey, 0, path.size()});
    }
    // Sections of other hives, which this program does not read, close the file.
    std::size_t before = out.size();
    AppendKeptLines(out, root, KeptLine::Place::kAfterSections, 0);
    if (out.size() != before) {
        out += "\r\n";
    }
    return out;
}

}  // namespace platform::registry
