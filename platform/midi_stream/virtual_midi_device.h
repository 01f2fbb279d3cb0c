#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "platform/midi_stream/midi_stream.h"
#include "platform/midi_stream/stream_scheduler.h"

namespace platform {

// A MIDI output with a virtual clock: nothing sounds and no time passes until the owner
// advances the clock, which plays the due events and delivers the callbacks on the calling
// thread. Every message is recorded with its stream time. The device outlives the streams
// opened on it; one stream is open at a time.
class VirtualMidiDevice {
public:
    struct Message {
        int64_t timeNs;
        uint32_t message;  // status | data1 << 8 | data2 << 16
        bool direct;       // sent with ShortMessage rather than played from a buffer
    };

    VirtualMidiDevice() = default;
    ~VirtualMidiDevice();
    VirtualMidiDevice(const VirtualMidiDevice&) = delete;
    VirtualMidiDevice& operator=(const VirtualMidiDevice&) = delete;

    // Opens streams on this device.
    MidiStreamFactory Factory();

    // Moves the clock on by ns, playing what falls due on the way.
    void AdvanceBy(int64_t ns);
    // Advances in steps of stepNs until no buffer is queued or maxNs have passed; true when
    // the queue ran dry.
    bool RunUntilIdle(int64_t maxNs, int64_t stepNs = 10'000'000);

    int64_t NowNs() const { return m_now; }
    bool IsOpen() const { return m_open != nullptr; }
    bool IsRunning() const { return m_scheduler.Running(); }
    size_t QueuedBuffers() const;
    uint32_t TimeDivision() const { return m_scheduler.TimeDivision(); }
    uint32_t Tempo() const { return m_scheduler.Tempo(); }

    // Set to make the next opens fail with this result (kMidiOk opens normally).
    int openResult = kMidiOk;
    int opens = 0;
    int closes = 0;
    std::vector<Message> messages;
    // The stream operations in order: "open", "division 96", "prepare", "out", "restart",
    // "stop", "reset", "unprepare", "close".
    std::vector<std::string> calls;
    // Events at one instant beyond this many are taken for a runaway stream; the clock
    // then stops playing and hitActionLimit is set.
    size_t maxActionsPerAdvance = 1'000'000;
    // Events and callbacks the device delivers in all before it stops playing in the same
    // way (bounds a fuzzed song that plays a great deal in little time).
    size_t actionBudget = SIZE_MAX;
    bool hitActionLimit = false;

    // Hooks for an output that sounds in virtual time (the file renderer): each message
    // goes to sink, and renderUntil is told the time before anything happens at it.
    std::function<void(uint32_t)> sink;
    std::function<void(int64_t)> renderUntil;

private:
    class Stream;
    friend class Stream;

    void Deliver(const StreamScheduler::Action& action);
    void ReturnAll();
    void Detach();

    Stream* m_open = nullptr;
    StreamScheduler m_scheduler;
    MidiStreamCallback m_callback;
    std::set<MidiHeader*> m_prepared;
    int64_t m_now = 0;
};

}  // namespace platform
