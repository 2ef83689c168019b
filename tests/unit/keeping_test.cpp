// What a player earns is kept whole and once: the files as editors leave
// them, typing bests from every place the progress went, a letter's save
// stopped between any two of its writes, a history line that cannot be
// added, leftovers of killed saves, and figures that cannot be.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <sys/stat.h>
#include <sys/time.h>
#include <unistd.h>

#include "platform/files.h"
#include "records/history.h"
#include "records/progress.h"
#include "records/save.h"
#include "records/typingrun.h"
#include "story/graph.h"

namespace fs = std::filesystem;

namespace {

const char LINE[] = "2026-03-01T18:04:09+01:00\tScene04e1\t1\t412\t2\t95.3\t14\t51.9\t99.5\te1 t1";

std::string Slurp(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void Spill(const std::string &path, const std::string &bytes)
{
    std::ofstream(path, std::ios::binary) << bytes;
}

std::vector<std::string> Lines(const std::string &text)
{
    std::vector<std::string> lines;
    size_t at = 0;
    for (size_t nl; (nl = text.find('\n', at)) != std::string::npos; at = nl + 1)
        lines.push_back(text.substr(at, nl - at));
    return lines;
}

// A scratch data home (and a start directory beside it) with the story built
// and every message caught.
struct KeptOnce : ::testing::Test {
    fs::path root, data, start;
    std::vector<std::string> told;
    static KeptOnce *current;

    void SetUp() override
    {
        char name[] = "/tmp/paperlune-keeping-XXXXXX";
        root = mkdtemp(name);
        data = root / "xdg" / "paperlune";
        start = root / "start";
        fs::create_directories(start);
        setenv("XDG_DATA_HOME", (root / "xdg").c_str(), 1);
        setenv("XDG_STATE_HOME", (root / "state").c_str(), 1);
        SetOldSaveDirs({start.string()});
        current = this;
        SetSaveMessageShow([](const char *text) { current->told.push_back(text); });
        InitScenes();
    }
    void TearDown() override
    {
        SetFileWriteGate(nullptr);
        SetSaveMessageShow(nullptr);
        DestroyScenes();
        fs::remove_all(root);
    }
    void Load()
    {
        LoadGameData();
        LoadTypingData();
    }
    std::string In(const fs::path &dir, const char *name) const { return (dir / name).string(); }
};
KeptOnce *KeptOnce::current = nullptr;

LetterFigures Figures(int characters, int mistakes, double seconds, time_t at)
{
    LetterFigures f;
    f.characters = characters;
    f.mistakes = mistakes;
    f.penaltySeconds = 7 * mistakes;
    f.typingSeconds = seconds;
    f.finishedAt = at;
    return f;
}

// Lines of the history for one scene.
int LinesOf(const std::string &history, const std::string &scene)
{
    int n = 0;
    for (const std::string &line : Lines(history))
        n += line.find("\t" + scene + "\t") != std::string::npos;
    return n;
}

int writesAllowed = 0;
bool CountedWrite(const char *)
{
    return writesAllowed-- > 0;
}

}  // namespace

// CRLF, a byte order mark, trailing spaces and a last line without its
// newline are read in both files; a line that cannot be read is passed
// over, and the rewrite keeps it and everything else the file held.
TEST_F(KeptOnce, FilesAreReadAsEditorsLeaveThem)
{
    Load();
    ASSERT_EQ(SaveFileProblem(), nullptr);
    SaveData.runTime = SaveData.runMistakes = 0;   // the run the counts below go with
    std::string typing = In(data, "typing.dat");
    Spill(typing, "\xEF\xBB\xBFpaperlune typing 1\r\n"
                  "run\t1\t0\t0\t500\t495\t75000 \r\n"
                  "path\t1\t990\t975\r\n"
                  "path\t2\t4x0\t970\r\n"
                  "custom\tkept\r\n"
                  "path\t3\t700  \t 960");
    LoadTypingData();
    EXPECT_TRUE(TypingData.run.known);
    EXPECT_EQ(TypingData.run.characters, 500);
    EXPECT_EQ(TypingData.best[0].wpmTenths, 990);
    EXPECT_EQ(TypingData.best[0].accuracyTenths, 975);
    EXPECT_EQ(TypingData.best[1].wpmTenths, -1) << "the damaged line is passed over";
    EXPECT_EQ(TypingData.best[2].wpmTenths, 700) << "the last line, without its newline";
    EXPECT_EQ(TypingData.best[2].accuracyTenths, 960);

    // Written again: nothing it held is less, the damaged line stays.
    SaveProgress();
    std::string saved = Slurp(typing);
    EXPECT_NE(saved.find("path\t1\t990\t975\n"), std::string::npos) << saved;
    EXPECT_NE(saved.find("path\t2\t4x0\t970\n"), std::string::npos) << saved;
    EXPECT_NE(saved.find("path\t3\t700\t960\n"), std::string::npos) << saved;
    EXPECT_NE(saved.find("custom\tkept\n"), std::string::npos) << saved;
    EXPECT_NE(saved.find("run\t1\t0\t0\t500\t495\t75000\n"), std::string::npos) << saved;

    // A file larger than the game ever writes is not rewritten with what it read.
    std::string huge = saved + std::string(70000, '#') + "\n";
    Spill(typing, huge);
    SaveProgress();
    EXPECT_EQ(Slurp(typing), huge);

    // The history: the same forms, each line read, a cut last one passed over.
    std::string header = HistoryHeader();
    std::string edited = "\xEF\xBB\xBF" + header.substr(0, header.size() - 1) + "\r\n" + LINE + "  \r\n" + LINE +
                         "\r\n" + LINE;
    HistorySummary s = SummariseHistory(reinterpret_cast<const unsigned char *>(edited.data()), edited.size(), true);
    EXPECT_EQ(s.letters, 3);
    EXPECT_EQ(s.skipped, 0);
    std::string cut = edited.substr(0, edited.size() - 12);   // into the accuracy
    s = SummariseHistory(reinterpret_cast<const unsigned char *>(cut.data()), cut.size(), true);
    EXPECT_EQ(s.letters, 2);
    EXPECT_EQ(s.skipped, 1);
}

// Bests saved to the start directory while the data home could not take
// them are read again once it can, beside the data home's own; the run's
// counts come from the place whose progress the game continues.
TEST_F(KeptOnce, TypingFiguresAreReadFromEveryPlaceTheProgressWent)
{
    fs::create_directories(data);
    // The data home: an older progress, path 1's best.
    Spill(In(data, "gmstat.dat"), std::string(52, '\0'));
    Spill(In(data, "typing.dat"), "paperlune typing 1\nrun\t1\t0\t0\t10\t10\t1000\npath\t1\t500\t900\n");
    // The start directory, saved to later: the run under way and path 2's 70.0 wpm.
    SaveRecord later = DefaultSave();
    later.resumeId = 7;
    later.runTime = 300;
    later.runMistakes = 4;
    ASSERT_TRUE(WriteSaveFile(In(start, "gmstat.dat").c_str(), later));
    Spill(In(start, "typing.dat"), "paperlune typing 1\nrun\t1\t300\t4\t900\t896\t180000\npath\t2\t700\t980\n");
    struct timeval old[2] = {{1000000000, 0}, {1000000000, 0}};
    utimes(In(data, "gmstat.dat").c_str(), old);

    Load();
    EXPECT_EQ(SaveData.runTime, 300);
    EXPECT_EQ(TypingData.best[0].wpmTenths, 500);
    EXPECT_EQ(TypingData.best[1].wpmTenths, 700);
    EXPECT_EQ(TypingData.best[1].accuracyTenths, 980);
    ASSERT_TRUE(TypingData.run.known);
    EXPECT_EQ(TypingData.run.characters, 900);

    // Saved in the data home again: both bests and the run are there.
    SaveProgress();
    EXPECT_EQ(SaveFilePath(), In(data, "gmstat.dat"));
    TypingRecord home = DecodeTyping(Slurp(In(data, "typing.dat")));
    EXPECT_EQ(home.best[0].wpmTenths, 500);
    EXPECT_EQ(home.best[1].wpmTenths, 700);
    EXPECT_EQ(home.run.characters, 900);
    EXPECT_EQ(home.tieTime, 300);
}

// A letter finished after a saved one, its save stopped before each of its
// writes in turn (typing.dat, gmstat.dat, history.tsv), as a kill would stop
// it; then the next start and, where the progress did not take the letter,
// the letter typed again. Each time the run's counts go with the progress,
// and the letter has exactly one history line.
TEST_F(KeptOnce, ALetterStoppedBetweenAnyTwoWritesIsKeptOnce)
{
    Scene *first = StoryScene(StoryIndexNamed("Scene05"));
    Scene *second = StoryScene(StoryIndexNamed("Scene07"));
    ASSERT_TRUE(first && second);
    for (int allowed = 0; allowed <= 3; allowed++) {
        SCOPED_TRACE("writes before the stop: " + std::to_string(allowed));
        fs::remove_all(root / "xdg");
        fs::remove_all(root / "state");
        Load();
        NewGameBegun();
        SceneBegun(first);
        LetterFinished(first, 60, Figures(300, 1, 50.0, 1767000000));
        SceneBegun(second);
        writesAllowed = allowed;
        SetFileWriteGate(CountedWrite);
        LetterFinished(second, 90, Figures(200, 2, 30.0, 1767000100));
        SetFileWriteGate(nullptr);
        told.clear();   // what the stopped writes said is no one's to hear

        // The next start: the counts go with the progress, whichever it is.
        Load();
        bool secondKept = SaveData.runTime == 150;
        EXPECT_EQ(secondKept, allowed >= 2);
        ASSERT_TRUE(TypingData.run.known);
        EXPECT_EQ(TypingData.run.characters, secondKept ? 500 : 300);
        EXPECT_EQ(TypingData.run.typingMs, secondKept ? 80000 : 50000);
        EXPECT_EQ(SaveData.runMistakes, secondKept ? 3 : 1);
        if (!secondKept) {
            // "Continue Playing" after the first letter types it again.
            ASSERT_EQ(SaveData.resumeId, first->next1->id);
            PlayThroughBegun();
            SceneBegun(second);
            LetterFinished(second, 95, Figures(200, 2, 31.0, 1767000500));
            Load();
            EXPECT_EQ(SaveData.runTime, 155);
            EXPECT_EQ(TypingData.run.characters, 500);
        }
        std::string history = Slurp(In(data, "history.tsv"));
        EXPECT_EQ(LinesOf(history, "Scene05"), 1) << history;
        EXPECT_EQ(LinesOf(history, "Scene07"), 1) << history;
        EXPECT_TRUE(told.empty()) << told.front();
    }
    // The same finish added twice is one line.
    std::string line = std::string(LINE) + "\n";
    ASSERT_TRUE(AppendHistoryLine(line));
    ASSERT_TRUE(AppendHistoryLine(line));
    EXPECT_EQ(LinesOf(Slurp(In(data, "history.tsv")), "Scene04e1"), 1);
}

// A history that takes no line: the player is told once, with the file and
// the reason; the letter's progress is saved all the same.
TEST_F(KeptOnce, AHistoryLineThatCannotBeAddedIsToldOnce)
{
    Load();
    fs::create_directories(data / "history.tsv");   // in the way: not a file
    Scene *letter = StoryScene(StoryIndexNamed("Scene05"));
    NewGameBegun();
    SceneBegun(letter);
    LetterFinished(letter, 60, Figures(300, 1, 50.0, 1767000000));
    ASSERT_EQ(told.size(), 1u);
    EXPECT_NE(told[0].find(In(data, "history.tsv")), std::string::npos) << told[0];
    EXPECT_NE(told[0].find("Is a directory"), std::string::npos) << told[0];
    SaveRecord saved;
    ASSERT_EQ(ReadSaveFile(In(data, "gmstat.dat").c_str(), saved), SAVE_READ);
    EXPECT_EQ(saved.runTime, 60);
    EXPECT_EQ(saved.resumeId, letter->next1->id);

    Scene *next = StoryScene(StoryIndexNamed("Scene07"));
    SceneBegun(next);
    LetterFinished(next, 60, Figures(300, 1, 50.0, 1767000100));
    EXPECT_EQ(told.size(), 1u) << "the same cause is told once";
}

// Temporary files of the game's own saves, a minute old, go at start-up;
// anything else, or anything newer, stays.
TEST_F(KeptOnce, LeftoversOfKilledSavesAreRemovedAtStart)
{
    fs::create_directories(data);
    std::vector<std::string> stale = {"gmstat.dat.Ab12Cd", "typing.dat.XyZ789"};
    std::vector<std::string> kept = {"gmstat.dat.new123", "history.tsv.Ab12Cd", "gmstat.dat.AB", "notes.Ab12Cd",
                                     "gmstat.dat.Ab12C_"};
    struct timeval old[2] = {{time(nullptr) - 120, 0}, {time(nullptr) - 120, 0}};
    for (const std::string &name : stale) {
        Spill(In(data, name.c_str()), "x");
        utimes(In(data, name.c_str()).c_str(), old);
    }
    for (const std::string &name : kept) {
        Spill(In(data, name.c_str()), "x");
        if (name != "gmstat.dat.new123")
            utimes(In(data, name.c_str()).c_str(), old);
    }
    Spill(In(start, "gmstat.dat.St4rt1"), "x");
    utimes(In(start, "gmstat.dat.St4rt1").c_str(), old);
    Load();
    for (const std::string &name : stale)
        EXPECT_FALSE(fs::exists(data / name)) << name;
    EXPECT_FALSE(fs::exists(start / "gmstat.dat.St4rt1")) << "the start directory is a save place too";
    for (const std::string &name : kept)
        EXPECT_TRUE(fs::exists(data / name)) << name;
}

// Counts edited into what no typist makes are refused as damage is.
TEST(TypingFile, FiguresThatCannotBeAreRefused)
{
    const std::string head = "paperlune typing 1\n";
    // 2^40 characters in a millisecond: a speed that would wrap.
    EXPECT_FALSE(DecodeTyping(head + "run\t1\t0\t0\t1099511627776\t0\t1\n").run.known);
    EXPECT_FALSE(DecodeTyping(head + "run\t1\t0\t0\t500\t400\t0\n").run.known) << "keys in no time";
    EXPECT_FALSE(DecodeTyping(head + "run\t1\t0\t0\t1099511627777\t0\t99999999999\n").run.known) << "past the bound";
    TypingRecord sane = DecodeTyping(head + "run\t1\t0\t0\t2000\t1990\t240000\n");
    ASSERT_TRUE(sane.run.known);
    EXPECT_EQ(sane.run.characters, 2000);
    EXPECT_EQ(DecodeTyping(head + "path\t1\t10000001\t990\n").best[0].wpmTenths, -1);
    EXPECT_EQ(DecodeTyping(head + "path\t1\t10000000\t990\n").best[0].wpmTenths, 10000000);
}
