// Where the game's picture stands on a real screen, and how frames are
// compared, scaled and faded: the display's pure rules, callable without a
// window.
#ifndef PAPERLUNE_PLATFORM_GEOMETRY_H
#define PAPERLUNE_PLATFORM_GEOMETRY_H

#include <allegro.h>

// The picture every screen composes and every layout value refers to.
const int GAME_W = 640;
const int GAME_H = 480;

// Where the picture stands on the real screen: its top-left corner at
// (x, y), w x h screen pixels. With a whole scale each game pixel is a
// scale x scale block; scale 0 means the picture is smoothed to w x h.
struct DisplayGeometry {
    int scale;
    int x, y;
    int w, h;
};

// The picture in an area of the screen, centred. Whole pixels: the largest
// whole factor that fits (at least 1; an area smaller than the picture cuts
// its edges). Fill: the largest size of the picture's shape that fits,
// smoothed, or whole blocks where that size is a whole multiple.
DisplayGeometry PictureGeometry(int areaW, int areaH, bool fill);
// Whole pixels at the desktop's own size, as full screen shows them.
DisplayGeometry FullScreenGeometry(int screenW, int screenH);
// The largest factor whose window, with room for a title bar and a panel,
// still fits the desktop; at least 1.
int WindowScale(int desktopW, int desktopH);
// A position on the real screen as a game position: the game pixel the
// screen pixel's centre falls in, so a click lands on what is drawn under
// it. One in the border counts as the nearest edge of the picture.
void ScreenToGame(const DisplayGeometry &geometry, int sx, int sy, int *gx, int *gy);

// A rectangle of the picture; w or h 0 when it is empty.
struct DisplayRect {
    int x, y, w, h;
};
// The smallest rectangle holding every pixel in which two 32-bit pictures
// differ, over the area both cover.
DisplayRect ChangedArea(BITMAP *was, BITMAP *now);
// Copies a rectangle of a 32-bit picture into one `scale` times its size at
// the same place scaled, each pixel an exact block (no blending).
void ScaleArea(BITMAP *src, BITMAP *dst, int scale, const DisplayRect &area);
// The whole picture; dst must be at least src's size times scale.
void ScaleFrame(BITMAP *src, BITMAP *dst, int scale);
// The part of a w x h smoothed copy of a GAME_W x GAME_H picture that a
// change of `area` of the picture reaches (each smoothed pixel blends the
// two nearest game pixels each way).
DisplayRect SmoothedArea(const DisplayRect &area, int w, int h);
// Fills `out` (a rectangle of dst, which is w x h) by bilinear smoothing of
// the 32-bit GAME_W x GAME_H picture src.
void SmoothArea(BITMAP *src, BITMAP *dst, const DisplayRect &out);

// The fade of `show`: 32 steps of weights 0, 8, ..., 248, each blending the
// target over the result of the step before.
const int SHOW_STEPS = 32;
int ShowWeight(int step);
void ShowBlendStep(BITMAP *work, BITMAP *target, int weight);

#endif
