#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tests/support/tag_files/tag_files.h"

// Seeds and mutations for feeding broken files of every other format to the tag reader.
namespace tagfuzz {

// Short files of every kind that can be made here (see tagfiles::Kind), each with all six
// tags, and a few the encoders do not make: FLAC and TrueAudio behind an ID3v2 tag, with
// an ID3v1 tag behind, a wave file with both an INFO list and an ID3 chunk. Made in
// folder, which must exist.
std::vector<tagfiles::Bytes> MakeSeeds(const std::string& folder);

// Case number index of the campaign: a seed changed as the MP3 campaign changes its
// seeds, and sometimes a little-endian size written over a header field as well. The
// same (campaign, index) always gives the same bytes.
tagfiles::Bytes MakeCase(const std::vector<tagfiles::Bytes>& seeds, std::uint64_t campaign,
                         std::uint64_t index);

}  // namespace tagfuzz
