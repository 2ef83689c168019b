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

// The progress a line of typing.dat goes with: what the progress file
// held when the line was written.
struct TypingTie {
    int32_t runTime = -1, runMistakes = -1;
};

struct TypingRecord {
    TypingRun run;
    // runTime and runMistakes of the progress file the counts were saved with.
    int32_t tieTime = -1, tieMistakes = -1;
    // The counts that went with the progress file the place held when this
    // one was written: a save killed after typing.dat and before gmstat.dat
    // leaves the older progress, and these go with it ("run before").
    bool hasBefore = false;
    TypingRun before;
    TypingTie beforeTie;
    // The history line of the letter the progress was saved after, kept
    // until the history holds it: a save killed before the line was added
    // adds it at the next start ("letter"). It goes with the progress file
    // that continues after that letter, and with no other.
    std::string awaited;
    int32_t awaitedResume = 0;
    TypingTie awaitedTie;
    TypingBest best[PATH_COUNT];
    // The lines after the first, as the file held them (line ends and
    // trailing spaces left out): a rewrite puts this record's values into
    // the lines it knows, in their places and with any words a newer
    // version added after its own, and keeps every other line (a newer
    // version's kinds, a line it could not read) where it stood. Empty: the
    // game's own order.
    std::vector<std::string> layout;
};

extern TypingRecord TypingData;

// The file's text, and back; what the text does not hold as the game
// writes it keeps its default. A line of a known kind may carry more words
// than this version knows: the known ones are read. Line ends of either
// kind, a byte order mark, a last line without its newline and spaces
// after a word are read as an editor leaves them; a line that cannot be
// read (damaged, figures that cannot be) is passed over, and written back
// as it stood.
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

// After LoadGameData: reads typing.dat in every place the progress may have
// gone, each path's bests the best of them all. The run's counts are known
// only when a place holds the ones saved with the run that SaveData holds
// (or with the progress a killed save left); a letter's history line that
// such a save did not get to add is added now.
void LoadTypingData();
// "New game": the run's counts start from 0, as its time does.
void StartTypingRun();
// The game's save: typing.dat, then the progress file, in each place under
// the progress file's lock, so that after a kill at any moment the two
// still go together; neither is written when the progress file could not
// be read, and typing.dat not where it is there but could not be read
// whole.
void SaveProgress();
// A letter was finished: its history line goes with the next save, until
// the history holds it.
void LetterAwaitsHistory(const std::string &line);
// Adds the awaited line unless the history holds it already, tells the
// player once when it cannot be added, and forgets it.
void AddAwaitedHistory();

#endif
