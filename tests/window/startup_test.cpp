// Start-up and shutdown as a player meets them: the intro, its skip rule,
// and a clear refusal when game.dat is missing or short.
#include "harness.h"

#include <X11/keysym.h>
#include <gtest/gtest.h>

#include <chrono>
#include <unistd.h>

#include "datwriter.h"

using namespace harness;

namespace {

const std::vector<int> SLIDES = {27, 28, 29, 30, 31, 32};
const int START_MS = 15000;
const int INTRO_MS = 40000;
const int EXIT_MS = 10000;

}  // namespace

TEST(Startup, IntroShowsTheSixSlidesInOrderThenTheMenu)
{
    GameRun run = Prepare("intro");
    MoveMouse(620, 20);
    ASSERT_TRUE(Launch(run));
    std::vector<int> seen;
    auto start = std::chrono::steady_clock::now();
    bool menu = WaitFor([&] {
        if (MenuShown())
            return true;
        int shown = ShownPicture(Screenshot(), SLIDES);
        if (shown > (seen.empty() ? 0 : seen.back())) {
            seen.push_back(shown);
            SavePng(Screenshot(), ShotPath("intro-slide-" + std::to_string(shown - 26)));
        }
        return false;
    }, INTRO_MS, 30);
    double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    EXPECT_EQ(seen, SLIDES);
    ASSERT_TRUE(menu) << "the menu did not follow the intro";
    EXPECT_GT(seconds, 12.0) << "six slides hold two seconds each";
    SavePng(Screenshot(), ShotPath("menu-first"));
    EXPECT_FALSE(FileExists(PathIn(run, "gmstat.dat.tmp")));
    EXPECT_TRUE(FileExists(PathIn(run, "gmstat.dat")));

    ChooseMenuItem(4);
    ASSERT_TRUE(WaitExit(run, EXIT_MS));
    EXPECT_EQ(run.exitCode, 0);
}

TEST(Startup, KeyDuringTheThirdFadeEndsTheIntroAfterThatSlide)
{
    GameRun run = Prepare("skip");
    MoveMouse(620, 20);
    ASSERT_TRUE(Launch(run));
    // Slide 2 complete, then the moment the screen starts to leave it.
    ASSERT_TRUE(WaitFor([] { return ShownPicture(Screenshot(), {28}, 0.5) == 28; }, START_MS));
    ASSERT_TRUE(WaitFor([] { return ShownPicture(Screenshot(), {28}, 3.0) != 28; }, START_MS, 5));
    PressKey(XK_Down);   // had it reached the menu, it would move the highlight

    bool sawThird = false, sawLater = false;
    bool menu = WaitFor([&] {
        Image s = Screenshot();
        int shown = ShownPicture(s, {29, 30, 31, 32});
        sawThird = sawThird || shown == 29;
        sawLater = sawLater || shown > 29;
        return MenuShown();
    }, START_MS, 30);
    EXPECT_TRUE(sawThird);
    EXPECT_FALSE(sawLater) << "slides 4 to 6 must not be shown";
    ASSERT_TRUE(menu);
    // "New game" is still the highlighted item: its band holds red text.
    Image s = Screenshot();
    EXPECT_GT(ShareOfColour(s, 80, 255, 170, 40, 0xFF0000, 60), 0.02);
    EXPECT_LT(ShareOfColour(s, 80, 285, 170, 40, 0xFF0000, 60), 0.005);
    ChooseMenuItem(4);
    ASSERT_TRUE(WaitExit(run, EXIT_MS));
    EXPECT_EQ(run.exitCode, 0);
}

TEST(Startup, MissingOrShortGameDataIsRefusedWithAMessage)
{
    struct Case {
        const char *name;
        std::vector<uint8_t> bytes;   // empty: no file at all
        const char *expect;
    };
    // A datafile header with 3 objects of nothing: the library refuses it or
    // the count check does; either way the player is told. (Without any
    // game.dat the game looks in its other places; the installed game's tests
    // cover finding none.)
    std::vector<Case> cases = {
        {"garbage", {'n', 'o', 't', ' ', 'a', ' ', 'd', 'a', 't'}, "game.dat"},
    };
    std::vector<DatObject> few;
    for (int i = 0; i < 20; i++) {
        DatObject o;
        o.jpeg = false;
        o.width = o.height = 8;
        o.pixels.assign(64, 0x808080);
        few.push_back(o);
    }
    cases.push_back({"shortdat", EncodeDatafile(few), "20"});
    for (const Case &c : cases) {
        GameRun run = Prepare(c.name);
        if (c.bytes.empty())
            unlink(PathIn(run, "game.dat").c_str());
        else
            WriteFile(PathIn(run, "game.dat"), c.bytes);
        ASSERT_TRUE(Launch(run));
        std::string text;
        EXPECT_TRUE(WaitFor([&] { return !(text = MessageBox(run)).empty(); }, START_MS)) << c.name;
        EXPECT_NE(text.find(c.expect), std::string::npos) << text;
        DismissMessageBox(run);
        ASSERT_TRUE(WaitExit(run, EXIT_MS)) << c.name;
        EXPECT_EQ(run.exitCode, 1) << c.name;
        EXPECT_FALSE(FileExists(PathIn(run, "gmstat.dat"))) << "nothing further ran";
    }
}

TEST(Startup, MissingTypewriterFontStopsAtOnceWithoutTouchingTheProgressFile)
{
    GameRun run = Prepare("notypefont");
    unlink(PathIn(run, "Fonts/typewriter.ttf").c_str());
    ASSERT_TRUE(Launch(run));
    std::string text;
    ASSERT_TRUE(WaitFor([&] { return !(text = MessageBox(run)).empty(); }, START_MS));
    EXPECT_EQ(text, "Cannot load the font");
    EXPECT_FALSE(FileExists(PathIn(run, "gmstat.dat"))) << "the progress file is neither read nor created";
    DismissMessageBox(run);
    ASSERT_TRUE(WaitExit(run, EXIT_MS));
    EXPECT_EQ(run.exitCode, 1);
}

TEST(Startup, MissingMenuFontStopsAfterTheIntro)
{
    GameRun run = Prepare("nomenufont");
    unlink(PathIn(run, "Fonts/engeregu.ttf").c_str());
    MoveMouse(620, 20);
    ASSERT_TRUE(Launch(run));
    std::vector<int> seen;
    std::string text;
    ASSERT_TRUE(WaitFor([&] {
        if (!(text = MessageBox(run)).empty())
            return true;
        int shown = ShownPicture(Screenshot(), SLIDES);
        if (shown > (seen.empty() ? 0 : seen.back()))
            seen.push_back(shown);
        return false;
    }, INTRO_MS, 30));
    EXPECT_EQ(seen, SLIDES) << "all six slides play first";
    EXPECT_EQ(text, "Cannot load the font");
    EXPECT_TRUE(FileExists(PathIn(run, "gmstat.dat")));
    DismissMessageBox(run);
    ASSERT_TRUE(WaitExit(run, EXIT_MS));
    EXPECT_EQ(run.exitCode, 1);
}
