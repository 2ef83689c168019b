#include "records/typingrun.h"

#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <sstream>
#include <vector>

#include "platform/files.h"
#include "records/clockrecords.h"
#include "records/history.h"

const char TYPING_FILENAME[] = "typing.dat";

// A small text file: a first line that names it, then one line per thing,
// its words separated by tabs.
static const char TYPING_MAGIC[] = "paperlune typing 1";
static const char TYPING_RUN[] = "run";
static const char TYPING_RUN_BEFORE[] = "run before";
static const char TYPING_AWAITED[] = "letter";
static const char TYPING_PATH[] = "path";
static const char TYPING_BOM[] = "\xEF\xBB\xBF";   // an editor's mark of UTF-8
static const size_t TYPING_READ_BYTES = 65536;   // the file the game writes is far smaller
static const long long TYPING_MAX_COUNT = 1LL << 40;   // more keys than anyone types
// Ten times a million words per minute: no keyboard, let alone a hand,
// comes near; a line claiming more is damaged.
static const int TYPING_MAX_TENTHS = 10000000;
static const long long TYPING_MS_PER_MINUTE = 60000;
static const long long TYPING_CHARACTERS_PER_WORD = 5;
static const int TYPING_FULL_ACCURACY_TENTHS = 1000;
static const size_t TYPING_RUN_WORDS = 7;      // "run", known, runTime, runMistakes, characters, right, ms
static const size_t TYPING_PATH_WORDS = 4;     // "path", its number, wpm, accuracy
static const size_t TYPING_AWAITED_WORDS = 4;  // "letter", resumeId, runTime, runMistakes, then the line
static const double TYPING_MS_PER_SECOND = 1000.0;

TypingRecord TypingData;

// The counts last read or written with the progress they go with: what a
// place's progress file holds may be these, when typing.dat there is older.
static TypingRun lastRun;
static TypingTie lastTie;
static bool lastKnown = false;

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

// Whole numbers only, in [low, high]; spaces around them as an editor
// may leave them.
static bool Number(std::string word, long long low, long long high, long long &value)
{
    size_t first = word.find_first_not_of(' ');
    size_t last = word.find_last_not_of(' ');
    word = first == std::string::npos ? "" : word.substr(first, last - first + 1);
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

// A speed no typist reaches, from counts that may have been edited by hand.
static bool PossibleSpeed(long long characters, long long ms)
{
    // Both below 2^41: the products stay far inside 64 bits.
    return characters * TYPING_MS_PER_MINUTE <= TYPING_MAX_TENTHS / 10 * TYPING_CHARACTERS_PER_WORD * ms;
}

// The words of a "run" or "run before" line: counts and the progress they go with.
static bool DecodeCounts(const std::vector<std::string> &w, TypingRun &run, TypingTie &tie)
{
    long long v[6];
    if (w.size() < TYPING_RUN_WORDS || !Number(w[1], 0, 1, v[0]) || !Number(w[2], INT32_MIN, INT32_MAX, v[1]) ||
        !Number(w[3], INT32_MIN, INT32_MAX, v[2]) || !Number(w[4], 0, TYPING_MAX_COUNT, v[3]) ||
        !Number(w[5], 0, v[3], v[4]) || !Number(w[6], 0, TYPING_MAX_COUNT, v[5]) || !PossibleSpeed(v[3], v[5]))
        return false;
    run.known = v[0] == 1;
    tie.runTime = int32_t(v[1]);
    tie.runMistakes = int32_t(v[2]);
    run.characters = v[3];
    run.right = v[4];
    run.typingMs = v[5];
    return true;
}

static bool DecodeRun(const std::vector<std::string> &w, TypingRecord &r)
{
    TypingTie tie;
    if (!DecodeCounts(w, r.run, tie))
        return false;
    r.tieTime = tie.runTime;
    r.tieMistakes = tie.runMistakes;
    return true;
}

static bool DecodeBefore(const std::vector<std::string> &w, TypingRecord &r)
{
    if (!DecodeCounts(w, r.before, r.beforeTie))
        return false;
    r.hasBefore = true;
    return true;
}

static bool DecodeAwaited(const std::vector<std::string> &w, TypingRecord &r)
{
    long long v[3];
    if (w.size() <= TYPING_AWAITED_WORDS || !Number(w[1], INT32_MIN, INT32_MAX, v[0]) ||
        !Number(w[2], INT32_MIN, INT32_MAX, v[1]) || !Number(w[3], INT32_MIN, INT32_MAX, v[2]))
        return false;
    std::string line = w[TYPING_AWAITED_WORDS];
    for (size_t i = TYPING_AWAITED_WORDS + 1; i < w.size(); i++)
        line += '\t' + w[i];
    HistoryEntry entry;
    if (!ParseHistoryLine(line.data(), line.size(), entry))
        return false;
    r.awaited = line + '\n';
    r.awaitedResume = int32_t(v[0]);
    r.awaitedTie = {int32_t(v[1]), int32_t(v[2])};
    return true;
}

// The path a "path" line is about, 0..PATH_COUNT - 1, or -1.
static int PathOfLine(const std::vector<std::string> &w)
{
    long long k;
    if (w.size() < 2 || w[0] != TYPING_PATH || !Number(w[1], 1, PATH_COUNT, k))
        return -1;
    return int(k - 1);
}

static bool DecodePath(const std::vector<std::string> &w, TypingRecord &r)
{
    long long wpm, accuracy;
    int k = PathOfLine(w);
    if (k < 0 || w.size() < TYPING_PATH_WORDS || !Number(w[2], -1, TYPING_MAX_TENTHS, wpm) ||
        !Number(w[3], -1, TYPING_FULL_ACCURACY_TENTHS, accuracy))
        return false;
    r.best[k].wpmTenths = int(wpm);
    r.best[k].accuracyTenths = int(accuracy);
    return true;
}

// Words of a stored line after the ones this version writes, kept as they were.
static std::string ExtraWords(const std::vector<std::string> &words, size_t known)
{
    std::string extra;
    for (size_t i = known; i < words.size(); i++)
        extra += '\t' + words[i];
    return extra;
}

static std::string CountsLine(const char *kind, const TypingRun &run, const TypingTie &tie, const std::string &extra)
{
    std::ostringstream out;
    out << kind << '\t' << (run.known ? 1 : 0) << '\t' << tie.runTime << '\t' << tie.runMistakes << '\t'
        << run.characters << '\t' << run.right << '\t' << run.typingMs << extra << '\n';
    return out.str();
}

static std::string RunLine(const TypingRecord &r, const std::string &extra)
{
    return CountsLine(TYPING_RUN, r.run, {r.tieTime, r.tieMistakes}, extra);
}

static std::string BeforeLine(const TypingRecord &r)
{
    return r.hasBefore ? CountsLine(TYPING_RUN_BEFORE, r.before, r.beforeTie, "") : "";
}

static std::string AwaitedLine(const TypingRecord &r)
{
    if (r.awaited.empty())
        return "";
    std::ostringstream out;
    out << TYPING_AWAITED << '\t' << r.awaitedResume << '\t' << r.awaitedTie.runTime << '\t'
        << r.awaitedTie.runMistakes << '\t' << r.awaited;   // the history line brings its newline
    return out.str();
}

static std::string PathLine(const TypingRecord &r, int k, const std::string &extra)
{
    std::ostringstream out;
    out << TYPING_PATH << '\t' << k + 1 << '\t' << r.best[k].wpmTenths << '\t' << r.best[k].accuracyTenths << extra
        << '\n';
    return out.str();
}

// What one stored line is, and whether it can be read.
enum LineKind { LINE_OTHER, LINE_RUN, LINE_BEFORE, LINE_AWAITED, LINE_PATH };

static LineKind KindOf(const std::vector<std::string> &w, TypingRecord &scratch)
{
    if (w[0] == TYPING_RUN)
        return DecodeRun(w, scratch) ? LINE_RUN : LINE_OTHER;
    if (w[0] == TYPING_RUN_BEFORE)
        return DecodeBefore(w, scratch) ? LINE_BEFORE : LINE_OTHER;
    if (w[0] == TYPING_AWAITED)
        return DecodeAwaited(w, scratch) ? LINE_AWAITED : LINE_OTHER;
    if (w[0] == TYPING_PATH)
        return DecodePath(w, scratch) ? LINE_PATH : LINE_OTHER;
    return LINE_OTHER;
}

std::string EncodeTyping(const TypingRecord &r)
{
    std::string text = std::string(TYPING_MAGIC) + '\n';
    bool runWritten = false, pathWritten[PATH_COUNT] = {};
    for (const std::string &line : r.layout) {
        std::vector<std::string> w = Words(line);
        TypingRecord scratch;
        switch (KindOf(w, scratch)) {
        case LINE_RUN:
            // The values go into the first line of their kind; a second
            // would only repeat them.
            if (!runWritten)
                text += RunLine(r, ExtraWords(w, TYPING_RUN_WORDS)) + BeforeLine(r) + AwaitedLine(r);
            runWritten = true;
            break;
        case LINE_BEFORE:
        case LINE_AWAITED:
            break;   // they go with the run line, and hold only what it went with
        case LINE_PATH: {
            int k = PathOfLine(w);
            if (!pathWritten[k])
                text += PathLine(r, k, ExtraWords(w, TYPING_PATH_WORDS));
            pathWritten[k] = true;
            break;
        }
        case LINE_OTHER:
            text += line + '\n';   // a kind this version does not know, or a line it cannot read
            break;
        }
    }
    if (!runWritten)
        text += RunLine(r, "") + BeforeLine(r) + AwaitedLine(r);
    for (int k = 0; k < PATH_COUNT; k++)
        if (!pathWritten[k])
            text += PathLine(r, k, "");
    return text;
}

// A line as an editor may have left it: without its carriage return and
// the spaces after its last word.
static std::string Cleaned(std::string line)
{
    size_t end = line.find_last_not_of(" \r");
    return end == std::string::npos ? "" : line.substr(0, end + 1);
}

TypingRecord DecodeTyping(const std::string &text)
{
    TypingRecord r;
    std::istringstream in(text.compare(0, strlen(TYPING_BOM), TYPING_BOM) == 0 ? text.substr(strlen(TYPING_BOM)) : text);
    std::string line;
    bool first = true;
    while (std::getline(in, line)) {
        line = Cleaned(line);
        // The name line; a file whose first line was lost still has lines to read.
        if (first && line == TYPING_MAGIC) {
            first = false;
            continue;
        }
        first = false;
        r.layout.push_back(line);
        // Only a line that reads whole changes the record.
        KindOf(Words(line), r);
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
    if (wpm * 10 > TYPING_MAX_TENTHS)
        return;   // counts that cannot be
    int wpmTenths = int(std::llround(wpm * 10)), accuracyTenths = int(std::llround(accuracy * 10));
    if (wpmTenths > best.wpmTenths)
        best.wpmTenths = wpmTenths;
    if (accuracyTenths > best.accuracyTenths)
        best.accuracyTenths = accuracyTenths;
}

static std::string TypingIn(const std::string &dir)
{
    return dir + "/" + TYPING_FILENAME;
}

static bool SameTie(const TypingTie &a, int32_t runTime, int32_t runMistakes)
{
    return a.runTime == runTime && a.runMistakes == runMistakes;
}

// The file in a place, read whole; false when there is none to be read, or
// more than the game would ever write (which it then never rewrites).
static bool ReadTypingIn(const std::string &dir, TypingRecord &record, bool *mayWrite)
{
    std::vector<unsigned char> bytes;
    FileReadResult read = ReadFileHead(TypingIn(dir).c_str(), TYPING_READ_BYTES + 1, bytes);
    bool whole = read == FILE_READ && bytes.size() <= TYPING_READ_BYTES;
    if (mayWrite)
        *mayWrite = read == FILE_MISSING || whole;
    if (!whole)
        return false;
    record = DecodeTyping(std::string(bytes.begin(), bytes.end()));
    return true;
}

// The counts of `stored` that go with the progress (runTime, runMistakes):
// its run line first, as the newer one, then the one before it.
static bool CountsFor(const TypingRecord &stored, int32_t runTime, int32_t runMistakes, TypingRun &run)
{
    if (SameTie({stored.tieTime, stored.tieMistakes}, runTime, runMistakes)) {
        run = stored.run;
        return true;
    }
    if (stored.hasBefore && SameTie(stored.beforeTie, runTime, runMistakes)) {
        run = stored.before;
        return true;
    }
    return false;
}

static void Remember(const TypingRun &run, int32_t runTime, int32_t runMistakes)
{
    lastRun = run;
    lastTie = {runTime, runMistakes};
    lastKnown = true;
}

void LoadTypingData()
{
    RemoveLeftoverTemporaries(TYPING_FILENAME);
    TypingData = TypingRecord();
    TypingData.run.known = false;
    lastKnown = false;
    bool runFound = false, awaitedFound = false;
    std::vector<std::string> dirs = ProgressDirectories();
    for (size_t i = 0; i < dirs.size(); i++) {
        TypingRecord stored;
        if (!ReadTypingIn(dirs[i], stored, nullptr))
            continue;
        // Rewritten in the place the progress is saved to, as it stands there.
        if (i == 0)
            TypingData.layout = stored.layout;
        KeepBetterTypingBests(stored, TypingData);
        // Counts saved with another run (an older game saved the progress
        // since, or another copy of the game did) would make up a speed
        // nobody typed.
        if (!runFound && CountsFor(stored, SaveData.runTime, SaveData.runMistakes, TypingData.run)) {
            runFound = true;
            Remember(TypingData.run, SaveData.runTime, SaveData.runMistakes);
        }
        if (!awaitedFound && !stored.awaited.empty() && stored.awaitedResume == SaveData.resumeId &&
            SameTie(stored.awaitedTie, SaveData.runTime, SaveData.runMistakes)) {
            awaitedFound = true;
            TypingData.awaited = stored.awaited;
        }
    }
    TypingData.tieTime = SaveData.runTime;
    TypingData.tieMistakes = SaveData.runMistakes;
    // The save that continued after a letter was killed before its line went in.
    if (awaitedFound)
        AddAwaitedHistory();
}

void StartTypingRun()
{
    TypingData.run = TypingRun();
    TypingData.run.known = true;
}

// typing.dat in the place `dir`, written under the progress file's lock
// just before the progress file `saving` is.
static void WriteTypingBeside(const std::string &dir, const SaveRecord *onDisk, const SaveRecord &saving)
{
    TypingRecord stored;
    bool mayWrite = false;
    bool read = ReadTypingIn(dir, stored, &mayWrite);
    if (!mayWrite)
        return;   // never rewritten with less than it holds
    TypingRecord out = TypingData;
    out.layout = read ? stored.layout : std::vector<std::string>();
    // Each path's bests another copy of the game saved meanwhile are kept.
    if (read)
        KeepBetterTypingBests(stored, out);
    // What goes with the progress file still there, should the game be
    // killed before it is replaced.
    out.hasBefore = false;
    if (onDisk) {
        out.beforeTie = {onDisk->runTime, onDisk->runMistakes};
        if (read && CountsFor(stored, onDisk->runTime, onDisk->runMistakes, out.before)) {
            out.hasBefore = true;
        } else if (lastKnown && SameTie(lastTie, onDisk->runTime, onDisk->runMistakes)) {
            out.before = lastRun;
            out.hasBefore = true;
        }
    }
    out.tieTime = saving.runTime;
    out.tieMistakes = saving.runMistakes;
    out.awaitedResume = saving.resumeId;
    out.awaitedTie = {saving.runTime, saving.runMistakes};
    std::string text = EncodeTyping(out);
    if (!ReplaceFileContents(TypingIn(dir).c_str(), text.data(), text.size()))
        return;
    for (int k = 0; k < PATH_COUNT; k++)
        TypingData.best[k] = out.best[k];
    TypingData.layout = out.layout;
    Remember(out.run, saving.runTime, saving.runMistakes);
}

void SaveProgress()
{
    SaveGameData(WriteTypingBeside);
    // The other clocks' tables, beside it.
    SaveClockRecords();
}

void LetterAwaitsHistory(const std::string &line)
{
    TypingData.awaited = line;
}

void AddAwaitedHistory()
{
    if (TypingData.awaited.empty())
        return;
    std::string why;
    if (!AppendHistoryLine(TypingData.awaited, &why) && !why.empty())
        TellPlayerOnce(HistoryProblem(why));
    TypingData.awaited.clear();
}
