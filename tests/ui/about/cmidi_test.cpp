#include "ui/toolkit/about/cmidi.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>

#include "platform/midi_stream/virtual_midi_device.h"
#include "tests/ui/about/smf_builder.h"

using platform::VirtualMidiDevice;
using smf::TrackData;

namespace {

constexpr int64_t kMs = 1'000'000;

uint32_t NoteOn(int channel, int key, int velocity) {
    return (0x90 | channel) | (key << 8) | (velocity << 16);
}

// A player on a virtual-clock device. At 100 ticks a quarter and the stream's starting
// tempo of 500000 microseconds a quarter, one tick lasts exactly 5 ms.
struct Player {
    VirtualMidiDevice device;
    std::unique_ptr<CMIDI> midi = std::make_unique<CMIDI>(device.Factory());
    smf::Bytes song;

    bool Open(smf::Bytes bytes) {
        song = std::move(bytes);
        return midi->OpenSong(song.data(), static_cast<uint32_t>(song.size()));
    }
    // Messages played from the buffers, with their time.
    std::vector<VirtualMidiDevice::Message> Played() const {
        std::vector<VirtualMidiDevice::Message> out;
        for (const auto& m : device.messages) {
            if (!m.direct) {
                out.push_back(m);
            }
        }
        return out;
    }
    std::vector<uint32_t> PlayedMessages() const {
        std::vector<uint32_t> out;
        for (const auto& m : Played()) {
            out.push_back(m.message);
        }
        return out;
    }
};

platform::MidiStreamEvent EventAt(CMIDI::StreamBuffer& buffer, size_t index) {
    platform::MidiStreamEvent e;
    std::memcpy(&e, buffer.data.data() + index * sizeof e, sizeof e);
    return e;
}

TEST(CMIDIOpenSong, RefusesWhatIsNoStandardMidiFileAndPlaysNothing) {
    const TrackData note = TrackData().Event(0, {0x90, 60, 100}).End(10);
    auto longHeader = smf::Header(1, 1, 100, 7);
    longHeader.push_back(0);
    smf::Append(longHeader, smf::Chunk("MTrk", note.Data()));
    auto wrongChunk = smf::Header(1, 2, 100);
    smf::Append(wrongChunk, smf::Chunk("MTrk", note.Data()));
    smf::Append(wrongChunk, smf::Chunk("MTrX", note.Data()));
    auto pastTheEnd = smf::File(100, {note});
    pastTheEnd[21] += 1;  // the track claims one byte more than there is
    auto missingTrack = smf::Header(1, 2, 100);
    smf::Append(missingTrack, smf::Chunk("MTrk", note.Data()));
    auto truncatedDelta = smf::File(100, {TrackData().Raw({0x81})});
    auto badMagic = smf::File(100, {note});
    badMagic[3] = 'D';
    const smf::Bytes shortData = {'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 1};

    const std::pair<const char*, smf::Bytes> cases[] = {
        {"header chunk length 7", longHeader},
        {"second chunk not MTrk", wrongChunk},
        {"track chunk runs past the data", pastTheEnd},
        {"fewer track chunks than the header counts", missingTrack},
        {"first delta truncated", truncatedDelta},
        {"not MThd", badMagic},
        {"shorter than a header", shortData},
        {"division 0", smf::File(0, {note})},
        {"no track", smf::Header(0, 0, 100)},
    };
    for (const auto& [what, bytes] : cases) {
        Player p;
        EXPECT_FALSE(p.Open(bytes)) << what;
        EXPECT_FALSE(p.midi->IsSongLoaded()) << what;
        EXPECT_FALSE(p.midi->StartPlayback(true)) << what;
        EXPECT_EQ(p.device.opens, 0) << what;
    }
}

TEST(CMIDIOpenSong, ReadsTheHeaderPreparesTwoBuffersAndStaysPaused) {
    Player p;
    TrackData t;
    for (int i = 0; i < 200; ++i) {
        t.Event(1, {0x90, 60, 100});
    }
    ASSERT_TRUE(p.Open(smf::File(100, {t.End(), TrackData().End()})));
    EXPECT_EQ(p.midi->TrackCount(), 2);
    EXPECT_EQ(p.midi->Format(), 1);
    EXPECT_EQ(p.midi->TimeDivision(), 100u);
    EXPECT_EQ(p.device.TimeDivision(), 100u);
    EXPECT_EQ(p.device.QueuedBuffers(), 2u);
    EXPECT_FALSE(p.device.IsRunning());
    EXPECT_EQ(p.midi->ChannelVolume(15), 100);
    EXPECT_FALSE(p.Open(p.song)) << "a second song while one is loaded";
}

TEST(CMIDIOpenSong, TheEmbeddedSongLoads) {
    Player p;
    ASSERT_TRUE(p.midi->LoadSong(210));
    EXPECT_GE(p.midi->TrackCount(), 2);
    Player missing;
    EXPECT_FALSE(missing.midi->LoadSong(9999));
}

TEST(CMIDIOpenSong, OutputThatCannotOpenLeavesThePlayerSilent) {
    Player p;
    p.device.openResult = platform::kMidiNoDevice;
    EXPECT_FALSE(p.Open(smf::File(100, {TrackData().Event(0, {0x90, 60, 100}).End()})));
    EXPECT_FALSE(p.midi->IsSongLoaded());
    EXPECT_FALSE(p.midi->StartPlayback(true));
    p.midi->SetChannelVolumes(100);
    EXPECT_TRUE(p.device.messages.empty());
    EXPECT_TRUE(p.midi->HaltPlayback(false));
}

TEST(CMIDIConversion, EmptyTrackEndsAtOnceAndTheOthersPlay) {
    Player p;
    ASSERT_TRUE(p.Open(smf::File(100, {TrackData(), TrackData().Event(10, {0x90, 64, 90}).End()})));
    EXPECT_NE(p.midi->Tracks()[0].status & CMIDI::kTrackEnded, 0u);
    EXPECT_EQ(p.midi->Tracks()[0].length, 0u);
    ASSERT_TRUE(p.midi->StartPlayback(false));
    p.device.RunUntilIdle(10'000 * kMs);
    ASSERT_EQ(p.PlayedMessages(), std::vector<uint32_t>{NoteOn(0, 64, 90)});
    EXPECT_EQ(p.Played()[0].timeNs, 50 * kMs);
}

TEST(CMIDIConversion, TracksMergeByTickWithTheLowerTrackFirstOnATie) {
    Player p;
    ASSERT_TRUE(p.Open(
        smf::File(100, {TrackData().Event(10, {0x90, 60, 1}).Event(10, {0x90, 61, 1}).End(),
                        TrackData().Event(10, {0x91, 70, 1}).Event(5, {0x91, 71, 1}).End()})));
    ASSERT_TRUE(p.midi->StartPlayback(false));
    p.device.RunUntilIdle(10'000 * kMs);
    EXPECT_EQ(p.PlayedMessages(), (std::vector<uint32_t>{NoteOn(0, 60, 1), NoteOn(1, 70, 1),
                                                         NoteOn(1, 71, 1), NoteOn(0, 61, 1)}));
    const auto played = p.Played();
    EXPECT_EQ(played[1].timeNs, played[0].timeNs);
    EXPECT_EQ(played[3].timeNs, 100 * kMs);
}

TEST(CMIDIConversion, RunningStatusPlaysLikeTheFullMessage) {
    Player p;
    ASSERT_TRUE(p.Open(smf::File(100, {TrackData()
                                           .Event(0, {0x90, 60, 100})
                                           .Event(10, {62, 101})  // running note-on
                                           .Event(10, {0xC2, 5})
                                           .Event(10, {7})  // running program change
                                           .Event(10, {0xE3, 0x00, 0x40})
                                           .Event(10, {0x10, 0x41})
                                           .End()})));
    ASSERT_TRUE(p.midi->StartPlayback(false));
    p.device.RunUntilIdle(10'000 * kMs);
    EXPECT_EQ(p.PlayedMessages(), (std::vector<uint32_t>{NoteOn(0, 60, 100), NoteOn(0, 62, 101),
                                                         0x05C2, 0x07C2, 0x4000E3, 0x4110E3}));
}

TEST(CMIDIConversion, ADataByteBeforeAnyStatusStopsTheConversion) {
    Player p;
    EXPECT_FALSE(p.Open(smf::File(100, {TrackData().Event(0, {60, 100}).End()})));

    // The same fault deep in a song: what was converted before it plays, then the music ends.
    Player q;
    TrackData good;
    good.Tempo(0, 500000);  // 12 ticks a buffer window: a few notes per buffer
    for (int i = 0; i < 10; ++i) {
        good.Event(100, {0x90, static_cast<uint8_t>(60 + i), 100});
    }
    ASSERT_TRUE(q.Open(smf::File(100, {good.End(), TrackData().Event(650, {61, 100}).End()})));
    ASSERT_TRUE(q.midi->StartPlayback(true));
    q.device.AdvanceBy(60'000 * kMs);
    // Buffers hold two notes here; the one being refilled when the fault turned up is lost.
    EXPECT_EQ(q.PlayedMessages().size(), 4u) << "the notes at ticks 100 to 400";
    EXPECT_NE(q.midi->ConversionStatus() & CMIDI::kConversionStuck, 0u);
    EXPECT_EQ(q.device.QueuedBuffers(), 0u);
    EXPECT_TRUE(q.midi->HaltPlayback(false));
    EXPECT_EQ(q.midi->HaltTimeouts(), 0) << "every buffer was home: nothing to wait for";
    EXPECT_FALSE(q.device.IsOpen());
}

TEST(CMIDIConversion, ABadEventInTheSecondBufferKeepsTheSongAndPlaysTheFirst) {
    Player p;
    TrackData good;
    good.Tempo(0, 500000);  // 12 ticks a buffer window
    for (int i = 0; i < 10; ++i) {
        good.Event(5, {0x90, static_cast<uint8_t>(60 + i), 100});
    }
    // The data byte without a status lies just beyond what the first buffer takes.
    ASSERT_TRUE(p.Open(smf::File(100, {good.End(), TrackData().Event(25, {61, 100}).End()})));
    EXPECT_TRUE(p.midi->IsSongLoaded());
    EXPECT_NE(p.midi->ConversionStatus() & CMIDI::kConversionStuck, 0u);
    EXPECT_EQ(p.device.QueuedBuffers(), 1u);
    size_t firstBufferNotes = 0;
    for (size_t i = 0; i < p.midi->Buffer(0).bytesStored / 12; ++i) {
        firstBufferNotes += (EventAt(p.midi->Buffer(0), i).event & 0xF0) == 0x90 ? 1 : 0;
    }
    ASSERT_GT(firstBufferNotes, 0u);

    ASSERT_TRUE(p.midi->StartPlayback(true));
    p.device.AdvanceBy(10'000 * kMs);
    EXPECT_EQ(p.PlayedMessages().size(), firstBufferNotes);
    EXPECT_TRUE(p.midi->HaltPlayback(true)) << "the song is kept and prepared again";
    EXPECT_EQ(p.midi->HaltTimeouts(), 0);
    ASSERT_TRUE(p.midi->StartPlayback(true));
    p.device.AdvanceBy(10'000 * kMs);
    EXPECT_EQ(p.PlayedMessages().size(), 2 * firstBufferNotes);
}

TEST(CMIDIConversion, EventsCutShortByTheTrackEndAreNeverCompletedFromOtherBytes) {
    // The note-on lacks its velocity; right behind the track lie the next chunk's bytes.
    Player p;
    EXPECT_FALSE(p.Open(
        smf::File(100, {TrackData().Raw({0x00, 0x90, 0x3C}), TrackData().Event(0, {0x90, 1, 1})})));
    // A track that stops right after a whole event, without its end event, simply ends.
    Player q;
    ASSERT_TRUE(q.Open(smf::File(100, {TrackData().Event(0, {0x90, 60, 100})})));
    ASSERT_TRUE(q.midi->StartPlayback(false));
    q.device.RunUntilIdle(1000 * kMs);
    EXPECT_EQ(q.PlayedMessages(), std::vector<uint32_t>{NoteOn(0, 60, 100)});
}

TEST(CMIDIConversion, SystemExclusiveAndMetaEventsAreNotSent) {
    Player p;
    ASSERT_TRUE(p.Open(smf::File(100, {TrackData()
                                           .Event(0, {0xF0, 0x04, 0x7E, 0x7F, 0x09, 0xF7})
                                           .Event(0, {0xFF, 0x03, 0x04, 'S', 'o', 'n', 'g'})
                                           .Event(0, {0xF7, 0x02, 0x01, 0x02})
                                           .Tempo(0, 400000)
                                           .Event(0, {0xFF, 0x7F, 0x01, 0x00})
                                           .Event(10, {0x90, 60, 100})
                                           .Event(0, {0xFF, 0x58, 0x04, 4, 2, 24, 8})
                                           .End(10)})));
    ASSERT_TRUE(p.midi->StartPlayback(false));
    p.device.RunUntilIdle(10'000 * kMs);
    EXPECT_EQ(p.PlayedMessages(), std::vector<uint32_t>{NoteOn(0, 60, 100)});
    EXPECT_EQ(p.device.Tempo(), 400000u) << "the tempo reached the stream as a tempo event";
}

TEST(CMIDIConversion, TempoZeroOrWithoutItsThreeBytesIsRefused) {
    Player zero;
    EXPECT_FALSE(zero.Open(smf::File(100, {TrackData().Tempo(0, 0).Event(10, {0x90, 60, 1})})));
    Player shortTempo;
    EXPECT_FALSE(shortTempo.Open(smf::File(
        100, {TrackData().Event(0, {0xFF, 0x51, 0x02, 0x07, 0xA1}).Event(10, {0x90, 60, 1})})));
}

TEST(CMIDIConversion, TempoChangesChangeTheTiming) {
    Player p;
    ASSERT_TRUE(p.Open(smf::File(100, {TrackData()
                                           .Tempo(0, 500000)
                                           .Event(100, {0x90, 60, 1})
                                           .Tempo(0, 250000)
                                           .Event(100, {0x90, 61, 1})
                                           .Tempo(0, 1000000)
                                           .Event(100, {0x90, 62, 1})
                                           .End()})));
    ASSERT_TRUE(p.midi->StartPlayback(false));
    p.device.RunUntilIdle(10'000 * kMs);
    const auto played = p.Played();
    ASSERT_EQ(played.size(), 3u);
    EXPECT_EQ(played[0].timeNs, 500 * kMs);
    EXPECT_EQ(played[1].timeNs, 750 * kMs);
    EXPECT_EQ(played[2].timeNs, 1750 * kMs);
    EXPECT_EQ(p.midi->CurrentTempo(), 1000000u);
    EXPECT_EQ(p.midi->TickWindow(), 100u * 60000 / 1000000);
}

TEST(CMIDIConversion, AnEventThatDoesNotFitOpensTheNextBufferWithItsDelta) {
    Player p;
    // 10 microseconds a tick and a window of 6000 ticks: only the buffer size limits.
    TrackData t;
    t.Tempo(0, 1000);
    for (int i = 0; i < 100; ++i) {
        t.Event(1, {0x90, static_cast<uint8_t>(20 + i), 100});
    }
    ASSERT_TRUE(p.Open(smf::File(100, {t.End()})));
    EXPECT_EQ(p.midi->Buffer(0).bytesStored, 85u * 12) << "the tempo and 84 notes";
    const auto first = EventAt(p.midi->Buffer(1), 0);
    EXPECT_EQ(first.deltaTicks, 1u);
    EXPECT_EQ(first.event, NoteOn(0, 20 + 84, 100));
    ASSERT_TRUE(p.midi->StartPlayback(false));
    p.device.RunUntilIdle(10'000 * kMs);
    const auto played = p.Played();
    ASSERT_EQ(played.size(), 100u);
    for (size_t i = 0; i < played.size(); ++i) {
        ASSERT_EQ(played[i].timeNs, static_cast<int64_t>(i + 1) * 10'000) << i;
        ASSERT_EQ(played[i].message, NoteOn(0, 20 + static_cast<int>(i), 100)) << i;
    }
}

TEST(CMIDIConversion, EachBufferSpansAboutOneTickWindow) {
    Player p;
    TrackData t;
    t.Tempo(0, 500000);  // window 12 ticks
    for (int i = 0; i < 40; ++i) {
        t.Event(5, {0x90, 60, 1});
    }
    ASSERT_TRUE(p.Open(smf::File(100, {t.End()})));
    for (int b = 0; b < 2; ++b) {
        auto& buffer = p.midi->Buffer(b);
        uint32_t span = 0;
        for (size_t i = 1; i < buffer.bytesStored / 12; ++i) {
            span += EventAt(buffer, i).deltaTicks;
        }
        EXPECT_LE(span, 12u + 5 + 5) << "buffer " << b;
        EXPECT_GT(buffer.bytesStored, 12u);
    }
}

TEST(CMIDIPlayback, ALoopStartsAgainWithTheFirstEventsTickAsDelta) {
    Player p;
    ASSERT_TRUE(p.Open(smf::File(
        100, {TrackData().Event(50, {0x90, 60, 100}).Event(50, {0x80, 60, 0}).End(200)})));
    ASSERT_TRUE(p.midi->StartPlayback(true));
    p.device.AdvanceBy(1300 * kMs);
    const auto played = p.Played();
    ASSERT_EQ(played.size(), 5u);
    const int64_t expected[] = {250, 500, 750, 1000, 1250};
    for (size_t i = 0; i < 5; ++i) {
        EXPECT_EQ(played[i].timeNs, expected[i] * kMs) << i;
        EXPECT_EQ(played[i].message & 0xF0, i % 2 == 0 ? 0x90u : 0x80u) << i;
    }
    EXPECT_EQ(p.midi->State(), CMIDI::kStatePlaying);
    EXPECT_EQ(p.device.QueuedBuffers(), 2u) << "both buffers stay in use for a short song";
}

TEST(CMIDIPlayback, ASongOfOneInstantDoesNotLoopForEver) {
    Player p;
    ASSERT_TRUE(p.Open(smf::File(100, {TrackData().Event(0, {0x90, 60, 100}).End(100)})));
    p.device.maxActionsPerAdvance = 10'000;
    ASSERT_TRUE(p.midi->StartPlayback(true));
    p.device.AdvanceBy(1000 * kMs);
    EXPECT_FALSE(p.device.hitActionLimit);
    EXPECT_EQ(p.PlayedMessages().size(), 1u);
}

TEST(CMIDIPlayback, WithoutLoopingTheSongEndsAndHaltingHasNothingToWaitFor) {
    Player p;
    ASSERT_TRUE(p.Open(smf::File(100, {TrackData().Event(10, {0x90, 60, 100}).End()})));
    ASSERT_TRUE(p.midi->StartPlayback(false));
    p.device.AdvanceBy(10'000 * kMs);
    EXPECT_EQ(p.midi->State(), CMIDI::kStateSongEnded);
    EXPECT_EQ(p.PlayedMessages().size(), 1u);
    EXPECT_TRUE(p.midi->HaltPlayback(false));
    EXPECT_EQ(p.midi->HaltTimeouts(), 0);
    EXPECT_EQ(p.midi->State(), CMIDI::kStatePlaying);
}

TEST(CMIDIPlayback, VolumeControllersAreReportedAndChannelVolumesSent) {
    Player p;
    ASSERT_TRUE(p.Open(smf::File(100, {TrackData()
                                           .Event(0, {0xB3, 7, 100})
                                           .Event(0, {0xB3, 10, 64})
                                           .Event(10, {0x93, 60, 1})
                                           .End()})));
    const auto volume = EventAt(p.midi->Buffer(0), 0);
    EXPECT_EQ(volume.event, platform::kMidiEventCallback | 0x6407B3);
    EXPECT_EQ(EventAt(p.midi->Buffer(0), 1).event, 0x400AB3u) << "only controller 7 reports";

    p.midi->SetChannelVolumes(50);
    EXPECT_TRUE(p.device.messages.empty()) << "not playing yet";
    ASSERT_TRUE(p.midi->StartPlayback(true));
    p.midi->SetChannelVolumes(150);
    ASSERT_EQ(p.device.messages.size(), 16u);
    for (int c = 0; c < 16; ++c) {
        EXPECT_TRUE(p.device.messages[c].direct);
        EXPECT_EQ(p.device.messages[c].message, (0xB0u + c) | (7 << 8) | (127 << 16)) << c;
        EXPECT_EQ(p.midi->ChannelVolume(c), 100);
    }
    p.midi->SetChannelVolumes(50);
    EXPECT_EQ(p.device.messages.back().message, 0xBFu | (7 << 8) | (63 << 16));
    EXPECT_EQ(p.midi->ChannelVolume(3), 50);
    p.device.AdvanceBy(10 * kMs);
    EXPECT_EQ(p.midi->PlayedVolume(3), 100 * 100 / 127);
    EXPECT_EQ(p.midi->PlayedVolume(0), 0);
}

TEST(CMIDIPlayback, HaltingWhilePlayingStopsAtOnceAndCanPrepareAgain) {
    Player p;
    TrackData t;
    for (int i = 0; i < 500; ++i) {
        t.Event(10, {0x90, static_cast<uint8_t>(i % 100), 100});
    }
    ASSERT_TRUE(p.Open(smf::File(100, {t.End()})));
    ASSERT_TRUE(p.midi->StartPlayback(true));
    p.device.AdvanceBy(1000 * kMs);
    const size_t before = p.PlayedMessages().size();
    EXPECT_EQ(before, 20u);

    ASSERT_TRUE(p.midi->HaltPlayback(true));
    EXPECT_EQ(p.midi->HaltTimeouts(), 0);
    EXPECT_FALSE(p.midi->IsPlaying());
    const auto& calls = p.device.calls;
    const auto stop = std::find(calls.rbegin(), calls.rend(), "stop").base() - 1;
    EXPECT_EQ(std::vector<std::string>(stop, calls.end()),
              (std::vector<std::string>{"stop", "reset", "unprepare", "unprepare", "close", "open",
                                        "division 100", "prepare", "out", "prepare", "out"}));
    EXPECT_EQ(p.device.opens, 2) << "reopened and prepared for a new start";
    EXPECT_EQ(p.device.QueuedBuffers(), 2u);
    p.device.AdvanceBy(5000 * kMs);
    EXPECT_EQ(p.PlayedMessages().size(), before) << "silent until started again";

    ASSERT_TRUE(p.midi->StartPlayback(true));
    p.device.AdvanceBy(50 * kMs);
    ASSERT_EQ(p.PlayedMessages().size(), before + 1);
    EXPECT_EQ(p.PlayedMessages().back(), NoteOn(0, 0, 100)) << "from the start of the song";

    ASSERT_TRUE(p.midi->HaltPlayback(false));
    EXPECT_FALSE(p.device.IsOpen());
    p.device.AdvanceBy(5000 * kMs);
    EXPECT_EQ(p.PlayedMessages().size(), before + 1);
    EXPECT_FALSE(p.midi->StartPlayback(true)) << "closed for good";
}

TEST(CMIDIPlayback, StartingWhilePlayingBeginsTheSongAgain) {
    Player p;
    TrackData t;
    for (int i = 0; i < 50; ++i) {
        t.Event(10, {0x90, static_cast<uint8_t>(i), 100});
    }
    ASSERT_TRUE(p.Open(smf::File(100, {t.End()})));
    ASSERT_TRUE(p.midi->StartPlayback(true));
    p.device.AdvanceBy(500 * kMs);
    ASSERT_TRUE(p.midi->StartPlayback(true));
    p.device.AdvanceBy(50 * kMs);
    EXPECT_EQ(p.PlayedMessages().back(), NoteOn(0, 0, 100));
    EXPECT_EQ(p.device.opens, 2);
}

TEST(CMIDIPlayback, DestroyingThePlayerClosesTheStream) {
    Player p;
    ASSERT_TRUE(p.Open(smf::File(100, {TrackData().Event(10, {0x90, 60, 100}).End(1000)})));
    ASSERT_TRUE(p.midi->StartPlayback(true));
    p.midi.reset();
    EXPECT_FALSE(p.device.IsOpen());
    EXPECT_EQ(p.device.closes, 1);
}

}  // namespace
