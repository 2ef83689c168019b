#include "platform/background.h"

#include <allegro.h>
#include <allegro/platform/aintunix.h>

#include <atomic>
#include <cerrno>
#include <csignal>
#include <ctime>
#include <pthread.h>

// The library's own period: X events and sound mixing every 10 ms.
static const long BACKGROUND_ROUND_NS = 10 * 1000 * 1000;
static const long NS_PER_SECOND = 1000 * 1000 * 1000;
static const int BACKGROUND_SLOTS = 16;

static bg_func funcs[BACKGROUND_SLOTS];
static int usedSlots = 0;            // one past the highest slot in use
static pthread_t thread;
static bool threadRunning = false;
static std::atomic<bool> keepRunning{false};
static pthread_mutex_t interruptLock = PTHREAD_MUTEX_INITIALIZER;
static pthread_cond_t interruptsBack = PTHREAD_COND_INITIALIZER;
static int disabledCount = 0;        // rounds wait while this is above 0

static void AddNs(timespec *t, long ns)
{
    t->tv_nsec += ns;
    while (t->tv_nsec >= NS_PER_SECOND) {
        t->tv_nsec -= NS_PER_SECOND;
        t->tv_sec++;
    }
}

static bool Before(const timespec &a, const timespec &b)
{
    return a.tv_sec < b.tv_sec || (a.tv_sec == b.tv_sec && a.tv_nsec < b.tv_nsec);
}

static void *RunRounds(void *)
{
    // Signals belong to the game's own thread, as with the library's thread.
    sigset_t all;
    sigfillset(&all);
    pthread_sigmask(SIG_BLOCK, &all, nullptr);

    timespec due;
    clock_gettime(CLOCK_MONOTONIC, &due);
    while (keepRunning) {
        AddNs(&due, BACKGROUND_ROUND_NS);
        while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &due, nullptr) == EINTR) {
        }
        pthread_mutex_lock(&interruptLock);
        while (disabledCount > 0)
            pthread_cond_wait(&interruptsBack, &interruptLock);
        for (int i = 0; i < usedSlots; i++)
            if (funcs[i])
                funcs[i](1);
        pthread_mutex_unlock(&interruptLock);
        // After a long stall (a debugger, a suspended machine) start afresh
        // rather than run a burst of rounds to catch up.
        timespec now;
        clock_gettime(CLOCK_MONOTONIC, &now);
        if (Before(due, now))
            due = now;
    }
    return nullptr;
}

static void DisableRounds()
{
    pthread_mutex_lock(&interruptLock);
    disabledCount++;
    pthread_mutex_unlock(&interruptLock);
}

static void EnableRounds()
{
    pthread_mutex_lock(&interruptLock);
    if (--disabledCount == 0)
        pthread_cond_signal(&interruptsBack);
    pthread_mutex_unlock(&interruptLock);
}

static int RoundsDisabled()
{
    return disabledCount;
}

static int Start()
{
    for (bg_func &f : funcs)
        f = nullptr;
    usedSlots = 0;
    disabledCount = 0;
    keepRunning = true;
    if (pthread_create(&thread, nullptr, RunRounds, nullptr) != 0) {
        keepRunning = false;
        return -1;
    }
    threadRunning = true;
    return 0;
}

static void Stop()
{
    if (!threadRunning)
        return;
    keepRunning = false;
    pthread_join(thread, nullptr);
    threadRunning = false;
}

static int Register(bg_func f)
{
    DisableRounds();
    int i = 0;
    while (i < BACKGROUND_SLOTS && funcs[i])
        i++;
    int result = -1;
    if (i < BACKGROUND_SLOTS) {
        funcs[i] = f;
        if (i == usedSlots)
            usedSlots++;
        result = 0;
    }
    EnableRounds();
    return result;
}

static int RemoveFunc(bg_func f)
{
    int i = 0;
    while (i < usedSlots && funcs[i] != f)
        i++;
    if (i == usedSlots)
        return -1;
    funcs[i] = nullptr;
    while (usedSlots > 0 && !funcs[usedSlots - 1])
        usedSlots--;
    return 0;
}

static int Unregister(bg_func f)
{
    // From inside a round (the X handler shutting the library down on a
    // close event) the lock is already held by this very thread.
    if (threadRunning && pthread_equal(pthread_self(), thread))
        return RemoveFunc(f);
    DisableRounds();
    int result = RemoveFunc(f);
    EnableRounds();
    return result;
}

void QuietBackgroundThread()
{
    _bg_man_pthreads.init = Start;
    _bg_man_pthreads.exit = Stop;
    _bg_man_pthreads.register_func = Register;
    _bg_man_pthreads.unregister_func = Unregister;
    _bg_man_pthreads.enable_interrupts = EnableRounds;
    _bg_man_pthreads.disable_interrupts = DisableRounds;
    _bg_man_pthreads.interrupts_disabled = RoundsDisabled;
}
