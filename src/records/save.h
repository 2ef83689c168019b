// The progress record and its file: where a saved game resumes, the run
// under way, and each path's best finished result.
#ifndef PAPERLUNE_RECORDS_SAVE_H
#define PAPERLUNE_RECORDS_SAVE_H

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

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

// Reads the player's progress file, takes over one left in an old place on
// a first start, or creates it with the defaults.
void LoadGameData();
// Writes SaveData back, unless the file could not be read at start-up.
void SaveGameData();
// Directories where earlier versions kept gmstat.dat (the one the game was
// started in, say), as absolute paths; set by start-up before LoadGameData.
void SetOldSaveDirs(const std::vector<std::string> &dirs);
// Why the progress file that is there could not be read, for the player;
// null when it was read or missing. While it is set nothing is written, so
// the records in that file are never replaced by the defaults.
const char *SaveFileProblem();
// The progress file LoadGameData settled on.
std::string SaveFilePath();

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

// Writes the image where the path finally leads, whole or not at all
// (ReplaceFileContents); `why` says why it could not.
bool WriteSaveFile(const char *path, const SaveRecord &record, std::string *why = nullptr);
enum SaveReadResult {
    SAVE_READ,
    SAVE_MISSING,      // nothing there, or a link to nothing
    SAVE_UNREADABLE,   // there, but not to be read: `why` says why
};
// Reads the first SAVE_BYTES of the file; never waits on a pipe.
SaveReadResult ReadSaveFile(const char *path, SaveRecord &record, std::string *why = nullptr);

#endif
