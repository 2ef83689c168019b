// Costs of the font layer: the main menu's text, which changes height three
// times a frame, against the same text with no change of height; a line at a
// height that is already set; opening a font.
#include <allegro.h>
#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>
#include <unistd.h>

#include "library.h"
#include "presentation/text.h"

static const int BENCH_W = 640, BENCH_H = 480;
static const int BENCH_BACKGROUND = 0xF4EEDC;
static const int BENCH_INK = 0x000000;
static const int BENCH_RED = 0xFF0000;
static const int BENCH_SMALL = 25, BENCH_BIG = 60, BENCH_NORMAL = 40;
static const char BENCH_CREDIT[] = "A story in letters by the Paperlune team";
static const char BENCH_TITLE[] = "Paperlune";
static const char *const BENCH_ITEMS[] = {"New game", "Continue Playing", "Hall of Records", "Quit"};
static const int BENCH_ITEM_Y[] = {250, 280, 310, 340};
static const char BENCH_MENU_FONT[] = "engeregu.ttf";
static const char BENCH_TYPE_FONT[] = "typewriter.ttf";
static const char BENCH_COPY_DIR[] = "/tmp";

static std::string BenchFont(const char *file)
{
    return std::string(PAPERLUNE_DATA_DIR) + "/Fonts/" + file;
}

static ALFONT_FONT *StartFonts(benchmark::State &state, const char *file)
{
    StartLibrary(LIBRARY_TRUE_COLOUR);
    alfont_init();
    alfont_text_mode(-1);
    ALFONT_FONT *f = alfont_load_font(BenchFont(file).c_str());
    if (!f)
        state.SkipWithError("font missing: build the fonts_data target");
    return f;
}

// Frames of the main menu's eight lines, in its order: the credit line
// twice, the title, the four items, the highlighted item again.
static void MenuFrames(benchmark::State &state, ALFONT_FONT *small, ALFONT_FONT *big, ALFONT_FONT *normal)
{
    BITMAP *buffer = create_bitmap_ex(32, BENCH_W, BENCH_H);
    for (auto _ : state) {
        clear_to_color(buffer, BENCH_BACKGROUND);
        Textout(buffer, small, BENCH_CREDIT, 40, 50, BENCH_INK, BENCH_SMALL, AA);
        Textout(buffer, small, BENCH_CREDIT, 40, 50, BENCH_INK, BENCH_SMALL, AA);
        Textout(buffer, big, BENCH_TITLE, 80, 150, BENCH_INK, BENCH_BIG, AA);
        for (int i = 0; i < 4; i++)
            Textout(buffer, normal, BENCH_ITEMS[i], 80, BENCH_ITEM_Y[i], BENCH_INK, BENCH_NORMAL, AA);
        Textout(buffer, normal, BENCH_ITEMS[1], 80, BENCH_ITEM_Y[1], BENCH_RED, BENCH_NORMAL, AA);
        benchmark::ClobberMemory();
    }
    destroy_bitmap(buffer);
}

// One font object for all three heights, as the menu draws.
static void BM_MainMenuFrameText(benchmark::State &state)
{
    ALFONT_FONT *font = StartFonts(state, BENCH_MENU_FONT);
    if (!font)
        return;
    MenuFrames(state, font, font, font);
    alfont_destroy_font(font);
}
BENCHMARK(BM_MainMenuFrameText)->Unit(benchmark::kMicrosecond);

// The same pixels with one font object per height, each already at its
// height: what the frame costs when no line changes the height.
static void BM_MainMenuFrameTextAtSetSizes(benchmark::State &state)
{
    ALFONT_FONT *small = StartFonts(state, BENCH_MENU_FONT);
    ALFONT_FONT *big = StartFonts(state, BENCH_MENU_FONT);
    ALFONT_FONT *normal = StartFonts(state, BENCH_MENU_FONT);
    if (small && big && normal) {
        alfont_set_font_size(small, BENCH_SMALL);
        alfont_set_font_size(big, BENCH_BIG);
        alfont_set_font_size(normal, BENCH_NORMAL);
        MenuFrames(state, small, big, normal);
    }
    alfont_destroy_font(normal);
    alfont_destroy_font(big);
    alfont_destroy_font(small);
}
BENCHMARK(BM_MainMenuFrameTextAtSetSizes)->Unit(benchmark::kMicrosecond);

static void BM_LineAtUnchangedSize(benchmark::State &state)
{
    ALFONT_FONT *font = StartFonts(state, BENCH_MENU_FONT);
    if (!font)
        return;
    BITMAP *buffer = create_bitmap_ex(32, BENCH_W, BENCH_H);
    clear_to_color(buffer, BENCH_BACKGROUND);
    Textout(buffer, font, BENCH_ITEMS[2], 80, 310, BENCH_INK, BENCH_NORMAL, AA);
    for (auto _ : state) {
        Textout(buffer, font, BENCH_ITEMS[2], 80, 310, BENCH_INK, BENCH_NORMAL, AA);
        benchmark::ClobberMemory();
    }
    destroy_bitmap(buffer);
    alfont_destroy_font(font);
}
BENCHMARK(BM_LineAtUnchangedSize)->Unit(benchmark::kMicrosecond);

static void BM_LoadFont(benchmark::State &state)
{
    const char *file = state.range(0) ? BENCH_MENU_FONT : BENCH_TYPE_FONT;
    ALFONT_FONT *first = StartFonts(state, file);
    if (!first)
        return;
    alfont_destroy_font(first);
    std::string path = BenchFont(file);
    for (auto _ : state) {
        ALFONT_FONT *f = alfont_load_font(path.c_str());
        benchmark::DoNotOptimize(f);
        alfont_destroy_font(f);
    }
    state.SetLabel(file);
}
BENCHMARK(BM_LoadFont)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

// Opening a font file the run has not opened before, which checks that its
// characters draw: a fresh copy under a new name every time.
static void BM_LoadFontFirstTime(benchmark::State &state)
{
    const char *file = state.range(0) ? BENCH_MENU_FONT : BENCH_TYPE_FONT;
    ALFONT_FONT *first = StartFonts(state, file);
    if (!first)
        return;
    alfont_destroy_font(first);
    std::string base = std::string(BENCH_COPY_DIR) + "/paperlune-bench-" + std::to_string(getpid()) + "-";
    int n = 0;
    for (auto _ : state) {
        state.PauseTiming();
        std::string copy = base + std::to_string(n++) + ".ttf";
        std::filesystem::copy_file(BenchFont(file), copy);
        state.ResumeTiming();
        ALFONT_FONT *f = alfont_load_font(copy.c_str());
        benchmark::DoNotOptimize(f);
        alfont_destroy_font(f);
        state.PauseTiming();
        std::filesystem::remove(copy);
        state.ResumeTiming();
    }
    state.SetLabel(file);
}
BENCHMARK(BM_LoadFontFirstTime)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);
