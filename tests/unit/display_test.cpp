// Where the picture stands on desktops of every common size, how the pointer
// maps back into the game, and the scaling that turns one game pixel into a
// block.
#include <allegro.h>
#include <gtest/gtest.h>

#include <algorithm>

#include "library.h"
#include "platform/display.h"

namespace {

struct Desktop {
    int w, h;
    DisplayGeometry full;   // full screen at the desktop's own size
    int window;             // scale of the window where full screen is refused
};

// Worked out by hand: the largest whole factor that fits, the rest split
// evenly as a black border.
const Desktop DESKTOPS[] = {
    {640, 480, {1, 0, 0}, 1},
    {1024, 768, {1, 192, 144}, 1},
    {1920, 1080, {2, 320, 60}, 2},
    {2560, 1440, {3, 320, 0}, 2},
    {3840, 2160, {4, 640, 120}, 4},
    {320, 200, {1, -160, -140}, 1},   // smaller than the picture: centred, edges cut
};

}  // namespace

TEST(Display, ScaleAndCentreOnEveryDesktop)
{
    for (const Desktop &d : DESKTOPS) {
        DisplayGeometry g = FullScreenGeometry(d.w, d.h);
        EXPECT_EQ(g.scale, d.full.scale) << d.w << "x" << d.h;
        EXPECT_EQ(g.x, d.full.x) << d.w << "x" << d.h;
        EXPECT_EQ(g.y, d.full.y) << d.w << "x" << d.h;
        EXPECT_EQ(WindowScale(d.w, d.h), d.window) << d.w << "x" << d.h;
        // A window leaves room for its title bar and a panel.
        if (d.window > 1) {
            EXPECT_LT(GAME_H * d.window, d.h);
            EXPECT_LE(GAME_W * d.window, d.w);
        }
    }
}

TEST(Display, PointerMapsIntoTheGameAndTheBorderToTheNearestEdge)
{
    for (const Desktop &d : DESKTOPS) {
        const DisplayGeometry &g = d.full;
        int gx, gy;
        // Every screen pixel of a game pixel's block is that game pixel.
        for (int k = 0; k < g.scale; k++) {
            ScreenToGame(g, g.x + 100 * g.scale + k, g.y + 50 * g.scale + k, &gx, &gy);
            EXPECT_EQ(gx, 100) << d.w << "x" << d.h;
            EXPECT_EQ(gy, 50) << d.w << "x" << d.h;
        }
        ScreenToGame(g, g.x + GAME_W * g.scale - 1, g.y + GAME_H * g.scale - 1, &gx, &gy);
        EXPECT_EQ(gx, GAME_W - 1);
        EXPECT_EQ(gy, GAME_H - 1);
        // The screen's corners: in a black border they are the picture's
        // corners; where the picture is cut they are what shows there.
        ScreenToGame(g, 0, 0, &gx, &gy);
        EXPECT_EQ(gx, g.x >= 0 ? 0 : -g.x);
        EXPECT_EQ(gy, g.y >= 0 ? 0 : -g.y);
        ScreenToGame(g, d.w - 1, d.h - 1, &gx, &gy);
        EXPECT_EQ(gx, std::min(GAME_W - 1, (d.w - 1 - g.x) / g.scale));
        EXPECT_EQ(gy, std::min(GAME_H - 1, (d.h - 1 - g.y) / g.scale));
    }
    // Far outside the screen (a pointer grabbed past the edge) still lands inside.
    int gx, gy;
    ScreenToGame({2, 320, 60}, -500, 5000, &gx, &gy);
    EXPECT_EQ(gx, 0);
    EXPECT_EQ(gy, GAME_H - 1);
    ScreenToGame({2, 320, 60}, 320 + 2 * 230 + 1, 60 - 1, &gx, &gy);
    EXPECT_EQ(gx, 230);
    EXPECT_EQ(gy, 0);
}

TEST(Display, ScalingMakesEveryPixelAnExactBlock)
{
    StartLibrary(LIBRARY_TRUE_COLOUR);
    const int w = 7, h = 5;
    BITMAP *src = create_bitmap(w, h);
    ASSERT_NE(src, nullptr);
    for (int y = 0; y < h; y++)
        for (int x = 0; x < w; x++)
            putpixel(src, x, y, makecol(x * 30, y * 50, (x * 7 + y * 13) & 0xFF));
    for (int scale : {1, 2, 3, 4}) {
        // One pixel wider and taller than needed: the scaling must stay in its area.
        BITMAP *dst = create_bitmap(w * scale + 1, h * scale + 1);
        ASSERT_NE(dst, nullptr);
        const int untouched = makecol(1, 2, 3);
        clear_to_color(dst, untouched);
        ScaleFrame(src, dst, scale);
        for (int y = 0; y < dst->h; y++)
            for (int x = 0; x < dst->w; x++) {
                int want = (x < w * scale && y < h * scale) ? getpixel(src, x / scale, y / scale) : untouched;
                ASSERT_EQ(getpixel(dst, x, y), want) << "scale " << scale << " at " << x << "," << y;
            }
        destroy_bitmap(dst);
    }
    destroy_bitmap(src);
}

TEST(Display, OnlyWhatChangedIsFoundAndScaled)
{
    StartLibrary(LIBRARY_TRUE_COLOUR);
    const int w = 40, h = 30;
    BITMAP *was = create_bitmap(w, h);
    BITMAP *now = create_bitmap(w, h);
    ASSERT_TRUE(was && now);
    clear_to_color(was, makecol(10, 20, 30));
    clear_to_color(now, makecol(10, 20, 30));
    EXPECT_EQ(ChangedArea(was, now).w, 0) << "equal pictures change nothing";

    putpixel(now, 3, 2, makecol(200, 0, 0));
    putpixel(now, 10, 7, makecol(0, 200, 0));
    DisplayRect r = ChangedArea(was, now);
    EXPECT_EQ(r.x, 3);
    EXPECT_EQ(r.y, 2);
    EXPECT_EQ(r.w, 8);
    EXPECT_EQ(r.h, 6);
    // The far corner: the scan reaches the last column and the last row.
    putpixel(now, w - 1, h - 1, makecol(0, 0, 200));
    r = ChangedArea(was, now);
    EXPECT_EQ(r.x + r.w, w);
    EXPECT_EQ(r.y + r.h, h);

    // Scaling a part writes that part's blocks and nothing else.
    const int scale = 3;
    BITMAP *big = create_bitmap(w * scale, h * scale);
    ASSERT_NE(big, nullptr);
    const int untouched = makecol(1, 2, 3);
    clear_to_color(big, untouched);
    DisplayRect part = {2, 1, 9, 7};
    ScaleArea(now, big, scale, part);
    for (int y = 0; y < big->h; y++)
        for (int x = 0; x < big->w; x++) {
            int gx = x / scale, gy = y / scale;
            bool inside = gx >= part.x && gx < part.x + part.w && gy >= part.y && gy < part.y + part.h;
            ASSERT_EQ(getpixel(big, x, y), inside ? getpixel(now, gx, gy) : untouched) << x << "," << y;
        }
    destroy_bitmap(big);
    destroy_bitmap(now);
    destroy_bitmap(was);
}
