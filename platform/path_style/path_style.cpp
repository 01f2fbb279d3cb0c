#include "platform/path_style/path_style.h"

char PreferredSeparator(PathStyle style) {
    return style == PathStyle::Windows ? '\\' : '/';
}

bool IsSeparator(char c, PathStyle style) {
    return c == '/' || (style == PathStyle::Windows && c == '\\');
}

bool IsCaseInsensitive(PathStyle style) {
    return style == PathStyle::Windows;
}

std::string AddSeparator(std::string_view text, PathStyle style) {
    const char separator = PreferredSeparator(style);
    std::string result(text);
    if (result.empty() || result.back() != separator) {
        result += separator;
    }
    return result;
}

std::string RemoveSeparator(std::string_view text, PathStyle style) {
    std::string result(text);
    if (!result.empty() && result.back() == PreferredSeparator(style)) {
        result.pop_back();
    }
    return result;
}
