// What the graphics library does not ask of the X desktop: to show the game's
// window full screen, the way today's desktops do it (the window covers the
// screen at its own resolution, nothing changes mode, the pointer stays
// where the player puts it).
#ifndef PAPERLUNE_PLATFORM_DESKTOP_H
#define PAPERLUNE_PLATFORM_DESKTOP_H

// The game's top-level window whose title is `title`, looked for over at most
// `timeoutMs`; 0 when none is found.
unsigned long DesktopFindWindow(const char *title, int timeoutMs);

// Asks for the window to cover the whole screen, or to be a normal window
// again. With a window manager this is its full-screen state; without one the
// window is moved to the screen's corner.
void DesktopFullScreen(unsigned long window, bool on);

// Where the pointer really is, relative to the window's top-left corner.
bool DesktopPointer(unsigned long window, int *x, int *y);

// Whether the key is down on the keyboard now, whichever window has it.
bool DesktopKeyDown(unsigned long keysym);

// Whether the keyboard's Caps Lock is on now: the X server's own indicator,
// whichever window had the keyboard when it was switched. One round trip,
// answered after every key event the server sent before it.
bool DesktopCapsLockOn();

// Closes the connection the ones above opened.
void DesktopClose();

#endif
