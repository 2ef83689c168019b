// CPU of the running game on each of its screens, measured from outside:
// the real game under its own X server (at the size given, 640x480 unless
// asked otherwise), driven by real key presses, its sound sent to a file.
// For each screen it prints the share of one core the game's process used,
// all threads together, over a few seconds of the player doing nothing (or
// of the credits rolling, or of typing ten keys a second).
//
//   paperlune_cpu [WIDTHxHEIGHT] [SECONDS]
#include "../../tests/window/harness.h"

#include <X11/keysym.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <string>

#include "platform/display.h"
#include "story/scene.h"

using namespace harness;

namespace {

const int PAGE_MS = 15000;
const int INTRO_HOLD_SAMPLE_MS = 1500;   // inside one slide's two-second hold
const int KEYS_PER_SECOND = 10;

double seconds = 5.0;
int failures = 0;

// Nanoseconds on a CPU of every thread of the process so far.
long long CpuNanoseconds(pid_t pid)
{
    long long total = 0;
    std::string dir = "/proc/" + std::to_string(pid) + "/task";
    DIR *tasks = opendir(dir.c_str());
    if (!tasks)
        return -1;
    while (dirent *e = readdir(tasks)) {
        if (e->d_name[0] == '.')
            continue;
        std::vector<uint8_t> raw = ReadFile(dir + "/" + e->d_name + "/schedstat");
        std::string text(raw.begin(), raw.end());
        total += atoll(text.c_str());
    }
    closedir(tasks);
    return total;
}

// Share of one core over `ms`, while `during` runs (it may drive the game).
double Measure(GameRun &run, int ms, const std::function<void()> &during = nullptr)
{
    long long before = CpuNanoseconds(run.pid);
    auto start = std::chrono::steady_clock::now();
    if (during)
        during();
    auto left = std::chrono::milliseconds(ms) - (std::chrono::steady_clock::now() - start);
    if (left.count() > 0)
        Sleep(int(std::chrono::duration_cast<std::chrono::milliseconds>(left).count()));
    double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    long long after = CpuNanoseconds(run.pid);
    return 100.0 * double(after - before) / 1e9 / wall;
}

void Row(const char *screen, double percent, double limit)
{
    printf("%-36s %6.2f %%   (at most %.0f %%)%s\n", screen, percent, limit, percent <= limit ? "" : "  OVER");
    fflush(stdout);
}

void Fail(const char *what)
{
    printf("%-36s could not be reached\n", what);
    failures++;
}

int Ms()
{
    return int(seconds * 1000);
}


void IntroMenuAndHall()
{
    GameRun run = Prepare("cpu-intro");
    ParkPointer();
    if (!Launch(run))
        return Fail("intro");
    if (!WaitFor([] { return ShownPicture(Screenshot(), {28}, 0.5) == 28; }, PAGE_MS))
        return Fail("intro slide hold");
    Row("intro slide hold", Measure(run, INTRO_HOLD_SAMPLE_MS), 2);
    PressKey(XK_space);
    if (!WaitFor(MenuShown, PAGE_MS) || !WaitStable())
        return Fail("main menu");
    Row("main menu", Measure(run, Ms()), 2);
    ChooseMenuItem(3);
    if (!WaitFor(HallShown, PAGE_MS) || !WaitStable())
        return Fail("Hall of Records");
    Row("Hall of Records", Measure(run, Ms()), 2);
    PressKey(XK_Return);
    QuitFromMenu(run);
}

void NarrationAndChoice()
{
    GameRun run = Prepare("cpu-story");
    if (!LaunchToMenu(run))
        return Fail("narration page");
    ChooseMenuItem(1);
    const Scene *first = SceneNamed("Scene01");
    if (!WaitForScreen(NarrationPage(first, NarrationPages(first)[0]), PAGE_MS) || !WaitStable())
        return Fail("narration page");
    Row("narration page", Measure(run, Ms()), 2);
    if (!ReadNarration("Scene01") || !ReadNarration("Scene02") || !ReadNarration("Scene03") || !WaitStable())
        return Fail("choice menu");
    Row("choice menu", Measure(run, Ms()), 2);
    ParkPointer();
    PressKey(XK_Escape, 150);
    if (!WaitFor([] { return QuitDialogShown(1); }, PAGE_MS) || !WaitStable())
        return Fail("quit dialog");
    Row("quit dialog", Measure(run, Ms()), 2);
    PressKey(XK_Return);
    QuitFromMenu(run);
}

void LetterBox()
{
    GameRun run;
    if (!ContinueFrom(run, "cpu-letterbox", SaveAt(3262)))
        return Fail("letter box");
    if (!ReadNarration("Scene26e2"))
        return Fail("letter box");
    const Scene *box = SceneNamed("Scene26e3");
    if (!WaitForScreen(LetterBoxPage(box, {NarrationPages(box)[0][0]}), PAGE_MS) || !WaitStable())
        return Fail("letter box");
    Row("letter box", Measure(run, Ms()), 2);
    QuitAndSave();
    QuitFromMenu(run);
}

void Typing()
{
    GameRun run;
    if (!ContinueFrom(run, "cpu-typing", SaveAt(141)))
        return Fail("typing page");
    if (!WaitFor([] { return CursorAt(0, 0); }, PAGE_MS) || !WaitStable())
        return Fail("typing page");
    Row("typing page, no key", Measure(run, Ms()), 2);
    PressKey(XK_F12);
    if (!WaitFor(PauseShown, PAGE_MS) || !WaitStable())
        return Fail("F12 pause");
    Row("F12 pause", Measure(run, Ms()), 2);
    TypeChar('q');   // ends the pause, not typed
    Sleep(500);
    const Scene *letter = SceneNamed("Scene04e1");
    std::string text;
    for (int l = 0; l < SCENE_TEXT_LINES; l++)
        text += letter->text[l];
    Row("typing ten keys a second", Measure(run, Ms(), [&] {
        int keys = int(seconds * KEYS_PER_SECOND);
        auto start = std::chrono::steady_clock::now();
        for (int i = 0; i < keys && i < int(text.size()); i++) {
            TypeChar(text[i]);
            auto due = start + std::chrono::milliseconds(1000 * (i + 1) / KEYS_PER_SECOND);
            auto now = std::chrono::steady_clock::now();
            if (due > now)
                Sleep(int(std::chrono::duration_cast<std::chrono::milliseconds>(due - now).count()));
        }
    }), 10);
    QuitAndSave();
    QuitFromMenu(run);
}

void Credits()
{
    GameRun run;
    if (!ContinueFrom(run, "cpu-credits", SaveAt(142)))
        return Fail("credits roll");
    if (!ReadNarration("Scene04e2"))
        return Fail("credits roll");
    Sleep(2000);   // the roll is under way
    Row("credits roll", Measure(run, Ms()), 10);
    PressKey(XK_space);
    QuitFromMenu(run);
}

}  // namespace

int main(int argc, char **argv)
{
    int w = SHOT_W, h = SHOT_H;
    if (argc > 1 && sscanf(argv[1], "%dx%d", &w, &h) != 2) {
        fprintf(stderr, "usage: %s [WIDTHxHEIGHT] [SECONDS]\n", argv[0]);
        return 2;
    }
    if (argc > 2)
        seconds = atof(argv[2]);
    if (!UseDisplay(w, h)) {
        fprintf(stderr, "no X server\n");
        return 1;
    }
    // Where the game puts its picture on a desktop of this size.
    DisplayGeometry g = FullScreenGeometry(w, h);
    SetView({g.scale, g.x, g.y});
    printf("CPU of the game process, all threads, on a %dx%d display (picture x%d), %.1f s a screen\n", w, h,
           g.scale, seconds);
    IntroMenuAndHall();
    NarrationAndChoice();
    LetterBox();
    Typing();
    Credits();
    return failures ? 1 : 0;
}
