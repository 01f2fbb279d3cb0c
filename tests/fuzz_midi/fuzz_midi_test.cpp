#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <random>

#include "platform/midi_stream/virtual_midi_device.h"
#include "platform/resources/resources.h"
#include "tests/ui/about/smf_builder.h"
#include "ui/toolkit/about/cmidi.h"

using smf::TrackData;

namespace {

constexpr int64_t kMs = 1'000'000;

// Songs to start the mutations from: the embedded tune and a few that reach the corners of
// the format (running status, sysex, long meta events, tempo changes, empty tracks).
std::vector<smf::Bytes> Seeds() {
    std::vector<smf::Bytes> seeds;
    if (const auto tune = platform::FindResource("MIDI", "210")) {
        seeds.emplace_back(tune->begin(), tune->end());
    }
    TrackData busy;
    busy.Tempo(0, 300000);
    for (int i = 0; i < 120; ++i) {
        busy.Event(i % 7, {0x90, static_cast<uint8_t>(40 + i % 50), 90});
        busy.Event(3, {static_cast<uint8_t>(40 + i % 50), 0});
        if (i % 17 == 0) {
            busy.Event(0, {0xF0, 0x03, 0x7E, 0x00, 0xF7}).Tempo(0, 200000 + 1000 * i);
        }
    }
    seeds.push_back(smf::File(96, {busy.End(), TrackData(),
                                   TrackData()
                                       .Event(0, {0xFF, 0x01, 0x05, 'h', 'e', 'l', 'l', 'o'})
                                       .Event(10, {0xC3, 12})
                                       .Event(5, {13})
                                       .Event(5, {0xE3, 0, 64})
                                       .Event(200, {0xB3, 7, 80})
                                       .End()}));
    seeds.push_back(
        smf::File(0xE728, {TrackData().Event(0, {0x90, 60, 100}).Event(40, {0x80, 60, 0}).End()}));
    return seeds;
}

smf::Bytes Mutate(const smf::Bytes& seed, std::mt19937& rng) {
    smf::Bytes data = seed;
    auto pick = [&](size_t n) { return std::uniform_int_distribution<size_t>(0, n - 1)(rng); };
    const int edits = 1 + static_cast<int>(pick(3));
    for (int e = 0; e < edits && !data.empty(); ++e) {
        // In-place changes keep the chunk layout and so reach the event reader most often.
        const size_t kind = pick(11);
        switch (kind < 6 ? kind % 2 : kind - 4) {  // 0 to 6
            case 0:                                // flip a bit
                data[pick(data.size())] ^= static_cast<uint8_t>(1u << pick(8));
                break;
            case 1:  // an interesting byte
            {
                static const uint8_t kBytes[] = {0x00, 0x7F, 0x80, 0xFF, 0xF0, 0xF7,
                                                 0x2F, 0x51, 0x81, 0xC0, 0xE0, 0x90};
                data[pick(data.size())] = kBytes[pick(sizeof kBytes)];
                break;
            }
            case 2:  // cut the file short
                data.resize(pick(data.size()) + 1);
                break;
            case 3:  // drop a byte
                data.erase(data.begin() + static_cast<long>(pick(data.size())));
                break;
            case 4:  // insert a random byte
                data.insert(data.begin() + static_cast<long>(pick(data.size())),
                            static_cast<uint8_t>(pick(256)));
                break;
            case 5:  // a wild chunk length
                if (data.size() > 22) {
                    const uint32_t v = static_cast<uint32_t>(rng());
                    const size_t at = 18 + pick(4);
                    std::memcpy(&data[at], &v, std::min<size_t>(4, data.size() - at));
                }
                break;
            case 6:  // random garbage behind a valid header
                data.resize(std::min<size_t>(data.size(), 22));
                for (size_t i = 0, n = pick(300); i < n; ++i) {
                    data.push_back(static_cast<uint8_t>(rng()));
                }
                break;
        }
    }
    return data;
}

struct Outcome {
    bool opened = false;
    size_t played = 0;
};

// One song through the whole player: open, play to its end or for a bounded stretch of
// virtual time, halt. The bytes sit in an allocation of exactly their size, so that any read
// past the end is caught by the address sanitizer.
Outcome Play(const smf::Bytes& bytes, bool looping) {
    Outcome outcome;
    std::unique_ptr<uint8_t[]> data(new uint8_t[bytes.size()]);
    std::memcpy(data.get(), bytes.data(), bytes.size());
    platform::VirtualMidiDevice device;
    device.actionBudget = 20'000;
    device.maxActionsPerAdvance = 5'000;
    {
        CMIDI midi(device.Factory());
        outcome.opened = midi.OpenSong(data.get(), static_cast<uint32_t>(bytes.size()));
        if (outcome.opened) {
            EXPECT_TRUE(midi.StartPlayback(looping));
            device.RunUntilIdle(30'000 * kMs, 50 * kMs);
            EXPECT_TRUE(midi.HaltPlayback(false));
            EXPECT_EQ(midi.HaltTimeouts(), 0) << "halting waited for a buffer that never came";
        }
        EXPECT_FALSE(device.IsOpen());
    }
    for (const auto& m : device.messages) {
        const uint32_t status = m.message & 0xFF;
        if (!m.direct) {
            // Only channel messages are ever played: no system exclusive, no meta event.
            EXPECT_GE(status, 0x80u);
            EXPECT_LT(status, 0xF0u);
            ++outcome.played;
        }
    }
    return outcome;
}

TEST(FuzzMidi, MutatedSongsNeverCrashReadOutsideOrHang) {
    const auto seeds = Seeds();
    ASSERT_EQ(seeds.size(), 3u);
    std::mt19937 rng(20261208);
    int opened = 0;
    size_t played = 0;
    constexpr int kSongs = 5000;
    for (int i = 0; i < kSongs; ++i) {
        const smf::Bytes song = Mutate(seeds[i % seeds.size()], rng);
        const Outcome o = Play(song, i % 2 == 0);
        opened += o.opened ? 1 : 0;
        played += o.played;
        if (::testing::Test::HasFailure()) {
            FAIL() << "song " << i << " of " << song.size() << " bytes";
        }
    }
    // Mutations that keep a file playable must stay common, or the run tests only refusals.
    EXPECT_GT(opened, kSongs / 10);
    EXPECT_GT(played, 10'000u);
    RecordProperty("opened", opened);
    RecordProperty("played", static_cast<int>(played));
}

TEST(FuzzMidi, RandomBytesAfterAHeaderNeverCrash) {
    std::mt19937 rng(7);
    for (int i = 0; i < 1000; ++i) {
        smf::Bytes song = smf::Header(1, 1 + rng() % 3, 1 + rng() % 960);
        smf::Append(song, {'M', 'T', 'r', 'k'});
        const size_t n = rng() % 200;
        smf::Append(song, smf::Be32(static_cast<uint32_t>(rng() % 2 ? n : rng() % 400)));
        for (size_t k = 0; k < n; ++k) {
            song.push_back(static_cast<uint8_t>(rng()));
        }
        Play(song, i % 2 == 1);
        if (::testing::Test::HasFailure()) {
            FAIL() << "song " << i;
        }
    }
}

}  // namespace
