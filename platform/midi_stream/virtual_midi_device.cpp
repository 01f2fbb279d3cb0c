#include "platform/midi_stream/virtual_midi_device.h"

#include <algorithm>
#include <utility>

namespace platform {

class VirtualMidiDevice::Stream : public IMidiStream {
public:
    explicit Stream(VirtualMidiDevice* device) : m_device(device) {}
    ~Stream() override { Close(); }

    int SetTimeDivision(uint32_t division) override {
        if (m_device == nullptr || !m_device->m_scheduler.SetTimeDivision(division)) {
            return kMidiInvalidParameter;
        }
        m_device->calls.push_back("division " + std::to_string(division));
        return kMidiOk;
    }
    int PrepareHeader(MidiHeader* header) override {
        if (m_device == nullptr || header == nullptr || header->data == nullptr) {
            return kMidiInvalidParameter;
        }
        m_device->m_prepared.insert(header);
        header->flags |= kMidiHeaderPrepared;
        m_device->calls.push_back("prepare");
        return kMidiOk;
    }
    int UnprepareHeader(MidiHeader* header) override {
        if (m_device == nullptr || header == nullptr) {
            return kMidiInvalidParameter;
        }
        if (m_device->m_scheduler.IsQueued(header)) {
            return kMidiStillPlaying;
        }
        m_device->m_prepared.erase(header);
        header->flags &= ~kMidiHeaderPrepared;
        m_device->calls.push_back("unprepare");
        return kMidiOk;
    }
    int Out(MidiHeader* header) override {
        if (m_device == nullptr || header == nullptr) {
            return kMidiInvalidParameter;
        }
        if (m_device->m_prepared.count(header) == 0) {
            return kMidiUnprepared;
        }
        if (m_device->m_scheduler.IsQueued(header)) {
            return kMidiStillPlaying;
        }
        m_device->m_scheduler.Queue(header, m_device->m_now);
        m_device->calls.push_back("out");
        return kMidiOk;
    }
    int Restart() override {
        if (m_device == nullptr) {
            return kMidiInvalidParameter;
        }
        m_device->m_scheduler.Start(m_device->m_now);
        m_device->calls.push_back("restart");
        return kMidiOk;
    }
    int Stop() override {
        if (m_device == nullptr) {
            return kMidiInvalidParameter;
        }
        m_device->calls.push_back("stop");
        m_device->ReturnAll();
        return kMidiOk;
    }
    int Reset() override {
        if (m_device == nullptr) {
            return kMidiInvalidParameter;
        }
        m_device->calls.push_back("reset");
        m_device->ReturnAll();
        return kMidiOk;
    }
    int ShortMessage(uint32_t message) override {
        if (m_device == nullptr) {
            return kMidiInvalidParameter;
        }
        m_device->messages.push_back({m_device->m_now, message & 0xFFFFFF, true});
        if (m_device->sink) {
            m_device->sink(message & 0xFFFFFF);
        }
        return kMidiOk;
    }
    int Close() override {
        if (m_device == nullptr) {
            return kMidiOk;
        }
        VirtualMidiDevice* device = std::exchange(m_device, nullptr);
        MidiStreamCallback callback = std::move(device->m_callback);
        device->calls.push_back("close");
        ++device->closes;
        device->Detach();
        if (callback) {
            callback(MidiStreamMessage::Closed, nullptr);
        }
        return kMidiOk;
    }

    void Orphan() { m_device = nullptr; }

private:
    VirtualMidiDevice* m_device;
};

VirtualMidiDevice::~VirtualMidiDevice() {
    if (m_open != nullptr) {
        m_open->Orphan();
    }
}

MidiStreamFactory VirtualMidiDevice::Factory() {
    return [this](int, MidiStreamCallback callback, std::unique_ptr<IMidiStream>* stream) {
        if (stream == nullptr) {
            return static_cast<int>(kMidiInvalidParameter);
        }
        if (openResult != kMidiOk) {
            return openResult;
        }
        if (m_open != nullptr) {
            return static_cast<int>(kMidiError);  // the device is busy
        }
        m_scheduler = StreamScheduler();
        m_prepared.clear();
        m_callback = std::move(callback);
        auto s = std::make_unique<Stream>(this);
        m_open = s.get();
        ++opens;
        calls.push_back("open");
        *stream = std::move(s);
        if (m_callback) {
            m_callback(MidiStreamMessage::Opened, nullptr);
        }
        return static_cast<int>(kMidiOk);
    };
}

void VirtualMidiDevice::Detach() {
    // As a real device's close: queued buffers are forgotten, their flags left as they were.
    m_scheduler.DropAll();
    m_scheduler.Pause();
    m_prepared.clear();
    m_open = nullptr;
}

size_t VirtualMidiDevice::QueuedBuffers() const {
    size_t n = 0;
    for (MidiHeader* h : m_prepared) {
        n += m_scheduler.IsQueued(h) ? 1 : 0;
    }
    return n;
}

void VirtualMidiDevice::Deliver(const StreamScheduler::Action& action) {
    if (renderUntil) {
        renderUntil(action.timeNs);
    }
    switch (action.kind) {
        case StreamScheduler::Action::Send:
            messages.push_back({action.timeNs, action.message, false});
            if (sink) {
                sink(action.message);
            }
            break;
        case StreamScheduler::Action::Done:
            if (m_callback) {
                m_callback(MidiStreamMessage::Done, action.header);
            }
            break;
        case StreamScheduler::Action::Position:
            action.header->offset = action.offset;
            if (m_callback) {
                m_callback(MidiStreamMessage::PositionCallback, action.header);
            }
            break;
    }
}

void VirtualMidiDevice::ReturnAll() {
    m_scheduler.Pause();
    // The buffers come back before Stop and Reset return, as they do from a real device
    // whose callback thread is quick; the owner may already be waiting for them.
    for (MidiHeader* h : m_scheduler.TakeAll()) {
        if (m_callback) {
            m_callback(MidiStreamMessage::Done, h);
        }
    }
}

void VirtualMidiDevice::AdvanceBy(int64_t ns) {
    const int64_t target = m_now + ns;
    std::vector<StreamScheduler::Action> actions;
    size_t atThisInstant = 0;
    int64_t instant = m_now;
    while (!hitActionLimit && m_open != nullptr) {
        const auto due = m_scheduler.NextDueNs();
        if (!due || *due > target) {
            break;
        }
        const int64_t at = std::max(*due, m_now);
        if (at != instant) {
            instant = at;
            atThisInstant = 0;
        }
        // The limits are checked before anything is taken from the queue, so a cut-off
        // device still holds every buffer it has not returned and Stop hands them back.
        if (actionBudget == 0 || atThisInstant >= maxActionsPerAdvance) {
            hitActionLimit = true;
            break;
        }
        actions.clear();
        // One event at a time: a callback may queue or return buffers, which changes what
        // follows. An event may bring its position callback along.
        m_scheduler.Collect(target, actions, 1);
        for (const StreamScheduler::Action& a : actions) {
            m_now = std::max(m_now, a.timeNs);
            ++atThisInstant;
            if (actionBudget > 0) {
                --actionBudget;
            }
            Deliver(a);
        }
        if (actions.empty()) {
            break;
        }
    }
    m_now = target;
    if (renderUntil) {
        renderUntil(m_now);
    }
}

bool VirtualMidiDevice::RunUntilIdle(int64_t maxNs, int64_t stepNs) {
    int64_t passed = 0;
    while (QueuedBuffers() > 0 && passed < maxNs && !hitActionLimit) {
        AdvanceBy(stepNs);
        passed += stepNs;
    }
    return QueuedBuffers() == 0;
}

}  // namespace platform
