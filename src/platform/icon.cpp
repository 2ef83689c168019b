#include "platform/icon.h"

#include <allegro.h>
#include <xalleg.h>

#include "platform/desktop.h"

// Made at build time from the desktop icon's SVG; it defines APP_ICON_NET.
#include "paperlune_icon_net.h"

// The desktop entry's StartupWMClass names the same class.
static const char APP_WINDOW_NAME[] = "paperlune";
static const char APP_WINDOW_CLASS[] = "Paperlune";

// The size window managers that read the icon from WM_HINTS are given.
static const int APP_HINTS_ICON_SIZE = 48;

void PrepareGameWindow()
{
    // The library could make the WM_HINTS icon from XPM lines, but asks the
    // server for each of its colours in turn, a round trip apiece, before
    // the window can show anything; the desktop's connection makes it later
    // in two requests.
    xwin_set_window_name(APP_WINDOW_NAME, APP_WINDOW_CLASS);
}

void DescribeGameWindow(unsigned long window, const char *name)
{
    DesktopDescribeWindow(window, name, APP_ICON_NET, sizeof APP_ICON_NET / sizeof APP_ICON_NET[0],
                          APP_HINTS_ICON_SIZE);
}
