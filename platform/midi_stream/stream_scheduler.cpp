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
    division_ = division;
    return true;
}

void StreamScheduler::Queue(MidiHeader* header, int64_t nowNs) {
    if (queue_.empty()) {
        offset_ = 0;
        if (running_ && nowNs - lastEventNs_ > kCatchUpLimitNs) {
            lastEventNs_ = nowNs;
        }
    }
    header->flags = (header->flags & ~kMidiHeaderDone) | kMidiHeaderInQueue;
    queue_.push_back(header);
}

void StreamScheduler::Start(int64_t nowNs) {
    if (!running_) {
        running_ = true;
        lastEventNs_ = nowNs;
    }
}

std::vector<MidiHeader*> StreamScheduler::TakeAll() {
    std::vector<MidiHeader*> taken(queue_.begin(), queue_.end());
    queue_.clear();
    offset_ = 0;
    for (MidiHeader* h : taken) {
        h->flags = (h->flags & ~kMidiHeaderInQueue) | kMidiHeaderDone;
    }
    return taken;
}

bool StreamScheduler::IsQueued(const MidiHeader* header) const {
    return std::find(queue_.begin(), queue_.end(), header) != queue_.end();
}

int64_t StreamScheduler::TicksToNs(uint32_t ticks) const {
    long double ns;
    if ((division_ & 0x8000) != 0) {
        const int framesPerSecond = 256 - static_cast<int>(division_ >> 8);
        const int ticksPerFrame = static_cast<int>(division_ & 0xFF);
        ns = static_cast<long double>(ticks) * 1e9L / (framesPerSecond * ticksPerFrame);
    } else {
        ns = static_cast<long double>(ticks) * tempo_ * 1000.0L / division_;
    }
    return static_cast<int64_t>(ns);
}

bool StreamScheduler::FinishFrontIfDone(std::vector<Action>& out) {
    MidiHeader* front = queue_.front();
    const uint32_t end = std::min(front->bytesRecorded, front->bufferLength);
    if (front->data != nullptr && offset_ + sizeof(MidiStreamEvent) <= end) {
        return false;
    }
    queue_.pop_front();
    offset_ = 0;
    front->flags = (front->flags & ~kMidiHeaderInQueue) | kMidiHeaderDone;
    out.push_back({Action::Done, lastEventNs_, 0, front, 0});
    return true;
}

void StreamScheduler::Collect(int64_t nowNs, std::vector<Action>& out, size_t maxActions) {
    while (running_ && !queue_.empty() && out.size() < maxActions) {
        if (FinishFrontIfDone(out)) {
            continue;
        }
        MidiHeader* front = queue_.front();
        MidiStreamEvent e;
        std::memcpy(&e, front->data + offset_, sizeof e);
        const int64_t due = lastEventNs_ + TicksToNs(e.deltaTicks);
        if (due > nowNs) {
            return;
        }
        lastEventNs_ = due;
        const uint32_t eventOffset = offset_;
        if ((e.event & kMidiEventLong) != 0) {
            // Parameter bytes follow, padded to whole words; this stream plays none of them.
            const uint64_t length = (static_cast<uint64_t>(e.event & 0xFFFFFF) + 3) & ~3ull;
            const uint64_t next = offset_ + sizeof e + length;
            offset_ =
                next > front->bytesRecorded ? front->bytesRecorded : static_cast<uint32_t>(next);
            continue;
        }
        offset_ += sizeof e;
        switch (EventType(e.event)) {
            case kMidiEventShortMessage:
                out.push_back({Action::Send, due, e.event & 0xFFFFFF, nullptr, 0});
                break;
            case kMidiEventTempo:
                if ((e.event & 0xFFFFFF) != 0) {
                    tempo_ = e.event & 0xFFFFFF;
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
    if (!running_ || queue_.empty()) {
        return std::nullopt;
    }
    const MidiHeader* front = queue_.front();
    const uint32_t end = std::min(front->bytesRecorded, front->bufferLength);
    if (front->data == nullptr || offset_ + sizeof(MidiStreamEvent) > end) {
        return lastEventNs_;
    }
    MidiStreamEvent e;
    std::memcpy(&e, front->data + offset_, sizeof e);
    return lastEventNs_ + TicksToNs(e.deltaTicks);
}

}  // namespace platform
