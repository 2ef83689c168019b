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

// Set on the thread that asks for a flush, for the handler it runs.
static thread_local bool flushOnly = false;

static void Handle()
{
    Display *d = _xwin.display;
    if (flushOnly) {
        if (d)
            XFlush(d);
        return;
    }
    // The library's round takes at most 50 events; the rest would wait for
    // the next wake, and no wake comes for events already read.
    for (int pass = 0; pass < LIBRARYX_MAX_PASSES; pass++) {
        _xwin_private_handle_input();
        if (!d || XEventsQueued(d, QueuedAlready) == 0)
            break;
    }
    // What the events made the library send (a window exposed is drawn
    // again) goes now; its own round left it for the next round.
    if (d)
        XFlush(d);
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

void LibraryXFlush()
{
    if (!_xwin.display || _xwin_input_handler != Handle)
        return;
    flushOnly = true;
    _xwin_handle_input();
    flushOnly = false;
}
