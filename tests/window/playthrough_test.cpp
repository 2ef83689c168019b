// Every path played to its ending by real key presses, typing every letter,
// with each ending's record checked in the progress file and the Hall of
// Records. Paths that share their beginning continue from a progress file
// saved on the way: the game's own within a test; between tests, which run
// side by side, a file of the same words that the test writes.
#include "harness.h"

#include <X11/keysym.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

using namespace harness;

namespace {

const int PAGE_MS = 8000;
const int RECORD_MS = 10000;

// The paths after the red one. Each plays from `from` (a new game, or a
// progress file at the group of that scene) to a stop where the later paths
// part, where the game is saved and continued, and on to its ending.
struct ChainedPath {
    int path;
    const char *runName;
    const char *from;       // the scene the run starts at
    int toStop;             // the answer that leads to the stop
    const char *stopAt;     // where the game is saved on the way; "" for none
    int32_t stopGroup;      // the resume id of the file saved there
    int toEnd;              // the answer that leads to the ending
    const char *closing;    // the closing scene reached
    int32_t closingId;      // the resume id its record writes
};

const ChainedPath CHAINED_PATHS[] = {
    // Path 2 from a new game, saving on the way where the later paths part.
    {2, "path2", "Scene01", 2, "Scene11", 11, 1, "Scene13e3", 2132},
    // The Irela ending: from group 11, on to group 24, saved there.
    {3, "path3", "Scene11", 2, "Scene24", 24, 1, "Scene26e6", 3262},
    // Tovanne: from group 24 to group 28, saved there.
    {4, "paths4and5", "Scene24", 2, "Scene28", 28, 1, "Scene30e2", 4302},
    // Green: the game's own save at group 28, the other answer.
    {5, "path5", "Scene28", 0, "", 0, 2, "Scene32", 5310},
};

// A progress file at the group of a scene where a path starts, as the game
// saves it on the way: the run's time and mistakes so far, no record yet.
std::vector<uint8_t> SavedAt(int32_t group, int32_t runTime, int32_t runMistakes)
{
    std::vector<int32_t> words(13, -1);
    words[0] = group;
    words[1] = runTime;
    words[2] = runMistakes;
    std::vector<uint8_t> bytes;
    for (int32_t w : words)
        for (int b = 0; b < 4; b++)
            bytes.push_back(uint8_t(uint32_t(w) >> (8 * b)));
    return bytes;
}

std::string Time(int32_t seconds)
{
    return std::to_string(seconds / 60) + "min+" + std::to_string(seconds % 60) + "s";
}

// Waits for the ending's record, ends the roll, and checks the Hall of Records.
void CheckEnding(GameRun &run, int path, int32_t closingId)
{
    std::vector<int32_t> w;
    ASSERT_TRUE(WaitFor([&] {
        w = SaveWords(run);
        return w.size() == 13 && w[0] == closingId && w[1 + 2 * path] >= 0;
    }, RECORD_MS)) << "no record for path " << path;
    EXPECT_EQ(w[1 + 2 * path], w[1]) << "the run's time";
    EXPECT_EQ(w[2 + 2 * path], w[2]) << "the run's mistakes";
    // The record is written before the roll, after the keys typed before it
    // were dropped: a key now ends the roll.
    PressKey(XK_space);
    ASSERT_TRUE(WaitFor(MenuShown, PAGE_MS));
    Image s;
    ASSERT_TRUE(OpenHall("hall-after-path" + std::to_string(path), s));
    int y = 150 + 40 * path;
    TextItem time{Time(w[1 + 2 * path]), 200, y, 0, 30};
    TextItem mistakes{std::to_string(w[2 + 2 * path]) + "mis", 400, y, 0, 30};
    Image expected = Compose(HS_BACKGROUND, {time, mistakes});
    Image bare = DataPicture(HS_BACKGROUND);
    // Only the row's cells: the rest of the table is drawn there too.
    EXPECT_LT(Difference(s, expected, 195, y, 160, 36), 1.5) << "time cell of path " << path;
    EXPECT_LT(Difference(s, expected, 395, y, 90, 36), 1.5) << "mistakes cell of path " << path;
    EXPECT_GT(Difference(s, bare, 195, y, 160, 36), 1.0);
    PressKey(XK_Return);
    ASSERT_TRUE(WaitFor(MenuShown, PAGE_MS));
}

// Plays one chained path in a run of its own, from `file` (empty: a new
// game); `file` becomes the progress file saved at the path's stop.
void PlayChainedPath(const ChainedPath &p, std::vector<uint8_t> &file)
{
    GameRun run = Prepare(p.runName);
    bool newGame = file.empty();
    if (!newGame) {
        ASSERT_TRUE(WriteSaveBytes(run, file));
    }
    ASSERT_TRUE(LaunchToMenu(run));
    ChooseMenuItem(newGame ? MENU_NEW_GAME : MENU_CONTINUE);
    std::string from = p.from;
    if (p.stopAt[0]) {
        Walk toStop;
        toStop.choices = {p.toStop};
        toStop.stopAt = p.stopAt;
        ASSERT_TRUE(WalkStory(from, toStop)) << toStop.failedAt;
        ASSERT_TRUE(QuitAndSave());
        file = ReadFile(SavePath(run));
        ASSERT_EQ(SaveWords(run)[0], p.stopGroup);
        ChooseMenuItem(MENU_CONTINUE);
        from = p.stopAt;
    }
    Walk ending;
    ending.choices = {p.toEnd};
    ASSERT_TRUE(WalkStory(from, ending)) << ending.failedAt;
    EXPECT_EQ(ending.closing, p.closing);
    CheckEnding(run, p.path, p.closingId);
    EXPECT_TRUE(QuitFromMenu(run));
}

}  // namespace

TEST(Playthrough, RedEndingFromNewGame)
{
    GameRun run = Prepare("path1");
    ASSERT_TRUE(LaunchToMenu(run));
    ChooseMenuItem(MENU_NEW_GAME);
    Walk walk;
    walk.choices = {1};
    ASSERT_TRUE(WalkStory("Scene01", walk)) << walk.failedAt;
    EXPECT_EQ(walk.closing, "Scene04e3");
    EXPECT_EQ(walk.lettersTyped, 1);
    CheckEnding(run, 1, 142);
    EXPECT_TRUE(QuitFromMenu(run));
}

TEST(Playthrough, BlueEndingFromNewGameSavedWhereThePathsPart)
{
    std::vector<uint8_t> file;   // none: a new game
    ASSERT_NO_FATAL_FAILURE(PlayChainedPath(CHAINED_PATHS[0], file));
    EXPECT_EQ(file.size(), 52u) << "the game saved at group 11";
}

TEST(Playthrough, IrelaEndingFromGroupEleven)
{
    std::vector<uint8_t> file = SavedAt(11, 61, 0);
    ASSERT_NO_FATAL_FAILURE(PlayChainedPath(CHAINED_PATHS[1], file));
}

TEST(Playthrough, TovanneAndGreenEndingsFromGroupTwentyFour)
{
    std::vector<uint8_t> file = SavedAt(24, 170, 0);
    ASSERT_NO_FATAL_FAILURE(PlayChainedPath(CHAINED_PATHS[2], file));
    // Green goes on from the file the game saved at group 28 on the way.
    ASSERT_NO_FATAL_FAILURE(PlayChainedPath(CHAINED_PATHS[3], file));
}
