#pragma once

#include <cstdint>
#include <vector>

#include "tests/support/mp3/mp3_gen.h"

// Seeds and mutations for feeding broken MP3 files to the tag reader.
namespace mp3fuzz {

// Well-formed files covering what the reader knows: ID3v1, ID3v2.2, ID3v2.3 with
// unsynchronisation and compressed frames, ID3v2.4 with an extended header, Lyrics3,
// Xing, Info and VBRI headers, and variable bitrates without a header.
std::vector<mp3gen::Bytes> MakeSeeds();

// Case number index of the campaign with the given seed: a seed file changed by one to
// eight mutations (bit flips, interesting bytes and sizes, cut, inserted, repeated and
// spliced ranges). The same (campaign, index) always gives the same bytes.
mp3gen::Bytes MakeCase(const std::vector<mp3gen::Bytes>& seeds, std::uint64_t campaign,
                       std::uint64_t index);

}  // namespace mp3fuzz
