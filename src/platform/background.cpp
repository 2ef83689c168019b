#include "platform/background.h"

#include <allegro.h>
#include <allegro/internal/aintern.h>
#include <allegro/platform/aintunix.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdint>
#include <ctime>
#include <poll.h>
#include <pthread.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include "platform/libraryx.h"

// The library's own period for mixing the sound, where its driver does not
// tell the size of what it writes a round.
static const long BACKGROUND_ROUND_NS = 10 * 1000 * 1000;
// The sound driver writes at most one buffer a call, when the device has
// room for it; it is called twice a round, and rounds come 5 % more often
// than the device plays two buffers: that keeps the device fed (it holds
// five), catches up after a late round and outruns the drift between the
// sound card's clock and ours, with half the wakes; a sink that takes all
// it is given (a file) gets little more than real time.
static const int BACKGROUND_BUFFERS_PER_ROUND = 2;
static const int BACKGROUND_ROUNDS_PER_BUFFER_NUM = 21;
static const int BACKGROUND_ROUNDS_PER_BUFFER_DEN = 20;
static const long BACKGROUND_MIN_ROUND_NS = 5 * 1000 * 1000;
static const long NS_PER_SECOND = 1000 * 1000 * 1000;
static const int BACKGROUND_SLOTS = 16;
// The sound driver writes what it mixed one round before: after the last
// sound it takes a few rounds more to reach the device. A second of silence
// after it lets the device end on silence, not on a cut.
static const int64_t BACKGROUND_SOUND_TAIL_NS = 1000LL * 1000 * 1000;
// How long a removal waits for the thread to let go of the descriptor it
// may be about to wait on; the thread answers within a round.
static const int BACKGROUND_LET_GO_MS = 1000;

struct Slot {
    bg_func f;
    bool input;   // reads the X connection; else mixes sound
};

static Slot funcs[BACKGROUND_SLOTS];
static int usedSlots = 0;            // one past the highest slot in use
static bool inputPhase = true;       // what registers now reads input
static pthread_t thread;
static bool threadRunning = false;
static std::atomic<bool> keepRunning{false};
static int wakeFd = -1;
static pthread_mutex_t interruptLock = PTHREAD_MUTEX_INITIALIZER;
static pthread_cond_t interruptsBack = PTHREAD_COND_INITIALIZER;
static int disabledCount = 0;        // rounds wait while this is above 0
// Passes of the thread through its wait, for a removal to see it has let go.
static pthread_mutex_t passLock = PTHREAD_MUTEX_INITIALIZER;
static pthread_cond_t passed = PTHREAD_COND_INITIALIZER;
static unsigned long passes = 0;

static std::atomic<bool> inputAsked{false};     // a round of input is wanted
static std::atomic<int64_t> soundUntilNs{0};   // on the steady clock
static std::atomic<bool> musicOn{false};

static int64_t NowNs()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
        std::chrono::steady_clock::now().time_since_epoch()).count();
}

static void Poke()
{
    if (wakeFd < 0)
        return;
    uint64_t one = 1;
    ssize_t written = write(wakeFd, &one, sizeof one);
    (void)written;   // a full counter still wakes the thread
}

static void Drain()
{
    uint64_t count;
    while (read(wakeFd, &count, sizeof count) > 0) {
    }
}

static bool SoundHeard(int64_t now)
{
    return musicOn || now < soundUntilNs;
}

static bool Has(bool input)
{
    for (int i = 0; i < usedSlots; i++)
        if (funcs[i].f && funcs[i].input == input)
            return true;
    return false;
}

// One round of the functions of one kind, under the library's lock.
static void Run(bool input)
{
    for (int i = 0; i < usedSlots; i++)
        if (funcs[i].f && funcs[i].input == input)
            funcs[i].f(1);
}

static void CountPass()
{
    pthread_mutex_lock(&passLock);
    passes++;
    pthread_cond_broadcast(&passed);
    pthread_mutex_unlock(&passLock);
}

// Sleeps until the X connection has something to read, a wake comes, or the
// next mixing round is due (0: none is). Says whether input is to be read.
static bool Sleep(int64_t mixDueNs)
{
    int x = Has(true) ? LibraryXDescriptor() : -1;
    pollfd p[2] = {{wakeFd, POLLIN, 0}, {x, POLLIN, 0}};
    timespec wait = {0, 0};
    timespec *timeout = nullptr;
    if (mixDueNs) {
        int64_t left = mixDueNs - NowNs();
        if (left > 0)
            wait = {time_t(left / NS_PER_SECOND), long(left % NS_PER_SECOND)};
        timeout = &wait;
    }
    int r = ppoll(p, 2, timeout, nullptr);
    CountPass();
    if (r > 0 && (p[0].revents & POLLIN))
        Drain();
    // A connection that broke is read too: the library's read then reports
    // the loss, which ends the game.
    bool readable = r > 0 && (p[1].revents & (POLLIN | POLLHUP | POLLERR));
    return inputAsked.exchange(false) || readable;
}

// The frames the sound driver writes a call, 0 when it does not tell.
static int DriverBufferFrames()
{
    if (!digi_driver || !digi_driver->buffer_size || _sound_freq <= 0)
        return 0;
    int frames = digi_driver->buffer_size();
    return frames > 0 ? frames : 0;
}

// How many times a round calls the sound functions.
static int MixCallsPerRound()
{
    return DriverBufferFrames() ? BACKGROUND_BUFFERS_PER_ROUND : 1;
}

// How often the sound is mixed: a little more often than the driver's
// buffers play.
static int64_t MixPeriodNs()
{
    int frames = DriverBufferFrames();
    if (!frames)
        return BACKGROUND_ROUND_NS;
    int64_t ns = int64_t(frames) * BACKGROUND_BUFFERS_PER_ROUND * NS_PER_SECOND / _sound_freq *
                 BACKGROUND_ROUNDS_PER_BUFFER_DEN / BACKGROUND_ROUNDS_PER_BUFFER_NUM;
    return ns < BACKGROUND_MIN_ROUND_NS ? BACKGROUND_MIN_ROUND_NS : ns;
}

static void *RunRounds(void *)
{
    // Signals belong to the game's own thread, as with the library's thread.
    sigset_t all;
    sigfillset(&all);
    pthread_sigmask(SIG_BLOCK, &all, nullptr);

    int64_t mixDue = 0;   // 0 while no sound is heard
    while (keepRunning) {
        int64_t now = NowNs();
        if (!SoundHeard(now) || !Has(false))
            mixDue = 0;
        else if (!mixDue)
            mixDue = now;
        bool input = Sleep(mixDue);
        if (!keepRunning)
            break;
        now = NowNs();
        bool mix = mixDue && now >= mixDue;
        if (!input && !mix)
            continue;
        pthread_mutex_lock(&interruptLock);
        while (disabledCount > 0)
            pthread_cond_wait(&interruptsBack, &interruptLock);
        if (input)
            Run(true);
        for (int i = 0, calls = MixCallsPerRound(); mix && i < calls; i++)
            Run(false);
        pthread_mutex_unlock(&interruptLock);
        if (mix) {
            mixDue += MixPeriodNs();
            // After a long stall (a debugger, a suspended machine) start
            // afresh rather than run a burst of rounds to catch up.
            if (mixDue < now)
                mixDue = now;
        }
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
    for (Slot &s : funcs)
        s = {nullptr, false};
    usedSlots = 0;
    inputPhase = true;
    disabledCount = 0;
    wakeFd = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    if (wakeFd < 0)
        return -1;
    keepRunning = true;
    if (pthread_create(&thread, nullptr, RunRounds, nullptr) != 0) {
        keepRunning = false;
        close(wakeFd);
        wakeFd = -1;
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
    Poke();
    pthread_join(thread, nullptr);
    threadRunning = false;
    close(wakeFd);
    wakeFd = -1;
}

static int Register(bg_func f)
{
    DisableRounds();
    int i = 0;
    while (i < BACKGROUND_SLOTS && funcs[i].f)
        i++;
    int result = -1;
    if (i < BACKGROUND_SLOTS) {
        funcs[i] = {f, inputPhase};
        if (i == usedSlots)
            usedSlots++;
        result = 0;
    }
    EnableRounds();
    // The thread may now have a connection to wait on, and something on it.
    BackgroundWake();
    return result;
}

static int RemoveFunc(bg_func f)
{
    int i = 0;
    while (i < usedSlots && funcs[i].f != f)
        i++;
    if (i == usedSlots)
        return -1;
    funcs[i].f = nullptr;
    while (usedSlots > 0 && !funcs[usedSlots - 1].f)
        usedSlots--;
    return 0;
}

// The library closes its connection right after removing the function that
// reads it: the thread must first have stopped waiting on its descriptor,
// or it could wait on a file that takes the number next.
static void AwaitLetGo()
{
    pthread_mutex_lock(&passLock);
    unsigned long seen = passes;
    Poke();
    timespec end;
    clock_gettime(CLOCK_REALTIME, &end);
    end.tv_sec += BACKGROUND_LET_GO_MS / 1000;
    while (passes == seen && pthread_cond_timedwait(&passed, &passLock, &end) != ETIMEDOUT) {
    }
    pthread_mutex_unlock(&passLock);
}

static int Unregister(bg_func f)
{
    // From inside a round (the X handler shutting the library down on a
    // close event) the lock is already held by this very thread, which is
    // not waiting on anything.
    if (threadRunning && pthread_equal(pthread_self(), thread))
        return RemoveFunc(f);
    DisableRounds();
    int result = RemoveFunc(f);
    EnableRounds();
    if (result == 0 && threadRunning)
        AwaitLetGo();
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

void BackgroundInputRegistered()
{
    DisableRounds();
    inputPhase = false;
    EnableRounds();
    // The connection is open by now.
    BackgroundWake();
}

void BackgroundWake()
{
    inputAsked = true;
    Poke();
}

void BackgroundSoundFor(int ms)
{
    int64_t until = NowNs() + int64_t(ms) * 1000 * 1000 + BACKGROUND_SOUND_TAIL_NS;
    int64_t was = soundUntilNs.load();
    while (was < until && !soundUntilNs.compare_exchange_weak(was, until)) {
    }
    Poke();
}

void BackgroundMusic(bool on)
{
    if (!on)
        BackgroundSoundFor(0);
    musicOn = on;
    Poke();
}
