// The progress record and its file: where a saved game resumes, the run
// under way, and each path's best finished result.
#ifndef PAPERLUNE_RECORDS_SAVE_H
#define PAPERLUNE_RECORDS_SAVE_H

#include <cstddef>
#include <cstdint>

const int PATH_COUNT = 5;
const int SAVE_WORDS = 13;
const int SAVE_BYTES = SAVE_WORDS * 4;   // gmstat.dat is exactly this image, little-endian
extern const char SAVE_FILENAME[];       // "gmstat.dat"

struct PathRecord {
    int32_t bestTime;       // "Time + Penalty" of the best finished run; -1 = never finished
    int32_t bestMistakes;   // mistakes that went with bestTime; -1 = never finished
};

struct SaveRecord {
    int32_t resumeId;       // group id of the scene being played or last saved; <= 0 = nothing to continue
    int32_t runTime;        // seconds of the run under way, over its completed letters
    int32_t runMistakes;    // mistakes of the run under way, as of its last completed letter
    PathRecord pathRecords[PATH_COUNT];
};
static_assert(sizeof(SaveRecord) == SAVE_BYTES, "the file image is the record itself");

extern SaveRecord SaveData;

void LoadGameData();
void SaveGameData();

// Pure rules, callable without a window.
SaveRecord DefaultSave();
void EncodeSave(const SaveRecord &record, unsigned char out[SAVE_BYTES]);
// Words the bytes do not reach keep their defaults.
SaveRecord DecodeSave(const unsigned char *bytes, size_t count);
// Path 1..5 of a group id, or 0 for none.
int PathOfId(int32_t id);
// Replaces the path's record when the run is strictly faster or the path was
// never finished; returns the path, or 0 when the id belongs to none.
int UpdatePathRecord(SaveRecord &record);
// Writes the image so that a failure at any step leaves the old file whole.
bool WriteSaveFile(const char *path, const SaveRecord &record);
bool ReadSaveFile(const char *path, SaveRecord &record);

#endif
