#include "core/creation_job/creation_request.h"

#include <sys/stat.h>

#include "core/path/path.h"
#include "core/playlist/playlist.h"
#include "platform/path_style/path_style.h"

RequestOutcome CheckCreationRequest(const CPlaylist& playlist, const CreationRequest& request) {
    if (playlist.IsEmpty()) {
        return RequestOutcome::kEmptyPlaylist;
    }
    if (request.saveLocation.empty()) {
        return RequestOutcome::kNoSaveLocation;
    }
    if (request.name.empty()) {
        return RequestOutcome::kNoName;
    }
    if (!IsValidPlaylistName(request.name)) {
        return RequestOutcome::kInvalidName;
    }
    // "/" stays "/": the root is a folder like any other.
    if (!CPath(AddSeparator(request.saveLocation, kNativePathStyle), true).Exists()) {
        return RequestOutcome::kCreateFolder;
    }
    // Whatever is there, through links: a link whose file is gone replaces nothing.
    struct stat status {};
    if (::stat(request.filePath.c_str(), &status) == 0) {
        return RequestOutcome::kOverwrite;
    }
    return RequestOutcome::kReady;
}

bool IsValidPlaylistName(const std::string& name) {
    // Every byte of a multi-byte UTF-8 character is 0x80 or above, so a byte search cannot
    // find one of these inside another character.
    return name.find_first_of("\\/:*?\"<>|") == std::string::npos;
}
