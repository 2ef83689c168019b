// What a still page costs: the real game under its own X server, its sound
// sent to a file, left alone on the main menu (silent), on the first
// narration page (its music playing) and on the typewriter page with
// nothing typed. For every thread of the game, and for all together: how
// often it woke (the times it went to sleep of its own accord) and the
// share of one core it used.
//
//   paperlune_stillpages [SECONDS]      (10 a page)
#include "../../tests/window/harness.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <map>
#include <string>
#include <vector>

#include "story/scene.h"

using namespace harness;

namespace {

const int PAGE_MS = 15000;
// A sound that just ended still mixes its tail: the page settles first.
const int SETTLE_MS = 2000;
const double MENU_WAKES_GOAL = 5.0;      // all threads, a second
const double MENU_CPU_GOAL = 0.2;        // per cent of a core
const double MUSIC_CPU_GOAL = 1.0;

double seconds = 10.0;
int failures = 0;

struct ThreadCount {
    std::string name;
    long long wakes = 0;   // voluntary switches
    long long cpuNs = 0;
};

std::string Field(const std::string &text, const char *name)
{
    size_t at = text.find(name);
    if (at == std::string::npos)
        return "";
    at += strlen(name);
    size_t end = text.find('\n', at);
    return text.substr(at, end == std::string::npos ? std::string::npos : end - at);
}

std::string Text(const std::string &path)
{
    std::vector<uint8_t> raw = ReadFile(path);
    return std::string(raw.begin(), raw.end());
}

std::map<int, ThreadCount> Threads(pid_t pid)
{
    std::map<int, ThreadCount> threads;
    std::string dir = "/proc/" + std::to_string(pid) + "/task";
    DIR *tasks = opendir(dir.c_str());
    while (dirent *e = tasks ? readdir(tasks) : nullptr) {
        if (e->d_name[0] == '.')
            continue;
        std::string t = dir + "/" + e->d_name;
        ThreadCount c;
        c.name = Text(t + "/comm");
        if (!c.name.empty() && c.name.back() == '\n')
            c.name.pop_back();
        c.wakes = atoll(Field(Text(t + "/status"), "voluntary_ctxt_switches:").c_str());
        c.cpuNs = atoll(Text(t + "/schedstat").c_str());
        threads[atoi(e->d_name)] = c;
    }
    if (tasks)
        closedir(tasks);
    return threads;
}

// Wakes a second and per cent of a core over the page, thread by thread.
void Measure(GameRun &run, const char *page, double wakesGoal, double cpuGoal)
{
    Sleep(SETTLE_MS);
    std::map<int, ThreadCount> before = Threads(run.pid);
    auto start = std::chrono::steady_clock::now();
    Sleep(int(seconds * 1000));
    std::map<int, ThreadCount> after = Threads(run.pid);
    double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    double wakes = 0, cpu = 0;
    printf("%s, %.0f s:\n", page, wall);
    int index = 0;
    for (const auto &[tid, a] : after) {
        const ThreadCount &b = before.count(tid) ? before.at(tid) : ThreadCount();
        double w = double(a.wakes - b.wakes) / wall;
        double c = 100.0 * double(a.cpuNs - b.cpuNs) / 1e9 / wall;
        printf("  thread %d %-16s %7.1f wakes/s %7.3f %% of a core\n", index++, a.name.c_str(), w, c);
        wakes += w;
        cpu += c;
    }
    bool over = (wakesGoal > 0 && wakes > wakesGoal) || (cpuGoal > 0 && cpu > cpuGoal);
    printf("  %-25s %7.1f wakes/s %7.3f %% of a core", "all threads", wakes, cpu);
    if (wakesGoal > 0 || cpuGoal > 0) {
        printf("   (goal:");
        if (wakesGoal > 0)
            printf(" at most %.0f wakes/s", wakesGoal);
        if (cpuGoal > 0)
            printf(" at most %.1f %%", cpuGoal);
        printf(")%s", over ? "  OVER" : "");
    }
    printf("\n");
    fflush(stdout);
}

void Fail(const char *what)
{
    printf("%s could not be reached\n", what);
    failures++;
}


void MenuAndNarration()
{
    GameRun run = Prepare("still-pages");
    if (!LaunchToMenu(run))
        return Fail("main menu");
    ParkPointer();
    WaitStable();
    Measure(run, "Main menu (silent)", MENU_WAKES_GOAL, MENU_CPU_GOAL);
    ChooseMenuItem(1);
    const Scene *first = SceneNamed("Scene01");
    if (!WaitForScreen(NarrationPage(first, NarrationPages(first)[0]), PAGE_MS) || !WaitStable())
        return Fail("narration page");
    Measure(run, "Narration page (music playing)", 0, MUSIC_CPU_GOAL);
    QuitAndSave();
    QuitFromMenu(run);
}

void Typewriter()
{
    GameRun run;
    if (!ContinueFrom(run, "still-typing", SaveAt(141)))
        return Fail("typewriter page");
    const Scene *letter = SceneNamed("Scene04e1");
    int first = 0;
    while (first < SCENE_TEXT_LINES && letter->text[first][0] == 0)
        first++;
    if (!WaitFor([&] { return CursorAt(first, 0); }, PAGE_MS) || !WaitStable())
        return Fail("typewriter page");
    Measure(run, "Typewriter page, nothing typed (music playing)", 0, MUSIC_CPU_GOAL);
    QuitAndSave();
    QuitFromMenu(run);
}

}  // namespace

int main(int argc, char **argv)
{
    if (argc > 1)
        seconds = atof(argv[1]);
    if (seconds <= 0 || !UseDisplay(SHOT_W, SHOT_H)) {
        fprintf(stderr, "usage: %s [SECONDS]   (needs Xvfb)\n", argv[0]);
        return 2;
    }
    printf("Still pages of the game at %dx%d: wakes and CPU of each thread\n", SHOT_W, SHOT_H);
    MenuAndNarration();
    Typewriter();
    return failures ? 1 : 0;
}
