// The game on a desktop larger than its picture, switching between full
// screen and a window, the window's close button, and the display's shut
// while another thread wakes it.
#include "harness.h"

#include <X11/keysym.h>
#include <gtest/gtest.h>

#include "story/scene.h"

// After gtest: Xlib's macros would break its templates.
#include <X11/Xlib.h>

using namespace harness;

namespace {

const int EXIT_MS = 10000;
const int PAGE_MS = 8000;
const int PROBE_MS = 20000;   // the probe holds a wake for 3 s
const int HALL_X = 100, HALL_Y = 320;   // inside the "Hall of Records" band
const View FULL_HD = {2, 320, 60};      // 640 x 480 doubled, centred on 1920 x 1080

std::vector<int32_t> Fresh(int32_t resumeId, int32_t runTime, int32_t runMistakes)
{
    std::vector<int32_t> w(13, -1);
    w[0] = resumeId;
    w[1] = runTime;
    w[2] = runMistakes;
    w[7] = 900;   // a path 3 record that nothing here may touch
    w[8] = 4;
    return w;
}

// Each test leaves the X server as the other suites expect it.
class LargeDesktop : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(UseDisplay(1920, 1080)); }
    void TearDown() override { UseDisplay(SHOT_W, SHOT_H); }
};

}  // namespace

TEST_F(LargeDesktop, MenuIsTheSmallMenuDoubledAndAnswersAtItsScaledPlaces)
{
    // The menu as it stands on a 640 x 480 desktop, the pointer parked.
    ASSERT_TRUE(UseDisplay(SHOT_W, SHOT_H));
    GameRun small = Prepare("menu-small");
    ASSERT_TRUE(LaunchToMenu(small));
    Image reference = Screenshot();
    ASSERT_TRUE(QuitFromMenu(small));

    ASSERT_TRUE(UseDisplay(1920, 1080));
    SetView(FULL_HD);
    GameRun run = Prepare("menu-large");
    ASSERT_TRUE(LaunchToMenu(run));
    Image full = ScreenshotFull();
    SavePng(full, ShotPath("menu-1920x1080"));
    // Pixel for pixel: each game pixel a 2 x 2 block, black all around.
    int wrong = 0, firstX = -1, firstY = -1;
    for (int y = 0; y < full.h; y++)
        for (int x = 0; x < full.w; x++) {
            int gx = (x - FULL_HD.x) / 2, gy = (y - FULL_HD.y) / 2;
            bool inside = x >= FULL_HD.x && y >= FULL_HD.y && gx < SHOT_W && gy < SHOT_H;
            uint32_t want = inside ? reference.at(gx, gy) : 0x000000;
            if (full.at(x, y) != want && wrong++ == 0) {
                firstX = x;
                firstY = y;
            }
        }
    EXPECT_EQ(wrong, 0) << "first difference at " << firstX << "," << firstY;

    // A click at the scaled place of "Hall of Records" opens it.
    Click(HALL_X, HALL_Y);
    EXPECT_TRUE(WaitFor(HallShown, PAGE_MS));
    PressKey(XK_Return);
    ASSERT_TRUE(WaitFor(MenuShown, PAGE_MS));
    EXPECT_TRUE(QuitFromMenu(run));
}

TEST_F(LargeDesktop, F11SwitchesToAWindowAndBackAndTheMenuStillAnswers)
{
    SetView(FULL_HD);
    GameRun run = Prepare("f11");
    ASSERT_TRUE(LaunchToMenu(run));
    ParkPointer();
    ASSERT_TRUE(WaitFor([] { return MenuHighlight() == 1; }, PAGE_MS));

    PressKey(XK_F11);
    int wx = 0, wy = 0, ww = 0, wh = 0;
    // Sized first, then centred: the place to look at is the centred one.
    ASSERT_TRUE(WaitFor([&] {
        return GameWindowRect(&wx, &wy, &ww, &wh) && ww == 1280 && wx == (1920 - ww) / 2 && wy == (1080 - wh) / 2;
    }, PAGE_MS));
    EXPECT_EQ(wh, 960) << "a window of twice the picture fits 1080 lines with room for a panel";
    SetView({2, wx, wy});
    ASSERT_TRUE(WaitFor(MenuShown, PAGE_MS)) << "the picture survives the switch";
    SavePng(ScreenshotFull(), ShotPath("menu-window-1920x1080"));
    ParkPointer();
    PressKey(XK_Down);
    EXPECT_TRUE(WaitFor([] { return MenuHighlight() == 2; }, PAGE_MS)) << "the window answers keys";

    PressKey(XK_F11);
    SetView(FULL_HD);
    bool back = WaitFor(MenuShown, PAGE_MS);
    SavePng(ScreenshotFull(), ShotPath("menu-full-again-1920x1080"));
    ASSERT_TRUE(back) << "back to full screen";
    ParkPointer();
    PressKey(XK_Down);
    EXPECT_TRUE(WaitFor([] { return MenuHighlight() == 3; }, PAGE_MS));
    Click(HALL_X, HALL_Y);
    EXPECT_TRUE(WaitFor(HallShown, PAGE_MS)) << "the pointer maps again after the switch";
    SavePng(ScreenshotFull(), ShotPath("hall-after-f11"));
    PressKey(XK_Return);
    ASSERT_TRUE(WaitFor(MenuShown, PAGE_MS));
    EXPECT_TRUE(QuitFromMenu(run));
}

TEST(CloseButton, QuitsFromTheMenuAndTheHallOfRecords)
{
    GameRun run = Prepare("close-menu");
    WriteSave(run, Fresh(51, 100, 2));
    ASSERT_TRUE(LaunchToMenu(run));
    ASSERT_TRUE(SendCloseRequest());
    ASSERT_TRUE(WaitExit(run, EXIT_MS)) << "the close button did nothing";
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(SaveWords(run), Fresh(51, 100, 2)) << "closing the menu writes nothing";

    GameRun hall = Prepare("close-hall");
    ASSERT_TRUE(LaunchToMenu(hall));
    ChooseMenuItem(MENU_RECORDS);
    ASSERT_TRUE(WaitFor(HallShown, PAGE_MS));
    ASSERT_TRUE(SendCloseRequest());
    ASSERT_TRUE(WaitExit(hall, EXIT_MS));
    EXPECT_EQ(hall.exitCode, 0);
}

TEST(CloseButton, DuringPlayItSavesAsYesWouldThenQuits)
{
    GameRun run;
    ASSERT_TRUE(ContinueFrom(run, "close-typing", Fresh(51, 100, 2)));
    // Three narration scenes, then the letter of Scene07 (group 7).
    Walk walk;
    walk.stopAt = "Scene07";
    ASSERT_TRUE(WalkStory("Scene05e1", walk)) << walk.failedAt;
    // Two mistakes in a letter not finished: not saved. Once the cursor has
    // moved on by both, they are judged.
    const Scene *letter = SceneNamed("Scene07");
    int line = 0;
    while (letter->text[line][0] == 0)
        line++;
    TypeChar('#');
    TypeChar('x');
    int x = TypeAdvance(letter->text[line][0]) + TypeAdvance(letter->text[line][1]);
    ASSERT_TRUE(WaitFor([&] { return CursorAt(line, x); }, PAGE_MS));
    ASSERT_TRUE(SendCloseRequest());
    ASSERT_TRUE(WaitExit(run, EXIT_MS)) << "the close button did nothing on the typing page";
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(SaveWords(run), Fresh(7, 100, 2)) << "the group of the letter and the letters before it";
}

TEST(Input, ATapOrClickQuickerThanAFrameStillCounts)
{
    GameRun run = Prepare("quick");
    ASSERT_TRUE(LaunchToMenu(run));
    ParkPointer();
    ASSERT_TRUE(WaitFor([] { return MenuHighlight() == 1; }, PAGE_MS));
    // Pressed and released back to back: both reach the game in one of the
    // library's input rounds, before any screen looks at the key's state.
    for (int i = 0; i < 3; i++) {
        int was = MenuHighlight();
        KeyDown(XK_Down);
        KeyUp(XK_Down);
        EXPECT_TRUE(WaitFor([&] { return MenuHighlight() == was + 1; }, 3000)) << "tap " << i + 1 << " was missed";
    }
    MoveMouse(HALL_X, HALL_Y);
    ASSERT_TRUE(WaitFor([] { return MenuHighlight() == 3; }, PAGE_MS)) << "the pointer is over the item";
    ButtonDown();
    ButtonUp();
    EXPECT_TRUE(WaitFor(HallShown, PAGE_MS)) << "a quick click was missed";
    PressKey(XK_Return);
    ASSERT_TRUE(WaitFor(MenuShown, PAGE_MS));
    EXPECT_TRUE(QuitFromMenu(run));
}

// The clock's tick wakes the display from the timer thread, and the clock
// still ticks while the game shuts the display at its end.
TEST(DisplayShutdown, AWakeUnderWayFinishesBeforeItsDescriptorIsClosed)
{
    GameRun run = Prepare("wake");
    ASSERT_TRUE(LaunchProgram(run, PAPERLUNE_WAKE_PROBE, nullptr));
    ASSERT_TRUE(WaitExit(run, PROBE_MS)) << "the probe did not end";
    std::vector<uint8_t> log = ReadFile(PathIn(run, ".game.log"));
    EXPECT_EQ(run.exitCode, 0) << std::string(log.begin(), log.end());
}

namespace {

// The display probe's report so far.
std::string ProbeSaid(const GameRun &run)
{
    std::vector<uint8_t> log = ReadFile(PathIn(run, ".game.log"));
    return std::string(log.begin(), log.end());
}

bool ProbeSays(const GameRun &run, const std::string &line)
{
    return WaitFor([&] { return ProbeSaid(run).find(line + "\n") != std::string::npos; }, PAGE_MS);
}

}  // namespace

TEST_F(LargeDesktop, StartsInAWindowWhenAskedAndTellsOfF11F9AndTheFocus)
{
    GameRun run = Prepare("services");
    ASSERT_TRUE(LaunchProgram(run, PAPERLUNE_DISPLAY_PROBE, "window"));
    ASSERT_TRUE(ProbeSays(run, "open window")) << ProbeSaid(run);
    int wx = 0, wy = 0, ww = 0, wh = 0;
    ASSERT_TRUE(WaitFor([&] { return GameWindowRect(&wx, &wy, &ww, &wh) && ww == 1280 && wh == 960; }, PAGE_MS));
    EXPECT_FALSE(GameWindowHasProperty("_NET_WM_BYPASS_COMPOSITOR")) << "a window, not full screen";
    // With no window manager the keys go where the pointer is: in the window.
    MoveMouseOnScreen(wx + ww / 2, wy + wh / 2);
    ASSERT_TRUE(ProbeSays(run, "focus 1 losses 0")) << ProbeSaid(run);

    // Another window takes the keyboard, then gives it back.
    ::Display *d = XOpenDisplay(nullptr);
    ASSERT_NE(d, nullptr);
    Window other = XCreateSimpleWindow(d, DefaultRootWindow(d), 0, 0, 100, 100, 0, 0, 0);
    XMapWindow(d, other);
    XSync(d, False);
    XSetInputFocus(d, other, RevertToParent, CurrentTime);
    XSync(d, False);
    EXPECT_TRUE(ProbeSays(run, "focus 0 losses 1")) << ProbeSaid(run);
    XSetInputFocus(d, GameWindowId(), RevertToParent, CurrentTime);
    XSync(d, False);
    EXPECT_TRUE(ProbeSays(run, "focus 1 losses 1")) << ProbeSaid(run);
    XDestroyWindow(d, other);
    XCloseDisplay(d);

    // F11 is told with the mode it made; a switch is no loss of focus.
    PressKey(XK_F11);
    EXPECT_TRUE(ProbeSays(run, "mode full")) << ProbeSaid(run);
    EXPECT_EQ(ProbeSaid(run).find("focus 0 losses 1\nmode full\nfocus 0"), std::string::npos) << ProbeSaid(run);
    EXPECT_TRUE(WaitFor([] { return GameWindowHasProperty("_NET_WM_BYPASS_COMPOSITOR"); }, PAGE_MS));
    PressKey(XK_F9);
    // Apart as a person's two presses are: one release and press in the
    // same instant is the key's own repeat.
    Sleep(100);
    PressKey(XK_F9);
    EXPECT_TRUE(ProbeSays(run, "mute 2")) << "each press once: " << ProbeSaid(run);
    PressKey(XK_F11);
    EXPECT_TRUE(ProbeSays(run, "mode window")) << ProbeSaid(run);
    EXPECT_EQ(ProbeSaid(run).find("losses 2"), std::string::npos) << ProbeSaid(run);
    ASSERT_TRUE(SendCloseRequest());
    ASSERT_TRUE(WaitExit(run, EXIT_MS));
    EXPECT_EQ(run.exitCode, 0);
}
