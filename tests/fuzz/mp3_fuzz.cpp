#include "tests/fuzz/mp3_fuzz.h"

#include <algorithm>
#include <random>

#include "tests/support/fuzz_campaign.h"

namespace mp3fuzz {

namespace {

using mp3gen::Bytes;
using mp3gen::Id3v2Builder;
using mp3gen::StreamSpec;

StreamSpec Stream(mp3gen::Version version, int rate, std::vector<int> bitrates, int frames,
                  mp3gen::VbrHeader header) {
    StreamSpec spec;
    spec.version = version;
    spec.sampleRate = rate;
    spec.bitrates = std::move(bitrates);
    spec.frames = frames;
    spec.vbrHeader = header;
    return spec;
}

}  // namespace

std::vector<Bytes> MakeSeeds() {
    using mp3gen::Concat;
    using mp3gen::VbrHeader;
    using mp3gen::Version;
    const Bytes cbr = mp3gen::MakeStream(Stream(Version::Mpeg1, 44100, {128}, 40, VbrHeader::None));
    const Bytes xing =
        mp3gen::MakeStream(Stream(Version::Mpeg1, 48000, {64, 320, 128}, 40, VbrHeader::Xing));
    const Bytes info = mp3gen::MakeStream(Stream(Version::Mpeg2, 22050, {64}, 40, VbrHeader::Info));
    const Bytes vbri =
        mp3gen::MakeStream(Stream(Version::Mpeg1, 44100, {96, 256, 160}, 40, VbrHeader::Vbri));
    const Bytes vbr =
        mp3gen::MakeStream(Stream(Version::Mpeg25, 11025, {32, 8, 64}, 60, VbrHeader::None));
    const Bytes v1 = mp3gen::MakeId3v1("Title", "Artist", "Album", "1999", "Comment", 3, 17);

    std::vector<Bytes> seeds;
    seeds.push_back(Concat({cbr, v1}));
    seeds.push_back(Concat({Id3v2Builder(2)
                                .Text("TT2", "Title")
                                .Text("TP1", "Artist")
                                .Text("TCO", "(17)")
                                .Text("TOA", "Orig")
                                .Comment("", "c")
                                .Url("u", "http://x")
                                .Build(),
                            xing}));
    seeds.push_back(Concat({Id3v2Builder(3)
                                .Unsynchronise(true)
                                .Text("TIT2", "Заголовок", Id3v2Builder::Utf16)
                                .Text("TPE1", "日本", Id3v2Builder::Utf16)
                                .Compress(true)
                                .Text("TALB", "Packed album", Id3v2Builder::Utf16)
                                .Text("TCON", "(17)Rock")
                                .Comment("", "compressed comment")
                                .Padding(32)
                                .Build(),
                            info, v1}));
    seeds.push_back(Concat({Id3v2Builder(4)
                                .ExtendedHeader(true)
                                .Text("TIT2", "Title", Id3v2Builder::Utf8)
                                .Text("TDRC", "2001-02-03")
                                .Compress(true)
                                .Unsynchronise(true)
                                .Text("TPE1", "ÿÿÿ", Id3v2Builder::Utf16)
                                .Build(),
                            vbri}));
    seeds.push_back(Concat({vbr, mp3gen::MakeLyrics3v2("some lyrics"), v1}));
    seeds.push_back(
        Concat({Id3v2Builder(3).Compress(true).Text("TIT2", std::string(200, 'z')).Build(), cbr,
                mp3gen::MakeLyrics3v2("la la"), v1}));
    return seeds;
}

Bytes MakeCase(const std::vector<Bytes>& seeds, std::uint64_t campaign, std::uint64_t index) {
    std::mt19937_64 random(fuzz::CaseSeed(campaign, index));
    auto below = [&random](std::uint64_t n) { return n == 0 ? 0 : random() % n; };
    Bytes data = seeds[below(seeds.size())];
    // Most of what a reader decides on sits in the first and last few hundred bytes.
    auto position = [&]() -> std::size_t {
        if (data.empty()) {
            return 0;
        }
        switch (below(4)) {
            case 0:
                return below(std::min<std::size_t>(data.size(), 256));
            case 1:
                return data.size() - 1 - below(std::min<std::size_t>(data.size(), 256));
            default:
                return below(data.size());
        }
    };
    static const std::uint8_t kInteresting[] = {0x00, 0x01, 0x7F, 0x80, 0xFF, 0xFE, 0xE0,
                                                0x10, 0x40, 0x20, 0x03, 0x04, 0x02};
    static const std::uint32_t kSizes[] = {0,          1,          0x7F,       0x80,
                                           0x7F7F7F7F, 0xFFFFFFFF, 0x80000000, 0x0FFFFFFF,
                                           0x10000,    0x7FFFFFFF, 4,          10};
    const int mutations = 1 + static_cast<int>(below(8));
    for (int m = 0; m < mutations; ++m) {
        switch (below(9)) {
            case 0:  // flip a bit
                if (!data.empty()) {
                    data[position()] ^= static_cast<std::uint8_t>(1u << below(8));
                }
                break;
            case 1:  // an interesting byte
                if (!data.empty()) {
                    data[position()] = kInteresting[below(sizeof kInteresting)];
                }
                break;
            case 2:  // a random byte
                if (!data.empty()) {
                    data[position()] = static_cast<std::uint8_t>(random());
                }
                break;
            case 3: {  // an interesting 32-bit size, as ID3 and VBR headers store them
                if (data.size() >= 4) {
                    const std::size_t at = std::min(position(), data.size() - 4);
                    const std::uint32_t value = kSizes[below(sizeof kSizes / sizeof kSizes[0])];
                    for (int k = 0; k < 4; ++k) {
                        data[at + static_cast<std::size_t>(k)] =
                            static_cast<std::uint8_t>(value >> (24 - 8 * k));
                    }
                }
                break;
            }
            case 4:  // cut the file
                data.resize(below(data.size() + 1));
                break;
            case 5: {  // remove a range
                const std::size_t at = position();
                const std::size_t length = std::min<std::size_t>(below(512) + 1, data.size() - at);
                data.erase(data.begin() + static_cast<std::ptrdiff_t>(at),
                           data.begin() + static_cast<std::ptrdiff_t>(at + length));
                break;
            }
            case 6: {  // insert random bytes
                const std::size_t at = position();
                Bytes insert(below(64) + 1);
                for (auto& b : insert) {
                    b = static_cast<std::uint8_t>(random());
                }
                data.insert(data.begin() + static_cast<std::ptrdiff_t>(at), insert.begin(),
                            insert.end());
                break;
            }
            case 7: {  // repeat a range
                if (!data.empty()) {
                    const std::size_t at = position();
                    const std::size_t length =
                        std::min<std::size_t>(below(2048) + 1, data.size() - at);
                    const Bytes range(data.begin() + static_cast<std::ptrdiff_t>(at),
                                      data.begin() + static_cast<std::ptrdiff_t>(at + length));
                    data.insert(data.begin() + static_cast<std::ptrdiff_t>(position()),
                                range.begin(), range.end());
                }
                break;
            }
            default: {  // splice in the start or end of another seed
                const Bytes& other = seeds[below(seeds.size())];
                const std::size_t length = below(other.size()) + 1;
                if (below(2) == 0) {
                    data.insert(data.begin(), other.begin(),
                                other.begin() + static_cast<std::ptrdiff_t>(length));
                } else {
                    data.insert(data.end(), other.end() - static_cast<std::ptrdiff_t>(length),
                                other.end());
                }
                break;
            }
        }
    }
    return data;
}

}  // namespace mp3fuzz
