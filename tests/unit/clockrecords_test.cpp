// The clocks' records: the pace "Your pace" is set for, from the history;
// which table a play-through goes to for each mix of clocks; the history's
// clock field; and clocks.dat beside the progress file.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <unistd.h>

#include "player/clock.h"
#include "records/clockrecords.h"
#include "records/history.h"
#include "records/progress.h"
#include "records/save.h"
#include "records/typingrun.h"
#include "story/graph.h"

namespace fs = std::filesystem;

namespace {

// A line of the history for a letter at this speed and accuracy (400 keys).
std::string Letter(double wpm, double accuracy, const char *clock = "original")
{
    HistoryEntry e;
    e.when = "2026-03-01T18:04:09+01:00";
    e.scene = "Scene14";
    e.characters = 400;
    e.mistakes = int(std::lround(400 * (100 - accuracy) / 100));
    e.penaltySeconds = 0;
    double seconds = 400 / 5.0 / wpm * 60;
    e.typingTenths = int(std::lround(seconds * 10));
    e.wpmTenths = int(std::lround(wpm * 10));
    e.accuracyTenths = int(std::lround(accuracy * 10));
    std::string line = FormatHistoryLine(e);
    // The clock's word, as the file holds it, before the mode.
    size_t mode = line.rfind('\t');
    return line.substr(0, line.rfind('\t', mode - 1) + 1) + clock + line.substr(mode);
}

struct Pace {
    bool known;
    double wpm, accuracy;
};

Pace PaceOf(const std::string &text)
{
    HistorySummary h = SummariseHistory(reinterpret_cast<const unsigned char *>(text.data()), text.size(), true);
    Pace p;
    p.known = PaceOfHistory(h, &p.wpm, &p.accuracy);
    return p;
}

std::string Slurp(const fs::path &path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The player's files in a scratch data home while a test runs.
struct Home {
    fs::path dir;
    std::string old;
    bool had;
    Home()
    {
        char name[] = "/tmp/paperlune-clocks-XXXXXX";
        dir = mkdtemp(name);
        const char *x = getenv("XDG_DATA_HOME");
        had = x != nullptr;
        old = x ? x : "";
        setenv("XDG_DATA_HOME", dir.c_str(), 1);
        SetOldSaveDirs({dir.string()});
        SetSaveMessageShow(nullptr);
    }
    ~Home()
    {
        if (had)
            setenv("XDG_DATA_HOME", old.c_str(), 1);
        else
            unsetenv("XDG_DATA_HOME");
        fs::remove_all(dir);
    }
    fs::path File(const char *name) const { return dir / "paperlune" / name; }
};

}  // namespace

TEST(YourPace, TheMedianOfTheLastFiveLettersOnAnyClock)
{
    std::string header = HistoryHeader();
    // None yet: 20 words per minute and 95 %.
    Pace none = PaceOf(header);
    EXPECT_FALSE(none.known);
    EXPECT_EQ(none.wpm, 20);
    EXPECT_EQ(none.accuracy, 95);
    // Five letters: the middle one of each measure, each on its own.
    Pace five = PaceOf(header + Letter(30, 99) + Letter(80, 90) + Letter(25, 95, "pace") + Letter(40, 97, "none") +
                       Letter(35, 92));
    EXPECT_TRUE(five.known);
    EXPECT_DOUBLE_EQ(five.wpm, 35);
    EXPECT_DOUBLE_EQ(five.accuracy, 95);
    // Only the last five count: two slow letters long ago change nothing.
    Pace later = PaceOf(header + Letter(5, 50) + Letter(6, 60) + Letter(30, 99) + Letter(80, 90) +
                        Letter(25, 95) + Letter(40, 97) + Letter(35, 92));
    EXPECT_DOUBLE_EQ(later.wpm, 35);
    EXPECT_DOUBLE_EQ(later.accuracy, 95);
    // Fewer than five: the middle of three, the mean of the middle two of two.
    Pace three = PaceOf(header + Letter(30, 99) + Letter(60, 90) + Letter(45, 95));
    EXPECT_DOUBLE_EQ(three.wpm, 45);
    EXPECT_DOUBLE_EQ(three.accuracy, 95);
    Pace two = PaceOf(header + Letter(30, 99) + Letter(40, 90));
    EXPECT_DOUBLE_EQ(two.wpm, 35);
    EXPECT_DOUBLE_EQ(two.accuracy, 94.5);
    Pace one = PaceOf(Letter(28, 96));
    EXPECT_DOUBLE_EQ(one.wpm, 28);
    // Damaged lines are no letters: not among the five, and no pace of their own.
    std::string damaged = Letter(300, 100);
    damaged[3] = 'x';
    Pace mixed = PaceOf(header + Letter(30, 99) + "garbage\n" + damaged + Letter(40, 90) +
                        Letter(50, 95).substr(0, 40) + "\n" + Letter(60, 98));
    EXPECT_TRUE(mixed.known);
    EXPECT_DOUBLE_EQ(mixed.wpm, 40);
    EXPECT_DOUBLE_EQ(mixed.accuracy, 98);
    Pace onlyDamaged = PaceOf(header + "garbage\n" + damaged);
    EXPECT_FALSE(onlyDamaged.known);
    EXPECT_EQ(onlyDamaged.wpm, 20);
    // And the clock it makes says which pace it was set for.
    EXPECT_EQ(ClockOfKind(CLOCK_PACE, five.wpm, five.accuracy).paceWpm, 35);
}

TEST(HistoryClock, ALineWithItsClockAndOneWithout)
{
    std::string pace = Letter(30, 95, "pace");
    HistoryEntry e;
    ASSERT_TRUE(ParseHistoryLine(pace.data(), pace.size() - 1, e));
    EXPECT_EQ(e.clock, CLOCK_PACE);
    EXPECT_EQ(FormatHistoryLine(e), pace) << "written back as it was";
    // An earlier version's line has no clock: it was on the original.
    std::string older = pace.substr(0, pace.rfind('\t', pace.rfind('\t') - 1));
    ASSERT_TRUE(ParseHistoryLine(older.data(), older.size(), e));
    EXPECT_EQ(e.clock, CLOCK_ORIGINAL);
    std::string none = Letter(30, 95, "none");
    ASSERT_TRUE(ParseHistoryLine(none.data(), none.size() - 1, e));
    EXPECT_EQ(e.clock, CLOCK_NONE);
    // A newer version's clock is read as the gentlest known; an empty one is
    // no line of the game's.
    std::string newer = Letter(30, 95, "metronome");
    ASSERT_TRUE(ParseHistoryLine(newer.data(), newer.size() - 1, e));
    EXPECT_EQ(e.clock, CLOCK_NONE);
    std::string empty = Letter(30, 95, "");
    EXPECT_FALSE(ParseHistoryLine(empty.data(), empty.size() - 1, e));
    // A file begun by an earlier version, its header without "clock", holds
    // letters of both kinds and no damaged line.
    std::string header = HistoryHeader();
    std::string oldHeader = header.substr(0, header.rfind('\t', header.rfind('\t') - 1)) + "\n";
    std::string file = oldHeader + older + "\n" + pace;
    HistorySummary s = SummariseHistory(reinterpret_cast<const unsigned char *>(file.data()), file.size(), true);
    EXPECT_EQ(s.letters, 2);
    EXPECT_EQ(s.skipped, 0);
    // The figures of a letter carry their clock into its line.
    LetterFigures f;
    f.characters = 10;
    f.typingSeconds = 4;
    f.clock = CLOCK_NONE;
    std::string line = FormatHistoryLine(HistoryEntryFor(f, "Scene14", 0));
    EXPECT_EQ(line.substr(line.size() - 12), "\tnone\tstory\n");
}

TEST(ClockTables, ARunGoesToTheTableOfTheGentlestClockOfItsLetters)
{
    EXPECT_EQ(RunClockAfter(CLOCK_ORIGINAL, CLOCK_ORIGINAL), CLOCK_ORIGINAL);
    EXPECT_EQ(RunClockAfter(CLOCK_ORIGINAL, CLOCK_PACE), CLOCK_PACE);
    EXPECT_EQ(RunClockAfter(CLOCK_PACE, CLOCK_ORIGINAL), CLOCK_PACE);
    EXPECT_EQ(RunClockAfter(CLOCK_PACE, CLOCK_NONE), CLOCK_NONE);
    EXPECT_EQ(RunClockAfter(CLOCK_NONE, CLOCK_ORIGINAL), CLOCK_NONE);
    EXPECT_EQ(RunClockAfter(CLOCK_ORIGINAL, 7), CLOCK_NONE) << "an unknown clock is no original";

    // Whole runs, two letters each, to the ending of path 1: only an all
    // original run reaches gmstat.dat, whose bytes otherwise stay as they were.
    InitScenes();
    const Scene *letter = StoryScene(StoryIndexNamed("Scene04e1"));
    const Scene *closing = StoryScene(StoryIndexNamed("Scene04e2"));
    const struct {
        int first, second, table;
    } mixes[] = {
        {CLOCK_ORIGINAL, CLOCK_ORIGINAL, CLOCK_ORIGINAL}, {CLOCK_ORIGINAL, CLOCK_PACE, CLOCK_PACE},
        {CLOCK_PACE, CLOCK_PACE, CLOCK_PACE},             {CLOCK_PACE, CLOCK_NONE, CLOCK_NONE},
        {CLOCK_NONE, CLOCK_ORIGINAL, CLOCK_NONE},
    };
    for (const auto &mix : mixes) {
        SCOPED_TRACE(std::to_string(mix.first) + "+" + std::to_string(mix.second));
        Home home;
        LoadGameData();
        LoadTypingData();
        LoadClockRecords();
        SaveGameData();
        std::string gmstat = Slurp(home.File("gmstat.dat"));
        NewGameBegun();
        for (int clock : {mix.first, mix.second}) {
            LetterFigures f;
            f.characters = 100;
            f.mistakes = 2;
            f.typingSeconds = 40;
            f.clock = clock;
            SceneBegun(letter);
            LetterFinished(letter, 45, f);
        }
        SceneBegun(closing);
        EXPECT_EQ(PathEnded(), 1);
        for (int table = CLOCK_PACE; table < CLOCK_KINDS; table++) {
            EXPECT_EQ(ClockData.records[table][0].bestTime, table == mix.table ? 90 : -1) << table;
            EXPECT_EQ(ClockData.bests[table][0].wpmTenths, table == mix.table ? 300 : -1) << table;
        }
        std::vector<int32_t> bests = {SaveData.pathRecords[0].bestTime, SaveData.pathRecords[0].bestMistakes,
                                      TypingData.best[0].wpmTenths};
        std::vector<int32_t> expected = mix.table == CLOCK_ORIGINAL ? std::vector<int32_t>{90, 4, 300}
                                                                     : std::vector<int32_t>{-1, -1, -1};
        EXPECT_EQ(bests, expected);
        // Read back from the files as the next start reads them.
        SaveRecord onDisk;
        ASSERT_EQ(ReadSaveFile(home.File("gmstat.dat").c_str(), onDisk), SAVE_READ);
        EXPECT_EQ(onDisk.pathRecords[0].bestTime, expected[0]);
        if (mix.table != CLOCK_ORIGINAL) {
            EXPECT_EQ(Slurp(home.File("gmstat.dat")).substr(12), gmstat.substr(12)) << "the records' bytes";
        }
        ClockRecords stored = DecodeClockRecords(Slurp(home.File("clocks.dat")));
        EXPECT_EQ(stored.runClock, mix.table);
        for (int table = CLOCK_PACE; table < CLOCK_KINDS; table++)
            EXPECT_EQ(stored.records[table][0].bestTime, table == mix.table ? 90 : -1);
    }
}

TEST(ClockTables, TheRunsClockHoldsOnlyWithTheRunItWasSavedWith)
{
    Home home;
    LoadGameData();
    LoadTypingData();
    LoadClockRecords();
    NewGameBegun();
    ClockLetterFinished(CLOCK_PACE);
    SaveData.runTime = 120;
    SaveData.runMistakes = 3;
    SaveProgress();
    ClockData = ClockRecords();
    LoadGameData();
    LoadClockRecords();
    EXPECT_EQ(ClockData.runClock, CLOCK_PACE) << "continued: the run was on Your pace";
    // An earlier version played on and saved: its letters were all on the
    // original, and the run is no longer the one the clock was saved with.
    SaveData.runTime = 400;
    ASSERT_TRUE(SaveGameData());
    LoadGameData();
    LoadClockRecords();
    EXPECT_EQ(ClockData.runClock, CLOCK_ORIGINAL);
}

TEST(ClockTables, TheFileKeepsWhatItDoesNotKnowAndSavesKeepTheBetterRecords)
{
    std::string text = "paperlune clocks 1\n"
                       "# a note\n"
                       "record\tnone\t2\t500\t7\t301\t955\textra\n"
                       "record\tmetronome\t1\t10\t0\t900\t1000\n"
                       "record\toriginal\t1\t10\t0\t900\t1000\n"
                       "run\tpace\t120\t3\n";
    ClockRecords r = DecodeClockRecords(text);
    EXPECT_EQ(r.runClock, CLOCK_PACE);
    EXPECT_EQ(r.tieTime, 120);
    EXPECT_EQ(r.records[CLOCK_NONE][1].bestTime, 500);
    EXPECT_EQ(r.bests[CLOCK_NONE][1].accuracyTenths, 955);
    EXPECT_EQ(r.records[CLOCK_ORIGINAL][0].bestTime, -1) << "the original's records are gmstat.dat's";
    std::string out = EncodeClockRecords(r);
    EXPECT_EQ(out.find("paperlune clocks 1\n# a note\nrecord\tnone\t2\t500\t7\t301\t955\textra\n"
                       "record\tmetronome\t1\t10\t0\t900\t1000\nrecord\toriginal\t1\t10\t0\t900\t1000\n"
                       "run\tpace\t120\t3\n"),
              0u)
        << out;
    EXPECT_EQ(DecodeClockRecords(out).records[CLOCK_NONE][1].bestMistakes, 7);
    EXPECT_EQ(DecodeClockRecords("garbage\nrun\tnone\t1\t1\n").runClock, CLOCK_ORIGINAL);
    EXPECT_EQ(DecodeClockRecords("paperlune clocks 1\nrecord\tpace\t6\t1\t1\t1\t1\n").records[CLOCK_PACE][0].bestTime,
              -1);

    // Another copy's better time on one path and faster typing on another.
    ClockRecords mine = r, theirs = r;
    mine.records[CLOCK_NONE][1] = {450, 9};
    theirs.records[CLOCK_PACE][3] = {800, 1};
    theirs.bests[CLOCK_NONE][1].wpmTenths = 410;
    KeepBetterClockRecords(theirs, mine);
    EXPECT_EQ(mine.records[CLOCK_NONE][1].bestTime, 450);
    EXPECT_EQ(mine.records[CLOCK_NONE][1].bestMistakes, 9);
    EXPECT_EQ(mine.records[CLOCK_PACE][3].bestTime, 800);
    EXPECT_EQ(mine.bests[CLOCK_NONE][1].wpmTenths, 410);
    EXPECT_EQ(mine.bests[CLOCK_NONE][1].accuracyTenths, 955);
}

TEST(YourPace, PracticeChangesNothingOfTheStorysPace)
{
    std::string header = HistoryHeader();
    auto practice = [](double wpm) {
        std::string line = Letter(wpm, 99);
        return line.substr(0, line.rfind('\t') + 1) + "practice\n";
    };
    // The story's last five letters, practice's between and after them left out.
    Pace p = PaceOf(header + Letter(30, 99) + practice(200) + Letter(32, 99) + Letter(34, 99) + practice(200) +
                    Letter(36, 99) + Letter(38, 99) + practice(200) + practice(200));
    EXPECT_TRUE(p.known);
    EXPECT_EQ(p.wpm, 34);
    EXPECT_FALSE(PaceOf(header + practice(90)).known) << "practice alone makes no pace";
}
