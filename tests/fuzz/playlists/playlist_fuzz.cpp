#include "tests/fuzz/playlists/playlist_fuzz.h"

#include <algorithm>
#include <random>

#include "tests/support/fuzz_campaign.h"

namespace playlistfuzz {

namespace {

const char* const kExtensions[] = {".m3u", ".m3u8", ".pls", ".xspf"};

// Pieces with a meaning to one of the readers.
const char* const kTokens[] = {"#EXTM3U\n",
                               "#EXTINF:",
                               "#EXTINF:-1,",
                               ",",
                               "\"",
                               "[playlist]\n",
                               "[other]\n",
                               "File",
                               "Title",
                               "Length",
                               "NumberOfEntries=",
                               "Version=2",
                               "=",
                               "1",
                               "0",
                               "-1",
                               "18446744073709551616",
                               "1e308",
                               "nan",
                               "file://",
                               "file:///",
                               "file://localhost/",
                               "file:",
                               "http://",
                               "https://x/",
                               "C:\\",
                               "\\\\server\\",
                               "\\",
                               "../",
                               "./",
                               "/",
                               "..",
                               ".",
                               "%",
                               "%00",
                               "%2F",
                               "%25",
                               "%C3%A4",
                               "%ZZ",
                               "<track>",
                               "</track>",
                               "<location>",
                               "</location>",
                               "<trackList>",
                               "</trackList>",
                               "<title>",
                               "</title>",
                               "<duration>",
                               "xml:base=\"",
                               "xml:base=\"file:///x/\"",
                               "<![CDATA[",
                               "]]>",
                               "&#0;",
                               "&#x10FFFF;",
                               "&amp;",
                               "&unknown;",
                               "<!DOCTYPE p [<!ENTITY a \"b\">]>",
                               "<playlist xmlns=\"http://xspf.org/ns/0/\">",
                               "xmlns:x=\"http://xspf.org/ns/0/\"",
                               "x:",
                               "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>",
                               "\xEF\xBB\xBF",
                               "\xFF\xFE",
                               "\r\n",
                               "\r",
                               "\n",
                               "\t",
                               " ",
                               "\xC3",
                               "\xA4",
                               "\x80",
                               "\xF4\x90\x80\x80",
                               "\xED\xA0\x80",
                               "music/a.mp3"};

const char kInterestingBytes[] = {'\0', '\r', '\n', '#', '=', '%', '<', '>',    '&',    '\\',
                                  '/',  ':',  '"',  '[', ']', ' ', '.', '\x80', '\xFF', '\xC3'};

}  // namespace

std::vector<Playlist> MakeSeeds() {
    const std::string xspfHead =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<playlist version=\"1\" "
        "xmlns=\"http://xspf.org/ns/0/\">\n";
    return {
        {".m3u",
         "\xEF\xBB\xBF#EXTM3U\r\n#EXTINF:215,Artist - Title\r\nmusic/a.mp3\r\n#EXTINF:-1,b\r\n"
         "./music/b.ogg\r\n\r\n# comment\r\nhttp://radio.example/stream\r\nC:\\Music\\c.mp3\r\n"},
        {".m3u", "music/a.mp3\rmusic\\b.ogg\r../x/Mot\xF6rhead.mp3\rfile:///srv/music/a%20b.mp3"},
        {".m3u8",
         "#EXTM3U\n#EXTINF:-1 tvg-name=\"a,b\",Ä Title\nmusic/ä.mp3\n#EXTINF:12.5,x\n"
         "file://localhost/srv/music/%C3%A4.mp3\n\\\\server\\share\\d.mp3\nmusic/a.mp3  \n"},
        {".pls",
         "[playlist]\r\nFile1=music/a.mp3\r\nTitle1=A\r\nLength1=215\r\nFile3=music/b.ogg\r\n"
         "Title2=orphan\r\nFILE2=http://stream.example:8000/\r\nlength3=-1\r\nFile1=again\r\n"
         "NumberOfEntries=7\r\nVersion=2\r\n"},
        {".pls", "; made elsewhere\n[PLAYLIST]\n file10 = music/a.mp3\nFile9=../a\\b.mp3\n"},
        {".xspf",
         xspfHead +
             "<title>list</title>\n<trackList xml:base=\"music/\">\n"
             "<track><location>a.mp3</location><title>A &amp; B</title>"
             "<creator>C</creator><album>D</album><duration>215000</duration></track>\n"
             "<track xml:base=\"file:///srv/music/\"><location>b%20c.ogg</location></track>\n"
             "<track><location>http://x.example/a.mp3</location>"
             "<location>../music/a.mp3</location></track>\n"
             "<track><title><![CDATA[<no location>]]></title></track>\n"
             "</trackList>\n</playlist>\n"},
        {".xspf",
         "<!DOCTYPE x:playlist [<!ENTITY e \"entity\">]>\n"
         "<x:playlist xmlns:x=\"http://xspf.org/ns/0/\"><x:trackList><x:track>"
         "<x:location xml:base=\"../\">music/a.mp3</x:location><x:title>&e;</x:title>"
         "</x:track><x:track><x:location>C:\\a.mp3</x:location></x:track>"
         "</x:trackList></x:playlist>"},
    };
}

Playlist MakeCase(const std::vector<Playlist>& seeds, std::uint64_t campaign, std::uint64_t index) {
    std::mt19937_64 random(fuzz::CaseSeed(campaign, index));
    auto below = [&random](std::size_t n) -> std::size_t { return n == 0 ? 0 : random() % n; };
    Playlist playlist = seeds[below(seeds.size())];
    std::string& data = playlist.bytes;
    if (below(8) == 0) {
        playlist.extension = kExtensions[below(4)];
    }
    auto position = [&]() { return below(data.size() + 1); };
    // A range of the text; lines are the units most readers think in.
    auto range = [&](std::size_t& at, std::size_t& length) {
        at = position();
        if (below(2) == 0) {
            at = data.rfind('\n', at == 0 ? 0 : at - 1);
            at = at == std::string::npos ? 0 : at + 1;
            const std::size_t end = data.find('\n', at);
            length = (end == std::string::npos ? data.size() : end + 1) - at;
        } else {
            length = std::min(below(64) + 1, data.size() - at);
        }
    };
    const int mutations = 1 + static_cast<int>(below(8));
    for (int m = 0; m < mutations; ++m) {
        std::size_t at = 0;
        std::size_t length = 0;
        switch (below(10)) {
            case 0:  // flip a bit
                if (!data.empty()) {
                    data[below(data.size())] ^= static_cast<char>(1u << below(8));
                }
                break;
            case 1:  // an interesting byte in place of one
                if (!data.empty()) {
                    data[below(data.size())] = kInterestingBytes[below(sizeof kInterestingBytes)];
                }
                break;
            case 2:
            case 3:  // a token inserted
                data.insert(position(), kTokens[below(sizeof kTokens / sizeof kTokens[0])]);
                break;
            case 4:  // a token in place of a range
                range(at, length);
                data.replace(at, length, kTokens[below(sizeof kTokens / sizeof kTokens[0])]);
                break;
            case 5:  // a range removed
                range(at, length);
                data.erase(at, length);
                break;
            case 6: {  // a range repeated, now and then many times
                range(at, length);
                const std::string piece = data.substr(at, length);
                const std::size_t times = below(16) == 0 ? below(2000) + 1 : 1;
                std::string repeated;
                for (std::size_t t = 0; t < times; ++t) {
                    repeated += piece;
                }
                data.insert(position(), repeated);
                break;
            }
            case 7:  // cut short
                data.resize(position());
                break;
            case 8: {  // a line of another seed spliced in
                const std::string& other = seeds[below(seeds.size())].bytes;
                const std::size_t from = below(other.size());
                const std::size_t to = std::min(other.size(), from + below(200) + 1);
                data.insert(position(), other.substr(from, to - from));
                break;
            }
            default:  // a long run of one byte, towards the line limit
                if (below(32) == 0) {
                    data.insert(position(),
                                std::string(64 * 1024 - 64 + below(128), "a%/\\#"[below(5)]));
                }
                break;
        }
    }
    return playlist;
}

}  // namespace playlistfuzz
