// The display: mode setting, scaling, presenting, the fade, the pointer, the
// keyboard queue and the sleep of every loop.
//
// Threads: Allegro calls the input callbacks below on its own background
// thread, and the clock's tick wakes the display from the timer thread. They
// only push keys into a lock-free queue, set atomic flags and write to an
// eventfd under a short lock; everything that touches the screen happens on
// the main thread, in DisplayPresent, DisplayFade, DisplayWait and
// DisplayRest.
#include "platform/display.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstring>
#include <string>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <thread>

#include <X11/keysym.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include "platform/desktop.h"
#include "shell/globals.h"

// Room a window leaves on the desktop for its frame, a title bar and a panel.
static const int DISPLAY_WINDOW_MARGIN_W = 16;
static const int DISPLAY_WINDOW_MARGIN_H = 96;
static const int DISPLAY_COLOR_DEPTH = 32;
static const int DISPLAY_BORDER_COLOR = 0x000000;
// The final copy of a fade names a region larger than the picture; it is cut
// to the target's own size, so a smaller target changes only what it covers.
static const int SHOW_FINAL_W = 800;
static const int SHOW_FINAL_H = 600;
static const int KEY_RELEASED_BIT = 0x80;
static const int KEY_CHARACTER_MAX = 0xFF;
static const int KEY_NO_CHARACTER = '^';   // what Allegro's readkey gives for a wider character
static const char DISPLAY_LOST_ERROR[] = "Cannot set a graphics mode.";
static const int DISPLAY_FIND_WINDOW_MS = 500;

// Holds far more keys than anyone types between two frames; the library's own
// buffer holds 64, which a fast typist or a paste overruns.
static const unsigned KEY_QUEUE_SIZE = 4096;

static bool displayOpen = false;
static unsigned long gameWindow = 0;
static bool fullScreen = false;
static const char *windowTitle = "";
static int desktopW = GAME_W, desktopH = GAME_H;
static DisplayGeometry geometry = {1, 0, 0};
static BITMAP *lastFrame = nullptr;    // what the player sees, at game size
static BITMAP *scaledFrame = nullptr;  // lastFrame scaled, when the scale is above 1
static std::chrono::steady_clock::time_point lastPresent;

static std::atomic<int> wakeFd{-1};
// Held by a wake from its look at wakeFd until its write is done, and by the
// close: the clock still ticks while the display shuts, and a tick's write
// must never reach a closed descriptor or the file that next takes its number.
static std::mutex wakeLock;
static std::atomic<bool> clickLatched{false};
static std::atomic<bool> toggleWanted{false};
static std::atomic<bool> closeWanted{false};
static std::atomic<bool> f11Down{false};
static int keyQueue[KEY_QUEUE_SIZE];
static std::atomic<unsigned> keyWrite{0};   // advanced by the input thread only
static std::atomic<unsigned> keyRead{0};    // advanced by the main thread only

// Pure rules -------------------------------------------------------------------

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

// Input callbacks, on the library's input thread --------------------------------

void DisplayWake()
{
    std::lock_guard<std::mutex> hold(wakeLock);
    int fd = wakeFd;
    if (fd < 0)
        return;
    uint64_t one = 1;
    // A full counter still wakes the sleeper; nothing to do on failure.
    ssize_t written = write(fd, &one, sizeof one);
    (void)written;
}

static int OnKeyTyped(int character, int *scancode)
{
    // F11 belongs to the display: never typed, never a page turn.
    if (*scancode == KEY_F11) {
        *scancode = 0;
        return 0;
    }
    unsigned write = keyWrite.load(std::memory_order_relaxed);
    if (write - keyRead.load(std::memory_order_acquire) < KEY_QUEUE_SIZE) {
        int low = character <= KEY_CHARACTER_MAX ? character : KEY_NO_CHARACTER;
        keyQueue[write % KEY_QUEUE_SIZE] = (*scancode << KEY_SCANCODE_SHIFT) | low;
        keyWrite.store(write + 1, std::memory_order_release);
    }
    // The library tells of the key's event before it hands the key over; the
    // loop is woken again now that the key is there to read.
    DisplayWake();
    // Kept out of the library's own buffer: this queue is the only one.
    *scancode = 0;
    return 0;
}

static void OnKeyEvent(int scancode)
{
    bool released = (scancode & KEY_RELEASED_BIT) != 0;
    if ((scancode & ~KEY_RELEASED_BIT) == KEY_F11) {
        // A held F11 repeats its press; it switches once per press.
        if (!released && !f11Down.exchange(true))
            toggleWanted = true;
        if (released)
            f11Down = false;
    }
    DisplayWake();
}

static void OnPointerEvent(int flags)
{
    if (flags & MOUSE_FLAG_LEFT_DOWN)
        clickLatched = true;
    DisplayWake();
}

static void OnCloseButton()
{
    closeWanted = true;
    DisplayWake();
}

// Modes and presenting -----------------------------------------------------------

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
    fullScreen = full;
    clear_to_color(screen, DISPLAY_BORDER_COLOR);
    set_close_button_callback(OnCloseButton);
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

// A mode switch asked for with F11, carried out on the main thread.
static void ServiceRequests()
{
    // A release that went to another window (the window changed size under
    // the pointer) would leave F11 down for good.
    if (displayOpen && f11Down && !DesktopKeyDown(XK_F11))
        f11Down = false;
    if (!displayOpen || !toggleWanted.exchange(false))
        return;
    bool want = !fullScreen;
    if (!SetMode(want) && !SetMode(!want))
        FatalError(DISPLAY_LOST_ERROR);
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

    wakeFd = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    keyboard_ucallback = OnKeyTyped;
    keyboard_lowlevel_callback = OnKeyEvent;
    mouse_callback = OnPointerEvent;
    clear_keybuf();
    displayOpen = true;
    lastPresent = std::chrono::steady_clock::now();
    return true;
}

void DisplayShut()
{
    keyboard_ucallback = nullptr;
    keyboard_lowlevel_callback = nullptr;
    mouse_callback = nullptr;
    if (!displayOpen)
        return;
    displayOpen = false;
    set_close_button_callback(nullptr);
    set_gfx_mode(GFX_TEXT, 0, 0, 0, 0);
    destroy_bitmap(scaledFrame);
    destroy_bitmap(lastFrame);
    scaledFrame = lastFrame = nullptr;
    {
        // Other threads may still wake: they must find no descriptor, never
        // a closed one.
        std::lock_guard<std::mutex> hold(wakeLock);
        int fd = wakeFd.exchange(-1);
        if (fd >= 0)
            close(fd);
    }
    DesktopClose();
    gameWindow = 0;
}

bool DisplayIsFullScreen()
{
    return fullScreen;
}

DisplayGeometry DisplayCurrentGeometry()
{
    return geometry;
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
    lastPresent = std::chrono::steady_clock::now();
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
    if (!displayOpen || !fullScreen) {
        allegro_message("%s", text);
        return;
    }
    // A full screen keeps the keyboard and the pointer to itself; the box
    // could be neither seen nor answered over it.
    set_gfx_mode(GFX_TEXT, 0, 0, 0, 0);
    allegro_message("%s", text);
    if (!SetMode(true) && !SetMode(false))
        FatalError(DISPLAY_LOST_ERROR);
    PutOnScreen(WHOLE_PICTURE);
}

// Input and pacing --------------------------------------------------------------------

bool KeyWaiting()
{
    return keyRead.load(std::memory_order_relaxed) != keyWrite.load(std::memory_order_acquire);
}

int ReadKey()
{
    while (!KeyWaiting())
        DisplayWait(DISPLAY_IDLE_MS);
    unsigned read = keyRead.load(std::memory_order_relaxed);
    int k = keyQueue[read % KEY_QUEUE_SIZE];
    keyRead.store(read + 1, std::memory_order_release);
    return k;
}

void ClearKeys()
{
    keyRead.store(keyWrite.load(std::memory_order_acquire), std::memory_order_release);
}

bool KeyDown(int scancode)
{
    return key[scancode] != 0;
}

void ReleaseKey(int scancode)
{
    key[scancode] = 0;
}

bool KeyHit(int scancode)
{
    if (KeyDown(scancode))
        return true;
    unsigned end = keyWrite.load(std::memory_order_acquire);
    for (unsigned i = keyRead.load(std::memory_order_relaxed); i != end; i++)
        if ((keyQueue[i % KEY_QUEUE_SIZE] >> KEY_SCANCODE_SHIFT) == scancode)
            return true;
    return false;
}

void PointerPosition(int *x, int *y)
{
    ScreenToGame(geometry, mouse_x, mouse_y, x, y);
}

bool PointerDown()
{
    return (mouse_b & 1) != 0;
}

bool PointerClicked()
{
    bool latched = clickLatched.exchange(false);
    return PointerDown() || latched;
}

void ClearClick()
{
    clickLatched = false;
    mouse_b &= ~1;
}

bool CloseRequested()
{
    return closeWanted;
}

static void Drain(int fd)
{
    uint64_t count;
    while (read(fd, &count, sizeof count) > 0) {
    }
}

// Sleeps until the fd is readable or ms pass.
static void SleepForWake(int ms)
{
    int fd = wakeFd;
    if (fd < 0) {
        std::this_thread::sleep_for(std::chrono::milliseconds(ms));
        return;
    }
    pollfd p = {fd, POLLIN, 0};
    int r;
    do {
        r = poll(&p, 1, ms);
    } while (r < 0 && errno == EINTR);
    if (r > 0)
        Drain(fd);
}

void DisplayWait(int maxMs)
{
    ServiceRequests();
    if (closeWanted)
        return;
    SleepForWake(maxMs);
    ServiceRequests();
    // Input that came sooner than a frame after the last one waits for the
    // frame, so that it is gathered into one picture.
    auto due = lastPresent + std::chrono::milliseconds(DISPLAY_FRAME_MS);
    auto now = std::chrono::steady_clock::now();
    if (now < due)
        std::this_thread::sleep_for(due - now);
}

void DisplayRest(int ms)
{
    auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    for (;;) {
        ServiceRequests();
        if (closeWanted)
            return;
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - std::chrono::steady_clock::now());
        if (left.count() <= 0)
            return;
        SleepForWake(int(left.count()));
    }
}
