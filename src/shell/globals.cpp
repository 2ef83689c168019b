#include "shell/globals.h"

#include "platform/display.h"
#include "platform/path.h"

#include <allegro.h>
#include <cstdlib>

const char APP_TITLE[] = "Paperlune";
const char MENU_FONT[] = "Fonts\\engeregu.ttf";
const char FONT_LOAD_ERROR[] = "Cannot load the font";

ALFONT_FONT *typerfont = nullptr;
FSOUND_SAMPLE *type_sample = nullptr;
FSOUND_SAMPLE *bell_sample = nullptr;
FSOUND_STREAM *MUSIC_STREAM = nullptr;
bool QWERTZ = false;


void ClearState()
{
    ClearKeys();
    ClearClick();
    ReleaseKey(KEY_ENTER);
}

void FatalError(const char *message)
{
    // The music's decoder thread calls into the library; it must stop
    // before the library is torn down under it.
    FSOUND_Close();
    // Text mode first, so that the message box is not hidden behind a
    // full-screen mode.
    DisplayShut();
    allegro_message("%s", message);
    alfont_exit();
    allegro_exit();
    exit(1);
}

ALFONT_FONT *LoadFontOrDie(const char *gamePath)
{
    ALFONT_FONT *font = alfont_load_font(gamePath);
    if (!font)
        FatalError(FONT_LOAD_ERROR);
    return font;
}
