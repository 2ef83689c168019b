// The typing figures that outlive a run of the game, in typing.dat beside
// the progress file: the running counts of the play-through under way (it
// may span several sessions through "Continue Playing"), and each path's
// best words per minute and best accuracy of a finished play-through.
// gmstat.dat keeps its 52 bytes; this file is written whole at the same
// moments, and the run's counts are trusted only while they go with the
// run the progress file holds.
#ifndef PAPERLUNE_RECORDS_TYPINGRUN_H
#define PAPERLUNE_RECORDS_TYPINGRUN_H

#include <cstdint>
#include <string>
#include <vector>

#include "player/figures.h"
#include "records/save.h"

extern const char TYPING_FILENAME[];   // "typing.dat"

struct TypingRun {
    bool known = false;          // the counts cover every letter of the run under way
    long long characters = 0;    // keys judged
    long long right = 0;
    long long typingMs = 0;      // typing time, pauses and penalties left out
};

struct TypingBest {
    int wpmTenths = -1;          // below 0: the path was never finished with its figures known
    int accuracyTenths = -1;
};

struct TypingRecord {
    TypingRun run;
    // runTime and runMistakes of the progress file the counts were saved with.
    int32_t tieTime = -1, tieMistakes = -1;
    TypingBest best[PATH_COUNT];
    // The lines after the first, as the file held them: a rewrite puts this
    // record's values into the lines it knows, in their places and with any
    // words a newer version added after its own, and keeps every other line
    // (a newer version's kinds) where it stood. Empty: the game's own order.
    std::vector<std::string> layout;
};

extern TypingRecord TypingData;

// The file's text, and back; what the text does not hold as the game
// writes it keeps its default. A line of a known kind may carry more words
// than this version knows: the known ones are read.
std::string EncodeTyping(const TypingRecord &record);
TypingRecord DecodeTyping(const std::string &text);

// A letter finished: its figures join the run's, when those are known.
void AddLetterToRun(TypingRecord &record, const LetterFigures &figures);
// The run's words per minute and accuracy; false when they are not known
// or no key was judged.
bool RunTotals(const TypingRecord &record, double *wpm, double *accuracy);
// An ending of `path` (1..5): the run's figures become the path's best
// where they beat it.
void RecordTypingBest(TypingRecord &record, int path);

// Before a save: each path's bests that another copy of the game saved
// meanwhile (`stored`) are kept where they beat this copy's.
void KeepBetterTypingBests(const TypingRecord &stored, TypingRecord &record);

// After LoadGameData: reads typing.dat; the run's counts are known only when
// they were saved with the run that SaveData holds.
void LoadTypingData();
// "New game": the run's counts start from 0, as its time does.
void StartTypingRun();
// The game's save: the progress file, then the typing figures beside it;
// neither is written when the progress file could not be read, and
// typing.dat not when it was there but could not be read.
void SaveProgress();

#endif
