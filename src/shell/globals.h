// Resources that start-up acquires and shutdown releases, shared by every
// screen, and the input reset every screen calls after acting on a press.
#ifndef PAPERLUNE_SHELL_GLOBALS_H
#define PAPERLUNE_SHELL_GLOBALS_H

#include "platform/fsound.h"
#include "presentation/alfont.h"

extern const char APP_TITLE[];        // window title, also drawn by the menu
extern const char MENU_FONT[];        // font of the main menu

extern ALFONT_FONT *typerfont;        // the typewriter font, loaded to fail early when missing
extern FSOUND_SAMPLE *type_sample;    // typewriter key: menu moves, typed keys
extern FSOUND_SAMPLE *bell_sample;    // typewriter bell: a menu item activated
extern FSOUND_STREAM *MUSIC_STREAM;   // the music stream the scene player opened last
extern bool QWERTZ;                   // exchange Y and Z of typed keys; false

// Empties the keyboard buffer, clears the left button and the Enter key, so
// that one press is never taken twice.
void ClearState();

// The one way out on a fatal error: text mode, a message box, the font layer
// and the graphics library shut down, exit code 1.
[[noreturn]] void FatalError(const char *message);

extern const char FONT_LOAD_ERROR[];  // "Cannot load the font"

// Loads a font or ends the program with FONT_LOAD_ERROR.
ALFONT_FONT *LoadFontOrDie(const char *gamePath);

#endif
