#include "platform/system.h"

#include <allegro.h>

#include <cerrno>
#include <clocale>
#include <cstdlib>

#include "platform/background.h"
#include "platform/icon.h"
#include "platform/keyboardlocale.h"
#include "platform/libraryx.h"
#include "platform/session.h"
#include "platform/signals.h"
#include "platform/timerthread.h"

const char *SystemStart()
{
    // Before the library starts the thread it would bring otherwise, and
    // makes the window it names.
    QuietBackgroundThread();
    QuietTimerThread();
    PrepareGameWindow();
    if (install_allegro(SYSTEM_AUTODETECT, &errno, atexit) != 0)
        return allegro_error;
    BackgroundInputRegistered();
    LibraryXTakeOver();
    InstallCrashHandlers();
    InstallStopHandlers();
    return nullptr;
}

bool SystemStartInput()
{
    bool pointer = SystemStartPointer();
    SystemStartKeyboard();
    return pointer;
}

bool SystemStartPointer()
{
    install_timer();
    return install_mouse() != -1;
}

void SystemStartKeyboard()
{
    // The keyboard driver reads the locale and opens its input method in
    // one go: dead keys compose as they do under any UTF-8 locale only if
    // the character type is chosen first.
    PreferUtf8CharacterType();
    install_keyboard();
    // The driver took every part of the locale from the environment; the
    // numbers the game writes into files keep their decimal point.
    setlocale(LC_NUMERIC, "C");
}

void SystemShut()
{
    allegro_exit();
}
