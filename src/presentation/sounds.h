// The game's two typewriter sounds, played through one door: start-up hands
// the loaded samples down, and every screen asks for a sound by what it is.
#ifndef PAPERLUNE_PRESENTATION_SOUNDS_H
#define PAPERLUNE_PRESENTATION_SOUNDS_H

#include "platform/fsound.h"

enum GameSound {
    SOUND_KEY,    // the typewriter key: a menu move, a typed key
    SOUND_BELL,   // the typewriter bell: a main-menu item activated
};

// The samples start-up loaded; null ones stay silent. Shutdown hands down
// nulls before it frees them.
void SetGameSounds(FSOUND_SAMPLE *key, FSOUND_SAMPLE *bell);
// Plays the sound once on any free channel; returns at once.
void PlayGameSound(GameSound sound);

#endif
