#pragma once

#include <taglib/id3v2tag.h>
#include <taglib/tbytevectorstream.h>
#include <taglib/tfile.h>
#include <taglib/tstring.h>

#include <string>

#include "core/mp3_info/mp3_file_reader.h"

// An ID3v2 tag parsed by TagLib from its bytes in memory: TagLib cannot read past it, nor
// look for anything else, so a hostile file cannot make it scan.
class CParsedId3v2Tag {
public:
    explicit CParsedId3v2Tag(const Bytes& tagBytes);
    CParsedId3v2Tag(const CParsedId3v2Tag&) = delete;
    CParsedId3v2Tag& operator=(const CParsedId3v2Tag&) = delete;

    const TagLib::ID3v2::Tag& Tag() const { return m_tag; }

private:
    // TagLib's view of the file for reading one ID3v2 tag at a known place. It never looks
    // for anything itself.
    class CTagOnlyFile : public TagLib::File {
    public:
        explicit CTagOnlyFile(TagLib::IOStream* stream) : TagLib::File(stream) {}
        TagLib::Tag* tag() const override { return nullptr; }
        TagLib::AudioProperties* audioProperties() const override { return nullptr; }
        bool save() override { return false; }
    };

    TagLib::ByteVectorStream m_stream;
    CTagOnlyFile m_file;
    TagLib::ID3v2::Tag m_tag;
};

// A TagLib text as UTF-8.
std::string ToUtf8(const TagLib::String& text);
