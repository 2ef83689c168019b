#include "platform/libraryx.h"

#include <X11/Xlib.h>
#include <allegro.h>
#include <allegro/platform/aintunix.h>

// The library's X state, whose header it does not install: it begins with
// its connection. Its input round calls the handler below, when one is set,
// instead of its own, with the library's lock held.
extern "C" {
extern struct LibraryXState {
    Display *display;
} _xwin;
extern void (*_xwin_input_handler)(void);
}

// A burst of keys far beyond what anyone types is still read in one wake;
// beyond this the next wake goes on.
static const int LIBRARYX_MAX_PASSES = 64;

// Set on the thread that asks for a flush, for the handler it runs, which
// says whether events were left in the queue.
static thread_local bool flushOnly = false;
static thread_local bool syncFirst = false;
static thread_local bool leftQueued = false;

// A flush that finds the server not ready to take more reads what it sent
// meanwhile into the queue: events no wake tells of, unless someone looks.
static bool FlushAndLook(Display *d)
{
    XFlush(d);
    return XEventsQueued(d, QueuedAlready) > 0;
}

static void Handle()
{
    Display *d = _xwin.display;
    if (flushOnly) {
        leftQueued = d && FlushAndLook(d);
        return;
    }
    // The answer comes after every event the server sent before it.
    if (syncFirst && d)
        XSync(d, False);
    // The library's round takes at most 50 events; the rest would wait for
    // the next wake, and no wake comes for events already read. What the
    // events made the library send (a window exposed is drawn again) goes
    // now: its own round left it for the next round.
    for (int pass = 0; pass < LIBRARYX_MAX_PASSES; pass++) {
        _xwin_private_handle_input();
        if (!d || !FlushAndLook(d))
            break;
    }
}

int LibraryXDescriptor()
{
    Display *d = _xwin.display;
    return d ? ConnectionNumber(d) : -1;
}

void LibraryXTakeOver()
{
    _xwin_input_handler = Handle;
}

bool LibraryXFlush()
{
    if (!_xwin.display || _xwin_input_handler != Handle)
        return false;
    flushOnly = true;
    leftQueued = false;
    _xwin_handle_input();
    flushOnly = false;
    return leftQueued;
}

bool LibraryXCatchUp()
{
    if (!_xwin.display || _xwin_input_handler != Handle)
        return false;
    syncFirst = true;
    _xwin_handle_input();
    syncFirst = false;
    return true;
}
