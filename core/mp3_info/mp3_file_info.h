#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

class CMp3FileReader;

// The texts of an MP3FileInfo. Each may be absent, which is different from present and
// empty only inside the record: every Get of an absent text returns the empty text.
enum class Mp3Text {
    BitrateText,
    LayerText,
    VersionText,
    ChannelModeText,
    Artist,
    Title,
    Album,
    Comment,
    Track,
    Year,
    Genre,
    Composer,
    RightsStatement,
    EncodedBy,
    OriginalArtist,
    Url,
};

// The MPEG audio header and the tag texts of one MP3 file. Texts are UTF-8.
//
// Reading never trusts the file: only regular files are opened, read-only; the audio is
// looked for in the first 64 KiB behind the ID3v2 tag, and a file without audio there is
// rejected before any tag is parsed, so a broken or foreign file costs a few reads.
class MP3FileInfo {
public:
    MP3FileInfo() = default;
    virtual ~MP3FileInfo();

    MP3FileInfo(const MP3FileInfo&) = default;
    MP3FileInfo& operator=(const MP3FileInfo&) = default;

    // Fills the record from the file at path. False when the file cannot be read or holds
    // no MPEG audio frame; the record is empty then.
    bool Load(const std::string& path);
    // Empties the record: no texts, numbers 0, flags false, the file size all ones.
    void Clear();

    bool IsLoaded() const { return m_loaded; }
    const std::string& GetFilePath() const { return m_filePath; }
    bool HasLyrics() const { return m_hasLyrics; }
    bool HasV1Tag() const { return m_hasV1Tag; }
    bool HasV2Tag() const { return m_hasV2Tag; }
    // 0xFFFFFFFF when nothing is loaded; a file of 4 GiB or more reports 0xFFFFFFFE.
    std::uint32_t GetFileSize() const { return m_fileSize; }
    // The first frame's bitrate, bits per second.
    std::int32_t GetBitrate() const { return m_bitrate; }
    // The average bitrate of a variable-bitrate file; 0 for a constant bitrate.
    std::int32_t GetVbrBitrate() const { return m_vbrBitrate; }
    std::int32_t GetEffectiveBitrate() const { return m_vbrBitrate > 0 ? m_vbrBitrate : m_bitrate; }
    std::int32_t GetFrequency() const { return m_frequency; }
    // Playing time in whole seconds, rounded to the nearest second.
    std::int32_t GetLength() const { return m_length; }
    // Playing time in milliseconds, truncated.
    std::int64_t GetLengthMilliseconds() const { return m_lengthMilliseconds; }
    std::int32_t GetTrackNumber() const { return m_trackNumber; }
    std::int32_t GetYearNumber() const { return m_yearNumber; }

    bool Has(Mp3Text which) const { return m_present[Index(which)]; }
    const std::string& Get(Mp3Text which) const { return m_texts[Index(which)]; }

    const std::string& GetBitrateText() const { return Get(Mp3Text::BitrateText); }
    const std::string& GetLayerText() const { return Get(Mp3Text::LayerText); }
    const std::string& GetVersionText() const { return Get(Mp3Text::VersionText); }
    const std::string& GetChannelModeText() const { return Get(Mp3Text::ChannelModeText); }
    const std::string& GetArtist() const { return Get(Mp3Text::Artist); }
    const std::string& GetTitle() const { return Get(Mp3Text::Title); }
    const std::string& GetAlbum() const { return Get(Mp3Text::Album); }
    const std::string& GetComment() const { return Get(Mp3Text::Comment); }
    const std::string& GetTrack() const { return Get(Mp3Text::Track); }
    const std::string& GetYear() const { return Get(Mp3Text::Year); }
    const std::string& GetGenre() const { return Get(Mp3Text::Genre); }
    const std::string& GetComposer() const { return Get(Mp3Text::Composer); }
    const std::string& GetRightsStatement() const { return Get(Mp3Text::RightsStatement); }
    const std::string& GetEncodedBy() const { return Get(Mp3Text::EncodedBy); }
    const std::string& GetOriginalArtist() const { return Get(Mp3Text::OriginalArtist); }
    const std::string& GetUrl() const { return Get(Mp3Text::Url); }

    // The seconds of a playing time in milliseconds: halves round up.
    static std::int32_t RoundToSeconds(std::int64_t milliseconds);

private:
    static constexpr std::size_t kTextCount = static_cast<std::size_t>(Mp3Text::Url) + 1;
    static std::size_t Index(Mp3Text which) { return static_cast<std::size_t>(which); }
    void SetText(Mp3Text which, std::string text);
    // Sets the text when there is one.
    void SetTextIfAny(Mp3Text which, std::optional<std::string> text);

    // The steps of Load.
    bool LoadFile(const std::string& path);
    // Where the audio starts: behind the ID3v2 tag (of v2Size bytes) and any tag repeated
    // behind it.
    static std::int64_t AudioStart(CMp3FileReader& reader, std::optional<std::int64_t> v2Size);
    // The header's values and texts from the audio between start and end; false when there
    // is no audio.
    bool ReadAudio(CMp3FileReader& reader, std::int64_t start, std::int64_t end);
    void ReadId3v2Texts(const std::vector<std::uint8_t>& tagBytes);
    void ReadId3v1Texts(const std::vector<std::uint8_t>& v1);

    std::string m_filePath;
    bool m_hasLyrics = false;
    bool m_hasV1Tag = false;
    bool m_hasV2Tag = false;
    std::uint32_t m_fileSize = 0xFFFFFFFFu;
    std::int32_t m_bitrate = 0;
    std::int32_t m_vbrBitrate = 0;
    std::int32_t m_frequency = 0;
    std::int32_t m_length = 0;
    std::int64_t m_lengthMilliseconds = 0;
    std::array<std::string, kTextCount> m_texts;
    std::array<bool, kTextCount> m_present{};
    std::int32_t m_trackNumber = 0;
    std::int32_t m_yearNumber = 0;
    bool m_loaded = false;
};
