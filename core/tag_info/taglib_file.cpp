#include "core/tag_info/taglib_file.h"

#include <taglib/aifffile.h>
#include <taglib/apefile.h>
#include <taglib/apefooter.h>
#include <taglib/apetag.h>
#include <taglib/asffile.h>
#include <taglib/flacfile.h>
#include <taglib/id3v2framefactory.h>
#include <taglib/mp4file.h>
#include <taglib/mpcfile.h>
#include <taglib/oggflacfile.h>
#include <taglib/opusfile.h>
#include <taglib/speexfile.h>
#include <taglib/trueaudiofile.h>
#include <taglib/vorbisfile.h>
#include <taglib/wavfile.h>
#include <taglib/wavpackfile.h>

namespace {

template <typename File>
File& As(TagLib::File& file) {
    return static_cast<File&>(file);
}

// TagLib's TrueAudio class reads ID3 tags only, but ffmpeg and most Windows taggers put
// an APE tag at the end of a TrueAudio file, in front of an ID3v1 tag if there is one.
TagTexts TrueAudioApeTexts(TagLib::TrueAudio::File& file) {
    long end = file.length();
    if (file.hasID3v1Tag()) {
        end -= 128;
    }
    const long footer = end - static_cast<long>(TagLib::APE::Footer::size());
    if (footer < 0) {
        return {};
    }
    file.seek(footer);
    if (!file.readBlock(8).startsWith(TagLib::APE::Tag::fileIdentifier())) {
        return {};
    }
    const TagLib::APE::Tag tag(&file, footer);
    return FromApe(tag);
}

// The APE tag and then the ID3v1 tag, as Monkey's Audio, WavPack and Musepack files keep
// them.
template <typename File>
TagTexts ApeThenId3v1(File& file) {
    TagTexts texts;
    if (file.hasAPETag()) {
        texts = FromApe(*file.APETag());
    }
    if (file.hasID3v1Tag()) {
        texts.FillFrom(FromId3v1(*file.ID3v1Tag()));
    }
    return texts;
}

}  // namespace

std::unique_ptr<TagLib::File> OpenTagLibFile(TagFormat format, TagLib::IOStream* stream,
                                             TagLib::AudioProperties::ReadStyle style) {
    switch (format) {
        case TagFormat::Flac:
            return std::make_unique<TagLib::FLAC::File>(
                stream, TagLib::ID3v2::FrameFactory::instance(), true, style);
        case TagFormat::OggVorbis:
            return std::make_unique<TagLib::Ogg::Vorbis::File>(stream, true, style);
        case TagFormat::OggOpus:
            return std::make_unique<TagLib::Ogg::Opus::File>(stream, true, style);
        case TagFormat::OggSpeex:
            return std::make_unique<TagLib::Ogg::Speex::File>(stream, true, style);
        case TagFormat::OggFlac:
            return std::make_unique<TagLib::Ogg::FLAC::File>(stream, true, style);
        case TagFormat::Mp4:
            return std::make_unique<TagLib::MP4::File>(stream, true, style);
        case TagFormat::Asf:
            return std::make_unique<TagLib::ASF::File>(stream, true, style);
        case TagFormat::Wav:
            return std::make_unique<TagLib::RIFF::WAV::File>(stream, true, style);
        case TagFormat::Aiff:
            return std::make_unique<TagLib::RIFF::AIFF::File>(stream, true, style);
        case TagFormat::Ape:
            return std::make_unique<TagLib::APE::File>(stream, true, style);
        case TagFormat::WavPack:
            return std::make_unique<TagLib::WavPack::File>(stream, true, style);
        case TagFormat::Musepack:
            return std::make_unique<TagLib::MPC::File>(stream, true, style);
        case TagFormat::TrueAudio:
            return std::make_unique<TagLib::TrueAudio::File>(stream, true, style);
    }
    return nullptr;
}

TagTexts ReadTagTexts(TagFormat format, TagLib::File& file) {
    TagTexts texts;
    switch (format) {
        case TagFormat::Flac: {
            auto& flac = As<TagLib::FLAC::File>(file);
            if (flac.hasXiphComment()) {
                texts = FromXiphComment(*flac.xiphComment());
            }
            if (flac.hasID3v2Tag()) {
                texts.FillFrom(FromId3v2(*flac.ID3v2Tag()));
            }
            if (flac.hasID3v1Tag()) {
                texts.FillFrom(FromId3v1(*flac.ID3v1Tag()));
            }
            break;
        }
        case TagFormat::OggVorbis:
        case TagFormat::OggOpus:
        case TagFormat::OggSpeex:
        case TagFormat::OggFlac:
            // Every Ogg class of TagLib gives its Vorbis comment as its tag.
            if (auto* comment = dynamic_cast<TagLib::Ogg::XiphComment*>(file.tag())) {
                texts = FromXiphComment(*comment);
            }
            break;
        case TagFormat::Mp4:
            if (auto* tag = As<TagLib::MP4::File>(file).tag()) {
                texts = FromMp4(*tag);
            }
            break;
        case TagFormat::Asf:
            if (auto* tag = As<TagLib::ASF::File>(file).tag()) {
                texts = FromAsf(*tag);
            }
            break;
        case TagFormat::Wav: {
            auto& wav = As<TagLib::RIFF::WAV::File>(file);
            if (wav.hasID3v2Tag()) {
                texts = FromId3v2(*wav.ID3v2Tag());
            }
            if (wav.hasInfoTag()) {
                texts.FillFrom(FromRiffInfo(*wav.InfoTag()));
            }
            break;
        }
        case TagFormat::Aiff: {
            auto& aiff = As<TagLib::RIFF::AIFF::File>(file);
            if (aiff.hasID3v2Tag()) {
                texts = FromId3v2(*aiff.tag());
            }
            break;
        }
        case TagFormat::Ape:
            texts = ApeThenId3v1(As<TagLib::APE::File>(file));
            break;
        case TagFormat::WavPack:
            texts = ApeThenId3v1(As<TagLib::WavPack::File>(file));
            break;
        case TagFormat::Musepack:
            texts = ApeThenId3v1(As<TagLib::MPC::File>(file));
            break;
        case TagFormat::TrueAudio: {
            auto& tta = As<TagLib::TrueAudio::File>(file);
            if (tta.hasID3v2Tag()) {
                texts = FromId3v2(*tta.ID3v2Tag());
            }
            texts.FillFrom(TrueAudioApeTexts(tta));
            if (tta.hasID3v1Tag()) {
                texts.FillFrom(FromId3v1(*tta.ID3v1Tag()));
            }
            break;
        }
    }
    return texts;
}
