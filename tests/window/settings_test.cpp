// The settings screen as a player uses it: a change shown, kept in the file
// and still there at the next start; "New game" asking before it wipes a
// saved place.
#include "harness.h"

#include <X11/keysym.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

using namespace harness;

namespace {

const int EXIT_MS = 10000;
const int PAGE_MS = 8000;

const char *const LABELS[] = {"Music", "Key sounds", "Pause when the window loses focus", "Full screen at start",
                              "Picture", "Mistakes", "Time left", "Clock", "Pace marker in the story"};
const int ROWS = 9;

// The settings screen as it must look with these values and row `selected`
// (1..ROWS, ROWS + 1 for "Back") in red.
Image SettingsScreen(const std::vector<std::string> &values, int selected)
{
    std::vector<TextItem> items = {{"Settings", 80, 40, 0, 60}};
    for (int i = 0; i < ROWS; i++) {
        uint32_t colour = selected == i + 1 ? 0xFF0000 : 0;
        items.push_back({LABELS[i], 50, 125 + 30 * i, colour, 22});
        items.push_back({values[i], 375, 125 + 30 * i, colour, 22});
    }
    items.push_back({"Back", 500, 400, selected == ROWS + 1 ? 0xFF0000u : 0u, 30});
    items.push_back({"Up and Down choose, Left and Right change. F9 mutes all sound.", 50, 436, 0x8C2B27, 18});
    return Compose(HS_BACKGROUND, items);
}

// Row by row, so that one value shown wrong stands out of the mean; left of
// the parked pointer in the top right corner.
double WorstRow(const std::vector<std::string> &values, int selected)
{
    Image shown = Screenshot(), expected = SettingsScreen(values, selected);
    double worst = 0;
    for (int y = 120; y < 460; y += 30)
        worst = std::max(worst, Difference(shown, expected, 0, y, 600, 30));
    return worst;
}

bool SettingsShown(const std::vector<std::string> &values, int selected)
{
    return WorstRow(values, selected) < 1.0;
}

std::string FileText(const std::string &path)
{
    std::vector<uint8_t> bytes = ReadFile(path);
    return std::string(bytes.begin(), bytes.end());
}

const std::vector<std::string> DEFAULTS = {"100%", "100%", "Yes", "Yes", "Whole pixels", "In red", "No", "Original",
                                           "No"};

}  // namespace

TEST(Settings, AChangeIsShownKeptAndReadAtTheNextStart)
{
    GameRun run = Prepare("settings");
    ASSERT_TRUE(LaunchToMenu(run));
    ChooseMenuItem(MENU_SETTINGS);
    ASSERT_TRUE(WaitFor([] { return SettingsShown(DEFAULTS, 1); }, PAGE_MS)) << WorstRow(DEFAULTS, 1);
    // One value wrong is told apart.
    std::vector<std::string> wrong = DEFAULTS;
    wrong[1] = "90%";
    EXPECT_GT(WorstRow(wrong, 1), 2.0);
    SavePng(Screenshot(), ShotPath("settings-defaults"));

    // Left twice on the music, then down to the mistakes and Enter.
    std::vector<std::string> changed = DEFAULTS;
    changed[0] = "80%";
    changed[5] = "In red and underlined";
    PressKey(XK_Left, 60);
    PressKey(XK_Left, 60);
    for (int i = 0; i < 5; i++)
        PressKey(XK_Down, 60);
    PressKey(XK_Return, 60);
    ASSERT_TRUE(WaitFor([&] { return SettingsShown(changed, 6); }, PAGE_MS));
    std::string text = FileText(SettingsFilePath(run));
    EXPECT_NE(text.find("music = 80\n"), std::string::npos) << text;
    EXPECT_NE(text.find("mistakes = underlined\n"), std::string::npos) << text;

    // A click on a value changes it: the time left comes on.
    changed[6] = "Yes";
    Click(400, 125 + 30 * 6 + 12);
    ASSERT_TRUE(WaitFor([&] { return SettingsShown(changed, 7); }, PAGE_MS));
    // And the clock, on the row below: "Your pace".
    changed[7] = "Your pace";
    Click(400, 125 + 30 * 7 + 12);
    ASSERT_TRUE(WaitFor([&] { return SettingsShown(changed, 8); }, PAGE_MS));
    SavePng(Screenshot(), ShotPath("settings-clock"));
    EXPECT_NE(FileText(SettingsFilePath(run)).find("clock = pace\n"), std::string::npos);
    // And the pace marker in the story, the last row, clear of "Back".
    changed[8] = "Yes";
    Click(400, 125 + 30 * 8 + 12);
    ASSERT_TRUE(WaitFor([&] { return SettingsShown(changed, 9); }, PAGE_MS));
    EXPECT_NE(FileText(SettingsFilePath(run)).find("pace_marker_in_story = yes\n"), std::string::npos);
    PressKey(XK_Escape, 60);
    ASSERT_TRUE(WaitFor(MenuShown, PAGE_MS));
    ASSERT_TRUE(QuitFromMenu(run));

    // A player's own line in the file stays through the next change.
    std::string withNote = FileText(SettingsFilePath(run)) + "# my note\n";
    ASSERT_TRUE(WriteFile(SettingsFilePath(run), std::vector<uint8_t>(withNote.begin(), withNote.end())));
    ASSERT_TRUE(LaunchToMenu(run));
    ChooseMenuItem(MENU_SETTINGS);
    ASSERT_TRUE(WaitFor([&] { return SettingsShown(changed, 1); }, PAGE_MS)) << "not kept over a restart";
    PressKey(XK_Right, 60);
    changed[0] = "90%";
    ASSERT_TRUE(WaitFor([&] { return SettingsShown(changed, 1); }, PAGE_MS));
    EXPECT_NE(FileText(SettingsFilePath(run)).find("# my note\n"), std::string::npos);
    Click(520, 412);   // "Back"
    ASSERT_TRUE(WaitFor(MenuShown, PAGE_MS));
    ASSERT_TRUE(QuitFromMenu(run));
}

TEST(Settings, NewGameOverASavedPlaceAnsweredNoKeepsTheFile)
{
    GameRun run = Prepare("newgame-no");
    WriteSave(run, {24, 162, 3, 410, 2, -1, -1, -1, -1, -1, -1, -1, -1});
    std::vector<uint8_t> before = ReadFile(SavePath(run));
    ASSERT_TRUE(LaunchToMenu(run));

    // Enter on the question takes "No", which it starts on; Escape is "No" too.
    ChooseMenuItem(MENU_NEW_GAME);
    ASSERT_TRUE(WaitFor([] { return NewGameDialogShown(2); }, PAGE_MS));
    SavePng(Screenshot(), ShotPath("settings-new-game-question"));
    PressKey(XK_Return, 60);
    ASSERT_TRUE(WaitFor(MenuShown, PAGE_MS));
    ChooseMenuItem(MENU_NEW_GAME);
    ASSERT_TRUE(WaitFor([] { return NewGameDialogShown(2); }, PAGE_MS));
    PressKey(XK_Escape, 60);
    ASSERT_TRUE(WaitFor(MenuShown, PAGE_MS));
    EXPECT_EQ(ReadFile(SavePath(run)), before) << "the saved place was touched";
    ASSERT_TRUE(QuitFromMenu(run));
    EXPECT_EQ(ReadFile(SavePath(run)), before);
}
