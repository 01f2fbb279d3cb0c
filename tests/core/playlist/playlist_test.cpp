#include "core/playlist/playlist.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// Counts live entries, so that tests see every destruction the list performs.
int g_liveEntries = 0;

class CountedEntry : public CPlaylistElement {
public:
    explicit CountedEntry(const std::string& name) {
        SetFileName(name + ".mp3");
        ++g_liveEntries;
    }
    ~CountedEntry() override { --g_liveEntries; }
};

CPlaylistElement* Entry(const std::string& name) {
    return new CountedEntry(name);
}

// The names from head to tail. Checks on the way that the backward links mirror the
// forward ones and that the chain has exactly GetCount entries.
std::vector<std::string> Names(const CPlaylist& list) {
    std::vector<std::string> names;
    const CPlaylistElement* previous = nullptr;
    for (const CPlaylistElement* e = list.PeekHead(); e != nullptr; e = e->GetNext()) {
        EXPECT_EQ(e->GetPrevious(), previous) << "broken back link at " << e->GetName();
        names.push_back(e->GetName());
        previous = e;
        if (names.size() > static_cast<std::size_t>(list.GetCount())) {
            ADD_FAILURE() << "chain longer than the count";
            break;
        }
    }
    EXPECT_EQ(names.size(), static_cast<std::size_t>(list.GetCount()));
    return names;
}

// The entry the cursor points at, checked against the index the list claims for it.
// A seek to the cursor index starts at the cursor itself unless the index is 0.
std::string CursorName(CPlaylist& list) {
    const std::int32_t index = list.GetCursorIndex();
    CPlaylistElement* e = list.GetAt(index);
    EXPECT_NE(e, nullptr);
    if (index > 0) {
        EXPECT_EQ(list.GetLastSeekStart(), CPlaylist::SeekStart::Cursor);
        EXPECT_EQ(list.GetLastSeekSteps(), 0);
    }
    return e != nullptr ? e->GetName() : std::string();
}

using Names_t = std::vector<std::string>;

class PlaylistTest : public ::testing::Test {
protected:
    void SetUp() override { g_liveEntries = 0; }
    void TearDown() override { EXPECT_EQ(g_liveEntries, 0) << "entries leaked or freed twice"; }

    void Fill(CPlaylist& list, int count) {
        for (int i = 0; i < count; ++i) {
            ASSERT_EQ(list.AddTail(Entry(std::to_string(i))), i + 1);
        }
    }
};

}  // namespace

TEST(PlaylistElement, NewEntryIsEmptyAndUnlinked) {
    CPlaylistElement e;
    EXPECT_EQ(e.GetFolder(), "");
    EXPECT_EQ(e.GetName(), "");
    EXPECT_EQ(e.GetExtension(), "");
    EXPECT_EQ(e.GetNext(), nullptr);
    EXPECT_EQ(e.GetPrevious(), nullptr);
}

TEST(PlaylistElement, SetPathWindowsStyle) {
    CPlaylistElement e;
    e.SetPath("C:\\Music\\Rock\\song.mp3", PathStyle::Windows);
    EXPECT_EQ(e.GetFolder(), "C:\\Music\\Rock\\");
    EXPECT_EQ(e.GetName(), "song");
    EXPECT_EQ(e.GetExtension(), "mp3");
    EXPECT_EQ(e.GetFileName(), "song.mp3");
    EXPECT_EQ(e.GetFullPath(), "C:\\Music\\Rock\\song.mp3");

    // "/" separates too; the folder still gets the preferred separator, which Windows
    // reads as the same path. A drive without a directory gets its separator.
    e.SetPath("D:/Live/a.ogg", PathStyle::Windows);
    EXPECT_EQ(e.GetFolder(), "D:/Live/\\");
    EXPECT_EQ(e.GetExtension(), "ogg");
    EXPECT_EQ(e.GetName(), "a");
    e.SetPath("C:song.mp3", PathStyle::Windows);
    EXPECT_EQ(e.GetFolder(), "C:\\");
    EXPECT_EQ(e.GetFileName(), "song.mp3");
}

TEST(PlaylistElement, SetPathPosixStyle) {
    CPlaylistElement e;
    e.SetPath("/music/rock/song.mp3");
    EXPECT_EQ(e.GetFolder(), "/music/rock/");
    EXPECT_EQ(e.GetName(), "song");
    EXPECT_EQ(e.GetExtension(), "mp3");
    EXPECT_EQ(e.GetFullPath(), "/music/rock/song.mp3");

    // No drive letters and no backslash separators on POSIX: both are file name bytes.
    e.SetPath("/music/C:\\x\\y.mp3");
    EXPECT_EQ(e.GetFolder(), "/music/");
    EXPECT_EQ(e.GetName(), "C:\\x\\y");
    EXPECT_EQ(e.GetFullPath(), "/music/C:\\x\\y.mp3");
}

TEST(PlaylistElement, PathsMadeOfSeparatorsOrNothing) {
    CPlaylistElement e;
    e.SetPath("/");
    EXPECT_EQ(e.GetFolder(), "/");
    EXPECT_EQ(e.GetName(), "");
    EXPECT_EQ(e.GetExtension(), "");
    EXPECT_EQ(e.GetFullPath(), "/");

    e.SetPath("\\", PathStyle::Windows);
    EXPECT_EQ(e.GetFolder(), "\\");
    EXPECT_EQ(e.GetFullPath(), "\\");

    e.SetPath("");
    EXPECT_EQ(e.GetFolder(), "/");
    EXPECT_EQ(e.GetName(), "");
    EXPECT_EQ(e.GetFullPath(), "/");

    // A folder path ending in a separator has an empty file name.
    e.SetPath("/music/rock/");
    EXPECT_EQ(e.GetFolder(), "/music/rock/");
    EXPECT_EQ(e.GetName(), "");
    EXPECT_EQ(e.GetExtension(), "");
}

TEST(PlaylistElement, DotsInFileNames) {
    CPlaylistElement e;
    e.SetFileName("a.b.mp3");
    EXPECT_EQ(e.GetName(), "a.b");
    EXPECT_EQ(e.GetExtension(), "mp3");
    EXPECT_EQ(e.GetFileName(), "a.b.mp3");

    e.SetFileName("readme");
    EXPECT_EQ(e.GetName(), "readme");
    EXPECT_EQ(e.GetExtension(), "");
    EXPECT_EQ(e.GetFileName(), "readme");

    e.SetFileName("take.");
    EXPECT_EQ(e.GetName(), "take");
    EXPECT_EQ(e.GetExtension(), "");
    EXPECT_EQ(e.GetFileName(), "take.");

    e.SetFileName(".mp3");
    EXPECT_EQ(e.GetName(), "");
    EXPECT_EQ(e.GetExtension(), "mp3");
    EXPECT_EQ(e.GetFileName(), ".mp3");

    e.SetFileName("");
    EXPECT_EQ(e.GetName(), "");
    EXPECT_EQ(e.GetFileName(), "");

    // The dot search only looks at the file name, never into the folder.
    e.SetPath("/music/v1.2/track");
    EXPECT_EQ(e.GetFolder(), "/music/v1.2/");
    EXPECT_EQ(e.GetName(), "track");
    EXPECT_EQ(e.GetExtension(), "");
    EXPECT_EQ(e.GetFullPath(), "/music/v1.2/track");

    // Multi-byte UTF-8 around the dot stays whole.
    e.SetPath("/musik/Grüße.Ünd.flac");
    EXPECT_EQ(e.GetName(), "Grüße.Ünd");
    EXPECT_EQ(e.GetExtension(), "flac");
}

TEST(PlaylistElement, SetFolderAppendsTheStyleSeparatorOnce) {
    CPlaylistElement e;
    e.SetFolder("/music");
    EXPECT_EQ(e.GetFolder(), "/music/");
    e.SetFolder("/music/");
    EXPECT_EQ(e.GetFolder(), "/music/");
    e.SetFolder("");
    EXPECT_EQ(e.GetFolder(), "/");
    e.SetFolder("C:\\Music", PathStyle::Windows);
    EXPECT_EQ(e.GetFolder(), "C:\\Music\\");
    e.SetFolder("", PathStyle::Windows);
    EXPECT_EQ(e.GetFolder(), "\\");
}

TEST_F(PlaylistTest, NewPlaylistIsEmpty) {
    CPlaylist list;
    EXPECT_TRUE(list.IsEmpty());
    EXPECT_EQ(list.GetCount(), 0);
    EXPECT_EQ(list.GetCursorIndex(), -1);
    EXPECT_EQ(list.GetHead(), nullptr);
    EXPECT_EQ(list.PeekHead(), nullptr);
    EXPECT_EQ(list.GetType(), 0);
    EXPECT_EQ(list.GetFolder(), "");
    EXPECT_EQ(list.GetName(), "");
}

TEST_F(PlaylistTest, AddHeadAndAddTailReturnTheNewCountAndMoveTheCursor) {
    CPlaylist list;
    EXPECT_EQ(list.AddTail(Entry("b")), 1);
    EXPECT_EQ(list.GetCursorIndex(), 0);
    EXPECT_EQ(list.AddHead(Entry("a")), 2);
    EXPECT_EQ(list.GetCursorIndex(), 0);
    EXPECT_EQ(CursorName(list), "a");
    EXPECT_EQ(list.AddTail(Entry("c")), 3);
    EXPECT_EQ(list.GetCursorIndex(), 2);
    EXPECT_EQ(CursorName(list), "c");
    EXPECT_EQ(Names(list), (Names_t{"a", "b", "c"}));
    EXPECT_EQ(g_liveEntries, 3);

    CPlaylist other;
    EXPECT_EQ(other.AddHead(Entry("x")), 1);
    EXPECT_EQ(other.GetCursorIndex(), 0);
    EXPECT_FALSE(other.IsEmpty());
}

TEST_F(PlaylistTest, RefusedEntriesStayWithTheCaller) {
    CPlaylist list;
    EXPECT_EQ(list.AddHead(nullptr), 0);
    EXPECT_EQ(list.AddTail(nullptr), 0);
    EXPECT_TRUE(list.IsEmpty());

    CPlaylistElement* e = Entry("e");
    EXPECT_EQ(list.InsertBefore(0, e), 0);  // empty list takes entries only through Add*
    EXPECT_EQ(list.InsertAfter(0, e), 0);
    EXPECT_EQ(list.InsertBefore(-1, e), 0);
    EXPECT_EQ(list.InsertAfter(-1, e), 0);
    EXPECT_EQ(g_liveEntries, 1);

    ASSERT_EQ(list.AddTail(e), 1);
    // The same entry twice would make a cycle and a double destruction.
    EXPECT_EQ(list.AddTail(e), 0);
    EXPECT_EQ(list.AddHead(e), 0);
    EXPECT_EQ(list.InsertBefore(0, e), 0);
    ASSERT_EQ(list.AddTail(Entry("f")), 2);
    CPlaylistElement* linked = list.GetAt(1);
    EXPECT_EQ(list.AddHead(linked), 0);
    EXPECT_EQ(list.InsertAfter(0, linked), 0);
    EXPECT_EQ(list.InsertBefore(1, nullptr), 0);
    EXPECT_EQ(Names(list), (Names_t{"e", "f"}));

    CPlaylistElement* outside = Entry("o");
    EXPECT_EQ(list.InsertBefore(2, outside), 0);
    EXPECT_EQ(list.InsertAfter(2, outside), 0);
    EXPECT_EQ(list.InsertBefore(-1, outside), 0);
    EXPECT_EQ(g_liveEntries, 3);
    delete outside;  // refused, so still ours
}

TEST_F(PlaylistTest, InsertIntoOneEntryList) {
    CPlaylist list;
    list.AddTail(Entry("m"));
    EXPECT_EQ(list.InsertBefore(0, Entry("first")), 1);
    EXPECT_EQ(Names(list), (Names_t{"first", "m"}));
    EXPECT_EQ(list.GetCursorIndex(), 0);

    CPlaylist other;
    other.AddTail(Entry("m"));
    CPlaylistElement* e = Entry("x");
    EXPECT_EQ(other.InsertAfter(1, e), 0);
    EXPECT_EQ(other.InsertBefore(1, e), 0);
    EXPECT_EQ(other.InsertAfter(0, e), 1);
    EXPECT_EQ(Names(other), (Names_t{"m", "x"}));
    EXPECT_EQ(other.GetCursorIndex(), 1);
    EXPECT_EQ(CursorName(other), "x");
}

TEST_F(PlaylistTest, InsertBeforeAtHeadMiddleAndTail) {
    CPlaylist list;
    Fill(list, 4);  // 0 1 2 3
    EXPECT_EQ(list.InsertBefore(0, Entry("h")), 1);
    EXPECT_EQ(Names(list), (Names_t{"h", "0", "1", "2", "3"}));
    EXPECT_EQ(list.GetCursorIndex(), 0);

    EXPECT_EQ(list.InsertBefore(2, Entry("m")), 1);
    EXPECT_EQ(Names(list), (Names_t{"h", "0", "m", "1", "2", "3"}));
    EXPECT_EQ(list.GetCursorIndex(), 2);
    EXPECT_EQ(CursorName(list), "m");

    // Before the tail is not the tail: the new entry goes second to last.
    EXPECT_EQ(list.InsertBefore(5, Entry("t")), 1);
    EXPECT_EQ(Names(list), (Names_t{"h", "0", "m", "1", "2", "t", "3"}));
    EXPECT_EQ(list.GetCursorIndex(), 5);
    EXPECT_EQ(CursorName(list), "t");
    EXPECT_EQ(list.GetCount(), 7);
    EXPECT_EQ(list.GetAt(6)->GetName(), "3");
    EXPECT_EQ(list.GetAt(7), nullptr);
}

TEST_F(PlaylistTest, InsertAfterAtHeadMiddleAndTail) {
    CPlaylist list;
    Fill(list, 4);
    EXPECT_EQ(list.InsertAfter(0, Entry("h")), 1);
    EXPECT_EQ(Names(list), (Names_t{"0", "h", "1", "2", "3"}));
    EXPECT_EQ(list.GetCursorIndex(), 1);
    EXPECT_EQ(CursorName(list), "h");

    EXPECT_EQ(list.InsertAfter(2, Entry("m")), 1);
    EXPECT_EQ(Names(list), (Names_t{"0", "h", "1", "m", "2", "3"}));
    EXPECT_EQ(list.GetCursorIndex(), 3);
    EXPECT_EQ(CursorName(list), "m");

    EXPECT_EQ(list.InsertAfter(5, Entry("t")), 1);
    EXPECT_EQ(Names(list), (Names_t{"0", "h", "1", "m", "2", "3", "t"}));
    EXPECT_EQ(list.GetCursorIndex(), 6);
    EXPECT_EQ(CursorName(list), "t");
    EXPECT_EQ(list.GetAt(6)->GetNext(), nullptr);
}

TEST_F(PlaylistTest, RemoveHeadAndTail) {
    CPlaylist list;
    EXPECT_EQ(list.RemoveHead(), 0);
    EXPECT_EQ(list.RemoveTail(), 0);
    Fill(list, 4);
    list.GetAt(2);
    EXPECT_EQ(list.RemoveHead(), 1);
    EXPECT_EQ(Names(list), (Names_t{"1", "2", "3"}));
    EXPECT_EQ(list.GetCursorIndex(), 0);
    EXPECT_EQ(CursorName(list), "1");
    EXPECT_EQ(list.PeekHead()->GetPrevious(), nullptr);

    EXPECT_EQ(list.RemoveTail(), 1);
    EXPECT_EQ(Names(list), (Names_t{"1", "2"}));
    EXPECT_EQ(list.GetCursorIndex(), 1);
    EXPECT_EQ(CursorName(list), "2");
    EXPECT_EQ(list.GetAt(1)->GetNext(), nullptr);
    EXPECT_EQ(g_liveEntries, 2);

    EXPECT_EQ(list.RemoveTail(), 1);
    EXPECT_EQ(list.RemoveTail(), 1);
    EXPECT_TRUE(list.IsEmpty());
    EXPECT_EQ(list.GetCursorIndex(), -1);
    EXPECT_EQ(list.PeekHead(), nullptr);
    EXPECT_EQ(g_liveEntries, 0);

    // An emptied list works like a new one.
    EXPECT_EQ(list.AddTail(Entry("again")), 1);
    EXPECT_EQ(Names(list), (Names_t{"again"}));
}

TEST_F(PlaylistTest, RemoveAtHeadMiddleTailAndOutOfRange) {
    CPlaylist list;
    EXPECT_EQ(list.RemoveAt(0), 0);
    Fill(list, 5);  // 0 1 2 3 4
    EXPECT_EQ(list.RemoveAt(-1), 0);
    EXPECT_EQ(list.RemoveAt(5), 0);
    EXPECT_EQ(g_liveEntries, 5);

    EXPECT_EQ(list.RemoveAt(2), 1);
    EXPECT_EQ(Names(list), (Names_t{"0", "1", "3", "4"}));
    EXPECT_EQ(list.GetCursorIndex(), 2);
    EXPECT_EQ(CursorName(list), "3");

    EXPECT_EQ(list.RemoveAt(0), 1);
    EXPECT_EQ(Names(list), (Names_t{"1", "3", "4"}));
    EXPECT_EQ(list.GetCursorIndex(), 0);

    EXPECT_EQ(list.RemoveAt(2), 1);
    EXPECT_EQ(Names(list), (Names_t{"1", "3"}));
    EXPECT_EQ(list.GetCursorIndex(), 1);
    EXPECT_EQ(CursorName(list), "3");
    EXPECT_EQ(list.RemoveAt(2), 0);

    EXPECT_EQ(list.RemoveAt(1), 1);
    EXPECT_EQ(list.RemoveAt(1), 0);  // one entry: only index 0
    EXPECT_EQ(list.RemoveAt(0), 1);
    EXPECT_TRUE(list.IsEmpty());
    EXPECT_EQ(list.GetCursorIndex(), -1);
    EXPECT_EQ(g_liveEntries, 0);
}

TEST_F(PlaylistTest, RemoveAllDestroysEverything) {
    CPlaylist list;
    EXPECT_EQ(list.RemoveAll(), 0);
    Fill(list, 6);
    list.GetAt(3);
    EXPECT_EQ(list.RemoveAll(), 1);
    EXPECT_TRUE(list.IsEmpty());
    EXPECT_EQ(list.GetCursorIndex(), -1);
    EXPECT_EQ(list.GetHead(), nullptr);
    EXPECT_EQ(g_liveEntries, 0);
    EXPECT_EQ(list.RemoveAll(), 0);
}

TEST_F(PlaylistTest, DestroyingThePlaylistDestroysItsEntries) {
    {
        CPlaylist list;
        Fill(list, 3);
        list.InsertAfter(1, Entry("x"));
        EXPECT_EQ(g_liveEntries, 4);
    }
    EXPECT_EQ(g_liveEntries, 0);
}

TEST_F(PlaylistTest, MoveUpAndDownSwapNeighbours) {
    CPlaylist list;
    Fill(list, 4);  // 0 1 2 3
    EXPECT_EQ(list.MoveUp(2), 1);
    EXPECT_EQ(Names(list), (Names_t{"0", "2", "1", "3"}));
    EXPECT_EQ(list.GetCursorIndex(), 1);
    EXPECT_EQ(CursorName(list), "2");

    EXPECT_EQ(list.MoveDown(1), 1);
    EXPECT_EQ(Names(list), (Names_t{"0", "1", "2", "3"}));
    EXPECT_EQ(list.GetCursorIndex(), 2);
    EXPECT_EQ(CursorName(list), "2");

    // Into the head and into the tail position.
    EXPECT_EQ(list.MoveUp(1), 1);
    EXPECT_EQ(Names(list), (Names_t{"1", "0", "2", "3"}));
    EXPECT_EQ(list.GetCursorIndex(), 0);
    EXPECT_EQ(list.PeekHead()->GetName(), "1");
    EXPECT_EQ(list.MoveDown(2), 1);
    EXPECT_EQ(Names(list), (Names_t{"1", "0", "3", "2"}));
    EXPECT_EQ(list.GetCursorIndex(), 3);
    EXPECT_EQ(CursorName(list), "2");
    EXPECT_EQ(list.GetAt(3)->GetNext(), nullptr);

    // Out of the tail and out of the head position.
    EXPECT_EQ(list.MoveUp(3), 1);
    EXPECT_EQ(Names(list), (Names_t{"1", "0", "2", "3"}));
    EXPECT_EQ(list.GetAt(3)->GetName(), "3");
    EXPECT_EQ(list.MoveDown(0), 1);
    EXPECT_EQ(Names(list), (Names_t{"0", "1", "2", "3"}));
    EXPECT_EQ(list.GetCursorIndex(), 1);
}

TEST_F(PlaylistTest, MoveRefusedAtTheEndsAndOutOfRange) {
    CPlaylist list;
    EXPECT_EQ(list.MoveUp(0), 0);
    EXPECT_EQ(list.MoveDown(0), 0);
    list.AddTail(Entry("only"));
    EXPECT_EQ(list.MoveUp(0), 0);
    EXPECT_EQ(list.MoveDown(0), 0);
    list.AddTail(Entry("0"));
    list.AddTail(Entry("1"));
    list.GetAt(1);
    EXPECT_EQ(list.MoveUp(0), 0);
    EXPECT_EQ(list.MoveDown(2), 0);
    EXPECT_EQ(list.MoveUp(3), 0);
    EXPECT_EQ(list.MoveDown(3), 0);
    EXPECT_EQ(list.MoveUp(-1), 0);
    EXPECT_EQ(list.MoveDown(-1), 0);
    EXPECT_EQ(Names(list), (Names_t{"only", "0", "1"}));
    EXPECT_EQ(list.GetCursorIndex(), 1);  // a refused move leaves the cursor alone
}

TEST_F(PlaylistTest, MoveUpInTwoEntryListMakesTheMovedEntryTheHead) {
    CPlaylist list;
    Fill(list, 2);
    EXPECT_EQ(list.MoveUp(1), 1);
    EXPECT_EQ(Names(list), (Names_t{"1", "0"}));
    EXPECT_EQ(list.GetCursorIndex(), 0);
    EXPECT_EQ(list.PeekHead()->GetPrevious(), nullptr);
    EXPECT_EQ(list.GetAt(1)->GetNext(), nullptr);
    EXPECT_EQ(list.MoveDown(0), 1);
    EXPECT_EQ(Names(list), (Names_t{"0", "1"}));
    EXPECT_EQ(list.GetCursorIndex(), 1);
    // The tail moved: appending must link after the new tail.
    list.AddTail(Entry("2"));
    EXPECT_EQ(Names(list), (Names_t{"0", "1", "2"}));
}

TEST_F(PlaylistTest, GetAtOutOfRange) {
    CPlaylist list;
    EXPECT_EQ(list.GetAt(0), nullptr);
    EXPECT_EQ(list.GetAt(-1), nullptr);
    Fill(list, 3);
    list.GetAt(1);
    EXPECT_EQ(list.GetAt(-1), nullptr);
    EXPECT_EQ(list.GetAt(3), nullptr);
    EXPECT_EQ(list.GetAt(INT32_MIN), nullptr);
    EXPECT_EQ(list.GetAt(INT32_MAX), nullptr);
    EXPECT_EQ(list.GetCursorIndex(), 1);
}

TEST_F(PlaylistTest, SeekStartsAtTheNearestPointWithTieBreaks) {
    CPlaylist list;
    Fill(list, 9);  // indices 0..8
    using S = CPlaylist::SeekStart;

    // Head 4, tail 4: the head wins the tie with the tail (cursor at 8 is 4 away too).
    list.GetAt(8);
    list.GetAt(4);
    EXPECT_EQ(list.GetLastSeekStart(), S::Head);
    EXPECT_EQ(list.GetLastSeekSteps(), 4);

    // Head 2, cursor 2 (from 4): the head wins.
    list.GetAt(2);
    EXPECT_EQ(list.GetLastSeekStart(), S::Head);

    // Head 3, cursor 1 (from 2): the cursor is nearer.
    list.GetAt(3);
    EXPECT_EQ(list.GetLastSeekStart(), S::Cursor);
    EXPECT_EQ(list.GetLastSeekSteps(), 1);

    // Tail 2, cursor 3 (from 3): the tail is nearer.
    list.GetAt(6);
    EXPECT_EQ(list.GetLastSeekStart(), S::Tail);
    EXPECT_EQ(list.GetLastSeekSteps(), 2);
    EXPECT_EQ(list.GetAt(6)->GetName(), "6");

    // Tail 3, cursor 3 (from 8): the cursor wins the tie with the tail, and walks back.
    list.GetAt(8);
    list.GetAt(5);
    EXPECT_EQ(list.GetLastSeekStart(), S::Cursor);
    EXPECT_EQ(list.GetLastSeekSteps(), 3);
    EXPECT_EQ(list.GetAt(5)->GetName(), "5");

    // Cursor 1 (from 5), head 4: the cursor walks back one link.
    list.GetAt(4);
    EXPECT_EQ(list.GetLastSeekStart(), S::Cursor);
    EXPECT_EQ(list.GetLastSeekSteps(), 1);
    EXPECT_EQ(list.GetCursorIndex(), 4);

    // Head 1, tail 7, cursor 3 (from 4): the head.
    list.GetAt(1);
    EXPECT_EQ(list.GetLastSeekStart(), S::Head);
    EXPECT_EQ(list.GetLastSeekSteps(), 1);
}

TEST_F(PlaylistTest, WalkingInEitherDirectionCostsOneLinkPerEntry) {
    CPlaylist list;
    Fill(list, 50);
    for (int i = 0; i < 50; ++i) {
        CPlaylistElement* e = list.GetAt(i);
        ASSERT_NE(e, nullptr);
        EXPECT_EQ(e->GetName(), std::to_string(i));
        EXPECT_LE(list.GetLastSeekSteps(), 1) << "at " << i;
    }
    for (int i = 49; i >= 0; --i) {
        CPlaylistElement* e = list.GetAt(i);
        ASSERT_NE(e, nullptr);
        EXPECT_EQ(e->GetName(), std::to_string(i));
        EXPECT_LE(list.GetLastSeekSteps(), 1) << "at " << i;
    }
}

TEST_F(PlaylistTest, GetHeadMovesTheCursor) {
    CPlaylist list;
    Fill(list, 5);
    EXPECT_EQ(list.GetCursorIndex(), 4);
    CPlaylistElement* head = list.GetHead();
    ASSERT_NE(head, nullptr);
    EXPECT_EQ(head->GetName(), "0");
    EXPECT_EQ(list.GetCursorIndex(), 0);
    EXPECT_EQ(list.PeekHead(), head);
}

TEST_F(PlaylistTest, IndicesStayConsistentThroughMixedEdits) {
    // Model the list as a vector and check every index after each edit.
    CPlaylist list;
    std::vector<std::string> model;
    int next = 0;
    auto name = [&next] { return std::to_string(next++); };
    for (int round = 0; round < 200; ++round) {
        const int count = static_cast<int>(model.size());
        const int index = count == 0 ? 0 : (round * 7) % count;
        switch (round % 6) {
            case 0: {
                std::string n = name();
                ASSERT_EQ(list.AddTail(Entry(n)), count + 1);
                model.push_back(n);
                break;
            }
            case 1: {
                std::string n = name();
                if (count == 0) {
                    ASSERT_EQ(list.AddHead(Entry(n)), 1);
                    model.insert(model.begin(), n);
                } else {
                    ASSERT_EQ(list.InsertBefore(index, Entry(n)), 1);
                    model.insert(model.begin() + index, n);
                }
                break;
            }
            case 2:
                if (count > 0) {
                    std::string n = name();
                    ASSERT_EQ(list.InsertAfter(index, Entry(n)), 1);
                    model.insert(model.begin() + index + 1, n);
                }
                break;
            case 3:
                if (count > 0 && round % 4 == 0) {
                    ASSERT_EQ(list.RemoveAt(index), 1);
                    model.erase(model.begin() + index);
                }
                break;
            case 4:
                if (index > 0) {
                    ASSERT_EQ(list.MoveUp(index), 1);
                    std::swap(model[index], model[index - 1]);
                }
                break;
            case 5:
                if (index + 1 < count) {
                    ASSERT_EQ(list.MoveDown(index), 1);
                    std::swap(model[index], model[index + 1]);
                }
                break;
        }
        ASSERT_EQ(Names(list), model) << "after round " << round;
        ASSERT_EQ(list.GetCount(), static_cast<std::int32_t>(model.size()));
        if (!model.empty()) {
            const int probe = (round * 13) % static_cast<int>(model.size());
            ASSERT_EQ(list.GetAt(probe)->GetName(), model[probe]);
        }
    }
    EXPECT_EQ(g_liveEntries, static_cast<int>(model.size()));
}

TEST(Playlist, FolderNameTypeAndFilePath) {
    CPlaylist list;
    list.SetFolder("D:\\Lists", PathStyle::Windows);
    EXPECT_EQ(list.GetFolder(), "D:\\Lists\\");
    list.SetFolder("D:\\Lists\\", PathStyle::Windows);
    EXPECT_EQ(list.GetFolder(), "D:\\Lists\\");
    list.SetName("Party");
    list.SetTypeFromExtension(".m3u");
    EXPECT_EQ(list.GetType(), 1);
    EXPECT_EQ(list.GetFilePath(), "D:\\Lists\\Party.m3u");

    list.SetFolder("/home/me/lists");
    EXPECT_EQ(list.GetFolder(), "/home/me/lists/");
    list.SetTypeFromExtension(".PLS");
    EXPECT_EQ(list.GetType(), 0);
    EXPECT_EQ(list.GetFilePath(), "/home/me/lists/Party.pls");

    list.SetTypeFromExtension(".M3U");
    EXPECT_EQ(list.GetType(), 1);
    for (const char* other : {".txt", "", "m3u", ".m3u8", ".pls ", "."}) {
        list.SetTypeFromExtension(other);
        EXPECT_EQ(list.GetType(), 1) << other;
    }

    list.SetFolder("");
    EXPECT_EQ(list.GetFolder(), "/");
    list.SetName("");
    EXPECT_EQ(list.GetFilePath(), "/.m3u");
    // The name is stored as given; checking it is the caller's business.
    list.SetName("a/b.c");
    EXPECT_EQ(list.GetName(), "a/b.c");
}
