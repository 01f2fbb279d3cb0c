#include "tests/platform/registry/hive_fuzz.h"

#include <random>

#include "platform/registry/hive.h"
#include "tests/platform/registry/windows_export.h"

using namespace platform::registry;

namespace hivefuzz {
namespace {

// A hive with every kind of value and some awkward names.
std::string OwnHive() {
    Key root{"HKEY_CURRENT_USER", {}, {}};
    Key& app = CreateKey(root, {"Software", "Wendmark", "Tracklace3"});
    app.SetValue("Installer Language", Value::Text("1031"));
    app.SetValue("SelectSongFolder", Value::Text("/home/u/Müsik/\"Best\" \\ of"));
    CreateKey(root, {"Software", "Wendmark", "Tracklace3", "MP3"})
        .SetValue("TitleMask", Value::Text("%3 - %2"));
    Key& general = CreateKey(root, {"Software", "Wendmark", "Tracklace3", "GeneralSettings"});
    general.SetValue("PlaySound", Value::Dword(1));
    general.SetValue("WindowPositionX", Value::Dword(0xFFFFFF9C));
    general.SetValue("Multi", Value{7, std::string("one\0two\0\0", 9)});
    general.SetValue("Path", Value::Text("%HOME%\\x", kTypeExpandSz));
    general.SetValue("Lines", Value::Text("a\nb"));
    general.SetValue("", Value::Text("default"));
    general.SetValue("Blob", Value{kTypeBinary, std::string(70, '\x5A')});
    Key& types = CreateKey(root, {"Software", "Wendmark", "Tracklace3", "FileTypes"});
    for (const char* type : {"mp3", "ogg", "wav"}) {
        types.SetValue(type, Value::Text("1"));
    }
    CreateKey(root, {"Software", "Other", "Empty key"});
    return SerializeHive(root);
}

// What a person or another program might leave in the file.
std::string HandEditedHive() {
    return "REGEDIT4\n\n; edited by hand\n\"before\"=\"any section\"\n"
           "[HKEY_CURRENT_USER\\Software]\n\"a\"=hex(2):41,00,\\\n  42,00\n"
           "\"b\"=dword:0000000a\n@=\"x\\\\y\\\"z\"\n\"later\"=qword:1\n"
           "\"cut\"=hex:01,\\\n\n\"after\"=\"the cut\"\n"
           "[HKEY_LOCAL_MACHINE\\Software\\Elsewhere]\n\"m\"=\"machine\"\n"
           "[-HKEY_CURRENT_USER\\Software\\Gone]\n"
           "[HKEY_CURRENT_USER]\n\"r\"=\"\"\n"
           "[hkey_current_user\\SOFTWARE]\n\"c\"=\"again\"\n\"a\"=\"replaced\"\n";
}

// A key at the depth limit with a long name, a value name at its limit and many siblings.
std::string LimitsHive() {
    std::string deep = "[HKEY_CURRENT_USER";
    for (std::size_t level = 0; level < kMaxKeyDepth; ++level) {
        // The long name last, where the file holds it once.
        deep += level + 1 == kMaxKeyDepth ? "\\" + std::string(kMaxKeyNameCharacters, 'k') : "\\d";
    }
    std::string text = "REGEDIT4\r\n\r\n" + deep + "]\r\n\"" +
                       std::string(kMaxValueNameCharacters, 'v') + "\"=dword:00000001\r\n\r\n";
    for (int i = 0; i < 200; ++i) {
        text += "[HKEY_CURRENT_USER\\Software\\Wide\\S" + std::to_string(i) + "]\r\n\"v\"=\"" +
                std::to_string(i) + "\"\r\n\r\n";
    }
    return text;
}

const char kSpecials[] = "[]\"\\@=:,;()\r\n \txhexdword0aF\xFF\xC3\xA4";

char Special(std::mt19937_64& random) {
    return kSpecials[random() % (sizeof kSpecials - 1)];
}

// The start of the line that holds at.
std::size_t LineStart(const std::string& text, std::size_t at) {
    const std::size_t newline = at == 0 ? std::string::npos : text.rfind('\n', at - 1);
    return newline == std::string::npos ? 0 : newline + 1;
}

std::string LineAt(const std::string& text, std::size_t at) {
    const std::size_t start = LineStart(text, at);
    const std::size_t end = text.find('\n', start);
    return text.substr(start, end == std::string::npos ? std::string::npos : end - start + 1);
}

void Mutate(std::string& text, const std::vector<std::string>& seeds, std::mt19937_64& random) {
    if (text.empty()) {
        text = Special(random);
        return;
    }
    const std::size_t at = random() % text.size();
    switch (random() % 12) {
        case 0:
            text[at] = static_cast<char>(random() % 256);
            break;
        case 1:
            text[at] = Special(random);
            break;
        case 2:
            text.insert(at, 1, Special(random));
            break;
        case 3:
            text.erase(at, 1 + random() % 24);
            break;
        case 4:  // a line repeated
            text.insert(LineStart(text, at), LineAt(text, at));
            break;
        case 5: {  // a line moved
            const std::string line = LineAt(text, at);
            text.erase(LineStart(text, at), line.size());
            text.insert(LineStart(text, random() % (text.size() + 1)), line);
            break;
        }
        case 6: {  // a line from another seed
            const std::string& other = seeds[random() % seeds.size()];
            if (!other.empty()) {
                text.insert(LineStart(text, at), LineAt(other, random() % other.size()));
            }
            break;
        }
        case 7:  // a continuation where none was
            text.insert(
                text.find('\n', at) == std::string::npos ? text.size() : text.find('\n', at), "\\");
            break;
        case 8:
            text.insert(at, random() % 2 ? "\r\n" : "\n");
            break;
        case 9:
            text.insert(at, 1, '\0');
            break;
        case 10: {  // a path deeper than the limit, or one just within it
            std::string path = "[HKEY_CURRENT_USER";
            const std::size_t depth = kMaxKeyDepth - 1 + random() % 3;
            for (std::size_t level = 0; level < depth; ++level) {
                path += "\\a";
            }
            text.insert(LineStart(text, at), path + "]\n");
            break;
        }
        default:
            text.resize(at);
            break;
    }
}

// Whether two trees hold the same keys, values and kept lines in the same order.
bool SameTree(const Key& a, const Key& b, std::string& where) {
    if (a.name != b.name || a.values.size() != b.values.size() ||
        a.subkeys.size() != b.subkeys.size() || !(a.keptLines == b.keptLines)) {
        where = a.name;
        return false;
    }
    for (std::size_t i = 0; i < a.values.size(); ++i) {
        if (a.values[i].name != b.values[i].name || a.values[i].value != b.values[i].value) {
            where = a.name + "\\" + a.values[i].name;
            return false;
        }
    }
    for (std::size_t i = 0; i < a.subkeys.size(); ++i) {
        if (!SameTree(a.subkeys[i], b.subkeys[i], where)) {
            where = a.name + "\\" + where;
            return false;
        }
    }
    return true;
}

// The keys whose reads are compared with the whole parse.
const std::vector<std::vector<std::string>>& ReadPaths() {
    static const std::vector<std::vector<std::string>> paths = {
        {},
        {"Software"},
        {"software", "WENDMARK", "Tracklace3"},
        {"Software", "Wendmark", "Tracklace3", "MP3"},
        {"Software", "Wide"},
        {"A"},
    };
    return paths;
}

std::string CompareRead(const std::optional<ParsedHive>& whole, std::string_view bytes,
                        const std::vector<std::string>& path) {
    const auto part = ParseHiveFileFor(bytes, path);
    if (part.has_value() != whole.has_value()) {
        return "a read of one key and the whole parse disagree on accepting the file";
    }
    if (!whole) {
        return "";
    }
    const Key* full = FindKey(whole->root, path);
    const Key* read = FindKey(part->root, path);
    if ((full == nullptr) != (read == nullptr) || part->format != whole->format) {
        return "a read of one key finds another key than the whole parse";
    }
    if (full == nullptr) {
        return "";
    }
    bool same =
        full->values.size() == read->values.size() && full->subkeys.size() == read->subkeys.size();
    for (std::size_t i = 0; same && i < full->values.size(); ++i) {
        same = full->values[i].name == read->values[i].name &&
               full->values[i].value == read->values[i].value;
    }
    for (std::size_t i = 0; same && i < full->subkeys.size(); ++i) {
        same = full->subkeys[i].name == read->subkeys[i].name;
    }
    return same ? "" : "a read of one key finds other values or subkeys than the whole parse";
}

}  // namespace

std::vector<std::string> MakeSeeds() {
    const std::string export16 = Utf16LeFile(WindowsExportText());
    return {OwnHive(), HandEditedHive(), export16, "\xEF\xBB\xBF" + WindowsExportText(),
            LimitsHive()};
}

std::string MakeCase(const std::vector<std::string>& seeds, std::uint64_t campaign,
                     std::uint64_t index) {
    std::mt19937_64 random(campaign * 0x9E3779B97F4A7C15ull + index);
    std::string text = seeds[random() % seeds.size()];
    // Now and then no mutation but a cut, as a careless writer's crash would leave it.
    if (random() % 8 == 0) {
        text.resize(random() % (text.size() + 1));
        return text;
    }
    const int edits = 1 + static_cast<int>(random() % 6);
    for (int e = 0; e < edits; ++e) {
        Mutate(text, seeds, random);
    }
    return text;
}

Outcome CheckCase(std::string_view bytes) {
    Outcome outcome;
    const auto whole = ParseHiveFile(bytes);
    outcome.accepted = whole.has_value();
    for (const auto& path : ReadPaths()) {
        outcome.failure = CompareRead(whole, bytes, path);
        if (!outcome.failure.empty()) {
            return outcome;
        }
    }
    if (!whole) {
        return outcome;
    }
    if (!HasWritableNames(whole->root)) {
        outcome.failure = "an accepted hive has names that cannot be written";
        return outcome;
    }
    const std::string written = SerializeHive(whole->root);
    const auto again = ParseHiveFile(written);
    std::string where;
    if (!again || again->format != HiveFormat::kRegedit4) {
        outcome.failure = "what was written cannot be read:\n" + written;
    } else if (!SameTree(whole->root, again->root, where)) {
        outcome.failure = "what was written reads back differently at " + where + ":\n" + written;
    } else if (SerializeHive(again->root) != written) {
        outcome.failure = "what was written is written differently the second time:\n" + written;
    }
    return outcome;
}

}  // namespace hivefuzz
