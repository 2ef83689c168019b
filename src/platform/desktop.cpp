// The X desktop, through a connection of our own beside the library's.
#include "platform/desktop.h"

#include <X11/XKBlib.h>
#include <X11/Xatom.h>
#include <X11/Xlib.h>

#include <chrono>
#include <cstring>
#include <thread>

static const int DESKTOP_POLL_MS = 10;
// Window managers put a window inside a frame, some inside a frame inside a
// frame; deeper than this nothing is nested.
static const int DESKTOP_SEARCH_DEPTH = 8;
// _NET_WM_STATE's actions.
static const long NET_WM_STATE_REMOVE = 0;
static const long NET_WM_STATE_ADD = 1;
static const long NET_WM_SOURCE_APPLICATION = 1;
// The indicator's name in every keymap the X server ships; its position in
// the list is the keymap's choice.
static const char CAPS_LOCK_INDICATOR[] = "Caps Lock";

static Display *desktop = nullptr;
static Atom capsLockAtom = None;   // None until asked, and on a server without Xkb
static bool xkbAsked = false;

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

static bool WindowManagerRunning()
{
    Atom check = XInternAtom(desktop, "_NET_SUPPORTING_WM_CHECK", False);
    Atom type;
    int format;
    unsigned long items, after;
    unsigned char *value = nullptr;
    bool running = XGetWindowProperty(desktop, DefaultRootWindow(desktop), check, 0, 1, False, XA_WINDOW, &type,
                                      &format, &items, &after, &value) == Success &&
                   value && items == 1;
    if (value)
        XFree(value);
    return running;
}

void DesktopFullScreen(unsigned long window, bool on)
{
    if (!window || !Connect())
        return;
    XErrorHandler old = XSetErrorHandler(IgnoreError);
    if (WindowManagerRunning()) {
        XEvent e;
        memset(&e, 0, sizeof e);
        e.xclient.type = ClientMessage;
        e.xclient.window = window;
        e.xclient.message_type = XInternAtom(desktop, "_NET_WM_STATE", False);
        e.xclient.format = 32;
        e.xclient.data.l[0] = on ? NET_WM_STATE_ADD : NET_WM_STATE_REMOVE;
        e.xclient.data.l[1] = long(XInternAtom(desktop, "_NET_WM_STATE_FULLSCREEN", False));
        e.xclient.data.l[3] = NET_WM_SOURCE_APPLICATION;
        XSendEvent(desktop, DefaultRootWindow(desktop), False, SubstructureRedirectMask | SubstructureNotifyMask,
                   &e);
    } else if (on) {
        XMoveWindow(desktop, window, 0, 0);
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

bool DesktopCapsLockOn()
{
    if (!Connect())
        return false;
    if (!xkbAsked) {
        xkbAsked = true;
        int opcode, event, error, major = XkbMajorVersion, minor = XkbMinorVersion;
        if (XkbQueryExtension(desktop, &opcode, &event, &error, &major, &minor))
            capsLockAtom = XInternAtom(desktop, CAPS_LOCK_INDICATOR, False);
    }
    if (capsLockAtom == None)
        return false;
    int index;
    Bool on = False;
    return XkbGetNamedIndicator(desktop, capsLockAtom, &index, &on, nullptr, nullptr) && on;
}

void DesktopClose()
{
    if (desktop)
        XCloseDisplay(desktop);
    desktop = nullptr;
    capsLockAtom = None;
    xkbAsked = false;
}
