// Which monitor of several the game uses, where its window stands on it, and
// where the picture stands in a window the window manager may have sized or
// placed otherwise than asked: pure rules, callable without a window.
#ifndef PAPERLUNE_PLATFORM_MONITORS_H
#define PAPERLUNE_PLATFORM_MONITORS_H

#include <vector>

#include "platform/geometry.h"

// A rectangle of the X screen, in root coordinates (x, y may be negative).
struct ScreenRect {
    int x, y, w, h;
};

struct Monitor {
    ScreenRect area;
    bool primary;
};

// The monitor under the pointer when the pointer is known and on one, else
// the primary one, else the first; -1 when there is none.
int ChooseMonitor(const std::vector<Monitor> &monitors, bool pointerKnown, int px, int py);

// The window of the game on a monitor: GAME_W x GAME_H times WindowScale of
// that monitor, centred on it.
ScreenRect WindowOnMonitor(const ScreenRect &monitor);

// The common part of two rectangles; w and h 0 when they do not meet.
ScreenRect Intersect(const ScreenRect &a, const ScreenRect &b);

// Where the picture stands in the game's window, in window coordinates.
// `window` is where the window really is and how large, `drawableW` x
// `drawableH` the size of the library's screen (nothing beyond it is ever
// drawn). In a window the picture fills the drawable part; full screen it
// fills the part of it that a monitor shows, the monitor that shows most of
// the window, `preferred` (an index, or -1) where it shows as much as any
// (the whole drawable part when none does, or none is known). `fill` as
// PictureGeometry takes it.
DisplayGeometry PictureInWindow(const ScreenRect &window, int drawableW, int drawableH,
                                const std::vector<Monitor> &monitors, int preferred, bool fullScreen,
                                bool fill = false);

#endif
