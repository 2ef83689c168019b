// The progress record and its file: where a saved game resumes, the run
// under way, and each path's best finished result.
#ifndef PAPERLUNE_RECORDS_SAVE_H
#define PAPERLUNE_RECORDS_SAVE_H

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/files.h"

const int PATH_COUNT = 5;
const int SAVE_BYTES = 13 * 4;           // gmstat.dat is exactly this image of 13 words, little-endian
extern const char SAVE_FILENAME[];       // "gmstat.dat"

struct PathRecord {
    int32_t bestTime;       // "Time + Penalty" of the best finished run; below 0 = never finished
    int32_t bestMistakes;   // mistakes that went with bestTime; below 0 = not known
};

struct SaveRecord {
    int32_t resumeId;       // group id of the scene being played or last saved; <= 0 = nothing to continue
    int32_t runTime;        // seconds of the run under way, over its completed letters
    int32_t runMistakes;    // mistakes of the run under way, as of its last completed letter
    PathRecord pathRecords[PATH_COUNT];
};
static_assert(sizeof(SaveRecord) == SAVE_BYTES, "the file image is the record itself");

extern SaveRecord SaveData;

// Reads the player's progress: the file in the data home, with whatever
// the places below hold (an earlier version's file, a save that had to go
// elsewhere). Creates the file when the data home holds none, or only an
// empty or cut one.
void LoadGameData();
// Writes SaveData back, merged under a lock with what another copy of the
// game may have written since; true when it is safely on disk. Where the
// data home cannot take it, the directory the game was started in and then
// the state home do. A failure is told once per cause and the game goes
// on; SaveData keeps everything, so the next save tries again. Nothing is
// written while SaveFileProblem is set.
//
// `beside`, when given, does the work on the player's files beside the
// progress file in the same save: in each place tried, under the lock and
// once the record to write is known, just before the progress file is
// written. `onDisk` is the whole record the place held, null when none.
typedef void (*SaveBeside)(const std::string &dir, const SaveRecord *onDisk, const SaveRecord &saving);
bool SaveGameData(SaveBeside beside = nullptr);
// Every directory the progress may have gone to, the one it was last read
// from or written to first: the save places, then the places of earlier
// versions. Files beside the progress are read from all of them.
std::vector<std::string> ProgressDirectories();
// Removes, in every save place, the temporary files a killed save of the
// file `name` left behind a minute or more ago.
void RemoveLeftoverTemporaries(const char *name);
// Shows a message for the player the first time a run meets it, as a save's
// own messages are told once per cause.
void TellPlayerOnce(const std::string &text);
// Directories where earlier versions kept gmstat.dat, as absolute paths; the
// first is the one the game was started in, which is also where progress
// goes when the data home cannot take it. Set by start-up before
// LoadGameData; without any, the working directory stands for it.
void SetOldSaveDirs(const std::vector<std::string> &dirs);
// Why the progress file that is there could not be read, for the player;
// null when it was read or missing. While it is set nothing is written, so
// the records in that file are never replaced by the defaults.
const char *SaveFileProblem();
// The progress file that was last read or written whole.
std::string SaveFilePath();
// The path of the player's file `name` beside the progress file, wherever
// that is now, its directory made (private to the player) where it is
// missing. Every file the game keeps for a player besides the progress
// goes through here.
std::string PlayerFilePath(const char *name);
// Takes the progress file's lock, as every save does, for the work on the
// files beside it (the history, the typing figures); false when it could
// not be had in the time a save waits.
bool LockProgress(FileLock *lock, std::string *why = nullptr);
// Where the save's messages go: the display's message box, unless a test
// says otherwise.
void SetSaveMessageShow(void (*show)(const char *text));

// Pure rules, callable without a window.
SaveRecord DefaultSave();
void EncodeSave(const SaveRecord &record, unsigned char out[SAVE_BYTES]);
// Only whole words are taken; the words the bytes do not fully hold keep
// their defaults.
SaveRecord DecodeSave(const unsigned char *bytes, size_t count);
// Path 1..5 of a group id, or 0 for none.
int PathOfId(int32_t id);
// Replaces the path's record when the run is strictly faster or the path was
// never finished; returns the path, or 0 when the id belongs to none.
int UpdatePathRecord(SaveRecord &record);
// The count a continued run starts from: the saved one, or 0 for a negative
// count that no run can have made.
int32_t ResumedCount(int32_t saved);
// count + more for the counts of a run, which only grow: held at the largest
// value instead of wrapping.
int32_t AddToCount(int32_t count, int32_t more);

// The better of two records of one path: a finished one (time 0 or more)
// over one never finished, else the strictly lower time with its own
// mistakes. True when `candidate` is better than `held`; on an equal time
// the held one stays, as the ending screen keeps the stored record.
bool BetterRecord(const PathRecord &candidate, const PathRecord &held);
// Each path of `kept` takes the record of `other` where that is better.
void KeepBetterRecords(SaveRecord &kept, const SaveRecord &other);
// What a save writes over the record `stored` in the file: the better record
// of every path, and the resume point and run of the copy that saves.
SaveRecord MergeSave(const SaveRecord &stored, const SaveRecord &saving);

// The directories a save tries, in order: the data home, the start
// directory, the state home. Unknown ("") and repeated ones are left out.
std::vector<std::string> SavePlaces(const std::string &dataHome, const std::string &startDir,
                                    const std::string &stateHome);
// A progress file found at start-up.
struct FoundSave {
    SaveRecord record;
    bool whole;             // all SAVE_BYTES were there
    long long modifiedNs;   // when it was last written
};
// What start-up makes of the files found, in the order of their places: the
// resume point and run of the newest whole file (an empty or cut one counts
// only when there is no whole one, and then the first), with the better
// record of every path from all of them; the defaults when none was found.
SaveRecord CombineFoundSaves(const std::vector<FoundSave> &found);

// Writes the image where the path finally leads, whole or not at all
// (ReplaceFileContents); `why` says why it could not.
bool WriteSaveFile(const char *path, const SaveRecord &record, std::string *why = nullptr);
enum SaveReadResult {
    SAVE_READ,
    SAVE_MISSING,      // nothing there, or a link to nothing
    SAVE_UNREADABLE,   // there, but not to be read: `why` says why
};
// Reads the first SAVE_BYTES of the file; never waits on a pipe. `whole`
// tells whether all of them were there.
SaveReadResult ReadSaveFile(const char *path, SaveRecord &record, std::string *why = nullptr,
                            bool *whole = nullptr);

#endif
