// The kill campaign: the driver (driver.cpp) killed a few hundred times at
// random moments while it saves letters; after each kill a start of the
// game's own records must find the progress file whole, the typing counts
// that go with it, every letter the progress counts in the history once and
// no letter twice, and no temporary file of a save left over.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <random>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include <csignal>
#include <sys/time.h>
#include <sys/wait.h>
#include <unistd.h>

#include "records/clockrecords.h"
#include "records/save.h"
#include "records/typingrun.h"
#include "story/graph.h"

namespace fs = std::filesystem;

namespace {

const int KILLS = 250;
const int SHORTEST_LIFE_US = 10000;
const int LONGEST_LIFE_US = 90000;   // a session's start (some 30 ms) and a few letters
const int32_t LETTER_SECONDS = 10;
const int LETTER_CHARACTERS = 100;
const char *const OWN_FILES[] = {"gmstat.dat", "gmstat.dat.lock", "typing.dat", "clocks.dat", "history.tsv"};

std::string Slurp(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::vector<std::string> Split(const std::string &text, char by)
{
    std::vector<std::string> parts;
    size_t at = 0;
    for (size_t end; (end = text.find(by, at)) != std::string::npos; at = end + 1)
        parts.push_back(text.substr(at, end - at));
    parts.push_back(text.substr(at));
    return parts;
}

bool Own(const std::string &name)
{
    for (const char *own : OWN_FILES)
        if (name == own)
            return true;
    return false;
}

// What a save left that is not one of the files themselves, made older
// than the minute after which a start removes it; the names, for the check
// after that start.
std::vector<std::string> AgeLeftovers(const std::vector<fs::path> &dirs)
{
    std::vector<std::string> found;
    struct timeval old[2] = {{time(nullptr) - 120, 0}, {time(nullptr) - 120, 0}};
    for (const fs::path &dir : dirs) {
        std::error_code e;
        for (const auto &entry : fs::directory_iterator(dir, e))
            if (!Own(entry.path().filename().string())) {
                utimes(entry.path().c_str(), old);
                found.push_back(entry.path().string());
            }
    }
    return found;
}

// The driver's letters, in the order of its walk: the second choice every time.
std::vector<std::string> LettersOfTheWalk(int32_t *closingId)
{
    std::vector<std::string> letters;
    Scene *scene = EntryScene(ENTRY_NEW_GAME);
    for (; scene; scene = scene->next2 ? scene->next2 : scene->next1) {
        if (scene->typing)
            letters.push_back(StorySceneName(StoryIndexOf(scene)));
        *closingId = scene->id;
    }
    return letters;
}

struct Campaign {
    fs::path root, data;
    std::vector<std::string> letters;
    int32_t closingId = 0;
    int checkedRuns = 0;

    void Kill(std::mt19937 &random)
    {
        pid_t pid = fork();
        if (pid == 0) {
            execl(PAPERLUNE_KILL_DRIVER, PAPERLUNE_KILL_DRIVER, root.c_str(), static_cast<char *>(nullptr));
            _exit(127);
        }
        ASSERT_GT(pid, 0);
        usleep(std::uniform_int_distribution<int>(SHORTEST_LIFE_US, LONGEST_LIFE_US)(random));
        kill(pid, SIGKILL);
        int status = 0;
        waitpid(pid, &status, 0);
        ASSERT_TRUE(WIFSIGNALED(status)) << "the driver ended by itself: " << status;
    }

    // A start after the kill, and what it finds.
    void Check()
    {
        std::vector<std::string> leftovers = AgeLeftovers({data, root / "start", root / "state" / "paperlune"});
        LoadGameData();
        LoadTypingData();
        LoadClockRecords();
        ASSERT_EQ(SaveFileProblem(), nullptr);
        EXPECT_EQ(fs::file_size(data / "gmstat.dat"), 52u) << "the progress file is not whole";
        for (const std::string &path : leftovers)
            EXPECT_FALSE(fs::exists(path)) << "left over after the start: " << path;

        std::string history = Slurp((data / "history.tsv").string());
        std::map<std::tuple<std::string, std::string, std::string>, int> seen;
        for (const std::string &line : Split(history, '\n')) {
            std::vector<std::string> f = Split(line, '\t');
            if (f.size() < 6 || f[0] == "date")
                continue;
            // Scene, characters (its place in the run) and typing time (the run's mark).
            int times = ++seen[std::make_tuple(f[1], f[3], f[5])];
            EXPECT_EQ(times, 1) << "a letter twice: " << line;
        }
        if (SaveData.runTime < 0)
            return;   // no letter saved yet
        int32_t n = SaveData.runTime / LETTER_SECONDS;
        EXPECT_EQ(SaveData.runTime, n * LETTER_SECONDS);
        EXPECT_EQ(SaveData.runMistakes, n) << "mixed progress";
        ASSERT_TRUE(TypingData.run.known) << "the run's counts were lost with " << n << " letters";
        long long characters = 1LL * LETTER_CHARACTERS * n + 1LL * n * (n - 1) / 2;
        EXPECT_EQ(TypingData.run.characters, characters) << "counts that go with another progress, at " << n;
        EXPECT_EQ(TypingData.run.right, characters - n);
        if (SaveData.resumeId == closingId || n == 0)
            return;   // a new run's mark may be chosen already
        int mark = atoi(Slurp((root / "runmark").string()).c_str());
        EXPECT_EQ(TypingData.run.typingMs, 100LL * mark * n);
        char seconds[32];
        snprintf(seconds, sizeof seconds, "%d.%d", mark / 10, mark % 10);
        for (int32_t i = 0; i < n; i++)
            EXPECT_EQ(seen.count(std::make_tuple(letters[i], std::to_string(LETTER_CHARACTERS + i), seconds)), 1u)
                << "the history lacks letter " << i << " of the run";
        checkedRuns++;
    }
};

}  // namespace

TEST(KillCampaign, EveryKillLeavesTheRecordsWholeAgreeingAndOnce)
{
    char name[] = "/tmp/paperlune-kills-XXXXXX";
    Campaign c;
    c.root = mkdtemp(name);
    c.data = c.root / "xdg" / "paperlune";
    fs::create_directories(c.root / "start");
    setenv("XDG_DATA_HOME", (c.root / "xdg").c_str(), 1);
    setenv("XDG_STATE_HOME", (c.root / "state").c_str(), 1);
    SetOldSaveDirs({(c.root / "start").string()});
    SetSaveMessageShow(nullptr);
    InitScenes();
    c.letters = LettersOfTheWalk(&c.closingId);
    ASSERT_GE(c.letters.size(), 8u);

    unsigned seed = std::random_device()();
    std::mt19937 random(seed);
    SCOPED_TRACE("seed " + std::to_string(seed));
    for (int i = 0; i < KILLS && !HasFailure(); i++) {
        SCOPED_TRACE("kill " + std::to_string(i));
        c.Kill(random);
        c.Check();
    }
    // The kills fell everywhere: letters were saved, runs came to their end.
    std::string history = Slurp((c.data / "history.tsv").string());
    size_t lines = Split(history, '\n').size();
    EXPECT_GT(lines, size_t(KILLS / 5)) << "the driver hardly got to a letter";
    EXPECT_GT(c.checkedRuns, KILLS / 10) << "few kills fell inside a run";
    printf("%d kills, %zu history lines, %d checks inside a run\n", KILLS, lines - 2, c.checkedRuns);
    DestroyScenes();
    if (!HasFailure())
        fs::remove_all(c.root);
    else
        printf("kept for a look: %s\n", c.root.c_str());
}
