#include "player/clock.h"

#include <chrono>
#include <climits>
#include <cmath>
#include <cstring>

#include "story/scene.h"

static const double SECONDS_PER_MINUTE = 60.0;
static const double MS_PER_SECOND = 1000.0;

const ClockRules ORIGINAL_CLOCK = {
    true,
    {80, 80, 100, 120, 140, 160, 180, 190, 200, 210},
    // One more second every three difficulties.
    {7, 7, 7, 8, 8, 8, 9, 9, 9, 10},
};

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
    if (seconds > 0)
        clock.penalties = clock.penalties > INT32_MAX - seconds ? INT32_MAX : clock.penalties + seconds;
}

double ClockRunningSeconds(const LetterClock &clock)
{
    double until = clock.paused ? clock.pausedAt : clock.now();
    double seconds = until - clock.startedAt - clock.pausedFor;
    // A time base that seems to run backwards gives no time, not a negative one.
    return seconds > 0 ? seconds : 0;
}

int32_t ClockCount(const LetterClock &clock)
{
    double whole = std::floor(ClockRunningSeconds(clock));
    if (whole >= double(INT32_MAX - clock.penalties))
        return INT32_MAX;
    return int32_t(whole) + clock.penalties;
}

int ClockMsToNextSecond(const LetterClock &clock)
{
    if (clock.paused)
        return -1;
    double running = ClockRunningSeconds(clock);
    double left = std::floor(running) + 1 - running;
    int ms = int(std::ceil(left * MS_PER_SECOND));
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
    for (int i = 0; i < SCENE_TEXT_LINES; i++)
        characters += strlen(text[i]);
    // Every character counts, the untyped last one of each line included.
    return int(std::lround(double(characters) / rules.charsPerMinute[difficulty] * SECONDS_PER_MINUTE));
}

int LetterPenalty(const ClockRules &rules, int difficulty)
{
    return InTable(difficulty) ? rules.penaltySeconds[difficulty] : 0;
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
