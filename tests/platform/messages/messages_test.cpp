#include "platform/messages/messages.h"

#include <gtest/gtest.h>

#include <chrono>
#include <map>
#include <set>
#include <string>
#include <thread>
#include <vector>

using platform::PostedMessage;
using platform::RecordingMessageTarget;
using platform::RegisterMessage;

namespace {
const std::string kMark = "UWM_PROGRESS_MARK-{E95F2F3A-E3E7-4709-A55E-E0AF93164C4B}";
const std::string kInfo = "UWM_PROGRESS_INFO-{4EE43259-34B0-40e9-894B-26A86600CD90}";
const std::string kError = "UWM_ERROR_NOTIFY-{09D83AEA-4442-4f06-8521-C5E46A2E4B0B}";
}  // namespace

TEST(RegisterMessage, OneStableNumberPerName) {
    const unsigned mark = RegisterMessage(kMark);
    const unsigned info = RegisterMessage(kInfo);
    const unsigned error = RegisterMessage(kError);
    for (unsigned number : {mark, info, error}) {
        EXPECT_GE(number, 0xC000u);
        EXPECT_LE(number, 0xFFFFu);
    }
    EXPECT_NE(mark, info);
    EXPECT_NE(mark, error);
    EXPECT_NE(info, error);
    EXPECT_EQ(RegisterMessage(kMark), mark);
    EXPECT_EQ(RegisterMessage(kInfo), info);
    // Registered names have never depended on letter case.
    EXPECT_EQ(RegisterMessage("uwm_progress_mark-{e95f2f3a-e3e7-4709-a55e-e0af93164c4b}"), mark);
    // A name that differs in anything but case is another message.
    EXPECT_NE(RegisterMessage(kMark + " "), mark);
    EXPECT_EQ(RegisterMessage(""), 0u);
}

TEST(RegisterMessage, ThreadsAgreeOnTheNumbers) {
    constexpr int kThreads = 8;
    constexpr int kNames = 50;
    std::vector<std::vector<unsigned>> seen(kThreads, std::vector<unsigned>(kNames));
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([t, &seen] {
            for (int i = 0; i < kNames; ++i) {
                // Each thread goes through the names in its own order.
                const int n = (i * 7 + t * 13) % kNames;
                seen[t][n] = RegisterMessage("UWM_TEST_" + std::to_string(n) + "-{threads}");
            }
        });
    }
    for (std::thread& thread : threads) {
        thread.join();
    }
    std::set<unsigned> distinct;
    for (int n = 0; n < kNames; ++n) {
        for (int t = 1; t < kThreads; ++t) {
            EXPECT_EQ(seen[t][n], seen[0][n]) << "name " << n;
        }
        EXPECT_GE(seen[0][n], 0xC000u);
        distinct.insert(seen[0][n]);
    }
    EXPECT_EQ(distinct.size(), static_cast<std::size_t>(kNames));
}

TEST(RecordingMessageTarget, KeepsMessagesInOrderWithTheirParameters) {
    RecordingMessageTarget target;
    platform::IMessageTarget& asTarget = target;
    asTarget.PostMessage(0xC001, 3, 0);
    asTarget.PostMessage(0xC002, UINTPTR_MAX, -1);
    asTarget.PostMessage(0xC001, 4, INTPTR_MIN);

    const std::vector<PostedMessage> all = target.GetMessages();
    ASSERT_EQ(all.size(), 3u);
    EXPECT_EQ(all[0].message, 0xC001u);
    EXPECT_EQ(all[0].wParam, 3u);
    EXPECT_EQ(all[1].wParam, UINTPTR_MAX);
    EXPECT_EQ(all[1].lParam, -1);
    EXPECT_EQ(all[2].lParam, INTPTR_MIN);

    const std::vector<PostedMessage> marks = target.GetMessages(0xC001);
    ASSERT_EQ(marks.size(), 2u);
    EXPECT_EQ(marks[0].wParam, 3u);
    EXPECT_EQ(marks[1].wParam, 4u);
    EXPECT_TRUE(target.GetMessages(0xC003).empty());

    EXPECT_TRUE(target.WaitForCount(3, std::chrono::milliseconds(0)));
    EXPECT_FALSE(target.WaitForCount(4, std::chrono::milliseconds(0)));
    target.Clear();
    EXPECT_EQ(target.GetCount(), 0u);
}

TEST(RecordingMessageTarget, HookTakesOwnershipBeforeTheMessageIsVisible) {
    // A text travels inside the message, and the hook sees it before it is recorded.
    std::vector<std::string> texts;
    RecordingMessageTarget target(
        [&texts](const PostedMessage& posted) { texts.push_back(posted.text); });
    target.Post(platform::CMessage(1, 10, 0, "one"));
    target.Post(platform::CMessage(1, 20, 0, "two"));
    EXPECT_EQ(texts, (std::vector<std::string>{"one", "two"}));
    EXPECT_EQ(target.GetCount(), 2u);
}

TEST(RecordingMessageTarget, PostsFromSeveralThreads) {
    RecordingMessageTarget target;
    constexpr int kThreads = 4;
    constexpr int kPosts = 1000;
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([t, &target] {
            for (int i = 0; i < kPosts; ++i) {
                target.PostMessage(static_cast<unsigned>(t), static_cast<std::uintptr_t>(i), 0);
            }
        });
    }
    // A reader waiting meanwhile sees the last message arrive.
    EXPECT_TRUE(target.WaitForCount(kThreads * kPosts, std::chrono::seconds(60)));
    for (std::thread& thread : threads) {
        thread.join();
    }
    for (int t = 0; t < kThreads; ++t) {
        const auto mine = target.GetMessages(static_cast<unsigned>(t));
        ASSERT_EQ(mine.size(), static_cast<std::size_t>(kPosts));
        for (int i = 0; i < kPosts; ++i) {
            ASSERT_EQ(mine[i].wParam, static_cast<std::uintptr_t>(i)) << "thread " << t;
        }
    }
}
