#include "platform/system.h"

#include <allegro.h>

#include <cerrno>
#include <cstdlib>

#include "platform/background.h"
#include "platform/icon.h"
#include "platform/session.h"
#include "platform/signals.h"

const char *SystemStart()
{
    // Before the library starts the thread it would bring otherwise, and
    // makes the window it names.
    QuietBackgroundThread();
    PrepareGameWindow();
    if (install_allegro(SYSTEM_AUTODETECT, &errno, atexit) != 0)
        return allegro_error;
    InstallCrashHandlers();
    InstallStopHandlers();
    return nullptr;
}

bool SystemStartInput()
{
    install_timer();
    install_keyboard();
    return install_mouse() != -1;
}

void SystemShut()
{
    allegro_exit();
}
