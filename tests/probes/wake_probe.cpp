// Shuts the display while another thread is half-way through a wake: it has
// looked at the wake descriptor and not yet written to it, as the clock's
// tick may be when the game ends. Exit 0: the shut waited for the wake.
// Exit 1: the shut closed the descriptor under the wake, whose bytes then
// went into a file opened afterwards. Higher: the probe could not set up.
#include <allegro.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <thread>

#include <sys/eventfd.h>
#include <sys/syscall.h>
#include <unistd.h>

#include "platform/display.h"
#include "platform/input.h"

// Longer than the shut itself takes, so that a shut that does not wait is
// over before the held wake goes on.
static const int HOLD_MS = 3000;
static const int SETUP_MS = 5000;
static const int POLL_MS = 1;
static const int EXIT_CLOSED_UNDER_WAKE = 1;
static const int EXIT_NO_ALLEGRO = 3;
static const int EXIT_NO_DISPLAY = 4;
static const int EXIT_WAKE_NOT_HELD = 5;

static thread_local bool holdNextWrite = false;
static std::atomic<bool> held{false};       // a wake waits just before its write
static std::atomic<int> heldFd{-1};         // the descriptor it is about to write to
static std::atomic<bool> goOn{false};

using Clock = std::chrono::steady_clock;

static bool WaitUntil(const std::atomic<bool> &flag, bool value, int ms)
{
    Clock::time_point end = Clock::now() + std::chrono::milliseconds(ms);
    while (flag != value && Clock::now() < end)
        std::this_thread::sleep_for(std::chrono::milliseconds(POLL_MS));
    return flag == value;
}

// Takes the place of the C library's write for the whole probe; the wake
// thread's first write is held until the main thread lets it go, or HOLD_MS.
extern "C" ssize_t write(int fd, const void *bytes, size_t count)
{
    if (holdNextWrite) {
        holdNextWrite = false;
        heldFd = fd;
        held = true;
        WaitUntil(goOn, true, HOLD_MS);
        held = false;
    }
    return syscall(SYS_write, fd, bytes, count);
}

int main()
{
    if (install_allegro(SYSTEM_AUTODETECT, &errno, atexit) != 0)
        return EXIT_NO_ALLEGRO;
    install_timer();
    install_keyboard();
    if (!DisplayOpen("wake probe"))
        return EXIT_NO_DISPLAY;

    std::thread waker([] {
        holdNextWrite = true;
        DisplayWake();
    });
    if (!WaitUntil(held, true, SETUP_MS)) {
        goOn = true;
        waker.join();
        return EXIT_WAKE_NOT_HELD;
    }
    DisplayShut();
    int result = 0;
    if (held) {
        // The descriptor is gone while the wake still means to write to it;
        // the next file opened takes its number.
        int other = eventfd(0, EFD_NONBLOCK);
        if (other >= 0 && dup2(other, heldFd) == heldFd) {
            goOn = true;
            waker.join();
            uint64_t landed = 0;
            if (read(heldFd, &landed, sizeof landed) == sizeof landed)
                fprintf(stderr, "wake_probe: a wake wrote %llu into a file opened after the display shut\n",
                        (unsigned long long)landed);
        }
        fputs("wake_probe: the display closed its wake descriptor while a wake was about to write to it\n", stderr);
        result = EXIT_CLOSED_UNDER_WAKE;
    }
    goOn = true;
    if (waker.joinable())
        waker.join();
    allegro_exit();
    return result;
}
