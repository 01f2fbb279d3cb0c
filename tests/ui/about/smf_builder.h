#pragma once

#include <cstdint>
#include <initializer_list>
#include <vector>

// Builds Standard MIDI Files byte by byte for the tests, including broken ones.
namespace smf {

using Bytes = std::vector<uint8_t>;

inline Bytes Vlq(uint32_t value) {
    Bytes out{static_cast<uint8_t>(value & 0x7F)};
    while ((value >>= 7) != 0) {
        out.insert(out.begin(), static_cast<uint8_t>(0x80 | (value & 0x7F)));
    }
    return out;
}

inline void Append(Bytes& to, const Bytes& what) {
    to.insert(to.end(), what.begin(), what.end());
}

inline Bytes Be32(uint32_t v) {
    return {static_cast<uint8_t>(v >> 24), static_cast<uint8_t>(v >> 16),
            static_cast<uint8_t>(v >> 8), static_cast<uint8_t>(v)};
}

// Track data made of (delta, event bytes) pairs, written as they are.
class TrackData {
public:
    TrackData& Event(uint32_t delta, std::initializer_list<uint8_t> bytes) {
        Append(m_data, Vlq(delta));
        m_data.insert(m_data.end(), bytes);
        return *this;
    }
    TrackData& Tempo(uint32_t delta, uint32_t microsecondsPerQuarter) {
        return Event(delta, {0xFF, 0x51, 0x03, static_cast<uint8_t>(microsecondsPerQuarter >> 16),
                             static_cast<uint8_t>(microsecondsPerQuarter >> 8),
                             static_cast<uint8_t>(microsecondsPerQuarter)});
    }
    TrackData& End(uint32_t delta = 0) { return Event(delta, {0xFF, 0x2F, 0x00}); }
    TrackData& Raw(std::initializer_list<uint8_t> bytes) {
        m_data.insert(m_data.end(), bytes);
        return *this;
    }
    const Bytes& Data() const { return m_data; }

private:
    Bytes m_data;
};

inline Bytes Chunk(const char* type, const Bytes& body) {
    Bytes out(type, type + 4);
    Append(out, Be32(static_cast<uint32_t>(body.size())));
    Append(out, body);
    return out;
}

inline Bytes Header(uint16_t format, uint16_t tracks, uint16_t division, uint32_t length = 6) {
    Bytes out{'M', 'T', 'h', 'd'};
    Append(out, Be32(length));
    for (uint16_t v : {format, tracks, division}) {
        out.push_back(static_cast<uint8_t>(v >> 8));
        out.push_back(static_cast<uint8_t>(v));
    }
    return out;
}

inline Bytes File(uint16_t division, std::initializer_list<TrackData> tracks) {
    Bytes out = Header(1, static_cast<uint16_t>(tracks.size()), division);
    for (const TrackData& t : tracks) {
        Append(out, Chunk("MTrk", t.Data()));
    }
    return out;
}

}  // namespace smf
