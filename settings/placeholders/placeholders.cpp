#include "settings/placeholders/placeholders.h"

#include "platform/code_page/code_page.h"

namespace {

void ReplaceAll(std::string& text, const std::string& tag, const std::string& value) {
    std::size_t pos = 0;
    while ((pos = text.find(tag, pos)) != std::string::npos) {
        text.replace(pos, tag.size(), value);
        pos += value.size();
    }
}

}  // namespace

std::string ReplaceTags(const std::string& text, const std::string& name1,
                        const std::string& value1, const std::string& name2,
                        const std::string& value2, const std::string& name3,
                        const std::string& value3, const std::string& name4,
                        const std::string& value4, const std::string& name5,
                        const std::string& value5) {
    const std::string* pairs[5][2] = {{&name1, &value1},
                                      {&name2, &value2},
                                      {&name3, &value3},
                                      {&name4, &value4},
                                      {&name5, &value5}};
    std::string result = text;
    for (const auto& pair : pairs) {
        if (pair[0]->empty()) {
            continue;
        }
        ReplaceAll(result, "<" + platform::Utf8ToUpper(*pair[0]) + "/>", *pair[1]);
    }
    return result;
}

std::string IntToText(std::int32_t value) {
    return std::to_string(value);
}
