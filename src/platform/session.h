// How a session ends from outside the game: a stop signal (a logout, a
// shutdown, kill, Ctrl-C) or the X server going away. Either is answered as
// the window's close button is (every screen then saves as the quit
// dialog's "Yes" would during play, and quits from the menu), within a
// bounded time.
#ifndef PAPERLUNE_PLATFORM_SESSION_H
#define PAPERLUNE_PLATFORM_SESSION_H

// SIGTERM, SIGHUP and SIGINT close the game as its close button does. The
// handlers only note the signal and wake the loops; if the process has not
// ended two seconds later, the signal ends it the default way. Call once,
// after the library has put in handlers of its own.
void InstallStopHandlers();

// Takes the X server's going away (Xlib's IO error, which must not return)
// over from the library's default, which ends the process on the spot: the
// game's loop is woken to save and end; where it cannot (it waits inside the
// library on the connection that broke), `save` runs in the handler. Call
// on the main thread once the display is open.
void WatchDisplayLoss(void (*save)());

// A stop signal came or the X server is gone: nobody may be there to answer
// a message box, and the process must end soon.
bool SessionEnding();
// The X server is gone: nothing may ask it anything any more.
bool DisplayGone();
// What the process ends with: 0, or 128 + SIGINT after an interrupt, so that
// a shell running the game can tell Ctrl-C from "Quit".
int SessionExitCode();
// Once the X server is gone nothing may touch the library's display again
// (it would wait forever): the process ends here, at once.
void EndIfDisplayGone();

#endif
