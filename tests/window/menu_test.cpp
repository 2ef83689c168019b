// The main menu and the Hall of Records, driven by keys and the mouse.
#include "harness.h"

#include <X11/keysym.h>
#include <gtest/gtest.h>

using namespace harness;

namespace {

const int EXIT_MS = 10000;
const int SETTLE_MS = 600;
const int BELL_MS = 1500;   // the bell has been played in full

}  // namespace

TEST(Menu, KeysAndPointerMoveTheHighlightAsAPlayerExpects)
{
    GameRun run = Prepare("menu");
    ASSERT_TRUE(LaunchToMenu(run));
    EXPECT_EQ(MenuHighlight(), 1);
    PressKey(XK_Up);
    Sleep(SETTLE_MS);
    EXPECT_EQ(MenuHighlight(), 1) << "Up on the first item keeps it";
    for (int i = 0; i < 5; i++) {
        PressKey(XK_Down);
        Sleep(80);
    }
    EXPECT_TRUE(WaitFor([] { return MenuHighlight() == 4; }, 2000)) << "Down stops at Quit";

    // The pointer inside a band wins over the keys; Enter there does nothing.
    MoveMouse(100, 290);
    EXPECT_TRUE(WaitFor([] { return MenuHighlight() == 2; }, 2000));
    PressKey(XK_Down);
    Sleep(SETTLE_MS);
    EXPECT_EQ(MenuHighlight(), 2);
    PressKey(XK_Return);
    Sleep(SETTLE_MS);
    EXPECT_TRUE(MenuShown());
    EXPECT_EQ(MenuHighlight(), 2);

    // Clicks between two bands or left of them do nothing. Every activation
    // rings the bell at once, long before what it starts reaches the screen.
    const std::vector<float> bell = GameSound("bell.wav");
    ASSERT_FALSE(bell.empty());
    size_t before = CapturedSound(run).size();
    Click(100, 275);
    Sleep(SETTLE_MS);
    Click(60, 290);
    Sleep(BELL_MS);
    EXPECT_TRUE(FindSample(CapturedSince(run, before), bell).empty()) << "a click outside the bands activated an item";
    EXPECT_TRUE(MenuShown());
    EXPECT_EQ(MenuHighlight(), 2);
    EXPECT_TRUE(Alive(run));

    // With the pointer away, Enter activates the highlighted item.
    MoveMouse(620, 20);
    PressKey(XK_Down);
    ASSERT_TRUE(WaitFor([] { return MenuHighlight() == 3; }, 2000));
    before = CapturedSound(run).size();
    PressKey(XK_Return);
    EXPECT_TRUE(WaitFor(HallShown, 5000)) << "Hall of Records did not open";
    Sleep(BELL_MS);
    EXPECT_EQ(FindSample(CapturedSince(run, before), bell).size(), 1u) << "the bell is heard when an item is activated";
    PressKey(XK_Return);
    EXPECT_TRUE(WaitFor(MenuShown, 5000));
    EXPECT_TRUE(WaitFor([] { return MenuHighlight() == 3; }, 3000));

    // A click on an item activates it: Quit.
    ASSERT_TRUE(WaitStable());
    Click(100, 350);
    ASSERT_TRUE(WaitExit(run, EXIT_MS));
    EXPECT_EQ(run.exitCode, 0);
}

TEST(Menu, FirstStartWritesTheDefaultProgressFile)
{
    GameRun run = Prepare("firststart");
    ASSERT_TRUE(LaunchToMenu(run));
    std::vector<uint8_t> bytes = ReadFile(SavePath(run));
    std::vector<uint8_t> expected(52, 0xFF);
    for (int i = 0; i < 4; i++)
        expected[i] = 0;
    EXPECT_EQ(bytes, expected);
    ChooseMenuItem(4);
    ASSERT_TRUE(WaitExit(run, EXIT_MS));
    EXPECT_EQ(run.exitCode, 0);
}

TEST(Menu, HallOfRecordsShowsAPreparedFile)
{
    GameRun run = Prepare("hall");
    WriteSave(run, {0, -1, -1, 125, 7, -1, -1, 0, 0, 187, 2, 59, -1});
    ASSERT_TRUE(LaunchToMenu(run));
    Image s;
    ASSERT_TRUE(OpenHall("hall-of-records", s));

    Image expected = Compose(HS_BACKGROUND, HallTexts({"2min+5s", "N/A", "0min+0s", "3min+7s", "0min+59s"},
                                                      {"7mis", "", "0mis", "2mis", ""}));
    for (int k = 1; k <= 5; k++)
        EXPECT_LT(Difference(s, expected, 190, 150 + 40 * k, 430, 38), 1.5) << "row of path " << k;
    EXPECT_LT(Difference(s, expected, 40, 30, 560, 330), 1.5) << "title, headers and labels";
    // The comparison can tell a wrong cell from a right one.
    Image wrong = Compose(HS_BACKGROUND, HallTexts({"2min+6s", "N/A", "0min+0s", "3min+7s", "0min+59s"},
                                                   {"7mis", "", "0mis", "2mis", ""}));
    EXPECT_GT(Difference(s, wrong, 190, 190, 200, 38), Difference(s, expected, 190, 190, 200, 38) + 1.0);

    // Escape does not leave; a click above "Back" only clears; a click on it leaves.
    PressKey(XK_Escape);
    Sleep(SETTLE_MS);
    EXPECT_TRUE(HallShown());
    Click(520, 370);
    Sleep(SETTLE_MS);
    EXPECT_TRUE(HallShown());
    Click(490, 395);
    Sleep(SETTLE_MS);
    EXPECT_TRUE(HallShown()) << "left of Back";
    Click(520, 395);
    EXPECT_TRUE(WaitFor(MenuShown, 5000));
    EXPECT_EQ(SaveWords(run), (std::vector<int32_t>{0, -1, -1, 125, 7, -1, -1, 0, 0, 187, 2, 59, -1}))
        << "the Hall of Records writes nothing";
    ChooseMenuItem(4);
    ASSERT_TRUE(WaitExit(run, EXIT_MS));
}
