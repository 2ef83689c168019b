// Records kept fair between the clocks. A play-through belongs to the
// original clock's table only if every letter of it was typed on the
// original clock; to "Your pace" if every letter was on the original or on
// "Your pace"; otherwise to "No clock". gmstat.dat (and typing.dat's bests)
// keep the original's alone, as older versions read them; the other two
// tables, with their typing bests and the clock of the run under way, are
// in clocks.dat beside them, written with them under the same lock.
//
// And the player's pace, from the history, that "Your pace" sets letters for.
#ifndef PAPERLUNE_RECORDS_CLOCKRECORDS_H
#define PAPERLUNE_RECORDS_CLOCKRECORDS_H

#include <cstdint>
#include <string>
#include <vector>

#include "player/clock.h"
#include "records/history.h"
#include "records/save.h"

extern const char CLOCKS_FILENAME[];   // "clocks.dat"
const int PACE_LETTERS = 5;             // the letters "Your pace" is measured over

// A clock's typing bests of a path, as typing.dat keeps the original's.
struct ClockBest {
    int wpmTenths = -1;          // below 0: never finished with its figures known
    int accuracyTenths = -1;
};

struct ClockRecords {
    // The table the run under way goes to so far: the gentlest clock any of
    // its letters was typed on.
    int runClock = CLOCK_ORIGINAL;
    // runTime and runMistakes of the progress file the run's clock was saved with.
    int32_t tieTime = -1, tieMistakes = -1;
    // Per clock; the original's entries are unused (gmstat.dat and
    // typing.dat hold them).
    PathRecord records[CLOCK_KINDS][PATH_COUNT];
    ClockBest bests[CLOCK_KINDS][PATH_COUNT];
    // The lines after the first as the file held them, those of kinds this
    // version does not know kept where they stand.
    std::vector<std::string> layout;
    ClockRecords();
};

extern ClockRecords ClockData;

// The table of a run that has been on `runClock` and types a letter on
// `letterClock`: the gentler of the two.
int RunClockAfter(int runClock, int letterClock);

// The file's text and back: what the text does not hold as the game writes
// it keeps its default, and lines of other kinds are kept.
std::string EncodeClockRecords(const ClockRecords &records);
ClockRecords DecodeClockRecords(const std::string &text);
// Before a save: every record and best another copy saved meanwhile is kept
// where it is better than this copy's.
void KeepBetterClockRecords(const ClockRecords &stored, ClockRecords &records);

// The player's pace over the last PACE_LETTERS letters of the history, on
// any clock: the median words per minute and the median accuracy. False,
// and the defaults of a player with no history, when it holds no letter.
bool PaceOfHistory(const HistorySummary &history, double *wpm, double *accuracy);
// The same from the player's history.tsv as it is now.
void PlayerPace(double *wpm, double *accuracy);

// After LoadGameData: reads clocks.dat; the run's clock holds only while it
// was saved with the run that SaveData holds (otherwise the run was last
// played by a version that has the original clock alone).
void LoadClockRecords();
// "New game": the run starts on no table but the original's.
void StartClockRun();
// A letter was finished on this clock.
void ClockLetterFinished(int clock);
// Writes clocks.dat, merged under the progress file's lock; nothing when
// the progress file could not be read, or clocks.dat was there but could not be.
void SaveClockRecords();

#endif
