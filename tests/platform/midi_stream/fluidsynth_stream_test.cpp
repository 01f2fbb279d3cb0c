#include <gtest/gtest.h>

#include <unistd.h>

#include <condition_variable>
#include <filesystem>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/midi_stream/fluidsynth_output.h"
#include "platform/midi_stream/midi_stream.h"

using namespace platform;

namespace {

// The real-time stream, through FluidSynth's file driver so that no sound card is needed.
class FluidSynthStreamTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (FindGeneralMidiSoundFont().empty()) {
            GTEST_SKIP() << "no General MIDI sound font installed";
        }
        m_wav = std::filesystem::temp_directory_path() /
                ("tracklace_stream_" + std::to_string(::getpid()) + ".wav");
        const int result = OpenFluidSynthStream(
            "file", m_wav.string(),
            [this](MidiStreamMessage m, MidiHeader* h) {
                std::lock_guard lock(m_mutex);
                if (m == MidiStreamMessage::Done) {
                    m_done.push_back(h);
                    m_doneThreads.push_back(std::this_thread::get_id());
                }
                m_cv.notify_all();
            },
            &m_stream);
        ASSERT_EQ(result, kMidiOk);
    }
    void TearDown() override {
        if (m_stream) {
            m_stream->Close();
        }
        std::error_code ignored;
        std::filesystem::remove(m_wav, ignored);
    }
    // Waits for n Done callbacks; the limit only keeps a broken stream from hanging the run.
    bool WaitForDone(size_t n) {
        std::unique_lock lock(m_mutex);
        return m_cv.wait_for(lock, std::chrono::seconds(20), [&] { return m_done.size() >= n; });
    }

    std::filesystem::path m_wav;
    std::unique_ptr<IMidiStream> m_stream;
    std::mutex m_mutex;
    std::condition_variable m_cv;
    std::vector<MidiHeader*> m_done;
    std::vector<std::thread::id> m_doneThreads;
};

TEST_F(FluidSynthStreamTest, PlaysQueuedBuffersAndCallsBackOnItsOwnThread) {
    ASSERT_EQ(m_stream->SetTimeDivision(480), kMidiOk);
    std::vector<MidiStreamEvent> a = {{0, 0, 0x90 | (60 << 8) | (90 << 16)},
                                      {24, 0, 0x80 | (60 << 8)}};
    std::vector<MidiStreamEvent> b = {{24, 0, 0x90 | (64 << 8) | (90 << 16)}};
    MidiHeader ha{reinterpret_cast<uint8_t*>(a.data()), 24, 24, 0, 0};
    MidiHeader hb{reinterpret_cast<uint8_t*>(b.data()), 12, 12, 0, 0};
    ASSERT_EQ(m_stream->PrepareHeader(&ha), kMidiOk);
    ASSERT_EQ(m_stream->PrepareHeader(&hb), kMidiOk);
    ASSERT_EQ(m_stream->Out(&ha), kMidiOk);
    ASSERT_EQ(m_stream->Out(&hb), kMidiOk);
    ASSERT_EQ(m_stream->Restart(), kMidiOk);
    ASSERT_TRUE(WaitForDone(2));
    std::lock_guard lock(m_mutex);
    EXPECT_EQ(m_done[0], &ha);
    EXPECT_EQ(m_done[1], &hb);
    EXPECT_NE(m_doneThreads[0], std::this_thread::get_id());
    EXPECT_EQ(m_stream->UnprepareHeader(&ha), kMidiOk);
}

TEST_F(FluidSynthStreamTest, StopReturnsBuffersThatWouldPlayForMinutes) {
    ASSERT_EQ(m_stream->SetTimeDivision(96), kMidiOk);
    // The second event lies ten minutes ahead at the default tempo.
    std::vector<MidiStreamEvent> a = {{0, 0, 0x90 | (60 << 8) | (90 << 16)},
                                      {96 * 1200, 0, 0x80 | (60 << 8)}};
    MidiHeader ha{reinterpret_cast<uint8_t*>(a.data()), 24, 24, 0, 0};
    ASSERT_EQ(m_stream->PrepareHeader(&ha), kMidiOk);
    ASSERT_EQ(m_stream->Out(&ha), kMidiOk);
    ASSERT_EQ(m_stream->Restart(), kMidiOk);
    EXPECT_EQ(m_stream->UnprepareHeader(&ha), kMidiStillPlaying);
    ASSERT_EQ(m_stream->Stop(), kMidiOk);
    ASSERT_TRUE(WaitForDone(1));
    EXPECT_EQ(m_stream->UnprepareHeader(&ha), kMidiOk);
    EXPECT_EQ(m_stream->Reset(), kMidiOk);
    EXPECT_EQ(m_stream->Close(), kMidiOk);
    std::lock_guard lock(m_mutex);
    EXPECT_EQ(m_done.size(), 1u);
}

TEST_F(FluidSynthStreamTest, CloseDropsQueuedBuffersWithoutTouchingThem) {
    ASSERT_EQ(m_stream->SetTimeDivision(96), kMidiOk);
    std::vector<MidiStreamEvent> a = {{96 * 1200, 0, 0x90 | (60 << 8) | (90 << 16)}};
    MidiHeader ha{reinterpret_cast<uint8_t*>(a.data()), 12, 12, 0, 0};
    ASSERT_EQ(m_stream->PrepareHeader(&ha), kMidiOk);
    ASSERT_EQ(m_stream->Out(&ha), kMidiOk);
    ASSERT_EQ(m_stream->Restart(), kMidiOk);
    const uint32_t queuedFlags = ha.flags;
    ASSERT_EQ(m_stream->Close(), kMidiOk);
    EXPECT_EQ(ha.flags, queuedFlags);
    std::lock_guard lock(m_mutex);
    EXPECT_TRUE(m_done.empty());
}

TEST(OpenMidiStream, OpensOrFailsWithNoDevice) {
    // Whether this machine has sound decides which; both must leave things consistent.
    std::unique_ptr<IMidiStream> stream;
    const int result = OpenMidiStream(-1, {}, &stream);
    if (result == kMidiOk) {
        ASSERT_NE(stream, nullptr);
        EXPECT_EQ(stream->Close(), kMidiOk);
    } else {
        EXPECT_EQ(result, kMidiNoDevice);
        EXPECT_EQ(stream, nullptr);
    }
    EXPECT_EQ(OpenMidiStream(-1, {}, nullptr), kMidiInvalidParameter);
}

}  // namespace
