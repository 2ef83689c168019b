// The figures of one letter, as the typing page counts them: how many keys
// were judged, how many were wrong and on which characters, how long the
// clock ran without its pauses, and what the penalties cost; and the two
// measures made of them, words per minute and accuracy.
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
};

// A letter being measured. Times are seconds of a steady clock.
struct LetterMeter {
    double startedAt = 0;
    double pausedAt = 0;
    double pausedFor = 0;
    bool paused = false;
    LetterFigures figures;
};

// Seconds of the steady clock, for the meter.
double MeterNow();
// The clock set to 0: the letter's time starts.
void MeterStart(LetterMeter &meter, double now);
// The pause on and off; a second start or stop in a row changes nothing.
void MeterPause(LetterMeter &meter, double now);
void MeterResume(LetterMeter &meter, double now);
// One key compared with the character it should have been.
void MeterKey(LetterMeter &meter, char expected, bool mistake, int penaltySeconds);
// The last line done: the figures, a pause still on closed at `now`.
LetterFigures MeterStop(LetterMeter &meter, double now);

// (characters / 5) per minute of typing; 0 when no time was measured.
double WordsPerMinute(long characters, double seconds);
// Right keys of the keys judged, in per cent; 0 when no key was judged.
double Accuracy(long right, long judged);

// A value with one decimal, "52.3", whatever the locale says about the
// decimal point; a negative value keeps its sign.
std::string OneDecimal(double value);

#endif
