// The display: mode setting and F11, presenting and the fade, message boxes.
// Everything here runs on the main thread.
#include "platform/display.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include <unistd.h>

#include "platform/awake.h"
#include "platform/desktop.h"
#include "platform/fatal.h"
#include "platform/icon.h"
#include "platform/input.h"
#include "platform/monitors.h"
#include "platform/session.h"

static const int DISPLAY_COLOR_DEPTH = 32;
static const int DISPLAY_BORDER_COLOR = 0x000000;
// The final copy of a fade names a region larger than the picture; it is cut
// to the target's own size, so a smaller target changes only what it covers.
static const int SHOW_FINAL_W = 800;
static const int SHOW_FINAL_H = 600;
static const char DISPLAY_LOST_ERROR[] = "Cannot set a graphics mode.";
static const int DISPLAY_FIND_WINDOW_MS = 500;
// How often the window's place is looked at even when no event told of a
// change: a window manager that moves a frame need not tell the window.
static const int DISPLAY_LOOK_MS = 250;

static bool displayOpen = false;
static unsigned long gameWindow = 0;
static bool fullScreen = false;
static const char *windowTitle = "";
static std::vector<Monitor> monitors;
static ScreenRect monitor = {0, 0, GAME_W, GAME_H};   // the one the game uses, chosen at start-up
static int chosenMonitor = -1;                          // its index in monitors
// The size of the library's screen in full screen: the monitor's, or what a
// window manager gave that spread the window wider.
static int fullW = GAME_W, fullH = GAME_H;
static ScreenRect windowArea = {0, 0, GAME_W, GAME_H};   // where the window really is
static std::chrono::steady_clock::time_point lastLook;
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

// The picture for the window as it really is: its size, its place, the part
// of it a monitor shows. Drawn anew when that changed, or when `redraw`.
static void Relayout(bool redraw)
{
    bool viewable = false;
    ScreenRect area;
    if (!DesktopWindowArea(gameWindow, &area, &viewable))
        area = {windowArea.x, windowArea.y, SCREEN_W, SCREEN_H};
    windowArea = area;
    lastLook = std::chrono::steady_clock::now();
    DisplayGeometry g = PictureInWindow(area, SCREEN_W, SCREEN_H, monitors, chosenMonitor, fullScreen);
    if (!redraw && g.scale == geometry.scale && g.x == geometry.x && g.y == geometry.y)
        return;
    if (scaledFrame && (g.scale != geometry.scale || redraw)) {
        destroy_bitmap(scaledFrame);
        scaledFrame = nullptr;
    }
    if (g.scale > 1 && !scaledFrame) {
        scaledFrame = create_bitmap(GAME_W * g.scale, GAME_H * g.scale);
        if (!scaledFrame) {
            // Unscaled in the middle beats no picture.
            g.x += GAME_W * (g.scale - 1) / 2;
            g.y += GAME_H * (g.scale - 1) / 2;
            g.scale = 1;
        }
    }
    geometry = g;
    InputSetGeometry(g);
    clear_to_color(screen, DISPLAY_BORDER_COLOR);
    if (lastFrame)
        PutOnScreen(WHOLE_PICTURE);
}

static bool SetMode(bool full)
{
    // A window the size of the monitor, which the desktop then shows full
    // screen: nothing changes mode, the keyboard and the pointer stay the
    // desktop's, and the pointer is followed where it really is.
    if (fullScreen && !full)
        DesktopFullScreen(gameWindow, false, monitor);
    ScreenRect place = full ? ScreenRect{monitor.x, monitor.y, fullW, fullH} : WindowOnMonitor(monitor);
    int scale = WindowScale(monitor.w, monitor.h);
    for (;;) {
        DesktopGuardMapStart(gameWindow, place.w, place.h);
        bool set = set_gfx_mode(GFX_AUTODETECT_WINDOWED, place.w, place.h, 0, 0) == 0;
        DesktopGuardMapStop();
        if (set)
            break;
        if (full || --scale < 1)
            return false;
        place.w = GAME_W * scale;
        place.h = GAME_H * scale;
        place.x = monitor.x + (monitor.w - place.w) / 2;
        place.y = monitor.y + (monitor.h - place.h) / 2;
    }
    fullScreen = full;
    KeepAwakeWhileFullScreen(full);
    set_close_button_callback(InputCloseButton);
    // Without it the library follows the pointer in relative steps from a
    // spot it warps the real pointer to, and after a switch of mode the
    // game's pointer drifts away from the player's. The desktop's own
    // pointer stays hidden over the window all the same.
    enable_hardware_cursor();
    gameWindow = FindGameWindow();
    DescribeGameWindow(gameWindow, windowTitle);
    DesktopFollowWindow(gameWindow);
    // On the chosen monitor; a window manager that does not take the
    // monitor from the request puts a full screen on the one it stands on.
    DesktopMoveWindow(gameWindow, place.x, place.y);
    if (full)
        DesktopFullScreen(gameWindow, true, monitor);
    windowArea = place;
    Relayout(true);
    return true;
}

// The window manager gave the window another size or place than the last
// one: the picture follows.
static void FollowWindow()
{
    bool told = DesktopWindowChanged(gameWindow);
    if (!told && std::chrono::steady_clock::now() - lastLook < std::chrono::milliseconds(DISPLAY_LOOK_MS))
        return;
    Relayout(false);
    // A window manager that knows only the whole screen spreads a full
    // screen over every monitor; the library's screen must cover the chosen
    // one, so it grows to the window once.
    if (fullScreen && (windowArea.w > SCREEN_W || windowArea.h > SCREEN_H) &&
        (windowArea.w != fullW || windowArea.h != fullH)) {
        fullW = std::max(windowArea.w, fullW);
        fullH = std::max(windowArea.h, fullH);
        if (!SetMode(true) && !SetMode(false))
            FatalExit(DISPLAY_LOST_ERROR);
    }
}

// A mode switch asked for with F11, carried out on the main thread, in every
// wait of every loop.
static void ServiceRequests()
{
    if (!displayOpen)
        return;
    if (!TakeScreenSwitchRequest()) {
        FollowWindow();
        return;
    }
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
    // The monitor under the pointer, where the player looks; else the
    // primary one; else the whole screen as one.
    monitors = DesktopMonitors();
    int px = 0, py = 0;
    bool pointer = DesktopPointerOnScreen(&px, &py);
    chosenMonitor = ChooseMonitor(monitors, pointer, px, py);
    monitor = chosenMonitor >= 0 ? monitors[chosenMonitor].area : DesktopScreen();
    int w, h;
    if ((monitor.w <= 0 || monitor.h <= 0) && get_desktop_resolution(&w, &h) == 0 && w > 0 && h > 0)
        monitor = {0, 0, w, h};
    if (monitor.w <= 0 || monitor.h <= 0)
        monitor = {0, 0, GAME_W, GAME_H};
    fullW = monitor.w;
    fullH = monitor.h;
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
    KeepAwakeShut();
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
