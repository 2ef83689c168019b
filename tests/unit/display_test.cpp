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
    {640, 480, {1, 0, 0, 640, 480}, 1},
    {1024, 768, {1, 192, 144, 640, 480}, 1},
    {1920, 1080, {2, 320, 60, 1280, 960}, 2},
    {2560, 1440, {3, 320, 0, 1920, 1440}, 2},
    {3840, 2160, {4, 640, 120, 2560, 1920}, 4},
    {320, 200, {1, -160, -140, 640, 480}, 1},   // smaller than the picture: centred, edges cut
    {1080, 1920, {1, 220, 720, 640, 480}, 1},   // a portrait monitor
};

}  // namespace

TEST(Display, ScaleAndCentreOnEveryDesktop)
{
    for (const Desktop &d : DESKTOPS) {
        DisplayGeometry g = FullScreenGeometry(d.w, d.h);
        EXPECT_EQ(g.scale, d.full.scale) << d.w << "x" << d.h;
        EXPECT_EQ(g.x, d.full.x) << d.w << "x" << d.h;
        EXPECT_EQ(g.y, d.full.y) << d.w << "x" << d.h;
        EXPECT_EQ(g.w, d.full.w) << d.w << "x" << d.h;
        EXPECT_EQ(g.h, d.full.h) << d.w << "x" << d.h;
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
    ScreenToGame({2, 320, 60, 1280, 960}, -500, 5000, &gx, &gy);
    EXPECT_EQ(gx, 0);
    EXPECT_EQ(gy, GAME_H - 1);
    ScreenToGame({2, 320, 60, 1280, 960}, 320 + 2 * 230 + 1, 60 - 1, &gx, &gy);
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

namespace {

struct Fill {
    int w, h;
    DisplayGeometry want;
};

// Worked out by hand: the largest 4:3 size that fits, centred; a whole
// multiple shows as blocks.
const Fill FILLS[] = {
    {1366, 768, {0, 171, 0, 1024, 768}},
    {1920, 1080, {0, 240, 0, 1440, 1080}},
    {1080, 1920, {0, 0, 555, 1080, 810}},     // portrait
    {3840, 2160, {0, 480, 0, 2880, 2160}},
    {800, 600, {0, 0, 0, 800, 600}},
    {1001, 751, {0, 0, 0, 1001, 750}},        // the shape rounds down, never past the area
    {400, 300, {0, 0, 0, 400, 300}},          // a window smaller than the picture shrinks it
    {1280, 960, {2, 0, 0, 1280, 960}},
    {1280, 1024, {2, 0, 32, 1280, 960}},
    {640, 480, {1, 0, 0, 640, 480}},
};

void ExpectSame(const DisplayGeometry &g, const DisplayGeometry &want, int w, int h)
{
    EXPECT_EQ(g.scale, want.scale) << w << "x" << h;
    EXPECT_EQ(g.x, want.x) << w << "x" << h;
    EXPECT_EQ(g.y, want.y) << w << "x" << h;
    EXPECT_EQ(g.w, want.w) << w << "x" << h;
    EXPECT_EQ(g.h, want.h) << w << "x" << h;
}

}  // namespace

TEST(Display, FillKeepsTheShapeAndWholePixelsStayAsTheyWere)
{
    for (const Fill &f : FILLS) {
        ExpectSame(PictureGeometry(f.w, f.h, true), f.want, f.w, f.h);
        // Whole pixels are the full screen's rule on any area.
        ExpectSame(PictureGeometry(f.w, f.h, false), FullScreenGeometry(f.w, f.h), f.w, f.h);
    }
    ExpectSame(PictureGeometry(1366, 768, false), {1, 363, 144, 640, 480}, 1366, 768);
}

TEST(Display, PointerMapsOntoTheFilledPictureAsDrawn)
{
    for (const Fill &f : FILLS) {
        const DisplayGeometry &g = f.want;
        int gx, gy;
        // Along a row and a column: every game pixel is reached, in order,
        // by as many screen pixels as the size gives it (1 or 2 at 1.6).
        int last = -1, run = 0, longest = 0, shortest = 1 << 20;
        for (int sx = g.x; sx < g.x + g.w; sx++) {
            ScreenToGame(g, sx, g.y, &gx, &gy);
            // Shrunk, a screen pixel may pass over a game pixel.
            int step = g.w >= GAME_W ? 1 : 2;
            ASSERT_TRUE(gx >= last && gx <= last + step) << f.w << "x" << f.h << " at " << sx;
            if (gx != last) {
                if (last >= 0) {
                    longest = std::max(longest, run);
                    shortest = std::min(shortest, run);
                }
                run = 0;
            }
            last = gx;
            run++;
        }
        EXPECT_EQ(last, GAME_W - 1) << f.w << "x" << f.h;
        if (g.w >= GAME_W) {
            EXPECT_EQ(shortest, g.w / GAME_W) << f.w << "x" << f.h;
            EXPECT_EQ(longest, (g.w + GAME_W - 1) / GAME_W) << f.w << "x" << f.h;
        }
        ScreenToGame(g, g.x, g.y + g.h - 1, &gx, &gy);
        EXPECT_EQ(gy, GAME_H - 1) << f.w << "x" << f.h;
        // The border counts as the nearest edge.
        ScreenToGame(g, 0, f.h - 1, &gx, &gy);
        EXPECT_EQ(gx, 0);
        EXPECT_EQ(gy, GAME_H - 1);
    }
    // "Hall of Records" at (100, 320) of the picture, 1024 x 768 beside
    // 171 black columns: its screen pixel is 171 + 100 * 1.6, 320 * 1.6.
    int gx, gy;
    ScreenToGame(FILLS[0].want, 171 + 160, 512, &gx, &gy);
    EXPECT_EQ(gx, 100);
    EXPECT_EQ(gy, 320);
    ScreenToGame(FILLS[0].want, 171 + 159, 511, &gx, &gy);
    EXPECT_EQ(gx, 99);
    EXPECT_EQ(gy, 319);
}

TEST(Display, SmoothingBlendsEdgesAndAPartMatchesTheWhole)
{
    StartLibrary(LIBRARY_TRUE_COLOUR);
    BITMAP *src = create_bitmap(GAME_W, GAME_H);
    ASSERT_NE(src, nullptr);

    // Flat colour stays exactly itself; a hard edge is blended, not copied.
    clear_to_color(src, makecol(40, 80, 120));
    rectfill(src, GAME_W / 2, 0, GAME_W - 1, GAME_H - 1, makecol(240, 240, 240));
    BITMAP *big = create_bitmap(1024, 768);
    ASSERT_NE(big, nullptr);
    SmoothArea(src, big, {0, 0, big->w, big->h});
    EXPECT_EQ(getpixel(big, 10, 10), makecol(40, 80, 120));
    EXPECT_EQ(getpixel(big, 1013, 757), makecol(240, 240, 240));
    int between = 0, previous = 0;
    for (int x = 0; x < big->w; x++) {
        int red = getr32(getpixel(big, x, 300));
        ASSERT_GE(red, previous) << "the edge must only rise, at " << x;
        previous = red;
        between += red > 40 && red < 240;
    }
    EXPECT_GE(between, 1) << "the edge is smoothed";
    EXPECT_LE(between, 2) << "and only where it stands";

    // Pixels changed anywhere, the corners too: smoothing only the area they
    // reach gives what smoothing all of it gives.
    for (int y = 0; y < GAME_H; y++)
        for (int x = 0; x < GAME_W; x++)
            putpixel(src, x, y, makecol((x * 37 + y * 11) & 0xFF, (x * 5 + y * 29) & 0xFF, (x ^ y) & 0xFF));
    BITMAP *was = create_bitmap(GAME_W, GAME_H);
    ASSERT_NE(was, nullptr);
    for (const Fill &f : FILLS) {
        if (f.want.scale != 0)
            continue;
        BITMAP *part = create_bitmap(f.want.w, f.want.h);
        BITMAP *whole = create_bitmap(f.want.w, f.want.h);
        ASSERT_TRUE(part && whole);
        blit(src, was, 0, 0, 0, 0, GAME_W, GAME_H);
        SmoothArea(was, part, {0, 0, part->w, part->h});
        for (DisplayRect change : {DisplayRect{0, 0, 1, 1}, DisplayRect{GAME_W - 1, GAME_H - 1, 1, 1},
                                   DisplayRect{300, 200, 3, 2}, DisplayRect{0, 240, GAME_W, 1}}) {
            rectfill(was, change.x, change.y, change.x + change.w - 1, change.y + change.h - 1, makecol(255, 0, 255));
            SmoothArea(was, part, SmoothedArea(change, part->w, part->h));
        }
        SmoothArea(was, whole, {0, 0, whole->w, whole->h});
        for (int y = 0; y < whole->h; y++)
            for (int x = 0; x < whole->w; x++)
                ASSERT_EQ(getpixel(part, x, y), getpixel(whole, x, y)) << f.w << "x" << f.h << " at " << x << "," << y;
        destroy_bitmap(part);
        destroy_bitmap(whole);
    }
    destroy_bitmap(was);
    destroy_bitmap(big);
    destroy_bitmap(src);
}
