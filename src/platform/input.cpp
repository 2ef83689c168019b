#include "platform/input.h"

#include <allegro.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <mutex>
#include <thread>

#include <X11/keysym.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include "platform/desktop.h"
#include "platform/libraryx.h"
#include "platform/timerthread.h"

static const int KEY_RELEASED_BIT = 0x80;
static const int KEY_CHARACTER_MAX = 0xFF;
static const int KEY_NO_CHARACTER = '^';   // what Allegro's readkey gives for a wider character

// Milliseconds of a frame at 60 frames a second, rounded up.
static const int DISPLAY_FRAME_MS = 17;
// While F11 is down the loops look this often whether it was let go in
// another window, where its release does not reach the game.
static const int DISPLAY_F11_LOOK_MS = 250;

// Holds far more keys than anyone types between two frames; the library's own
// buffer holds 64, which a fast typist or a paste overruns.
static const unsigned KEY_QUEUE_SIZE = 4096;

static bool inputOpen = false;
static DisplayGeometry pointerGeometry = {1, 0, 0, GAME_W, GAME_H};
static void (*frameService)() = nullptr;
static void (*muteHandler)() = nullptr;
static bool (*idleWork)() = nullptr;
static std::chrono::steady_clock::time_point lastPresent;

static std::atomic<int> wakeFd{-1};
// Held by a wake from its look at wakeFd until its write is done, and by the
// close: the clock still ticks while the display shuts, and a tick's write
// must never reach a closed descriptor or the file that next takes its number.
static std::mutex wakeLock;
// Never closed, and never drained: once written, every later sleep ends at
// once, as a closing game wants.
static std::atomic<int> outsideFd{-1};
static std::atomic<bool> clickLatched{false};
static std::atomic<bool> switchWanted{false};
static std::atomic<bool> closeWanted{false};
static std::atomic<bool> f11Down{false};
static std::atomic<bool> muteWanted{false};
static std::atomic<bool> f9Down{false};
// Keys down as the keyboard last told, and those held over from before a
// page that wants none of them (set by the main thread, cleared by a
// release or a fresh press).
static std::atomic<bool> keyPhysicallyDown[KEY_MAX];
static std::atomic<bool> keyHeldOver[KEY_MAX];
static int keyQueue[KEY_QUEUE_SIZE];
static std::atomic<unsigned> keyWrite{0};   // advanced by the input thread only
static std::atomic<unsigned> keyRead{0};    // advanced by the main thread only

// Callbacks, on the library's input thread --------------------------------------

// One more on an eventfd's counter; safe in a signal handler.
static void Poke(int fd)
{
    if (fd < 0)
        return;
    uint64_t one = 1;
    // A full counter still wakes the sleeper; nothing to do on failure.
    ssize_t written = write(fd, &one, sizeof one);
    (void)written;
}

void DisplayWake()
{
    std::lock_guard<std::mutex> hold(wakeLock);
    Poke(wakeFd);
}

static int OnKeyTyped(int character, int *scancode)
{
    // F11 belongs to the display and F9 to the sound: never typed, never a
    // page turn, never judged.
    if (*scancode == KEY_F11 || *scancode == KEY_F9) {
        *scancode = 0;
        return 0;
    }
    // A held key's repeats, from a press made before the page began.
    if (*scancode > 0 && *scancode < KEY_MAX && keyHeldOver[*scancode].load()) {
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
    int code = scancode & ~KEY_RELEASED_BIT;
    if (code > 0 && code < KEY_MAX) {
        // A repeat finds the key down already; a fresh press is the
        // player's own again.
        bool wasDown = keyPhysicallyDown[code].exchange(!released);
        if (released || !wasDown)
            keyHeldOver[code] = false;
    }
    // A held key repeats its press; F11 switches and F9 mutes once per press.
    if ((scancode & ~KEY_RELEASED_BIT) == KEY_F11) {
        if (!released && !f11Down.exchange(true))
            switchWanted = true;
        if (released)
            f11Down = false;
    }
    if ((scancode & ~KEY_RELEASED_BIT) == KEY_F9) {
        if (!released && !f9Down.exchange(true))
            muteWanted = true;
        if (released)
            f9Down = false;
    }
    DisplayWake();
}

static void OnPointerEvent(int flags)
{
    if (flags & MOUSE_FLAG_LEFT_DOWN)
        clickLatched = true;
    DisplayWake();
}

void InputCloseButton()
{
    closeWanted = true;
    DisplayWake();
}

void InputPrepareOutsideClose()
{
    if (outsideFd < 0)
        outsideFd = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
}

void CloseFromOutside()
{
    closeWanted = true;
    Poke(outsideFd);
}

// Opening and the display's side ---------------------------------------------------

void InputOpen()
{
    wakeFd = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    keyboard_ucallback = OnKeyTyped;
    keyboard_lowlevel_callback = OnKeyEvent;
    mouse_callback = OnPointerEvent;
    clear_keybuf();
    inputOpen = true;
    lastPresent = std::chrono::steady_clock::now();
}

void InputShut()
{
    keyboard_ucallback = nullptr;
    keyboard_lowlevel_callback = nullptr;
    mouse_callback = nullptr;
    if (!inputOpen)
        return;
    inputOpen = false;
    frameService = nullptr;
    // Other threads may still wake: they must find no descriptor, never a
    // closed one.
    std::lock_guard<std::mutex> hold(wakeLock);
    int fd = wakeFd.exchange(-1);
    if (fd >= 0)
        close(fd);
}

void InputSetGeometry(const DisplayGeometry &geometry)
{
    pointerGeometry = geometry;
}

void InputSetFrameService(void (*service)())
{
    frameService = service;
}

void InputSetIdleWork(bool (*work)())
{
    idleWork = work;
}

void InputFramePresented()
{
    lastPresent = std::chrono::steady_clock::now();
}

void InputSetMuteKeyHandler(void (*handler)())
{
    muteHandler = handler;
}

bool TakeScreenSwitchRequest()
{
    // A release that went to another window (the window changed size under
    // the pointer) would leave F11 down for good.
    if (inputOpen && f11Down && !DesktopKeyDown(XK_F11))
        f11Down = false;
    return inputOpen && switchWanted.exchange(false);
}

// The keyboard ------------------------------------------------------------------------

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

void PassOverHeldKeys()
{
    for (int code = 1; code < KEY_MAX; code++)
        keyHeldOver[code] = keyPhysicallyDown[code].load();
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

bool CapsLockOn()
{
    return DesktopCapsLockOn();
}

// The pointer -----------------------------------------------------------------------

void PointerPosition(int *x, int *y)
{
    ScreenToGame(pointerGeometry, mouse_x, mouse_y, x, y);
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

// Forgets the left button, as a screen does once it has acted on a click.
static void ClearClick()
{
    clickLatched = false;
    mouse_b &= ~1;
}

void ClearState()
{
    ClearKeys();
    ClearClick();
    ReleaseKey(KEY_ENTER);
}

void CatchUpInput()
{
    LibraryXCatchUp();
}

bool CloseRequested()
{
    return closeWanted;
}

// Waiting ---------------------------------------------------------------------------

static void Service()
{
    if (frameService)
        frameService();
    // Lost when nobody listens: a press before the shell is ready mutes nothing.
    if (muteWanted.exchange(false) && muteHandler)
        muteHandler();
}

// One piece of the idle work; false when there was none to do. A piece is
// short, so that input waits at most that long.
static bool IdlePiece()
{
    if (!idleWork)
        return false;
    if (!idleWork())
        idleWork = nullptr;
    return true;
}

static void Drain(int fd)
{
    uint64_t count;
    while (read(fd, &count, sizeof count) > 0) {
    }
}

// Sleeps until a wake, news of the window or the keyboard's lights, or the
// close from outside, or ms pass.
static void SleepForWake(int ms)
{
    // Events already read from the desktop's connection wake nothing.
    if (DesktopEventsWaiting())
        ms = 0;
    int fd = wakeFd;
    int outside = outsideFd;
    // poll passes over a negative descriptor.
    pollfd p[3] = {{fd, POLLIN, 0}, {outside, POLLIN, 0}, {DesktopDescriptor(), POLLIN, 0}};
    int r;
    do {
        r = poll(p, 3, ms);
    } while (r < 0 && errno == EINTR && !closeWanted);
    if (r > 0 && (p[0].revents & POLLIN))
        Drain(fd);
}

// Pointer motion or a clock tick sooner than a frame after the last frame
// waits for that frame, so that a stream of pointer events costs at most 60
// frames a second; a key, a click, F11, F9 or the close never waits.
static void HoldForFrame()
{
    for (;;) {
        if (KeyWaiting() || clickLatched || switchWanted || muteWanted || closeWanted)
            return;
        auto left = lastPresent + std::chrono::milliseconds(DISPLAY_FRAME_MS) - std::chrono::steady_clock::now();
        int ms = int(std::chrono::ceil<std::chrono::milliseconds>(left).count());
        if (ms <= 0)
            return;
        SleepForWake(ms);
        // News of the window read now, or its descriptor wakes every sleep.
        Service();
    }
}

void DisplayWait(int maxMs)
{
    TimerNoticeChanges();
    Service();
    if (closeWanted)
        return;
    if (f11Down && maxMs > DISPLAY_F11_LOOK_MS)
        maxMs = DISPLAY_F11_LOOK_MS;
    // With work to do the loop only looks for input, and comes back.
    SleepForWake(IdlePiece() ? 0 : maxMs);
    Service();
    HoldForFrame();
}

void DisplayRest(int ms)
{
    TimerNoticeChanges();
    auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    for (;;) {
        Service();
        if (closeWanted)
            return;
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - std::chrono::steady_clock::now());
        if (left.count() <= 0)
            return;
        if (!IdlePiece())
            SleepForWake(int(left.count()));
    }
}

bool PressWaiting()
{
    return KeyWaiting() || PointerClicked();
}

void WaitForPress()
{
    while (!PressWaiting() && !CloseRequested())
        DisplayWait(DISPLAY_IDLE_MS);
}
