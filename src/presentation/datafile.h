// The game's pictures: one Allegro datafile, addressed by position.
#ifndef PAPERLUNE_PRESENTATION_DATAFILE_H
#define PAPERLUNE_PRESENTATION_DATAFILE_H

#include <allegro.h>

#include "presentation/datanames.h"

const int PAUSE_IMAGE       = 0;
const int QUIT_BACKGROUND   = 1;
const int MENU_BACKGROUND   = 7;
const int HS_BACKGROUND     = 8;
const int MOUSE_CURSOR      = 9;
const int TIMEOUT_IMAGE     = 26;
const int INTRO_FIRST_IMAGE = 27;
const int INTRO_SLIDES      = 6;

extern DATAFILE *data;                // the loaded game.dat, from start-up to shutdown

// Registers the JPEG objects' loader; before the first load.
void StartPictureLoading();
// Checks what the picture at `first` needs of game.dat, and makes that
// picture, so that it may be shown at once: null when it may, else the
// message for the player. The rest of the file is checked and loaded by
// LoadGameDataFile, before any other picture is used (DataBitmap sees to
// it). A file without checksums is checked and loaded whole here.
const char *OpenGameDataFile(int first);
// Checks all of game.dat as bytes, loads it into `data` and checks what
// loaded: null when the game may play with it, else the message for the
// player. Once loaded, nothing more is done.
const char *LoadGameDataFile();
void UnloadGameDataFile();

// Picture at a position of the datafile. Any but the first picture loads the
// rest of the file if that has not been done, and a file found damaged ends
// the game with its message.
BITMAP *DataBitmap(int index);

// Checks a loaded datafile: null when it is fit to play, else a message that
// says what is wrong. Kept apart from loading so tests can call it.
const char *CheckGameData(DATAFILE *file);

#endif
