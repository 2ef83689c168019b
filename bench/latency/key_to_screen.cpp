// Key to screen: from a key sent through XTEST to the moment the X server
// has drawn the place where the typed character goes (XDamage), on the
// typewriter page of the first letter. A bare Xlib window of this program's
// own, which draws a character at each KeyPress, runs on a second X server
// of the same kind and size at the same time; the keys go to one and the
// other in turn, so that both meet the same machine. Median, 95th and 99th
// percentile of each, their differences, and the keys that never showed.
//
//   paperlune_keylatency [KEYS] [WIDTHxHEIGHT ...]    (250; 640x480 1920x1080)
#include "../../tests/window/harness.h"

#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/extensions/Xdamage.h>
#include <X11/keysym.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <poll.h>
#include <random>
#include <signal.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include "platform/geometry.h"
#include "story/scene.h"

using namespace harness;
using Clock = std::chrono::steady_clock;

namespace {

const int DEFAULT_KEYS = 250;
const int PAGE_MS = 15000;
const int UNSEEN_MS = 1000;          // a key not drawn by then counts as unseen
const int GAP_MIN_MS = 20;           // pause between keys, varied so that keys
const int GAP_MAX_MS = 80;           // meet every phase of what runs periodically
const int TYPE_X = 35, TYPE_Y = 45, TYPE_PITCH = 15;   // the typing page's text area
// The timer sprites stand right of this; a frame of theirs alone must never
// pass for a key's.
const int SPRITE_LEFT = 380;
const int BARE_CELL_W = 8, BARE_CELL_H = 14;
const int SERVER_START_MS = 10000;
const char XVFB[] = "/usr/bin/Xvfb";


// The bare window ------------------------------------------------------------

// Runs in a process of its own on the second server: a window over the
// whole screen that draws one character at each KeyPress and flushes.
int BareWindow()
{
    Display *d = XOpenDisplay(nullptr);
    if (!d)
        return 1;
    int s = DefaultScreen(d);
    int w = DisplayWidth(d, s), h = DisplayHeight(d, s);
    Window win = XCreateSimpleWindow(d, RootWindow(d, s), 0, 0, w, h, 0, BlackPixel(d, s), WhitePixel(d, s));
    XSelectInput(d, win, KeyPressMask | ExposureMask);
    XMapWindow(d, win);
    GC gc = XCreateGC(d, win, 0, nullptr);
    XSetForeground(d, gc, BlackPixel(d, s));
    int x = BARE_CELL_W, y = 2 * BARE_CELL_H;
    const char glyphs[] = "paperlune";
    int n = 0;
    for (;;) {
        XEvent e;
        XNextEvent(d, &e);
        if (e.type != KeyPress)
            continue;
        XDrawString(d, win, gc, x, y, &glyphs[n++ % (sizeof glyphs - 1)], 1);
        XFlush(d);
        x += BARE_CELL_W;
        if (x > w - 2 * BARE_CELL_W) {
            x = BARE_CELL_W;
            y = y + BARE_CELL_H > h - BARE_CELL_H ? 2 * BARE_CELL_H : y + BARE_CELL_H;
        }
    }
}

// A second Xvfb, as the harness starts its own; its display name, or "".
std::string StartServer(int w, int h, pid_t *pid)
{
    int fds[2];
    if (pipe(fds) != 0)
        return "";
    std::string size = std::to_string(w) + "x" + std::to_string(h) + "x24";
    *pid = fork();
    if (*pid == 0) {
        close(fds[0]);
        freopen("/dev/null", "w", stdout);
        freopen("/dev/null", "w", stderr);
        std::string fd = std::to_string(fds[1]);
        execl(XVFB, XVFB, "-displayfd", fd.c_str(), "-screen", "0", size.c_str(), "-nolisten", "tcp", "-noreset",
              (char *)nullptr);
        _exit(127);
    }
    close(fds[1]);
    std::string number;
    pollfd p = {fds[0], POLLIN, 0};
    char c;
    while (poll(&p, 1, SERVER_START_MS) > 0 && read(fds[0], &c, 1) == 1 && c != '\n')
        number += c;
    close(fds[0]);
    return number.empty() ? "" : ":" + number;
}

// Measuring ----------------------------------------------------------------------

struct Target {
    Display *d = nullptr;
    Window window = 0;
    int damageEvent = 0;
    std::vector<double> ms;
    int unseen = 0;
};

bool Watch(Target &t, Display *d, Window window)
{
    int error;
    t.d = d;
    t.window = window;
    if (!XDamageQueryExtension(d, &t.damageEvent, &error))
        return false;
    XDamageCreate(d, window, XDamageReportRawRectangles);
    XSync(d, False);
    return true;
}

void DropEvents(Target &t)
{
    XSync(t.d, False);
    while (XPending(t.d)) {
        XEvent e;
        XNextEvent(t.d, &e);
    }
}

bool Meets(const XRectangle &a, const XRectangle &b)
{
    return a.x < b.x + b.width && b.x < a.x + a.width && a.y < b.y + b.height && b.y < a.y + a.height;
}

// Presses `keysym` (with Shift where the layout needs it), and waits for a
// damage that meets `cell` (window coordinates; width 0: any).
void TimeKey(Target &t, KeySym keysym, XRectangle cell)
{
    KeyCode code = XKeysymToKeycode(t.d, keysym);
    bool shift = XkbKeycodeToKeysym(t.d, code, 0, 0) != keysym;
    KeyCode shiftCode = XKeysymToKeycode(t.d, XK_Shift_L);
    DropEvents(t);
    if (shift)
        XTestFakeKeyEvent(t.d, shiftCode, True, 0);
    XSync(t.d, False);
    Clock::time_point start = Clock::now();
    XTestFakeKeyEvent(t.d, code, True, 0);
    XFlush(t.d);
    bool seen = false;
    while (!seen) {
        int left = UNSEEN_MS - int(std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count());
        if (left <= 0)
            break;
        if (!XPending(t.d)) {
            pollfd p = {ConnectionNumber(t.d), POLLIN, 0};
            if (poll(&p, 1, left) <= 0)
                continue;
        }
        XEvent e;
        XNextEvent(t.d, &e);
        if (e.type != t.damageEvent + XDamageNotify)
            continue;
        const XDamageNotifyEvent &damage = reinterpret_cast<const XDamageNotifyEvent &>(e);
        seen = cell.width == 0 || Meets(damage.area, cell);
    }
    double ms = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
    if (seen)
        t.ms.push_back(ms);
    else
        t.unseen++;
    XTestFakeKeyEvent(t.d, code, False, 0);
    if (shift)
        XTestFakeKeyEvent(t.d, shiftCode, False, 0);
    XFlush(t.d);
}

double Percentile(std::vector<double> v, double p)
{
    if (v.empty())
        return 0;
    std::sort(v.begin(), v.end());
    size_t i = size_t(p / 100.0 * double(v.size() - 1) + 0.5);
    return v[std::min(i, v.size() - 1)];
}

void Report(const char *name, const Target &t)
{
    printf("  %-22s %8.2f %8.2f %8.2f %8d   (%zu keys)\n", name, Percentile(t.ms, 50), Percentile(t.ms, 95),
           Percentile(t.ms, 99), t.unseen, t.ms.size());
}

// Types the letter from its first line, timing each key whose place lies
// left of the timer sprites, each followed by a key to the bare window.
// The keys measured on each side.
int TypeTimed(const Scene *letter, int first, const DisplayGeometry &g, Target &game, Target &plain, int keys)
{
    std::mt19937 random(26);
    std::uniform_int_distribution<int> gap(GAP_MIN_MS, GAP_MAX_MS);
    int measured = 0;
    for (int line = first; line < SCENE_TEXT_LINES && measured < keys; line++) {
        const char *text = letter->text[line];
        int length = int(strlen(text));
        int x = 0;
        for (int pos = 0; pos + 1 < length && measured < keys; pos++) {
            int advance = TypeAdvance(text[pos]);
            XRectangle cell = {short(g.x + (TYPE_X + x) * g.scale), short(g.y + (TYPE_Y + TYPE_PITCH * line) * g.scale),
                               (unsigned short)(advance * g.scale), (unsigned short)(TYPE_PITCH * g.scale)};
            bool timed = TYPE_X + x + advance < SPRITE_LEFT;
            size_t before = game.ms.size();
            TimeKey(game, (unsigned char)text[pos], cell);
            if (!timed && game.ms.size() > before)
                game.ms.pop_back();
            x += advance;
            if (timed) {
                Sleep(gap(random));
                TimeKey(plain, XK_a, {0, 0, 0, 0});
                measured++;
            }
            Sleep(gap(random));
        }
        // Any key ends the line on its last character.
        int next = line + 1;
        while (next < SCENE_TEXT_LINES && letter->text[next][0] == 0)
            next++;
        if (length > 0) {
            TypeChar(' ');
            if (next < SCENE_TEXT_LINES && !WaitFor([&] { return CursorAt(next, 0); }, PAGE_MS, 5))
                break;
        }
    }
    return measured;
}

// The bare window's own window on its server, or 0 before it is there.
Window BareWindowOn(Display *d)
{
    Window root, parent, *children = nullptr;
    unsigned count = 0;
    XQueryTree(d, DefaultRootWindow(d), &root, &parent, &children, &count);
    Window found = count ? children[count - 1] : 0;
    if (children)
        XFree(children);
    return found;
}

void Table(int w, int h, int scale, const Target &game, const Target &plain)
{
    printf("Key to screen on a %dx%d display (picture x%d), keys interleaved one by one:\n", w, h, scale);
    printf("  %-22s %8s %8s %8s %8s\n", "ms", "median", "95th", "99th", "unseen");
    Report("Paperlune", game);
    Report("bare Xlib window", plain);
    printf("  %-22s %+8.2f %+8.2f %+8.2f\n", "difference", Percentile(game.ms, 50) - Percentile(plain.ms, 50),
           Percentile(game.ms, 95) - Percentile(plain.ms, 95), Percentile(game.ms, 99) - Percentile(plain.ms, 99));
    fflush(stdout);
}

// One display size: the game and the bare window side by side, key by key.
bool Measure(int w, int h, int keys)
{
    if (!UseDisplay(w, h))
        return false;
    DisplayGeometry g = FullScreenGeometry(w, h);
    SetView({g.scale, g.x, g.y});
    pid_t server = -1, bare = -1;
    std::string bareName = StartServer(w, h, &server);
    Display *bareDisplay = bareName.empty() ? nullptr : XOpenDisplay(bareName.c_str());
    if (bareDisplay) {
        bare = fork();
        if (bare == 0) {
            setenv("DISPLAY", bareName.c_str(), 1);
            _exit(BareWindow());
        }
    }
    bool ok = false;
    GameRun run;
    Target game, plain;
    Display *gameDisplay = XOpenDisplay(nullptr);
    const Scene *letter = SceneNamed("Scene04e1");
    int first = 0;
    while (letter && first < SCENE_TEXT_LINES && letter->text[first][0] == 0)
        first++;
    if (bareDisplay && gameDisplay && letter && ContinueFrom(run, "keylatency", SaveAt(141)) &&
        WaitFor([&] { return CursorAt(first, 0); }, PAGE_MS) && WaitStable() &&
        WaitFor([&] { return BareWindowOn(bareDisplay) != 0; }, PAGE_MS) &&
        Watch(game, gameDisplay, GameWindowId()) && Watch(plain, bareDisplay, BareWindowOn(bareDisplay))) {
        ok = TypeTimed(letter, first, g, game, plain, keys) >= keys;
        Table(w, h, g.scale, game, plain);
    } else {
        fprintf(stderr, "paperlune_keylatency: could not reach the typewriter page at %dx%d\n", w, h);
    }
    Kill(run);
    if (gameDisplay)
        XCloseDisplay(gameDisplay);
    if (bareDisplay)
        XCloseDisplay(bareDisplay);
    for (pid_t pid : {bare, server})
        if (pid > 0) {
            kill(pid, SIGTERM);
            waitpid(pid, nullptr, 0);
        }
    return ok;
}

}  // namespace

int main(int argc, char **argv)
{
    if (argc > 1 && strcmp(argv[1], "--bare") == 0)
        return BareWindow();
    int keys = argc > 1 ? atoi(argv[1]) : DEFAULT_KEYS;
    std::vector<std::pair<int, int>> sizes;
    for (int i = 2; i < argc; i++) {
        int w, h;
        if (sscanf(argv[i], "%dx%d", &w, &h) == 2)
            sizes.push_back({w, h});
    }
    if (sizes.empty())
        sizes = {{640, 480}, {1920, 1080}};
    if (keys < 1) {
        fprintf(stderr, "usage: %s [KEYS] [WIDTHxHEIGHT ...]\n", argv[0]);
        return 2;
    }
    bool ok = true;
    for (auto [w, h] : sizes)
        ok = Measure(w, h, keys) && ok;
    return ok ? 0 : 1;
}
