// The letter clock and the rules that turn a letter into its time limit.
#ifndef PAPERLUNE_PLAYER_CLOCK_H
#define PAPERLUNE_PLAYER_CLOCK_H

#include <atomic>
#include <cstdint>

// Seconds of the current letter plus its penalties. The timer thread adds 1
// every second; the main thread resets it and adds penalties.
extern std::atomic<int32_t> counter;

void timer();
void InstallClock();   // one-second period; a second install keeps the one callback
void RemoveClock();

int DifficultyTimeCalculator(char **text, int difficulty);

#endif
