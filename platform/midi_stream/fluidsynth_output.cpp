#include "platform/midi_stream/fluidsynth_output.h"

#include <alsa/asoundlib.h>
#include <fluidsynth.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <mutex>
#include <set>
#include <thread>
#include <vector>

#include "platform/midi_stream/stream_scheduler.h"

namespace platform {

namespace {

void QuietFluidSynthLog() {
    // FluidSynth prints every failed driver probe to stderr; a machine without sound is a
    // normal case for us (the about box just stays silent), so only panics get through.
    static std::once_flag once;
    std::call_once(once, [] {
        fluid_set_log_function(FLUID_ERR, nullptr, nullptr);
        fluid_set_log_function(FLUID_WARN, nullptr, nullptr);
        fluid_set_log_function(FLUID_INFO, nullptr, nullptr);
        fluid_set_log_function(FLUID_DBG, nullptr, nullptr);
    });
}

void IgnoreAlsaError(const char*, int, const char*, int, const char*, ...) {}

// ALSA prints every failed device probe to stderr itself ("ALSA lib ... Unknown PCM
// default"), past FluidSynth's log functions; without a sound card each opening would leave
// a few such lines in the terminal. The handler is the process's, so it is set only for the
// time of the opening.
class QuietAlsa {
public:
    QuietAlsa() { snd_lib_error_set_handler(IgnoreAlsaError); }
    ~QuietAlsa() { snd_lib_error_set_handler(nullptr); }
    QuietAlsa(const QuietAlsa&) = delete;
    QuietAlsa& operator=(const QuietAlsa&) = delete;
};

void SendToSynth(fluid_synth_t* synth, uint32_t message) {
    const int status = static_cast<int>(message & 0xFF);
    const int channel = status & 0x0F;
    const int d1 = static_cast<int>((message >> 8) & 0x7F);
    const int d2 = static_cast<int>((message >> 16) & 0x7F);
    switch (status & 0xF0) {
        case 0x80:
            fluid_synth_noteoff(synth, channel, d1);
            break;
        case 0x90:
            if (d2 == 0) {
                fluid_synth_noteoff(synth, channel, d1);
            } else {
                fluid_synth_noteon(synth, channel, d1, d2);
            }
            break;
        case 0xA0:
            fluid_synth_key_pressure(synth, channel, d1, d2);
            break;
        case 0xB0:
            fluid_synth_cc(synth, channel, d1, d2);
            break;
        case 0xC0:
            fluid_synth_program_change(synth, channel, d1);
            break;
        case 0xD0:
            fluid_synth_channel_pressure(synth, channel, d1);
            break;
        case 0xE0:
            fluid_synth_pitch_bend(synth, channel, d1 | (d2 << 7));
            break;
        default:
            break;  // system messages are not played
    }
}

void ResetControllers(fluid_synth_t* synth) {
    fluid_synth_all_sounds_off(synth, -1);
    for (int channel = 0; channel < 16; ++channel) {
        fluid_synth_cc(synth, channel, 121, 0);  // reset all controllers
    }
}

// Settings and a synthesizer with the sound font loaded, or nothing.
bool MakeSynth(const std::string& soundFont, fluid_settings_t** settings, fluid_synth_t** synth,
               const char* fileName) {
    QuietFluidSynthLog();
    const std::string font = soundFont.empty() ? FindGeneralMidiSoundFont() : soundFont;
    if (font.empty()) {
        return false;
    }
    fluid_settings_t* s = new_fluid_settings();
    if (s == nullptr) {
        return false;
    }
    fluid_settings_setnum(s, "synth.gain", 0.5);
    if (fileName != nullptr) {
        fluid_settings_setstr(s, "audio.file.name", fileName);
        fluid_settings_setstr(s, "audio.file.type", "wav");
    }
    fluid_synth_t* y = new_fluid_synth(s);
    if (y == nullptr || fluid_synth_sfload(y, font.c_str(), 1) == FLUID_FAILED) {
        if (y != nullptr) {
            delete_fluid_synth(y);
        }
        delete_fluid_settings(s);
        return false;
    }
    *settings = s;
    *synth = y;
    return true;
}

// The real-time output: a worker thread walks the queued buffers on the steady clock,
// plays the events through the synthesizer and calls back from there.
class FluidSynthStream : public IMidiStream {
public:
    FluidSynthStream(fluid_settings_t* settings, fluid_synth_t* synth, fluid_audio_driver_t* driver,
                     MidiStreamCallback callback)
        : m_settings(settings), m_synth(synth), m_driver(driver), m_callback(std::move(callback)) {
        m_base = std::chrono::steady_clock::now();
        m_worker = std::thread([this] { Run(); });
    }
    ~FluidSynthStream() override { Close(); }

    int SetTimeDivision(uint32_t division) override {
        std::lock_guard lock(m_mutex);
        if (m_closed || !m_scheduler.SetTimeDivision(division)) {
            return kMidiInvalidParameter;
        }
        return kMidiOk;
    }
    int PrepareHeader(MidiHeader* header) override {
        std::lock_guard lock(m_mutex);
        if (m_closed || header == nullptr || header->data == nullptr) {
            return kMidiInvalidParameter;
        }
        m_prepared.insert(header);
        header->flags |= kMidiHeaderPrepared;
        return kMidiOk;
    }
    int UnprepareHeader(MidiHeader* header) override {
        std::lock_guard lock(m_mutex);
        if (m_closed || header == nullptr) {
            return kMidiInvalidParameter;
        }
        if (m_scheduler.IsQueued(header) || m_returning.count(header) != 0) {
            return kMidiStillPlaying;
        }
        m_prepared.erase(header);
        header->flags &= ~kMidiHeaderPrepared;
        return kMidiOk;
    }
    int Out(MidiHeader* header) override {
        {
            std::lock_guard lock(m_mutex);
            if (m_closed || header == nullptr) {
                return kMidiInvalidParameter;
            }
            if (m_prepared.count(header) == 0) {
                return kMidiUnprepared;
            }
            if (m_scheduler.IsQueued(header) || m_returning.count(header) != 0) {
                return kMidiStillPlaying;
            }
            m_scheduler.Queue(header, NowNs());
        }
        m_wake.notify_all();
        return kMidiOk;
    }
    int Restart() override {
        {
            std::lock_guard lock(m_mutex);
            if (m_closed) {
                return kMidiInvalidParameter;
            }
            m_scheduler.Start(NowNs());
        }
        m_wake.notify_all();
        return kMidiOk;
    }
    int Stop() override { return Halt(false); }
    int Reset() override { return Halt(true); }
    int ShortMessage(uint32_t message) override {
        if (m_closed) {
            return kMidiInvalidParameter;
        }
        SendToSynth(m_synth, message);
        return kMidiOk;
    }
    int Close() override {
        {
            std::lock_guard lock(m_mutex);
            if (m_closed) {
                return kMidiOk;
            }
            m_closed = true;
            ++m_generation;
        }
        m_wake.notify_all();
        m_worker.join();
        delete_fluid_audio_driver(m_driver);
        delete_fluid_synth(m_synth);
        delete_fluid_settings(m_settings);
        if (m_callback) {
            m_callback(MidiStreamMessage::Closed, nullptr);
        }
        return kMidiOk;
    }

private:
    int64_t NowNs() const {
        return std::chrono::duration_cast<std::chrono::nanoseconds>(
                   std::chrono::steady_clock::now() - m_base)
            .count();
    }

    int Halt(bool resetControllers) {
        {
            std::lock_guard lock(m_mutex);
            if (m_closed) {
                return kMidiInvalidParameter;
            }
            m_scheduler.Pause();
            for (MidiHeader* h : m_scheduler.TakeAll()) {
                m_returning.insert(h);
                m_returnOrder.push_back(h);
            }
            // Events the worker collected but has not played yet belong to the old queue.
            ++m_generation;
        }
        if (resetControllers) {
            ResetControllers(m_synth);
        } else {
            fluid_synth_all_sounds_off(m_synth, -1);
        }
        m_wake.notify_all();
        return kMidiOk;
    }

    void Run() {
        std::vector<StreamScheduler::Action> actions;
        std::unique_lock lock(m_mutex);
        while (!m_closed) {
            actions.clear();
            for (MidiHeader* h : m_returnOrder) {
                actions.push_back({StreamScheduler::Action::Done, 0, 0, h, 0});
            }
            m_returnOrder.clear();
            const uint64_t generation = m_generation;
            m_scheduler.Collect(NowNs(), actions, 64);
            if (actions.empty()) {
                const auto due = m_scheduler.NextDueNs();
                if (due) {
                    m_wake.wait_until(lock, m_base + std::chrono::nanoseconds(*due));
                } else {
                    m_wake.wait(lock);
                }
                continue;
            }
            lock.unlock();
            for (const auto& a : actions) {
                const bool stale = generation != m_generation.load();
                switch (a.kind) {
                    case StreamScheduler::Action::Send:
                        if (!stale) {
                            SendToSynth(m_synth, a.message);
                        }
                        break;
                    case StreamScheduler::Action::Position:
                        if (!stale && m_callback) {
                            a.header->offset = a.offset;
                            m_callback(MidiStreamMessage::PositionCallback, a.header);
                        }
                        break;
                    case StreamScheduler::Action::Done: {
                        std::lock_guard relock(m_mutex);
                        m_returning.erase(a.header);
                    }
                        if (m_callback) {
                            m_callback(MidiStreamMessage::Done, a.header);
                        }
                        break;
                }
            }
            lock.lock();
        }
    }

    fluid_settings_t* m_settings;
    fluid_synth_t* m_synth;
    fluid_audio_driver_t* m_driver;
    MidiStreamCallback m_callback;
    std::chrono::steady_clock::time_point m_base;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::thread m_worker;
    std::atomic<bool> m_closed{false};
    std::atomic<uint64_t> m_generation{0};
    StreamScheduler m_scheduler;
    std::set<MidiHeader*> m_prepared;
    std::set<MidiHeader*> m_returning;
    std::vector<MidiHeader*> m_returnOrder;
};

}  // namespace

std::string FindGeneralMidiSoundFont() {
    static const char* const kCandidates[] = {
        "/usr/share/sounds/sf2/default-GM.sf2",
        "/usr/share/sounds/sf2/TimGM6mb.sf2",
        "/usr/share/sounds/sf2/FluidR3_GM.sf2",
        "/usr/share/soundfonts/default.sf2",
    };
    std::error_code error;
    for (const char* path : kCandidates) {
        if (std::filesystem::is_regular_file(path, error)) {
            return path;
        }
    }
    return {};
}

int OpenFluidSynthStream(const std::string& driverName, const std::string& fileName,
                         MidiStreamCallback callback, std::unique_ptr<IMidiStream>* stream) {
    if (stream == nullptr) {
        return kMidiInvalidParameter;
    }
    fluid_settings_t* settings = nullptr;
    fluid_synth_t* synth = nullptr;
    if (!MakeSynth({}, &settings, &synth, fileName.empty() ? nullptr : fileName.c_str())) {
        return kMidiNoDevice;
    }
    fluid_audio_driver_t* driver = nullptr;
    const QuietAlsa quiet;
    if (!driverName.empty()) {
        if (fluid_settings_setstr(settings, "audio.driver", driverName.c_str()) == FLUID_OK) {
            driver = new_fluid_audio_driver(settings, synth);
        }
    } else {
        // The desktop's sound server first, so that the music mixes with other programs'
        // sound; then FluidSynth's own default and the bare ALSA device. Each driver is tried
        // once, and never JACK, which would try to start a server of its own.
        char* preferred = nullptr;
        fluid_settings_dupstr(settings, "audio.driver", &preferred);
        std::string fallback = preferred != nullptr ? preferred : "alsa";
        fluid_free(preferred);
        if (fallback == "jack") {
            fallback = "alsa";
        }
        std::vector<std::string> tried;
        for (const std::string& name :
             {std::string("pipewire"), std::string("pulseaudio"), fallback, std::string("alsa")}) {
            if (driver != nullptr) {
                break;
            }
            if (std::find(tried.begin(), tried.end(), name) != tried.end()) {
                continue;
            }
            tried.push_back(name);
            if (fluid_settings_setstr(settings, "audio.driver", name.c_str()) == FLUID_OK) {
                driver = new_fluid_audio_driver(settings, synth);
            }
        }
    }
    if (driver == nullptr) {
        delete_fluid_synth(synth);
        delete_fluid_settings(settings);
        return kMidiNoDevice;
    }
    *stream = std::make_unique<FluidSynthStream>(settings, synth, driver, callback);
    if (callback) {
        callback(MidiStreamMessage::Opened, nullptr);
    }
    return kMidiOk;
}

int OpenMidiStream(int, MidiStreamCallback callback, std::unique_ptr<IMidiStream>* stream) {
    return OpenFluidSynthStream({}, {}, std::move(callback), stream);
}

int FluidSynthFileOutput::Open(const std::string& wavPath,
                               std::unique_ptr<FluidSynthFileOutput>* output,
                               const std::string& soundFont) {
    if (output == nullptr) {
        return kMidiInvalidParameter;
    }
    std::unique_ptr<FluidSynthFileOutput> o(new FluidSynthFileOutput());
    fluid_settings_t* settings = nullptr;
    fluid_synth_t* synth = nullptr;
    if (!MakeSynth(soundFont, &settings, &synth, wavPath.c_str())) {
        return kMidiNoDevice;
    }
    o->m_settings = settings;
    o->m_synth = synth;
    o->m_renderer = new_fluid_file_renderer(synth);
    if (o->m_renderer == nullptr) {
        return kMidiNoDevice;  // the destructor releases the synthesizer
    }
    double rate = 44100;
    fluid_settings_getnum(settings, "synth.sample-rate", &rate);
    o->m_sampleRate = static_cast<int>(rate);
    fluid_settings_getint(settings, "audio.period-size", &o->m_periodSize);
    FluidSynthFileOutput* self = o.get();
    o->m_device.sink = [self](uint32_t message) { SendToSynth(self->m_synth, message); };
    o->m_device.renderUntil = [self](int64_t timeNs) { self->RenderUntil(timeNs); };
    *output = std::move(o);
    return kMidiOk;
}

void FluidSynthFileOutput::RenderUntil(int64_t timeNs) {
    const int64_t target =
        static_cast<int64_t>(static_cast<long double>(timeNs) * m_sampleRate / 1e9L);
    while (m_renderer != nullptr && m_framesWritten + m_periodSize <= target) {
        if (fluid_file_renderer_process_block(m_renderer) != FLUID_OK) {
            break;
        }
        m_framesWritten += m_periodSize;
    }
}

FluidSynthFileOutput::~FluidSynthFileOutput() {
    m_device.sink = nullptr;
    m_device.renderUntil = nullptr;
    if (m_renderer != nullptr) {
        delete_fluid_file_renderer(m_renderer);
    }
    if (m_synth != nullptr) {
        delete_fluid_synth(m_synth);
    }
    if (m_settings != nullptr) {
        delete_fluid_settings(m_settings);
    }
}

}  // namespace platform
