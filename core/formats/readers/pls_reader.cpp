#include "core/formats/readers/pls_reader.h"

#include <algorithm>
#include <charconv>
#include <unordered_map>

#include "core/formats/readers/text_lines.h"
#include "platform/code_page/code_page.h"

namespace {

// What the lines of one entry number said, and on which lines.
struct Numbered {
    std::uint64_t number = 0;
    std::string file;
    std::string title;
    std::int64_t lengthMs = kUnknownLength;
    std::int32_t fileLine = 0;
    std::int32_t titleLine = 0;
    std::int32_t lengthLine = 0;
};

enum class Field { kFile, kTitle, kLength };

// "File12" gives kFile and 12. False for other keys and for numbers past 64 bits.
bool ParseNumberedKey(std::string_view key, Field& field, std::uint64_t& number) {
    static constexpr std::pair<std::string_view, Field> kFields[] = {
        {"file", Field::kFile}, {"title", Field::kTitle}, {"length", Field::kLength}};
    for (const auto& [name, which] : kFields) {
        if (!StartsWithIgnoringCase(key, name)) {
            continue;
        }
        const std::string_view digits = key.substr(name.size());
        if (digits.empty() || !std::all_of(digits.begin(), digits.end(),
                                           [](char c) { return c >= '0' && c <= '9'; })) {
            return false;
        }
        const auto [end, error] =
            std::from_chars(digits.data(), digits.data() + digits.size(), number);
        field = which;
        return error == std::errc() && end == digits.data() + digits.size();
    }
    return false;
}

bool IsSectionLine(std::string_view line) {
    return !line.empty() && line.front() == '[';
}

bool IsPlaylistSection(std::string_view line) {
    return platform::EqualsIgnoringAsciiCase(TrimBlanks(line), "[playlist]");
}

}  // namespace

bool CPlaylistReaderPls::HasSignature(std::string_view bytes) const {
    if (bytes.substr(0, 3) == "\xEF\xBB\xBF") {
        bytes.remove_prefix(3);
    }
    // The first line that is not blank.
    while (!bytes.empty()) {
        const std::size_t end = bytes.find_first_of("\r\n");
        const std::string_view line = TrimBlanks(bytes.substr(0, end));
        if (!line.empty()) {
            return IsPlaylistSection(line);
        }
        if (end == std::string_view::npos) {
            break;
        }
        bytes.remove_prefix(end + 1);
    }
    return false;
}

void CPlaylistReaderPls::Read(std::string_view bytes, const std::string& /*playlistUri*/,
                              PlaylistSource& source) const {
    CPlaylistLines lines(bytes, false, source);
    std::vector<Numbered> numbered;
    std::unordered_map<std::uint64_t, std::size_t> byNumber;
    bool inSection = false;
    bool sawSection = false;
    bool hasStatedCount = false;
    std::int64_t statedCount = 0;
    std::int32_t statedLine = 0;

    std::string_view line;
    while (lines.Next(line)) {
        line = TrimLeadingBlanks(line);
        if (line.empty() || line.front() == ';' || line.front() == '#') {
            continue;
        }
        if (IsSectionLine(line)) {
            inSection = IsPlaylistSection(line);
            sawSection = sawSection || inSection;
            continue;
        }
        const std::size_t equals = line.find('=');
        if (!inSection || equals == std::string_view::npos) {
            continue;
        }
        const std::string_view key = TrimBlanks(line.substr(0, equals));
        const std::string_view value = TrimLeadingBlanks(line.substr(equals + 1));
        if (platform::EqualsIgnoringAsciiCase(key, "NumberOfEntries")) {
            const std::string_view digits = TrimBlanks(value);
            const auto [end, error] =
                std::from_chars(digits.data(), digits.data() + digits.size(), statedCount);
            hasStatedCount = error == std::errc() && end == digits.data() + digits.size();
            statedLine = lines.Number();
            continue;
        }
        Field field;
        std::uint64_t number;
        if (!ParseNumberedKey(key, field, number)) {
            continue;
        }
        if (field == Field::kFile && value.empty()) {
            continue;  // names nothing: as if the line were not there
        }
        auto [found, isNew] = byNumber.try_emplace(number, numbered.size());
        if (isNew) {
            // Numbers without a File line count too, or a file of Title lines alone could
            // fill the memory.
            if (numbered.size() >= kMaxPlaylistEntries) {
                source.Fail(PlaylistReadError::kTooManyEntries);
                return;
            }
            numbered.push_back({});
            numbered.back().number = number;
        }
        Numbered& entry = numbered[found->second];
        std::int32_t& fieldLine = field == Field::kFile    ? entry.fileLine
                                  : field == Field::kTitle ? entry.titleLine
                                                           : entry.lengthLine;
        if (fieldLine != 0) {
            // The first one counts, as it does for the programs that read PLS as an INI file.
            source.Warn(PlaylistReadWarningKind::kRepeatedNumber, lines.Number(), {},
                        static_cast<std::int64_t>(number));
            continue;
        }
        fieldLine = lines.Number();
        if (field == Field::kFile) {
            entry.file = value;
        } else if (field == Field::kTitle) {
            entry.title = value;
        } else {
            entry.lengthMs = ParseSeconds(value);
        }
    }
    if (source.error != PlaylistReadError::kNone) {
        return;
    }
    if (!sawSection) {
        source.Fail(PlaylistReadError::kWrongContent);
        return;
    }

    std::sort(numbered.begin(), numbered.end(),
              [](const Numbered& a, const Numbered& b) { return a.number < b.number; });
    std::int64_t fileCount = 0;
    for (Numbered& entry : numbered) {
        if (entry.fileLine == 0) {
            for (const std::int32_t orphan : {entry.titleLine, entry.lengthLine}) {
                if (orphan != 0) {
                    source.Warn(PlaylistReadWarningKind::kNoFileLine, orphan, {},
                                static_cast<std::int64_t>(entry.number));
                }
            }
            continue;
        }
        ++fileCount;
        PlaylistFileEntry* added = source.Add(entry.fileLine, std::move(entry.file));
        if (added == nullptr) {
            return;
        }
        added->title = std::move(entry.title);
        added->lengthMs = entry.lengthMs;
    }
    if (hasStatedCount && statedCount != fileCount) {
        source.Warn(PlaylistReadWarningKind::kEntryCountMismatch, statedLine, {}, statedCount,
                    fileCount);
    }
}
