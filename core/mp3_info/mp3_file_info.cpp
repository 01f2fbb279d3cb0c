#include "core/mp3_info/mp3_file_info.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <optional>
#include <utility>

#include "core/mp3_info/genres.h"
#include "core/mp3_info/id3v2_frames.h"
#include "core/mp3_info/mp3_audio.h"
#include "core/mp3_info/mp3_file_reader.h"
#include "core/mp3_info/scan_integer.h"
#include "core/mp3_info/tag_layout.h"
#include "core/mp3_info/taglib_glue.h"

namespace {

const char* LayerText(int layer) {
    switch (layer) {
        case 1:
            return "Layer I";
        case 2:
            return "Layer II";
        case 3:
            return "Layer III";
        default:
            return "UNDEFINED";
    }
}

const char* VersionText(MpegVersion version) {
    switch (version) {
        case MpegVersion::Mpeg1:
            return "MPEG 1";
        case MpegVersion::Mpeg2:
            return "MPEG 2";
        case MpegVersion::Mpeg25:
            return "MPEG 2.5";
    }
    return "";
}

const char* ChannelModeText(MpegChannelMode mode) {
    switch (mode) {
        case MpegChannelMode::Stereo:
            return "Stereo";
        case MpegChannelMode::JointStereo:
            return "Joint Stereo";
        case MpegChannelMode::DualChannel:
            return "Dual Channel";
        case MpegChannelMode::SingleChannel:
            return "Single Channel";
    }
    return "";
}

}  // namespace

MP3FileInfo::~MP3FileInfo() = default;

std::int32_t MP3FileInfo::RoundToSeconds(std::int64_t milliseconds) {
    const std::int64_t seconds = (milliseconds + 500) / 1000;
    return static_cast<std::int32_t>(std::min<std::int64_t>(seconds, INT32_MAX));
}

void MP3FileInfo::Clear() {
    *this = MP3FileInfo();
}

void MP3FileInfo::SetText(Mp3Text which, std::string text) {
    m_texts[Index(which)] = std::move(text);
    m_present[Index(which)] = true;
}

void MP3FileInfo::SetTextIfAny(Mp3Text which, std::optional<std::string> text) {
    if (text) {
        SetText(which, std::move(*text));
    }
}

bool MP3FileInfo::Load(const std::string& path) {
    Clear();
    if (!LoadFile(path)) {
        Clear();
        return false;
    }
    return true;
}

bool MP3FileInfo::LoadFile(const std::string& path) {
    m_filePath = path;
    m_loaded = true;

    // Only regular files: opening a pipe or a device would wait or read without end.
    FileDescriptor file{::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC)};
    struct stat info {};
    if (file.fd < 0 || ::fstat(file.fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        return false;
    }
    const std::int64_t size = info.st_size;
    m_fileSize = size >= 0xFFFFFFFFll ? 0xFFFFFFFEu : static_cast<std::uint32_t>(size);
    CMp3FileReader reader(file.fd, size);

    const std::optional<std::int64_t> v2Size = Id3v2TagSize(reader.Read(0, 10));
    m_hasV2Tag = v2Size.has_value();
    const FileTail tail = ReadTail(reader);
    m_hasV1Tag = tail.hasV1;
    m_hasLyrics = tail.hasLyrics;

    if (!ReadAudio(reader, AudioStart(reader, v2Size), tail.audioEnd) || !reader.Healthy()) {
        return false;
    }
    if (m_hasV2Tag) {
        ReadId3v2Texts(reader.Read(0, *v2Size));
    }
    if (tail.hasV1) {
        ReadId3v1Texts(tail.v1);
    }
    if (Has(Mp3Text::Year)) {
        m_yearNumber = ScanInteger(GetYear()).value_or(0);
    }
    if (Has(Mp3Text::Track)) {
        m_trackNumber = ScanInteger(GetTrack()).value_or(0);
    }
    return true;
}

std::int64_t MP3FileInfo::AudioStart(CMp3FileReader& reader, std::optional<std::int64_t> v2Size) {
    // Some taggers prepend a tag again instead of replacing it; the audio follows the last.
    std::int64_t start = v2Size.value_or(0);
    for (int extra = 0; extra < 8 && v2Size; ++extra) {
        const std::optional<std::int64_t> next = Id3v2TagSize(reader.Read(start, 10));
        if (!next) {
            break;
        }
        start += *next;
    }
    return start;
}

bool MP3FileInfo::ReadAudio(CMp3FileReader& reader, std::int64_t start, std::int64_t end) {
    const std::optional<FirstFrame> first = FindFirstFrame(reader, start, end);
    if (!first) {
        return false;
    }
    const AudioResult audio = AnalyseAudio(reader, *first, end);
    m_bitrate = audio.header.bitrate;
    m_vbrBitrate = audio.vbrBitrate;
    m_frequency = audio.header.sampleRate;
    m_lengthMilliseconds = audio.milliseconds;
    m_length = RoundToSeconds(audio.milliseconds);
    SetText(Mp3Text::BitrateText, m_vbrBitrate > 0
                                      ? std::to_string(m_vbrBitrate / 1000) + " kbit/s (VBR)"
                                      : std::to_string(m_bitrate / 1000) + " kbit/s");
    SetText(Mp3Text::LayerText, LayerText(audio.header.layer));
    SetText(Mp3Text::VersionText, VersionText(audio.header.version));
    SetText(Mp3Text::ChannelModeText, ChannelModeText(audio.header.channelMode));
    return true;
}

void MP3FileInfo::ReadId3v2Texts(const Bytes& tagBytes) {
    const CParsedId3v2Tag parsed(tagBytes);
    const TagLib::ID3v2::Tag& tag = parsed.Tag();
    const std::pair<Mp3Text, const char*> textFrames[] = {
        {Mp3Text::Album, "TALB"},     {Mp3Text::Artist, "TPE1"},
        {Mp3Text::Title, "TIT2"},     {Mp3Text::Track, "TRCK"},
        {Mp3Text::Composer, "TCOM"},  {Mp3Text::RightsStatement, "TCOP"},
        {Mp3Text::EncodedBy, "TENC"}, {Mp3Text::OriginalArtist, "TOPE"},
    };
    for (const auto& [which, id] : textFrames) {
        SetTextIfAny(which, TextFrame(tag, id));
    }
    SetTextIfAny(Mp3Text::Year, YearFrames(tag));
    SetTextIfAny(Mp3Text::Comment, CommentFrame(tag));
    SetTextIfAny(Mp3Text::Url, UrlFrame(tag));
    SetTextIfAny(Mp3Text::Genre, GenreFrame(tag));
}

void MP3FileInfo::ReadId3v1Texts(const Bytes& v1) {
    // The ID3v1 tag fills in what the ID3v2 tag does not have.
    const std::pair<Mp3Text, std::pair<std::size_t, std::size_t>> fields[] = {
        {Mp3Text::Title, {3, 30}},
        {Mp3Text::Artist, {33, 30}},
        {Mp3Text::Album, {63, 30}},
        {Mp3Text::Year, {93, 4}},
    };
    for (const auto& [which, place] : fields) {
        std::string text = V1Field(v1, place.first, place.second);
        if (!Has(which) && !text.empty()) {
            SetText(which, std::move(text));
        }
    }
    // ID3v1.1 keeps the track number in the last byte of the comment, behind a NUL.
    const bool hasTrack = v1[125] == 0 && v1[126] != 0;
    std::string comment = V1Field(v1, 97, hasTrack ? 28 : 30);
    if (!Has(Mp3Text::Comment) && !comment.empty()) {
        SetText(Mp3Text::Comment, std::move(comment));
    }
    if (!Has(Mp3Text::Track) && hasTrack) {
        SetText(Mp3Text::Track, std::to_string(v1[126]));
    }
    // Genre byte 255 means "no genre"; other numbers beyond the table are shown as the old
    // tag presents them, "(200)".
    if (!Has(Mp3Text::Genre) && v1[127] != 255) {
        SetText(Mp3Text::Genre, ResolveBracketedGenre("(" + std::to_string(v1[127]) + ")"));
    }
}
