#include "player/clock.h"

#include <chrono>
#include <climits>
#include <cmath>
#include <cstring>

#include "story/scene.h"

static const double SECONDS_PER_MINUTE = 60.0;
static const double MS_PER_SECOND = 1000.0;
static const int64_t MS_PER_WHOLE_SECOND = 1000;

// "Your pace": a word is five characters; a fifth of the limit is left to
// spare; a mistake costs two characters' time; and the bounds a median of
// the history is held to, so that a damaged or odd history still gives a
// clock one can type against.
static const double PACE_CHARS_PER_WORD = 5.0;
static const double PACE_SHARE_USED = 0.8;
static const double PACE_CHARACTERS_PER_MISTAKE = 2.0;
static const double PACE_LOWEST_WPM = 1.0;
static const double PACE_HIGHEST_WPM = 1000.0;
static const double PER_CENT = 100.0;

const ClockRules ORIGINAL_CLOCK = {
    true,
    {80, 80, 100, 120, 140, 160, 180, 190, 200, 210},
    // One more second every three difficulties.
    {7, 7, 7, 8, 8, 8, 9, 9, 9, 10},
    false,
    CLOCK_ORIGINAL,
    0,
};

const ClockRules NO_CLOCK = {
    false,
    {80, 80, 100, 120, 140, 160, 180, 190, 200, 210},
    {},
    false,
    CLOCK_NONE,
    0,
};

static double Held(double value, double low, double high)
{
    // Not a number reads as the low end.
    return value >= low ? (value <= high ? value : high) : low;
}

ClockRules PaceClock(double wpm, double accuracy)
{
    wpm = Held(wpm, PACE_LOWEST_WPM, PACE_HIGHEST_WPM);
    double right = Held(accuracy, 0, PER_CENT) / PER_CENT;
    double secondsPerCharacter = SECONDS_PER_MINUTE / (wpm * PACE_CHARS_PER_WORD);
    double penalty = PACE_CHARACTERS_PER_MISTAKE * secondsPerCharacter;
    // Seconds per character typed, the wrong ones' penalties shared out
    // over all, and a fifth of the whole left over.
    double perCharacter = (secondsPerCharacter + (1 - right) * penalty) / PACE_SHARE_USED;
    ClockRules rules = {true, {}, {}, true, CLOCK_PACE, int(std::lround(wpm))};
    for (int d = 0; d < CLOCK_DIFFICULTIES; d++) {
        rules.charsPerMinute[d] = SECONDS_PER_MINUTE / perCharacter;
        rules.penaltySeconds[d] = penalty;
    }
    return rules;
}

ClockRules ClockOfKind(ClockKind kind, double wpm, double accuracy)
{
    switch (kind) {
    case CLOCK_PACE: return PaceClock(wpm, accuracy);
    case CLOCK_NONE: return NO_CLOCK;
    default: return ORIGINAL_CLOCK;
    }
}

double SteadySeconds()
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

void ClockStart(LetterClock &clock, TimeSource now)
{
    clock = LetterClock();
    clock.now = now;
    clock.startedAt = now();
}

void ClockPause(LetterClock &clock)
{
    if (clock.paused)
        return;
    clock.paused = true;
    clock.pausedAt = clock.now();
}

void ClockResume(LetterClock &clock)
{
    if (!clock.paused)
        return;
    clock.paused = false;
    clock.pausedFor += clock.now() - clock.pausedAt;
}

void ClockAddPenalty(LetterClock &clock, int seconds)
{
    ClockAddPenaltyMs(clock, int64_t(seconds) * MS_PER_WHOLE_SECOND);
}

void ClockAddPenaltyMs(LetterClock &clock, int64_t ms)
{
    // Held where no count can follow it any more.
    const int64_t most = int64_t(INT32_MAX) * MS_PER_WHOLE_SECOND;
    if (ms > 0)
        clock.penaltyMs = clock.penaltyMs > most - ms ? most : clock.penaltyMs + ms;
}

double ClockRunningSeconds(const LetterClock &clock)
{
    double until = clock.paused ? clock.pausedAt : clock.now();
    double seconds = until - clock.startedAt - clock.pausedFor;
    // A time base that seems to run backwards gives no time, not a negative one.
    return seconds > 0 ? seconds : 0;
}

// The part of a second the count has gone past its whole seconds: the
// running time's, and the penalties' own (none for whole-second penalties,
// whose counts are then exactly the whole seconds run plus theirs).
static double CountFraction(const LetterClock &clock, double running)
{
    return running - std::floor(running) + double(clock.penaltyMs % MS_PER_WHOLE_SECOND) / MS_PER_SECOND;
}

int32_t ClockCount(const LetterClock &clock)
{
    double running = ClockRunningSeconds(clock);
    double whole = std::floor(running) + double(clock.penaltyMs / MS_PER_WHOLE_SECOND);
    if (CountFraction(clock, running) >= 1)
        whole += 1;
    if (whole >= double(INT32_MAX))
        return INT32_MAX;
    return int32_t(whole);
}

int ClockMsToNextSecond(const LetterClock &clock)
{
    if (clock.paused)
        return -1;
    double fraction = CountFraction(clock, ClockRunningSeconds(clock));
    if (fraction >= 1)
        fraction -= 1;
    int ms = int(std::ceil((1 - fraction) * MS_PER_SECOND));
    return ms > 0 ? ms : 1;
}

static bool InTable(int difficulty)
{
    return difficulty >= 0 && difficulty < CLOCK_DIFFICULTIES;
}

int LetterLimit(const ClockRules &rules, char **text, int difficulty)
{
    if (!text || !InTable(difficulty) || rules.charsPerMinute[difficulty] <= 0)
        return 0;
    long characters = 0;
    for (int i = 0; i < SCENE_TEXT_LINES; i++) {
        size_t length = strlen(text[i]);
        // The original counts every character, the untyped last one of each
        // line included; a clock made for a typist's pace counts the keys.
        characters += rules.typedOnly && length ? length - 1 : length;
    }
    return int(std::lround(double(characters) / rules.charsPerMinute[difficulty] * SECONDS_PER_MINUTE));
}

int LetterPenalty(const ClockRules &rules, int difficulty)
{
    return InTable(difficulty) ? int(std::lround(rules.penaltySeconds[difficulty])) : 0;
}

int LetterPenaltyMs(const ClockRules &rules, int difficulty)
{
    return InTable(difficulty) ? int(std::lround(rules.penaltySeconds[difficulty] * MS_PER_SECOND)) : 0;
}

bool ClockRanOut(const ClockRules &rules, int32_t count, int limit)
{
    return rules.limited && count >= limit;
}

int DifficultyTimeCalculator(char **text, int difficulty)
{
    return LetterLimit(ORIGINAL_CLOCK, text, difficulty);
}

int MistakePenalty(int difficulty)
{
    return LetterPenalty(ORIGINAL_CLOCK, difficulty);
}
