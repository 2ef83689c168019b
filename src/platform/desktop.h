// What the graphics library does not ask of the X desktop: to show the game's
// window full screen on one monitor, the way today's desktops do it (the
// window covers the monitor at its own resolution, nothing changes mode, the
// pointer stays where the player puts it); where the window really is; and
// what the window says of itself to taskbars and switchers.
#ifndef PAPERLUNE_PLATFORM_DESKTOP_H
#define PAPERLUNE_PLATFORM_DESKTOP_H

#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/monitors.h"

// The game's top-level window whose title is `title`, looked for over at most
// `timeoutMs`; 0 when none is found.
unsigned long DesktopFindWindow(const char *title, int timeoutMs);

// The monitors of the X screen: XRandR's (1.5 and later), else Xinerama's;
// empty when neither tells.
std::vector<Monitor> DesktopMonitors();
// The whole X screen.
ScreenRect DesktopScreen();
// Where the pointer is on the X screen.
bool DesktopPointerOnScreen(int *x, int *y);

// Asks for the window to cover `monitor`, or to be a normal window again.
// With a window manager this is its full-screen state on that monitor;
// without one the window is moved to the monitor's corner.
void DesktopFullScreen(unsigned long window, bool on, const ScreenRect &monitor);
// Moves the window's top-left corner to (x, y) of the X screen.
void DesktopMoveWindow(unsigned long window, int x, int y);

// Lets the player resize the window between the least and the largest size
// (a window outside them is brought inside), and gives it `place`: where it
// stands and its size.
void DesktopLimitWindowSize(unsigned long window, int minW, int minH, int maxW, int maxH);
void DesktopPlaceWindow(unsigned long window, const ScreenRect &place);

// From now on DesktopWindowChanged tells when the window or a frame it
// stands in was moved, resized, mapped or unmapped.
void DesktopFollowWindow(unsigned long window);
// Something of the above happened to the window since the last call.
bool DesktopWindowChanged(unsigned long window);
// Whether the followed window has the keyboard, as the focus events since
// DesktopFollowWindow left it (asked of the server once there), and how many
// times it lost it. The loss its own unmapping while a mode is set brings
// does not count. Events are read on the way, without a round trip.
bool DesktopWindowFocused();
unsigned DesktopFocusLosses();
// The descriptor of the connection the ones here use, -1 while none is
// open: it has something to read when the window changed or a light of the
// keyboard went on or off. A loop that sleeps waits on it too, unless
// events were already read from it (DesktopEventsWaiting).
int DesktopDescriptor();
bool DesktopEventsWaiting();
// Where the window stands on the X screen, its size, and whether it is
// viewable; false when it cannot be asked.
bool DesktopWindowArea(unsigned long window, ScreenRect *area, bool *viewable);
// While the library sets a mode: it unmaps its window, maps it again and
// waits until the window is mapped. A window manager that gets the map
// request while it still lets go of the window drops it, and the library
// would wait for good; the guard, on a thread and a connection of its own,
// sizes such a window w x h and maps it again.
void DesktopGuardMapStart(unsigned long window, int w, int h);
void DesktopGuardMapStop();

// What taskbars, switchers and compositors read: the name in UTF-8, the
// process, and the icon as _NET_WM_ICON lists it (width, height, then
// width x height pixels 0xAARRGGBB, for each size in turn); and for window
// managers that read only WM_HINTS, its `hintsSize` one as a pixmap with a
// mask (on a true-colour screen).
void DesktopDescribeWindow(unsigned long window, const char *name, const uint32_t *icon, size_t iconWords,
                           int hintsSize);

// Where the pointer really is, relative to the window's top-left corner.
bool DesktopPointer(unsigned long window, int *x, int *y);

// Whether the key is down on the keyboard now, whichever window has it.
bool DesktopKeyDown(unsigned long keysym);

// Whether the keyboard's Caps Lock is on: the X server's own indicator,
// whichever window had the keyboard when it was switched. Asked of the
// server once; after that the server tells of each change, and this reads
// what it told, without a round trip.
bool DesktopCapsLockOn();

// Closes the connection the ones above opened.
void DesktopClose();

#endif
