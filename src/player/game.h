// The scene player: plays the story from an entry value until an ending, a
// time-out or a confirmed quit.
#ifndef PAPERLUNE_PLAYER_GAME_H
#define PAPERLUNE_PLAYER_GAME_H

#include "player/typing.h"

void game(int entry);

// The aids the player chose in the settings.
TypingAids ChosenTypingAids();
// The clock the player chose, as it stands when a letter begins: "Your
// pace" from the history as it is now.
ClockRules ChosenClock();

// How long the time-out picture stands before a key counts.
const int TIMEOUT_HOLD_MS = 2000;

// The answer 1 or 2 of a choice screen whose line of text, centred on the
// picture, holds (x, y): answer i's line starts at firstY + (i - 1) x
// lineHeight and is widths[i - 1] wide. 0 for neither.
int ChoiceAt(int x, int y, int firstY, int lineHeight, const int widths[2]);

#endif
