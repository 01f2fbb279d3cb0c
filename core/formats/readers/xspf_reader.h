#pragma once

#include "core/formats/readers/playlist_reader.h"

// XSPF (the XML Shareable Playlist Format, namespace "http://xspf.org/ns/0/"), read with
// pugixml: each track of the trackList with its first usable location (a URI reference
// that resolves against xml:base where one is given, else against the playlist's own
// URI), title, creator, album and duration in milliseconds. pugixml expands no entity
// other than XML's own and never loads a DTD, so a document cannot make the reader fetch
// or inflate anything.
class CPlaylistReaderXspf : public IPlaylistReader {
public:
    PlaylistFileType GetType() const override { return PlaylistFileType::kXspf; }
    bool HasSignature(std::string_view bytes) const override;
    void Read(std::string_view bytes, const std::string& playlistUri,
              PlaylistSource& source) const override;
};
