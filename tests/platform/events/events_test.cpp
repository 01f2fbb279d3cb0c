#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <future>
#include <thread>
#include <vector>

#include "platform/events/events.h"
#include "platform/events/thread.h"
#include "platform/messages/messages.h"

using platform::CManualResetEvent;
using platform::WaitForEither;
using namespace std::chrono_literals;

namespace {
// Only a safety net against a hanging test, never a measured time: every wait below ends
// long before it unless the code under test is broken.
constexpr auto kGenerous = 60s;
}  // namespace

TEST(ManualResetEvent, StaysSetUntilReset) {
    CManualResetEvent clear;
    CManualResetEvent set(true);
    EXPECT_FALSE(clear.IsSet());
    EXPECT_TRUE(set.IsSet());
    EXPECT_FALSE(clear.WaitFor(0ms));

    clear.Set();
    clear.Wait();
    EXPECT_TRUE(clear.WaitFor(0ms));
    EXPECT_TRUE(clear.IsSet());  // waits do not consume it
    clear.Set();
    EXPECT_TRUE(clear.IsSet());
    clear.Reset();
    EXPECT_FALSE(clear.IsSet());
    clear.Reset();
    EXPECT_FALSE(clear.WaitFor(0ms));
}

TEST(ManualResetEvent, WaitForEitherTellsWhichAndFirstWins) {
    CManualResetEvent a;
    CManualResetEvent b;
    EXPECT_EQ(WaitForEither(a, b, 0ms), -1);
    b.Set();
    EXPECT_EQ(WaitForEither(a, b), 1);
    EXPECT_EQ(WaitForEither(b, a), 0);
    a.Set();
    EXPECT_EQ(WaitForEither(a, b), 0);
    EXPECT_EQ(WaitForEither(b, a), 0);
    EXPECT_EQ(WaitForEither(a, b, 0ms), 0);
    b.Reset();
    EXPECT_EQ(WaitForEither(b, a, 0ms), 1);
    EXPECT_EQ(WaitForEither(a, a), 0);
}

TEST(ManualResetEvent, SetWakesEveryWaiterOnOtherThreads) {
    CManualResetEvent cancel;
    CManualResetEvent proceed;
    std::vector<std::future<int>> waiters;
    for (int i = 0; i < 4; ++i) {
        waiters.push_back(std::async(std::launch::async,
                                     [&] { return WaitForEither(cancel, proceed, kGenerous); }));
    }
    std::future<bool> single =
        std::async(std::launch::async, [&] { return proceed.WaitFor(kGenerous); });
    proceed.Set();
    for (auto& waiter : waiters) {
        EXPECT_EQ(waiter.get(), 1);
    }
    EXPECT_TRUE(single.get());

    proceed.Reset();
    std::future<int> another =
        std::async(std::launch::async, [&] { return WaitForEither(cancel, proceed, kGenerous); });
    cancel.Set();
    EXPECT_EQ(another.get(), 0);
}

namespace {

class ReturningThread : public Wendmark::CThread {
public:
    ~ReturningThread() override { Stop(); }
    std::atomic<int> runs{0};
    CManualResetEvent release{true};

protected:
    int Run() override {
        release.Wait();
        return 40 + ++runs;
    }
};

// Works like the creation job: one message per entry, then a look at the two events.
class JobThread : public Wendmark::CThread {
public:
    explicit JobThread(platform::IMessageTarget& target, int entries)
        : m_target(target), m_entries(entries) {}
    ~JobThread() override { Stop(); }

protected:
    int Run() override {
        for (int i = 0; i < m_entries; ++i) {
            m_target.PostMessage(0xC000, static_cast<std::uintptr_t>(i), 0);
            if (WaitForEither(CancelEvent(), ContinueEvent()) == 0) {
                return 104;
            }
        }
        return 0;
    }

private:
    platform::IMessageTarget& m_target;
    const int m_entries;
};

}  // namespace

TEST(Thread, RunsRunAndHandsBackItsResult) {
    ReturningThread thread;
    EXPECT_FALSE(thread.IsRunning());
    EXPECT_EQ(thread.GetResult(), -1);
    EXPECT_EQ(thread.Wait(), -1);  // nothing started yet
    EXPECT_FALSE(thread.CancelEvent().IsSet());
    EXPECT_TRUE(thread.ContinueEvent().IsSet());

    ASSERT_TRUE(thread.Start());
    EXPECT_EQ(thread.Wait(), 41);
    EXPECT_FALSE(thread.IsRunning());
    EXPECT_EQ(thread.GetResult(), 41);
    EXPECT_EQ(thread.Wait(), 41);

    // A finished thread can be started again.
    ASSERT_TRUE(thread.Start());
    EXPECT_EQ(thread.Wait(), 42);
    EXPECT_EQ(thread.runs, 2);
}

TEST(Thread, RunningUntilRunReturnsAndOneThreadAtATime) {
    ReturningThread thread;
    thread.release.Reset();
    ASSERT_TRUE(thread.Start());
    EXPECT_TRUE(thread.IsRunning());  // from Start on, not only once the thread got going
    EXPECT_FALSE(thread.Start());
    EXPECT_FALSE(thread.WaitFor(0ms));
    thread.release.Set();
    EXPECT_TRUE(thread.WaitFor(kGenerous));
    EXPECT_FALSE(thread.IsRunning());
    EXPECT_EQ(thread.GetResult(), 41);
    EXPECT_EQ(thread.runs, 1);
}

TEST(Thread, PausesOnTheContinueEventAndGoesOn) {
    platform::RecordingMessageTarget target;
    JobThread job(target, 5);
    job.ContinueEvent().Reset();  // the question "cancel?" is open
    ASSERT_TRUE(job.Start());
    ASSERT_TRUE(target.WaitForCount(1, kGenerous));
    EXPECT_TRUE(job.IsRunning());
    EXPECT_FALSE(job.WaitFor(0ms));
    job.ContinueEvent().Set();  // "no"
    EXPECT_EQ(job.Wait(), 0);
    const auto posted = target.GetMessages();
    ASSERT_EQ(posted.size(), 5u);
    for (std::size_t i = 0; i < posted.size(); ++i) {
        EXPECT_EQ(posted[i].wParam, i);
    }
}

TEST(Thread, CancelWinsOverContinue) {
    platform::RecordingMessageTarget target;
    JobThread job(target, 5);
    job.ContinueEvent().Reset();
    ASSERT_TRUE(job.Start());
    ASSERT_TRUE(target.WaitForCount(1, kGenerous));
    job.CancelEvent().Set();  // "yes", and the continue event set as well
    job.ContinueEvent().Set();
    EXPECT_EQ(job.Wait(), 104);
    EXPECT_EQ(target.GetCount(), 1u);
}

TEST(Thread, StopEndsAPausedWorker) {
    platform::RecordingMessageTarget target;
    JobThread job(target, 1000);
    job.ContinueEvent().Reset();
    ASSERT_TRUE(job.Start());
    EXPECT_FALSE(job.IsStopRequested());
    ASSERT_TRUE(target.WaitForCount(1, kGenerous));
    EXPECT_TRUE(job.Stop(kGenerous));
    EXPECT_TRUE(job.IsStopRequested());
    EXPECT_FALSE(job.IsRunning());
    EXPECT_EQ(job.GetResult(), 104);
    EXPECT_TRUE(job.Stop());  // nothing left to stop

    // Start clears the stop request, not the events: the cancel event is still set.
    ASSERT_TRUE(job.Start());
    EXPECT_FALSE(job.IsStopRequested());
    EXPECT_EQ(job.Wait(), 104);
}

TEST(Thread, DestroyingAPausedWorkerEndsIt) {
    platform::RecordingMessageTarget target;
    {
        JobThread job(target, 1000);
        job.ContinueEvent().Reset();
        ASSERT_TRUE(job.Start());
        ASSERT_TRUE(target.WaitForCount(1, kGenerous));
    }
    EXPECT_EQ(target.GetCount(), 1u);
}
