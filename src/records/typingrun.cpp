#include "records/typingrun.h"

#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <vector>

#include "platform/files.h"
#include "records/clockrecords.h"

const char TYPING_FILENAME[] = "typing.dat";

// A small text file: a first line that names it, then one line per thing,
// its words separated by tabs.
static const char TYPING_MAGIC[] = "paperlune typing 1";
static const char TYPING_RUN[] = "run";
static const char TYPING_PATH[] = "path";
static const size_t TYPING_READ_BYTES = 4096;    // the file the game writes is far smaller
static const long long TYPING_MAX_COUNT = 1LL << 40;   // more keys than anyone types
static const int TYPING_MAX_TENTHS = 100000000;
static const int TYPING_FULL_ACCURACY_TENTHS = 1000;
static const size_t TYPING_RUN_WORDS = 7;      // "run", known, runTime, runMistakes, characters, right, ms
static const size_t TYPING_PATH_WORDS = 4;     // "path", its number, wpm, accuracy
static const double TYPING_MS_PER_SECOND = 1000.0;

TypingRecord TypingData;

static bool typingUnreadable = false;   // typing.dat is there but could not be read: leave it be

// Every word, an empty one at the end included, so that a line kept
// is written back as it was.
static std::vector<std::string> Words(const std::string &line)
{
    std::vector<std::string> words;
    size_t at = 0;
    for (;;) {
        size_t tab = line.find('\t', at);
        words.push_back(line.substr(at, tab == std::string::npos ? std::string::npos : tab - at));
        if (tab == std::string::npos)
            return words;
        at = tab + 1;
    }
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

static void DecodeRun(const std::vector<std::string> &w, TypingRecord &r)
{
    long long v[6];
    if (w.size() < TYPING_RUN_WORDS || !Number(w[1], 0, 1, v[0]) || !Number(w[2], INT32_MIN, INT32_MAX, v[1]) ||
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

// The path a "path" line is about, 0..PATH_COUNT - 1, or -1.
static int PathOfLine(const std::vector<std::string> &w)
{
    long long k;
    if (w.size() < 2 || w[0] != TYPING_PATH || !Number(w[1], 1, PATH_COUNT, k))
        return -1;
    return int(k - 1);
}

static void DecodePath(const std::vector<std::string> &w, TypingRecord &r)
{
    long long wpm, accuracy;
    int k = PathOfLine(w);
    if (k < 0 || w.size() < TYPING_PATH_WORDS || !Number(w[2], -1, TYPING_MAX_TENTHS, wpm) ||
        !Number(w[3], -1, TYPING_FULL_ACCURACY_TENTHS, accuracy))
        return;
    r.best[k].wpmTenths = int(wpm);
    r.best[k].accuracyTenths = int(accuracy);
}

// Words of a stored line after the ones this version writes, kept as they were.
static std::string ExtraWords(const std::vector<std::string> &words, size_t known)
{
    std::string extra;
    for (size_t i = known; i < words.size(); i++)
        extra += '\t' + words[i];
    return extra;
}

static std::string RunLine(const TypingRecord &r, const std::string &extra)
{
    std::ostringstream out;
    out << TYPING_RUN << '\t' << (r.run.known ? 1 : 0) << '\t' << r.tieTime << '\t' << r.tieMistakes << '\t'
        << r.run.characters << '\t' << r.run.right << '\t' << r.run.typingMs << extra << '\n';
    return out.str();
}

static std::string PathLine(const TypingRecord &r, int k, const std::string &extra)
{
    std::ostringstream out;
    out << TYPING_PATH << '\t' << k + 1 << '\t' << r.best[k].wpmTenths << '\t' << r.best[k].accuracyTenths << extra
        << '\n';
    return out.str();
}

std::string EncodeTyping(const TypingRecord &r)
{
    std::string text = std::string(TYPING_MAGIC) + '\n';
    bool runWritten = false, pathWritten[PATH_COUNT] = {};
    for (const std::string &line : r.layout) {
        std::vector<std::string> w = Words(line);
        int k = PathOfLine(w);
        if (!w.empty() && w[0] == TYPING_RUN) {
            // The values go into the first line of their kind; a second
            // would only repeat them.
            if (!runWritten)
                text += RunLine(r, ExtraWords(w, TYPING_RUN_WORDS));
            runWritten = true;
        } else if (k >= 0) {
            if (!pathWritten[k])
                text += PathLine(r, k, ExtraWords(w, TYPING_PATH_WORDS));
            pathWritten[k] = true;
        } else {
            text += line + '\n';   // a kind this version does not know
        }
    }
    if (!runWritten)
        text += RunLine(r, "");
    for (int k = 0; k < PATH_COUNT; k++)
        if (!pathWritten[k])
            text += PathLine(r, k, "");
    return text;
}

TypingRecord DecodeTyping(const std::string &text)
{
    TypingRecord r;
    std::istringstream in(text);
    std::string line;
    if (!std::getline(in, line) || line != TYPING_MAGIC)
        return r;
    while (std::getline(in, line)) {
        r.layout.push_back(line);
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
    return PlayerFilePath(TYPING_FILENAME);
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
    SaveClockRecords();
    if (SaveFileProblem() || typingUnreadable)
        return;
    // Under the progress file's lock, merged with what another copy of the
    // game wrote, as the progress file is: the run's counts are this copy's,
    // each path's bests the better of both.
    FileLock lock;
    if (!LockProgress(&lock))
        return;
    // Lines another version wrote meanwhile stay where they stand.
    std::vector<unsigned char> bytes;
    if (ReadFileHead(TypingPath().c_str(), TYPING_READ_BYTES, bytes) == FILE_READ) {
        TypingRecord stored = DecodeTyping(std::string(bytes.begin(), bytes.end()));
        KeepBetterTypingBests(stored, TypingData);
        TypingData.layout = stored.layout;
    }
    TypingData.tieTime = SaveData.runTime;
    TypingData.tieMistakes = SaveData.runMistakes;
    std::string text = EncodeTyping(TypingData);
    ReplaceFileContents(TypingPath().c_str(), text.data(), text.size());
    UnlockFile(&lock);
}
