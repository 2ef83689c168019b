#include "records/save.h"

#include <cstdio>
#include <cstring>
#include <string>

#include <fcntl.h>
#include <unistd.h>

const char SAVE_FILENAME[] = "gmstat.dat";

// Written first and renamed over the progress file, so that a crash or a
// full disk midway never leaves a cut-off save behind.
static const char SAVE_TEMP_SUFFIX[] = ".new";

static const int32_t NO_RESUME = 0;
static const int32_t NOT_YET = -1;   // a run or path without a result

struct PathRange {
    int32_t first, last;             // both ends included
};

// Path k + 1 owns the group ids of entry k.
static const PathRange PATH_RANGES[PATH_COUNT] = {
    {101, 199}, {2001, 2999}, {3001, 3999}, {4001, 4999}, {5001, 5999},
};

SaveRecord SaveData;

SaveRecord DefaultSave()
{
    SaveRecord record;
    record.resumeId = NO_RESUME;
    record.runTime = NOT_YET;
    record.runMistakes = NOT_YET;
    for (PathRecord &path : record.pathRecords) {
        path.bestTime = NOT_YET;
        path.bestMistakes = NOT_YET;
    }
    return record;
}

// The record as its 13 words, in file order.
static void ToWords(const SaveRecord &record, int32_t words[SAVE_WORDS])
{
    words[0] = record.resumeId;
    words[1] = record.runTime;
    words[2] = record.runMistakes;
    for (int k = 0; k < PATH_COUNT; k++) {
        words[3 + 2 * k] = record.pathRecords[k].bestTime;
        words[4 + 2 * k] = record.pathRecords[k].bestMistakes;
    }
}

static SaveRecord FromWords(const int32_t words[SAVE_WORDS])
{
    SaveRecord record;
    record.resumeId = words[0];
    record.runTime = words[1];
    record.runMistakes = words[2];
    for (int k = 0; k < PATH_COUNT; k++) {
        record.pathRecords[k].bestTime = words[3 + 2 * k];
        record.pathRecords[k].bestMistakes = words[4 + 2 * k];
    }
    return record;
}

void EncodeSave(const SaveRecord &record, unsigned char out[SAVE_BYTES])
{
    int32_t words[SAVE_WORDS];
    ToWords(record, words);
    // Least significant byte first on every machine, whatever its own order.
    for (int w = 0; w < SAVE_WORDS; w++) {
        uint32_t bits = static_cast<uint32_t>(words[w]);
        for (int b = 0; b < 4; b++)
            out[4 * w + b] = static_cast<unsigned char>(bits >> (8 * b));
    }
}

SaveRecord DecodeSave(const unsigned char *bytes, size_t count)
{
    // A short file is laid over the defaults: what it holds is taken as it
    // is, and nothing it lacks can read as an unbeatable time of 0.
    unsigned char image[SAVE_BYTES];
    EncodeSave(DefaultSave(), image);
    if (count > static_cast<size_t>(SAVE_BYTES))
        count = SAVE_BYTES;
    if (count > 0)
        memcpy(image, bytes, count);

    int32_t words[SAVE_WORDS];
    for (int w = 0; w < SAVE_WORDS; w++) {
        uint32_t bits = 0;
        for (int b = 0; b < 4; b++)
            bits |= static_cast<uint32_t>(image[4 * w + b]) << (8 * b);
        words[w] = static_cast<int32_t>(bits);
    }
    return FromWords(words);
}

int PathOfId(int32_t id)
{
    for (int k = 0; k < PATH_COUNT; k++)
        if (id >= PATH_RANGES[k].first && id <= PATH_RANGES[k].last)
            return k + 1;
    return 0;
}

int UpdatePathRecord(SaveRecord &record)
{
    int path = PathOfId(record.resumeId);
    if (!path)
        return 0;
    PathRecord &best = record.pathRecords[path - 1];
    // Only the time decides; an equal time keeps the older record.
    if (best.bestTime > record.runTime || best.bestTime == NOT_YET) {
        best.bestMistakes = record.runMistakes;
        best.bestTime = record.runTime;
    }
    return path;
}

static std::string DirectoryOf(const std::string &path)
{
    size_t slash = path.find_last_of('/');
    if (slash == std::string::npos)
        return ".";
    if (slash == 0)
        return "/";
    return path.substr(0, slash);
}

// Makes the rename itself survive a power cut. Some file systems refuse to
// sync a directory; the file is already whole then, so that is no failure.
static void SyncDirectory(const std::string &dir)
{
    int fd = open(dir.c_str(), O_RDONLY | O_DIRECTORY);
    if (fd < 0)
        return;
    fsync(fd);
    close(fd);
}

bool WriteSaveFile(const char *path, const SaveRecord &record)
{
    unsigned char image[SAVE_BYTES];
    EncodeSave(record, image);

    std::string target = path;
    std::string temp = target + SAVE_TEMP_SUFFIX;
    FILE *file = fopen(temp.c_str(), "wb");
    if (!file)
        return false;
    bool whole = fwrite(image, 1, SAVE_BYTES, file) == static_cast<size_t>(SAVE_BYTES)
                 && fflush(file) == 0
                 && fsync(fileno(file)) == 0;
    whole = (fclose(file) == 0) && whole;
    if (!whole || rename(temp.c_str(), target.c_str()) != 0) {
        remove(temp.c_str());
        return false;
    }
    SyncDirectory(DirectoryOf(target));
    return true;
}

bool ReadSaveFile(const char *path, SaveRecord &record)
{
    FILE *file = fopen(path, "rb");
    if (!file)
        return false;
    unsigned char bytes[SAVE_BYTES];
    size_t count = fread(bytes, 1, SAVE_BYTES, file);
    fclose(file);
    record = DecodeSave(bytes, count);
    return true;
}

void LoadGameData()
{
    if (ReadSaveFile(SAVE_FILENAME, SaveData))
        return;
    SaveData = DefaultSave();
    // Not being able to create it costs only this run's progress.
    WriteSaveFile(SAVE_FILENAME, SaveData);
}

void SaveGameData()
{
    // A failed write keeps the old file; the game goes on either way.
    WriteSaveFile(SAVE_FILENAME, SaveData);
}
