// Practice: a letter already reached, typed again on its own page against a
// marker that runs at the pace of the player's best run, or a drill of the
// keys the player misses most. Nothing of the story changes: neither the
// progress file, nor the place to continue, nor the Hall's path records.
#ifndef PAPERLUNE_PLAYER_PRACTICE_H
#define PAPERLUNE_PLAYER_PRACTICE_H

#include <string>
#include <vector>

// Lines a drill has, and the most characters one holds with its untyped end.
const int DRILL_LINES = 5;
const int DRILL_LINE_CHARS = 36;

// Letter 0..11 of the story, with its music, clock and sounds; returns after
// its finished page, a time-out or "Yes" in the dialog that Escape opens.
void PracticeLetter(int letter);
// The drill of these characters from the words of these letters' texts,
// typed without a limit; returns as PracticeLetter does.
void PracticeDrill(const std::vector<int> &letters, const std::vector<char> &missed);

// The drill's lines: words of the texts that hold one of the characters
// (any word when none does, or no character is given), every character
// that some word holds in at least one of them, the rest in an order that
// `seed` turns; each line ends with a space, which ends it untyped. Empty
// when the texts hold no word.
std::vector<std::string> DrillLines(const std::vector<char *const *> &texts, const std::vector<char> &missed,
                                    unsigned seed);

#endif
