#include "platform/fatal.h"

#include <allegro.h>

#include <cstdlib>

// Start-up brings up a handful of parts; a few more slots cost nothing.
static const int FATAL_TEARDOWNS = 8;

static void (*teardowns[FATAL_TEARDOWNS])();
static int registered = 0;

void AtFatalExit(void (*teardown)())
{
    for (int i = 0; i < registered; i++)
        if (teardowns[i] == teardown)
            return;
    if (registered < FATAL_TEARDOWNS)
        teardowns[registered++] = teardown;
}

void CancelFatalExit(void (*teardown)())
{
    int kept = 0;
    for (int i = 0; i < registered; i++)
        if (teardowns[i] != teardown)
            teardowns[kept++] = teardowns[i];
    registered = kept;
}

void FatalExit(const char *message)
{
    // In reverse: the music's decoder thread calls into the library and
    // stops before the display goes, and the display leaves its mode before
    // the box, which a full screen would hide.
    while (registered > 0) {
        void (*teardown)() = teardowns[--registered];
        teardown();
    }
    if (message)
        allegro_message("%s", message);
    allegro_exit();
    exit(1);
}
