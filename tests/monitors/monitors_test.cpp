// The game on two monitors side by side: full screen on the one under the
// pointer, the picture whole and doubled on it, clicks at their scaled
// places, F11 both ways, and what the window tells taskbars. With no window
// manager and under real ones, all on one X server.
#include <gtest/gtest.h>

#include "harness.h"

// After gtest: Xlib's macros would break its templates.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/keysym.h>

#include <csignal>
#include <fcntl.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace harness;

namespace {

const char XORG[] = "/usr/bin/Xorg";
const int FIRST_DISPLAY = 91;
const int DISPLAY_TRIES = 20;
const int ROOT_W = 3840, ROOT_H = 1080;
const int RIGHT_X = 1920;                 // the second monitor's left edge
const int MON_W = 1920, MON_H = 1080;
const View ON_RIGHT = {2, RIGHT_X + 320, 60};   // the picture doubled, centred on it
const int POINTER_X = 2500, POINTER_Y = 500;    // on the right monitor at start-up
const int HALL_X = 100, HALL_Y = 320;           // inside the "Hall of Records" band
const int START_MS = 15000;
const int PAGE_MS = 8000;
const int WM_START_MS = 8000;
const std::vector<int> ICON_SIZES = {16, 32, 48, 64, 128};
// The parked pointer draws the game's own pointer into the menu there.
const int POINTER_BOX_X = 600, POINTER_BOX_H = 60;
// Mean channel difference of the screen from the composed menu: the soft
// edges of the text alone stay well below it, a picture moved by one pixel
// does not.
const double MENU_TOLERANCE = 0.2;

pid_t Spawn(const std::vector<std::string> &args, const std::string &log)
{
    pid_t pid = fork();
    if (pid == 0) {
        // A test program that dies must not leave its server or window
        // manager behind.
        prctl(PR_SET_PDEATHSIG, SIGTERM);
        int out = open(log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        dup2(out, 1);
        dup2(out, 2);
        std::vector<char *> argv;
        for (const std::string &a : args)
            argv.push_back(const_cast<char *>(a.c_str()));
        argv.push_back(nullptr);
        execvp(argv[0], argv.data());
        _exit(127);
    }
    return pid;
}

void Stop(pid_t &pid)
{
    if (pid <= 0)
        return;
    kill(pid, SIGTERM);
    if (!WaitFor([&] { return waitpid(pid, nullptr, WNOHANG) == pid; }, 5000)) {
        kill(pid, SIGKILL);
        waitpid(pid, nullptr, 0);
    }
    pid = -1;
}

// One Xorg for every case of the program.
class TwoMonitorServer : public ::testing::Environment {
public:
    void SetUp() override
    {
        for (int n = FIRST_DISPLAY; n < FIRST_DISPLAY + DISPLAY_TRIES && pid < 0; n++) {
            if (access(("/tmp/.X" + std::to_string(n) + "-lock").c_str(), F_OK) == 0)
                continue;
            std::string name = ":" + std::to_string(n);
            pid = Spawn({XORG, name, "-config", MONITORS_XORG_CONF, "-noreset", "-nolisten", "tcp", "-logfile",
                         MONITORS_XORG_LOG},
                        std::string(MONITORS_XORG_LOG) + ".out");
            bool up = WaitFor([&] {
                Display *d = XOpenDisplay(name.c_str());
                if (d)
                    XCloseDisplay(d);
                return d != nullptr || waitpid(pid, nullptr, WNOHANG) == pid;
            }, START_MS, 100);
            if (up && AttachDisplay(name, ROOT_W, ROOT_H))
                return;
            Stop(pid);
        }
        FAIL() << "no Xorg with the dummy driver could start; see " << MONITORS_XORG_LOG;
    }
    void TearDown() override
    {
        AttachDisplay("", 0, 0);
        Stop(pid);
    }

private:
    pid_t pid = -1;
};

const ::testing::Environment *const server = ::testing::AddGlobalTestEnvironment(new TwoMonitorServer);

// A property of the game's window as 32-bit items, or as bytes.
std::vector<long> Cardinals(Display *d, Window w, const char *name)
{
    std::vector<long> items;
    Atom type;
    int format;
    unsigned long count, after;
    unsigned char *value = nullptr;
    if (XGetWindowProperty(d, w, XInternAtom(d, name, False), 0, 1 << 20, False, AnyPropertyType, &type, &format,
                           &count, &after, &value) == Success && value && format == 32)
        items.assign(reinterpret_cast<long *>(value), reinterpret_cast<long *>(value) + count);
    if (value)
        XFree(value);
    return items;
}

std::string Text(Display *d, Window w, const char *name, const char *typeName)
{
    std::string text;
    Atom type;
    int format;
    unsigned long count, after;
    unsigned char *value = nullptr;
    if (XGetWindowProperty(d, w, XInternAtom(d, name, False), 0, 1024, False, XInternAtom(d, typeName, False), &type,
                           &format, &count, &after, &value) == Success && value && format == 8)
        text.assign(reinterpret_cast<char *>(value), count);
    if (value)
        XFree(value);
    return text;
}

// The menu as it must stand with item 1..5 highlighted, drawn by the game's
// own font layer from its own data.
Image ExpectedMenu(int highlighted)
{
    const std::vector<std::string> items = {"New game", "Continue Playing", "Practice", "Hall of Records", "Settings",
                                            "Quit"};
    const char credit[] = "A story in letters by the Paperlune team";
    return Compose(MENU_BACKGROUND, {{credit, 40, 50, 0, 25},
                                     {credit, 40, 50, 0, 25},
                                     {"Paperlune", 80, 150, 0, 60},
                                     {"New game", 80, 250, 0, 40},
                                     {"Continue Playing", 80, 280, 0, 40},
                                     {"Practice", 80, 310, 0, 40},
                                     {"Hall of Records", 80, 340, 0, 40},
                                     {"Settings", 80, 370, 0, 40},
                                     {"Quit", 80, 400, 0, 40},
                                     {items[highlighted - 1], 80, 220 + 30 * highlighted, 0xFF0000, 40}});
}

// What is wrong with the right monitor, or "": each game pixel must be an
// exact 2 x 2 block where the view puts the picture, black all around it,
// and the picture the menu (the font layer's soft edges blend a little
// otherwise on a bitmap of no screen, hence a mean difference).
std::string FaultsOnRight(const Image &full, const Image &menu)
{
    int border = 0, blocks = 0;
    std::string first;
    Image picture;
    picture.w = SHOT_W;
    picture.h = SHOT_H;
    picture.px.resize(size_t(SHOT_W) * SHOT_H);
    for (int y = 0; y < MON_H; y++)
        for (int x = RIGHT_X; x < RIGHT_X + MON_W; x++) {
            int gx = (x - ON_RIGHT.x) / 2, gy = (y - ON_RIGHT.y) / 2;
            bool inside = x >= ON_RIGHT.x && y >= ON_RIGHT.y && gx < SHOT_W && gy < SHOT_H;
            uint32_t p = full.at(x, y);
            if (!inside) {
                if (p != 0 && border++ == 0)
                    first = "border at " + std::to_string(x) + "," + std::to_string(y);
                continue;
            }
            uint32_t corner = full.at(ON_RIGHT.x + gx * 2, ON_RIGHT.y + gy * 2);
            picture.px[size_t(gy) * SHOT_W + gx] = corner;
            if (p != corner && blocks++ == 0 && first.empty())
                first = "block at " + std::to_string(x) + "," + std::to_string(y);
        }
    // Everything but the parked pointer's corner.
    double difference = std::max(Difference(picture, menu, 0, 0, POINTER_BOX_X, SHOT_H),
                                 Difference(picture, menu, POINTER_BOX_X, POINTER_BOX_H, SHOT_W - POINTER_BOX_X,
                                            SHOT_H - POINTER_BOX_H));
    if (border == 0 && blocks == 0 && difference < MENU_TOLERANCE)
        return "";
    return std::to_string(border) + " border pixels not black, " + std::to_string(blocks) +
           " pixels off their block, mean difference from the menu " + std::to_string(difference) + "; first: " +
           first;
}

struct WindowManager {
    const char *name;
    std::vector<std::string> command;   // empty: none
};

// A window manager that has started says so on the root, by a window that
// names itself.
bool WindowManagerUp()
{
    Display *d = XOpenDisplay(nullptr);
    if (!d)
        return false;
    std::vector<long> check = Cardinals(d, DefaultRootWindow(d), "_NET_SUPPORTING_WM_CHECK");
    bool up = false;
    if (check.size() == 1) {
        XWindowAttributes a;
        XSetErrorHandler([](Display *, XErrorEvent *) { return 0; });
        up = XGetWindowAttributes(d, Window(check[0]), &a) && Cardinals(d, Window(check[0]),
                                                                         "_NET_SUPPORTING_WM_CHECK") == check;
    }
    XCloseDisplay(d);
    return up;
}

class TwoMonitors : public ::testing::TestWithParam<WindowManager> {
protected:
    void SetUp() override
    {
        ASSERT_FALSE(HasFailure());
        if (!GetParam().command.empty()) {
            wm = Spawn(GetParam().command, ShotPath(std::string("wm-") + GetParam().name) + ".log");
            ASSERT_TRUE(WaitFor(WindowManagerUp, WM_START_MS)) << GetParam().name << " did not start";
        }
        MoveMouseOnScreen(POINTER_X, POINTER_Y);
        SetView(ON_RIGHT);
    }
    void TearDown() override { Stop(wm); }
    pid_t wm = -1;
};

}  // namespace

TEST_P(TwoMonitors, FullScreenOnTheMonitorUnderThePointerAndF11BothWays)
{
    const std::string name = GetParam().name;
    const Image menu = ExpectedMenu(1);
    ASSERT_EQ(menu.w, SHOT_W);
    SavePng(menu, ShotPath("monitors-expected-menu"));
    GameRun run = Prepare(("monitors-" + name).c_str());
    ASSERT_TRUE(LaunchToMenu(run)) << "no menu on the right monitor";
    Image full = ScreenshotFull();
    SavePng(full, ShotPath("monitors-" + name + "-full"));
    EXPECT_EQ(FaultsOnRight(full, menu), "");

    // What taskbars and switchers read.
    Display *d = XOpenDisplay(nullptr);
    ASSERT_NE(d, nullptr);
    Window w = GameWindowId();
    ASSERT_NE(w, 0u);
    std::vector<long> icon = Cardinals(d, w, "_NET_WM_ICON");
    std::vector<int> sizes;
    for (size_t i = 0; i + 2 <= icon.size();) {
        long iw = icon[i], ih = icon[i + 1];
        ASSERT_EQ(iw, ih);
        ASSERT_LE(i + 2 + size_t(iw * ih), icon.size()) << "the icon of " << iw << " px is cut short";
        long opaque = 0;
        for (long k = 0; k < iw * ih; k++)
            opaque += (uint32_t(icon[i + 2 + k]) >> 24) == 0xFF;
        EXPECT_GT(opaque, iw * ih / 4) << "the " << iw << " px icon is nearly empty";
        sizes.push_back(int(iw));
        i += 2 + size_t(iw * ih);
    }
    EXPECT_EQ(sizes, ICON_SIZES);
    EXPECT_EQ(Text(d, w, "_NET_WM_NAME", "UTF8_STRING"), "Paperlune");
    EXPECT_EQ(Cardinals(d, w, "_NET_WM_PID"), std::vector<long>{long(run.pid)});
    EXPECT_EQ(Cardinals(d, w, "_NET_WM_BYPASS_COMPOSITOR"), std::vector<long>{1});

    // A click at the scaled "Hall of Records" opens it.
    Click(HALL_X, HALL_Y);
    EXPECT_TRUE(WaitFor(HallShown, PAGE_MS)) << "the click missed the Hall of Records";
    PressKey(XK_Return);
    ASSERT_TRUE(WaitFor(MenuShown, PAGE_MS));

    // F11: a window centred on the same monitor, sized by it.
    PressKey(XK_F11);
    int wx = 0, wy = 0, ww = 0, wh = 0;
    // Centred within a frame's border; the window manager may take a moment.
    EXPECT_TRUE(WaitFor([&] {
        return GameWindowRect(&wx, &wy, &ww, &wh) && ww == 1280 && wh == 960 &&
               std::abs(wx + ww / 2 - (RIGHT_X + MON_W / 2)) <= 8 && std::abs(wy + wh / 2 - MON_H / 2) <= 24;
    }, PAGE_MS)) << "after F11 the window stands at " << wx << "," << wy << " " << ww << "x" << wh;
    SetView({2, wx, wy});
    EXPECT_TRUE(WaitFor(MenuShown, PAGE_MS)) << "the window shows the menu";
    SavePng(ScreenshotFull(), ShotPath("monitors-" + name + "-window"));
    EXPECT_TRUE(Cardinals(d, w, "_NET_WM_BYPASS_COMPOSITOR").empty()) << "a window leaves the compositor be";

    // F11 again: full screen, mapped and viewable, the picture whole.
    PressKey(XK_F11);
    EXPECT_TRUE(WaitFor([&] {
        return GameWindowRect(&wx, &wy, &ww, &wh) && wx == RIGHT_X && wy == 0 && ww == MON_W && wh == MON_H;
    }, PAGE_MS)) << "back in full screen the window stands at " << wx << "," << wy << " " << ww << "x" << wh;
    SetView(ON_RIGHT);
    ASSERT_TRUE(WaitFor(MenuShown, PAGE_MS)) << "no menu after F11 twice";
    ParkPointer();
    WaitStable();
    full = ScreenshotFull();
    SavePng(full, ShotPath("monitors-" + name + "-full-again"));
    // The Hall of Records was chosen last.
    EXPECT_EQ(FaultsOnRight(full, ExpectedMenu(3)), "") << "after F11 twice";
    XCloseDisplay(d);
    EXPECT_TRUE(QuitFromMenu(run));
}

INSTANTIATE_TEST_SUITE_P(WindowManagers, TwoMonitors,
                         ::testing::Values(WindowManager{"none", {}},
                                           WindowManager{"openbox", {"openbox"}},
                                           WindowManager{"icewm", {"icewm"}}),
                         [](const ::testing::TestParamInfo<WindowManager> &info) { return info.param.name; });
