#include "core/tag_info/tag_texts.h"

#include <algorithm>
#include <cctype>
#include <initializer_list>
#include <vector>

#include <taglib/apetag.h>
#include <taglib/asftag.h>
#include <taglib/id3v1tag.h>
#include <taglib/id3v2tag.h>
#include <taglib/infotag.h>
#include <taglib/mp4tag.h>
#include <taglib/textidentificationframe.h>
#include <taglib/tpropertymap.h>
#include <taglib/xiphcomment.h>

#include "core/mp3_info/genres.h"

namespace {

void Set(TagTexts& texts, TagText which, std::string text) {
    if (!text.empty()) {
        texts.values[static_cast<std::size_t>(which)] = std::move(text);
    }
}

std::string Utf8(const TagLib::String& text) {
    return text.to8Bit(true);
}

// The first of the keys that the map holds, its values joined.
std::string Property(const TagLib::PropertyMap& map, std::initializer_list<const char*> keys) {
    for (const char* key : keys) {
        const auto found = map.find(key);
        if (found != map.end() && !found->second.isEmpty()) {
            return Utf8(found->second.toString(" "));
        }
    }
    return {};
}

// TagLib's unified names serve every tag kind that maps its own fields onto them.
TagTexts FromProperties(const TagLib::PropertyMap& map) {
    TagTexts texts;
    Set(texts, TagText::Artist, Property(map, {"ARTIST"}));
    Set(texts, TagText::Title, Property(map, {"TITLE"}));
    Set(texts, TagText::Album, Property(map, {"ALBUM"}));
    Set(texts, TagText::Year, YearOfDate(Property(map, {"DATE"})));
    Set(texts, TagText::Genre, Property(map, {"GENRE"}));
    Set(texts, TagText::Track, Property(map, {"TRACKNUMBER"}));
    return texts;
}

std::string Number(unsigned int value) {
    return value == 0 ? std::string() : std::to_string(value);
}

}  // namespace

void TagTexts::FillFrom(const TagTexts& other) {
    for (std::size_t i = 0; i < kTagTextCount; ++i) {
        if (!values[i]) {
            values[i] = other.values[i];
        }
    }
}

std::string YearOfDate(const std::string& date) {
    const bool datePrefix = date.size() > 4 && (date[4] == '-' || date[4] == 'T') &&
                            std::all_of(date.begin(), date.begin() + 4, [](char c) {
                                return std::isdigit(static_cast<unsigned char>(c)) != 0;
                            });
    return datePrefix ? date.substr(0, 4) : date;
}

TagTexts FromXiphComment(const TagLib::Ogg::XiphComment& tag) {
    const TagLib::PropertyMap map = tag.properties();
    TagTexts texts = FromProperties(map);
    // speexenc names the artist AUTHOR; some taggers write YEAR instead of DATE.
    Set(texts, TagText::Artist, Property(map, {"ARTIST", "AUTHOR"}));
    Set(texts, TagText::Year, YearOfDate(Property(map, {"DATE", "YEAR"})));
    return texts;
}

TagTexts FromId3v2(const TagLib::ID3v2::Tag& tag) {
    TagTexts texts = FromProperties(tag.properties());
    // TagLib names numeric genres from its own, longer list; MP3 files name them from
    // the list players used when the numbers were written, and so do these.
    texts.values[static_cast<std::size_t>(TagText::Genre)].reset();
    const TagLib::ID3v2::FrameListMap& frames = tag.frameListMap();
    const auto found = frames.find("TCON");
    if (found == frames.end() || found->second.isEmpty()) {
        return texts;
    }
    const auto* frame =
        dynamic_cast<const TagLib::ID3v2::TextIdentificationFrame*>(found->second.front());
    if (frame == nullptr) {
        return texts;
    }
    std::vector<std::string> genres;
    for (const TagLib::String& field : frame->fieldList()) {
        std::string genre = ResolveNumericGenre(Utf8(field));
        if (!genre.empty() && std::find(genres.begin(), genres.end(), genre) == genres.end()) {
            genres.push_back(std::move(genre));
        }
    }
    std::string joined;
    for (const std::string& genre : genres) {
        joined += (joined.empty() ? "" : " ") + genre;
    }
    Set(texts, TagText::Genre, std::move(joined));
    return texts;
}

TagTexts FromId3v1(const TagLib::ID3v1::Tag& tag) {
    TagTexts texts;
    Set(texts, TagText::Artist, Utf8(tag.artist()));
    Set(texts, TagText::Title, Utf8(tag.title()));
    Set(texts, TagText::Album, Utf8(tag.album()));
    Set(texts, TagText::Year, Number(tag.year()));
    // Genre byte 255 means "no genre"; others are named as in an MP3 file's ID3v1 tag.
    if (tag.genreNumber() != 255) {
        Set(texts, TagText::Genre,
            ResolveBracketedGenre("(" + std::to_string(tag.genreNumber()) + ")"));
    }
    Set(texts, TagText::Track, Number(tag.track()));
    return texts;
}

TagTexts FromApe(const TagLib::APE::Tag& tag) {
    return FromProperties(tag.properties());
}

TagTexts FromMp4(const TagLib::MP4::Tag& tag) {
    return FromProperties(tag.properties());
}

TagTexts FromAsf(const TagLib::ASF::Tag& tag) {
    return FromProperties(tag.properties());
}

TagTexts FromRiffInfo(const TagLib::RIFF::Info::Tag& tag) {
    // TagLib gives the INFO fields only as numbers where they hold a year or a track;
    // the texts keep "3/12" and a full date.
    TagTexts texts;
    Set(texts, TagText::Artist, Utf8(tag.fieldText("IART")));
    Set(texts, TagText::Title, Utf8(tag.fieldText("INAM")));
    Set(texts, TagText::Album, Utf8(tag.fieldText("IPRD")));
    Set(texts, TagText::Year, YearOfDate(Utf8(tag.fieldText("ICRD"))));
    Set(texts, TagText::Genre, Utf8(tag.fieldText("IGNR")));
    std::string track = Utf8(tag.fieldText("IPRT"));
    Set(texts, TagText::Track, track.empty() ? Utf8(tag.fieldText("ITRK")) : std::move(track));
    return texts;
}
