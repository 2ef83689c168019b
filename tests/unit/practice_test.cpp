// Practice: the pace marker's place from a kept run, the best-run file
// (round trip, two copies, damage), the drill's text, the letters reached,
// and what the list and the card show.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

#include <unistd.h>

#include "player/clock.h"
#include "player/lettercard.h"
#include "player/pace.h"
#include "player/practice.h"
#include "records/history.h"
#include "records/practicerecords.h"
#include "records/save.h"
#include "shell/practicescreen.h"
#include "story/graph.h"
#include "story/letters.h"

namespace fs = std::filesystem;

namespace {

double fakeNow = 0;
double FakeClock()
{
    return fakeNow;
}

// A letter of 25 lines from a few.
struct Text {
    std::vector<std::string> lines;
    std::vector<char *> pointers;
    explicit Text(std::vector<std::string> l) : lines(std::move(l))
    {
        lines.resize(SCENE_TEXT_LINES);
        for (std::string &line : lines)
            pointers.push_back(&line[0]);
    }
    char *const *text() const { return pointers.data(); }
};

BestRun KeptRun(int32_t typingMs, std::vector<int32_t> keys, int mistakes = 0)
{
    BestRun r;
    r.kept = true;
    r.characters = int(keys.size());
    r.mistakes = mistakes;
    r.typingMs = typingMs;
    r.keyMs = keys;
    return r;
}

std::string Slurp(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace

TEST(Pace, TheMarkerStandsWhereTheKeptRunWasAtTheLettersClock)
{
    const KeyTimes run = {100, 250, 250, 900};
    // Before the first key, between keys, two keys at once, past the last.
    EXPECT_EQ(PaceKeysDone(run, 0), 0);
    EXPECT_EQ(PaceKeysDone(run, 99), 0);
    EXPECT_EQ(PaceKeysDone(run, 100), 1);
    EXPECT_EQ(PaceKeysDone(run, 249), 1);
    EXPECT_EQ(PaceKeysDone(run, 250), 3);
    EXPECT_EQ(PaceKeysDone(run, 60000), 4);
    EXPECT_EQ(PaceMsToNextMove(run, 0), 100);
    EXPECT_EQ(PaceMsToNextMove(run, 120), 130);
    EXPECT_EQ(PaceMsToNextMove(run, 900), -1) << "the last move made, nothing wakes the page";
    EXPECT_EQ(PaceMsToNextMove({}, 0), -1);

    // Keys to places: a line's last character and blank lines are never judged.
    Text t({"ab ", "", "cd."});
    int line = -1, pos = -1;
    const std::vector<std::pair<int, int>> places = {{0, 0}, {0, 1}, {2, 0}, {2, 1}, {2, 2}, {2, 2}};
    for (int k = 0; k < int(places.size()); k++) {
        ASSERT_TRUE(JudgedKeyPlace(t.text(), k, &line, &pos));
        EXPECT_EQ(std::make_pair(line, pos), places[k]) << "after " << k << " keys";
    }
    ASSERT_TRUE(JudgedKeyPlace(t.text(), -3, &line, &pos));
    EXPECT_EQ(std::make_pair(line, pos), std::make_pair(0, 0));
    Text empty({});
    EXPECT_FALSE(JudgedKeyPlace(empty.text(), 0, &line, &pos));

    // A run with a pause: its keys' times leave the pause out, and the
    // marker follows the clock, not the wall.
    LetterClock clock;
    fakeNow = 10;
    ClockStart(clock, FakeClock);
    fakeNow = 10.5;
    KeyTimes kept = {KeyTimeNow(clock)};
    fakeNow = 11;
    ClockPause(clock);
    fakeNow = 20;
    ClockResume(clock);
    fakeNow = 20.25;
    kept.push_back(KeyTimeNow(clock));
    EXPECT_EQ(kept, (KeyTimes{500, 1250}));
    ClockStart(clock, FakeClock);   // the next try, paused as long at another moment
    fakeNow += 0.2;
    ClockPause(clock);
    fakeNow += 30;
    ClockResume(clock);
    fakeNow += 0.9;
    EXPECT_EQ(PaceKeysDone(kept, KeyTimeNow(clock)), 1) << "1.1 s of clock: one key of the best";
    EXPECT_EQ(PaceMsToNextMove(kept, KeyTimeNow(clock)), 150);
}

TEST(PracticeFile, RoundTripMergeAndDamage)
{
    PracticeRecord r;
    r.reached[0] = r.reached[3] = true;
    r.best[0] = KeptRun(4200, {300, 700, 700, 4100}, 1);
    r.best[0].practice = true;
    r.layout = {"note\tfrom a newer version"};
    std::string text = EncodePractice(r);
    PracticeRecord back;
    ASSERT_TRUE(DecodePractice(text, back));
    EXPECT_TRUE(back.reached[0] && back.reached[3] && !back.reached[1]);
    ASSERT_TRUE(back.best[0].kept);
    EXPECT_EQ(back.best[0].keyMs, r.best[0].keyMs);
    EXPECT_EQ(back.best[0].typingMs, 4200);
    EXPECT_EQ(back.best[0].mistakes, 1);
    EXPECT_TRUE(back.best[0].practice);
    EXPECT_FALSE(back.best[1].kept);
    EXPECT_EQ(EncodePractice(back), text) << "read and written again, the same";
    EXPECT_NE(text.find("note\tfrom a newer version\n"), std::string::npos);

    // A newer version's words after a best stay while it stays the best; an
    // editor's line ends are read.
    std::string newer = "paperlune practice 1\r\nbest\tScene05\tstory\t2\t0\t900\t400,800\tmore\r\n";
    ASSERT_TRUE(DecodePractice(newer, back));
    ASSERT_TRUE(back.best[1].kept);
    EXPECT_NE(EncodePractice(back).find("\t400,800\tmore\n"), std::string::npos);

    // Two copies: each letter keeps the shorter typing time, an equal one the held.
    PracticeRecord a, b;
    a.best[0] = KeptRun(5000, {1, 2});
    b.best[0] = KeptRun(4000, {3, 4});
    b.best[1] = KeptRun(7000, {5});
    a.best[2] = KeptRun(3000, {6});
    b.best[2] = KeptRun(3000, {7});
    b.reached[5] = true;
    KeepBetterPractice(a, b);
    EXPECT_EQ(a.best[0].typingMs, 4000);
    EXPECT_TRUE(a.best[1].kept);
    EXPECT_EQ(a.best[2].keyMs, KeyTimes{6}) << "an equal time keeps the held run";
    EXPECT_TRUE(a.reached[5]);
    EXPECT_FALSE(BetterRun(BestRun(), a.best[0]));

    // Damage: not the file at all, or a best that cannot be a run: no
    // marker, the line kept as it was until a new best takes its place.
    EXPECT_FALSE(DecodePractice("paperlune practice\nbest\tScene04e1\tstory\t1\t0\t9\t5\n", back));
    EXPECT_FALSE(DecodePractice(std::string("\0\1\2", 3), back));
    const std::vector<std::string> damaged = {
        "best\tScene04e1\tstory\t3\t0\t900\t100,200",          // fewer keys than judged
        "best\tScene04e1\tstory\t2\t0\t900\t300,200",          // keys out of order
        "best\tScene04e1\tstory\t2\t0\t900\t100,901",          // a key after the run's end
        "best\tScene04e1\tstory\t2\t3\t900\t100,200",          // more mistakes than keys
        "best\tScene04e1\tstory\t2\t0\t-5\t100,200",
        "best\tScene04e1\tdream\t2\t0\t900\t100,200",
        "best\tScene99\tstory\t2\t0\t900\t100,200",
        "best\tScene04e1\tstory\t99999999999999\t0\t900\t1",
        "best\tScene04e1\tstory\t2\t0\t900\t100,,200",
        "best\tScene04e1",
    };
    for (const std::string &line : damaged) {
        ASSERT_TRUE(DecodePractice("paperlune practice 1\n" + line + "\n", back)) << line;
        EXPECT_FALSE(back.best[0].kept) << line;
        EXPECT_EQ(EncodePractice(back), "paperlune practice 1\n" + line + "\n") << "kept as it was";
        back.best[0] = KeptRun(800, {100, 200});
        std::string replaced = EncodePractice(back);
        // A line of no letter is no letter's to replace.
        bool ofTheLetter = line.find("Scene99") == std::string::npos;
        EXPECT_EQ(replaced.find(line + "\n") == std::string::npos, ofTheLetter) << "the new best takes its place: "
                                                                                 << line;
        EXPECT_EQ(replaced.find("best\tScene04e1"), replaced.rfind("best\tScene04e1")) << "one best a letter";
    }

    // A run is kept only when its keys and figures agree.
    LetterFigures f;
    f.characters = 2;
    f.typingSeconds = 0.9;
    EXPECT_TRUE(BestRunOf(f, {100, 900}, true).kept);
    EXPECT_FALSE(BestRunOf(f, {100}, true).kept);
    EXPECT_FALSE(BestRunOf(f, {100, 901}, true).kept);
}

// The files themselves: a damaged or hostile file is left alone until a
// new best replaces it whole, and two copies keep the better best.
TEST(PracticeFile, ADamagedFileIsLeftUntilANewBestReplacesItWhole)
{
    InitScenes();
    char name[] = "/tmp/paperlune-practice-XXXXXX";
    fs::path dir = mkdtemp(name);
    const char *had = getenv("XDG_DATA_HOME");
    std::string old = had ? had : "";
    setenv("XDG_DATA_HOME", dir.c_str(), 1);
    SetOldSaveDirs({dir.string()});
    LoadGameData();
    ASSERT_EQ(SaveFileProblem(), nullptr);
    std::string path = PlayerFilePath(PRACTICE_FILENAME);
    const std::string hostile = std::string("paperlune practice 2\n") + std::string(3000, '\xff');
    std::ofstream(path, std::ios::binary) << hostile;
    LoadPracticeData();
    EXPECT_FALSE(PracticeData.best[0].kept);
    LetterReached(StoryScene(StoryIndexNamed("Scene04e1")));
    EXPECT_TRUE(PracticeData.reached[0]);
    EXPECT_EQ(Slurp(path), hostile) << "a letter reached does not write over it";

    LetterFigures f;
    f.characters = 3;
    f.typingSeconds = 2.0;
    EXPECT_TRUE(LetterRunFinished(0, f, {500, 1000, 1900}, true));
    PracticeRecord onDisk;
    ASSERT_TRUE(DecodePractice(Slurp(path), onDisk));
    EXPECT_TRUE(onDisk.reached[0]);
    EXPECT_EQ(onDisk.best[0].keyMs, (KeyTimes{500, 1000, 1900}));

    // Another copy of the game kept a faster run meanwhile: it stays, and
    // this slower one is no new best.
    PracticeRecord other = onDisk;
    other.best[0] = KeptRun(1500, {400, 800, 1400});
    std::string text = EncodePractice(other);
    std::ofstream(path, std::ios::binary | std::ios::trunc) << text;
    f.typingSeconds = 1.8;
    EXPECT_FALSE(LetterRunFinished(0, f, {500, 1000, 1700}, false));
    ASSERT_TRUE(DecodePractice(Slurp(path), onDisk));
    EXPECT_EQ(onDisk.best[0].typingMs, 1500);
    EXPECT_EQ(PracticeData.best[0].typingMs, 1500) << "the marker takes the better run";
    fs::remove_all(dir);
    if (had)
        setenv("XDG_DATA_HOME", old.c_str(), 1);
    else
        unsetenv("XDG_DATA_HOME");
}

TEST(Drill, HoldsTheChosenCharactersAndOnlyWordsOfTheLettersGiven)
{
    InitScenes();
    std::vector<char *const *> texts = {StoryScene(StoryIndexNamed("Scene04e1"))->text,
                                        StoryScene(StoryIndexNamed("Scene05"))->text};
    std::set<std::string> given, elsewhere;
    for (char *const *t : texts)
        for (int l = 0; l < SCENE_TEXT_LINES; l++) {
            std::string line = t[l];
            for (size_t at = 0; at < line.size();) {
                size_t end = std::min(line.find(' ', at), line.size());
                if (end > at)
                    given.insert(line.substr(at, end - at));
                at = end + 1;
            }
        }
    const std::vector<char> missed = {'k', 'y', ',', ' ', 'w'};
    std::vector<std::string> lines = DrillLines(texts, missed, 7);
    ASSERT_GE(lines.size(), 4u);
    ASSERT_LE(lines.size(), 6u);
    std::string all;
    for (const std::string &line : lines) {
        EXPECT_LE(int(line.size()), DRILL_LINE_CHARS);
        ASSERT_FALSE(line.empty());
        EXPECT_EQ(line.back(), ' ') << "the untyped end of the line";
        all += line;
        for (size_t at = 0; at < line.size();) {
            size_t end = line.find(' ', at);
            std::string word = line.substr(at, end - at);
            EXPECT_TRUE(given.count(word)) << "not a word of the letters given: " << word;
            EXPECT_TRUE(word.find_first_of("ky,w") != std::string::npos) << "holds none of them: " << word;
            at = end + 1;
        }
    }
    for (char c : {'k', 'y', ',', 'w'})
        EXPECT_NE(all.find(c), std::string::npos) << "no word with " << c;
    EXPECT_NE(DrillLines(texts, missed, 8), lines) << "another drill, another order";
    // No character any word holds: the words as they come; no words: no drill.
    EXPECT_EQ(DrillLines(texts, {'#'}, 1).size(), size_t(DRILL_LINES));
    Text blank({});
    EXPECT_TRUE(DrillLines({blank.text()}, missed, 1).empty());
}

TEST(Reached, FromAFreshAndFromAnOlderProgressFile)
{
    InitScenes();
    auto reachedBy = [](const SaveRecord &r) {
        bool reached[STORY_LETTERS] = {};
        ReachedFromProgress(r, reached);
        std::string names;
        for (int i = 0; i < STORY_LETTERS; i++)
            if (reached[i])
                names += std::string(names.empty() ? "" : " ") + StoryLetterAt(i).scene;
        return names;
    };
    SaveRecord r = DefaultSave();
    EXPECT_EQ(reachedBy(r), "");
    r.resumeId = 11;   // after "News from Lowmere", before the second choice
    EXPECT_EQ(reachedBy(r), "Scene05 Scene07 Scene10");
    r.resumeId = 141;   // the first letter's own place: its page was shown
    EXPECT_EQ(reachedBy(r), "Scene04e1");
    r.resumeId = 999;   // a damaged place shows nothing
    EXPECT_EQ(reachedBy(r), "");
    r.resumeId = 0;
    r.pathRecords[3].bestTime = 1200;   // path 4 finished once
    EXPECT_EQ(reachedBy(r), "Scene05 Scene07 Scene10 Scene14 Scene16 Scene18 Scene20 Scene23 Scene27");

    // Each letter's paths are those of the endings the story leads to from it.
    for (int i = 0; i < STORY_LETTERS; i++) {
        std::set<int> paths;
        std::vector<const Scene *> todo = {StoryScene(StoryIndexNamed(StoryLetterAt(i).scene))};
        while (!todo.empty()) {
            const Scene *s = todo.back();
            todo.pop_back();
            if (!s->next1 && !s->next2)
                paths.insert(PathOfId(s->id));
            for (const Scene *n : {s->next1, s->next2})
                if (n)
                    todo.push_back(n);
        }
        std::set<int> listed;
        for (int k = StoryLetterAt(i).firstPath; k <= StoryLetterAt(i).lastPath; k++)
            listed.insert(k);
        EXPECT_EQ(paths, listed) << StoryLetterAt(i).scene;
    }
}

TEST(PracticeScreen, ALetterNotReachedShowsNothingOfItselfAndCannotBeChosen)
{
    InitScenes();
    const Scene *scene = StoryScene(StoryIndexNamed("Scene20"));
    PracticeRowText hidden = PracticeRow(8, false, KeptRun(60000, {1, 2, 3}));
    std::string shown = hidden.title + hidden.paths + hidden.wpm + hidden.accuracy;
    EXPECT_EQ(shown.find(StoryLetterAt(8).title), std::string::npos);
    EXPECT_EQ(shown.find("Tovanne"), std::string::npos);
    for (int l = 0; l < SCENE_TEXT_LINES; l++) {
        if (strlen(scene->text[l]) > 4) {
            EXPECT_EQ(shown.find(scene->text[l]), std::string::npos);
        }
    }
    EXPECT_EQ(hidden.paths, "Paths 3-5");
    EXPECT_EQ(hidden.wpm, "") << "not even a best";

    PracticeRowText open = PracticeRow(0, true, KeptRun(60000, std::vector<int32_t>(500, 0), 5));
    EXPECT_EQ(open.title, StoryLetterAt(0).title);
    EXPECT_EQ(open.paths, "Path 1");
    EXPECT_EQ(open.wpm, "100.0");
    EXPECT_EQ(open.accuracy, "99.0 %");
    EXPECT_EQ(PracticeRow(0, true, BestRun()).wpm, "-");

    bool choosable[PRACTICE_BACK + 1] = {};
    choosable[1] = choosable[4] = choosable[PRACTICE_BACK] = true;
    EXPECT_EQ(PracticeStep(1, +1, choosable), 4) << "the rows between are passed over";
    EXPECT_EQ(PracticeStep(4, +1, choosable), PRACTICE_BACK);
    EXPECT_EQ(PracticeStep(4, -1, choosable), 1);
    EXPECT_EQ(PracticeStep(1, -1, choosable), 1);
    EXPECT_EQ(PracticeStep(PRACTICE_BACK, +1, choosable), PRACTICE_BACK);
    EXPECT_EQ(PracticeRowAt(60, 121), 1);
    EXPECT_EQ(PracticeRowAt(60, 120 + 22 * 11 + 1), 12);
    EXPECT_EQ(PracticeRowAt(60, 120 + 22 * 12 + 4 + 1), PRACTICE_DRILL_ROW);
    EXPECT_EQ(PracticeRowAt(520, 420), PRACTICE_BACK);
    EXPECT_EQ(PracticeRowAt(20, 121), 0);
}

TEST(PracticeCard, TheRunStandsBesideTheBest)
{
    LetterFigures f;
    f.characters = 500;
    f.mistakes = 10;
    f.typingSeconds = 120;
    PracticeComparison c;
    std::vector<std::vector<std::string>> rows = PracticeCardRows(f, c);
    ASSERT_EQ(rows.size(), 4u);
    EXPECT_EQ(rows[1][1], "50.0 wpm");
    EXPECT_EQ(rows[1][2], "-") << "no best before the first run";
    EXPECT_EQ(rows[2][1], "98.0 %");
    EXPECT_EQ(rows[3][1], "120.0 s");
    c.hadBest = true;
    c.bestWpm = 62.5;
    c.bestAccuracy = 99.4;
    c.bestSeconds = 96.04;
    rows = PracticeCardRows(f, c);
    EXPECT_EQ(rows[1][2], "62.5 wpm");
    EXPECT_EQ(rows[2][2], "99.4 %");
    EXPECT_EQ(rows[3][2], "96.0 s");
    EXPECT_STREQ(PracticeVerdict(c), "Your best still stands.");
    c.newBest = true;
    EXPECT_STREQ(PracticeVerdict(c), "A new best, kept.");
}

TEST(PracticeHistory, TheModeKeepsPracticeApartFromTheStory)
{
    InitScenes();
    HistoryEntry e;
    e.when = "2026-03-01T18:04:09+01:00";
    e.scene = "Scene04e1";
    e.path = 1;
    e.characters = 400;
    e.mistakes = 4;
    e.typingTenths = 1200;
    e.wpmTenths = 400;
    e.accuracyTenths = 990;
    e.missed['e'] = 3;
    e.practice = true;
    std::string practice = FormatHistoryLine(e);
    EXPECT_NE(practice.find("\tpractice\n"), std::string::npos) << practice;
    HistoryEntry back;
    ASSERT_TRUE(ParseHistoryLine(practice.data(), practice.size() - 1, back));
    EXPECT_TRUE(back.practice);

    // An earlier version's line has no mode: the story's. A newer mode
    // counts apart from the story; a drill is never the story's.
    std::string older = practice.substr(0, practice.find("\tpractice\n"));
    ASSERT_TRUE(ParseHistoryLine(older.data(), older.size(), back));
    EXPECT_FALSE(back.practice);
    std::string newer = older + "\trace\tmore";
    ASSERT_TRUE(ParseHistoryLine(newer.data(), newer.size(), back));
    EXPECT_TRUE(back.practice);
    std::string empty = older + "\t";
    EXPECT_FALSE(ParseHistoryLine(empty.data(), empty.size(), back));
    HistoryEntry drill = e;
    drill.scene = DRILL_NAME;
    drill.path = 0;
    std::string drillLine = FormatHistoryLine(drill);
    ASSERT_TRUE(ParseHistoryLine(drillLine.data(), drillLine.size() - 1, back));
    drill.practice = false;
    drillLine = FormatHistoryLine(drill);
    EXPECT_FALSE(ParseHistoryLine(drillLine.data(), drillLine.size() - 1, back));

    // The story's fastest and practice's apart; the scenes the story reached;
    // an earlier version's header is still a header.
    HistoryEntry story = e;
    story.practice = false;
    story.scene = "Scene05";
    story.path = 0;
    e.wpmTenths = 700;
    e.typingTenths = 686;
    std::string file = "date\tscene\tpath\tcharacters\tmistakes\ttyping seconds\tpenalty seconds\twords per minute\t"
                       "accuracy\tmissed\n" +
                       FormatHistoryLine(story) + FormatHistoryLine(e);
    HistorySummary s = SummariseHistory(reinterpret_cast<const unsigned char *>(file.data()), file.size(), true);
    EXPECT_EQ(s.skipped, 0);
    EXPECT_EQ(s.letters, 2);
    EXPECT_EQ(s.characters, 800);
    ASSERT_TRUE(s.hasFastest && s.hasPracticeFastest);
    EXPECT_EQ(s.fastest.scene, "Scene05") << "the faster practice run is no story best";
    EXPECT_EQ(s.practiceFastest.wpmTenths, 700);
    EXPECT_EQ(s.storyScenes, std::set<std::string>{"Scene05"});
    EXPECT_EQ(s.missed['e'], 6) << "missed keys count both";
}
