#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <vector>

#include "platform/midi_stream/fluidsynth_output.h"
#include "platform/midi_stream/midi_stream.h"
#include "platform/midi_stream/virtual_midi_device.h"

using namespace platform;

namespace {

constexpr int64_t kMs = 1'000'000;

// A buffer of stream events with its own memory.
struct Buffer {
    std::vector<MidiStreamEvent> events;
    MidiHeader header;

    explicit Buffer(std::vector<MidiStreamEvent> e) : events(std::move(e)) {
        header.data = reinterpret_cast<uint8_t*>(events.data());
        header.bufferLength = static_cast<uint32_t>(events.size() * sizeof(MidiStreamEvent));
        header.bytesRecorded = header.bufferLength;
    }
};

MidiStreamEvent Note(uint32_t delta, uint32_t key, uint32_t velocity = 100) {
    return {delta, 0, 0x90 | (key << 8) | (velocity << 16)};
}

struct Recorder {
    std::vector<std::pair<MidiStreamMessage, MidiHeader*>> calls;
    std::vector<uint32_t> positionOffsets;
    MidiStreamCallback Callback() {
        return [this](MidiStreamMessage m, MidiHeader* h) {
            calls.push_back({m, h});
            if (m == MidiStreamMessage::PositionCallback) {
                positionOffsets.push_back(h->offset);
            }
        };
    }
    int Count(MidiStreamMessage m) const {
        int n = 0;
        for (const auto& c : calls) {
            n += c.first == m ? 1 : 0;
        }
        return n;
    }
};

class VirtualStream : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(device.Factory()(-1, recorder.Callback(), &stream), kMidiOk);
        ASSERT_NE(stream, nullptr);
    }
    VirtualMidiDevice device;
    Recorder recorder;
    std::unique_ptr<IMidiStream> stream;
};

TEST_F(VirtualStream, EventsFollowTheDivisionAndTheTempoEvents) {
    ASSERT_EQ(stream->SetTimeDivision(96), kMidiOk);
    // 96 ticks a quarter at the default 120 bpm: 500 ms a quarter; then 60 bpm.
    Buffer b({Note(0, 60), Note(96, 62), {0, 0, kMidiEventTempo | 1'000'000}, Note(48, 64)});
    ASSERT_EQ(stream->PrepareHeader(&b.header), kMidiOk);
    ASSERT_EQ(stream->Out(&b.header), kMidiOk);
    device.AdvanceBy(5000 * kMs);
    EXPECT_TRUE(device.messages.empty()) << "a new stream is paused";
    ASSERT_EQ(stream->Restart(), kMidiOk);
    const int64_t start = device.NowNs();
    device.AdvanceBy(3000 * kMs);
    ASSERT_EQ(device.messages.size(), 3u);
    EXPECT_EQ(device.messages[0].timeNs - start, 0);
    EXPECT_EQ(device.messages[1].timeNs - start, 500 * kMs);
    EXPECT_EQ(device.messages[2].timeNs - start, 1000 * kMs);
    EXPECT_EQ(device.messages[2].message, 0x90u | (64 << 8) | (100 << 16));
    EXPECT_EQ(device.Tempo(), 1'000'000u);
    EXPECT_EQ(recorder.Count(MidiStreamMessage::Done), 1);
    EXPECT_NE(b.header.flags & kMidiHeaderDone, 0u);
}

TEST_F(VirtualStream, SmpteDivisionCountsFramesNotQuarters) {
    // 25 frames a second, 40 ticks a frame: one tick is a millisecond, whatever the tempo.
    ASSERT_EQ(stream->SetTimeDivision(0xE728), kMidiOk);
    Buffer b({{0, 0, kMidiEventTempo | 100}, Note(250, 60)});
    stream->PrepareHeader(&b.header);
    stream->Out(&b.header);
    stream->Restart();
    device.AdvanceBy(1000 * kMs);
    ASSERT_EQ(device.messages.size(), 1u);
    EXPECT_EQ(device.messages[0].timeNs, 250 * kMs);
}

TEST_F(VirtualStream, RefusesWhatARealDeviceRefuses) {
    EXPECT_EQ(stream->SetTimeDivision(0), kMidiInvalidParameter);
    Buffer b({Note(0, 60)});
    EXPECT_EQ(stream->Out(&b.header), kMidiUnprepared);
    ASSERT_EQ(stream->PrepareHeader(&b.header), kMidiOk);
    ASSERT_EQ(stream->Out(&b.header), kMidiOk);
    EXPECT_EQ(stream->Out(&b.header), kMidiStillPlaying);
    EXPECT_EQ(stream->UnprepareHeader(&b.header), kMidiStillPlaying);
    EXPECT_EQ(stream->PrepareHeader(nullptr), kMidiInvalidParameter);
    // The stream would otherwise outlive the buffer it still holds.
    EXPECT_EQ(stream->Close(), kMidiOk);
}

TEST_F(VirtualStream, BuffersPlayInQueueOrderAndCarryTheTimeAcross) {
    stream->SetTimeDivision(480);
    Buffer first({Note(0, 60), Note(480, 61)});
    Buffer second({Note(240, 62)});
    for (Buffer* b : {&first, &second}) {
        stream->PrepareHeader(&b->header);
        stream->Out(&b->header);
    }
    stream->Restart();
    device.AdvanceBy(2000 * kMs);
    ASSERT_EQ(device.messages.size(), 3u);
    EXPECT_EQ(device.messages[2].timeNs, 750 * kMs) << "delta counts from the last event";
    ASSERT_EQ(recorder.Count(MidiStreamMessage::Done), 2);
    EXPECT_EQ(recorder.calls[1].second, &first.header);
    EXPECT_EQ(recorder.calls[2].second, &second.header);
}

TEST_F(VirtualStream, StopHandsEveryQueuedBufferBackAtOnce) {
    stream->SetTimeDivision(96);
    Buffer a({Note(0, 60), Note(960, 61)});
    Buffer b({Note(0, 62)});
    for (Buffer* x : {&a, &b}) {
        stream->PrepareHeader(&x->header);
        stream->Out(&x->header);
    }
    stream->Restart();
    device.AdvanceBy(100 * kMs);
    ASSERT_EQ(device.messages.size(), 1u);
    ASSERT_EQ(stream->Stop(), kMidiOk);
    EXPECT_EQ(recorder.Count(MidiStreamMessage::Done), 2);
    EXPECT_EQ(device.QueuedBuffers(), 0u);
    device.AdvanceBy(10000 * kMs);
    EXPECT_EQ(device.messages.size(), 1u) << "nothing plays after a stop";
    EXPECT_EQ(stream->UnprepareHeader(&a.header), kMidiOk);
    EXPECT_EQ(stream->Reset(), kMidiOk);
    EXPECT_EQ(recorder.Count(MidiStreamMessage::Done), 2) << "nothing left to return";
}

TEST_F(VirtualStream, CallbackBitReportsTheEventOffsetWhenPlayed) {
    stream->SetTimeDivision(96);
    Buffer b({Note(0, 60), {10, 0, kMidiEventCallback | 0xB0 | (7 << 8) | (64 << 16)}});
    stream->PrepareHeader(&b.header);
    stream->Out(&b.header);
    stream->Restart();
    device.AdvanceBy(1000 * kMs);
    ASSERT_EQ(recorder.positionOffsets.size(), 1u);
    EXPECT_EQ(recorder.positionOffsets[0], 12u);
    ASSERT_EQ(device.messages.size(), 2u);
    EXPECT_EQ(device.messages[1].message, 0xB0u | (7 << 8) | (64 << 16));
}

TEST_F(VirtualStream, ShortMessagesGoOutAtOnceAndCloseEndsTheCallbacks) {
    ASSERT_EQ(stream->ShortMessage(0x7F07B3), kMidiOk);
    ASSERT_EQ(device.messages.size(), 1u);
    EXPECT_TRUE(device.messages[0].direct);
    Buffer b({Note(0, 60)});
    stream->PrepareHeader(&b.header);
    stream->Out(&b.header);
    const uint32_t queuedFlags = b.header.flags;
    ASSERT_NE(queuedFlags & kMidiHeaderInQueue, 0u);
    ASSERT_EQ(stream->Close(), kMidiOk);
    EXPECT_EQ(stream->Close(), kMidiOk);
    EXPECT_EQ(stream->Restart(), kMidiInvalidParameter);
    EXPECT_EQ(recorder.Count(MidiStreamMessage::Done), 0) << "dropped, not returned";
    EXPECT_EQ(b.header.flags, queuedFlags) << "a closing device never writes to a header";
    EXPECT_EQ(recorder.Count(MidiStreamMessage::Closed), 1);
    EXPECT_FALSE(device.IsOpen());
}

TEST(VirtualMidiDevice, OpenCanBeMadeToFail) {
    VirtualMidiDevice device;
    device.openResult = kMidiNoDevice;
    std::unique_ptr<IMidiStream> stream;
    EXPECT_EQ(device.Factory()(-1, {}, &stream), kMidiNoDevice);
    EXPECT_EQ(stream, nullptr);
    EXPECT_EQ(device.opens, 0);
}

TEST(VirtualMidiDevice, AStreamThatRefillsAtOneInstantForEverIsCutOff) {
    VirtualMidiDevice device;
    device.maxActionsPerAdvance = 1000;
    std::unique_ptr<IMidiStream> stream;
    Buffer b({Note(0, 60)});
    ASSERT_EQ(device.Factory()(
                  -1,
                  [&](MidiStreamMessage m, MidiHeader* h) {
                      if (m == MidiStreamMessage::Done) {
                          stream->Out(h);
                      }
                  },
                  &stream),
              kMidiOk);
    stream->PrepareHeader(&b.header);
    stream->Out(&b.header);
    stream->Restart();
    device.AdvanceBy(kMs);
    EXPECT_TRUE(device.hitActionLimit);
}

TEST(FluidSynthFileOutput, FailsCleanlyWithoutASoundFont) {
    std::unique_ptr<FluidSynthFileOutput> output;
    const auto wav = std::filesystem::temp_directory_path() / "tracklace_no_font.wav";
    EXPECT_EQ(FluidSynthFileOutput::Open(wav.string(), &output, "/nonexistent/font.sf2"),
              kMidiNoDevice);
    EXPECT_EQ(output, nullptr);
    std::filesystem::remove(wav);
}

TEST(FluidSynthFileOutput, WritesWhatTheStreamPlays) {
    if (FindGeneralMidiSoundFont().empty()) {
        GTEST_SKIP() << "no General MIDI sound font installed";
    }
    const auto wav = std::filesystem::temp_directory_path() /
                     ("tracklace_file_output_" + std::to_string(::getpid()) + ".wav");
    {
        std::unique_ptr<FluidSynthFileOutput> output;
        ASSERT_EQ(FluidSynthFileOutput::Open(wav.string(), &output), kMidiOk);
        std::unique_ptr<IMidiStream> stream;
        ASSERT_EQ(output->Device().Factory()(-1, {}, &stream), kMidiOk);
        stream->SetTimeDivision(96);
        Buffer b({{0, 0, 0xC0 | (11 << 8)}, Note(0, 72, 110), {96, 0, 0x80 | (72 << 8)}});
        stream->PrepareHeader(&b.header);
        stream->Out(&b.header);
        stream->Restart();
        output->Device().AdvanceBy(1000 * kMs);
        EXPECT_EQ(output->FramesWritten() / 64, output->SampleRate() / 64);
        stream->Close();
    }
    std::ifstream in(wav, std::ios::binary);
    std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::filesystem::remove(wav);
    ASSERT_GT(bytes.size(), 44u);
    EXPECT_EQ(std::memcmp(bytes.data(), "RIFF", 4), 0);
    // 16-bit samples after the header: the note must have made some of them loud.
    int peak = 0;
    for (size_t i = 44; i + 1 < bytes.size(); i += 2) {
        int16_t s;
        std::memcpy(&s, bytes.data() + i, 2);
        peak = std::max(peak, std::abs(static_cast<int>(s)));
    }
    EXPECT_GT(peak, 1000);
}

}  // namespace
