#include "tests/fuzz_tags/tag_fuzz.h"

#include <random>

#include "tests/fuzz/mp3_fuzz.h"

namespace tagfuzz {

using tagfiles::Bytes;

std::vector<Bytes> MakeSeeds(const std::string& folder) {
    const tagfiles::Tags tags = {"Заголовок Ωμέγα 日本", "Artist", "Album",
                                 "2001-02-03",           "Jazz",   "3/12"};
    // A quarter of a second: the seeds stay small, so that each case is quick.
    const tagfiles::Audio audio = {32000, 1, 8000};
    std::vector<Bytes> seeds;
    for (tagfiles::Kind kind : tagfiles::AllKinds()) {
        if (const auto made = tagfiles::Make(kind, folder, "seed", tags, audio)) {
            seeds.push_back(tagfiles::ReadFile(made->path));
        }
    }
    const Bytes id3 = mp3gen::Id3v2Builder(4)
                          .Text("TIT2", "Τίτλος", mp3gen::Id3v2Builder::Utf8)
                          .Text("TCON", "(17)")
                          .Text("TRCK", "1/2")
                          .Padding(64)
                          .Build();
    const Bytes v1 = mp3gen::MakeId3v1("Title", "Artist", "Album", "1999", "", 3, 17);
    for (tagfiles::Kind kind : {tagfiles::Kind::Flac, tagfiles::Kind::TrueAudio}) {
        if (const auto made = tagfiles::Make(kind, folder, "wrapped", tags, audio)) {
            seeds.push_back(mp3gen::Concat({id3, tagfiles::ReadFile(made->path), v1}));
        }
    }
    if (const auto made = tagfiles::Make(tagfiles::Kind::WavInfo, folder, "both", tags, audio)) {
        seeds.push_back(tagfiles::AddId3Chunk(tagfiles::ReadFile(made->path), id3));
    }
    return seeds;
}

Bytes MakeCase(const std::vector<Bytes>& seeds, std::uint64_t campaign, std::uint64_t index) {
    Bytes data = mp3fuzz::MakeCase(seeds, campaign, index);
    std::mt19937_64 random(campaign * 0x9E3779B97F4A7C15ull + index * 0xD1B54A32D192ED03ull + 1);
    if (data.size() < 8 || random() % 2 == 0) {
        return data;
    }
    // The headers of these formats count in little-endian 32-bit (and ASF 64-bit) sizes.
    static const std::uint64_t kSizes[] = {
        0, 1, 7, 8, 0x7FFFFFFF, 0xFFFFFFFF, 0x80000000, 0xFFFFFFF8, 0x10000, 0xFFFFFFFFFFFFFFFFull};
    const std::size_t head = std::min<std::size_t>(data.size() - 8, 512);
    const std::size_t at =
        random() % 4 == 0 ? data.size() - 8 - random() % std::min<std::size_t>(data.size() - 7, 64)
                          : random() % (head + 1);
    const std::uint64_t value = kSizes[random() % (sizeof kSizes / sizeof kSizes[0])];
    const int width = random() % 3 == 0 ? 8 : 4;
    for (int k = 0; k < width; ++k) {
        data[at + static_cast<std::size_t>(k)] = static_cast<std::uint8_t>(value >> (8 * k));
    }
    return data;
}

}  // namespace tagfuzz
