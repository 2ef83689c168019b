#include "platform/monitors.h"

#include <algorithm>

static bool Contains(const ScreenRect &r, int x, int y)
{
    return x >= r.x && x < r.x + r.w && y >= r.y && y < r.y + r.h;
}

int ChooseMonitor(const std::vector<Monitor> &monitors, bool pointerKnown, int px, int py)
{
    if (pointerKnown)
        for (size_t i = 0; i < monitors.size(); i++)
            if (Contains(monitors[i].area, px, py))
                return int(i);
    for (size_t i = 0; i < monitors.size(); i++)
        if (monitors[i].primary)
            return int(i);
    return monitors.empty() ? -1 : 0;
}

ScreenRect WindowOnMonitor(const ScreenRect &monitor)
{
    int scale = WindowScale(monitor.w, monitor.h);
    int w = GAME_W * scale, h = GAME_H * scale;
    return {monitor.x + (monitor.w - w) / 2, monitor.y + (monitor.h - h) / 2, w, h};
}

ScreenRect Intersect(const ScreenRect &a, const ScreenRect &b)
{
    int left = std::max(a.x, b.x), top = std::max(a.y, b.y);
    int right = std::min(a.x + a.w, b.x + b.w), bottom = std::min(a.y + a.h, b.y + b.h);
    if (right <= left || bottom <= top)
        return {left, top, 0, 0};
    return {left, top, right - left, bottom - top};
}

DisplayGeometry PictureInWindow(const ScreenRect &window, int drawableW, int drawableH,
                                const std::vector<Monitor> &monitors, int preferred, bool fullScreen, bool fill)
{
    ScreenRect drawable = {window.x, window.y, std::min(window.w, drawableW), std::min(window.h, drawableH)};
    ScreenRect shown = drawable;
    if (fullScreen) {
        long best = 0;
        for (size_t i = 0; i < monitors.size(); i++) {
            ScreenRect part = Intersect(drawable, monitors[i].area);
            long area = long(part.w) * part.h;
            if (area > best || (area == best && area > 0 && int(i) == preferred)) {
                best = area;
                shown = part;
            }
        }
    }
    DisplayGeometry g = PictureGeometry(shown.w, shown.h, fill);
    g.x += shown.x - window.x;
    g.y += shown.y - window.y;
    return g;
}
