// Cost of starting a scene's music: opening the stream and closing it again.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>

#include "platform/fsound.h"

static const char MUSIC_FILE[] = "/music/Vantu - letters.ogg";

static void BM_MusicStreamOpenClose(benchmark::State &state)
{
    std::string path = std::string(PAPERLUNE_DATA_DIR) + MUSIC_FILE;
    FILE *f = fopen(path.c_str(), "rb");
    if (!f) {
        state.SkipWithError("the music is not built");
        return;
    }
    fclose(f);
    for (auto _ : state) {
        FSOUND_STREAM *s = FSOUND_Stream_Open(path.c_str(), FSOUND_LOOP_NORMAL, 0, -1);
        if (!s) {
            state.SkipWithError("the music file does not open");
            return;
        }
        benchmark::DoNotOptimize(s);
        FSOUND_Stream_Close(s);
    }
}
BENCHMARK(BM_MusicStreamOpenClose)->Repetitions(9)->ReportAggregatesOnly(true);
