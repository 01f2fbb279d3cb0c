#include "platform/midi_stream/virtual_midi_device.h"

#include <algorithm>
#include <utility>

namespace platform {

class VirtualMidiDevice::Stream : public IMidiStream {
public:
    explicit Stream(VirtualMidiDevice* device) : device_(device) {}
    ~Stream() override { Close(); }

    int SetTimeDivision(uint32_t division) override {
        if (device_ == nullptr || !device_->scheduler_.SetTimeDivision(division)) {
            return kMidiInvalidParameter;
        }
        device_->calls.push_back("division " + std::to_string(division));
        return kMidiOk;
    }
    int PrepareHeader(MidiHeader* header) override {
        if (device_ == nullptr || header == nullptr || header->data == nullptr) {
            return kMidiInvalidParameter;
        }
        device_->prepared_.insert(header);
        header->flags |= kMidiHeaderPrepared;
        device_->calls.push_back("prepare");
        return kMidiOk;
    }
    int UnprepareHeader(MidiHeader* header) override {
        if (device_ == nullptr || header == nullptr) {
            return kMidiInvalidParameter;
        }
        if (device_->scheduler_.IsQueued(header)) {
            return kMidiStillPlaying;
        }
        device_->prepared_.erase(header);
        header->flags &= ~kMidiHeaderPrepared;
        device_->calls.push_back("unprepare");
        return kMidiOk;
    }
    int Out(MidiHeader* header) override {
        if (device_ == nullptr || header == nullptr) {
            return kMidiInvalidParameter;
        }
        if (device_->prepared_.count(header) == 0) {
            return kMidiUnprepared;
        }
        if (device_->scheduler_.IsQueued(header)) {
            return kMidiStillPlaying;
        }
        device_->scheduler_.Queue(header, device_->now_);
        device_->calls.push_back("out");
        return kMidiOk;
    }
    int Restart() override {
        if (device_ == nullptr) {
            return kMidiInvalidParameter;
        }
        device_->scheduler_.Start(device_->now_);
        device_->calls.push_back("restart");
        return kMidiOk;
    }
    int Stop() override {
        if (device_ == nullptr) {
            return kMidiInvalidParameter;
        }
        device_->calls.push_back("stop");
        device_->ReturnAll();
        return kMidiOk;
    }
    int Reset() override {
        if (device_ == nullptr) {
            return kMidiInvalidParameter;
        }
        device_->calls.push_back("reset");
        device_->ReturnAll();
        return kMidiOk;
    }
    int ShortMessage(uint32_t message) override {
        if (device_ == nullptr) {
            return kMidiInvalidParameter;
        }
        device_->messages.push_back({device_->now_, message & 0xFFFFFF, true});
        if (device_->sink) {
            device_->sink(message & 0xFFFFFF);
        }
        return kMidiOk;
    }
    int Close() override {
        if (device_ == nullptr) {
            return kMidiOk;
        }
        VirtualMidiDevice* device = std::exchange(device_, nullptr);
        MidiStreamCallback callback = std::move(device->callback_);
        device->calls.push_back("close");
        ++device->closes;
        device->Detach();
        if (callback) {
            callback(MidiStreamMessage::Closed, nullptr);
        }
        return kMidiOk;
    }

    void Orphan() { device_ = nullptr; }

private:
    VirtualMidiDevice* device_;
};

VirtualMidiDevice::~VirtualMidiDevice() {
    if (open_ != nullptr) {
        open_->Orphan();
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
        if (open_ != nullptr) {
            return static_cast<int>(kMidiError);  // the device is busy
        }
        scheduler_ = StreamScheduler();
        prepared_.clear();
        callback_ = std::move(callback);
        auto s = std::make_unique<Stream>(this);
        open_ = s.get();
        ++opens;
        calls.push_back("open");
        *stream = std::move(s);
        if (callback_) {
            callback_(MidiStreamMessage::Opened, nullptr);
        }
        return static_cast<int>(kMidiOk);
    };
}

void VirtualMidiDevice::Detach() {
    scheduler_.TakeAll();
    scheduler_.Pause();
    prepared_.clear();
    open_ = nullptr;
}

size_t VirtualMidiDevice::QueuedBuffers() const {
    size_t n = 0;
    for (MidiHeader* h : prepared_) {
        n += scheduler_.IsQueued(h) ? 1 : 0;
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
            if (callback_) {
                callback_(MidiStreamMessage::Done, action.header);
            }
            break;
        case StreamScheduler::Action::Position:
            action.header->offset = action.offset;
            if (callback_) {
                callback_(MidiStreamMessage::PositionCallback, action.header);
            }
            break;
    }
}

void VirtualMidiDevice::ReturnAll() {
    scheduler_.Pause();
    // The buffers come back before Stop and Reset return, as they do from a real device
    // whose callback thread is quick; the owner may already be waiting for them.
    for (MidiHeader* h : scheduler_.TakeAll()) {
        if (callback_) {
            callback_(MidiStreamMessage::Done, h);
        }
    }
}

void VirtualMidiDevice::AdvanceBy(int64_t ns) {
    const int64_t target = now_ + ns;
    std::vector<StreamScheduler::Action> actions;
    size_t atThisInstant = 0;
    int64_t instant = now_;
    while (!hitActionLimit && open_ != nullptr) {
        const auto due = scheduler_.NextDueNs();
        if (!due || *due > target) {
            break;
        }
        const int64_t at = std::max(*due, now_);
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
        scheduler_.Collect(target, actions, 1);
        for (const StreamScheduler::Action& a : actions) {
            now_ = std::max(now_, a.timeNs);
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
    now_ = target;
    if (renderUntil) {
        renderUntil(now_);
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
