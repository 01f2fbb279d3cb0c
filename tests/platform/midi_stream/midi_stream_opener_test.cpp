#include "platform/midi_stream/midi_stream_opener.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <future>
#include <thread>
#include <vector>

#include "platform/midi_stream/virtual_midi_device.h"

using namespace platform;

namespace {

TEST(MidiStreamOpener, HandsTheStreamOverOnceWithItsCallbacks) {
    VirtualMidiDevice device;
    std::promise<std::thread::id> ready;
    MidiStreamOpener opener(device.Factory(), -1,
                            [&] { ready.set_value(std::this_thread::get_id()); });
    EXPECT_NE(ready.get_future().get(), std::this_thread::get_id())
        << "opened on a thread of its own";
    EXPECT_TRUE(opener.IsDone()) << "done before it says it is ready";

    std::vector<MidiStreamMessage> received;
    std::unique_ptr<IMidiStream> stream;
    ASSERT_EQ(opener.Take(
                  -1, [&](MidiStreamMessage m, MidiHeader*) { received.push_back(m); }, &stream),
              kMidiOk);
    ASSERT_NE(stream, nullptr);
    ASSERT_EQ(received, std::vector<MidiStreamMessage>{MidiStreamMessage::Opened})
        << "the opened message reaches the one who took the stream";

    // Buffers come back to the new callback.
    uint8_t event[12] = {0, 0, 0, 0, 0, 0, 0, 0, 0x90, 60, 100, 0};
    MidiHeader header{event, 12, 12, 0, 0};
    ASSERT_EQ(stream->PrepareHeader(&header), kMidiOk);
    ASSERT_EQ(stream->Out(&header), kMidiOk);
    ASSERT_EQ(stream->Restart(), kMidiOk);
    device.AdvanceBy(10'000'000);
    EXPECT_EQ(received.back(), MidiStreamMessage::Done);

    std::unique_ptr<IMidiStream> second;
    EXPECT_EQ(opener.Take(-1, {}, &second), kMidiNoDevice) << "only once";
    EXPECT_EQ(second, nullptr);
    EXPECT_EQ(opener.Take(-1, {}, nullptr), kMidiInvalidParameter);
    stream->Close();
    EXPECT_EQ(received.back(), MidiStreamMessage::Closed);
}

TEST(MidiStreamOpener, PassesAFailedOpeningOn) {
    VirtualMidiDevice device;
    device.openResult = kMidiNoDevice;
    MidiStreamOpener opener(device.Factory(), -1);
    opener.Wait();
    std::unique_ptr<IMidiStream> stream;
    EXPECT_EQ(opener.Take(-1, {}, &stream), kMidiNoDevice);
    EXPECT_EQ(stream, nullptr);
}

TEST(MidiStreamOpener, NothingToTakeBeforeTheOpeningIsOver) {
    VirtualMidiDevice device;
    std::atomic<bool> release{false};
    auto slow = [&, open = device.Factory()](int d, MidiStreamCallback callback,
                                             std::unique_ptr<IMidiStream>* stream) {
        while (!release) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        return open(d, std::move(callback), stream);
    };
    MidiStreamOpener opener(slow, -1);
    std::unique_ptr<IMidiStream> stream;
    EXPECT_FALSE(opener.IsDone());
    EXPECT_EQ(opener.Take(-1, {}, &stream), kMidiNoDevice);
    release = true;
    opener.Wait();
    EXPECT_EQ(opener.Take(-1, {}, &stream), kMidiOk);
    EXPECT_NE(stream, nullptr);
}

TEST(MidiStreamOpener, AStreamNobodyTookIsClosedWithTheOpener) {
    VirtualMidiDevice device;
    std::atomic<bool> release{false};
    auto slow = [&, open = device.Factory()](int d, MidiStreamCallback callback,
                                             std::unique_ptr<IMidiStream>* stream) {
        while (!release) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        return open(d, std::move(callback), stream);
    };
    {
        auto opener = std::make_unique<MidiStreamOpener>(slow, -1);
        std::thread late([&] {
            std::this_thread::sleep_for(std::chrono::milliseconds(30));
            release = true;
        });
        opener.reset();  // waits for the opening still under way
        late.join();
    }
    EXPECT_EQ(device.opens, 1);
    EXPECT_EQ(device.closes, 1);
    EXPECT_FALSE(device.IsOpen());
}

}  // namespace
