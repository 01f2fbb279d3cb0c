#pragma once

#include "core/formats/readers/playlist_reader.h"

// PLS: a "[playlist]" section of FileN, TitleN and LengthN keys (in any letter case), plus
// NumberOfEntries and Version. Entries are ordered by their number, whatever order the
// lines are in and however many numbers are skipped; a wrong or missing NumberOfEntries
// changes nothing but a warning.
class CPlaylistReaderPls : public IPlaylistReader {
public:
    PlaylistFileType GetType() const override { return PlaylistFileType::kPls; }
    bool HasSignature(std::string_view bytes) const override;
    void Read(std::string_view bytes, const std::string& playlistUri,
              PlaylistSource& source) const override;
};
