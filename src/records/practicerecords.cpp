#include "records/practicerecords.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>

#include "platform/files.h"
#include "records/recordtext.h"
#include "story/graph.h"

const char PRACTICE_FILENAME[] = "practice.dat";

// A small text file: a first line that names it, then one line per thing,
// its words separated by tabs; a best run's keys as one word of
// comma-separated milliseconds.
static const char PRACTICE_MAGIC[] = "paperlune practice 1";
static const char PRACTICE_REACHED[] = "reached";
static const char PRACTICE_BEST[] = "best";
static const char PRACTICE_FROM_STORY[] = "story";
static const char PRACTICE_FROM_PRACTICE[] = "practice";
static const char PRACTICE_KEY_SEPARATOR = ',';
static const size_t PRACTICE_BEST_WORDS = 7;   // "best", scene, from, characters, mistakes, ms, keys
// Twelve letters of a few thousand keys each are far below this; a bigger
// file is not the game's.
static const size_t PRACTICE_READ_BYTES = 1 << 20;
static const int PRACTICE_MAX_KEYS = SCENE_TEXT_LINES * (SCENE_LINE_BYTES - 1);
static const long long PRACTICE_MAX_MS = 24LL * 3600 * 1000;   // a day
static const double PRACTICE_MS_PER_SECOND = 1000.0;

PracticeRecord PracticeData;

static std::vector<std::string> Split(const std::string &text, char separator)
{
    std::vector<std::string> words;
    size_t at = 0;
    for (;;) {
        size_t end = text.find(separator, at);
        words.push_back(text.substr(at, end == std::string::npos ? std::string::npos : end - at));
        if (end == std::string::npos)
            return words;
        at = end + 1;
    }
}

static bool DecodeKeys(const std::string &word, int32_t typingMs, KeyTimes &keys)
{
    keys.clear();
    if (word.empty())
        return true;
    long long last = 0;
    for (const std::string &k : Split(word, PRACTICE_KEY_SEPARATOR)) {
        long long ms;
        // In the order typed, none after the run's end.
        if (!RecordNumber(k, last, typingMs, ms) || keys.size() >= size_t(PRACTICE_MAX_KEYS))
            return false;
        keys.push_back(int32_t(ms));
        last = ms;
    }
    return true;
}

// The letter a best line is about and its run; -1 when it does not read.
static int DecodeBest(const std::vector<std::string> &w, BestRun &run)
{
    long long characters, mistakes, ms;
    int letter = w.size() >= 2 ? StoryLetterNamed(w[1].c_str()) : -1;
    if (letter < 0 || w.size() < PRACTICE_BEST_WORDS)
        return -1;
    if (w[2] != PRACTICE_FROM_STORY && w[2] != PRACTICE_FROM_PRACTICE)
        return -1;
    if (!RecordNumber(w[3], 1, PRACTICE_MAX_KEYS, characters) || !RecordNumber(w[4], 0, characters, mistakes) ||
        !RecordNumber(w[5], 0, PRACTICE_MAX_MS, ms))
        return -1;
    BestRun r;
    if (!DecodeKeys(w[6], int32_t(ms), r.keyMs) || r.keyMs.size() != size_t(characters))
        return -1;
    r.kept = true;
    r.practice = w[2] == PRACTICE_FROM_PRACTICE;
    r.characters = int(characters);
    r.mistakes = int(mistakes);
    r.typingMs = int32_t(ms);
    run = r;
    return letter;
}

bool DecodePractice(const std::string &text, PracticeRecord &record)
{
    record = PracticeRecord();
    std::vector<std::string> lines = Split(text, '\n');
    if (!lines.empty() && !lines[0].empty() && lines[0].back() == '\r')
        lines[0].pop_back();
    if (lines.empty() || lines[0] != PRACTICE_MAGIC)
        return false;
    for (size_t i = 1; i < lines.size(); i++) {
        std::string line = lines[i];
        if (!line.empty() && line.back() == '\r')
            line.pop_back();   // an editor's line end
        // The text's end: no line after the last newline.
        if (i + 1 == lines.size() && line.empty())
            break;
        record.layout.push_back(line);
        std::vector<std::string> w = Split(line, '\t');
        if (w[0] == PRACTICE_REACHED && w.size() >= 2) {
            int letter = StoryLetterNamed(w[1].c_str());
            if (letter >= 0)
                record.reached[letter] = true;
        } else if (w[0] == PRACTICE_BEST) {
            BestRun run;
            int letter = DecodeBest(w, run);
            // The first line of a letter is its best; another one is the same
            // letter written twice by hand.
            if (letter >= 0 && !record.best[letter].kept) {
                run.line = line;
                record.best[letter] = run;
            }
        }
    }
    return true;
}

static std::string BestLine(int letter, const BestRun &r)
{
    if (!r.line.empty())
        return r.line;
    std::string keys;
    for (size_t i = 0; i < r.keyMs.size(); i++) {
        if (i)
            keys += PRACTICE_KEY_SEPARATOR;
        keys += std::to_string(r.keyMs[i]);
    }
    return std::string(PRACTICE_BEST) + '\t' + StoryLetterAt(letter).scene + '\t' +
           (r.practice ? PRACTICE_FROM_PRACTICE : PRACTICE_FROM_STORY) + '\t' + std::to_string(r.characters) + '\t' +
           std::to_string(r.mistakes) + '\t' + std::to_string(r.typingMs) + '\t' + keys;
}

static std::string ReachedLine(int letter)
{
    return std::string(PRACTICE_REACHED) + '\t' + StoryLetterAt(letter).scene;
}

std::string EncodePractice(const PracticeRecord &r)
{
    std::string text = std::string(PRACTICE_MAGIC) + '\n';
    bool reachedWritten[STORY_LETTERS] = {}, bestWritten[STORY_LETTERS] = {};
    for (const std::string &line : r.layout) {
        std::vector<std::string> w = Split(line, '\t');
        int letter = w.size() >= 2 ? StoryLetterNamed(w[1].c_str()) : -1;
        if (w[0] == PRACTICE_REACHED && letter >= 0) {
            if (!reachedWritten[letter])
                text += line + '\n';
            reachedWritten[letter] = true;
        } else if (w[0] == PRACTICE_BEST && letter >= 0 && r.best[letter].kept) {
            // The kept run takes the place of its letter's first line, a
            // damaged one included; a second would only repeat it.
            if (!bestWritten[letter])
                text += BestLine(letter, r.best[letter]) + '\n';
            bestWritten[letter] = true;
        } else {
            text += line + '\n';   // a kind this version does not know, or a best it cannot read
        }
    }
    for (int i = 0; i < STORY_LETTERS; i++)
        if (r.reached[i] && !reachedWritten[i])
            text += ReachedLine(i) + '\n';
    for (int i = 0; i < STORY_LETTERS; i++)
        if (r.best[i].kept && !bestWritten[i])
            text += BestLine(i, r.best[i]) + '\n';
    return text;
}

BestRun BestRunOf(const LetterFigures &figures, const KeyTimes &keyMs, bool practice)
{
    BestRun r;
    double ms = std::round(figures.typingSeconds * PRACTICE_MS_PER_SECOND);
    if (figures.characters <= 0 || size_t(figures.characters) != keyMs.size() || ms > PRACTICE_MAX_MS)
        return r;
    r.typingMs = int32_t(ms);
    // Both rounded to the millisecond from the same clock: no key after the end.
    for (int32_t k : keyMs)
        if (k > r.typingMs)
            return BestRun();
    r.kept = true;
    r.practice = practice;
    r.characters = figures.characters;
    r.mistakes = figures.mistakes;
    r.keyMs = keyMs;
    return r;
}

bool BetterRun(const BestRun &candidate, const BestRun &held)
{
    if (!candidate.kept)
        return false;
    return !held.kept || candidate.typingMs < held.typingMs;
}

void KeepBetterPractice(PracticeRecord &kept, const PracticeRecord &other)
{
    for (int i = 0; i < STORY_LETTERS; i++) {
        kept.reached[i] = kept.reached[i] || other.reached[i];
        if (BetterRun(other.best[i], kept.best[i]))
            kept.best[i] = other.best[i];
    }
}

double RunWpm(const BestRun &run)
{
    return WordsPerMinute(run.characters, run.typingMs / PRACTICE_MS_PER_SECOND);
}

double RunAccuracy(const BestRun &run)
{
    return Accuracy(run.characters - run.mistakes, run.characters);
}

// The scene `to` comes after `from` on some way through the story.
static bool Leads(const Scene *from, const Scene *to)
{
    if (!from)
        return false;
    if (from == to)
        return true;
    return Leads(from->next1, to) || Leads(from->next2, to);
}

int LetterOfScene(const Scene *scene)
{
    return StoryLetterNamed(StorySceneName(StoryIndexOf(scene)));
}

void ReachedFromProgress(const SaveRecord &record, bool reached[STORY_LETTERS])
{
    const Scene *place = record.resumeId > 0 ? EntryScene(record.resumeId) : nullptr;
    for (int i = 0; i < STORY_LETTERS; i++) {
        const StoryLetter &letter = StoryLetterAt(i);
        const Scene *scene = StoryScene(StoryIndexNamed(letter.scene));
        for (int k = letter.firstPath; k <= letter.lastPath; k++)
            reached[i] = reached[i] || record.pathRecords[k - 1].bestTime >= 0;
        if (place && scene && Leads(scene, place))
            reached[i] = true;
    }
}

void LettersReached(const HistorySummary &history, bool reached[STORY_LETTERS])
{
    for (int i = 0; i < STORY_LETTERS; i++)
        reached[i] = PracticeData.reached[i] || history.storyScenes.count(StoryLetterAt(i).scene) > 0;
    ReachedFromProgress(SaveData, reached);
}

static std::string PracticePath()
{
    return PlayerFilePath(PRACTICE_FILENAME);
}

// What the file holds now: false when it is there and not the game's.
static bool ReadPracticeFile(PracticeRecord &record, bool *foreign)
{
    std::vector<unsigned char> bytes;
    FileReadResult read = ReadFileHead(PracticePath().c_str(), PRACTICE_READ_BYTES + 1, bytes);
    record = PracticeRecord();
    if (read == FILE_MISSING) {
        *foreign = false;
        return true;
    }
    *foreign = read != FILE_READ || bytes.size() > PRACTICE_READ_BYTES ||
               !DecodePractice(std::string(bytes.begin(), bytes.end()), record);
    if (*foreign)
        record = PracticeRecord();
    return !*foreign;
}

void LoadPracticeData()
{
    // A file that is not the game's is found again at each write, and left
    // as it is until a new best replaces it whole.
    bool foreign;
    ReadPracticeFile(PracticeData, &foreign);
}

// Writes PracticeData merged with what another copy of the game wrote
// meanwhile, under the progress file's lock. A file that is not the game's
// is written over only when `replaceForeign`.
static void WritePractice(bool replaceForeign)
{
    if (SaveFileProblem())
        return;   // a run that may not write its progress writes nothing at all
    FileLock lock;
    if (!LockProgress(&lock))
        return;
    PracticeRecord stored;
    bool foreign = false;
    if (ReadPracticeFile(stored, &foreign)) {
        KeepBetterPractice(PracticeData, stored);
        PracticeData.layout = stored.layout;
    }
    if (!foreign || replaceForeign) {
        std::string text = EncodePractice(PracticeData);
        ReplaceFileContents(PracticePath().c_str(), text.data(), text.size());
    }
    UnlockFile(&lock);
}

void LetterReached(const Scene *scene)
{
    int letter = LetterOfScene(scene);
    if (letter < 0 || PracticeData.reached[letter])
        return;
    PracticeData.reached[letter] = true;
    WritePractice(false);
}

bool LetterRunFinished(int letter, const LetterFigures &figures, const KeyTimes &keyMs, bool practice)
{
    if (letter < 0 || letter >= STORY_LETTERS)
        return false;
    BestRun run = BestRunOf(figures, keyMs, practice);
    if (!BetterRun(run, PracticeData.best[letter]))
        return false;
    PracticeData.best[letter] = run;
    PracticeData.reached[letter] = true;
    WritePractice(true);
    // Another copy of the game may have kept a better one meanwhile.
    return PracticeData.best[letter].keyMs == run.keyMs && PracticeData.best[letter].typingMs == run.typingMs;
}

void PracticeTyped(const char *name, int path, const LetterFigures &figures)
{
    HistoryEntry entry = HistoryEntryFor(figures, name, path);
    entry.practice = true;
    AppendHistory(entry);
}
