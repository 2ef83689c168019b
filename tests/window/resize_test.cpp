// The picture on screens and in windows of every shape: a window the player
// resizes, a portrait monitor, and the picture smoothed to fill 1366 x 768.
#include "harness.h"

#include <allegro.h>
#include <X11/keysym.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <sys/stat.h>

#include "library.h"
#include "platform/geometry.h"

using namespace harness;

namespace {

const int PAGE_MS = 8000;
const int HALL_X = 100, HALL_Y = 320;   // inside the "Hall of Records" band
// Mean channel difference of a smoothed screen from the menu smoothed here:
// the same arithmetic gives 0, a picture a pixel off or unsmoothed does not.
const double FILL_TOLERANCE = 1.0;

// Every pixel of the rectangle black.
bool Black(const Image &screen, int x, int y, int w, int h)
{
    if (w <= 0 || h <= 0)
        return true;
    return ShareOfColour(screen, x, y, w, h, 0x000000, 0) == 1.0;
}

// The settings file the game reads at start-up, in a config home of the run's own.
void WriteSettings(const GameRun &run, const std::string &text)
{
    std::string config = run.home + "/.config";
    mkdir(config.c_str(), 0700);
    mkdir((config + "/paperlune").c_str(), 0700);
    WriteFile(config + "/paperlune/settings.conf", std::vector<uint8_t>(text.begin(), text.end()));
    setenv("XDG_CONFIG_HOME", config.c_str(), 1);
}

class Shapes : public ::testing::Test {
protected:
    void TearDown() override
    {
        unsetenv("XDG_CONFIG_HOME");
        UseDisplay(SHOT_W, SHOT_H);
    }
};

// The menu as a 640 x 480 desktop shows it, the pointer parked.
Image SmallMenu()
{
    EXPECT_TRUE(UseDisplay(SHOT_W, SHOT_H));
    GameRun small = Prepare("shape-small");
    EXPECT_TRUE(LaunchToMenu(small));
    Image reference = Screenshot();
    EXPECT_TRUE(QuitFromMenu(small));
    return reference;
}

// `picture` smoothed to w x h, as the display's rule does it.
Image Smoothed(const Image &picture, int w, int h)
{
    StartLibrary(LIBRARY_TRUE_COLOUR);
    BITMAP *src = create_bitmap(GAME_W, GAME_H);
    BITMAP *dst = create_bitmap(w, h);
    for (int y = 0; y < GAME_H; y++)
        for (int x = 0; x < GAME_W; x++) {
            uint32_t c = picture.at(x, y);
            putpixel(src, x, y, makecol(c >> 16, (c >> 8) & 0xFF, c & 0xFF));
        }
    SmoothArea(src, dst, {0, 0, w, h});
    Image out;
    out.w = w;
    out.h = h;
    out.px.resize(size_t(w) * h);
    for (int y = 0; y < h; y++)
        for (int x = 0; x < w; x++) {
            int c = getpixel(dst, x, y);
            out.px[size_t(y) * w + x] = uint32_t(getr32(c)) << 16 | getg32(c) << 8 | getb32(c);
        }
    destroy_bitmap(dst);
    destroy_bitmap(src);
    return out;
}

// The part of the whole screen at (x, y), w x h.
Image Crop(const Image &screen, int x, int y, int w, int h)
{
    Image out;
    out.w = w;
    out.h = h;
    for (int yy = y; yy < y + h; yy++)
        for (int xx = x; xx < x + w; xx++)
            out.px.push_back(screen.at(xx, yy));
    return out;
}

// A click at the mapped place of "Hall of Records" opens it; Enter leaves.
void HallAnswersAClick()
{
    Click(HALL_X, HALL_Y);
    EXPECT_TRUE(WaitFor(HallShown, PAGE_MS)) << "the click did not land on \"Hall of Records\"";
    PressKey(XK_Return);
    EXPECT_TRUE(WaitFor(MenuShown, PAGE_MS));
}

}  // namespace

TEST_F(Shapes, AResizedWindowShowsTheWholePictureAtTheLargestWholeFactor)
{
    ASSERT_TRUE(UseDisplay(1920, 1080));
    SetView({2, 320, 60});
    GameRun run = Prepare("resized");
    ASSERT_TRUE(LaunchToMenu(run));
    PressKey(XK_F11);
    int wx = 0, wy = 0, ww = 0, wh = 0;
    ASSERT_TRUE(WaitFor([&] { return GameWindowRect(&wx, &wy, &ww, &wh) && ww == 1280 && wh == 960; }, PAGE_MS));

    // Smaller than twice the picture: once, centred, black around it.
    struct Size {
        int w, h, scale;
    };
    for (Size s : {Size{900, 700, 1}, Size{1500, 1000, 2}, Size{700, 1050, 1}}) {
        ASSERT_TRUE(ResizeGameWindow(s.w, s.h));
        ASSERT_TRUE(WaitFor([&] { return GameWindowRect(&wx, &wy, &ww, &wh) && ww == s.w && wh == s.h; }, PAGE_MS));
        int px = wx + (s.w - GAME_W * s.scale) / 2, py = wy + (s.h - GAME_H * s.scale) / 2;
        SetView({s.scale, px, py});
        ASSERT_TRUE(WaitFor(MenuShown, PAGE_MS)) << s.w << "x" << s.h;
        ParkPointer();
        ASSERT_TRUE(WaitStable());
        Image full = ScreenshotFull();
        SavePng(full, ShotPath("window-" + std::to_string(s.w) + "x" + std::to_string(s.h)));
        EXPECT_TRUE(Black(full, wx, wy, px - wx, wh)) << "left border, " << s.w << "x" << s.h;
        EXPECT_TRUE(Black(full, wx, wy, ww, py - wy)) << "top border, " << s.w << "x" << s.h;
        int right = px + GAME_W * s.scale, bottom = py + GAME_H * s.scale;
        EXPECT_TRUE(Black(full, right, wy, wx + ww - right, wh)) << "right border, " << s.w << "x" << s.h;
        EXPECT_TRUE(Black(full, wx, bottom, ww, wy + wh - bottom)) << "bottom border, " << s.w << "x" << s.h;
        HallAnswersAClick();
    }
    EXPECT_TRUE(QuitFromMenu(run));
}

TEST_F(Shapes, APortraitMonitorShowsThePictureOnceCentred)
{
    Image reference = SmallMenu();
    ASSERT_TRUE(UseDisplay(1080, 1920));
    const View portrait = {1, 220, 720};
    SetView(portrait);
    GameRun run = Prepare("portrait");
    ASSERT_TRUE(LaunchToMenu(run));
    ParkPointer();
    ASSERT_TRUE(WaitStable());
    Image full = ScreenshotFull();
    SavePng(full, ShotPath("menu-1080x1920"));
    EXPECT_LT(Difference(Crop(full, portrait.x, portrait.y, GAME_W, GAME_H), reference, 0, 0, GAME_W, GAME_H), 0.1);
    EXPECT_TRUE(Black(full, 0, 0, 1080, portrait.y));
    EXPECT_TRUE(Black(full, 0, portrait.y + GAME_H, 1080, 1920 - portrait.y - GAME_H));
    HallAnswersAClick();
    EXPECT_TRUE(QuitFromMenu(run));
}

// Needs the shell to hand the settings file's `picture` to the display
// (DisplaySetPicture) before it opens; the file is read, the picture not yet.
TEST_F(Shapes, DISABLED_FillShows1366x768As1024x768CentredAndClicksLandOnWhatIsDrawn)
{
    Image reference = SmallMenu();
    ASSERT_TRUE(UseDisplay(1366, 768));
    const View fill = {0, 171, 0, 1024, 768};
    SetView(fill);
    GameRun run = Prepare("fill");
    WriteSettings(run, "picture = fill\n");
    ASSERT_TRUE(LaunchToMenu(run));
    ParkPointer();
    ASSERT_TRUE(WaitStable());
    Image full = ScreenshotFull();
    SavePng(full, ShotPath("menu-fill-1366x768"));
    EXPECT_TRUE(Black(full, 0, 0, fill.x, 768)) << "left border";
    EXPECT_TRUE(Black(full, fill.x + fill.w, 0, 1366 - fill.x - fill.w, 768)) << "right border";
    EXPECT_FALSE(Black(full, fill.x, 0, 1, 768)) << "the picture reaches its first column";
    EXPECT_FALSE(Black(full, fill.x + fill.w - 1, 0, 1, 768)) << "and its last";
    Image want = Smoothed(reference, fill.w, fill.h);
    EXPECT_LT(Difference(Crop(full, fill.x, fill.y, fill.w, fill.h), want, 0, 0, fill.w, fill.h), FILL_TOLERANCE);
    HallAnswersAClick();
    EXPECT_TRUE(QuitFromMenu(run));
}

TEST_F(Shapes, DISABLED_FillOnAPortraitMonitorTakesItsWholeWidth)
{
    ASSERT_TRUE(UseDisplay(1080, 1920));
    const View fill = {0, 0, 555, 1080, 810};
    SetView(fill);
    GameRun run = Prepare("fill-portrait");
    WriteSettings(run, "picture = fill\n");
    ASSERT_TRUE(LaunchToMenu(run));
    ParkPointer();
    ASSERT_TRUE(WaitStable());
    Image full = ScreenshotFull();
    SavePng(full, ShotPath("menu-fill-1080x1920"));
    EXPECT_TRUE(Black(full, 0, 0, 1080, fill.y));
    EXPECT_TRUE(Black(full, 0, fill.y + fill.h, 1080, 1920 - fill.y - fill.h));
    HallAnswersAClick();
    EXPECT_TRUE(QuitFromMenu(run));
}
