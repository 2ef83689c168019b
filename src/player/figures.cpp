#include "player/figures.h"

#include <cmath>
#include <cstdio>

static const double FIGURES_CHARS_PER_WORD = 5.0;
static const double FIGURES_SECONDS_PER_MINUTE = 60.0;
static const double FIGURES_PER_CENT = 100.0;
static const double FIGURES_TENTHS = 10.0;
static const double FIGURES_LARGEST = 1e15;

void CountKey(LetterFigures &f, char expected, bool mistake, int penaltySeconds)
{
    f.characters++;
    if (!mistake)
        return;
    f.mistakes++;
    f.penaltySeconds += penaltySeconds;
    f.missed[expected]++;
}

double WordsPerMinute(long characters, double seconds)
{
    if (!(seconds > 0) || characters <= 0)
        return 0;
    return characters / FIGURES_CHARS_PER_WORD / (seconds / FIGURES_SECONDS_PER_MINUTE);
}

double Accuracy(long right, long judged)
{
    if (judged <= 0 || right <= 0)
        return 0;
    return FIGURES_PER_CENT * right / judged;
}

std::string OneDecimal(double value)
{
    // Far beyond any figure of a letter; keeps the rounding defined.
    if (!std::isfinite(value) || std::fabs(value) > FIGURES_LARGEST)
        value = std::isnan(value) ? 0 : std::copysign(FIGURES_LARGEST, value);
    long long tenths = std::llround(value * FIGURES_TENTHS);
    const char *sign = tenths < 0 ? "-" : "";
    unsigned long long magnitude = tenths < 0 ? 0ULL - static_cast<unsigned long long>(tenths) : tenths;
    char text[40];
    snprintf(text, sizeof text, "%s%llu.%llu", sign, magnitude / 10, magnitude % 10);
    return text;
}
