// The timer thread that stands in for the library's own: with no timer it
// sleeps, a timer runs at its own rate and the thread wakes about once a
// tick, a removed one stops, and a timer installed after a long rest counts
// from when it was noticed, not from the start of the rest.
#include <allegro.h>
#include <allegro/internal/aintern.h>
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <mutex>
#include <set>
#include <string>
#include <thread>

#include "library.h"
#include "threads.h"
#include "platform/timerthread.h"

namespace {

using Clock = std::chrono::steady_clock;

std::atomic<int> ticks{0};
std::atomic<long long> firstTickAt{0};

void Tick()
{
    if (ticks++ == 0)
        firstTickAt = Clock::now().time_since_epoch().count();
}

std::mutex timerLock;

void LockTimers(void *)
{
    timerLock.lock();
}

void UnlockTimers(void *)
{
    timerLock.unlock();
}

void Wait(int ms)
{
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

}  // namespace

TEST(TimerThread, SleepsWithoutTimersRunsEachAtItsRateAndCountsFromTheNotice)
{
    StartLibrary(LIBRARY_BARE);
    // The screenless system has no locks; the library's timer code takes
    // one around its queue, as under X.
    if (!system_driver->lock_mutex) {
        system_driver->lock_mutex = LockTimers;
        system_driver->unlock_mutex = UnlockTimers;
    }
    QuietTimerThread();
    std::set<std::string> before = ThreadIds();
    // As install_timer would, with the X system's driver.
    timer_driver = &timerdrv_unix_pthreads;
    ASSERT_EQ(timer_driver->init(), 0);
    _timer_installed = TRUE;
    std::string thread;
    for (const std::string &t : ThreadIds())
        if (!before.count(t))
            thread = t;
    ASSERT_FALSE(thread.empty()) << "no thread of its own";
    Wait(100);

    // No timer: the thread sleeps.
    long sleeps = VoluntarySleeps(thread);
    Wait(500);
    EXPECT_LE(VoluntarySleeps(thread) - sleeps, 1) << "the thread woke with no timer installed";

    // 20 a second, and about one wake a tick.
    ASSERT_EQ(install_int_ex(Tick, BPS_TO_TIMER(20)), 0);
    TimerNoticeChanges();
    sleeps = VoluntarySleeps(thread);
    Wait(1000);
    int counted = ticks;
    EXPECT_GE(counted, 17);
    EXPECT_LE(counted, 22);
    EXPECT_LE(VoluntarySleeps(thread) - sleeps, 2 * counted + 2) << "the thread woke between ticks";

    // Removed, it stops, and the thread sleeps again.
    remove_int(Tick);
    TimerNoticeChanges();
    Wait(100);
    int stopped = ticks;
    sleeps = VoluntarySleeps(thread);
    Wait(400);
    EXPECT_EQ(ticks, stopped) << "a removed timer ticked";
    EXPECT_LE(VoluntarySleeps(thread) - sleeps, 1);

    // A one-second timer installed after the rest ticks a second after it
    // was noticed: the rest does not count towards it.
    ticks = 0;
    ASSERT_EQ(install_int_ex(Tick, SECS_TO_TIMER(1)), 0);
    TimerNoticeChanges();
    Clock::time_point noticed = Clock::now();
    Wait(1400);
    ASSERT_EQ(ticks, 1);
    double afterMs = std::chrono::duration<double, std::milli>(Clock::duration(firstTickAt.load()) -
                                                                 noticed.time_since_epoch()).count();
    EXPECT_GE(afterMs, 950) << "the first tick came early";
    EXPECT_LE(afterMs, 1200) << "the first tick came late";
    remove_int(Tick);

    _timer_installed = FALSE;
    timer_driver->exit();
    timer_driver = nullptr;
    EXPECT_FALSE(ThreadIds().count(thread)) << "the thread outlived exit";
}
