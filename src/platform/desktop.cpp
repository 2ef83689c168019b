// The X desktop, through a connection of our own beside the library's.
#include "platform/desktop.h"

#include <X11/XKBlib.h>
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/Xinerama.h>
#include <X11/extensions/Xrandr.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <thread>

#include <unistd.h>

static const int DESKTOP_POLL_MS = 10;
// How long a window may stay withdrawn while the library waits for it to be
// mapped before it is taken as dropped and mapped again.
static const int DESKTOP_REMAP_MS = 150;
// Window managers put a window inside a frame, some inside a frame inside a
// frame; deeper than this nothing is nested.
static const int DESKTOP_SEARCH_DEPTH = 8;
// _NET_WM_STATE's actions.
static const long NET_WM_STATE_REMOVE = 0;
static const long NET_WM_STATE_ADD = 1;
static const long NET_WM_SOURCE_APPLICATION = 1;
// XRandR lists monitors (not only outputs) from this version on.
static const int RANDR_MONITORS_MAJOR = 1;
static const int RANDR_MONITORS_MINOR = 5;
static const int DESKTOP_HOST_NAME_MAX = 256;
// The indicator's name in every keymap the X server ships; its position in
// the list is the keymap's choice.
static const char CAPS_LOCK_INDICATOR[] = "Caps Lock";

static Display *desktop = nullptr;
static bool xkbAsked = false;
static int capsLockIndex = -1;     // the indicator's place; -1 without Xkb or without it
static bool capsLockOn = false;    // as the last indicator event left it
static Window followed = 0;        // the game's window, whose frames are followed too
static int xkbEvent = -1;          // the Xkb extension's event type, once asked
static bool windowNews = false;    // an event of the window not yet told
static bool focused = false;       // the followed window has the keyboard
static unsigned focusLosses = 0;
static bool focusSettling = false; // losses are not counted while set

// A window may vanish between being listed and being asked its name; that
// is no reason to end the game.
static int IgnoreError(Display *, XErrorEvent *)
{
    return 0;
}

static bool Connect()
{
    if (!desktop)
        desktop = XOpenDisplay(nullptr);
    return desktop != nullptr;
}

static Window Search(Window w, const char *title, int depth)
{
    char *name = nullptr;
    if (XFetchName(desktop, w, &name) && name) {
        bool match = strcmp(name, title) == 0;
        XFree(name);
        if (match)
            return w;
    }
    if (depth == 0)
        return 0;
    Window root, parent, *children = nullptr;
    unsigned count = 0;
    Window found = 0;
    if (XQueryTree(desktop, w, &root, &parent, &children, &count)) {
        for (unsigned i = 0; i < count && !found; i++)
            found = Search(children[i], title, depth - 1);
        if (children)
            XFree(children);
    }
    return found;
}

unsigned long DesktopFindWindow(const char *title, int timeoutMs)
{
    if (!Connect())
        return 0;
    auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        XSync(desktop, False);
        XErrorHandler old = XSetErrorHandler(IgnoreError);
        Window found = Search(DefaultRootWindow(desktop), title, DESKTOP_SEARCH_DEPTH);
        XSync(desktop, False);
        XSetErrorHandler(old);
        if (found || std::chrono::steady_clock::now() >= end)
            return found;
        std::this_thread::sleep_for(std::chrono::milliseconds(DESKTOP_POLL_MS));
    }
}

static Atom Intern(const char *name)
{
    return XInternAtom(desktop, name, False);
}

// The window that `w`'s _NET_SUPPORTING_WM_CHECK names, or 0.
static Window CheckWindowOf(Window w)
{
    Atom type;
    int format;
    unsigned long items, after;
    unsigned char *value = nullptr;
    Window found = 0;
    if (XGetWindowProperty(desktop, w, Intern("_NET_SUPPORTING_WM_CHECK"), 0, 1, False, XA_WINDOW, &type, &format,
                           &items, &after, &value) == Success && value && items == 1)
        found = *reinterpret_cast<Window *>(value);
    if (value)
        XFree(value);
    return found;
}

// A window manager runs when the root names a check window that names itself;
// one that has ended leaves the root's property behind. Errors must be
// ignored around it.
static bool WindowManagerRunning()
{
    Window named = CheckWindowOf(DefaultRootWindow(desktop));
    return named && CheckWindowOf(named) == named;
}

// The window manager lists `atom` in _NET_SUPPORTED.
static bool WindowManagerSupports(Atom atom)
{
    Atom type;
    int format;
    unsigned long items, after;
    unsigned char *value = nullptr;
    bool found = false;
    if (XGetWindowProperty(desktop, DefaultRootWindow(desktop), Intern("_NET_SUPPORTED"), 0, 4096, False, XA_ATOM,
                           &type, &format, &items, &after, &value) == Success && value) {
        const Atom *atoms = reinterpret_cast<const Atom *>(value);
        for (unsigned long i = 0; i < items && !found; i++)
            found = atoms[i] == atom;
    }
    if (value)
        XFree(value);
    return found;
}

static void SendToWindowManager(Window window, Atom message, long a, long b, long c, long d, long e)
{
    XEvent ev;
    memset(&ev, 0, sizeof ev);
    ev.xclient.type = ClientMessage;
    ev.xclient.window = window;
    ev.xclient.message_type = message;
    ev.xclient.format = 32;
    ev.xclient.data.l[0] = a;
    ev.xclient.data.l[1] = b;
    ev.xclient.data.l[2] = c;
    ev.xclient.data.l[3] = d;
    ev.xclient.data.l[4] = e;
    XSendEvent(desktop, DefaultRootWindow(desktop), False, SubstructureRedirectMask | SubstructureNotifyMask, &ev);
}

static bool SameArea(const ScreenRect &a, int x, int y, int w, int h)
{
    return a.x == x && a.y == y && a.w == w && a.h == h;
}

// _NET_WM_FULLSCREEN_MONITORS counts monitors as Xinerama lists them.
static long XineramaIndex(const ScreenRect &monitor)
{
    long index = 0;
    int count = 0;
    XineramaScreenInfo *heads = XineramaIsActive(desktop) ? XineramaQueryScreens(desktop, &count) : nullptr;
    for (int i = 0; i < count; i++)
        if (SameArea(monitor, heads[i].x_org, heads[i].y_org, heads[i].width, heads[i].height))
            index = i;
    if (heads)
        XFree(heads);
    return index;
}

std::vector<Monitor> DesktopMonitors()
{
    std::vector<Monitor> found;
    if (!Connect())
        return found;
    int event, error, major = 0, minor = 0;
    if (XRRQueryExtension(desktop, &event, &error) && XRRQueryVersion(desktop, &major, &minor) &&
        (major > RANDR_MONITORS_MAJOR || (major == RANDR_MONITORS_MAJOR && minor >= RANDR_MONITORS_MINOR))) {
        int count = 0;
        XRRMonitorInfo *monitors = XRRGetMonitors(desktop, DefaultRootWindow(desktop), True, &count);
        for (int i = 0; i < count; i++)
            if (monitors[i].width > 0 && monitors[i].height > 0)
                found.push_back({{monitors[i].x, monitors[i].y, monitors[i].width, monitors[i].height},
                                 monitors[i].primary != 0});
        if (monitors)
            XRRFreeMonitors(monitors);
    }
    if (found.empty() && XineramaIsActive(desktop)) {
        int count = 0;
        XineramaScreenInfo *heads = XineramaQueryScreens(desktop, &count);
        for (int i = 0; i < count; i++)
            found.push_back({{heads[i].x_org, heads[i].y_org, heads[i].width, heads[i].height}, false});
        if (heads)
            XFree(heads);
    }
    return found;
}

ScreenRect DesktopScreen()
{
    if (!Connect())
        return {0, 0, 0, 0};
    return {0, 0, DisplayWidth(desktop, DefaultScreen(desktop)), DisplayHeight(desktop, DefaultScreen(desktop))};
}

bool DesktopPointerOnScreen(int *x, int *y)
{
    if (!Connect())
        return false;
    Window root, child;
    int wx, wy;
    unsigned mask;
    return XQueryPointer(desktop, DefaultRootWindow(desktop), &root, &child, x, y, &wx, &wy, &mask);
}

void DesktopFullScreen(unsigned long window, bool on, const ScreenRect &monitor)
{
    if (!window || !Connect())
        return;
    XErrorHandler old = XSetErrorHandler(IgnoreError);
    // A compositor need not redraw a full-screen game through itself.
    Atom bypass = Intern("_NET_WM_BYPASS_COMPOSITOR");
    if (on) {
        long one = 1;
        XChangeProperty(desktop, window, bypass, XA_CARDINAL, 32, PropModeReplace,
                        reinterpret_cast<unsigned char *>(&one), 1);
    } else {
        XDeleteProperty(desktop, window, bypass);
    }
    if (WindowManagerRunning()) {
        // The library fixes the window's size with equal least and largest
        // sizes, and the window already has the monitor's size. fluxbox
        // places a full-screen window at the monitor's corner only when the
        // switch changes its size, and else leaves it below where its title
        // bar was: so the window is made a line smaller first. A window in
        // full screen has no size of its own to keep; the next mode sets
        // the hints anew.
        XSizeHints hints;
        long supplied = 0;
        XWindowAttributes a;
        if (on && XGetWMNormalHints(desktop, window, &hints, &supplied) && XGetWindowAttributes(desktop, window, &a)) {
            hints.flags &= ~(PMinSize | PMaxSize);
            XSetWMNormalHints(desktop, window, &hints);
            XResizeWindow(desktop, window, std::max(1, a.width - 1), std::max(1, a.height - 1));
        }
        Atom monitors = Intern("_NET_WM_FULLSCREEN_MONITORS");
        if (on && WindowManagerSupports(monitors)) {
            long head = XineramaIndex(monitor);
            SendToWindowManager(window, monitors, head, head, head, head, NET_WM_SOURCE_APPLICATION);
        }
        SendToWindowManager(window, Intern("_NET_WM_STATE"), on ? NET_WM_STATE_ADD : NET_WM_STATE_REMOVE,
                            long(Intern("_NET_WM_STATE_FULLSCREEN")), 0, NET_WM_SOURCE_APPLICATION, 0);
    } else if (on) {
        XMoveWindow(desktop, window, monitor.x, monitor.y);
    }
    XSync(desktop, False);
    XSetErrorHandler(old);
}

void DesktopMoveWindow(unsigned long window, int x, int y)
{
    if (!window || !Connect())
        return;
    XErrorHandler old = XSetErrorHandler(IgnoreError);
    XMoveWindow(desktop, window, x, y);
    XSync(desktop, False);
    XSetErrorHandler(old);
}

void DesktopLimitWindowSize(unsigned long window, int minW, int minH, int maxW, int maxH)
{
    if (!window || !Connect())
        return;
    XErrorHandler old = XSetErrorHandler(IgnoreError);
    // The library fixed the size with equal least and largest sizes; its
    // other hints stay.
    XSizeHints hints;
    long supplied = 0;
    if (!XGetWMNormalHints(desktop, window, &hints, &supplied))
        hints.flags = 0;
    hints.flags |= PMinSize | PMaxSize | PBaseSize;
    hints.min_width = hints.base_width = minW;
    hints.min_height = hints.base_height = minH;
    hints.max_width = maxW;
    hints.max_height = maxH;
    XSetWMNormalHints(desktop, window, &hints);
    XWindowAttributes a;
    if (XGetWindowAttributes(desktop, window, &a)) {
        int w = std::clamp(a.width, minW, maxW), h = std::clamp(a.height, minH, maxH);
        if (w != a.width || h != a.height)
            XResizeWindow(desktop, window, w, h);
    }
    XSync(desktop, False);
    XSetErrorHandler(old);
}

void DesktopPlaceWindow(unsigned long window, const ScreenRect &place)
{
    if (!window || !Connect())
        return;
    XErrorHandler old = XSetErrorHandler(IgnoreError);
    XMoveResizeWindow(desktop, window, place.x, place.y, place.w, place.h);
    XSync(desktop, False);
    XSetErrorHandler(old);
}

// A window manager moves its frame, not the window in it: every window from
// the game's up to the root's child tells of its moves. Errors must be
// ignored around it (a frame may vanish under us).
static void FollowFrames(Window window)
{
    Window w = window;
    for (int depth = 0; w && depth < DESKTOP_SEARCH_DEPTH; depth++) {
        XSelectInput(desktop, w, StructureNotifyMask | (w == window ? FocusChangeMask : 0));
        Window root, parent, *children = nullptr;
        unsigned count = 0;
        if (!XQueryTree(desktop, w, &root, &parent, &children, &count))
            break;
        if (children)
            XFree(children);
        if (parent == root)
            break;
        w = parent;
    }
}

static void TakeEvents();

void DesktopFollowWindow(unsigned long window)
{
    if (!window || !Connect())
        return;
    // What setting the mode did to the focus (the window unmapped and
    // mapped again) is no loss the player caused.
    XSync(desktop, False);
    focusSettling = true;
    TakeEvents();
    focusSettling = false;
    followed = window;
    XErrorHandler old = XSetErrorHandler(IgnoreError);
    FollowFrames(window);
    // From the events on; where they start from is asked once. With the
    // focus on the root or following the pointer, the keys reach whatever
    // window the pointer is in.
    Window focus = 0;
    int revert;
    XGetInputFocus(desktop, &focus, &revert);
    focused = focus == window;
    if (focus == PointerRoot || focus == DefaultRootWindow(desktop)) {
        Window root, child;
        int rx, ry, x, y;
        unsigned mask;
        XWindowAttributes a;
        focused = XQueryPointer(desktop, window, &root, &child, &rx, &ry, &x, &y, &mask) &&
                  XGetWindowAttributes(desktop, window, &a) && x >= 0 && y >= 0 && x < a.width && y < a.height;
    }
    XSync(desktop, False);
    XSetErrorHandler(old);
}

// A focus event of the followed window. A grab's (a window manager's switch
// of windows under way, a global shortcut) moves no focus, and the focus
// moving into a window inside this one keeps the keyboard here.
static void NoteFocus(const XFocusChangeEvent &e)
{
    if (e.window != followed || e.mode == NotifyGrab || e.mode == NotifyUngrab)
        return;
    if (e.type == FocusIn) {
        focused = true;
        return;
    }
    if (e.detail == NotifyInferior)
        return;
    if (focused && !focusSettling)
        focusLosses++;
    focused = false;
}

// Takes every event the connection holds, without waiting: news of the
// window and its frames (kept for DesktopWindowChanged), and of the
// keyboard's lights.
static void TakeEvents()
{
    bool reparented = false;
    while (XPending(desktop) > 0) {
        XEvent e;
        XNextEvent(desktop, &e);
        if (e.type == ReparentNotify)
            reparented = true;
        if (e.type == FocusIn || e.type == FocusOut) {
            NoteFocus(e.xfocus);
            continue;
        }
        if (xkbEvent >= 0 && e.type == xkbEvent) {
            const XkbEvent &k = reinterpret_cast<const XkbEvent &>(e);
            if (k.any.xkb_type == XkbIndicatorStateNotify && capsLockIndex >= 0)
                capsLockOn = (k.indicators.state >> capsLockIndex) & 1;
            continue;
        }
        windowNews = true;
    }
    // In a new frame: its moves are the window's.
    if (reparented && followed) {
        XErrorHandler old = XSetErrorHandler(IgnoreError);
        FollowFrames(followed);
        XSync(desktop, False);
        XSetErrorHandler(old);
    }
}

bool DesktopWindowChanged(unsigned long window)
{
    if (!window || !desktop)
        return false;
    TakeEvents();
    bool news = windowNews;
    windowNews = false;
    return news;
}

bool DesktopWindowFocused()
{
    if (desktop)
        TakeEvents();
    return focused;
}

unsigned DesktopFocusLosses()
{
    if (desktop)
        TakeEvents();
    return focusLosses;
}

int DesktopDescriptor()
{
    return desktop ? ConnectionNumber(desktop) : -1;
}

bool DesktopEventsWaiting()
{
    return desktop && XEventsQueued(desktop, QueuedAlready) > 0;
}

bool DesktopWindowArea(unsigned long window, ScreenRect *area, bool *viewable)
{
    if (!window || !Connect())
        return false;
    XErrorHandler old = XSetErrorHandler(IgnoreError);
    XWindowAttributes a;
    Window child;
    int x = 0, y = 0;
    bool ok = XGetWindowAttributes(desktop, window, &a) &&
              XTranslateCoordinates(desktop, window, DefaultRootWindow(desktop), 0, 0, &x, &y, &child);
    XSync(desktop, False);
    XSetErrorHandler(old);
    if (!ok)
        return false;
    *area = {x, y, a.width, a.height};
    *viewable = a.map_state == IsViewable;
    return true;
}

// Unmapped, a child of the root, and not iconic: no window manager has it.
static bool Withdrawn(Display *d, Window window)
{
    XWindowAttributes a;
    if (!XGetWindowAttributes(d, window, &a) || a.map_state != IsUnmapped)
        return false;
    Window root, parent, *children = nullptr;
    unsigned count = 0;
    if (!XQueryTree(d, window, &root, &parent, &children, &count))
        return false;
    if (children)
        XFree(children);
    if (parent != root)
        return false;
    Atom wmState = XInternAtom(d, "WM_STATE", False), type;
    int format;
    unsigned long items, after;
    unsigned char *value = nullptr;
    bool iconic = XGetWindowProperty(d, window, wmState, 0, 2, False, wmState, &type, &format, &items, &after,
                                     &value) == Success && value && items >= 1 &&
                  *reinterpret_cast<long *>(value) == IconicState;
    if (value)
        XFree(value);
    return !iconic;
}

static std::thread guard;
static std::mutex guardLock;
static std::condition_variable guardWake;
static bool guardStop = false;

static void Guard(Window window, int w, int h)
{
    // Its own connection: Xlib's are not shared between threads here. It is
    // opened only once a mode takes longer than a look: most are set by then,
    // and start-up does not wait for a connection of no use.
    Display *d = nullptr;
    std::unique_lock<std::mutex> hold(guardLock);
    auto since = std::chrono::steady_clock::now();
    bool was = false;
    while (!guardWake.wait_for(hold, std::chrono::milliseconds(DESKTOP_POLL_MS), [] { return guardStop; })) {
        if (!d && !(d = XOpenDisplay(nullptr)))
            return;
        bool withdrawn = Withdrawn(d, window);
        auto now = std::chrono::steady_clock::now();
        if (!withdrawn || !was)
            since = now;
        was = withdrawn;
        // A window manager that is merely slow has it soon; one that dropped
        // it never will. Asking again is harmless for the first.
        if (withdrawn && now - since >= std::chrono::milliseconds(DESKTOP_REMAP_MS)) {
            XResizeWindow(d, window, w, h);
            XMapWindow(d, window);
            XSync(d, False);
            since = now;
        }
    }
    if (d)
        XCloseDisplay(d);
}

void DesktopGuardMapStart(unsigned long window, int w, int h)
{
    DesktopGuardMapStop();
    if (!window)
        return;
    guardStop = false;
    guard = std::thread(Guard, Window(window), w, h);
}

void DesktopGuardMapStop()
{
    if (!guard.joinable())
        return;
    {
        std::lock_guard<std::mutex> hold(guardLock);
        guardStop = true;
    }
    guardWake.notify_all();
    guard.join();
}

// A channel of 0..255 in a true-colour visual's mask.
static unsigned long InMask(uint32_t channel, unsigned long mask)
{
    if (!mask)
        return 0;
    int shift = 0;
    while (!((mask >> shift) & 1))
        shift++;
    unsigned long top = mask >> shift;
    return ((channel * top + 127) / 255) << shift;
}

// One icon of _NET_WM_ICON's list as WM_HINTS' pixmap and mask. The pixmaps
// live as long as this connection, as the window does.
static void SetHintsIcon(Window window, const uint32_t *icon, size_t words, int size)
{
    const uint32_t *px = nullptr;
    for (size_t i = 0; i + 2 <= words && !px;) {
        size_t w = icon[i], h = icon[i + 1];
        if (i + 2 + w * h > words)
            return;
        if (int(w) == size && int(h) == size)
            px = icon + i + 2;
        i += 2 + w * h;
    }
    int screen = DefaultScreen(desktop);
    Visual *visual = DefaultVisual(desktop, screen);
    if (!px || visual->c_class != TrueColor)
        return;
    int depth = DefaultDepth(desktop, screen);
    XImage *colour = XCreateImage(desktop, visual, depth, ZPixmap, 0, nullptr, size, size, 32, 0);
    XImage *mask = XCreateImage(desktop, visual, 1, XYBitmap, 0, nullptr, size, size, 8, 0);
    if (!colour || !mask) {
        if (colour)
            XDestroyImage(colour);
        if (mask)
            XDestroyImage(mask);
        return;
    }
    colour->data = static_cast<char *>(calloc(size_t(colour->bytes_per_line) * size, 1));
    mask->data = static_cast<char *>(calloc(size_t(mask->bytes_per_line) * size, 1));
    for (int y = 0; y < size; y++)
        for (int x = 0; x < size; x++) {
            uint32_t argb = px[y * size + x];
            XPutPixel(colour, x, y, InMask((argb >> 16) & 0xFF, visual->red_mask) |
                                        InMask((argb >> 8) & 0xFF, visual->green_mask) |
                                        InMask(argb & 0xFF, visual->blue_mask));
            XPutPixel(mask, x, y, (argb >> 24) >= 0x80);
        }
    Pixmap colourPixmap = XCreatePixmap(desktop, window, size, size, depth);
    Pixmap maskPixmap = XCreatePixmap(desktop, window, size, size, 1);
    GC gc = XCreateGC(desktop, colourPixmap, 0, nullptr);
    XPutImage(desktop, colourPixmap, gc, colour, 0, 0, 0, 0, size, size);
    XFreeGC(desktop, gc);
    gc = XCreateGC(desktop, maskPixmap, 0, nullptr);
    XSetForeground(desktop, gc, 1);
    XSetBackground(desktop, gc, 0);
    XPutImage(desktop, maskPixmap, gc, mask, 0, 0, 0, 0, size, size);
    XFreeGC(desktop, gc);
    XDestroyImage(colour);
    XDestroyImage(mask);
    // The library's own hints (input, state) stay.
    XWMHints *hints = XGetWMHints(desktop, window);
    XWMHints fresh = {};
    XWMHints *set = hints ? hints : &fresh;
    set->flags |= IconPixmapHint | IconMaskHint;
    set->icon_pixmap = colourPixmap;
    set->icon_mask = maskPixmap;
    XSetWMHints(desktop, window, set);
    if (hints)
        XFree(hints);
}

void DesktopDescribeWindow(unsigned long window, const char *name, const uint32_t *icon, size_t iconWords,
                           int hintsSize)
{
    if (!window || !Connect())
        return;
    XErrorHandler old = XSetErrorHandler(IgnoreError);
    Atom utf8 = Intern("UTF8_STRING");
    XChangeProperty(desktop, window, Intern("_NET_WM_NAME"), utf8, 8, PropModeReplace,
                    reinterpret_cast<const unsigned char *>(name), int(strlen(name)));
    XChangeProperty(desktop, window, Intern("_NET_WM_ICON_NAME"), utf8, 8, PropModeReplace,
                    reinterpret_cast<const unsigned char *>(name), int(strlen(name)));
    // Format 32 properties travel as longs on the client side.
    std::vector<long> words(icon, icon + iconWords);
    XChangeProperty(desktop, window, Intern("_NET_WM_ICON"), XA_CARDINAL, 32, PropModeReplace,
                    reinterpret_cast<unsigned char *>(words.data()), int(words.size()));
    SetHintsIcon(window, icon, iconWords, hintsSize);
    long pid = getpid();
    XChangeProperty(desktop, window, Intern("_NET_WM_PID"), XA_CARDINAL, 32, PropModeReplace,
                    reinterpret_cast<unsigned char *>(&pid), 1);
    // A process number means something only with the machine it runs on.
    char host[DESKTOP_HOST_NAME_MAX] = "";
    if (gethostname(host, sizeof host - 1) == 0 && host[0]) {
        XTextProperty machine;
        char *list[] = {host};
        if (XStringListToTextProperty(list, 1, &machine)) {
            XSetWMClientMachine(desktop, window, &machine);
            XFree(machine.value);
        }
    }
    XSync(desktop, False);
    XSetErrorHandler(old);
}

bool DesktopPointer(unsigned long window, int *x, int *y)
{
    if (!window || !Connect())
        return false;
    Window root, child;
    int rootX, rootY;
    unsigned mask;
    XErrorHandler old = XSetErrorHandler(IgnoreError);
    bool same = XQueryPointer(desktop, window, &root, &child, &rootX, &rootY, x, y, &mask);
    XSync(desktop, False);
    XSetErrorHandler(old);
    return same;
}

bool DesktopKeyDown(unsigned long keysym)
{
    if (!Connect())
        return false;
    KeyCode code = XKeysymToKeycode(desktop, keysym);
    char keys[32];
    XQueryKeymap(desktop, keys);
    return code && (keys[code / 8] & (1 << (code % 8)));
}

// From here on the server tells of every change of the keyboard's lights;
// the state they start from is asked once.
static void WatchCapsLock()
{
    xkbAsked = true;
    int opcode, error, major = XkbMajorVersion, minor = XkbMinorVersion;
    if (!XkbQueryExtension(desktop, &opcode, &xkbEvent, &error, &major, &minor)) {
        xkbEvent = -1;
        return;
    }
    XkbSelectEventDetails(desktop, XkbUseCoreKbd, XkbIndicatorStateNotify, XkbAllIndicatorsMask,
                          XkbAllIndicatorsMask);
    Atom name = XInternAtom(desktop, CAPS_LOCK_INDICATOR, False);
    Bool on = False;
    int index = -1;
    if (XkbGetNamedIndicator(desktop, name, &index, &on, nullptr, nullptr) && index >= 0)
        capsLockIndex = index;
    capsLockOn = on;
}

bool DesktopCapsLockOn()
{
    if (!Connect())
        return false;
    if (!xkbAsked)
        WatchCapsLock();
    if (capsLockIndex < 0)
        return false;
    // Events that came meanwhile; one still on its way wakes the loop that
    // asks (DesktopDescriptor), which then asks again.
    TakeEvents();
    return capsLockOn;
}

void DesktopClose()
{
    if (desktop)
        XCloseDisplay(desktop);
    desktop = nullptr;
    xkbAsked = false;
    xkbEvent = -1;
    capsLockIndex = -1;
    capsLockOn = false;
    followed = 0;
    windowNews = false;
    focused = false;
}
