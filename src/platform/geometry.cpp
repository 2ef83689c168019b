#include "platform/geometry.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

// Room a window leaves on the desktop for its frame, a title bar and a panel.
static const int DISPLAY_WINDOW_MARGIN_W = 16;
static const int DISPLAY_WINDOW_MARGIN_H = 96;
static const int SHOW_WEIGHT_STEP = 8;

// Fixed-point fractions of the smoothing: 8 bits.
static const int SMOOTH_ONE = 256;
static const int SMOOTH_SHIFT = 8;

DisplayGeometry PictureGeometry(int areaW, int areaH, bool fill)
{
    int w, h;
    if (!fill) {
        w = GAME_W;
        h = GAME_H;
    } else if (long(areaW) * GAME_H <= long(areaH) * GAME_W) {
        w = std::max(1, areaW);
        h = std::max(1, int(long(w) * GAME_H / GAME_W));
    } else {
        h = std::max(1, areaH);
        w = std::max(1, int(long(h) * GAME_W / GAME_H));
    }
    // A whole multiple shows as exact blocks: sharper than any smoothing.
    int scale = 0;
    if (!fill || (w % GAME_W == 0 && h % GAME_H == 0 && w / GAME_W == h / GAME_H)) {
        scale = std::max(1, fill ? w / GAME_W : std::min(areaW / GAME_W, areaH / GAME_H));
        w = GAME_W * scale;
        h = GAME_H * scale;
    }
    return {scale, (areaW - w) / 2, (areaH - h) / 2, w, h};
}

DisplayGeometry FullScreenGeometry(int screenW, int screenH)
{
    return PictureGeometry(screenW, screenH, false);
}

int WindowScale(int desktopW, int desktopH)
{
    int scale = std::min((desktopW - DISPLAY_WINDOW_MARGIN_W) / GAME_W,
                         (desktopH - DISPLAY_WINDOW_MARGIN_H) / GAME_H);
    return scale < 1 ? 1 : scale;
}

// `shown` screen pixels carry `size` game pixels; the one under the centre
// of screen pixel s.
static int ToGame(int s, int origin, int shown, int size)
{
    long offset = long(s) - origin;
    if (offset < 0 || shown <= 0)
        return 0;
    long g = (2 * offset + 1) * size / (2L * shown);
    return g >= size ? size - 1 : int(g);
}

void ScreenToGame(const DisplayGeometry &g, int sx, int sy, int *gx, int *gy)
{
    *gx = ToGame(sx, g.x, g.w, GAME_W);
    *gy = ToGame(sy, g.y, g.h, GAME_H);
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

// Where smoothed pixel i of `shown` samples a picture `size` pixels wide: its
// centre, in SMOOTH_ONE-ths of a game pixel from the first pixel's centre.
static int SamplePoint(int i, int shown, int size)
{
    long s = (2L * i + 1) * size * SMOOTH_ONE / (2L * shown) - SMOOTH_ONE / 2;
    long last = long(size - 1) * SMOOTH_ONE;
    return int(std::clamp(s, 0L, last));
}

// The range of smoothed pixels that sample anything of game pixels
// [first, end): each blends its two neighbours, so a pixel more each side,
// and a pixel of slack for the rounding.
static void ReachedRange(int first, int end, int shown, int size, int *from, int *to)
{
    *from = std::max(0, int(long(first - 1) * shown / size) - 1);
    *to = std::min(shown, int((long(end + 1) * shown + size - 1) / size) + 1);
}

DisplayRect SmoothedArea(const DisplayRect &area, int w, int h)
{
    if (area.w <= 0 || area.h <= 0)
        return {0, 0, 0, 0};
    int x0, x1, y0, y1;
    ReachedRange(area.x, area.x + area.w, w, GAME_W, &x0, &x1);
    ReachedRange(area.y, area.y + area.h, h, GAME_H, &y0, &y1);
    return {x0, y0, x1 - x0, y1 - y0};
}

// a + (b - a) * f / SMOOTH_ONE on each channel, two channels at a time.
static uint32_t Blend(uint32_t a, uint32_t b, uint32_t f)
{
    uint32_t g = SMOOTH_ONE - f;
    uint32_t rb = ((a & 0xFF00FF) * g + (b & 0xFF00FF) * f) >> SMOOTH_SHIFT;
    uint32_t mid = ((a & 0x00FF00) * g + (b & 0x00FF00) * f) >> SMOOTH_SHIFT;
    return (rb & 0xFF00FF) | (mid & 0x00FF00);
}

void SmoothArea(BITMAP *src, BITMAP *dst, const DisplayRect &out)
{
    const int w = dst->w, h = dst->h;
    std::vector<int> column(out.w), weight(out.w);
    for (int i = 0; i < out.w; i++) {
        int s = SamplePoint(out.x + i, w, GAME_W);
        column[i] = s >> SMOOTH_SHIFT;
        weight[i] = s & (SMOOTH_ONE - 1);
    }
    for (int y = out.y; y < out.y + out.h; y++) {
        int s = SamplePoint(y, h, GAME_H);
        int top = s >> SMOOTH_SHIFT, f = s & (SMOOTH_ONE - 1);
        const uint32_t *a = reinterpret_cast<const uint32_t *>(src->line[top]);
        const uint32_t *b = reinterpret_cast<const uint32_t *>(src->line[std::min(top + 1, GAME_H - 1)]);
        uint32_t *o = reinterpret_cast<uint32_t *>(dst->line[y]) + out.x;
        for (int i = 0; i < out.w; i++) {
            int c = column[i], d = std::min(c + 1, GAME_W - 1);
            uint32_t upper = Blend(a[c], a[d], weight[i]);
            uint32_t lower = Blend(b[c], b[d], weight[i]);
            o[i] = Blend(upper, lower, f);
        }
    }
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
