// The scene player: plays the story from an entry value until an ending, a
// time-out or a confirmed quit.
#ifndef PAPERLUNE_PLAYER_GAME_H
#define PAPERLUNE_PLAYER_GAME_H

void game(int entry);

// How long the time-out picture stands before a key counts.
const int TIMEOUT_HOLD_MS = 2000;

#endif
