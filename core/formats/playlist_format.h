#pragma once

#include <cstdint>
#include <memory>
#include <string>

// The pieces of text a playlist file is made of. Templates carry tags such as "<TRACK/>"
// that the creation job fills with ReplaceTags; every "\n" in them is one line end.
class IPlaylistFormat {
public:
    virtual ~IPlaylistFormat() = default;

    virtual std::string GetFormatName() const = 0;
    // With its dot: ".m3u".
    virtual std::string GetPlaylistExtension() const = 0;
    // Written once before the entries.
    virtual std::string GetHeader() const = 0;
    // An entry without tag information (tags TRACK, FILEPATH, FILENAME).
    virtual std::string GetEntryTemplate() const = 0;
    // An entry with title and playing time (tags TRACK, FILEPATH, TITLE, LENGTH).
    virtual std::string GetTaggedEntryTemplate() const = 0;
    // Written once after the entries (tag TRACKCOUNT).
    virtual std::string GetFooter() const = 0;
};

// The six strings of a format, fixed at construction.
class CPlaylistFormatBase : public IPlaylistFormat {
public:
    std::string GetFormatName() const override { return m_formatName; }
    std::string GetPlaylistExtension() const override { return m_extension; }
    std::string GetHeader() const override { return m_header; }
    std::string GetEntryTemplate() const override { return m_entryTemplate; }
    std::string GetTaggedEntryTemplate() const override { return m_taggedEntryTemplate; }
    std::string GetFooter() const override { return m_footer; }

protected:
    CPlaylistFormatBase(std::string formatName, std::string extension, std::string header,
                        std::string entryTemplate, std::string taggedEntryTemplate,
                        std::string footer);

private:
    const std::string m_formatName;
    const std::string m_extension;
    const std::string m_header;
    const std::string m_entryTemplate;
    const std::string m_taggedEntryTemplate;
    const std::string m_footer;
};

// Extended M3U: "#EXTINF:<seconds>,<display text>" before each path; -1 seconds when the
// playing time is not known.
class CPlaylistFormatM3u : public CPlaylistFormatBase {
public:
    CPlaylistFormatM3u();
};

// PLS version 2: numbered File/Title/Length lines and the entry count at the end.
class CPlaylistFormatPls : public CPlaylistFormatBase {
public:
    CPlaylistFormatPls();
};

// The format of a playlist type: 0 PLS, 1 M3U; null for any other type.
std::unique_ptr<IPlaylistFormat> CreatePlaylistFormat(std::int32_t type);
