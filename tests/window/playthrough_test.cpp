// Every path played to its ending by real key presses, typing every letter,
// with each ending's record checked in the progress file and the Hall of
// Records. Paths that share their beginning continue from a progress file
// that the game itself saved on the way.
#include "harness.h"

#include <X11/keysym.h>
#include <gtest/gtest.h>

#include <map>

using namespace harness;

namespace {

const int PAGE_MS = 8000;
const int RECORD_MS = 10000;

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
    Sleep(1000);
    PressKey(XK_space);   // a key ends the roll
    ASSERT_TRUE(WaitFor(MenuShown, PAGE_MS));
    ChooseMenuItem(3);
    ASSERT_TRUE(WaitFor([] { return !MenuShown(); }, PAGE_MS));
    Sleep(800);
    Image s = Screenshot();
    SavePng(s, ShotPath("hall-after-path" + std::to_string(path)));
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

}  // namespace

TEST(Playthrough, RedEndingFromNewGame)
{
    GameRun run = Prepare("path1");
    ASSERT_TRUE(LaunchToMenu(run));
    ChooseMenuItem(1);
    Walk walk;
    walk.choices = {1};
    ASSERT_TRUE(WalkStory("Scene01", walk)) << walk.failedAt;
    EXPECT_EQ(walk.closing, "Scene04e3");
    EXPECT_EQ(walk.lettersTyped, 1);
    CheckEnding(run, 1, 142);
    EXPECT_TRUE(QuitFromMenu(run));
}

TEST(Playthrough, BlueGreenIrelaAndTovanneEndings)
{
    GameRun run = Prepare("paths2to5");
    ASSERT_TRUE(LaunchToMenu(run));

    // Path 2 from a new game, saving on the way where the later paths part.
    ChooseMenuItem(1);
    Walk toEleven;
    toEleven.choices = {2};
    toEleven.stopAt = "Scene11";
    ASSERT_TRUE(WalkStory("Scene01", toEleven)) << toEleven.failedAt;
    ASSERT_TRUE(QuitAndSave());
    std::vector<uint8_t> fileAt11 = ReadFile(SavePath(run));
    ASSERT_EQ(SaveWords(run)[0], 11);
    ChooseMenuItem(2);
    Walk blue;
    blue.choices = {1};
    ASSERT_TRUE(WalkStory("Scene11", blue)) << blue.failedAt;
    EXPECT_EQ(blue.closing, "Scene13e3");
    CheckEnding(run, 2, 2132);

    EXPECT_TRUE(QuitFromMenu(run));

    // The Irela ending: back to the game's save at group 11, on to group 24, saved again.

    GameRun second = Prepare("paths3to5");
    ASSERT_TRUE(WriteSaveBytes(second, fileAt11));
    ASSERT_TRUE(LaunchToMenu(second));
    ChooseMenuItem(2);
    Walk toTwentyFour;
    toTwentyFour.choices = {2};
    toTwentyFour.stopAt = "Scene24";
    ASSERT_TRUE(WalkStory("Scene11", toTwentyFour)) << toTwentyFour.failedAt;
    ASSERT_TRUE(QuitAndSave());
    std::vector<uint8_t> fileAt24 = ReadFile(SavePath(second));
    ASSERT_EQ(SaveWords(second)[0], 24);
    ChooseMenuItem(2);
    Walk irela;
    irela.choices = {1};
    ASSERT_TRUE(WalkStory("Scene24", irela)) << irela.failedAt;
    EXPECT_EQ(irela.closing, "Scene26e6");
    CheckEnding(second, 3, 3262);
    EXPECT_TRUE(QuitFromMenu(second));

    // Tovanne: from the game's save at group 24 to group 28, saved there.
    GameRun third = Prepare("paths4to5");
    ASSERT_TRUE(WriteSaveBytes(third, fileAt24));
    ASSERT_TRUE(LaunchToMenu(third));
    ChooseMenuItem(2);
    Walk toTwentyEight;
    toTwentyEight.choices = {2};
    toTwentyEight.stopAt = "Scene28";
    ASSERT_TRUE(WalkStory("Scene24", toTwentyEight)) << toTwentyEight.failedAt;
    ASSERT_TRUE(QuitAndSave());
    std::vector<uint8_t> fileAt28 = ReadFile(SavePath(third));
    ASSERT_EQ(SaveWords(third)[0], 28);
    ChooseMenuItem(2);
    Walk tovanne;
    tovanne.choices = {1};
    ASSERT_TRUE(WalkStory("Scene28", tovanne)) << tovanne.failedAt;
    EXPECT_EQ(tovanne.closing, "Scene30e2");
    CheckEnding(third, 4, 4302);
    EXPECT_TRUE(QuitFromMenu(third));

    // Green: the same save at group 28, the other answer.
    GameRun fourth = Prepare("path5");
    ASSERT_TRUE(WriteSaveBytes(fourth, fileAt28));
    ASSERT_TRUE(LaunchToMenu(fourth));
    ChooseMenuItem(2);
    Walk green;
    green.choices = {2};
    ASSERT_TRUE(WalkStory("Scene28", green)) << green.failedAt;
    EXPECT_EQ(green.closing, "Scene32");
    CheckEnding(fourth, 5, 5310);
    EXPECT_TRUE(QuitFromMenu(fourth));
}
