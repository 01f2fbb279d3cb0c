#include "core/tag_info/tag_file_info.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <optional>
#include <string_view>
#include <vector>

#include <taglib/fileref.h>

#include "core/mp3_info/mp3_file_info.h"
#include "core/tag_info/asf_header.h"
#include "core/tag_info/read_only_stream.h"
#include "core/tag_info/taglib_file.h"

namespace {

// Closes a file descriptor when it goes out of scope.
struct FileDescriptor {
    int fd = -1;
    ~FileDescriptor() {
        if (fd >= 0) {
            ::close(fd);
        }
    }
};

// Whether a page starts in the last kMaxOggPageBytes of the file. TagLib takes the
// playing time from the last page and looks for it backwards, a kilobyte at a time: a
// file that only begins like an Ogg stream would be searched to its start.
bool EndsLikeOgg(ReadOnlyStream& stream, std::int64_t size) {
    // Whole blocks of the stream's window, from the last one backwards; the first bytes
    // of the block after each are kept to find a capture pattern across the boundary.
    constexpr std::int64_t kBlock = 16 * 1024;
    constexpr std::string_view kCapture = "OggS";
    const std::int64_t limit = std::max<std::int64_t>(0, size - kMaxOggPageBytes);
    std::string carry;
    for (std::int64_t start = (size - 1) / kBlock * kBlock; start >= 0 && start + kBlock > limit;
         start -= kBlock) {
        const std::int64_t from = std::max(start, limit);
        const std::vector<std::uint8_t> data =
            stream.ReadAt(from, static_cast<std::size_t>(std::min(size, start + kBlock) - from));
        std::string text(reinterpret_cast<const char*>(data.data()), data.size());
        text += carry;
        if (text.find(kCapture) != std::string::npos) {
            return true;
        }
        carry = text.substr(0, kCapture.size() - 1);
    }
    return false;
}

// The format of the file as its first bytes show it, confirmed where TagLib would search
// for what it did not find in place.
std::optional<TagFormat> ConfirmFormat(ReadOnlyStream& stream, std::int64_t size) {
    std::vector<std::uint8_t> probe = stream.ReadAt(0, kTagFormatProbeBytes);
    std::optional<TagFormat> format = IdentifyTagFormat(probe.data(), probe.size());
    if (!format) {
        const std::optional<std::int64_t> tagSize = LeadingId3v2Size(probe.data(), probe.size());
        if (!tagSize) {
            return std::nullopt;
        }
        probe = stream.ReadAt(*tagSize, kTagFormatProbeBytes);
        format = IdentifyTagFormat(probe.data(), probe.size());
        if (!format || !AllowsLeadingId3v2(*format)) {
            return std::nullopt;
        }
    }
    switch (*format) {
        // Ogg FLAC is left out: its playing time is in the stream header, and TagLib
        // does not look for the last page.
        case TagFormat::OggVorbis:
        case TagFormat::OggOpus:
        case TagFormat::OggSpeex:
            if (!EndsLikeOgg(stream, size)) {
                return std::nullopt;
            }
            break;
        case TagFormat::Asf: {
            // The whole header object is checked before TagLib walks it. Headers hold
            // a few kilobytes, a cover picture perhaps; more than this is no music file.
            constexpr std::uint64_t kMaxHeader = 16 * 1024 * 1024;
            const std::uint64_t headerSize = AsfHeaderSize(probe.data(), probe.size());
            if (headerSize > kMaxHeader || static_cast<std::int64_t>(headerSize) > size) {
                return std::nullopt;
            }
            const std::vector<std::uint8_t> header =
                stream.ReadAt(0, static_cast<std::size_t>(headerSize));
            if (!IsSoundAsfHeader(header.data(), header.size())) {
                return std::nullopt;
            }
            break;
        }
        default:
            break;
    }
    return format;
}

}  // namespace

TagFileInfo::~TagFileInfo() = default;

const std::string& TagFileInfo::Get(TagText which) const {
    static const std::string kEmpty;
    const std::optional<std::string>& text = m_texts[which];
    return text ? *text : kEmpty;
}

void TagFileInfo::Clear() {
    *this = TagFileInfo();
}

bool TagFileInfo::Load(const std::string& path) {
    return LoadWithReadStyle(path, kTagReadStyle);
}

bool TagFileInfo::LoadWithReadStyle(const std::string& path,
                                    TagLib::AudioProperties::ReadStyle style) {
    Clear();
    if (!LoadFile(path, style)) {
        Clear();
        return false;
    }
    return true;
}

bool TagFileInfo::LoadFile(const std::string& path, TagLib::AudioProperties::ReadStyle style) {
    m_filePath = path;
    m_loaded = true;

    // Only regular files: opening a pipe or a device would wait or read without end.
    FileDescriptor file{::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC)};
    if (file.fd < 0) {
        return false;
    }
    struct stat info {};
    if (::fstat(file.fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        return false;
    }
    ReadOnlyStream stream(file.fd, info.st_size, path);
    const std::optional<TagFormat> format = ConfirmFormat(stream, info.st_size);
    if (!format) {
        return false;
    }
    m_format = *format;

    TagLib::FileRef ref(OpenTagLibFile(*format, &stream, style).release());
    // A file whose stream header TagLib could not read has no sampling rate: as an MP3
    // file without an audio frame, it gets no record.
    if (ref.isNull() || !ref.file()->isValid() || ref.audioProperties() == nullptr ||
        ref.audioProperties()->sampleRate() <= 0) {
        return false;
    }
    m_texts = ReadTagTexts(*format, *ref.file());
    m_lengthMilliseconds = std::max(0, ref.audioProperties()->lengthInMilliseconds());
    m_length = MP3FileInfo::RoundToSeconds(m_lengthMilliseconds);
    return stream.Healthy();
}
