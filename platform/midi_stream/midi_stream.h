#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

// A MIDI stream output: buffers of timed events are queued, played one after the other at
// the pace of the stream's time division and tempo, and handed back through a callback when
// they are done. Callbacks arrive on the stream's own thread (for the virtual device, on the
// thread that advances its clock); the stream never calls back from inside Close.
namespace platform {

// Results of the stream operations.
enum MidiResult : int {
    kMidiOk = 0,
    kMidiError = 1,             // the output failed
    kMidiInvalidParameter = 2,  // null header, bad time division, operation on a closed stream
    kMidiUnprepared = 3,        // the buffer was not prepared for this stream
    kMidiStillPlaying = 4,      // the buffer is still queued
    kMidiNoDevice = 5,          // no sound font or no audio output could be opened
};

// One short stream event as it lies in a buffer: 12 bytes, native byte order.
struct MidiStreamEvent {
    uint32_t deltaTicks;  // ticks since the previous event of the stream
    uint32_t streamId;    // always 0
    uint32_t event;       // type in the top byte, message or tempo in the low 24 bits
};
static_assert(sizeof(MidiStreamEvent) == 12);

constexpr uint32_t kMidiEventShortMessage = 0x00000000;  // low 24 bits: status, data 1, data 2
constexpr uint32_t kMidiEventTempo = 0x01000000;         // low 24 bits: microseconds per quarter
constexpr uint32_t kMidiEventNop = 0x02000000;
constexpr uint32_t kMidiEventCallback = 0x40000000;  // report the event when it is played
constexpr uint32_t kMidiEventLong = 0x80000000;      // followed by parameter bytes; skipped

constexpr uint32_t EventType(uint32_t event) {
    return event & 0x3F000000;
}

// Header flags.
constexpr uint32_t kMidiHeaderDone = 0x1;
constexpr uint32_t kMidiHeaderPrepared = 0x2;
constexpr uint32_t kMidiHeaderInQueue = 0x4;

// A buffer of stream events. The caller owns the header and its data; between Out and the
// buffer's Done callback the stream reads them.
struct MidiHeader {
    uint8_t* data = nullptr;
    uint32_t bufferLength = 0;   // bytes of data
    uint32_t bytesRecorded = 0;  // bytes of events in data
    uint32_t flags = 0;
    uint32_t offset = 0;  // set before a position callback: the event's offset in data
};

enum class MidiStreamMessage { Opened, Closed, Done, PositionCallback };

// header is the finished buffer (Done) or the buffer of the reported event (PositionCallback),
// null for Opened and Closed.
using MidiStreamCallback = std::function<void(MidiStreamMessage, MidiHeader*)>;

// Default tempo of a stream until its first tempo event: 120 beats per minute.
constexpr uint32_t kDefaultMidiTempo = 500000;

class IMidiStream {
public:
    virtual ~IMidiStream() = default;
    // Ticks per quarter note, or an SMPTE division (top bit set: -frames per second in the
    // high byte, ticks per frame in the low byte). 0 is refused.
    virtual int SetTimeDivision(uint32_t division) = 0;
    virtual int PrepareHeader(MidiHeader* header) = 0;
    // Refused with kMidiStillPlaying while the buffer is queued.
    virtual int UnprepareHeader(MidiHeader* header) = 0;
    // Queues a prepared buffer behind the others. A new stream is paused until Restart.
    virtual int Out(MidiHeader* header) = 0;
    // Starts or resumes playing.
    virtual int Restart() = 0;
    // Silences every note, pauses, and hands every queued buffer back (Done callbacks).
    virtual int Stop() = 0;
    // As Stop, and sets every channel's controllers back.
    virtual int Reset() = 0;
    // Sends one short message at once, outside the stream's timing.
    virtual int ShortMessage(uint32_t message) = 0;
    // Closes the stream; queued buffers are dropped without callbacks. Closing twice is fine.
    virtual int Close() = 0;
};

// Opens a stream on the given device (-1, the default output) that calls back through
// callback. Result kMidiOk and *stream set, or an error and *stream left empty.
using MidiStreamFactory = std::function<int(int device, MidiStreamCallback callback,
                                            std::unique_ptr<IMidiStream>* stream)>;

// The desktop's stream output: FluidSynth with the system's General MIDI sound font through
// the audio driver that FluidSynth can open. Fails with kMidiNoDevice when either is missing.
int OpenMidiStream(int device, MidiStreamCallback callback, std::unique_ptr<IMidiStream>* stream);

// The General MIDI sound font found on this system, or empty when there is none.
std::string FindGeneralMidiSoundFont();

}  // namespace platform
