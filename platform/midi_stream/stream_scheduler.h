#pragma once

#include <cstdint>
#include <deque>
#include <optional>
#include <vector>

#include "platform/midi_stream/midi_stream.h"

namespace platform {

// The timing core shared by every stream output: the queue of buffers and the walk through
// their events in stream time. It does no locking and calls nobody; the output that owns it
// serialises the calls and delivers the actions it collects.
class StreamScheduler {
public:
    struct Action {
        enum Kind { Send, Done, Position } kind;
        int64_t timeNs;
        uint32_t message;    // Send: the short message
        MidiHeader* header;  // Done, Position
        uint32_t offset;     // Position: the event's offset in the buffer
    };

    // Nonzero division only; see IMidiStream::SetTimeDivision.
    bool SetTimeDivision(uint32_t division);
    uint32_t TimeDivision() const { return m_division; }
    uint32_t Tempo() const { return m_tempo; }

    void Queue(MidiHeader* header, int64_t nowNs);
    void Start(int64_t nowNs);
    void Pause() { m_running = false; }
    bool Running() const { return m_running; }
    // Takes every queued buffer out of the queue, marked done, in queue order.
    std::vector<MidiHeader*> TakeAll();
    // Empties the queue without touching the buffers: a closed stream drops what it holds,
    // and their memory may be gone already.
    void DropAll();
    bool IsQueued(const MidiHeader* header) const;

    // Appends the actions that are due at or before nowNs, in order, at most maxActions.
    void Collect(int64_t nowNs, std::vector<Action>& out, size_t maxActions);
    // When the next action is due; nothing while paused or with an empty queue.
    std::optional<int64_t> NextDueNs() const;

private:
    int64_t TicksToNs(uint32_t ticks) const;
    // Drops finished or unreadable buffers from the front; returns the first one's done action.
    bool FinishFrontIfDone(std::vector<Action>& out);

    std::deque<MidiHeader*> m_queue;
    uint32_t m_offset = 0;      // read position in the front buffer
    int64_t m_lastEventNs = 0;  // stream time of the last event played
    bool m_running = false;
    uint32_t m_division = 96;
    uint32_t m_tempo = kDefaultMidiTempo;
};

}  // namespace platform
