#include "records/typingrun.h"

#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <vector>

#include "platform/files.h"
#include "platform/userdirs.h"

const char TYPING_FILENAME[] = "typing.dat";

// A small text file: a first line that names it, then one line per thing,
// its words separated by tabs.
static const char TYPING_MAGIC[] = "paperlune typing 1";
static const char TYPING_RUN[] = "run";
static const char TYPING_PATH[] = "path";
static const size_t TYPING_READ_BYTES = 4096;    // the file the game writes is far smaller
static const unsigned TYPING_DIR_MODE = 0700;
static const long long TYPING_MAX_COUNT = 1LL << 40;   // more keys than anyone types
static const int TYPING_MAX_TENTHS = 100000000;
static const int TYPING_FULL_ACCURACY_TENTHS = 1000;
static const size_t TYPING_RUN_WORDS = 7;      // "run", known, runTime, runMistakes, characters, right, ms
static const size_t TYPING_PATH_WORDS = 4;     // "path", its number, wpm, accuracy
static const double TYPING_MS_PER_SECOND = 1000.0;

TypingRecord TypingData;

static bool typingUnreadable = false;   // typing.dat is there but could not be read: leave it be

std::string EncodeTyping(const TypingRecord &r)
{
    std::ostringstream out;
    out << TYPING_MAGIC << '\n';
    out << TYPING_RUN << '\t' << (r.run.known ? 1 : 0) << '\t' << r.tieTime << '\t' << r.tieMistakes << '\t'
        << r.run.characters << '\t' << r.run.right << '\t' << r.run.typingMs << '\n';
    for (int k = 0; k < PATH_COUNT; k++)
        out << TYPING_PATH << '\t' << k + 1 << '\t' << r.best[k].wpmTenths << '\t' << r.best[k].accuracyTenths
            << '\n';
    return out.str();
}

// Whole numbers only, in [low, high].
static bool Number(const std::string &word, long long low, long long high, long long &value)
{
    if (word.empty() || word.size() > 20)
        return false;
    errno = 0;
    char *end = nullptr;
    long long v = strtoll(word.c_str(), &end, 10);
    if (errno || *end || v < low || v > high)
        return false;
    value = v;
    return true;
}

static std::vector<std::string> Words(const std::string &line)
{
    std::vector<std::string> words;
    std::istringstream in(line);
    std::string word;
    while (std::getline(in, word, '\t'))
        words.push_back(word);
    return words;
}

static void DecodeRun(const std::vector<std::string> &w, TypingRecord &r)
{
    long long v[6];
    if (w.size() != TYPING_RUN_WORDS || !Number(w[1], 0, 1, v[0]) || !Number(w[2], INT32_MIN, INT32_MAX, v[1]) ||
        !Number(w[3], INT32_MIN, INT32_MAX, v[2]) || !Number(w[4], 0, TYPING_MAX_COUNT, v[3]) ||
        !Number(w[5], 0, v[3], v[4]) || !Number(w[6], 0, TYPING_MAX_COUNT, v[5]))
        return;
    r.run.known = v[0] == 1;
    r.tieTime = int32_t(v[1]);
    r.tieMistakes = int32_t(v[2]);
    r.run.characters = v[3];
    r.run.right = v[4];
    r.run.typingMs = v[5];
}

static void DecodePath(const std::vector<std::string> &w, TypingRecord &r)
{
    long long k, wpm, accuracy;
    if (w.size() != TYPING_PATH_WORDS || !Number(w[1], 1, PATH_COUNT, k) || !Number(w[2], -1, TYPING_MAX_TENTHS, wpm) ||
        !Number(w[3], -1, TYPING_FULL_ACCURACY_TENTHS, accuracy))
        return;
    r.best[k - 1].wpmTenths = int(wpm);
    r.best[k - 1].accuracyTenths = int(accuracy);
}

TypingRecord DecodeTyping(const std::string &text)
{
    TypingRecord r;
    std::istringstream in(text);
    std::string line;
    if (!std::getline(in, line) || line != TYPING_MAGIC)
        return r;
    while (std::getline(in, line)) {
        std::vector<std::string> w = Words(line);
        if (w.empty())
            continue;
        if (w[0] == TYPING_RUN)
            DecodeRun(w, r);
        else if (w[0] == TYPING_PATH)
            DecodePath(w, r);
    }
    return r;
}

void AddLetterToRun(TypingRecord &r, const LetterFigures &f)
{
    if (!r.run.known)
        return;
    r.run.characters += f.characters;
    r.run.right += f.characters - f.mistakes;
    r.run.typingMs += std::llround(f.typingSeconds * TYPING_MS_PER_SECOND);
}

bool RunTotals(const TypingRecord &r, double *wpm, double *accuracy)
{
    if (!r.run.known || r.run.characters <= 0)
        return false;
    *wpm = WordsPerMinute(r.run.characters, r.run.typingMs / TYPING_MS_PER_SECOND);
    *accuracy = Accuracy(r.run.right, r.run.characters);
    return true;
}

void KeepBetterTypingBests(const TypingRecord &stored, TypingRecord &r)
{
    for (int k = 0; k < PATH_COUNT; k++) {
        if (stored.best[k].wpmTenths > r.best[k].wpmTenths)
            r.best[k].wpmTenths = stored.best[k].wpmTenths;
        if (stored.best[k].accuracyTenths > r.best[k].accuracyTenths)
            r.best[k].accuracyTenths = stored.best[k].accuracyTenths;
    }
}

void RecordTypingBest(TypingRecord &r, int path)
{
    double wpm, accuracy;
    if (path < 1 || path > PATH_COUNT || !RunTotals(r, &wpm, &accuracy))
        return;
    TypingBest &best = r.best[path - 1];
    int wpmTenths = int(std::llround(wpm * 10)), accuracyTenths = int(std::llround(accuracy * 10));
    if (wpmTenths > best.wpmTenths)
        best.wpmTenths = wpmTenths;
    if (accuracyTenths > best.accuracyTenths)
        best.accuracyTenths = accuracyTenths;
}

static std::string TypingPath()
{
    return DirectoryOf(SaveFilePath()) + "/" + TYPING_FILENAME;
}

void LoadTypingData()
{
    std::vector<unsigned char> bytes;
    FileReadResult read = ReadFileHead(TypingPath().c_str(), TYPING_READ_BYTES, bytes);
    typingUnreadable = read == FILE_UNREADABLE;
    TypingData = DecodeTyping(std::string(bytes.begin(), bytes.end()));
    // Counts saved with another run (an older game saved the progress
    // since, or another copy of the game did) would make up a speed nobody
    // typed.
    if (TypingData.tieTime != SaveData.runTime || TypingData.tieMistakes != SaveData.runMistakes)
        TypingData.run = TypingRun();
}

void StartTypingRun()
{
    TypingData.run = TypingRun();
    TypingData.run.known = true;
}

void SaveProgress()
{
    SaveGameData();
    if (SaveFileProblem() || typingUnreadable)
        return;
    MakeDirectories(DirectoryOf(TypingPath()), TYPING_DIR_MODE);
    // Under the progress file's lock, merged with what another copy of the
    // game wrote, as the progress file is: the run's counts are this copy's,
    // each path's bests the better of both.
    FileLock lock;
    if (!LockProgress(&lock))
        return;
    std::vector<unsigned char> bytes;
    if (ReadFileHead(TypingPath().c_str(), TYPING_READ_BYTES, bytes) == FILE_READ)
        KeepBetterTypingBests(DecodeTyping(std::string(bytes.begin(), bytes.end())), TypingData);
    TypingData.tieTime = SaveData.runTime;
    TypingData.tieMistakes = SaveData.runMistakes;
    std::string text = EncodeTyping(TypingData);
    ReplaceFileContents(TypingPath().c_str(), text.data(), text.size());
    UnlockFile(&lock);
}
