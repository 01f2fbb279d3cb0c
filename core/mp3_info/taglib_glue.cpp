#include "core/mp3_info/taglib_glue.h"

#include <taglib/id3v2framefactory.h>

namespace {

// TagLib keeps the frame header type to frames and factories; a class of frame kind may
// name it for the factory below. Never made.
struct FrameHeaderName : TagLib::ID3v2::Frame {
    using Type = TagLib::ID3v2::Frame::Header;
};

// TagLib files the ID3v2.2 frame TOA (original artist) under TOAL (original album), next
// to TOT, which really is the original title. Keep the artist where it belongs.
class FrameFactory : public TagLib::ID3v2::FrameFactory {
public:
    static const FrameFactory& Instance() {
        static const FrameFactory factory;
        return factory;
    }

protected:
    bool updateFrame(FrameHeaderName::Type* header) const override {
        if (header->version() == 2 && header->frameID() == "TOA") {
            header->setFrameID("TOPE");
            return true;
        }
        return TagLib::ID3v2::FrameFactory::updateFrame(header);
    }
};

}  // namespace

CParsedId3v2Tag::CParsedId3v2Tag(const Bytes& tagBytes)
    : m_stream(TagLib::ByteVector(reinterpret_cast<const char*>(tagBytes.data()),
                                  static_cast<unsigned int>(tagBytes.size()))),
      m_file(&m_stream),
      m_tag(&m_file, 0, &FrameFactory::Instance()) {}

std::string ToUtf8(const TagLib::String& text) {
    return text.to8Bit(true);
}
