// The main menu and the Hall of Records, driven by keys and the mouse.
#include "harness.h"

#include <X11/keysym.h>
#include <gtest/gtest.h>

using namespace harness;

namespace {

const int EXIT_MS = 10000;
const int SOUND_MS = 5000;   // what a key sets off is heard within this

}  // namespace

TEST(Menu, KeysAndPointerMoveTheHighlightAsAPlayerExpects)
{
    GameRun run = Prepare("menu");
    ASSERT_TRUE(LaunchToMenu(run));
    // Every arrow sounds the key once the menu has taken it, even at the ends
    // of the list; every activation rings the bell at once, long before what
    // it starts reaches the screen.
    const std::vector<float> key = GameSound("type.wav"), bell = GameSound("bell.wav");
    ASSERT_FALSE(key.empty());
    ASSERT_FALSE(bell.empty());
    EXPECT_EQ(MenuHighlight(), 1);
    size_t before = CapturedSound(run).size();
    PressKey(XK_Up);
    ASSERT_TRUE(WaitForSamples(run, before, key, 1, SOUND_MS));
    EXPECT_EQ(MenuHighlight(), 1) << "Up on the first item keeps it";
    for (int i = 0; i < MENU_ITEM_COUNT; i++) {
        before = CapturedSound(run).size();
        PressKey(XK_Down);
        ASSERT_TRUE(WaitForSamples(run, before, key, 1, SOUND_MS)) << "Down " << i + 1;
    }
    EXPECT_TRUE(WaitFor([] { return MenuHighlight() == MENU_QUIT; }, 2000)) << "Down stops at Quit";

    // The pointer inside a band wins over the keys; Enter there does nothing.
    MoveMouse(100, 290);
    EXPECT_TRUE(WaitFor([] { return MenuHighlight() == 2; }, 2000));
    before = CapturedSound(run).size();
    PressKey(XK_Down);
    ASSERT_TRUE(WaitForSamples(run, before, key, 1, SOUND_MS));
    EXPECT_EQ(MenuHighlight(), 2);
    PressKey(XK_Return);
    // Clicks between two bands or left of them do nothing.
    Click(100, 275);
    Click(60, 290);
    // Then, with the pointer away, a Down: once it has moved the highlight
    // on from the second item, the Enter and the clicks before it were taken.
    MoveMouse(620, 20);
    PressKey(XK_Down);
    ASSERT_TRUE(WaitFor([] { return MenuHighlight() == 3; }, 2000)) << "the menu stayed, on the second item";
    EXPECT_TRUE(MenuShown());
    EXPECT_TRUE(FindSample(CapturedSince(run, before), bell).empty()) << "Enter or a click outside the bands "
                                                                        "activated an item";
    EXPECT_TRUE(Alive(run));
    // Past "Practice" to "Hall of Records", its key sound heard out before
    // the bell is listened for.
    before = CapturedSound(run).size();
    PressKey(XK_Down);
    ASSERT_TRUE(WaitForSamples(run, before, key, 1, SOUND_MS));
    ASSERT_TRUE(WaitFor([] { return MenuHighlight() == MENU_RECORDS; }, 2000));

    // With the pointer away, Enter activates the highlighted item.
    before = CapturedSound(run).size();
    PressKey(XK_Return);
    EXPECT_TRUE(WaitFor(HallShown, 5000)) << "Hall of Records did not open";
    EXPECT_TRUE(WaitForSamples(run, before, bell, 1, SOUND_MS));
    EXPECT_EQ(FindSample(CapturedSince(run, before), bell).size(), 1u) << "the bell is heard when an item is activated";
    PressKey(XK_Return);
    EXPECT_TRUE(WaitFor(MenuShown, 5000));
    EXPECT_TRUE(WaitFor([] { return MenuHighlight() == MENU_RECORDS; }, 3000));

    // A click on an item activates it: Quit.
    ASSERT_TRUE(WaitStable());
    Click(100, 410);
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
    ChooseMenuItem(MENU_QUIT);
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

    // Escape does not leave; a click above "Back" only clears; a click on it
    // leaves. Each is followed by a turn to the second page and back, which
    // only the Hall answers: once it has turned, what came before was taken.
    const Image table = s;
    auto stillInTheHall = [&] {
        PressKey(XK_Right);
        bool turned = WaitFor([&] { return Difference(Screenshot(), table, 0, 0, 640, 370) > 2.0; }, 3000);
        PressKey(XK_Left);
        return turned && WaitFor([&] { return Difference(Screenshot(), table, 0, 0, 640, 370) < 0.5; }, 3000);
    };
    PressKey(XK_Escape);
    EXPECT_TRUE(stillInTheHall()) << "Escape";
    Click(520, 370);
    EXPECT_TRUE(stillInTheHall()) << "above Back";
    Click(490, 395);
    EXPECT_TRUE(stillInTheHall()) << "left of Back";
    Click(520, 395);
    EXPECT_TRUE(WaitFor(MenuShown, 5000));
    EXPECT_EQ(SaveWords(run), (std::vector<int32_t>{0, -1, -1, 125, 7, -1, -1, 0, 0, 187, 2, 59, -1}))
        << "the Hall of Records writes nothing";
    ChooseMenuItem(MENU_QUIT);
    ASSERT_TRUE(WaitExit(run, EXIT_MS));
}
