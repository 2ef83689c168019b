#include "platform/session.h"

#include <X11/Xlib.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstring>
#include <pthread.h>
#include <thread>
#include <unistd.h>

#include "platform/input.h"

static const int SESSION_STOP_SIGNALS[] = {SIGTERM, SIGHUP, SIGINT};
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
    struct sigaction action;
    memset(&action, 0, sizeof action);
    action.sa_handler = SIG_DFL;
    sigemptyset(&action.sa_mask);
    sigaction(signal, &action, nullptr);
    // To the process, not this thread, which might be one that blocks it.
    kill(getpid(), signal);
}

void InstallStopHandlers()
{
    InputPrepareOutsideClose();
    struct sigaction action;
    memset(&action, 0, sizeof action);
    action.sa_handler = OnStop;
    action.sa_flags = SA_RESTART;
    sigemptyset(&action.sa_mask);
    for (int signal : SESSION_STOP_SIGNALS)
        sigaddset(&action.sa_mask, signal);
    for (int signal : SESSION_STOP_SIGNALS)
        sigaction(signal, &action, nullptr);
    action.sa_handler = OnStopBound;
    sigaction(SIGALRM, &action, nullptr);
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
