// The one place that knows the real screen. Every screen composes a
// GAME_W x GAME_H frame in a back buffer of its own and hands it over here;
// the display scales it to the desktop (by a whole factor, or smoothed to
// fill), fades between frames, switches between full screen and a window
// the player can resize (F11), tells whether the window has the keyboard,
// and shows message boxes the player can see.
#ifndef PAPERLUNE_PLATFORM_DISPLAY_H
#define PAPERLUNE_PLATFORM_DISPLAY_H

#include <allegro.h>

#include "platform/geometry.h"

// Full screen at the desktop's resolution, or the largest window of whole
// pixels that fits, as `fullScreen` asks (the other when that cannot be
// set). False when no mode can be set. Needs the keyboard and mouse
// installed; it starts taking their events (platform/input.h).
bool DisplayOpen(const char *title, bool fullScreen = true);
// Called on the main thread after F11 switched the mode, with the mode the
// game now has, so that the choice can be kept. Null: nobody listens.
void DisplaySetModeListener(void (*listener)(bool fullScreen));
// Full screen now.
bool DisplayFullScreen();
// The picture: whole pixels (false, the default: the largest whole factor
// that fits, black around it) or filling the screen or window (true: the
// largest size of its 4:3 shape that fits, smoothed). Takes effect at once;
// callable before DisplayOpen. The pointer follows either exactly.
void DisplaySetPicture(bool fill);

// The window has the keyboard, as the X server last told (no round trip).
bool WindowHasFocus();
// How many times the window lost the keyboard since the game started: a
// loop that remembers the count sees a loss at its next wake, which the
// loss itself brings. Switching the mode is no loss.
unsigned WindowFocusLosses();
// Leaves the graphics mode (text mode), so that a message box can be seen.
// Harmless when the display is not open.
void DisplayShut();

// Runs `work` once, right after the next frame that changes the screen has
// gone to it: start-up work the first picture need not wait for. Null: none.
void DisplayAfterFirstFrame(void (*work)());

// Shows a finished frame, sent to the X server at once. Only what differs
// from the frame presented last goes to the screen, so a moved pointer or a
// typed letter costs its own few pixels. A frame smaller than the picture changes only the part it
// covers; the rest keeps what was presented last.
void DisplayPresent(BITMAP *frame);
// Fades from what was presented last to `target`, in SHOW_STEPS steps at the
// pace of the library's simulated retrace, then shows the target exactly.
// The first step, of weight 0, shows nothing new and takes no time.
void DisplayFade(BITMAP *target);
// A message box the player can see and answer, even over a full screen; the
// picture comes back afterwards. While the session ends from outside (a stop
// signal, the X server gone) the text goes to standard error instead.
void DisplayMessage(const char *text);

#endif
