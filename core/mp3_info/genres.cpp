#include "core/mp3_info/genres.h"

#include <array>
#include <optional>

#include "core/mp3_info/scan_integer.h"

namespace {

// Entry 141 keeps its trailing blank: files tagged by the old players compare against it.
constexpr std::array<const char*, kGenreCount> kGenres = {"Blues",
                                                          "Classic Rock",
                                                          "Country",
                                                          "Dance",
                                                          "Disco",
                                                          "Funk",
                                                          "Grunge",
                                                          "Hip-Hop",
                                                          "Jazz",
                                                          "Metal",
                                                          "New Age",
                                                          "Oldies",
                                                          "Other",
                                                          "Pop",
                                                          "R&B",
                                                          "Rap",
                                                          "Reggae",
                                                          "Rock",
                                                          "Techno",
                                                          "Industrial",
                                                          "Alternative",
                                                          "Ska",
                                                          "Death Metal",
                                                          "Pranks",
                                                          "Soundtrack",
                                                          "Euro-Techno",
                                                          "Ambient",
                                                          "Trip-Hop",
                                                          "Vocal",
                                                          "Jazz+Funk",
                                                          "Fusion",
                                                          "Trance",
                                                          "Classical",
                                                          "Instrumental",
                                                          "Acid",
                                                          "House",
                                                          "Game",
                                                          "Sound Clip",
                                                          "Gospel",
                                                          "Noise",
                                                          "AlternRock",
                                                          "Bass",
                                                          "Soul",
                                                          "Punk",
                                                          "Space",
                                                          "Meditative",
                                                          "Instrumental Pop",
                                                          "Instrumental Rock",
                                                          "Ethnic",
                                                          "Gothic",
                                                          "Darkwave",
                                                          "Techno-Industrial",
                                                          "Electronic",
                                                          "Pop-Folk",
                                                          "Eurodance",
                                                          "Dream",
                                                          "Southern Rock",
                                                          "Comedy",
                                                          "Cult",
                                                          "Gangsta",
                                                          "Top 40",
                                                          "Christian Rap",
                                                          "Pop/Funk",
                                                          "Jungle",
                                                          "Native American",
                                                          "Cabaret",
                                                          "New Wave",
                                                          "Psychadelic",
                                                          "Rave",
                                                          "Showtunes",
                                                          "Trailer",
                                                          "Lo-Fi",
                                                          "Tribal",
                                                          "Acid Punk",
                                                          "Acid Jazz",
                                                          "Polka",
                                                          "Retro",
                                                          "Musical",
                                                          "Rock & Roll",
                                                          "Hard Rock",
                                                          "Folk",
                                                          "Folk-Rock",
                                                          "National Folk",
                                                          "Swing",
                                                          "Fast Fusion",
                                                          "Bebob",
                                                          "Latin",
                                                          "Revival",
                                                          "Celtic",
                                                          "Bluegrass",
                                                          "Avantgarde",
                                                          "Gothic Rock",
                                                          "Progressive Rock",
                                                          "Psychedelic Rock",
                                                          "Symphonic Rock",
                                                          "Slow Rock",
                                                          "Big Band",
                                                          "Chorus",
                                                          "Easy Listening",
                                                          "Acoustic",
                                                          "Humour",
                                                          "Speech",
                                                          "Chanson",
                                                          "Opera",
                                                          "Chamber Music",
                                                          "Sonata",
                                                          "Symphony",
                                                          "Booty Bass",
                                                          "Primus",
                                                          "Porn Groove",
                                                          "Satire",
                                                          "Slow Jam",
                                                          "Club",
                                                          "Tango",
                                                          "Samba",
                                                          "Folklore",
                                                          "Ballad",
                                                          "Power Ballad",
                                                          "Rhythmic Soul",
                                                          "Freestyle",
                                                          "Duet",
                                                          "Punk Rock",
                                                          "Drum Solo",
                                                          "A capella",
                                                          "Euro-House",
                                                          "Dance Hall",
                                                          "Goa",
                                                          "Drum & Bass",
                                                          "Club-House",
                                                          "Hardcore",
                                                          "Terror",
                                                          "Indie",
                                                          "Britpop",
                                                          "Negerpunk",
                                                          "Polsk Punk",
                                                          "Beat",
                                                          "Christian Gangsta Rap",
                                                          "Heavy Metal",
                                                          "Black Metal",
                                                          "Crossover",
                                                          "Contemporary Christian",
                                                          "Christian Rock ",
                                                          "Merengue",
                                                          "Salsa",
                                                          "Trash Metal",
                                                          "Anime",
                                                          "JPop",
                                                          "Synthpop"};

}  // namespace

std::string GetGenreName(int index) {
    if (index < 0 || index >= kGenreCount) {
        return {};
    }
    return kGenres[static_cast<std::size_t>(index)];
}

std::string ResolveBracketedGenre(const std::string& text) {
    if (text.empty() || text[0] != '(') {
        return text;
    }
    const std::optional<std::int32_t> number = ScanInteger(std::string_view(text).substr(1));
    if (!number || *number < 0 || *number >= kGenreCount) {
        return text;
    }
    return GetGenreName(*number);
}

std::string ResolveNumericGenre(const std::string& text) {
    if (text.empty() || text.size() > 3) {
        return text;
    }
    int number = 0;
    for (char c : text) {
        if (c < '0' || c > '9') {
            return text;
        }
        number = number * 10 + (c - '0');
    }
    return number < kGenreCount ? GetGenreName(number) : text;
}
