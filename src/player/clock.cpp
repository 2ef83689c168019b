#include "player/clock.h"

#include "platform/input.h"
#include "story/scene.h"

#include <allegro.h>
#include <cmath>
#include <cstring>

// One second in the library's timer ticks.
static const long CLOCK_PERIOD_TICKS = 1193181;

// Characters per minute for difficulty 0..9; any other difficulty has no time.
static const int DIFFICULTY_CPM[] = {80, 80, 100, 120, 140, 160, 180, 190, 200, 210};
static const int DIFFICULTY_CLASSES = sizeof DIFFICULTY_CPM / sizeof DIFFICULTY_CPM[0];
static const double SECONDS_PER_MINUTE = 60.0;

std::atomic<int32_t> counter{0};

// Runs in the timer thread: one lock-free increment, and a wake for the
// typing page, whose sprites follow the whole seconds.
void timer()
{
    counter.fetch_add(1);
    DisplayWake();
}
END_OF_FUNCTION(timer)

void InstallClock()
{
    install_int_ex(timer, CLOCK_PERIOD_TICKS);
}

void RemoveClock()
{
    remove_int(timer);
}

int DifficultyTimeCalculator(char **text, int difficulty)
{
    if (!text || difficulty < 0 || difficulty >= DIFFICULTY_CLASSES)
        return 0;
    long characters = 0;
    for (int i = 0; i < SCENE_TEXT_LINES; i++)
        characters += strlen(text[i]);
    // Every character counts, the untyped last one of each line included.
    return int(std::lround(double(characters) / DIFFICULTY_CPM[difficulty] * SECONDS_PER_MINUTE));
}
