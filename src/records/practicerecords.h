// What practice keeps for a player, in practice.dat beside the progress
// file: the letters reached in a story (practice offers only those), and
// each letter's best run, the finished run with the shortest typing time,
// from a story or from practice, as the time of every judged key, which the
// pace marker follows. The progress file and typing.dat are never touched
// by practice.
#ifndef PAPERLUNE_RECORDS_PRACTICERECORDS_H
#define PAPERLUNE_RECORDS_PRACTICERECORDS_H

#include <cstdint>
#include <string>
#include <vector>

#include "player/figures.h"
#include "player/pace.h"
#include "records/history.h"
#include "records/save.h"
#include "story/letters.h"
#include "story/scene.h"

extern const char PRACTICE_FILENAME[];   // "practice.dat"

struct BestRun {
    bool kept = false;        // false: no run of the letter is kept
    bool practice = false;    // typed in practice, not in a story
    int characters = 0;       // keys judged: as many as keyMs holds
    int mistakes = 0;
    int32_t typingMs = 0;     // the letter's clock, pauses left out, penalties not added
    KeyTimes keyMs;
    // The line the file held for it, written back as it was while it stays
    // the best (a newer version's words after the known ones kept).
    std::string line;
};

struct PracticeRecord {
    bool reached[STORY_LETTERS] = {};
    BestRun best[STORY_LETTERS];
    // The lines after the first, as the file held them: unknown kinds, and
    // lines this version cannot read, stay where they stood.
    std::vector<std::string> layout;
};

extern PracticeRecord PracticeData;

// The file's text, and back. Decoding is false for a text that is not the
// file at all (its first line); a line that does not read is passed over
// (a damaged best gives no marker) and kept in the layout.
std::string EncodePractice(const PracticeRecord &record);
bool DecodePractice(const std::string &text, PracticeRecord &record);

// A finished run as it would be kept; not kept when its keys and figures
// disagree.
BestRun BestRunOf(const LetterFigures &figures, const KeyTimes &keyMs, bool practice);
// A kept run over none, else the strictly shorter typing time; on an equal
// time the held one stays.
bool BetterRun(const BestRun &candidate, const BestRun &held);
// `kept` takes every better best of `other`, and every letter it reached.
void KeepBetterPractice(PracticeRecord &kept, const PracticeRecord &other);
// Words per minute and accuracy of a kept run.
double RunWpm(const BestRun &run);
double RunAccuracy(const BestRun &run);

// The letters a progress file shows the player reached: every letter of a
// finished path, and every letter on the way to the place to continue (its
// own, when the place is a letter's). Needs the story graph.
void ReachedFromProgress(const SaveRecord &record, bool reached[STORY_LETTERS]);
// What practice offers: the letters the file names, the progress file shows
// and the history's story lines hold.
void LettersReached(const HistorySummary &history, bool reached[STORY_LETTERS]);
// The letter of a typing scene, or -1.
int LetterOfScene(const Scene *scene);

// After LoadGameData and InitScenes: reads practice.dat. A file that is not
// the game's (damaged, hostile, too big, unreadable) gives no marker and is
// left as it is until a new best replaces it whole.
void LoadPracticeData();
// A letter's typing page was shown in a story: it is reached from now on.
void LetterReached(const Scene *scene);
// A letter typed to its end, in a story or in practice: its run becomes the
// letter's best where it beats the kept one, written at once under the
// progress file's lock. True when it is the new best.
bool LetterRunFinished(int letter, const LetterFigures &figures, const KeyTimes &keyMs, bool practice);
// A practice run's line in the history, as a story's letter has its own;
// `name` the letter's scene or DRILL_NAME.
void PracticeTyped(const char *name, int path, const LetterFigures &figures);

#endif
