#include "records/save.h"

#include <cstdio>

#include "platform/files.h"
#include "platform/userdirs.h"

const char SAVE_FILENAME[] = "gmstat.dat";
// The player's own directory for it.
static const char SAVE_DIRNAME[] = "paperlune";
static const int SAVE_WORDS = SAVE_BYTES / 4;

static const unsigned SAVE_DIR_MODE = 0700;      // a player's progress is their own
static const int WORD_BYTES = 4;

// Short lines: the message box is no wider than the screen.
static const char SAVE_PROBLEM_FORMAT[] =
    "The progress file cannot be read:\n"
    "%s\n"
    "(%s)\n"
    "Its records are left as they are,\n"
    "and nothing will be saved this time.";

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

static std::vector<std::string> oldSaveDirs;
static std::string saveDir;                     // "" = the working directory
static std::string savePath = SAVE_FILENAME;
static std::string saveProblem;                 // "" = the file can be written

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
    // A word cut short would mix the file's bytes with the defaults' into a
    // value nobody saved (a time of -124 seconds, say): such a word keeps
    // its default, as do those the file does not reach.
    int32_t words[SAVE_WORDS];
    ToWords(DefaultSave(), words);
    size_t held = count / WORD_BYTES;
    if (held > static_cast<size_t>(SAVE_WORDS))
        held = SAVE_WORDS;
    for (size_t w = 0; w < held; w++) {
        uint32_t bits = 0;
        for (int b = 0; b < WORD_BYTES; b++)
            bits |= static_cast<uint32_t>(bytes[WORD_BYTES * w + b]) << (8 * b);
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
    // Only the time decides; an equal time keeps the older record. Any
    // negative time, not just -1, is a path not yet finished.
    if (best.bestTime > record.runTime || best.bestTime < 0) {
        best.bestMistakes = record.runMistakes;
        best.bestTime = record.runTime;
    }
    return path;
}

int32_t ResumedCount(int32_t saved)
{
    return saved < 0 ? 0 : saved;
}

int32_t AddToCount(int32_t count, int32_t more)
{
    if (more <= 0)
        return count;
    if (count > INT32_MAX - more)
        return INT32_MAX;
    return count + more;
}

bool WriteSaveFile(const char *path, const SaveRecord &record, std::string *why)
{
    unsigned char image[SAVE_BYTES];
    EncodeSave(record, image);
    return ReplaceFileContents(path, image, SAVE_BYTES, why);
}

SaveReadResult ReadSaveFile(const char *path, SaveRecord &record, std::string *why)
{
    std::vector<unsigned char> bytes;
    switch (ReadFileHead(path, SAVE_BYTES, bytes, why)) {
    case FILE_MISSING:
        return SAVE_MISSING;
    case FILE_UNREADABLE:
        return SAVE_UNREADABLE;
    case FILE_READ:
        break;
    }
    record = DecodeSave(bytes.data(), bytes.size());
    return SAVE_READ;
}

void SetOldSaveDirs(const std::vector<std::string> &dirs)
{
    oldSaveDirs = dirs;
}

const char *SaveFileProblem()
{
    return saveProblem.empty() ? nullptr : saveProblem.c_str();
}

std::string SaveFilePath()
{
    return savePath;
}

static bool WriteProgress()
{
    if (!saveProblem.empty())
        return false;
    if (!saveDir.empty())
        MakeDirectories(saveDir, SAVE_DIR_MODE);
    return WriteSaveFile(savePath.c_str(), SaveData);
}

// The first progress file an earlier version left in an old place.
static bool TakeOverOldSave()
{
    for (const std::string &dir : oldSaveDirs) {
        std::string old = dir + "/" + SAVE_FILENAME;
        if (ReadSaveFile(old.c_str(), SaveData) == SAVE_READ)
            return true;
    }
    return false;
}

void LoadGameData()
{
    saveDir = UserDataDirectory(SAVE_DIRNAME);
    // With no home to be found, the progress stays where the game was
    // started, as before; not in the data directory start-up has moved to,
    // which an installed game cannot write.
    std::string fallback = oldSaveDirs.empty() ? SAVE_FILENAME : oldSaveDirs.front() + "/" + SAVE_FILENAME;
    savePath = saveDir.empty() ? fallback : saveDir + "/" + SAVE_FILENAME;
    saveProblem.clear();

    std::string why;
    switch (ReadSaveFile(savePath.c_str(), SaveData, &why)) {
    case SAVE_READ:
        return;
    case SAVE_UNREADABLE: {
        // Writing the defaults would destroy the records the file may hold.
        SaveData = DefaultSave();
        std::vector<char> text(sizeof SAVE_PROBLEM_FORMAT + savePath.size() + why.size());
        snprintf(text.data(), text.size(), SAVE_PROBLEM_FORMAT, savePath.c_str(), why.c_str());
        saveProblem = text.data();
        return;
    }
    case SAVE_MISSING:
        break;
    }
    // The old file is copied, never moved: an older version run again
    // still finds its own.
    if (!TakeOverOldSave())
        SaveData = DefaultSave();
    // Not being able to write it costs only this run's progress.
    WriteProgress();
}

void SaveGameData()
{
    // A failed write keeps the old file; the game goes on either way.
    WriteProgress();
}
