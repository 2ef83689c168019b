// One frame of the typewriter page, and the page set-up with its preview.
#include <allegro.h>
#include <benchmark/benchmark.h>

#include <string>

#include "library.h"
#include "player/typing.h"
#include "presentation/alfont.h"
#include "presentation/datafile.h"
#include "presentation/text.h"
#include "story/graph.h"

static const int W = 640, H = 480;

// Loads what a typing scene uses: game.dat, the story and the typewriter font.
static ALFONT_FONT *Prepare()
{
    static ALFONT_FONT *font = nullptr;
    if (!font) {
        StartLibrary(LIBRARY_TRUE_COLOUR | LIBRARY_JPEG);
        data = load_datafile((std::string(PAPERLUNE_DATA_DIR) + "/game.dat").c_str());
        StartText();
        font = alfont_load_font((std::string(PAPERLUNE_DATA_DIR) + "/Fonts/typewriter.ttf").c_str());
        InitScenes();
    }
    return data ? font : nullptr;
}

static void BM_TypingFrame(benchmark::State &state)
{
    ALFONT_FONT *font = Prepare();
    if (!font) {
        state.SkipWithError("game data missing");
        return;
    }
    BITMAP *page = create_bitmap_ex(32, W, H);
    BITMAP *frame = create_bitmap_ex(32, W, H);
    BITMAP *out = create_bitmap_ex(32, W, H);   // stands in for the screen
    const Scene *scene = StoryScene(StoryIndexNamed("Scene27"));
    blit(DataBitmap(scene->background), page, 0, 0, 0, 0, W, H);
    const int count = 29;   // both sprites translucent: the dearest frame
    for (auto _ : state) {
        blit(page, frame, 0, 0, 0, 0, W, H);
        TypingCursorAndSprites(frame, scene, font, 0, 0, 0, count, 291);
        blit(frame, out, 0, 0, 0, 0, W, H);
        benchmark::ClobberMemory();
    }
    destroy_bitmap(out);
    destroy_bitmap(frame);
    destroy_bitmap(page);
}
BENCHMARK(BM_TypingFrame)->Unit(benchmark::kMicrosecond);

static void BM_TypingPageSetUp(benchmark::State &state)
{
    ALFONT_FONT *font = Prepare();
    if (!font) {
        state.SkipWithError("game data missing");
        return;
    }
    BITMAP *page = create_bitmap_ex(32, W, H);
    const Scene *scene = StoryScene(StoryIndexNamed("Scene26e1"));   // the one letter that fills all 25 lines
    for (auto _ : state) {
        TypingPagePreview(scene, font, page);
        benchmark::ClobberMemory();
    }
    destroy_bitmap(page);
}
BENCHMARK(BM_TypingPageSetUp)->Unit(benchmark::kMillisecond);
