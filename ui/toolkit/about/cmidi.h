#pragma once

#include <array>
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

#include "platform/midi_stream/midi_stream.h"

// Plays a Standard MIDI File held in memory through a MIDI stream. The tracks are merged and
// converted a little at a time into two event buffers; whenever the stream hands one back,
// it is refilled and queued again from the stream's callback thread.
class CMIDI {
public:
    // Results of FillStreamBuffer.
    static constexpr int kBufferFilled = 0;
    static constexpr int kCorrupt = -101;
    static constexpr int kStuck = -102;
    static constexpr int kSongDone = -103;
    // Results of StoreEvent.
    static constexpr int kStored = 0;
    static constexpr int kBufferFull = -104;
    static constexpr int kSkipped = -105;

    // Player states.
    static constexpr int kStatePlaying = 0;
    static constexpr int kStateStopRequested = 100;
    static constexpr int kStateStopped = 200;
    static constexpr int kStateSongEnded = 300;

    // Conversion status bits.
    static constexpr uint32_t kConversionDone = 1;
    static constexpr uint32_t kConversionStuck = 2;
    static constexpr uint32_t kConversionEventWaiting = 4;

    static constexpr int kBufferCount = 2;
    static constexpr uint32_t kBufferSize = 1024;
    static constexpr int kChannelCount = 16;
    // How long HaltPlayback waits for the stream to hand its buffers back.
    static constexpr int kHaltTimeoutMs = 2000;

    struct Track {
        uint32_t status = 0;  // kTrackEnded
        uint32_t length = 0;
        const uint8_t* start = nullptr;
        uint32_t position = 0;  // read offset from start
        uint32_t tick = 0;      // tick of the next event
        uint8_t runningStatus = 0;
    };
    static constexpr uint32_t kTrackEnded = 1;

    struct Event {
        uint32_t tick = 0;
        uint8_t status = 0;
        uint8_t data1 = 0;    // the meta type for meta events
        uint8_t data2 = 0;    // channel messages with two data bytes
        uint32_t length = 0;  // bytes in data (system exclusive and meta events)
        std::vector<uint8_t> data;
    };

    struct StreamBuffer {
        platform::MidiHeader header;
        uint32_t startOffset = 0;
        uint32_t maxLength = kBufferSize;
        uint32_t bytesStored = 0;
        uint32_t startTick = 0;
        bool windowExceeded = false;
        bool prepared = false;
        std::vector<uint8_t> data;
    };

    // factory opens the MIDI output; empty means the desktop's (platform::OpenMidiStream).
    explicit CMIDI(platform::MidiStreamFactory factory = {});
    virtual ~CMIDI();
    CMIDI(const CMIDI&) = delete;
    CMIDI& operator=(const CMIDI&) = delete;

    // The embedded resource "MIDI" with that number.
    bool LoadSong(int resourceId);
    // data must stay valid while the song is loaded (it is not copied).
    bool OpenSong(const uint8_t* data, uint32_t size);
    bool StartPlayback(bool looping);
    void SetChannelVolumes(int percent);
    bool HaltPlayback(bool reopen);

    // The conversion steps; public so that the conversion can be driven without a stream.
    int FillStreamBuffer(bool reset, int buffer);
    bool ReadTrackEvent(Track& track, Event& event);
    int StoreEvent(Event& event, StreamBuffer& buffer);
    void RestartTracks();

    bool IsSongLoaded() const { return songData_ != nullptr; }
    bool IsPlaying() const { return playing_; }
    int State() const { return state_; }
    int TrackCount() const { return trackCount_; }
    int Format() const { return format_; }
    uint32_t TimeDivision() const { return timeDivision_; }
    uint32_t CurrentTempo() const { return currentTempo_; }
    uint32_t TickWindow() const { return tickWindow_; }
    uint32_t CurrentTick() const { return currentTick_; }
    uint32_t BytesPlayed() const { return bytesPlayed_; }
    uint32_t ConversionStatus() const { return conversionStatus_; }
    int ChannelVolume(int channel) const { return channelVolumes_[channel]; }
    int PlayedVolume(int channel) const { return playedVolumes_[channel]; }
    const std::vector<Track>& Tracks() const { return tracks_; }
    StreamBuffer& Buffer(int index) { return buffers_[index]; }
    bool HasStream() const { return stream_ != nullptr; }
    // How often HaltPlayback gave up waiting for the buffers; with a stream that returns
    // them, any count is a fault in the buffer accounting.
    int HaltTimeouts() const { return haltTimeouts_; }

protected:
    virtual void OnError(int /*platformError*/) {}
    virtual void OnTrackError(const Track& /*track*/, const char* /*what*/) {}
    virtual void OnStreamOpened() {}
    virtual void OnStreamClosed() {}
    virtual void OnBufferDone(platform::MidiHeader* header);
    virtual void OnPositionCallback(platform::MidiHeader* header);

private:
    // An auto-reset event: set by the callback thread, waited for by the halting thread.
    class BufferEvent {
    public:
        void Set();
        void Clear();
        bool WaitFor(int milliseconds);

    private:
        std::mutex mutex_;
        std::condition_variable cv_;
        bool set_ = false;
    };

    bool PrepareStream();
    void ReleaseBuffers();
    void OnStreamCallback(platform::MidiStreamMessage message, platform::MidiHeader* header);
    bool ReadFirstDelta(Track& track);

    platform::MidiStreamFactory factory_;
    uint32_t dataSize_ = 0;
    const uint8_t* songData_ = nullptr;
    int format_ = 0;
    int trackCount_ = 0;
    uint32_t timeDivision_ = 0;
    std::atomic<bool> playing_{false};
    std::unique_ptr<platform::IMidiStream> stream_;
    std::atomic<uint32_t> bytesPlayed_{0};
    std::atomic<bool> looping_{false};
    uint32_t currentTick_ = 0;
    uint32_t tickWindow_ = 0;
    uint32_t currentTempo_ = 0;
    bool buffersPrepared_ = false;
    int nextBuffer_ = 0;
    int device_ = -1;
    std::atomic<int> buffersOut_{0};
    std::atomic<int> state_{kStatePlaying};
    BufferEvent bufferEvent_;
    std::vector<Track> tracks_;
    std::array<int, kChannelCount> channelVolumes_{};
    std::array<std::atomic<int>, kChannelCount> playedVolumes_{};
    std::array<StreamBuffer, kBufferCount> buffers_;
    uint32_t conversionStatus_ = 0;
    Event waitingEvent_;
    int haltTimeouts_ = 0;
};
