#include "core/tag_info/tag_format.h"

#include <gtest/gtest.h>

#include <string>

#include "core/tag_info/tag_texts.h"

namespace {

std::optional<TagFormat> Identify(const std::string& bytes) {
    return IdentifyTagFormat(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
}

// The first page of an Ogg stream whose first packet starts with the bytes.
std::string OggPage(const std::string& packet, char headerType = 0x02) {
    std::string page = "OggS";
    page += '\0';
    page += headerType;
    page += std::string(20, '\0');
    page += '\x01';  // one segment
    page += static_cast<char>(packet.size());
    return page + packet;
}

// The literal's bytes, NULs included.
template <std::size_t N>
std::string Raw(const char (&text)[N]) {
    return std::string(text, N - 1);
}

std::string Padded(std::string bytes) {
    bytes.resize(64, '\0');
    return bytes;
}

TEST(TagFormatTest, EachSignatureNamesItsFormat) {
    const std::string asf("\x30\x26\xB2\x75\x8E\x66\xCF\x11\xA6\xD9\x00\xAA\x00\x62\xCE\x6C", 16);
    const std::pair<std::string, TagFormat> cases[] = {
        {Padded(Raw("fLaC\0\0\0\x22")), TagFormat::Flac},
        {OggPage("\x01vorbis"), TagFormat::OggVorbis},
        {OggPage("OpusHead"), TagFormat::OggOpus},
        {OggPage("Speex   1.2"), TagFormat::OggSpeex},
        {OggPage("\x7F"
                 "FLAC\x01"),
         TagFormat::OggFlac},
        {OggPage("fLaC"), TagFormat::OggFlac},
        {Padded(std::string("\0\0\0\x1C"
                            "ftypM4A ",
                            12)),
         TagFormat::Mp4},
        {Padded(std::string("\0\0\0\x20"
                            "ftypisom",
                            12)),
         TagFormat::Mp4},
        {Padded(Raw("RIFF\x24\0\0\0WAVEfmt ")), TagFormat::Wav},
        {Padded(Raw("FORM\0\0\0\x24"
                    "AIFFCOMM")),
         TagFormat::Aiff},
        {Padded(Raw("FORM\0\0\0\x24"
                    "AIFCFVER")),
         TagFormat::Aiff},
        {Padded(asf), TagFormat::Asf},
        {Padded("MAC \x96\x0F"), TagFormat::Ape},
        {Padded(Raw("wvpk\x20\0\0\0")), TagFormat::WavPack},
        {Padded("MPCKSH"), TagFormat::Musepack},
        {Padded("MP+\x17"), TagFormat::Musepack},
        {Padded(Raw("TTA1\x01\0")), TagFormat::TrueAudio},
    };
    for (const auto& [bytes, format] : cases) {
        EXPECT_EQ(Identify(bytes), format) << TagFormatName(format);
    }
}

TEST(TagFormatTest, NearMissesAndOtherContainersAreRefused) {
    const std::string cases[] = {
        "",
        Padded(""),
        "fLa",
        Padded(" fLaC"),                        // one byte late
        Padded(Raw("RIFF\x24\0\0\0AVI LIST")),  // a video in a RIFF container
        Padded(Raw("RIFF\x24\0\0\0RMIDdata")),  // MIDI in RIFF
        Padded(Raw("FORM\0\0\0\x24"
                   "8SVXVHDR")),  // Amiga sound, not AIFF
        Padded(std::string("\0\0\0\x04"
                           "ftypM4A ",
                           12)),      // a box shorter than its header
        OggPage("\x80theora"),        // a video stream
        OggPage("\x01vorbis", 0x00),  // a page from the middle of a stream
        OggPage("\x01vorbi"),         // the codec's name cut short
        Padded("MPC\x07"),
        Padded("TTA2"),
        Padded(Raw("ID3\x04\0\0\0\0\0\0fLaC")),  // only behind a tag, which this does not skip
        std::string("\x30\x26\xB2\x75\x8E\x66\xCF\x11\xA6\xD9\x00\xAA\x00\x62\xCE", 15),
    };
    for (const std::string& bytes : cases) {
        EXPECT_FALSE(Identify(bytes).has_value()) << "bytes: " << bytes.substr(0, 12);
    }
}

TEST(TagFormatTest, LeadingId3v2SizeCountsHeaderBodyAndFooter) {
    auto size = [](const std::string& bytes) {
        return LeadingId3v2Size(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
    };
    // Sizes are synchsafe: seven bits a byte.
    EXPECT_EQ(size(std::string("ID3\x03\0\0\0\0\x01\x01", 10)), 10 + 128 + 1);
    EXPECT_EQ(size(std::string("ID3\x04\0\x10\0\0\0\x05", 10)), 10 + 5 + 10);  // footer
    EXPECT_FALSE(size("ID3\x03").has_value());
    EXPECT_FALSE(size(std::string("TAG\x03\0\0\0\0\0\x05", 10)).has_value());
    // Formats whose TagLib class looks behind a leading tag, and only those.
    EXPECT_TRUE(AllowsLeadingId3v2(TagFormat::Flac));
    EXPECT_TRUE(AllowsLeadingId3v2(TagFormat::TrueAudio));
    EXPECT_FALSE(AllowsLeadingId3v2(TagFormat::WavPack));
    EXPECT_FALSE(AllowsLeadingId3v2(TagFormat::Mp4));
}

TEST(TagFormatTest, YearOfDateTakesTheYearOfADateOnly) {
    EXPECT_EQ(YearOfDate("2001-02-03"), "2001");
    EXPECT_EQ(YearOfDate("2001-02-03T10:11:12"), "2001");
    EXPECT_EQ(YearOfDate("1999"), "1999");
    EXPECT_EQ(YearOfDate("c. 1980"), "c. 1980");
    EXPECT_EQ(YearOfDate("19999-01"), "19999-01");
    EXPECT_EQ(YearOfDate(""), "");
}

}  // namespace
