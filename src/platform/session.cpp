#include "platform/session.h"

#include <X11/Xlib.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <pthread.h>
#include <thread>
#include <unistd.h>

#include "platform/input.h"
#include "platform/signals.h"

static const int SESSION_STOP_SIGNALS[] = {SIGTERM, SIGHUP, SIGINT};
static const int SESSION_STOP_COUNT = sizeof SESSION_STOP_SIGNALS / sizeof SESSION_STOP_SIGNALS[0];
static const int SESSION_BOUND_SIGNAL[] = {SIGALRM};
static const unsigned SESSION_STOP_BOUND_S = 2;
static const int SESSION_QUIT_EXIT = 0;
static const int SESSION_INTERRUPT_EXIT = 128 + SIGINT;
// Long enough for the woken loop to save (a lock wait of a second at most),
// short enough to end well within a logout's patience.
static const int SESSION_LOSS_WAIT_MS = 1500;

static std::atomic<int> stopSignal{0};     // the first stop signal, or 0
static std::atomic<bool> displayGone{false};
static pthread_t mainThread;
static void (*lossSave)() = nullptr;

// Only async-signal-safe work: the interrupted code may hold any lock.
static void OnStop(int signal)
{
    int first = 0;
    // A second signal (a logout sends SIGHUP and SIGTERM) changes nothing:
    // the first one's bound runs on.
    if (!stopSignal.compare_exchange_strong(first, signal))
        return;
    int saved = errno;
    CloseFromOutside();
    alarm(SESSION_STOP_BOUND_S);
    errno = saved;
}

// The loop did not end the process in time: the signal does, as if no
// handler had been there.
static void OnStopBound(int)
{
    int signal = stopSignal.load();
    std::signal(signal, SIG_DFL);   // async-signal-safe, as sigaction
    // To the process, not this thread, which might be one that blocks it.
    kill(getpid(), signal);
}

void InstallStopHandlers()
{
    InputPrepareOutsideClose();
    HandleSignals(SESSION_STOP_SIGNALS, SESSION_STOP_COUNT, OnStop, SA_RESTART);
    HandleSignals(SESSION_BOUND_SIGNAL, 1, OnStopBound, SA_RESTART);
}

// Xlib calls this on the thread whose call found the connection broken,
// holding that connection's lock, and ends the process if it returns.
static int OnDisplayGone(Display *)
{
    bool first = !displayGone.exchange(true);
    bool onMain = pthread_equal(pthread_self(), mainThread);
    if (first)
        CloseFromOutside();
    if (!onMain) {
        // The first report ends the process; any other just waits for that.
        if (!first)
            for (;;)
                pause();
        // The woken loop saves as "Yes" would and ends in EndIfDisplayGone.
        // If it waits inside the library behind this thread, it never gets
        // there; it is then between two of its own steps, never half-way
        // through changing the record, and the save happens here.
        std::this_thread::sleep_for(std::chrono::milliseconds(SESSION_LOSS_WAIT_MS));
    }
    // On the main thread there is no way back into the loop: save now.
    if (lossSave)
        lossSave();
    _exit(SessionExitCode());
}

void WatchDisplayLoss(void (*save)())
{
    mainThread = pthread_self();
    lossSave = save;
    XSetIOErrorHandler(OnDisplayGone);
}

bool SessionEnding()
{
    return stopSignal.load() != 0 || displayGone.load();
}

bool DisplayGone()
{
    return displayGone.load();
}

int SessionExitCode()
{
    return stopSignal.load() == SIGINT ? SESSION_INTERRUPT_EXIT : SESSION_QUIT_EXIT;
}

void EndIfDisplayGone()
{
    // Past the library's teardown, which would wait on the dead connection.
    if (displayGone.load())
        _exit(SessionExitCode());
}
