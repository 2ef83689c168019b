// Start-up to the first picture, measured from outside: the real game under
// its own X server, timed from the moment it is started until the first
// pixel of the screen that is not black. Each run starts a fresh process in
// a fresh copy of the data. Its runs alternate with those of a bare Allegro 4
// program that opens a 640 x 480 window and shows one picture (the first
// intro slide), so that both meet the same machine; the medians are given
// with their ratio.
//
//   paperlune_startup [RUNS] [OTHER_BINARY]
//
// With OTHER_BINARY (an older build, say), its runs alternate too, and its
// ratio to this build is given.
#include "../../tests/window/harness.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "datwriter.h"

using namespace harness;

namespace {

const int DEFAULT_RUNS = 7;
const int FIRST_FRAME_LIMIT_MS = 20000;
const int QUIET_BETWEEN_RUNS_MS = 300;
const int FIRST_SLIDE = 27;
const char SLIDE_FILE[] = "slide.jpg";

bool AnythingShown()
{
    Image s = ScreenshotFull();
    for (uint32_t p : s.px)
        if (p != 0)
            return true;
    return false;
}

// The first intro slide as a JPEG file of its own, for the bare program.
bool WriteSlide(const GameRun &run)
{
    std::vector<uint8_t> dat = ReadFile(PathIn(run, "game.dat"));
    std::vector<DatSpan> spans = DatafileSpans(dat);
    if (spans.size() <= size_t(FIRST_SLIDE))
        return false;
    const DatSpan &s = spans[FIRST_SLIDE];
    return WriteFile(PathIn(run, SLIDE_FILE), std::vector<uint8_t>(dat.begin() + s.data, dat.begin() + s.end));
}

// Milliseconds from start to the first picture, or a negative value.
double FirstFrameMs(const char *program, bool bare = false)
{
    GameRun run = Prepare("startup");
    if (run.dir.empty() || (bare && !WriteSlide(run)))
        return -1;
    // The screen is black before each run: a window of the last one must
    // not count.
    if (!WaitFor([] { return !AnythingShown(); }, FIRST_FRAME_LIMIT_MS, 5))
        return -1;
    auto start = std::chrono::steady_clock::now();
    if (!LaunchProgram(run, program, bare ? SLIDE_FILE : nullptr))
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
    printf("%-12s median %7.1f ms   runs:", name, Median(times));
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
    std::vector<double> ours, bare, theirs;
    for (int i = 0; i < runs; i++) {
        double t = FirstFrameMs(PAPERLUNE_GAME);
        double b = FirstFrameMs(PAPERLUNE_BARE_ALLEGRO, true);
        if (t < 0 || b < 0) {
            fprintf(stderr, "paperlune_startup: %s showed nothing\n", t < 0 ? "this build" : "the bare program");
            return 1;
        }
        ours.push_back(t);
        bare.push_back(b);
        if (other) {
            double u = FirstFrameMs(other);
            if (u < 0) {
                fprintf(stderr, "paperlune_startup: %s showed nothing\n", other);
                return 1;
            }
            theirs.push_back(u);
        }
    }
    printf("Start-up to the first picture, %d runs each, alternated, %dx%d:\n", runs, SHOT_W, SHOT_H);
    Print("this build", ours);
    Print("bare Allegro", bare);
    printf("ratio this/bare: %.2f (goal: at most 1.5)\n", Median(ours) / Median(bare));
    if (other) {
        Print("other", theirs);
        printf("ratio this/other: %.2f\n", Median(ours) / Median(theirs));
    }
    return 0;
}
