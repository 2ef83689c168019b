// Which monitor the game takes, where its window goes on it, and where the
// picture stands in a window a window manager sized or placed its own way.
#include <gtest/gtest.h>

#include "platform/monitors.h"

namespace {

const Monitor LEFT = {{0, 0, 1920, 1080}, false};
const Monitor RIGHT = {{1920, 0, 1920, 1080}, false};
const Monitor BELOW = {{0, 1080, 1280, 1024}, false};       // stacked, smaller
const Monitor BESIDE_LEFT = {{-1280, 56, 1280, 1024}, false};   // left of the origin, lower
const Monitor BIG = {{1920, 0, 3840, 2160}, false};

Monitor Primary(Monitor m)
{
    m.primary = true;
    return m;
}

struct Choice {
    const char *what;
    std::vector<Monitor> monitors;
    bool pointerKnown;
    int px, py;
    int chosen;
};

void ExpectGeometry(const DisplayGeometry &g, int scale, int x, int y, const char *what)
{
    EXPECT_EQ(g.scale, scale) << what;
    EXPECT_EQ(g.x, x) << what;
    EXPECT_EQ(g.y, y) << what;
}

}  // namespace

TEST(Monitors, TheOneUnderThePointerElseThePrimaryElseTheFirst)
{
    const Choice choices[] = {
        {"side by side, pointer left", {LEFT, RIGHT}, true, 100, 500, 0},
        {"side by side, pointer right", {LEFT, RIGHT}, true, 2500, 500, 1},
        {"the seam belongs to the right one", {LEFT, RIGHT}, true, 1920, 0, 1},
        {"the last pixel to the left one", {LEFT, RIGHT}, true, 1919, 1079, 0},
        {"stacked, pointer below", {LEFT, BELOW}, true, 100, 1500, 1},
        {"stacked, pointer in the gap beside the smaller one", {LEFT, Primary(BELOW)}, true, 1600, 1500, 1},
        {"negative coordinates", {LEFT, BESIDE_LEFT}, true, -5, 600, 1},
        {"above the lower left monitor, on none", {Primary(LEFT), BESIDE_LEFT}, true, -5, 20, 0},
        {"pointer unknown: the primary", {LEFT, Primary(RIGHT)}, false, 100, 500, 1},
        {"pointer unknown, no primary: the first", {RIGHT, LEFT}, false, 100, 500, 0},
        {"different sizes, pointer on the big one", {LEFT, BIG}, true, 5000, 2000, 1},
        {"one monitor", {LEFT}, true, 5000, 5000, 0},
        {"none found", {}, true, 10, 10, -1},
    };
    for (const Choice &c : choices)
        EXPECT_EQ(ChooseMonitor(c.monitors, c.pointerKnown, c.px, c.py), c.chosen) << c.what;
}

TEST(Monitors, TheWindowIsCentredOnItsMonitorAndSizedByIt)
{
    ScreenRect w = WindowOnMonitor(RIGHT.area);
    EXPECT_EQ(w.w, 1280);
    EXPECT_EQ(w.h, 960);
    EXPECT_EQ(w.x, 1920 + 320);
    EXPECT_EQ(w.y, 60);
    // 1024 lines leave no room for twice the picture and a panel.
    w = WindowOnMonitor(BESIDE_LEFT.area);
    EXPECT_EQ(w.w, 640);
    EXPECT_EQ(w.h, 480);
    EXPECT_EQ(w.x, -1280 + 320);
    EXPECT_EQ(w.y, 56 + 272);
    w = WindowOnMonitor({0, 1080, 3840, 2160});
    EXPECT_EQ(w.w, 2560);
    EXPECT_EQ(w.h, 1920);
    EXPECT_EQ(w.x, 640);
    EXPECT_EQ(w.y, 1080 + 120);
}

TEST(Monitors, ThePictureFollowsTheWindowItReallyHas)
{
    const std::vector<Monitor> two = {LEFT, RIGHT};
    // Full screen as asked: doubled, centred on the monitor.
    ExpectGeometry(PictureInWindow(RIGHT.area, 1920, 1080, two, -1, true), 2, 320, 60, "as asked");
    // Moved 19 lines down: centred on the 1061 lines that still show.
    ExpectGeometry(PictureInWindow({0, 19, 1920, 1080}, 1920, 1080, two, -1, true), 2, 320, 50, "moved down");
    // Moved up and left past the monitor's corner.
    ExpectGeometry(PictureInWindow({1900, -40, 1920, 1080}, 1920, 1080, two, -1, true), 2, 20 + 310, 40 + 40,
                   "past the corner");
    // Asked for the whole screen, shrunk to one monitor: drawn for what it has.
    ExpectGeometry(PictureInWindow(LEFT.area, 3840, 1080, two, -1, true), 2, 320, 60, "shrunk");
    // Moved to the second monitor still twice its width: the part on it.
    ExpectGeometry(PictureInWindow({1920, 0, 3840, 1080}, 3840, 1080, two, -1, true), 2, 320, 60, "moved, too wide");
    // Full screen over both monitors: on the one the game chose.
    ExpectGeometry(PictureInWindow({0, 0, 3840, 1080}, 3840, 1080, two, 1, true), 2, 1920 + 320, 60, "both, right");
    ExpectGeometry(PictureInWindow({0, 0, 3840, 1080}, 3840, 1080, two, 0, true), 2, 320, 60, "both, left");
    // The chosen one only where it shows as much as another.
    ExpectGeometry(PictureInWindow({1900, 0, 1920, 1080}, 1920, 1080, two, 0, true), 2, 20 + 310, 60, "mostly right");
    // Larger than the library's screen: nothing is drawn beyond it.
    ExpectGeometry(PictureInWindow({0, 0, 2000, 1200}, 1920, 1080, two, -1, false), 2, 320, 60, "larger window");
    // A window dragged half off the monitors keeps its picture as it is.
    ExpectGeometry(PictureInWindow({3000, 500, 1280, 960}, 1280, 960, two, -1, false), 2, 0, 0, "window half off");
    // A window the window manager made smaller than asked.
    ExpectGeometry(PictureInWindow({100, 100, 1000, 700}, 1280, 960, two, -1, false), 1, 180, 110, "smaller window");
    // Full screen on no known monitor: the whole window.
    ExpectGeometry(PictureInWindow({0, 0, 1920, 1080}, 1920, 1080, {}, -1, true), 2, 320, 60, "no monitors");
    ExpectGeometry(PictureInWindow({5000, 5000, 1920, 1080}, 1920, 1080, two, -1, true), 2, 320, 60, "off them all");
    // Negative coordinates, the window larger than the monitor it covers.
    ExpectGeometry(PictureInWindow({-1280, 0, 1280, 1200}, 1280, 1200, {BESIDE_LEFT, LEFT}, -1, true), 2, 0, 56 + 32,
                   "negative");
}

TEST(Monitors, IntersectionOfRectangles)
{
    ScreenRect r = Intersect({0, 0, 100, 100}, {50, -20, 100, 100});
    EXPECT_EQ(r.x, 50);
    EXPECT_EQ(r.y, 0);
    EXPECT_EQ(r.w, 50);
    EXPECT_EQ(r.h, 80);
    r = Intersect({0, 0, 100, 100}, {100, 0, 10, 10});
    EXPECT_EQ(r.w * r.h, 0) << "rectangles that only touch share nothing";
}
