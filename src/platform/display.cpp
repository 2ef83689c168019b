// The display: mode setting and F11, presenting and the fade, message boxes.
// Everything here runs on the main thread.
#include "platform/display.h"

#include <algorithm>
#include <cstdio>
#include <string>

#include <unistd.h>

#include "platform/desktop.h"
#include "platform/fatal.h"
#include "platform/input.h"
#include "platform/session.h"

static const int DISPLAY_COLOR_DEPTH = 32;
static const int DISPLAY_BORDER_COLOR = 0x000000;
// The final copy of a fade names a region larger than the picture; it is cut
// to the target's own size, so a smaller target changes only what it covers.
static const int SHOW_FINAL_W = 800;
static const int SHOW_FINAL_H = 600;
static const char DISPLAY_LOST_ERROR[] = "Cannot set a graphics mode.";
static const int DISPLAY_FIND_WINDOW_MS = 500;

static bool displayOpen = false;
static unsigned long gameWindow = 0;
static bool fullScreen = false;
static const char *windowTitle = "";
static int desktopW = GAME_W, desktopH = GAME_H;
static DisplayGeometry geometry = {1, 0, 0};
static BITMAP *lastFrame = nullptr;    // what the player sees, at game size
static BITMAP *scaledFrame = nullptr;  // lastFrame scaled, when the scale is above 1

static const DisplayRect WHOLE_PICTURE = {0, 0, GAME_W, GAME_H};

// A part of what the player sees now (lastFrame) onto the real screen.
static void PutOnScreen(const DisplayRect &r)
{
    const int n = geometry.scale;
    if (n == 1) {
        blit(lastFrame, screen, r.x, r.y, geometry.x + r.x, geometry.y + r.y, r.w, r.h);
    } else {
        ScaleArea(lastFrame, scaledFrame, n, r);
        blit(scaledFrame, screen, r.x * n, r.y * n, geometry.x + r.x * n, geometry.y + r.y * n, r.w * n, r.h * n);
    }
}

// The game's own window, found by a title no other window has.
static unsigned long FindGameWindow()
{
    std::string marker = std::string(windowTitle) + " " + std::to_string(getpid());
    set_window_title(marker.c_str());
    unsigned long window = DesktopFindWindow(marker.c_str(), DISPLAY_FIND_WINDOW_MS);
    set_window_title(windowTitle);
    return window;
}

static bool SetMode(bool full)
{
    // A window the size of the desktop, which the desktop then shows full
    // screen: nothing changes mode, the keyboard and the pointer stay the
    // desktop's, and the pointer is followed where it really is.
    if (fullScreen && !full)
        DesktopFullScreen(gameWindow, false);
    int scale = full ? 1 : WindowScale(desktopW, desktopH);
    int w = full ? desktopW : GAME_W * scale;
    int h = full ? desktopH : GAME_H * scale;
    while (set_gfx_mode(GFX_AUTODETECT_WINDOWED, w, h, 0, 0) != 0) {
        if (full || --scale < 1)
            return false;
        w = GAME_W * scale;
        h = GAME_H * scale;
    }
    DisplayGeometry g = FullScreenGeometry(SCREEN_W, SCREEN_H);
    if (scaledFrame) {
        destroy_bitmap(scaledFrame);
        scaledFrame = nullptr;
    }
    if (g.scale > 1) {
        scaledFrame = create_bitmap(GAME_W * g.scale, GAME_H * g.scale);
        if (!scaledFrame) {
            // Unscaled in the middle beats no picture.
            g.scale = 1;
            g.x = (SCREEN_W - GAME_W) / 2;
            g.y = (SCREEN_H - GAME_H) / 2;
        }
    }
    geometry = g;
    InputSetGeometry(g);
    fullScreen = full;
    clear_to_color(screen, DISPLAY_BORDER_COLOR);
    set_close_button_callback(InputCloseButton);
    // Without it the library follows the pointer in relative steps from a
    // spot it warps the real pointer to, and after a switch of mode the
    // game's pointer drifts away from the player's. The desktop's own
    // pointer stays hidden over the window all the same.
    enable_hardware_cursor();
    gameWindow = FindGameWindow();
    if (full)
        DesktopFullScreen(gameWindow, true);
    return true;
}

// A mode switch asked for with F11, carried out on the main thread, in every
// wait of every loop.
static void ServiceRequests()
{
    if (!displayOpen || !TakeScreenSwitchRequest())
        return;
    bool want = !fullScreen;
    if (!SetMode(want) && !SetMode(!want))
        FatalExit(DISPLAY_LOST_ERROR);
    // A new mode puts the library's pointer in its middle; the player's
    // pointer has not moved.
    int px, py;
    if (DesktopPointer(gameWindow, &px, &py))
        position_mouse(std::clamp(px, 0, SCREEN_W - 1), std::clamp(py, 0, SCREEN_H - 1));
    PutOnScreen(WHOLE_PICTURE);
}

bool DisplayOpen(const char *title)
{
    windowTitle = title;
    if (get_desktop_resolution(&desktopW, &desktopH) != 0 || desktopW <= 0 || desktopH <= 0) {
        desktopW = GAME_W;
        desktopH = GAME_H;
    }
    set_color_depth(DISPLAY_COLOR_DEPTH);
    if (!SetMode(true) && !SetMode(false))
        return false;
    lastFrame = create_bitmap(GAME_W, GAME_H);
    if (!lastFrame)
        return false;
    clear_to_color(lastFrame, DISPLAY_BORDER_COLOR);

    InputOpen();
    InputSetFrameService(ServiceRequests);
    displayOpen = true;
    AtFatalExit(DisplayShut);
    return true;
}

void DisplayShut()
{
    InputShut();
    if (!displayOpen)
        return;
    displayOpen = false;
    CancelFatalExit(DisplayShut);
    set_close_button_callback(nullptr);
    set_gfx_mode(GFX_TEXT, 0, 0, 0, 0);
    destroy_bitmap(scaledFrame);
    destroy_bitmap(lastFrame);
    scaledFrame = lastFrame = nullptr;
    DesktopClose();
    gameWindow = 0;
}

void DisplayPresent(BITMAP *frame)
{
    ServiceRequests();
    if (!displayOpen)
        return;
    DisplayRect changed = ChangedArea(lastFrame, frame);
    if (changed.w > 0) {
        blit(frame, lastFrame, changed.x, changed.y, changed.x, changed.y, changed.w, changed.h);
        PutOnScreen(changed);
    }
    InputFramePresented();
}

void DisplayFade(BITMAP *target)
{
    if (!displayOpen)
        return;
    BITMAP *work = create_bitmap(GAME_W, GAME_H);
    if (!work) {
        // No room for the steps: the end state alone.
        blit(target, lastFrame, 0, 0, 0, 0, SHOW_FINAL_W, SHOW_FINAL_H);
        PutOnScreen(WHOLE_PICTURE);
        return;
    }
    blit(lastFrame, work, 0, 0, 0, 0, GAME_W, GAME_H);
    for (int step = 0; step < SHOW_STEPS; step++) {
        ShowBlendStep(work, target, ShowWeight(step));
        vsync();
        DisplayPresent(work);
    }
    // Then the target itself, exactly, over what it covers.
    blit(target, work, 0, 0, 0, 0, SHOW_FINAL_W, SHOW_FINAL_H);
    DisplayPresent(work);
    destroy_bitmap(work);
}

void DisplayMessage(const char *text)
{
    // A session ending from outside has nobody to answer, and no time to wait.
    if (SessionEnding()) {
        fprintf(stderr, "%s: %s\n", windowTitle, text);
        return;
    }
    if (!displayOpen || !fullScreen) {
        allegro_message("%s", text);
        return;
    }
    // A full screen keeps the keyboard and the pointer to itself; the box
    // could be neither seen nor answered over it.
    set_gfx_mode(GFX_TEXT, 0, 0, 0, 0);
    allegro_message("%s", text);
    if (!SetMode(true) && !SetMode(false))
        FatalExit(DISPLAY_LOST_ERROR);
    PutOnScreen(WHOLE_PICTURE);
}
