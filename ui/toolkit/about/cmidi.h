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

    bool IsSongLoaded() const { return m_songData != nullptr; }
    bool IsPlaying() const { return m_playing; }
    int State() const { return m_state; }
    int TrackCount() const { return m_trackCount; }
    int Format() const { return m_format; }
    uint32_t TimeDivision() const { return m_timeDivision; }
    uint32_t CurrentTempo() const { return m_currentTempo; }
    uint32_t TickWindow() const { return m_tickWindow; }
    uint32_t CurrentTick() const { return m_currentTick; }
    uint32_t BytesPlayed() const { return m_bytesPlayed; }
    uint32_t ConversionStatus() const { return m_conversionStatus; }
    int ChannelVolume(int channel) const { return m_channelVolumes[channel]; }
    int PlayedVolume(int channel) const { return m_playedVolumes[channel]; }
    const std::vector<Track>& Tracks() const { return m_tracks; }
    StreamBuffer& Buffer(int index) { return m_buffers[index]; }
    bool HasStream() const { return m_stream != nullptr; }
    // How often HaltPlayback gave up waiting for the buffers; with a stream that returns
    // them, any count is a fault in the buffer accounting.
    int HaltTimeouts() const { return m_haltTimeouts; }

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
        std::mutex m_mutex;
        std::condition_variable m_cv;
        bool m_set = false;
    };

    bool PrepareStream();
    void ReleaseBuffers();
    void OnStreamCallback(platform::MidiStreamMessage message, platform::MidiHeader* header);
    bool ReadFirstDelta(Track& track);

    platform::MidiStreamFactory m_factory;
    uint32_t m_dataSize = 0;
    const uint8_t* m_songData = nullptr;
    int m_format = 0;
    int m_trackCount = 0;
    uint32_t m_timeDivision = 0;
    std::atomic<bool> m_playing{false};
    std::unique_ptr<platform::IMidiStream> m_stream;
    std::atomic<uint32_t> m_bytesPlayed{0};
    std::atomic<bool> m_looping{false};
    uint32_t m_currentTick = 0;
    uint32_t m_tickWindow = 0;
    uint32_t m_currentTempo = 0;
    bool m_buffersPrepared = false;
    int m_nextBuffer = 0;
    int m_device = -1;
    std::atomic<int> m_buffersOut{0};
    std::atomic<int> m_state{kStatePlaying};
    // Taken by the callback thread for a whole buffer-done and by the halting thread for
    // its change of state, never while calling the stream from the halting side.
    std::mutex m_stateMutex;
    BufferEvent m_bufferEvent;
    std::vector<Track> m_tracks;
    std::array<int, kChannelCount> m_channelVolumes{};
    std::array<std::atomic<int>, kChannelCount> m_playedVolumes{};
    std::array<StreamBuffer, kBufferCount> m_buffers;
    uint32_t m_conversionStatus = 0;
    Event m_waitingEvent;
    int m_haltTimeouts = 0;
};
