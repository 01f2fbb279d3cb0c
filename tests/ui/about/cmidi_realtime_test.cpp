#include <gtest/gtest.h>

#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <thread>

#include "platform/midi_stream/fluidsynth_output.h"
#include "tests/ui/about/smf_builder.h"
#include "ui/toolkit/about/cmidi.h"

namespace {

// The player on the real-time stream, whose callbacks come from the stream's own thread.
// FluidSynth's file driver stands in for the sound card.
class CMIDIRealTime : public ::testing::Test {
protected:
    void SetUp() override {
        if (platform::FindGeneralMidiSoundFont().empty()) {
            GTEST_SKIP() << "no General MIDI sound font installed";
        }
        m_wav = std::filesystem::temp_directory_path() /
                ("tracklace_cmidi_" + std::to_string(::getpid()) + ".wav");
    }
    void TearDown() override {
        std::error_code ignored;
        std::filesystem::remove(m_wav, ignored);
    }
    platform::MidiStreamFactory Factory() {
        return [this](int, platform::MidiStreamCallback callback,
                      std::unique_ptr<platform::IMidiStream>* stream) {
            ++m_opens;
            return platform::OpenFluidSynthStream("file", m_wav.string(), std::move(callback),
                                                  stream);
        };
    }
    // Waits until the stream thread has handed back and refilled buffers; the limit only
    // keeps a broken stream from hanging the run.
    static bool WaitUntilBuffersCameBack(const CMIDI& midi, uint32_t bytes) {
        for (int i = 0; i < 2000 && midi.BytesPlayed() < bytes; ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return midi.BytesPlayed() >= bytes;
    }

    std::filesystem::path m_wav;
    int m_opens = 0;
};

TEST_F(CMIDIRealTime, RefillsFromTheStreamThreadAndHaltsWithoutWaitingOut) {
    CMIDI midi(Factory());
    ASSERT_TRUE(midi.LoadSong(210));
    ASSERT_TRUE(midi.StartPlayback(true));
    midi.SetChannelVolumes(100);
    ASSERT_TRUE(WaitUntilBuffersCameBack(midi, 3 * 12));
    EXPECT_EQ(midi.State(), CMIDI::kStatePlaying);

    // Restarting while playing halts, reopens and plays again.
    ASSERT_TRUE(midi.StartPlayback(true));
    EXPECT_EQ(m_opens, 2);
    ASSERT_TRUE(WaitUntilBuffersCameBack(midi, 3 * 12));

    ASSERT_TRUE(midi.HaltPlayback(false));
    EXPECT_EQ(midi.HaltTimeouts(), 0) << "the stream thread returned every buffer";
    EXPECT_FALSE(midi.HasStream());
    EXPECT_FALSE(midi.IsPlaying());
}

// Start/halt cycles as a user who opens and closes the about box in quick succession
// makes them, with the halt landing at any moment of the refilling. Every halt must find
// all buffers handed back; one that waits out its time limit means a buffer was queued
// after the halt began. TRACKLACE_HALT_CYCLES sets the cycles per song (the campaign
// script runs thousands; the test run a hundred).
TEST_F(CMIDIRealTime, StartHaltCyclesNeverWaitOutTheTimeLimit) {
    const char* cyclesSetting = std::getenv("TRACKLACE_HALT_CYCLES");
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
    // Every refill of the dense song costs a sanitized build a hundred times as much; a few
    // cycles show that the path is clean, the count of time-outs is the other builds' job.
    constexpr int kDefaultCycles = 10;
#else
    constexpr int kDefaultCycles = 100;
#endif
    const int cycles =
        cyclesSetting != nullptr ? std::max(1, std::atoi(cyclesSetting)) : kDefaultCycles;

    // Dense: 600 beats a minute at 480 ticks a quarter, a note event every tick, so that a
    // buffer lasts about 9 ms and the stream thread refills all the time; and between two
    // notes a thousand text events that are read and dropped, so that each refill takes
    // about a millisecond, as a halt may land in it.
    smf::TrackData dense;
    dense.Tempo(0, 100000);
    for (int i = 0; i < 200; ++i) {
        for (int k = 0; k < 1000; ++k) {
            dense.Event(0, {0xFF, 0x01, 4, 't', 'e', 'x', 't'});
        }
        dense.Event(1, {static_cast<uint8_t>(i % 2 == 0 ? 0x90 : 0x80),
                        static_cast<uint8_t>(40 + i % 40), 80});
    }
    // Short: three notes in 50 ms, looping, so both buffers take turns at a quick pace.
    smf::TrackData shortSong;
    shortSong.Event(0, {0x90, 60, 90}).Event(3, {0x90, 64, 90}).Event(3, {0x90, 67, 90}).End(4);
    const smf::Bytes songs[] = {smf::File(480, {dense.End()}), smf::File(100, {shortSong})};

    std::mt19937 random(20260);
    std::uniform_int_distribution<int> playMs(0, 30);
    int timeouts = 0;
    double longestHaltMs = 0;
    for (const smf::Bytes& song : songs) {
        CMIDI midi(Factory());
        ASSERT_TRUE(midi.OpenSong(song.data(), static_cast<uint32_t>(song.size())));
        for (int i = 0; i < cycles; ++i) {
            ASSERT_TRUE(midi.StartPlayback(true)) << "cycle " << i;
            std::this_thread::sleep_for(std::chrono::milliseconds(playMs(random)));
            // The halt as closing the box makes it, then the stream opened again for the
            // next cycle.
            const auto start = std::chrono::steady_clock::now();
            ASSERT_TRUE(midi.HaltPlayback(false)) << "cycle " << i;
            const std::chrono::duration<double, std::milli> halt =
                std::chrono::steady_clock::now() - start;
            longestHaltMs = std::max(longestHaltMs, halt.count());
            ASSERT_TRUE(midi.HaltPlayback(true)) << "cycle " << i;
        }
        timeouts += midi.HaltTimeouts();
    }
    std::printf("halt cycles=%d songs=2 timeouts=%d longest_halt_ms=%.1f\n", cycles, timeouts,
                longestHaltMs);
    EXPECT_EQ(timeouts, 0);
}

}  // namespace
