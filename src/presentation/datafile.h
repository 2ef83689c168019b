// The game's pictures: one Allegro datafile, addressed by position.
#ifndef PAPERLUNE_PRESENTATION_DATAFILE_H
#define PAPERLUNE_PRESENTATION_DATAFILE_H

#include <allegro.h>

extern const char DATA_FILENAME[];    // "game.dat"

const int PAUSE_IMAGE       = 0;
const int QUIT_BACKGROUND   = 1;
const int MENU_BACKGROUND   = 7;
const int HS_BACKGROUND     = 8;
const int MOUSE_CURSOR      = 9;
const int TIMEOUT_IMAGE     = 26;
const int INTRO_FIRST_IMAGE = 27;
const int INTRO_SLIDES      = 6;
const int DATA_PICTURES     = 33;     // positions 0..32 must be present
const int DATA_UNUSED_INDEX = 2;      // never drawn; any object may stand there


extern DATAFILE *data;                // the loaded game.dat, from start-up to shutdown

// Picture at a position of the loaded datafile.
BITMAP *DataBitmap(int index);

// Checks a loaded datafile: null when it is fit to play, else a message that
// says what is wrong. Kept apart from loading so tests can call it.
const char *CheckGameData(DATAFILE *file);

#endif
