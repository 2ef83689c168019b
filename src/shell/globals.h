// Resources that start-up acquires and shutdown releases, and the game's
// fatal exit. Only the shell reads them: the screens below it are handed
// what they need (the samples through presentation/sounds.h).
#ifndef PAPERLUNE_SHELL_GLOBALS_H
#define PAPERLUNE_SHELL_GLOBALS_H

#include "platform/fsound.h"

extern const char APP_TITLE[];        // window title, also drawn by the menu

extern FSOUND_SAMPLE *type_sample;    // typewriter key: menu moves, typed keys
extern FSOUND_SAMPLE *bell_sample;    // typewriter bell: a menu item activated

// The one way out on a fatal error: the sound stopped, text mode, a message
// box, the font layer and the graphics library shut down, exit code 1.
[[noreturn]] void FatalError(const char *message);

#endif
