#pragma once

#include <string>

class CPlaylist;

// A request to create a playlist as the window and tracklace-make put it: the entries (in
// the playlist), the save location, the name and the file that would be written.
struct CreationRequest {
    std::string saveLocation;  // the folder as chosen; empty when none was
    std::string name;          // the playlist's name, without extension
    std::string filePath;      // the playlist file the creation would write
};

// What stands between a request and its creation. The checks run in a fixed order and the
// first that applies decides; the callers only choose how to tell or ask the user.
enum class RequestOutcome {
    kReady,           // nothing to tell or ask: create
    kEmptyPlaylist,   // no entry
    kNoSaveLocation,  // no folder chosen
    kNoName,          // no name
    kInvalidName,     // the name holds one of the nine characters IsValidPlaylistName refuses
    kCreateFolder,    // the folder does not exist; the creation makes it (one level) if asked to
    kOverwrite,       // something already exists at filePath; the creation would replace it
};

RequestOutcome CheckCreationRequest(const CPlaylist& playlist, const CreationRequest& request);

// False when the name holds one of the nine characters \ / : * ? " < > | (a full stop is
// fine: people name playlists "Vol. 1"). UTF-8 never hides them inside a character.
bool IsValidPlaylistName(const std::string& name);
