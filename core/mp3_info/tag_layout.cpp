#include "core/mp3_info/tag_layout.h"

#include <algorithm>
#include <string_view>

#include "platform/code_page/code_page.h"

std::optional<std::int64_t> Id3v2TagSize(const Bytes& data) {
    if (data.size() < 10 || !StartsWith(data, 0, "ID3") || data[3] < 2 || data[3] > 4 ||
        data[4] == 0xFF) {
        return std::nullopt;
    }
    std::int64_t size = 0;
    for (int i = 6; i < 10; ++i) {
        if (data[i] & 0x80) {
            return std::nullopt;
        }
        size = (size << 7) | data[i];
    }
    const bool footer = data[3] == 4 && (data[5] & 0x10);
    return 10 + size + (footer ? 10 : 0);
}

FileTail ReadTail(CMp3FileReader& reader) {
    FileTail tail;
    tail.audioEnd = reader.Size();
    if (tail.audioEnd >= 128) {
        Bytes v1 = reader.Read(tail.audioEnd - 128, 128);
        if (v1.size() == 128 && StartsWith(v1, 0, "TAG")) {
            tail.hasV1 = true;
            tail.v1 = std::move(v1);
            tail.audioEnd -= 128;
        }
    }
    // APE and Lyrics3 may come in either order; each is taken off once.
    bool apeDone = false;
    bool lyricsDone = false;
    for (int round = 0; round < 2; ++round) {
        if (!apeDone && tail.audioEnd >= 32) {
            const Bytes footer = reader.Read(tail.audioEnd - 32, 32);
            if (footer.size() == 32 && StartsWith(footer, 0, "APETAGEX")) {
                std::int64_t size = LittleEndian32(footer.data() + 12);
                if (LittleEndian32(footer.data() + 20) & 0x80000000u) {
                    size += 32;
                }
                if (size >= 32 && size <= tail.audioEnd) {
                    tail.audioEnd -= size;
                    apeDone = true;
                }
            }
        }
        if (!lyricsDone && tail.audioEnd >= 15) {
            const Bytes end = reader.Read(tail.audioEnd - 15, 15);
            if (end.size() == 15 && StartsWith(end, 6, "LYRICS200")) {
                std::int64_t size = 0;
                bool digits = true;
                for (int i = 0; i < 6; ++i) {
                    digits = digits && end[i] >= '0' && end[i] <= '9';
                    size = size * 10 + (end[i] - '0');
                }
                tail.hasLyrics = true;
                lyricsDone = true;
                if (digits && size + 15 <= tail.audioEnd) {
                    tail.audioEnd -= size + 15;
                }
            } else if (end.size() == 15 && StartsWith(end, 6, "LYRICSEND")) {
                tail.hasLyrics = true;
                lyricsDone = true;
                // Lyrics3 v1 holds at most 5100 bytes of lyrics after "LYRICSBEGIN".
                const std::int64_t span = std::min<std::int64_t>(tail.audioEnd, 5100 + 11 + 9);
                const Bytes block = reader.Read(tail.audioEnd - span, span);
                const std::string_view text(reinterpret_cast<const char*>(block.data()),
                                            block.size());
                const std::size_t begin = text.rfind("LYRICSBEGIN");
                if (begin != std::string_view::npos) {
                    tail.audioEnd -= static_cast<std::int64_t>(block.size() - begin);
                }
            }
        }
    }
    return tail;
}

std::string V1Field(const Bytes& tag, std::size_t at, std::size_t length) {
    std::string text(reinterpret_cast<const char*>(tag.data() + at), length);
    text = text.substr(0, text.find('\0'));
    while (!text.empty() && text.back() == ' ') {
        text.pop_back();
    }
    return platform::Latin1ToUtf8(text);
}
