#pragma once

#include <string>
#include <string_view>

namespace toolkit {

// The freedesktop event sound that stands for a system sound kind (3 "SystemHand" is
// "dialog-error").
std::string EventSoundForKind(int kind);

// Plays through libcanberra, asynchronously; a sound that is still playing is not
// interrupted and the new one is dropped. Silent, and no error, without a sound server.
void PlayEventSound(int kind);
void PlayWaveBytes(std::string_view waveBytes);

}  // namespace toolkit
