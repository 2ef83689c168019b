#include "harness.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/XKBlib.h>
#include <X11/keysym.h>
#include <X11/extensions/XTest.h>
#include <png.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <grp.h>
#include <poll.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

#include "scratch.h"

namespace harness {

static const char XVFB[] = "/usr/bin/Xvfb";
static const int DISPLAY_START_MS = 10000;

// What the harness itself puts into a run's directory, beside the data.
static const char RUN_HOME[] = ".home";
static const char RUN_CONFIG_UNDER_HOME[] = "/.config";   // the player's XDG_CONFIG_HOME
static const char RUN_SOUND[] = ".sound.raw";
static const char RUN_LOG[] = ".game.log";
static const char RUN_DATA_HOME[] = ".xdg";        // the player's XDG_DATA_HOME
static const char SAVE_SUBDIR[] = "paperlune";
static const char SAVE_NAME[] = "gmstat.dat";
static const char SAVE_LOCK_NAME[] = "gmstat.dat.lock";   // the game's own, kept for good

static ::Display *x = nullptr;
static pid_t xvfbPid = -1;
static std::string displayName;
static int displayW = SHOT_W, displayH = SHOT_H;   // the X server's screen
static View view = {1, 0, 0};
static bool stopAtExit = false;

static void KillStrays();

static void StopDisplay()
{
    KillStrays();
    if (x) {
        XCloseDisplay(x);
        x = nullptr;
    }
    if (xvfbPid > 0) {
        kill(xvfbPid, SIGTERM);
        waitpid(xvfbPid, nullptr, 0);
        xvfbPid = -1;
    }
}

void Sleep(int ms)
{
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

bool WaitFor(const std::function<bool()> &condition, int timeoutMs, int pollMs)
{
    auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        if (condition())
            return true;
        if (std::chrono::steady_clock::now() >= end)
            return false;
        Sleep(pollMs);
    }
}

bool StartDisplay()
{
    if (x)
        return true;
    std::string screenSize = std::to_string(displayW) + "x" + std::to_string(displayH) + "x24";
    // The server takes the first free display itself and says which: two
    // test programs starting at once must never share one.
    int fds[2];
    if (pipe(fds) != 0)
        return false;
    pid_t pid = fork();
    if (pid == 0) {
        close(fds[0]);
        int devnull = open("/dev/null", O_WRONLY);
        dup2(devnull, 1);
        dup2(devnull, 2);
        std::string fd = std::to_string(fds[1]);
        // No repeat of its own: a server held up under load past the repeat
        // delay between a key's press and its release would type it twice.
        execl(XVFB, XVFB, "-displayfd", fd.c_str(), "-screen", "0", screenSize.c_str(), "-nolisten", "tcp",
              "-noreset", "-r", (char *)nullptr);
        _exit(127);
    }
    close(fds[1]);
    std::string number;
    char c;
    auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(DISPLAY_START_MS);
    pollfd p = {fds[0], POLLIN, 0};
    while (std::chrono::steady_clock::now() < end && poll(&p, 1, 50) >= 0) {
        if (!(p.revents & (POLLIN | POLLHUP)))
            continue;
        if (read(fds[0], &c, 1) != 1 || c == '\n')
            break;
        number += c;
    }
    close(fds[0]);
    std::string name = ":" + number;
    if (!number.empty())
        WaitFor([&] {
            x = XOpenDisplay(name.c_str());
            return x != nullptr || waitpid(pid, nullptr, WNOHANG) == pid;
        }, DISPLAY_START_MS, 50);
    if (!x) {
        kill(pid, SIGTERM);
        waitpid(pid, nullptr, 0);
        return false;
    }
    xvfbPid = pid;
    displayName = name;
    setenv("DISPLAY", name.c_str(), 1);
    if (!stopAtExit)
        stopAtExit = atexit(StopDisplay) == 0;
    return true;
}

bool AttachDisplay(const std::string &name, int w, int h)
{
    StopDisplay();
    x = XOpenDisplay(name.c_str());
    if (!x)
        return false;
    displayName = name;
    displayW = w;
    displayH = h;
    view = {1, 0, 0};
    setenv("DISPLAY", name.c_str(), 1);
    return true;
}

bool UseDisplay(int w, int h)
{
    view = {1, 0, 0};
    if (x && w == displayW && h == displayH)
        return true;
    StopDisplay();
    displayW = w;
    displayH = h;
    return StartDisplay();
}

void KillDisplayServer()
{
    if (x) {
        // Xlib ends a program whose connection it finds dead: this one's is
        // dropped unread, before the server goes.
        close(ConnectionNumber(x));
        x = nullptr;
    }
    if (xvfbPid > 0) {
        kill(xvfbPid, SIGTERM);
        waitpid(xvfbPid, nullptr, 0);
        xvfbPid = -1;
    }
}

void SetView(const View &v)
{
    view = v;
}

View CurrentView()
{
    return view;
}

static bool Shell(const std::string &command)
{
    return system(command.c_str()) == 0;
}

static std::string Quote(const std::string &s)
{
    std::string q = "'";
    for (char c : s) {
        if (c == '\'')
            q += "'\\''";
        else
            q += c;
    }
    return q + "'";
}

GameRun Prepare(const char *name)
{
    GameRun run;
    std::string pattern = std::string("/tmp/paperlune-") + name + "-XXXXXX";
    std::vector<char> buf(pattern.begin(), pattern.end());
    buf.push_back(0);
    if (!mkdtemp(buf.data()))
        return run;
    run.dir = buf.data();
    Shell("cp -r " + Quote(PAPERLUNE_DATA_DIR) + "/. " + Quote(run.dir));
    // A progress file from an earlier build of data/ must not leak in.
    unlink(PathIn(run, SAVE_NAME).c_str());
    run.home = PathIn(run, RUN_HOME);
    mkdir(run.home.c_str(), 0755);
    run.dataHome = PathIn(run, RUN_DATA_HOME);
    run.soundFile = PathIn(run, RUN_SOUND);
    // ALSA's default device becomes a raw file; the plug pins its format.
    std::string asoundrc =
        "pcm.!default {\n"
        "  type plug\n"
        "  slave { pcm \"capture\" format S16_LE rate 44100 channels 2 }\n"
        "}\n"
        "pcm.capture {\n"
        "  type file\n"
        "  slave.pcm \"null\"\n"
        "  file \"" + run.soundFile + "\"\n"
        "  format \"raw\"\n"
        "}\n";
    FILE *f = fopen((run.home + "/.asoundrc").c_str(), "w");
    if (f) {
        fputs(asoundrc.c_str(), f);
        fclose(f);
    }
    return run;
}

static std::vector<pid_t> launched;

// A test that failed half-way leaves its game running; the next one must not
// share the screen with it.
static void KillStrays()
{
    for (pid_t pid : launched) {
        if (waitpid(pid, nullptr, WNOHANG) == 0) {
            kill(pid, SIGKILL);
            waitpid(pid, nullptr, 0);
        }
    }
    launched.clear();
}

bool Launch(GameRun &run)
{
    return LaunchProgram(run, PAPERLUNE_GAME, nullptr);
}

static bool Start(GameRun &run, const char *program, const char *argument, bool alone)
{
    if (!StartDisplay() || run.dir.empty())
        return false;
    if (alone)
        KillStrays();
    // Another user needs the run's files for its own: ALSA writes the sound there.
    if (run.user >= 0 && !Shell("chown -R " + std::to_string(run.user) + ":" + std::to_string(run.user) + " " +
                                Quote(run.dir)))
        return false;
    run.pid = fork();
    if (run.pid == 0) {
        if (chdir(run.dir.c_str()) != 0)
            _exit(126);
        setenv("HOME", run.home.c_str(), 1);
        setenv("XDG_DATA_HOME", run.dataHome.c_str(), 1);
        setenv("XDG_CONFIG_HOME", (run.home + RUN_CONFIG_UNDER_HOME).c_str(), 1);
        setenv("DISPLAY", displayName.c_str(), 1);
        std::string log = PathIn(run, RUN_LOG);
        int out = open(log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        dup2(out, 1);
        dup2(out, 2);
        if (run.user >= 0 && (setgroups(0, nullptr) != 0 || setgid(run.user) != 0 || setuid(run.user) != 0))
            _exit(125);
        execl(program, program, argument, (char *)nullptr);
        _exit(127);
    }
    launched.push_back(run.pid);
    return run.pid > 0;
}

bool LaunchProgram(GameRun &run, const char *program, const char *argument)
{
    return Start(run, program, argument, true);
}

bool LaunchAlongside(GameRun &run)
{
    return Start(run, PAPERLUNE_GAME, nullptr, false);
}

static bool Reap(GameRun &run, int options)
{
    if (run.ended)
        return true;
    int status;
    pid_t r = waitpid(run.pid, &status, options);
    if (r != run.pid)
        return false;
    run.ended = true;
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    return true;
}

bool Alive(GameRun &run)
{
    return run.pid > 0 && !Reap(run, WNOHANG);
}

bool WaitExit(GameRun &run, int timeoutMs)
{
    if (run.pid <= 0)
        return false;
    return WaitFor([&] { return Reap(run, WNOHANG); }, timeoutMs);
}

void Kill(GameRun &run)
{
    if (Alive(run)) {
        kill(run.pid, SIGKILL);
        Reap(run, 0);
    }
}

std::string PathIn(const GameRun &run, const std::string &relative)
{
    return run.dir + "/" + relative;
}

std::string SaveDirectory(const GameRun &run)
{
    return run.dataHome + "/" + SAVE_SUBDIR;
}

std::string SavePath(const GameRun &run)
{
    return SaveDirectory(run) + "/" + SAVE_NAME;
}

std::string SettingsFilePath(const GameRun &run)
{
    return run.home + RUN_CONFIG_UNDER_HOME + "/paperlune/settings.conf";
}

std::vector<std::string> StrayFilesBesideSave(const GameRun &run)
{
    std::vector<std::string> strays;
    DIR *dir = opendir(SaveDirectory(run).c_str());
    if (!dir)
        return strays;
    const std::string data = PAPERLUNE_DATA_DIR;
    while (dirent *e = readdir(dir)) {
        std::string name = e->d_name;
        if (name == "." || name == ".." || name == SAVE_NAME || name == SAVE_LOCK_NAME || name == RUN_HOME ||
            name == RUN_SOUND || name == RUN_LOG)
            continue;
        // Prepare's copy of the data; but nothing named after the save is
        // data, wherever it came from.
        if (name.compare(0, strlen(SAVE_NAME), SAVE_NAME) != 0 && FileExists(data + "/" + name))
            continue;
        strays.push_back(name);
    }
    closedir(dir);
    std::sort(strays.begin(), strays.end());
    return strays;
}

bool FileExists(const std::string &path)
{
    struct stat st;
    return stat(path.c_str(), &st) == 0;
}

std::vector<uint8_t> ReadFile(const std::string &path)
{
    std::vector<uint8_t> bytes;
    FILE *f = fopen(path.c_str(), "rb");
    if (!f)
        return bytes;
    uint8_t chunk[65536];
    size_t n;
    while ((n = fread(chunk, 1, sizeof chunk, f)) > 0)
        bytes.insert(bytes.end(), chunk, chunk + n);
    fclose(f);
    return bytes;
}

bool WriteFile(const std::string &path, const std::vector<uint8_t> &bytes)
{
    return WriteBytes(path, bytes);
}

bool WriteSaveBytes(const GameRun &run, const std::vector<uint8_t> &bytes)
{
    std::string path = SavePath(run);
    return Shell("mkdir -p " + Quote(path.substr(0, path.rfind('/')))) && WriteFile(path, bytes);
}

bool WriteSettings(const GameRun &run, const std::string &text)
{
    std::string path = SettingsFilePath(run);
    return Shell("mkdir -p " + Quote(path.substr(0, path.rfind('/')))) &&
           WriteFile(path, std::vector<uint8_t>(text.begin(), text.end()));
}

// Input ------------------------------------------------------------------

// Input and screenshots may come before the first launch.
static ::Display *X()
{
    StartDisplay();
    return x;
}

static void Flush()
{
    XFlush(x);
    XSync(x, False);
}

void KeyDown(unsigned long keysym)
{
    ::Display *d = X();
    XTestFakeKeyEvent(d, XKeysymToKeycode(d, keysym), True, CurrentTime);
    Flush();
}

void KeyUp(unsigned long keysym)
{
    ::Display *d = X();
    XTestFakeKeyEvent(d, XKeysymToKeycode(d, keysym), False, CurrentTime);
    Flush();
}

// The server's own repeat would type the held key again and again.
static void SetKeyRepeat(unsigned long keysym, bool on)
{
    ::Display *d = X();
    XKeyboardControl control;
    control.key = XKeysymToKeycode(d, keysym);
    control.auto_repeat_mode = on ? AutoRepeatModeDefault : AutoRepeatModeOff;
    XChangeKeyboardControl(d, KBKey | KBAutoRepeatMode, &control);
    Flush();
}

void HoldKey(unsigned long keysym)
{
    SetKeyRepeat(keysym, false);
    KeyDown(keysym);
}

void ReleaseKey(unsigned long keysym)
{
    KeyUp(keysym);
    SetKeyRepeat(keysym, true);
}

void PressKey(unsigned long keysym, int holdMs)
{
    KeyDown(keysym);
    Sleep(holdMs);
    KeyUp(keysym);
}

void TypeChar(char c, int holdMs)
{
    KeySym sym = (unsigned char)c;   // Latin-1 keysyms are their codes
    if (c == ' ')
        sym = XK_space;
    KeyCode code = XKeysymToKeycode(X(), sym);
    bool shift = XkbKeycodeToKeysym(x, code, 0, 0) != sym;
    if (shift)
        KeyDown(XK_Shift_L);
    XTestFakeKeyEvent(x, code, True, CurrentTime);
    Flush();
    Sleep(holdMs);
    XTestFakeKeyEvent(x, code, False, CurrentTime);
    Flush();
    if (shift)
        KeyUp(XK_Shift_L);
}

void MoveMouse(int mx, int my)
{
    // Game coordinates: the top-left screen pixel of the game pixel's block,
    // or the one under its centre when smoothed.
    int sx = view.scale ? view.x + mx * view.scale : view.x + (2 * mx + 1) * view.w / (2 * SHOT_W);
    int sy = view.scale ? view.y + my * view.scale : view.y + (2 * my + 1) * view.h / (2 * SHOT_H);
    XTestFakeMotionEvent(X(), -1, sx, sy, CurrentTime);
    Flush();
}

void MoveMouseOnScreen(int sx, int sy)
{
    XTestFakeMotionEvent(X(), -1, sx, sy, CurrentTime);
    Flush();
}

void TypeBurst(const std::string &text)
{
    ::Display *d = X();
    KeyCode shiftCode = XKeysymToKeycode(d, XK_Shift_L);
    for (char c : text) {
        KeySym sym = c == ' ' ? XK_space : KeySym((unsigned char)c);
        KeyCode code = XKeysymToKeycode(d, sym);
        bool shift = XkbKeycodeToKeysym(d, code, 0, 0) != sym;
        if (shift)
            XTestFakeKeyEvent(d, shiftCode, True, CurrentTime);
        XTestFakeKeyEvent(d, code, True, CurrentTime);
        XTestFakeKeyEvent(d, code, False, CurrentTime);
        if (shift)
            XTestFakeKeyEvent(d, shiftCode, False, CurrentTime);
    }
    Flush();
}

void ButtonDown()
{
    XTestFakeButtonEvent(X(), 1, True, CurrentTime);
    Flush();
}

void ButtonUp()
{
    XTestFakeButtonEvent(X(), 1, False, CurrentTime);
    Flush();
}

void Click(int cx, int cy, int holdMs)
{
    MoveMouse(cx, cy);
    Sleep(30);
    ButtonDown();
    Sleep(holdMs);   // the game polls the button state, so hold it a few frames
    ButtonUp();
}

// The screen ---------------------------------------------------------------

static Image Grab(int gx, int gy, int w, int h, int step)
{
    Image image;
    ::Display *d = X();
    XImage *xi = XGetImage(d, DefaultRootWindow(d), gx, gy, w * step, h * step, AllPlanes, ZPixmap);
    if (!xi)
        return image;
    image.w = w;
    image.h = h;
    image.px.resize(size_t(w) * h);
    for (int yy = 0; yy < h; yy++)
        for (int xx = 0; xx < w; xx++)
            image.px[size_t(yy) * w + xx] = XGetPixel(xi, xx * step, yy * step) & 0xFFFFFF;
    XDestroyImage(xi);
    return image;
}

Image Screenshot()
{
    // The game's own picture: one pixel of each block of a scaled screen.
    if (view.scale)
        return Grab(view.x, view.y, SHOT_W, SHOT_H, view.scale);
    // Smoothed: the pixel under each game pixel's centre.
    Image all = Grab(view.x, view.y, view.w, view.h, 1);
    Image image;
    if (all.px.empty())
        return image;
    image.w = SHOT_W;
    image.h = SHOT_H;
    image.px.resize(size_t(SHOT_W) * SHOT_H);
    for (int y = 0; y < SHOT_H; y++)
        for (int x = 0; x < SHOT_W; x++)
            image.px[size_t(y) * SHOT_W + x] = all.at((2 * x + 1) * view.w / (2 * SHOT_W), (2 * y + 1) * view.h / (2 * SHOT_H));
    return image;
}

Image ScreenshotFull()
{
    return Grab(0, 0, displayW, displayH, 1);
}

bool SavePng(const Image &image, const std::string &path)
{
    std::vector<uint8_t> rgb(image.px.size() * 3);
    for (size_t i = 0; i < image.px.size(); i++) {
        rgb[i * 3] = image.px[i] >> 16;
        rgb[i * 3 + 1] = image.px[i] >> 8;
        rgb[i * 3 + 2] = image.px[i];
    }
    png_image png;
    memset(&png, 0, sizeof png);
    png.version = PNG_IMAGE_VERSION;
    png.width = image.w;
    png.height = image.h;
    png.format = PNG_FORMAT_RGB;
    return png_image_write_to_file(&png, path.c_str(), 0, rgb.data(), 0, nullptr) != 0;
}

double Difference(const Image &a, const Image &b, int rx, int ry, int w, int h)
{
    if (a.px.empty() || b.px.empty())
        return 255.0;
    double sum = 0;
    for (int yy = ry; yy < ry + h; yy++)
        for (int xx = rx; xx < rx + w; xx++) {
            uint32_t p = a.at(xx, yy), q = b.at(xx, yy);
            for (int shift = 0; shift <= 16; shift += 8)
                sum += std::abs(int((p >> shift) & 0xFF) - int((q >> shift) & 0xFF));
        }
    return sum / (3.0 * w * h);
}

double ShareOfColour(const Image &image, int rx, int ry, int w, int h, uint32_t colour, int tol)
{
    if (image.px.empty())
        return 0;
    int hits = 0;
    for (int yy = ry; yy < ry + h; yy++)
        for (int xx = rx; xx < rx + w; xx++) {
            uint32_t p = image.at(xx, yy);
            bool near = true;
            for (int shift = 0; shift <= 16; shift += 8)
                near = near && std::abs(int((p >> shift) & 0xFF) - int((colour >> shift) & 0xFF)) <= tol;
            hits += near;
        }
    return double(hits) / (double(w) * h);
}

// The game's windows, by their title.
static void WindowsNamed(::Display *d, Window w, const char *title, std::vector<Window> &found)
{
    char *name = nullptr;
    if (XFetchName(d, w, &name) && name) {
        if (strcmp(name, title) == 0)
            found.push_back(w);
        XFree(name);
    }
    Window root, parent, *children = nullptr;
    unsigned count = 0;
    if (!XQueryTree(d, w, &root, &parent, &children, &count))
        return;
    for (unsigned i = 0; i < count; i++)
        WindowsNamed(d, children[i], title, found);
    if (children)
        XFree(children);
}

static std::vector<Window> GameWindows()
{
    ::Display *d = X();
    XSync(d, False);
    std::vector<Window> found;
    WindowsNamed(d, DefaultRootWindow(d), GAME_TITLE, found);
    return found;
}

bool SendCloseRequest()
{
    ::Display *d = X();
    Atom protocols = XInternAtom(d, "WM_PROTOCOLS", False);
    Atom deleteWindow = XInternAtom(d, "WM_DELETE_WINDOW", False);
    std::vector<Window> windows = GameWindows();
    for (Window w : windows) {
        XEvent e;
        memset(&e, 0, sizeof e);
        e.xclient.type = ClientMessage;
        e.xclient.window = w;
        e.xclient.message_type = protocols;
        e.xclient.format = 32;
        e.xclient.data.l[0] = long(deleteWindow);
        e.xclient.data.l[1] = CurrentTime;
        XSendEvent(d, w, False, NoEventMask, &e);
    }
    Flush();
    return !windows.empty();
}

unsigned long GameWindowId()
{
    ::Display *d = X();
    for (Window w : GameWindows()) {
        XWindowAttributes a;
        if (XGetWindowAttributes(d, w, &a) && a.map_state == IsViewable)
            return w;
    }
    return 0;
}

bool GameWindowHasProperty(const char *name)
{
    ::Display *d = X();
    Window w = GameWindowId();
    if (!w)
        return false;
    Atom type;
    int format;
    unsigned long items = 0, after;
    unsigned char *value = nullptr;
    bool found = XGetWindowProperty(d, w, XInternAtom(d, name, False), 0, 1, False, AnyPropertyType, &type, &format,
                                    &items, &after, &value) == Success &&
                 type != None;
    if (value)
        XFree(value);
    return found;
}

bool GameWindowRect(int *wx, int *wy, int *ww, int *wh)
{
    ::Display *d = X();
    for (Window w : GameWindows()) {
        XWindowAttributes a;
        if (!XGetWindowAttributes(d, w, &a) || a.map_state != IsViewable)
            continue;
        Window child;
        XTranslateCoordinates(d, w, DefaultRootWindow(d), 0, 0, wx, wy, &child);
        *ww = a.width;
        *wh = a.height;
        return true;
    }
    return false;
}

bool ResizeGameWindow(int w, int h)
{
    ::Display *d = X();
    Window window = GameWindowId();
    if (!window)
        return false;
    XResizeWindow(d, window, w, h);
    XSync(d, False);
    return true;
}

// Message boxes: the library runs xmessage with the text as its last argument.

static std::vector<pid_t> ChildrenNamed(pid_t parent, const char *comm)
{
    std::vector<pid_t> found;
    DIR *proc = opendir("/proc");
    if (!proc)
        return found;
    while (dirent *e = readdir(proc)) {
        pid_t pid = atoi(e->d_name);
        if (pid <= 0)
            continue;
        std::string stat;
        std::vector<uint8_t> raw = ReadFile("/proc/" + std::string(e->d_name) + "/stat");
        stat.assign(raw.begin(), raw.end());
        size_t open = stat.find('('), close = stat.rfind(')');
        if (open == std::string::npos || close == std::string::npos)
            continue;
        std::string name = stat.substr(open + 1, close - open - 1);
        int ppid = 0;
        char state;
        if (sscanf(stat.c_str() + close + 1, " %c %d", &state, &ppid) != 2)
            continue;
        if (ppid == parent && name == comm)
            found.push_back(pid);
    }
    closedir(proc);
    return found;
}

std::string MessageBox(const GameRun &run)
{
    for (pid_t pid : ChildrenNamed(run.pid, "xmessage")) {
        std::vector<uint8_t> raw = ReadFile("/proc/" + std::to_string(pid) + "/cmdline");
        std::vector<std::string> args;
        std::string cur;
        for (uint8_t c : raw) {
            if (c == 0) {
                args.push_back(cur);
                cur.clear();
            } else {
                cur += char(c);
            }
        }
        if (!args.empty()) {
            std::string text = args.back();
            while (!text.empty() && (text.back() == '\n' || text.back() == ' '))
                text.pop_back();
            return text;
        }
    }
    return "";
}

void DismissMessageBox(const GameRun &run)
{
    for (pid_t pid : ChildrenNamed(run.pid, "xmessage"))
        kill(pid, SIGTERM);
}

std::string ShotPath(const std::string &name)
{
    std::string dir = PAPERLUNE_SHOT_DIR;
    mkdir(dir.c_str(), 0755);
    return dir + "/" + name + ".png";
}

}  // namespace harness
