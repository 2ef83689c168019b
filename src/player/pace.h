// The pace marker: a run kept as the time of every judged key, and where a
// second cursor following it stands at a moment of the letter's clock.
// Pure rules, callable without a window.
#ifndef PAPERLUNE_PLAYER_PACE_H
#define PAPERLUNE_PLAYER_PACE_H

#include <cstdint>
#include <vector>

#include "player/clock.h"

// Milliseconds of the letter's clock (pauses left out) at which each judged
// key came, in the order typed: never decreasing.
typedef std::vector<int32_t> KeyTimes;

// The clock's running time now, to the nearest millisecond, as a key's time.
int32_t KeyTimeNow(const LetterClock &clock);

// How many of the run's keys were judged by `ms` into the letter.
int PaceKeysDone(const KeyTimes &run, int32_t ms);
// Milliseconds from `ms` until the marker next moves, or -1 when it has
// made its last move.
int PaceMsToNextMove(const KeyTimes &run, int32_t ms);

// Where the cursor stands after `judged` judged keys of a letter of 25
// lines: the line and character. A line's last character is never judged
// and blank lines are passed over, as on the page; past the last judged key
// it stands on the letter's last character. False for a letter without a
// character to type.
bool JudgedKeyPlace(char *const *text, int judged, int *line, int *pos);

#endif
