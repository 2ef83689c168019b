#include "records/save.h"

#include <cstdio>
#include <cstring>
#include <mutex>

#include "platform/display.h"
#include "platform/files.h"
#include "platform/userdirs.h"

const char SAVE_FILENAME[] = "gmstat.dat";
// The player's own directory for it.
static const char SAVE_DIRNAME[] = "paperlune";
static const int SAVE_WORDS = SAVE_BYTES / 4;

static const unsigned SAVE_DIR_MODE = 0700;      // a player's progress is their own
static const int WORD_BYTES = 4;
// Another copy holds the lock only while it reads, writes and syncs 52 bytes,
// which a busy disk can still stretch past a second.
static const int SAVE_LOCK_WAIT_MS = 3000;
// A save takes milliseconds: a temporary file this old is a killed save's.
static const int SAVE_LEFTOVER_AGE_S = 60;

// Short lines: the message box is no wider than the screen.
static const char SAVE_PROBLEM_FORMAT[] =
    "The progress file cannot be read:\n"
    "%s\n"
    "(%s)\n"
    "Its records are left as they are,\n"
    "and nothing will be saved this time.";
static const char SAVE_MOVED_FORMAT[] =
    "The progress could not be saved in\n"
    "%s\n"
    "(%s),\n"
    "so it was saved in\n"
    "%s\n"
    "where the game will find it next time.";
static const char SAVE_FAILED_HEAD[] = "The progress could not be saved:\n";
static const char SAVE_FAILED_PLACE_FORMAT[] = "%s\n(%s)\n";
static const char SAVE_FAILED_TAIL[] =
    "It is kept while the game runs,\n"
    "and the next save tries again.";
static const char SAVE_FILE_UNREADABLE_FORMAT[] = "a file is there that cannot be read: %s";

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
static std::vector<std::string> savePlaces;     // directories, in the order a save tries them
static std::string savePath = SAVE_FILENAME;
static std::string saveProblem;                 // "" = the file can be written
static std::vector<std::string> toldMessages;   // each cause is told once a run
static void (*showMessage)(const char *) = DisplayMessage;
// A save may also come from the thread that sees the X server go; the two
// never write at once.
static std::mutex saveLock;

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

bool BetterRecord(const PathRecord &candidate, const PathRecord &held)
{
    // Any negative time, not just -1, is a path not yet finished.
    if (candidate.bestTime < 0)
        return false;
    return held.bestTime < 0 || candidate.bestTime < held.bestTime;
}

void KeepBetterRecords(SaveRecord &kept, const SaveRecord &other)
{
    for (int k = 0; k < PATH_COUNT; k++)
        if (BetterRecord(other.pathRecords[k], kept.pathRecords[k]))
            kept.pathRecords[k] = other.pathRecords[k];
}

SaveRecord MergeSave(const SaveRecord &stored, const SaveRecord &saving)
{
    SaveRecord merged = stored;
    KeepBetterRecords(merged, saving);
    // The last save wins where a player expects it to: where to continue.
    merged.resumeId = saving.resumeId;
    merged.runTime = saving.runTime;
    merged.runMistakes = saving.runMistakes;
    return merged;
}

std::vector<std::string> SavePlaces(const std::string &dataHome, const std::string &startDir,
                                    const std::string &stateHome)
{
    std::vector<std::string> places;
    for (const std::string &dir : {dataHome, startDir, stateHome}) {
        bool seen = dir.empty();
        for (const std::string &earlier : places)
            seen = seen || earlier == dir;
        if (!seen)
            places.push_back(dir);
    }
    return places;
}

SaveRecord CombineFoundSaves(const std::vector<FoundSave> &found)
{
    if (found.empty())
        return DefaultSave();
    // An empty or cut file hides nothing: a whole one, however old, comes first.
    size_t base = 0;
    bool baseWhole = found[0].whole;
    for (size_t i = 1; i < found.size(); i++) {
        bool newer = found[i].modifiedNs > found[base].modifiedNs;
        if (found[i].whole && (!baseWhole || newer)) {
            base = i;
            baseWhole = true;
        }
    }
    SaveRecord combined = found[base].record;
    for (size_t i = 0; i < found.size(); i++)
        if (i != base)
            KeepBetterRecords(combined, found[i].record);
    return combined;
}

bool WriteSaveFile(const char *path, const SaveRecord &record, std::string *why)
{
    unsigned char image[SAVE_BYTES];
    EncodeSave(record, image);
    return ReplaceFileContents(path, image, SAVE_BYTES, why);
}

SaveReadResult ReadSaveFile(const char *path, SaveRecord &record, std::string *why, bool *whole)
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
    if (whole)
        *whole = bytes.size() == static_cast<size_t>(SAVE_BYTES);
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

bool LockProgress(FileLock *lock, std::string *why)
{
    return LockFile(savePath, SAVE_LOCK_WAIT_MS, lock, why);
}

void SetSaveMessageShow(void (*show)(const char *text))
{
    showMessage = show;
}

static std::string FileIn(const std::string &dir, const char *name = SAVE_FILENAME)
{
    return dir + "/" + name;
}

// Every directory the player's files go into: private to the player.
static bool MakePlayerDirectory(const std::string &dir, std::string *why)
{
    return MakeDirectories(dir, SAVE_DIR_MODE, why);
}

std::string PlayerFilePath(const char *name)
{
    // Made whenever it is missing, not only once: the player may have
    // removed it while the game ran, and a line of history would be lost.
    std::string dir = DirectoryOf(SaveFilePath());
    MakePlayerDirectory(dir, nullptr);
    return FileIn(dir, name);
}

static std::string Format(const char *format, const std::string &a, const std::string &b,
                          const std::string &c = "")
{
    std::vector<char> text(strlen(format) + a.size() + b.size() + c.size() + 1);
    snprintf(text.data(), text.size(), format, a.c_str(), b.c_str(), c.c_str());
    return text.data();
}

// One place's try: the record merged, under the lock, with what is there.
static bool SaveIn(const std::string &dir, SaveBeside beside, std::string *why)
{
    if (!MakePlayerDirectory(dir, why))
        return false;
    std::string path = FileIn(dir);
    // Never written without the lock: a holder's save would be lost under
    // this one. A place whose lock cannot be had is one that failed, and
    // the record goes to the next.
    FileLock lock;
    if (!LockFile(path, SAVE_LOCK_WAIT_MS, &lock, why))
        return false;
    SaveRecord stored;
    bool whole = false;
    std::string readWhy;
    SaveRecord record = SaveData;
    switch (ReadSaveFile(path.c_str(), stored, &readWhy, &whole)) {
    case SAVE_UNREADABLE:
        // Never written over: its records may be the player's best.
        UnlockFile(&lock);
        *why = Format(SAVE_FILE_UNREADABLE_FORMAT, readWhy, "");
        return false;
    case SAVE_READ:
        // An empty or cut file holds nothing a merge could keep.
        if (whole)
            record = MergeSave(stored, SaveData);
        break;
    case SAVE_MISSING:
        break;
    }
    if (beside)
        beside(dir, whole ? &stored : nullptr, record);
    bool written = WriteSaveFile(path.c_str(), record, why);
    UnlockFile(&lock);
    if (written) {
        SaveData = record;   // another copy's better records show from now on
        savePath = path;
    }
    return written;
}

// Tries every place in turn; the message for the player, if any, in *told.
static bool WriteProgress(SaveBeside beside, std::string *told)
{
    if (!saveProblem.empty())
        return false;
    std::vector<std::string> failed, reasons;
    for (const std::string &dir : savePlaces) {
        std::string why;
        if (SaveIn(dir, beside, &why)) {
            if (!failed.empty())
                *told = Format(SAVE_MOVED_FORMAT, failed.front(), reasons.front(), FileIn(dir));
            return true;
        }
        failed.push_back(FileIn(dir));
        reasons.push_back(why);
    }
    *told = SAVE_FAILED_HEAD;
    for (size_t i = 0; i < failed.size(); i++)
        *told += Format(SAVE_FAILED_PLACE_FORMAT, failed[i], reasons[i]);
    *told += SAVE_FAILED_TAIL;
    return false;
}

// True the first time a run meets the text: each cause is told once. Under
// the save's lock, as the saves themselves.
static bool FirstTelling(const std::string &text)
{
    if (text.empty())
        return false;
    for (const std::string &earlier : toldMessages)
        if (earlier == text)
            return false;
    toldMessages.push_back(text);
    return true;
}

// Outside the lock and after the file work: the box waits for the player.
static void Tell(const std::string &text)
{
    if (showMessage)
        showMessage(text.c_str());
}

// Reads one place's file into `found`; an unreadable one is left out, and
// said in *why.
static SaveReadResult FindSave(const std::string &path, std::vector<FoundSave> &found, std::string *why)
{
    FoundSave save;
    save.record = DefaultSave();
    save.whole = false;
    save.modifiedNs = 0;
    SaveReadResult result = ReadSaveFile(path.c_str(), save.record, why, &save.whole);
    if (result == SAVE_READ) {
        FileModified(path.c_str(), &save.modifiedNs);
        found.push_back(save);
    }
    return result;
}

std::vector<std::string> ProgressDirectories()
{
    std::vector<std::string> dirs = {DirectoryOf(savePath)};
    std::vector<std::string> candidates = savePlaces;
    candidates.insert(candidates.end(), oldSaveDirs.begin(), oldSaveDirs.end());
    for (const std::string &dir : candidates) {
        bool seen = false;
        for (const std::string &earlier : dirs)
            seen = seen || earlier == dir;
        if (!seen)
            dirs.push_back(dir);
    }
    return dirs;
}

void RemoveLeftoverTemporaries(const char *name)
{
    for (const std::string &dir : savePlaces)
        RemoveStaleTemporaries(dir, {name}, SAVE_LEFTOVER_AGE_S);
}

void TellPlayerOnce(const std::string &text)
{
    bool first;
    {
        std::lock_guard<std::mutex> hold(saveLock);
        first = FirstTelling(text);
    }
    if (first)
        Tell(text);
}

void LoadGameData()
{
    std::string told;
    {
        std::lock_guard<std::mutex> hold(saveLock);
        // With no home to be found, the progress stays where the game was
        // started, as before; not in the data directory start-up has moved
        // to, which an installed game cannot write.
        std::string startDir = oldSaveDirs.empty() ? "" : oldSaveDirs.front();
        if (startDir.empty())
            startDir = WorkingDirectory();
        savePlaces = SavePlaces(UserDataDirectory(SAVE_DIRNAME), startDir, UserStateDirectory(SAVE_DIRNAME));
        savePath = FileIn(savePlaces.front());
        saveProblem.clear();
        RemoveLeftoverTemporaries(SAVE_FILENAME);

        std::vector<FoundSave> found;
        std::string why;
        switch (FindSave(savePath, found, &why)) {
        case SAVE_UNREADABLE: {
            // Writing the defaults would destroy the records the file may hold.
            SaveData = DefaultSave();
            std::vector<char> text(sizeof SAVE_PROBLEM_FORMAT + savePath.size() + why.size());
            snprintf(text.data(), text.size(), SAVE_PROBLEM_FORMAT, savePath.c_str(), why.c_str());
            saveProblem = text.data();
            return;
        }
        case SAVE_READ:
        case SAVE_MISSING:
            break;
        }
        bool settled = !found.empty() && found.front().whole;
        // Every other place may hold a record: one that had to go elsewhere
        // while the data home could not take it, or an earlier version's,
        // which is copied, never moved, so that version still finds its own.
        std::vector<std::string> places = ProgressDirectories();
        for (size_t i = 1; i < places.size(); i++)
            FindSave(FileIn(places[i]), found, nullptr);
        SaveData = CombineFoundSaves(found);
        // Not being able to write it costs nothing yet: the next save tries again.
        if (!settled)
            WriteProgress(nullptr, &told);
        if (!FirstTelling(told))
            told.clear();
    }
    if (!told.empty())
        Tell(told);
}

bool SaveGameData(SaveBeside beside)
{
    std::string told;
    bool saved;
    {
        std::lock_guard<std::mutex> hold(saveLock);
        saved = WriteProgress(beside, &told);
        if (!FirstTelling(told))
            told.clear();
    }
    if (!told.empty())
        Tell(told);
    return saved;
}
