#pragma once

#include <string>

#include "core/formats/readers/playlist_reader.h"

// What a user is told about reading a playlist, in the current language.

// Why the playlist at path (named as the user gave it) could not be read; empty when it
// could.
std::string DescribePlaylistReadError(const PlaylistReadResult& result, const std::string& path);

// One warning, "Line 12: ..." when it concerns a line.
std::string DescribePlaylistReadWarning(const PlaylistReadWarning& warning);
