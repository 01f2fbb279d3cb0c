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
        wav_ = std::filesystem::temp_directory_path() /
               ("tracklace_stream_" + std::to_string(::getpid()) + ".wav");
        const int result = OpenFluidSynthStream(
            "file", wav_.string(),
            [this](MidiStreamMessage m, MidiHeader* h) {
                std::lock_guard lock(mutex_);
                if (m == MidiStreamMessage::Done) {
                    done_.push_back(h);
                    doneThreads_.push_back(std::this_thread::get_id());
                }
                cv_.notify_all();
            },
            &stream_);
        ASSERT_EQ(result, kMidiOk);
    }
    void TearDown() override {
        if (stream_) {
            stream_->Close();
        }
        std::error_code ignored;
        std::filesystem::remove(wav_, ignored);
    }
    // Waits for n Done callbacks; the limit only keeps a broken stream from hanging the run.
    bool WaitForDone(size_t n) {
        std::unique_lock lock(mutex_);
        return cv_.wait_for(lock, std::chrono::seconds(20), [&] { return done_.size() >= n; });
    }

    std::filesystem::path wav_;
    std::unique_ptr<IMidiStream> stream_;
    std::mutex mutex_;
    std::condition_variable cv_;
    std::vector<MidiHeader*> done_;
    std::vector<std::thread::id> doneThreads_;
};

TEST_F(FluidSynthStreamTest, PlaysQueuedBuffersAndCallsBackOnItsOwnThread) {
    ASSERT_EQ(stream_->SetTimeDivision(480), kMidiOk);
    std::vector<MidiStreamEvent> a = {{0, 0, 0x90 | (60 << 8) | (90 << 16)},
                                      {24, 0, 0x80 | (60 << 8)}};
    std::vector<MidiStreamEvent> b = {{24, 0, 0x90 | (64 << 8) | (90 << 16)}};
    MidiHeader ha{reinterpret_cast<uint8_t*>(a.data()), 24, 24, 0, 0};
    MidiHeader hb{reinterpret_cast<uint8_t*>(b.data()), 12, 12, 0, 0};
    ASSERT_EQ(stream_->PrepareHeader(&ha), kMidiOk);
    ASSERT_EQ(stream_->PrepareHeader(&hb), kMidiOk);
    ASSERT_EQ(stream_->Out(&ha), kMidiOk);
    ASSERT_EQ(stream_->Out(&hb), kMidiOk);
    ASSERT_EQ(stream_->Restart(), kMidiOk);
    ASSERT_TRUE(WaitForDone(2));
    std::lock_guard lock(mutex_);
    EXPECT_EQ(done_[0], &ha);
    EXPECT_EQ(done_[1], &hb);
    EXPECT_NE(doneThreads_[0], std::this_thread::get_id());
    EXPECT_EQ(stream_->UnprepareHeader(&ha), kMidiOk);
}

TEST_F(FluidSynthStreamTest, StopReturnsBuffersThatWouldPlayForMinutes) {
    ASSERT_EQ(stream_->SetTimeDivision(96), kMidiOk);
    // The second event lies ten minutes ahead at the default tempo.
    std::vector<MidiStreamEvent> a = {{0, 0, 0x90 | (60 << 8) | (90 << 16)},
                                      {96 * 1200, 0, 0x80 | (60 << 8)}};
    MidiHeader ha{reinterpret_cast<uint8_t*>(a.data()), 24, 24, 0, 0};
    ASSERT_EQ(stream_->PrepareHeader(&ha), kMidiOk);
    ASSERT_EQ(stream_->Out(&ha), kMidiOk);
    ASSERT_EQ(stream_->Restart(), kMidiOk);
    EXPECT_EQ(stream_->UnprepareHeader(&ha), kMidiStillPlaying);
    ASSERT_EQ(stream_->Stop(), kMidiOk);
    ASSERT_TRUE(WaitForDone(1));
    EXPECT_EQ(stream_->UnprepareHeader(&ha), kMidiOk);
    EXPECT_EQ(stream_->Reset(), kMidiOk);
    EXPECT_EQ(stream_->Close(), kMidiOk);
    std::lock_guard lock(mutex_);
    EXPECT_EQ(done_.size(), 1u);
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
