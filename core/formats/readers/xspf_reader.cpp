#include "core/formats/readers/xspf_reader.h"

#include <pugixml.hpp>

#include <charconv>
#include <cstring>

#include "core/uri/file_uri.h"

namespace {

constexpr std::string_view kNamespace = "http://xspf.org/ns/0/";

// Line numbers of byte offsets, counted forward: the reader asks in document order.
class LineCounter {
public:
    explicit LineCounter(std::string_view bytes) : m_bytes(bytes) {}
    std::int32_t LineAt(std::ptrdiff_t offset) {
        std::size_t until = offset < 0 ? 0 : static_cast<std::size_t>(offset);
        until = std::min(until, m_bytes.size());
        if (until < m_pos) {
            m_pos = 0;
            m_line = 1;
        }
        for (; m_pos < until; ++m_pos) {
            const char c = m_bytes[m_pos];
            if (c == '\n' ||
                (c == '\r' && (m_pos + 1 == m_bytes.size() || m_bytes[m_pos + 1] != '\n'))) {
                ++m_line;
            }
        }
        return m_line;
    }

private:
    std::string_view m_bytes;
    std::size_t m_pos = 0;
    std::int32_t m_line = 1;
};

// The text of an element: its character data and CDATA sections, in order.
std::string TextOf(const pugi::xml_node& element) {
    std::string text;
    for (const pugi::xml_node& child : element.children()) {
        if (child.type() == pugi::node_pcdata || child.type() == pugi::node_cdata) {
            text += child.value();
        }
    }
    return text;
}

std::string_view TrimXmlSpace(std::string_view text) {
    const std::size_t start = text.find_first_not_of(" \t\r\n");
    if (start == std::string_view::npos) {
        return {};
    }
    const std::size_t end = text.find_last_not_of(" \t\r\n");
    return text.substr(start, end - start + 1);
}

// The base URI below element: its xml:base resolved against the base above it.
void ApplyBase(const pugi::xml_node& element, std::string& base) {
    const pugi::xml_attribute attribute = element.attribute("xml:base");
    if (!attribute || *attribute.value() == '\0') {
        return;
    }
    if (auto resolved = uri::ResolveReference(TrimXmlSpace(attribute.value()), base)) {
        base = std::move(*resolved);
    }
}

// The elements of the XSPF namespace, with the prefix the root element uses for it.
class Names {
public:
    // False when root is not an XSPF playlist.
    bool ForRoot(const pugi::xml_node& root) {
        const std::string_view name = root.name();
        const std::size_t colon = name.find(':');
        m_prefix = colon == std::string_view::npos ? "" : std::string(name.substr(0, colon + 1));
        if (name.substr(m_prefix.size()) != "playlist") {
            return false;
        }
        const std::string declaration =
            m_prefix.empty() ? "xmlns" : "xmlns:" + m_prefix.substr(0, m_prefix.size() - 1);
        return root.attribute(declaration.c_str()).value() == kNamespace;
    }
    bool Is(const pugi::xml_node& node, std::string_view local) const {
        const std::string_view name = node.name();
        return node.type() == pugi::node_element && name.size() == m_prefix.size() + local.size() &&
               name.substr(0, m_prefix.size()) == m_prefix && name.substr(m_prefix.size()) == local;
    }

private:
    std::string m_prefix;  // with its colon
};

struct TrackReader {
    const std::string& playlistUri;
    const Names& names;
    LineCounter& lines;
    PlaylistSource& source;

    // False when the value is over the limit (the source has failed then).
    bool Value(const pugi::xml_node& element, std::string& into) {
        into = TextOf(element);
        if (into.size() > kMaxPlaylistLineBytes) {
            source.Fail(PlaylistReadError::kLineTooLong, lines.LineAt(element.offset_debug()));
            return false;
        }
        return true;
    }

    // False when the source has failed.
    bool Track(const pugi::xml_node& track, const std::string& base) {
        std::string trackBase = base;
        ApplyBase(track, trackBase);
        const std::int32_t trackLine = lines.LineAt(track.offset_debug());
        PlaylistFileEntry details;
        details.line = trackLine;
        std::string location;
        std::string locationBase;
        bool locationIsFile = false;
        std::string text;
        for (const pugi::xml_node& child : track.children()) {
            if (names.Is(child, "location")) {
                if (!Value(child, text)) {
                    return false;
                }
                const std::string_view reference = TrimXmlSpace(text);
                if (reference.empty() || locationIsFile) {
                    continue;
                }
                std::string childBase = trackBase;
                ApplyBase(child, childBase);
                // Of several locations (alternatives of one track), the first one of a file;
                // without one, the first.
                const auto resolved = uri::ResolveReference(reference, childBase);
                const bool isFile = resolved && uri::SchemeOf(*resolved) == "file";
                if (location.empty() || isFile) {
                    location = reference;
                    locationBase = std::move(childBase);
                    locationIsFile = isFile;
                    details.line = lines.LineAt(child.offset_debug());
                }
            } else if (names.Is(child, "title") && details.title.empty()) {
                if (!Value(child, details.title)) {
                    return false;
                }
            } else if (names.Is(child, "creator") && details.artist.empty()) {
                if (!Value(child, details.artist)) {
                    return false;
                }
            } else if (names.Is(child, "album") && details.album.empty()) {
                if (!Value(child, details.album)) {
                    return false;
                }
            } else if (names.Is(child, "duration") && details.lengthMs == kUnknownLength) {
                if (!Value(child, text)) {
                    return false;
                }
                const std::string_view digits = TrimXmlSpace(text);
                std::int64_t ms = 0;
                const auto [end, error] =
                    std::from_chars(digits.data(), digits.data() + digits.size(), ms);
                if (error == std::errc() && end == digits.data() + digits.size() && ms >= 0) {
                    details.lengthMs = ms;
                }
            }
        }
        if (location.empty()) {
            source.Warn(PlaylistReadWarningKind::kTrackWithoutFile, trackLine);
            return true;
        }
        details.path = std::move(location);
        PlaylistFileEntry* added = source.Add(details.line, {});
        if (added == nullptr) {
            return false;
        }
        *added = std::move(details);
        // Most tracks resolve against the playlist itself, which needs no copy of its own.
        if (locationBase != playlistUri) {
            source.bases.resize(source.entries.size());
            source.bases.back() = std::move(locationBase);
        }
        return true;
    }
};

}  // namespace

bool CPlaylistReaderXspf::HasSignature(std::string_view bytes) const {
    const std::string_view start = bytes.substr(0, 4096);
    const std::size_t first = start.find_first_not_of(" \t\r\n\xEF\xBB\xBF");
    return first != std::string_view::npos && start[first] == '<' &&
           start.find(kNamespace) != std::string_view::npos &&
           start.find("playlist") != std::string_view::npos;
}

void CPlaylistReaderXspf::Read(std::string_view bytes, const std::string& playlistUri,
                               PlaylistSource& source) const {
    pugi::xml_document document;
    const pugi::xml_parse_result parsed =
        document.load_buffer(bytes.data(), bytes.size(), pugi::parse_default, pugi::encoding_auto);
    LineCounter lines(bytes);
    if (parsed.status == pugi::status_no_document_element) {
        source.Fail(PlaylistReadError::kWrongContent);
        return;
    }
    if (!parsed) {
        source.Fail(PlaylistReadError::kMalformedXml, lines.LineAt(parsed.offset));
        return;
    }
    const pugi::xml_node root = document.document_element();
    Names names;
    if (!names.ForRoot(root)) {
        source.Fail(PlaylistReadError::kWrongContent);
        return;
    }
    source.uriReferences = true;
    std::string base = playlistUri;
    ApplyBase(root, base);
    TrackReader reader{playlistUri, names, lines, source};
    std::size_t tracks = 0;
    for (const pugi::xml_node& list : root.children()) {
        if (!names.Is(list, "trackList")) {
            continue;
        }
        std::string listBase = base;
        ApplyBase(list, listBase);
        for (const pugi::xml_node& track : list.children()) {
            if (!names.Is(track, "track")) {
                continue;
            }
            if (++tracks > kMaxPlaylistEntries) {
                source.Fail(PlaylistReadError::kTooManyEntries);
                return;
            }
            if (!reader.Track(track, listBase)) {
                return;
            }
        }
    }
}
