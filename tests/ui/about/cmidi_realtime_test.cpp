#include <gtest/gtest.h>

#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "platform/midi_stream/fluidsynth_output.h"
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

}  // namespace
