#include "platform/signals.h"

#include <csignal>
#include <cstring>
#include <unistd.h>

// The signals the library's X driver catches, but SIGTERM and SIGINT, which
// ask the game to stop rather than crash it (platform/session.h); and
// SIGBUS, which it leaves alone but which a damaged memory-mapped file can
// raise just the same.
static const int CRASH_SIGNALS[] = {SIGSEGV, SIGABRT, SIGQUIT, SIGFPE, SIGILL, SIGBUS};
static const char CRASH_NOTE[] = "Paperlune: ended by a signal\n";

// Only async-signal-safe calls: the interrupted code may hold any lock.
static void EndBySignal(int signal)
{
    ssize_t written = write(STDERR_FILENO, CRASH_NOTE, sizeof CRASH_NOTE - 1);
    (void)written;
    // The handler was reset on entry (SA_RESETHAND), so this raise ends the
    // process as if no handler had been there, once the handler returns.
    raise(signal);
}

void HandleSignals(const int *signals, int count, void (*handler)(int), int flags)
{
    struct sigaction action;
    memset(&action, 0, sizeof action);
    action.sa_handler = handler;
    action.sa_flags = flags;
    sigemptyset(&action.sa_mask);
    for (int i = 0; i < count; i++)
        sigaddset(&action.sa_mask, signals[i]);
    for (int i = 0; i < count; i++)
        sigaction(signals[i], &action, nullptr);
}

void InstallCrashHandlers()
{
    HandleSignals(CRASH_SIGNALS, sizeof CRASH_SIGNALS / sizeof CRASH_SIGNALS[0], EndBySignal, SA_RESETHAND);
}
