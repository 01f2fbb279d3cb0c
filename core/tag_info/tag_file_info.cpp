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
    constexpr std::int64_t kStep = 16 * 1024;
    constexpr std::string_view kCapture = "OggS";
    const std::int64_t limit = std::max<std::int64_t>(0, size - kMaxOggPageBytes);
    // Steps overlap by the capture pattern's length, so none is missed at a boundary.
    for (std::int64_t end = size; end > limit;) {
        const std::int64_t start = std::max(limit, end - kStep);
        const std::vector<std::uint8_t> data =
            stream.ReadAt(start, static_cast<std::size_t>(end - start));
        const std::string_view text(reinterpret_cast<const char*>(data.data()), data.size());
        if (text.rfind(kCapture) != std::string_view::npos) {
            return true;
        }
        if (start == limit || data.size() < kCapture.size()) {
            break;
        }
        end = start + static_cast<std::int64_t>(kCapture.size()) - 1;
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
        case TagFormat::OggVorbis:
        case TagFormat::OggOpus:
        case TagFormat::OggSpeex:
        case TagFormat::OggFlac:
            if (!EndsLikeOgg(stream, size)) {
                return std::nullopt;
            }
            break;
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
    Clear();
    if (!LoadFile(path)) {
        Clear();
        return false;
    }
    return true;
}

bool TagFileInfo::LoadFile(const std::string& path) {
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

    TagLib::FileRef ref(OpenTagLibFile(*format, &stream, kTagReadStyle).release());
    if (ref.isNull() || !ref.file()->isValid() || ref.audioProperties() == nullptr) {
        return false;
    }
    m_texts = ReadTagTexts(*format, *ref.file());
    m_lengthMilliseconds = std::max(0, ref.audioProperties()->lengthInMilliseconds());
    m_length = MP3FileInfo::RoundToSeconds(m_lengthMilliseconds);
    return stream.Healthy();
}
