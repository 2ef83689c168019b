#include "platform/timerthread.h"

#include <allegro.h>
#include <allegro/internal/aintern.h>

#include <chrono>
#include <climits>
#include <condition_variable>
#include <csignal>
#include <cstring>
#include <mutex>
#include <pthread.h>
#include <thread>

using TimerClock = std::chrono::steady_clock;

// The timers as the thread last saw them: which run, and how fast.
struct TimerSeen {
    void (*proc)();
    void (*paramProc)(void *);
    void *param;
    long speed;
};

static std::thread thread;
static std::mutex lock;
static std::condition_variable wake;
static bool running = false;
static bool poked = false;
static TimerSeen seen[MAX_TIMERS];

static bool Active(const TIMER_QUEUE &t)
{
    return (t.proc || t.param_proc) && t.speed > 0;
}

static bool SameAsSeen()
{
    for (int i = 0; i < MAX_TIMERS; i++) {
        const TIMER_QUEUE &t = _timer_queue[i];
        bool active = Active(t);
        const TimerSeen &s = seen[i];
        if (active != (s.speed > 0))
            return false;
        if (active && (t.proc != s.proc || t.param_proc != s.paramProc || t.param != s.param || t.speed != s.speed))
            return false;
    }
    return true;
}

// Under `lock`: what runs now, and in how many ticks the soonest is due
// (LONG_MAX: none runs).
static long Look()
{
    long soonest = LONG_MAX;
    for (int i = 0; i < MAX_TIMERS; i++) {
        const TIMER_QUEUE &t = _timer_queue[i];
        if (Active(t)) {
            seen[i] = {t.proc, t.param_proc, t.param, t.speed};
            if (t.counter < soonest)
                soonest = t.counter;
        } else {
            seen[i] = {nullptr, nullptr, nullptr, 0};
        }
    }
    return soonest;
}

static long long TicksSince(TimerClock::time_point start, TimerClock::time_point now)
{
    long long us = std::chrono::duration_cast<std::chrono::microseconds>(now - start).count();
    return us / 1000000 * TIMERS_PER_SECOND + us % 1000000 * TIMERS_PER_SECOND / 1000000;
}

static void Run()
{
    // Signals belong to the game's own thread, as with the library's thread.
    sigset_t all;
    sigfillset(&all);
    pthread_sigmask(SIG_BLOCK, &all, nullptr);

    TimerClock::time_point start = TimerClock::now();
    long long given = 0;   // ticks handed to the library so far
    bool idle = false;
    std::unique_lock<std::mutex> hold(lock);
    while (running) {
        long long now = TicksSince(start, TimerClock::now());
        // Time that passed with no timer running counts for none; one
        // installed meanwhile starts from here.
        long interval = idle ? 0 : long(std::min<long long>(now - given, INT_MAX));
        given = idle ? now : given + interval;
        hold.unlock();
        _handle_timer_tick(int(interval));
        hold.lock();
        long soonest = Look();
        idle = soonest == LONG_MAX;
        poked = false;
        if (idle) {
            wake.wait(hold, [] { return poked || !running; });
        } else {
            long long dueUs = (given + std::max(soonest, 1L)) * 1000000 / TIMERS_PER_SECOND;
            wake.wait_until(hold, start + std::chrono::microseconds(dueUs), [] { return poked || !running; });
        }
    }
}

static int Start()
{
    std::lock_guard<std::mutex> hold(lock);
    memset(seen, 0, sizeof seen);
    running = true;
    poked = false;
    thread = std::thread(Run);
    return 0;
}

static void Stop()
{
    {
        std::lock_guard<std::mutex> hold(lock);
        if (!running)
            return;
        running = false;
    }
    wake.notify_all();
    if (thread.joinable())
        thread.join();
}

void QuietTimerThread()
{
    timerdrv_unix_pthreads.init = Start;
    timerdrv_unix_pthreads.exit = Stop;
}

void TimerNoticeChanges()
{
    std::lock_guard<std::mutex> hold(lock);
    if (!running || SameAsSeen())
        return;
    poked = true;
    wake.notify_all();
}
