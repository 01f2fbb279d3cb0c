#pragma once

#include <string>
#include <string_view>

// The two ways of writing a path that the program knows. Windows paths use "\" (and accept
// "/"), may start with a drive letter and compare without regard to letter case; POSIX
// paths use "/" only, have no drive and compare exactly. The program itself works in the
// native style; the Windows style is kept for playlists and settings made on Windows.
enum class PathStyle { Windows, Posix };

inline constexpr PathStyle kNativePathStyle = PathStyle::Posix;

// "\" for Windows, "/" for POSIX.
char PreferredSeparator(PathStyle style);

// Whether c separates two path components ("\" and "/" on Windows, "/" on POSIX).
bool IsSeparator(char c, PathStyle style);

// Whether components of the style compare without regard to letter case.
bool IsCaseInsensitive(PathStyle style);

// The text with the style's separator appended unless its last byte already is one;
// an empty text becomes the separator alone.
std::string AddSeparator(std::string_view text, PathStyle style = kNativePathStyle);

// The text without one trailing separator, if it has one.
std::string RemoveSeparator(std::string_view text, PathStyle style = kNativePathStyle);
