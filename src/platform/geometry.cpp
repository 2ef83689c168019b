#include "platform/geometry.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

// Room a window leaves on the desktop for its frame, a title bar and a panel.
static const int DISPLAY_WINDOW_MARGIN_W = 16;
static const int DISPLAY_WINDOW_MARGIN_H = 96;
static const int SHOW_WEIGHT_STEP = 8;

DisplayGeometry FullScreenGeometry(int screenW, int screenH)
{
    int scale = std::min(screenW / GAME_W, screenH / GAME_H);
    if (scale < 1)
        scale = 1;
    DisplayGeometry g;
    g.scale = scale;
    g.x = (screenW - GAME_W * scale) / 2;
    g.y = (screenH - GAME_H * scale) / 2;
    return g;
}

int WindowScale(int desktopW, int desktopH)
{
    int scale = std::min((desktopW - DISPLAY_WINDOW_MARGIN_W) / GAME_W,
                         (desktopH - DISPLAY_WINDOW_MARGIN_H) / GAME_H);
    return scale < 1 ? 1 : scale;
}

static int ToGame(int s, int origin, int scale, int size)
{
    int offset = s - origin;
    if (offset < 0)
        return 0;
    int g = offset / scale;
    return g >= size ? size - 1 : g;
}

void ScreenToGame(const DisplayGeometry &g, int sx, int sy, int *gx, int *gy)
{
    *gx = ToGame(sx, g.x, g.scale, GAME_W);
    *gy = ToGame(sy, g.y, g.scale, GAME_H);
}

DisplayRect ChangedArea(BITMAP *was, BITMAP *now)
{
    const int w = std::min(was->w, now->w), h = std::min(was->h, now->h);
    const size_t rowBytes = sizeof(uint32_t) * w;
    int top = -1, bottom = -1, left = w, right = -1;
    for (int y = 0; y < h; y++) {
        const uint32_t *a = reinterpret_cast<const uint32_t *>(was->line[y]);
        const uint32_t *b = reinterpret_cast<const uint32_t *>(now->line[y]);
        if (memcmp(a, b, rowBytes) == 0)
            continue;
        if (top < 0)
            top = y;
        bottom = y;
        int l = 0;
        while (a[l] == b[l])
            l++;
        int r = w - 1;
        while (a[r] == b[r])
            r--;
        left = std::min(left, l);
        right = std::max(right, r);
    }
    if (top < 0)
        return {0, 0, 0, 0};
    return {left, top, right - left + 1, bottom - top + 1};
}

void ScaleArea(BITMAP *src, BITMAP *dst, int scale, const DisplayRect &area)
{
    const size_t rowBytes = sizeof(uint32_t) * area.w * scale;
    for (int y = area.y; y < area.y + area.h; y++) {
        const uint32_t *in = reinterpret_cast<const uint32_t *>(src->line[y]) + area.x;
        uint32_t *first = reinterpret_cast<uint32_t *>(dst->line[y * scale]) + area.x * scale;
        uint32_t *out = first;
        for (int x = 0; x < area.w; x++)
            for (int k = 0; k < scale; k++)
                *out++ = in[x];
        for (int k = 1; k < scale; k++)
            memcpy(reinterpret_cast<uint32_t *>(dst->line[y * scale + k]) + area.x * scale, first, rowBytes);
    }
}

void ScaleFrame(BITMAP *src, BITMAP *dst, int scale)
{
    ScaleArea(src, dst, scale, {0, 0, src->w, src->h});
}

int ShowWeight(int step)
{
    return step * SHOW_WEIGHT_STEP;
}

void ShowBlendStep(BITMAP *work, BITMAP *target, int weight)
{
    set_trans_blender(0, 0, 0, weight);
    draw_trans_sprite(work, target, 0, 0);
}
