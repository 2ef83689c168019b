// The X screen saver extension's suspension, on a connection of its own: the
// server counts a client's suspensions and drops them all when the client
// goes, so the game asks once when the first reason comes, releases once when
// the last one goes, and a crash releases by itself.
#include "platform/awake.h"

#include <X11/Xlib.h>
#include <X11/extensions/scrnsaver.h>

// XScreenSaverSuspend came with version 1.1 of the extension.
static const int AWAKE_MAJOR = 1;
static const int AWAKE_MINOR = 1;

static Display *connection = nullptr;
static bool unavailable = false;   // no X server, or no extension: nothing to hold
static bool typing = false;
static bool fullScreen = false;
static bool suspended = false;

static bool Connect()
{
    if (connection || unavailable)
        return connection != nullptr;
    connection = XOpenDisplay(nullptr);
    int event, error, major = 0, minor = 0;
    if (connection && XScreenSaverQueryExtension(connection, &event, &error) &&
        XScreenSaverQueryVersion(connection, &major, &minor) &&
        (major > AWAKE_MAJOR || (major == AWAKE_MAJOR && minor >= AWAKE_MINOR)))
        return true;
    if (connection)
        XCloseDisplay(connection);
    connection = nullptr;
    unavailable = true;
    return false;
}

static void Apply()
{
    bool want = typing || fullScreen;
    if (want == suspended || !Connect())
        return;
    XScreenSaverSuspend(connection, want ? True : False);
    XFlush(connection);
    suspended = want;
}

void KeepAwakeWhileTyping(bool now)
{
    typing = now;
    Apply();
}

void KeepAwakeWhileFullScreen(bool now)
{
    fullScreen = now;
    Apply();
}

void KeepAwakeShut()
{
    typing = fullScreen = false;
    Apply();
    if (connection)
        XCloseDisplay(connection);
    connection = nullptr;
    unavailable = false;
}
