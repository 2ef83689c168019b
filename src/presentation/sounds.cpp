#include "presentation/sounds.h"

static FSOUND_SAMPLE *keySample = nullptr;
static FSOUND_SAMPLE *bellSample = nullptr;

void SetGameSounds(FSOUND_SAMPLE *key, FSOUND_SAMPLE *bell)
{
    keySample = key;
    bellSample = bell;
}

void PlayGameSound(GameSound sound)
{
    FSOUND_PlaySound(FSOUND_FREE, sound == SOUND_BELL ? bellSample : keySample);
}
