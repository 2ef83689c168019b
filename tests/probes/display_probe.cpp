// Opens the display the way the shell does, with the services a settings
// screen uses, and tells on standard output what they report: the mode it
// opened in ("open full" / "open window"), each switch F11 makes ("mode
// ..."), each press of F9 ("mute N"), and the window's focus ("focus 1
// losses 0") at start and whenever it changes. The argument "window" asks
// for a window. The close button ends it with exit 0.
#include <cstdio>
#include <cstring>

#include "platform/display.h"
#include "platform/input.h"
#include "platform/system.h"

static const char PROBE_TITLE[] = "Paperlune";
static const int EXIT_NO_LIBRARY = 3;
static const int EXIT_NO_DISPLAY = 4;

static int mutes = 0;

static void OnMode(bool fullScreen)
{
    printf("mode %s\n", fullScreen ? "full" : "window");
}

static void OnMute()
{
    printf("mute %d\n", ++mutes);
}

int main(int argc, char **argv)
{
    setvbuf(stdout, nullptr, _IOLBF, 0);
    bool full = !(argc > 1 && strcmp(argv[1], "window") == 0);
    if (SystemStart() || !SystemStartInput())
        return EXIT_NO_LIBRARY;
    DisplaySetModeListener(OnMode);
    InputSetMuteKeyHandler(OnMute);
    if (!DisplayOpen(PROBE_TITLE, full))
        return EXIT_NO_DISPLAY;
    printf("open %s\n", DisplayFullScreen() ? "full" : "window");
    bool focus = WindowHasFocus();
    unsigned losses = WindowFocusLosses();
    printf("focus %d losses %u\n", focus, losses);
    while (!CloseRequested()) {
        DisplayWait(DISPLAY_IDLE_MS);
        ClearKeys();
        if (WindowHasFocus() != focus || WindowFocusLosses() != losses) {
            focus = WindowHasFocus();
            losses = WindowFocusLosses();
            printf("focus %d losses %u\n", focus, losses);
        }
    }
    DisplayShut();
    SystemShut();
    return 0;
}
