#pragma once

#include <optional>
#include <string_view>

namespace platform {

// Finds an embedded resource by type and name ("TEXTSTRINGTABLE" / "LANGUAGE_EN",
// "MIDI" / "210"). Both compare without regard to ASCII letter case, as resource names do.
// The bytes live as long as the program.
std::optional<std::string_view> FindResource(std::string_view type, std::string_view name);

}  // namespace platform
