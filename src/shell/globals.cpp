#include "shell/globals.h"

#include "platform/fatal.h"

const char APP_TITLE[] = "Paperlune";

FSOUND_SAMPLE *type_sample = nullptr;
FSOUND_SAMPLE *bell_sample = nullptr;

void FatalError(const char *message)
{
    FatalExit(message);
}
