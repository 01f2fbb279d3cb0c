#include "core/creation_job/progress_text.h"

#include "settings/placeholders/placeholders.h"

CProgressText::CProgressText(const std::string& text, const std::string& total) {
    static constexpr std::string_view kTag = "<NUMBER/>";
    const std::string filled = ReplaceTags(text, "TOTAL", total);
    std::size_t start = 0;
    while (true) {
        const std::size_t found = filled.find(kTag, start);
        if (found == std::string::npos) {
            m_parts.push_back(filled.substr(start));
            break;
        }
        m_parts.push_back(filled.substr(start, found - start));
        start = found + kTag.size();
    }
    for (const std::string& part : m_parts) {
        m_fixedLength += part.size();
    }
}

std::string CProgressText::For(std::string_view number) const {
    std::string text;
    text.reserve(m_fixedLength + (m_parts.size() - 1) * number.size());
    text += m_parts[0];
    for (std::size_t k = 1; k < m_parts.size(); ++k) {
        text += number;
        text += m_parts[k];
    }
    return text;
}
