#include "ui/toolkit/about/cmidi.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <string>

#include "platform/resources/resources.h"

namespace {

uint32_t BigEndian32(const uint8_t* p) {
    return (uint32_t{p[0]} << 24) | (uint32_t{p[1]} << 16) | (uint32_t{p[2]} << 8) | p[3];
}

uint16_t BigEndian16(const uint8_t* p) {
    return static_cast<uint16_t>((p[0] << 8) | p[1]);
}

// A variable-length quantity at *position, never reading at or beyond end. The file format
// allows at most four bytes; a longer one is taken as corrupt rather than overflowing.
bool ReadVariableLength(const uint8_t* data, uint32_t end, uint32_t* position, uint32_t* value) {
    uint32_t result = 0;
    for (int i = 0; i < 4; ++i) {
        if (*position >= end) {
            return false;
        }
        const uint8_t b = data[(*position)++];
        result = (result << 7) | (b & 0x7F);
        if ((b & 0x80) == 0) {
            *value = result;
            return true;
        }
    }
    return false;
}

bool IsChannelMessageWithOneDataByte(uint8_t status) {
    return status >= 0xC0 && status <= 0xDF;
}

}  // namespace

void CMIDI::BufferEvent::Set() {
    {
        std::lock_guard lock(m_mutex);
        m_set = true;
    }
    m_cv.notify_all();
}

void CMIDI::BufferEvent::Clear() {
    std::lock_guard lock(m_mutex);
    m_set = false;
}

bool CMIDI::BufferEvent::WaitFor(int milliseconds) {
    std::unique_lock lock(m_mutex);
    const bool signalled =
        m_cv.wait_for(lock, std::chrono::milliseconds(milliseconds), [this] { return m_set; });
    m_set = false;
    return signalled;
}

CMIDI::CMIDI(platform::MidiStreamFactory factory) : m_factory(std::move(factory)) {
    if (!m_factory) {
        m_factory = platform::OpenMidiStream;
    }
    m_channelVolumes.fill(100);
    for (auto& v : m_playedVolumes) {
        v = 0;
    }
}

CMIDI::~CMIDI() {
    HaltPlayback(false);
}

bool CMIDI::LoadSong(int resourceId) {
    const auto song = platform::FindResource("MIDI", std::to_string(resourceId));
    if (!song || song->size() > UINT32_MAX) {
        return false;
    }
    return OpenSong(reinterpret_cast<const uint8_t*>(song->data()),
                    static_cast<uint32_t>(song->size()));
}

bool CMIDI::ReadFirstDelta(Track& track) {
    track.position = 0;
    track.tick = 0;
    track.runningStatus = 0;
    track.status = 0;
    if (track.length == 0) {
        track.status = kTrackEnded;
        return true;
    }
    return ReadVariableLength(track.start, track.length, &track.position, &track.tick);
}

bool CMIDI::OpenSong(const uint8_t* data, uint32_t size) {
    if (m_songData != nullptr || data == nullptr || size < 14) {
        return false;
    }
    if (std::memcmp(data, "MThd", 4) != 0 || BigEndian32(data + 4) != 6) {
        return false;
    }
    const int format = BigEndian16(data + 8);
    const int trackCount = BigEndian16(data + 10);
    const uint32_t division = BigEndian16(data + 12);
    // Without a division no tick has a length; without a track there is nothing to play.
    if (division == 0 || trackCount == 0) {
        return false;
    }
    std::vector<Track> tracks(trackCount);
    uint32_t position = 14;
    for (Track& track : tracks) {
        if (size - position < 8 || std::memcmp(data + position, "MTrk", 4) != 0) {
            return false;
        }
        const uint32_t length = BigEndian32(data + position + 4);
        position += 8;
        // A chunk that claims more bytes than the data holds would make every later read
        // run past the song's end.
        if (length > size - position) {
            return false;
        }
        track.start = data + position;
        track.length = length;
        if (!ReadFirstDelta(track)) {
            return false;
        }
        position += length;
    }
    m_format = format;
    m_trackCount = trackCount;
    m_timeDivision = division;
    m_tracks = std::move(tracks);
    m_songData = data;
    m_dataSize = size;
    m_channelVolumes.fill(100);
    if (!PrepareStream()) {
        // A song that cannot be played is not kept, so that another may be tried.
        ReleaseBuffers();
        if (m_stream != nullptr) {
            m_stream->Close();
            m_stream.reset();
        }
        m_songData = nullptr;
        m_dataSize = 0;
        m_tracks.clear();
        return false;
    }
    return true;
}

void CMIDI::OnStreamCallback(platform::MidiStreamMessage message, platform::MidiHeader* header) {
    switch (message) {
        case platform::MidiStreamMessage::Opened:
            OnStreamOpened();
            break;
        case platform::MidiStreamMessage::Closed:
            OnStreamClosed();
            break;
        case platform::MidiStreamMessage::Done:
            OnBufferDone(header);
            break;
        case platform::MidiStreamMessage::PositionCallback:
            OnPositionCallback(header);
            break;
    }
}

bool CMIDI::PrepareStream() {
    if (m_stream == nullptr) {
        const int result = m_factory(
            m_device,
            [this](platform::MidiStreamMessage m, platform::MidiHeader* h) {
                OnStreamCallback(m, h);
            },
            &m_stream);
        if (result != platform::kMidiOk || m_stream == nullptr) {
            m_stream.reset();
            OnError(result);
            return false;
        }
    }
    for (StreamBuffer& b : m_buffers) {
        b.data.assign(kBufferSize, 0);
        b.header = platform::MidiHeader{};
        b.header.data = b.data.data();
        b.header.bufferLength = kBufferSize;
        b.maxLength = kBufferSize;
        b.bytesStored = 0;
        b.startOffset = 0;
        b.windowExceeded = false;
        b.prepared = false;
    }
    int result = m_stream->SetTimeDivision(m_timeDivision);
    if (result != platform::kMidiOk) {
        OnError(result);
        return false;
    }
    int queued = 0;
    bool conversionOver = false;
    for (int i = 0; i < kBufferCount; ++i) {
        StreamBuffer& b = m_buffers[i];
        // Every buffer is registered, also one that has nothing to carry yet: a looping song
        // short enough for one buffer uses the other one on its next pass.
        result = m_stream->PrepareHeader(&b.header);
        if (result != platform::kMidiOk) {
            OnError(result);
            return false;
        }
        b.prepared = true;
        if (conversionOver) {
            continue;
        }
        const int filled = FillStreamBuffer(i == 0, i);
        if (filled == kSongDone) {
            conversionOver = true;
            continue;
        }
        if (filled != kBufferFilled) {
            // A bad event stops the conversion. What was queued before it still plays, and
            // the song stays; only a song that cannot fill its first buffer is refused.
            if (queued == 0) {
                return false;
            }
            conversionOver = true;
            continue;
        }
        b.header.bytesRecorded = b.bytesStored;
        result = m_stream->Out(&b.header);
        if (result != platform::kMidiOk) {
            OnError(result);
            return false;
        }
        ++queued;
    }
    m_buffersPrepared = true;
    m_nextBuffer = 0;
    m_buffersOut = kBufferCount - queued;
    return true;
}

void CMIDI::RestartTracks() {
    for (Track& track : m_tracks) {
        if (!ReadFirstDelta(track)) {
            // OpenSong read this delta once already; the data cannot have changed.
            track.status = kTrackEnded;
        }
    }
}

int CMIDI::FillStreamBuffer(bool reset, int bufferIndex) {
    StreamBuffer& buffer = m_buffers[bufferIndex];
    buffer.bytesStored = 0;
    if (reset) {
        m_bytesPlayed = 0;
        m_conversionStatus = 0;
        m_waitingEvent = Event{};
        // A fresh stream plays the song from its start, with its own tempo events.
        RestartTracks();
        m_currentTick = 0;
        m_currentTempo = 0;
        m_tickWindow = 0;
        for (StreamBuffer& b : m_buffers) {
            b.windowExceeded = false;
        }
    }
    if ((m_conversionStatus & kConversionDone) != 0) {
        // A pass that stored nothing after its start would loop at one instant for ever.
        if (!m_looping || m_currentTick == 0) {
            return kSongDone;
        }
        RestartTracks();
        m_bytesPlayed = 0;
        m_conversionStatus = 0;
        m_currentTick = 0;
    }
    if ((m_conversionStatus & kConversionStuck) != 0) {
        return kStuck;
    }
    if ((m_conversionStatus & kConversionEventWaiting) != 0) {
        m_conversionStatus &= ~kConversionEventWaiting;
        if (StoreEvent(m_waitingEvent, buffer) == kBufferFull) {
            m_conversionStatus |= kConversionEventWaiting;
            return kBufferFilled;
        }
    }
    for (;;) {
        Track* next = nullptr;
        for (Track& track : m_tracks) {
            if ((track.status & kTrackEnded) == 0 && (next == nullptr || track.tick < next->tick)) {
                next = &track;
            }
        }
        if (next == nullptr) {
            m_conversionStatus |= kConversionDone;
            return kBufferFilled;
        }
        Event event;
        if (!ReadTrackEvent(*next, event)) {
            m_conversionStatus |= kConversionStuck;
            OnTrackError(*next, "unreadable event");
            return kCorrupt;
        }
        if (event.status == 0xFF && event.data1 == 0x2F) {
            continue;
        }
        if (StoreEvent(event, buffer) == kBufferFull) {
            m_waitingEvent = std::move(event);
            m_conversionStatus |= kConversionEventWaiting;
            return kBufferFilled;
        }
    }
}

bool CMIDI::ReadTrackEvent(Track& track, Event& event) {
    const uint8_t* data = track.start;
    const uint32_t end = track.length;
    uint32_t pos = track.position;
    if (data == nullptr || pos >= end) {
        return false;
    }
    event = Event{};
    uint8_t b = data[pos++];
    if (b >= 0x80) {
        event.status = b;
        if (b < 0xF0) {
            track.runningStatus = b;
            if (pos >= end) {
                return false;
            }
            event.data1 = data[pos++];
        } else if (b == 0xF0 || b == 0xF7 || b == 0xFF) {
            if (b == 0xFF) {
                if (pos >= end) {
                    return false;
                }
                event.data1 = data[pos++];
            }
            uint32_t length = 0;
            if (!ReadVariableLength(data, end, &pos, &length) || length > end - pos) {
                return false;
            }
            event.length = length;
            event.data.assign(data + pos, data + pos + length);
            pos += length;
            if (b == 0xFF && event.data1 == 0x51) {
                // A tempo needs its three bytes, and 0 microseconds per quarter note gives
                // ticks no length at all: such a song is refused from here on.
                if (length < 3 || (event.data[0] | event.data[1] | event.data[2]) == 0) {
                    return false;
                }
            }
            if (b == 0xFF && event.data1 == 0x2F) {
                track.status |= kTrackEnded;
            }
        } else {
            return false;
        }
    } else {
        if (track.runningStatus == 0) {
            return false;
        }
        event.status = track.runningStatus;
        event.data1 = b;
    }
    if (event.status < 0xF0 && !IsChannelMessageWithOneDataByte(event.status)) {
        if (pos >= end) {
            return false;
        }
        event.data2 = data[pos++];
    }
    event.tick = track.tick;
    if ((track.status & kTrackEnded) == 0) {
        if (pos == end) {
            // The track's data stops right after a whole event: it ends there, as though it
            // had its end-of-track event.
            track.status |= kTrackEnded;
        } else {
            uint32_t delta = 0;
            if (!ReadVariableLength(data, end, &pos, &delta)) {
                return false;
            }
            track.tick += delta;
        }
    }
    track.position = pos;
    return true;
}

int CMIDI::StoreEvent(Event& event, StreamBuffer& buffer) {
    if (buffer.bytesStored == 0) {
        buffer.startTick = m_currentTick;
    }
    if (m_currentTick - buffer.startTick > m_tickWindow) {
        if (buffer.windowExceeded) {
            buffer.windowExceeded = false;
            return kBufferFull;
        }
        buffer.windowExceeded = true;
    }
    const bool fits = buffer.maxLength - buffer.bytesStored >= sizeof(platform::MidiStreamEvent);
    platform::MidiStreamEvent e{event.tick - m_currentTick, 0, 0};
    if (event.status < 0xF0) {
        if (!fits) {
            return kBufferFull;
        }
        e.event = event.status | (uint32_t{event.data1} << 8) | (uint32_t{event.data2} << 16);
        if ((event.status & 0xF0) == 0xB0 && event.data1 == 7) {
            e.event |= platform::kMidiEventCallback;
        }
    } else if (event.status == 0xFF && event.data1 == 0x51) {
        if (!fits) {
            return kBufferFull;
        }
        const uint32_t tempo =
            (uint32_t{event.data[0]} << 16) | (uint32_t{event.data[1]} << 8) | event.data[2];
        if (tempo == 0) {
            return kSkipped;  // ReadTrackEvent refuses these; never divide by it
        }
        m_currentTempo = tempo;
        m_tickWindow = static_cast<uint32_t>(uint64_t{m_timeDivision} * 60000 / tempo);
        e.event = platform::kMidiEventTempo | tempo;
    } else {
        // System exclusive and the other meta events are not played.
        event.data.clear();
        event.data.shrink_to_fit();
        return kSkipped;
    }
    std::memcpy(buffer.data.data() + buffer.bytesStored, &e, sizeof e);
    buffer.bytesStored += sizeof e;
    m_currentTick = event.tick;
    return kStored;
}

bool CMIDI::StartPlayback(bool looping) {
    if (m_playing) {
        HaltPlayback(true);
    }
    if (m_stream == nullptr) {
        return false;
    }
    {
        std::lock_guard lock(m_stateMutex);
        m_state = kStatePlaying;
        m_bufferEvent.Clear();
        // Set before the stream runs: its first callback may come before Restart returns.
        m_looping = looping;
        m_playing = true;
    }
    const int result = m_stream->Restart();
    if (result != platform::kMidiOk) {
        m_playing = false;
        OnError(result);
        return false;
    }
    return true;
}

void CMIDI::SetChannelVolumes(int percent) {
    const int volume = std::clamp(percent, 0, 100);
    for (int c = 0; c < kChannelCount; ++c) {
        if (!m_playing || m_stream == nullptr) {
            return;
        }
        m_channelVolumes[c] = volume;
        const uint32_t value = static_cast<uint32_t>(volume * 127 / 100);
        const int result = m_stream->ShortMessage((0xB0 + c) | (7u << 8) | (value << 16));
        if (result != platform::kMidiOk) {
            OnError(result);
        }
    }
}

void CMIDI::OnBufferDone(platform::MidiHeader* header) {
    // A halt changes the state under this lock, so once it has begun no buffer is queued
    // again: the stopped stream would keep it, and the halt would wait for it in vain.
    std::lock_guard lock(m_stateMutex);
    const int state = m_state;
    if (state == kStateStopped) {
        return;
    }
    const int out = ++m_buffersOut;
    switch (state) {
        case kStatePlaying:
            m_bytesPlayed += header != nullptr ? header->bytesRecorded : 0;
            // Refill every buffer that is home, oldest first, so that both stay queued.
            while (m_playing && m_state == kStatePlaying && m_buffersOut > 0) {
                StreamBuffer& b = m_buffers[m_nextBuffer];
                const int filled = FillStreamBuffer(false, m_nextBuffer);
                if (filled == kSongDone) {
                    m_state = kStateSongEnded;
                    if (m_buffersOut >= kBufferCount) {
                        m_bufferEvent.Set();
                    }
                    break;
                }
                if (filled != kBufferFilled) {
                    break;
                }
                b.header.bytesRecorded = b.bytesStored;
                const int result = m_stream->Out(&b.header);
                if (result != platform::kMidiOk) {
                    OnError(result);
                    break;
                }
                m_nextBuffer = 1 - m_nextBuffer;
                --m_buffersOut;
            }
            break;
        case kStateStopRequested:
            if (out >= kBufferCount) {
                m_state = kStateStopped;
                m_bufferEvent.Set();
            }
            break;
        case kStateSongEnded:
            // The song was played to its end; once the last buffer is home, halting has
            // nothing to wait for.
            if (out >= kBufferCount) {
                m_bufferEvent.Set();
            }
            break;
        default:
            break;
    }
}

void CMIDI::OnPositionCallback(platform::MidiHeader* header) {
    if (header == nullptr || header->data == nullptr || header->offset > header->bytesRecorded ||
        header->bytesRecorded - header->offset < sizeof(platform::MidiStreamEvent)) {
        return;
    }
    platform::MidiStreamEvent e;
    std::memcpy(&e, header->data + header->offset, sizeof e);
    const uint32_t status = e.event & 0xFF;
    if (platform::EventType(e.event) == platform::kMidiEventShortMessage &&
        (status & 0xF0) == 0xB0 && ((e.event >> 8) & 0xFF) == 7) {
        const int value = static_cast<int>((e.event >> 16) & 0x7F);
        m_playedVolumes[status & 0x0F] = value * 100 / 127;
    }
}

void CMIDI::ReleaseBuffers() {
    for (StreamBuffer& b : m_buffers) {
        if (b.prepared && m_stream != nullptr) {
            m_stream->UnprepareHeader(&b.header);
        }
        b.prepared = false;
    }
    m_buffersPrepared = false;
}

bool CMIDI::HaltPlayback(bool reopen) {
    bool ok = true;
    bool halting = false;
    {
        std::lock_guard lock(m_stateMutex);
        halting = m_playing || m_state != kStateStopped;
        if (halting) {
            m_playing = false;
            if (m_state != kStateStopped && m_state != kStateSongEnded) {
                m_state = kStateStopRequested;
            }
        }
    }
    // The lock is not held while the stream runs: Stop and Reset may hand the buffers back
    // through the callback before they return.
    if (halting && m_stream != nullptr) {
        int result = m_stream->Stop();
        if (result == platform::kMidiOk) {
            result = m_stream->Reset();
        }
        if (result != platform::kMidiOk) {
            OnError(result);
            ok = false;
        }
        // Nothing comes back when every buffer is home already (the song ended or
        // stopped on a bad event); otherwise wait for the last one, but not for ever.
        bool mustWait = false;
        {
            std::lock_guard lock(m_stateMutex);
            mustWait = m_buffersOut < kBufferCount && m_state != kStateStopped;
        }
        if (mustWait && !m_bufferEvent.WaitFor(kHaltTimeoutMs)) {
            std::lock_guard lock(m_stateMutex);
            m_state = kStateStopped;
            ++m_haltTimeouts;
        }
    }
    ReleaseBuffers();
    if (m_stream != nullptr) {
        // Closing ends the stream's callbacks, so the buffers' memory is free to go after it.
        m_stream->Close();
        m_stream.reset();
    }
    m_state = kStatePlaying;
    for (StreamBuffer& b : m_buffers) {
        b.data.clear();
        b.data.shrink_to_fit();
        b.header = platform::MidiHeader{};
    }
    m_buffersOut = 0;
    m_bufferEvent.Clear();
    if (reopen) {
        return m_songData != nullptr && PrepareStream();
    }
    return ok;
}
