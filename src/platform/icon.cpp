#include "platform/icon.h"

#include <allegro.h>
#include <xalleg.h>

#include "platform/desktop.h"

// Made at build time from the desktop icon's SVG; they define APP_ICON_XPM
// and APP_ICON_NET.
#include "paperlune_icon_net.h"
#include "paperlune_icon_xpm.h"

// The desktop entry's StartupWMClass names the same class.
static const char APP_WINDOW_NAME[] = "paperlune";
static const char APP_WINDOW_CLASS[] = "Paperlune";

// Allegro 4 on X11 turns these XPM lines into the window manager's icon; no
// header declares the variable.
extern "C" void *allegro_icon;

void PrepareGameWindow()
{
    allegro_icon = const_cast<char **>(APP_ICON_XPM);
    xwin_set_window_name(APP_WINDOW_NAME, APP_WINDOW_CLASS);
}

void DescribeGameWindow(unsigned long window, const char *name)
{
    DesktopDescribeWindow(window, name, APP_ICON_NET, sizeof APP_ICON_NET / sizeof APP_ICON_NET[0]);
}
