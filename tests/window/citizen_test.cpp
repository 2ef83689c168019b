// The game among the desktop's other programs: without a sound device it
// says so once, in its own words, and the sound library's lines stay off the
// terminal; the screen saver stays away while a letter is typed or the game
// fills the screen, and comes back on pause, in a window and after quitting;
// the window tells the desktop its names, icon and process.
#include "harness.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

// After gtest, whose names Xlib's macros would otherwise take.
#include <X11/Xlib.h>
#include <X11/extensions/scrnsaver.h>
#include <X11/keysym.h>

using namespace harness;

namespace {

const int PAGE_MS = 8000;
// The notice as the menu draws it.
const char NO_DEVICE[] = "No sound: no sound device was found";
const int NOTICE_X = 80, NOTICE_Y = 432, NOTICE_SIZE = 20;
const uint32_t NOTICE_COLOUR = 0x8C2B27;
const int NOTICE_W = 330, NOTICE_H = 28;
// The screen saver comes on after this much idle time in these tests; a
// held one stays off for more than twice as long.
const int SAVER_SECONDS = 1;
const int HELD_MS = 2600;
const int SAVER_MS = 6000;

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

// A connection of the test's own to the X server's screen saver, which comes
// on after SAVER_SECONDS of no input; the server's own settings come back
// at the end.
struct Saver {
    Display *display = nullptr;
    int timeout = 0, interval = 0, blanking = 0, exposures = 0;

    bool Open()
    {
        int event, error;
        display = XOpenDisplay(nullptr);
        if (!display || !XScreenSaverQueryExtension(display, &event, &error))
            return false;
        XGetScreenSaver(display, &timeout, &interval, &blanking, &exposures);
        XSetScreenSaver(display, SAVER_SECONDS, 0, PreferBlanking, AllowExposures);
        XSync(display, False);
        return true;
    }
    ~Saver()
    {
        if (!display)
            return;
        XSetScreenSaver(display, timeout, interval, blanking, exposures);
        XForceScreenSaver(display, ScreenSaverReset);
        XCloseDisplay(display);
    }
    bool On()
    {
        XScreenSaverInfo *info = XScreenSaverAllocInfo();
        bool on = XScreenSaverQueryInfo(display, DefaultRootWindow(display), info) && info->state == ScreenSaverOn;
        XFree(info);
        return on;
    }
    // Whether it comes on within `ms` of no input (the wait gives none).
    bool ComesOn(int ms)
    {
        return WaitFor([this] { return On(); }, ms, 50);
    }
    // Input, as a player's hand on the pointer gives it, puts it off again.
    void Wake()
    {
        MoveMouseOnScreen(3, 3);
        MoveMouseOnScreen(1, 1);
        WaitFor([this] { return !On(); }, 2000, 20);
    }
};

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

TEST(Citizen, TheScreenSaverKeepsAwayFromALetterAndAFullScreenOnly)
{
    std::vector<int32_t> atLetter(13, -1);
    atLetter[0] = 141;   // the first letter to type
    atLetter[1] = atLetter[2] = 0;
    GameRun run;
    ASSERT_TRUE(StartDisplay());
    Saver saver;
    ASSERT_TRUE(saver.Open()) << "no screen saver extension";
    ASSERT_TRUE(saver.ComesOn(SAVER_MS)) << "the test's server shows no screen saver at all";
    saver.Wake();

    // With sound the menu has no notice. Continued straight onto the
    // typewriter page, full screen.
    run = Prepare("screensaver");
    WriteSave(run, atLetter);
    ASSERT_TRUE(LaunchToMenu(run));
    EXPECT_LT(NoticeDifference(Screenshot(), false), 2.0) << "a notice with the sound working";
    ChooseMenuItem(MENU_CONTINUE);
    ASSERT_TRUE(WaitFor([] { return CursorAt(0, 0); }, PAGE_MS));
    EXPECT_FALSE(saver.ComesOn(HELD_MS)) << "full screen, typing";
    // In a window the letter still holds it off; its pause lets it come.
    PressKey(XK_F11);
    EXPECT_FALSE(saver.ComesOn(HELD_MS)) << "a window, typing";
    PressKey(XK_F12);
    ASSERT_TRUE(WaitFor(PauseShown, PAGE_MS));
    EXPECT_TRUE(saver.ComesOn(SAVER_MS)) << "a window, paused";
    saver.Wake();
    PressKey(XK_space);   // ends the pause
    ASSERT_TRUE(WaitFor([] { return !PauseShown(); }, PAGE_MS));
    EXPECT_FALSE(saver.ComesOn(HELD_MS)) << "a window, typing again";

    // Left for the menu: a window lets it come, full screen holds it off.
    ASSERT_TRUE(QuitAndSave());
    ASSERT_TRUE(WaitFor(MenuShown, PAGE_MS));
    EXPECT_TRUE(saver.ComesOn(SAVER_MS)) << "a window, the menu";
    saver.Wake();
    PressKey(XK_F11);
    EXPECT_FALSE(saver.ComesOn(HELD_MS)) << "full screen, the menu";

    // Quitting from full screen releases it.
    ASSERT_TRUE(QuitFromMenu(run));
    EXPECT_TRUE(saver.ComesOn(SAVER_MS)) << "after quitting";
}

// Told once the first slide shows, not before: the first picture does not
// wait for it.
TEST(Citizen, TheWindowTellsItsNamesIconAndProcess)
{
    GameRun run = Prepare("described");
    ASSERT_TRUE(Launch(run));
    EXPECT_TRUE(WaitFor([] {
        return GameWindowHasProperty("_NET_WM_NAME") && GameWindowHasProperty("_NET_WM_ICON_NAME") &&
               GameWindowHasProperty("_NET_WM_ICON") && GameWindowHasProperty("_NET_WM_PID") &&
               GameWindowHasProperty("WM_CLIENT_MACHINE");
    }, PAGE_MS));
    Kill(run);
}
