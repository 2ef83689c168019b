// Costs of what every screen does: one fade step, a full-screen copy, the
// same frame scaled for a large desktop, loading game.dat, and loading it as
// start-up does, after its check.
#include <allegro.h>
#include <benchmark/benchmark.h>

#include <string>

#include "library.h"
#include "presentation/datacheck.h"
#include "presentation/jpegobject.h"
#include "platform/geometry.h"
#include "presentation/show.h"

static const int W = 640, H = 480;
static const int LIBRARY_PARTS = LIBRARY_TRUE_COLOUR | LIBRARY_JPEG;

static void BM_FadeStepWithoutRetrace(benchmark::State &state)
{
    StartLibrary(LIBRARY_PARTS);
    BITMAP *work = create_bitmap_ex(32, W, H);
    BITMAP *target = create_bitmap_ex(32, W, H);
    clear_to_color(work, makecol32(10, 20, 30));
    clear_to_color(target, makecol32(200, 180, 150));
    int step = 0;
    for (auto _ : state) {
        ShowBlendStep(work, target, ShowWeight(step));
        step = (step + 1) % SHOW_STEPS;
        benchmark::ClobberMemory();
    }
    destroy_bitmap(target);
    destroy_bitmap(work);
}
BENCHMARK(BM_FadeStepWithoutRetrace)->Unit(benchmark::kMicrosecond);

static void BM_FullScreenCopy(benchmark::State &state)
{
    StartLibrary(LIBRARY_PARTS);
    BITMAP *from = create_bitmap_ex(32, W, H);
    BITMAP *to = create_bitmap_ex(32, W, H);
    clear_to_color(from, makecol32(1, 2, 3));
    for (auto _ : state) {
        blit(from, to, 0, 0, 0, 0, W, H);
        benchmark::ClobberMemory();
    }
    destroy_bitmap(to);
    destroy_bitmap(from);
}
BENCHMARK(BM_FullScreenCopy)->Unit(benchmark::kMicrosecond);

// One frame scaled for a large desktop (x2 fills 1920 x 1080, x4 a 4K
// screen), beside the unscaled copy above.
static void BM_ScaledFrame(benchmark::State &state)
{
    StartLibrary(LIBRARY_PARTS);
    const int scale = int(state.range(0));
    BITMAP *from = create_bitmap_ex(32, W, H);
    BITMAP *to = create_bitmap_ex(32, W * scale, H * scale);
    clear_to_color(from, makecol32(1, 2, 3));
    for (auto _ : state) {
        ScaleFrame(from, to, scale);
        benchmark::ClobberMemory();
    }
    destroy_bitmap(to);
    destroy_bitmap(from);
}
BENCHMARK(BM_ScaledFrame)->Arg(2)->Arg(4)->Unit(benchmark::kMicrosecond);

static void BM_LoadGameData(benchmark::State &state)
{
    StartLibrary(LIBRARY_PARTS);
    std::string path = std::string(PAPERLUNE_DATA_DIR) + "/game.dat";
    for (auto _ : state) {
        DATAFILE *file = load_datafile(path.c_str());
        if (!file) {
            state.SkipWithError("game.dat did not load");
            break;
        }
        unload_datafile(file);
    }
}
BENCHMARK(BM_LoadGameData)->Unit(benchmark::kMillisecond);

// The check decodes every picture on trial and the loader takes them over.
static void BM_CheckAndLoadGameData(benchmark::State &state)
{
    StartLibrary(LIBRARY_PARTS);
    RegisterJpegObjects();
    std::string path = std::string(PAPERLUNE_DATA_DIR) + "/game.dat";
    for (auto _ : state) {
        if (CheckGameDataFile(path.c_str())) {
            state.SkipWithError("game.dat did not pass its check");
            break;
        }
        DATAFILE *file = load_datafile(path.c_str());
        ForgetDecodedJpegs();
        if (!file) {
            state.SkipWithError("game.dat did not load");
            break;
        }
        unload_datafile(file);
    }
}
BENCHMARK(BM_CheckAndLoadGameData)->Unit(benchmark::kMillisecond);
