#pragma once

#include <cstdint>
#include <string>

#include <taglib/audioproperties.h>

#include "core/tag_info/tag_format.h"
#include "core/tag_info/tag_texts.h"

// The tag texts and the playing time of one audio file of a format other than MP3
// (those of TagFormat), read through TagLib. Texts are UTF-8. The getters are those of
// MP3FileInfo for the same six values, so that one caller can serve both records.
//
// Reading never trusts the file: only regular files are opened, read-only; the format's
// signature must be where the format puts it (behind an ID3v2 tag only for the formats
// TagLib looks for one in) before TagLib sees a byte of it, so a foreign or empty file
// costs one small read, whatever its name or size. A record holds no TagLib object and
// Load touches nothing shared: records may be read on any thread, several at once.
class TagFileInfo {
public:
    TagFileInfo() = default;
    virtual ~TagFileInfo();

    TagFileInfo(const TagFileInfo&) = default;
    TagFileInfo& operator=(const TagFileInfo&) = default;

    // Fills the record from the file at path. False when the file cannot be read, is of
    // none of the formats, or TagLib finds it broken; the record is empty then.
    bool Load(const std::string& path);
    // Load with another of TagLib's read styles than the chosen one, to measure them.
    bool LoadWithReadStyle(const std::string& path, TagLib::AudioProperties::ReadStyle style);
    // Empties the record: no texts, no format, length 0.
    void Clear();

    bool IsLoaded() const { return m_loaded; }
    const std::string& GetFilePath() const { return m_filePath; }
    // The format the file's signature showed; meaningful only while loaded.
    TagFormat GetFormat() const { return m_format; }

    bool Has(TagText which) const { return m_texts[which].has_value(); }
    const std::string& Get(TagText which) const;

    const std::string& GetArtist() const { return Get(TagText::Artist); }
    const std::string& GetTitle() const { return Get(TagText::Title); }
    const std::string& GetAlbum() const { return Get(TagText::Album); }
    // The year of the recording date ("2001" of "2001-02-03"), else the text as written.
    const std::string& GetYear() const { return Get(TagText::Year); }
    const std::string& GetGenre() const { return Get(TagText::Genre); }
    // As written, for instance "3/12".
    const std::string& GetTrack() const { return Get(TagText::Track); }

    // Playing time in milliseconds as the format's header gives it; 0 when it does not.
    std::int64_t GetLengthMilliseconds() const { return m_lengthMilliseconds; }
    // Playing time in whole seconds, rounded as MP3FileInfo rounds it.
    std::int32_t GetLength() const { return m_length; }

private:
    bool LoadFile(const std::string& path, TagLib::AudioProperties::ReadStyle style);

    std::string m_filePath;
    TagFormat m_format = TagFormat::Flac;
    TagTexts m_texts;
    std::int64_t m_lengthMilliseconds = 0;
    std::int32_t m_length = 0;
    bool m_loaded = false;
};
