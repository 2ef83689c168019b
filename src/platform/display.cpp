// The display: mode setting and F11, presenting and the fade, message boxes.
// Everything here runs on the main thread.
#include "platform/display.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include <unistd.h>

#include "platform/awake.h"
#include "platform/background.h"
#include "platform/desktop.h"
#include "platform/fatal.h"
#include "platform/icon.h"
#include "platform/input.h"
#include "platform/libraryx.h"
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
// The least a player may make the window: whole pixels need the picture's
// own size, a smoothed picture may shrink to half of it.
static const int DISPLAY_MIN_WHOLE_W = GAME_W;
static const int DISPLAY_MIN_WHOLE_H = GAME_H;
static const int DISPLAY_MIN_FILL_W = GAME_W / 2;
static const int DISPLAY_MIN_FILL_H = GAME_H / 2;
// The pace of a fade's steps. The library simulates the retrace under X with
// its timer, whose thread came every 0x8000 of its ticks (27.5 ms), and
// each step waited for it: the fades keep that pace.
static const std::chrono::microseconds SHOW_STEP_TIME(0x8000LL * 1000000 / TIMERS_PER_SECOND);

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
static DisplayGeometry geometry = {1, 0, 0, GAME_W, GAME_H};
static BITMAP *lastFrame = nullptr;    // what the player sees, at game size
static BITMAP *scaledFrame = nullptr;  // lastFrame scaled or smoothed, when not shown 1:1
static bool pictureFill = false;       // smoothed to fill, else whole pixels
static void (*modeListener)(bool fullScreen) = nullptr;
static void (*afterFirstFrame)() = nullptr;
static bool frameShown = false;        // a picture has reached the screen
static bool describeWhenShown = false; // the window's description waits for it

static const DisplayRect WHOLE_PICTURE = {0, 0, GAME_W, GAME_H};

// What the library has drawn goes to the X server now; events that came
// back meanwhile get their round.
static void SendNow()
{
    if (LibraryXFlush())
        BackgroundWake();
}

// A part of what the player sees now (lastFrame) onto the real screen.
static void PutOnScreen(const DisplayRect &r)
{
    const int n = geometry.scale;
    if (n == 1) {
        blit(lastFrame, screen, r.x, r.y, geometry.x + r.x, geometry.y + r.y, r.w, r.h);
    } else if (n == 0) {
        DisplayRect s = SmoothedArea(r, geometry.w, geometry.h);
        SmoothArea(lastFrame, scaledFrame, s);
        blit(scaledFrame, screen, s.x, s.y, geometry.x + s.x, geometry.y + s.y, s.w, s.h);
    } else {
        ScaleArea(lastFrame, scaledFrame, n, r);
        blit(scaledFrame, screen, r.x * n, r.y * n, geometry.x + r.x * n, geometry.y + r.y * n, r.w * n, r.h * n);
    }
    // Now, not at the library's next round: the player sees it at once.
    SendNow();
}

// The game's own window, found by a title no other window has.
static unsigned long FindGameWindow()
{
    std::string marker = std::string(windowTitle) + " " + std::to_string(getpid());
    set_window_title(marker.c_str());
    // The library sends it only when its connection is flushed.
    SendNow();
    unsigned long window = DesktopFindWindow(marker.c_str(), DISPLAY_FIND_WINDOW_MS);
    set_window_title(windowTitle);
    SendNow();
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
    // A window grown by a pixel may leave the picture where it was, but
    // the strip it gained needs its border.
    bool resized = area.w != windowArea.w || area.h != windowArea.h;
    windowArea = area;
    DisplayGeometry g = PictureInWindow(area, SCREEN_W, SCREEN_H, monitors, chosenMonitor, fullScreen, pictureFill);
    if (!redraw && !resized && g.scale == geometry.scale && g.x == geometry.x && g.y == geometry.y &&
        g.w == geometry.w && g.h == geometry.h)
        return;
    if (scaledFrame && (redraw || scaledFrame->w != g.w || scaledFrame->h != g.h)) {
        destroy_bitmap(scaledFrame);
        scaledFrame = nullptr;
    }
    if (g.scale != 1 && !scaledFrame) {
        scaledFrame = create_bitmap(g.w, g.h);
        if (!scaledFrame) {
            // Unscaled in the middle beats no picture.
            g = {1, g.x + (g.w - GAME_W) / 2, g.y + (g.h - GAME_H) / 2, GAME_W, GAME_H};
        }
    }
    geometry = g;
    InputSetGeometry(g);
    // Only what the window shows: the library's screen may be far larger.
    rectfill(screen, 0, 0, std::min(area.w, SCREEN_W) - 1, std::min(area.h, SCREEN_H) - 1, DISPLAY_BORDER_COLOR);
    if (lastFrame)
        PutOnScreen(WHOLE_PICTURE);
}

// The window's least and largest size, for the picture setting; never more
// than the library's screen, which a smaller monitor may have made small.
static void AllowResizing()
{
    int minW = pictureFill ? DISPLAY_MIN_FILL_W : DISPLAY_MIN_WHOLE_W;
    int minH = pictureFill ? DISPLAY_MIN_FILL_H : DISPLAY_MIN_WHOLE_H;
    DesktopLimitWindowSize(gameWindow, std::min(minW, SCREEN_W), std::min(minH, SCREEN_H), SCREEN_W, SCREEN_H);
}

// What the desktop learns of the window (its names, icon and process) and
// the screen saver held off in full screen: some twenty round trips to the
// server, on two connections, that the first picture need not wait for.
static void DescribeWindow()
{
    if (!frameShown) {
        describeWhenShown = true;
        return;
    }
    describeWhenShown = false;
    DescribeGameWindow(gameWindow, windowTitle);
    KeepAwakeWhileFullScreen(fullScreen);
}

static bool SetMode(bool full)
{
    // A window the size of the monitor, which the desktop then shows full
    // screen: nothing changes mode, the keyboard and the pointer stay the
    // desktop's, and the pointer is followed where it really is.
    if (fullScreen && !full)
        DesktopFullScreen(gameWindow, false, monitor);
    ScreenRect place = full ? ScreenRect{monitor.x, monitor.y, fullW, fullH} : WindowOnMonitor(monitor);
    // The library's screen is the monitor's size in a window too: the
    // player may make the window as large, and the picture follows.
    int modeW = fullW, modeH = fullH;
    int scale = WindowScale(monitor.w, monitor.h) + 1;
    for (;;) {
        DesktopGuardMapStart(gameWindow, modeW, modeH);
        bool set = set_gfx_mode(GFX_AUTODETECT_WINDOWED, modeW, modeH, 0, 0) == 0;
        DesktopGuardMapStop();
        if (set)
            break;
        if (full || --scale < 1)
            return false;
        // No room for that: the window alone, smaller at each try.
        place.w = modeW = GAME_W * scale;
        place.h = modeH = GAME_H * scale;
        place.x = monitor.x + (monitor.w - place.w) / 2;
        place.y = monitor.y + (monitor.h - place.h) / 2;
    }
    fullScreen = full;
    set_close_button_callback(InputCloseButton);
    // Without it the library follows the pointer in relative steps from a
    // spot it warps the real pointer to, and after a switch of mode the
    // game's pointer drifts away from the player's. The desktop's own
    // pointer stays hidden over the window all the same.
    enable_hardware_cursor();
    gameWindow = FindGameWindow();
    DescribeWindow();
    DesktopFollowWindow(gameWindow);
    // On the chosen monitor; a window manager that does not take the
    // monitor from the request puts a full screen on the one it stands on.
    if (full) {
        DesktopMoveWindow(gameWindow, place.x, place.y);
        DesktopFullScreen(gameWindow, true, monitor);
    } else {
        AllowResizing();
        DesktopPlaceWindow(gameWindow, place);
    }
    windowArea = place;
    Relayout(true);
    // Setting the mode waited for the server's answers, and took the events
    // that came meanwhile into the library's queue, where no wake tells of
    // them.
    BackgroundWake();
    return true;
}

// The window manager gave the window another size or place than the last
// one: the picture follows.
static void FollowWindow()
{
    // The window and the frames around it tell of every move.
    if (!DesktopWindowChanged(gameWindow))
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
    if (modeListener)
        modeListener(fullScreen);
    // A new mode puts the library's pointer in its middle; the player's
    // pointer has not moved.
    int px, py;
    if (DesktopPointer(gameWindow, &px, &py))
        position_mouse(std::clamp(px, 0, SCREEN_W - 1), std::clamp(py, 0, SCREEN_H - 1));
    PutOnScreen(WHOLE_PICTURE);
}

bool DisplayOpen(const char *title, bool full)
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
    if (!SetMode(full) && !SetMode(!full))
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

void DisplayAfterFirstFrame(void (*work)())
{
    afterFirstFrame = work;
}

void DisplaySetModeListener(void (*listener)(bool fullScreen))
{
    modeListener = listener;
}

bool DisplayFullScreen()
{
    return fullScreen;
}

void DisplaySetPicture(bool fill)
{
    if (fill == pictureFill)
        return;
    pictureFill = fill;
    if (!displayOpen)
        return;
    if (!fullScreen)
        AllowResizing();
    Relayout(true);
}

bool WindowHasFocus()
{
    return DesktopWindowFocused();
}

unsigned WindowFocusLosses()
{
    return DesktopFocusLosses();
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
    frameShown = describeWhenShown = false;
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
    if (changed.w > 0 && !frameShown) {
        frameShown = true;
        if (describeWhenShown)
            DescribeWindow();
    }
    if (changed.w > 0 && afterFirstFrame) {
        void (*work)() = afterFirstFrame;
        afterFirstFrame = nullptr;
        work();
    }
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
    // A step of weight 0 changes nothing on the screen, nor anything the
    // next step makes: it would change only the top byte of each pixel,
    // which no blend reads. It is left out, and the first step that shows
    // comes at once.
    auto due = std::chrono::steady_clock::now();
    for (int step = 0; step < SHOW_STEPS; step++) {
        if (ShowWeight(step) == 0)
            continue;
        ShowBlendStep(work, target, ShowWeight(step));
        std::this_thread::sleep_until(due);
        DisplayPresent(work);
        due += SHOW_STEP_TIME;
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
        BackgroundWake();
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
