#include "platform/midi_stream/midi_stream_opener.h"

#include <utility>

namespace platform {

MidiStreamOpener::MidiStreamOpener(MidiStreamFactory factory, int device,
                                   std::function<void()> ready) {
    m_thread = std::thread(
        [this, factory = std::move(factory), device, ready = std::move(ready)]() mutable {
            Open(std::move(factory), device, std::move(ready));
        });
}

MidiStreamOpener::~MidiStreamOpener() {
    m_thread.join();
    if (m_stream != nullptr) {
        m_stream->Close();
    }
}

void MidiStreamOpener::Open(MidiStreamFactory factory, int device, std::function<void()> ready) {
    std::unique_ptr<IMidiStream> stream;
    int result = kMidiNoDevice;
    if (factory) {
        // The stream keeps the forwarding alive: it outlives the opener once taken.
        result = factory(
            device,
            [to = m_forward](MidiStreamMessage message, MidiHeader* header) {
                MidiStreamCallback callback;
                {
                    std::lock_guard lock(to->mutex);
                    if (!to->callback) {
                        to->opened = to->opened || message == MidiStreamMessage::Opened;
                        return;
                    }
                    callback = to->callback;
                }
                callback(message, header);
            },
            &stream);
    }
    {
        std::lock_guard lock(m_mutex);
        m_result = result;
        if (result == kMidiOk) {
            m_stream = std::move(stream);
        }
        m_done = true;
    }
    m_doneChanged.notify_all();
    if (ready) {
        ready();
    }
}

bool MidiStreamOpener::IsDone() const {
    std::lock_guard lock(m_mutex);
    return m_done;
}

void MidiStreamOpener::Wait() const {
    std::unique_lock lock(m_mutex);
    m_doneChanged.wait(lock, [this] { return m_done; });
}

int MidiStreamOpener::Take(int, MidiStreamCallback callback, std::unique_ptr<IMidiStream>* stream) {
    if (stream == nullptr) {
        return kMidiInvalidParameter;
    }
    std::unique_ptr<IMidiStream> taken;
    {
        std::lock_guard lock(m_mutex);
        if (!m_done) {
            return kMidiNoDevice;
        }
        if (m_result != kMidiOk) {
            return m_result;
        }
        taken = std::move(m_stream);
    }
    if (taken == nullptr) {
        return kMidiNoDevice;  // handed over already
    }
    bool opened = false;
    {
        std::lock_guard lock(m_forward->mutex);
        m_forward->callback = callback;
        opened = std::exchange(m_forward->opened, false);
    }
    *stream = std::move(taken);
    if (opened && callback) {
        callback(MidiStreamMessage::Opened, nullptr);
    }
    return kMidiOk;
}

}  // namespace platform
