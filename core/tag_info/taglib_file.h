#pragma once

#include <memory>

#include <taglib/audioproperties.h>
#include <taglib/tfile.h>

#include "core/tag_info/tag_format.h"
#include "core/tag_info/tag_texts.h"

namespace TagLib {
class IOStream;
}

// How much TagLib works for the playing time. Measured on encoder output of every format
// (bench/tag_info): all three styles read the same bytes and give the same lengths with
// TagLib 1.13, so the fastest is the one that stays cheap should a later TagLib make the
// others read more (bitrates counted from the stream, which a playlist does not need).
inline constexpr TagLib::AudioProperties::ReadStyle kTagReadStyle = TagLib::AudioProperties::Fast;

// TagLib's class for the format on the stream, tags and audio properties read. The stream
// must outlive the file.
std::unique_ptr<TagLib::File> OpenTagLibFile(TagFormat format, TagLib::IOStream* stream,
                                             TagLib::AudioProperties::ReadStyle style);

// The six values from the tags of file, which OpenTagLibFile made for format: each tag the
// format carries, in the order TagLib prefers them, fills in what those before it lack.
TagTexts ReadTagTexts(TagFormat format, TagLib::File& file);
