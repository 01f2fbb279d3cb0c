#pragma once

#include <string>
#include <string_view>

// Every text in memory is UTF-8. These helpers bring 8-bit texts from elsewhere into it
// and change letter case the way the program needs it (ASCII and the Latin letters of
// Windows-1252; everything else is left as it is).
namespace platform {

// Windows-1252 bytes as UTF-8. The five bytes that Windows-1252 leaves undefined
// (0x81, 0x8D, 0x8F, 0x90, 0x9D) map to the code points of the same number, as Windows does.
std::string Windows1252ToUtf8(std::string_view text);

// ISO-8859-1 bytes as UTF-8.
std::string Latin1ToUtf8(std::string_view text);

// UTF-8 as Windows-1252 where every character has a byte there; a character without one
// becomes '?'. Malformed UTF-8 bytes are taken as Windows-1252 bytes.
std::string Utf8ToWindows1252(std::string_view text);

// UTF-16LE bytes (two per code unit, no byte-order mark) as UTF-8. A surrogate without its
// partner becomes U+FFFD; a last odd byte is dropped.
std::string Utf16LeToUtf8(std::string_view bytes);

// Whether every byte of text belongs to a well-formed UTF-8 character (no overlong forms,
// no surrogates, nothing above U+10FFFF).
bool IsWellFormedUtf8(std::string_view text);

// The number of characters of a text that is well-formed UTF-8, else its number of bytes
// (each byte one character of an 8-bit code page).
std::size_t CharacterCount(std::string_view text);

// Lower and upper case of UTF-8 text: ASCII letters, the Latin-1 letters (À..Þ / à..þ,
// without × and ÷) and Š Œ Ž Ÿ. "ß" has no single upper-case letter and stays.
// Bytes that are not well-formed UTF-8 are copied unchanged.
std::string Utf8ToLower(std::string_view text);
std::string Utf8ToUpper(std::string_view text);

// Whether a and b are equal apart from the letter case of ASCII letters.
bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b);

}  // namespace platform
