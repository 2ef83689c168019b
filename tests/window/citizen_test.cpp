// The game among the desktop's other programs: without a sound device it
// says so once, in its own words, and the sound library's lines stay off the
// terminal.
#include "harness.h"

#include <gtest/gtest.h>

#include <X11/keysym.h>

#include <string>
#include <vector>

using namespace harness;

namespace {

const int PAGE_MS = 8000;
// The notice as the menu draws it.
const char NO_DEVICE[] = "No sound: no sound device was found";
const int NOTICE_X = 80, NOTICE_Y = 400, NOTICE_SIZE = 20;
const uint32_t NOTICE_COLOUR = 0x8C2B27;
const int NOTICE_W = 330, NOTICE_H = 28;

std::vector<uint8_t> Bytes(const std::string &text)
{
    return std::vector<uint8_t>(text.begin(), text.end());
}

std::string GameOutput(const GameRun &run)
{
    std::vector<uint8_t> bytes = ReadFile(PathIn(run, ".game.log"));
    return std::string(bytes.begin(), bytes.end());
}

// The menu with the notice line alone in its place, and without it.
double NoticeDifference(const Image &shown, bool withNotice)
{
    std::vector<TextItem> items;
    if (withNotice)
        items.push_back({NO_DEVICE, NOTICE_X, NOTICE_Y, NOTICE_COLOUR, NOTICE_SIZE});
    return Difference(shown, Compose(MENU_BACKGROUND, items), NOTICE_X, NOTICE_Y, NOTICE_W, NOTICE_H);
}

}  // namespace

TEST(Citizen, WithoutASoundDeviceTheMenuSaysSoOnceAndTheTerminalStaysQuiet)
{
    GameRun run = Prepare("nosound");
    // ALSA's default device is one that is not there, as on a machine
    // without a sound card: the library would print its lines for it.
    ASSERT_TRUE(WriteFile(run.home + "/.asoundrc",
                          Bytes("pcm.!default { type plug slave.pcm \"paperlune_no_such_device\" }\n")));
    ASSERT_TRUE(LaunchToMenu(run));
    Image first = Screenshot();
    SavePng(first, ShotPath("menu-without-sound"));
    EXPECT_LT(NoticeDifference(first, true), 2.0) << "the notice stands below the items on the first showing";
    EXPECT_GT(NoticeDifference(first, false), 4.0);

    // Once told is enough: the menu that comes back after the Hall of
    // Records has no notice.
    Image hall;
    ASSERT_TRUE(OpenHall("hall-without-sound", hall));
    PressKey(XK_Return);
    ASSERT_TRUE(WaitFor(MenuShown, PAGE_MS));
    ASSERT_TRUE(WaitStable());
    EXPECT_LT(NoticeDifference(Screenshot(), false), 2.0) << "the notice came back";

    EXPECT_TRUE(QuitFromMenu(run));
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(GameOutput(run), "") << "nothing on the terminal, least of all the sound library's lines";
    EXPECT_FALSE(FileExists(run.soundFile));
}

TEST(Citizen, WithSoundThereIsNoNotice)
{
    GameRun run = Prepare("withsound");
    ASSERT_TRUE(LaunchToMenu(run));
    EXPECT_LT(NoticeDifference(Screenshot(), false), 2.0);
    EXPECT_TRUE(QuitFromMenu(run));
}
