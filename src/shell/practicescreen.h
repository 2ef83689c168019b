// The practice list, reached from the main menu: the twelve letters in
// story order with their paths and the player's best run of each, those
// not yet reached in a story shown as such, and the drill of the weak keys
// once the history is long enough.
#ifndef PAPERLUNE_SHELL_PRACTICESCREEN_H
#define PAPERLUNE_SHELL_PRACTICESCREEN_H

#include <string>
#include <vector>

#include "records/practicerecords.h"

// Runs until Escape or "Back".
void practiceWnd();

// Pure rules of the screen, callable without a window.
const int PRACTICE_DRILL_ROW = STORY_LETTERS + 1;   // the rows: 1..12 the letters, then the drill
const int PRACTICE_BACK = STORY_LETTERS + 2;        // and "Back"
const long PRACTICE_DRILL_KEYS = 200;               // judged keys in the history before the drill is offered
const size_t PRACTICE_DRILL_CHARACTERS = 5;          // the characters missed most that it drills

// What a letter's row shows: its title, its paths, the best's words per
// minute and accuracy ("-" without one). A letter not reached shows
// nothing of itself but its paths.
struct PracticeRowText {
    std::string title, paths, wpm, accuracy;
};
PracticeRowText PracticeRow(int letter, bool reached, const BestRun &best);

// The row a step of `direction` (+1, -1) leads to from `row`, passing over
// the rows that cannot be chosen; `row` itself at either end.
int PracticeStep(int row, int direction, const bool choosable[PRACTICE_BACK + 1]);
// The row 1..PRACTICE_BACK whose band holds (x, y), or 0.
int PracticeRowAt(int x, int y);

#endif
