#pragma once

#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

#include "platform/midi_stream/midi_stream.h"

namespace platform {

// Opens a MIDI stream on a thread of its own. Making the synthesizer, loading its sound font
// and trying the audio drivers takes tens of milliseconds, which a window must not spend
// before it shows. The opened stream is handed over once, through Take, to whoever plays
// on it; its callbacks go to the callback given there from then on.
class MidiStreamOpener {
public:
    // ready is called on the opening thread when the opening is over, whatever its result.
    MidiStreamOpener(MidiStreamFactory factory, int device, std::function<void()> ready = {});
    // Waits for an opening still under way, then closes a stream that nobody took.
    ~MidiStreamOpener();
    MidiStreamOpener(const MidiStreamOpener&) = delete;
    MidiStreamOpener& operator=(const MidiStreamOpener&) = delete;

    bool IsDone() const;
    // Blocks until the opening is over (for tests and for closing).
    void Wait() const;

    // Called as a MidiStreamFactory (the device is the one given to the constructor): the
    // opening's result, and on success the stream with its callbacks going to callback; the
    // stream's "opened" message is passed on to it now. Before the opening is over, or once
    // the stream is taken, the result is kMidiNoDevice.
    int Take(int device, MidiStreamCallback callback, std::unique_ptr<IMidiStream>* stream);

private:
    // Where the stream's callbacks go; shared with the stream, which outlives the opener.
    struct Forward {
        std::mutex mutex;
        MidiStreamCallback callback;
        bool opened = false;  // the stream reported itself opened before anybody listened
    };

    void Open(MidiStreamFactory factory, int device, std::function<void()> ready);

    std::shared_ptr<Forward> m_forward = std::make_shared<Forward>();
    mutable std::mutex m_mutex;
    mutable std::condition_variable m_doneChanged;
    bool m_done = false;
    int m_result = kMidiNoDevice;
    std::unique_ptr<IMidiStream> m_stream;
    std::thread m_thread;
};

}  // namespace platform
