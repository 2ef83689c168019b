// The scene player: plays the story from an entry value until an ending, a
// time-out or a confirmed quit.
#ifndef PAPERLUNE_PLAYER_GAME_H
#define PAPERLUNE_PLAYER_GAME_H

extern int mistakes;   // mistakes of the play-through under way

void game(int entry);

// Waits until a key press is waiting or the left button is down.
void WaitForPress();

#endif
