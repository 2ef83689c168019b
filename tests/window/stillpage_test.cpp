// A page left alone runs no periodic round: the game reads the X server
// only when it has something to say, and nothing else sends what the library
// draws. A key after a long still spell must still come through that wake,
// appear and be judged; a window uncovered on a still page must be drawn
// again at once.
#include <gtest/gtest.h>

#include <X11/Xlib.h>
#include <X11/keysym.h>

#include <cstring>

#include "harness.h"
#include "story/scene.h"

using namespace harness;

namespace {

const int PAGE_MS = 8000;
const int QUIET_MS = 10000;    // the page stands still, nothing typed
const int KEY_SEEN_MS = 2000;
const int TYPE_X = 35, TYPE_Y = 45, PITCH = 15;
const uint32_t MISTAKE = 0xC4262A;


}  // namespace

TEST(StillPage, AfterTenQuietSecondsOnTheTypewriterAKeyAppearsAndIsJudged)
{
    GameRun run;
    ASSERT_TRUE(ContinueFrom(run, "still", SaveAt(141)));
    const Scene *letter = SceneNamed("Scene04e1");
    int line = 0;
    while (line < SCENE_TEXT_LINES && letter->text[line][0] == 0)
        line++;
    ASSERT_TRUE(WaitFor([&] { return CursorAt(line, 0); }, PAGE_MS));
    ASSERT_TRUE(WaitStable());
    Sleep(QUIET_MS);

    // The right character: the cursor moves on.
    const char *text = letter->text[line];
    ASSERT_GT(strlen(text), 3u);
    int x = TypeAdvance(text[0]);
    TypeChar(text[0]);
    EXPECT_TRUE(WaitFor([&] { return CursorAt(line, x); }, KEY_SEEN_MS)) << "the key after the still spell was lost";

    // And after another still spell a wrong one: its place turns red.
    Sleep(QUIET_MS);
    char wrong = text[1] == '#' ? '%' : '#';
    TypeChar(wrong);
    int next = x + TypeAdvance(text[1]);
    EXPECT_TRUE(WaitFor([&] { return CursorAt(line, next); }, KEY_SEEN_MS)) << "the wrong key was lost";
    Image s = Screenshot();
    SavePng(s, ShotPath("still-page-judged"));
    EXPECT_GT(ShareOfColour(s, TYPE_X + x, TYPE_Y + PITCH * line, next - x, PITCH, MISTAKE, 60), 0.05)
        << "the wrong key was not judged a mistake";
    ASSERT_TRUE(QuitAndSave());
    EXPECT_TRUE(QuitFromMenu(run));
}

TEST(StillPage, AWindowUncoveredOnAStillMenuIsDrawnAgain)
{
    GameRun run = Prepare("uncovered");
    ASSERT_TRUE(LaunchToMenu(run));
    ParkPointer();
    ASSERT_TRUE(WaitStable());
    // A plain window over the whole menu, then gone: the server leaves its
    // white where it stood until the game draws its own picture again.
    Display *d = XOpenDisplay(nullptr);
    ASSERT_NE(d, nullptr);
    XSetWindowAttributes a;
    a.override_redirect = True;
    a.background_pixel = WhitePixel(d, DefaultScreen(d));
    Window cover = XCreateWindow(d, DefaultRootWindow(d), 0, 0, SHOT_W, SHOT_H, 0, CopyFromParent, InputOutput,
                                 CopyFromParent, CWOverrideRedirect | CWBackPixel, &a);
    XMapRaised(d, cover);
    XSync(d, False);
    EXPECT_TRUE(WaitFor([] { return !MenuShown(); }, PAGE_MS)) << "the cover did not show";
    Sleep(1000);   // the menu stands still under it
    XUnmapWindow(d, cover);
    XSync(d, False);
    EXPECT_TRUE(WaitFor(MenuShown, KEY_SEEN_MS)) << "the uncovered menu was not drawn again";
    XDestroyWindow(d, cover);
    XCloseDisplay(d);
    EXPECT_TRUE(QuitFromMenu(run));
}
