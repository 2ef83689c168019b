// The screens of the records subsystem, in the order the game reaches them.
#ifndef PAPERLUNE_RECORDS_DIALOGS_H
#define PAPERLUNE_RECORDS_DIALOGS_H

// Hall of Records: the best run of every path; returns when "Back" is chosen.
void highscoreWnd();

// "Quit current game?": true when the player leaves (the progress file is
// written then), false to play on.
bool quitWnd();

// The same question over a letter typed in practice: true when the player
// leaves it; nothing is written.
bool leavePracticeWnd();

// "Start a new story?", asked before a new game replaces a saved place:
// true when the player answers "Yes".
bool newGameWnd();

// Ending screen of a closing scene: records the path, writes the progress
// file, rolls the credits over the given datafile picture.
void credits(int background);

#endif
