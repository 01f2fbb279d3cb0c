#include "core/formats/playlist_format.h"

#include <utility>

CPlaylistFormatBase::CPlaylistFormatBase(std::string formatName, std::string extension,
                                         std::string header, std::string entryTemplate,
                                         std::string taggedEntryTemplate, std::string footer)
    : m_formatName(std::move(formatName)),
      m_extension(std::move(extension)),
      m_header(std::move(header)),
      m_entryTemplate(std::move(entryTemplate)),
      m_taggedEntryTemplate(std::move(taggedEntryTemplate)),
      m_footer(std::move(footer)) {}

CPlaylistFormatM3u::CPlaylistFormatM3u()
    : CPlaylistFormatBase("M3U", ".m3u", "#EXTM3U\n",
                          std::string("#EXTINF:-1,<FILENAME/>\n") + "<FILEPATH/>\n",
                          std::string("#EXTINF:<LENGTH/>,<TITLE/>\n") + "<FILEPATH/>\n", "") {}

CPlaylistFormatPls::CPlaylistFormatPls()
    : CPlaylistFormatBase("PLS", ".pls", "[playlist]\n",
                          std::string("File<TRACK/>=<FILEPATH/>\n") + "Title<TRACK/>=<FILENAME/>\n",
                          std::string("File<TRACK/>=<FILEPATH/>\n") + "Title<TRACK/>=<TITLE/>\n" +
                              "Length<TRACK/>=<LENGTH/>\n",
                          std::string("NumberOfEntries=<TRACKCOUNT/>\n") + "Version=2\n") {}

std::unique_ptr<IPlaylistFormat> CreatePlaylistFormat(std::int32_t type) {
    switch (type) {
        case 0:
            return std::make_unique<CPlaylistFormatPls>();
        case 1:
            return std::make_unique<CPlaylistFormatM3u>();
        default:
            return nullptr;
    }
}
