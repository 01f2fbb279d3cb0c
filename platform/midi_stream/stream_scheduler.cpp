#include "platform/midi_stream/stream_scheduler.h"

#include <algorithm>
#include <cstring>

namespace platform {

namespace {

// A buffer that was starved for longer than this starts again from the moment it is queued
// instead of rushing through the events it is late for.
constexpr int64_t kCatchUpLimitNs = 100'000'000;

}  // namespace

bool StreamScheduler::SetTimeDivision(uint32_t division) {
    if (division == 0 || division > 0xFFFF) {
        return false;
    }
    if ((division & 0x8000) != 0 && ((division & 0xFF) == 0 || (division >> 8) == 0x80)) {
        return false;  // SMPTE with no ticks per frame or no frames
    }
    m_division = division;
    return true;
}

void StreamScheduler::Queue(MidiHeader* header, int64_t nowNs) {
    if (m_queue.empty()) {
        m_offset = 0;
        if (m_running && nowNs - m_lastEventNs > kCatchUpLimitNs) {
            m_lastEventNs = nowNs;
        }
    }
    header->flags = (header->flags & ~kMidiHeaderDone) | kMidiHeaderInQueue;
    m_queue.push_back(header);
}

void StreamScheduler::Start(int64_t nowNs) {
    if (!m_running) {
        m_running = true;
        m_lastEventNs = nowNs;
    }
}

std::vector<MidiHeader*> StreamScheduler::TakeAll() {
    std::vector<MidiHeader*> taken(m_queue.begin(), m_queue.end());
    m_queue.clear();
    m_offset = 0;
    for (MidiHeader* h : taken) {
        h->flags = (h->flags & ~kMidiHeaderInQueue) | kMidiHeaderDone;
    }
    return taken;
}

void StreamScheduler::DropAll() {
    m_queue.clear();
    m_offset = 0;
}

bool StreamScheduler::IsQueued(const MidiHeader* header) const {
    return std::find(m_queue.begin(), m_queue.end(), header) != m_queue.end();
}

int64_t StreamScheduler::TicksToNs(uint32_t ticks) const {
    long double ns;
    if ((m_division & 0x8000) != 0) {
        const int framesPerSecond = 256 - static_cast<int>(m_division >> 8);
        const int ticksPerFrame = static_cast<int>(m_division & 0xFF);
        ns = static_cast<long double>(ticks) * 1e9L / (framesPerSecond * ticksPerFrame);
    } else {
        ns = static_cast<long double>(ticks) * m_tempo * 1000.0L / m_division;
    }
    return static_cast<int64_t>(ns);
}

bool StreamScheduler::FinishFrontIfDone(std::vector<Action>& out) {
    MidiHeader* front = m_queue.front();
    const uint32_t end = std::min(front->bytesRecorded, front->bufferLength);
    if (front->data != nullptr && m_offset + sizeof(MidiStreamEvent) <= end) {
        return false;
    }
    m_queue.pop_front();
    m_offset = 0;
    front->flags = (front->flags & ~kMidiHeaderInQueue) | kMidiHeaderDone;
    out.push_back({Action::Done, m_lastEventNs, 0, front, 0});
    return true;
}

void StreamScheduler::Collect(int64_t nowNs, std::vector<Action>& out, size_t maxActions) {
    while (m_running && !m_queue.empty() && out.size() < maxActions) {
        if (FinishFrontIfDone(out)) {
            continue;
        }
        MidiHeader* front = m_queue.front();
        MidiStreamEvent e;
        std::memcpy(&e, front->data + m_offset, sizeof e);
        const int64_t due = m_lastEventNs + TicksToNs(e.deltaTicks);
        if (due > nowNs) {
            return;
        }
        m_lastEventNs = due;
        const uint32_t eventOffset = m_offset;
        if ((e.event & kMidiEventLong) != 0) {
            // Parameter bytes follow, padded to whole words; this stream plays none of them.
            const uint64_t length = (static_cast<uint64_t>(e.event & 0xFFFFFF) + 3) & ~3ull;
            const uint64_t next = m_offset + sizeof e + length;
            m_offset =
                next > front->bytesRecorded ? front->bytesRecorded : static_cast<uint32_t>(next);
            continue;
        }
        m_offset += sizeof e;
        switch (EventType(e.event)) {
            case kMidiEventShortMessage:
                out.push_back({Action::Send, due, e.event & 0xFFFFFF, nullptr, 0});
                break;
            case kMidiEventTempo:
                if ((e.event & 0xFFFFFF) != 0) {
                    m_tempo = e.event & 0xFFFFFF;
                }
                break;
            default:
                break;
        }
        if ((e.event & kMidiEventCallback) != 0) {
            out.push_back({Action::Position, due, 0, front, eventOffset});
        }
    }
}

std::optional<int64_t> StreamScheduler::NextDueNs() const {
    if (!m_running || m_queue.empty()) {
        return std::nullopt;
    }
    const MidiHeader* front = m_queue.front();
    const uint32_t end = std::min(front->bytesRecorded, front->bufferLength);
    if (front->data == nullptr || m_offset + sizeof(MidiStreamEvent) > end) {
        return m_lastEventNs;
    }
    MidiStreamEvent e;
    std::memcpy(&e, front->data + m_offset, sizeof e);
    return m_lastEventNs + TicksToNs(e.deltaTicks);
}

}  // namespace platform
