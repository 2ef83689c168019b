#include "shell/globals.h"

#include "platform/fatal.h"

const char APP_TITLE[] = "Paperlune";
const char MENU_FONT[] = "Fonts\\engeregu.ttf";

FSOUND_SAMPLE *type_sample = nullptr;
FSOUND_SAMPLE *bell_sample = nullptr;
bool QWERTZ = false;

void FatalError(const char *message)
{
    FatalExit(message);
}
