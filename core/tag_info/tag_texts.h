#pragma once

#include <array>
#include <optional>
#include <string>

namespace TagLib {
namespace APE {
class Tag;
}
namespace ASF {
class Tag;
}
namespace ID3v1 {
class Tag;
}
namespace ID3v2 {
class Tag;
}
namespace MP4 {
class Tag;
}
namespace Ogg {
class XiphComment;
}
namespace RIFF::Info {
class Tag;
}
}  // namespace TagLib

// The six values that the title mask knows, in the order of its variables "%1" to "%6".
enum class TagText { Artist, Title, Album, Year, Genre, Track };
inline constexpr std::size_t kTagTextCount = 6;

// The six values as one tag of a file gives them, in UTF-8; a value the tag lacks or
// leaves empty is absent. Several values of one field are joined with a blank, as TagLib
// joins them.
struct TagTexts {
    std::array<std::optional<std::string>, kTagTextCount> values;

    const std::optional<std::string>& operator[](TagText which) const {
        return values[static_cast<std::size_t>(which)];
    }
    // Takes from other what this one lacks: files with several tags are read in the
    // order TagLib prefers them, each later tag filling in what the earlier ones lack.
    void FillFrom(const TagTexts& other);
};

// The year of a date text: "2001-02-03" and "2001-02-03T10:00:00" give "2001", as the
// recording time of an ID3v2.4 tag does for MP3 files; any other text stays as it is.
std::string YearOfDate(const std::string& date);

TagTexts FromXiphComment(const TagLib::Ogg::XiphComment& tag);
TagTexts FromId3v2(const TagLib::ID3v2::Tag& tag);
TagTexts FromId3v1(const TagLib::ID3v1::Tag& tag);
TagTexts FromApe(const TagLib::APE::Tag& tag);
TagTexts FromMp4(const TagLib::MP4::Tag& tag);
TagTexts FromAsf(const TagLib::ASF::Tag& tag);
TagTexts FromRiffInfo(const TagLib::RIFF::Info::Tag& tag);
