// The background thread that stands in for the library's own: the input
// functions run only when woken (the X connection, or a wake), the sound
// functions every 10 ms but only while something sounds, no round runs
// while the library holds them off, a callback that takes itself out does
// not hang the thread, and between rounds the thread sleeps.
#include <allegro.h>
#include <allegro/platform/aintunix.h>
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <functional>
#include <set>
#include <string>
#include <thread>

#include "threads.h"
#include "platform/background.h"

namespace {

std::atomic<int> inputCalls{0};
std::atomic<int> mixCalls{0};
std::atomic<int> selfRemovals{0};

void CountInput(int)
{
    inputCalls++;
}

void CountMix(int)
{
    mixCalls++;
}

void RemoveItself(int)
{
    selfRemovals++;
    _bg_man_pthreads.unregister_func(RemoveItself);
}

void Wait(int ms)
{
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

bool WaitUntil(const std::function<bool()> &condition, int ms)
{
    auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (!condition()) {
        if (std::chrono::steady_clock::now() > end)
            return false;
        Wait(1);
    }
    return true;
}

}  // namespace

TEST(Background, InputOnlyWhenWokenSoundOnlyWhileHeardAndNothingBetween)
{
    QuietBackgroundThread();
    std::set<std::string> before = ThreadIds();
    ASSERT_EQ(_bg_man_pthreads.init(), 0);
    std::string thread;
    for (const std::string &t : ThreadIds())
        if (!before.count(t))
            thread = t;
    ASSERT_FALSE(thread.empty()) << "no thread of its own";
    // As the library starts: its X function first, the sound driver's later.
    ASSERT_EQ(_bg_man_pthreads.register_func(CountInput), 0);
    BackgroundInputRegistered();
    ASSERT_EQ(_bg_man_pthreads.register_func(CountMix), 0);
    Wait(100);

    // Nothing to read, nothing heard: no round, and the thread sleeps.
    long sleeps = VoluntarySleeps(thread);
    int inputBefore = inputCalls, mixBefore = mixCalls;
    Wait(500);
    EXPECT_EQ(inputCalls, inputBefore) << "an input round without a wake";
    EXPECT_EQ(mixCalls, mixBefore) << "a mixing round with nothing heard";
    EXPECT_LE(VoluntarySleeps(thread) - sleeps, 1) << "the thread woke with nothing to do";

    // A wake reads input at once, and mixes nothing.
    BackgroundWake();
    EXPECT_TRUE(WaitUntil([&] { return inputCalls > inputBefore; }, 100));
    EXPECT_EQ(mixCalls, mixBefore);

    // A sample of 300 ms: mixing every 10 ms for it and the tail after it,
    // then none; no input round meanwhile.
    int inputAt = inputCalls;
    BackgroundSoundFor(300);
    Wait(600);
    int mixed = mixCalls - mixBefore;
    EXPECT_GE(mixed, 40) << "the sound needs a round every 10 ms";
    EXPECT_LE(mixed, 70);
    EXPECT_TRUE(WaitUntil([&] {
        int was = mixCalls;
        Wait(200);
        return mixCalls == was;
    }, 3000)) << "the mixing never stopped";
    EXPECT_EQ(inputCalls, inputAt) << "mixing read input";

    // Music mixes until it stops.
    BackgroundMusic(true);
    Wait(2000);
    int during = mixCalls;
    Wait(300);
    EXPECT_GE(mixCalls - during, 20) << "music stopped mixing on its own";
    BackgroundMusic(false);
    EXPECT_TRUE(WaitUntil([&] {
        int was = mixCalls;
        Wait(200);
        return mixCalls == was;
    }, 3000)) << "the mixing went on after the music";

    // Held off, no round runs; let go, the waiting one comes.
    _bg_man_pthreads.disable_interrupts();
    EXPECT_TRUE(_bg_man_pthreads.interrupts_disabled());
    int held = inputCalls;
    BackgroundWake();
    Wait(100);
    EXPECT_EQ(inputCalls, held) << "a round ran while held off";
    _bg_man_pthreads.enable_interrupts();
    EXPECT_TRUE(WaitUntil([&] { return inputCalls > held; }, 100));

    // A callback that takes itself out from inside a round runs once and
    // does not hang the thread on its own lock.
    ASSERT_EQ(_bg_man_pthreads.register_func(RemoveItself), 0);
    BackgroundSoundFor(0);
    EXPECT_TRUE(WaitUntil([] { return selfRemovals == 1; }, 200));
    Wait(100);
    EXPECT_EQ(selfRemovals, 1);
    int after = inputCalls;
    BackgroundWake();
    EXPECT_TRUE(WaitUntil([&] { return inputCalls > after; }, 100)) << "the rounds stopped";

    EXPECT_EQ(_bg_man_pthreads.unregister_func(CountInput), 0);
    EXPECT_EQ(_bg_man_pthreads.unregister_func(CountInput), -1) << "a second removal finds nothing";
    int removed = inputCalls;
    BackgroundWake();
    Wait(50);
    EXPECT_EQ(inputCalls, removed);
    EXPECT_EQ(_bg_man_pthreads.unregister_func(CountMix), 0);
    _bg_man_pthreads.exit();
    EXPECT_FALSE(ThreadIds().count(thread)) << "the thread outlived exit";
}
