// The background thread that stands in for the library's own: its rounds
// come every 10 ms, stop while the library holds them off, survive a
// callback that takes itself out, and the thread sleeps in between instead
// of waking a thousand times a second.
#include <allegro.h>
#include <allegro/platform/aintunix.h>
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <dirent.h>
#include <set>
#include <string>
#include <thread>

#include "platform/background.h"

namespace {

std::atomic<int> calls{0};
std::atomic<int> selfRemovals{0};

void Count(int)
{
    calls++;
}

void RemoveItself(int)
{
    selfRemovals++;
    _bg_man_pthreads.unregister_func(RemoveItself);
}

std::set<std::string> Threads()
{
    std::set<std::string> ids;
    DIR *d = opendir("/proc/self/task");
    while (dirent *e = d ? readdir(d) : nullptr)
        if (e->d_name[0] != '.')
            ids.insert(e->d_name);
    if (d)
        closedir(d);
    return ids;
}

// Times the thread has gone to sleep of its own accord so far.
long Sleeps(const std::string &tid)
{
    std::string path = "/proc/self/task/" + tid + "/status";
    FILE *f = fopen(path.c_str(), "r");
    long n = -1;
    char line[256];
    while (f && fgets(line, sizeof line, f))
        if (sscanf(line, "voluntary_ctxt_switches: %ld", &n) == 1)
            break;
    if (f)
        fclose(f);
    return n;
}

void Wait(int ms)
{
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

}  // namespace

TEST(Background, RoundsEveryTenMillisecondsAndSleepsBetweenThem)
{
    QuietBackgroundThread();
    std::set<std::string> before = Threads();
    ASSERT_EQ(_bg_man_pthreads.init(), 0);
    std::string thread;
    for (const std::string &t : Threads())
        if (!before.count(t))
            thread = t;
    ASSERT_FALSE(thread.empty()) << "no thread of its own";
    ASSERT_EQ(_bg_man_pthreads.register_func(Count), 0);

    long sleeps = Sleeps(thread);
    int start = calls;
    Wait(1000);
    int rounds = calls - start;
    EXPECT_GE(rounds, 80) << "the library's input and sound need a round every 10 ms";
    EXPECT_LE(rounds, 110);
    // About one sleep a round; the library's own loop slept a thousand times.
    EXPECT_LE(Sleeps(thread) - sleeps, 3 * rounds);

    // Held off, no round runs; let go, they come back.
    _bg_man_pthreads.disable_interrupts();
    EXPECT_TRUE(_bg_man_pthreads.interrupts_disabled());
    Wait(30);
    int held = calls;
    Wait(100);
    EXPECT_EQ(calls, held) << "a round ran while held off";
    _bg_man_pthreads.enable_interrupts();
    Wait(100);
    EXPECT_GT(calls, held);

    // A callback that takes itself out from inside a round runs once and
    // does not hang the thread on its own lock.
    ASSERT_EQ(_bg_man_pthreads.register_func(RemoveItself), 0);
    Wait(100);
    EXPECT_EQ(selfRemovals, 1);
    int after = calls;
    Wait(50);
    EXPECT_GT(calls, after) << "the rounds stopped";

    EXPECT_EQ(_bg_man_pthreads.unregister_func(Count), 0);
    EXPECT_EQ(_bg_man_pthreads.unregister_func(Count), -1) << "a second removal finds nothing";
    int removed = calls;
    Wait(50);
    EXPECT_EQ(calls, removed);
    _bg_man_pthreads.exit();
    EXPECT_FALSE(Threads().count(thread)) << "the thread outlived exit";
}
