#include "ui/toolkit/system_sound.h"

#include <canberra.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

#include <QDir>
#include <mutex>

#include "ui/toolkit/user_interaction.h"

namespace toolkit {
namespace {

constexpr uint32_t kEventSoundId = 1;
constexpr uint32_t kWaveSoundId = 2;

// One context for the whole program; it connects to the sound server lazily on the first
// play, and a failed connection only means that nothing is heard.
ca_context* Context() {
    static ca_context* context = [] {
        ca_context* created = nullptr;
        if (ca_context_create(&created) != CA_SUCCESS) {
            return static_cast<ca_context*>(nullptr);
        }
        ca_context_change_props(created, CA_PROP_APPLICATION_NAME, "Tracklace",
                                CA_PROP_APPLICATION_ID, "tracklace", nullptr);
        return created;
    }();
    return context;
}

bool IsPlaying(ca_context* context, uint32_t id) {
    int playing = 0;
    return ca_context_playing(context, id, &playing) == CA_SUCCESS && playing != 0;
}

void RemoveFinishedFile(ca_context*, uint32_t, int, void* userdata) {
    char* path = static_cast<char*>(userdata);
    unlink(path);
    free(path);
}

}  // namespace

std::string EventSoundForKind(int kind) {
    switch (kind) {
        case kSystemExclamation:
            return "dialog-warning";
        case kSystemExit:
            return "service-logout";
        case kSystemHand:
            return "dialog-error";
        case kSystemQuestion:
            return "dialog-question";
        case kSystemStart:
            return "service-login";
        default:
            return "dialog-information";
    }
}

void PlayEventSound(int kind) {
    ca_context* context = Context();
    if (context == nullptr || IsPlaying(context, kEventSoundId)) {
        return;
    }
    const std::string event = EventSoundForKind(kind);
    ca_context_play(context, kEventSoundId, CA_PROP_EVENT_ID, event.c_str(), nullptr);
}

void PlayWaveBytes(std::string_view waveBytes) {
    ca_context* context = Context();
    if (context == nullptr || waveBytes.empty() || IsPlaying(context, kWaveSoundId)) {
        return;
    }
    // libcanberra plays files, not memory: the bytes go to a private temporary file that is
    // removed once the sound has finished (or failed to start).
    std::string pattern = QDir::tempPath().toStdString() + "/tracklace-sound-XXXXXX";
    const int fd = mkstemp(pattern.data());
    if (fd < 0) {
        return;
    }
    size_t written = 0;
    while (written < waveBytes.size()) {
        const ssize_t n = write(fd, waveBytes.data() + written, waveBytes.size() - written);
        if (n <= 0) {
            break;
        }
        written += static_cast<size_t>(n);
    }
    close(fd);
    if (written != waveBytes.size()) {
        unlink(pattern.c_str());
        return;
    }
    ca_proplist* properties = nullptr;
    if (ca_proplist_create(&properties) != CA_SUCCESS) {
        unlink(pattern.c_str());
        return;
    }
    ca_proplist_sets(properties, CA_PROP_MEDIA_FILENAME, pattern.c_str());
    char* owned = strdup(pattern.c_str());
    if (ca_context_play_full(context, kWaveSoundId, properties, RemoveFinishedFile, owned) !=
        CA_SUCCESS) {
        // The callback is only called for a sound that started.
        unlink(owned);
        free(owned);
    }
    ca_proplist_destroy(properties);
}

}  // namespace toolkit
