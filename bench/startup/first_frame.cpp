// Start-up to the first picture, measured from outside: the real game under
// its own X server, timed from the moment it is started until the first
// pixel of the screen that is not black. Each run starts a fresh process in
// a fresh copy of the data; the median of the runs is printed.
//
//   paperlune_startup [RUNS] [OTHER_BINARY]
//
// With OTHER_BINARY (an older build, say), its runs alternate with this
// build's, so that both meet the same machine, and both medians are given
// with their ratio.
#include "../../tests/window/harness.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

using namespace harness;

namespace {

const int DEFAULT_RUNS = 7;
const int FIRST_FRAME_LIMIT_MS = 20000;
const int QUIET_BETWEEN_RUNS_MS = 300;

bool AnythingShown()
{
    Image s = ScreenshotFull();
    for (uint32_t p : s.px)
        if (p != 0)
            return true;
    return false;
}

// Milliseconds from start to the first picture, or a negative value.
double FirstFrameMs(const char *program)
{
    GameRun run = Prepare("startup");
    if (run.dir.empty())
        return -1;
    // The screen is black before each run: a window of the last one must
    // not count.
    if (!WaitFor([] { return !AnythingShown(); }, FIRST_FRAME_LIMIT_MS, 5))
        return -1;
    auto start = std::chrono::steady_clock::now();
    if (!LaunchProgram(run, program, nullptr))
        return -1;
    bool shown = WaitFor(AnythingShown, FIRST_FRAME_LIMIT_MS, 1);
    auto end = std::chrono::steady_clock::now();
    Kill(run);
    Sleep(QUIET_BETWEEN_RUNS_MS);
    if (!shown)
        return -1;
    return std::chrono::duration<double, std::milli>(end - start).count();
}

double Median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

void Print(const char *name, const std::vector<double> &times)
{
    printf("%-10s median %7.1f ms   runs:", name, Median(times));
    for (double t : times)
        printf(" %.0f", t);
    printf("\n");
}

}  // namespace

int main(int argc, char **argv)
{
    int runs = argc > 1 ? atoi(argv[1]) : DEFAULT_RUNS;
    const char *other = argc > 2 ? argv[2] : nullptr;
    if (runs < 1 || !UseDisplay(SHOT_W, SHOT_H)) {
        fprintf(stderr, "paperlune_startup: no X server, or no runs\n");
        return 1;
    }
    std::vector<double> ours, theirs;
    for (int i = 0; i < runs; i++) {
        double t = FirstFrameMs(PAPERLUNE_GAME);
        if (t < 0) {
            fprintf(stderr, "paperlune_startup: this build showed nothing\n");
            return 1;
        }
        ours.push_back(t);
        if (other) {
            double u = FirstFrameMs(other);
            if (u < 0) {
                fprintf(stderr, "paperlune_startup: %s showed nothing\n", other);
                return 1;
            }
            theirs.push_back(u);
        }
    }
    printf("Start-up to the first picture, %d runs, %dx%d:\n", runs, SHOT_W, SHOT_H);
    Print("this build", ours);
    if (other) {
        Print("other", theirs);
        printf("ratio this/other: %.2f\n", Median(ours) / Median(theirs));
    }
    return 0;
}
