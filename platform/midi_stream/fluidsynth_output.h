#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/midi_stream/midi_stream.h"
#include "platform/midi_stream/virtual_midi_device.h"

struct _fluid_hashtable_t;
struct _fluid_synth_t;
struct _fluid_file_renderer_t;

namespace platform {

// The real-time stream of OpenMidiStream on a chosen FluidSynth audio driver; with the driver
// "file", it writes into the WAV file fileName at the pace of the clock (for tests on machines
// without sound). An empty driver tries the desktop's drivers in turn.
int OpenFluidSynthStream(const std::string& driver, const std::string& fileName,
                         MidiStreamCallback callback, std::unique_ptr<IMidiStream>* stream);

// A synthesizer that plays in virtual time and writes what it plays into a WAV file: the
// streams opened on Device() sound in the file as fast as the clock is advanced. Used to
// listen to the about box music without a sound card.
class FluidSynthFileOutput {
public:
    // kMidiOk and *output set, or kMidiNoDevice when the sound font or the file cannot be
    // opened. An empty soundFont means the system's General MIDI sound font.
    static int Open(const std::string& wavPath, std::unique_ptr<FluidSynthFileOutput>* output,
                    const std::string& soundFont = {});
    ~FluidSynthFileOutput();

    VirtualMidiDevice& Device() { return m_device; }
    int SampleRate() const { return m_sampleRate; }
    int64_t FramesWritten() const { return m_framesWritten; }

private:
    FluidSynthFileOutput() = default;
    void RenderUntil(int64_t timeNs);

    VirtualMidiDevice m_device;
    _fluid_hashtable_t* m_settings = nullptr;
    _fluid_synth_t* m_synth = nullptr;
    _fluid_file_renderer_t* m_renderer = nullptr;
    int m_sampleRate = 44100;
    int m_periodSize = 64;
    int64_t m_framesWritten = 0;
};

}  // namespace platform
