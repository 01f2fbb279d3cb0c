#include "core/mp3_info/id3v2_frames.h"

#include <taglib/commentsframe.h>
#include <taglib/textidentificationframe.h>
#include <taglib/urllinkframe.h>

#include <algorithm>
#include <vector>

#include "core/mp3_info/genres.h"
#include "core/mp3_info/taglib_glue.h"

namespace {

const TagLib::ID3v2::Frame* FindFrame(const TagLib::ID3v2::Tag& tag, const char* id) {
    const TagLib::ID3v2::FrameListMap& frames = tag.frameListMap();
    const auto found = frames.find(id);
    if (found == frames.end() || found->second.isEmpty()) {
        return nullptr;
    }
    return found->second.front();
}

}  // namespace

std::optional<std::string> TextFrame(const TagLib::ID3v2::Tag& tag, const char* id) {
    const auto* frame =
        dynamic_cast<const TagLib::ID3v2::TextIdentificationFrame*>(FindFrame(tag, id));
    if (frame == nullptr) {
        return std::nullopt;
    }
    return ToUtf8(frame->toString());
}

// TagLib reads an ID3v2.3 TYER as the recording time TDRC of ID3v2.4, whose text begins
// with the year; a tagger that only knows the release dates writes TDRL or TDOR.
std::optional<std::string> YearFrames(const TagLib::ID3v2::Tag& tag) {
    if (std::optional<std::string> year = TextFrame(tag, "TYER")) {
        return year;
    }
    for (const char* id : {"TDRC", "TDRL", "TDOR"}) {
        if (std::optional<std::string> time = TextFrame(tag, id)) {
            return time->substr(0, 4);
        }
    }
    return std::nullopt;
}

// Of several comments, the one without a description is the comment; the others belong
// to players (iTunes normalisation and the like).
std::optional<std::string> CommentFrame(const TagLib::ID3v2::Tag& tag) {
    const TagLib::ID3v2::FrameListMap& frames = tag.frameListMap();
    const auto found = frames.find("COMM");
    if (found == frames.end()) {
        return std::nullopt;
    }
    const TagLib::ID3v2::CommentsFrame* chosen = nullptr;
    for (const TagLib::ID3v2::Frame* frame : found->second) {
        const auto* comment = dynamic_cast<const TagLib::ID3v2::CommentsFrame*>(frame);
        if (comment == nullptr) {
            continue;
        }
        if (chosen == nullptr) {
            chosen = comment;
        }
        if (comment->description().isEmpty()) {
            chosen = comment;
            break;
        }
    }
    if (chosen == nullptr) {
        return std::nullopt;
    }
    return ToUtf8(chosen->text());
}

std::optional<std::string> UrlFrame(const TagLib::ID3v2::Tag& tag) {
    const auto* frame =
        dynamic_cast<const TagLib::ID3v2::UserUrlLinkFrame*>(FindFrame(tag, "WXXX"));
    if (frame == nullptr) {
        return std::nullopt;
    }
    return ToUtf8(frame->url());
}

// TagLib has already turned "(17)" into "17" and "(17)Rock" into "Rock"; the numbers that
// remain are genre numbers.
std::optional<std::string> GenreFrame(const TagLib::ID3v2::Tag& tag) {
    const auto* frame =
        dynamic_cast<const TagLib::ID3v2::TextIdentificationFrame*>(FindFrame(tag, "TCON"));
    if (frame == nullptr) {
        return std::nullopt;
    }
    std::vector<std::string> genres;
    for (const TagLib::String& field : frame->fieldList()) {
        const std::string genre = ResolveNumericGenre(ToUtf8(field));
        if (!genre.empty() && std::find(genres.begin(), genres.end(), genre) == genres.end()) {
            genres.push_back(genre);
        }
    }
    std::string text;
    for (const std::string& genre : genres) {
        if (!text.empty()) {
            text += ' ';
        }
        text += genre;
    }
    return text;
}
