#include "settings/language/language_table.h"

#include "platform/code_page/code_page.h"

namespace {

constexpr std::string_view kLineEnd = "\r\n";

// Takes the next line off the front of text: the bytes before the first CR LF, removed
// with it. Without a CR LF the line is empty and a single byte goes, which is how the table
// has always treated a last line without its line end.
std::string_view TakeLine(std::string_view& text) {
    const std::size_t end = text.find(kLineEnd);
    if (end == std::string_view::npos) {
        text.remove_prefix(text.empty() ? 0 : 1);
        return {};
    }
    const std::string_view line = text.substr(0, end);
    text.remove_prefix(end + kLineEnd.size());
    return line;
}

std::string UnescapeLineBreaks(std::string_view value) {
    std::string out;
    out.reserve(value.size());
    for (std::size_t i = 0; i < value.size(); ++i) {
        if (value[i] == '\\' && i + 1 < value.size() && value[i + 1] == 'n') {
            out += '\n';
            ++i;
        } else {
            out += value[i];
        }
    }
    return out;
}

}  // namespace

LanguageTable ParseLanguageTable(std::string_view bytes) {
    LanguageTable table;
    while (!bytes.empty()) {
        const std::string_view key = TakeLine(bytes);
        const std::string_view value = TakeLine(bytes);
        table.insert_or_assign(platform::Windows1252ToUtf8(key),
                               platform::Windows1252ToUtf8(UnescapeLineBreaks(value)));
    }
    return table;
}
