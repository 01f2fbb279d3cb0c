#pragma once

#include <string>
#include <string_view>
#include <vector>

// The progress text of the creation step, "<NUMBER/> of <TOTAL/> files processed", taken
// apart once at every "<NUMBER/>", so that the text of each entry is put together without
// searching the template again. The number is digits only, so this gives what ReplaceTags
// gives.
class CProgressText {
public:
    // text is the language table's template; total fills its "<TOTAL/>".
    CProgressText(const std::string& text, const std::string& total);
    // The text for one number, made in one allocation: the job makes one per entry.
    std::string For(std::string_view number) const;

private:
    std::vector<std::string> m_parts;
    std::size_t m_fixedLength = 0;
};
