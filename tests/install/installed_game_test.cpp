// The installed game as a player starts it: from the desktop or a shell in
// any directory, with nothing of the source tree around.
#include "harness.h"

// gtest before Xlib, whose macros (None, Bool) would break it.
#include <gtest/gtest.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>
#include <png.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace harness;

namespace {

const std::string PREFIX = PAPERLUNE_STAGED_PREFIX;
const std::string GAME = PAPERLUNE_GAME;
const std::string INSTALLED_DATA = PAPERLUNE_DATA_DIR;
const std::string WINDOW_ICON = PREFIX + "/share/icons/hicolor/48x48/apps/" PAPERLUNE_APP_ID ".png";
const char WINDOW_CLASS[] = "Paperlune";
const char SAVE_FILE[] = "gmstat.dat";
const size_t SAVE_BYTES = 52;
const int START_MS = 20000;
const int EXIT_MS = 10000;

struct Player {
    std::string scratch;   // everything of this run, removed by nobody: look at it after a failure
    std::string cwd;       // where the game is started: nothing of the game's in it
    std::string home;
    std::string xdg;
};

Player NewPlayer(const char *name)
{
    Player p;
    std::string pattern = std::string("/tmp/paperlune-installed-") + name + "-XXXXXX";
    std::vector<char> buf(pattern.begin(), pattern.end());
    buf.push_back(0);
    if (!mkdtemp(buf.data()))
        return p;
    p.scratch = buf.data();
    p.cwd = p.scratch + "/somewhere";
    p.home = p.scratch + "/home";
    p.xdg = p.scratch + "/xdg";
    mkdir(p.cwd.c_str(), 0755);
    mkdir(p.home.c_str(), 0755);
    mkdir(p.xdg.c_str(), 0755);
    return p;
}

// Starts the installed game the way a shell would; the harness's own launcher
// runs the build tree's game in a copy of its data.
bool Start(const Player &p, GameRun &run)
{
    if (!StartDisplay() || p.scratch.empty())
        return false;
    run.dir = p.cwd;
    run.pid = fork();
    if (run.pid == 0) {
        if (chdir(p.cwd.c_str()) != 0)
            _exit(126);
        setenv("HOME", p.home.c_str(), 1);
        setenv("XDG_DATA_HOME", p.xdg.c_str(), 1);
        int out = open((p.scratch + "/game.log").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        dup2(out, 1);
        dup2(out, 2);
        execl(GAME.c_str(), GAME.c_str(), (char *)nullptr);
        _exit(127);
    }
    return run.pid > 0;
}

void FindFiles(const std::string &dir, const char *name, std::vector<std::string> &found)
{
    DIR *d = opendir(dir.c_str());
    if (!d)
        return;
    while (dirent *e = readdir(d)) {
        std::string entry = e->d_name;
        if (entry == "." || entry == "..")
            continue;
        std::string path = dir + "/" + entry;
        struct stat st;
        if (lstat(path.c_str(), &st) != 0)
            continue;
        if (S_ISDIR(st.st_mode))
            FindFiles(path, name, found);
        else if (entry == name)
            found.push_back(path);
    }
    closedir(d);
}

// The game's top-level window, found by its class.
Window GameWindow(Display *d, Window w)
{
    XClassHint hint;
    if (XGetClassHint(d, w, &hint)) {
        bool ours = hint.res_class && strcmp(hint.res_class, WINDOW_CLASS) == 0;
        XFree(hint.res_name);
        XFree(hint.res_class);
        if (ours)
            return w;
    }
    Window root, parent, *children = nullptr;
    unsigned int n = 0;
    Window found = 0;
    if (XQueryTree(d, w, &root, &parent, &children, &n)) {
        for (unsigned int i = 0; i < n && !found; i++)
            found = GameWindow(d, children[i]);
        XFree(children);
    }
    return found;
}

struct Rgba {
    int w = 0, h = 0;
    std::vector<uint8_t> px;
};

Rgba ReadPng(const std::string &path)
{
    Rgba image;
    png_image png;
    memset(&png, 0, sizeof png);
    png.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&png, path.c_str()))
        return image;
    png.format = PNG_FORMAT_RGBA;
    image.px.resize(PNG_IMAGE_SIZE(png));
    if (!png_image_finish_read(&png, nullptr, image.px.data(), 0, nullptr)) {
        image.px.clear();
        return image;
    }
    image.w = png.width;
    image.h = png.height;
    return image;
}

// How closely the window manager's icon of the window matches the installed
// 48 pixel icon: the share of pixels whose mask agrees with the icon's
// opacity, and the mean colour difference over the opaque ones.
struct IconMatch {
    bool found = false;
    int w = 0, h = 0;
    double maskAgreement = 0;
    double colourDifference = 255;
};

IconMatch CompareWindowIcon(const Rgba &expected)
{
    IconMatch m;
    Display *d = XOpenDisplay(nullptr);
    if (!d)
        return m;
    Window w = GameWindow(d, DefaultRootWindow(d));
    XWMHints *hints = w ? XGetWMHints(d, w) : nullptr;
    if (hints && (hints->flags & IconPixmapHint) && (hints->flags & IconMaskHint)) {
        Window root;
        int x, y;
        unsigned int iw, ih, border, depth;
        XGetGeometry(d, hints->icon_pixmap, &root, &x, &y, &iw, &ih, &border, &depth);
        XImage *colour = XGetImage(d, hints->icon_pixmap, 0, 0, iw, ih, AllPlanes, ZPixmap);
        XImage *mask = XGetImage(d, hints->icon_mask, 0, 0, iw, ih, 1, XYPixmap);
        m.found = colour && mask;
        m.w = iw;
        m.h = ih;
        if (m.found && int(iw) == expected.w && int(ih) == expected.h) {
            int agree = 0, opaque = 0;
            double diff = 0;
            for (int yy = 0; yy < expected.h; yy++)
                for (int xx = 0; xx < expected.w; xx++) {
                    const uint8_t *p = &expected.px[(size_t(yy) * expected.w + xx) * 4];
                    bool shown = XGetPixel(mask, xx, yy) != 0;
                    agree += shown == (p[3] >= 128);
                    if (p[3] == 255 && shown) {
                        unsigned long c = XGetPixel(colour, xx, yy);
                        diff += (std::abs(int((c >> 16) & 0xFF) - p[0]) + std::abs(int((c >> 8) & 0xFF) - p[1]) +
                                 std::abs(int(c & 0xFF) - p[2])) / 3.0;
                        opaque++;
                    }
                }
            m.maskAgreement = double(agree) / (expected.w * expected.h);
            m.colourDifference = opaque ? diff / opaque : 255;
        }
        if (colour)
            XDestroyImage(colour);
        if (mask)
            XDestroyImage(mask);
    }
    if (hints)
        XFree(hints);
    XCloseDisplay(d);
    return m;
}

// A game left running by a failed check must not share the screen with the
// next test's game.
struct Running {
    GameRun &run;
    ~Running() { Kill(run); }
};

// Hides the installed run-time files for one test, and puts them back.
struct HiddenData {
    std::string hidden = INSTALLED_DATA + ".hidden";
    bool ok = rename(INSTALLED_DATA.c_str(), hidden.c_str()) == 0;
    ~HiddenData()
    {
        if (ok)
            rename(hidden.c_str(), INSTALLED_DATA.c_str());
    }
};

}  // namespace

TEST(InstalledGame, PlaysFromAnyDirectoryWithItsIconAndKeepsProgressWithThePlayer)
{
    Player p = NewPlayer("play");
    GameRun run;
    Running running{run};
    MoveMouse(620, 20);
    ASSERT_TRUE(Start(p, run));

    // The intro plays: its first two slides, from the installed pictures.
    EXPECT_TRUE(WaitFor([] { return ShownPicture(Screenshot(), {27}) == 27; }, START_MS))
        << "the first intro slide never came";
    EXPECT_TRUE(WaitFor([] { return ShownPicture(Screenshot(), {28}) == 28; }, START_MS))
        << "the intro did not go on";
    PressKey(XK_space);
    ASSERT_TRUE(WaitFor(MenuShown, START_MS)) << "no menu";
    WaitStable();
    SavePng(Screenshot(), ShotPath("installed-menu"));

    Rgba icon = ReadPng(WINDOW_ICON);
    ASSERT_EQ(icon.w, 48) << WINDOW_ICON;
    IconMatch m = CompareWindowIcon(icon);
    EXPECT_TRUE(m.found) << "the window has no icon of its own";
    EXPECT_EQ(m.w, 48);
    EXPECT_EQ(m.h, 48);
    EXPECT_GT(m.maskAgreement, 0.97);
    EXPECT_LT(m.colourDifference, 6.0);

    ChooseMenuItem(MENU_QUIT);
    ASSERT_TRUE(WaitExit(run, EXIT_MS)) << "Quit did not end the game";
    EXPECT_EQ(run.exitCode, 0);

    // The defaults file stands in the player's own place, and nowhere else:
    // not where the game was started, not in the home, not among the installed files.
    std::string mine = p.xdg + "/paperlune/" + SAVE_FILE;
    std::vector<std::string> found;
    FindFiles(p.scratch, SAVE_FILE, found);
    FindFiles(PREFIX, SAVE_FILE, found);
    EXPECT_EQ(found, std::vector<std::string>{mine});
    EXPECT_EQ(ReadFile(mine).size(), SAVE_BYTES);
}

TEST(InstalledGame, WithoutItsFilesAnywhereItSaysWhereItLooked)
{
    Player p = NewPlayer("nodata");
    HiddenData hide;
    ASSERT_TRUE(hide.ok) << INSTALLED_DATA;
    GameRun run;
    Running running{run};
    ASSERT_TRUE(Start(p, run));
    std::string text;
    EXPECT_TRUE(WaitFor([&] { return !(text = MessageBox(run)).empty(); }, START_MS)) << "no message box";
    EXPECT_NE(text.find("game.dat"), std::string::npos) << text;
    EXPECT_NE(text.find(p.cwd), std::string::npos) << "the start directory is named: " << text;
    EXPECT_NE(text.find(INSTALLED_DATA), std::string::npos) << "the installed place is named: " << text;
    // An installed game knows nothing of the tree it was built in.
    EXPECT_EQ(text.find(PAPERLUNE_STAGE_BUILD_DIR), std::string::npos) << text;
    DismissMessageBox(run);
    ASSERT_TRUE(WaitExit(run, EXIT_MS));
    EXPECT_EQ(run.exitCode, 1);
    std::vector<std::string> found;
    FindFiles(p.scratch, SAVE_FILE, found);
    EXPECT_TRUE(found.empty()) << "nothing further ran";
}
