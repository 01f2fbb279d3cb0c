#include "core/creation_job/entry_template.h"

#include "core/formats/playlist_file_writer.h"

CEntryTemplate::CEntryTemplate(std::string_view text) {
    static constexpr std::string_view kTags[] = {"<TRACK/>", "<FILEPATH/>", "<FILENAME/>",
                                                 "<TITLE/>", "<LENGTH/>"};
    std::string literal;
    std::size_t pos = 0;
    while (pos < text.size()) {
        int found = -1;
        if (text[pos] == '<') {
            for (int t = 0; t < 5; ++t) {
                if (text.substr(pos, kTags[t].size()) == kTags[t]) {
                    found = t;
                    break;
                }
            }
        }
        if (found < 0) {
            literal.push_back(text[pos++]);
            continue;
        }
        m_pieces.push_back({ToFileText(literal), static_cast<Tag>(found)});
        literal.clear();
        pos += kTags[found].size();
    }
    m_pieces.push_back({ToFileText(literal), Tag::kNone});
}

bool CEntryTemplate::WriteTo(CPlaylistFileWriter& file, const EntryValues& values) const {
    bool good = true;
    for (const Piece& piece : m_pieces) {
        good = file.WriteBytes(piece.literal);
        switch (piece.tag) {
            case Tag::kTrack:
                good = file.WriteBytes(values.track);
                break;
            case Tag::kFilePath:
                for (const std::string_view part : values.filePath) {
                    good = file.WriteBytes(part);
                }
                break;
            case Tag::kFileName:
                good = file.WriteBytes(values.fileName);
                break;
            case Tag::kTitle:
                good = file.WriteBytes(values.title);
                break;
            case Tag::kLength:
                good = file.WriteBytes(values.length);
                break;
            case Tag::kNone:
                break;
        }
    }
    return good;
}
