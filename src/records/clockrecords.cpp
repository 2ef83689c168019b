#include "records/clockrecords.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <sstream>

#include "platform/files.h"
#include "records/recordtext.h"

const char CLOCKS_FILENAME[] = "clocks.dat";

// A small text file as typing.dat is: a first line that names it, then one
// line per thing, its words separated by tabs.
static const char CLOCKS_MAGIC[] = "paperlune clocks 1";
static const char CLOCKS_RUN[] = "run";
static const char CLOCKS_RECORD[] = "record";
static const size_t CLOCKS_RUN_WORDS = 4;      // "run", clock, runTime, runMistakes
static const size_t CLOCKS_RECORD_WORDS = 7;   // "record", clock, path, time, mistakes, wpm, accuracy
static const size_t CLOCKS_READ_BYTES = 8192;  // the file the game writes is far smaller
static const int CLOCKS_MAX_TENTHS = 100000000;
static const int CLOCKS_FULL_ACCURACY_TENTHS = 1000;
static const char TAB = '\t';
// The words of the clocks in the file, in ClockKind order.
static const char *const CLOCK_WORDS[CLOCK_KINDS] = {"original", "pace", "none"};
static const int32_t NOT_YET = -1;

ClockRecords ClockData;

static bool clocksUnreadable = false;   // clocks.dat is there but could not be read: leave it be

ClockRecords::ClockRecords()
{
    for (int c = 0; c < CLOCK_KINDS; c++)
        for (int k = 0; k < PATH_COUNT; k++)
            records[c][k] = {NOT_YET, NOT_YET};
}

int RunClockAfter(int runClock, int letterClock)
{
    // The kinds go from the strictest to the gentlest; an unknown one is
    // the gentlest of all.
    if (letterClock < CLOCK_ORIGINAL || letterClock >= CLOCK_KINDS)
        letterClock = CLOCK_NONE;
    return std::max(runClock, letterClock);
}

// Parsing ------------------------------------------------------------------

static std::vector<std::string> Words(const std::string &line)
{
    std::vector<std::string> words;
    std::string word;
    std::istringstream in(line);
    while (std::getline(in, word, TAB))
        words.push_back(word);
    return words;
}

static int ClockOfWord(const std::string &word)
{
    for (int c = 0; c < CLOCK_KINDS; c++)
        if (word == CLOCK_WORDS[c])
            return c;
    return -1;
}

static void DecodeRun(const std::vector<std::string> &w, ClockRecords &r)
{
    long long time, mistakes;
    int clock = w.size() >= CLOCKS_RUN_WORDS ? ClockOfWord(w[1]) : -1;
    if (clock < 0 || !RecordNumber(w[2], INT32_MIN, INT32_MAX, time) ||
        !RecordNumber(w[3], INT32_MIN, INT32_MAX, mistakes))
        return;
    r.runClock = clock;
    r.tieTime = int32_t(time);
    r.tieMistakes = int32_t(mistakes);
}

// The clock and path (0-based) of a record line the game reads, or false.
static bool RecordPlace(const std::vector<std::string> &w, int *clock, int *k)
{
    long long path;
    if (w.size() < CLOCKS_RECORD_WORDS || w[0] != CLOCKS_RECORD || !RecordNumber(w[2], 1, PATH_COUNT, path))
        return false;
    *clock = ClockOfWord(w[1]);
    *k = int(path - 1);
    // The original's records are gmstat.dat's and typing.dat's alone.
    return *clock > CLOCK_ORIGINAL;
}

static void DecodeRecord(const std::vector<std::string> &w, ClockRecords &r)
{
    int clock, k;
    long long time, mistakes, wpm, accuracy;
    if (!RecordPlace(w, &clock, &k) || !RecordNumber(w[3], INT32_MIN, INT32_MAX, time) ||
        !RecordNumber(w[4], INT32_MIN, INT32_MAX, mistakes) || !RecordNumber(w[5], -1, CLOCKS_MAX_TENTHS, wpm) ||
        !RecordNumber(w[6], -1, CLOCKS_FULL_ACCURACY_TENTHS, accuracy))
        return;
    r.records[clock][k] = {int32_t(time), int32_t(mistakes)};
    r.bests[clock][k].wpmTenths = int(wpm);
    r.bests[clock][k].accuracyTenths = int(accuracy);
}

ClockRecords DecodeClockRecords(const std::string &text)
{
    ClockRecords r;
    std::istringstream in(text);
    std::string line;
    if (!std::getline(in, line) || line != CLOCKS_MAGIC)
        return r;
    while (std::getline(in, line)) {
        r.layout.push_back(line);
        std::vector<std::string> w = Words(line);
        if (w.empty())
            continue;
        if (w[0] == CLOCKS_RUN)
            DecodeRun(w, r);
        else if (w[0] == CLOCKS_RECORD)
            DecodeRecord(w, r);
    }
    return r;
}

// Writing ------------------------------------------------------------------

// Words of a stored line after the ones this version writes, kept as they were.
static std::string ExtraWords(const std::vector<std::string> &words, size_t known)
{
    std::string extra;
    for (size_t i = known; i < words.size(); i++)
        extra += TAB + words[i];
    return extra;
}

static std::string RunLine(const ClockRecords &r, const std::string &extra = "")
{
    std::ostringstream out;
    out << CLOCKS_RUN << TAB << CLOCK_WORDS[r.runClock] << TAB << r.tieTime << TAB << r.tieMistakes << extra << '\n';
    return out.str();
}

static std::string RecordLine(const ClockRecords &r, int clock, int k, const std::string &extra = "")
{
    std::ostringstream out;
    out << CLOCKS_RECORD << TAB << CLOCK_WORDS[clock] << TAB << k + 1 << TAB << r.records[clock][k].bestTime << TAB
        << r.records[clock][k].bestMistakes << TAB << r.bests[clock][k].wpmTenths << TAB
        << r.bests[clock][k].accuracyTenths << extra << '\n';
    return out.str();
}

std::string EncodeClockRecords(const ClockRecords &r)
{
    std::string text = std::string(CLOCKS_MAGIC) + '\n';
    bool runWritten = false, written[CLOCK_KINDS][PATH_COUNT] = {};
    for (const std::string &line : r.layout) {
        std::vector<std::string> w = Words(line);
        int clock, k;
        if (!w.empty() && w[0] == CLOCKS_RUN) {
            // The values go into the first line of their kind; a second
            // would only repeat them.
            if (!runWritten)
                text += RunLine(r, ExtraWords(w, CLOCKS_RUN_WORDS));
            runWritten = true;
        } else if (RecordPlace(w, &clock, &k)) {
            if (!written[clock][k])
                text += RecordLine(r, clock, k, ExtraWords(w, CLOCKS_RECORD_WORDS));
            written[clock][k] = true;
        } else {
            text += line + '\n';   // a kind, or a clock, this version does not know
        }
    }
    if (!runWritten)
        text += RunLine(r);
    for (int clock = CLOCK_ORIGINAL + 1; clock < CLOCK_KINDS; clock++)
        for (int k = 0; k < PATH_COUNT; k++)
            if (!written[clock][k])
                text += RecordLine(r, clock, k);
    return text;
}

void KeepBetterClockRecords(const ClockRecords &stored, ClockRecords &r)
{
    for (int clock = CLOCK_ORIGINAL + 1; clock < CLOCK_KINDS; clock++) {
        for (int k = 0; k < PATH_COUNT; k++) {
            if (BetterRecord(stored.records[clock][k], r.records[clock][k]))
                r.records[clock][k] = stored.records[clock][k];
            ClockBest &best = r.bests[clock][k];
            best.wpmTenths = std::max(best.wpmTenths, stored.bests[clock][k].wpmTenths);
            best.accuracyTenths = std::max(best.accuracyTenths, stored.bests[clock][k].accuracyTenths);
        }
    }
}

// The pace ----------------------------------------------------------------

static double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

bool PaceOfHistory(const HistorySummary &history, double *wpm, double *accuracy)
{
    *wpm = PACE_DEFAULT_WPM;
    *accuracy = PACE_DEFAULT_ACCURACY;
    if (history.recent.empty())
        return false;
    std::vector<double> speeds, accuracies;
    // The story's letters only: practice changes nothing of the story.
    for (size_t i = history.recent.size(); i-- > 0 && speeds.size() < size_t(PACE_LETTERS);) {
        if (history.recent[i].practice)
            continue;
        speeds.push_back(history.recent[i].wpmTenths / 10.0);
        accuracies.push_back(history.recent[i].accuracyTenths / 10.0);
    }
    if (speeds.empty())
        return false;
    *wpm = Median(speeds);
    *accuracy = Median(accuracies);
    return true;
}

void PlayerPace(double *wpm, double *accuracy)
{
    PaceOfHistory(ReadHistory(), wpm, accuracy);
}

// The run and its file ------------------------------------------------------

static std::string ClocksPath()
{
    return PlayerFilePath(CLOCKS_FILENAME);
}

void LoadClockRecords()
{
    RemoveLeftoverTemporaries(CLOCKS_FILENAME);
    std::vector<unsigned char> bytes;
    FileReadResult read = ReadFileHead(ClocksPath().c_str(), CLOCKS_READ_BYTES, bytes);
    clocksUnreadable = read == FILE_UNREADABLE;
    ClockData = DecodeClockRecords(std::string(bytes.begin(), bytes.end()));
    if (ClockData.tieTime != SaveData.runTime || ClockData.tieMistakes != SaveData.runMistakes)
        ClockData.runClock = CLOCK_ORIGINAL;
}

void StartClockRun()
{
    ClockData.runClock = CLOCK_ORIGINAL;
}

void ClockLetterFinished(int clock)
{
    ClockData.runClock = RunClockAfter(ClockData.runClock, clock);
}

void SaveClockRecords()
{
    if (SaveFileProblem() || clocksUnreadable)
        return;
    FileLock lock;
    if (!LockProgress(&lock))
        return;
    std::vector<unsigned char> bytes;
    if (ReadFileHead(ClocksPath().c_str(), CLOCKS_READ_BYTES, bytes) == FILE_READ) {
        ClockRecords stored = DecodeClockRecords(std::string(bytes.begin(), bytes.end()));
        KeepBetterClockRecords(stored, ClockData);
        ClockData.layout = stored.layout;
    }
    // The run's clock goes with the run the progress file now holds.
    ClockData.tieTime = SaveData.runTime;
    ClockData.tieMistakes = SaveData.runMistakes;
    std::string text = EncodeClockRecords(ClockData);
    ReplaceFileContents(ClocksPath().c_str(), text.data(), text.size());
    UnlockFile(&lock);
}
