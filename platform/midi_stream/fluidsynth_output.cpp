#include "platform/midi_stream/fluidsynth_output.h"

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
        : settings_(settings), synth_(synth), driver_(driver), callback_(std::move(callback)) {
        base_ = std::chrono::steady_clock::now();
        worker_ = std::thread([this] { Run(); });
    }
    ~FluidSynthStream() override { Close(); }

    int SetTimeDivision(uint32_t division) override {
        std::lock_guard lock(mutex_);
        if (closed_ || !scheduler_.SetTimeDivision(division)) {
            return kMidiInvalidParameter;
        }
        return kMidiOk;
    }
    int PrepareHeader(MidiHeader* header) override {
        std::lock_guard lock(mutex_);
        if (closed_ || header == nullptr || header->data == nullptr) {
            return kMidiInvalidParameter;
        }
        prepared_.insert(header);
        header->flags |= kMidiHeaderPrepared;
        return kMidiOk;
    }
    int UnprepareHeader(MidiHeader* header) override {
        std::lock_guard lock(mutex_);
        if (closed_ || header == nullptr) {
            return kMidiInvalidParameter;
        }
        if (scheduler_.IsQueued(header) || returning_.count(header) != 0) {
            return kMidiStillPlaying;
        }
        prepared_.erase(header);
        header->flags &= ~kMidiHeaderPrepared;
        return kMidiOk;
    }
    int Out(MidiHeader* header) override {
        {
            std::lock_guard lock(mutex_);
            if (closed_ || header == nullptr) {
                return kMidiInvalidParameter;
            }
            if (prepared_.count(header) == 0) {
                return kMidiUnprepared;
            }
            if (scheduler_.IsQueued(header) || returning_.count(header) != 0) {
                return kMidiStillPlaying;
            }
            scheduler_.Queue(header, NowNs());
        }
        wake_.notify_all();
        return kMidiOk;
    }
    int Restart() override {
        {
            std::lock_guard lock(mutex_);
            if (closed_) {
                return kMidiInvalidParameter;
            }
            scheduler_.Start(NowNs());
        }
        wake_.notify_all();
        return kMidiOk;
    }
    int Stop() override { return Halt(false); }
    int Reset() override { return Halt(true); }
    int ShortMessage(uint32_t message) override {
        if (closed_) {
            return kMidiInvalidParameter;
        }
        SendToSynth(synth_, message);
        return kMidiOk;
    }
    int Close() override {
        {
            std::lock_guard lock(mutex_);
            if (closed_) {
                return kMidiOk;
            }
            closed_ = true;
            ++generation_;
        }
        wake_.notify_all();
        worker_.join();
        delete_fluid_audio_driver(driver_);
        delete_fluid_synth(synth_);
        delete_fluid_settings(settings_);
        if (callback_) {
            callback_(MidiStreamMessage::Closed, nullptr);
        }
        return kMidiOk;
    }

private:
    int64_t NowNs() const {
        return std::chrono::duration_cast<std::chrono::nanoseconds>(
                   std::chrono::steady_clock::now() - base_)
            .count();
    }

    int Halt(bool resetControllers) {
        {
            std::lock_guard lock(mutex_);
            if (closed_) {
                return kMidiInvalidParameter;
            }
            scheduler_.Pause();
            for (MidiHeader* h : scheduler_.TakeAll()) {
                returning_.insert(h);
                returnOrder_.push_back(h);
            }
            // Events the worker collected but has not played yet belong to the old queue.
            ++generation_;
        }
        if (resetControllers) {
            ResetControllers(synth_);
        } else {
            fluid_synth_all_sounds_off(synth_, -1);
        }
        wake_.notify_all();
        return kMidiOk;
    }

    void Run() {
        std::vector<StreamScheduler::Action> actions;
        std::unique_lock lock(mutex_);
        while (!closed_) {
            actions.clear();
            for (MidiHeader* h : returnOrder_) {
                actions.push_back({StreamScheduler::Action::Done, 0, 0, h, 0});
            }
            returnOrder_.clear();
            const uint64_t generation = generation_;
            scheduler_.Collect(NowNs(), actions, 64);
            if (actions.empty()) {
                const auto due = scheduler_.NextDueNs();
                if (due) {
                    wake_.wait_until(lock, base_ + std::chrono::nanoseconds(*due));
                } else {
                    wake_.wait(lock);
                }
                continue;
            }
            lock.unlock();
            for (const auto& a : actions) {
                const bool stale = generation != generation_.load();
                switch (a.kind) {
                    case StreamScheduler::Action::Send:
                        if (!stale) {
                            SendToSynth(synth_, a.message);
                        }
                        break;
                    case StreamScheduler::Action::Position:
                        if (!stale && callback_) {
                            a.header->offset = a.offset;
                            callback_(MidiStreamMessage::PositionCallback, a.header);
                        }
                        break;
                    case StreamScheduler::Action::Done: {
                        std::lock_guard relock(mutex_);
                        returning_.erase(a.header);
                    }
                        if (callback_) {
                            callback_(MidiStreamMessage::Done, a.header);
                        }
                        break;
                }
            }
            lock.lock();
        }
    }

    fluid_settings_t* settings_;
    fluid_synth_t* synth_;
    fluid_audio_driver_t* driver_;
    MidiStreamCallback callback_;
    std::chrono::steady_clock::time_point base_;
    std::mutex mutex_;
    std::condition_variable wake_;
    std::thread worker_;
    std::atomic<bool> closed_{false};
    std::atomic<uint64_t> generation_{0};
    StreamScheduler scheduler_;
    std::set<MidiHeader*> prepared_;
    std::set<MidiHeader*> returning_;
    std::vector<MidiHeader*> returnOrder_;
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
    o->settings_ = settings;
    o->synth_ = synth;
    o->renderer_ = new_fluid_file_renderer(synth);
    if (o->renderer_ == nullptr) {
        return kMidiNoDevice;  // the destructor releases the synthesizer
    }
    double rate = 44100;
    fluid_settings_getnum(settings, "synth.sample-rate", &rate);
    o->sampleRate_ = static_cast<int>(rate);
    fluid_settings_getint(settings, "audio.period-size", &o->periodSize_);
    FluidSynthFileOutput* self = o.get();
    o->device_.sink = [self](uint32_t message) { SendToSynth(self->synth_, message); };
    o->device_.renderUntil = [self](int64_t timeNs) { self->RenderUntil(timeNs); };
    *output = std::move(o);
    return kMidiOk;
}

void FluidSynthFileOutput::RenderUntil(int64_t timeNs) {
    const int64_t target =
        static_cast<int64_t>(static_cast<long double>(timeNs) * sampleRate_ / 1e9L);
    while (renderer_ != nullptr && framesWritten_ + periodSize_ <= target) {
        if (fluid_file_renderer_process_block(renderer_) != FLUID_OK) {
            break;
        }
        framesWritten_ += periodSize_;
    }
}

FluidSynthFileOutput::~FluidSynthFileOutput() {
    device_.sink = nullptr;
    device_.renderUntil = nullptr;
    if (renderer_ != nullptr) {
        delete_fluid_file_renderer(renderer_);
    }
    if (synth_ != nullptr) {
        delete_fluid_synth(synth_);
    }
    if (settings_ != nullptr) {
        delete_fluid_settings(settings_);
    }
}

}  // namespace platform
