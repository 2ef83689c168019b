// What ends the process when it crashes. (A request to stop is answered by
// platform/session.h.)
#ifndef PAPERLUNE_PLATFORM_SIGNALS_H
#define PAPERLUNE_PLATFORM_SIGNALS_H

// Replaces the graphics library's signal handlers; call right after
// install_allegro. Its handlers shut the library down from inside the signal,
// which waits forever when the signal came while the allocator's lock was
// held (an abort on a double free), and a process stuck there ignores SIGTERM.
// Ours only note the signal and end the process the default way.
void InstallCrashHandlers();

// Puts `handler` in for each of `signals` with the given sigaction flags;
// while it runs, the others of them wait.
void HandleSignals(const int *signals, int count, void (*handler)(int), int flags);

#endif
