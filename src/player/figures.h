// The figures of one letter, as the typing page counts them: how many keys
// were judged, how many were wrong and on which characters, how long the
// letter's clock ran without its pauses, and what the penalties cost; and
// the two measures made of them, words per minute and accuracy.
#ifndef PAPERLUNE_PLAYER_FIGURES_H
#define PAPERLUNE_PLAYER_FIGURES_H

#include <ctime>
#include <map>
#include <string>

struct LetterFigures {
    int characters = 0;          // keys judged against an expected character
    int mistakes = 0;
    int penaltySeconds = 0;
    double typingSeconds = 0;    // the letter's clock, pauses left out, penalties not added
    std::map<char, int> missed;  // expected character -> wrong keys on it
    time_t finishedAt = 0;       // wall-clock time the last line was done
    int clock = 0;               // the ClockKind it was typed on
};

// One key compared with the character it should have been; a wrong one
// costs `penaltySeconds`.
void CountKey(LetterFigures &figures, char expected, bool mistake, int penaltySeconds);

// (characters / 5) per minute of typing; 0 when no time was measured.
double WordsPerMinute(long characters, double seconds);
// Right keys of the keys judged, in per cent; 0 when no key was judged.
double Accuracy(long right, long judged);

// A value with one decimal, "52.3", whatever the locale says about the
// decimal point; a negative value keeps its sign.
std::string OneDecimal(double value);

#endif
