#pragma once

#include "core/formats/readers/playlist_reader.h"

// M3U and M3U8, with or without "#EXTM3U": one entry per line that is not blank and does
// not start with "#"; an "#EXTINF:<seconds>,<display text>" line before an entry gives its
// length and title. Other "#" lines are comments or directives of other programs.
class CPlaylistReaderM3u : public IPlaylistReader {
public:
    // kM3u or kM3u8: the name decides whether the text must be UTF-8.
    explicit CPlaylistReaderM3u(PlaylistFileType type) : m_type(type) {}

    PlaylistFileType GetType() const override { return m_type; }
    bool HasSignature(std::string_view bytes) const override;
    void Read(std::string_view bytes, const std::string& playlistUri,
              PlaylistSource& source) const override;

private:
    PlaylistFileType m_type;
};
