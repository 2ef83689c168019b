// The library's timer thread wakes every 27 ms whether a timer is installed
// or not. This puts in a thread of our own that serves the same timers: it
// sleeps until the soonest one is due, and with none installed until one is.
// The library does not tell when a timer is installed: the game's thread
// looks at every wait of its loops (TimerNoticeChanges) and wakes ours.
// Call it before install_timer.
//
// The library's simulated retrace (retrace_count, vsync) advances only with
// the timers; the display paces its fades itself.
#ifndef PAPERLUNE_PLATFORM_TIMERTHREAD_H
#define PAPERLUNE_PLATFORM_TIMERTHREAD_H

void QuietTimerThread();
// Wakes the timer thread when a timer was installed, changed or removed
// since it last looked. A timer installed while none ran counts from here.
void TimerNoticeChanges();

#endif
