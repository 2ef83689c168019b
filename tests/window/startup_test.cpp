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
const size_t PICTURES = 33;
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
    EXPECT_TRUE(FileExists(SavePath(run)));
    EXPECT_EQ(StrayFilesBesideSave(run), std::vector<std::string>{}) << "left over from writing the progress file";
    EXPECT_FALSE(FileExists(PathIn(run, "gmstat.dat"))) << "progress belongs in the player's data home";

    ChooseMenuItem(MENU_QUIT);
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
    // Down stays held into the menu. The menu acts on held arrows only while
    // a key waits, so the press that ended the intro, were it still waiting,
    // would move the highlight there.
    HoldKey(XK_Down);

    bool sawThird = false, sawLater = false;
    bool menu = WaitFor([&] {
        Image s = Screenshot();
        int shown = ShownPicture(s, {29, 30, 31, 32});
        sawThird = sawThird || shown == 29;
        sawLater = sawLater || shown > 29;
        return MenuShown();
    }, START_MS, 30);
    bool stable = menu && WaitStable();
    int held = MenuHighlight();
    ReleaseKey(XK_Down);
    EXPECT_TRUE(sawThird);
    EXPECT_FALSE(sawLater) << "slides 4 to 6 must not be shown";
    ASSERT_TRUE(menu);
    EXPECT_TRUE(stable);
    EXPECT_EQ(held, 1) << "the key that ended the intro acted in the menu";
    ChooseMenuItem(MENU_QUIT);
    ASSERT_TRUE(WaitExit(run, EXIT_MS));
    EXPECT_EQ(run.exitCode, 0);
}

TEST(Startup, MissingShortOrDamagedGameDataIsRefusedWithAMessage)
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
    // Damage to the real file, each a kind that once crashed the loader; the
    // message names the problem and the picture.
    std::vector<uint8_t> real = ReadFile(std::string(PAPERLUNE_DATA_DIR) + "/game.dat");
    std::vector<DatSpan> spans = DatafileSpans(real);
    ASSERT_EQ(spans.size(), PICTURES);
    std::vector<uint8_t> cut(real.begin(), real.begin() + (spans[7].data + spans[7].end) / 2);
    cases.push_back({"cutjpeg", cut, "picture 7 runs past the end"});
    std::vector<uint8_t> size = real;
    size[spans[3].header + 6] ^= 1;
    cases.push_back({"flippedsize", size, "picture 3 has a broken header"});
    std::vector<uint8_t> pixels = real;
    pixels[(spans[27].data + spans[27].end) / 2] ^= 0x10;
    cases.push_back({"flippedpicture", pixels, "picture 27 does not match its checksum"});
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
        EXPECT_FALSE(FileExists(SavePath(run))) << "nothing further ran";
    }
}

// The first slide may show before the rest of game.dat is checked; damage
// anywhere else is still refused before the damaged picture could be shown:
// no later slide, no menu, nothing of the player's written.
TEST(Startup, DamageBeyondTheFirstSlideIsRefusedBeforeThatPictureShows)
{
    std::vector<uint8_t> real = ReadFile(std::string(PAPERLUNE_DATA_DIR) + "/game.dat");
    std::vector<DatSpan> spans = DatafileSpans(real);
    ASSERT_EQ(spans.size(), PICTURES);
    // The next slide, the menu's picture (JPEGs) and a typing page (a bitmap).
    for (int picture : {28, 7, 3}) {
        std::vector<uint8_t> bytes = real;
        bytes[(spans[picture].data + spans[picture].end) / 2] ^= 0x10;
        std::string name = "damaged" + std::to_string(picture);
        GameRun run = Prepare(name.c_str());
        WriteFile(PathIn(run, "game.dat"), bytes);
        MoveMouse(620, 20);
        ASSERT_TRUE(Launch(run));
        std::string text;
        bool shownLater = false, menu = false;
        WaitFor([&] {
            if (!(text = MessageBox(run)).empty())
                return true;
            shownLater = shownLater || ShownPicture(Screenshot(), {28, 29, 30, 31, 32}) >= 0;
            menu = menu || MenuShown();
            return shownLater || menu;
        }, INTRO_MS, 10);
        EXPECT_FALSE(shownLater) << name << ": a slide after the first came before the refusal";
        EXPECT_FALSE(menu) << name << ": the menu came before the refusal";
        std::string expect = "picture " + std::to_string(picture) + " does not match its checksum";
        EXPECT_NE(text.find(expect), std::string::npos) << name << ": " << text;
        EXPECT_FALSE(FileExists(SavePath(run))) << name << ": nothing further ran";
        DismissMessageBox(run);
        ASSERT_TRUE(WaitExit(run, EXIT_MS)) << name;
        EXPECT_EQ(run.exitCode, 1) << name;
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
    EXPECT_FALSE(FileExists(SavePath(run))) << "the progress file is neither read nor created";
    DismissMessageBox(run);
    ASSERT_TRUE(WaitExit(run, EXIT_MS));
    EXPECT_EQ(run.exitCode, 1);
}

TEST(Startup, DamagedTypewriterFontStopsAtOnce)
{
    std::vector<uint8_t> whole = ReadFile(std::string(PAPERLUNE_DATA_DIR) + "/Fonts/typewriter.ttf");
    ASSERT_GT(whole.size(), 1000u);
    std::vector<uint8_t> noise(whole.size());
    uint32_t x = 2463534242u;
    for (uint8_t &b : noise) {   // xorshift: the same bytes every run
        x ^= x << 13;
        x ^= x >> 17;
        x ^= x << 5;
        b = uint8_t(x);
    }
    struct Case {
        const char *name;
        std::vector<uint8_t> bytes;
    };
    std::vector<Case> cases = {
        {"halftypefont", std::vector<uint8_t>(whole.begin(), whole.begin() + whole.size() / 2)},
        {"emptytypefont", {}},
        {"noisetypefont", noise},
    };
    for (const Case &c : cases) {
        GameRun run = Prepare(c.name);
        ASSERT_TRUE(WriteFile(PathIn(run, "Fonts/typewriter.ttf"), c.bytes));
        ASSERT_TRUE(Launch(run));
        std::string text;
        EXPECT_TRUE(WaitFor([&] { return !(text = MessageBox(run)).empty(); }, START_MS)) << c.name;
        EXPECT_EQ(text, "Cannot load the font") << c.name;
        EXPECT_FALSE(FileExists(PathIn(run, "gmstat.dat"))) << c.name << ": nothing further ran";
        DismissMessageBox(run);
        ASSERT_TRUE(WaitExit(run, EXIT_MS)) << c.name;
        EXPECT_EQ(run.exitCode, 1) << c.name;
    }
}

// Cut in half, the menu font still opens, but none of its glyphs has an
// outline: the game must stop rather than show a menu without text.
TEST(Startup, HalvedMenuFontStopsWithAMessage)
{
    GameRun run = Prepare("halfmenufont");
    std::vector<uint8_t> whole = ReadFile(PathIn(run, "Fonts/engeregu.ttf"));
    ASSERT_GT(whole.size(), 1000u);
    whole.resize(whole.size() / 2);
    ASSERT_TRUE(WriteFile(PathIn(run, "Fonts/engeregu.ttf"), whole));
    MoveMouse(620, 20);
    ASSERT_TRUE(Launch(run));
    // A key before the intro, or on its first slide, cuts it short.
    ASSERT_TRUE(KeyBeforeTheIntro());
    std::string text;
    ASSERT_TRUE(WaitFor([&] { return !(text = MessageBox(run)).empty() || MenuShown(); }, INTRO_MS, 30));
    EXPECT_FALSE(MenuShown()) << "a menu came up with the damaged font";
    EXPECT_EQ(text, "Cannot load the font");
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
    EXPECT_TRUE(FileExists(SavePath(run)));
    DismissMessageBox(run);
    ASSERT_TRUE(WaitExit(run, EXIT_MS));
    EXPECT_EQ(run.exitCode, 1);
}
