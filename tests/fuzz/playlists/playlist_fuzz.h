#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Seeds and mutations for feeding broken playlists to the readers.
namespace playlistfuzz {

struct Playlist {
    std::string extension;  // with its dot
    std::string bytes;
};

// Well-formed playlists of the four types, covering what the readers know: headers and
// byte-order marks, every line end, #EXTINF forms, PLS numbers out of order and with gaps,
// file URIs, internet addresses, Windows paths, XSPF with xml:base, prefixes, CDATA and a
// document type. Relative entries point into "music/" beside the playlist.
std::vector<Playlist> MakeSeeds();

// Case number index of the campaign: a seed changed by one to eight mutations (bytes,
// tokens of the four formats, removed, repeated and spliced ranges and lines), now and
// then under another type's extension. The same (campaign, index) always gives the same
// playlist.
Playlist MakeCase(const std::vector<Playlist>& seeds, std::uint64_t campaign, std::uint64_t index);

}  // namespace playlistfuzz
