// The letter clock and the rules that turn a letter into its time limit.
//
// One clock per letter, on one steady time base: the whole seconds plus
// penalties that decide the time-out, the sprites and the recorded time, and
// the fractional typing time of the figures are both read from it, so they
// can never disagree. A pause stops it and keeps the part of a second
// already run.
//
// The rules of a clock are data: how many characters a minute a letter's
// limit allows at each difficulty, what a mistake costs, and whether a
// letter has a limit at all. The game's own table is one instance.
#ifndef PAPERLUNE_PLAYER_CLOCK_H
#define PAPERLUNE_PLAYER_CLOCK_H

#include <cstdint>

const int CLOCK_DIFFICULTIES = 10;   // difficulty 0..9; any other has no time at all

// The clocks a player may choose, in the order of the settings' words.
enum ClockKind {
    CLOCK_ORIGINAL,   // the game's own table
    CLOCK_PACE,       // each letter's limit fitted to the player's own typing
    CLOCK_NONE,       // no limit, no penalty
    CLOCK_KINDS
};

struct ClockRules {
    bool limited;                                // false: a letter never runs out of time
    double charsPerMinute[CLOCK_DIFFICULTIES];   // the pace a letter's limit is made for
    double penaltySeconds[CLOCK_DIFFICULTIES];   // what one mistake adds to the clock
    bool typedOnly;    // the limit counts only the characters typed, not each line's last
    ClockKind kind;
    int paceWpm;       // CLOCK_PACE: the words per minute the limits were set for
};

// The game's own clock: 80 to 210 characters a minute, 7 to 10 seconds a mistake.
extern const ClockRules ORIGINAL_CLOCK;
// No limit and no penalty; the limit the original table would give is only
// what the timer sprites stand still at.
extern const ClockRules NO_CLOCK;

// "Your pace": a typist at exactly `wpm` words per minute with `accuracy`
// per cent right keys finishes any letter with a fifth of its limit to
// spare; a mistake costs the time of two characters at that pace. Both
// held to sensible bounds; the same at every difficulty.
ClockRules PaceClock(double wpm, double accuracy);
const double PACE_DEFAULT_WPM = 20;        // the pace of a player with no history yet
const double PACE_DEFAULT_ACCURACY = 95;
// The rules of a kind: the pace ones at this pace.
ClockRules ClockOfKind(ClockKind kind, double wpm, double accuracy);

// Seconds of a steady, monotonic time base: what every letter clock runs on
// unless a test gives its own.
double SteadySeconds();
typedef double (*TimeSource)();

struct LetterClock {
    TimeSource now = SteadySeconds;
    double startedAt = 0;
    double pausedAt = 0;
    double pausedFor = 0;   // the pauses ended so far
    bool paused = false;
    int64_t penaltyMs = 0;
};

// The clock at 0, running from now on.
void ClockStart(LetterClock &clock, TimeSource now = SteadySeconds);
// A pause while paused, or a resume while running, changes nothing.
void ClockPause(LetterClock &clock);
void ClockResume(LetterClock &clock);
void ClockAddPenalty(LetterClock &clock, int seconds);
void ClockAddPenaltyMs(LetterClock &clock, int64_t ms);
// The typing time: seconds run, pauses left out, penalties not added.
double ClockRunningSeconds(const LetterClock &clock);
// The letter's count: whole seconds run plus penalties. It decides the
// time-out and is the letter's time in the records.
int32_t ClockCount(const LetterClock &clock);
// Milliseconds until the count next grows by itself (at least 1); -1 while
// paused, when it does not.
int ClockMsToNextSecond(const LetterClock &clock);

// A letter's limit in whole seconds under these rules: every character of
// its 25 lines at the difficulty's pace, rounded to the nearest second; 0
// for a difficulty outside the table. Meaningless for an unlimited clock.
int LetterLimit(const ClockRules &rules, char **text, int difficulty);
// The seconds one mistake costs, to the nearest second, and to the
// millisecond; 0 outside the table.
int LetterPenalty(const ClockRules &rules, int difficulty);
int LetterPenaltyMs(const ClockRules &rules, int difficulty);
// The letter has run out of time at this count.
bool ClockRanOut(const ClockRules &rules, int32_t count, int limit);

// The original clock's limit, and what a mistake costs on it.
int DifficultyTimeCalculator(char **text, int difficulty);
int MistakePenalty(int difficulty);

#endif
