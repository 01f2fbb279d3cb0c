#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

// Reads the leading integer of a text the way the formatted-input conversion "%i" does:
// leading white space is skipped, an optional sign follows, then decimal digits, octal
// digits after a leading 0, or hexadecimal digits after 0x or 0X. Reading stops at the
// first byte that does not fit. A value beyond the 32-bit range is held at its limit.
// No value when no digit could be read.
std::optional<std::int32_t> ScanInteger(std::string_view text);
